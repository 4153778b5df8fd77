#include "NameOrder.h"

#include "TextFold.h"

#include <QCollatorSortKey>
#include <QHash>

#include <algorithm>
#include <numeric>
#include <thread>

#include <unicode/ucol.h>
#include <unicode/uversion.h>

NameOrder::NameOrder() : m_collator(QLocale(QLocale::Arabic, QLocale::Egypt))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
}

std::vector<qsizetype> NameOrder::sortedIndexes(const NameColumn& texts) const
{
    const qsizetype count = texts.size();
    std::vector<qsizetype> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    if (count == 0)
        return order;
    (void)texts.utf8(0); // laid out before two threads read it

    // One sort key per text, then plain byte comparisons: far cheaper than collating pairs. A
    // large set is keyed and sorted in two halves at once, each with a collator of its own, then
    // merged.
    constexpr qsizetype kSplitFrom = 20000;
    const qsizetype half = count >= kSplitFrom ? count / 2 : count;
    std::vector<QCollatorSortKey> lowKeys, highKeys;
    auto key = [&](qsizetype i) -> const QCollatorSortKey& {
        return i < half ? lowKeys[size_t(i)] : highKeys[size_t(i - half)];
    };
    auto less = [&](qsizetype a, qsizetype b) {
        const int byKey = key(a).compare(key(b));
        if (byKey != 0)
            return byKey < 0;
        return texts.text(a) < texts.text(b);
    };
    auto sortPart = [&](const QCollator& collator, qsizetype from, qsizetype to, std::vector<QCollatorSortKey>& keys) {
        keys.reserve(size_t(to - from));
        for (qsizetype i = from; i < to; ++i)
            keys.push_back(collator.sortKey(TextFold::fold(texts.text(i))));
        std::sort(order.begin() + from, order.begin() + to, less);
    };
    if (half == count) {
        sortPart(m_collator, 0, count, lowKeys);
        return order;
    }
    std::thread helper([&] { sortPart(NameOrder().m_collator, half, count, highKeys); });
    sortPart(m_collator, 0, half, lowKeys);
    helper.join();
    std::inplace_merge(order.begin(), order.begin() + half, order.end(), less);
    return order;
}

bool NameOrder::lessThan(const QString& a, const QString& b) const
{
    const int byKey = m_collator.compare(TextFold::fold(a), TextFold::fold(b));
    return byKey != 0 ? byKey < 0 : a < b;
}

qsizetype NameOrder::placeOf(const QString& text, const NameColumn& texts, qsizetype from) const
{
    qsizetype low = from, high = texts.size();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (lessThan(text, texts.text(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

NameOrder::Ordered NameOrder::order(const std::vector<qint64>& ids, const NameColumn& texts) const
{
    const std::vector<qsizetype> sorted = sortedIndexes(texts);
    Ordered result;
    result.ids.reserve(ids.size());
    result.texts.reserve(texts.size(), 0);
    for (qsizetype index : sorted) {
        result.ids.push_back(ids[size_t(index)]);
        result.texts.append(texts.utf8(index));
    }
    return result;
}

NameOrder::Ordered NameOrder::reorder(const Ordered& previous, const std::vector<qint64>& ids,
                                      const NameColumn& texts) const
{
    QHash<qint64, qsizetype> current;
    current.reserve(qsizetype(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i)
        current.insert(ids[i], qsizetype(i));
    auto positionOf = [&current](qint64 id) { return current.value(id, -1); };

    // Unchanged rows, still in order (a row the old order names twice is placed once).
    Ordered kept;
    kept.ids.reserve(ids.size());
    std::vector<bool> placed(ids.size(), false);
    for (size_t i = 0; i < previous.ids.size(); ++i) {
        const qsizetype found = positionOf(previous.ids[i]);
        if (found < 0 || placed[size_t(found)] || texts.utf8(found) != previous.texts.utf8(qsizetype(i)))
            continue;
        placed[size_t(found)] = true;
        kept.ids.push_back(previous.ids[i]);
        kept.texts.append(previous.texts.utf8(qsizetype(i)));
    }
    const size_t changed = ids.size() - kept.ids.size();
    if (changed == 0)
        return kept;
    // Too many changes: a fresh sort is cheaper than merging one by one.
    if (changed * 8 > ids.size())
        return order(ids, texts);
    std::vector<qint64> newIds;
    NameColumn newTexts;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (!placed[i]) {
            newIds.push_back(ids[i]);
            newTexts.append(texts.utf8(qsizetype(i)));
        }
    }
    const Ordered added = order(newIds, newTexts);

    Ordered merged;
    merged.ids.reserve(ids.size());
    qsizetype from = 0;
    const qsizetype keptCount = kept.texts.size();
    for (qsizetype a = 0; a < added.texts.size(); ++a) {
        const QString text = added.texts.text(a);
        for (const qsizetype until = placeOf(text, kept.texts, from); from < until; ++from) {
            merged.ids.push_back(kept.ids[size_t(from)]);
            merged.texts.append(kept.texts.utf8(from));
        }
        merged.ids.push_back(added.ids[size_t(a)]);
        merged.texts.append(added.texts.utf8(a));
    }
    for (; from < keptCount; ++from) {
        merged.ids.push_back(kept.ids[size_t(from)]);
        merged.texts.append(kept.texts.utf8(from));
    }
    return merged;
}

QString NameOrder::collationVersion()
{
    static const QString version = [] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* collator = ucol_open("ar_EG", &status);
        if (U_FAILURE(status))
            return QString();
        UVersionInfo rules;
        ucol_getVersion(collator, rules);
        ucol_close(collator);
        char text[U_MAX_VERSION_STRING_LENGTH] = {};
        u_versionToString(rules, text);
        return QString::fromLatin1(text);
    }();
    return version;
}
