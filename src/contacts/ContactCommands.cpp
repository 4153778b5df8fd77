#include "ContactCommands.h"

#include "Editor.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "RecordListView.h"
#include "SharedData.h"
#include "SkinButton.h"

#include <QLineEdit>
#include <QPlainTextEdit>

void ContactCommands::add(MainForm& form)
{
    Editor editor(form);
    editor.mode = QStringLiteral("Add");
    editor.dir->setText(form.dir->text());
    editor.exec();
}

void ContactCommands::edit(MainForm& form, bool readOnly)
{
    RecordListView* list = form.infolist;
    if (list->count() == 0)
        return;
    Editor editor(form);
    if (readOnly) {
        editor.CmdSave->hide();
        editor.setFieldsReadOnly(true);
    }
    // The values come from the list as shown, not from the database again. With nothing
    // selected every field stays empty and Save matches no row.
    const int row = list->selectedRow();
    if (row >= 0) {
        editor.tname->setText(list->itemText(row));
        QLineEdit* boxes[] = {editor.hometel, editor.jobtel, editor.mobil, editor.fax, editor.address,
                              editor.email,   editor.org};
        for (int i = 0; i < 7; ++i)
            boxes[i]->setText(list->subItem(row, i + 1));
        editor.moreinfo->setPlainText(list->subItem(row, 8));
        editor.dir->setText(list->subItem(row, 9));
        editor.key = list->itemText(row);
    }
    editor.mode = QStringLiteral("edit");
    editor.setWindowTitle(QStringLiteral("تفاصيل"));
    editor.exec();
}

void ContactCommands::remove(MainForm& form)
{
    RecordListView* list = form.infolist;
    if (list->count() == 0)
        return;
    const int row = list->selectedRow();
    const QString name = row >= 0 ? list->itemText(row) : QString();
    SetMsgBoxHook(&form);
    const int answer = MessageBox::show(QStringLiteral("هل تريد بالتأكيد حذف بيانات: ") + name, 0x180034,
                                        QStringLiteral("تأكيد حذف"));
    RemoveMsgBoxHook();
    if (answer != MessageBox::Yes)
        return;
    (void)SharedData::connection().execute(QStringLiteral("delete from info where name = ?"), {name});
    (void)SharedData::contacts().requery();
    form.fill_list();
    form.Refreshlist();
}
