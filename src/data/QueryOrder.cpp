#include "QueryOrder.h"

#include "KeptOrder.h"
#include "OrderMend.h"
#include "RecordStatement.h"
#include "SoundKey.h"
#include "TwoHalves.h"

#include <sqlite3.h>

#include <algorithm>

namespace
{
// Up to this many rows gone or placed, each is put in place where it stands; more are merged in one pass.
constexpr size_t kPlacedOneByOne = 16;
// Past one row in this many to place, sorting them all again costs less than placing them.
constexpr size_t kSortAgainShare = 8;

const NameOrder& nameOrder()
{
    static const NameOrder order;
    return order;
}

// Appends the rows of known at places from..until that stay: gone holds the places that leave,
// ascending, and next the first of them not passed yet.
void appendStaying(const NameOrder::Ordered& known, const std::vector<qsizetype>& gone, size_t& next, qsizetype from,
                   qsizetype until, NameOrder::Ordered& out)
{
    for (qsizetype place = from; place < until; ++place) {
        if (next < gone.size() && gone[next] == place) {
            ++next;
            continue;
        }
        out.ids.push_back(known.ids[size_t(place)]);
        out.texts.append(known.texts.utf8(place));
    }
}

QByteArrayView textOf(sqlite3_stmt* stmt, int column)
{
    return QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
}

} // namespace

QueryOrder::QueryOrder(RecordQuery query, std::shared_ptr<NameOrder::Ordered> rows, ChangeStamp stamp)
    : m_query(std::move(query)), m_rows(std::move(rows)), m_stamp(stamp)
{
}

std::optional<QueryOrder> QueryOrder::keptInBook(DataConnection& connection, const RecordQuery& query, Kept kept)
{
    KeptOrder::Loaded stored = KeptOrder::load(connection, query.text());
    // Changed since: most rows are still where they were, so the old order is a head start (its
    // stamp is never current: the rows are read again and only the changed ones placed anew).
    if (!stored.rows && kept == Kept::OrAsHeadStart)
        stored = KeptOrder::loadHeadStart(connection, query.text());
    if (!stored.rows)
        return std::nullopt;
    return QueryOrder(query, std::move(stored.rows), stored.stamp);
}

std::optional<QueryOrder> QueryOrder::read(DataConnection& connection, const RecordQuery& query, qsizetype expected)
{
    QStringList values;
    const QString sql = RecordStatement(connection, query).rows(values);
    const ChangeStamp readAt = connection.changeStamp();
    std::vector<qint64> ids;
    TextColumn names;
    // Room for them all at once, as counted (growing step by step would hold them twice for a moment).
    if (expected > 0) {
        ids.reserve(size_t(expected));
        names.reserve(expected, 0);
    }
    const DataResult read = connection.query(sql, values, [&](sqlite3_stmt* stmt) {
        ids.push_back(sqlite3_column_int64(stmt, 0));
        names.append(textOf(stmt, 1));
    });
    if (!read)
        return std::nullopt;
    return QueryOrder(query, std::make_shared<NameOrder::Ordered>(nameOrder().order(ids, names)), readAt);
}

bool QueryOrder::mend(DataConnection& connection)
{
    QStringList values;
    const QString sql = RecordStatement(connection, m_query).rows(values);
    const ChangeStamp readAt = connection.changeStamp();
    OrderMend compared(*m_rows);
    const DataResult read = connection.query(
        sql, values, [&](sqlite3_stmt* stmt) { compared.take(sqlite3_column_int64(stmt, 0), textOf(stmt, 1)); });
    if (!read)
        return false;
    apply(compared.changes(), readAt);
    return true;
}

bool QueryOrder::isCurrent(DataConnection& connection)
{
    return m_stamp == connection.changeStamp() || takeInOwnChanges(connection);
}

// The rows this program wrote since the order was true, as the connection's change log tells
// them, read again (with the kept field's text) and applied. False, the order left as it was,
// when the log cannot tell (another program wrote, too many rows changed): the rows are then
// read again whole and the order mended.
bool QueryOrder::takeInOwnChanges(DataConnection& connection)
{
    const std::vector<qint64>& known = m_rows->ids;
    // Past an eighth of the rows a fresh sort is cheaper than placing them one by one.
    const size_t most = known.size() / kSortAgainShare + kPlacedOneByOne;
    const ChangedRows changed = connection.changesSince(m_stamp, m_query.table(), most);
    if (!changed.known)
        return false;
    const ChangeStamp now = connection.changeStamp();
    OrderChanges changes;
    const bool fieldKept = !m_fieldColumn.isEmpty();
    if (fieldKept)
        changes.fieldTexts.emplace();
    std::vector<qint64> ids = changed.added;
    ids.insert(ids.end(), changed.changed.begin(), changed.changed.end());
    const QString where = m_query.whereColumn().isEmpty() ? QStringLiteral("''") : m_query.whereColumn();
    const QString field = fieldKept ? m_fieldColumn : QStringLiteral("''");
    const DataResult read = connection.queryByRowIds(
        QStringLiteral("SELECT rowid, %1, %2, %3 FROM %4 WHERE rowid IN ")
            .arg(where, m_query.orderColumn(), field, m_query.table()),
        ids, [&](sqlite3_stmt* stmt) {
            if (!m_query.whereColumn().isEmpty() && DataConnection::columnText(stmt, 1) != m_query.whereValue())
                return;
            changes.ids.push_back(sqlite3_column_int64(stmt, 0));
            changes.names.append(textOf(stmt, 2));
            if (fieldKept)
                changes.fieldTexts->append(textOf(stmt, 3));
        });
    if (!read)
        return false;
    // Where the changed rows stood: an added row stood nowhere, so it is not looked for.
    if (changed.changed.size() <= kPlacedOneByOne) {
        for (const qint64 id : changed.changed)
            if (const auto at = std::find(known.begin(), known.end(), id); at != known.end())
                changes.gone.push_back(at - known.begin());
        std::sort(changes.gone.begin(), changes.gone.end());
    } else {
        for (size_t i = 0; i < known.size(); ++i)
            if (std::binary_search(changed.changed.begin(), changed.changed.end(), known[i]))
                changes.gone.push_back(qsizetype(i));
    }
    apply(std::move(changes), now);
    return true;
}

void QueryOrder::apply(OrderChanges changes, ChangeStamp stamp)
{
    std::sort(changes.gone.begin(), changes.gone.end());
    changes.gone.erase(std::unique(changes.gone.begin(), changes.gone.end()), changes.gone.end());
    if (!changes.fieldTexts || changes.fieldTexts->size() != changes.names.size())
        letGoOfField();
    const size_t total = m_rows->ids.size() - changes.gone.size() + changes.ids.size();
    if (changes.size() <= kPlacedOneByOne) {
        placeOneByOne(changes);
    } else {
        if (changes.ids.size() * kSortAgainShare > total)
            sortAgain(changes);
        else
            merge(changes);
        m_sounds = TextColumn();
        letGoOfField();
    }
    m_stamp = stamp;
}

// A few rows, in place: each taken out of the order, then put back where it now belongs. A list
// that still shows the order holds it for its ids, which stay as they were: the order moves on
// with ids of its own (and its names, which no list reads).
void QueryOrder::placeOneByOne(const OrderChanges& changes)
{
    if (changes.size() == 0)
        return;
    if (m_rows.use_count() > 1) {
        auto own = std::make_shared<NameOrder::Ordered>();
        own->ids = m_rows->ids;
        own->texts = std::move(m_rows->texts);
        m_rows = std::move(own);
    }
    NameOrder::Ordered& rows = *m_rows;
    const bool soundsKept = m_sounds.size() == rows.texts.size() && rows.texts.size() > 0;
    if (!soundsKept)
        m_sounds = TextColumn();
    const bool fieldKept = !m_fieldColumn.isEmpty();
    for (size_t i = changes.gone.size(); i-- > 0;) { // the last first: the places before it stay
        const qsizetype at = changes.gone[i];
        rows.texts.erase(at);
        if (soundsKept)
            m_sounds.erase(at);
        if (fieldKept)
            m_fieldTexts.erasePlace(at);
        rows.ids.erase(rows.ids.begin() + at);
    }
    for (qsizetype i = 0; i < changes.names.size(); ++i) {
        const QString name = changes.names.text(i);
        const qsizetype at = nameOrder().placeOf(name, rows.texts);
        rows.ids.insert(rows.ids.begin() + at, changes.ids[size_t(i)]);
        rows.texts.insert(at, changes.names.utf8(i));
        if (soundsKept)
            m_sounds.insert(at, SoundKey::of(name));
        if (fieldKept)
            m_fieldTexts.insertPlace(at, changes.fieldTexts->utf8(i));
    }
}

// More rows: those that belong are sorted among themselves, then the rows that stay and they
// are laid out in one pass. The order as it stood is sorted, so a row's place among all its rows
// is its place among those that stay.
void QueryOrder::merge(const OrderChanges& changes)
{
    const NameOrder& order = nameOrder();
    const NameOrder::Ordered placed = order.order(changes.ids, changes.names);
    const NameOrder::Ordered& known = *m_rows;
    known.texts.layOut();
    const qsizetype before = qsizetype(known.ids.size());
    const qsizetype total = before - qsizetype(changes.gone.size()) + qsizetype(placed.ids.size());
    auto merged = std::make_shared<NameOrder::Ordered>();
    merged->ids.reserve(size_t(TextColumn::withRoomToGrow(total)));
    merged->texts.reserve(total, known.texts.byteSize() + placed.texts.byteSize());
    size_t nextGone = 0;
    qsizetype from = 0;
    for (qsizetype i = 0; i < placed.texts.size(); ++i) {
        const qsizetype until = order.placeOf(placed.texts.text(i), known.texts, from);
        appendStaying(known, changes.gone, nextGone, from, until, *merged);
        from = until;
        merged->ids.push_back(placed.ids[size_t(i)]);
        merged->texts.append(placed.texts.utf8(i));
    }
    appendStaying(known, changes.gone, nextGone, from, before, *merged);
    m_rows = std::move(merged);
}

// Very many rows: the rows that stay and those that belong, sorted together.
void QueryOrder::sortAgain(const OrderChanges& changes)
{
    const NameOrder::Ordered& known = *m_rows;
    if (changes.gone.size() == known.ids.size()) { // nothing stays: no need to gather the rows first
        m_rows = std::make_shared<NameOrder::Ordered>(nameOrder().order(changes.ids, changes.names));
        return;
    }
    known.texts.layOut();
    NameOrder::Ordered all;
    const qsizetype total =
        qsizetype(known.ids.size()) - qsizetype(changes.gone.size()) + qsizetype(changes.ids.size());
    all.ids.reserve(size_t(total));
    all.texts.reserve(total, known.texts.byteSize() + changes.names.byteSize());
    size_t nextGone = 0;
    appendStaying(known, changes.gone, nextGone, 0, qsizetype(known.ids.size()), all);
    all.ids.insert(all.ids.end(), changes.ids.begin(), changes.ids.end());
    for (qsizetype i = 0; i < changes.names.size(); ++i)
        all.texts.append(changes.names.utf8(i));
    m_rows.reset(); // let go of the old names before sorting (a list may still hold the ids)
    m_rows = std::make_shared<NameOrder::Ordered>(nameOrder().order(all.ids, all.texts));
}

bool QueryOrder::keep(DataConnection& connection) const
{
    return KeptOrder::save(connection, m_query.text(), *m_rows, m_stamp);
}

const TextColumn& QueryOrder::sounds()
{
    const TextColumn& names = m_rows->texts;
    if (m_sounds.size() == names.size())
        return m_sounds;
    // Made in two halves at once, as the names are sorted.
    names.layOut();
    TextColumn halves[2];
    TwoHalves::run(names.size(), [&](qsizetype from, qsizetype to, int half) {
        halves[half].reserve(to - from, (to - from) * 12);
        for (qsizetype i = from; i < to; ++i)
            halves[half].append(SoundKey::of(names.text(i)));
    });
    m_sounds = std::move(halves[0]);
    m_sounds.reserve(names.size(), m_sounds.byteSize() + halves[1].byteSize());
    for (qsizetype i = 0; i < halves[1].size(); ++i)
        m_sounds.append(halves[1].utf8(i));
    return m_sounds;
}

const FieldTexts* QueryOrder::fieldTexts(const QString& column) const
{
    return !m_fieldColumn.isEmpty() && m_fieldColumn == column ? &m_fieldTexts : nullptr;
}

void QueryOrder::keepFieldTexts(const QString& column, FieldTexts texts)
{
    if (texts.size() != size()) {
        letGoOfField();
        return;
    }
    m_fieldColumn = column;
    m_fieldTexts = std::move(texts);
}

void QueryOrder::letGoOfField()
{
    m_fieldColumn.clear();
    m_fieldTexts = FieldTexts();
}
