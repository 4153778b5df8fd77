#include "RecordQuery.h"

#include <QRegularExpression>

RecordQuery RecordQuery::parse(const QString& sqlWithPlaceholder, const QString& value)
{
    static const QRegularExpression shape(
        QStringLiteral(R"(^\s*select\s+\*\s+from\s+(\w+)\s*(?:where\s+(\w+)\s*=\s*\?\s*)?order\s+by\s+(\w+)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    RecordQuery query;
    const QRegularExpressionMatch match = shape.match(sqlWithPlaceholder);
    if (!match.hasMatch())
        return query;
    query.m_sql = sqlWithPlaceholder;
    query.m_table = match.captured(1).toLower();
    query.m_whereColumn = match.captured(2).toLower();
    query.m_whereValue = query.m_whereColumn.isEmpty() ? QString() : value;
    query.m_orderColumn = match.captured(3).toLower();
    return query;
}

QString RecordQuery::text() const
{
    QString quoted = m_whereValue;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    QString sql = m_sql;
    const qsizetype mark = sql.indexOf(QLatin1Char('?'));
    if (mark >= 0)
        sql.replace(mark, 1, QLatin1Char('\'') + quoted + QLatin1Char('\''));
    return sql;
}
