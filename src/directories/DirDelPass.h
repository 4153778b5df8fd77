#pragma once

#include "SmallDialog.h"

class MainForm;

// Removes the password of the selected directory once it is typed correctly.
class DirDelPass : public SmallDialog
{
    Q_OBJECT
public:
    explicit DirDelPass(MainForm& main);

    SkinTextBox* tpass;
    SkinButton* command1;
    SkinButton* cmdCancel;

    void unlock();

private:
    MainForm& m_main;
};
