#pragma once

#include "SmallDialog.h"

class MainForm;
class QListWidget;

// Asks where the contacts of a file opened with the program, or dropped on its window, go: into
// an unlocked directory (the open one first), or into a new directory named after the file.
class ImportTargetWindow : public SmallDialog
{
    Q_OBJECT
public:
    ImportTargetWindow(MainForm& main, const QString& path);

    QListWidget* choices; // the directories, then the new one
    SkinButton* CmdImport;
    SkinButton* cmdCancel;

    // Once accepted: the chosen directory's code, or "" for the new directory.
    QString directoryCode() const;
    QString newDirectoryName() const { return m_newName; }

    // A new directory's name from a file's: one line, trimmed, 40 characters at most.
    static QString directoryNameFor(const QString& path);

private:
    QStringList m_codes; // by row, the new directory's row past the end
    QString m_newName;
};
