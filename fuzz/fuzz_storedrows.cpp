// The readers of the program's own tables, on plain rows: anyone with the published key can write
// any value into them, so every reader must refuse or read a row, never crash or take room a
// row's count asks for. The first byte picks the reader; the rest is cut into values at 0xFE.
// A kept search block is read from plain values too: its fingerprint vouches only for a file
// this program wrote, and anyone can write one of those.
#include "BookSearchIndex.h"
#include "DataConnection.h"
#include "KeptOrder.h"
#include "KeptSearchIndex.h"
#include "NotDuplicateStore.h"
#include "OrderMend.h"
#include "PlaceById.h"
#include "Recordset.h"
#include "Schema.h"
#include "SyncStore.h"
#include "TrashStore.h"
#include "VarInt.h"

#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace
{

QList<QByteArray> valuesOf(QByteArrayView input, int count)
{
    QList<QByteArray> values;
    qsizetype from = 0;
    while (values.size() < count - 1) {
        const qsizetype cut = input.indexOf('\xfe', from);
        if (cut < 0)
            break;
        values << input.sliced(from, cut - from).toByteArray();
        from = cut + 1;
    }
    values << input.sliced(std::min(from, input.size())).toByteArray();
    while (values.size() < count)
        values << QByteArray();
    return values;
}

// A count as the fuzzer likes to write it: seven bits a byte, or a signed difference.
qint64 countOf(const QByteArray& value)
{
    quint64 count = 0;
    qsizetype at = 0;
    (void)VarInt::take(value, at, count);
    return value.startsWith('-') ? VarInt::toSigned(count) : qint64(count);
}

// Each value bound as a blob, as text, or as a number, by the low bits of its first byte (the rest
// is the value): a reader meets every type SQLite may hand it.
void bind(sqlite3_stmt* statement, int index, const QByteArray& typed)
{
    const QByteArray value = typed.mid(1);
    switch (typed.isEmpty() ? 0 : quint8(typed[0]) % 4) {
    case 0:
        sqlite3_bind_blob(statement, index, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        break;
    case 1:
        sqlite3_bind_text(statement, index, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        break;
    case 2:
        sqlite3_bind_int64(statement, index, countOf(value));
        break;
    default:
        sqlite3_bind_null(statement, index);
    }
}

void run(sqlite3* db, const char* sql, const QList<QByteArray>& values = {})
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return;
    for (int i = 0; i < values.size() && i < sqlite3_bind_parameter_count(statement); ++i)
        bind(statement, i + 1, values[i]);
    (void)sqlite3_step(statement);
    sqlite3_finalize(statement);
}

struct Book {
    QTemporaryDir folder;
    DataConnection connection;
    QString dir;
    Book()
    {
        const QString path = folder.filePath(QStringLiteral("Kib.bin"));
        if (!Schema::create(path).ok || !connection.open(path, QString::fromLatin1(Schema::kPassword)))
            std::abort();
        sqlite3* db = connection.handle();
        run(db, "PRAGMA synchronous = OFF");
        run(db, "INSERT INTO dirg (code, dirname, pass) VALUES (1, 'd', '0')");
        run(db, "INSERT INTO info (name, dir) VALUES ('b', '1'), ('a', '1'), ('c', '1')");
        if (!SyncStore(connection).createTables().ok || !NotDuplicateStore(connection).remember({}).ok)
            std::abort();
        QList<TrashStore::Trashed> none;
        (void)TrashStore(connection).list(none);
        Recordset all(&connection);
        // Ordered when first shown, then kept.
        if (!all.openAllContacts().ok || all.snapshot()->value(0, 0) != QLatin1String("a") || !all.keepOrder())
            std::abort();
    }
};

void readOrder(qint64 count, const QByteArray& ids, const QByteArray& names)
{
    NameOrder::Ordered rows;
    if (!KeptOrder::fromRow(count, ids, names, rows))
        return;
    if (qsizetype(rows.ids.size()) != count || rows.texts.size() != count)
        std::abort();
    // As a session that finds the file changed uses it: mended with the rows as they are now.
    OrderMend mend(rows);
    for (qsizetype i = 0; i < count; i += 2)
        mend.take(rows.ids[size_t(i)], rows.texts.utf8(i));
    const OrderChanges changes = mend.changes();
    if (changes.ids.size() != size_t(changes.names.size()) || !std::is_sorted(changes.gone.begin(), changes.gone.end()))
        std::abort();
    for (const qsizetype place : changes.gone)
        if (place < 0 || place >= count)
            std::abort();
}

// A block of the kept search index, as a session that finds the book as it left it reads it,
// then searched as the user types.
void readSearchBlock(DataConnection& connection, const QList<QByteArray>& values)
{
    const bool packed = !values[0].isEmpty() && (quint8(values[0][0]) & 1);
    const qint64 count = countOf(values[0].mid(1));
    BookSearchIndex::Block block;
    size_t budget = 3 * KeptSearchIndex::kMostUnpacked;
    if (!KeptSearchIndex::blockFromRow(count, values[1], values[2], values[3], values[4], packed, budget, block))
        return;
    if (qint64(block.rows.size()) != count)
        std::abort();
    BookSearchIndex index(NumberKey(QStringLiteral("20"), QStringLiteral("0")));
    if (!index.adopt(connection, {std::move(block)}, packed, {}))
        return; // rows that do not rise
    for (const QString& query : {QStringLiteral("a"), QStringLiteral("0100"), QStringLiteral("Mohamed")})
        if (qint64(index.find(query, 5).hits.size()) > count)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static Book book;
    sqlite3* db = book.connection.handle();
    const QByteArrayView input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    switch (data[0] % 6) {
    case 0: {
        const QList<QByteArray> values = valuesOf(input, 3);
        readOrder(countOf(values[0]), values[1], values[2]);
        break;
    }
    case 1: { // the kept row of the list every session opens first
        run(db, "UPDATE qav_name_order SET count = ?, ids = ?, names = ?", valuesOf(input, 3));
        Recordset all(&book.connection);
        if (all.openAllContacts().ok)
            for (qsizetype i = 0; i < all.recordCount(); ++i)
                (void)all.snapshot()->record(i);
        break;
    }
    case 2: {
        run(db, "DELETE FROM qav_trash");
        run(db,
            "INSERT INTO qav_trash (id, name, hometel, jobtel, mobil, fax, address, email, org, moreinfo, dir, "
            "dirname, lockpass, deleted) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            valuesOf(input, 14));
        TrashStore trash(book.connection);
        QList<TrashStore::Trashed> items;
        (void)trash.list(items);
        for (const TrashStore::Trashed& item : items)
            (void)trash.restore(item.id, QStringLiteral("1"));
        run(db, "DELETE FROM info WHERE name NOT IN ('a', 'b', 'c')");
        break;
    }
    case 3: {
        run(db, "DELETE FROM qav_sync_link");
        run(db, "DELETE FROM qav_sync_card");
        const QList<QByteArray> values = valuesOf(input, 16);
        run(db, "INSERT INTO qav_sync_link VALUES ('1', ?, ?, ?, ?, ?, ?, ?)", values.mid(0, 7));
        run(db, "INSERT INTO qav_sync_card VALUES ('1', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", values.mid(2, 14));
        SyncStore store(book.connection);
        (void)store.links();
        for (const auto& [href, state] : store.cards(QStringLiteral("1")))
            (void)store.serverCard(QStringLiteral("1"), href);
        break;
    }
    case 5:
        readSearchBlock(book.connection, valuesOf(input, 5));
        break;
    default: {
        run(db, "DELETE FROM qav_not_duplicate");
        run(db, "INSERT INTO qav_not_duplicate VALUES (?, ?)", valuesOf(input, 2));
        QList<QPair<QString, QString>> pairs;
        (void)NotDuplicateStore(book.connection).list(pairs);
    }
    }
    return 0;
}
