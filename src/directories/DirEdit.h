#pragma once

#include "SmallDialog.h"

class MainForm;

// The name of a new directory, or the new name of the selected one.
class DirEdit : public SmallDialog
{
    Q_OBJECT
public:
    explicit DirEdit(MainForm& main);

    enum class Mode { Add, Rename };
    Mode mode = Mode::Add;
    QString key;     // edit: the directory's current name
    QString keyCode; // edit: its code, so that a namesake is never touched

    SkinTextBox* dir_name;
    SkinButton* CmdSave;
    SkinButton* cmdCancel;

    void save();

private:
    bool nameTaken(const QString& name) const;
    void warn(const QString& text);

    MainForm& m_main;
};
