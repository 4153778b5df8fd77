#pragma once

#include "DataConnection.h"

#include <QList>
#include <QString>
#include <QStringList>

// What a mail program asks of the book: the e-mail addresses of the contacts whose name or
// e-mail holds the typed text (folded as the search folds it), or whose name sounds like it.
// Only unlocked directories are read; every text given back is printable on one line.
class AddressQuery
{
public:
    struct Line {
        QString address, name, directory;
    };

    // The lines for query: the exact hits first, then the names that sound alike, each by name.
    static DataResult run(DataConnection& connection, const QString& query, QList<Line>& lines);

    // The addresses an e-mail field holds, however they are separated; words without an @ are not
    // addresses.
    static QStringList addresses(const QString& field);
    // The text without controls, direction overrides or line breaks: a name can come from any
    // file or server, and must not break the answer's lines nor turn the terminal's text around.
    static QString printable(const QString& text);
    // The first line a mail program shows: how many addresses were found.
    static QString summary(qsizetype count);
};
