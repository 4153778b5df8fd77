#include "RecordListModel.h"

#include "RowSet.h"

#include <QColor>
#include <QPalette>

RecordListModel::RecordListModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordListModel::setHeaders(const QStringList& headers)
{
    beginResetModel();
    m_headers = headers;
    m_shown.clear();
    for (int i = 0; i < headers.size(); ++i)
        m_shown << i;
    endResetModel();
}

void RecordListModel::setShownColumns(const QList<int>& columns)
{
    if (columns == m_shown)
        return;
    beginResetModel();
    m_shown = columns;
    endResetModel();
}

void RecordListModel::fill(std::shared_ptr<const RowSet> rows, qsizetype start)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_start = m_rows ? std::clamp<qsizetype>(start, 0, m_rows->size()) : 0;
    endResetModel();
}

void RecordListModel::clear()
{
    fill(nullptr, 0);
}

QString RecordListModel::subItem(int row, int column) const
{
    if (!m_rows || row < 0 || row >= rowCount())
        return QString();
    return m_rows->value(m_start + row, column);
}

int RecordListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_rows)
        return 0;
    return int(m_rows->size() - m_start);
}

int RecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

void RecordListModel::setMarkedRows(int keyColumn, const QSet<QString>& keys, const QIcon& icon, const QString& tip)
{
    m_markColumn = keyColumn;
    m_marked = keys;
    m_markIcon = icon;
    m_markTip = tip;
    if (rowCount() > 0) // the selection and the scroll position stay
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole, Qt::ToolTipRole});
}

bool RecordListModel::isSoundHit(int row) const
{
    return m_rows && m_rows->isSoundHit(m_start + row);
}

bool RecordListModel::isMarked(int row) const
{
    return m_markColumn >= 0 && !m_marked.isEmpty() && m_marked.contains(subItem(row, m_markColumn));
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= m_shown.size())
        return {};
    const int column = m_shown.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return subItem(index.row(), column);
    case Qt::DecorationRole:
        if (column == 0 && isMarked(index.row()))
            return m_markIcon;
        return column == 0 && !m_icon.isNull() ? QVariant(m_icon) : QVariant();
    case Qt::ForegroundRole:
        // Found only by how the name sounds: lighter, so the exact hits above stand out.
        if (isSoundHit(index.row()))
            return QColor(0x60, 0x60, 0x90);
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (column == 0 && isMarked(index.row()))
            return m_markTip;
        if (column == 0 && isSoundHit(index.row()))
            return QStringLiteral("تطابق بالنطق");
        return {};
    default:
        return {};
    }
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_shown.size())
        return m_headers.value(m_shown.at(section));
    return {};
}
