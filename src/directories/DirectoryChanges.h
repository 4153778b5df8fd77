#pragma once

#include "Directory.h"
#include "UndoHistory.h"

#include <QList>

// The directory changes the user can take back. A step writes only while the directory is as
// the change left it (its name; empty, for one to delete again), in the same statement or
// transaction as the check.
class DirectoryChanges
{
public:
    static UndoHistory::Change added(const QString& name, const QString& code);
    static UndoHistory::Change renamed(const QString& code, const QString& oldName, const QString& newName);
    static UndoHistory::Change deleted(const QString& name, const QString& code, const QString& pass);
    // Deleted with its contacts, which went to the trash as those entries: taken back, the
    // directory is made again and they come out of the trash, in one transaction.
    static UndoHistory::Change deletedWithContacts(const Directory& directory, const QList<qint64>& trashed);
};
