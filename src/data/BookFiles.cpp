#include "BookFiles.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

#include <sys/stat.h>

QStringList BookFiles::of(const QString& bookPath)
{
    return {bookPath, bookPath + QStringLiteral("-journal"), bookPath + QStringLiteral("-wal"),
            bookPath + QStringLiteral(".previous"), bookPath + QStringLiteral("-order")};
}

// A file that exists resolves through its links; one that does not yet, through its folder's.
QString BookFiles::resolved(const QString& path)
{
    const QFileInfo file(path);
    if (file.exists())
        return file.canonicalFilePath();
    const QString folder = file.absoluteDir().canonicalPath();
    return folder.isEmpty() ? QDir::cleanPath(file.absoluteFilePath()) : folder + QLatin1Char('/') + file.fileName();
}

bool BookFiles::isBookFile(const QString& target, const QString& bookPath)
{
    if (target.isEmpty() || bookPath.isEmpty())
        return false;
    const QString wanted = resolved(target);
    for (const QString& own : of(resolved(bookPath)))
        if (wanted == resolved(own))
            return true;
    return false;
}

bool BookFiles::makePrivate(QFileDevice& file)
{
    return file.handle() >= 0 && ::fchmod(file.handle(), S_IRUSR | S_IWUSR) == 0;
}
