#pragma once

#include "SmallDialog.h"

class MainForm;

// Locks the selected directory with a password typed twice.
class DirSetPass : public SmallDialog
{
    Q_OBJECT
public:
    explicit DirSetPass(MainForm& main);

    SkinTextBox* tpass1;
    SkinTextBox* tpass2;
    SkinButton* CmdSave;
    SkinButton* cmdCancel;

    void save();

private:
    MainForm& m_main;
};
