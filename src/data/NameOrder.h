#pragma once

#include "TextColumn.h"

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
    std::vector<qsizetype> sortedIndexes(const TextColumn& texts) const;

    bool lessThan(const QString& a, const QString& b) const;
    // Where text goes in texts, which are in order: after every text from `from` on that does
    // not sort after it.
    qsizetype placeOf(const QString& text, const TextColumn& texts, qsizetype from = 0) const;

    // (id, text) rows in order; QueryOrder keeps one true of the file as rows change.
    struct Ordered {
        std::vector<qint64> ids;
        TextColumn texts;
    };
    Ordered order(const std::vector<qint64>& ids, const TextColumn& texts) const;

    // The collation rules' own version (ICU's, for the locale names are sorted in): an order kept
    // under other rules is no order now.
    static QString collationVersion();

private:
    QCollator m_collator;
};
