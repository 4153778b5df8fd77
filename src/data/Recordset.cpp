#include "Recordset.h"

#include "FailureText.h"
#include "NameOrder.h"
#include "OrderSearch.h"
#include "RecordStatement.h"

#include <sqlite3.h>

Recordset::Recordset(DataConnection* connection) : m_connection(connection) {}

DataResult Recordset::open(const RecordQuery& query)
{
    close();
    if (!m_connection || !m_connection->isOpen())
        return DataResult{false, FailureText::bookNotOpen()};

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
    if (bySound && !orderOfQueryIsCurrent()) {
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

DataResult Recordset::rebuild()
{
    m_rows.reset();
    m_count.reset();
    m_position = 0;
    m_failed = false;
    m_builtAt = m_connection->changeStamp();
    if (!knowsOrderOfQuery())
        adoptKeptOrder();
    // The whole set in an order still true of the file: no need to count or read anything.
    if (m_filter.isEmpty() && orderOfQueryIsCurrent()) {
        m_rows = std::make_shared<RowSet>(m_connection, m_query->table(), m_columns, m_order->ids());
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
    const QString sql = RecordStatement(*m_connection, *m_query, m_filter).count(values);
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
    if (m_filter.isEmpty()) {
        // Only whole (unfiltered) sets are kept: they are the large ones. An order of this set at
        // hand, but another writer changed the file: it is mended as the rows are read.
        bool read = false;
        if (knowsOrderOfQuery()) {
            read = m_order->mend(*m_connection);
        } else if (std::optional<QueryOrder> fresh = QueryOrder::read(*m_connection, *m_query, m_count.value_or(0))) {
            m_order = std::move(fresh);
            read = true;
        }
        if (!read) {
            m_failed = true;
            m_count.reset();
            return;
        }
        m_rows = std::make_shared<RowSet>(m_connection, m_query->table(), m_columns, m_order->ids());
        m_count = m_rows->size();
        return;
    }
    QStringList values;
    const QString sql = RecordStatement(*m_connection, *m_query, m_filter).rows(values);
    std::vector<qint64> ids;
    TextColumn keys;
    // Room for them all at once, as counted (growing step by step would hold them twice for a moment).
    if (m_count) {
        ids.reserve(size_t(*m_count));
        keys.reserve(*m_count, 0);
    }
    const DataResult read = m_connection->query(sql, values, [&](sqlite3_stmt* stmt) {
        ids.push_back(sqlite3_column_int64(stmt, 0));
        keys.append(
            QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)), sqlite3_column_bytes(stmt, 1)));
    });
    if (!read) {
        m_failed = true;
        m_count.reset();
        return;
    }
    static const NameOrder order;
    m_rows = std::make_shared<RowSet>(m_connection, m_query->table(), m_columns, std::move(order.order(ids, keys).ids));
    m_count = m_rows->size();
}

// A contains-filter while the order is still true of the file: answered among its rows (see
// OrderSearch), already in order.
bool Recordset::filterOrderedTexts()
{
    if (m_filter.kind() != RecordFilter::Kind::Like || !orderOfQueryIsCurrent())
        return false;
    std::optional<OrderSearch::Found> found =
        OrderSearch(*m_connection, *m_order, m_filter).run(m_sound == Sound::AlsoFind);
    if (!found)
        return false;
    m_rows = std::make_shared<RowSet>(m_connection, m_query->table(), m_columns, std::move(found->ids));
    if (m_sound == Sound::AlsoFind)
        m_rows->setSoundHitsFrom(found->plainHits);
    m_count = m_rows->size();
    return true;
}

// The order the last session left in the book, when the file is still as it left it, or else as
// a head start.
void Recordset::adoptKeptOrder()
{
    if (std::optional<QueryOrder> kept =
            QueryOrder::keptInBook(*m_connection, *m_query, QueryOrder::Kept::OrAsHeadStart))
        m_order = std::move(kept);
}

bool Recordset::adoptKeptOrder(const QList<RecordQuery>& candidates)
{
    for (const RecordQuery& query : candidates) {
        if (std::optional<QueryOrder> kept = QueryOrder::keptInBook(*m_connection, query, QueryOrder::Kept::Believed)) {
            m_order = std::move(kept);
            return true;
        }
    }
    return false;
}

bool Recordset::keepOrder()
{
    return orderIsCurrent() && m_order->keep(*m_connection);
}

bool Recordset::knowsOrderOfQuery() const
{
    return m_query && m_order && m_order->source() == m_query->text();
}

bool Recordset::orderOfQueryIsCurrent()
{
    return knowsOrderOfQuery() && orderIsCurrent();
}

// The order is true of the file as it stands: nothing changed since, or only this program's own
// writes, which are taken in now. False after another program's write, or more changes than
// placing them is worth: the rows are then read again and the order mended (see materialize()).
bool Recordset::orderIsCurrent()
{
    return m_order && m_order->isCurrent(*m_connection);
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
