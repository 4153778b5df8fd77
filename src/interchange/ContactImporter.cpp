#include "ContactImporter.h"

#include "CsvMapping.h"
#include "CsvTable.h"
#include "DataConnection.h"
#include "PassedOver.h"
#include "Recordset.h"
#include "VCardWriter.h"

#include <QSet>

ImportSummary ContactImporter::run(DataConnection& connection, const std::vector<ContactFields>& contacts,
                                   const QString& dir, const std::function<bool(int, int)>& progress)
{
    ImportSummary summary;
    if (DataResult begun = connection.execute(QStringLiteral("BEGIN IMMEDIATE")); !begun) {
        summary.error = begun.error;
        return summary;
    }
    QSet<QString> seen;
    const int total = int(contacts.size());
    for (int i = 0; i < total; ++i) {
        if (progress && i % 50 == 0 && !progress(i, total)) {
            PassedOver::note(connection.execute(QStringLiteral("ROLLBACK")), Q_FUNC_INFO);
            summary.added = 0;
            summary.cancelled = true;
            return summary;
        }
        const ContactFields& contact = contacts[size_t(i)];
        if (contact.name.trimmed().isEmpty()) {
            summary.skipped << qMakePair(QString(), QStringLiteral("بدون اسم"));
            continue;
        }
        QString exists;
        PassedOver::note(
            connection.scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = ?"), {contact.name}, exists),
            Q_FUNC_INFO);
        if (seen.contains(contact.name) || exists.toInt() > 0) {
            summary.skipped << qMakePair(contact.name, QStringLiteral("الاسم موجود بالفعل"));
            continue;
        }
        const DataResult added =
            connection.execute(QStringLiteral("insert into info values(?,?,?,?,?,?,?,?,?,?)"), contact.row(dir));
        if (!added) {
            summary.skipped << qMakePair(contact.name, added.error);
            continue;
        }
        seen.insert(contact.name);
        ++summary.added;
    }
    if (DataResult done = connection.execute(QStringLiteral("COMMIT")); !done) {
        PassedOver::note(connection.execute(QStringLiteral("ROLLBACK")), Q_FUNC_INFO);
        summary.error = done.error;
        summary.added = 0;
    }
    if (progress)
        progress(total, total);
    return summary;
}

std::vector<ContactFields> ContactExporter::directoryContacts(DataConnection& connection, const QString& dir)
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
    return contacts;
}

QByteArray ContactExporter::encode(const std::vector<ContactFields>& contacts, Format format)
{
    if (format == Format::Csv) {
        QList<QStringList> rows{CsvMapping::ownHeaders()};
        for (const ContactFields& c : contacts)
            rows << QStringList{c.name, c.hometel, c.jobtel, c.mobil, c.fax, c.address, c.email, c.org, c.moreinfo};
        return CsvTable::write(rows);
    }
    const VCardWriter writer(format == Format::VCard3 ? 3 : 4);
    QByteArray out;
    for (const ContactFields& c : contacts)
        out += writer.card(c);
    return out;
}
