#include "KeptOrder.h"

#include "BookFingerprint.h"
#include "KeptSearchIndex.h"
#include "VarInt.h"

#include <sqlite3.h>

namespace
{

bool run(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
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
    const QByteArray ids = VarInt::fromIds(rows.ids);
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
            if (KeptOrder::fromRow(sqlite3_column_int64(stmt, 0), blob(stmt, 1), blob(stmt, 2), *read))
                rows = std::move(read);
        });
    return rows;
}

// An order is kept under the collation rules it was sorted with: under other rules it is not found.
QString keyOf(const QString& source)
{
    return source + QStringLiteral(" @collation ") + NameOrder::collationVersion();
}

// Ends the key of an order that is only a head start (see demote()): load() never finds it.
QString headStartMark()
{
    return QStringLiteral(" @hint");
}

} // namespace

bool KeptOrder::save(DataConnection& connection, const QString& source, const NameOrder::Ordered& rows,
                     ChangeStamp stamp)
{
    if (connection.changeStamp() == stamp && standsAsKept(connection, source))
        return true; // the file holds this very order already
    sqlite3* db = connection.handle();
    return BookFingerprint::keepWriting(connection, stamp, [&](bool asLeft) {
        // Where the file changed since it was left, a search index kept in it is no longer true.
        return (asLeft || KeptSearchIndex::forget(connection)) && writeRows(db, keyOf(source), rows);
    });
}

bool KeptOrder::demote(DataConnection& connection)
{
    const std::optional<bool> there = connection.hasTable(QStringLiteral("qav_name_order"));
    return there && (!*there || connection
                                    .execute(QStringLiteral("UPDATE qav_name_order SET source = source || ' @hint' "
                                                            "WHERE source NOT LIKE '% @hint'"))
                                    .ok);
}

bool KeptOrder::standsAsKept(DataConnection& connection, const QString& source)
{
    QString kept;
    return BookFingerprint::underReadLock(connection, [&] {
        return connection
                   .scalar(QStringLiteral("SELECT count(*) FROM qav_name_order WHERE source = ?"), {keyOf(source)},
                           kept)
                   .ok &&
               kept == QLatin1String("1");
    });
}

bool KeptOrder::fromRow(qint64 count, QByteArrayView ids, QByteArrayView names, NameOrder::Ordered& out)
{
    NameOrder::Ordered read;
    // Room for the rows the session adds before it keeps the order again.
    if (count >= 0 && count <= ids.size())
        read.ids.reserve(size_t(TextColumn::withRoomToGrow(count)));
    if (!VarInt::toIds(ids, count, read.ids) || !TextColumn::fromBytes(names, count, read.texts))
        return false;
    out = std::move(read);
    return true;
}

KeptOrder::Loaded KeptOrder::load(DataConnection& connection, const QString& source)
{
    Loaded loaded;
    BookFingerprint::underReadLock(connection, [&] {
        loaded.rows = readRows(connection, keyOf(source));
        loaded.stamp = connection.changeStamp();
        return loaded.rows != nullptr;
    });
    return loaded.rows ? loaded : Loaded{};
}

KeptOrder::Loaded KeptOrder::loadHeadStart(DataConnection& connection, const QString& source)
{
    Loaded loaded;
    // A kept order another keeper found no longer true is kept under its head-start name (the mark is stored: it stays
    // " @hint").
    loaded.rows = readRows(connection, keyOf(source));
    if (!loaded.rows)
        loaded.rows = readRows(connection, keyOf(source) + headStartMark());
    return loaded;
}
