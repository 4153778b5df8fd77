// Calling a number and writing to an address through the desktop's handlers, and copying a
// number: from the contact menu and the view window; without a handler the user hears it once.
#include "ContactLinks.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "Editor.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "MoreValuesView.h"
#include "RecordListView.h"
#include "SharedData.h"
#include "Transaction.h"
#include "VCardReader.h"
#include "WindowTestFixture.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QScopeGuard>
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
    void aCardGoesToTheComposerOrIsSavedInstead();

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
    // The values beyond the nine fields call and write as the fields do; a web page opens only
    // when it is one, never a file or a script a card brought in.
    const MoreValues more{
        {ContactValue::Kind::Phone, QStringLiteral("work"), QStringLiteral("+20 ٢٢ 555"), QString()},
        {ContactValue::Kind::Email, QString(), QStringLiteral("b@example.org?bcc=all@example.org"), QString()},
        {ContactValue::Kind::Email, QString(), QStringLiteral("b@example.org"), QString()},
        {ContactValue::Kind::Web, QString(), QStringLiteral("file:///etc/passwd"), QString()},
        {ContactValue::Kind::Web, QString(), QStringLiteral("javascript:alert(1)"), QString()},
        {ContactValue::Kind::Web, QString(), QStringLiteral("example.org/huda"), QString()}};
    {
        DataConnection& connection = SharedData::connection();
        Transaction transaction(connection);
        qint64 row = 0;
        QVERIFY(ContactStore(connection).findByName(QStringLiteral("هدى"), row).ok && row > 0);
        QVERIFY(ContactValueStore(connection).replaceWithin(row, QStringLiteral("هدى"), more).ok);
        QVERIFY(transaction.commit().ok);
    }
    const QStringList schemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file"),
                              QStringLiteral("javascript")};
    for (const QString& scheme : schemes)
        QDesktopServices::setUrlHandler(scheme, &m_catcher, "open");
    const auto restore = qScopeGuard([&] {
        for (const QString& scheme : schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    });
    bool viewed = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        QVERIFY(editor);
        QTest::mouseDClick(editor->mobil, Qt::LeftButton);
        QTest::mouseDClick(editor->email, Qt::LeftButton);
        auto* view = editor->findChild<MoreValuesView*>();
        QVERIFY(view);
        QCOMPARE(view->list->count(), int(more.size()));
        // A real double-click: press and release, then the second press.
        for (int i = 0; i < view->list->count(); ++i) {
            const QPoint at = view->list->visualItemRect(view->list->item(i)).center();
            QTest::mouseClick(view->list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view->list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(view->list->viewport(), Qt::LeftButton, {}, at);
        }
        viewed = true;
        editor->reject();
    });
    m_form->viewContact();
    QVERIFY(viewed);
    QCOMPARE(m_catcher.opened,
             (QList<QUrl>{QUrl(QStringLiteral("tel:+2010012345")), QUrl(QStringLiteral("mailto:huda@example.org")),
                          QUrl(QStringLiteral("tel:+2022555")), QUrl(QStringLiteral("mailto:b@example.org")),
                          QUrl(QStringLiteral("http://example.org/huda"))}));
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

void TestContactLinks::aCardGoesToTheComposerOrIsSavedInstead()
{
    // A stand-in for the desktop's composer, first on the path: it keeps its arguments and a
    // copy of the file it was given, and answers as told.
    const QString bin = m_db->folder() + QStringLiteral("/bin");
    const QString runtime = m_db->folder() + QStringLiteral("/runtime");
    const QString seen = m_db->folder() + QStringLiteral("/seen");
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(runtime) && QDir().mkpath(seen));
    QFile(runtime).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto composer = [&](int exitCode) {
        QFile script(bin + QStringLiteral("/xdg-email"));
        QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1/args'\ncp \"$2\" '%1/card'\n"
                                    "stat -c %a \"$2\" \"$(dirname \"$2\")\" > '%1/modes'\nexit %2\n")
                         .arg(seen)
                         .arg(exitCode)
                         .toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    const QByteArray path = qgetenv("PATH");
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    const auto restore = qScopeGuard([&] {
        qputenv("PATH", path);
        qputenv("XDG_RUNTIME_DIR", runtimeBefore);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    });
    qputenv("PATH", QFile::encodeName(bin) + ':' + path);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
    const auto read = [](const QString& file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    };
    const auto namesIn = [](const QByteArray& card) {
        VCardReader reader;
        QStringList names;
        if (reader.read(card))
            for (const ContactFields& contact : reader.contacts())
                names << contact.name;
        return names;
    };
    QAction* send = controls(*m_form).menus->item(QStringLiteral("sendcard"));
    QVERIFY(send);
    QCOMPARE(send->text(), QStringLiteral("إرسال كبطاقة بالبريد..."));

    // Two contacts chosen together: one file, both cards, in a folder of the user's alone.
    const QString hostile = QStringLiteral("../\u202Egpj.exe\nZaki");
    m_db->addContact(hostile, m_db->scalar(QStringLiteral("SELECT code FROM dirg")));
    m_form->takeInOutsideChanges();
    MainWindowControls window(*m_form);
    QCOMPARE(window.infolist->count(), 2);
    QAbstractItemView* view = window.infolist->activeView();
    window.infolist->selectRow(0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      view->visualRect(view->model()->index(1, 0)).center());
    QCOMPARE(m_form->chosenContacts().size(), 2);
    composer(0);
    send->trigger();
    QStringList args = QString::fromUtf8(read(seen + QStringLiteral("/args"))).split(QLatin1Char('\n'));
    QCOMPARE(args.value(0), QStringLiteral("--attach"));
    QVERIFY2(args.value(1).startsWith(runtime + QStringLiteral("/qav-card-")), qPrintable(args.value(1)));
    QVERIFY(args.value(1).endsWith(QStringLiteral("/جهات اتصال.vcf")));
    QCOMPARE(args.size(), 3); // the two arguments, then the last line's end
    QCOMPARE(read(seen + QStringLiteral("/modes")), QByteArray("600\n700\n"));
    QCOMPARE(namesIn(read(seen + QStringLiteral("/card"))), (QStringList{hostile, QStringLiteral("هدى")}));
    // The file stays for the composer, which reads it when the message goes.
    QVERIFY(QFile::exists(args.value(1)));
    QVERIFY(m_chooser->asked().isEmpty());

    // A name from outside makes one harmless file name: no folder, no reversed extension.
    window.infolist->selectRow(0);
    QCOMPARE(m_form->chosenContacts().size(), 1);
    send->trigger();
    args = QString::fromUtf8(read(seen + QStringLiteral("/args"))).split(QLatin1Char('\n'));
    const QFileInfo one(args.value(1));
    QVERIFY2(one.dir().dirName().startsWith(QStringLiteral("qav-card-")) &&
                 one.dir().absolutePath().startsWith(runtime),
             qPrintable(args.value(1)));
    QVERIFY2(!one.fileName().contains(QChar(0x202E)) && one.fileName().endsWith(QStringLiteral("Zaki.vcf")),
             qPrintable(one.fileName()));
    QCOMPARE(namesIn(read(seen + QStringLiteral("/card"))), QStringList{hostile});

    // The composer fails: the user saves the card where they choose, and its folder opens.
    composer(3);
    window.infolist->selectRow(1);
    const int folders = int(QDir(runtime).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
    const QString saved = m_db->folder() + QStringLiteral("/huda.vcf");
    m_chooser->answer(saved);
    send->trigger();
    QCOMPARE(m_chooser->asked().size(), 1);
    QVERIFY(m_chooser->asked().last().title.startsWith(QStringLiteral("لم يفتح برنامج البريد")));
    QCOMPARE(namesIn(read(saved)), QStringList{QStringLiteral("هدى")});
    QCOMPARE(QFile(saved).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
    QCOMPARE(m_catcher.opened.last(), QUrl::fromLocalFile(m_db->folder()));
    // The copy the composer did not take is not left behind.
    QCOMPARE(int(QDir(runtime).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()), folders);

    // No composer on the path at all: the same, and cancelling the chooser writes nothing.
    qputenv("PATH", QFile::encodeName(seen));
    QFile::remove(seen + QStringLiteral("/args"));
    m_chooser->answer(QString());
    send->trigger();
    QCOMPARE(m_chooser->asked().size(), 2);
    QVERIFY(!QFile::exists(seen + QStringLiteral("/args")));
    QCOMPARE(int(QDir(runtime).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()), folders);

    // Its directory locked and closed, the list's contacts are sent nowhere.
    qputenv("PATH", QFile::encodeName(bin) + ':' + path);
    composer(0);
    QVERIFY(m_db->reader().execute(QStringLiteral("UPDATE dirg SET pass = 'Key1'")).ok);
    m_form->GoBack();
    send->trigger();
    QVERIFY(!QFile::exists(seen + QStringLiteral("/args")));
    QCOMPARE(m_chooser->asked().size(), 2);
}

QTEST_MAIN(TestContactLinks)
#include "tst_contactlinks.moc"
