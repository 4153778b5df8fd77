#pragma once

#include "DataConnection.h"
#include "FieldTexts.h"
#include "NameOrder.h"
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

    // Takes in one row that this program has just added, changed or deleted with a single
    // statement, without reading the whole order again: the row is taken out of the known order
    // and, when it still belongs to the recordset, put back at its place. False (and nothing
    // kept) when the order is not known or anything else changed the file meanwhile; the next
    // requery then reads everything. Without a filter the recordset shows the row at once; a list
    // still showing the rows before keeps them as they were.
    bool takeInWrittenRow(qint64 rowid);
    // The same for many rows this program wrote since the file stood at stampBefore (an import, a
    // sync): the known order is mended with those rows alone, so the next opening reads nothing
    // again. False (and the order read again next time) when the order was not current at
    // stampBefore, another program wrote meanwhile, or the mended order miscounts the rows.
    bool takeInWrittenRows(const std::vector<qint64>& rows, ChangeStamp stampBefore);

    // Keeps the last whole order read in the book for the next session (see StoredOrder); true
    // when it is kept.
    bool keepOrder();
    // Takes up the order an earlier session kept, for whichever of candidates it is of, before
    // this program writes (so that takeInWrittenRows can mend it); false when none stands.
    bool adoptKeptOrder(const QList<RecordQuery>& candidates);
    bool knowsAnOrder() const { return m_orderCache.rows != nullptr; }

    // Adds a row with the given named values (the other columns take their defaults).
    DataResult addRecord(const QStringList& columns, const QStringList& values);

    // The rows in order as they stand now; unaffected by later filters or requeries.
    std::shared_ptr<const RowSet> snapshot();
    QStringList columns() const { return m_columns; }

private:
    DataResult rebuild();
    QString whereClause(QStringList& values) const;
    void materialize();
    bool filterOrderedTexts();
    bool placesInColumn(const QString& column, const FieldTexts::Match& matches, std::vector<qsizetype>& places);
    void addSoundHits(std::vector<qint64>& ids);
    bool addMoreValuePlaces(std::vector<qsizetype>& places);

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
    // The last unfiltered order built for a query, reused when its rows are built again.
    // stamp: the file's change stamp the order was read at.
    struct OrderCache {
        QString source;
        std::optional<RecordQuery> query; // the query source is the text of
        std::shared_ptr<NameOrder::Ordered> rows;
        ChangeStamp stamp;
        // The sound key of each text, made at the first search by sound and kept in step with
        // the texts after that.
        TextColumn sounds;
        // No id in the order lies above it (found at the first save, kept after): a row added
        // since lies above, so it is not looked for among half a million.
        std::optional<qint64> idCeiling;
    } m_orderCache;
    // The texts of the column searched last, for the rows of the known order (see placesInColumn()).
    struct ColumnCache {
        QString column;
        QString source;
        ChangeStamp stamp;
        FieldTexts texts;
    } m_columnCache;
    RowSet::RowIds orderIds() const;
    void ownOrder();
    bool knowsOrderOfQuery() const;
    void adoptStoredOrder();
    bool orderCacheIsCurrent();
};
