#pragma once

#include <QString>

// A password the command line reads from a file: a regular file of at most 4 KB, read once.
// A device that never ends (/dev/zero), a folder or a pipe is refused before a byte is read.
struct PasswordFile {
    static constexpr qint64 kMaxBytes = 4096;

    bool given = false;
    QString password{}; // without its line end
    QString refused{};  // why it cannot be used, in Arabic; empty when it was read
    QString warning{};  // a file that others may read: said on standard error, then used

    static PasswordFile read(const QString& path);

    // Copies share the password's characters; the last one to go overwrites them.
    PasswordFile() = default;
    PasswordFile(const PasswordFile&) = default;
    PasswordFile(PasswordFile&&) = default;
    PasswordFile& operator=(const PasswordFile&) = default;
    PasswordFile& operator=(PasswordFile&&) = default;
    ~PasswordFile();
};
