#include "CommandWiring.h"

#include "Backup.h"
#include "HelpWindow.h"
#include "InterchangeCommands.h"
#include "ReportPreview.h"
#include "UpdateWindow.h"

#include "AutoLock.h"
#include "BookProtectionWindow.h"

#include "ContactCommands.h"
#include "ContactLinks.h"
#include "DirectoryCommands.h"
#include "DirectoryDelete.h"
#include "DuplicatesWindow.h"
#include "MainForm.h"
#include "MoveDir.h"
#include "SharedData.h"
#include "SyncCommands.h"
#include "TrashWindow.h"

#include <QMenu>

void CommandWiring::install(MainForm& form)
{
    form.commands.addDirectory = [](MainForm& f) { DirectoryCommands::add(f); };
    form.commands.renameDirectory = [](MainForm& f) { DirectoryCommands::rename(f); };
    form.commands.deleteDirectory = [](MainForm& f) { DirectoryDelete::run(f); };
    form.commands.lockDirectory = [](MainForm& f) { DirectoryCommands::lockOrUnlock(f); };
    form.commands.askDirectoryPassword = [](MainForm& f, const QString& pass) {
        DirectoryCommands::askPassword(f, pass);
    };
    form.commands.showEditor = [](MainForm& f, ContactUse use) {
        if (use == ContactUse::Add)
            ContactCommands::add(f);
        else if (use == ContactUse::View)
            ContactCommands::view(f);
        else
            ContactCommands::edit(f);
    };
    form.commands.deleteContact = [](MainForm& f) { ContactCommands::remove(f); };
    form.commands.backup = [](MainForm&) {
        Backup window;
        window.exec();
    };
    form.commands.restore = [](MainForm& f) {
        UpdateWindow window(f);
        window.exec();
    };
    form.commands.print = [](MainForm& f) { ReportPreview::run(f); };
    form.commands.importContacts = [](MainForm& f) { InterchangeCommands::importContacts(f); };
    form.commands.importIntoNewDirectory = [](MainForm& f) { InterchangeCommands::importIntoNewDirectory(f); };
    form.commands.exportDirectory = [](MainForm& f) { InterchangeCommands::exportDirectory(f); };
    form.commands.about = [](MainForm&) {
        HelpWindow window;
        window.exec();
    };
    form.commands.sync = [](MainForm& f) { SyncCommands::openWindow(f); };
    form.addDirectoryCommand(QStringLiteral("dirdelall"), QStringLiteral("حذف الدليل بما فيه..."),
                             [](MainForm& f) { DirectoryDelete::runWithContacts(f); });
    form.addContactMenu(QStringLiteral("callnumber"), QStringLiteral("اتصال"),
                        [](MainForm& f, QMenu* menu, const QStringList& c) { ContactLinks::fillCalls(menu, c, &f); });
    form.addContactMenu(QStringLiteral("sendmail"), QStringLiteral("إرسال بريد"),
                        [](MainForm& f, QMenu* menu, const QStringList& c) { ContactLinks::fillMail(menu, c, &f); });
    form.addContactMenu(QStringLiteral("copynumber"), QStringLiteral("نسخ الرقم"),
                        [](MainForm&, QMenu* menu, const QStringList& c) { ContactLinks::fillCopies(menu, c); });
    form.addContactCommand(QStringLiteral("shareqr"), QStringLiteral("مشاركة برمز QR"),
                           [](MainForm& f) { ContactCommands::shareByQrCode(f); });
    form.addToolsCommand(QStringLiteral("protectbook"), QStringLiteral("حماية الدفتر بكلمة مرور..."), [](MainForm& f) {
        BookProtectionWindow window(f);
        window.exec();
    });
    form.addToolsCommand(QStringLiteral("trash"), QStringLiteral("سلة المحذوفات..."), [](MainForm& f) {
        TrashWindow window(f);
        window.exec();
    });
    form.addToolsCommand(QStringLiteral("duplicates"), QStringLiteral("البحث عن المكررات"), [](MainForm& f) {
        DuplicatesWindow window(f);
        window.exec();
    });
    form.commands.moveContact = [](MainForm& f) {
        // No contact selected, nothing to move (and never the one whose name is blank).
        if (f.selectedContact().isEmpty())
            return;
        MoveDir window(f);
        window.exec();
    };
}

void CommandWiring::started(MainForm& form)
{
    // Only a protected book has anything to lock: an open one neither watches input nor the session bus.
    if (SharedData::bookProtected())
        AutoLock::instance();
    SyncCommands::showLinks(form);
    SyncCommands::applySchedule(form, true);
}
