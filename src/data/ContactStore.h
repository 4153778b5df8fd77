#pragma once

#include "ContactFields.h"
#include "DataConnection.h"

#include <functional>
#include <vector>

struct sqlite3_stmt;

// Reads and writes the book's contacts. Names are unique in the whole book, so a name finds one
// contact; a write that must change one contact and changed none (deleted or renamed meanwhile
// by another writer) fails, so it is never reported as done.
class ContactStore
{
public:
    explicit ContactStore(DataConnection& connection) : m_connection(connection) {}

    // The row of the contact of that name, 0 when there is none.
    DataResult findByName(const QString& name, qint64& row);
    DataResult insert(const ContactFields& contact, const QString& dir, qint64* row = nullptr);
    // Rewrites the contact now called key, its directory included.
    DataResult updateByName(const QString& key, const ContactFields& contact, const QString& dir);
    DataResult removeByName(const QString& name);
    // By row, for a sync that read the rows itself: a row gone meanwhile is left gone, no failure.
    // The values of a row, which stays in its directory:
    DataResult update(qint64 row, const ContactFields& contact);
    // Only while the row is still in that directory:
    DataResult remove(qint64 row, const QString& dir);
    // Every contact of the directory.
    DataResult removeAllIn(const QString& dir);
    // Only into a directory that exists, so a contact never points nowhere.
    DataResult moveByName(const QString& name, const QString& dir);

    // The contact of that name and its directory; found is false when there is none.
    DataResult readByName(const QString& name, ContactFields& contact, QString& dir, bool& found);
    // Whether the contact of asRead's name is still exactly asRead (same is false when it changed
    // or is gone), and in which directory; what an undo or a merge checks before it writes.
    DataResult isAsRead(const ContactFields& asRead, bool& same, QString& dir);
    DataResult countIn(const QString& dir, qint64& count);
    DataResult countAll(qint64& count);
    using Visitor = std::function<void(qint64 row, const ContactFields& contact)>;
    DataResult readDirectory(const QString& dir, const Visitor& visit);
    // Only the name, the four numbers and the e-mail (the rest left empty): what comparing
    // contacts needs, read quicker.
    DataResult readNamesAndNumbers(const QString& dir, const Visitor& visit);
    // The contacts of those rows, each with its directory's code, in the order asked; a row
    // gone meanwhile is left out.
    using RowVisitor = std::function<void(qint64 row, const ContactFields& contact, const QString& dir)>;
    DataResult readRows(const std::vector<qint64>& rows, const RowVisitor& visit);
    // A digest of every stored byte of a directory's contacts, in row order: equal digests mean
    // nothing was added, changed or removed there. Empty when the directory cannot be read.
    QString digestOf(const QString& dir);

    // The nine fields of a statement's row, from firstColumn on, in the table's order.
    static ContactFields fieldsAt(sqlite3_stmt* statement, int firstColumn);

private:
    DataResult exactlyOneChanged(const DataResult& written, const QString& what);
    qint64 rowOf(const QString& name);
    // Runs write; when row is given, the contact there is being called name and its more values
    // follow it in the same step.
    DataResult keepingValues(qint64 row, const QString& name, const std::function<DataResult()>& write);

    DataConnection& m_connection;
};
