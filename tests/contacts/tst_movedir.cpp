// Moving a contact to another directory through the move window.
#include "AppLook.h"
#include "ContactDrag.h"
#include "DragAndDrop.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "MoveDir.h"
#include "RecordListModel.h"
#include "RecordListView.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinStatusBar.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "WindowTestFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QtTest>

#include <sys/stat.h>

class TestMoveDir : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listLeavesOutTheContactsDirectory();
    void moveWithoutAClickKeepsTheContact();
    void nothingSelectedMovesNothing();
    void twoClicksThenMoveGoesToTheSecond();
    void closeChangesNothing();
    void onlyDirectoryGivesAnEmptyList();
    void directoryGoneMeanwhileIsReported();
    void contactsDraggedOutCarryACardAndDroppedOnADirectoryMove();

private:
    void clickRow(MoveDir* window, const QString& name);
    QString m_family, m_work, m_club;
};

void TestMoveDir::initTestCase()
{
    prepareApplication();
}

void TestMoveDir::init()
{
    openFixture();
    m_family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_work = m_db->addDirectory(QStringLiteral("العمل"));
    m_club = m_db->addDirectory(QStringLiteral("النادي"));
    m_db->addContact(QStringLiteral("O'Hara"), m_family);
    m_db->addContact(QStringLiteral("هدى"), m_family);
    m_form = MainWindowUser::start();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    for (int row = 0; row < controls(*m_form).infolist->count(); ++row)
        if (controls(*m_form).infolist->itemText(row) == QStringLiteral("O'Hara"))
            controls(*m_form).infolist->selectRow(row);
}

void TestMoveDir::cleanup()
{
    closeFixture();
}

void TestMoveDir::clickRow(MoveDir* window, const QString& name)
{
    RecordListView* list = window->list;
    QApplication::setActiveWindow(window);
    for (int row = 0; row < list->count(); ++row) {
        if (list->itemText(row) == name) {
            QAbstractItemView* view = list->activeView();
            view->doItemsLayout();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(list->model()->index(row, 0)).center());
            return;
        }
    }
    QFAIL("no such directory in the move list");
}

void TestMoveDir::listLeavesOutTheContactsDirectory()
{
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<MoveDir*>(modal);
        QCOMPARE(window->windowTitle(), QStringLiteral("نقل بيانات : O'Hara"));
        QCOMPARE(window->SkinButton2->caption(), QStringLiteral("نقل إلى"));
        QCOMPARE(window->CmdSave->caption(), QStringLiteral("نقل"));
        QCOMPARE(window->list->count(), 2);
        QCOMPARE(window->list->itemText(0), QStringLiteral("العمل"));
        QCOMPARE(window->list->itemText(1), QStringLiteral("النادي"));
        QCOMPARE(window->list->selectedRow(), -1); // nothing chosen yet
        QCOMPARE(window->dir->text(), m_family);
        window->reject();
    });
    controls(*m_form).menus->movemag->trigger();
    // The filter stays on the shared recordset until the directory list is shown again.
    QCOMPARE(SharedData::directories().recordCount(), qsizetype(2));
    m_form->GoBack();
    QCOMPARE(SharedData::directories().recordCount(), qsizetype(3));
}

void TestMoveDir::moveWithoutAClickKeepsTheContact()
{
    ModalDriver::whenModal([](QWidget* modal) { qobject_cast<MoveDir*>(modal)->CmdSave->click(); });
    controls(*m_form).menus->movemag->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT dir FROM info WHERE name = ?"), {QStringLiteral("O'Hara")}), m_family);
    QCOMPARE(controls(*m_form).infolist->count(), 2);
    QCOMPARE(m_boxes->count(), 0);
}

void TestMoveDir::nothingSelectedMovesNothing()
{
    // Another tool left a contact without a name in the list; no contact is selected.
    QVERIFY(m_db->reader().execute(QStringLiteral("INSERT INTO info (name, dir) VALUES ('', ?)"), {m_family}));
    m_form->refreshAfterWrite(BookChange::Contacts);
    controls(*m_form).infolist->activeView()->selectionModel()->clear();
    bool opened = false;
    ModalDriver::watchForModal(
        [&](QWidget* modal) {
            opened = true;
            qobject_cast<MoveDir*>(modal)->CmdSave->click();
        },
        300);
    controls(*m_form).menus->movemag->trigger();
    QTest::qWait(400);
    QVERIFY(!opened);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {m_family}), QStringLiteral("3"));
}

void TestMoveDir::twoClicksThenMoveGoesToTheSecond()
{
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<MoveDir*>(modal);
        clickRow(window, QStringLiteral("العمل"));
        QCOMPARE(window->dir->text(), m_work);
        clickRow(window, QStringLiteral("النادي"));
        window->CmdSave->click();
    });
    controls(*m_form).menus->movemag->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT dir FROM info WHERE name = ?"), {QStringLiteral("O'Hara")}), m_club);
    QCOMPARE(controls(*m_form).infolist->count(), 1);
    QCOMPARE(controls(*m_form).statbar->panelText(2), QStringLiteral("يتضمن الدليل الحالى    1  بيان"));
    m_form->GoBack();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("النادي")));
    m_form->openSelectedDirectory();
    QCOMPARE(controls(*m_form).infolist->itemText(0), QStringLiteral("O'Hara"));
}

void TestMoveDir::closeChangesNothing()
{
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<MoveDir*>(modal);
        clickRow(window, QStringLiteral("العمل"));
        window->cmdCancel->click();
    });
    controls(*m_form).menus->movemag->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT dir FROM info WHERE name = ?"), {QStringLiteral("O'Hara")}), m_family);
    QCOMPARE(controls(*m_form).infolist->count(), 2);
}

void TestMoveDir::onlyDirectoryGivesAnEmptyList()
{
    m_form.reset();
    m_db = std::make_unique<TestDatabase>();
    const QString only = m_db->addDirectory(QStringLiteral("وحيد"));
    m_db->addContact(QStringLiteral("x"), only);
    m_form = MainWindowUser::start();
    controls(*m_form).infodirlist->selectRow(0);
    m_form->Opendir();
    ModalDriver::whenModal([](QWidget* modal) {
        auto* window = qobject_cast<MoveDir*>(modal);
        QCOMPARE(window->list->count(), 0);
        window->CmdSave->click();
    });
    controls(*m_form).menus->movemag->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT dir FROM info")), only);
}

void TestMoveDir::directoryGoneMeanwhileIsReported()
{
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<MoveDir*>(modal);
        clickRow(window, QStringLiteral("العمل"));
        // Another copy of the program deletes the target before "نقل".
        (void)m_db->reader().execute(QStringLiteral("DELETE FROM dirg WHERE code = ?"), {m_work});
        window->CmdSave->click();
    });
    controls(*m_form).menus->movemag->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT dir FROM info WHERE name = ?"), {QStringLiteral("O'Hara")}), m_family);
    QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
    QCOMPARE(controls(*m_form).infolist->count(), 2);
}

void TestMoveDir::contactsDraggedOutCarryACardAndDroppedOnADirectoryMove()
{
    controls(*m_form).infolist->activeView()->selectAll();
    const std::unique_ptr<QMimeData> dragged(m_form->contactDragData(m_form->chosenContacts()));
    QVERIFY(dragged);
    // For other programs: the cards, and the same bytes in a file only the user can read.
    const QByteArray card = dragged->data(QStringLiteral("text/vcard"));
    QVERIFY(card.contains("FN:O'Hara") && card.contains("FN:\xd9\x87\xd8\xaf\xd9\x89"));
    QCOMPARE(dragged->urls().size(), 1);
    const QString path = dragged->urls().constFirst().toLocalFile();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), card);
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("جهات اتصال.vcf"));
    struct stat info {
    };
    QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    QVERIFY(::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 0777, 0700u);
    QCOMPARE(ContactDrag::fileName({{QStringLiteral("../.\u202eevil/x")}}), QStringLiteral("_.evil_x.vcf"));

    m_form->GoBack();
    // Never onto their own directory, and never what only claims to come from this window.
    QVERIFY(!MainWindowUser::dropOnDirectory(*m_form, QStringLiteral("العائلة"), *dragged));
    QMimeData forged;
    QByteArray bytes;
    QDataStream(&bytes, QIODevice::WriteOnly)
        << QCoreApplication::applicationPid() + 1 << m_family << QStringList{QStringLiteral("هدى")};
    forged.setData(QString::fromLatin1(DragAndDrop::kContactsFormat), bytes);
    QVERIFY(!MainWindowUser::dropOnDirectory(*m_form, QStringLiteral("العمل"), forged));
    // Said no to, nothing moves.
    m_boxes->clear();
    m_boxes->answer(MessageBox::No);
    QVERIFY(MainWindowUser::dropOnDirectory(*m_form, QStringLiteral("العمل"), *dragged));
    QTRY_COMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->last().text, QStringLiteral("هل تريد نقل 2 من جهات الاتصال إلى الدليل \u2068العمل\u2069 ؟"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {m_family}), QStringLiteral("2"));
    // Said yes to, both move in one step that one undo takes back.
    QVERIFY(MainWindowUser::dropOnDirectory(*m_form, QStringLiteral("العمل"), *dragged));
    QTRY_COMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {m_work}),
                 QStringLiteral("2"));
    QVERIFY(m_form->undoHistory().undo().ok);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {m_family}), QStringLiteral("2"));
}

QTEST_MAIN(TestMoveDir)
#include "tst_movedir.moc"
