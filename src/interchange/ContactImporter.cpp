#include "ContactImporter.h"

#include "CsvMapping.h"
#include "CsvTable.h"
#include "DataConnection.h"
#include "PersonName.h"
#include "PassedOver.h"
#include "Recordset.h"
#include "VCardWriter.h"

#include <QSet>

QString ImportSummary::text() const
{
    QString out = QStringLiteral("تم استيراد %1 من جهات الاتصال.").arg(added);
    if (movedToNotes > 0)
        out += QStringLiteral("\nتم وضع %1 من الأرقام أو العناوين فى البيانات الإضافية لعدم وجود حقل خال لها.")
                   .arg(movedToNotes);
    if (incomplete > 0)
        out += QStringLiteral("\n%1 من البطاقات غير مكتملة (انتهى الملف قبل نهايتها) وتم استيراد ما بها.")
                   .arg(incomplete);
    if (!skipped.isEmpty()) {
        out += QStringLiteral("\nلم يتم استيراد %1 :").arg(skipped.size());
        int shown = 0;
        for (const auto& [name, reason] : skipped) {
            if (++shown > 20) {
                out += QStringLiteral("\n...");
                break;
            }
            out += QStringLiteral("\n- ") + (name.isEmpty() ? QStringLiteral("(بدون اسم)") : name) +
                   QStringLiteral(" : ") + reason;
        }
    }
    return out;
}

// Adds the contacts inside the caller's transaction. False ends the import: cancelled, or a
// write failed (after an I/O error SQLite may already have rolled the transaction back, so not
// one more row may follow on its own).
bool ContactImporter::insertAll(DataConnection& connection, const std::vector<ContactFields>& contacts,
                                const QString& dir, const std::function<bool(int, int)>& progress,
                                ImportSummary& summary)
{
    QSet<QString> seen;
    const int total = int(contacts.size());
    for (int i = 0; i < total; ++i) {
        if (progress && i % 50 == 0 && !progress(i, total)) {
            summary.cancelled = true;
            return false;
        }
        const ContactFields& contact = contacts[size_t(i)];
        if (contact.name.trimmed().isEmpty()) {
            summary.skipped << qMakePair(QString(), QStringLiteral("بدون اسم"));
            continue;
        }
        // A value that cannot be stored exactly (half a character) leaves its contact out, not the import.
        const QStringList values = contact.row(dir);
        if (std::any_of(values.begin(), values.end(), [](const QString& value) { return !value.isValidUtf16(); })) {
            summary.skipped << qMakePair(contact.name, QStringLiteral("يحتوى على نص غير صالح"));
            continue;
        }
        QString exists;
        if (DataResult looked =
                connection.scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = ?"), {contact.name}, exists);
            !looked) {
            summary.error = looked.error;
            return false;
        }
        if (seen.contains(contact.name) || exists.toInt() > 0) {
            summary.skipped << qMakePair(contact.name, QStringLiteral("الاسم موجود بالفعل"));
            continue;
        }
        if (DataResult added =
                connection.execute(QStringLiteral("insert into info values(?,?,?,?,?,?,?,?,?,?)"), contact.row(dir));
            !added) {
            summary.error = added.error;
            return false;
        }
        seen.insert(contact.name);
        ++summary.added;
    }
    if (progress)
        progress(total, total);
    return true;
}

// One transaction from the directory (when new) to the last contact: all of it, or nothing.
ImportSummary ContactImporter::inTransaction(DataConnection& connection, const std::vector<ContactFields>& contacts,
                                             const QString& dir, const QString& newDirectory,
                                             const std::function<bool(int, int)>& progress)
{
    ImportSummary summary;
    if (DataResult begun = connection.execute(QStringLiteral("BEGIN IMMEDIATE")); !begun) {
        summary.error = begun.error;
        return summary;
    }
    QString code = dir;
    bool done = true;
    if (!newDirectory.isEmpty()) {
        if (DataResult made = connection.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES (?, '0')"),
                                                 {newDirectory});
            made)
            code = QString::number(connection.lastInsertRowId());
        else {
            summary.error = made.error;
            done = false;
        }
    }
    done = done && insertAll(connection, contacts, code, progress, summary);
    if (done)
        if (DataResult committed = connection.execute(QStringLiteral("COMMIT")); !committed) {
            summary.error = committed.error;
            done = false;
        }
    if (!done) {
        PassedOver::note(connection.execute(QStringLiteral("ROLLBACK")), Q_FUNC_INFO);
        summary.added = 0;
        return summary;
    }
    summary.directory = code;
    return summary;
}

ImportSummary ContactImporter::run(DataConnection& connection, const std::vector<ContactFields>& contacts,
                                   const QString& dir, const std::function<bool(int, int)>& progress)
{
    return inTransaction(connection, contacts, dir, QString(), progress);
}

ImportSummary ContactImporter::intoNewDirectory(DataConnection& connection, const ContactFileContents& contents,
                                                const QString& name, const std::function<bool(int, int)>& progress)
{
    ImportSummary summary = inTransaction(connection, contents.contacts, QString(), name, progress);
    summary.movedToNotes = contents.movedToNotes;
    summary.incomplete = contents.incomplete;
    return summary;
}

ImportSummary ContactImporter::run(DataConnection& connection, const ContactFileContents& contents, const QString& dir,
                                   const std::function<bool(int, int)>& progress)
{
    ImportSummary summary = run(connection, contents.contacts, dir, progress);
    summary.movedToNotes = contents.movedToNotes;
    summary.incomplete = contents.incomplete;
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
    if (format == Format::GoogleCsv) {
        QList<QStringList> rows{{QStringLiteral("First Name"), QStringLiteral("Middle Name"), QStringLiteral("Last Name"),
                                 QStringLiteral("Organization Name"), QStringLiteral("E-mail 1 - Label"),
                                 QStringLiteral("E-mail 1 - Value"), QStringLiteral("Phone 1 - Label"),
                                 QStringLiteral("Phone 1 - Value"), QStringLiteral("Phone 2 - Label"),
                                 QStringLiteral("Phone 2 - Value"), QStringLiteral("Phone 3 - Label"),
                                 QStringLiteral("Phone 3 - Value"), QStringLiteral("Phone 4 - Label"),
                                 QStringLiteral("Phone 4 - Value"), QStringLiteral("Address 1 - Label"),
                                 QStringLiteral("Address 1 - Formatted"), QStringLiteral("Notes")}};
        auto labelled = [](const QString& label, const QString& value) {
            return value.isEmpty() ? QString() : label;
        };
        for (const ContactFields& c : contacts) {
            const PersonName name = PersonName::split(c.name);
            rows << QStringList{name.given, name.middle, name.family, c.org,
                                labelled(QStringLiteral("* Home"), c.email), c.email,
                                labelled(QStringLiteral("Home"), c.hometel), c.hometel,
                                labelled(QStringLiteral("Work"), c.jobtel), c.jobtel,
                                labelled(QStringLiteral("Mobile"), c.mobil), c.mobil,
                                labelled(QStringLiteral("Work Fax"), c.fax), c.fax,
                                labelled(QStringLiteral("Home"), c.address), c.address, c.moreinfo};
        }
        return CsvTable::write(rows);
    }
    if (format == Format::OutlookCsv) {
        QList<QStringList> rows{{QStringLiteral("First Name"), QStringLiteral("Middle Name"), QStringLiteral("Last Name"),
                                 QStringLiteral("Company"), QStringLiteral("Home Street"), QStringLiteral("Home Phone"),
                                 QStringLiteral("Business Phone"), QStringLiteral("Mobile Phone"),
                                 QStringLiteral("Business Fax"), QStringLiteral("E-mail Address"),
                                 QStringLiteral("Notes")}};
        for (const ContactFields& c : contacts) {
            const PersonName name = PersonName::split(c.name);
            rows << QStringList{name.given, name.middle, name.family, c.org,     c.address, c.hometel,
                                c.jobtel,   c.mobil,     c.fax,      c.email,   c.moreinfo};
        }
        return CsvTable::write(rows);
    }
    const VCardWriter writer(format == Format::VCard3 ? 3 : 4);
    QByteArray out;
    for (const ContactFields& c : contacts)
        out += writer.card(c);
    return out;
}
