#include "BookFiles.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>

#include <bitset>

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

bool BookFiles::mayBeEncryptedBook(const QString& path)
{
    QFile file(path);
    constexpr qint64 kPage = 1024; // the smallest page size SQLCipher writes
    if (file.size() < 4 * kPage || file.size() % kPage != 0 || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(kPage);
    if (head.startsWith("SQLite format 3"))
        return false;
    // Random bytes show nearly every value in a kilobyte (about 250 of 256); text far fewer.
    std::bitset<256> seen;
    for (const char byte : head)
        seen.set(static_cast<unsigned char>(byte));
    return seen.count() >= 160;
}

bool BookFiles::makePrivate(QFileDevice& file)
{
    return file.handle() >= 0 && ::fchmod(file.handle(), S_IRUSR | S_IWUSR) == 0;
}
