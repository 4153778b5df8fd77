#include "ChangeLog.h"

#include <algorithm>
#include <cstring>

quint32 ChangeLog::tableIndex(const char* table)
{
    for (size_t i = 0; i < m_tables.size(); ++i)
        if (std::strcmp(m_tables[i].c_str(), table) == 0)
            return quint32(i);
    m_tables.emplace_back(table);
    return quint32(m_tables.size() - 1);
}

void ChangeLog::rowChanged(const char* table, qint64 rowid, bool inserted)
{
    if (!m_inTransaction) {
        m_inTransaction = true;
        m_open = Transaction{m_point, 0, false, {}};
    }
    ++m_point;
    if (m_open.untold)
        return;
    // A transaction this large is read again whole: its rows are not held.
    if (m_open.rows.size() >= kMostRows) {
        m_open.untold = true;
        std::vector<Row>().swap(m_open.rows);
        return;
    }
    m_open.rows.push_back({rowid, tableIndex(table), inserted});
}

void ChangeLog::committed()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    m_open.to = m_point;
    m_keptRows += m_open.rows.size();
    m_kept.push_back(std::move(m_open));
    m_open = Transaction{};
    forgetOldest();
}

void ChangeLog::rolledBack()
{
    if (!m_inTransaction)
        return;
    // The file is as before the transaction: no row changed since a point before it, but whatever
    // was built while it was half done is stale.
    m_inTransaction = false;
    m_kept.push_back(Transaction{m_open.from, ++m_point, false, {}});
    m_open = Transaction{};
    forgetOldest();
}

void ChangeLog::lostTrack()
{
    if (m_inTransaction) {
        m_open.untold = true;
        std::vector<Row>().swap(m_open.rows);
        return;
    }
    const quint64 from = m_point;
    m_kept.push_back(Transaction{from, ++m_point, true, {}});
    forgetOldest();
}

void ChangeLog::restart()
{
    m_kept.clear();
    m_open = Transaction{};
    m_inTransaction = false;
    m_keptRows = 0;
    m_knownFrom = ++m_point;
}

void ChangeLog::forgetOldest()
{
    while (!m_kept.empty() && (m_keptRows > kMostRows || m_kept.size() > kMostTransactions)) {
        m_keptRows -= m_kept.front().rows.size();
        m_knownFrom = m_kept.front().to;
        m_kept.pop_front();
    }
}

ChangedRows ChangeLog::since(quint64 point, const QString& table, size_t most) const
{
    ChangedRows answer;
    if (point > m_point || point < m_knownFrom)
        return answer;
    const std::string name = table.toStdString();
    const auto found = std::find(m_tables.begin(), m_tables.end(), name);
    const quint32 index = quint32(found - m_tables.begin()); // past the end: no row of it was changed
    // Each row once, as its first change since the point left it: an insert then an update is an
    // added row, a delete then an insert of the same row id a changed one.
    struct Seen {
        qint64 rowid;
        size_t order;
        bool inserted;
    };
    std::vector<Seen> seen;
    const size_t mostSeen = most * 4 + 1024; // a row changed again and again counts each time
    const auto take = [&](const Transaction& transaction) {
        if (point > transaction.from || transaction.untold)
            return false; // the point lies inside it, or its rows are not known
        for (const Row& row : transaction.rows) {
            if (row.table != index)
                continue;
            if (seen.size() >= mostSeen)
                return false;
            seen.push_back({row.rowid, seen.size(), row.inserted});
        }
        return true;
    };
    // The transactions after the point, oldest first.
    auto first = std::partition_point(m_kept.begin(), m_kept.end(),
                                      [point](const Transaction& transaction) { return transaction.to <= point; });
    for (auto it = first; it != m_kept.end(); ++it)
        if (!take(*it))
            return answer;
    // Rows written by a transaction still open are what this connection reads now.
    if (m_inTransaction && m_point > point && !take(m_open))
        return answer;
    std::sort(seen.begin(), seen.end(),
              [](const Seen& a, const Seen& b) { return a.rowid != b.rowid ? a.rowid < b.rowid : a.order < b.order; });
    for (size_t i = 0; i < seen.size(); ++i) {
        if (i > 0 && seen[i].rowid == seen[i - 1].rowid)
            continue;
        (seen[i].inserted ? answer.added : answer.changed).push_back(seen[i].rowid);
        if (answer.size() > most)
            return ChangedRows{};
    }
    answer.known = true;
    return answer;
}
