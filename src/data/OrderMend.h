#pragma once

#include "NameOrder.h"
#include "PlaceById.h"

#include <optional>
#include <vector>

// The order known before another writer's change, mended with the rows as they are read again:
// a row whose id and text are unchanged keeps its place, and only new or changed rows are
// collated and placed among them. Each row is compared as it is read and only the changed ones
// are held, so half a million names are not held a second time while they are read.
class OrderMend
{
public:
    OrderMend(const NameOrder& order, const NameOrder::Ordered& previous);

    // One row as it stands now, the rows in any order.
    void take(qint64 id, QByteArrayView text);
    // Every row taken, in order.
    NameOrder::Ordered result();

private:
    const NameOrder& m_order;
    const NameOrder::Ordered& m_previous;
    std::optional<PlaceById> m_previousPlace; // let go of once every row is taken
    std::vector<bool> m_unchanged;            // by place in the previous order
    std::vector<qint64> m_changedIds;
    TextColumn m_changedTexts;
    size_t m_taken = 0;
};
