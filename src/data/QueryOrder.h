#pragma once

#include "DataConnection.h"
#include "FieldTexts.h"
#include "NameOrder.h"
#include "OrderChanges.h"
#include "RecordQuery.h"
#include "RowSet.h"

#include <memory>
#include <optional>

// The order of one query. Invariant: ids() and names() equal
// `select rowid, <order column> from <table> where <where column> = ?` sorted by NameOrder, as the
// file stood at stamp(); sounds() and the kept field's texts belong to those rows, place by place.
// (An order taken from the book as a head start only has no stamp: it is never current.)
//
// It is loaded in one of three ways: kept in the book (keptInBook), a full read (read), or mended
// after another writer (mend). It changes in one way only, apply(): this program's own writes
// (takeInOwnChanges, from the connection's change log) and another writer's (mend, the rows read
// again and compared) both end there.
class QueryOrder
{
public:
    // Moved, never copied: lists share its ids (ids()), and only it changes them, copying them
    // first while a list still holds them.
    QueryOrder(QueryOrder&&) = default;
    QueryOrder& operator=(QueryOrder&&) = default;
    QueryOrder(const QueryOrder&) = delete;
    QueryOrder& operator=(const QueryOrder&) = delete;
    ~QueryOrder() = default;

    enum class Kept { Believed, OrAsHeadStart };
    // The order an earlier session kept of query: only while the file stands as it was left, or
    // else, with OrAsHeadStart, as a head start for a mend.
    static std::optional<QueryOrder> keptInBook(DataConnection& connection, const RecordQuery& query, Kept kept);
    // Every row of query read and sorted; expected rows are made room for at once. None when the
    // rows cannot be read.
    static std::optional<QueryOrder> read(DataConnection& connection, const RecordQuery& query, qsizetype expected);
    // Reads the rows again after another writer's change and applies what differs from the order
    // known. False, the order left as it was, when they cannot be read.
    bool mend(DataConnection& connection);

    // Whether the order is true of the file as it stands, this program's own writes since taken in.
    bool isCurrent(DataConnection& connection);
    // The one way the order changes: the rows gone leave it, those that belong are placed (a few
    // one by one, more merged in one pass, past an eighth of the rows all sorted again). True of
    // the file at stamp afterwards.
    void apply(OrderChanges changes, ChangeStamp stamp);

    // Keeps the order in the book for the next session (see KeptOrder).
    bool keep(DataConnection& connection) const;

    const RecordQuery& query() const { return m_query; }
    QString source() const { return m_query.text(); }
    ChangeStamp stamp() const { return m_stamp; }
    qsizetype size() const { return qsizetype(m_rows->ids.size()); }
    // The ids for a list, shared rather than copied; they stay as they are while the list holds them.
    RowSet::RowIds ids() const { return RowSet::RowIds(m_rows, &m_rows->ids); }
    const std::vector<qint64>& idsInOrder() const { return m_rows->ids; }
    const TextColumn& names() const { return m_rows->texts; }
    // The sound key of each name, made at the first search by sound and kept in step after that.
    const TextColumn& sounds();
    // The texts of column for the rows in order, when they are kept (see FieldTexts).
    const FieldTexts* fieldTexts(const QString& column) const;
    // Keeps one field's texts, read for exactly these rows at stamp(); they replace any other.
    void keepFieldTexts(const QString& column, FieldTexts texts);
    // Lets go of the kept field's texts, before another field is read: both are never held at once.
    void letGoOfField();

private:
    QueryOrder(RecordQuery query, std::shared_ptr<NameOrder::Ordered> rows, ChangeStamp stamp);
    bool takeInOwnChanges(DataConnection& connection);
    void placeOneByOne(const OrderChanges& changes);
    void merge(const OrderChanges& changes);
    void sortAgain(const OrderChanges& changes);

    RecordQuery m_query;
    std::shared_ptr<NameOrder::Ordered> m_rows; // never null
    ChangeStamp m_stamp;
    TextColumn m_sounds; // empty until first asked for
    QString m_fieldColumn;
    FieldTexts m_fieldTexts;
};
