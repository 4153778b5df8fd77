#pragma once

#include "DataConnection.h"
#include "Directory.h"

#include <QList>

// Reads and writes the book's directories. A directory is named by its name and code together,
// so that a namesake made by another writer is never changed in its place; a write that changed
// no row fails, so it is never reported as done.
class DirectoryStore
{
public:
    explicit DirectoryStore(DataConnection& connection) : m_connection(connection) {}

    // The directory of that name (the oldest, should another writer have made twins); none has
    // an empty code.
    DataResult findByName(const QString& name, Directory& found);
    DataResult find(const QString& code, Directory& found);
    // Whether a directory other than the one of exceptCode has that name.
    DataResult nameTaken(const QString& name, const QString& exceptCode, bool& taken);
    // Unlocked from the start; code is the new directory's.
    DataResult add(const QString& name, QString* code = nullptr);
    // A directory of that name and password, while no other has the name (taken tells, and then
    // nothing is made); inside a transaction the caller holds.
    DataResult addIfNameFree(const QString& name, const QString& pass, QString& code, bool& taken);
    DataResult rename(const Directory& directory, const QString& newName);
    DataResult setPassword(const Directory& directory, const QString& pass);
    // Only while no contact refers to it, in the same statement: a contact saved meanwhile is
    // never left without a directory.
    DataResult removeIfEmpty(const Directory& directory);
    // The directories without a password, by name.
    DataResult unlocked(QList<Directory>& out);
    DataResult all(QList<Directory>& out);
    // Whether the book holds any directory at all, whatever a list shows.
    DataResult any(bool& found);

private:
    DataResult oneChanged(const DataResult& written, const Directory& directory);

    DataConnection& m_connection;
};
