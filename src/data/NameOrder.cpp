#include "NameOrder.h"

#include "TextFold.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <thread>

#include <unicode/ucol.h>
#include <unicode/uversion.h>

NameOrder::NameOrder() : m_collator(QLocale(QLocale::Arabic, QLocale::Egypt))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
}

namespace
{

// ICU's collator set as QCollator sets it for the names' locale (case-insensitive, numbers by
// value, normalised), so that sort keys order exactly as lessThan() compares.
UCollator* openCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("ar_EG", &status);
    if (U_FAILURE(status))
        return nullptr;
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        return nullptr;
    }
    return collator;
}

// The sort keys of a range of texts end to end in one buffer (a few bytes a name instead of an
// object and a heap block each), and where each one lies.
struct KeyRef {
    const uint8_t* bytes;
    size_t length;
};

class PackedKeys
{
public:
    // Keys texts [from, to) and points refs[from, to) at them.
    void make(UCollator* collator, const NameColumn& texts, qsizetype from, qsizetype to, std::vector<KeyRef>& refs)
    {
        std::vector<size_t> ends;
        ends.reserve(size_t(to - from));
        m_bytes.reserve(size_t(to - from) * 24);
        std::vector<uint8_t> key(256);
        for (qsizetype i = from; i < to; ++i) {
            const QString folded = TextFold::fold(texts.text(i));
            const auto* text = reinterpret_cast<const UChar*>(folded.utf16());
            int32_t length = ucol_getSortKey(collator, text, int32_t(folded.size()), key.data(), int32_t(key.size()));
            if (length > int32_t(key.size())) {
                key.resize(size_t(length));
                length = ucol_getSortKey(collator, text, int32_t(folded.size()), key.data(), length);
            }
            // Without its closing zero: keys hold no other zero, so a key that is the start of a
            // longer one sorts first, as it does with the zero.
            m_bytes.insert(m_bytes.end(), key.begin(), key.begin() + std::max(0, length - 1));
            ends.push_back(m_bytes.size());
        }
        size_t start = 0;
        for (qsizetype i = from; i < to; ++i) {
            const size_t end = ends[size_t(i - from)];
            refs[size_t(i)] = {m_bytes.data() + start, end - start};
            start = end;
        }
    }

private:
    std::vector<uint8_t> m_bytes;
};

int compareKeys(const KeyRef& a, const KeyRef& b)
{
    const int bytes = std::memcmp(a.bytes, b.bytes, std::min(a.length, b.length));
    if (bytes != 0)
        return bytes;
    return a.length < b.length ? -1 : a.length > b.length ? 1 : 0;
}

} // namespace

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
    std::vector<KeyRef> refs(static_cast<size_t>(count));
    PackedKeys lowKeys, highKeys;
    auto less = [&](qsizetype a, qsizetype b) {
        const int byKey = compareKeys(refs[size_t(a)], refs[size_t(b)]);
        if (byKey != 0)
            return byKey < 0;
        return texts.text(a) < texts.text(b);
    };
    bool keyed = true;
    auto sortPart = [&](qsizetype from, qsizetype to, PackedKeys& keys) {
        UCollator* collator = openCollator();
        if (!collator) {
            keyed = false;
            return;
        }
        keys.make(collator, texts, from, to, refs);
        ucol_close(collator);
        std::sort(order.begin() + from, order.begin() + to, less);
    };
    if (half == count) {
        sortPart(0, count, lowKeys);
    } else {
        std::thread helper([&] { sortPart(half, count, highKeys); });
        sortPart(0, half, lowKeys);
        helper.join();
        if (keyed)
            std::inplace_merge(order.begin(), order.begin() + half, order.end(), less);
    }
    if (!keyed) // no ICU collator: pair by pair, as lessThan() compares
        std::sort(order.begin(), order.end(),
                  [&](qsizetype a, qsizetype b) { return lessThan(texts.text(a), texts.text(b)); });
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
