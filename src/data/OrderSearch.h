#pragma once

#include "DataConnection.h"
#include "FieldTexts.h"
#include "QueryOrder.h"
#include "RecordFilter.h"

#include <optional>
#include <vector>

// A contains-filter answered among the rows of an order that is true of the file, without asking
// the database: the names are at hand in order (another field's texts are read once, each with its
// row's place, and kept by the order), so the hits come out already ordered. The same rows as the
// database's "qav_fold(column) LIKE '%typed%'": the typed text is folded the same way and its
// wildcards ("*" and "%") split it into parts that must follow one another.
class OrderSearch
{
public:
    OrderSearch(DataConnection& connection, QueryOrder& order, const RecordFilter& filter);

    struct Found {
        std::vector<qint64> ids; // in order: the plain hits, then those found by sound
        qsizetype plainHits = 0;
    };
    // None when the rows of the order could not be read as it knows them: the database is then
    // asked instead. bySound: the names that sound like the typed text follow the others.
    std::optional<Found> run(bool bySound);

private:
    bool placesInField(const FieldTexts::Match& matches, std::vector<qsizetype>& places);
    bool addMoreValuePlaces(std::vector<qsizetype>& places);
    void addSoundHits(std::vector<qint64>& ids);

    DataConnection& m_connection;
    QueryOrder& m_order;
    const RecordFilter& m_filter;
};
