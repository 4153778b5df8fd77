#pragma once

#include "TrashStore.h"

#include <QDialog>

class MainForm;
class QTreeWidget;
class SkinButton;

// "سلة المحذوفات": the contacts deleted in the last 30 days, with when and from which directory.
// One or all go back into their directory (or one the user chooses when theirs is gone); the
// trash can be emptied for good. A contact of a locked directory shows no name and goes back
// only with that directory's password.
class TrashWindow : public QDialog
{
    Q_OBJECT
public:
    explicit TrashWindow(MainForm& main);

    QTreeWidget* list;
    SkinButton* cmdRestore;
    SkinButton* cmdRestoreAll;
    SkinButton* cmdEmpty;
    SkinButton* cmdClose;

private:
    void fill();
    void restoreSelected();
    void restoreAll();
    void restoreEach(const QList<TrashStore::Trashed>& items);
    void emptyTrash();
    // Puts back contacts deleted from one directory (with one password): the password is asked
    // and a new home chosen once for all of them. Returns how many went back; the names taken
    // meanwhile are added to taken.
    int restoreGroup(const QList<TrashStore::Trashed>& group, QStringList& taken);

    struct Target {
        QString code;           // an existing directory
        bool makeAgain = false; // or their own, made again under its name and password
    };
    // Where they go back: their own directory, or when it is gone the user's choice of one of
    // that name, a new one of that name, or another without a password. None when the user
    // chose none.
    Target targetDirectory(const TrashStore::Trashed& item, qsizetype count);
    void tell(const QString& text, bool failure);

    MainForm& m_main;
    QList<TrashStore::Trashed> m_items;
};
