#pragma once

#include "DataConnection.h"

// A read lock held over several statements, so that all of them read one state of the file: no
// writer commits until it is let go. Inside a transaction of the caller's, that transaction
// already keeps the state and stays the caller's to end.
class ReadLock
{
public:
    explicit ReadLock(DataConnection& connection);
    ~ReadLock();
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;

    // Whether the lock is held, and why not.
    const DataResult& taken() const { return m_taken; }
    // Whether the lock began a transaction of its own. Only then may a second connection read
    // beside: the caller's transaction may hold writes no other connection sees.
    bool own() const { return m_own; }
    // Lets writers in before the end of the scope.
    void release();

private:
    DataConnection& m_connection;
    DataResult m_taken;
    bool m_own = false;
    bool m_open = false;
};
