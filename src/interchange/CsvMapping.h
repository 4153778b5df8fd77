#pragma once

#include "ContactFields.h"

#include <QList>
#include <QStringList>

// Which contact field each column of a CSV file fills. The guess knows the headers of our own
// export and of common address books (Google, Outlook, Thunderbird); the user may change it.
class CsvMapping
{
public:
    enum Target {
        Ignore, Name, FirstName, MiddleName, LastName, HomeTel, JobTel, Mobil, Fax, Address, Email, Org, MoreInfo,
        PhoneByType // a phone value whose kind is in the column before it ("Phone 1 - Type")
    };

    static CsvMapping guess(const QStringList& headers);
    static QStringList targetNames(); // for the mapping dialog, by Target
    static QStringList ownHeaders();  // the header row we write

    QList<Target> targets;
    bool hasNameSource() const;

    ContactFields contact(const QStringList& row) const;
};
