#pragma once

class MainForm;

// Deletes the directory selected in the directory list, after the user confirms. A directory
// that still holds contacts is refused with their number; no password is asked.
class DirectoryDelete
{
public:
    static void run(MainForm& form);
};
