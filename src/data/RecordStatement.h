#pragma once

#include "DataConnection.h"
#include "RecordFilter.h"
#include "RecordQuery.h"

#include <QStringList>

// The statement texts a recordset runs over its query: its rows (row id and ordering column) or
// their count, narrowed by the query's own condition and a record filter (with the more values
// when the filter searches a field they extend). The values go into values, to be bound: none
// is ever part of the text.
class RecordStatement
{
public:
    RecordStatement(DataConnection& connection, const RecordQuery& query, const RecordFilter& filter = {});

    QString rows(QStringList& values) const;
    QString count(QStringList& values) const;

private:
    QString where(QStringList& values) const;

    DataConnection& m_connection;
    RecordQuery m_query;
    RecordFilter m_filter;
};
