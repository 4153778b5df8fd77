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
    // Puts one back; false (the user told why) when it stays in the trash.
    bool restore(const TrashStore::Trashed& item);
    // The directory it goes back into: its own, or the user's choice when that is gone; empty
    // when the user chose none.
    QString targetDirectory(const TrashStore::Trashed& item);
    void tell(const QString& text, bool failure);

    MainForm& m_main;
    QList<TrashStore::Trashed> m_items;
};
