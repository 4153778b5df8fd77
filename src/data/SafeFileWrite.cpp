#include "SafeFileWrite.h"

#include "BookFiles.h"
#include "FailureText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

DataResult failure(const QString& reason)
{
    return DataResult{false, reason};
}

QString systemError()
{
    return FailureText::ofSystem(errno);
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

// Whether the file at target (not followed) is one of the book's files that exist.
bool sameFileAsBook(const struct stat& target, const QString& bookPath)
{
    for (const QString& own : BookFiles::of(bookPath)) {
        struct stat book {
        };
        if (::stat(native(own).constData(), &book) == 0 && book.st_dev == target.st_dev && book.st_ino == target.st_ino)
            return true;
    }
    return false;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
}

} // namespace

SafeFileWrite::Refusal SafeFileWrite::refusal(const QString& target, const QString& bookPath)
{
    if (BookFiles::isBookFile(target, bookPath))
        return Refusal::Book;
    struct stat found {
    };
    if (::lstat(native(target).constData(), &found) != 0)
        return Refusal::None; // nothing there yet
    if (S_ISLNK(found.st_mode))
        return Refusal::Link;
    if (!bookPath.isEmpty() && sameFileAsBook(found, bookPath))
        return Refusal::Book;
    if (!S_ISREG(found.st_mode))
        return Refusal::NotAFile;
    return Refusal::None;
}

QString SafeFileWrite::reason(Refusal refusal)
{
    switch (refusal) {
    case Refusal::Link:
        return QStringLiteral("هذا الاسم رابط رمزى يشير إلى ملف آخر , ولا يكتب البرنامج من خلال رابط: اختر اسما آخر");
    case Refusal::Book:
        return QStringLiteral("هذا ملف دفتر الهاتف نفسه , اختر اسما آخر");
    case Refusal::NotAFile:
        return QStringLiteral("هذا الاسم ليس ملفا عاديا (مجلد أو جهاز) , اختر اسما آخر");
    case Refusal::None:
        break;
    }
    return QString();
}

QString SafeFileWrite::temporaryIn(const QString& folder, QString& error)
{
    // mkostemp creates the file exclusively, readable by its owner only: nothing stands in its place.
    QByteArray name = native(QDir(folder).filePath(QStringLiteral(".qav-save-XXXXXX")));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = systemError();
        return QString();
    }
    ::close(fd);
    return QFile::decodeName(name);
}

DataResult SafeFileWrite::putInPlace(const QString& temporary, const QString& target, const QString& bookPath)
{
    const QByteArray from = native(temporary);
    if (const Refusal refused = refusal(target, bookPath); refused != Refusal::None) {
        ::unlink(from.constData());
        return failure(reason(refused));
    }
    // Whatever wrote the temporary file, the result is its owner's alone.
    if (::chmod(from.constData(), S_IRUSR | S_IWUSR) != 0 ||
        ::rename(from.constData(), native(target).constData()) != 0) {
        const QString error = systemError();
        ::unlink(from.constData());
        return failure(error);
    }
    return {};
}

DataResult SafeFileWrite::write(const QString& target, QByteArrayView bytes, const QString& bookPath)
{
    // Refused before anything is written, so a refusal leaves no trace in the folder.
    if (const Refusal refused = refusal(target, bookPath); refused != Refusal::None)
        return failure(reason(refused));
    QString error;
    const QString temporary = temporaryIn(QFileInfo(target).absolutePath(), error);
    if (temporary.isEmpty())
        return failure(error);
    const QByteArray name = native(temporary);
    const int fd = ::open(name.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    // On disk before it takes the place of an older file.
    const bool written = fd >= 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (!written)
        error = systemError();
    if (fd >= 0 && ::close(fd) != 0 && written)
        error = systemError();
    if (!error.isEmpty()) {
        ::unlink(name.constData());
        return failure(error);
    }
    return putInPlace(temporary, target, bookPath);
}
