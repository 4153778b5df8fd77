#include "DirectoryCommands.h"

#include "DirDelPass.h"
#include "DirEdit.h"
#include "DirPass.h"
#include "DirSetPass.h"
#include "Directory.h"
#include "DirectoryDelete.h"
#include "MainForm.h"
#include "SkinTextBox.h"

void DirectoryCommands::install(MainForm& form)
{
    form.setCommand(MainCommand::AddDirectory, &DirectoryCommands::add);
    form.setCommand(MainCommand::RenameDirectory, &DirectoryCommands::rename);
    form.setCommand(MainCommand::DeleteDirectory, &DirectoryDelete::run);
    form.setCommand(MainCommand::LockDirectory, &DirectoryCommands::lockOrUnlock);
    form.setPasswordPrompt(&DirectoryCommands::askPassword);
    form.addDirectoryCommand(QStringLiteral("dirdelall"), QStringLiteral("حذف الدليل بما فيه..."),
                             &DirectoryDelete::runWithContacts);
}

void DirectoryCommands::add(MainForm& form)
{
    form.showListPane();
    DirEdit dialog(form);
    dialog.mode = DirEdit::Mode::Add;
    dialog.exec();
}

void DirectoryCommands::rename(MainForm& form)
{
    if (!form.hasSelectedDirectory() || !form.listPaneShown())
        return;
    DirEdit dialog(form);
    dialog.mode = DirEdit::Mode::Rename;
    dialog.key = form.selectedDirectoryName();
    dialog.keyCode = form.selectedDirectoryCode();
    dialog.dir_name->setText(dialog.key);
    dialog.setWindowTitle(QStringLiteral("إعادة تسمية") + QStringLiteral(": ") + dialog.key);
    dialog.exec();
}

void DirectoryCommands::lockOrUnlock(MainForm& form)
{
    if (!form.hasSelectedDirectory())
        return;
    if (!Directory::isLocked(form.selectedDirectoryPass())) {
        DirSetPass dialog(form);
        dialog.exec();
    } else {
        DirDelPass dialog(form);
        dialog.exec();
    }
}

void DirectoryCommands::askPassword(MainForm& form, const QString& pass)
{
    DirPass dialog(form);
    dialog.pass = pass;
    dialog.exec();
}
