#include "NotDuplicateStore.h"

#include "StoredRow.h"
#include "Transaction.h"

#include <sqlite3.h>

DataResult NotDuplicateStore::createTable()
{
    return m_connection.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS qav_not_duplicate (\n"
                                               "  first TEXT NOT NULL, second TEXT NOT NULL,\n"
                                               "  PRIMARY KEY (first, second)\n"
                                               ")"));
}

DataResult NotDuplicateStore::remember(const QList<QPair<QString, QString>>& pairs)
{
    Transaction transaction(m_connection);
    if (!transaction.begun())
        return transaction.begun();
    if (DataResult made = createTable(); !made)
        return made;
    for (const auto& [a, b] : pairs) {
        // Each pair once, in one order, whichever way it was given.
        const bool inOrder = a < b;
        if (DataResult kept =
                m_connection.execute(QStringLiteral("INSERT OR IGNORE INTO qav_not_duplicate VALUES (?, ?)"),
                                     {inOrder ? a : b, inOrder ? b : a});
            !kept)
            return kept;
    }
    return transaction.commit();
}

DataResult NotDuplicateStore::list(QList<QPair<QString, QString>>& out)
{
    out.clear();
    bool exists = false;
    if (DataResult looked = m_connection.query(
            QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'qav_not_duplicate'"), {},
            [&exists](sqlite3_stmt*) { exists = true; });
        !looked)
        return looked;
    if (!exists) // reading never writes: a book never searched keeps its tables as they are
        return {};
    return m_connection.query(
        QStringLiteral("SELECT first, second FROM qav_not_duplicate"), {}, [&out](sqlite3_stmt* statement) {
            if (StoredRow::fits(statement, 0, 2))
                out.append({DataConnection::columnText(statement, 0), DataConnection::columnText(statement, 1)});
        });
}
