#pragma once

#include "BookSync.h"
#include "ContactValue.h"
#include "TestDatabase.h"

#include <QMap>
#include <QStringList>
#include <QUrl>

// One program file in a folder of its own, with a directory "الأصدقاء" linked to an address book
// and a second directory "العمل" to move contacts to; synced as the program does.
class LinkedBook
{
public:
    using Contacts = QMap<QString, QStringList>; // name → the other values by column

    LinkedBook(const QUrl& book, const QString& user, const QString& password);

    // timeoutMs: how long a request may stall (the program's own limit unless given).
    SyncSummary sync(const DirectorySync::Progress& progress = {}, int timeoutMs = 60000);

    void add(const QString& name, const QStringList& more = {});
    void set(const QString& name, const QString& column, const QString& value);
    void remove(const QString& name);
    void moveAway(const QString& name);
    void lock(const QString& password);
    Contacts contacts(bool linked = true);
    // A contact's more values, and putting others in their place as the contact window does.
    MoreValues more(const QString& name);
    void setMore(const QString& name, const MoreValues& values);
    int count();
    DataConnection& connection() { return m_db.reader(); }
    TestDatabase& database() { return m_db; }
    QString directory() const { return m_dir; }

    static QStringList mobile(const QString& number) { return {QString(), QString(), number}; }

private:
    TestDatabase m_db;
    QString m_dir, m_other;
    QString m_password;
};
