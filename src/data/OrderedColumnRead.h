#pragma once

#include "DataConnection.h"
#include "FieldTexts.h"
#include "RecordQuery.h"

#include <optional>
#include <vector>

// One column of the rows a known order holds, each text with its row's place in that order: the
// texts a search in a field other than the name looks through. The rows are fetched in the order they lie in the
// file, so each page is read once, and a large directory is read in two halves at once, each on
// a connection of its own, both under one read lock so they see the same file.
class OrderedColumnRead
{
public:
    // What a read finds: the places in the order, ascending, of the rows whose text matches, and
    // the texts themselves with their places when all of them took no more than the bytes the
    // caller would keep (a larger column, long notes in a large directory, is read again at the
    // next search rather than held).
    struct Found {
        std::vector<qsizetype> places;
        std::optional<FieldTexts> texts;
    };
    // Reads column for ids (the order's rows, in order) while the file stands at stamp, matching
    // each text as it comes. False when the file no longer holds exactly those rows, or changed
    // since stamp.
    static bool read(DataConnection& connection, const RecordQuery& query, const QString& column,
                     const std::vector<qint64>& ids, ChangeStamp stamp, const FieldTexts::Match& matches,
                     qsizetype keepUpTo, Found& out);
};
