#pragma once

#include "DataConnection.h"
#include "RecordFilter.h"
#include "RecordQuery.h"

#include <QStringList>

#include <vector>

// A contact search in a number field or the e-mail field also finds the contacts whose more
// values of that kind hold the typed text (a second mobile, a second e-mail). One bound query
// over the values table answers for the whole set; a book without more values costs nothing.
// Searching every directory at once, a directory with a password is never looked into.
class MoreValueFilter
{
public:
    MoreValueFilter(DataConnection& connection, const RecordQuery& query, const RecordFilter& filter);

    // Whether more values take part in this search.
    bool applies() const { return !m_kind.isEmpty(); }
    // "rowid IN (…)" for a statement on the contacts table, with its values appended to values.
    QString sqlCondition(QStringList& values) const;
    // The rows the more values find, in no order.
    DataResult rows(std::vector<qint64>& out) const;

private:
    QString select(QStringList& values) const;

    DataConnection& m_connection;
    RecordQuery m_query;
    RecordFilter m_filter;
    QString m_kind;
    QString m_label; // empty: any label
};
