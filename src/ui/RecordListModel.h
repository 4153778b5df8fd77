#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QSet>

#include <memory>

class RowSet;

// The items of a list view, served straight from a recordset's rows: item text is column 0,
// sub-item i is column i. Nothing is copied; the rows are read a page at a time as the view
// paints them, so a list of 100,000 contacts fills at once. The views (and with them assistive
// tools) see only the shown columns; hidden ones, such as a directory's password, stay inside.
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RecordListModel(QObject* parent = nullptr);

    void setHeaders(const QStringList& headers);
    QString header(int column) const { return m_headers.value(column); }
    // The columns the views see, by their place among all columns.
    void setShownColumns(const QList<int>& columns);
    int shownIndexOf(int column) const { return int(m_shown.indexOf(column)); }
    void setSmallIcon(const QIcon& icon) { m_icon = icon; }
    // Rows whose value in keyColumn is one of keys show another icon and say why in a tip.
    void setMarkedRows(int keyColumn, const QSet<QString>& keys, const QIcon& icon, const QString& tip);

    // Shows the rows from position start to the end; clear() removes every item.
    void fill(std::shared_ptr<const RowSet> rows, qsizetype start);
    void clear();

    int count() const { return rowCount(); }
    QString itemText(int row) const { return subItem(row, 0); }
    QString subItem(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool isMarked(int row) const;
    bool isSoundHit(int row) const;

    QStringList m_headers;
    QList<int> m_shown;
    QIcon m_icon;
    int m_markColumn = -1;
    QSet<QString> m_marked;
    QIcon m_markIcon;
    QString m_markTip;
    std::shared_ptr<const RowSet> m_rows;
    qsizetype m_start = 0;
};
