// Deleting a directory from the directory list: refused while it holds contacts, asked otherwise.
#include "AppLook.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "RecordListView.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinStatusBar.h"
#include "SkinToolBar.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "ToolbarCommand.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QToolButton>
#include <QtTest>

class TestDirectoryDelete : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void directoryWithContactsIsRefusedWithItsCount();
    void emptyDirectoryIsAskedAndDeleted();
    void answeringNoKeepsIt();
    void lockedEmptyDirectoryNeedsNoPassword();
    void nothingHappensWithoutListOrPane();

private:
    MainForm& start();
    void select(const QString& name);
};

void TestDirectoryDelete::initTestCase()
{
    prepareApplication();
}

void TestDirectoryDelete::init()
{
    openFixture();
}

void TestDirectoryDelete::cleanup()
{
    closeFixture();
}

MainForm& TestDirectoryDelete::start()
{
    m_form = MainWindowUser::start();
    return *m_form;
}

void TestDirectoryDelete::select(const QString& name)
{
    for (int row = 0; row < controls(*m_form).infodirlist->count(); ++row)
        if (controls(*m_form).infodirlist->itemText(row) == name)
            return controls(*m_form).infodirlist->selectRow(row);
    QFAIL("no such directory");
}

void TestDirectoryDelete::directoryWithContactsIsRefusedWithItsCount()
{
    const QString full = m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addDirectory(QStringLiteral("العائلة"));
    for (const char* name : {"أ", "ب", "ت"})
        m_db->addContact(QString::fromUtf8(name), full);
    MainForm& form = start();
    select(QStringLiteral("العمل"));
    controls(form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Delete))->click(); // "حذف" acts on directories
                                                                                           // while the list is shown
    QCOMPARE(m_boxes->count(), 1);
    const MessageBoxRequest box = m_boxes->last();
    QCOMPARE(box.text, QStringLiteral("عفوا .. لا يمكنك حذف الدليل حيث أنه يحتوى على 3  ملف يجب عليك حذفهم أولا"));
    QCOMPARE(box.title, QStringLiteral("انتبه"));
    QCOMPARE(box.flags, int(MessageBox::RtlReading | MessageBox::Information));
    QVERIFY(box.arabicCaptions);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("2"));
    QCOMPARE(controls(form).infodirlist->count(), 2);
}

void TestDirectoryDelete::emptyDirectoryIsAskedAndDeleted()
{
    m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addDirectory(QStringLiteral("فارغ"));
    MainForm& form = start();
    QCOMPARE(controls(form).statbar->panelText(2), QStringLiteral("عدد الأدلة   2 دليل"));
    select(QStringLiteral("فارغ"));
    m_boxes->answer(MessageBox::Yes);
    controls(form).menus->dirmnudel->trigger();
    const MessageBoxRequest box = m_boxes->last();
    QCOMPARE(box.text, QStringLiteral("هل تريد بالتأكيد حذف : فارغ"));
    QCOMPARE(box.title, QStringLiteral("تأكيد حذف"));
    QCOMPARE(box.flags, int(MessageBox::Arabic | MessageBox::Exclamation | MessageBox::YesNo));
    QVERIFY(box.arabicCaptions);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg WHERE dirname = ?"), {QStringLiteral("فارغ")}),
             QStringLiteral("0"));
    QCOMPARE(controls(form).infodirlist->count(), 1);
    QCOMPARE(controls(form).statbar->panelText(2), QStringLiteral("عدد الأدلة   1 دليل"));
    // The wrap ended with the box: the next box has the platform's captions.
    QVERIFY(!MessageBox::arabicCaptionsArmed());
}

void TestDirectoryDelete::answeringNoKeepsIt()
{
    m_db->addDirectory(QStringLiteral("فارغ"));
    MainForm& form = start();
    select(QStringLiteral("فارغ"));
    m_boxes->answer(MessageBox::No);
    // The Delete key asks as the menu does.
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(controls(form).infodirlist, Qt::Key_Delete);
    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->last().text, QStringLiteral("هل تريد بالتأكيد حذف : فارغ"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("1"));
    QCOMPARE(controls(form).infodirlist->count(), 1);
}

void TestDirectoryDelete::lockedEmptyDirectoryNeedsNoPassword()
{
    m_db->addDirectory(QStringLiteral("سري"), QStringLiteral("abcd"));
    MainForm& form = start();
    bool asked = false;
    form.setPasswordPrompt([&](MainForm&, const QString&) { asked = true; });
    select(QStringLiteral("سري"));
    m_boxes->answer(MessageBox::Yes);
    controls(form).menus->dirmnudel->trigger();
    QVERIFY(!asked);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("0"));
    QCOMPARE(controls(form).statbar->panelText(2), QStringLiteral("عدد الأدلة   0 دليل"));
}

void TestDirectoryDelete::nothingHappensWithoutListOrPane()
{
    MainForm& form = start();
    controls(form).menus->dirmnudel->trigger();
    QCOMPARE(m_boxes->count(), 0);
    m_form.reset();
    m_db->addDirectory(QStringLiteral("د"));
    MainForm& second = start();
    second.closeListPane();
    controls(second).menus->dirmnudel->trigger();
    QCOMPARE(m_boxes->count(), 0);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("1"));
}

QTEST_MAIN(TestDirectoryDelete)
#include "tst_directorydelete.moc"
