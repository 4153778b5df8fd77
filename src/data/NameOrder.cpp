#include "NameOrder.h"

#include "TextFold.h"
#include "TwoHalves.h"

#include <QHash>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <numeric>

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
// object and a heap block each), and where each one lies in it: an offset, which stays true when
// the buffer grows, in half the room of a pointer and a length.
struct KeyRef {
    quint32 start;
    quint32 length;
};

class PackedKeys
{
public:
    // Keys texts [from, to) and points refs[from, to) at them.
    void make(UCollator* collator, const NameColumn& texts, qsizetype from, qsizetype to, std::vector<KeyRef>& refs)
    {
        // Room for most keys at once: pages reserved and never written take no memory.
        m_bytes.reserve(size_t(to - from) * 64);
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
            const size_t start = m_bytes.size();
            m_bytes.insert(m_bytes.end(), key.begin(), key.begin() + std::max(0, length - 1));
            refs[size_t(i)] = {quint32(start), quint32(m_bytes.size() - start)};
        }
    }
    const uint8_t* bytes() const { return m_bytes.data(); }

private:
    std::vector<uint8_t> m_bytes;
};

int compareKeys(const uint8_t* a, quint32 aLength, const uint8_t* b, quint32 bLength)
{
    const int bytes = std::memcmp(a, b, std::min(aLength, bLength));
    if (bytes != 0)
        return bytes;
    return aLength < bLength ? -1 : aLength > bLength ? 1 : 0;
}

} // namespace

std::vector<qsizetype> NameOrder::sortedIndexes(const NameColumn& texts) const
{
    const qsizetype count = texts.size();
    std::vector<qsizetype> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    if (count == 0)
        return order;
    texts.layOut();

    // One sort key per text, then plain byte comparisons: far cheaper than collating pairs. A
    // large set is keyed and sorted in two halves at once, each with a collator of its own, then
    // merged.
    std::vector<KeyRef> refs(static_cast<size_t>(count));
    PackedKeys keys[2];
    const qsizetype middle = TwoHalves::middle(count);
    auto less = [&](qsizetype a, qsizetype b) {
        const KeyRef& keyA = refs[size_t(a)];
        const KeyRef& keyB = refs[size_t(b)];
        const int byKey = compareKeys(keys[a < middle ? 0 : 1].bytes() + keyA.start, keyA.length,
                                      keys[b < middle ? 0 : 1].bytes() + keyB.start, keyB.length);
        if (byKey != 0)
            return byKey < 0;
        return texts.text(a) < texts.text(b);
    };
    std::atomic<bool> keyed = true;
    TwoHalves::run(count, [&](qsizetype from, qsizetype to, int half) {
        UCollator* collator = openCollator();
        if (!collator) {
            keyed = false;
            return;
        }
        keys[half].make(collator, texts, from, to, refs);
        ucol_close(collator);
        std::sort(order.begin() + from, order.begin() + to, less);
    });
    if (keyed && middle < count)
        std::inplace_merge(order.begin(), order.begin() + middle, order.end(), less);
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
    result.texts.reserve(texts.size(), texts.byteSize());
    for (qsizetype index : sorted) {
        result.ids.push_back(ids[size_t(index)]);
        result.texts.append(texts.utf8(index));
    }
    return result;
}

NameOrder::Ordered NameOrder::reorder(const Ordered& previous, std::vector<qint64> ids, NameColumn texts) const
{
    // Where each row read now stands, by id: a table indexed by id while ids are dense (as
    // SQLite gives them), else a sorted list; either takes far less memory than a hash.
    const qint64 highest = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
    const qint64 lowest = ids.empty() ? 0 : *std::min_element(ids.begin(), ids.end());
    const bool dense = lowest >= 0 && highest < qint64(ids.size()) * 4 + 1024;
    std::vector<qint32> atId(dense ? size_t(highest) + 1 : 0, -1);
    std::vector<std::pair<qint64, qsizetype>> byId(dense ? 0 : ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        if (dense)
            atId[size_t(ids[i])] = qint32(i);
        else
            byId[i] = {ids[i], qsizetype(i)};
    }
    std::sort(byId.begin(), byId.end());
    auto positionOf = [&](qint64 id) {
        if (dense)
            return id >= 0 && id < qint64(atId.size()) ? qsizetype(atId[size_t(id)]) : qsizetype(-1);
        const auto at = std::lower_bound(byId.begin(), byId.end(), std::make_pair(id, qsizetype(-1)));
        return at != byId.end() && at->first == id ? at->second : qsizetype(-1);
    };

    // Unchanged rows, still in order, by their place in the previous order (a row the old order
    // names twice is kept once). Only places are kept: the texts are copied once, into the result.
    std::vector<qsizetype> kept;
    kept.reserve(ids.size());
    std::vector<bool> placed(ids.size(), false);
    for (size_t i = 0; i < previous.ids.size(); ++i) {
        const qsizetype found = positionOf(previous.ids[i]);
        if (found < 0 || placed[size_t(found)] || texts.utf8(found) != previous.texts.utf8(qsizetype(i)))
            continue;
        placed[size_t(found)] = true;
        kept.push_back(qsizetype(i));
    }
    std::vector<qint32>().swap(atId);
    std::vector<std::pair<qint64, qsizetype>>().swap(byId);
    const size_t changed = ids.size() - kept.size();
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
    const size_t count = ids.size();
    const qsizetype bytes = texts.byteSize();
    std::vector<qint64>().swap(ids);
    texts = NameColumn();

    Ordered merged;
    merged.ids.reserve(count);
    merged.texts.reserve(qsizetype(count), bytes);
    auto takeKept = [&](qsizetype k) {
        merged.ids.push_back(previous.ids[size_t(kept[size_t(k)])]);
        merged.texts.append(previous.texts.utf8(kept[size_t(k)]));
    };
    // Where text goes among the kept rows from from on.
    auto placeAmongKept = [&](const QString& text, qsizetype from) {
        qsizetype low = from, high = qsizetype(kept.size());
        while (low < high) {
            const qsizetype middle = low + (high - low) / 2;
            if (lessThan(text, previous.texts.text(kept[size_t(middle)])))
                high = middle;
            else
                low = middle + 1;
        }
        return low;
    };
    qsizetype from = 0;
    for (qsizetype a = 0; a < added.texts.size(); ++a) {
        for (const qsizetype until = placeAmongKept(added.texts.text(a), from); from < until; ++from)
            takeKept(from);
        merged.ids.push_back(added.ids[size_t(a)]);
        merged.texts.append(added.texts.utf8(a));
    }
    for (; from < qsizetype(kept.size()); ++from)
        takeKept(from);
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
