// The trash: a deleted contact is kept (out of the contacts table) and comes back byte for byte;
// a name taken meanwhile, a directory gone or locked, emptying and the 30 days are all handled.
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DirPass.h"
#include "Directory.h"
#include "DirectoryPasswords.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "MessageBox.h"
#include "ModalDriver.h"
#include "RecordListView.h"
#include "ScriptedMessageBox.h"
#include "SkinButton.h"
#include "SkinTextBox.h"
#include "TrashWindow.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

class TestTrash : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void aDeletedContactComesBackByteForByte();
    void aTakenNameAGoneDirectoryAndALockedOne();
    void emptyingAndThirtyDays();
    void aDirectoryDeletedWithItsContactsComesBack();

private:
    void deleteContact(const QString& name);
    // Runs action in the trash window, opened from the Tools menu.
    void inTrash(const std::function<void(TrashWindow*)>& action);
    QString m_family;
    QString m_work;
};

namespace
{

// A contact's more values as it reads them (those of its row and name, in order), for a query on info.
const QString kMoreValues = QStringLiteral(
    "coalesce((SELECT group_concat(quote(v.kind)||quote(v.label)||quote(v.value)||quote(v.calendar), ',') "
    "FROM (SELECT * FROM qav_contact_value WHERE contact = info.rowid AND name = info.name ORDER BY position) v), "
    "'')");

} // namespace

void TestTrash::initTestCase()
{
    prepareApplication();
}

void TestTrash::init()
{
    openFixture();
    m_family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_work = m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addContact(QStringLiteral("سارة"), m_family,
                     {QStringLiteral("0223"), QStringLiteral("0233"), QStringLiteral("0100"), QStringLiteral("0244"),
                      QStringLiteral("شارع النيل"), QStringLiteral("s@x.org"), QStringLiteral("مدرسة"),
                      QStringLiteral("سطر\nسطر 'اقتباس' \"مزدوج\"")});
    m_db->addContact(QStringLiteral("علي"), m_work, {QStringLiteral("0111")});
    // More values, and one left by another program at a row of the same name that is gone.
    qint64 at = 0;
    QVERIFY(ContactStore(m_db->reader()).findByName(QStringLiteral("سارة"), at));
    QVERIFY(
        ContactValueStore(m_db->reader())
            .replaceWithin(at, QStringLiteral("سارة"),
                           {{ContactValue::Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0112")},
                            {ContactValue::Kind::Address, QStringLiteral("\u202Ework"), QStringLiteral(";;ش ١;;;;")}}));
    QVERIFY(m_db->reader()
                .execute(QStringLiteral("INSERT INTO qav_contact_value (contact, name, kind, value) "
                                        "VALUES (?, 'سارة', 'tel', '0999')"),
                         {QString::number(at + 1000)})
                .ok);
    m_form = MainWindowUser::start();
}

void TestTrash::cleanup()
{
    closeFixture();
}

void TestTrash::deleteContact(const QString& name)
{
    m_form->GoBack();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, name == QStringLiteral("علي") ? QStringLiteral("العمل")
                                                                                  : QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    controls(*m_form).infolist->selectRow(0);
    m_boxes->answer(MessageBox::Yes);
    controls(*m_form).menus->cmdel->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = ?"), {name}), QStringLiteral("0"));
}

void TestTrash::inTrash(const std::function<void(TrashWindow*)>& action)
{
    bool shown = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<TrashWindow*>(modal);
        QVERIFY(window);
        shown = true;
        QCOMPARE(window->windowTitle(), QStringLiteral("سلة المحذوفات"));
        action(window);
        window->accept();
    });
    QAction* item = controls(*m_form).menus->item(QStringLiteral("trash"));
    QVERIFY(item && item->text() == QStringLiteral("سلة المحذوفات..."));
    item->trigger();
    QVERIFY(shown);
}

void TestTrash::aDeletedContactComesBackByteForByte()
{
    const QString row = QStringLiteral("SELECT quote(name)||quote(hometel)||quote(jobtel)||quote(mobil)||quote(fax)||"
                                       "quote(address)||quote(email)||quote(org)||quote(moreinfo)||quote(dir)||%1 "
                                       "FROM info WHERE name = ?")
                            .arg(kMoreValues);
    const QString before = m_db->scalar(row, {QStringLiteral("سارة")});
    QVERIFY(before.contains(QStringLiteral("'0112'")) && !before.contains(QStringLiteral("0999")));
    deleteContact(QStringLiteral("سارة"));
    inTrash([&](TrashWindow* window) {
        QCOMPARE(window->list->topLevelItemCount(), 1);
        QCOMPARE(window->list->topLevelItem(0)->text(0), QStringLiteral("سارة"));
        QCOMPARE(window->list->topLevelItem(0)->text(1), QStringLiteral("العائلة"));
        window->list->topLevelItem(0)->setSelected(true);
        window->cmdRestore->click();
        QCOMPARE(window->list->topLevelItemCount(), 0);
    });
    QCOMPARE(m_db->scalar(row, {QStringLiteral("سارة")}), before);
    QCOMPARE(controls(*m_form).infolist->count(), 1); // the open directory shows it again
}

void TestTrash::aTakenNameAGoneDirectoryAndALockedOne()
{
    deleteContact(QStringLiteral("سارة"));
    deleteContact(QStringLiteral("علي"));
    // The name taken again meanwhile: the usual refusal, and it stays in the trash.
    m_db->addContact(QStringLiteral("سارة"), m_work);
    // علي's directory is gone; the other one is locked now.
    QVERIFY(m_db->reader().execute(QStringLiteral("DELETE FROM dirg WHERE code = ?"), {m_work}).ok);
    QVERIFY(m_db->reader().execute(QStringLiteral("DELETE FROM info WHERE name = 'سارة'")).ok);
    m_db->addContact(QStringLiteral("سارة"), m_family);
    inTrash([&](TrashWindow* window) {
        QCOMPARE(window->list->topLevelItemCount(), 2);
        // The latest first.
        QCOMPARE(window->list->topLevelItem(0)->text(0), QStringLiteral("علي"));
        window->list->topLevelItem(1)->setSelected(true);
        window->cmdRestore->click();
        QCOMPARE(m_boxes->last().text, QStringLiteral("لم يتم استرجاع \"سارة\": يوجد بالفعل جهة اتصال بهذا الاسم"));
        QCOMPARE(window->list->topLevelItemCount(), 2);
        // Into a directory the user chooses, its own being gone.
        window->list->clearSelection();
        window->list->topLevelItem(0)->setSelected(true);
        bool asked = false;
        ModalDriver::whenModal([&](QWidget* modal) {
            auto* choice = qobject_cast<QInputDialog*>(modal);
            QVERIFY(choice);
            asked = choice->labelText().contains(QStringLiteral("لم يعد موجودا"));
            choice->setTextValue(QStringLiteral("العائلة"));
            choice->accept();
        });
        window->cmdRestore->click();
        QVERIFY(asked);
        QCOMPARE(window->list->topLevelItemCount(), 1);
    });
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT dir FROM info WHERE name = ?"), {QStringLiteral("علي")}), m_family);

    // A contact deleted from a locked directory shows no name and needs the password.
    QVERIFY(m_db->reader().execute(QStringLiteral("DELETE FROM info WHERE name = 'سارة'")).ok);
    const QString locked = m_db->addDirectory(QStringLiteral("خاص"), QStringLiteral("1234"));
    m_db->addContact(QStringLiteral("سر"), locked);
    QVERIFY(m_db->reader().execute(QStringLiteral("DELETE FROM qav_trash")).ok);
    m_form->takeInOutsideChanges();
    m_form->GoBack();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("خاص")));
    ModalDriver::whenModal([](QWidget* modal) {
        auto* prompt = qobject_cast<DirPass*>(modal);
        prompt->tpass->setText(QStringLiteral("1234"));
        prompt->command1->click();
    });
    m_form->openSelectedDirectory();
    controls(*m_form).infolist->selectRow(0);
    m_boxes->answer(MessageBox::Yes);
    controls(*m_form).menus->cmdel->trigger();
    inTrash([&](TrashWindow* window) {
        QCOMPARE(window->list->topLevelItem(0)->text(0), QStringLiteral("(من دليل مقفل)"));
        window->list->topLevelItem(0)->setSelected(true);
        ModalDriver::whenModal([](QWidget* modal) {
            auto* prompt = qobject_cast<DirPass*>(modal);
            QVERIFY(prompt);
            prompt->tpass->setText(QStringLiteral("خطأ"));
            prompt->command1->click();
        });
        window->cmdRestore->click();
        QCOMPARE(window->list->topLevelItemCount(), 1);
    });
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = 'سر'")), QStringLiteral("0"));

    // The lock changed, then removed: the trash keeps no password that no longer guards anything.
    m_form->GoBack();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("خاص")));
    QVERIFY(DirectoryPasswords::write(*m_form, QStringLiteral("5678")));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(lockpass) FROM qav_trash")), QStringLiteral("5678"));
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("خاص")));
    QVERIFY(DirectoryPasswords::write(*m_form, Directory::unlocked()));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(lockpass) FROM qav_trash")), Directory::unlocked());
}

void TestTrash::emptyingAndThirtyDays()
{
    deleteContact(QStringLiteral("سارة"));
    deleteContact(QStringLiteral("علي"));
    // One of them deleted 31 days ago: gone when the trash is next looked at.
    QVERIFY(m_db->reader()
                .execute(QStringLiteral("UPDATE qav_trash SET deleted = deleted - 31 * 86400 WHERE name = 'علي'"))
                .ok);
    inTrash([&](TrashWindow* window) {
        QCOMPARE(window->list->topLevelItemCount(), 1);
        m_boxes->answer(MessageBox::No);
        window->cmdEmpty->click();
        QCOMPARE(window->list->topLevelItemCount(), 1);
        m_boxes->answer(MessageBox::Yes);
        window->cmdEmpty->click();
        QCOMPARE(m_boxes->last().title, QStringLiteral("تأكيد حذف"));
        QCOMPARE(window->list->topLevelItemCount(), 0);
        QVERIFY(!window->cmdRestoreAll->isEnabled());
    });
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM qav_trash")), QStringLiteral("0"));
    // The contacts table never held anything of the trash.
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("0"));
}

void TestTrash::aDirectoryDeletedWithItsContactsComesBack()
{
    const QString row =
        QStringLiteral("SELECT group_concat(quote(name)||quote(hometel)||quote(jobtel)||quote(mobil)||"
                       "quote(fax)||quote(address)||quote(email)||quote(org)||quote(moreinfo)||%1, '|') "
                       "FROM (SELECT rowid, * FROM info WHERE dir = (SELECT code FROM dirg WHERE "
                       "dirname = 'العائلة' AND pass = '1234') ORDER BY name) info")
            .arg(kMoreValues);
    m_db->addContact(QStringLiteral("سمير"), m_family, {QStringLiteral("0155")});
    QVERIFY(m_db->reader().execute(QStringLiteral("UPDATE dirg SET pass = '1234' WHERE code = ?"), {m_family}).ok);
    const QString before = m_db->scalar(row);
    QVERIFY(before.contains(QStringLiteral("سمير")) && before.contains(QStringLiteral("سارة")));
    m_form->takeInOutsideChanges();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    auto typePassword = [](QWidget* modal) {
        auto* prompt = qobject_cast<DirPass*>(modal);
        QVERIFY(prompt);
        prompt->tpass->setText(QStringLiteral("1234"));
        prompt->command1->click();
    };
    ModalDriver::whenModal(typePassword);
    m_boxes->answer(MessageBox::Yes);
    QAction* deleteAll = controls(*m_form).menus->item(QStringLiteral("dirdelall"));
    QVERIFY(deleteAll && deleteAll->text() == QStringLiteral("حذف الدليل بما فيه..."));
    deleteAll->trigger();
    QVERIFY(m_boxes->last().text.contains(QStringLiteral("(2)")));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg WHERE dirname = 'العائلة'")), QStringLiteral("0"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM qav_trash WHERE lockpass = '1234'")),
             QStringLiteral("2"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("1"));

    // Taken back at once: the directory with its password and both contacts, byte for byte.
    QAction* undo = m_form->findChild<QAction*>(QStringLiteral("undo"));
    QCOMPARE(undo->text(), QStringLiteral("تراجع عن حذف الدليل «العائلة» بما فيه"));
    undo->trigger();
    QCOMPARE(m_db->scalar(row), before);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM qav_trash")), QStringLiteral("0"));
    m_form->findChild<QAction*>(QStringLiteral("redo"))->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("1"));

    // From the trash: the password asked once, the directory made again under its name.
    inTrash([&](TrashWindow* window) {
        QCOMPARE(window->list->topLevelItemCount(), 2);
        QCOMPARE(window->list->topLevelItem(0)->text(0), QStringLiteral("(من دليل مقفل)"));
        QString offered;
        ModalDriver::whenModal([&](QWidget* modal) {
            typePassword(modal);
            ModalDriver::whenModal([&](QWidget* next) {
                auto* choice = qobject_cast<QInputDialog*>(next);
                QVERIFY(choice);
                QVERIFY(choice->labelText().contains(QStringLiteral("جهات الاتصال (2)")));
                offered = choice->comboBoxItems().value(0);
                choice->setTextValue(offered);
                choice->accept();
            });
        });
        window->cmdRestoreAll->click();
        QCOMPARE(offered, QStringLiteral("العائلة (دليل جديد بنفس الاسم)"));
        QCOMPARE(window->list->topLevelItemCount(), 0);
    });
    QCOMPARE(m_db->scalar(row), before);
    QCOMPARE(controls(*m_form).infodirlist->count(), 2);
}

QTEST_MAIN(TestTrash)
#include "tst_trash.moc"
