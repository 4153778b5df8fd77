#pragma once

#include "ContactFields.h"
#include "DataConnection.h"

#include <QStringList>

#include <vector>

// Merges contacts that are one person into the one the user keeps, losing nothing: every value
// of the others goes to the kept contact's free field of the same kind, or else to its notes as
// "label: value", by the rules an import follows; their names and notes go to the notes too.
class ContactMerge
{
public:
    static ContactFields merged(const ContactFields& kept, const std::vector<ContactFields>& others);

    // In one transaction: the contact named keptName rewritten as merged (its directory kept),
    // the others moved into the trash. Fails, changing nothing, when any of them was changed or
    // removed meanwhile by another writer (expected holds them as they were read). trashIds: where
    // the others went in the trash.
    static DataResult apply(DataConnection& connection, const ContactFields& keptAsRead, const ContactFields& merged,
                            const std::vector<ContactFields>& othersAsRead, std::vector<qint64>* trashIds = nullptr);
    // Takes a merge back in one transaction while the kept contact is still as merged: its old
    // values again, the others out of the trash into their directories.
    static DataResult undo(DataConnection& connection, const ContactFields& keptBefore, const ContactFields& merged,
                           const std::vector<qint64>& trashIds);
};
