#pragma once

#include "ContactFields.h"

#include <QString>

// Text that comes from outside (a file, a server's card, the command line, a paste) made
// harmless before anything keeps or shows it: control characters, which a terminal obeys
// (escape sequences) and a list shows as boxes, and explicit direction controls, which turn
// what follows them around ("gpj.exe" read as "exe.jpg"), are dropped. The marks Arabic text
// needs (U+200E, U+200F, U+061C) and tabs stay.
class OutsideText
{
public:
    // A name or any one-line field: a line end becomes one space, so words stay apart.
    static QString oneLine(const QString& text);
    // A note: its line ends stay.
    static QString lines(const QString& text);
    // Every field of a contact, the notes as lines.
    static ContactFields contact(const ContactFields& fields);
    // For a terminal: one line, without even a tab.
    static QString printable(const QString& text);

    // Whether c is dropped from every text (line ends and tabs are not).
    static bool dropped(QChar c);
};
