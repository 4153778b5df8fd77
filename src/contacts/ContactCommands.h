#pragma once

class MainForm;
class QWidget;

#include <QStringList>

// The commands on the contacts of the open directory: add, edit, view and delete. Add, edit and
// view prepare a fresh editor and show it; delete asks and removes the selected contact.
class ContactCommands
{
public:
    // Gives the main window every command on contacts: these, moving, call, mail and copy, the
    // trash and the duplicates.
    static void install(MainForm& form);
    static void add(MainForm& form);
    static void edit(MainForm& form, bool readOnly = false);
    // The same for a contact given by its columns (the nine fields, then the directory's code),
    // from wherever it was found.
    static void edit(MainForm& form, const QStringList& columns, bool readOnly, QWidget* parent = nullptr);
    static void view(MainForm& form) { edit(form, true); }
    static void remove(MainForm& form);
    static void removeSeveral(MainForm& form, const QList<QStringList>& chosen);
    // The selected contact as a QR code for a phone's camera.
    static void shareByQrCode(MainForm& form);
    static void shareByQrCode(QWidget* parent, const QStringList& columns);
};
