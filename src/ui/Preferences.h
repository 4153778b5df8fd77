#pragma once

#include <QString>

// The user's preferences, every one in the one settings file, Mirz.ini: the colour theme, the
// background sound, the timed sync and the auto-lock. The keys a file already holds stay as
// they are, so an older Mirz.ini keeps its meaning.
class Preferences
{
public:
    // "Blue", "Green" or "Silver" (the default); anything else is left to the caller.
    static QString theme();
    static void setTheme(const QString& name);

    // On unless the stored value says otherwise; a value that is no number turns it off.
    static bool soundOn();
    static void setSoundOn(bool on);
    // The chosen sound file, or fallback when none was chosen.
    static QString soundFile(const QString& fallback);
    static void setSoundFile(const QString& path);

    // The timed sync: off by default, every 15 minutes, kept between 1 minute and a day.
    static bool autoSync();
    static int autoSyncMinutes();
    static void setAutoSync(bool on, int minutes);
    // Servers (scheme://host:port) the user agreed to sync with over plain http. Kept here, not
    // in the book: a restored backup or another program's edit of the book cannot agree for them.
    static bool plainHttpAgreed(const QString& origin);
    static void agreePlainHttp(const QString& origin);

    // The folder the last backup went to, empty when none was made since this was kept.
    static QString lastBackupFolder();
    static void setLastBackupFolder(const QString& folder);

    // Minutes without input before a protected book locks; 0 never.
    // "البحث بالنطق": a name search also finds names that sound alike in either script.
    static bool searchBySound();
    static void setSearchBySound(bool on);
    // Whether the search through the whole book opens as the program starts, as its main view.
    static bool bookSearchAtStart();
    static void setBookSearchAtStart(bool on);

    // "التذكير بالمناسبات عند البدء": today's and tomorrow's occasions told as the program starts.
    static bool remindOccasions();
    static void setRemindOccasions(bool on);

    // The region (two letters) numbers without a country code are read as, when looking for
    // duplicates; empty until the user picks one.
    static QString phoneRegion();
    static void setPhoneRegion(const QString& region);

    static int lockMinutes();
    static void setLockMinutes(int minutes);
};
