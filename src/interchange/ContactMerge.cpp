#include "ContactMerge.h"

#include "ContactSlots.h"
#include "ContactStore.h"
#include "Transaction.h"
#include "TrashStore.h"

ContactFields ContactMerge::merged(const ContactFields& kept, const std::vector<ContactFields>& others)
{
    ContactFields result = kept;
    QStringList notes = kept.moreinfo.isEmpty() ? QStringList() : QStringList{kept.moreinfo};
    for (const ContactFields& other : others) {
        if (other.name != kept.name)
            notes << QStringLiteral("اسم آخر: ") + other.name;
        if (!other.moreinfo.trimmed().isEmpty() && !notes.join(QLatin1Char('\n')).contains(other.moreinfo.trimmed()))
            notes << other.moreinfo.trimmed();
    }
    result.moreinfo = notes.join(QLatin1Char('\n'));
    ContactSlots placed(result);
    for (const ContactFields& other : others) {
        placed.addPhone(other.hometel, ContactSlots::PhoneKind::Home);
        placed.addPhone(other.jobtel, ContactSlots::PhoneKind::Work);
        placed.addPhone(other.mobil, ContactSlots::PhoneKind::Mobile);
        placed.addPhone(other.fax, ContactSlots::PhoneKind::Fax);
        placed.addEmail(other.email);
        placed.addAddress(other.address);
        placed.addOrganisation(other.org);
    }
    placed.finish();
    return result;
}

namespace
{

// Fails when another writer changed or removed the contact since it was read.
DataResult unchanged(ContactStore& contacts, const ContactFields& asRead, QString& dir)
{
    bool same = false;
    DataResult read = contacts.isAsRead(asRead, same, dir);
    if (read && !same)
        return DataResult{false, QStringLiteral("%1 changed meanwhile").arg(asRead.name)};
    return read;
}

} // namespace

DataResult ContactMerge::apply(DataConnection& connection, const ContactFields& keptAsRead, const ContactFields& merged,
                               const std::vector<ContactFields>& othersAsRead, std::vector<qint64>* trashIds)
{
    Transaction transaction(connection);
    if (!transaction.begun())
        return transaction.begun();
    ContactStore contacts(connection);
    QString keptDir;
    if (DataResult same = unchanged(contacts, keptAsRead, keptDir); !same)
        return same;
    for (const ContactFields& other : othersAsRead) {
        QString dir;
        if (DataResult same = unchanged(contacts, other, dir); !same)
            return same;
        qint64 id = 0;
        if (DataResult trashed = TrashStore(connection).moveInWithin(other.name, &id); !trashed)
            return trashed;
        if (trashIds)
            trashIds->push_back(id);
    }
    if (DataResult written = contacts.updateByName(keptAsRead.name, merged, keptDir); !written)
        return written;
    return transaction.commit();
}

DataResult ContactMerge::undo(DataConnection& connection, const ContactFields& keptBefore, const ContactFields& merged,
                              const std::vector<qint64>& trashIds)
{
    Transaction transaction(connection);
    if (!transaction.begun())
        return transaction.begun();
    ContactStore contacts(connection);
    QString dir;
    if (DataResult same = unchanged(contacts, merged, dir); !same)
        return same;
    if (DataResult written = contacts.updateByName(merged.name, keptBefore, dir); !written)
        return written;
    for (const qint64 id : trashIds)
        if (DataResult restored = TrashStore(connection).restoreWithin(id, QString()); !restored)
            return restored;
    return transaction.commit();
}
