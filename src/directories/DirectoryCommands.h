#pragma once

#include <QString>

class MainForm;

// The directory commands of the main window that open a dialog: add, rename, lock or unlock,
// and the password prompt of a locked directory.
class DirectoryCommands
{
public:
    static void add(MainForm& form);
    static void rename(MainForm& form);
    static void lockOrUnlock(MainForm& form);
    static void askPassword(MainForm& form, const QString& pass);
};
