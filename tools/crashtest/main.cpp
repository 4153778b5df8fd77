// Kills a process that is saving contacts, again and again, and checks after every kill that
// the telephone book opens, passes the integrity check and holds every save it acknowledged.
//   qav_crashtest <folder> [kills]      run the test (default 200 kills), print the figures
//   qav_crashtest --child <database>    (internal) save contacts until killed
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--child"))
        return child(args[2]);
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
    return lost == 0 && broken == 0 ? 0 : 1;
}
