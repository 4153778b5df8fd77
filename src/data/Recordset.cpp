#include "Recordset.h"

#include "MoreValueFilter.h"
#include "NameOrder.h"
#include "OrderMend.h"
#include "OrderedColumnRead.h"
#include "PassedOver.h"
#include "SoundKey.h"
#include "StoredOrder.h"
#include "TextFold.h"
#include "TwoHalves.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>
#include <iterator>
#include <unordered_set>

namespace
{
// Up to this many rows changed, they are placed in the order one by one; more are merged in one pass.
constexpr size_t kPlacedOneByOne = 16;
// The most bytes of a field's texts kept for the next search in it: with the order's own names,
// a large directory stays within a few tens of megabytes whatever field is searched.
constexpr qsizetype kKeptFieldBytes = qsizetype(24) << 20;
} // namespace

Recordset::Recordset(DataConnection* connection) : m_connection(connection) {}

DataResult Recordset::open(const RecordQuery& query)
{
    close();
    if (!m_connection || !m_connection->isOpen())
        return DataResult{false, QStringLiteral("database is not open")};

    QStringList columns;
    DataResult read = m_connection->query(QStringLiteral("PRAGMA table_info(%1)").arg(query.table()), {},
                                          [&](sqlite3_stmt* stmt) { columns << DataConnection::columnText(stmt, 1); });
    if (!read)
        return read;
    if (columns.isEmpty() || (!query.whereColumn().isEmpty() && !columns.contains(query.whereColumn())) ||
        !columns.contains(query.orderColumn()))
        return DataResult{false, QStringLiteral("no such table or column in: %1").arg(query.text())};
    m_query = query;
    m_columns = columns;
    m_filter = RecordFilter();
    return rebuild();
}

void Recordset::close()
{
    m_query.reset();
    m_filter = RecordFilter();
    m_sound = Sound::Ignored;
    m_columns.clear();
    m_count.reset();
    m_rows.reset();
    m_position = 0;
    m_failed = false;
}

DataResult Recordset::requery()
{
    if (!m_query)
        return DataResult{false, QStringLiteral("recordset is closed")};
    return rebuild();
}

DataResult Recordset::setFilter(const RecordFilter& filter, Sound sound)
{
    if (!m_query)
        return DataResult{false, QStringLiteral("recordset is closed")};
    if (!filter.isEmpty() && !m_columns.contains(filter.column()))
        return DataResult{false, QStringLiteral("no column %1").arg(filter.column())};
    const bool bySound = sound == Sound::AlsoFind && filter.kind() == RecordFilter::Kind::Like &&
                         filter.column() == m_query->orderColumn();
    sound = bySound ? Sound::AlsoFind : Sound::Ignored;
    // The same filter on unchanged data selects the same rows: keep them, back to the first.
    if (filter == m_filter && sound == m_sound && !m_failed && m_count && m_builtAt == m_connection->changeStamp()) {
        m_position = 0;
        return {};
    }
    if (bySound && !orderCacheIsCurrent()) {
        // Sounds are compared in memory, over the whole order: read it first if it is not current.
        m_filter = RecordFilter();
        m_sound = Sound::Ignored;
        if (DataResult whole = rebuild(); !whole)
            return whole;
        materialize();
    }
    m_filter = filter;
    m_sound = sound;
    return rebuild();
}

QString Recordset::whereClause(QStringList& values) const
{
    QStringList conditions;
    if (!m_query->whereColumn().isEmpty()) {
        conditions << QStringLiteral("%1 = ?").arg(m_query->whereColumn());
        values << m_query->whereValue();
    }
    if (!m_filter.isEmpty()) {
        values << m_filter.sqlValue();
        if (const MoreValueFilter more(*m_connection, *m_query, m_filter); more.applies())
            conditions << QStringLiteral("(%1 OR %2)").arg(m_filter.sqlCondition(), more.sqlCondition(values));
        else
            conditions << m_filter.sqlCondition();
    }
    return conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}

DataResult Recordset::rebuild()
{
    m_rows.reset();
    m_count.reset();
    m_position = 0;
    m_failed = false;
    m_builtAt = m_connection->changeStamp();
    if (!knowsOrderOfQuery())
        adoptStoredOrder();
    // The whole set in an order still true of the file: no need to count or read anything.
    if (m_filter.isEmpty() && orderCacheIsCurrent()) {
        m_rows = std::make_shared<RowSet>(m_connection, m_query->table(), m_columns, orderIds());
        m_count = m_rows->size();
        return {};
    }
    if (!m_filter.isEmpty() && filterOrderedTexts())
        return {};
    if (!m_filter.isEmpty()) {
        // A filtered set is usually small and its condition costly: find and order it in one pass.
        materialize();
        if (m_failed)
            return DataResult{false, QStringLiteral("the filter could not be applied")};
        return {};
    }
    if (knowsOrderOfQuery()) {
        // An order of this set is at hand but no longer true of the file (another writer changed
        // it): the rows are read and placed anew now, which counts them too, rather than counted
        // first and read when shown.
        materialize();
        if (m_failed)
            return DataResult{false, QStringLiteral("the rows could not be read")};
        return {};
    }
    QStringList values;
    const QString sql = QStringLiteral("SELECT count(*) FROM %1").arg(m_query->table()) + whereClause(values);
    QString count;
    DataResult counted = m_connection->scalar(sql, values, count);
    if (!counted) {
        m_failed = true;
        return counted;
    }
    m_count = count.toLongLong();
    return {};
}

void Recordset::materialize()
{
    if (m_rows || !m_query || m_failed)
        return;
    QStringList values;
    const QString sql =
        QStringLiteral("SELECT rowid, %1 FROM %2").arg(m_query->orderColumn(), m_query->table()) + whereClause(values);
    const ChangeStamp readAt = m_connection->changeStamp();
    static const NameOrder order;
    std::shared_ptr<NameOrder::Ordered> ordered;
    auto textOf = [](sqlite3_stmt* stmt) {
        return QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)),
                              sqlite3_column_bytes(stmt, 1));
    };
    DataResult read;
    if (m_filter.isEmpty() && knowsOrderOfQuery()) {
        // An order of this set is at hand but another writer changed the file: mended as the rows
        // are read. Only whole (unfiltered) sets are kept: they are the large ones.
        OrderMend mend(order, *m_orderCache.rows);
        read = m_connection->query(sql, values,
                                   [&](sqlite3_stmt* stmt) { mend.take(sqlite3_column_int64(stmt, 0), textOf(stmt)); });
        if (read)
            ordered = std::make_shared<NameOrder::Ordered>(mend.result());
    } else {
        std::vector<qint64> ids;
        TextColumn keys;
        // Room for them all at once, as counted (growing step by step would hold them twice for a moment).
        if (m_count) {
            ids.reserve(size_t(*m_count));
            keys.reserve(*m_count, 0);
        }
        read = m_connection->query(sql, values, [&](sqlite3_stmt* stmt) {
            ids.push_back(sqlite3_column_int64(stmt, 0));
            keys.append(textOf(stmt));
        });
        if (read)
            ordered = std::make_shared<NameOrder::Ordered>(order.order(ids, keys));
    }
    if (!read) {
        m_failed = true;
        m_count.reset();
        return;
    }
    if (m_filter.isEmpty()) {
        m_orderCache = {m_query->text(), m_query, ordered, readAt, {}};
        m_rows = std::make_shared<RowSet>(m_connection, m_query->table(), m_columns, orderIds());
    } else {
        m_rows = std::make_shared<RowSet>(m_connection, m_query->table(), m_columns, std::move(ordered->ids));
    }
    m_count = m_rows->size();
}

// A contains-filter while the order is still true of the file: the names are at hand in order
// (another column's texts are read once, each with its row's place), so the hits are found among them
// without asking the database, and come out already ordered. The same rows as the database's
// "qav_fold(column) LIKE '%typed%'": the typed text is folded the same way and its wildcards
// ("*" and "%") split it into parts that must follow one another.
bool Recordset::filterOrderedTexts()
{
    if (m_filter.kind() != RecordFilter::Kind::Like || !orderCacheIsCurrent())
        return false;
    const NameOrder::Ordered& rows = *m_orderCache.rows;
    std::vector<std::string> parts;
    static const QRegularExpression wildcards(QStringLiteral("[*%]"));
    for (const QString& part : TextFold::fold(m_filter.value()).split(wildcards, Qt::SkipEmptyParts))
        parts.push_back(part.toUtf8().toStdString()); // whole parts, so a character of two halves stays whole

    // Whether a text, folded, holds the parts in turn.
    const FieldTexts::Match matches = [&parts](QByteArrayView bytes, std::string& folded) {
        TextFold::foldAnyUtf8(bytes.data(), int(bytes.size()), folded);
        size_t at = 0;
        for (const std::string& wanted : parts) {
            at = folded.find(wanted, at);
            if (at == std::string::npos)
                return false;
            at += wanted.size();
        }
        return true;
    };
    std::vector<qint64> ids;
    if (m_filter.column() == m_query->orderColumn()) {
        // The names are in order: so are the hits.
        for (const qsizetype index : FieldTexts::indexesWhere(rows.texts, matches))
            ids.push_back(rows.ids[size_t(index)]);
    } else {
        std::vector<qsizetype> places;
        if (!placesInColumn(m_filter.column(), matches, places) || !addMoreValuePlaces(places))
            return false;
        ids.reserve(places.size());
        for (const qsizetype place : places)
            ids.push_back(rows.ids[size_t(place)]);
    }
    const qsizetype plainHits = qsizetype(ids.size());
    if (m_sound == Sound::AlsoFind)
        addSoundHits(ids);
    m_rows = std::make_shared<RowSet>(m_connection, m_query->table(), m_columns, std::move(ids));
    if (m_sound == Sound::AlsoFind)
        m_rows->setSoundHitsFrom(plainHits);
    m_count = m_rows->size();
    return true;
}

// Another column's texts for the rows of the known order, read once and kept while the file is
// unchanged or changed by this program alone: the first search in a field costs one pass over it,
// the next ones none. A column too large to hold (long notes in a large directory) is read again,
// matched as it comes, at each search.
bool Recordset::placesInColumn(const QString& column, const FieldTexts::Match& matches, std::vector<qsizetype>& places)
{
    const ChangeStamp stamp = m_connection->changeStamp();
    if (m_columnCache.column == column && m_columnCache.source == m_orderCache.source && m_columnCache.stamp == stamp) {
        places = m_columnCache.texts.placesWhere(matches);
        return true;
    }
    m_columnCache = {};
    OrderedColumnRead::Found found;
    if (!OrderedColumnRead::read(*m_connection, *m_query, column, m_orderCache.rows->ids, stamp, matches,
                                 kKeptFieldBytes, found)) {
        // Not the rows the order knows: the database is asked instead, far more slowly.
        PassedOver::note(DataResult{false, QStringLiteral("the rows of the order could not be read in file order")},
                         Q_FUNC_INFO);
        return false;
    }
    places = std::move(found.places);
    if (found.texts)
        m_columnCache = {column, m_orderCache.source, stamp, std::move(*found.texts)};
    return true;
}

// The places of the rows the search finds by a more value too, merged into those the field found:
// one query over the values, then one pass over the order's row ids only when it found any.
bool Recordset::addMoreValuePlaces(std::vector<qsizetype>& places)
{
    const MoreValueFilter more(*m_connection, *m_query, m_filter);
    if (!more.applies())
        return true;
    std::vector<qint64> found;
    if (DataResult read = more.rows(found); !read) {
        PassedOver::note(read, Q_FUNC_INFO);
        return false;
    }
    if (found.empty())
        return true;
    const std::unordered_set<qint64> wanted(found.begin(), found.end());
    const std::vector<qint64>& ids = m_orderCache.rows->ids;
    std::vector<qsizetype> extra;
    for (size_t place = 0; place < ids.size(); ++place)
        if (wanted.count(ids[place]) != 0)
            extra.push_back(qsizetype(place));
    std::vector<qsizetype> both;
    both.reserve(places.size() + extra.size());
    std::set_union(places.begin(), places.end(), extra.begin(), extra.end(), std::back_inserter(both));
    places = std::move(both);
    return true;
}

// The rows whose text sounds like the typed one and that the typed text itself did not find,
// in order after the others.
void Recordset::addSoundHits(std::vector<qint64>& ids)
{
    const QByteArray wanted = SoundKey::of(m_filter.value());
    if (SoundKey::consonants(wanted) == 0)
        return;
    const NameOrder::Ordered& rows = *m_orderCache.rows;
    TextColumn& sounds = m_orderCache.sounds;
    if (sounds.size() != rows.texts.size()) {
        // Made in two halves at once, as the names are sorted.
        rows.texts.layOut();
        TextColumn halves[2];
        TwoHalves::run(rows.texts.size(), [&](qsizetype from, qsizetype to, int half) {
            halves[half].reserve(to - from, (to - from) * 12);
            for (qsizetype i = from; i < to; ++i)
                halves[half].append(SoundKey::of(rows.texts.text(i)));
        });
        sounds = std::move(halves[0]);
        sounds.reserve(rows.texts.size(), sounds.byteSize() + halves[1].byteSize());
        for (qsizetype i = 0; i < halves[1].size(); ++i)
            sounds.append(halves[1].utf8(i));
    }
    std::vector<qint64> plain = ids;
    std::sort(plain.begin(), plain.end());
    for (size_t i = 0; i < rows.ids.size(); ++i) {
        if (SoundKey::matches(wanted, sounds.utf8(qsizetype(i))) &&
            !std::binary_search(plain.begin(), plain.end(), rows.ids[i]))
            ids.push_back(rows.ids[i]);
    }
}

// The order the last session left in the book, when the file is still as it left it.
void Recordset::adoptStoredOrder()
{
    StoredOrder::Loaded stored = StoredOrder::load(*m_connection, m_query->text());
    // Changed since: most rows are still where they were, so the old order is a head start
    // (a hint's stamp is never current: the rows are read again and only the changed ones placed anew).
    if (!stored.rows)
        stored = StoredOrder::loadHint(*m_connection, m_query->text());
    if (stored.rows)
        m_orderCache = {m_query->text(), m_query, std::move(stored.rows), stored.stamp, {}};
}

bool Recordset::adoptKeptOrder(const QList<RecordQuery>& candidates)
{
    for (const RecordQuery& query : candidates) {
        StoredOrder::Loaded stored = StoredOrder::load(*m_connection, query.text());
        if (stored.rows) {
            m_orderCache = {query.text(), query, std::move(stored.rows), stored.stamp, {}};
            return true;
        }
    }
    return false;
}

bool Recordset::keepOrder()
{
    return orderIsCurrent() &&
           StoredOrder::save(*m_connection, m_orderCache.source, *m_orderCache.rows, m_orderCache.stamp);
}

// Lists are given the order's own ids, not a copy: opening the directory again or refreshing it
// after a save copies nothing.
RowSet::RowIds Recordset::orderIds() const
{
    return RowSet::RowIds(m_orderCache.rows, &m_orderCache.rows->ids);
}

bool Recordset::knowsOrderOfQuery() const
{
    return m_query && m_orderCache.rows && m_orderCache.source == m_query->text();
}

bool Recordset::orderCacheIsCurrent()
{
    return knowsOrderOfQuery() && orderIsCurrent();
}

// The order is true of the file as it stands: nothing changed since, or only this program's own
// writes, which are taken in now.
bool Recordset::orderIsCurrent()
{
    if (!m_orderCache.rows || !m_orderCache.query)
        return false;
    return m_orderCache.stamp == m_connection->changeStamp() || takeInOwnChanges();
}

// The rows this program wrote since the order was true, as the connection's change log tells
// them: each is read again and put at its place; the other rows keep theirs. False, the order
// left as it was, when the log cannot tell (another program wrote, too many rows changed): the
// rows are then read again whole and the order mended as they come (see materialize()).
bool Recordset::takeInOwnChanges()
{
    const RecordQuery& query = *m_orderCache.query;
    const NameOrder::Ordered& known = *m_orderCache.rows;
    // Past an eighth of the rows a fresh sort is cheaper than placing them one by one.
    const size_t most = known.ids.size() / 8 + 16;
    const ChangedRows changed = m_connection->changesSince(m_orderCache.stamp, query.table(), most);
    if (!changed.known)
        return false;
    // The texts of the field searched last follow the rows too, so the next search in it reads
    // nothing again.
    const bool columnKept = !m_columnCache.column.isEmpty() && m_columnCache.source == m_orderCache.source &&
                            m_columnCache.stamp == m_orderCache.stamp &&
                            m_columnCache.texts.size() == known.texts.size();
    if (!columnKept)
        m_columnCache = {};
    std::vector<WrittenRow> belonging;
    std::vector<qint64> ids = changed.added;
    ids.insert(ids.end(), changed.changed.begin(), changed.changed.end());
    const QString where = query.whereColumn().isEmpty() ? QStringLiteral("''") : query.whereColumn();
    const QString column = columnKept ? m_columnCache.column : QStringLiteral("''");
    // Read in chunks: a statement takes a limited number of values.
    constexpr size_t kChunk = 500;
    for (size_t from = 0; from < ids.size(); from += kChunk) {
        const size_t to = std::min(ids.size(), from + kChunk);
        QStringList marks;
        QStringList values;
        for (size_t i = from; i < to; ++i) {
            marks << QStringLiteral("?");
            values << QString::number(ids[i]);
        }
        const DataResult read = m_connection->query(
            QStringLiteral("SELECT rowid, %1, %2, %3 FROM %4 WHERE rowid IN (%5)")
                .arg(where, query.orderColumn(), column, query.table(), marks.join(QLatin1Char(','))),
            values, [&](sqlite3_stmt* stmt) {
                if (query.whereColumn().isEmpty() || DataConnection::columnText(stmt, 1) == query.whereValue())
                    belonging.push_back({sqlite3_column_int64(stmt, 0), DataConnection::columnText(stmt, 2),
                                         DataConnection::columnText(stmt, 3).toUtf8()});
            });
        if (!read)
            return false;
    }
    // Where the changed rows stood: an added row stood nowhere, so it is not looked for.
    std::vector<qsizetype> gone;
    if (changed.changed.size() <= kPlacedOneByOne) {
        for (const qint64 id : changed.changed)
            if (const auto at = std::find(known.ids.begin(), known.ids.end(), id); at != known.ids.end())
                gone.push_back(at - known.ids.begin());
        std::sort(gone.begin(), gone.end());
    } else {
        for (size_t i = 0; i < known.ids.size(); ++i)
            if (std::binary_search(changed.changed.begin(), changed.changed.end(), known.ids[i]))
                gone.push_back(qsizetype(i));
    }
    if (gone.size() + belonging.size() <= kPlacedOneByOne) {
        placeOneByOne(gone, belonging, columnKept);
    } else {
        mergeInto(gone, belonging);
        m_columnCache = {};
    }
    m_orderCache.stamp = m_connection->changeStamp();
    if (!m_columnCache.column.isEmpty())
        m_columnCache.stamp = m_orderCache.stamp;
    return true;
}

// A few rows, in place: each taken out of the order, then put back where it now belongs. A list
// that still shows the order holds it for its ids, which stay as they were: the order moves on
// with ids of its own (and its texts, which no list reads).
void Recordset::placeOneByOne(const std::vector<qsizetype>& gone, const std::vector<WrittenRow>& belonging,
                              bool columnKept)
{
    if (m_orderCache.rows.use_count() > 1) {
        auto own = std::make_shared<NameOrder::Ordered>();
        own->ids = m_orderCache.rows->ids;
        own->texts = std::move(m_orderCache.rows->texts);
        m_orderCache.rows = std::move(own);
    }
    NameOrder::Ordered& rows = *m_orderCache.rows;
    TextColumn& sounds = m_orderCache.sounds;
    const bool soundsKept = sounds.size() == rows.texts.size();
    for (size_t i = gone.size(); i-- > 0;) { // the last first: the places before it stay
        const qsizetype at = gone[i];
        rows.texts.erase(at);
        if (soundsKept)
            sounds.erase(at);
        if (columnKept)
            m_columnCache.texts.erasePlace(at);
        rows.ids.erase(rows.ids.begin() + at);
    }
    static const NameOrder order;
    for (const WrittenRow& row : belonging) {
        const qsizetype low = order.placeOf(row.text, rows.texts);
        rows.ids.insert(rows.ids.begin() + low, row.id);
        rows.texts.insert(low, row.text.toUtf8());
        if (soundsKept)
            sounds.insert(low, SoundKey::of(row.text));
        if (columnKept)
            m_columnCache.texts.insertPlace(low, row.columnText);
    }
}

// Many rows: the order is made anew from the rows that stay, in their order, and the written
// ones placed among them, in one pass.
void Recordset::mergeInto(const std::vector<qsizetype>& gone, std::vector<WrittenRow>& belonging)
{
    static const NameOrder order;
    std::sort(belonging.begin(), belonging.end(),
              [](const WrittenRow& a, const WrittenRow& b) { return order.lessThan(a.text, b.text); });
    const NameOrder::Ordered& known = *m_orderCache.rows;
    NameOrder::Ordered kept;
    kept.ids.reserve(known.ids.size());
    kept.texts.reserve(qsizetype(known.ids.size()), known.texts.byteSize());
    size_t nextGone = 0;
    for (size_t i = 0; i < known.ids.size(); ++i) {
        if (nextGone < gone.size() && gone[nextGone] == qsizetype(i)) {
            ++nextGone;
            continue;
        }
        kept.ids.push_back(known.ids[i]);
        kept.texts.append(known.texts.utf8(qsizetype(i)));
    }
    std::vector<qsizetype> places;
    places.reserve(belonging.size());
    qsizetype from = 0;
    for (const WrittenRow& row : belonging)
        places.push_back(from = order.placeOf(row.text, kept.texts, from));
    auto mended = std::make_shared<NameOrder::Ordered>();
    const size_t total = kept.ids.size() + belonging.size();
    mended->ids.reserve(size_t(TextColumn::withRoomToGrow(qsizetype(total))));
    mended->texts.reserve(qsizetype(total), kept.texts.byteSize() + qsizetype(belonging.size()) * 16);
    size_t next = 0;
    for (qsizetype i = 0; i <= qsizetype(kept.ids.size()); ++i) {
        for (; next < belonging.size() && places[next] == i; ++next) {
            mended->ids.push_back(belonging[next].id);
            mended->texts.append(belonging[next].text.toUtf8());
        }
        if (i < qsizetype(kept.ids.size())) {
            mended->ids.push_back(kept.ids[size_t(i)]);
            mended->texts.append(kept.texts.utf8(i));
        }
    }
    m_orderCache.rows = std::move(mended);
    m_orderCache.sounds = TextColumn();
}

qsizetype Recordset::recordCount()
{
    if (!m_query || m_failed || !m_count)
        return -1;
    return *m_count;
}

bool Recordset::eof()
{
    const qsizetype count = recordCount();
    return count < 0 || m_position >= count;
}

void Recordset::moveNext()
{
    if (!eof())
        ++m_position;
}

QString Recordset::field(int column)
{
    if (eof())
        return QString();
    materialize();
    return m_rows ? m_rows->value(m_position, column) : QString();
}

QString Recordset::field(const QString& name)
{
    return field(int(m_columns.indexOf(name.toLower())));
}

DataResult Recordset::addRecord(const QStringList& columns, const QStringList& values)
{
    if (!m_query)
        return DataResult{false, QStringLiteral("recordset is closed")};
    QStringList marks;
    for (const QString& column : columns) {
        if (!m_columns.contains(column.toLower()))
            return DataResult{false, QStringLiteral("no column %1").arg(column)};
        marks << QStringLiteral("?");
    }
    DataResult added =
        m_connection->execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(m_query->table(), columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                              values);
    if (!added)
        return added;
    return rebuild();
}

std::shared_ptr<const RowSet> Recordset::snapshot()
{
    materialize();
    return m_rows;
}
