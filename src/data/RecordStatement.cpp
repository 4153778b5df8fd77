#include "RecordStatement.h"

#include "MoreValueFilter.h"

RecordStatement::RecordStatement(DataConnection& connection, const RecordQuery& query, const RecordFilter& filter)
    : m_connection(connection), m_query(query), m_filter(filter)
{
}

QString RecordStatement::rows(QStringList& values) const
{
    return QStringLiteral("SELECT rowid, %1 FROM %2").arg(m_query.orderColumn(), m_query.table()) + where(values);
}

QString RecordStatement::count(QStringList& values) const
{
    return QStringLiteral("SELECT count(*) FROM %1").arg(m_query.table()) + where(values);
}

QString RecordStatement::where(QStringList& values) const
{
    QStringList conditions;
    if (!m_query.whereColumn().isEmpty()) {
        conditions << QStringLiteral("%1 = ?").arg(m_query.whereColumn());
        values << m_query.whereValue();
    }
    if (!m_filter.isEmpty()) {
        values << m_filter.sqlValue();
        if (const MoreValueFilter more(m_connection, m_query, m_filter); more.applies())
            conditions << QStringLiteral("(%1 OR %2)").arg(m_filter.sqlCondition(), more.sqlCondition(values));
        else
            conditions << m_filter.sqlCondition();
    }
    return conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}
