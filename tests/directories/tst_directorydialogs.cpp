// Adding, renaming, locking and unlocking directories, and opening a locked one.
#include "AppLook.h"
#include "DirDelPass.h"
#include "DirEdit.h"
#include "DirPass.h"
#include "DirSetPass.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "RecordListView.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinStatusBar.h"
#include "SkinTextBox.h"
#include "SkinToolBar.h"
#include "SoundPlayer.h"
#include "SyncStore.h"
#include "TestDatabase.h"
#include "ToolbarCommand.h"
#include "WindowTestFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

#include <sqlite3.h>

namespace
{

template <typename Dialog> void whenUp(std::function<void(Dialog*)> act)
{
    ModalDriver::whenModal([act](QWidget* modal) {
        auto* dialog = qobject_cast<Dialog*>(modal);
        QVERIFY2(dialog, "another window came up");
        act(dialog);
    });
}

} // namespace

class TestDirectoryDialogs : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void lockThenOpenWithRightAndWrongPasswords();
    void setPasswordChecksWithFocus();
    void aDirectoryLinkedToAServerIsNotLocked();
    void unlockWrongThenRight();
    void secIsOfferedOnlyOnAFilledDirectoryList();
    void addTrimsAndRestoresTheFullList();
    void addRefusesEmptyBlankAndTakenNames();
    void renameKeepsContactsAndPasswordAndDoesNotTrim();
    void renameOntoATakenNameIsRefused();
    void nameBoxTakesFortyCharacters();
    void hostileNamesAndPasswordsAreKeptAsTyped();
    void duplicateNamesFromAnotherToolStayApart();
    void refusedUnlockIsReportedAsAFailure();
    void commandsNeedASelectedDirectory();

private:
    void start();
    void select(const QString& name);
    QString m_work;
};

void TestDirectoryDialogs::initTestCase()
{
    prepareApplication();
}

void TestDirectoryDialogs::init()
{
    openFixture();
    m_work = m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addDirectory(QStringLiteral("النادي"));
    m_db->addContact(QStringLiteral("زميل"), m_work);
}

void TestDirectoryDialogs::cleanup()
{
    closeFixture();
}

void TestDirectoryDialogs::start()
{
    m_form = MainWindowUser::start();
}

void TestDirectoryDialogs::select(const QString& name)
{
    QVERIFY2(MainWindowUser::clickDirectory(*m_form, name), qPrintable(name));
}

void TestDirectoryDialogs::lockThenOpenWithRightAndWrongPasswords()
{
    start();
    select(QStringLiteral("العمل"));
    whenUp<DirSetPass>([](DirSetPass* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("تأمين العمل"));
        d->tpass1->setText(QStringLiteral("Sesame"));
        d->tpass2->setText(QStringLiteral("Sesame"));
        d->CmdSave->click();
    });
    controls(*m_form).menus->sec->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT pass FROM dirg WHERE code = ?"), {m_work}), QStringLiteral("Sesame"));
    QCOMPARE(m_boxes->count(), 0); // no confirmation

    // A wrong password (here differing only in case) closes the prompt and nothing opens.
    select(QStringLiteral("العمل"));
    whenUp<DirPass>([](DirPass* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("رمز الحماية"));
        d->tpass->setText(QStringLiteral("sesame"));
        d->command1->click();
    });
    m_form->openSelectedDirectory();
    QCOMPARE(int(m_form->viewState()), 0);
    QCOMPARE(m_boxes->count(), 0);

    whenUp<DirPass>([](DirPass* d) {
        d->tpass->setText(QStringLiteral("Sesame"));
        d->command1->click();
    });
    m_form->openSelectedDirectory();
    QCOMPARE(int(m_form->viewState()), 1);
    QCOMPARE(controls(*m_form).infolist->count(), 1);
}

void TestDirectoryDialogs::setPasswordChecksWithFocus()
{
    start();
    select(QStringLiteral("النادي"));
    QStringList messages;
    whenUp<DirSetPass>([&](DirSetPass* d) {
        QApplication::setActiveWindow(d);
        auto press = [&](const QString& one, const QString& two, QWidget* focus) {
            d->tpass1->setText(one);
            d->tpass2->setText(two);
            d->CmdSave->click();
            messages << m_boxes->last().text;
            QCOMPARE(m_boxes->last().flags, int(MessageBox::RtlReading | MessageBox::Exclamation));
            QCOMPARE(m_boxes->last().title, QStringLiteral("انتبه"));
            QVERIFY(!m_boxes->last().arabicCaptions);
            QVERIFY(focus->hasFocus());
            QVERIFY(d->isVisible());
        };
        press(QString(), QString(), d->tpass1);
        press(QStringLiteral("abc"), QStringLiteral("abc"), d->tpass1);
        press(QStringLiteral("abcd"), QString(), d->tpass2);
        press(QStringLiteral("abcd"), QStringLiteral("abce"), d->tpass2);
        d->tpass2->setText(QStringLiteral("abcd"));
        d->CmdSave->click(); // four characters are enough
    });
    controls(*m_form).menus->sec->trigger();
    QCOMPARE(messages,
             (QStringList{QStringLiteral("من فضلك أدخل رمز الحماية"),
                          QStringLiteral("يجب ألا يقل رمز الحماية عن أربعة حروف أو ارقام"),
                          QStringLiteral("من فضلك اعد كتابة رمز الحماية"), QStringLiteral("رمز الحماية غير متطابق")}));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT pass FROM dirg WHERE dirname = ?"), {QStringLiteral("النادي")}),
             QStringLiteral("abcd"));
}

void TestDirectoryDialogs::aDirectoryLinkedToAServerIsNotLocked()
{
    SyncLink link;
    link.dir = m_work;
    link.book = QStringLiteral("https://example.org/dav/book/");
    QVERIFY(SyncStore(m_db->reader()).saveLink(link));
    start();
    select(QStringLiteral("العمل"));
    bool seen = false;
    whenUp<DirSetPass>([&](DirSetPass* d) {
        seen = true;
        d->tpass1->setText(QStringLiteral("Sesame"));
        d->tpass2->setText(QStringLiteral("Sesame"));
        d->CmdSave->click();
        QCOMPARE(m_boxes->count(), 1);
        QVERIFY(m_boxes->last().text.contains(QStringLiteral("ألغ الربط")));
        d->reject();
    });
    controls(*m_form).menus->sec->trigger();
    QVERIFY(seen);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT pass FROM dirg WHERE code = ?"), {m_work}), QStringLiteral("0"));
}

void TestDirectoryDialogs::unlockWrongThenRight()
{
    (void)m_db->reader().execute(QStringLiteral("UPDATE dirg SET pass = 'Key1' WHERE code = ?"), {m_work});
    start();
    select(QStringLiteral("العمل"));
    whenUp<DirDelPass>([&](DirDelPass* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("إلغاء تأمين العمل"));
        d->tpass->setText(QStringLiteral("key1"));
        d->command1->click();
        QCOMPARE(m_boxes->last().text, QStringLiteral("رمز الحماية غير صحيح"));
        QVERIFY(d->isVisible());
        d->tpass->setText(QStringLiteral("Key1"));
        d->command1->click();
    });
    controls(*m_form).menus->sec->trigger();
    QCOMPARE(m_boxes->last().text, QStringLiteral("تم إلغاء رمز الحماية"));
    QCOMPARE(m_boxes->last().title, QStringLiteral("QAV Telephone"));
    QCOMPARE(m_boxes->last().flags, int(MessageBox::RtlReading | MessageBox::Information));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT pass FROM dirg WHERE code = ?"), {m_work}), QStringLiteral("0"));
    // It now opens without a prompt.
    select(QStringLiteral("العمل"));
    m_form->openSelectedDirectory();
    QCOMPARE(int(m_form->viewState()), 1);
}

void TestDirectoryDialogs::secIsOfferedOnlyOnAFilledDirectoryList()
{
    start();
    emit controls(*m_form).menus->mnutools->aboutToShow();
    QVERIFY(controls(*m_form).menus->sec->isEnabled());
    select(QStringLiteral("العمل"));
    m_form->openSelectedDirectory();
    emit controls(*m_form).menus->mnutools->aboutToShow();
    QVERIFY(!controls(*m_form).menus->sec->isEnabled());
    m_form.reset();
    m_db = std::make_unique<TestDatabase>();
    start();
    emit controls(*m_form).menus->mnutools->aboutToShow();
    QVERIFY(!controls(*m_form).menus->sec->isEnabled());
}

void TestDirectoryDialogs::addTrimsAndRestoresTheFullList()
{
    start();
    controls(*m_form).txtSearch->setText(QStringLiteral("نادي"));
    m_form->searchCommand();
    QCOMPARE(controls(*m_form).infodirlist->count(), 1);
    whenUp<DirEdit>([](DirEdit* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("دليل جديد"));
        QVERIFY(d->dir_name->text().isEmpty());
        d->dir_name->setText(QStringLiteral("  الأطباء  "));
        d->CmdSave->click();
    });
    controls(*m_form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Add))->click();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT pass FROM dirg WHERE dirname = ?"), {QStringLiteral("الأطباء")}),
             QStringLiteral("0"));
    QCOMPARE(controls(*m_form).infodirlist->count(), 3);
    QCOMPARE(controls(*m_form).statbar->panelText(2), QStringLiteral("عدد الأدلة   3 دليل"));
}

void TestDirectoryDialogs::addRefusesEmptyBlankAndTakenNames()
{
    start();
    whenUp<DirEdit>([&](DirEdit* d) {
        d->CmdSave->click();
        QCOMPARE(m_boxes->last().text, QStringLiteral("من فضلك أدخل اسم الدليل"));
        QCOMPARE(m_boxes->last().flags, int(MessageBox::Arabic | MessageBox::Information));
        QVERIFY(m_boxes->last().arabicCaptions);
        d->dir_name->setText(QStringLiteral("   "));
        d->CmdSave->click();
        QCOMPARE(m_boxes->last().text, QStringLiteral("من فضلك أدخل اسم الدليل"));
        d->dir_name->setText(QStringLiteral(" العمل "));
        d->CmdSave->click();
        QCOMPARE(m_boxes->last().title, QStringLiteral("انتبه"));
        QVERIFY(m_boxes->last().text.contains(QStringLiteral("يوجد دليل آخر بهذا الاسم")));
        QVERIFY(d->isVisible());
        QCOMPARE(d->dir_name->text(), QStringLiteral(" العمل "));
        d->cmdCancel->click();
    });
    controls(*m_form).menus->dirmnuadd->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("2"));
}

void TestDirectoryDialogs::renameKeepsContactsAndPasswordAndDoesNotTrim()
{
    (void)m_db->reader().execute(QStringLiteral("UPDATE dirg SET pass = 'Key1' WHERE code = ?"), {m_work});
    start();
    select(QStringLiteral("العمل"));
    whenUp<DirEdit>([](DirEdit* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("إعادة تسمية: العمل"));
        QCOMPARE(d->dir_name->text(), QStringLiteral("العمل"));
        d->dir_name->setText(QStringLiteral(" الشغل "));
        d->CmdSave->click();
    });
    controls(*m_form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Edit))->click();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT dirname || '|' || pass FROM dirg WHERE code = ?"), {m_work}),
             QStringLiteral(" الشغل |Key1"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {m_work}), QStringLiteral("1"));
    // Renaming onto its own name changes nothing and is allowed.
    select(QStringLiteral(" الشغل "));
    whenUp<DirEdit>([](DirEdit* d) { d->CmdSave->click(); });
    controls(*m_form).menus->dirmnuren->trigger();
    QCOMPARE(m_boxes->count(), 0);
}

void TestDirectoryDialogs::renameOntoATakenNameIsRefused()
{
    start();
    select(QStringLiteral("النادي"));
    whenUp<DirEdit>([&](DirEdit* d) {
        d->dir_name->setText(QStringLiteral("العمل"));
        d->CmdSave->click();
        QCOMPARE(m_boxes->last().title, QStringLiteral("انتبه"));
        QVERIFY(d->isVisible());
        d->reject();
    });
    controls(*m_form).menus->dirmnuren->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg WHERE dirname = ?"), {QStringLiteral("النادي")}),
             QStringLiteral("1"));
}

void TestDirectoryDialogs::nameBoxTakesFortyCharacters()
{
    start();
    DirEdit dialog(*m_form);
    QCOMPARE(dialog.dir_name->maxLength(), 40);
    dialog.dir_name->setText(QString(50, QLatin1Char('x')));
    QCOMPARE(dialog.dir_name->text().size(), 40);
    DirSetPass lock(*m_form);
    QCOMPARE(lock.tpass1->maxLength(), 10);
    QCOMPARE(lock.tpass1->echoMode(), QLineEdit::Password);
    QCOMPARE(lock.tpass1->backColor(), quint32(0xF3F3F3));
}

void TestDirectoryDialogs::hostileNamesAndPasswordsAreKeptAsTyped()
{
    start();
    const QString name = QStringLiteral("O'Neil \"x\" ' OR '1'='1");
    whenUp<DirEdit>([&](DirEdit* d) {
        d->dir_name->setText(name);
        d->CmdSave->click();
    });
    controls(*m_form).menus->dirmnuadd->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("3"));
    select(name);
    whenUp<DirSetPass>([](DirSetPass* d) {
        d->tpass1->setText(QStringLiteral("a'b\"c--"));
        d->tpass2->setText(QStringLiteral("a'b\"c--"));
        d->CmdSave->click();
    });
    controls(*m_form).menus->sec->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT pass FROM dirg WHERE dirname = ?"), {name}),
             QStringLiteral("a'b\"c--"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg WHERE pass = '0'")), QStringLiteral("2"));
}

void TestDirectoryDialogs::duplicateNamesFromAnotherToolStayApart()
{
    // A file made elsewhere, without the unique index, holding two directories of one name.
    m_db = std::make_unique<TestDatabase>(false);
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(m_db->path().toUtf8().constData(), &raw), SQLITE_OK);
    sqlite3_key(raw, "tor$kq$wvl$8$1947", 17);
    const char* script =
        "CREATE TABLE dirg (dirname TEXT, code INTEGER PRIMARY KEY AUTOINCREMENT, pass TEXT);"
        "CREATE TABLE info (name TEXT UNIQUE, hometel TEXT, jobtel TEXT, mobil TEXT, fax TEXT, address TEXT,"
        " email TEXT, org TEXT, moreinfo TEXT, dir TEXT);"
        "INSERT INTO dirg (dirname, pass) VALUES ('توأم', '0'), ('توأم', '0');"
        "INSERT INTO info VALUES ('باقي', '', '', '', '', '', '', '', '', '1');";
    QCOMPARE(sqlite3_exec(raw, script, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    start();
    QCOMPARE(controls(*m_form).infodirlist->count(), 2);
    // Select the empty twin (code 2) and lock it: the other stays unlocked.
    RecordListView* list = controls(*m_form).infodirlist;
    const int empty = list->subItem(0, 1) == QStringLiteral("2") ? 0 : 1;
    list->selectRow(empty);
    whenUp<DirSetPass>([](DirSetPass* d) {
        d->tpass1->setText(QStringLiteral("abcd"));
        d->tpass2->setText(QStringLiteral("abcd"));
        d->CmdSave->click();
    });
    controls(*m_form).menus->sec->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(pass) FROM (SELECT pass FROM dirg ORDER BY code)")),
             QStringLiteral("0,abcd"));
    // Delete the empty twin: the one with the contact stays, and so does its contact.
    const int emptyAgain = list->subItem(0, 1) == QStringLiteral("2") ? 0 : 1;
    list->selectRow(emptyAgain);
    m_boxes->answer(MessageBox::Yes);
    controls(*m_form).menus->dirmnudel->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(code) FROM dirg")), QStringLiteral("1"));
    QCOMPARE(controls(*m_form).infodirlist->count(), 1);
    list->selectRow(0);
    m_form->Opendir();
    QCOMPARE(controls(*m_form).infolist->count(), 1);
}

void TestDirectoryDialogs::refusedUnlockIsReportedAsAFailure()
{
    (void)m_db->reader().execute(QStringLiteral("UPDATE dirg SET pass = 'Key1' WHERE code = ?"), {m_work});
    start();
    select(QStringLiteral("العمل"));
    // Another program removes the directory while the dialog is open.
    whenUp<DirDelPass>([&](DirDelPass* d) {
        (void)m_db->reader().execute(QStringLiteral("DELETE FROM dirg WHERE code = ?"), {m_work});
        d->tpass->setText(QStringLiteral("Key1"));
        d->command1->click();
        QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
        QVERIFY(m_boxes->last().text != QStringLiteral("تم إلغاء رمز الحماية"));
        d->reject();
    });
    controls(*m_form).menus->sec->trigger();
    for (const MessageBoxRequest& box : m_boxes->shown())
        QVERIFY(box.text != QStringLiteral("تم إلغاء رمز الحماية"));
}

void TestDirectoryDialogs::commandsNeedASelectedDirectory()
{
    start();
    // Ctrl+click takes the selection away: open, rename, delete and lock do nothing.
    select(QStringLiteral("العمل"));
    QAbstractItemView* view = controls(*m_form).infodirlist->activeView();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      view->visualRect(view->model()->index(controls(*m_form).infodirlist->selectedRow(), 0)).center());
    QCOMPARE(controls(*m_form).infodirlist->selectedRow(), -1);
    bool opened = false;
    ModalDriver::watchForModal([&](QWidget*) { opened = true; }, 300);
    controls(*m_form).menus->dirmnuopen->trigger();
    controls(*m_form).menus->dirmnuren->trigger();
    controls(*m_form).menus->dirmnudel->trigger();
    controls(*m_form).menus->sec->trigger();
    QTest::qWait(400);
    QVERIFY(!opened);
    QCOMPARE(int(m_form->viewState()), 0);
    QCOMPARE(m_boxes->count(), 0);

    // A rename of a directory that went meanwhile is reported, never taken for done.
    select(QStringLiteral("العمل"));
    whenUp<DirEdit>([&](DirEdit* d) {
        (void)m_db->reader().execute(QStringLiteral("DELETE FROM dirg WHERE code = ?"), {m_work});
        d->dir_name->setText(QStringLiteral("جديد"));
        d->CmdSave->click();
        QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("عفوا .. لم يتم حفظ الدليل")));
        QVERIFY(d->isVisible());
        d->reject();
    });
    controls(*m_form).menus->dirmnuren->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg WHERE dirname = ?"), {QStringLiteral("جديد")}),
             QStringLiteral("0"));
}

QTEST_MAIN(TestDirectoryDialogs)
#include "tst_directorydialogs.moc"
