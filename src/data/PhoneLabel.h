#pragma once

#include <QStringList>

// What kind of telephone number its words say: vCard TYPE values, a CSV column's title or a more
// value's label ("Work Fax", "mobile"). Files and the merge of duplicates read them alike.
class PhoneLabel
{
public:
    enum class Kind { Unknown, Home, Work, Mobile, Fax, Other };

    // A fax, then a mobile, then pagers, ISDN, video and the like, then work, then home; a
    // number with no kind, or only VOICE or PREF, is of unknown kind.
    static Kind kindOf(const QStringList& words);
};
