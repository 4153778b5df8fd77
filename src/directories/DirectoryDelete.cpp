#include "DirectoryDelete.h"

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
    QString count;
    const qsizetype held =
        SharedData::connection().scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {code}, count)
            ? count.toLongLong()
            : -1;
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
    SetMsgBoxHook(&form);
    const int answer =
        MessageBox::show(QStringLiteral("هل تريد بالتأكيد حذف : ") + name,
                         MessageBox::Arabic | MessageBox::Exclamation | MessageBox::YesNo, QStringLiteral("تأكيد حذف"));
    RemoveMsgBoxHook();
    if (answer != MessageBox::Yes)
        return;
    // By name and code, so that a namesake never goes with it, and only while no contact
    // refers to it, in the same statement: a contact saved meanwhile is never orphaned.
    DataConnection& connection = SharedData::connection();
    const DataResult deleted = connection.execute(QStringLiteral("delete from dirg where dirname = ? and code = ? "
                                                                 "and not exists (select 1 from info where dir = ?)"),
                                                  {name, code, code});
    if (!deleted || connection.changes() != 1)
        MessageBox::show(kNotDeleted, MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    form.refreshAfterWrite(BookChange::DirectoriesAddedOrRemoved);
}
