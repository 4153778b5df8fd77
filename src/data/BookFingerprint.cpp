#include "BookFingerprint.h"

#include "ReadLock.h"
#include "SafeFileWrite.h"
#include "Transaction.h"

#include <QCryptographicHash>
#include <QFile>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A file's fingerprint: its first page and its size.
QByteArray fingerprintOf(QByteArrayView first, qint64 size)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(first);
    hash.addData(QByteArray::number(size));
    return hash.result().toHex();
}

} // namespace

QString BookFingerprint::path(const QString& databasePath)
{
    return databasePath + QStringLiteral("-order");
}

// A write-ahead log takes commits without touching the file's first page: no fingerprint then.
bool BookFingerprint::usesRollbackJournal(DataConnection& connection)
{
    QString mode;
    return connection.scalar(QStringLiteral("PRAGMA journal_mode"), {}, mode).ok &&
           mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0;
}

// Read through SQLite's own handle of the file: opening and closing a second handle would drop
// every POSIX lock this process holds on it, the read lock included.
QByteArray BookFingerprint::of(sqlite3* db)
{
    sqlite3_file* file = nullptr;
    if (!db || sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        return {};
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return {};
    QByteArray first(int(std::min<sqlite3_int64>(size, 4096)), '\0');
    if (!first.isEmpty() && file->pMethods->xRead(file, first.data(), int(first.size()), 0) != SQLITE_OK)
        return {};
    return fingerprintOf(first, size);
}

// A fingerprint is 64 hex digits: whatever else lies there (a link to a device, a huge file) is
// read no further than that and believed for no file. Opened without waiting, then read only if
// it is a plain file: opening a pipe would wait for a writer, and every start reads this file.
QByteArray BookFingerprint::kept(const QString& databasePath)
{
    constexpr qsizetype kDigits = 64;
    const int file = ::open(QFile::encodeName(path(databasePath)).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0)
        return {};
    QByteArray print(kDigits + 1, '\0');
    qsizetype read = 0;
    struct stat status {
    };
    if (::fstat(file, &status) == 0 && S_ISREG(status.st_mode)) {
        while (read < print.size()) {
            const ssize_t got = ::read(file, print.data() + read, size_t(print.size() - read));
            if (got <= 0)
                break;
            read += got;
        }
    }
    ::close(file);
    return read == kDigits ? print.left(kDigits) : QByteArray();
}

bool BookFingerprint::keep(const QString& databasePath, const QByteArray& print)
{
    // Beside a backup as beside the book: never through a link, its owner's alone.
    return SafeFileWrite::write(path(databasePath), print, QString()).ok;
}

void BookFingerprint::passOn(const QString& from, const QString& to)
{
    const QByteArray known = kept(from);
    QFile copy(to);
    if (known.isEmpty() || !copy.open(QIODevice::ReadOnly))
        return;
    const QByteArray first = copy.read(4096);
    const bool same = fingerprintOf(first, copy.size()) == known;
    copy.close();
    if (same)
        (void)keep(to, known);
}

bool BookFingerprint::underReadLock(DataConnection& connection, const std::function<bool()>& read)
{
    // Inside a transaction of the caller's, writes of its own may not have reached the file yet:
    // the file then vouches for nothing.
    const QByteArray expected =
        connection.handle() && !connection.inTransaction() ? kept(connection.path()) : QByteArray();
    if (expected.isEmpty() || !usesRollbackJournal(connection))
        return false;
    const ReadLock lock(connection);
    return lock.taken() && of(connection.handle()) == expected && read();
}

bool BookFingerprint::keepWriting(DataConnection& connection, ChangeStamp stamp,
                                  const std::function<bool(bool asLeft)>& write, ChangeStamp* written)
{
    sqlite3* db = connection.handle();
    if (!db || !usesRollbackJournal(connection))
        return false;
    // A fingerprint already there stays until this write commits: a write that fails (another copy
    // of the program wrote meanwhile) must not take away a valid one, and any commit makes the old
    // one stale by itself.
    Transaction writing(connection);
    if (!writing.begun())
        return false;
    // Under the write lock the file's first page is the last commit's.
    const QByteArray expected = kept(connection.path());
    const bool asLeft = !expected.isEmpty() && of(db) == expected;
    if (connection.changeStamp() != stamp || !write(asLeft))
        return false;
    // Taken before the commit: nobody else can commit while we hold the write lock, so a stamp
    // that differs afterwards means another writer came in between.
    const ChangeStamp before = connection.changeStamp();
    if (!writing.commit())
        return false;
    QByteArray print;
    if (const ReadLock lock(connection); lock.taken() && connection.changeStamp() == before)
        print = of(db);
    if (print.isEmpty())
        return false;
    if (written)
        *written = before;
    return keep(connection.path(), print);
}
