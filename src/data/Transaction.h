#pragma once

#include "DataConnection.h"

// One transaction on a connection, rolled back when it goes out of scope uncommitted: a write
// that fails half-way, or returns early, leaves the book as it was.
class Transaction
{
public:
    // Immediate takes the write lock at once, so no other writer can slip in between the reads
    // and the writes; Deferred only reads until the first write (a backup's copy).
    enum class Kind { Immediate, Deferred };
    explicit Transaction(DataConnection& connection, Kind kind = Kind::Immediate);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Whether it began; a transaction that did not begin commits nothing and rolls nothing back.
    const DataResult& begun() const { return m_begun; }
    DataResult commit();
    void rollback();

private:
    DataConnection& m_connection;
    DataResult m_begun;
    bool m_open = false;
};
