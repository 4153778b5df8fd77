#pragma once

#include <QString>
#include <QStringView>

struct ContactFields;

// One of a contact's nine fields: where a ContactFields keeps it, its column in the contacts table,
// what the editor calls it, the title of its column in the contact list, and what it holds. ContactFields::kFields
// lists the nine in column order; every list of fields is taken from there.
struct ContactField {
    enum class Kind {
        Name,         // the key: unique in the book, what lists are sorted by
        Number,       // a telephone number (home, work, mobile, fax)
        Address,      // a postal address on one line
        Email,        // an e-mail address
        Organisation, // where the person works
        Notes,        // free text of several lines
    };

    QString ContactFields::*member;
    const char* column;
    QStringView caption; // the editor's label, and the word for the field wherever one is named
    QStringView heading; // the contact list's column title, also the header of the program's CSV file
    Kind kind;

    QString columnName() const { return QString::fromLatin1(column); }
    QString captionText() const { return caption.toString(); }
    QString headingText() const { return heading.toString(); }
    // Every field but the notes holds one line.
    bool isOneLine() const { return kind != Kind::Notes; }
};
