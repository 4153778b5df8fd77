#pragma once

#include "DataConnection.h"

#include <QByteArrayView>
#include <QString>

// Every file the program saves for the user (exports, PDFs, images, backups and the files kept
// beside them) is written the same way: never through a symbolic link, never over the book,
// readable by its owner only (0600), and whole or not at all. The bytes go to a new temporary
// file in the target's folder (created exclusively, so no link can stand in its place), which
// is then renamed over the target. A target that is a symbolic link is refused; should one
// appear between that check and the rename, the rename replaces the link itself, never the
// file it points to.
class SafeFileWrite
{
public:
    enum class Refusal { None, Link, Book, NotAFile };
    // Why target may not be written over, looked at without following a link: a symbolic link,
    // one of the book's files (by path, or the very file by device and inode), or no regular file.
    static Refusal refusal(const QString& target, const QString& bookPath);

    static DataResult write(const QString& target, QByteArrayView bytes, const QString& bookPath);

    // A new private temporary file in folder, for a writer that needs a file name (the PDF
    // writer); empty with error set when none could be made.
    static QString temporaryIn(const QString& folder, QString& error);
    // Puts a complete temporary file in target's place, after the checks of refusal(); on
    // failure the temporary file is removed and target is as it was.
    static DataResult putInPlace(const QString& temporary, const QString& target, const QString& bookPath);

    // The Arabic words for a refusal, for the window's message and the command line's line.
    static QString reason(Refusal refusal);
};
