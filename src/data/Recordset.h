#pragma once

#include "DataConnection.h"
#include "FieldTexts.h"
#include "QueryOrder.h"
#include "RecordFilter.h"
#include "RecordQuery.h"
#include "RowSet.h"

#include <QStringList>

#include <memory>
#include <optional>

// A client-side recordset in the manner the windows use it: open it on a query, read the
// exact record count, walk it with eof()/moveNext()/field(), narrow it with a record filter,
// re-run the query. Opening, re-running and filtering leave the position on the first row.
//
// It never loads the rows up front: the count is asked of the database, the order is built
// from the ordering column alone when a row is first read, and the values come a page at a
// time. Lists take a snapshot() and page through it themselves.
class Recordset
{
public:
    enum State { Closed = 0, Open = 1 };

    explicit Recordset(DataConnection* connection = nullptr);

    void setConnection(DataConnection* connection) { m_connection = connection; }
    DataConnection* connection() const { return m_connection; }

    DataResult open(const RecordQuery& query);
    DataResult openContacts(const QString& dirCode) { return open(RecordQuery::contactsOf(dirCode)); }
    DataResult openAllContacts() { return open(RecordQuery::allContacts()); }
    DataResult openDirectories() { return open(RecordQuery::directories()); }
    void close();
    int state() const { return m_query ? Open : Closed; }
    QString source() const { return m_query ? m_query->text() : QString(); }

    DataResult requery();
    // How a contains-filter on the ordering column also finds texts that sound like the typed
    // one (Mohamed, محمد): those hits follow the others, from soundHitsFrom() on.
    enum class Sound { Ignored, AlsoFind };
    DataResult setFilter(const RecordFilter& filter, Sound sound = Sound::Ignored);
    const RecordFilter& filter() const { return m_filter; }

    // Exact, and follows the filter. -1 while the recordset is closed or its query failed.
    qsizetype recordCount();
    bool eof();
    void moveFirst() { m_position = 0; }
    void moveNext();
    qsizetype position() const { return m_position; }

    // The value at the current position, by column number or name; empty when unreadable.
    QString field(int column);
    QString field(const QString& name);

    // Keeps the last whole order read in the book for the next session (see KeptOrder), brought
    // up to date with this program's writes first; true when it is kept.
    bool keepOrder();
    // Takes up the order an earlier session kept, for whichever of candidates it is of, so that a
    // process that writes without showing a list can keep it again; false when none stands.
    bool adoptKeptOrder(const QList<RecordQuery>& candidates);
    bool knowsAnOrder() const { return m_order.has_value(); }
    // Whether the order last read (of the query open now or last) is true of the file as it
    // stands, this program's own writes since taken in from the connection. False after another
    // program's write, or more changes than placing them is worth: the next read then reads the
    // rows again and mends the order as they come.
    bool orderIsCurrent();

    // Adds a row with the given named values (the other columns take their defaults).
    DataResult addRecord(const QStringList& columns, const QStringList& values);

    // The rows in order as they stand now; unaffected by later filters or requeries.
    std::shared_ptr<const RowSet> snapshot();
    QStringList columns() const { return m_columns; }

private:
    DataResult rebuild();
    void materialize();
    bool filterOrderedTexts();

    DataConnection* m_connection;
    std::optional<RecordQuery> m_query;
    RecordFilter m_filter;
    Sound m_sound = Sound::Ignored;
    QStringList m_columns;
    std::optional<qsizetype> m_count;
    std::shared_ptr<RowSet> m_rows;
    qsizetype m_position = 0;
    bool m_failed = false;
    // The change stamp of the file when the rows were last built.
    ChangeStamp m_builtAt;
    // The last unfiltered order built (of the query open now or an earlier one), reused when its
    // rows are built again; it takes in this program's writes and mends after another's.
    std::optional<QueryOrder> m_order;
    bool knowsOrderOfQuery() const;
    void adoptKeptOrder();
    bool orderOfQueryIsCurrent();
};
