#include "MoveDir.h"

#include "AppLook.h"
#include "ContactChanges.h"
#include "ContactStore.h"
#include "Directory.h"
#include "DirectoryStore.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "OutsideText.h"
#include "PassedOver.h"
#include "RecordListView.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinTab.h"
#include "Transaction.h"
#include "Units.h"

#include <QLineEdit>

namespace
{
// The background panel stands this much above the window's client area.
constexpr int kPanelTop = 360;
} // namespace

MoveDir::MoveDir(MainForm& main) : SmallDialog(QStringLiteral("نقل"), 6240, 3555), m_main(main)
{
    SkinButton2 = addButton(QStringLiteral("نقل إلى"), 240, 720 - kPanelTop, 5775, 495);
    SkinButton2->setFocusPolicy(Qt::NoFocus);
    list = new RecordListView(SkinTab1);
    list->setAccessibleName(QStringLiteral("نقل إلى"));
    list->setGeometry(Units::rect(240, 1200 - kPanelTop, 5775, 1935));
    list->addColumn(QStringLiteral("dirname"), 5500);
    list->addColumn(QStringLiteral("dircode"), 0);
    list->setSmallIcon(AppLook::icon(QStringLiteral("folder")));
    list->setSelectFirstOnFill(false);
    CmdSave = addButton(QStringLiteral("نقل"), 1520, 3360 - kPanelTop, 1095, 375);
    cmdCancel = addButton(QStringLiteral("إغلاق"), 240, 3360 - kPanelTop, 1095, 390);
    dir = new QLineEdit(QStringLiteral("2"), this);
    dir->hide();
    connect(list, &RecordListView::itemClicked, this, [this](int row) { dir->setText(list->subItem(row, 1)); });
    connect(CmdSave, &QPushButton::clicked, this, &MoveDir::move);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    const QStringList contact = main.selectedContact();
    if (!contact.isEmpty())
        dir->setText(contact.value(9));
    main.SetRightToLeft(list);
    CloseDirectoryRecordset();
    Recordset& directories = SharedData::directories();
    PassedOver::note(directories.openDirectories(), Q_FUNC_INFO);
    // Every directory but the contact's own; the filter stays until the directory list is shown again.
    PassedOver::note(directories.setFilter(RecordFilter::notEqual(QStringLiteral("code"), dir->text().trimmed())),
                     Q_FUNC_INFO);
    filllist();
    if (!contact.isEmpty())
        m_name = contact.constFirst();
    const QList<QStringList> chosen = main.chosenContacts();
    if (chosen.size() > 1) {
        for (const QStringList& columns : chosen)
            m_names << columns.constFirst();
        setWindowTitle(QStringLiteral("نقل بيانات : %1 من جهات الاتصال").arg(m_names.size()));
        return;
    }
    setWindowTitle(QStringLiteral("نقل بيانات :") + QStringLiteral(" ") + m_name);
}

void MoveDir::filllist()
{
    Recordset& directories = SharedData::directories();
    list->clear();
    if (directories.recordCount() <= 0)
        return;
    list->fill(directories.snapshot(), directories.position());
}

void MoveDir::move()
{
    if (!m_names.isEmpty()) {
        moveSeveral();
        return;
    }
    // Only into a directory that still exists, so a contact can never point nowhere.
    ContactStore store(SharedData::connection());
    ContactFields contact;
    QString from;
    bool known = false;
    PassedOver::note(store.readByName(m_name, contact, from, known), Q_FUNC_INFO);
    const DataResult moved = store.moveByName(m_name, dir->text());
    if (moved && known)
        m_main.undoHistory().record(ContactChanges::moved(contact, from, dir->text()));
    if (!moved && !m_name.isEmpty())
        MessageBox::show(QStringLiteral("عفوا .. لم يتم نقل البيانات , حدث خطأ فى قاعدة البيانات"),
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    accept();
    m_main.refreshAfterWrite(BookChange::Contacts);
}

void MoveDir::moveSeveral()
{
    if (!moveNamed(m_main, m_names, dir->text()))
        MessageBox::show(QStringLiteral("عفوا .. لم يتم نقل البيانات , حدث خطأ فى قاعدة البيانات"),
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    accept();
    m_main.refreshAfterWrite(BookChange::Contacts);
}

DataResult MoveDir::moveNamed(MainForm& main, const QStringList& names, const QString& to)
{
    // Every chosen contact into the directory, in one transaction, or none.
    DataConnection& connection = SharedData::connection();
    ContactStore store(connection);
    std::vector<ContactFields> contacts;
    QStringList from;
    DataResult moved;
    {
        Transaction transaction(connection);
        moved = transaction.begun();
        for (const QString& name : names) {
            if (!moved)
                break;
            ContactFields contact;
            QString dirBefore;
            bool known = false;
            moved = store.readByName(name, contact, dirBefore, known);
            if (moved && !known)
                moved = DataResult{false, QStringLiteral("gone")};
            if (moved)
                moved = store.moveByName(name, to);
            contacts.push_back(contact);
            from << dirBefore;
        }
        if (moved)
            moved = transaction.commit();
    }
    if (moved)
        main.undoHistory().record(ContactChanges::movedTogether(contacts, from, to));
    return moved;
}

void MoveDir::moveDropped(MainForm& main, const QStringList& names, const QString& code)
{
    // Only into a directory that still exists, so a contact can never point nowhere.
    Directory target;
    if (!DirectoryStore(SharedData::connection()).find(code, target).ok || !target.exists()) {
        MessageBox::show(QStringLiteral("عفوا .. لم يتم نقل البيانات , الدليل غير موجود"),
                         MessageBox::Arabic | MessageBox::Critical, QStringLiteral("خطأ"));
        main.refreshAfterWrite(BookChange::Anything);
        return;
    }
    // A drop is easily made by mistake: nothing moves before the user says so.
    const QString where = OutsideText::oneLine(target.name);
    const QString question =
        names.size() == 1
            ? QStringLiteral("هل تريد نقل \u2068%1\u2069 إلى الدليل \u2068%2\u2069 ؟")
                  .arg(OutsideText::oneLine(names.constFirst()), where)
            : QStringLiteral("هل تريد نقل %1 من جهات الاتصال إلى الدليل \u2068%2\u2069 ؟").arg(names.size()).arg(where);
    if (MessageBox::show(question, MessageBox::Arabic | MessageBox::YesNo | MessageBox::Question,
                         QStringLiteral("نقل")) != MessageBox::Yes)
        return;
    if (!moveNamed(main, names, code))
        MessageBox::show(QStringLiteral("عفوا .. لم يتم نقل البيانات , حدث خطأ فى قاعدة البيانات"),
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
    main.refreshAfterWrite(BookChange::Anything);
}
