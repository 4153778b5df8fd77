#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <list>
#include <memory>
#include <vector>

class DataConnection;

// The rows of one recordset, in order, as row ids; the values are read from the database a page
// at a time when somebody asks for them. A RowSet never changes once built, so a list that was
// filled from it keeps showing the same rows while the recordset moves on.
class RowSet
{
public:
    using RowIds = std::shared_ptr<const std::vector<qint64>>;
    RowSet(DataConnection* connection, QString table, QStringList columns, std::vector<qint64> rowIds);
    // Row ids shared with whoever else holds them, none of whom changes them.
    RowSet(DataConnection* connection, QString table, QStringList columns, RowIds rowIds);

    qsizetype size() const { return qsizetype(m_rowIds->size()); }
    // A search that also finds names by how they sound puts those hits last, from this row on.
    void setSoundHitsFrom(qsizetype row) { m_soundHitsFrom = row; }
    qsizetype soundHitsFrom() const { return m_soundHitsFrom < 0 ? size() : m_soundHitsFrom; }
    bool isSoundHit(qsizetype row) const { return m_soundHitsFrom >= 0 && row >= m_soundHitsFrom; }
    const QStringList& columns() const { return m_columns; }
    int columnIndex(const QString& name) const;

    // The value of a column as text; empty when the row is gone or cannot be read.
    QString value(qsizetype row, int column) const;
    QStringList record(qsizetype row) const;

    static constexpr qsizetype kPageRows = 128;
    static constexpr int kCachedPages = 24;

private:
    using Page = std::vector<QStringList>;
    const Page& page(qsizetype pageIndex) const;
    Page loadPage(qsizetype pageIndex) const;

    DataConnection* m_connection;
    QString m_table;
    QStringList m_columns;
    RowIds m_rowIds;
    qsizetype m_soundHitsFrom = -1;
    // Least recently used pages are dropped first; the front is the newest.
    mutable std::list<std::pair<qsizetype, Page>> m_pages;
};
