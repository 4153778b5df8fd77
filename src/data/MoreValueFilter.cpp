#include "MoreValueFilter.h"

#include "ContactValue.h"
#include "ContactValueStore.h"
#include "Directory.h"

#include <sqlite3.h>

MoreValueFilter::MoreValueFilter(DataConnection& connection, const RecordQuery& query, const RecordFilter& filter)
    : m_connection(connection), m_query(query), m_filter(filter)
{
    if (filter.kind() != RecordFilter::Kind::Like || query.table() != QLatin1String("info"))
        return;
    // The label a number's field stands for, as more values store it.
    static const QList<std::pair<QString, QString>> numbers = {{QStringLiteral("hometel"), QStringLiteral("home")},
                                                               {QStringLiteral("jobtel"), QStringLiteral("work")},
                                                               {QStringLiteral("mobil"), QStringLiteral("mobile")},
                                                               {QStringLiteral("fax"), QStringLiteral("fax")}};
    for (const auto& [column, label] : numbers)
        if (filter.column() == column) {
            m_kind = ContactValue::kindName(ContactValue::Kind::Phone);
            m_label = label;
        }
    if (filter.column() == QLatin1String("email"))
        m_kind = ContactValue::kindName(ContactValue::Kind::Email);
    if (!m_kind.isEmpty() && !ContactValueStore(connection).inUse())
        m_kind.clear();
}

QString MoreValueFilter::select(QStringList& values) const
{
    QString sql = QStringLiteral("SELECT v.contact FROM qav_contact_value v "
                                 "JOIN info i ON i.rowid = v.contact AND i.name = v.name ");
    if (m_query.whereColumn().isEmpty()) {
        sql += QStringLiteral("JOIN dirg d ON d.code = i.dir AND d.pass = ? ");
        values << Directory::unlocked();
    }
    sql += QStringLiteral("WHERE v.kind = ? ");
    values << m_kind;
    if (!m_label.isEmpty()) {
        sql += QStringLiteral("AND v.label = ? ");
        values << m_label;
    }
    if (!m_query.whereColumn().isEmpty()) {
        sql += QStringLiteral("AND i.%1 = ? ").arg(m_query.whereColumn());
        values << m_query.whereValue();
    }
    sql += QStringLiteral("AND qav_fold(v.value) LIKE ? ESCAPE '\\'");
    values << m_filter.sqlValue();
    return sql;
}

QString MoreValueFilter::sqlCondition(QStringList& values) const
{
    return QStringLiteral("rowid IN (%1)").arg(select(values));
}

DataResult MoreValueFilter::rows(std::vector<qint64>& out) const
{
    out.clear();
    QStringList values;
    const QString sql = select(values);
    return m_connection.query(sql, values,
                              [&out](sqlite3_stmt* statement) { out.push_back(sqlite3_column_int64(statement, 0)); });
}
