#pragma once

#include <QString>

#include <functional>
#include <optional>

class MainForm;
struct SyncLink;
class QTimer;

// The sync commands of the main window: the "مزامنة..." window, a sync of every linked
// directory with a progress bar and a summary, and the sync at start-up and every N minutes.
class SyncCommands
{
public:
    // Gives the main window its sync command.
    static void install(MainForm& form);
    static void openWindow(MainForm& form);
    // Quiet syncs (the timer's) say nothing when all went well and nothing needs a look.
    static void syncAll(MainForm& form, bool quiet = false);
    // Starts or stops the timed sync as the settings say; at start-up also the first sync.
    static void applySchedule(MainForm& form, bool atStartUp = false);
    static void showLinks(MainForm& form);

    // A password typed for an account lives in memory for the rest of the session.
    static void rememberPassword(const QString& account, const QString& password);
    static void forgetPassword(const QString& account);
    // The link's directory was unlinked or deleted: its account's password goes from the secret
    // store and from memory, unless another directory that still exists syncs with that account.
    static void forgetUnlessUsed(const SyncLink& link);
    // The password of the user at the book's server: remembered, from the secret store, or asked for.
    static std::optional<QString> password(const QString& user, const QString& book);

    // Asks the user for a server password; tests answer it.
    using PasswordPrompt = std::function<std::optional<QString>(const QString& user, const QString& host)>;
    static void setPasswordPrompt(PasswordPrompt prompt);

    static bool autoSyncOn();
    static int autoSyncMinutes();
    static void setAutoSync(bool on, int minutes);
};
