#pragma once

#include "DataConnection.h"
#include "FieldTexts.h"
#include "RecordQuery.h"

#include <vector>

// One column of the rows a known order holds, each text with its row's place in that order: the
// texts a search in a field other than the name looks through. The rows are fetched in the order they lie in the
// file, so each page is read once, and a large directory is read in two halves at once, each on
// a connection of its own, both under one read lock so they see the same file.
class OrderedColumnRead
{
public:
    // The texts of column for ids (the order's rows, in order) while the file stands at stamp.
    // False when it no longer holds exactly those rows, or changed since stamp.
    static bool read(DataConnection& connection, const RecordQuery& query, const QString& column,
                     const std::vector<qint64>& ids, quint64 stamp, FieldTexts& out);
};
