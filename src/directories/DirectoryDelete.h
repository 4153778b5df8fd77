#pragma once

class MainForm;

// Deletes the directory selected in the directory list, after the user confirms. A directory
// that still holds contacts is refused with their number; no password is asked.
class DirectoryDelete
{
public:
    static void run(MainForm& form);
    // Deletes it with its contacts, which go to the trash; a locked directory's password is
    // asked first. Taken back as one change.
    static void runWithContacts(MainForm& form);
};
