#pragma once

#include "ContactFields.h"
#include "DataConnection.h"
#include "Directory.h"

#include <QDateTime>
#include <QList>

// Deleted contacts, kept for 30 days in a table of the program's own (other tools reading the
// contacts table never see them), with when and from which directory. A contact of a locked
// directory keeps that directory's password with it, and stays locked in the trash.
class TrashStore
{
public:
    static constexpr int kKeptDays = 30;

    struct Trashed {
        qint64 id = 0;
        ContactFields contact{};
        QString dir{};      // the code of the directory it was deleted from
        QString dirName{};  // that directory's name at the time
        QString lockPass{}; // its password then; "0" when it was not locked
        QDateTime deletedAt{};
    };

    explicit TrashStore(DataConnection& connection) : m_connection(connection) {}

    // Moves the contact of that name into the trash, in one transaction: deleted from the book
    // only when kept here. Fails when there is no such contact.
    DataResult moveIn(const QString& name, qint64* id = nullptr);
    // The same inside a transaction the caller holds (a merge that keeps one contact).
    DataResult moveInWithin(const QString& name, qint64* id = nullptr);
    // What the trash holds, the latest first; what is older than 30 days goes first.
    DataResult list(QList<Trashed>& out);
    // The code of the directory the entry id was deleted from; empty when there is no such entry.
    DataResult dirOf(qint64 id, QString& dir);
    // Puts one back into dir (its own directory when dir is empty), in one transaction; fails
    // (nothing changed) when its name is taken again, or the directory does not exist. row is
    // the row it got.
    DataResult restore(qint64 id, const QString& dir, qint64* row = nullptr);
    DataResult restoreWithin(qint64 id, const QString& dir, qint64* row = nullptr);
    // Moves every contact of the directory into the trash and deletes the directory, in one
    // transaction; fails (nothing changed) when the directory's name or password is no longer as
    // given. ids are the
    // entries made, in the order of their contacts' rows.
    DataResult moveDirectoryIn(const Directory& directory, QList<qint64>& ids);
    // Makes a directory of that name and password again and puts those entries back into it, in
    // one transaction; fails (nothing changed) when the directory's name is taken now, or an
    // entry is gone. An entry whose name a contact has taken fails it too, unless passedOver is
    // given: then that entry stays in the trash and is added there (and when none went back,
    // nothing changed). code is the new directory's.
    DataResult restoreIntoNewDirectory(const QList<qint64>& ids, const QString& name, const QString& pass,
                                       QString& code, QList<qint64>* passedOver = nullptr);
    // Deletes for good.
    DataResult empty();
    // The directory's lock changed (pass "0": removed): what the trash holds of it takes the new
    // one, so the book keeps no password that no longer guards anything. Inside the caller's
    // transaction.
    DataResult relock(const QString& dir, const QString& pass);

    // The failure restore gives when the name is taken by another contact now.
    static bool isNameTaken(const DataResult& result);

private:
    DataResult createTable();

    DataConnection& m_connection;
};
