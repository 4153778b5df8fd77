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
    void make(UCollator* collator, const TextColumn& texts, qsizetype from, qsizetype to, std::vector<KeyRef>& refs)
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

std::vector<qsizetype> NameOrder::sortedIndexes(const TextColumn& texts) const
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

qsizetype NameOrder::placeOf(const QString& text, const TextColumn& texts, qsizetype from) const
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

NameOrder::Ordered NameOrder::order(const std::vector<qint64>& ids, const TextColumn& texts) const
{
    const std::vector<qsizetype> sorted = sortedIndexes(texts);
    Ordered result;
    result.ids.reserve(size_t(TextColumn::withRoomToGrow(qsizetype(ids.size()))));
    result.texts.reserve(texts.size(), texts.byteSize());
    for (qsizetype index : sorted) {
        result.ids.push_back(ids[size_t(index)]);
        result.texts.append(texts.utf8(index));
    }
    return result;
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
