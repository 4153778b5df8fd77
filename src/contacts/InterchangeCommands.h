#pragma once

#include "ContactFields.h"
#include "ContactValue.h"

#include <QString>
#include <QStringList>

#include <vector>

class MainForm;
struct ContactFileContents;

// Import of contacts from vCard and CSV files, and export of the open directory.
class InterchangeCommands
{
public:
    // Gives the main window its import and export commands.
    static void install(MainForm& form);
    static void importContacts(MainForm& form);
    // The open directory, or only its contacts chosen together when several are.
    static void exportDirectory(MainForm& form);

    // Import into directory code from the file at path; shows what it found and did.
    static void importFile(MainForm& form, const QString& path, const QString& code);
    // Import from a chosen file into a new directory named after it (an empty book's first step).
    static void importIntoNewDirectory(MainForm& form);
    // Files opened with the program or dropped on its window: each is imported into directory
    // code, or, when code is "", where the user says for that file.
    static void importFiles(MainForm& form, const QStringList& paths, const QString& code);
    // A file the program may not write (the book itself, a symbolic link): the user is told why.
    static bool refusesSaveTarget(const QString& path);

private:
    // more gets each contact's values beyond the nine fields, in the same order.
    static std::vector<ContactFields> exportedContacts(MainForm& form, std::vector<MoreValues>& more);
    static bool readFile(const QString& path, ContactFileContents& contents);
    static bool loadFile(const QString& path, QByteArray& bytes, bool& csv);
    static bool decode(const QByteArray& bytes, bool csv, ContactFileContents& contents);
    static bool mayImportInto(MainForm& form, const QString& code);
    static bool runImport(MainForm& form, const ContactFileContents& contents, const QString& code,
                          const QString& newDirectory);
};
