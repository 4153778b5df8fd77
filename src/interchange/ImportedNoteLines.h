#pragma once

#include "ContactFields.h"
#include "ContactValue.h"

// The "label: value" lines an earlier import appended to a contact's notes when a card held more
// numbers, e-mails or addresses than the nine fields: only lines with a label the import itself
// writes, and a value that is plainly of that label's kind, are taken; every other line (the
// user's own text, a second organisation, a label that came from the file) stays in the notes.
class ImportedNoteLines
{
public:
    struct Split {
        QString notes;     // the notes without the lines taken
        MoreValues values; // each taken line as its own value, in the notes' order
    };
    // Values already held by the contact (its fields or more values) are dropped from the notes
    // and not added twice.
    static Split split(const ContactFields& contact, const MoreValues& more);
};
