#pragma once

#include "ContactFields.h"
#include "ContactValue.h"

#include <QList>
#include <QStringList>

// Which contact field each column of a CSV file fills. The guess knows the headers of our own
// export and of common address books: Google (the current "- Label" layout and the older
// "- Type" one), Outlook and Thunderbird, and Arabic headers however they are spelt
// ("تليفون المنزل", "هاتف منزل", "الجوال", "البريد الإلكتروني"); the user may change it. Numbers, e-mails and
// addresses that find no field go to the more values when they are asked for, else to the notes
// (see ContactSlots); Google's several values in one cell (" ::: ") are split; an address spread
// over columns is joined street first. Birthdays, other dates and web pages are more values.
class CsvMapping
{
public:
    enum Target {
        Ignore,
        Name,
        FirstName,
        MiddleName,
        LastName,
        HomeTel,
        JobTel,
        Mobil,
        Fax,
        Address,
        Email,
        Org,
        MoreInfo,
        PhoneByType, // a number whose kind is in its group's label column ("Phone 1 - Label")
        OtherPhone,  // a number of another kind (pager, car, ISDN ...), its header naming the kind
        AddressPart, // one part of an address spread over columns ("Home City")
        Label,       // the kind of the other values of its group ("Phone 1 - Label")
        Birthday,
        Website,
        Event, // a date whose kind is in its group's label column, or in its header ("Anniversary")
    };
    // What a column holds beyond its field: the group of columns it belongs to ("phone 1",
    // "home"), its label as the notes would show it, and an address part's place in the address.
    struct Column {
        QString group;
        QString label;
        int part = 0;
    };

    static CsvMapping guess(const QStringList& headers);
    static QStringList targetNames(); // for the mapping dialog, by Target
    static QStringList ownHeaders();  // the nine fields' columns of the header row we write
    // The headers of our own layout's columns of more values: "تليفون 2 - النوع", "تليفون 2 - القيمة".
    static QString ownGroupHeader(ContactValue::Kind kind, int number, bool label);

    QList<Target> targets;
    QList<Column> columns; // beside targets, one per column

    bool hasNameSource() const;
    // The contact of one row; movedToNotes, when given, grows by the values put into the notes;
    // more, when given, receives the values beyond the nine fields (a date that is none goes to
    // the notes).
    ContactFields contact(const QStringList& row, int* movedToNotes = nullptr, MoreValues* more = nullptr) const;
};
