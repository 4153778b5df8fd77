#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace
{

QString& folderOverride()
{
    static QString folder;
    return folder;
}

// INI groups and keys are case-sensitive; one spelling per entry makes them match any case.
QString entry(const QString& section, const QString& key)
{
    return section.toLower() + QLatin1Char('/') + key.toLower();
}

} // namespace

QString SettingsStore::fileFor(const QString& application)
{
    QString folder = folderOverride();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/QAV");
    return folder + QLatin1Char('/') + application + QStringLiteral(".ini");
}

QString SettingsStore::read(const QString& application, const QString& section, const QString& key,
                            const QString& defaultValue)
{
    QSettings settings(fileFor(application), QSettings::IniFormat);
    return settings.value(entry(section, key), defaultValue).toString();
}

void SettingsStore::write(const QString& application, const QString& section, const QString& key, const QString& value)
{
    QDir().mkpath(QFileInfo(fileFor(application)).absolutePath());
    QSettings settings(fileFor(application), QSettings::IniFormat);
    settings.setValue(entry(section, key), value);
}

void SettingsStore::setFolder(const QString& folder)
{
    folderOverride() = folder;
}
