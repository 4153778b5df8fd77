#include "DirectoryDelete.h"

#include "ContactStore.h"
#include "DeleteQuestion.h"
#include "DirPass.h"
#include "DirectoryChanges.h"
#include "DirectoryStore.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "SharedData.h"
#include "TrashStore.h"

namespace
{
const QString kNotDeleted = QStringLiteral("عفوا .. لم يتم حذف الدليل , حدث خطأ فى قاعدة البيانات");
} // namespace

void DirectoryDelete::run(MainForm& form)
{
    if (!form.hasSelectedDirectory() || !form.listPaneShown())
        return;
    const QString name = form.selectedDirectoryName();
    const QString code = form.selectedDirectoryCode();

    // Counted over the directory the question names; the window's recordsets stay as they are.
    qint64 count = 0;
    const qint64 held = ContactStore(SharedData::connection()).countIn(code, count) ? count : -1;
    if (held < 0) {
        // Unknown whether it holds contacts: nothing is asked and nothing is deleted.
        MessageBox::show(kNotDeleted, MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
        return;
    }
    if (held != 0) {
        SetMsgBoxHook(&form);
        MessageBox::show(QStringLiteral("عفوا .. لا يمكنك حذف الدليل حيث أنه يحتوى على") + QStringLiteral(" ") +
                             QString::number(held) + QStringLiteral(" ") + QStringLiteral(" ملف") +
                             QStringLiteral(" ") + QStringLiteral("يجب عليك حذفهم أولا"),
                         MessageBox::RtlReading | MessageBox::Information, QStringLiteral("انتبه"));
        RemoveMsgBoxHook();
        return;
    }
    if (!DeleteQuestion::confirmed(&form, QStringLiteral("هل تريد بالتأكيد حذف : ") + name))
        return;
    // By name and code, so that a namesake never goes with it, and only while it is empty.
    const QString pass = form.selectedDirectoryPass();
    if (DirectoryStore(SharedData::connection()).removeIfEmpty({code, name, QString()})) {
        form.undoHistory().record(DirectoryChanges::deleted(name, code, pass));
        emit form.directoryDeleted(code);
    } else
        MessageBox::show(kNotDeleted, MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    form.refreshAfterWrite(BookChange::DirectoriesAddedOrRemoved);
}

void DirectoryDelete::runWithContacts(MainForm& form)
{
    if (!form.hasSelectedDirectory() || !form.listPaneShown())
        return;
    // As the book has it now (another writer may have locked it since the list was read), and
    // counted over the directory the question names.
    Directory directory;
    qint64 held = 0;
    if (!DirectoryStore(SharedData::connection()).find(form.selectedDirectoryCode(), directory) ||
        directory.name != form.selectedDirectoryName() ||
        !ContactStore(SharedData::connection()).countIn(directory.code, held)) {
        MessageBox::show(kNotDeleted, MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
        return;
    }
    if (directory.isLocked()) {
        DirPass prompt(form);
        prompt.pass = directory.pass;
        prompt.verifyOnly = true;
        if (prompt.exec() != QDialog::Accepted)
            return;
    }
    if (!DeleteQuestion::confirmed(&form, QStringLiteral("هل تريد بالتأكيد حذف الدليل «%1» وما فيه من جهات اتصال (%2)؟ "
                                                         "تبقى جهات الاتصال فى سلة المحذوفات %3 يوما")
                                              .arg(directory.name)
                                              .arg(held)
                                              .arg(TrashStore::kKeptDays)))
        return;
    QList<qint64> trashed;
    if (TrashStore(SharedData::connection()).moveDirectoryIn(directory, trashed)) {
        form.undoHistory().record(DirectoryChanges::deletedWithContacts(directory, trashed));
        emit form.directoryDeleted(directory.code);
    } else
        MessageBox::show(kNotDeleted, MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    form.refreshAfterWrite(BookChange::DirectoriesAddedOrRemoved);
}
