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

DataResult ContactMerge::apply(DataConnection& connection, const ContactFields& keptAsRead, const ContactFields& merged,
                               const std::vector<ContactFields>& othersAsRead)
{
    Transaction transaction(connection);
    if (!transaction.begun())
        return transaction.begun();
    ContactStore contacts(connection);
    auto unchanged = [&contacts](const ContactFields& asRead, QString& dir) {
        ContactFields now;
        bool found = false;
        const DataResult read = contacts.readByName(asRead.name, now, dir, found);
        if (!read)
            return read;
        if (!found || now != asRead)
            return DataResult{false, QStringLiteral("%1 changed meanwhile").arg(asRead.name)};
        return DataResult{};
    };
    QString keptDir;
    if (DataResult same = unchanged(keptAsRead, keptDir); !same)
        return same;
    for (const ContactFields& other : othersAsRead) {
        QString dir;
        if (DataResult same = unchanged(other, dir); !same)
            return same;
        if (DataResult trashed = TrashStore(connection).moveInWithin(other.name); !trashed)
            return trashed;
    }
    if (DataResult written = contacts.updateByName(keptAsRead.name, merged, keptDir); !written)
        return written;
    return transaction.commit();
}
