#pragma once

#include "DataConnection.h"

#include <QString>

#include <functional>

// Whole-file copies of the database: backups that never destroy an older good one, checks that
// a file really is a readable telephone book, and replacing the database in one atomic step.
class DatabaseFileCopy
{
public:
    static constexpr char kBackupName[] = "ZK-Data.bak";
    static constexpr char kPreviousSuffix[] = ".previous";

    // Copies the open database to folder/ZK-Data.bak. A shared lock is held meanwhile, so no
    // other program commits half-way through; the copy goes to a temporary file that replaces
    // the old backup only once complete and flushed.
    static DataResult backup(DataConnection& connection, const QString& folder);

    // The file opens with the password, holds both tables and passes the integrity check.
    static DataResult verify(const QString& path, const QString& password);

    // Puts source in place of target: copied to a temporary file beside target, flushed, then
    // renamed over it. The replaced file is kept as target + ".previous". beforeRename lets a
    // test stop the work between the copy and the rename (return false).
    static DataResult replace(const QString& source, const QString& target,
                              const std::function<bool()>& beforeRename = {});

    // A complete, flushed copy of source at a temporary path in the target's folder.
    static DataResult copyToTemporary(const QString& source, const QString& targetFolder, QString& temporary);
};
