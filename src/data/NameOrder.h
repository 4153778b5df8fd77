#pragma once

#include "NameColumn.h"

#include <QCollator>
#include <QString>

#include <vector>

// The order in which people expect names: Arabic dictionary order with the alef forms together,
// Latin letters without regard to case, numbers by value. Applied in memory, so the stored
// schema needs no collation of its own.
class NameOrder
{
public:
    NameOrder();

    // Returns the permutation of indexes that puts texts in order. Equal folded texts keep a
    // stable, binary tie-break so that the order never depends on the storage order.
    std::vector<qsizetype> sortedIndexes(const NameColumn& texts) const;

    bool lessThan(const QString& a, const QString& b) const;
    // Where text goes in texts, which are in order: after every text from `from` on that does
    // not sort after it.
    qsizetype placeOf(const QString& text, const NameColumn& texts, qsizetype from = 0) const;

    // Orders (id, text) rows again after a change, reusing a previous ordering: rows whose id
    // and text are unchanged keep their order, and only new or changed rows are collated.
    struct Ordered {
        std::vector<qint64> ids;
        NameColumn texts;
    };
    // ids and texts are taken: what is read now is let go as soon as it is placed, so that a
    // directory of half a million names is not held three times over.
    Ordered reorder(const Ordered& previous, std::vector<qint64> ids, NameColumn texts) const;
    Ordered order(const std::vector<qint64>& ids, const NameColumn& texts) const;

    // The collation rules' own version (ICU's, for the locale names are sorted in): an order kept
    // under other rules is no order now.
    static QString collationVersion();

private:
    QCollator m_collator;
};
