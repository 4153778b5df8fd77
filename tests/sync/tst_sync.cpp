// Two program files kept in step through one real Radicale address book: what each side adds,
// changes, deletes and moves away reaches the other, and nothing is lost on either side.
#include "AddressBookFinder.h"
#include "BookSync.h"
#include "CardDavClient.h"
#include "ContactMerge.h"
#include "LinkedBook.h"
#include "ProgramRun.h"
#include "RadicaleServer.h"
#include "Schema.h"
#include "TestDatabase.h"
#include "TrashStore.h"

#include <QBuffer>
#include <QImage>

#include <QtTest>

namespace
{

using Contacts = LinkedBook::Contacts;

QStringList mobile(const QString& number)
{
    return LinkedBook::mobile(number);
}

// Each side is a program file linked to the shared book as the server's one user.
struct RadicaleBook : LinkedBook {
    explicit RadicaleBook(const QUrl& book) : LinkedBook(book, RadicaleServer::kUser, RadicaleServer::kPassword) {}
};

} // namespace

class TestSync : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void twoBooksStayInStep();
    void aLocalEditKeepsWhatOnlyTheServerShows();
    void aMergeReachesTheServer();
    void bothSidesChangedOneContact();
    void aCardChangedThereWhileSyncingIsNotOverwritten();
    void theServerGoesDownInTheMiddle();
    void aFirstSyncOfThousandsOfCards();
    void addressBooksAreFoundAndMade();
    void theCommandLineLinksAndSyncs();
    void aCertificateThatDoesNotVerifyIsRefused();

private:
    std::unique_ptr<RadicaleServer> m_server;
    QUrl m_book;
};

void TestSync::init()
{
    m_server = std::make_unique<RadicaleServer>();
    QVERIFY2(m_server->start(), qPrintable(m_server->log()));
    m_book = m_server->createBook(QStringLiteral("shared"));
    QVERIFY(m_book.isValid());
}

void TestSync::cleanup()
{
    m_server.reset();
}

void TestSync::twoBooksStayInStep()
{
    RadicaleBook a(m_book), b(m_book);
    a.add(QStringLiteral("أحمد"), mobile(QStringLiteral("0100")));
    a.add(QStringLiteral("سارة"),
          {QStringLiteral("022"), QString(), QString(), QString(), QStringLiteral("القاهرة"),
           QStringLiteral("sara@example.org"), QStringLiteral("الشركة"), QStringLiteral("سطر\r\nسطر آخر")});
    b.add(QStringLiteral("Bob"), mobile(QStringLiteral("555")));
    // Someone b already has in another directory, in Latin letters: the card that comes is added,
    // and said to be a likely duplicate.
    b.add(QStringLiteral("Ahmed"));
    b.moveAway(QStringLiteral("Ahmed"));
    QVERIFY(a.sync().completed());
    SyncSummary first = b.sync();
    QVERIFY2(first.completed(), qPrintable(first.error()));
    QCOMPARE(first.received, 2);
    QCOMPARE(first.sent, 1);
    QCOMPARE(first.likelyDuplicates, 1);
    QVERIFY(first.text().contains(QStringLiteral("1 ربما مكررة")));
    QVERIFY(a.sync().completed());
    QCOMPARE(a.contacts(), b.contacts());
    QCOMPARE(a.contacts().size(), 3);

    // Changes on each side: edit, delete, add, and a contact moved to another directory.
    b.set(QStringLiteral("أحمد"), QStringLiteral("mobil"), QStringLiteral("0111"));
    b.remove(QStringLiteral("Bob"));
    b.add(QStringLiteral("Zaid"));
    a.moveAway(QStringLiteral("سارة"));
    a.set(QStringLiteral("سارة"), QStringLiteral("org"), QStringLiteral("changed after the move"));
    QVERIFY(b.sync().completed());
    QVERIFY(a.sync().completed());
    QVERIFY(b.sync().completed());
    QCOMPARE(a.contacts(), b.contacts());
    QCOMPARE(a.contacts().keys(), (QStringList{QStringLiteral("Zaid"), QStringLiteral("أحمد")}));
    QCOMPARE(a.contacts().value(QStringLiteral("أحمد")).value(2), QStringLiteral("0111"));
    // The moved contact stays where it went, on the side that moved it.
    QVERIFY(a.contacts(false).contains(QStringLiteral("سارة")));

    // A rename is a change of the same card, not a deletion and a new card.
    a.set(QStringLiteral("Zaid"), QStringLiteral("name"), QStringLiteral("Zaid Omar"));
    QVERIFY(a.sync().completed());
    const SyncSummary renamed = b.sync();
    QCOMPARE(renamed.received, 1);
    QCOMPARE(renamed.deleted, 0);
    QCOMPARE(a.contacts(), b.contacts());

    // Nothing changed: nothing goes either way.
    const SyncSummary quiet = a.sync();
    QCOMPARE(quiet.received + quiet.sent + quiet.deleted, 0);

    // Once the book has been still for a while, a sync sees that from its date alone; a change on
    // either side after that still goes through.
    QTest::qWait(2200);
    QVERIFY(a.sync().completed());
    QVERIFY(a.sync().completed());
    b.set(QStringLiteral("Zaid Omar"), QStringLiteral("jobtel"), QStringLiteral("777"));
    QCOMPARE(b.sync().sent, 1);
    QCOMPARE(a.sync().received, 1);
    a.set(QStringLiteral("أحمد"), QStringLiteral("fax"), QStringLiteral("888"));
    QCOMPARE(a.sync().sent, 1);
    QCOMPARE(b.sync().received, 1);
    QCOMPARE(a.contacts(), b.contacts());
}

void TestSync::aMergeReachesTheServer()
{
    // Two cards of one person on the server; merged on one side, the other side ends with one
    // contact that holds every value of both.
    RadicaleBook a(m_book), b(m_book);
    a.add(QStringLiteral("محمد أحمد"), {QStringLiteral("0223456789"), {}, QStringLiteral("0100 123 4567")});
    a.add(QStringLiteral("Mohamed Ahmed"),
          {{}, QStringLiteral("0233334444"), QStringLiteral("+20 100 123 4567"), {}, {}, QStringLiteral("m@x.org")});
    QVERIFY(a.sync().completed());
    QVERIFY(b.sync().completed());
    QCOMPARE(b.contacts().size(), 2);
    const Contacts before = a.contacts();
    auto fieldsOf = [&before](const QString& name) {
        return ContactFields::fromRow(QStringList{name} + before.value(name));
    };
    const ContactMerge::Whole kept{fieldsOf(QStringLiteral("محمد أحمد"))};
    const ContactMerge::Whole other{fieldsOf(QStringLiteral("Mohamed Ahmed"))};
    const ContactMerge::Whole merged = ContactMerge::merged(kept, {other}, QStringLiteral("EG"));
    QVERIFY(ContactMerge::apply(a.connection(), kept, merged, {other.fields}).ok);
    const SyncSummary sent = a.sync();
    QVERIFY2(sent.completed(), qPrintable(sent.error()));
    const SyncSummary received = b.sync();
    QCOMPARE(received.deleted, 1);
    QCOMPARE(b.contacts(), a.contacts());
    QCOMPARE(b.contacts().keys(), QStringList{QStringLiteral("محمد أحمد")});
    const QString all = b.contacts().value(QStringLiteral("محمد أحمد")).join(QLatin1Char('|'));
    // The mobile both held, written two ways, is kept once.
    for (const QString& value : {QStringLiteral("0223456789"), QStringLiteral("0233334444"),
                                 QStringLiteral("0100 123 4567"), QStringLiteral("m@x.org")})
        QVERIFY2(all.contains(value), qPrintable(value + QStringLiteral(" in ") + all));
    QVERIFY(!all.contains(QStringLiteral("+20 100 123 4567")));
}

// The card's properties as written, unfolded: what a reader compares.
QList<QByteArray> unfoldedLines(QByteArray card)
{
    card.replace("\r\n ", "").replace("\n ", "");
    QList<QByteArray> lines = card.split('\n');
    for (QByteArray& line : lines)
        line = line.trimmed();
    lines.removeAll(QByteArray());
    return lines;
}

void TestSync::aLocalEditKeepsWhatOnlyTheServerShows()
{
    // A phone's card as another client puts it on the server.
    QImage picture(600, 400, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    QVERIFY(picture.save(&jpeg, "JPEG"));
    const QByteArray photo = jpeg.data().toBase64();
    const QByteArray card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-1\r\nFN:Mona\r\nN:;Mona;;;\r\n"
        "TEL;TYPE=CELL:0100\r\nTEL;TYPE=CELL:0199\r\nitem1.TEL:0155\r\nitem1.X-ABLabel:mobile\r\n"
        "TEL;TYPE=WORK:0300\r\nTEL;TYPE=WORK,VOICE:0301\r\nTEL;TYPE=FAX:0400\r\n"
        "EMAIL;TYPE=INTERNET:mona@home.example\r\nEMAIL;TYPE=WORK:mona@work.example\r\nEMAIL:m@other.example\r\n"
        "ADR;TYPE=HOME:;;1 Nile St;Cairo;;11511;Egypt\r\nADR;TYPE=WORK:;;2 Tahrir Sq;Cairo;;;Egypt\r\n"
        "URL:https://mona.example\r\nBDAY:1990-04-01\r\nCATEGORIES:family,friends\r\nX-PHONE-RINGTONE:bells\r\n"
        "PHOTO;ENCODING=b;TYPE=JPEG:" +
        photo + "\r\nEND:VCARD\r\n";
    CardDavClient client(RadicaleServer::kUser, RadicaleServer::kPassword);
    const QUrl url = m_book.resolved(QUrl(QStringLiteral("phone-1.vcf")));
    QVERIFY(client.put(url, card, {}).ok());

    // Every value arrives as its own; the notes stay empty.
    RadicaleBook a(m_book);
    QVERIFY(a.sync().completed());
    const QStringList read = a.contacts().value(QStringLiteral("Mona"));
    QCOMPARE(read, (QStringList{QString(), QStringLiteral("0300"), QStringLiteral("0100"), QStringLiteral("0400"),
                                QStringLiteral("1 Nile St, Cairo, 11511, Egypt"), QStringLiteral("mona@home.example"),
                                QString(), QString()}));
    const MoreValues more = a.more(QStringLiteral("Mona"));
    QStringList shown;
    for (const ContactValue& value : more)
        shown << ContactValue::kindName(value.kind) + QLatin1Char(' ') + value.label + QLatin1Char(' ') +
                     (value.kind == ContactValue::Kind::Photo ? QStringLiteral("(picture)") : value.value);
    QCOMPARE(shown.size(), 9);
    for (const QString& value :
         {QStringLiteral("mobile 0199"), QStringLiteral("mobile 0155"), QStringLiteral("work 0301"),
          QStringLiteral("work mona@work.example"), QStringLiteral(" m@other.example"),
          QStringLiteral("work ;;2 Tahrir Sq;Cairo;;;Egypt"), QStringLiteral("url  https://mona.example"),
          QStringLiteral("birthday 1990-04-01"), QStringLiteral("photo  (picture)")})
        QVERIFY2(shown.join(QLatin1Char('|')).contains(value),
                 qPrintable(value + QStringLiteral(" in ") + shown.join(QLatin1Char('|'))));

    // One value edited here: the server's card has that property changed and every other as it was.
    MoreValues edited = more;
    for (ContactValue& value : edited)
        if (value.value == QLatin1String("0155"))
            value.value = QStringLiteral("0166");
    a.setMore(QStringLiteral("Mona"), edited);
    a.set(QStringLiteral("Mona"), QStringLiteral("moreinfo"), QStringLiteral("a note"));
    const QList<QByteArray> before = unfoldedLines(client.get(url).body);
    const SyncSummary sent = a.sync();
    QCOMPARE(sent.sent, 1);
    QList<QByteArray> after = unfoldedLines(client.get(url).body);
    QVERIFY(after.removeOne("NOTE:a note")); // where the server puts it
    QList<QByteArray> expected = before;
    expected.replace(expected.indexOf("item1.TEL:0155"), "item1.TEL:0166");
    QCOMPARE(after, expected);

    // A second program file reads the same contact; a Hijri birthday made here reaches it as Hijri.
    a.add(QStringLiteral("Huda"), {{}, {}, QStringLiteral("0122"), {}, {}, QStringLiteral("h@home.example")});
    const ContactValue hijri{ContactValue::Kind::Date, QStringLiteral("birthday"), QStringLiteral("1435-09-15"),
                             QString::fromLatin1(ContactValue::kHijri)};
    a.setMore(QStringLiteral("Huda"),
              {{ContactValue::Kind::Email, QStringLiteral("work"), QStringLiteral("h@w.example")}, hijri});
    QCOMPARE(a.sync().sent, 1);
    RadicaleBook b(m_book);
    // A book linked before more values were synced has no place for them yet: it gets one.
    QVERIFY(b.connection().executeScript(
        QStringLiteral("DROP TABLE qav_sync_card; CREATE TABLE qav_sync_card (dir TEXT NOT NULL, href TEXT NOT NULL, "
                       "etag TEXT NOT NULL DEFAULT '', contact INTEGER NOT NULL DEFAULT 0, vcard TEXT NOT NULL "
                       "DEFAULT '', name TEXT, hometel TEXT, jobtel TEXT, mobil TEXT, fax TEXT, address TEXT, "
                       "email TEXT, org TEXT, moreinfo TEXT)")));
    QVERIFY(b.sync().completed());
    QCOMPARE(b.contacts(), a.contacts());
    QCOMPARE(b.more(QStringLiteral("Mona")), edited);
    QCOMPARE(b.more(QStringLiteral("Huda")), a.more(QStringLiteral("Huda")));
    QCOMPARE(b.more(QStringLiteral("Huda")).back(), hijri);

    // Both sides change the more values differently: the server's stand, ours are kept beside them.
    MoreValues fromB = edited;
    fromB.front().value = QStringLiteral("0177");
    b.setMore(QStringLiteral("Mona"), fromB);
    MoreValues fromA = edited;
    fromA.pop_back();
    a.setMore(QStringLiteral("Mona"), fromA);
    QCOMPARE(b.sync().sent, 1);
    const SyncSummary meeting = a.sync();
    QCOMPARE(meeting.conflicts.size(), 1);
    QCOMPARE(a.more(QStringLiteral("Mona")), fromB);
    QCOMPARE(a.more(QStringLiteral("Mona (نسخة محلية)")), fromA);

    // A card deleted there takes its contact to the trash here, more values and all.
    QVERIFY(client.remove(url, {}).ok());
    QCOMPARE(a.sync().deleted, 1);
    QList<TrashStore::Trashed> trashed;
    QVERIFY(TrashStore(a.connection()).list(trashed));
    QCOMPARE(trashed.size(), 1);
    QVERIFY(TrashStore(a.connection()).restore(trashed.front().id, QString()));
    QCOMPARE(a.more(QStringLiteral("Mona")), fromB);
}

void TestSync::bothSidesChangedOneContact()
{
    RadicaleBook a(m_book), b(m_book);
    a.add(QStringLiteral("Omar"), mobile(QStringLiteral("1")));
    a.add(QStringLiteral("Huda"), mobile(QStringLiteral("2")));
    QVERIFY(a.sync().completed());
    QVERIFY(b.sync().completed());

    a.set(QStringLiteral("Omar"), QStringLiteral("mobil"), QStringLiteral("from a"));
    b.set(QStringLiteral("Omar"), QStringLiteral("mobil"), QStringLiteral("from b"));
    // Deleted on one side, changed on the other: kept, whichever side syncs first.
    a.remove(QStringLiteral("Huda"));
    b.set(QStringLiteral("Huda"), QStringLiteral("org"), QStringLiteral("changed"));
    QVERIFY(a.sync().completed());
    const SyncSummary meeting = b.sync();
    QVERIFY(meeting.completed());
    QCOMPARE(meeting.conflicts.size(), 1);
    QCOMPARE(meeting.conflicts.first().second, QStringLiteral("Omar (نسخة محلية)"));

    const Contacts atB = b.contacts();
    QCOMPARE(atB.value(QStringLiteral("Omar")).value(2), QStringLiteral("from a"));
    QCOMPARE(atB.value(QStringLiteral("Omar (نسخة محلية)")).value(2), QStringLiteral("from b"));
    QCOMPARE(atB.value(QStringLiteral("Huda")).value(6), QStringLiteral("changed"));
    QVERIFY(a.sync().completed());
    QCOMPARE(a.contacts(), atB);
}

void TestSync::aCardChangedThereWhileSyncingIsNotOverwritten()
{
    RadicaleBook a(m_book), b(m_book);
    a.add(QStringLiteral("Laila"), mobile(QStringLiteral("1")));
    QVERIFY(a.sync().completed());
    QVERIFY(b.sync().completed());

    // Another writer changes the card after a read what the server had and before it writes: a 412.
    a.set(QStringLiteral("Laila"), QStringLiteral("mobil"), QStringLiteral("from a"));
    b.set(QStringLiteral("Laila"), QStringLiteral("mobil"), QStringLiteral("from b"));
    bool otherWrote = false;
    const SyncSummary summary = a.sync([&](int, int) {
        if (!otherWrote) {
            otherWrote = true;
            b.sync();
        }
        return true;
    });
    QVERIFY(otherWrote);
    QVERIFY2(summary.completed(), qPrintable(summary.error()));
    QCOMPARE(summary.conflicts.size(), 1);
    QCOMPARE(a.contacts().value(QStringLiteral("Laila")).value(2), QStringLiteral("from b"));
    QCOMPARE(a.contacts().value(QStringLiteral("Laila (نسخة محلية)")).value(2), QStringLiteral("from a"));
    QVERIFY(b.sync().completed());
    QCOMPARE(b.contacts(), a.contacts());
}

void TestSync::theServerGoesDownInTheMiddle()
{
    RadicaleBook a(m_book), b(m_book);
    for (int i = 0; i < 300; ++i)
        a.add(QStringLiteral("Contact %1").arg(i, 3, 10, QLatin1Char('0')), mobile(QString::number(i)));
    const Contacts before = a.contacts();

    const SyncSummary cut = a.sync([&](int done, int) {
        if (done == 100)
            m_server->stop();
        return true;
    });
    QVERIFY(!cut.completed());
    QVERIFY(cut.text().contains(QStringLiteral("تعذر الاتصال بالخادم")));
    QVERIFY(cut.sent >= 100 && cut.sent < 300);
    QCOMPARE(a.contacts(), before); // the book is as it was, and usable

    QVERIFY(m_server->start());
    const SyncSummary rest = a.sync();
    QVERIFY2(rest.completed(), qPrintable(rest.error()));
    QCOMPARE(cut.sent + rest.sent, 300);
    QCOMPARE(a.contacts(), before);
    QVERIFY(b.sync().completed());
    QCOMPARE(b.contacts(), before); // every contact once, none twice
}

void TestSync::aFirstSyncOfThousandsOfCards()
{
    QVERIFY(m_server->writeCards(QStringLiteral("shared"), 1500));
    RadicaleBook a(m_book), b(m_book);
    for (RadicaleBook* side : {&a, &b}) {
        const SyncSummary first = side->sync();
        QVERIFY2(first.completed(), qPrintable(first.error()));
        QCOMPARE(first.received, 1500);
    }
    // The cards are known one by one afterwards: a change to one is one change, never a second copy.
    b.set(QStringLiteral("جهة 00007"), QStringLiteral("mobil"), QStringLiteral("999"));
    QCOMPARE(b.sync().sent, 1);
    const SyncSummary again = a.sync();
    QCOMPARE(again.received, 1);
    QCOMPARE(a.count(), 1500);
    QCOMPARE(a.contacts(), b.contacts());
}

void TestSync::addressBooksAreFoundAndMade()
{
    CardDavClient client(RadicaleServer::kUser, RadicaleServer::kPassword);
    AddressBookFinder finder(client);
    std::vector<AddressBook> books;
    QVERIFY2(finder.find(m_server->serverUrl().toString(), books), qPrintable(finder.error()));
    QCOMPARE(books.size(), size_t(1));
    QCOMPARE(books.front().url, m_book);

    AddressBook made;
    QVERIFY(finder.create(finder.home(), QStringLiteral("دليل العمل"), made));
    QVERIFY(finder.find(m_server->serverUrl().toString(), books));
    QCOMPARE(books.size(), size_t(2));
    QVERIFY(std::any_of(books.begin(), books.end(),
                        [](const AddressBook& book) { return book.name == QStringLiteral("دليل العمل"); }));

    CardDavClient wrong(RadicaleServer::kUser, QStringLiteral("not it"));
    AddressBookFinder refused(wrong);
    QVERIFY(!refused.find(m_server->serverUrl().toString(), books));
    QCOMPARE(refused.error(), QStringLiteral("رفض الخادم اسم المستخدم أو كلمة المرور"));
}

void TestSync::theCommandLineLinksAndSyncs()
{
    RadicaleBook other(m_book);
    other.add(QStringLiteral("من الخادم"), mobile(QStringLiteral("42")));
    QVERIFY(other.sync().completed());

    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("qavtelephone"));
    QVERIFY(QFile::copy(QStringLiteral(QAV_PROGRAM), program));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(Schema::create(folder.filePath(QStringLiteral("Kib.bin"))).ok);
    QFile password(folder.filePath(QStringLiteral("password")));
    QVERIFY(password.open(QIODevice::WriteOnly));
    password.write(RadicaleServer::kPassword.toUtf8() + '\n');
    password.close();
    password.setPermissions(QFile::ReadOwner | QFile::WriteOwner); // as a password file should be: no warning
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none-there")); // a window would fail
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    auto run = [&](const QStringList& arguments) { return ProgramRun::of(program, arguments, environment); };

    // The user and password in the address are credentials: used, never stored or printed.
    QUrl withPassword = m_book;
    withPassword.setUserName(RadicaleServer::kUser);
    withPassword.setPassword(QStringLiteral("s3cr3t-in-url"));
    const ProgramRun linked = run({QStringLiteral("--link"), QStringLiteral("البيت"), withPassword.toString()});
    QCOMPARE(linked.status, 1); // checked with that password, which the server refuses
    QVERIFY(!linked.out.contains(QStringLiteral("s3cr3t")) && !linked.err.contains(QStringLiteral("s3cr3t")));
    withPassword.setPassword(RadicaleServer::kPassword);
    const ProgramRun relinked = run({QStringLiteral("--link"), QStringLiteral("البيت"), withPassword.toString()});
    QVERIFY2(relinked.status == 0, qPrintable(relinked.err));
    QVERIFY(!relinked.out.contains(RadicaleServer::kPassword));
    DataConnection book;
    QVERIFY(book.open(folder.filePath(QStringLiteral("Kib.bin")), QString::fromLatin1(Schema::kPassword)));
    QString stored;
    QVERIFY(book.scalar(QStringLiteral("SELECT book || server || user FROM qav_sync_link"), {}, stored));
    QVERIFY2(!stored.contains(RadicaleServer::kPassword) && stored.contains(RadicaleServer::kUser), qPrintable(stored));
    // One address book, one directory.
    const ProgramRun twice = run({QStringLiteral("--link"), QStringLiteral("غيره"), m_book.toString(),
                                  QStringLiteral("--user"), RadicaleServer::kUser});
    QCOMPARE(twice.status, 1);
    QVERIFY(twice.err.contains(QStringLiteral("البيت")));
    // Plain http to another machine is refused unless asked for.
    const ProgramRun plain =
        run({QStringLiteral("--link"), QStringLiteral("بعيد"), QStringLiteral("http://192.0.2.1/dav/book/"),
             QStringLiteral("--user"), RadicaleServer::kUser});
    QCOMPARE(plain.status, 1);
    QVERIFY(plain.err.contains(QStringLiteral("--allow-insecure-http")));

    const ProgramRun synced = run(
        {QStringLiteral("--sync"), QStringLiteral("البيت"), QStringLiteral("--password-file"), password.fileName()});
    QVERIFY2(synced.status == 0, qPrintable(synced.err));
    QVERIFY(synced.out.contains(QStringLiteral("تم استلام: 1")));

    QFile wrong(folder.filePath(QStringLiteral("wrong")));
    QVERIFY(wrong.open(QIODevice::WriteOnly));
    wrong.write("nope");
    wrong.close();
    wrong.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const ProgramRun refused = run({QStringLiteral("--sync"), QStringLiteral("--password-file"), wrong.fileName()});
    QCOMPARE(refused.status, 1);
    QCOMPARE(refused.err.count(QLatin1Char('\n')), 1);
    QVERIFY(refused.err.contains(QStringLiteral("كلمة المرور")));
    QCOMPARE(run({QStringLiteral("--link"), QStringLiteral("البيت"), QStringLiteral("not-a-url")}).status, 2);

    // Given the server's address and the password, a new address book named after the directory is made.
    const ProgramRun made =
        run({QStringLiteral("--link"), QStringLiteral("العمل"), m_server->serverUrl().toString(),
             QStringLiteral("--user"), RadicaleServer::kUser, QStringLiteral("--password-file"), password.fileName()});
    QVERIFY2(made.status == 0, qPrintable(made.err));
    CardDavClient client(RadicaleServer::kUser, RadicaleServer::kPassword);
    AddressBookFinder finder(client);
    std::vector<AddressBook> books;
    QVERIFY(finder.find(m_server->serverUrl().toString(), books));
    QVERIFY(std::any_of(books.begin(), books.end(),
                        [](const AddressBook& found) { return found.name == QStringLiteral("العمل"); }));
}

void TestSync::aCertificateThatDoesNotVerifyIsRefused()
{
    RadicaleServer secure(true);
    QVERIFY2(secure.start(), qPrintable(secure.log()));
    CardDavClient client(RadicaleServer::kUser, RadicaleServer::kPassword);
    AddressBookFinder finder(client);
    std::vector<AddressBook> books;
    QVERIFY(!finder.find(secure.serverUrl().toString(), books));
    QVERIFY2(finder.error().contains(QStringLiteral("شهادة الخادم غير موثوقة")), qPrintable(finder.error()));
}

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
