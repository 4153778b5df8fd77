#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Reads a file the user named, whole, only when it is what it claims to be: a regular file (a
// link to one is followed) of at most a given size. A device that never ends, a pipe that
// never closes or a folder is refused at once, before a byte is read; the size is checked on
// the file actually opened, and again while reading, so a file that grows meanwhile is no way
// round the limit.
class BoundedFileRead
{
public:
    enum class Outcome { Read, CannotOpen, NotRegular, TooLarge };
    struct Result {
        Outcome outcome = Outcome::CannotOpen;
        QByteArray bytes{};
        QString error{}; // CannotOpen: the system's words
        mode_t mode = 0; // the opened file's permission bits
    };
    static Result read(const QString& path, qint64 limit);
};
