#pragma once

#include <QString>

class MainForm;

// Import of contacts from vCard and CSV files, and export of the open directory.
class InterchangeCommands
{
public:
    static void importContacts(MainForm& form);
    static void exportDirectory(MainForm& form);

    // Import into directory code from the file at path; shows what it found and did.
    static void importFile(MainForm& form, const QString& path, const QString& code);
};
