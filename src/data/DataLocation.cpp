#include "DataLocation.h"

#include "Schema.h"

#include <QDir>
#include <QFileInfo>

namespace
{

QString installedShareFolder(const QString& programFolder)
{
    return QDir::cleanPath(programFolder + QStringLiteral("/../") + QLatin1String(DataLocation::kShareFolder));
}

} // namespace

bool DataLocation::usesUserFolder(const QString& programFolder)
{
    if (QFileInfo::exists(QDir(programFolder).filePath(QLatin1String(Schema::kFileName))))
        return false;
    return !QFileInfo(programFolder).isWritable() || QFileInfo(installedShareFolder(programFolder)).isDir();
}

QString DataLocation::bookFolder(const QString& programFolder, const QString& userDataFolder)
{
    return usesUserFolder(programFolder) ? userDataFolder : programFolder;
}

QString DataLocation::shippedFile(const QString& programFolder, const QString& name)
{
    const QString beside = QDir(programFolder).filePath(name);
    const QString shared = QDir(installedShareFolder(programFolder)).filePath(name);
    return !QFileInfo::exists(beside) && QFileInfo::exists(shared) ? shared : beside;
}
