#pragma once

#include "DataConnection.h"

#include <QString>

#include <functional>

// Whole-file copies of the database: backups that never destroy an older good one, checks that
// a file really is a readable telephone book, and replacing the database in one atomic step.
// Every file written keeps the permission bits of the file it replaces.
class DatabaseFileCopy
{
public:
    static constexpr char kBackupName[] = "ZK-Data.bak";
    static constexpr char kPreviousSuffix[] = ".previous";

    // Copies the open database to folder/ZK-Data.bak. A shared lock is held meanwhile, so no
    // other program commits half-way through; the copy goes to a temporary file that replaces
    // the old backup only once complete and flushed.
    static DataResult backup(DataConnection& connection, const QString& folder);

    // The file opens with the password, holds both tables and passes the integrity check. It is
    // opened read-only: checking never changes it.
    static DataResult verify(const QString& path, const QString& password);

    // The first half of a restore: source copied to a temporary file beside target, and that
    // copy (the very bytes that will be put in place) verified. The source is only read.
    static DataResult stage(const QString& source, const QString& target, const QString& password, QString& staged);
    // The second half: the replaced file is kept as target + ".previous", then the staged file
    // (a copy of source) is renamed over target, with what was kept for source believed. Neither
    // file may be open in this process. beforeRename lets a test stop the work just before the
    // rename (return false). On failure the staged file is removed and target is as it was.
    static DataResult install(const QString& source, const QString& staged, const QString& target,
                              const std::function<bool()>& beforeRename = {});

    // A complete, flushed copy of source at a temporary path in targetFolder, with the
    // permission bits of modeFrom (or those of source when modeFrom does not exist).
    static DataResult copyToTemporary(const QString& source, const QString& targetFolder, QString& temporary,
                                      const QString& modeFrom = QString());
};
