#include "NoteValuesMove.h"

#include "ContactChanges.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "ImportedNoteLines.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "SharedData.h"

void NoteValuesMove::install(MainForm& form)
{
    form.addContactCommand(QStringLiteral("notevalues"), QStringLiteral("نقل القيم من الملاحظات..."),
                           &NoteValuesMove::move);
}

void NoteValuesMove::move(MainForm& form)
{
    QList<QStringList> chosen = form.chosenContacts();
    if (chosen.isEmpty() && !form.selectedContact().isEmpty())
        chosen << form.selectedContact();
    if (chosen.isEmpty())
        return;
    // Read from the book, not the list: the notes shown may be cut, and the values are not shown.
    DataConnection& connection = SharedData::connection();
    ContactStore store(connection);
    ContactValueStore valueStore(connection);
    std::vector<ContactChanges::InPlaceEdit> edits;
    qsizetype moved = 0;
    for (const QStringList& columns : chosen) {
        ContactChanges::InPlaceEdit edit;
        bool found = false;
        if (!store.readByName(columns.constFirst(), edit.before, edit.dir, found) || !found ||
            !valueStore.readByName(edit.before.name, edit.moreBefore))
            continue;
        const ImportedNoteLines::Split split = ImportedNoteLines::split(edit.before, edit.moreBefore);
        if (split.notes == edit.before.moreinfo)
            continue;
        edit.after = edit.before;
        edit.after.moreinfo = split.notes;
        edit.moreAfter = edit.moreBefore;
        edit.moreAfter.insert(edit.moreAfter.end(), split.values.begin(), split.values.end());
        moved += qsizetype(split.values.size());
        edits.push_back(std::move(edit));
    }
    if (edits.empty()) {
        MessageBox::show(QStringLiteral("لا توجد فى ملاحظات جهات الاتصال المختارة أرقام أو عناوين كتبها استيراد سابق"),
                         MessageBox::Arabic | MessageBox::Information, QStringLiteral("نقل القيم من الملاحظات"));
        return;
    }
    const QString question =
        QStringLiteral("سيتم نقل %1 من الأرقام والعناوين من ملاحظات %2 من جهات الاتصال إلى القيم الأخرى، "
                       "ويبقى باقى الملاحظات كما هو. هل تريد المتابعة؟")
            .arg(moved)
            .arg(edits.size());
    if (MessageBox::show(question, MessageBox::Arabic | MessageBox::YesNo | MessageBox::Question,
                         QStringLiteral("نقل القيم من الملاحظات")) != MessageBox::Yes)
        return;
    if (ContactChanges::writeInPlace(edits, true))
        form.undoHistory().record(ContactChanges::editedTogether(QStringLiteral("نقل القيم من الملاحظات"), edits));
    else
        MessageBox::show(QStringLiteral("عفوا .. لم يتم حفظ البيانات , حدث خطأ فى قاعدة البيانات"),
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    form.refreshAfterWrite(BookChange::Contacts);
}
