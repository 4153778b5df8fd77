#pragma once

#include <QString>
#include <QStringList>

// A record filter on one column. The typed value is data: it is matched as typed and can never
// change the shape of the filter. In a contains-filter "*" and "%" stand for any run of
// characters, as they do in the filter text shown by text().
class RecordFilter
{
public:
    enum class Kind { None, Like, NotEqual };

    RecordFilter() = default;
    // "[column] LIKE '*" + typed + "%' ": the rows whose column contains typed.
    static RecordFilter contains(const QString& column, const QString& typed);
    // "[column] <> '" + value + "' ".
    static RecordFilter notEqual(const QString& column, const QString& value);

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Kind::None; }
    QString column() const { return m_column; }
    QString value() const { return m_value; }

    bool operator==(const RecordFilter& other) const
    {
        return m_kind == other.m_kind && m_column == other.m_column && m_value == other.m_value;
    }

    // The filter as the record filter text reads.
    QString text() const;
    // A condition for a WHERE clause with one "?" and the value to bind to it.
    QString sqlCondition() const;
    QString sqlValue() const;

private:
    Kind m_kind = Kind::None;
    QString m_column;
    QString m_value;
};
