#include "KeptSearchIndex.h"

#include "BookFingerprint.h"
#include "KeptOrder.h"
#include "PackedText.h"
#include "Transaction.h"
#include "VarInt.h"

#include <QFileInfo>

#include <sqlite3.h>
#include <unicode/uvernum.h>

#include <algorithm>
#include <limits>
#include <unordered_set>

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
// What it unpacks to is taken from budget, so rows that unpack far beyond their size stop the read.
bool takeStream(QByteArrayView stored, qint64 count, int perRow, bool packed, size_t& budget, std::string& scratch,
                std::string& into)
{
    const std::string bytes(stored.data(), size_t(stored.size()));
    if (!PackedText::unpack(bytes, scratch, std::min(budget, KeptSearchIndex::kMostUnpacked)) || scratch.empty() ||
        scratch.back() != BookSearchIndex::kFieldEnd ||
        std::count(scratch.begin(), scratch.end(), BookSearchIndex::kFieldEnd) != count * perRow)
        return false;
    budget -= scratch.size();
    into = packed ? bytes : scratch;
    into.shrink_to_fit();
    return true;
}

// The more values one kept block holds: inserted beside a new block, or put in place of the row
// of a block read again.
bool writeValues(sqlite3* db, qint64 block, const std::vector<qint64>& values, bool replace)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           replace ? "UPDATE qav_search_values SET count = ?2, ids = ?3 WHERE block = ?1"
                                   : "INSERT INTO qav_search_values VALUES (?1, ?2, ?3)",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    const QByteArray ids = VarInt::fromIds(values);
    sqlite3_bind_int64(stmt, 1, block);
    sqlite3_bind_int64(stmt, 2, qint64(values.size()));
    sqlite3_bind_blob(stmt, 3, ids.constData(), int(ids.size()), SQLITE_STATIC);
    const bool written = sqlite3_step(stmt) == SQLITE_DONE && sqlite3_changes(db) == 1;
    sqlite3_finalize(stmt);
    return written;
}

// One block's kept row, packed whatever the index holds (a small book's blocks are held plain):
// put over the row at `at`, or, given the kind and how many rows there are, added as a new row.
bool putBlock(sqlite3* db, qint64 at, const BookSearchIndex::Block& block, bool packed, const QString& newKind = {},
              qint64 blocks = 0)
{
    const bool adding = !newKind.isEmpty();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           adding ? "INSERT INTO qav_search_blocks (block, count, rows, texts, numbers, sounds, kind, "
                                    "blocks) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"
                                  : "UPDATE qav_search_blocks SET count = ?2, rows = ?3, texts = ?4, numbers = ?5, "
                                    "sounds = ?6 WHERE block = ?1",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    const QByteArray kind = newKind.toUtf8();
    const QByteArray& rows = block.rows.bytes();
    const std::string texts = packed ? block.texts : PackedText::pack(block.texts);
    const std::string numbers = packed ? block.numbers : PackedText::pack(block.numbers);
    const std::string sounds = packed ? block.soundKeys : PackedText::pack(block.soundKeys);
    sqlite3_bind_int64(stmt, 1, at);
    sqlite3_bind_int64(stmt, 2, qint64(block.rows.size()));
    sqlite3_bind_blob(stmt, 3, rows.constData(), int(rows.size()), SQLITE_STATIC);
    sqlite3_bind_blob(stmt, 4, texts.data(), int(texts.size()), SQLITE_STATIC);
    sqlite3_bind_blob(stmt, 5, numbers.data(), int(numbers.size()), SQLITE_STATIC);
    sqlite3_bind_blob(stmt, 6, sounds.data(), int(sounds.size()), SQLITE_STATIC);
    if (adding) {
        sqlite3_bind_text(stmt, 7, kind.constData(), int(kind.size()), SQLITE_STATIC);
        sqlite3_bind_int64(stmt, 8, blocks);
    }
    // A block read again and found empty is taken out, never put over its row.
    const bool written =
        (adding || !block.rows.empty()) && sqlite3_step(stmt) == SQLITE_DONE && sqlite3_changes(db) == 1;
    sqlite3_finalize(stmt);
    return written;
}

// Whether the table is there, a failure to ask taken as no.
bool hasTable(DataConnection& connection, const char* name)
{
    return connection.hasTable(QLatin1String(name)).value_or(false);
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
        if (!asLeft && !KeptOrder::demote(connection))
            return false;
        // Taken from the book and mended since: only the blocks read again are written, over
        // rows nobody wrote since they were taken.
        if (const std::optional<ChangeStamp> kept = index.keptAt(); kept && keptRowsUntouched(connection, *kept))
            return writeChanged(connection, index);
        return forget(connection) && write(connection, index);
    });
}

bool KeptSearchIndex::keptRowsUntouched(DataConnection& connection, ChangeStamp since)
{
    for (const char* table : {"qav_search_blocks", "qav_search_values"})
        if (const ChangedRows changed = connection.changesSince(since, QLatin1String(table), 0);
            !changed.known || changed.size() > 0 || !hasTable(connection, table))
            return false;
    return true;
}

bool KeptSearchIndex::writeChanged(DataConnection& connection, const BookSearchIndex& index)
{
    sqlite3* db = connection.handle();
    const std::vector<BookSearchIndex::Block>& blocks = index.blocks();
    std::vector<std::vector<qint64>> values;
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (!index.changedSinceKept(i))
            continue;
        if (values.empty())
            values = index.valuesByBlock();
        if (!putBlock(db, qint64(i), blocks[i], index.packed()) || !writeValues(db, qint64(i), values[i], true))
            return false;
    }
    return true;
}

bool KeptSearchIndex::write(DataConnection& connection, const BookSearchIndex& index)
{
    sqlite3* db = connection.handle();
    if (!run(db, "CREATE TABLE IF NOT EXISTS qav_search_blocks (block INTEGER PRIMARY KEY, kind TEXT NOT NULL, "
                 "blocks INTEGER NOT NULL, count INTEGER NOT NULL, rows BLOB NOT NULL, texts BLOB NOT NULL, "
                 "numbers BLOB NOT NULL, sounds BLOB NOT NULL)"))
        return false;
    if (!run(db, "CREATE TABLE IF NOT EXISTS qav_search_values (block INTEGER PRIMARY KEY, count INTEGER NOT NULL, "
                 "ids BLOB NOT NULL)"))
        return false;
    const std::vector<std::vector<qint64>> values = index.valuesByBlock();
    for (size_t i = 0; i < values.size(); ++i)
        if (!writeValues(db, qint64(i), values[i], false))
            return false;
    const QString kind = kindOf(index.numberKey(), index.packed());
    const std::vector<BookSearchIndex::Block>& blocks = index.blocks();
    for (size_t i = 0; i < blocks.size(); ++i)
        if (!putBlock(db, qint64(i), blocks[i], index.packed(), kind, qint64(blocks.size())))
            return false;
    return true;
}

bool KeptSearchIndex::hasRows(DataConnection& connection)
{
    QString rows;
    // Unknown: as if there were.
    return connection.hasTable(QStringLiteral("qav_search_blocks")).value_or(true) &&
           (!connection.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM qav_search_blocks)"), {}, rows).ok ||
            rows != QLatin1String("0"));
}

bool KeptSearchIndex::forget(DataConnection& connection)
{
    // With a WHERE, so that SQLite reports each row it deletes to the connection's change log.
    for (const QString& table : {QStringLiteral("qav_search_blocks"), QStringLiteral("qav_search_values")}) {
        const std::optional<bool> there = connection.hasTable(table);
        if (!there ||
            (*there && !connection.execute(QStringLiteral("DELETE FROM %1 WHERE block IS NOT NULL").arg(table))))
            return false;
    }
    return true;
}

bool KeptSearchIndex::dropUnbelieved(DataConnection& connection)
{
    if (!connection.handle())
        return false;
    if (!hasRows(connection) || BookFingerprint::underReadLock(connection, [] { return true; }))
        return true; // nothing kept, or what is kept is still true
    Transaction forgetting(connection);
    return forgetting.begun() && forget(connection) && forgetting.commit();
}

bool KeptSearchIndex::blockFromRow(qint64 count, QByteArrayView rows, QByteArrayView texts, QByteArrayView numbers,
                                   QByteArrayView sounds, bool packed, size_t& budget, BookSearchIndex::Block& out)
{
    // A block mended in a session may grow to twice its rows before it is split.
    if (count < 1 || count > 2 * BookSearchIndex::kRowsPerBlock)
        return false;
    BookSearchIndex::Block block;
    std::string scratch;
    if (!block.rows.assign(rows, count) ||
        !takeStream(texts, count, BookSearchIndex::kTextsPerRow, packed, budget, scratch, block.texts) ||
        !takeStream(numbers, count, BookSearchIndex::kNumbersPerRow, packed, budget, scratch, block.numbers) ||
        !takeStream(sounds, count, BookSearchIndex::kSoundsPerRow, packed, budget, scratch, block.soundKeys))
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
    // The folded texts of a book take no more than a few times its file; kept rows that say they
    // unpack to more were not written by a save.
    size_t budget = size_t(kUnpackedPerFileByte) * size_t(std::max<qint64>(QFileInfo(connection.path()).size(), 0));
    const bool read = BookFingerprint::underReadLock(connection, [&] {
        if (!hasTable(connection, "qav_search_blocks"))
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
                                     blob(stmt, 7), packed, budget, block);
                if (whole)
                    blocks.push_back(std::move(block));
            });
        // Taken in under the same read lock: the more values' contacts are read as they stand.
        return rows.ok && whole && !blocks.empty() && qint64(blocks.size()) == declared &&
               index.adopt(connection, std::move(blocks), packed, connection.changeStamp());
    });
    return read;
}

std::optional<ChangeStamp> KeptSearchIndex::believedAt(DataConnection& connection)
{
    std::optional<ChangeStamp> stamp;
    (void)BookFingerprint::underReadLock(connection, [&] {
        if (hasRows(connection))
            stamp = connection.changeStamp();
        return true;
    });
    return stamp;
}

bool KeptSearchIndex::mend(DataConnection& connection, ChangeStamp stamp, qsizetype rowsPerBlock)
{
    if (!connection.isOpen())
        return false;
    const ChangeStamp now = connection.changeStamp();
    if (now == stamp || !hasRows(connection))
        return true; // nothing written since it was believed, or nothing kept
    return BookFingerprint::keepWriting(connection, now, [&](bool asLeft) {
        // The file changed since it was left: a kept order is no longer vouched for.
        return (asLeft || KeptOrder::demote(connection)) && mendRows(connection, stamp, rowsPerBlock);
    });
}

namespace
{

// The number rules a kept index was made under, read back from its kind; the kind is then made
// again from them and compared whole, so a kind of another format or ICU gives none.
std::optional<NumberKey> numbersOfKind(const QString& kind)
{
    const QStringList words = kind.split(QLatin1Char(' '));
    if (words.size() != 7 || words[2] != QLatin1String("numbers"))
        return std::nullopt;
    const qsizetype slash = words[3].indexOf(QLatin1Char('/'));
    if (slash < 0)
        return std::nullopt;
    return NumberKey(words[3].left(slash), words[3].mid(slash + 1));
}

} // namespace

bool KeptSearchIndex::mendRows(DataConnection& connection, ChangeStamp since, qsizetype rowsPerBlock)
{
    // A directory added, locked, unlocked or deleted, or the kept rows written by anyone since
    // they were believed: not mended here.
    if (const ChangedRows directories = connection.changesSince(since, QStringLiteral("dirg"), 0);
        !directories.known || directories.size() > 0 || !keptRowsUntouched(connection, since))
        return false;
    // Each kept block stands for the row ids after the last row of the one before it, up to its
    // own last row (the last block to the highest row id there can be), as adopt() takes them.
    std::vector<qint64> lasts;
    QString kind;
    qint64 declared = -1;
    qint64 held = 0;
    bool whole = true;
    const DataResult read = connection.query(
        QStringLiteral("SELECT block, kind, blocks, count, rows FROM qav_search_blocks ORDER BY block"), {},
        [&](sqlite3_stmt* stmt) {
            if (!whole)
                return;
            if (lasts.empty()) {
                kind = DataConnection::columnText(stmt, 1);
                declared = sqlite3_column_int64(stmt, 2);
            }
            const qint64 count = sqlite3_column_int64(stmt, 3);
            std::vector<qint64> rows;
            whole = sqlite3_column_int64(stmt, 0) == qint64(lasts.size()) &&
                    DataConnection::columnText(stmt, 1) == kind && sqlite3_column_int64(stmt, 2) == declared &&
                    count >= 1 && count <= 2 * BookSearchIndex::kRowsPerBlock &&
                    VarInt::toIds(blob(stmt, 4), count, rows) && (lasts.empty() || rows.front() > lasts.back()) &&
                    std::is_sorted(rows.begin(), rows.end());
            if (whole) {
                lasts.push_back(rows.back());
                held += count;
            }
        });
    const std::optional<NumberKey> numbers = numbersOfKind(kind);
    if (!read || !whole || lasts.empty() || qint64(lasts.size()) != declared || !numbers ||
        (kind != kindOf(*numbers, true) && kind != kindOf(*numbers, false)))
        return false;
    auto blockOf = [&lasts](qint64 row) {
        return std::min(size_t(std::lower_bound(lasts.begin(), lasts.end(), row) - lasts.begin()), lasts.size() - 1);
    };

    // Past an eighth of the rows the next session's full read is the cheaper way.
    const size_t most = size_t(held) / 8 + 64;
    const ChangedRows contacts = connection.changesSince(since, QStringLiteral("info"), most);
    const ChangedRows values = connection.changesSince(since, QStringLiteral("qav_contact_value"), most);
    if (!contacts.known || !values.known)
        return false;
    std::vector<size_t> stale;
    for (const std::vector<qint64>* part : {&contacts.added, &contacts.changed})
        for (const qint64 row : *part)
            stale.push_back(blockOf(row));
    if (values.size() > 0) {
        // A value updated or deleted tells only its own row id: the block that held it is found
        // by the values kept beside each block, the block it belongs to now by its contact.
        const std::unordered_set<qint64> changedValues(values.changed.begin(), values.changed.end());
        qint64 listed = 0;
        bool listsWhole = true;
        const DataResult lists =
            connection.query(QStringLiteral("SELECT block, count, ids FROM qav_search_values ORDER BY block"), {},
                             [&](sqlite3_stmt* stmt) {
                                 std::vector<qint64> ids;
                                 if (!listsWhole || sqlite3_column_int64(stmt, 0) != listed ||
                                     !VarInt::toIds(blob(stmt, 2), sqlite3_column_int64(stmt, 1), ids)) {
                                     listsWhole = false;
                                     return;
                                 }
                                 for (const qint64 id : ids)
                                     if (changedValues.contains(id))
                                         stale.push_back(size_t(listed));
                                 ++listed;
                             });
        if (!lists || !listsWhole || listed != qint64(lasts.size()))
            return false;
        std::vector<qint64> standing = values.added;
        standing.insert(standing.end(), values.changed.begin(), values.changed.end());
        if (!connection.queryByRowIds(
                QStringLiteral("SELECT contact FROM qav_contact_value WHERE rowid IN "), standing,
                [&](sqlite3_stmt* stmt) { stale.push_back(blockOf(sqlite3_column_int64(stmt, 0))); }))
            return false;
    }
    std::sort(stale.begin(), stale.end());
    stale.erase(std::unique(stale.begin(), stale.end()), stale.end());

    // Each stale block read again over its own range, as the index reads it, and put in its row;
    // the rows after it are renumbered when it is split or taken out. From the last, so that
    // neither changes the numbers of those before it.
    const BookSearchIndex reader(*numbers);
    sqlite3* db = connection.handle();
    qint64 left = qint64(lasts.size());
    std::reverse(stale.begin(), stale.end());
    for (const size_t i : stale) {
        const qint64 from = i == 0 ? std::numeric_limits<qint64>::min() : lasts[i - 1] + 1;
        const qint64 to = i + 1 == lasts.size() ? std::numeric_limits<qint64>::max() : lasts[i];
        std::vector<BookSearchIndex::Block> blocks;
        std::vector<std::vector<qint64>> heldValues;
        if (!reader.readBlocks(connection, from, to, 2 * rowsPerBlock, blocks, heldValues))
            return false;
        // Grown past twice its rows: split into full blocks, as the index splits one it holds.
        if (blocks.size() > 1 && !reader.readBlocks(connection, from, to, rowsPerBlock, blocks, heldValues))
            return false;
        if (blocks.empty()) {
            // No row left in its range: the next block takes it over (or the one before, the last).
            if (!takeOut(connection, qint64(i)))
                return false;
            --left;
            continue;
        }
        const qint64 added = qint64(blocks.size()) - 1;
        if (added > 0 && !shift(connection, qint64(i), added))
            return false;
        for (size_t part = 0; part < blocks.size(); ++part) {
            const qint64 at = qint64(i) + qint64(part);
            // The first piece over the block's own row, the others as new rows after it.
            if (!putBlock(db, at, blocks[part], true, part == 0 ? QString() : kind, declared) ||
                !writeValues(db, at, heldValues[part], part == 0))
                return false;
        }
        left += added;
    }
    // Every row says how many there are.
    return left > 0 && (left == qint64(lasts.size()) ||
                        connection
                            .execute(QStringLiteral("UPDATE qav_search_blocks SET blocks = ? WHERE block IS NOT NULL"),
                                     {QString::number(left)})
                            .ok);
}

bool KeptSearchIndex::shift(DataConnection& connection, qint64 after, qint64 by)
{
    // Through negative numbers, so that no two rows meet on the way.
    for (const QString& table : {QStringLiteral("qav_search_blocks"), QStringLiteral("qav_search_values")})
        if (!connection.execute(QStringLiteral("UPDATE %1 SET block = -1 - block WHERE block > ?").arg(table),
                                {QString::number(after)}) ||
            !connection.execute(QStringLiteral("UPDATE %1 SET block = -1 - block + ? WHERE block < 0").arg(table),
                                {QString::number(by)}))
            return false;
    return true;
}

bool KeptSearchIndex::takeOut(DataConnection& connection, qint64 block)
{
    const QStringList at{QString::number(block)};
    // Those after it move down one.
    for (const QString& table : {QStringLiteral("qav_search_blocks"), QStringLiteral("qav_search_values")})
        if (!connection.execute(QStringLiteral("DELETE FROM %1 WHERE block = ?").arg(table), at))
            return false;
    return shift(connection, block, -1);
}
