#pragma once

#include <QString>

class MainForm;

// What locking and unlocking share: the warning box and writing the pass column of the
// selected directory.
class DirectoryPasswords
{
public:
    // "انتبه" with the platform's own OK button, right-to-left reading.
    static void warn(const QString& text);
    // Writes pass ("0" unlocks) for the selected directory, by name and code, then refreshes the
    // directory list. Returns false, after saying so, when the row was not changed.
    static bool write(MainForm& form, const QString& pass);
    // Whether the directory is linked to an address book on a server (which a lock would leave sending).
    static bool linkedToServer(const QString& code);
};
