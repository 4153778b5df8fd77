#pragma once

#include <QAbstractTableModel>
#include <QIcon>

#include <memory>

class RowSet;

// The items of a list view, served straight from a recordset's rows: item text is column 0,
// sub-item i is column i. Nothing is copied; the rows are read a page at a time as the view
// paints them, so a list of 100,000 contacts fills at once.
class RecordListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RecordListModel(QObject* parent = nullptr);

    void setHeaders(const QStringList& headers);
    void setSmallIcon(const QIcon& icon) { m_icon = icon; }

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
    QStringList m_headers;
    QIcon m_icon;
    std::shared_ptr<const RowSet> m_rows;
    qsizetype m_start = 0;
};
