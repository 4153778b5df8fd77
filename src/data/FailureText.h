#pragma once

#include <QFileDevice>
#include <QString>

// Why something failed, in the words a user reads: the system's and SQLite's own messages are in
// English, and they reach people through the program's Arabic sentences.
class FailureText
{
public:
    static QString bookNotOpen() { return QStringLiteral("الدفتر غير مفتوح"); }
    // A SQLite result code, extended or not: its primary code decides.
    static QString ofDatabase(int code);
    // An errno value, as a failed system call left it.
    static QString ofSystem(int error);
    // A file that failed to open, read or write.
    static QString ofFile(const QFileDevice& file);
    // A file at path that could not be opened or made.
    static QString ofOpening(const QString& path);
};
