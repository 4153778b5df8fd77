#pragma once

#include "BookRekey.h"
#include "SmallDialog.h"

class MainForm;
class QSpinBox;

// Sets, changes or removes the master password that encrypts the whole book. Without one the
// book is encrypted with the program's published standard key, which other tools use to read it.
class BookProtectionWindow : public SmallDialog
{
    Q_OBJECT
public:
    explicit BookProtectionWindow(MainForm& main);

    SkinTextBox* tcurrent; // only while the book is protected
    SkinTextBox* tnew;
    SkinTextBox* tconfirm;
    QSpinBox* idleMinutes; // only while the book is protected
    SkinButton* cmdSave;
    SkinButton* cmdRemove; // only while the book is protected
    SkinButton* cmdClose;

private:
    void save();
    void remove();
    bool currentPasswordRight();
    // Re-keys the book and opens it again; says what happened, in Arabic.
    bool rekey(const QString& key, const QString& doneMessage);
    QString underTheOldKey(BookRekey::Previous previous) const;
    void warn(const QString& text, SkinTextBox* focus);

    MainForm& m_main;
    bool m_protected;
};
