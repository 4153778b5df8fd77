// The encrypted file: opening with and without the password, and the statements that write it.
#include "DataConnection.h"
#include "Schema.h"
#include "TestDatabase.h"

#include <QFile>
#include <QtTest>

#include <sqlite3.h>

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

QTEST_GUILESS_MAIN(TestDataConnection)
#include "tst_dataconnection.moc"
