#include "OrderedColumnRead.h"

#include <sqlite3.h>

#include <algorithm>
#include <thread>

namespace
{

// Below this many rows a second connection costs more to open (its key is derived anew) than it
// saves.
constexpr size_t kSplitFrom = 150000;

// Where each id stands in the order, sorted by id for the lookups as the rows come.
using Places = std::vector<std::pair<qint64, qsizetype>>;

// One part of the rows read: where each row stands in the order, and its text.
struct Part : FieldTexts::Part {
    bool ok = false;
};

bool run(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The rows of the query whose ids lie in (above, upTo]. Rows that fill that stretch of the file
// are read straight through it; scattered ones are fetched by id, still in the file's order:
// going by the directory's index instead reads every page several times over.
Part readPart(DataConnection& connection, const RecordQuery& query, const QString& column, const Places& places,
              qint64 above, qint64 upTo, bool straight)
{
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2").arg(column, query.table());
    QStringList values{QString::number(above), QString::number(upTo)};
    const QString inStretch = QStringLiteral("rowid > ? AND rowid <= ?");
    const bool some = !query.whereColumn().isEmpty();
    if (some)
        values << query.whereValue();
    if (straight || !some)
        sql += QStringLiteral(" NOT INDEXED WHERE ") + inStretch +
               (some ? QStringLiteral(" AND %1 = ?").arg(query.whereColumn()) : QString());
    else
        sql += QStringLiteral(" WHERE rowid IN (SELECT rowid FROM %1 WHERE %2 AND %3 = ?)")
                   .arg(query.table(), inStretch, query.whereColumn());
    Part part;
    const DataResult done = connection.query(sql, values, [&](sqlite3_stmt* stmt) {
        const qint64 id = sqlite3_column_int64(stmt, 0);
        const auto place = std::lower_bound(places.begin(), places.end(), std::make_pair(id, qsizetype(-1)));
        if (place == places.end() || place->first != id)
            return;
        part.places.push_back(place->second);
        part.texts.append(
            QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)), sqlite3_column_bytes(stmt, 1)));
    });
    part.ok = done.ok;
    return part;
}

} // namespace

bool OrderedColumnRead::read(DataConnection& connection, const RecordQuery& query, const QString& column,
                             const std::vector<qint64>& ids, quint64 stamp, FieldTexts& out)
{
    Places places(ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
        places[i] = {ids[i], qsizetype(i)};
    std::sort(places.begin(), places.end());

    // One read lock over both halves: no writer commits until both are read. Inside a transaction
    // of the caller's, the one connection reads it all.
    sqlite3* db = connection.handle();
    if (!db)
        return false;
    const bool ownLock = sqlite3_get_autocommit(db) != 0;
    if (ownLock && !run(db, "BEGIN"))
        return false;
    auto unlock = [&] {
        if (ownLock)
            run(db, "COMMIT");
    };
    QString tables;
    if (!connection.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"), {}, tables) ||
        connection.changeStamp() != stamp) {
        unlock();
        return false;
    }
    std::vector<Part> parts;
    if (places.empty()) {
        unlock();
        out = FieldTexts();
        return true;
    }
    const qint64 first = places.front().first - 1;
    const qint64 last = places.back().first;
    const bool straight = double(places.size()) >= 0.5 * double(last - first);
    DataConnection helper;
    if (ownLock && places.size() >= kSplitFrom && connection.openReaderBeside(helper)) {
        const qint64 middle = places[places.size() / 2].first;
        // A writer waiting for our lock keeps the second connection out: it gives up soon, and
        // the first reads that half too.
        sqlite3_busy_timeout(helper.handle(), 100);
        Part high;
        std::thread second([&] { high = readPart(helper, query, column, places, middle, last, straight); });
        parts.push_back(readPart(connection, query, column, places, first, middle, straight));
        second.join();
        if (!high.ok)
            high = readPart(connection, query, column, places, middle, last, straight);
        parts.push_back(std::move(high));
    } else {
        parts.push_back(readPart(connection, query, column, places, first, last, straight));
    }
    unlock();

    // Every row of the order read exactly once, or the file holds other rows than it knows.
    std::vector<bool> seen(ids.size(), false);
    size_t read = 0;
    std::vector<FieldTexts::Part> kept;
    for (Part& part : parts) {
        if (!part.ok)
            return false;
        for (const qsizetype place : part.places) {
            if (seen[size_t(place)])
                return false;
            seen[size_t(place)] = true;
        }
        read += part.places.size();
        kept.push_back(std::move(part));
    }
    if (read != ids.size())
        return false;
    out = FieldTexts(std::move(kept));
    return true;
}
