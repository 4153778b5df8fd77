#pragma once

#include "SmallDialog.h"

class MainForm;

// Asks for the password of a locked directory before it opens.
class DirPass : public SmallDialog
{
    Q_OBJECT
public:
    explicit DirPass(MainForm& main);

    QString pass;            // the stored password of the directory being opened
    bool verifyOnly = false; // only check the password (accept or reject), open nothing
    SkinTextBox* tpass;
    SkinButton* command1;
    SkinButton* cmdCancel;

    // Not QDialog::open(), which only shows the window: this checks the typed password.
    void openWithPassword();

private:
    MainForm& m_main;
};
