#pragma once

#include <QString>

class MainForm;

// The directory commands of the main window that open a dialog: add, rename, lock or unlock,
// and the password prompt of a locked directory.
class DirectoryCommands
{
public:
    // Gives the main window every directory command: these, the delete, and the delete of a
    // directory with its contacts.
    static void install(MainForm& form);
    static void add(MainForm& form);
    static void rename(MainForm& form);
    static void lockOrUnlock(MainForm& form);
    static void askPassword(MainForm& form, const QString& pass);
};
