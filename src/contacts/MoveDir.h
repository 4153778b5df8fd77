#pragma once

#include "DataConnection.h"
#include "SmallDialog.h"

class MainForm;
class QLineEdit;
class RecordListView;

// Moves the selected contact (or every chosen one) to another directory, chosen from a list of
// all the others.
class MoveDir : public SmallDialog
{
    Q_OBJECT
public:
    explicit MoveDir(MainForm& main);

    RecordListView* list;
    QLineEdit* dir; // the code of the chosen directory; the contact's own until a click
    SkinButton* SkinButton2;
    SkinButton* CmdSave;
    SkinButton* cmdCancel;

    void filllist();
    void move();

    // Contacts dropped on directory code in the main window's list: asked first, then moved as
    // the window moves several, all or none, with one undo.
    static void moveDropped(MainForm& main, const QStringList& names, const QString& code);

private:
    void moveSeveral();
    static DataResult moveNamed(MainForm& main, const QStringList& names, const QString& to);

    MainForm& m_main;
    QString m_name;
    QStringList m_names; // every contact chosen, when several are
};
