#include "OrderedColumnRead.h"

#include "PlaceById.h"
#include "ReadLock.h"

#include <sqlite3.h>

#include <algorithm>
#include <thread>

namespace
{

// After this many rows a part judges whether the whole column would fit in the bytes it may keep.
constexpr size_t kJudgedAfter = 1024;

// The share of the rows one connection reads: how many, where the matching ones stand in the order, and every text
// with its place while they fit in the bytes this part may keep.
struct Share {
    size_t rows = 0;
    std::vector<qsizetype> found;
    FieldTexts::Pass kept;
    bool keeping = true;
    bool ok = false;
};

// A stretch of ids, (above, upTo], and how many rows of the order lie in it.
struct Stretch {
    qint64 above;
    qint64 upTo;
    qsizetype rows;
};
using Stretches = std::vector<Stretch>;

// The order's ids in stretches of the file worth reading straight through: a new one starts
// where the next id lies more than kGap ids beyond the last (reading a few rows of other
// directories costs less than another statement), and at the row of rank breakAt, where the
// second half begins.
constexpr qint64 kGap = 32;
Stretches stretchesOf(const PlaceById& placeOf, qsizetype breakAt)
{
    Stretches stretches;
    qsizetype rank = 0;
    placeOf.forEachId([&](qint64 id) {
        if (stretches.empty() || id - stretches.back().upTo > kGap || rank == breakAt)
            stretches.push_back({id - 1, id, 0});
        stretches.back().upTo = id;
        ++stretches.back().rows;
        ++rank;
    });
    return stretches;
}

// The rows of the query in the stretches from..to. Rows that lie together are read straight
// through their stretches; a part whose rows are scattered one by one is fetched by id in one
// statement, still in the file's order: going by the directory's index instead reads every page
// several times over.
Share readShare(DataConnection& connection, const RecordQuery& query, const QString& column, const PlaceById& placeOf,
                Stretches::const_iterator from, Stretches::const_iterator to, const FieldTexts::Match& matches,
                qsizetype keepUpTo)
{
    qsizetype expected = 0;
    for (auto stretch = from; stretch != to; ++stretch)
        expected += stretch->rows;
    const bool some = !query.whereColumn().isEmpty();
    const bool scattered = some && (to - from) * 8 > expected;
    const QString inStretch = QStringLiteral("rowid > ? AND rowid <= ?");
    QString sql = QStringLiteral("SELECT rowid, %1 FROM %2").arg(column, query.table());
    if (scattered)
        sql += QStringLiteral(" WHERE rowid IN (SELECT rowid FROM %1 WHERE %2 AND %3 = ?)")
                   .arg(query.table(), inStretch, query.whereColumn());
    else
        sql += QStringLiteral(" NOT INDEXED WHERE ") + inStretch +
               (some ? QStringLiteral(" AND %1 = ?").arg(query.whereColumn()) : QString());
    std::vector<Stretch> statements(from, to);
    if (scattered && from != to)
        statements = {{from->above, (to - 1)->upTo, expected}};
    Share part;
    std::string scratch;
    auto take = [&](sqlite3_stmt* stmt) {
        const qsizetype place = placeOf.of(sqlite3_column_int64(stmt, 0));
        if (place < 0)
            return;
        ++part.rows;
        const QByteArrayView text(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)),
                                  sqlite3_column_bytes(stmt, 1));
        if (matches(text, scratch))
            part.found.push_back(place);
        if (!part.keeping)
            return;
        // Judged early by the bytes per row so far: a column that will not fit is not held even
        // for a while.
        const qsizetype bytes = part.kept.texts.byteSize() + text.size();
        if (bytes > keepUpTo || (part.rows >= kJudgedAfter && bytes * expected / qsizetype(part.rows) > keepUpTo)) {
            part.keeping = false;
            part.kept = {};
            return;
        }
        if (part.rows == kJudgedAfter) { // room for them all at once, as judged
            part.kept.texts.reserve(expected, bytes * expected / qsizetype(part.rows));
            part.kept.places.reserve(size_t(TextColumn::withRoomToGrow(expected)));
        }
        part.kept.places.push_back(qint32(place));
        part.kept.texts.append(text);
    };
    for (const Stretch& stretch : statements) {
        QStringList values{QString::number(stretch.above), QString::number(stretch.upTo)};
        if (some)
            values << query.whereValue();
        if (!connection.query(sql, values, take))
            return part;
    }
    part.ok = true;
    return part;
}

} // namespace

bool OrderedColumnRead::read(DataConnection& connection, const RecordQuery& query, const QString& column,
                             const std::vector<qint64>& ids, ChangeStamp stamp, const FieldTexts::Match& matches,
                             qsizetype keepUpTo, Found& out)
{
    const PlaceById placeOf(ids);

    // One read lock over both halves: no writer commits until both are read. Inside a transaction
    // of the caller's, the one connection reads it all.
    ReadLock lock(connection);
    if (!lock.taken() || connection.changeStamp() != stamp)
        return false;
    std::vector<Share> parts;
    const qsizetype count = placeOf.count();
    if (count == 0) {
        out = {{}, FieldTexts()};
        return true;
    }
    const bool split = lock.own() && count >= DataConnection::kReaderBesideFrom;
    const Stretches stretches = stretchesOf(placeOf, split ? count / 2 : -1);
    DataConnection helper;
    if (split && connection.openReaderBeside(helper, DataConnection::Wait::Briefly)) {
        // A writer waiting for our lock keeps the second connection out: it gives up soon, and
        // the first reads that half too.
        const auto middle =
            std::find_if(stretches.begin(), stretches.end(), [&, rank = qsizetype(0)](const Stretch& stretch) mutable {
                const bool second = rank >= count / 2;
                rank += stretch.rows;
                return second;
            });
        Share high;
        auto readHigh = [&](DataConnection& on) {
            return readShare(on, query, column, placeOf, middle, stretches.end(), matches, keepUpTo / 2);
        };
        std::thread second([&] { high = readHigh(helper); });
        parts.push_back(
            readShare(connection, query, column, placeOf, stretches.begin(), middle, matches, keepUpTo / 2));
        second.join();
        if (!high.ok)
            high = readHigh(connection);
        parts.push_back(std::move(high));
    } else {
        parts.push_back(
            readShare(connection, query, column, placeOf, stretches.begin(), stretches.end(), matches, keepUpTo));
    }
    lock.release();

    // Every row of the order read once (the parts are stretches of ids that do not overlap), or the
    // file holds other rows than it knows.
    size_t read = 0;
    bool keptAll = true;
    out = {};
    std::vector<FieldTexts::Pass> kept;
    for (Share& part : parts) {
        if (!part.ok)
            return false;
        read += part.rows;
        out.places.insert(out.places.end(), part.found.begin(), part.found.end());
        keptAll = keptAll && part.keeping;
        kept.push_back(std::move(part.kept));
    }
    if (read != ids.size())
        return false;
    std::sort(out.places.begin(), out.places.end());
    if (keptAll)
        out.texts = FieldTexts(std::move(kept));
    return true;
}
