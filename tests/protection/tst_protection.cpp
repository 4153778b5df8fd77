// A master password for the whole book: re-keying never loses a contact and leaves a book that
// only the password opens; a protected book asks for it before anything shows; giving up leaves
// the file as it was.
#include "AutoLock.h"
#include "BookPasswordDialog.h"
#include "BookProtectionWindow.h"
#include "BookRekey.h"
#include "BookSearchWindow.h"
#include "Editor.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "Preferences.h"
#include "RecordListView.h"
#include "Schema.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinLabel.h"
#include "SkinStatusBar.h"
#include "SkinTextBox.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include <sys/prctl.h>

namespace
{

const QString kMaster = QStringLiteral("سر الدفتر 2026");
const QString kStandard = QString::fromLatin1(Schema::kPassword);

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the stock sqlcipher shell reads with a key, as the README tells to give it (a master
// password with its documented derivation): the contact count, or its error.
QString shellCount(const QString& path, const QString& key)
{
    const QString settings = key == kStandard ? QString() : QStringLiteral("PRAGMA kdf_iter = 256000;\n");
    QProcess shell;
    shell.start(QStringLiteral("sqlcipher"), {QStringLiteral("-batch"), path});
    QString quoted = key;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    shell.write(QStringLiteral("PRAGMA key = '%1';\n%2SELECT count(*) FROM info;\n").arg(quoted, settings).toUtf8());
    shell.closeWriteChannel();
    if (!shell.waitForFinished(60000))
        return QStringLiteral("(no answer)");
    return QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError()).trimmed();
}

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".qav-rekey*")}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestProtection : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void rekeyingKeepsEveryContactAndOnlyTheNewKeyOpens();
    void aStoppedRekeyLeavesTheBookAsItWas();
    void aProtectedBookAsksForItsPasswordBeforeAnythingShows();
    void givingUpAtThePasswordEndsWithTheFileUntouched();
    void theToolsWindowProtectsChangesAndRemoves();
    void aLockHidesEveryContactAndKeepsWhatWasTyped();
    void aLockLeavesNoNameInAnyWindowNoCopiedNumberAndNoKeyActing();

private:
    void protectBook();
    int contactsInBook();
    QList<QMenu*> m_popups;
};

void TestProtection::initTestCase()
{
    prepareApplication();
}

void TestProtection::init()
{
    openFixture();
    const QString family = m_db->addDirectory(QStringLiteral("العائلة"));
    for (int i = 0; i < 50; ++i)
        m_db->addContact(QStringLiteral("جهة %1").arg(i), family, {QStringLiteral("0100%1").arg(i)});
    m_db->reader().close();
    SharedData::setBookKey(kStandard);
}

void TestProtection::cleanup()
{
    closeFixture();
    SharedData::connection().close();
    SharedData::setBookKey(kStandard);
}

void TestProtection::protectBook()
{
    DataConnection owner;
    QVERIFY(owner.open(m_db->path(), kStandard).ok);
    QVERIFY(BookRekey::run(owner, kMaster).ok);
}

int TestProtection::contactsInBook()
{
    DataConnection look;
    QString count;
    if (!look.open(m_db->path(), kMaster, DataConnection::Access::ReadOnly).ok ||
        !look.scalar(QStringLiteral("SELECT count(*) FROM info"), {}, count).ok)
        return -1;
    return count.toInt();
}

void TestProtection::rekeyingKeepsEveryContactAndOnlyTheNewKeyOpens()
{
    QFile::setPermissions(m_db->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QFile::Permissions bits = QFile::permissions(m_db->path());
    DataConnection owner;
    QVERIFY(owner.open(m_db->path(), kStandard).ok);
    QVERIFY(BookRekey::run(owner, kMaster).ok);
    // The connection is open again, on the book, under the new key.
    QString count;
    QVERIFY(owner.scalar(QStringLiteral("SELECT count(*) FROM info"), {}, count).ok);
    QCOMPARE(count, QStringLiteral("50"));
    QCOMPARE(QFile::permissions(m_db->path()), bits);
    QVERIFY(leftovers(m_db->folder()).isEmpty());

    // The stock shell: the standard key no longer opens it, the master password does.
    QVERIFY(shellCount(m_db->path(), kStandard).contains(QStringLiteral("not a database")));
    QCOMPARE(shellCount(m_db->path(), kMaster), QStringLiteral("50"));

    // Back to the standard key: other tools read it again.
    QVERIFY(BookRekey::run(owner, kStandard).ok);
    owner.close();
    QCOMPARE(shellCount(m_db->path(), kStandard), QStringLiteral("50"));
    QVERIFY(shellCount(m_db->path(), kMaster).contains(QStringLiteral("not a database")));
}

void TestProtection::aStoppedRekeyLeavesTheBookAsItWas()
{
    DataConnection owner;
    QVERIFY(owner.open(m_db->path(), kStandard).ok);
    const QByteArray before = contents(m_db->path());
    QVERIFY(!BookRekey::run(owner, kMaster, [] { return false; }).ok);
    QCOMPARE(contents(m_db->path()), before);
    QVERIFY(leftovers(m_db->folder()).isEmpty());
    // Still open, under the old key, and writable.
    QVERIFY(owner.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('بعد', '0')")).ok);
    owner.close();
    QCOMPARE(shellCount(m_db->path(), kStandard), QStringLiteral("50"));

    // A copy left by a kill before the rename is never taken for the book, and goes next time.
    QFile stale(QDir(m_db->folder()).filePath(QStringLiteral(".qav-rekey-abc123")));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("partial");
    stale.close();
    QVERIFY(owner.open(m_db->path(), kStandard).ok);
    QVERIFY(BookRekey::run(owner, kMaster).ok);
    QVERIFY(leftovers(m_db->folder()).isEmpty());
}

void TestProtection::aProtectedBookAsksForItsPasswordBeforeAnythingShows()
{
    protectBook();
    bool askedBeforeTheWindow = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* prompt = qobject_cast<BookPasswordDialog*>(modal);
        QVERIFY(prompt);
        askedBeforeTheWindow = true;
        QCOMPARE(prompt->windowTitle(), QStringLiteral("كلمة مرور الدفتر"));
        QCOMPARE(prompt->tpassword->accessibleName(), QStringLiteral("كلمة مرور الدفتر"));
        QCOMPARE(prompt->tpassword->echoMode(), QLineEdit::Password);
        prompt->tpassword->setText(QStringLiteral("خطأ"));
        prompt->cmdOpen->click();
        QVERIFY(prompt->isVisible());
        QCOMPARE(prompt->refusal->caption(), QStringLiteral("كلمة المرور غير صحيحة , حاول مرة أخرى"));
        prompt->tpassword->setText(kMaster);
        prompt->cmdOpen->click();
    });
    m_form = MainWindowUser::start();
    QVERIFY(askedBeforeTheWindow);
    QVERIFY(SharedData::bookProtected());
    QCOMPARE(controls(*m_form).infodirlist->count(), 1);
    QCOMPARE(controls(*m_form).statbar->panelText(3), QStringLiteral("إجمالى البيانات المسجلة   50 بيان"));
}

void TestProtection::givingUpAtThePasswordEndsWithTheFileUntouched()
{
    protectBook();
    const QByteArray before = contents(m_db->path());
    const QStringList filesBefore = QDir(m_db->folder()).entryList(QDir::Files | QDir::Hidden);
    ModalDriver::whenModal([](QWidget* modal) {
        QVERIFY(qobject_cast<BookPasswordDialog*>(modal));
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    MainForm form;
    QVERIFY(!form.Form_Load());
    QVERIFY(form.leftAtBookPassword());
    QVERIFY(!SharedData::connection().isOpen());
    QCOMPARE(contents(m_db->path()), before);
    // Nothing written beside it either: no kept order, no journal.
    QCOMPARE(QDir(m_db->folder()).entryList(QDir::Files | QDir::Hidden), filesBefore);
}

void TestProtection::theToolsWindowProtectsChangesAndRemoves()
{
    // A restore once left the book it replaced beside it, and a backup went to a folder.
    const QString previous = m_db->path() + QStringLiteral(".previous");
    QVERIFY(QFile::copy(m_db->path(), previous));
    Preferences::setLastBackupFolder(m_db->folder() + QStringLiteral("/نسخ"));
    m_form = MainWindowUser::start();
    QAction* item = controls(*m_form).menus->item(QStringLiteral("protectbook"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("حماية الدفتر بكلمة مرور..."));

    // Too short, then two that differ, then the password.
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<BookProtectionWindow*>(modal);
        QVERIFY(window);
        QVERIFY(!window->tcurrent && !window->cmdRemove);
        window->tnew->setText(QStringLiteral("قصير"));
        window->tconfirm->setText(QStringLiteral("قصير"));
        window->cmdSave->click();
        QCOMPARE(m_boxes->last().text, QStringLiteral("يجب ألا تقل كلمة المرور عن 8 حروف أو أرقام"));
        window->tnew->setText(kMaster);
        window->tconfirm->setText(kMaster + QLatin1Char('x'));
        window->cmdSave->click();
        QCOMPARE(m_boxes->last().text, QStringLiteral("كلمة المرور غير متطابقة"));
        window->tconfirm->setText(kMaster);
        window->cmdSave->click();
    });
    item->trigger();
    QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("تمت حماية الدفتر بكلمة المرور")));
    QVERIFY(SharedData::bookProtected());
    QVERIFY(shellCount(m_db->path(), kStandard).contains(QStringLiteral("not a database")));
    QCOMPARE(shellCount(m_db->path(), kMaster), QStringLiteral("50"));
    // Nothing beside the book stays readable with the published key, and the window says what
    // elsewhere does; while the password is held the process leaves no core dump.
    QVERIFY(shellCount(previous, kStandard).contains(QStringLiteral("not a database")));
    QCOMPARE(shellCount(previous, kMaster), QStringLiteral("50"));
    QVERIFY(m_boxes->last().text.contains(QStringLiteral("(Kib.bin.previous) شفرت هى أيضا")));
    QVERIFY(m_boxes->last().text.contains(m_db->folder() + QStringLiteral("/نسخ")));
    QCOMPARE(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
    // The window goes on with the book under its new key.
    QCOMPARE(controls(*m_form).infodirlist->count(), 1);
    QVERIFY(SharedData::connection().execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('ب', '0')")).ok);

    // Removing it needs the password in use.
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<BookProtectionWindow*>(modal);
        QVERIFY(window && window->tcurrent && window->cmdRemove);
        window->tcurrent->setText(QStringLiteral("ليست هى"));
        window->cmdRemove->click();
        QCOMPARE(m_boxes->last().text, QStringLiteral("كلمة المرور الحالية غير صحيحة"));
        window->tcurrent->setText(kMaster);
        window->cmdRemove->click();
    });
    item->trigger();
    QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("تمت إزالة الحماية")));
    QVERIFY(!SharedData::bookProtected());
    QCOMPARE(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 1);
    QCOMPARE(shellCount(m_db->path(), kStandard), QStringLiteral("50"));
    QCOMPARE(controls(*m_form).infodirlist->count(), 2);
}

void TestProtection::aLockHidesEveryContactAndKeepsWhatWasTyped()
{
    protectBook();
    ModalDriver::whenModal([](QWidget* modal) {
        auto* prompt = qobject_cast<BookPasswordDialog*>(modal);
        prompt->tpassword->setText(kMaster);
        prompt->cmdOpen->click();
    });
    m_form = MainWindowUser::start();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    RecordListView* contacts = controls(*m_form).infolist;
    QVERIFY(contacts->isVisible());

    // Idle: the contacts go, the password brings them back; a wrong one and Escape do not.
    AutoLock::instance().setIdleInterval(200);
    bool askedToUnlock = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* prompt = qobject_cast<BookPasswordDialog*>(modal);
        QVERIFY(prompt);
        askedToUnlock = true;
        QVERIFY(!contacts->isVisible());
        QVERIFY(!prompt->cmdGiveUp->isVisible());
        prompt->tpassword->setText(QStringLiteral("ليست هى"));
        prompt->cmdOpen->click();
        QVERIFY(prompt->isVisible());
        QVERIFY(!contacts->isVisible());
        prompt->tpassword->setText(kMaster);
        prompt->cmdOpen->click();
    });
    QTRY_VERIFY_WITH_TIMEOUT(askedToUnlock && !AutoLock::instance().isLocked(), 10000);
    AutoLock::instance().setIdleInterval(0);
    QVERIFY(contacts->isVisible());

    // A lock while a contact is being typed: the text is kept, unsaved, behind the lock.
    bool typedThrough = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        QVERIFY(editor);
        editor->tname->setText(QStringLiteral("لم يحفظ بعد"));
        ModalDriver::whenModal([&](QWidget* lockPrompt) {
            auto* prompt = qobject_cast<BookPasswordDialog*>(lockPrompt);
            QVERIFY(prompt);
            QVERIFY(!editor->tname->isVisible());
            DataConnection look;
            QString written;
            QVERIFY(look.open(m_db->path(), kMaster, DataConnection::Access::ReadOnly).ok);
            QVERIFY(look.scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = ?"),
                                {QStringLiteral("لم يحفظ بعد")}, written)
                        .ok);
            QCOMPARE(written, QStringLiteral("0"));
            prompt->tpassword->setText(kMaster);
            prompt->cmdOpen->click();
        });
        AutoLock::instance().lockNow();
        QVERIFY(editor->tname->isVisible());
        QCOMPARE(editor->tname->text(), QStringLiteral("لم يحفظ بعد"));
        typedThrough = true;
        editor->reject();
    });
    m_form->CmdADD_Click();
    QVERIFY(typedThrough);
}

void TestProtection::aLockLeavesNoNameInAnyWindowNoCopiedNumberAndNoKeyActing()
{
    protectBook();
    ModalDriver::whenModal([](QWidget* modal) {
        auto* prompt = qobject_cast<BookPasswordDialog*>(modal);
        prompt->tpassword->setText(kMaster);
        prompt->cmdOpen->click();
    });
    m_form = MainWindowUser::start(&m_popups);
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    RecordListView* contacts = controls(*m_form).infolist;
    auto copyFirstNumber = [&] {
        QTest::mouseRelease(contacts->listView()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QMenu* copy = controls(*m_form).menus->menu(QStringLiteral("copynumber"));
        QVERIFY(copy && !copy->actions().isEmpty());
        copy->actions().constFirst()->trigger();
    };

    // A step to take back, a number on the clipboard, the book's search window and a window
    // titled with a contact's name.
    contacts->selectRow(1);
    m_boxes->answer(MessageBox::Yes);
    controls(*m_form).menus->cmdel->trigger();
    QCOMPARE(contactsInBook(), 49);
    contacts->selectRow(0);
    copyFirstNumber();
    const QString name = m_form->selectedContact().value(0);
    const QString number = m_form->selectedContact().value(1);
    QVERIFY(name.startsWith(QStringLiteral("جهة")) && !number.isEmpty());
    QCOMPARE(QGuiApplication::clipboard()->text(), number);
    m_form->findChild<QAction*>(QStringLiteral("keysearchbook"))->trigger();
    auto* search = m_form->findChild<BookSearchWindow*>(QStringLiteral("booksearch"));
    QVERIFY(search && search->isVisible());
    search->searchBox->setText(name);

    bool locked = false;
    ModalDriver::whenModal([&](QWidget* qr) {
        const QString title = qr->windowTitle();
        QVERIFY(title.contains(name));
        QList<QWidget*> shown;
        for (QWidget* part : qr->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (part->isVisible())
                shown << part;
        QVERIFY(!shown.isEmpty());
        ModalDriver::whenModal([&](QWidget* lockPrompt) {
            auto* prompt = qobject_cast<BookPasswordDialog*>(lockPrompt);
            QVERIFY(prompt);
            locked = true;
            // A failed check below still unlocks, so the test ends instead of asking for ever.
            const auto unlock = qScopeGuard([prompt] {
                prompt->tpassword->setText(kMaster);
                prompt->cmdOpen->click();
            });
            // Whatever stays up is empty and names nobody.
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (!window->isVisible() || window == prompt)
                    continue;
                QVERIFY2(!window->windowTitle().contains(QStringLiteral("جهة")), qPrintable(window->windowTitle()));
                QVERIFY(!window->accessibleName().contains(QStringLiteral("جهة")));
                for (const QWidget* part : window->findChildren<QWidget*>())
                    QVERIFY2(!part->isVisible(), qPrintable(part->objectName()));
            }
            QVERIFY(!m_form->isVisible() && !search->isVisible());
            QCOMPARE(QGuiApplication::clipboard()->text(), QString());
            // The window's keys act on nothing behind the lock.
            QTest::keyClick(static_cast<QWidget*>(contacts->activeView()), Qt::Key_Z, Qt::ControlModifier);
            QTest::keyClick(m_form.get(), Qt::Key_Z, Qt::ControlModifier);
            QTest::keyClick(search->searchBox, Qt::Key_F, Qt::ControlModifier);
            QCOMPARE(contactsInBook(), 49);
        });
        AutoLock::instance().lockNow();
        // The password brings every window back as it was.
        QCOMPARE(qr->windowTitle(), title);
        for (const QWidget* part : shown)
            QVERIFY(part->isVisible());
        QVERIFY(m_form->isVisible() && search->isVisible() && contacts->isVisible());
        QVERIFY(search->searchBox->isVisible());
        QCOMPARE(search->searchBox->text(), name);
        qr->close();
    });
    controls(*m_form).menus->item(QStringLiteral("shareqr"))->trigger();
    QVERIFY(locked);
    QVERIFY(!AutoLock::instance().isLocked());
    QVERIFY(QGuiApplication::quitOnLastWindowClosed());

    // The keys work again once the password was given.
    search->close();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTest::keyClick(static_cast<QWidget*>(contacts->activeView()), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(contactsInBook(), 50);

    // What the user copied elsewhere after the program's copy is theirs: the lock leaves it.
    copyFirstNumber();
    QGuiApplication::clipboard()->setText(QStringLiteral("نص من برنامج آخر"));
    ModalDriver::whenModal([](QWidget* modal) {
        auto* prompt = qobject_cast<BookPasswordDialog*>(modal);
        QVERIFY(prompt);
        const auto unlock = qScopeGuard([prompt] {
            prompt->tpassword->setText(kMaster);
            prompt->cmdOpen->click();
        });
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("نص من برنامج آخر"));
    });
    AutoLock::instance().lockNow();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("نص من برنامج آخر"));
}

QTEST_MAIN(TestProtection)
#include "tst_protection.moc"
