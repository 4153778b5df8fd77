#pragma once

#include "ContactFields.h"
#include "UndoHistory.h"

// The contact changes the user can take back, each as its undo and redo steps. A step writes
// only while the contact is exactly as the change left it (values and directory), in the same
// transaction as the check.
class ContactChanges
{
public:
    static UndoHistory::Change added(const ContactFields& contact, const QString& dir);
    static UndoHistory::Change edited(const ContactFields& before, const QString& dirBefore, const ContactFields& after,
                                      const QString& dirAfter);
    static UndoHistory::Change deleted(const QString& name, qint64 trashId);
    static UndoHistory::Change moved(const ContactFields& contact, const QString& from, const QString& to);
};
