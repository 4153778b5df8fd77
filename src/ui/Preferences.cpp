#include "Preferences.h"

#include "SettingsStore.h"

#include <QStringList>

#include <algorithm>

namespace
{
const QString kFile = QStringLiteral("Mirz");
// Where an earlier version kept the timed sync, under Arabic keys: read when Mirz.ini has none.
const QString kEarlierSyncFile = QStringLiteral("QAV Telephone");
const QString kMissing = QStringLiteral("\x01");

QString read(const QString& section, const QString& key, const QString& fallback)
{
    return SettingsStore::read(kFile, section, key, fallback);
}

void write(const QString& section, const QString& key, const QString& value)
{
    SettingsStore::write(kFile, section, key, value);
}

// The timed sync's value, from Mirz.ini or else from where an earlier version kept it.
QString syncValue(const QString& key, const QString& earlierKey, const QString& fallback)
{
    QString stored = read(QStringLiteral("Sync"), key, kMissing);
    if (stored != kMissing)
        return stored;
    return SettingsStore::read(kEarlierSyncFile, QStringLiteral("Sync"), earlierKey, fallback);
}
} // namespace

QString Preferences::theme()
{
    return read(QStringLiteral("Theme"), QStringLiteral("Color"), QStringLiteral("Silver"));
}

void Preferences::setTheme(const QString& name)
{
    write(QStringLiteral("Theme"), QStringLiteral("Color"), name);
}

bool Preferences::soundOn()
{
    bool isNumber = false;
    const int value =
        read(QStringLiteral("Sound"), QStringLiteral("Value"), QStringLiteral("1")).trimmed().toInt(&isNumber);
    return isNumber && value == 1;
}

void Preferences::setSoundOn(bool on)
{
    write(QStringLiteral("Sound"), QStringLiteral("Value"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

QString Preferences::soundFile(const QString& fallback)
{
    const QString path = read(QStringLiteral("Sound"), QStringLiteral("Path"), fallback);
    return path.isEmpty() ? fallback : path;
}

void Preferences::setSoundFile(const QString& path)
{
    write(QStringLiteral("Sound"), QStringLiteral("Path"), path);
}

bool Preferences::autoSync()
{
    return syncValue(QStringLiteral("Auto"), QStringLiteral("مزامنة تلقائية"), QStringLiteral("0")) ==
           QLatin1String("1");
}

int Preferences::autoSyncMinutes()
{
    const int minutes =
        syncValue(QStringLiteral("Minutes"), QStringLiteral("دقائق المزامنة"), QStringLiteral("15")).toInt();
    return std::clamp(minutes, 1, 24 * 60);
}

void Preferences::setAutoSync(bool on, int minutes)
{
    write(QStringLiteral("Sync"), QStringLiteral("Auto"), on ? QStringLiteral("1") : QStringLiteral("0"));
    write(QStringLiteral("Sync"), QStringLiteral("Minutes"), QString::number(minutes));
}

bool Preferences::plainHttpAgreed(const QString& origin)
{
    return read(QStringLiteral("Sync"), QStringLiteral("PlainHttp"), QString())
        .split(QLatin1Char(' '), Qt::SkipEmptyParts)
        .contains(origin);
}

void Preferences::agreePlainHttp(const QString& origin)
{
    if (plainHttpAgreed(origin) || origin.contains(QLatin1Char(' ')))
        return;
    const QString agreed = read(QStringLiteral("Sync"), QStringLiteral("PlainHttp"), QString());
    write(QStringLiteral("Sync"), QStringLiteral("PlainHttp"),
          agreed.isEmpty() ? origin : agreed + QLatin1Char(' ') + origin);
}

QString Preferences::lastBackupFolder()
{
    return read(QStringLiteral("Backup"), QStringLiteral("LastFolder"), QString());
}

void Preferences::setLastBackupFolder(const QString& folder)
{
    write(QStringLiteral("Backup"), QStringLiteral("LastFolder"), folder);
}

int Preferences::lockMinutes()
{
    return std::max(0, read(QStringLiteral("Lock"), QStringLiteral("Minutes"), QStringLiteral("0")).toInt());
}

void Preferences::setLockMinutes(int minutes)
{
    write(QStringLiteral("Lock"), QStringLiteral("Minutes"), QString::number(std::max(0, minutes)));
}

bool Preferences::searchBySound()
{
    return read(QStringLiteral("Search"), QStringLiteral("BySound"), QStringLiteral("1")).trimmed() !=
           QLatin1String("0");
}

void Preferences::setSearchBySound(bool on)
{
    write(QStringLiteral("Search"), QStringLiteral("BySound"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool Preferences::bookSearchAtStart()
{
    return read(QStringLiteral("Search"), QStringLiteral("WholeBookAtStart"), QStringLiteral("0")).trimmed() ==
           QLatin1String("1");
}

void Preferences::setBookSearchAtStart(bool on)
{
    write(QStringLiteral("Search"), QStringLiteral("WholeBookAtStart"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool Preferences::remindOccasions()
{
    return read(QStringLiteral("Occasions"), QStringLiteral("RemindAtStart"), QStringLiteral("1")).trimmed() !=
           QLatin1String("0");
}

void Preferences::setRemindOccasions(bool on)
{
    write(QStringLiteral("Occasions"), QStringLiteral("RemindAtStart"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

QString Preferences::phoneRegion()
{
    return read(QStringLiteral("Duplicates"), QStringLiteral("Region"), QString()).trimmed().toUpper();
}

void Preferences::setPhoneRegion(const QString& region)
{
    write(QStringLiteral("Duplicates"), QStringLiteral("Region"), region);
}
