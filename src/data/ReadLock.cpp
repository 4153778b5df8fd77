#include "ReadLock.h"

#include "FailureText.h"
#include "PassedOver.h"

ReadLock::ReadLock(DataConnection& connection) : m_connection(connection)
{
    if (!connection.handle()) {
        m_taken = {false, FailureText::bookNotOpen()};
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
    // Nothing was written, so the end hardly fails; when it does, a transaction left open would
    // keep every writer out and every later lock the caller's: it is rolled back.
    if (DataResult ended = m_connection.execute(QStringLiteral("COMMIT")); !ended) {
        PassedOver::note(ended, Q_FUNC_INFO);
        PassedOver::note(m_connection.execute(QStringLiteral("ROLLBACK")), Q_FUNC_INFO);
    }
}
