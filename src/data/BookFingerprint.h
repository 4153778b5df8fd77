#pragma once

#include "DataConnection.h"

#include <QByteArray>
#include <QString>

#include <functional>

struct sqlite3;

// What the program keeps in the book for the next session (the name order, the search index) is
// only believed while the file is exactly as this program left it: beside the book lies a
// fingerprint of the file's first page, which every committed change rewrites (its change counter
// moves, and each page is written with a fresh random IV). Any writer, this program included,
// makes the fingerprint stale, and with it everything kept under it.
//
// One fingerprint vouches for everything kept in the file, so a writer that keeps something
// where the file no longer stands as it was left must first make the rest unbelieved.
class BookFingerprint
{
public:
    static QString path(const QString& databasePath);

    // Runs read while this connection holds a read lock on a file that is exactly as this program
    // left it: no writer can commit until it returns. False, read not run, otherwise.
    static bool underReadLock(DataConnection& connection, const std::function<bool()>& read);

    // Runs write in one write transaction, while the file still stands at stamp, telling it
    // whether the file stood as this program left it; once that commits with no other writer in
    // between, the new fingerprint is kept. False when the file moved on, write failed or the
    // fingerprint could not be kept: the file then holds nothing to believe. written is where
    // the file stands after the commit.
    static bool keepWriting(DataConnection& connection, ChangeStamp stamp,
                            const std::function<bool(bool asLeft)>& write, ChangeStamp* written = nullptr);

    // A whole-file copy keeps what is kept in it: the fingerprint believed for the file at from is
    // believed for the file at to while to holds the very bytes it was kept for. Neither file
    // may be open in this process (reading it would drop the process's locks on it).
    static void passOn(const QString& from, const QString& to);

private:
    static QByteArray of(sqlite3* db);
    static QByteArray kept(const QString& databasePath);
    static bool keep(const QString& databasePath, const QByteArray& print);
    static bool usesRollbackJournal(DataConnection& connection);
};
