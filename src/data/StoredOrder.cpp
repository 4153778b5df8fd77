#include "StoredOrder.h"

#include "SafeFileWrite.h"
#include "VarInt.h"

#include <QCryptographicHash>
#include <QFile>

#include <sqlite3.h>

namespace
{

bool run(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A write-ahead log takes commits without touching the file's first page: no fingerprint then.
bool usesRollbackJournal(DataConnection& connection)
{
    QString mode;
    return connection.scalar(QStringLiteral("PRAGMA journal_mode"), {}, mode).ok &&
           mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0;
}

// Each id as its difference from the one before, taken modulo 2^64: row ids may lie at both ends
// of their range.
QByteArray idsToBytes(const std::vector<qint64>& ids)
{
    QByteArray bytes;
    bytes.reserve(3 * qsizetype(ids.size()));
    qint64 previous = 0;
    for (qint64 id : ids) {
        VarInt::put(bytes, VarInt::fromSigned(qint64(quint64(id) - quint64(previous))));
        previous = id;
    }
    return bytes;
}

// Every id takes at least one byte: a count the bytes cannot hold is refused before any room is
// made for it.
bool idsFromBytes(QByteArrayView bytes, qint64 count, std::vector<qint64>& ids)
{
    if (count < 0 || count > bytes.size())
        return false;
    ids.reserve(size_t(TextColumn::withRoomToGrow(count)));
    qsizetype at = 0;
    qint64 previous = 0;
    for (qint64 i = 0; i < count; ++i) {
        quint64 step = 0;
        if (!VarInt::take(bytes, at, step))
            return false;
        previous = qint64(quint64(previous) + quint64(VarInt::toSigned(step)));
        ids.push_back(previous);
    }
    return at == bytes.size();
}

QByteArrayView blob(sqlite3_stmt* stmt, int column)
{
    return QByteArrayView(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
}

bool writeRows(sqlite3* db, const QString& source, const NameOrder::Ordered& rows)
{
    if (!run(db, "CREATE TABLE IF NOT EXISTS qav_name_order (source TEXT PRIMARY KEY, count INTEGER NOT NULL, "
                 "ids BLOB NOT NULL, names BLOB NOT NULL)") ||
        !run(db, "DELETE FROM qav_name_order"))
        return false;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO qav_name_order VALUES (?, ?, ?, ?)", -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    const QByteArray text = source.toUtf8();
    const QByteArray ids = idsToBytes(rows.ids);
    const QByteArray names = rows.texts.toBytes();
    sqlite3_bind_text(stmt, 1, text.constData(), int(text.size()), SQLITE_STATIC);
    sqlite3_bind_int64(stmt, 2, qint64(rows.ids.size()));
    sqlite3_bind_blob(stmt, 3, ids.constData(), int(ids.size()), SQLITE_STATIC);
    sqlite3_bind_blob(stmt, 4, names.constData(), int(names.size()), SQLITE_STATIC);
    const bool written = sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_finalize(stmt);
    return written;
}

// A row that is not exactly as save() writes it (a count that lies, a blob that is text, names
// that unfold to more than they could) is no order: the rows are read and sorted as usual.
std::shared_ptr<NameOrder::Ordered> readRows(DataConnection& connection, const QString& source)
{
    std::shared_ptr<NameOrder::Ordered> rows;
    (void)connection.query(
        QStringLiteral("SELECT count, ids, names FROM qav_name_order WHERE source = ?"), {source},
        [&](sqlite3_stmt* stmt) {
            auto read = std::make_shared<NameOrder::Ordered>();
            if (StoredOrder::fromRow(sqlite3_column_int64(stmt, 0), blob(stmt, 1), blob(stmt, 2), *read))
                rows = std::move(read);
        });
    return rows;
}

// A file's fingerprint: its first page and its size.
QByteArray fingerprintOf(QByteArrayView first, qint64 size)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(first);
    hash.addData(QByteArray::number(size));
    return hash.result().toHex();
}

bool keepFingerprint(const QString& databasePath, const QByteArray& print)
{
    // Beside a backup as beside the book: never through a link, its owner's alone.
    return SafeFileWrite::write(StoredOrder::fingerprintPath(databasePath), print, QString()).ok;
}

// A fingerprint is 64 hex digits: whatever else lies there (a link to a device, a huge file) is
// read no further than that and believed for no file.
QByteArray keptFingerprint(const QString& databasePath)
{
    constexpr qint64 kDigits = 64;
    QFile known(StoredOrder::fingerprintPath(databasePath));
    if (!known.open(QIODevice::ReadOnly))
        return {};
    const QByteArray print = known.read(kDigits + 1);
    return print.size() == kDigits ? print : QByteArray();
}

// An order is kept under the collation rules it was sorted with: under other rules it is not found.
QString keyOf(const QString& source)
{
    return source + QStringLiteral(" @collation ") + NameOrder::collationVersion();
}

} // namespace

QString StoredOrder::fingerprintPath(const QString& databasePath)
{
    return databasePath + QStringLiteral("-order");
}

void StoredOrder::passOn(const QString& from, const QString& to)
{
    const QByteArray kept = keptFingerprint(from);
    QFile copy(to);
    if (kept.isEmpty() || !copy.open(QIODevice::ReadOnly))
        return;
    const QByteArray first = copy.read(4096);
    const bool same = fingerprintOf(first, copy.size()) == kept;
    copy.close();
    if (same)
        (void)keepFingerprint(to, kept);
}

// Read through SQLite's own handle of the file: opening and closing a second handle would drop
// every POSIX lock this process holds on it, the read lock included.
QByteArray StoredOrder::fingerprint(sqlite3* db)
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

bool StoredOrder::save(DataConnection& connection, const QString& source, const NameOrder::Ordered& rows,
                       ChangeStamp stamp)
{
    sqlite3* db = connection.handle();
    if (!db || !usesRollbackJournal(connection))
        return false;
    const QString path = connection.path();
    if (connection.changeStamp() == stamp && standsAsKept(connection, source))
        return true; // the file holds this very order already
    // A fingerprint already there stays until this save commits: a save that fails (another copy
    // of the program wrote meanwhile) must not take away a valid one, and any commit makes the old
    // one stale by itself.

    if (!run(db, "BEGIN IMMEDIATE"))
        return false;
    if (connection.changeStamp() != stamp || !writeRows(db, keyOf(source), rows) || !run(db, "COMMIT")) {
        run(db, "ROLLBACK");
        return false;
    }
    // Writing the order moved the connection's own stamp (no contact changed). The fingerprint is
    // read under a read lock, and only when nobody committed since our commit.
    const ChangeStamp written = connection.changeStamp();
    if (!run(db, "BEGIN"))
        return false;
    const QByteArray print =
        connection.takeReadLock() && connection.changeStamp() == written ? fingerprint(db) : QByteArray();
    run(db, "COMMIT");
    if (print.isEmpty())
        return false;
    return keepFingerprint(path, print);
}

bool StoredOrder::standsAsKept(DataConnection& connection, const QString& source)
{
    QString kept;
    return underReadLock(connection, [&] {
        return connection
                   .scalar(QStringLiteral("SELECT count(*) FROM qav_name_order WHERE source = ?"), {keyOf(source)},
                           kept)
                   .ok &&
               kept == QLatin1String("1");
    });
}

bool StoredOrder::fromRow(qint64 count, QByteArrayView ids, QByteArrayView names, NameOrder::Ordered& out)
{
    NameOrder::Ordered read;
    if (!idsFromBytes(ids, count, read.ids) || !TextColumn::fromBytes(names, count, read.texts))
        return false;
    out = std::move(read);
    return true;
}

StoredOrder::Loaded StoredOrder::load(DataConnection& connection, const QString& source)
{
    Loaded loaded;
    underReadLock(connection, [&] {
        loaded.rows = readRows(connection, keyOf(source));
        loaded.stamp = connection.changeStamp();
        return loaded.rows != nullptr;
    });
    return loaded.rows ? loaded : Loaded{};
}

StoredOrder::Loaded StoredOrder::loadHint(DataConnection& connection, const QString& source)
{
    Loaded loaded;
    loaded.rows = readRows(connection, keyOf(source));
    return loaded;
}

// Runs read while this connection holds a read lock on a file that is exactly as this program
// left it: no writer can commit until it returns.
bool StoredOrder::underReadLock(DataConnection& connection, const std::function<bool()>& read)
{
    sqlite3* db = connection.handle();
    const QByteArray expected = db ? keptFingerprint(connection.path()) : QByteArray();
    if (expected.isEmpty() || !usesRollbackJournal(connection) || !run(db, "BEGIN"))
        return false;
    const bool done = connection.takeReadLock() && fingerprint(db) == expected && read();
    run(db, "COMMIT");
    return done;
}
