#include "KeptSearchIndex.h"

#include "BookFingerprint.h"
#include "PackedText.h"
#include "StoredOrder.h"
#include "VarInt.h"

#include <sqlite3.h>
#include <unicode/uvernum.h>

#include <algorithm>

namespace
{

// Moves on whenever what a block holds, or how, changes: older rows are then not found.
constexpr int kFormat = 1;

bool run(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

QByteArrayView blob(sqlite3_stmt* stmt, int column)
{
    if (sqlite3_column_type(stmt, column) != SQLITE_BLOB)
        return {};
    return QByteArrayView(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
}

// One stream of a block as the index holds it: unpacked once to be checked, kept packed or plain.
bool takeStream(QByteArrayView stored, qint64 count, int perRow, bool packed, std::string& scratch, std::string& into)
{
    const std::string bytes(stored.data(), size_t(stored.size()));
    if (!PackedText::unpack(bytes, scratch, KeptSearchIndex::kMostUnpacked) || scratch.empty() ||
        scratch.back() != BookSearchIndex::kFieldEnd ||
        std::count(scratch.begin(), scratch.end(), BookSearchIndex::kFieldEnd) != count * perRow)
        return false;
    into = packed ? bytes : scratch;
    into.shrink_to_fit();
    return true;
}

} // namespace

QString KeptSearchIndex::kindOf(const NumberKey& numbers, bool packed)
{
    return QStringLiteral("format %1 numbers %2 icu %3 %4")
        .arg(kFormat)
        .arg(QString::fromStdString(numbers.rules()), QStringLiteral(U_ICU_VERSION),
             packed ? QStringLiteral("packed") : QStringLiteral("plain"));
}

bool KeptSearchIndex::save(DataConnection& connection, const BookSearchIndex& index)
{
    if (!connection.isOpen())
        return false;
    const ChangeStamp now = connection.changeStamp();
    if (!index.loaded() || index.stamp() != now)
        return false;
    if (index.adoptedAt() == now)
        return true; // the book holds this very index: it was read from it and nothing changed since
    return BookFingerprint::keepWriting(connection, now, [&](bool asLeft) {
        return (asLeft || StoredOrder::demote(connection)) && forget(connection) && write(connection, index);
    });
}

bool KeptSearchIndex::write(DataConnection& connection, const BookSearchIndex& index)
{
    sqlite3* db = connection.handle();
    if (!run(db, "CREATE TABLE IF NOT EXISTS qav_search_blocks (block INTEGER PRIMARY KEY, kind TEXT NOT NULL, "
                 "blocks INTEGER NOT NULL, count INTEGER NOT NULL, rows BLOB NOT NULL, texts BLOB NOT NULL, "
                 "numbers BLOB NOT NULL, sounds BLOB NOT NULL)"))
        return false;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO qav_search_blocks VALUES (?, ?, ?, ?, ?, ?, ?, ?)", -1, &stmt, nullptr) !=
        SQLITE_OK)
        return false;
    const QByteArray kind = kindOf(index.numberKey(), index.packed()).toUtf8();
    const std::vector<BookSearchIndex::Block>& blocks = index.blocks();
    bool written = true;
    for (size_t i = 0; i < blocks.size() && written; ++i) {
        const BookSearchIndex::Block& block = blocks[i];
        const QByteArray rows = VarInt::fromIds(block.rows);
        // A small book's blocks are held plain: kept packed all the same.
        const std::string texts = index.packed() ? block.texts : PackedText::pack(block.texts);
        const std::string numbers = index.packed() ? block.numbers : PackedText::pack(block.numbers);
        const std::string sounds = index.packed() ? block.soundKeys : PackedText::pack(block.soundKeys);
        sqlite3_bind_int64(stmt, 1, qint64(i));
        sqlite3_bind_text(stmt, 2, kind.constData(), int(kind.size()), SQLITE_STATIC);
        sqlite3_bind_int64(stmt, 3, qint64(blocks.size()));
        sqlite3_bind_int64(stmt, 4, qint64(block.rows.size()));
        sqlite3_bind_blob(stmt, 5, rows.constData(), int(rows.size()), SQLITE_STATIC);
        sqlite3_bind_blob(stmt, 6, texts.data(), int(texts.size()), SQLITE_STATIC);
        sqlite3_bind_blob(stmt, 7, numbers.data(), int(numbers.size()), SQLITE_STATIC);
        sqlite3_bind_blob(stmt, 8, sounds.data(), int(sounds.size()), SQLITE_STATIC);
        written = sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return written;
}

bool KeptSearchIndex::hasRows(DataConnection& connection)
{
    QString tables, rows;
    if (!connection
             .scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'qav_search_blocks'"), {}, tables)
             .ok)
        return true; // unknown: as if there were
    return tables != QLatin1String("0") &&
           (!connection.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM qav_search_blocks)"), {}, rows).ok ||
            rows != QLatin1String("0"));
}

bool KeptSearchIndex::forget(DataConnection& connection)
{
    QString tables;
    if (!connection
             .scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'qav_search_blocks'"), {}, tables)
             .ok)
        return false;
    // With a WHERE, so that SQLite reports each row it deletes to the connection's change log.
    return tables == QLatin1String("0") ||
           connection.execute(QStringLiteral("DELETE FROM qav_search_blocks WHERE block IS NOT NULL")).ok;
}

bool KeptSearchIndex::dropUnbelieved(DataConnection& connection)
{
    sqlite3* db = connection.handle();
    if (!db)
        return false;
    if (!hasRows(connection) || BookFingerprint::underReadLock(connection, [] { return true; }))
        return true; // nothing kept, or what is kept is still true
    if (!run(db, "BEGIN IMMEDIATE"))
        return false;
    if (!forget(connection) || !run(db, "COMMIT")) {
        run(db, "ROLLBACK");
        return false;
    }
    return true;
}

bool KeptSearchIndex::blockFromRow(qint64 count, QByteArrayView rows, QByteArrayView texts, QByteArrayView numbers,
                                   QByteArrayView sounds, bool packed, BookSearchIndex::Block& out)
{
    if (count < 1 || count > BookSearchIndex::kRowsPerBlock)
        return false;
    BookSearchIndex::Block block;
    std::string scratch;
    if (!VarInt::toIds(rows, count, block.rows) ||
        !takeStream(texts, count, BookSearchIndex::kTextsPerRow, packed, scratch, block.texts) ||
        !takeStream(numbers, count, BookSearchIndex::kNumbersPerRow, packed, scratch, block.numbers) ||
        !takeStream(sounds, count, BookSearchIndex::kSoundsPerRow, packed, scratch, block.soundKeys))
        return false;
    out = std::move(block);
    return true;
}

bool KeptSearchIndex::adopt(DataConnection& connection, BookSearchIndex& index)
{
    const QString heldPacked = kindOf(index.numberKey(), true);
    const QString heldPlain = kindOf(index.numberKey(), false);
    std::vector<BookSearchIndex::Block> blocks;
    bool packed = false;
    const bool read = BookFingerprint::underReadLock(connection, [&] {
        QString tables;
        if (!connection
                 .scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'qav_search_blocks'"), {},
                         tables)
                 .ok ||
            tables != QLatin1String("1"))
            return false;
        bool whole = true;
        qint64 declared = -1;
        // Every row of one kind, numbered from 0, each saying how many there are: a missing or
        // foreign row makes the whole index unread.
        const DataResult rows = connection.query(
            QStringLiteral("SELECT block, kind, blocks, count, rows, texts, numbers, sounds FROM qav_search_blocks "
                           "ORDER BY block"),
            {}, [&](sqlite3_stmt* stmt) {
                if (!whole)
                    return;
                const QString kind = DataConnection::columnText(stmt, 1);
                if (blocks.empty()) {
                    packed = kind == heldPacked;
                    declared = sqlite3_column_int64(stmt, 2);
                }
                BookSearchIndex::Block block;
                whole = kind == (packed ? heldPacked : heldPlain) &&
                        sqlite3_column_int64(stmt, 0) == qint64(blocks.size()) &&
                        sqlite3_column_int64(stmt, 2) == declared &&
                        blockFromRow(sqlite3_column_int64(stmt, 3), blob(stmt, 4), blob(stmt, 5), blob(stmt, 6),
                                     blob(stmt, 7), packed, block);
                if (whole)
                    blocks.push_back(std::move(block));
            });
        // Taken in under the same read lock: the more values' contacts are read as they stand.
        return rows.ok && whole && !blocks.empty() && qint64(blocks.size()) == declared &&
               index.adopt(connection, std::move(blocks), packed, connection.changeStamp());
    });
    return read;
}
