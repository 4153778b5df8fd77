#include "ContactCommands.h"

#include "Editor.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "PassedOver.h"
#include "SharedData.h"
#include "SkinButton.h"

#include <QLineEdit>

void ContactCommands::add(MainForm& form)
{
    Editor editor(form);
    editor.mode = QStringLiteral("Add");
    editor.dir->setText(form.currentDirectory());
    editor.exec();
}

void ContactCommands::edit(MainForm& form, bool readOnly)
{
    // With no contact selected (an empty list, or a selection taken away) there is nothing to
    // show, and an empty editor would only throw away what the user then typed.
    const QStringList columns = form.selectedContact();
    if (columns.isEmpty())
        return;
    Editor editor(form);
    if (readOnly) {
        editor.CmdSave->hide();
        editor.setFieldsReadOnly(true);
    }
    // The values come from the list as shown, not from the database again.
    editor.loadContact(columns);
    editor.mode = QStringLiteral("edit");
    editor.setWindowTitle(QStringLiteral("تفاصيل"));
    editor.exec();
}

void ContactCommands::remove(MainForm& form)
{
    const QStringList columns = form.selectedContact();
    if (columns.isEmpty())
        return;
    const QString name = columns.constFirst();
    SetMsgBoxHook(&form);
    const int answer =
        MessageBox::show(QStringLiteral("هل تريد بالتأكيد حذف بيانات: ") + name,
                         MessageBox::Arabic | MessageBox::Exclamation | MessageBox::YesNo, QStringLiteral("تأكيد حذف"));
    RemoveMsgBoxHook();
    if (answer != MessageBox::Yes)
        return;
    DataConnection& connection = SharedData::connection();
    QString rowid;
    const bool known = connection.scalar(QStringLiteral("SELECT rowid FROM info WHERE name = ?"), {name}, rowid).ok;
    const DataResult deleted = connection.execute(QStringLiteral("delete from info where name = ?"), {name});
    // A contact that stays (a database error, or gone already) is never reported as deleted.
    if (!deleted || connection.changes() != 1)
        MessageBox::show(QStringLiteral("عفوا .. لم يتم حذف البيانات , حدث خطأ فى قاعدة البيانات"),
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    form.refreshAfterWrite(BookChange::Contacts, known ? rowid.toLongLong() : -1);
}
