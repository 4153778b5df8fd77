// The encrypted file: opening with and without the password, and the statements that write it.
#include "BookFingerprint.h"
#include "ChangeLog.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DataConnection.h"
#include "KeptOrder.h"
#include "NotDuplicateStore.h"
#include "Recordset.h"
#include "Schema.h"
#include "SyncStore.h"
#include "TestDatabase.h"
#include "TextColumn.h"
#include "Transaction.h"
#include "TrashStore.h"
#include "VarInt.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtTest>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>

class TestDataConnection : public QObject
{
    Q_OBJECT
private slots:
    void keyedFileOpensOnlyWithThePassword();
    void missingAndForeignFilesAreRefused();
    void fileWithoutBothTablesIsRefused();
    void createNeverOverwrites();
    void hostileValuesAreStoredExactly();
    void namesAreUniqueAcrossDirectories();
    void directoryCodesAreAssignedAndNeverReused();
    void emptyValuesAreStoredAsEmptyText();
    void missingIndexesAreAddedOnOpen();
    void commitsReachTheFileBeforeReturning();
    void craftedRowsOfTheProgramsOwnTablesAreLeftOut();
    void moreValuesStayWithTheirContactOnly();
    void everyWriteToContactsIsToldRowByRow();
};

void TestDataConnection::keyedFileOpensOnlyWithThePassword()
{
    TestDatabase db;
    DataConnection right;
    QVERIFY(right.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);

    DataConnection wrong;
    const DataResult refused = wrong.open(db.path(), QStringLiteral("tor$kq$wvl$8$1948"));
    QVERIFY(!refused.ok);
    QVERIFY(!wrong.isOpen());

    // Plain SQLite (no key) cannot read the schema either.
    sqlite3* plain = nullptr;
    QCOMPARE(sqlite3_open_v2(db.path().toUtf8().constData(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    QVERIFY(sqlite3_exec(plain, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK);
    sqlite3_close(plain);

    // The file does not show the table names in clear.
    QFile file(db.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(!bytes.contains("CREATE TABLE"));
    QVERIFY(!bytes.startsWith("SQLite format 3"));
}

void TestDataConnection::missingAndForeignFilesAreRefused()
{
    TestDatabase db(false);
    DataConnection connection;
    QVERIFY(!connection.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);
    QVERIFY(!QFile::exists(db.path())); // opening never creates the file

    QFile text(db.path());
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    QVERIFY(!connection.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);

    QFile::remove(db.path());
    QVERIFY(QFile::copy(QFINDTESTDATA("tst_dataconnection.cpp"), db.path()));
    QVERIFY(!connection.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);
}

void TestDataConnection::fileWithoutBothTablesIsRefused()
{
    TestDatabase db(false);
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(db.path().toUtf8().constData(), &raw), SQLITE_OK);
    const QByteArray key(Schema::kPassword);
    sqlite3_key(raw, key.constData(), int(key.size()));
    QCOMPARE(sqlite3_exec(raw, "CREATE TABLE info (name TEXT)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);

    DataConnection connection;
    QVERIFY(!connection.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);
}

void TestDataConnection::createNeverOverwrites()
{
    TestDatabase db;
    db.addDirectory(QStringLiteral("العائلة"));
    const QByteArray before = [&] {
        QFile f(db.path());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QVERIFY(!Schema::create(db.path()).ok);
    QFile after(db.path());
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
}

void TestDataConnection::hostileValuesAreStoredExactly()
{
    TestDatabase db;
    const QString code = db.addDirectory(QStringLiteral("x"));
    const QStringList hostile = {QStringLiteral("O'Brien"),
                                 QStringLiteral("say \"hi\""),
                                 QStringLiteral("back\\slash"),
                                 QStringLiteral("100% *sure*"),
                                 QStringLiteral("under_score"),
                                 QStringLiteral("-- comment"),
                                 QStringLiteral("' OR '1'='1"),
                                 QStringLiteral("'); DROP TABLE info; --"),
                                 QString::fromUtf8("\u202Eمعكوس\u202C")};
    for (const QString& name : hostile)
        QVERIFY(db.reader()
                    .execute(QStringLiteral("insert into info values(?,?,?,?,?,?,?,?,?,?)"),
                             {name, name, QString(), QString(), QString(), QString(), QString(), QString(), name, code})
                    .ok);
    for (const QString& name : hostile) {
        QCOMPARE(db.scalar(QStringLiteral("SELECT moreinfo FROM info WHERE name = ?"), {name}), name);
    }
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM info")), QString::number(hostile.size()));
    QVERIFY(db.reader().execute(QStringLiteral("delete from info where name = ?"), {QStringLiteral("' OR '1'='1")}).ok);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM info")), QString::number(hostile.size() - 1));
}

void TestDataConnection::namesAreUniqueAcrossDirectories()
{
    TestDatabase db;
    const QString a = db.addDirectory(QStringLiteral("أ"));
    const QString b = db.addDirectory(QStringLiteral("ب"));
    db.addContact(QStringLiteral("سامي"), a);
    const DataResult second = db.reader().execute(QStringLiteral("insert into info values(?,?,?,?,?,?,?,?,?,?)"),
                                                  {QStringLiteral("سامي"), {}, {}, {}, {}, {}, {}, {}, {}, b});
    QVERIFY(!second.ok);
    QVERIFY(!second.error.isEmpty());
    QCOMPARE(db.scalar(QStringLiteral("SELECT dir FROM info WHERE name = ?"), {QStringLiteral("سامي")}), a);
}

void TestDataConnection::directoryCodesAreAssignedAndNeverReused()
{
    TestDatabase db;
    const QString first = db.addDirectory(QStringLiteral("one"));
    const QString second = db.addDirectory(QStringLiteral("two"));
    QVERIFY(first != second);
    QCOMPARE(db.scalar(QStringLiteral("SELECT pass FROM dirg WHERE code = ?"), {first}), QStringLiteral("0"));
    QVERIFY(db.reader().execute(QStringLiteral("delete from dirg where dirname = ?"), {QStringLiteral("two")}).ok);
    const QString third = db.addDirectory(QStringLiteral("three"));
    QVERIFY(third.toInt() > second.toInt());
}

void TestDataConnection::emptyValuesAreStoredAsEmptyText()
{
    TestDatabase db;
    const QString code = db.addDirectory(QStringLiteral("d"));
    QVERIFY(db.reader()
                .execute(QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"), {QStringLiteral("n"), code})
                .ok);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM info WHERE moreinfo = '' AND email = ''")),
             QStringLiteral("1"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM info WHERE moreinfo IS NULL")), QStringLiteral("0"));
    // NULL is refused rather than stored.
    QVERIFY(!db.reader().execute(QStringLiteral("UPDATE info SET org = NULL")).ok);
}

void TestDataConnection::missingIndexesAreAddedOnOpen()
{
    TestDatabase db(false);
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(db.path().toUtf8().constData(), &raw), SQLITE_OK);
    const QByteArray key(Schema::kPassword);
    sqlite3_key(raw, key.constData(), int(key.size()));
    const char* bare = "CREATE TABLE dirg (dirname TEXT, code INTEGER PRIMARY KEY AUTOINCREMENT, pass TEXT);"
                       "CREATE TABLE info (name TEXT UNIQUE, hometel TEXT, jobtel TEXT, mobil TEXT, fax TEXT,"
                       " address TEXT, email TEXT, org TEXT, moreinfo TEXT, dir TEXT);";
    QCOMPARE(sqlite3_exec(raw, bare, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);

    DataConnection connection;
    QVERIFY(connection.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);
    QString indexes;
    QVERIFY(connection
                .scalar(QStringLiteral("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                                       "WHERE type = 'index' AND name NOT LIKE 'sqlite_%' ORDER BY name)"),
                        {}, indexes)
                .ok);
    QCOMPARE(indexes, QStringLiteral("dirg_dirname,info_dir_name"));
}

void TestDataConnection::commitsReachTheFileBeforeReturning()
{
    TestDatabase db;
    DataConnection writer;
    QVERIFY(writer.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);
    QVERIFY(
        writer.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES (?, '0')"), {QStringLiteral("w")}).ok);
    // No journal or WAL file holds the change: the database file alone is complete.
    QVERIFY(!QFile::exists(db.path() + QStringLiteral("-wal")));
    QVERIFY(!QFile::exists(db.path() + QStringLiteral("-journal")));
    DataConnection other;
    QVERIFY(other.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);
    QString count;
    QVERIFY(other.scalar(QStringLiteral("SELECT count(*) FROM dirg"), {}, count).ok);
    QCOMPARE(count, QStringLiteral("1"));
}

// Anyone with the published key can write the program's own tables, and a restored backup brings
// whatever they hold: a row that lies about its size is left out (the kept order rebuilt), never
// believed, and the program still starts.
void TestDataConnection::craftedRowsOfTheProgramsOwnTablesAreLeftOut()
{
    TestDatabase db;
    const QString d = db.addDirectory(QStringLiteral("d"));
    const QStringList sorted{QStringLiteral("أحمد"), QStringLiteral("سارة"), QStringLiteral("محمد")};
    for (const QString& name : {sorted[2], sorted[0], sorted[1]})
        db.addContact(name, d);
    const QString key = QString::fromLatin1(Schema::kPassword);
    auto namesShown = [&] {
        DataConnection connection;
        [&] { QVERIFY(connection.open(db.path(), key).ok); }();
        Recordset list(&connection);
        QStringList names;
        if (list.openContacts(d).ok)
            for (qsizetype i = 0; i < list.recordCount(); ++i)
                names << list.snapshot()->value(i, 0);
        return names;
    };
    QString source;
    {
        DataConnection connection;
        QVERIFY(connection.open(db.path(), key).ok);
        Recordset list(&connection);
        QVERIFY(list.openContacts(d).ok);
        QCOMPARE(list.snapshot()->value(0, 0), sorted[0]);
        QVERIFY(list.keepOrder());
        source = list.source();
    }
    // The row written as the program would have, with the fingerprint that makes it believed.
    auto craft = [&](qint64 count, const QByteArray& ids, const QByteArray& names) {
        {
            DataConnection connection;
            QVERIFY(connection.open(db.path(), key).ok);
            sqlite3_stmt* update = nullptr;
            QCOMPARE(sqlite3_prepare_v2(connection.handle(), "UPDATE qav_name_order SET count = ?, ids = ?, names = ?",
                                        -1, &update, nullptr),
                     SQLITE_OK);
            sqlite3_bind_int64(update, 1, count);
            sqlite3_bind_blob(update, 2, ids.constData(), int(ids.size()), SQLITE_TRANSIENT);
            sqlite3_bind_blob(update, 3, names.constData(), int(names.size()), SQLITE_TRANSIENT);
            QCOMPARE(sqlite3_step(update), SQLITE_DONE);
            sqlite3_finalize(update);
            QCOMPARE(connection.changes(), 1);
        }
        QFile file(db.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCryptographicHash print(QCryptographicHash::Sha256);
        print.addData(file.read(4096));
        print.addData(QByteArray::number(file.size()));
        QFile kept(BookFingerprint::path(db.path()));
        QVERIFY(kept.open(QIODevice::WriteOnly | QIODevice::Truncate));
        kept.write(print.result().toHex());
    };
    auto believed = [&] {
        DataConnection connection;
        return connection.open(db.path(), key).ok && KeptOrder::load(connection, source).rows != nullptr;
    };
    TextColumn abc;
    for (const char* name : {"a", "b", "c"})
        abc.append(name);
    const QByteArray threeNames = abc.toBytes();
    const QByteArray threeIds(3, '\x02'); // 1, 2, 3: each one more than the one before
    craft(3, threeIds, threeNames);
    QVERIFY(believed()); // the forgery itself is sound: the rows show in its order
    QCOMPARE(namesShown(), QStringList({sorted[2], sorted[0], sorted[1]}));

    QByteArray ids(100001, '\x00');
    QByteArray unfolding;
    VarInt::put(unfolding, 0);
    VarInt::put(unfolding, 500000);
    unfolding += QByteArray(500000, 'x');
    for (int i = 0; i < 100000; ++i) { // each the whole of the one before: 50 GB from 900 KB
        VarInt::put(unfolding, 500000);
        VarInt::put(unfolding, 0);
    }
    const QList<std::tuple<const char*, qint64, QByteArray, QByteArray>> crafted{
        {"a count of 2^60", qint64(1) << 60, threeIds, threeNames},
        {"a count below zero", -1, {}, {}},
        {"a count one more than the rows", 4, threeIds + '\x02', threeNames},
        {"a name longer than its blob", 3, threeIds, threeNames.chopped(1)},
        {"names that unfold to 50 GB", 100001, ids, unfolding}};
    for (const auto& [what, count, idBytes, nameBytes] : crafted) {
        craft(count, idBytes, nameBytes);
        QVERIFY2(!believed(), what);
        QVERIFY2(namesShown() == sorted, what); // read and sorted again, as if none were kept
    }
    // A fingerprint that is a device: read no further than a fingerprint's length; a pipe, which
    // nobody writes: not waited on.
    QVERIFY(QFile::remove(BookFingerprint::path(db.path())));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), BookFingerprint::path(db.path())));
    QVERIFY(!believed());
    QCOMPARE(namesShown(), sorted);
    QVERIFY(QFile::remove(BookFingerprint::path(db.path())));
    QVERIFY(::mkfifo(QFile::encodeName(BookFingerprint::path(db.path())).constData(), 0600) == 0);
    QVERIFY(!believed());
    QCOMPARE(namesShown(), sorted);

    // A trash entry, a card's state, a not-duplicate pair: one field beyond any that is typed or
    // imported leaves that row out, and the rest are read as usual.
    DataConnection connection;
    QVERIFY(connection.open(db.path(), key).ok);
    QVERIFY(SyncStore(connection).createTables().ok);
    QVERIFY(NotDuplicateStore(connection).remember({{QStringLiteral("a"), QStringLiteral("b")}}).ok);
    TrashStore trash(connection);
    QVERIFY(trash.moveIn(sorted[0]).ok);
    const QString huge = QStringLiteral("replace(hex(zeroblob(9000000)), '0', 'x')");
    QVERIFY(connection
                .execute(QStringLiteral("INSERT INTO qav_trash (name, moreinfo, dir, dirname, deleted) "
                                        "SELECT 'big', %1, dir, dirname, deleted FROM qav_trash")
                             .arg(huge))
                .ok);
    const qint64 big = connection.lastInsertRowId();
    QList<TrashStore::Trashed> items;
    QVERIFY(trash.list(items).ok);
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first().contact.name, sorted[0]);
    QVERIFY(!trash.restore(big, d).ok);
    QVERIFY(connection.execute(QStringLiteral("INSERT INTO qav_not_duplicate SELECT 'c', %1").arg(huge)).ok);
    QList<QPair<QString, QString>> pairs;
    QVERIFY(NotDuplicateStore(connection).list(pairs).ok);
    QCOMPARE(pairs.size(), 1);
    QVERIFY(connection
                .execute(QStringLiteral("INSERT INTO qav_sync_card (dir, href, etag) VALUES (?, '/b/1.vcf', 'e'), "
                                        "(?, '/b/2.vcf', %1)")
                             .arg(huge),
                         {d, d})
                .ok);
    const auto cards = SyncStore(connection).cards(d);
    QCOMPARE(cards.size(), size_t(1));
    QCOMPARE(cards.begin()->first, QStringLiteral("/b/1.vcf"));
}

void TestDataConnection::moreValuesStayWithTheirContactOnly()
{
    TestDatabase db;
    const QString d = db.addDirectory(QStringLiteral("d"));
    const QString other = db.addDirectory(QStringLiteral("other"));
    DataConnection connection;
    QVERIFY(connection.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);
    ContactStore contacts(connection);
    ContactValueStore values(connection);
    using K = ContactValue::Kind;
    const MoreValues more{
        {K::Phone, QStringLiteral("mobile"), QStringLiteral("0100 2")},
        {K::Email, QString(), QStringLiteral("'); DROP TABLE info; --@x.org")},
        {K::Address, QStringLiteral("work"),
         ContactValue::joinParts({{}, {}, QStringLiteral("شارع ٩; مدخل \\ب"), QStringLiteral("القاهرة")})},
        {K::Date, QStringLiteral("birthday"), QStringLiteral("1435-09-15"), QLatin1String(ContactValue::kHijri)}};
    qint64 row = 0;
    QVERIFY(contacts.insert({QStringLiteral("سارة")}, d, &row).ok);
    QVERIFY(values.replaceWithin(row, QStringLiteral("سارة"), more).ok);
    MoreValues read;
    QVERIFY(values.readByName(QStringLiteral("سارة"), read).ok);
    QVERIFY(read == more);
    QCOMPARE(read[2].parts().at(2), QStringLiteral("شارع ٩; مدخل \\ب"));
    QCOMPARE(read[2].oneLine(), QStringLiteral("شارع ٩; مدخل \\ب, القاهرة"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("1"));

    // Renamed, moved and edited, the values follow.
    QVERIFY(contacts.updateByName(QStringLiteral("سارة"), {QStringLiteral("سارة علي"), QStringLiteral("1")}, other).ok);
    QVERIFY(values.readByName(QStringLiteral("سارة علي"), read).ok);
    QVERIFY(read == more);
    QVERIFY(contacts.update(row, {QStringLiteral("سارة ع")}).ok);
    QVERIFY(values.readByName(QStringLiteral("سارة ع"), read).ok);
    QCOMPARE(read.size(), more.size());

    // Deleted and put back through the trash, nothing is lost.
    TrashStore trash(connection);
    qint64 id = 0;
    QVERIFY(trash.moveIn(QStringLiteral("سارة ع"), &id).ok);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM qav_contact_value")), QStringLiteral("0"));
    qint64 back = 0;
    QVERIFY(trash.restore(id, QString(), &back).ok);
    QVERIFY(values.readByName(QStringLiteral("سارة ع"), read).ok);
    QVERIFY(read == more);
    // A whole directory too.
    QList<qint64> ids;
    QVERIFY(trash.moveDirectoryIn({other, QStringLiteral("other"), QStringLiteral("0")}, ids).ok);
    QString code;
    QVERIFY(trash.restoreIntoNewDirectory(ids, QStringLiteral("again"), QStringLiteral("0"), code).ok);
    QVERIFY(values.readByName(QStringLiteral("سارة ع"), read).ok);
    QVERIFY(read == more);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM qav_trash_value")), QStringLiteral("0"));

    // Another program deletes the contact and its row number goes to a new one: the old values
    // are never shown on it, and go when it is written.
    QVERIFY(contacts.findByName(QStringLiteral("سارة ع"), row).ok);
    QVERIFY(db.reader().execute(QStringLiteral("DELETE FROM info")).ok);
    QVERIFY(db.reader()
                .execute(QStringLiteral("INSERT INTO info (rowid, name, dir) VALUES (?, 'x', ?)"),
                         {QString::number(row), d})
                .ok);
    QVERIFY(values.readByName(QStringLiteral("x"), read).ok);
    QVERIFY(read.empty());
    QHash<QString, MoreValues> all;
    QVERIFY(values.readDirectory(d, all).ok);
    QVERIFY(all.isEmpty());
    QVERIFY(contacts.update(row, {QStringLiteral("x"), QStringLiteral("2")}).ok);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM qav_contact_value")), QStringLiteral("0"));

    // A stored row no write of this program makes (an unknown kind, a photo of 3 MB) is left out.
    QVERIFY(values.replaceWithin(row, QStringLiteral("x"), more).ok);
    QVERIFY(db.reader()
                .execute(QStringLiteral("INSERT INTO qav_contact_value VALUES (?, 'x', 'skull', '', 'v', '', 9), "
                                        "(?, 'x', 'photo', '', ?, '', 10)"),
                         {QString::number(row), QString::number(row), QString(3 * 1024 * 1024, QLatin1Char('A'))})
                .ok);
    QVERIFY(values.readByName(QStringLiteral("x"), read).ok);
    QVERIFY(read == more);
}

// The lists take in this program's writes from the rows SQLite reports: every kind of write the
// program makes to the contacts must be reported, a rolled back one must not, and whatever the
// report cannot tell (another writer, a statement SQLite does not report row by row, too many
// rows) must answer "not known", so that the rows are read again.
void TestDataConnection::everyWriteToContactsIsToldRowByRow()
{
    TestDatabase db;
    const QString home = db.addDirectory(QStringLiteral("home"));
    const QString work = db.addDirectory(QStringLiteral("work"));
    db.addContact(QStringLiteral("Before"), home);
    DataConnection connection;
    QVERIFY(connection.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);
    ContactStore store(connection);
    auto rowOf = [&store](const QString& name) {
        qint64 row = 0;
        (void)store.findByName(name, row);
        return row;
    };
    const qint64 before = rowOf(QStringLiteral("Before"));
    constexpr size_t kAny = 1000000;
    // Each write, then what the log tells since just before it.
    auto told = [&](const std::function<bool()>& write) {
        const ChangeStamp stamp = connection.changeStamp();
        const bool written = write();
        ChangedRows rows = connection.changesSince(stamp, QStringLiteral("info"), kAny);
        if (!written)
            rows.known = false;
        return rows;
    };
    qint64 added = 0;
    ChangedRows rows = told([&] {
        return store.insert(ContactFields{QStringLiteral("Added"), QStringLiteral("0100")}, home, &added).ok;
    });
    QVERIFY(rows.known);
    QCOMPARE(rows.added, std::vector<qint64>{added});
    QVERIFY(rows.changed.empty());
    const std::vector<qint64> justAdded{added};
    const std::vector<qint64> both =
        before < added ? std::vector<qint64>{before, added} : std::vector<qint64>{added, before};
    // A rename that takes the contact's more values along runs inside a savepoint.
    QVERIFY(ContactValueStore(connection)
                .replaceWithin(added, QStringLiteral("Added"),
                               {ContactValue{ContactValue::Kind::Email, QString(), QStringLiteral("a@example.org")}})
                .ok);
    for (const auto& write : std::vector<std::function<bool()>>{
             [&] {
                 return store.updateByName(QStringLiteral("Added"), ContactFields{QStringLiteral("Renamed")}, home).ok;
             },
             [&] {
                 return store.update(added, ContactFields{QStringLiteral("Renamed"), QStringLiteral("0200")}).ok;
             },
             [&] { return store.moveByName(QStringLiteral("Renamed"), work).ok; },
             [&] { return store.removeByName(QStringLiteral("Renamed")).ok; }}) {
        rows = told(write);
        QVERIFY(rows.known);
        QVERIFY(rows.added.empty());
        QCOMPARE(rows.changed, justAdded);
        if (rowOf(QStringLiteral("Renamed")) == 0)
            QVERIFY(store.insert(ContactFields{QStringLiteral("Renamed")}, home, &added).ok);
    }
    // Into the trash and back, by row, and a whole directory at once.
    const std::vector<qint64> again{added};
    rows = told([&] { return TrashStore(connection).moveIn(QStringLiteral("Renamed")).ok; });
    QVERIFY(rows.known);
    QCOMPARE(rows.changed, again);
    rows = told([&] { return store.remove(before, home).ok; });
    QVERIFY(rows.known);
    QCOMPARE(rows.changed, std::vector<qint64>{before});
    QVERIFY(store.insert(ContactFields{QStringLiteral("One")}, home).ok);
    QVERIFY(store.insert(ContactFields{QStringLiteral("Two")}, home).ok);
    const std::vector<qint64> inHome{rowOf(QStringLiteral("One")), rowOf(QStringLiteral("Two"))};
    rows = told([&] { return store.removeAllIn(home).ok; }); // every contact of the book
    QVERIFY(rows.known);
    QCOMPARE(rows.changed, inHome);
    // Many writes in one transaction: each row once, as it was first changed.
    const ChangeStamp beforeMany = connection.changeStamp();
    {
        Transaction many(connection);
        QVERIFY(store.insert(ContactFields{QStringLiteral("Three")}, work).ok);
        QVERIFY(store.updateByName(QStringLiteral("Three"), ContactFields{QStringLiteral("Three b")}, work).ok);
        QVERIFY(many.commit().ok);
    }
    rows = connection.changesSince(beforeMany, QStringLiteral("info"), kAny);
    QVERIFY(rows.known);
    QCOMPARE(rows.added, std::vector<qint64>{rowOf(QStringLiteral("Three b"))});
    QVERIFY(rows.changed.empty());
    // Too many for the caller: not known.
    QVERIFY(!connection.changesSince(beforeMany, QStringLiteral("info"), 0).known);

    // A write rolled back is not told: nothing changed since before it.
    const ChangeStamp beforeFailure = connection.changeStamp();
    {
        Transaction failing(connection);
        QVERIFY(store.insert(ContactFields{QStringLiteral("Four")}, work).ok);
        QVERIFY(!connection
                     .execute(QStringLiteral("INSERT INTO info (rowid, name) VALUES (?, 'x')"),
                              {QString::number(rowOf(QStringLiteral("Three b")))})
                     .ok);
    }
    rows = connection.changesSince(beforeFailure, QStringLiteral("info"), kAny);
    QVERIFY(rows.known);
    QCOMPARE(rows.size(), size_t(0));
    // Another table's rows are not the contacts'.
    QVERIFY(connection.execute(QStringLiteral("UPDATE dirg SET dirname = 'job' WHERE code = ?"), {work}).ok);
    QCOMPARE(connection.changesSince(beforeFailure, QStringLiteral("info"), kAny).size(), size_t(0));
    QCOMPARE(connection.changesSince(beforeFailure, QStringLiteral("dirg"), kAny).changed.size(), size_t(1));

    // What the log cannot tell: a statement SQLite does not report row by row, another writer.
    ChangeStamp stamp = connection.changeStamp();
    QVERIFY(connection.execute(QStringLiteral("DELETE FROM qav_trash")).ok);
    QVERIFY(!connection.changesSince(stamp, QStringLiteral("info"), kAny).known);
    stamp = connection.changeStamp();
    QVERIFY(db.reader().execute(QStringLiteral("INSERT INTO info (name, dir) VALUES ('Theirs', ?)"), {work}).ok);
    QVERIFY(!connection.changesSince(stamp, QStringLiteral("info"), kAny).known);
    // A stamp of another opening of the file is never current.
    stamp = connection.changeStamp();
    connection.close();
    QVERIFY(connection.open(db.path(), QString::fromLatin1(Schema::kPassword)).ok);
    QVERIFY(connection.changeStamp() != stamp);
    QVERIFY(!connection.changesSince(stamp, QStringLiteral("info"), kAny).known);

    // The log holds a bounded number of rows: a transaction larger than that, and transactions
    // that fell out of it, are not known.
    ChangeLog log;
    log.restart();
    const quint64 start = log.point();
    for (size_t i = 0; i <= ChangeLog::kMostRows; ++i)
        log.rowChanged("info", qint64(i), true);
    log.committed();
    QVERIFY(!log.since(start, QStringLiteral("info"), kAny).known);
    const quint64 small = log.point();
    for (size_t i = 0; i < ChangeLog::kMostTransactions + 1; ++i) {
        log.rowChanged("info", 7, false);
        log.committed();
    }
    QVERIFY(!log.since(small, QStringLiteral("info"), kAny).known);
    const quint64 recent = log.point();
    log.rowChanged("info", 8, false);
    log.committed();
    QCOMPARE(log.since(recent, QStringLiteral("info"), kAny).changed, std::vector<qint64>{8});
    // A point inside a transaction saw it half done.
    log.rowChanged("info", 9, true);
    const quint64 half = log.point();
    log.rowChanged("info", 10, true);
    log.rolledBack();
    QVERIFY(!log.since(half, QStringLiteral("info"), kAny).known);
    QCOMPARE(log.since(recent, QStringLiteral("info"), kAny).changed, std::vector<qint64>{8});
}

QTEST_GUILESS_MAIN(TestDataConnection)
#include "tst_dataconnection.moc"
