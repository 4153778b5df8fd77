#pragma once

class MainForm;

// The backup and restore commands of the main window's Tools menu.
class BackupCommands
{
public:
    static void install(MainForm& form);
};
