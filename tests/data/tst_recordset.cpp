// Recordsets as the windows use them: counts, filters, order, walking and snapshots.
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DatabaseFileCopy.h"
#include "KeptOrder.h"
#include "NameOrder.h"
#include "RecordFilter.h"
#include "Recordset.h"
#include "SharedData.h"
#include "TestDatabase.h"
#include "Transaction.h"

#include <QRandomGenerator>
#include <QtTest>

#include <optional>
#include <set>
#include <utility>

class TestRecordset : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openCountsExactlyAndStartsOnTheFirstRow();
    void filterWildcardsAndCounts_data();
    void filterWildcardsAndCounts();
    void typedFilterTextIsData();
    void aCharacterBeyondTheFirstPlaneIsFound();
    void emptyFilterShowsEveryRowAgain();
    void notEqualFilterHidesOneDirectory();
    void namesSortAsPeopleExpect();
    void requeryKeepsTheFilterAndSeesNewRows();
    void snapshotsDoNotFollowLaterFilters();
    void closedOrFailedRecordsetsHaveNoCount();
    void pagesBeyondTheCacheReadBackCorrectly();
    void orderStaysRightAfterAddsRenamesAndDeletes();
    void theNextSessionOpensWithTheKeptOrderUntilAnotherWriterChangesTheFile();
    void aLargeDirectorySortsAsASmallOneDoes();
    void aNameSearchFindsSpellingsInTheOtherScriptAfterTheExactHits();
    void randomChangesLeaveTheOrderAsAFreshSortDoes();

private:
    std::unique_ptr<TestDatabase> m_db;
    QString m_family;
    QString m_work;
};

void TestRecordset::init()
{
    m_db = std::make_unique<TestDatabase>();
    m_family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_work = m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addContact(QStringLiteral("أحمد علي"), m_family, {QStringLiteral("0223456789")});
    m_db->addContact(QStringLiteral("O'Neil"), m_family, {{}, {}, {}, {}, {}, {}, QStringLiteral("مدرسة النصر")});
    m_db->addContact(QStringLiteral("100% Pure"), m_family);
    m_db->addContact(QStringLiteral("Star*Light"), m_family);
    m_db->addContact(QStringLiteral("under_score"), m_family);
    m_db->addContact(QStringLiteral("سارة"), m_work);
    // A second mobile and a second e-mail; and a mobile another program left at a row of
    // O'Neil's name that is gone.
    auto giveMore = [this](const QString& name, const ContactValue& value) {
        qint64 at = 0;
        QVERIFY(ContactStore(m_db->reader()).findByName(name, at));
        QVERIFY(ContactValueStore(m_db->reader()).replaceWithin(at, name, {value}));
    };
    giveMore(QStringLiteral("Star*Light"),
             {ContactValue::Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0100 777 8888")});
    giveMore(QStringLiteral("under_score"),
             {ContactValue::Kind::Email, QStringLiteral("work"), QStringLiteral("Under@Example.org")});
    QVERIFY(m_db->reader()
                .execute(QStringLiteral("INSERT INTO qav_contact_value (contact, name, kind, label, value) "
                                        "VALUES (9999, 'O''Neil', 'tel', 'mobile', '0100 777 9999')"))
                .ok);
    QVERIFY(OpenDatabase().ok);
}

void TestRecordset::cleanup()
{
    CloseContactRecordset();
    CloseDirectoryRecordset();
    m_db.reset();
}

void TestRecordset::openCountsExactlyAndStartsOnTheFirstRow()
{
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openContacts(m_family).ok);
    QCOMPARE(contacts.state(), int(Recordset::Open));
    QCOMPARE(contacts.recordCount(), qsizetype(5));
    QCOMPARE(contacts.source(), QStringLiteral("select * from info where dir= '%1' order by name").arg(m_family));
    QCOMPARE(contacts.position(), qsizetype(0));
    QStringList walked;
    while (!contacts.eof()) {
        walked << contacts.field(0);
        QCOMPARE(contacts.field(QStringLiteral("dir")), m_family);
        contacts.moveNext();
    }
    QCOMPARE(walked.size(), 5);
    QCOMPARE(contacts.columns().size(), 10);
}

void TestRecordset::filterWildcardsAndCounts_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("count");
    QTest::newRow("middle of a name") << "name"
                                      << "Nei" << 1;
    QTest::newRow("latin without case") << "name"
                                        << "o'nEIL" << 1;
    QTest::newRow("star in the text is a wildcard") << "name"
                                                    << "Star*ght" << 1;
    QTest::newRow("percent in the text is a wildcard") << "name"
                                                       << "S%L" << 1;
    QTest::newRow("underscore is literal") << "name"
                                           << "r_s" << 1;
    QTest::newRow("underscore never matches another letter") << "name"
                                                             << "O_Neil" << 0;
    QTest::newRow("no hits") << "name"
                             << "zzz" << 0;
    QTest::newRow("empty text lets everything through") << "name"
                                                        << "" << 5;
    QTest::newRow("another column") << "hometel"
                                    << "2345" << 1;
    QTest::newRow("alef forms match each other") << "name"
                                                 << "احمد" << 1;
    QTest::newRow("teh marbuta matches heh") << "org"
                                             << "مدرسه" << 1;
    QTest::newRow("wildcards at both ends and twice") << "name"
                                                      << "*a%r*" << 1;
    QTest::newRow("vowel marks on the typed side") << "name"
                                                   << "أَحْمَد" << 1;
    QTest::newRow("a second mobile") << "mobil"
                                     << "777 8888" << 1;
    QTest::newRow("a second e-mail, in any case") << "email"
                                                  << "under@example" << 1;
    QTest::newRow("a mobile is not a home number") << "hometel"
                                                   << "777" << 0;
    QTest::newRow("never a value of a contact that is gone") << "mobil"
                                                             << "9999" << 0;
}

void TestRecordset::filterWildcardsAndCounts()
{
    QFETCH(QString, column);
    QFETCH(QString, typed);
    QFETCH(int, count);
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openContacts(m_family).ok);
    QVERIFY(contacts.setFilter(RecordFilter::contains(column, typed)).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(count));
    QCOMPARE(contacts.position(), qsizetype(0));
    QStringList walked;
    for (; !contacts.eof(); contacts.moveNext())
        walked << contacts.field(0);
    QCOMPARE(walked.size(), count);

    // Once the directory's order is at hand, a search on names runs over it in memory: the same
    // rows in the same order as the database's search.
    QVERIFY(contacts.setFilter(RecordFilter()).ok);
    QVERIFY(contacts.snapshot()->size() == 5);
    QVERIFY(contacts.setFilter(RecordFilter::contains(column, typed)).ok);
    QStringList again;
    for (; !contacts.eof(); contacts.moveNext())
        again << contacts.field(0);
    QCOMPARE(again, walked);
}

void TestRecordset::aCharacterBeyondTheFirstPlaneIsFound()
{
    m_db->addContact(QStringLiteral("Smile \U0001F600"), m_family);
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openContacts(m_family).ok);
    const RecordFilter smile = RecordFilter::contains(QStringLiteral("name"), QStringLiteral("\U0001F600"));
    QVERIFY(contacts.setFilter(smile).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(1)); // by the database
    QVERIFY(contacts.setFilter(RecordFilter()).ok);
    QVERIFY(contacts.snapshot()->size() == 6);
    QVERIFY(contacts.setFilter(smile).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(1)); // among the names at hand
}

void TestRecordset::typedFilterTextIsData()
{
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openAllContacts().ok);
    const RecordFilter filter = RecordFilter::contains(QStringLiteral("name"), QStringLiteral("' OR '1'='1"));
    QCOMPARE(filter.text(), QStringLiteral("[name] LIKE '*' OR '1'='1%' "));
    QVERIFY(contacts.setFilter(filter).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(0));
    QVERIFY(contacts.setFilter(RecordFilter::contains(QStringLiteral("name"), QStringLiteral("'"))).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(1));
    QCOMPARE(contacts.field(0), QStringLiteral("O'Neil"));
    // A column name that is not a plain identifier never reaches the statement.
    QVERIFY(RecordFilter::contains(QStringLiteral("name) OR (1"), QStringLiteral("x")).isEmpty());
}

void TestRecordset::emptyFilterShowsEveryRowAgain()
{
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openAllContacts().ok);
    QVERIFY(contacts.setFilter(RecordFilter::contains(QStringLiteral("name"), QStringLiteral("سارة"))).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(1));
    QVERIFY(contacts.setFilter(RecordFilter()).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(6));
}

void TestRecordset::notEqualFilterHidesOneDirectory()
{
    Recordset& directories = SharedData::directories();
    QVERIFY(directories.openDirectories().ok);
    const RecordFilter filter = RecordFilter::notEqual(QStringLiteral("code"), m_family);
    QCOMPARE(filter.text(), QStringLiteral("[code] <> '%1' ").arg(m_family));
    QVERIFY(directories.setFilter(filter).ok);
    QCOMPARE(directories.recordCount(), qsizetype(1));
    QCOMPARE(directories.field(0), QStringLiteral("العمل"));
    QCOMPARE(directories.field(1), m_work);
    QCOMPARE(directories.field(2), QStringLiteral("0"));
}

void TestRecordset::namesSortAsPeopleExpect()
{
    TestDatabase db;
    const QString d = db.addDirectory(QStringLiteral("d"));
    const QStringList stored = {QStringLiteral("zed"),     QStringLiteral("بسمة"),   QStringLiteral("Alice"),
                                QStringLiteral("إبراهيم"), QStringLiteral("bob"),    QStringLiteral("احمد"),
                                QStringLiteral("أحمد"),    QStringLiteral("آمال"),   QStringLiteral("alan"),
                                QStringLiteral("Item 10"), QStringLiteral("Item 2"), QStringLiteral("يوسف")};
    for (const QString& name : stored)
        db.addContact(name, d);
    QVERIFY(OpenDatabase().ok);
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openAllContacts().ok);
    QStringList order;
    for (; !contacts.eof(); contacts.moveNext())
        order << contacts.field(0);
    // Arabic first in dictionary order with the alef forms together, then Latin without case,
    // numbers by value.
    const QStringList alefNames = order.mid(0, 4);
    QVERIFY(alefNames.contains(QStringLiteral("إبراهيم")));
    QVERIFY(alefNames.contains(QStringLiteral("احمد")));
    QVERIFY(alefNames.contains(QStringLiteral("أحمد")));
    QVERIFY(alefNames.contains(QStringLiteral("آمال")));
    QCOMPARE(alefNames.first(), QStringLiteral("إبراهيم"));
    QCOMPARE(order.mid(4), (QStringList{QStringLiteral("بسمة"), QStringLiteral("يوسف"), QStringLiteral("alan"),
                                        QStringLiteral("Alice"), QStringLiteral("bob"), QStringLiteral("Item 2"),
                                        QStringLiteral("Item 10"), QStringLiteral("zed")}));
}

void TestRecordset::requeryKeepsTheFilterAndSeesNewRows()
{
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openContacts(m_family).ok);
    QVERIFY(contacts.setFilter(RecordFilter::contains(QStringLiteral("name"), QStringLiteral("a"))).ok);
    const qsizetype before = contacts.recordCount();
    contacts.moveNext();
    m_db->addContact(QStringLiteral("Zakaria"), m_family);
    m_db->addContact(QStringLiteral("Zoe"), m_family);
    QVERIFY(contacts.requery().ok);
    QCOMPARE(contacts.position(), qsizetype(0));
    QCOMPARE(contacts.recordCount(), before + 1);
    QCOMPARE(contacts.filter().value(), QStringLiteral("a"));

    // Another field, searched twice over the names in order, then after a write of this program
    // and after another program's: each time the rows as they stand.
    QVERIFY(contacts.setFilter(RecordFilter()).ok);
    QCOMPARE(contacts.snapshot()->size(), qsizetype(7)); // listed, as the window does: the order is known
    const RecordFilter school = RecordFilter::contains(QStringLiteral("org"), QStringLiteral("النصر"));
    for (int i = 0; i < 2; ++i) {
        QVERIFY(contacts.setFilter(school).ok);
        QCOMPARE(contacts.recordCount(), qsizetype(1));
        QCOMPARE(contacts.field(0), QStringLiteral("O'Neil"));
    }
    // A save of this program, taken in without reading the directory again: the row moves to its
    // new place and its field's text with it.
    DataConnection& connection = SharedData::connection();
    QVERIFY(
        connection
            .execute(QStringLiteral("UPDATE info SET name = 'Aaron', org = 'مدرسة النصر الجديدة' WHERE name = 'Zoe'"))
            .ok);
    QVERIFY(contacts.orderIsCurrent());
    QVERIFY(contacts.setFilter(RecordFilter()).ok);
    QVERIFY(contacts.setFilter(school).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(2));
    QCOMPARE(contacts.field(0), QStringLiteral("Aaron"));
    QVERIFY(connection.execute(QStringLiteral("UPDATE info SET name = 'Zoe' WHERE name = 'Aaron'")).ok);
    QVERIFY(contacts.orderIsCurrent());
    QVERIFY(contacts.setFilter(RecordFilter()).ok);
    QVERIFY(contacts.setFilter(school).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(2));
    QCOMPARE(contacts.field(0), QStringLiteral("O'Neil"));
    QCOMPARE(contacts.field(7), QStringLiteral("مدرسة النصر"));
    QVERIFY(m_db->reader().execute(QStringLiteral("UPDATE info SET org = '' WHERE name = \"O'Neil\"")).ok);
    QVERIFY(contacts.setFilter(RecordFilter()).ok);
    QVERIFY(contacts.setFilter(school).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(1));
    QCOMPARE(contacts.field(0), QStringLiteral("Zoe"));

    // Every directory at once: a second mobile is found, but never in a directory with a password.
    const QString locked = m_db->addDirectory(QStringLiteral("خاص"), QStringLiteral("secret"));
    m_db->addContact(QStringLiteral("Hidden"), locked);
    qint64 hidden = 0;
    QVERIFY(ContactStore(m_db->reader()).findByName(QStringLiteral("Hidden"), hidden));
    QVERIFY(
        ContactValueStore(m_db->reader())
            .replaceWithin(hidden, QStringLiteral("Hidden"),
                           {{ContactValue::Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0100 777 8880")}}));
    QVERIFY(contacts.openAllContacts().ok);
    QVERIFY(contacts.setFilter(RecordFilter::contains(QStringLiteral("mobil"), QStringLiteral("777 888"))).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(1));
    QCOMPARE(contacts.field(0), QStringLiteral("Star*Light"));
}

void TestRecordset::snapshotsDoNotFollowLaterFilters()
{
    Recordset& directories = SharedData::directories();
    QVERIFY(directories.openDirectories().ok);
    QVERIFY(directories.setFilter(RecordFilter::contains(QStringLiteral("dirname"), QStringLiteral("عمل"))).ok);
    const auto narrowed = directories.snapshot();
    QVERIFY(directories.setFilter(RecordFilter()).ok);
    QCOMPARE(directories.recordCount(), qsizetype(2));
    QCOMPARE(narrowed->size(), qsizetype(1));
    QCOMPARE(narrowed->value(0, 0), QStringLiteral("العمل"));
}

void TestRecordset::closedOrFailedRecordsetsHaveNoCount()
{
    Recordset& contacts = SharedData::contacts();
    contacts.close();
    QCOMPARE(contacts.state(), int(Recordset::Closed));
    QCOMPARE(contacts.recordCount(), qsizetype(-1));
    QVERIFY(contacts.eof());
    QVERIFY(contacts.field(0).isEmpty());
    QVERIFY(!contacts.setFilter(RecordFilter()).ok);
    // Without an open database there is nothing to open.
    DataConnection none;
    Recordset detached(&none);
    QVERIFY(!detached.openAllContacts().ok);
    QCOMPARE(detached.state(), int(Recordset::Closed));
}

void TestRecordset::pagesBeyondTheCacheReadBackCorrectly()
{
    TestDatabase db;
    const QString d = db.addDirectory(QStringLiteral("big"));
    (void)db.reader().execute(QStringLiteral("BEGIN"));
    const int total = int(RowSet::kPageRows * (RowSet::kCachedPages + 3));
    for (int i = 0; i < total; ++i)
        db.addContact(QStringLiteral("n%1").arg(i, 5, 10, QLatin1Char('0')), d, {QString::number(i)});
    (void)db.reader().execute(QStringLiteral("COMMIT"));
    QVERIFY(OpenDatabase().ok);
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openContacts(d).ok);
    const auto rows = contacts.snapshot();
    QCOMPARE(rows->size(), qsizetype(total));
    // Jump around so that pages are dropped and read again.
    for (int i : {0, total - 1, 5, total / 2, 1, total - 2, 0})
        QCOMPARE(rows->value(i, 1), QString::number(i));
    QVERIFY(rows->value(total, 0).isEmpty());
}

void TestRecordset::orderStaysRightAfterAddsRenamesAndDeletes()
{
    TestDatabase db;
    const QString d = db.addDirectory(QStringLiteral("d"));
    for (int i = 0; i < 200; ++i)
        db.addContact(QStringLiteral("%1 اسم %2").arg(i % 2 ? QStringLiteral("Name") : QStringLiteral("أحمد")).arg(i),
                      d);
    QVERIFY(OpenDatabase().ok);
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openContacts(d).ok);
    QCOMPARE(contacts.snapshot()->size(), qsizetype(200));

    // Changes made through the program's connection, then the order is built again.
    DataConnection& connection = SharedData::connection();
    QVERIFY(connection
                .execute(QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"), {QStringLiteral("aaa first"), d})
                .ok);
    QVERIFY(connection
                .execute(QStringLiteral("UPDATE info SET name = ? WHERE name = ?"),
                         {QStringLiteral("zzz renamed"), QStringLiteral("أحمد اسم 0")})
                .ok);
    QVERIFY(connection.execute(QStringLiteral("DELETE FROM info WHERE name = ?"), {QStringLiteral("Name اسم 7")}).ok);
    QVERIFY(contacts.requery().ok);
    const auto rows = contacts.snapshot();
    QCOMPARE(rows->size(), qsizetype(200));
    NameOrder order;
    QStringList names;
    for (qsizetype i = 0; i < rows->size(); ++i)
        names << rows->value(i, 0);
    for (int i = 1; i < names.size(); ++i)
        QVERIFY2(!order.lessThan(names.at(i), names.at(i - 1)),
                 qPrintable(names.mid(std::max(0, i - 3), 6).join(QLatin1Char('|'))));
    QVERIFY(names.contains(QStringLiteral("aaa first")));
    QVERIFY(names.contains(QStringLiteral("zzz renamed")));
    QVERIFY(!names.contains(QStringLiteral("Name اسم 7")));
    QCOMPARE(names.last(), QStringLiteral("zzz renamed"));

    // One row at a time, taken in without reading the order again: the same rows in the same
    // order as a fresh read, for an add, a rename, a move out and a delete.
    auto rowOf = [&connection](const QString& name) {
        QString id;
        (void)connection.scalar(QStringLiteral("SELECT rowid FROM info WHERE name = ?"), {name}, id);
        return id.toLongLong();
    };
    auto sameAsAFreshRead = [&] {
        QVERIFY(contacts.requery().ok);
        Recordset fresh(&connection);
        QVERIFY(fresh.openContacts(d).ok);
        const auto taken = contacts.snapshot();
        const auto read = fresh.snapshot();
        QCOMPARE(taken->size(), read->size());
        for (qsizetype i = 0; i < read->size(); ++i)
            QCOMPARE(taken->value(i, 0), read->value(i, 0));
    };
    // A list still showing the rows keeps them as they were, while the recordset shows the row
    // taken in.
    const auto shown = contacts.snapshot();
    QVERIFY(connection
                .execute(QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"), {QStringLiteral("mmm added"), d})
                .ok);
    QVERIFY(contacts.orderIsCurrent());
    QVERIFY(contacts.requery().ok);
    QCOMPARE(contacts.snapshot()->size(), qsizetype(201));
    QCOMPARE(shown->size(), qsizetype(200));
    for (qsizetype i = 0; i < shown->size(); ++i)
        QVERIFY(shown->value(i, 0) != QStringLiteral("mmm added"));
    sameAsAFreshRead();
    QVERIFY(connection
                .execute(QStringLiteral("UPDATE info SET name = ? WHERE name = ?"),
                         {QStringLiteral("bbb"), QStringLiteral("Name اسم 9")})
                .ok);
    QVERIFY(contacts.orderIsCurrent());
    sameAsAFreshRead();
    QVERIFY(
        connection.execute(QStringLiteral("UPDATE info SET dir = 'elsewhere' WHERE name = ?"), {QStringLiteral("bbb")})
            .ok);
    QVERIFY(contacts.orderIsCurrent());
    sameAsAFreshRead();
    QVERIFY(connection.execute(QStringLiteral("DELETE FROM info WHERE name = ?"), {QStringLiteral("mmm added")}).ok);
    QVERIFY(contacts.orderIsCurrent());
    sameAsAFreshRead();
    QCOMPARE(contacts.recordCount(), qsizetype(199));

    // Another program wrote meanwhile: nothing is taken in, and the next read sees both rows.
    QVERIFY(
        db.reader()
            .execute(QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"), {QStringLiteral("ccc theirs"), d})
            .ok);
    QVERIFY(connection
                .execute(QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"), {QStringLiteral("ddd mine"), d})
                .ok);
    QVERIFY(!contacts.orderIsCurrent());
    sameAsAFreshRead();
    QCOMPARE(contacts.recordCount(), qsizetype(201));

    // A write that fails and is rolled back leaves the order current, as the file is.
    {
        Transaction failing(connection);
        QVERIFY(
            connection
                .execute(QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"), {QStringLiteral("aaa gone"), d})
                .ok);
        QVERIFY(
            connection.execute(QStringLiteral("DELETE FROM info WHERE name = ?"), {QStringLiteral("ccc theirs")}).ok);
        QVERIFY(!connection
                     .execute(QStringLiteral("INSERT INTO info (rowid, name, dir) VALUES (?, 'eee', ?)"),
                              {QString::number(rowOf(QStringLiteral("zzz renamed"))), d})
                     .ok); // the row is taken
    }
    QVERIFY(contacts.orderIsCurrent());
    sameAsAFreshRead();
    QCOMPARE(contacts.recordCount(), qsizetype(201));

    // Many rows at once (an import, a sync), while the directory is not even open: adds, a
    // rename, a move out and a delete, taken in; the next opening is as a fresh read.
    contacts.close();
    {
        Transaction import(connection);
        for (int i = 0; i < 20; ++i)
            QVERIFY(connection
                        .execute(QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"),
                                 {QStringLiteral("%1 جديد %2")
                                      .arg(i % 2 ? QStringLiteral("أحمد") : QStringLiteral("ccc"))
                                      .arg(i),
                                  d})
                        .ok);
        QVERIFY(connection
                    .execute(QStringLiteral("UPDATE info SET name = 'aaa0' WHERE rowid = ?"),
                             {QString::number(rowOf(QStringLiteral("Name اسم 11")))})
                    .ok);
        QVERIFY(connection
                    .execute(QStringLiteral("UPDATE info SET dir = 'elsewhere' WHERE rowid = ?"),
                             {QString::number(rowOf(QStringLiteral("Name اسم 13")))})
                    .ok);
        QVERIFY(connection
                    .execute(QStringLiteral("DELETE FROM info WHERE rowid = ?"),
                             {QString::number(rowOf(QStringLiteral("Name اسم 15")))})
                    .ok);
        QVERIFY(import.commit().ok);
    }
    QVERIFY(contacts.orderIsCurrent());
    QVERIFY(contacts.openContacts(d).ok);
    sameAsAFreshRead();
    QCOMPARE(contacts.recordCount(), qsizetype(219));
    // More rows changed than placing them is worth: the rows are read again, in the same order.
    QVERIFY(
        connection.execute(QStringLiteral("UPDATE info SET name = name || ' ب' WHERE dir = ? AND rowid % 3 = 0"), {d})
            .ok);
    QVERIFY(!contacts.orderIsCurrent());
    sameAsAFreshRead();
    QVERIFY(contacts.orderIsCurrent());
}

// Rounds of adds, renames, moves and deletes, written by this program (taken in from its change
// log, a few rows placed or many merged, some rolled back) or by another program (the rows read
// again and the order mended): after each round the directory lists what a fresh sort lists.
void TestRecordset::randomChangesLeaveTheOrderAsAFreshSortDoes()
{
    // Names that collate alike or close: alef forms, case, digits by value, a diaeresis.
    const QStringList stems{QStringLiteral("أحمد"), QStringLiteral("احمد"), QStringLiteral("إيمان"),
                            QStringLiteral("Omar"), QStringLiteral("omar"), QStringLiteral("Zoë"),
                            QStringLiteral("zoe"),  QStringLiteral("ليلى"), QStringLiteral("10"),
                            QStringLiteral("9"),    QStringLiteral("محمد")};
    const QString other = m_work;
    // Each with an organisation of its own, searched after every round: its texts, kept from the
    // last search, follow the rows as they move, and so do the names' sound keys.
    const QStringList nothing{{}, {}, {}, {}, {}, {}};
    for (int i = 0; i < 240; ++i)
        m_db->addContact(QStringLiteral("%1 %2").arg(stems.at(i % stems.size())).arg(i), i % 3 ? m_family : other,
                         nothing + QStringList{QStringLiteral("Org %1").arg(i * 7)});
    DataConnection& own = SharedData::connection();
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openContacts(m_family).ok);
    QVERIFY(contacts.snapshot()->size() > 150);
    int made = 0;
    for (const quint32 seed : {7u, 1947u, 31337u, 2024u}) {
        QRandomGenerator random(seed); // the same rounds on every run: a failure can be run again
        for (int round = 0; round < 15; ++round) {
            const bool theirs = random.bounded(4) == 0;
            DataConnection& writer = theirs ? m_db->reader() : own;
            // Now and then more rows than are worth placing one by one, or than an eighth.
            const int steps = 1 + int(random.bounded(round % 5 == 4 ? 40 : round % 5 == 3 ? 20 : 4));
            const bool undone = !theirs && random.bounded(6) == 0;
            const bool together = !theirs && random.bounded(2) == 0;
            std::optional<Transaction> transaction;
            if (undone || together)
                transaction.emplace(writer);
            for (int step = 0; step < steps; ++step) {
                QString count;
                QVERIFY(writer.scalar(QStringLiteral("SELECT count(*) FROM info"), {}, count).ok);
                QString row;
                QVERIFY(writer
                            .scalar(QStringLiteral("SELECT rowid FROM info ORDER BY rowid LIMIT 1 OFFSET ?"),
                                    {QString::number(random.bounded(count.toInt()))}, row)
                            .ok);
                const QString name =
                    QStringLiteral("%1 %2").arg(stems.at(int(random.bounded(int(stems.size()))))).arg(1000 + made++);
                switch (random.bounded(4)) {
                case 0:
                    QVERIFY(writer
                                .execute(QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"),
                                         {name, random.bounded(3) ? m_family : other})
                                .ok);
                    break;
                case 1:
                    QVERIFY(writer
                                .execute(QStringLiteral("UPDATE info SET name = ?, org = 'Org ' || (rowid * ?) "
                                                        "WHERE rowid = ?"),
                                         {name, QString::number(random.bounded(2) + 1), row})
                                .ok);
                    break;
                case 2:
                    QVERIFY(writer
                                .execute(QStringLiteral("UPDATE info SET dir = CASE dir WHEN ? THEN ? ELSE ? END "
                                                        "WHERE rowid = ?"),
                                         {m_family, other, m_family, row})
                                .ok);
                    break;
                default:
                    QVERIFY(writer.execute(QStringLiteral("DELETE FROM info WHERE rowid = ?"), {row}).ok);
                }
            }
            if (transaction && !undone)
                QVERIFY(transaction->commit().ok);
            transaction.reset();
            QVERIFY(contacts.requery().ok);
            Recordset fresh(&own);
            QVERIFY(fresh.openContacts(m_family).ok);
            const auto mended = contacts.snapshot();
            const auto sorted = fresh.snapshot();
            const QString where = QStringLiteral("seed %1 round %2").arg(seed).arg(round);
            QVERIFY2(mended->size() == sorted->size(), qPrintable(where));
            for (qsizetype i = 0; i < sorted->size(); ++i)
                QVERIFY2(mended->value(i, 0) == sorted->value(i, 0),
                         qPrintable(where + QStringLiteral(": ") + mended->value(i, 0) + QStringLiteral(" / ") +
                                    sorted->value(i, 0)));
            // A search in another field and one by sound find what they find in a fresh sort.
            for (const auto& [filter, sound] :
                 {std::pair{RecordFilter::contains(QStringLiteral("org"), QStringLiteral("1")),
                            Recordset::Sound::Ignored},
                  std::pair{RecordFilter::contains(QStringLiteral("name"), QStringLiteral("Ahmad")),
                            Recordset::Sound::AlsoFind}}) {
                QVERIFY(contacts.setFilter(filter, sound).ok);
                QVERIFY(fresh.setFilter(filter, sound).ok);
                const auto found = contacts.snapshot();
                const auto expected = fresh.snapshot();
                QVERIFY2(found->size() == expected->size() && found->size() > 0, qPrintable(where));
                for (qsizetype i = 0; i < expected->size(); ++i)
                    QVERIFY2(found->value(i, 0) == expected->value(i, 0),
                             qPrintable(where + QStringLiteral(": ") + found->value(i, 0)));
            }
            QVERIFY(contacts.setFilter(RecordFilter()).ok);
        }
    }
}

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"

void TestRecordset::theNextSessionOpensWithTheKeptOrderUntilAnotherWriterChangesTheFile()
{
    TestDatabase db;
    const QString d = db.addDirectory(QStringLiteral("d"));
    // Neighbours in order that differ inside one character: the kept names share a part of it.
    const QStringList names{QStringLiteral("ب"),         QStringLiteral("ة"),         QStringLiteral("سارة 😀"),
                            QStringLiteral("سارة 😁"),    QStringLiteral("أحمد"),      QStringLiteral("أحمدي"),
                            QStringLiteral("Zoë Adams"), QStringLiteral("Zoe Adams"), QStringLiteral("محمد ١٢"),
                            QStringLiteral("")};
    for (const QString& name : names)
        db.addContact(name, d);
    for (int i = 0; i < 20; ++i) // enough unchanged rows that a change is placed among them
        db.addContact(QStringLiteral("حسن %1").arg(i), d);
    auto namesOf = [](Recordset& set) {
        QStringList shown;
        const auto rows = set.snapshot();
        for (qsizetype i = 0; i < rows->size(); ++i)
            shown << rows->value(i, 0);
        return shown;
    };
    QVERIFY(OpenDatabase().ok);
    DataConnection& connection = SharedData::connection();
    Recordset first(&connection);
    QVERIFY(first.openContacts(d).ok);
    const QStringList sorted = namesOf(first);
    // A backup in the session reads the file in a transaction of its own: it changes nothing, and
    // the order is still kept at the close.
    QTemporaryDir backups;
    QVERIFY(DatabaseFileCopy::backup(connection, backups.path()).ok);
    QVERIFY(first.keepOrder());

    // The next session: the same rows in the same order, found by the same searches.
    connection.close();
    QVERIFY(OpenDatabase().ok);
    QVERIFY(KeptOrder::load(connection, first.source()).rows);
    Recordset next(&connection);
    QVERIFY(next.openContacts(d).ok);
    QCOMPARE(namesOf(next), sorted);
    const QList<QPair<QString, QStringList>> searches{
        {QStringLiteral("😁"), {QStringLiteral("سارة 😁")}},
        {QStringLiteral("احمد"), {QStringLiteral("أحمد"), QStringLiteral("أحمدي")}},
        {QStringLiteral("zoe"), {QStringLiteral("Zoë Adams"), QStringLiteral("Zoe Adams")}}};
    for (const auto& [typed, found] : searches) {
        QVERIFY(next.setFilter(RecordFilter::contains(QStringLiteral("name"), typed)).ok);
        QStringList expected = sorted;
        expected.removeIf([&found](const QString& name) { return !found.contains(name); });
        QCOMPARE(namesOf(next), expected);
    }

    // Another program renames a contact and adds one under a row number of its own choosing: the
    // kept order is no longer believed, and both are placed among the others.
    connection.close();
    QVERIFY(db.reader()
                .execute(QStringLiteral("UPDATE info SET name = ? WHERE name = ?"),
                         {QStringLiteral("Aaron"), QStringLiteral("محمد ١٢")})
                .ok);
    QVERIFY(db.reader()
                .execute(QStringLiteral("INSERT INTO info (rowid, name, dir) VALUES (9000000000000, 'حسن ب', ?)"), {d})
                .ok);
    QVERIFY(OpenDatabase().ok);
    Recordset afterOthers(&connection);
    QVERIFY(afterOthers.openContacts(d).ok);
    const QStringList shown = namesOf(afterOthers);
    QVERIFY(shown.contains(QStringLiteral("Aaron")));
    QVERIFY(shown.contains(QStringLiteral("حسن ب")));
    QVERIFY(!shown.contains(QStringLiteral("محمد ١٢")));
    QCOMPARE(shown.size(), names.size() + 21);
    NameOrder order;
    auto inOrder = [&order](const QStringList& list) {
        for (int i = 1; i < list.size(); ++i)
            if (order.lessThan(list.at(i), list.at(i - 1)))
                return false;
        return true;
    };
    QVERIFY2(inOrder(shown), qPrintable(shown.join(QLatin1Char('|'))));

    // Again in the same session, now that the order known holds that far-off row number: one
    // rename placed among the others, then so many renamed that they are sorted afresh.
    QVERIFY(db.reader()
                .execute(QStringLiteral("UPDATE info SET name = 'ي' WHERE name = ?"), {QStringLiteral("Zoe Adams")})
                .ok);
    QVERIFY(afterOthers.requery().ok);
    QStringList again = namesOf(afterOthers);
    QVERIFY(again.contains(QStringLiteral("ي")) && !again.contains(QStringLiteral("Zoe Adams")));
    QCOMPARE(again.size(), shown.size());
    QVERIFY2(inOrder(again), qPrintable(again.join(QLatin1Char('|'))));
    QVERIFY(db.reader()
                .execute(QStringLiteral("UPDATE info SET name = 'ا' || name WHERE dir = ? AND name LIKE 'حسن%'"), {d})
                .ok);
    QVERIFY(afterOthers.requery().ok);
    again = namesOf(afterOthers);
    QCOMPARE(again.size(), shown.size());
    QCOMPARE(again.filter(QStringLiteral("احسن")).size(), 21);
    QVERIFY2(inOrder(again), qPrintable(again.join(QLatin1Char('|'))));
}

// Large sets are sorted in two halves at once and merged, and a field of a large directory is read
// in two halves on two connections: the results are those of one pass.
void TestRecordset::aLargeDirectorySortsAsASmallOneDoes()
{
    // A field read that fails falls back to the database, which finds the same rows far more slowly.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("placesInColumn")));
    // A directory that fills its stretch of the file, and one scattered through it; then rows of the
    // second, and one of the first saved after them, far from its others.
    const QString scattered = m_work;
    DataConnection& connection = SharedData::connection();
    QVERIFY(connection
                .executeScript(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                              "WHERE i < 240003) INSERT INTO info (name, org, dir) SELECT "
                                              "'Name ' || i, 'Org ' || (i * 7) || ' end', CASE WHEN i % 40 = 0 "
                                              "THEN '%1' ELSE '%2' END FROM n;"
                                              "INSERT INTO info (name, dir) SELECT 'Later ' || rowid, '%1' FROM info "
                                              "LIMIT 100;")
                                   .arg(scattered, m_family))
                .ok);
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openContacts(m_family).ok);
    QVERIFY(contacts.snapshot()->size() > 200000);
    QVERIFY(connection
                .execute(QStringLiteral("INSERT INTO info (name, org, hometel, dir) VALUES (?, ?, ?, ?)"),
                         {QStringLiteral("Saved Last"), QStringLiteral("Org 77 saved"), QStringLiteral("0777 123"),
                          m_family})
                .ok);
    QVERIFY(contacts.orderIsCurrent());
    QVERIFY(contacts.setFilter(RecordFilter::contains(QStringLiteral("hometel"), QStringLiteral("0777"))).ok);
    QCOMPARE(contacts.recordCount(), qsizetype(1));
    QCOMPARE(contacts.field(0), QStringLiteral("Saved Last"));
    for (const QString& dir : {m_family, scattered}) {
        QVERIFY(contacts.openContacts(dir).ok);
        QVERIFY(contacts.snapshot()->size() > 5000); // listed, as the window does: the order is known
        QVERIFY(contacts.setFilter(RecordFilter::contains(QStringLiteral("org"), QStringLiteral("77"))).ok);
        QStringList found;
        for (contacts.moveFirst(); !contacts.eof(); contacts.moveNext())
            found << contacts.field(0) + QLatin1Char('/') + contacts.field(7);
        QStringList expected;
        (void)connection.query(QStringLiteral("SELECT name, org FROM info WHERE dir = ? AND org LIKE '%77%'"), {dir},
                               [&](sqlite3_stmt* stmt) {
                                   expected << DataConnection::columnText(stmt, 0) + QLatin1Char('/') +
                                                   DataConnection::columnText(stmt, 1);
                               });
        QVERIFY(expected.size() > 30);
        QCOMPARE(found.size(), expected.size());
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
    }

    const QStringList first{QStringLiteral("أحمد"), QStringLiteral("Zoë"),  QStringLiteral("إيمان"),
                            QStringLiteral("adam"), QStringLiteral("ليلى"), QStringLiteral("Omar")};
    TextColumn texts;
    for (int i = 0; i < 30000; ++i) // the halves hold different names: the merge has to interleave them
        texts.append(QStringLiteral("%1 %2").arg(first.at((i * 7) % first.size())).arg((i * 7919) % 30011).toUtf8());
    NameOrder order;
    const std::vector<qsizetype> sorted = order.sortedIndexes(texts);
    QCOMPARE(qsizetype(sorted.size()), texts.size());
    QCOMPARE(std::set<qsizetype>(sorted.begin(), sorted.end()).size(), sorted.size());
    for (size_t i = 1; i < sorted.size(); ++i)
        QVERIFY2(!order.lessThan(texts.text(sorted[i]), texts.text(sorted[i - 1])), qPrintable(texts.text(sorted[i])));
}

void TestRecordset::aNameSearchFindsSpellingsInTheOtherScriptAfterTheExactHits()
{
    m_db->addContact(QStringLiteral("Ahmed Hassan"), m_family);
    m_db->addContact(QStringLiteral("Hamed Ali"), m_family);
    Recordset& contacts = SharedData::contacts();
    QVERIFY(contacts.openContacts(m_family).ok);
    QVERIFY(contacts.setFilter(RecordFilter()).ok);
    const RecordFilter ahmed = RecordFilter::contains(QStringLiteral("name"), QStringLiteral("احمد"));
    auto names = [&] {
        QStringList found;
        for (contacts.moveFirst(); !contacts.eof(); contacts.moveNext())
            found << contacts.field(0);
        return found;
    };
    QVERIFY(contacts.setFilter(ahmed, Recordset::Sound::AlsoFind).ok);
    QCOMPARE(names(), QStringList({QStringLiteral("أحمد علي"), QStringLiteral("Ahmed Hassan")}));
    QCOMPARE(contacts.snapshot()->soundHitsFrom(), qsizetype(1));
    QVERIFY(!contacts.snapshot()->isSoundHit(0));
    QVERIFY(contacts.snapshot()->isSoundHit(1));
    // Turned off, only the exact hit.
    QVERIFY(contacts.setFilter(ahmed).ok);
    QCOMPARE(names(), QStringList({QStringLiteral("أحمد علي")}));

    // A contact written by the program itself is found by sound at once.
    ContactStore store(SharedData::connection());
    QVERIFY(store.insert(ContactFields{QStringLiteral("Ahmad Nour")}, m_family).ok);
    QVERIFY(contacts.orderIsCurrent());
    QVERIFY(contacts.setFilter(ahmed, Recordset::Sound::AlsoFind).ok);
    QCOMPARE(names(),
             QStringList({QStringLiteral("أحمد علي"), QStringLiteral("Ahmad Nour"), QStringLiteral("Ahmed Hassan")}));
    // And one written by another program, when the directory is read again.
    m_db->addContact(QStringLiteral("Ahmad Sami"), m_family);
    QVERIFY(contacts.setFilter(ahmed, Recordset::Sound::AlsoFind).ok);
    QCOMPARE(names().size(), 4);
}
