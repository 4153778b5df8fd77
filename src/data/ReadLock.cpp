#include "ReadLock.h"

#include "PassedOver.h"

ReadLock::ReadLock(DataConnection& connection) : m_connection(connection)
{
    if (!connection.handle()) {
        m_taken = {false, QStringLiteral("database is not open")};
        return;
    }
    if (!connection.inTransaction()) {
        m_taken = connection.execute(QStringLiteral("BEGIN"));
        m_own = m_open = m_taken.ok;
    }
    // BEGIN takes no lock: the first read does.
    if (m_taken && !connection.takeReadLock())
        m_taken = {false, QStringLiteral("no read lock")};
}

ReadLock::~ReadLock()
{
    release();
}

void ReadLock::release()
{
    if (!m_open)
        return;
    m_open = false;
    // Nothing was written: the end of a reading transaction fails only when the connection is gone.
    PassedOver::note(m_connection.execute(QStringLiteral("COMMIT")), Q_FUNC_INFO);
}
