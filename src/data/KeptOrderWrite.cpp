#include "KeptOrderWrite.h"

#include "DirectoryStore.h"

KeptOrderWrite::KeptOrderWrite(Recordset& contacts) : m_contacts(contacts)
{
    DataConnection* connection = contacts.connection();
    if (!connection)
        return;
    if (!contacts.knowsAnOrder()) {
        QList<Directory> directories;
        QList<RecordQuery> candidates{RecordQuery::allContacts()};
        if (DirectoryStore(*connection).all(directories))
            for (const Directory& directory : std::as_const(directories))
                candidates << RecordQuery::contactsOf(directory.code);
        contacts.adoptKeptOrder(candidates);
    }
    m_before = connection->changeStamp();
}

void KeptOrderWrite::done(const std::vector<qint64>& writtenRows, bool keepInBook)
{
    if (m_contacts.takeInWrittenRows(writtenRows, m_before) && keepInBook)
        m_contacts.keepOrder();
}
