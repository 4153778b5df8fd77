#include "DirectoryDelete.h"

#include "ContactStore.h"
#include "DeleteQuestion.h"
#include "DirectoryChanges.h"
#include "DirectoryStore.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "SharedData.h"

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
    if (DirectoryStore(SharedData::connection()).removeIfEmpty({code, name, QString()}))
        form.undoHistory().record(DirectoryChanges::deleted(name, code, pass));
    else
        MessageBox::show(kNotDeleted, MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    form.refreshAfterWrite(BookChange::DirectoriesAddedOrRemoved);
}
