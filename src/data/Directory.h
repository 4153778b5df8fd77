#pragma once

#include <QString>

// One row of the directories table: its code (the number contacts refer to), its name, and its
// password as the user typed it, "0" for none (other programs compare it with what is typed).
struct Directory {
    QString code{}, name{}, pass{};

    bool exists() const { return !code.isEmpty(); }
    bool isLocked() const { return isLocked(pass); }
    static bool isLocked(const QString& pass) { return pass != unlocked(); }
    // What the password column holds for a directory without a password.
    static QString unlocked() { return QStringLiteral("0"); }
};
