#include "DatabaseFileCopy.h"

#include "BookFingerprint.h"
#include "FailureText.h"
#include "ReadLock.h"
#include "SafeFileWrite.h"
#include "Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

DataResult failure(const QString& reason)
{
    return DataResult{false, reason};
}

DataResult moveOver(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdString()), std::filesystem::path(to.toStdString()), error);
    if (error)
        return failure(FailureText::ofSystem(error.value()));
    return {};
}

} // namespace

DataResult DatabaseFileCopy::copyToTemporary(const QString& source, const QString& targetFolder, QString& temporary,
                                             const QString& modeFrom)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failure(FailureText::ofFile(in));
    QTemporaryFile out(QDir(targetFolder).filePath(QStringLiteral(".qav-copy-XXXXXX")));
    out.setAutoRemove(true);
    if (!out.open())
        return failure(FailureText::ofFile(out));
    while (!in.atEnd()) {
        const QByteArray block = in.read(1 << 20);
        if (block.isEmpty() && in.error() != QFileDevice::NoError)
            return failure(FailureText::ofFile(in));
        if (out.write(block) != block.size())
            return failure(FailureText::ofFile(out));
    }
    // A temporary file starts private (0600) and a copy without modeFrom stays so; a book put in
    // place of another takes the bits of the one it stands in for.
    struct stat reference {
    };
    const QByteArray modePath = QFile::encodeName(modeFrom);
    if (!modeFrom.isEmpty() && QFileInfo::exists(modeFrom) && ::stat(modePath.constData(), &reference) == 0 &&
        ::fchmod(out.handle(), reference.st_mode & 07777) != 0)
        return failure(FailureText::ofSystem(errno));
    // On disk before anyone relies on it.
    if (!out.flush())
        return failure(FailureText::ofFile(out));
    if (::fsync(out.handle()) != 0)
        return failure(FailureText::ofSystem(errno));
    out.setAutoRemove(false);
    temporary = out.fileName();
    return {};
}

DataResult DatabaseFileCopy::backup(DataConnection& connection, const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return failure(QStringLiteral("المكان المحدد غير موجود: %1").arg(folder));
    const QString target = QDir(folder).filePath(QLatin1String(kBackupName));
    // Never over the book, never through a link: refused before a byte is copied.
    if (const SafeFileWrite::Refusal refused = SafeFileWrite::refusal(target, connection.path());
        refused != SafeFileWrite::Refusal::None)
        return failure(SafeFileWrite::reason(refused));
    // Writers elsewhere wait until the copy is done.
    ReadLock reading(connection);
    if (!reading.taken())
        return reading.taken();
    // Inside a transaction of the caller's, pages it wrote may already lie in the file, to be
    // rolled back later: a copy then could hold what was never committed.
    if (!reading.own())
        return failure(QStringLiteral("عملية أخرى جارية على الدفتر، حاول بعد انتهائها"));
    QString temporary;
    // A backup holds every contact: readable by its owner only, whatever the book's bits.
    DataResult copied = copyToTemporary(connection.path(), folder, temporary, QString());
    reading.release();
    if (!copied)
        return copied;
    // Checked again on the file in place just before the rename, which replaces a link, never its target.
    if (DataResult moved = SafeFileWrite::putInPlace(temporary, target, connection.path()); !moved)
        return moved;
    // A restore of this backup then opens its directories as fast as the book did.
    BookFingerprint::passOn(connection.path(), target);
    return {};
}

DataResult DatabaseFileCopy::verify(const QString& path, const QString& password)
{
    if (!QFileInfo(path).isFile())
        return failure(QStringLiteral("الملف غير موجود"));
    DataConnection candidate;
    if (DataResult opened = candidate.open(path, password, DataConnection::Access::ReadOnly); !opened)
        return opened;
    QString result;
    if (DataResult checked = candidate.scalar(QStringLiteral("PRAGMA integrity_check"), {}, result); !checked)
        return checked;
    if (result != QLatin1String("ok")) // SQLite's list of what is damaged, in English
        return failure(FailureText::ofDatabase(SQLITE_CORRUPT));
    return {};
}

DataResult DatabaseFileCopy::stage(const QString& source, const QString& target, const QString& password,
                                   QString& staged)
{
    if (!QFileInfo(source).isFile())
        return failure(QStringLiteral("الملف غير موجود"));
    QString temporary;
    if (DataResult copied = copyToTemporary(source, QFileInfo(target).absolutePath(), temporary, target); !copied)
        return copied;
    if (DataResult valid = verify(temporary, password); !valid) {
        QFile::remove(temporary);
        return valid;
    }
    staged = temporary;
    return {};
}

DataResult DatabaseFileCopy::install(const QString& source, const QString& staged, const QString& target,
                                     const std::function<bool()>& beforeRename)
{
    // One safety copy of what is replaced, so a mistaken restore can be undone by hand.
    const QString previous = target + QLatin1String(kPreviousSuffix);
    if (QFileInfo::exists(target)) {
        QString saved;
        DataResult kept = copyToTemporary(target, QFileInfo(target).absolutePath(), saved, QString());
        if (kept)
            kept = moveOver(saved, previous);
        if (!kept) {
            QFile::remove(saved);
            QFile::remove(staged);
            return kept;
        }
    }
    if (beforeRename && !beforeRename()) {
        QFile::remove(staged);
        return failure(QStringLiteral("توقفت العملية قبل أن تتم"));
    }
    if (DataResult moved = moveOver(staged, target); !moved) {
        QFile::remove(staged);
        return moved;
    }
    // The very bytes of source: what was kept in it (the order, the search index) is believed for them.
    BookFingerprint::passOn(source, target);
    return {};
}
