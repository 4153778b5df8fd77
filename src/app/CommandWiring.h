#pragma once

class MainForm;

// Connects the main window's commands to the windows that carry them out (editor, directory
// dialogs, backup, report...). The program and the window tests wire the same way.
class CommandWiring
{
public:
    static void install(MainForm& form);
    // Once the window shows: linked directories marked, and the sync at start-up when it is on.
    static void started(MainForm& form);
};
