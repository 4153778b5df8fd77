#include "ContactCommands.h"

#include "ContactChanges.h"
#include "ContactLinks.h"
#include "ContactQrWindow.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DeleteQuestion.h"
#include "DuplicatesWindow.h"
#include "Editor.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MoveDir.h"
#include "OccasionsWindow.h"
#include "PassedOver.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "Transaction.h"
#include "TrashStore.h"
#include "TrashWindow.h"

#include <QLineEdit>

void ContactCommands::install(MainForm& form)
{
    form.setCommand(MainCommand::AddContact, &ContactCommands::add);
    form.setCommand(MainCommand::EditContact, [](MainForm& f) { edit(f); });
    form.setCommand(MainCommand::ViewContact, &ContactCommands::view);
    form.setCommand(MainCommand::DeleteContact, &ContactCommands::remove);
    form.setCommand(MainCommand::MoveContact, [](MainForm& f) {
        // No contact selected, nothing to move (and never the one whose name is blank).
        if (f.selectedContact().isEmpty())
            return;
        MoveDir window(f);
        window.exec();
    });
    form.setContactDrop(&MoveDir::moveDropped);
    form.addContactMenu(QStringLiteral("callnumber"), QStringLiteral("اتصال"),
                        [](MainForm& f, QMenu* menu, const QStringList& c) { ContactLinks::fillCalls(menu, c, &f); });
    form.addContactMenu(QStringLiteral("sendmail"), QStringLiteral("إرسال بريد"),
                        [](MainForm& f, QMenu* menu, const QStringList& c) { ContactLinks::fillMail(menu, c, &f); });
    form.addContactMenu(QStringLiteral("copynumber"), QStringLiteral("نسخ الرقم"),
                        [](MainForm&, QMenu* menu, const QStringList& c) { ContactLinks::fillCopies(menu, c); });
    form.addContactCommand(QStringLiteral("shareqr"), QStringLiteral("مشاركة برمز QR"),
                           [](MainForm& f) { shareByQrCode(f); });
    form.addToolsCommand(QStringLiteral("trash"), QStringLiteral("سلة المحذوفات..."), [](MainForm& f) {
        TrashWindow window(f);
        window.exec();
    });
    form.addToolsCommand(QStringLiteral("duplicates"), QStringLiteral("البحث عن المكررات"), [](MainForm& f) {
        DuplicatesWindow window(f);
        window.exec();
    });
    form.addToolsCommand(QStringLiteral("occasions"), QStringLiteral("المناسبات القادمة"), [](MainForm& f) {
        OccasionsWindow window(f);
        window.exec();
    });
}

void ContactCommands::add(MainForm& form)
{
    Editor editor(form);
    editor.mode = Editor::Mode::Add;
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
    edit(form, columns, readOnly);
}

void ContactCommands::edit(MainForm& form, const QStringList& columns, bool readOnly, QWidget* parent)
{
    Editor editor(form);
    if (parent)
        editor.setParent(parent, editor.windowFlags());
    if (readOnly) {
        editor.CmdSave->hide();
        editor.setFieldsReadOnly(true);
        // Where Save stands when editing, the contact goes to a phone.
        auto* share = new SkinButton(QStringLiteral("مشاركة برمز QR"), editor.CmdSave->parentWidget());
        share->setObjectName(QStringLiteral("shareqr"));
        share->setGeometry(editor.CmdSave->geometry().adjusted(0, 0, editor.CmdSave->width() / 2, 0));
        QObject::connect(share, &QPushButton::clicked, &editor, [&editor, columns] {
            ContactQrWindow window(ContactFields::fromRow(columns), editor.more, &editor);
            window.exec();
        });
    }
    // The values come from the list as shown, not from the database again.
    editor.loadContact(columns);
    if (readOnly)
        editor.showMoreValues();
    editor.mode = Editor::Mode::Edit;
    editor.setWindowTitle(QStringLiteral("تفاصيل"));
    editor.exec();
}

void ContactCommands::shareByQrCode(MainForm& form)
{
    const QStringList columns = form.selectedContact();
    if (columns.isEmpty())
        return;
    shareByQrCode(&form, columns);
}

void ContactCommands::shareByQrCode(QWidget* parent, const QStringList& columns)
{
    // The list's columns are the table's: the nine fields, then the directory.
    const ContactFields contact = ContactFields::fromRow(columns);
    MoreValues more;
    PassedOver::note(ContactValueStore(SharedData::connection()).readByName(contact.name, more), Q_FUNC_INFO);
    ContactQrWindow window(contact, more, parent);
    window.exec();
}

void ContactCommands::remove(MainForm& form)
{
    const QList<QStringList> chosen = form.chosenContacts();
    if (chosen.size() > 1) {
        removeSeveral(form, chosen);
        return;
    }
    const QStringList columns = form.selectedContact();
    if (columns.isEmpty())
        return;
    const QString& name = columns.constFirst();
    if (!DeleteQuestion::confirmed(&form, QStringLiteral("هل تريد بالتأكيد حذف بيانات: ") + name))
        return;
    // Into the trash, whence it can be restored for 30 days. A contact that stays (a database
    // error, or gone already) is never reported as deleted.
    qint64 trashId = 0;
    const DataResult deleted = TrashStore(SharedData::connection()).moveIn(name, &trashId);
    if (deleted)
        form.undoHistory().record(ContactChanges::deleted(name, trashId));
    else
        MessageBox::show(QStringLiteral("عفوا .. لم يتم حذف البيانات , حدث خطأ فى قاعدة البيانات"),
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    form.refreshAfterWrite(BookChange::Contacts);
}

void ContactCommands::removeSeveral(MainForm& form, const QList<QStringList>& chosen)
{
    if (!DeleteQuestion::confirmed(
            &form, QStringLiteral("هل تريد بالتأكيد حذف بيانات %1 من جهات الاتصال المختارة؟").arg(chosen.size())))
        return;
    QStringList names;
    for (const QStringList& columns : chosen)
        names << columns.constFirst();
    // All of them into the trash in one transaction, or none.
    DataConnection& connection = SharedData::connection();
    std::vector<qint64> trashIds(size_t(names.size()));
    DataResult deleted;
    {
        Transaction transaction(connection);
        deleted = transaction.begun();
        TrashStore trash(connection);
        for (qsizetype i = 0; deleted && i < names.size(); ++i)
            deleted = trash.moveInWithin(names.at(i), &trashIds[size_t(i)]);
        if (deleted)
            deleted = transaction.commit();
    }
    if (deleted)
        form.undoHistory().record(ContactChanges::deletedTogether(names, trashIds));
    else
        MessageBox::show(QStringLiteral("عفوا .. لم يتم حذف البيانات , حدث خطأ فى قاعدة البيانات"),
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    form.refreshAfterWrite(BookChange::Contacts);
}
