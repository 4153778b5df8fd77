#pragma once

#include "ContactValue.h"
#include "DataConnection.h"

#include <QHash>

// A contact's more values, in tables of the program's own: other programs reading the contacts
// table never see them. A value is keyed to its contact's row and name together, so a row
// deleted by another program and its number taken by a new contact never shows the old values;
// such rows are ignored when read and cleaned when written. Reading never writes: a book
// whose contacts have no more values keeps its tables as they are.
class ContactValueStore
{
public:
    // Far more than a 512 px picture takes; a longer stored photo is not as this program writes it.
    static constexpr qint64 kMostPhotoBytes = 2 * 1024 * 1024;

    explicit ContactValueStore(DataConnection& connection) : m_connection(connection) {}

    // Whether any contact of the book ever had more values.
    bool inUse() { return hasTable("qav_contact_value"); }

    DataResult readByName(const QString& name, MoreValues& out);
    // Every contact of the directory that has more values, by name.
    DataResult readDirectory(const QString& dir, QHash<QString, MoreValues>& out);

    // A contact's date, with whose it is.
    struct NamedDate {
        QString name{}, dir{};
        ContactValue date{};
    };
    // The dates of every contact in a directory without a password, in one pass over the values.
    DataResult readUnlockedDates(std::vector<NamedDate>& out);
    // The more e-mail addresses of every contact in a directory without a password, by row, in
    // the contact's order.
    DataResult readUnlockedEmails(QHash<qint64, QStringList>& out);
    // Puts values in place of what the contact at row, called name, had; inside the caller's
    // transaction.
    DataResult replaceWithin(qint64 row, const QString& name, const MoreValues& values);
    // The contact at row is called name from now on (before the contacts table is changed, the
    // values of another name at that row are dropped first).
    DataResult renameWithin(qint64 row, const QString& name);
    // Drops the values of the contact that was at row.
    DataResult forget(qint64 row);
    // Drops the values no contact owns any more.
    DataResult removeOrphans();

    // The trash keeps a deleted contact's values with it, under the trash entry's id.
    DataResult copyToTrashWithin(const QString& name, qint64 trashId);
    // The values of every contact of dir, for the trash entries newer than afterId of the same name.
    DataResult copyDirectoryToTrashWithin(const QString& dir, qint64 afterId);
    // Puts a trash entry's values back on the contact now at row, called name, and drops them
    // from the trash.
    DataResult restoreFromTrashWithin(qint64 trashId, qint64 row, const QString& name);
    // Drops the trash's values whose entry is gone.
    DataResult removeTrashOrphans();

private:
    bool hasTable(const char* table);
    // Each value of the kind whose contact is in a directory without a password, in the contacts'
    // order; columns name what onRow reads.
    DataResult readUnlocked(ContactValue::Kind kind, const char* columns, const DataConnection::RowCallback& onRow);
    DataResult createTables();

    DataConnection& m_connection;
};
