#include "DataConnection.h"

#include "FailureText.h"
#include "Schema.h"
#include "TextFold.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace
{

DataResult failure(const QString& message)
{
    return DataResult{false, message};
}

DataConnection::DamageHandler& damageHandler()
{
    static DataConnection::DamageHandler handler;
    return handler;
}

// qav_fold(text): the folded form that searches compare, computed once per row and query.
void foldFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    const auto* text = reinterpret_cast<const unsigned char*>(sqlite3_value_text(args[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    std::string out;
    TextFold::foldAnyUtf8(reinterpret_cast<const char*>(text), sqlite3_value_bytes(args[0]), out);
    sqlite3_result_text(context, out.data(), int(out.size()), SQLITE_TRANSIENT);
}

} // namespace

DataConnection::DataConnection() = default;

// SQLite tells each row this connection inserts, updates or deletes, and each commit and
// rollback: the rows of a transaction are kept when it commits and left out when it rolls back.
void DataConnection::installHooks()
{
    sqlite3_update_hook(
        m_db,
        [](void* self, int operation, const char* database, const char* table, sqlite3_int64 rowid) {
            auto* connection = static_cast<DataConnection*>(self);
            ++connection->m_rowsTold;
            if (std::strcmp(database, "main") == 0)
                connection->m_changes.rowChanged(table, rowid, operation == SQLITE_INSERT);
        },
        this);
    sqlite3_commit_hook(
        m_db,
        [](void* self) {
            static_cast<DataConnection*>(self)->m_changes.committed();
            return 0;
        },
        this);
    sqlite3_rollback_hook(
        m_db, [](void* self) { static_cast<DataConnection*>(self)->m_changes.rolledBack(); }, this);
}

// SQLite counts every row a statement changed, the ones it does not report to the update hook
// included (a DELETE without WHERE empties the table at once): fewer reported than counted means
// the log cannot tell which rows changed.
template <typename Step> int DataConnection::watched(Step step)
{
    const int countedBefore = sqlite3_total_changes(m_db);
    const quint64 toldBefore = m_rowsTold;
    const int rc = step();
    if (quint64(sqlite3_total_changes(m_db) - countedBefore) > m_rowsTold - toldBefore)
        m_changes.lostTrack();
    return rc;
}

DataConnection::~DataConnection()
{
    close();
}

DataResult DataConnection::open(const QString& path, const QString& password, Access access, int waitMs)
{
    close();
    // Never create the file here: a missing database is an error the user must hear about.
    sqlite3* db = nullptr;
    const QByteArray nativePath = path.toUtf8();
    const int mode = access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    int rc = sqlite3_open_v2(nativePath.constData(), &db, mode | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = FailureText::ofDatabase(rc);
        sqlite3_close(db);
        return failure(message);
    }
    m_db = db;
    m_path = path;
    m_password = password;
    m_changes.restart();
    installHooks();

    const QByteArray key = password.toUtf8();
    // The standard key keeps SQLCipher's default derivation untouched; a master password names its own.
    const bool standardKey = password == QLatin1String(Schema::kPassword);
    if (sqlite3_key(m_db, key.constData(), key.size()) != SQLITE_OK ||
        (!standardKey &&
         sqlite3_exec(m_db, Schema::kdfStatement(password).constData(), nullptr, nullptr, nullptr) != SQLITE_OK)) {
        DataResult error = lastError();
        close();
        return error;
    }
    // A second copy of the program writing at the same moment makes us wait, not fail.
    sqlite3_busy_timeout(m_db, waitMs);
    sqlite3_create_function_v2(m_db, "qav_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, foldFunction, nullptr,
                               nullptr, nullptr);

    if (DataResult checked = Schema::verify(*this); !checked) {
        close();
        return checked;
    }
    if (access == Access::ReadOnly)
        return {};
    // A rollback journal (never WAL) keeps every committed change inside the one file, so a
    // plain copy of it is always a complete backup; FULL sync makes each commit survive a crash.
    DataResult pragmas = executeScript(QStringLiteral("PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; "
                                                      "PRAGMA cache_size=4000;"));
    if (!pragmas) {
        close();
        return pragmas;
    }
    Schema::addMissingIndexes(*this);
    return {};
}

bool DataConnection::takeReadLock()
{
    QString tables;
    return scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"), {}, tables).ok;
}

bool DataConnection::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

DataResult DataConnection::openReaderBeside(DataConnection& reader, Wait wait) const
{
    if (!m_db)
        return lastError();
    return readerOpener()(reader, wait);
}

DataConnection::ReaderOpener DataConnection::readerOpener() const
{
    return [path = m_path, password = m_password](DataConnection& reader, Wait wait) {
        DataResult opened = reader.open(path, password, Access::ReadOnly, wait == Wait::Briefly ? 100 : kWaitMs);
        // It reads a large part of the book once: a cache of its pages would only take memory.
        if (opened)
            sqlite3_exec(reader.m_db, "PRAGMA cache_size=64", nullptr, nullptr, nullptr);
        return opened;
    };
}

void DataConnection::waitForWritersUnless(const std::atomic<bool>& stop)
{
    if (!m_db)
        return;
    sqlite3_busy_handler(
        m_db,
        [](void* flag, int) {
            if (static_cast<const std::atomic<bool>*>(flag)->load())
                return 0;
            sqlite3_sleep(10);
            return 1;
        },
        const_cast<std::atomic<bool>*>(&stop));
}

DataConnection::Lease::~Lease()
{
    if (!stmt)
        return;
    if (!inUse) {
        sqlite3_finalize(stmt);
        return;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    *inUse = false;
}

void DataConnection::finalizeStatements()
{
    for (const auto& [sql, entry] : m_statements)
        sqlite3_finalize(entry.stmt);
    m_statements.clear();
}

void DataConnection::close()
{
    m_reportsDamage = false;
    finalizeStatements();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        m_changes.restart();
    }
    m_password.clear();
}

void DataConnection::setDamageHandler(DamageHandler handler)
{
    damageHandler() = std::move(handler);
}

DataResult DataConnection::lastError() const
{
    if (!m_db)
        return failure(FailureText::bookNotOpen());
    const QString message = FailureText::ofDatabase(sqlite3_extended_errcode(m_db));
    const int code = sqlite3_errcode(m_db) & 0xFF;
    if ((code == SQLITE_CORRUPT || code == SQLITE_NOTADB) && m_reportsDamage && damageHandler())
        damageHandler()(message);
    DataResult failed = failure(message);
    failed.notADatabase = code == SQLITE_NOTADB;
    return failed;
}

DataResult DataConnection::prepare(const QString& sql, const QStringList& values, Lease& lease)
{
    if (!m_db)
        return lastError();
    sqlite3_stmt*& stmt = lease.stmt;
    const auto cached = m_statements.find(sql);
    if (cached != m_statements.end() && !cached->second.inUse) {
        stmt = cached->second.stmt;
        cached->second.inUse = true;
        lease.inUse = &cached->second.inUse;
    } else {
        const QByteArray text = sql.toUtf8();
        const bool keep = cached == m_statements.end() && m_statements.size() < kCachedStatements;
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK)
            return lastError();
        if (keep && stmt) {
            lease.inUse = &m_statements.emplace(sql, CachedStatement{stmt, true}).first->second.inUse;
        }
    }
    if (sqlite3_bind_parameter_count(stmt) != values.size())
        return failure(QStringLiteral("statement expects %1 values, got %2")
                           .arg(sqlite3_bind_parameter_count(stmt))
                           .arg(values.size()));
    for (int i = 0; i < values.size(); ++i) {
        // Text that is not valid UTF-16 (a lone surrogate) cannot be stored as typed: refuse it
        // rather than store something else.
        if (!values.at(i).isValidUtf16())
            return failure(QStringLiteral("فى البيان حروف لا يمكن حفظها"));
        const QByteArray value = values.at(i).toUtf8();
        if (sqlite3_bind_text(stmt, i + 1, value.constData(), value.size(), SQLITE_TRANSIENT) != SQLITE_OK)
            return lastError();
    }
    return {};
}

DataResult DataConnection::execute(const QString& sql, const QStringList& values)
{
    Lease guard;
    if (DataResult prepared = prepare(sql, values, guard); !prepared)
        return prepared;
    const int rc = watched([&guard] {
        int stepped = sqlite3_step(guard.stmt);
        while (stepped == SQLITE_ROW)
            stepped = sqlite3_step(guard.stmt);
        return stepped;
    });
    if (rc != SQLITE_DONE)
        return lastError();
    return {};
}

int DataConnection::changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

qint64 DataConnection::lastInsertRowId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : -1;
}

ChangeStamp DataConnection::changeStamp()
{
    // data_version moves when another connection commits; our own writes are counted here. A
    // stamp that cannot be read is new every time, so nothing is believed on it.
    QString others;
    if (!scalar(QStringLiteral("PRAGMA data_version"), {}, others)) {
        m_changes.lostTrack();
        return {0, m_changes.point()};
    }
    return {others.toULongLong(), m_changes.point()};
}

ChangedRows DataConnection::changesSince(const ChangeStamp& stamp, const QString& table, size_t most)
{
    const ChangeStamp now = changeStamp();
    if (now.others != stamp.others || now.others == 0)
        return {};
    return m_changes.since(stamp.own, table, most);
}

DataResult DataConnection::queryByRowIds(const QString& sql, const std::vector<qint64>& ids, const RowCallback& onRow)
{
    // Far below the number of values a statement may bind, and few distinct statements to keep.
    constexpr size_t kPerStatement = 500;
    for (size_t from = 0; from < ids.size(); from += kPerStatement) {
        const size_t count = std::min(kPerStatement, ids.size() - from);
        QStringList values;
        values.reserve(qsizetype(count));
        for (size_t i = from; i < from + count; ++i)
            values << QString::number(ids[i]);
        const QString marks = QStringLiteral("?,").repeated(qsizetype(count)).chopped(1);
        if (DataResult read = query(sql + QLatin1Char('(') + marks + QLatin1Char(')'), values, onRow); !read)
            return read;
    }
    return {};
}

std::optional<bool> DataConnection::hasTable(const QString& name)
{
    QString found;
    if (!scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = ?"), {name}, found))
        return std::nullopt;
    return found != QLatin1String("0");
}

DataResult DataConnection::query(const QString& sql, const QStringList& values, const RowCallback& onRow)
{
    Lease guard;
    if (DataResult prepared = prepare(sql, values, guard); !prepared)
        return prepared;
    int rc;
    while ((rc = sqlite3_step(guard.stmt)) == SQLITE_ROW)
        onRow(guard.stmt);
    if (rc != SQLITE_DONE)
        return lastError();
    return {};
}

DataResult DataConnection::scalar(const QString& sql, const QStringList& values, QString& out)
{
    bool seen = false;
    DataResult result = query(sql, values, [&](sqlite3_stmt* stmt) {
        if (!seen)
            out = columnText(stmt, 0);
        seen = true;
    });
    if (result && !seen)
        return failure(QStringLiteral("no row"));
    return result;
}

DataResult DataConnection::executeScript(const QString& sql)
{
    if (!m_db)
        return lastError();
    const QByteArray text = sql.toUtf8();
    if (watched([&] { return sqlite3_exec(m_db, text.constData(), nullptr, nullptr, nullptr); }) != SQLITE_OK)
        return failure(FailureText::ofDatabase(sqlite3_extended_errcode(m_db)));
    return {};
}

QString DataConnection::columnText(sqlite3_stmt* stmt, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (!text)
        return QString();
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
}
