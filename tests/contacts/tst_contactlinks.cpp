// Calling a number and writing to an address through the desktop's handlers, and copying a
// number: from the contact menu and the view window; without a handler the user hears it once.
#include "ContactLinks.h"
#include "Editor.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "RecordListView.h"
#include "WindowTestFixture.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QtTest>

// Stands for the desktop's tel: and mailto: handlers.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestContactLinks : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void theContactMenuCallsMailsAndCopies();
    void theViewWindowCallsOnADoubleClick();
    void withoutAHandlerTheUserIsToldOnce();
    void aStoredValueCannotAddHeadersOrAttachments();

private:
    void popUpContactMenu();
    QList<QMenu*> m_popups;
    UrlCatcher m_catcher;
};

void TestContactLinks::initTestCase()
{
    prepareApplication();
}

void TestContactLinks::init()
{
    openFixture();
    const QString family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_db->addContact(QStringLiteral("هدى"), family,
                     {QStringLiteral("02 2345"), QString(), QStringLiteral("+20 ١٠٠ 123-45"), QString(), QString(),
                      QStringLiteral("huda@example.org")});
    m_form = MainWindowUser::start(&m_popups);
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    controls(*m_form).infolist->selectRow(0);
    m_catcher.opened.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("tel"), &m_catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &m_catcher, "open");
}

void TestContactLinks::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("tel"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    closeFixture();
}

void TestContactLinks::popUpContactMenu()
{
    QTest::mouseRelease(controls(*m_form).infolist->listView()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(m_popups.last(), controls(*m_form).menus->cm);
}

void TestContactLinks::theContactMenuCallsMailsAndCopies()
{
    popUpContactMenu();
    QMenu* call = controls(*m_form).menus->menu(QStringLiteral("callnumber"));
    QVERIFY(call && call->menuAction()->isEnabled());
    QCOMPARE(call->title(), QStringLiteral("اتصال"));
    // The mobile first, each number with its kind; Arabic-Indic digits dial as digits.
    QCOMPARE(call->actions().size(), 2);
    QCOMPARE(call->actions()[0]->text(), QStringLiteral("موبايل: +20 ١٠٠ 123-45"));
    QCOMPARE(call->actions()[1]->text(), QStringLiteral("ت/ منزل: 02 2345"));
    call->actions()[0]->trigger();
    QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl(QStringLiteral("tel:+2010012345"))});

    QMenu* mail = controls(*m_form).menus->menu(QStringLiteral("sendmail"));
    QCOMPARE(mail->title(), QStringLiteral("إرسال بريد"));
    mail->actions().value(0)->trigger();
    QCOMPARE(m_catcher.opened.last(), QUrl(QStringLiteral("mailto:huda@example.org")));

    QMenu* copy = controls(*m_form).menus->menu(QStringLiteral("copynumber"));
    QCOMPARE(copy->title(), QStringLiteral("نسخ الرقم"));
    copy->actions().value(1)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("02 2345"));

    // An empty directory offers none of them.
    QVERIFY(m_db->reader().execute(QStringLiteral("DELETE FROM info")).ok);
    m_form->takeInOutsideChanges();
    popUpContactMenu();
    QVERIFY(!call->menuAction()->isEnabled() && !mail->menuAction()->isEnabled());
}

void TestContactLinks::theViewWindowCallsOnADoubleClick()
{
    bool viewed = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        QVERIFY(editor);
        QTest::mouseDClick(editor->mobil, Qt::LeftButton);
        QTest::mouseDClick(editor->email, Qt::LeftButton);
        viewed = true;
        editor->reject();
    });
    m_form->viewContact();
    QVERIFY(viewed);
    QCOMPARE(m_catcher.opened,
             (QList<QUrl>{QUrl(QStringLiteral("tel:+2010012345")), QUrl(QStringLiteral("mailto:huda@example.org"))}));
}

void TestContactLinks::withoutAHandlerTheUserIsToldOnce()
{
    // The offscreen desktop has no handler of its own.
    QDesktopServices::unsetUrlHandler(QStringLiteral("tel"));
    const int before = m_boxes->count();
    popUpContactMenu();
    QMenu* call = controls(*m_form).menus->menu(QStringLiteral("callnumber"));
    call->actions()[0]->trigger();
    QCOMPARE(m_boxes->count(), before + 1);
    QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("لا يوجد على هذا الجهاز برنامج للاتصال")));
    call->actions()[0]->trigger();
    QCOMPARE(m_boxes->count(), before + 1);
}

void TestContactLinks::aStoredValueCannotAddHeadersOrAttachments()
{
    // An imported or synced e-mail value that would attach a file, add recipients or headers
    // opens no mail program: the user is told, and nothing reaches the handler.
    for (const QString& hostile : {QStringLiteral("a@b.c?attach=/etc/passwd&body=x"),
                                   QStringLiteral("a@b.c&attach=/etc/passwd"), QStringLiteral("a@b.c,evil@x.org"),
                                   QStringLiteral("a@b.c%3Fattach=/etc/passwd"), QStringLiteral("a@b.c?cc=evil@x.org"),
                                   QStringLiteral("a@b.c\nBcc: evil@x.org"), QStringLiteral("no-at-sign")}) {
        QVERIFY2(ContactLinks::mailUrl(hostile).isEmpty(), qPrintable(hostile));
        QVERIFY(
            m_db->reader()
                .execute(QStringLiteral("UPDATE info SET email = ? WHERE name = ?"), {hostile, QStringLiteral("هدى")})
                .ok);
        m_form->takeInOutsideChanges();
        controls(*m_form).infolist->selectRow(0);
        const int told = int(m_boxes->count());
        popUpContactMenu();
        QMenu* mail = controls(*m_form).menus->menu(QStringLiteral("sendmail"));
        if (QAction* item = mail->actions().value(0)) {
            item->trigger();
            QCOMPARE(int(m_boxes->count()), told + 1);
        }
        QVERIFY(m_catcher.opened.isEmpty());
    }
    // A plain address is one address, and a number's '#' stays in the number, not a fragment.
    QCOMPARE(ContactLinks::mailUrl(QStringLiteral(" huda@example.org ")).toString(),
             QStringLiteral("mailto:huda@example.org"));
    const QUrl code = ContactLinks::telUrl(QStringLiteral("*100#"));
    QCOMPARE(code.path(), QStringLiteral("*100#"));
    QVERIFY(!code.hasFragment());
}

QTEST_MAIN(TestContactLinks)
#include "tst_contactlinks.moc"
