#pragma once

#include <QString>

#include <deque>
#include <string>
#include <vector>

// The rows of one table that changed since a point of a ChangeLog. added: rows that did not
// exist at that point (their first change since was an insert); changed: rows updated or
// deleted since, which may stand in whatever was built at that point. Both sorted, no row twice.
struct ChangedRows {
    bool known = false; // false: which rows changed cannot be told, read everything again
    std::vector<qint64> added;
    std::vector<qint64> changed;
    size_t size() const { return added.size() + changed.size(); }
};

// The rows one connection changed, as SQLite reports them (its update hook), transaction by
// transaction: kept when the transaction commits, left out when it rolls back. Its point moves on
// every change and on every rollback of a change, so whatever was built at an earlier point can
// ask which rows to read again instead of reading everything.
//
// The log is bounded: a transaction of very many rows, or a change SQLite did not report row by
// row, is kept as "untold", and the oldest transactions are forgotten past a number of rows;
// asking about them answers "not known".
class ChangeLog
{
public:
    quint64 point() const { return m_point; }

    void rowChanged(const char* table, qint64 rowid, bool inserted);
    void committed();
    void rolledBack();
    // A change was made whose rows were not reported (SQLite skips the update hook for some).
    void lostTrack();
    // Another file, or none: nothing before this point is known any more.
    void restart();

    // The rows of table changed since point; not known when that cannot be told or when more than
    // most rows changed (a fresh sort is then the cheaper way).
    ChangedRows since(quint64 point, const QString& table, size_t most) const;

    // Rows kept at most, over all transactions, and transactions kept at most.
    static constexpr size_t kMostRows = size_t(1) << 18;
    static constexpr size_t kMostTransactions = 4096;

private:
    struct Row {
        qint64 rowid;
        quint32 table;
        bool inserted;
    };
    struct Transaction {
        quint64 from = 0; // the point before its first change
        quint64 to = 0;   // the point after it; points in between saw it half done
        bool untold = false;
        std::vector<Row> rows;
    };
    quint32 tableIndex(const char* table);
    void forgetOldest();

    std::vector<std::string> m_tables;
    std::deque<Transaction> m_kept;
    Transaction m_open;
    bool m_inTransaction = false;
    size_t m_keptRows = 0;
    quint64 m_point = 0;
    quint64 m_knownFrom = 0;
};
