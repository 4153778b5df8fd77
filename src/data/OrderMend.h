#pragma once

#include "NameOrder.h"
#include "OrderChanges.h"
#include "PlaceById.h"

#include <optional>
#include <vector>

// Compares the rows of an order, read again after another writer's change, with the order known
// before: a row whose id and name are unchanged keeps its place, the others are the changes.
// Each row is compared as it is read and only the changed ones are held, so half a million names
// are not held a second time while they are read.
class OrderMend
{
public:
    explicit OrderMend(const NameOrder::Ordered& previous);

    // One row as it stands now, the rows in any order.
    void take(qint64 id, QByteArrayView text);
    // Once every row is taken: the places of the known rows not taken unchanged, and the rows
    // new or changed. The field texts are not told (any row's other fields may have changed).
    OrderChanges changes();

private:
    const NameOrder::Ordered& m_previous;
    std::optional<PlaceById> m_previousPlace; // let go of once every row is taken
    std::vector<bool> m_unchanged;            // by place in the previous order
    OrderChanges m_changes;
};
