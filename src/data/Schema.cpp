#include "Schema.h"

#include "FailureText.h"
#include "PassedOver.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Schema
{

// Written out rather than taken from ContactFields::kFields: this text is the file's definition that
// other tools build a book from, and the table's order is checked against the same columns.
QString ddl()
{
    return QStringLiteral("CREATE TABLE dirg (\n"
                          "  dirname TEXT NOT NULL DEFAULT '',\n"
                          "  code    INTEGER PRIMARY KEY AUTOINCREMENT,\n"
                          "  pass    TEXT NOT NULL DEFAULT '0'\n"
                          ");\n"
                          "CREATE TABLE info (\n"
                          "  name     TEXT NOT NULL DEFAULT '' UNIQUE,\n"
                          "  hometel  TEXT NOT NULL DEFAULT '',\n"
                          "  jobtel   TEXT NOT NULL DEFAULT '',\n"
                          "  mobil    TEXT NOT NULL DEFAULT '',\n"
                          "  fax      TEXT NOT NULL DEFAULT '',\n"
                          "  address  TEXT NOT NULL DEFAULT '',\n"
                          "  email    TEXT NOT NULL DEFAULT '',\n"
                          "  org      TEXT NOT NULL DEFAULT '',\n"
                          "  moreinfo TEXT NOT NULL DEFAULT '',\n"
                          "  dir      TEXT NOT NULL DEFAULT ''\n"
                          ");\n"
                          "CREATE INDEX info_dir_name ON info(dir, name);\n"
                          "CREATE UNIQUE INDEX dirg_dirname ON dirg(dirname);\n");
}

DataResult create(const QString& path, const QString& password)
{
    if (QFileInfo::exists(path))
        return DataResult{false, QStringLiteral("%1 already exists; it was left as it is").arg(path)};

    // Made private (0600) and only if it is not there: SQLite then keys the empty file.
    const QByteArray nativePath = path.toUtf8();
    const int made = ::open(QFile::encodeName(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (made < 0)
        return DataResult{false, QStringLiteral("%1: %2").arg(path, FailureText::ofSystem(errno))};
    ::close(made);
    sqlite3* db = nullptr;
    // SQLITE_OPEN_EXCLUSIVE is not honoured for main databases, so the check above guards the
    // existing file; opening with CREATE on a path that appeared meanwhile is caught by verify().
    if (const int opened =
            sqlite3_open_v2(nativePath.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        opened != SQLITE_OK) {
        const QString message = FailureText::ofDatabase(opened);
        sqlite3_close(db);
        return DataResult{false, message};
    }
    const QByteArray key = password.toUtf8();
    sqlite3_key(db, key.constData(), key.size());
    const QByteArray script = kdfStatement(password) + ("BEGIN;" + ddl() + "COMMIT;").toUtf8();
    char* message = nullptr;
    const int rc = sqlite3_exec(db, script.constData(), nullptr, nullptr, &message);
    DataResult result;
    if (rc != SQLITE_OK) {
        result = DataResult{false, FailureText::ofDatabase(rc)};
        sqlite3_free(message);
    }
    sqlite3_close(db);
    return result;
}

int kdfIterations(const QString& key)
{
    return key == QLatin1String(kPassword) ? kStandardKdfIterations : kMasterKdfIterations;
}

QByteArray kdfStatement(const QString& key, const QByteArray& database)
{
    return "PRAGMA " + database + ".kdf_iter = " + QByteArray::number(kdfIterations(key)) + ";";
}

DataResult verify(DataConnection& connection)
{
    QString tables;
    DataResult read = connection.scalar(
        QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('info', 'dirg')"), {},
        tables);
    if (!read)
        return read;
    if (tables != QLatin1String("2"))
        return DataResult{false, QStringLiteral("الملف ليس دفتر هاتف: لا يحوى جدولى البيانات والأدلة")};
    return {};
}

void addMissingIndexes(DataConnection& connection)
{
    // Failures are passed over: an index only speeds things up, and a file with duplicate
    // directory names cannot take the unique one.
    PassedOver::note(connection.execute(QStringLiteral("CREATE INDEX IF NOT EXISTS info_dir_name ON info(dir, name)")),
                     Q_FUNC_INFO);
    PassedOver::note(
        connection.execute(QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS dirg_dirname ON dirg(dirname)")),
        Q_FUNC_INFO);
}

} // namespace Schema
