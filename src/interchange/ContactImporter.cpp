#include "ContactImporter.h"

#include "ContactStore.h"
#include "ContactValueStore.h"
#include "Directory.h"
#include "DirectoryStore.h"
#include "DuplicateFinder.h"
#include "PhoneMatch.h"
#include "Transaction.h"

#include <QSet>

QString ImportSummary::text() const
{
    // The name is the user's own text: isolated, its letters cannot turn the sentence around.
    QString out = directoryName.isEmpty()
                      ? QStringLiteral("تم استيراد %1 من جهات الاتصال.").arg(added)
                      : QStringLiteral("تم استيراد %1 من جهات الاتصال إلى الدليل \"\u2068%2\u2069\".")
                            .arg(QString::number(added), directoryName);
    if (movedToNotes > 0)
        out += QStringLiteral("\nتم وضع %1 من الأرقام أو العناوين فى البيانات الإضافية لعدم وجود حقل خال لها.")
                   .arg(movedToNotes);
    if (incomplete > 0)
        out +=
            QStringLiteral("\n%1 من البطاقات غير مكتملة (انتهى الملف قبل نهايتها) وتم استيراد ما بها.").arg(incomplete);
    if (likelyDuplicates < 0)
        out += QStringLiteral("\nلم يبحث عن المكررات لكبر الدفتر؛ استخدم «البحث عن المكررات» فى الأدوات.");
    if (likelyDuplicates > 0)
        out += QStringLiteral("\n%1 ربما مكررة (لها فى الدفتر ما يشبهها؛ انظر «البحث عن المكررات» فى الأدوات).")
                   .arg(likelyDuplicates);
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
                                const std::vector<MoreValues>& more, const QString& dir,
                                const std::function<bool(int, int)>& progress, ImportSummary& summary)
{
    ContactStore store(connection);
    ContactValueStore values(connection);
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
        const MoreValues& itsMore = size_t(i) < more.size() ? more[size_t(i)] : MoreValues();
        QStringList texts = contact.row(dir);
        for (const ContactValue& value : itsMore)
            texts << value.label << value.value;
        if (std::any_of(texts.begin(), texts.end(), [](const QString& value) { return !value.isValidUtf16(); })) {
            summary.skipped << qMakePair(contact.name, QStringLiteral("يحتوى على نص غير صالح"));
            continue;
        }
        qint64 existing = 0;
        if (DataResult looked = store.findByName(contact.name, existing); !looked) {
            summary.error = looked.error;
            return false;
        }
        if (seen.contains(contact.name) || existing != 0) {
            summary.skipped << qMakePair(contact.name, QStringLiteral("الاسم موجود بالفعل"));
            continue;
        }
        qint64 row = 0;
        if (DataResult added = store.insert(contact, dir, &row); !added) {
            summary.error = added.error;
            return false;
        }
        if (DataResult kept = values.replaceWithin(row, contact.name, itsMore); !kept) {
            summary.error = kept.error;
            return false;
        }
        seen.insert(contact.name);
        summary.written.push_back(contact);
        summary.writtenMore.push_back(itsMore);
        ++summary.added;
    }
    if (progress)
        progress(total, total);
    return true;
}

namespace
{

} // namespace

// One transaction from the directory (when new) to the last contact: all of it, or nothing.
ImportSummary ContactImporter::inTransaction(DataConnection& connection, const std::vector<ContactFields>& contacts,
                                             const std::vector<MoreValues>& more, const QString& dir,
                                             const QString& newDirectory, const std::function<bool(int, int)>& progress)
{
    ImportSummary summary;
    Transaction transaction(connection);
    if (!transaction.begun()) {
        summary.error = transaction.begun().error;
        return summary;
    }
    QString code = dir;
    if (!newDirectory.isEmpty()) {
        if (DataResult made = DirectoryStore(connection).add(newDirectory, &code); !made) {
            summary.error = made.error;
            return summary;
        }
        summary.directoryName = newDirectory;
    } else {
        // Contacts of a directory that is gone (deleted by another copy of the program) would be
        // shown nowhere.
        Directory target;
        if (DataResult found = DirectoryStore(connection).find(code, target); !found || !target.exists()) {
            summary.error = found ? QStringLiteral("الدليل لم يعد موجودا") : found.error;
            return summary;
        }
        summary.directoryName = target.name;
    }
    bool done = insertAll(connection, contacts, more, code, progress, summary);
    if (done)
        if (DataResult committed = transaction.commit(); !committed) {
            summary.error = committed.error;
            done = false;
        }
    if (!done) {
        transaction.rollback();
        summary.added = 0;
        summary.directoryName.clear();
        summary.written.clear();
        summary.writtenMore.clear();
        return summary;
    }
    summary.directory = code;
    summary.likelyDuplicates = DuplicateFinder::countInBook(connection, summary.written, code);
    return summary;
}

ImportSummary ContactImporter::run(DataConnection& connection, const std::vector<ContactFields>& contacts,
                                   const QString& dir, const std::function<bool(int, int)>& progress)
{
    return inTransaction(connection, contacts, {}, dir, QString(), progress);
}

ImportSummary ContactImporter::intoNewDirectory(DataConnection& connection, const ContactFileContents& contents,
                                                const QString& name, const std::function<bool(int, int)>& progress)
{
    ImportSummary summary = inTransaction(connection, contents.contacts, contents.more, QString(), name, progress);
    summary.movedToNotes = contents.movedToNotes;
    summary.incomplete = contents.incomplete;
    return summary;
}

ImportSummary ContactImporter::run(DataConnection& connection, const ContactFileContents& contents, const QString& dir,
                                   const std::function<bool(int, int)>& progress)
{
    ImportSummary summary = inTransaction(connection, contents.contacts, contents.more, dir, QString(), progress);
    summary.movedToNotes = contents.movedToNotes;
    summary.incomplete = contents.incomplete;
    return summary;
}
