#include "NameOrder.h"

#include "TextFold.h"

#include <QCollatorSortKey>
#include <QHash>

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

NameOrder::Ordered NameOrder::order(std::vector<qint64> ids, std::vector<QString> texts) const
{
    const std::vector<qsizetype> sorted = sortedIndexes(texts);
    Ordered result;
    result.ids.reserve(ids.size());
    result.texts.reserve(texts.size());
    for (qsizetype index : sorted) {
        result.ids.push_back(ids[size_t(index)]);
        result.texts.push_back(std::move(texts[size_t(index)]));
    }
    return result;
}

NameOrder::Ordered NameOrder::reorder(const Ordered& previous, std::vector<qint64> ids,
                                      std::vector<QString> texts) const
{
    QHash<qint64, qsizetype> current;
    current.reserve(qsizetype(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i)
        current.insert(ids[i], qsizetype(i));

    // Unchanged rows, still in order.
    Ordered kept;
    kept.ids.reserve(ids.size());
    kept.texts.reserve(ids.size());
    std::vector<bool> placed(ids.size(), false);
    for (size_t i = 0; i < previous.ids.size(); ++i) {
        const auto found = current.constFind(previous.ids[i]);
        if (found == current.constEnd() || texts[size_t(*found)] != previous.texts[i])
            continue;
        placed[size_t(*found)] = true;
        kept.ids.push_back(previous.ids[i]);
        kept.texts.push_back(previous.texts[i]);
    }
    const size_t changed = ids.size() - kept.ids.size();
    if (changed == 0)
        return kept;
    // Too many changes: a fresh sort is cheaper than merging one by one.
    if (changed * 8 > ids.size())
        return order(std::move(ids), std::move(texts));
    std::vector<qint64> newIds;
    std::vector<QString> newTexts;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (!placed[i]) {
            newIds.push_back(ids[i]);
            newTexts.push_back(std::move(texts[i]));
        }
    }
    const Ordered added = order(std::move(newIds), std::move(newTexts));

    Ordered merged;
    merged.ids.reserve(ids.size());
    merged.texts.reserve(ids.size());
    size_t from = 0;
    for (size_t a = 0; a < added.ids.size(); ++a) {
        const QString& text = added.texts[a];
        const auto position = std::upper_bound(kept.texts.begin() + qsizetype(from), kept.texts.end(), text,
                                               [this](const QString& x, const QString& y) { return lessThan(x, y); });
        const size_t until = size_t(position - kept.texts.begin());
        for (; from < until; ++from) {
            merged.ids.push_back(kept.ids[from]);
            merged.texts.push_back(kept.texts[from]);
        }
        merged.ids.push_back(added.ids[a]);
        merged.texts.push_back(text);
    }
    for (; from < kept.ids.size(); ++from) {
        merged.ids.push_back(kept.ids[from]);
        merged.texts.push_back(kept.texts[from]);
    }
    return merged;
}
