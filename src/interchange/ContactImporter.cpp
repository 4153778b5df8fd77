#include "ContactImporter.h"

#include "DataConnection.h"
#include "PassedOver.h"

#include <QSet>

QString ImportSummary::text() const
{
    QString out = QStringLiteral("تم استيراد %1 من جهات الاتصال.").arg(added);
    if (movedToNotes > 0)
        out += QStringLiteral("\nتم وضع %1 من الأرقام أو العناوين فى البيانات الإضافية لعدم وجود حقل خال لها.")
                   .arg(movedToNotes);
    if (incomplete > 0)
        out +=
            QStringLiteral("\n%1 من البطاقات غير مكتملة (انتهى الملف قبل نهايتها) وتم استيراد ما بها.").arg(incomplete);
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
        if (DataResult made =
                connection.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES (?, '0')"), {newDirectory});
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
