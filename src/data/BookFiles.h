#pragma once

#include <QString>
#include <QStringList>

class QFileDevice;

// The files that make up the book in use, which nothing the program saves may ever overwrite:
// the book, its journal, the copy a restore replaced and the kept order's fingerprint.
class BookFiles
{
public:
    static QStringList of(const QString& bookPath);
    // Whether saving to target would write over one of them. Paths are compared as the file
    // system resolves them, so a link, "./" or ".." is no way round.
    static bool isBookFile(const QString& target, const QString& bookPath);

    // What the program writes holds contacts: readable by its owner only (0600), from the start.
    static bool makePrivate(QFileDevice& file);

    // Whether a file the key in hand does not read may be a book under another key, worth
    // asking a password for: whole pages that look random from the first byte (an encrypted
    // file has no readable header). Text, a plain SQLite file, a cut-off copy or a file of one
    // repeated byte is damage, not a password.
    static bool mayBeEncryptedBook(const QString& path);

private:
    static QString resolved(const QString& path);
};
