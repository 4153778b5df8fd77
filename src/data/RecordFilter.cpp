#include "RecordFilter.h"

#include "TextFold.h"

#include <QRegularExpression>

namespace
{

// Column names come from the program, never from the user; this keeps it that way.
QString checkedColumn(const QString& column)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(column).hasMatch() ? column.toLower() : QString();
}

} // namespace

RecordFilter RecordFilter::contains(const QString& column, const QString& typed)
{
    RecordFilter filter;
    filter.m_column = checkedColumn(column);
    filter.m_kind = filter.m_column.isEmpty() ? Kind::None : Kind::Like;
    filter.m_value = typed;
    return filter;
}

RecordFilter RecordFilter::notEqual(const QString& column, const QString& value)
{
    RecordFilter filter;
    filter.m_column = checkedColumn(column);
    filter.m_kind = filter.m_column.isEmpty() ? Kind::None : Kind::NotEqual;
    filter.m_value = value;
    return filter;
}

QString RecordFilter::text() const
{
    switch (m_kind) {
    case Kind::Like:
        return QStringLiteral("[%1] LIKE '*%2%' ").arg(m_column, m_value);
    case Kind::NotEqual:
        return QStringLiteral("[%1] <> '%2' ").arg(m_column, m_value);
    case Kind::None:
        break;
    }
    return QString();
}

QString RecordFilter::sqlCondition() const
{
    switch (m_kind) {
    case Kind::Like:
        return QStringLiteral("qav_fold(%1) LIKE ? ESCAPE '\\'").arg(m_column);
    case Kind::NotEqual:
        return QStringLiteral("%1 <> ?").arg(m_column);
    case Kind::None:
        break;
    }
    return QString();
}

QString RecordFilter::sqlValue() const
{
    if (m_kind != Kind::Like)
        return m_value;
    // "*" + typed + "%": both wildcards mean any run; every other character is literal.
    // The column side is folded by qav_fold(), so the typed side is folded the same way.
    QString pattern = QStringLiteral("%");
    for (const QChar ch : TextFold::fold(m_value)) {
        if (ch == QLatin1Char('*') || ch == QLatin1Char('%'))
            pattern += QLatin1Char('%');
        else if (ch == QLatin1Char('_') || ch == QLatin1Char('\\'))
            pattern += QLatin1Char('\\') + ch;
        else
            pattern += ch;
    }
    pattern += QLatin1Char('%');
    return pattern;
}
