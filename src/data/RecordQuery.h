#pragma once

#include <QString>
#include <QStringList>

// A recordset query of the shape the program uses: every column of one table, optionally only
// the rows whose column equals a value, ordered by one column. The value stays a bound
// parameter; text() shows the statement as it reads with the value quoted.
class RecordQuery
{
public:
    // Parses "select * from <table> [where <column>= ?] order by <column>" (any case and
    // spacing); the one "?" takes value. An unparsable text gives an invalid query.
    static RecordQuery parse(const QString& sqlWithPlaceholder, const QString& value = QString());

    bool isValid() const { return !m_table.isEmpty(); }
    QString table() const { return m_table; }
    QString whereColumn() const { return m_whereColumn; }
    QString whereValue() const { return m_whereValue; }
    QString orderColumn() const { return m_orderColumn; }

    // The statement with the value written in as a quoted literal (apostrophes doubled).
    QString text() const;

private:
    QString m_sql;
    QString m_table;
    QString m_whereColumn;
    QString m_whereValue;
    QString m_orderColumn;
};
