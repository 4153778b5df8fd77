// The sync window from the Tools menu, as the user meets it, against a real Radicale.
#include "CardDavClient.h"
#include "DirectoryStore.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "RadicaleServer.h"
#include "RecordListModel.h"
#include "RecordListView.h"
#include "SecretStore.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SyncCommands.h"
#include "SyncStore.h"
#include "SyncWindow.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

namespace
{

// A desktop without a secret store: every write and read is refused, as when none runs.
class NoSecretStore : public SecretStore
{
public:
    bool read(const QString&, QString&) override { return false; }
    bool write(const QString&, const QString&) override { return false; }
    void forget(const QString& account) override { forgotten << account; }
    QStringList forgotten;
};

} // namespace

class TestSyncWindow : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void linkFromTheToolsMenuAndSync();
    void anUnreachableServerIsToldAndTheBookStaysUsable();
    void plainHttpIsAskedBeforeAnythingIsSentAndAtEverySync();
    void unlinkingTheLastLinkOfAnAccountForgetsItsPassword();

private:
    std::unique_ptr<RadicaleServer> m_server;
    NoSecretStore m_secrets;
    QString m_family;
    int m_prompts = 0;
};

void TestSyncWindow::initTestCase()
{
    prepareApplication();
    SecretStore::setInstance(&m_secrets);
    SyncCommands::setPasswordPrompt([this](const QString&, const QString&) {
        ++m_prompts;
        return std::optional<QString>(RadicaleServer::kPassword);
    });
}

void TestSyncWindow::init()
{
    m_server = std::make_unique<RadicaleServer>();
    QVERIFY(m_server->start());
    openFixture();
    m_family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_db->addContact(QStringLiteral("أحمد"), m_family, {QString(), QString(), QStringLiteral("0100")});
    m_form = MainWindowUser::start();
    m_prompts = 0;
}

void TestSyncWindow::cleanup()
{
    closeFixture();
    m_server.reset();
}

void TestSyncWindow::linkFromTheToolsMenuAndSync()
{
    const QUrl shared = m_server->createBook(QStringLiteral("shared"));
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    ModalDriver::whenModal(
        [this](QWidget* modal) {
            auto* window = qobject_cast<SyncWindow*>(modal);
            QVERIFY(window);
            QCOMPARE(window->directory->currentText(), QStringLiteral("العائلة"));
            QCOMPARE(window->linkState->text(), QStringLiteral("غير مربوط بدفتر عناوين"));
            // The user name and password typed into the address go to their own fields.
            QUrl typed = m_server->serverUrl();
            typed.setUserName(RadicaleServer::kUser);
            typed.setPassword(RadicaleServer::kPassword);
            window->server->setText(typed.toString());
            window->findBooks->click();
            QCOMPARE(window->user->text(), RadicaleServer::kUser);
            QCOMPARE(window->password->text(), RadicaleServer::kPassword);
            QCOMPARE(window->server->text(), m_server->serverUrl().toString());
            QCOMPARE(window->books->count(), 2);
            QCOMPARE(window->books->item(0)->text(), QStringLiteral("دفتر عناوين جديد باسم الدليل"));
            QCOMPARE(window->books->currentRow(), 1); // the book that is there already
            window->linkButton->click();
            // No secret store here: the user is told the password is asked for at each sync.
            QVERIFY(m_boxes->last().text.contains(QStringLiteral("سيسأل البرنامج عن كلمة المرور")));
            QVERIFY(window->linkState->text().contains(QStringLiteral("مربوط بدفتر العناوين")));
            window->syncNow->click();
            window->autoSync->setChecked(true); // the settings file now holds the sync's own settings
            window->autoSync->setChecked(false);
            window->accept();
        },
        30000);
    controls(*m_form).menus->sync->trigger();
    QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("تمت المزامنة")));
    QVERIFY(m_boxes->last().text.contains(QStringLiteral("تم إرسال: 1")));
    QCOMPARE(m_prompts, 0); // the password typed in the window serves the whole session
    // The password is kept nowhere on disk: neither in the book nor in the settings.
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM qav_sync_link WHERE server || user || book || token "
                                         "|| modified || checked || digest LIKE ?"),
                          {QLatin1Char('%') + RadicaleServer::kPassword + QLatin1Char('%')}),
             QStringLiteral("0"));
    QDirIterator settings(m_db->folder() + QStringLiteral("/settings"), QDir::Files, QDirIterator::Subdirectories);
    int settingsFiles = 0;
    while (settings.hasNext()) {
        QFile file(settings.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains(RadicaleServer::kPassword.toUtf8()));
        ++settingsFiles;
    }
    QVERIFY(settingsFiles > 0);

    // The list shows the directory is linked.
    RecordListModel* model = controls(*m_form).infodirlist->model();
    QCOMPARE(model->data(model->index(0, 0), Qt::ToolTipRole).toString(),
             QStringLiteral("مربوط بدفتر عناوين على خادم"));

    // A card added elsewhere comes in with the next sync and shows in the open directory, at its
    // place in the order (before the contact that was there).
    CardDavClient client(RadicaleServer::kUser, RadicaleServer::kPassword);
    QVERIFY(client
                .put(shared.resolved(QUrl(QStringLiteral("x.vcf"))),
                     QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:x\r\nFN:إبراهيم\r\nEND:VCARD\r\n").toUtf8(), {})
                .ok());
    m_form->openSelectedDirectory();
    SyncCommands::syncAll(*m_form);
    QVERIFY(m_boxes->last().text.contains(QStringLiteral("تم استلام: 1")));
    QCOMPARE(controls(*m_form).infolist->count(), 2);
    QCOMPARE(controls(*m_form).infolist->itemText(0), QStringLiteral("إبراهيم"));
    QCOMPARE(controls(*m_form).infolist->itemText(1), QStringLiteral("أحمد"));
}

void TestSyncWindow::anUnreachableServerIsToldAndTheBookStaysUsable()
{
    const QUrl book = m_server->createBook(QStringLiteral("shared"));
    QVERIFY(SyncStore(SharedData::connection())
                .saveLink({m_family, m_server->serverUrl().toString(), RadicaleServer::kUser, book.toString(), {}}));
    m_server->stop();
    SyncCommands::syncAll(*m_form);
    QCOMPARE(m_prompts, 1); // no secret store and nothing typed yet: the user is asked
    QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("تعذر الاتصال بالخادم")));
    QVERIFY(m_boxes->last().text.contains(QStringLiteral("لم يفقد شىء")));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("1"));
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    QCOMPARE(controls(*m_form).infolist->count(), 1);
}

// Plain http to another machine: asked before the search sends anything (No keeps everything
// here), and a link that became http since is not synced (the timer and start-up call the same).
void TestSyncWindow::plainHttpIsAskedBeforeAnythingIsSentAndAtEverySync()
{
    const QString plain = QStringLiteral("http://192.0.2.1/dav/");
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    ModalDriver::whenModal(
        [&](QWidget* modal) {
            auto* window = qobject_cast<SyncWindow*>(modal);
            QVERIFY(window);
            window->server->setText(plain);
            window->user->setText(RadicaleServer::kUser);
            window->password->setText(RadicaleServer::kPassword);
            m_boxes->clear();
            m_boxes->answer(MessageBox::No);
            window->findBooks->click();
            // One box, the question, and nothing after it: no request went out to fail.
            QCOMPARE(m_boxes->count(), 1);
            QVERIFY(m_boxes->last().text.contains(QStringLiteral("غير مشفر (http)")));
            QVERIFY(m_boxes->last().flags & MessageBox::DefaultButton2);
            QCOMPARE(window->books->count(), 0);
            window->accept();
        },
        30000);
    controls(*m_form).menus->sync->trigger();

    // A link another program turned to plain http: no password asked for, nothing sent, said so.
    QVERIFY(SyncStore(SharedData::connection())
                .saveLink({m_family, plain, RadicaleServer::kUser, plain + QStringLiteral("book/"), {}}));
    SyncCommands::syncAll(*m_form);
    QCOMPARE(m_prompts, 0);
    QVERIFY2(m_boxes->last().text.contains(QStringLiteral("غير مشفر (http) ولم توافق")),
             qPrintable(m_boxes->last().text));
    QVERIFY(m_boxes->last().text.contains(QStringLiteral("لم يفقد شىء")));
}

void TestSyncWindow::unlinkingTheLastLinkOfAnAccountForgetsItsPassword()
{
    const QString work = m_db->addDirectory(QStringLiteral("العمل"));
    const QString server = m_server->serverUrl().toString();
    const QString account = SecretStore::account(RadicaleServer::kUser, server + QStringLiteral("a/"));
    SyncStore store(SharedData::connection());
    QVERIFY(store.saveLink({m_family, server, RadicaleServer::kUser, server + QStringLiteral("a/"), {}}));
    QVERIFY(store.saveLink({work, server, RadicaleServer::kUser, server + QStringLiteral("b/"), {}}));
    m_secrets.forgotten.clear();
    auto unlink = [&](const QString& name) {
        ModalDriver::whenModal(
            [&](QWidget* modal) {
                auto* window = qobject_cast<SyncWindow*>(modal);
                QVERIFY(window);
                window->directory->setCurrentIndex(window->directory->findText(name));
                window->unlinkButton->click();
                QCOMPARE(window->linkState->text(), QStringLiteral("غير مربوط بدفتر عناوين"));
                window->accept();
            },
            30000);
        controls(*m_form).menus->sync->trigger();
    };
    // A deleted directory's link stays behind (taking the deletion back links it again) but
    // keeps no password alive.
    const QString friends = m_db->addDirectory(QStringLiteral("الأصدقاء"));
    QVERIFY(store.saveLink({friends, server, RadicaleServer::kUser, server + QStringLiteral("c/"), {}}));
    auto remove = [&](const QString& name) {
        m_form->refreshAfterWrite(BookChange::DirectoriesAddedOrRemoved);
        QVERIFY(MainWindowUser::clickDirectory(*m_form, name));
        m_boxes->answer(MessageBox::Yes);
        controls(*m_form).menus->dirmnudel->trigger();
        Directory left;
        QVERIFY(DirectoryStore(SharedData::connection()).findByName(name, left));
        QVERIFY(!left.exists());
    };
    remove(QStringLiteral("الأصدقاء"));
    QVERIFY(m_secrets.forgotten.isEmpty()); // two directories still sync with it
    unlink(QStringLiteral("العائلة"));
    QVERIFY(m_secrets.forgotten.isEmpty()); // the other directory still syncs with it
    unlink(QStringLiteral("العمل"));
    QCOMPARE(m_secrets.forgotten, QStringList{account});

    // Deleting the last directory of an account forgets its password, from memory too.
    const QString club = m_db->addDirectory(QStringLiteral("النادي"));
    const QString otherBook = server + QStringLiteral("d/");
    QVERIFY(store.saveLink({club, server, QStringLiteral("other"), otherBook, {}}));
    SyncCommands::rememberPassword(SecretStore::account(QStringLiteral("other"), otherBook), QStringLiteral("typed"));
    remove(QStringLiteral("النادي"));
    QCOMPARE(m_secrets.forgotten, (QStringList{account, SecretStore::account(QStringLiteral("other"), otherBook)}));
    m_prompts = 0;
    QCOMPARE(SyncCommands::password(QStringLiteral("other"), otherBook),
             std::optional<QString>(RadicaleServer::kPassword));
    QCOMPARE(m_prompts, 1); // asked again: nothing was kept
}

QTEST_MAIN(TestSyncWindow)
#include "tst_syncwindow.moc"
