#include "SyncCommands.h"

#include "BookAddress.h"
#include "BookSync.h"
#include "DirectoryStore.h"
#include "LockState.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "Notifier.h"
#include "Preferences.h"
#include "SecretMemory.h"
#include "SecretStore.h"
#include "SharedData.h"
#include "SyncStore.h"
#include "SyncWindow.h"

#include <QApplication>
#include <QHash>
#include <QInputDialog>
#include <QPointer>
#include <QProgressDialog>
#include <QSet>
#include <QTimer>
#include <QUrl>

namespace
{

QHash<QString, QString>& remembered()
{
    static QHash<QString, QString> passwords;
    return passwords;
}

std::optional<QString> askWithDialog(const QString& user, const QString& host)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setLayoutDirection(Qt::RightToLeft);
    dialog.setWindowTitle(QStringLiteral("مزامنة"));
    dialog.setLabelText(QStringLiteral("كلمة مرور المستخدم \"%1\" على الخادم %2 :").arg(user, host));
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setOkButtonText(QStringLiteral("موافق"));
    dialog.setCancelButtonText(QStringLiteral("إلغاء الأمر"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

SyncCommands::PasswordPrompt& prompt()
{
    static SyncCommands::PasswordPrompt current = askWithDialog;
    return current;
}

QTimer*& scheduleTimer()
{
    static QTimer* timer = nullptr;
    return timer;
}

} // namespace

void SyncCommands::install(MainForm& form)
{
    form.setCommand(MainCommand::Sync, &SyncCommands::openWindow);
    // The link stays with a deleted directory, so that taking the deletion back links it again;
    // its password does not.
    QObject::connect(&form, &MainForm::directoryDeleted, &form, [](const QString& code) {
        if (const std::optional<SyncLink> link = SyncStore(SharedData::connection()).link(code))
            forgetUnlessUsed(*link);
    });
}

void SyncCommands::openWindow(MainForm& form)
{
    SyncWindow window(form);
    window.exec();
}

void SyncCommands::rememberPassword(const QString& account, const QString& password)
{
    remembered().insert(account, password);
}

void SyncCommands::forgetPassword(const QString& account)
{
    if (const auto held = remembered().find(account); held != remembered().end()) {
        SecretMemory::wipe(*held);
        remembered().erase(held);
    }
}

void SyncCommands::forgetUnlessUsed(const SyncLink& link)
{
    const QString key = SecretStore::account(link.user, link.book);
    DirectoryStore directories(SharedData::connection());
    for (const SyncLink& other : SyncStore(SharedData::connection()).links()) {
        if (other.dir == link.dir || SecretStore::account(other.user, other.book) != key)
            continue;
        // A link left behind by a deleted directory uses nothing; a book that cannot tell keeps it.
        Directory directory;
        if (!directories.find(other.dir, directory) || directory.exists())
            return;
    }
    SecretStore::instance().forget(key);
    forgetPassword(key);
}

std::optional<QString> SyncCommands::password(const QString& user, const QString& book)
{
    const QString account = SecretStore::account(user, book);
    if (remembered().contains(account))
        return remembered().value(account);
    if (QString stored; SecretStore::instance().readFor(user, book, stored))
        return stored;
    // No secret store runs, or it has nothing: ask, and keep the answer in memory only.
    std::optional<QString> typed = prompt()(user, QUrl(book).host());
    if (typed)
        rememberPassword(account, *typed);
    return typed;
}

void SyncCommands::setPasswordPrompt(PasswordPrompt newPrompt)
{
    prompt() = newPrompt ? std::move(newPrompt) : PasswordPrompt(askWithDialog);
}

void SyncCommands::syncAll(MainForm& form, bool quiet)
{
    const std::vector<SyncLink> links = SyncStore(SharedData::connection()).links();
    if (links.empty()) {
        if (!quiet)
            MessageBox::show(QStringLiteral("لا يوجد دليل مربوط بدفتر عناوين , اربط دليلا أولا"),
                             MessageBox::Arabic | MessageBox::Information, QStringLiteral("مزامنة"));
        return;
    }
    QProgressDialog progress(QStringLiteral("جارى المزامنة ..."), QStringLiteral("إلغاء الأمر"), 0, 0, &form);
    progress.setLayoutDirection(Qt::RightToLeft);
    progress.setWindowTitle(QStringLiteral("مزامنة"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    const SyncSummary summary = BookSync::run(
        SharedData::connection(), links, [](const SyncLink& link) { return password(link.user, link.book); },
        [](const SyncLink& link) { return Preferences::plainHttpAgreed(BookAddress::origin(QUrl(link.book))); },
        [&progress](int done, int total) {
            progress.setMaximum(std::max(total, 1));
            progress.setValue(std::min(done, std::max(total, 1)));
            return !progress.wasCanceled();
        },
        60000, [&progress] { return progress.wasCanceled(); });
    progress.close();

    form.refreshAfterWrite(form.viewState() == ViewState::Contacts ? BookChange::Contacts
                                                                   : BookChange::DirectoriesAddedOrRemoved);
    // A timed sync tells a failure once, not every few minutes while the server stays away.
    static bool failureTold = false;
    const bool worthTelling = (!summary.completed() && !(quiet && failureTold)) || !summary.conflicts.isEmpty() ||
                              !summary.renamed.isEmpty() || summary.likelyDuplicates > 0;
    failureTold = !summary.completed();
    if (quiet && !worthTelling)
        return;
    // A timed sync that failed goes to the desktop's notifications, not into a box over the
    // user's work; only a desktop without them gets the box.
    if (quiet && !summary.completed() && Notifier::notify(QStringLiteral("تعذرت المزامنة"), summary.text()))
        return;
    MessageBox::show(summary.text(),
                     MessageBox::Arabic | (summary.completed() ? MessageBox::Information : MessageBox::Exclamation),
                     QStringLiteral("مزامنة"));
}

bool SyncCommands::autoSyncOn()
{
    return Preferences::autoSync();
}

int SyncCommands::autoSyncMinutes()
{
    return Preferences::autoSyncMinutes();
}

void SyncCommands::setAutoSync(bool on, int minutes)
{
    Preferences::setAutoSync(on, minutes);
}

void SyncCommands::applySchedule(MainForm& form, bool atStartUp)
{
    QTimer*& timer = scheduleTimer();
    if (!autoSyncOn()) {
        delete timer;
        timer = nullptr;
        return;
    }
    if (!timer) {
        timer = new QTimer(&form);
        QPointer<MainForm> window(&form);
        QObject::connect(timer, &QTimer::timeout, &form, [window] {
            // Behind the lock nothing runs: one sync waits for the password, whatever the ticks.
            static bool waiting = false;
            if (waiting || !window)
                return;
            waiting = true;
            LockState::whenUnlocked(window, [window] {
                waiting = false;
                // Never under another window the user is working in: the next tick tries again.
                if (window && !QApplication::activeModalWidget())
                    syncAll(*window, true);
            });
        });
        QObject::connect(&form, &QObject::destroyed, [] { scheduleTimer() = nullptr; });
    }
    timer->start(autoSyncMinutes() * 60 * 1000);
    if (atStartUp) {
        QPointer<MainForm> window(&form);
        QTimer::singleShot(0, &form, [window] {
            if (window)
                LockState::whenUnlocked(window, [window] {
                    if (window)
                        syncAll(*window, true);
                });
        });
    }
}

void SyncCommands::showLinks(MainForm& form)
{
    QSet<QString> codes;
    for (const SyncLink& link : SyncStore(SharedData::connection()).links())
        codes.insert(link.dir);
    form.setLinkedDirectories(codes);
}
