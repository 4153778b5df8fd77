#pragma once

#include "ContactFields.h"
#include "ContactValue.h"
#include "DataConnection.h"

#include <QStringList>

#include <vector>

// Merges contacts that are one person into the one the user keeps, losing nothing: every value
// of the others goes to the kept contact's free field of the same kind, or else becomes one of
// its more values with its kind and label. A value it already holds is not added twice (numbers
// compared as numbers, e-mails in any case). Only what has no kind of its own goes to the notes:
// the others' names, a second organisation and their notes.
class ContactMerge
{
public:
    // A contact with its more values.
    struct Whole {
        ContactFields fields{};
        MoreValues more{};
        bool operator==(const Whole&) const = default;
    };

    // region: how numbers without a country code are read, as the duplicates window reads them.
    static Whole merged(const Whole& kept, const std::vector<Whole>& others, const QString& region);

    // In one transaction: the contact named keptAsRead's name rewritten as merged (its directory
    // kept), the others moved into the trash with their more values. Fails, changing nothing, when
    // any of them was changed or removed meanwhile by another writer (the kept one with its more
    // values as read). trashIds: where the others went in the trash.
    static DataResult apply(DataConnection& connection, const Whole& keptAsRead, const Whole& merged,
                            const std::vector<ContactFields>& othersAsRead, std::vector<qint64>* trashIds = nullptr);
    // Takes a merge back in one transaction while the kept contact is still as merged: its old
    // values again, the others out of the trash into their directories with their own more values.
    static DataResult undo(DataConnection& connection, const Whole& keptBefore, const Whole& merged,
                           const std::vector<qint64>& trashIds);
    // Whether apply or undo changed nothing because another writer had changed or removed one of
    // the contacts since it was read (the window tells the user to search again).
    static bool changedMeanwhile(const DataResult& result);
};
