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

private:
    static QString resolved(const QString& path);
};
