// Kills a process that is saving contacts, again and again, and checks after every kill that
// the telephone book opens, passes the integrity check and holds every save it acknowledged.
// Then kills a process that is re-keying the book between the standard key and a master
// password, and checks after every kill that the book opens under one of the two keys with
// every contact in it. Last, kills a process that deletes contacts and whole directories and
// takes the deletes back, and checks that every contact is still either in the book or in the
// trash, once, and none points to a directory that is gone.
//   qav_crashtest <folder> [kills]            run the test (default 200 kills each), print the figures
//   qav_crashtest --child <database>          (internal) save contacts until killed
//   qav_crashtest --rekey-child <database>    (internal) re-key the book until killed
//   qav_crashtest --undo-child <database>     (internal) delete and undo until killed
#include "BookRekey.h"
#include "DataConnection.h"
#include "Schema.h"
#include "TrashStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <optional>

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

// Starts this program in a child mode and kills it while it works (however slowly it starts: a
// sanitizer build takes its time), up to maxDelayMs after its first line. What it printed, or
// nothing when it did not start.
std::optional<QByteArray> killWhileWorking(const QString& mode, const QString& path, int minDelayMs, int maxDelayMs)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {mode, path});
    if (!child.waitForStarted())
        return std::nullopt;
    child.waitForReadyRead(10000);
    QThread::msleep(ulong(minDelayMs + QRandomGenerator::global()->bounded(maxDelayMs - minDelayMs)));
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished();
    return child.readAllStandardOutput();
}

// The book opens with the standard key and passes the integrity check (its answer in integrity).
bool opensWhole(DataConnection& check, const QString& path, QString& integrity)
{
    return check.open(path, QString::fromLatin1(Schema::kPassword)) &&
           check.scalar(QStringLiteral("PRAGMA integrity_check"), {}, integrity) && integrity == QLatin1String("ok");
}

const QString kUndoDirectory = QStringLiteral("أصدقاء");

// What the trash window and the undo steps do: everything in the trash goes back, into its
// directory or, when that is gone, into it made again under its name and password.
bool restoreEverything(DataConnection& db)
{
    TrashStore trash(db);
    QList<TrashStore::Trashed> items;
    if (!trash.list(items))
        return false;
    QMap<QString, QList<qint64>> gone; // by directory code
    QMap<QString, TrashStore::Trashed> goneDirectory;
    for (const TrashStore::Trashed& item : items) {
        if (trash.restore(item.id, QString()))
            continue;
        gone[item.dir] << item.id;
        goneDirectory.insert(item.dir, item);
    }
    for (auto group = gone.cbegin(); group != gone.cend(); ++group) {
        QString code;
        const TrashStore::Trashed& first = goneDirectory[group.key()];
        if (!trash.restoreIntoNewDirectory(group.value(), first.dirName, first.lockPass, code))
            return false;
    }
    return true;
}

// Deletes a contact and takes it back, and every fifth time a whole directory with its
// contacts and takes that back, until killed.
int undoChild(const QString& path)
{
    DataConnection db;
    if (!db.open(path, QString::fromLatin1(Schema::kPassword)) || !restoreEverything(db))
        return 1;
    TrashStore trash(db);
    for (int i = 0;; ++i) {
        if (i % 5 == 0) {
            QString code;
            if (!db.scalar(QStringLiteral("SELECT code FROM dirg WHERE dirname = ?"), {kUndoDirectory}, code))
                return 1;
            QList<qint64> ids;
            if (!trash.moveDirectoryIn({code, kUndoDirectory, QStringLiteral("0")}, ids) ||
                !trash.restoreIntoNewDirectory(ids, kUndoDirectory, QStringLiteral("0"), code))
                return 1;
        } else {
            const QString name = QStringLiteral("u-%1").arg(i % 100);
            qint64 id = 0;
            if (!trash.moveIn(name, &id) || !trash.restore(id, QString()))
                return 1;
        }
        std::printf("UNDONE\n");
        std::fflush(stdout);
    }
}

// Kills the deleting and undoing process again and again.
int undoKills(const QString& folder, int kills, int& broken, int& lost, int& undone)
{
    const QString path = QDir(folder).filePath(QStringLiteral("undo.bin"));
    QFile::remove(path);
    QStringList all;
    {
        if (!Schema::create(path))
            return 2;
        DataConnection db;
        if (!db.open(path, QString::fromLatin1(Schema::kPassword)) ||
            !db.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('عام', '0'), (?, '0')"),
                        {kUndoDirectory}))
            return 2;
        for (int i = 0; i < 200; ++i) {
            const QString name = i < 100 ? QStringLiteral("u-%1").arg(i) : QStringLiteral("d-%1").arg(i);
            if (!db.execute(QStringLiteral("INSERT INTO info VALUES (?, ?, '', '', '', '', '', '', ?, ?)"),
                            {name, QStringLiteral("0223456789"), QString(i, QLatin1Char('x')),
                             i < 100 ? QStringLiteral("1") : QStringLiteral("2")}))
                return 2;
            all << name;
        }
        QList<TrashStore::Trashed> none;
        if (!TrashStore(db).list(none)) // makes the trash's table
            return 2;
    }
    std::sort(all.begin(), all.end());
    for (int k = 0; k < kills; ++k) {
        const std::optional<QByteArray> printed = killWhileWorking(QStringLiteral("--undo-child"), path, 0, 300);
        if (!printed)
            return 2;
        undone += int(printed->count("UNDONE"));
        DataConnection check;
        QString integrity, orphans;
        if (!opensWhole(check, path, integrity)) {
            ++broken;
            std::printf("undo kill %d: the book does not open or is damaged (%s)\n", k + 1, qPrintable(integrity));
            continue;
        }
        // Each contact once, in the book or in the trash.
        QStringList present;
        (void)check.query(QStringLiteral("SELECT name FROM info UNION ALL SELECT name FROM qav_trash ORDER BY 1"), {},
                          [&](sqlite3_stmt* stmt) { present << DataConnection::columnText(stmt, 0); });
        (void)check.scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir NOT IN (SELECT code FROM dirg)"), {},
                           orphans);
        if (present != all || orphans != QLatin1String("0")) {
            ++lost;
            std::printf("undo kill %d: %lld contacts in the book and the trash, %lld before; %s without a directory\n",
                        k + 1, static_cast<long long>(present.size()), static_cast<long long>(all.size()),
                        qPrintable(orphans));
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
    if (args.size() == 3 && args[1] == QLatin1String("--undo-child"))
        return undoChild(args[2]);
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
    for (int k = 0; k < kills; ++k) {
        const std::optional<QByteArray> printed = killWhileWorking(QStringLiteral("--child"), path, 5, 125);
        if (!printed)
            return 2;
        for (const QByteArray& line : printed->split('\n'))
            if (line.startsWith("ACK "))
                acknowledged.insert(QString::fromUtf8(line.mid(4)));

        DataConnection check;
        QString integrity;
        if (!opensWhole(check, path, integrity)) {
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
    int undoBroken = 0, undoLost = 0, undone = 0;
    if (undoKills(args[1], kills, undoBroken, undoLost, undone) != 0)
        return 2;
    std::printf("undo_kills=%d undos_done=%d contacts_lost=%d damaged=%d\n", kills, undone, undoLost, undoBroken);
    return lost == 0 && broken == 0 && rekeyLost == 0 && rekeyBroken == 0 && undoLost == 0 && undoBroken == 0 ? 0 : 1;
}
