#include "ContactCommands.h"

#include "Editor.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "RecordListView.h"
#include "SharedData.h"
#include "SkinButton.h"

#include <QLineEdit>


void ContactCommands::add(MainForm& form)
{
    Editor editor(form);
    editor.mode = QStringLiteral("Add");
    editor.dir->setText(form.dir->text());
    editor.exec();
}

void ContactCommands::edit(MainForm& form, bool readOnly)
{
    // With no contact selected (an empty list, or a selection taken away) there is nothing to
    // show, and an empty editor would only throw away what the user then typed.
    RecordListView* list = form.infolist;
    const int row = list->count() > 0 ? list->selectedRow() : -1;
    if (row < 0)
        return;
    Editor editor(form);
    if (readOnly) {
        editor.CmdSave->hide();
        editor.setFieldsReadOnly(true);
    }
    // The values come from the list as shown, not from the database again.
    QStringList columns;
    for (int column = 0; column < 10; ++column)
        columns << list->subItem(row, column);
    editor.loadContact(columns);
    editor.mode = QStringLiteral("edit");
    editor.setWindowTitle(QStringLiteral("تفاصيل"));
    editor.exec();
}

void ContactCommands::remove(MainForm& form)
{
    RecordListView* list = form.infolist;
    const int row = list->count() > 0 ? list->selectedRow() : -1;
    if (row < 0)
        return;
    const QString name = list->itemText(row);
    SetMsgBoxHook(&form);
    const int answer =
        MessageBox::show(QStringLiteral("هل تريد بالتأكيد حذف بيانات: ") + name,
                         MessageBox::Arabic | MessageBox::Exclamation | MessageBox::YesNo, QStringLiteral("تأكيد حذف"));
    RemoveMsgBoxHook();
    if (answer != MessageBox::Yes)
        return;
    (void)SharedData::connection().execute(QStringLiteral("delete from info where name = ?"), {name});
    (void)SharedData::contacts().requery();
    form.fill_list();
    form.Refreshlist();
}
