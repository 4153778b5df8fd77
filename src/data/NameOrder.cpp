#include "NameOrder.h"

#include "TextFold.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

NameOrder::NameOrder() : m_collator(QLocale(QLocale::Arabic, QLocale::Egypt))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
}

std::vector<qsizetype> NameOrder::sortedIndexes(const std::vector<QString>& texts) const
{
    // One sort key per text, then plain byte comparisons: far cheaper than collating pairs.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const QString& text : texts)
        keys.push_back(m_collator.sortKey(TextFold::fold(text)));
    std::vector<qsizetype> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = keys[a].compare(keys[b]);
        if (byKey != 0)
            return byKey < 0;
        return texts[a] < texts[b];
    });
    return order;
}

bool NameOrder::lessThan(const QString& a, const QString& b) const
{
    const int byKey = m_collator.compare(TextFold::fold(a), TextFold::fold(b));
    return byKey != 0 ? byKey < 0 : a < b;
}
