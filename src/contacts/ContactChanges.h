#pragma once

#include "ContactFields.h"
#include "ContactMerge.h"
#include "ContactValue.h"
#include "UndoHistory.h"

#include <optional>
#include <utility>
#include <vector>

// The contact changes the user can take back, each as its undo and redo steps. A step writes
// only while the contact is exactly as the change left it (values and directory), in the same
// transaction as the check.
class ContactChanges
{
public:
    // Made again, it gets more back.
    static UndoHistory::Change added(const ContactFields& contact, const QString& dir, const MoreValues& more = {});
    // With values, the more values of the contact go back and forth with its fields.
    static UndoHistory::Change edited(const ContactFields& before, const QString& dirBefore, const ContactFields& after,
                                      const QString& dirAfter,
                                      const std::optional<std::pair<MoreValues, MoreValues>>& values = std::nullopt);
    // Several contacts edited in place together (their names and directories stay), each with
    // its more values, as one step.
    struct InPlaceEdit {
        ContactFields before, after;
        QString dir;
        MoreValues moreBefore, moreAfter;
    };
    static UndoHistory::Change editedTogether(const QString& caption, const std::vector<InPlaceEdit>& edits);
    // Writes each contact from its before to its after state (or back), in one transaction; false
    // when one of them is no longer as expected.
    static DataResult writeInPlace(const std::vector<InPlaceEdit>& edits, bool forward);
    static UndoHistory::Change deleted(const QString& name, qint64 trashId);
    static UndoHistory::Change moved(const ContactFields& contact, const QString& from, const QString& to);
    // Several contacts chosen together, deleted (to the trash) or moved as one step.
    static UndoHistory::Change deletedTogether(const QStringList& names, const std::vector<qint64>& trashIds);
    static UndoHistory::Change movedTogether(const std::vector<ContactFields>& contacts, const QStringList& from,
                                             const QString& to);
    // A merge: the kept contact as it was and as merged, the others from where they went in the
    // trash (renewed by each redo).
    static UndoHistory::Change merged(const ContactMerge::Whole& keptBefore, const ContactMerge::Whole& merged,
                                      const std::vector<ContactFields>& others, const std::vector<qint64>& trashIds);
    // A whole import at once: every contact it added (and the directory it made, while empty);
    // made again, each gets its more values back.
    static UndoHistory::Change imported(const std::vector<ContactFields>& contacts, const QString& dir,
                                        const QString& newDirectory, const std::vector<MoreValues>& more = {});
};
