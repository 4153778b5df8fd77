#pragma once

#include <QString>

// The per-user preferences: text entries addressed by application, section and key. Section
// and key names match without regard to case ("theme" finds what "Theme" wrote). A read returns
// the default when the entry does not exist and never creates one.
class SettingsStore
{
public:
    static QString read(const QString& application, const QString& section, const QString& key,
                        const QString& defaultValue);
    static void write(const QString& application, const QString& section, const QString& key, const QString& value);

    // Tests point the store at a folder of their own; empty restores the user's location.
    static void setFolder(const QString& folder);
    static QString fileFor(const QString& application);
};
