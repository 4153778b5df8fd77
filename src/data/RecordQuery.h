#pragma once

#include <QString>

// A recordset query of the shapes the program uses: every column of one table, optionally only
// the rows whose column equals a value, ordered by one column. Made only through the named
// queries below, so a query the program asks for always exists. The value stays a bound
// parameter; text() shows the statement as it reads with the value quoted.
class RecordQuery
{
public:
    // The contacts of one directory, by name.
    static RecordQuery contactsOf(const QString& dirCode);
    // Every contact of the book, by name.
    static RecordQuery allContacts();
    // Every directory, by name.
    static RecordQuery directories();

    QString table() const { return m_table; }
    QString whereColumn() const { return m_whereColumn; }
    QString whereValue() const { return m_whereValue; }
    QString orderColumn() const { return m_orderColumn; }

    // The statement with the value written in as a quoted literal (apostrophes doubled).
    QString text() const;

private:
    RecordQuery(const QString& table, const QString& whereColumn, const QString& whereValue,
                const QString& orderColumn);

    QString m_table;
    QString m_whereColumn;
    QString m_whereValue;
    QString m_orderColumn;
};
