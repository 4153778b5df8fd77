#include "BackupCommands.h"

#include "Backup.h"
#include "MainForm.h"
#include "UpdateWindow.h"

void BackupCommands::install(MainForm& form)
{
    form.setCommand(MainCommand::Backup, [](MainForm&) {
        Backup window;
        window.exec();
    });
    form.setCommand(MainCommand::Restore, [](MainForm& f) {
        UpdateWindow window(f);
        window.exec();
    });
}
