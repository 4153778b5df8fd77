#include "Transaction.h"

#include "PassedOver.h"

Transaction::Transaction(DataConnection& connection, Kind kind) : m_connection(connection)
{
    m_begun =
        m_connection.execute(kind == Kind::Immediate ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
    m_open = m_begun.ok;
}

Transaction::~Transaction()
{
    rollback();
}

DataResult Transaction::commit()
{
    if (!m_open)
        return m_begun.ok ? DataResult{false, QStringLiteral("the transaction has ended")} : m_begun;
    DataResult committed = m_connection.execute(QStringLiteral("COMMIT"));
    // A failed COMMIT leaves the transaction open (a busy lock): it is rolled back, never left hanging.
    if (committed)
        m_open = false;
    else
        rollback();
    return committed;
}

void Transaction::rollback()
{
    if (!m_open)
        return;
    m_open = false;
    // After an I/O error SQLite may have rolled back already; the ROLLBACK then fails harmlessly.
    PassedOver::note(m_connection.execute(QStringLiteral("ROLLBACK")), Q_FUNC_INFO);
}
