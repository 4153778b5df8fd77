#pragma once

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

private:
    void moveSeveral();

    MainForm& m_main;
    QString m_name;
    QStringList m_names; // every contact chosen, when several are
};
