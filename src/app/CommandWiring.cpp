#include "CommandWiring.h"

#include "AutoLock.h"
#include "BackupCommands.h"
#include "BookProtectionWindow.h"
#include "BookSearchWindow.h"
#include "ContactCommands.h"
#include "DirectoryCommands.h"
#include "HelpWindow.h"
#include "InterchangeCommands.h"
#include "MainForm.h"
#include "NoteValuesMove.h"
#include "OccasionReminder.h"
#include "Preferences.h"
#include "ReportPreview.h"
#include "SharedData.h"
#include "SyncCommands.h"

#include <QTimer>

// Each feature gives the main window its own commands; what is left here has one line each.
void CommandWiring::install(MainForm& form)
{
    form.addToolsCommand(QStringLiteral("protectbook"), QStringLiteral("حماية الدفتر بكلمة مرور..."), [](MainForm& f) {
        BookProtectionWindow window(f);
        window.exec();
    });
    DirectoryCommands::install(form);
    ContactCommands::install(form);
    BookSearchWindow::install(form);
    InterchangeCommands::install(form);
    NoteValuesMove::install(form);
    BackupCommands::install(form);
    SyncCommands::install(form);
    form.setCommand(MainCommand::Print, &ReportPreview::run);
    form.setCommand(MainCommand::About, [](MainForm&) {
        HelpWindow window;
        window.exec();
    });
}

void CommandWiring::started(MainForm& form)
{
    // Only a protected book has anything to lock: an open one neither watches input nor the session bus.
    if (SharedData::bookProtected())
        AutoLock::instance();
    SyncCommands::showLinks(form);
    SyncCommands::applySchedule(form, true);
    if (Preferences::bookSearchAtStart())
        BookSearchWindow::showFor(form);
    else
        BookSearchWindow::readAhead(form);
    // After the window is up: the desktop may take a moment to answer.
    QTimer::singleShot(0, &form, [] { OccasionReminder::remind(); });
}
