#pragma once

#include "ChangeLog.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The outcome of one statement. Most callers pass over a failure and carry on with their next
// step; the few that report it read the message.
struct [[nodiscard]] DataResult {
    bool ok = true;
    QString error;
    // The file could not be read as a database: another key than the one given, or damage.
    bool notADatabase = false;
    explicit operator bool() const { return ok; }
};

// Where the file stands: how many commits other connections made (SQLite's data_version) and the
// point of this connection's own changes (its ChangeLog). Whatever was built at another stamp is
// stale; changesSince() tells which rows to read again when only this connection wrote.
struct ChangeStamp {
    // No connection gives this count, so a default stamp is never current.
    static constexpr quint64 kNever = ~quint64(0);
    quint64 others = kNever;
    quint64 own = 0;
    friend bool operator==(const ChangeStamp&, const ChangeStamp&) = default;
};

// One open, keyed connection to the encrypted database file. Every value a caller hands in is
// bound as a parameter; no value ever becomes part of the SQL text.
class DataConnection
{
public:
    DataConnection();
    ~DataConnection();
    DataConnection(const DataConnection&) = delete;
    DataConnection& operator=(const DataConnection&) = delete;

    // Opens an existing file with the given password and checks that it really is our database:
    // SQLCipher accepts any key until the first page is read, so the schema is read at once.
    // ReadOnly only looks: the file is neither changed nor given indexes or another journal mode.
    enum class Access { ReadWrite, ReadOnly };
    // waitMs: how long a statement waits for another connection's lock before it fails.
    static constexpr int kWaitMs = 5000;
    DataResult open(const QString& path, const QString& password, Access access = Access::ReadWrite,
                    int waitMs = kWaitMs);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    // Opens reader as a second, read-only connection to the same file with the same key, for a
    // read split over two threads, each page read once (it keeps few). Opened beside a read lock of ours, it waits for
    // a writer briefly (Wait::Briefly): the writer waits for that lock, and the open would wait for it.
    enum class Wait { AsUsual, Briefly };
    DataResult openReaderBeside(DataConnection& reader, Wait wait = Wait::AsUsual) const;
    // The same, from another thread and whatever becomes of this connection meanwhile: it holds
    // the path and the key.
    using ReaderOpener = std::function<DataResult(DataConnection& reader, Wait wait)>;
    ReaderOpener readerOpener() const;
    // For a reader on a thread of its own: it waits for writers as long as they write, until
    // stop is set (its statement then fails).
    void waitForWritersUnless(const std::atomic<bool>& stop);
    // Below this many rows a reader beside costs more than it saves: its key is derived anew.
    static constexpr qsizetype kReaderBesideFrom = 150000;
    QString path() const { return m_path; }

    // Runs one statement that returns no rows. Outside a transaction it is committed before it
    // returns; inside one, with it.
    DataResult execute(const QString& sql, const QStringList& values = {});

    // Runs a query and hands each row to the callback as the statement standing on that row
    // (read its columns with columnText and SQLite's column functions).
    using RowCallback = std::function<void(sqlite3_stmt*)>;
    DataResult query(const QString& sql, const QStringList& values, const RowCallback& onRow);
    // The rows of the given row ids: sql ends where their list goes ("... WHERE rowid IN "); it is
    // run for a few hundred ids at a time, each bound. Rows come in no particular order.
    DataResult queryByRowIds(const QString& sql, const std::vector<qint64>& ids, const RowCallback& onRow);
    // Whether the book has a table or index of that name; none when that could not be asked.
    std::optional<bool> hasTable(const QString& name);
    // The first column of the first row; fails when there is no row.
    DataResult scalar(const QString& sql, const QStringList& values, QString& out);
    // Inside an open transaction: the first read takes the shared lock that keeps writers out
    // until the transaction ends.
    bool takeReadLock();
    // Whether a transaction is open on this connection.
    bool inTransaction() const;

    // Rows changed by the last statement; the row id the last insert gave its row.
    int changes() const;
    qint64 lastInsertRowId() const;

    // Several statements in one transaction, all or nothing (schema creation, bulk loads).
    DataResult executeScript(const QString& sql);

    sqlite3* handle() const { return m_db; }

    // Called when a read or write meets a damaged or tampered page, so the user can be told;
    // the statement itself fails as usual and no data is made up.
    using DamageHandler = std::function<void(const QString& message)>;
    static void setDamageHandler(DamageHandler handler);
    // Only the program's own connection tells the user; checks of other files stay quiet.
    void setReportsDamage(bool reports) { m_reportsDamage = reports; }

    // Moves whenever this or another connection changed the file since the last call; lets
    // readers keep what they built while nothing changed.
    ChangeStamp changeStamp();
    // The rows of table this connection changed since the file stood at stamp, as SQLite
    // reported them. Not known when another connection committed meanwhile, when the rows are no
    // longer held, or when more than most of them changed: then everything is read again.
    ChangedRows changesSince(const ChangeStamp& stamp, const QString& table, size_t most);

    static QString columnText(sqlite3_stmt* stmt, int column);

    // A statement in use: kept prepared for the next call of the same SQL, or finalized.
    struct Lease {
        Lease() = default;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease();
        sqlite3_stmt* stmt = nullptr;
        bool* inUse = nullptr; // the cache's flag for a kept statement; none for a one-off
    };

private:
    DataResult lastError() const;
    void installHooks();
    // Runs one step of SQLite's, noting a change it made without telling its rows.
    template <typename Step> int watched(Step step);
    DataResult prepare(const QString& sql, const QStringList& values, Lease& lease);
    void finalizeStatements();

    // Statements are prepared once per SQL text and reused: bulk writes (a sync, an import)
    // run the same few statements thousands of times.
    struct CachedStatement {
        sqlite3_stmt* stmt = nullptr;
        bool inUse = false;
    };
    static constexpr int kCachedStatements = 64;
    // Node-based, so a lease's flag stays where it is while other statements join the cache.
    std::unordered_map<QString, CachedStatement> m_statements;

    sqlite3* m_db = nullptr;
    QString m_path;
    QString m_password;
    ChangeLog m_changes;
    quint64 m_rowsTold = 0; // rows the update hook reported, to find changes it did not
    bool m_reportsDamage = false;
};
