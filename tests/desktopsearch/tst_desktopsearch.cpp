// The desktop's search boxes and notifications, on a session bus of the test's own: GNOME
// Shell's and KDE's interfaces as the desktop calls them, the service started by the bus from
// its service file, and what choosing a result starts.
#include "BookRekey.h"
#include "CommandLine.h"
#include "ContactLaunch.h"
#include "GnomeSearchProvider.h"
#include "KRunnerProvider.h"
#include "Notifier.h"
#include "SearchService.h"
#include "TestDatabase.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QMutex>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <csignal>

// A desktop's notification server, answering from a thread of its own while the test waits.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList received()
    {
        const QMutexLocker lock(&m_mutex);
        return m_received;
    }

public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        Q_UNUSED(replaces)
        Q_UNUSED(actions)
        Q_UNUSED(hints)
        Q_UNUSED(timeout)
        const QMutexLocker lock(&m_mutex);
        m_received << app << icon << summary << body;
        return 1;
    }

private:
    QMutex m_mutex;
    QStringList m_received;
};

class TestDesktopSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void bothDesktopsFindOnlyUnlockedContacts();
    void choosingAResultOpensTheWindowOnIt();
    void notificationsGoWhereTheDesktopHasThem();

private:
    QStringList initialResults(const QStringList& terms);
    QList<QVariantMap> metas(const QStringList& ids);

    TestDatabase m_db;
    QProcess m_bus;
    QString m_address;
    QString m_friends, m_locked;
};

void TestDesktopSearch::initTestCase()
{
    // The program beside the test's book, started by the bus from a service file as the desktop
    // would, under the test's own bus with no other service on it.
    const QString program = m_db.folder() + QStringLiteral("/qavtelephone");
    QVERIFY(QFile::copy(QStringLiteral(QAV_PROGRAM), program));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString services = m_db.folder() + QStringLiteral("/services");
    QVERIFY(QDir().mkpath(services));
    QFile service(services + QStringLiteral("/org.qav.telephone.service"));
    QVERIFY(service.open(QIODevice::WriteOnly));
    service.write("[D-BUS Service]\nName=org.qav.telephone\nExec=" + program.toUtf8() + " --search-provider\n");
    service.close();
    QFile config(m_db.folder() + QStringLiteral("/bus.conf"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("<busconfig><type>session</type><listen>unix:dir=" + m_db.folder().toUtf8() + "</listen><servicedir>" +
                 services.toUtf8() +
                 "</servicedir><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                 "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
    config.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none-there")); // no window may open
    m_bus.setProcessEnvironment(environment);
    m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                                                QStringLiteral("--config-file=") + config.fileName()});
    QVERIFY2(m_bus.waitForStarted(), "dbus-daemon is missing (scripts/install-deps.sh installs it)");
    QTRY_VERIFY(m_bus.canReadLine());
    m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
    // Everything this process calls, the notifications included, goes to that bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    qDBusRegisterMetaType<QList<QVariantMap>>();
    KRunnerProvider::registerTypes();

    m_friends = m_db.addDirectory(QStringLiteral("أصدقاء"));
    m_locked = m_db.addDirectory(QStringLiteral("سرى"), QStringLiteral("1234"));
    m_db.addContact(QStringLiteral("محمد علي"), m_friends, {QString(), QString(), QStringLiteral("0100 555")});
    m_db.addContact(QStringLiteral("Mohamed Locked"), m_locked, {QStringLiteral("777")});
    // A name from a server, with a direction override and a line break in it.
    m_db.addContact(QStringLiteral("ليلى\u202E\nlaila"), m_friends, {QStringLiteral("0200")});
}

void TestDesktopSearch::cleanupTestCase()
{
    // The service the bus started ends with it.
    if (QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.qav.telephone")))
        ::kill(pid_t(QDBusConnection::sessionBus().interface()->servicePid(QStringLiteral("org.qav.telephone"))),
               SIGTERM);
    m_bus.terminate();
    m_bus.waitForFinished();
}

QStringList TestDesktopSearch::initialResults(const QStringList& terms)
{
    QDBusInterface gnome(QStringLiteral("org.qav.telephone"), QStringLiteral("/org/qav/telephone/SearchProvider"),
                         QStringLiteral("org.gnome.Shell.SearchProvider2"), QDBusConnection::sessionBus());
    const QDBusReply<QStringList> reply = gnome.call(QStringLiteral("GetInitialResultSet"), terms);
    return reply.isValid() ? reply.value() : QStringList{QStringLiteral("failed: ") + reply.error().message()};
}

QList<QVariantMap> TestDesktopSearch::metas(const QStringList& ids)
{
    QDBusInterface gnome(QStringLiteral("org.qav.telephone"), QStringLiteral("/org/qav/telephone/SearchProvider"),
                         QStringLiteral("org.gnome.Shell.SearchProvider2"), QDBusConnection::sessionBus());
    const QDBusMessage reply = gnome.call(QStringLiteral("GetResultMetas"), ids);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("aa{sv}"))
        return {{{QStringLiteral("failed"), reply.errorMessage() + reply.signature()}}};
    return qdbus_cast<QList<QVariantMap>>(reply.arguments().constFirst());
}

void TestDesktopSearch::bothDesktopsFindOnlyUnlockedContacts()
{
    const QString row =
        m_db.scalar(QStringLiteral("SELECT rowid FROM info WHERE dir = ? AND name LIKE 'محمد%'"), {m_friends});
    const QString lockedRow = m_db.scalar(QStringLiteral("SELECT rowid FROM info WHERE dir = ?"), {m_locked});

    // GNOME: the first question starts the service; the Latin spelling finds the Arabic name by
    // sound, never the locked directory's Mohamed; every term must be held.
    QCOMPARE(initialResults({QStringLiteral("mohamed")}), QStringList{row});
    QCOMPARE(initialResults({QStringLiteral("محمد"), QStringLiteral("علي")}), QStringList{row});
    QCOMPARE(initialResults({QStringLiteral("علي"), QStringLiteral("محمد")}), QStringList{row});
    QCOMPARE(initialResults({QStringLiteral("محمد"), QStringLiteral("locked")}), QStringList());
    QCOMPARE(initialResults({QStringLiteral("777")}), QStringList());
    const QList<QVariantMap> found = metas({row});
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.constFirst().value(QStringLiteral("id")).toString(), row);
    QCOMPARE(found.constFirst().value(QStringLiteral("name")).toString(), QStringLiteral("محمد علي"));
    QCOMPARE(found.constFirst().value(QStringLiteral("description")).toString(), QStringLiteral("أصدقاء ، 0100 555"));
    QCOMPARE(found.constFirst().value(QStringLiteral("gicon")).toString(), QStringLiteral("org.qav.telephone"));
    // Ids are not trusted: a locked contact's row, forged or odd ids name nothing.
    QCOMPARE(metas({lockedRow, QStringLiteral("1 OR 1=1"), QStringLiteral("-1"), QStringLiteral("٣"),
                    QStringLiteral("99999999999999999999999")}),
             QList<QVariantMap>());
    // A name shown on the desktop carries no controls that turn its line around.
    const QStringList laila = initialResults({QStringLiteral("laila")});
    QCOMPARE(laila.size(), 1);
    QCOMPARE(metas(laila).constFirst().value(QStringLiteral("name")).toString(), QStringLiteral("ليلى laila"));

    // KDE: the same contacts, in krunner's own types.
    QDBusInterface runner(QStringLiteral("org.qav.telephone"), QStringLiteral("/runner"),
                          QStringLiteral("org.kde.krunner1"), QDBusConnection::sessionBus());
    const QDBusMessage matched = runner.call(QStringLiteral("Match"), QStringLiteral("mohamed"));
    QCOMPARE(matched.signature(), QStringLiteral("a(sssida{sv})"));
    const RemoteMatches matches = qdbus_cast<RemoteMatches>(matched.arguments().constFirst());
    QCOMPARE(matches.size(), 1);
    QCOMPARE(matches.constFirst().id, row);
    QCOMPARE(matches.constFirst().text, QStringLiteral("محمد علي"));
    QCOMPARE(matches.constFirst().properties.value(QStringLiteral("subtext")).toString(),
             QStringLiteral("أصدقاء ، 0100 555"));
    QCOMPARE(runner.call(QStringLiteral("Actions")).signature(), QStringLiteral("a(sss)"));
    QVERIFY(
        qdbus_cast<RemoteMatches>(runner.call(QStringLiteral("Match"), QStringLiteral("Locked")).arguments().value(0))
            .isEmpty());

    // A directory locked while the service runs is not searched from then on.
    QVERIFY(m_db.reader().execute(QStringLiteral("UPDATE dirg SET pass = 'x' WHERE code = ?"), {m_friends}));
    QCOMPARE(initialResults({QStringLiteral("mohamed")}), QStringList());
    QVERIFY(m_db.reader().execute(QStringLiteral("UPDATE dirg SET pass = '0' WHERE code = ?"), {m_friends}));
    QCOMPARE(initialResults({QStringLiteral("mohamed")}), QStringList{row});

    // A protected book answers nothing, neither the running service nor one started afresh.
    QVERIFY(BookRekey::run(m_db.reader(), QStringLiteral("كلمة سر طويلة")));
    m_db.reader().close();
    QCOMPARE(initialResults({QStringLiteral("mohamed")}), QStringList());
    QDBusConnectionInterface* names = QDBusConnection::sessionBus().interface();
    const pid_t running = pid_t(names->servicePid(QStringLiteral("org.qav.telephone")).value());
    QVERIFY(running > 0);
    ::kill(running, SIGTERM);
    QTRY_VERIFY(!names->isServiceRegistered(QStringLiteral("org.qav.telephone")));
    QCOMPARE(initialResults({QStringLiteral("mohamed")}), QStringList());
    QVERIFY(names->isServiceRegistered(QStringLiteral("org.qav.telephone")));
}

void TestDesktopSearch::choosingAResultOpensTheWindowOnIt()
{
    // A book of its own, so what the other case did to the shared one does not matter.
    TestDatabase db;
    const QString friends = db.addDirectory(QStringLiteral("أصدقاء"));
    const QString locked = db.addDirectory(QStringLiteral("سرى"), QStringLiteral("1234"));
    db.addContact(QStringLiteral("سامى"), friends);
    db.addContact(QStringLiteral("سامية"), locked);
    const QString row = db.scalar(QStringLiteral("SELECT rowid FROM info WHERE dir = ?"), {friends});
    const QString lockedRow = db.scalar(QStringLiteral("SELECT rowid FROM info WHERE dir = ?"), {locked});
    QStringList shown;
    SearchService service([&db] { return &db.reader(); },
                          {[&shown](const QString& id) { shown << QStringLiteral("contact ") + id; },
                           [&shown](const QString& text) { shown << QStringLiteral("search ") + text; }});
    auto* gnome = service.findChild<GnomeSearchProvider*>();
    auto* runner = service.findChild<KRunnerProvider*>();
    gnome->ActivateResult(row, {QStringLiteral("سا")}, 0);
    gnome->ActivateResult(lockedRow, {QStringLiteral("سا")}, 0);
    runner->Run(lockedRow, QString());
    runner->Run(row, QString());
    gnome->LaunchSearch({QStringLiteral("-h"), QStringLiteral("سا")}, 0);
    QCOMPARE(shown, QStringList({QStringLiteral("contact ") + row, QStringLiteral("contact ") + row,
                                 QStringLiteral("search -h سا")}));
    QCOMPARE(service.finder().columnsOf(lockedRow), QStringList());
    QCOMPARE(service.finder().columnsOf(row).value(0), QStringLiteral("سامى"));

    // The program started for them opens its window on the same contact or text, whatever the
    // text looks like.
    const auto asStarted = [](const QStringList& arguments) {
        return CommandLine::handle(QStringList{QStringLiteral("qavtelephone")} + arguments);
    };
    const CommandLine::Request contact = asStarted(ContactLaunch::contactArguments(row));
    QVERIFY(contact.action == CommandLine::Request::Action::Window);
    QCOMPARE(contact.showContact, row);
    for (const QString& text : {QStringLiteral("--help"), QStringLiteral("-v سا"), QStringLiteral("a=b")}) {
        const CommandLine::Request search = asStarted(ContactLaunch::searchArguments(text));
        QVERIFY(search.action == CommandLine::Request::Action::Window);
        QCOMPARE(search.searchBook, text);
    }
    // Anything but a row number, or mixed with other commands, is a wrong command line.
    QCOMPARE(asStarted({QStringLiteral("--show-contact"), QStringLiteral("1;2")}).status, 2);
    QCOMPARE(asStarted({QStringLiteral("--search-provider"), QStringLiteral("--query"), QStringLiteral("x")}).status,
             2);
    QVERIFY(asStarted({QStringLiteral("--search-provider")}).action == CommandLine::Request::Action::SearchProvider);
}

void TestDesktopSearch::notificationsGoWhereTheDesktopHasThem()
{
    // No notification server on the bus: nothing is shown, and the caller is told so at once.
    QVERIFY(!Notifier::notify(QStringLiteral("تعذرت المزامنة"), QStringLiteral("x")));

    QDBusConnection server = QDBusConnection::connectToBus(m_address, QStringLiteral("notifications"));
    FakeNotifications notifications;
    QThread thread;
    notifications.moveToThread(&thread);
    thread.start();
    QVERIFY(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications,
                                  QDBusConnection::ExportAllSlots));
    QVERIFY(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    // A server's text goes into the body as text, never as markup the desktop would obey.
    QVERIFY(Notifier::notify(QStringLiteral("تعذرت المزامنة"), QStringLiteral("الخادم <b>x</b> & y")));
    QCOMPARE(notifications.received(),
             QStringList({QStringLiteral("QAV Telephone"), QStringLiteral("org.qav.telephone"),
                          QStringLiteral("تعذرت المزامنة"), QStringLiteral("الخادم &lt;b&gt;x&lt;/b&gt; &amp; y")}));
    server.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    server.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    thread.quit();
    thread.wait();
    QDBusConnection::disconnectFromBus(QStringLiteral("notifications"));
}

QTEST_MAIN(TestDesktopSearch)
#include "tst_desktopsearch.moc"
