#include "BookRekey.h"

#include "DatabaseFileCopy.h"
#include "FailureText.h"
#include "PassedOver.h"
#include "Schema.h"
#include "Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr char kPattern[] = ".qav-rekey-XXXXXX";

DataResult failure(const QString& reason)
{
    return DataResult{false, reason};
}

// Contacts and directories, counted in one read.
DataResult countRows(DataConnection& connection, QString& counts)
{
    return connection.scalar(QStringLiteral("SELECT (SELECT count(*) FROM info) || '/' || (SELECT count(*) FROM dirg)"),
                             {}, counts);
}

DataResult flushToDisk(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    const int handle = ::open(native.constData(), O_RDONLY);
    if (handle < 0)
        return failure(QStringLiteral("تعذر فتح %1 من جديد").arg(path));
    const bool flushed = ::fsync(handle) == 0;
    ::close(handle);
    return flushed ? DataResult{} : failure(QStringLiteral("تعذر حفظ %1 على القرص").arg(path));
}

DataResult checkCopy(const QString& path, const QString& key, const QString& expectedCounts)
{
    DataConnection copy;
    if (DataResult opened = copy.open(path, key, DataConnection::Access::ReadOnly); !opened)
        return opened;
    QString result, counts;
    if (DataResult checked = copy.scalar(QStringLiteral("PRAGMA integrity_check"), {}, result); !checked)
        return checked;
    if (result != QLatin1String("ok")) // SQLite's list of what is damaged, in English
        return failure(FailureText::ofDatabase(SQLITE_CORRUPT));
    if (DataResult counted = countRows(copy, counts); !counted)
        return counted;
    if (counts != expectedCounts)
        return failure(QStringLiteral("النسخة الجديدة لا تطابق الدفتر (%1 بدل %2)").arg(counts, expectedCounts));
    return {};
}

// A number that changes when another connection commits to the book.
DataResult dataVersion(DataConnection& connection, QString& version)
{
    return connection.scalar(QStringLiteral("PRAGMA data_version"), {}, version);
}

// The copy under the new key at a fresh path beside the book, with the counts it must hold.
DataResult exportCopy(DataConnection& connection, const QString& newKey, const QString& path, QString& counts,
                      QString& version)
{
    if (DataResult attached = connection.execute(QStringLiteral("ATTACH DATABASE ? AS rekeyed KEY ?"), {path, newKey});
        !attached)
        return attached;
    // Set before the copy's first page is written: a master password gets the slower derivation.
    if (DataResult derived = connection.execute(QString::fromLatin1(Schema::kdfStatement(newKey, "rekeyed")));
        !derived) {
        PassedOver::note(connection.execute(QStringLiteral("DETACH DATABASE rekeyed")), Q_FUNC_INFO);
        return derived;
    }
    DataResult exported;
    {
        // Counted and copied under one shared lock: no other writer commits in between.
        Transaction reading(connection, Transaction::Kind::Deferred);
        exported = reading.begun();
        if (exported)
            exported = dataVersion(connection, version);
        if (exported)
            exported = countRows(connection, counts);
        QString ignored;
        if (exported)
            exported = connection.scalar(QStringLiteral("SELECT sqlcipher_export('rekeyed')"), {}, ignored);
        if (exported)
            exported = reading.commit();
    }
    PassedOver::note(connection.execute(QStringLiteral("DETACH DATABASE rekeyed")), Q_FUNC_INFO);
    return exported;
}

} // namespace

DataResult BookRekey::run(DataConnection& connection, const QString& newKey, const std::function<bool()>& beforeRename)
{
    const QString book = connection.path();
    if (!connection.isOpen() || book.isEmpty())
        return failure(FailureText::bookNotOpen());
    removeLeftovers(book);
    QString copy;
    {
        // An empty file (the book's connection does not create files) that SQLCipher fills.
        QTemporaryFile made(QDir(QFileInfo(book).absolutePath()).filePath(QLatin1String(kPattern)));
        made.setAutoRemove(false);
        if (!made.open())
            return failure(FailureText::ofFile(made));
        copy = made.fileName();
    }
    const QByteArray bookNative = QFile::encodeName(book);
    const QByteArray copyNative = QFile::encodeName(copy);
    QString counts, version;
    DataResult done = exportCopy(connection, newKey, copy, counts, version);
    // The copy takes the book's own permission bits.
    struct stat bookMode {
    };
    if (done && ::stat(bookNative.constData(), &bookMode) == 0 &&
        ::chmod(copyNative.constData(), bookMode.st_mode & 07777) != 0)
        done = failure(QStringLiteral("تعذر ضبط صلاحيات %1").arg(copy));
    if (done)
        done = flushToDisk(copy);
    if (done)
        done = checkCopy(copy, newKey, counts);
    // The shared lock again, held over the rename: a change another program committed since
    // the copy was made would be lost with the old file, so the work stops instead.
    Transaction holding(connection, Transaction::Kind::Deferred);
    if (done)
        done = holding.begun();
    QString versionNow;
    if (done)
        done = dataVersion(connection, versionNow);
    if (done && versionNow != version)
        done = failure(QStringLiteral("غيّر برنامج آخر الدفتر أثناء العملية، حاول مرة أخرى"));
    if (done && beforeRename && !beforeRename())
        done = failure(QStringLiteral("توقفت العملية قبل أن تتم"));
    if (done) {
        std::error_code error;
        std::filesystem::rename(std::filesystem::path(copyNative.toStdString()),
                                std::filesystem::path(bookNative.toStdString()), error);
        if (error)
            done = failure(QString::fromStdString(error.message()));
    }
    if (!done) {
        QFile::remove(copy);
        return done;
    }
    PassedOver::note(flushToDisk(QFileInfo(book).absolutePath()), Q_FUNC_INFO);
    holding.rollback();
    connection.close();
    return connection.open(book, newKey);
}

BookRekey::Previous BookRekey::secureThePrevious(const QString& bookPath, const QString& oldKey, const QString& newKey)
{
    const QString path = bookPath + QLatin1String(DatabaseFileCopy::kPreviousSuffix);
    const QFileInfo previous(path);
    if (!previous.exists() && !previous.isSymLink())
        return Previous::None;
    // Only a file of our own making is rewritten: a link is removed itself, never followed.
    if (previous.isFile() && !previous.isSymLink()) {
        for (const QString& key : {oldKey, QString::fromLatin1(Schema::kPassword)}) {
            DataConnection copy;
            if (!copy.open(path, key).ok)
                continue;
            if (run(copy, newKey).ok)
                return Previous::Rekeyed;
            break;
        }
    }
    return QFile::remove(path) ? Previous::Removed : Previous::Left;
}

void BookRekey::removeLeftovers(const QString& bookPath)
{
    const QDir folder = QFileInfo(bookPath).absoluteDir();
    const QString prefix = QString::fromLatin1(kPattern).remove(QStringLiteral("XXXXXX"));
    for (const QString& name : folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden))
        QFile::remove(folder.filePath(name));
}
