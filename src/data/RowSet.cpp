#include "RowSet.h"

#include "DataConnection.h"
#include "PassedOver.h"

#include <sqlite3.h>

RowSet::RowSet(DataConnection* connection, QString table, QStringList columns, std::vector<qint64> rowIds)
    : RowSet(connection, std::move(table), std::move(columns),
             std::make_shared<const std::vector<qint64>>(std::move(rowIds)))
{
}

RowSet::RowSet(DataConnection* connection, QString table, QStringList columns, RowIds rowIds)
    : m_connection(connection), m_table(std::move(table)), m_columns(std::move(columns)), m_rowIds(std::move(rowIds))
{
}

int RowSet::columnIndex(const QString& name) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString RowSet::value(qsizetype row, int column) const
{
    if (row < 0 || row >= size() || column < 0 || column >= m_columns.size())
        return QString();
    const Page& rows = page(row / kPageRows);
    const QStringList& record = rows.at(row % kPageRows);
    return column < record.size() ? record.at(column) : QString();
}

QStringList RowSet::record(qsizetype row) const
{
    if (row < 0 || row >= size())
        return {};
    return page(row / kPageRows).at(row % kPageRows);
}

const RowSet::Page& RowSet::page(qsizetype pageIndex) const
{
    for (auto it = m_pages.begin(); it != m_pages.end(); ++it) {
        if (it->first == pageIndex) {
            if (it != m_pages.begin())
                m_pages.splice(m_pages.begin(), m_pages, it);
            return m_pages.front().second;
        }
    }
    m_pages.emplace_front(pageIndex, loadPage(pageIndex));
    if (qsizetype(m_pages.size()) > kCachedPages)
        m_pages.pop_back();
    return m_pages.front().second;
}

RowSet::Page RowSet::loadPage(qsizetype pageIndex) const
{
    const qsizetype first = pageIndex * kPageRows;
    const qsizetype last = std::min(size(), first + kPageRows);
    Page rows(size_t(last - first));
    if (!m_connection || first >= last)
        return rows;

    // Row ids are our own integers, never user text, so they are written into the statement.
    QString ids;
    QHash<qint64, qsizetype> slotOf;
    for (qsizetype i = first; i < last; ++i) {
        if (i > first)
            ids += QLatin1Char(',');
        ids += QString::number((*m_rowIds)[size_t(i)]);
        slotOf.insert((*m_rowIds)[size_t(i)], i - first);
    }
    const QString sql = QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid IN (%2)").arg(m_table, ids);
    const int columnCount = int(m_columns.size());
    PassedOver::note(m_connection->query(sql, {},
                                         [&](sqlite3_stmt* stmt) {
                                             const auto slot = slotOf.constFind(sqlite3_column_int64(stmt, 0));
                                             if (slot == slotOf.constEnd())
                                                 return;
                                             QStringList record;
                                             record.reserve(columnCount);
                                             for (int c = 0; c < columnCount; ++c)
                                                 record.append(DataConnection::columnText(stmt, c + 1));
                                             rows[size_t(*slot)] = std::move(record);
                                         }),
                     Q_FUNC_INFO);
    return rows;
}
