#include "RecordQuery.h"

RecordQuery::RecordQuery(const QString& table, const QString& whereColumn, const QString& whereValue,
                         const QString& orderColumn)
    : m_table(table), m_whereColumn(whereColumn), m_whereValue(whereValue), m_orderColumn(orderColumn)
{
}

RecordQuery RecordQuery::contactsOf(const QString& dirCode)
{
    return RecordQuery(QStringLiteral("info"), QStringLiteral("dir"), dirCode, QStringLiteral("name"));
}

RecordQuery RecordQuery::allContacts()
{
    return RecordQuery(QStringLiteral("info"), QString(), QString(), QStringLiteral("name"));
}

RecordQuery RecordQuery::directories()
{
    return RecordQuery(QStringLiteral("dirg"), QString(), QString(), QStringLiteral("dirname"));
}

QString RecordQuery::text() const
{
    QString sql = QStringLiteral("select * from %1 ").arg(m_table);
    if (!m_whereColumn.isEmpty()) {
        QString quoted = m_whereValue;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        sql += QStringLiteral("where %1= '%2' ").arg(m_whereColumn, quoted);
    }
    return sql + QStringLiteral("order by %1").arg(m_orderColumn);
}
