// Kills a process that is saving contacts, again and again, and checks after every kill that
// the telephone book opens, passes the integrity check and holds every save it acknowledged.
// Then kills a process that is re-keying the book between the standard key and a master
// password, and checks after every kill that the book opens under one of the two keys with
// every contact in it.
//   qav_crashtest <folder> [kills]            run the test (default 200 kills each), print the figures
//   qav_crashtest --child <database>          (internal) save contacts until killed
//   qav_crashtest --rekey-child <database>    (internal) re-key the book until killed
#include "BookRekey.h"
#include "DataConnection.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>

#include <csignal>
#include <cstdio>

namespace
{

int child(const QString& path)
{
    DataConnection db;
    if (!db.open(path, QString::fromLatin1(Schema::kPassword)))
        return 1;
    const QString run = QString::number(QCoreApplication::applicationPid());
    for (int i = 0;; ++i) {
        const QString name = QStringLiteral("c-%1-%2").arg(run).arg(i);
        // What the editor does on Save: one insert, committed before it returns.
        const DataResult saved =
            db.execute(QStringLiteral("insert into info values(?,?,?,?,?,?,?,?,?,?)"), {name,
                                                                                        QStringLiteral("0223456789"),
                                                                                        {},
                                                                                        {},
                                                                                        {},
                                                                                        {},
                                                                                        {},
                                                                                        {},
                                                                                        QString(300, QLatin1Char('x')),
                                                                                        QStringLiteral("1")});
        if (saved) {
            std::printf("ACK %s\n", qPrintable(name));
            std::fflush(stdout);
        }
        if (i % 7 == 0) // renames and deletes too, so that pages move
            (void)db.execute(QStringLiteral("update info set moreinfo = ? where name = ?"),
                             {QString(i % 500, QLatin1Char('y')), name});
    }
}

const QString kMaster = QStringLiteral("crash test master password");

// Opens the book under whichever of the two keys it has; that key, or empty.
QString openEitherKey(DataConnection& db, const QString& path)
{
    for (const QString& key : {QString::fromLatin1(Schema::kPassword), kMaster})
        if (db.open(path, key))
            return key;
    return QString();
}

int rekeyChild(const QString& path)
{
    DataConnection db;
    QString key = openEitherKey(db, path);
    if (key.isEmpty())
        return 1;
    for (;;) {
        const QString next = key == kMaster ? QString::fromLatin1(Schema::kPassword) : kMaster;
        if (!BookRekey::run(db, next))
            return 1;
        key = next;
        std::printf("KEYED\n");
        std::fflush(stdout);
    }
}

// Kills the re-keying process again and again: the book must always open, under either key,
// whole, with every contact.
int rekeyKills(const QString& path, int kills, int& broken, int& lost, int& rekeyed)
{
    DataConnection before;
    QString expected;
    if (openEitherKey(before, path).isEmpty() ||
        !before.scalar(QStringLiteral("SELECT count(*) FROM info"), {}, expected))
        return 2;
    before.close();
    auto* random = QRandomGenerator::global();
    for (int k = 0; k < kills; ++k) {
        QProcess rekeyer;
        rekeyer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--rekey-child"), path});
        if (!rekeyer.waitForStarted())
            return 2;
        QThread::msleep(20 + random->bounded(2000));
        ::kill(pid_t(rekeyer.processId()), SIGKILL);
        rekeyer.waitForFinished();
        rekeyed += int(rekeyer.readAllStandardOutput().count("KEYED"));
        DataConnection check;
        QString integrity, count;
        if (openEitherKey(check, path).isEmpty() ||
            !check.scalar(QStringLiteral("PRAGMA integrity_check"), {}, integrity) ||
            integrity != QLatin1String("ok")) {
            ++broken;
            std::printf("re-key kill %d: the book opens under neither key or is damaged (%s)\n", k + 1,
                        qPrintable(integrity));
            continue;
        }
        if (!check.scalar(QStringLiteral("SELECT count(*) FROM info"), {}, count) || count != expected) {
            ++lost;
            std::printf("re-key kill %d: %s contacts, %s before\n", k + 1, qPrintable(count), qPrintable(expected));
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--child"))
        return child(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("--rekey-child"))
        return rekeyChild(args[2]);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: qav_crashtest <folder> [kills]\n");
        return 2;
    }
    const QString path = QDir(args[1]).filePath(QStringLiteral("Kib.bin"));
    QFile::remove(path);
    if (!Schema::create(path)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(path));
        return 2;
    }
    const int kills = args.size() > 2 ? args[2].toInt() : 200;
    QSet<QString> acknowledged;
    int lost = 0, broken = 0;
    auto* random = QRandomGenerator::global();
    for (int k = 0; k < kills; ++k) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), path});
        if (!saver.waitForStarted())
            return 2;
        QThread::msleep(5 + random->bounded(120));
        ::kill(pid_t(saver.processId()), SIGKILL);
        saver.waitForFinished();
        for (const QByteArray& line : saver.readAllStandardOutput().split('\n'))
            if (line.startsWith("ACK "))
                acknowledged.insert(QString::fromUtf8(line.mid(4)));

        DataConnection check;
        QString integrity, count;
        if (!check.open(path, QString::fromLatin1(Schema::kPassword)) ||
            !check.scalar(QStringLiteral("PRAGMA integrity_check"), {}, integrity) ||
            integrity != QLatin1String("ok")) {
            ++broken;
            std::printf("kill %d: the database does not open or is damaged (%s)\n", k + 1, qPrintable(integrity));
            continue;
        }
        QSet<QString> present;
        (void)check.query(QStringLiteral("SELECT name FROM info"), {},
                          [&](sqlite3_stmt* stmt) { present.insert(DataConnection::columnText(stmt, 0)); });
        for (const QString& name : acknowledged)
            if (!present.contains(name))
                ++lost;
    }
    std::printf("kills=%d acknowledged_saves=%lld saves_lost=%d damaged=%d\n", kills,
                static_cast<long long>(acknowledged.size()), lost, broken);
    int rekeyBroken = 0, rekeyLost = 0, rekeyed = 0;
    if (rekeyKills(path, kills, rekeyBroken, rekeyLost, rekeyed) != 0)
        return 2;
    std::printf("rekey_kills=%d rekeys_done=%d contacts_lost=%d unopenable=%d\n", kills, rekeyed, rekeyLost,
                rekeyBroken);
    return lost == 0 && broken == 0 && rekeyLost == 0 && rekeyBroken == 0 ? 0 : 1;
}
