#include "ContactExporter.h"

#include "ContactValueStore.h"
#include "CsvMapping.h"
#include "CsvTable.h"
#include "PassedOver.h"
#include "PersonName.h"
#include "Recordset.h"
#include "VCardWriter.h"

std::vector<ContactFields> ContactExporter::directoryContacts(DataConnection& connection, const QString& dir,
                                                              std::vector<MoreValues>* more)
{
    std::vector<ContactFields> contacts;
    Recordset rows(&connection);
    if (!rows.openContacts(dir))
        return contacts;
    const auto snapshot = rows.snapshot();
    if (!snapshot)
        return contacts;
    for (qsizetype i = 0; i < snapshot->size(); ++i)
        contacts.push_back(ContactFields::fromRow(snapshot->record(i)));
    if (more) {
        // Read for the whole directory at once, only when an export asks for them.
        QHash<QString, MoreValues> byName;
        PassedOver::note(ContactValueStore(connection).readDirectory(dir, byName), Q_FUNC_INFO);
        more->clear();
        for (const ContactFields& c : contacts)
            more->push_back(byName.value(c.name));
    }
    return contacts;
}

QByteArray ContactExporter::encode(const std::vector<ContactFields>& contacts, Format format,
                                   const std::vector<MoreValues>& more)
{
    if (format == Format::Csv) {
        QList<QStringList> rows{CsvMapping::ownHeaders()};
        for (const ContactFields& c : contacts)
            rows << QStringList{c.name, c.hometel, c.jobtel, c.mobil, c.fax, c.address, c.email, c.org, c.moreinfo};
        return CsvTable::write(rows);
    }
    if (format == Format::GoogleCsv) {
        QList<QStringList> rows{
            {QStringLiteral("First Name"), QStringLiteral("Middle Name"), QStringLiteral("Last Name"),
             QStringLiteral("Organization Name"), QStringLiteral("E-mail 1 - Label"),
             QStringLiteral("E-mail 1 - Value"), QStringLiteral("Phone 1 - Label"), QStringLiteral("Phone 1 - Value"),
             QStringLiteral("Phone 2 - Label"), QStringLiteral("Phone 2 - Value"), QStringLiteral("Phone 3 - Label"),
             QStringLiteral("Phone 3 - Value"), QStringLiteral("Phone 4 - Label"), QStringLiteral("Phone 4 - Value"),
             QStringLiteral("Address 1 - Label"), QStringLiteral("Address 1 - Formatted"), QStringLiteral("Notes")}};
        auto labelled = [](const QString& label, const QString& value) { return value.isEmpty() ? QString() : label; };
        for (const ContactFields& c : contacts) {
            const PersonName name = PersonName::split(c.name);
            rows << QStringList{name.given,
                                name.middle,
                                name.family,
                                c.org,
                                labelled(QStringLiteral("* Home"), c.email),
                                c.email,
                                labelled(QStringLiteral("Home"), c.hometel),
                                c.hometel,
                                labelled(QStringLiteral("Work"), c.jobtel),
                                c.jobtel,
                                labelled(QStringLiteral("Mobile"), c.mobil),
                                c.mobil,
                                labelled(QStringLiteral("Work Fax"), c.fax),
                                c.fax,
                                labelled(QStringLiteral("Home"), c.address),
                                c.address,
                                c.moreinfo};
        }
        return CsvTable::write(rows);
    }
    if (format == Format::OutlookCsv) {
        QList<QStringList> rows{{QStringLiteral("First Name"), QStringLiteral("Middle Name"),
                                 QStringLiteral("Last Name"), QStringLiteral("Company"), QStringLiteral("Home Street"),
                                 QStringLiteral("Home Phone"), QStringLiteral("Business Phone"),
                                 QStringLiteral("Mobile Phone"), QStringLiteral("Business Fax"),
                                 QStringLiteral("E-mail Address"), QStringLiteral("Notes")}};
        for (const ContactFields& c : contacts) {
            const PersonName name = PersonName::split(c.name);
            rows << QStringList{name.given, name.middle, name.family, c.org,   c.address, c.hometel,
                                c.jobtel,   c.mobil,     c.fax,       c.email, c.moreinfo};
        }
        return CsvTable::write(rows);
    }
    const VCardWriter writer(format == Format::VCard3 ? 3 : 4);
    QByteArray out;
    for (size_t i = 0; i < contacts.size(); ++i)
        out += writer.card(contacts[i], i < more.size() ? more[i] : MoreValues());
    return out;
}
