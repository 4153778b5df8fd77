#include "OrderSearch.h"

#include "MoreValueFilter.h"
#include "OrderedColumnRead.h"
#include "PassedOver.h"
#include "SoundKey.h"
#include "TextFold.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>
#include <string>
#include <unordered_set>

namespace
{
// The most bytes of a field's texts kept for the next search in it: with the order's own names,
// a large directory stays within a few tens of megabytes whatever field is searched.
constexpr qsizetype kKeptFieldBytes = qsizetype(24) << 20;
} // namespace

OrderSearch::OrderSearch(DataConnection& connection, QueryOrder& order, const RecordFilter& filter)
    : m_connection(connection), m_order(order), m_filter(filter)
{
}

std::optional<OrderSearch::Found> OrderSearch::run(bool bySound)
{
    std::vector<std::string> parts;
    static const QRegularExpression wildcards(QStringLiteral("[*%]"));
    for (const QString& part : TextFold::fold(m_filter.value()).split(wildcards, Qt::SkipEmptyParts))
        parts.push_back(part.toUtf8().toStdString()); // whole parts, so a character of two halves stays whole

    // Whether a text, folded, holds the parts in turn.
    const FieldTexts::Match matches = [&parts](QByteArrayView bytes, std::string& folded) {
        TextFold::foldAnyUtf8(bytes.data(), int(bytes.size()), folded);
        size_t at = 0;
        for (const std::string& wanted : parts) {
            at = folded.find(wanted, at);
            if (at == std::string::npos)
                return false;
            at += wanted.size();
        }
        return true;
    };
    Found found;
    if (m_filter.column() == m_order.query().orderColumn()) {
        // The names are in order: so are the hits.
        for (const qsizetype index : FieldTexts::indexesWhere(m_order.names(), matches))
            found.ids.push_back(m_order.idsInOrder()[size_t(index)]);
    } else {
        std::vector<qsizetype> places;
        if (!placesInField(matches, places) || !addMoreValuePlaces(places))
            return std::nullopt;
        found.ids.reserve(places.size());
        for (const qsizetype place : places)
            found.ids.push_back(m_order.idsInOrder()[size_t(place)]);
    }
    found.plainHits = qsizetype(found.ids.size());
    if (bySound)
        addSoundHits(found.ids);
    return found;
}

// Another field's texts for the rows of the order, read once and kept by it while the file is
// unchanged or changed by this program alone: the first search in a field costs one pass over it,
// the next ones none. A field too large to hold (long notes in a large directory) is read again,
// matched as it comes, at each search.
bool OrderSearch::placesInField(const FieldTexts::Match& matches, std::vector<qsizetype>& places)
{
    const QString column = m_filter.column();
    if (const FieldTexts* kept = m_order.fieldTexts(column)) {
        places = kept->placesWhere(matches);
        return true;
    }
    m_order.letGoOfField();
    OrderedColumnRead::Found found;
    if (!OrderedColumnRead::read(m_connection, m_order.query(), column, m_order.idsInOrder(), m_order.stamp(), matches,
                                 kKeptFieldBytes, found)) {
        // Not the rows the order knows: the database is asked instead, far more slowly.
        PassedOver::note(DataResult{false, QStringLiteral("the rows of the order could not be read in file order")},
                         Q_FUNC_INFO);
        return false;
    }
    places = std::move(found.places);
    if (found.texts)
        m_order.keepFieldTexts(column, std::move(*found.texts));
    return true;
}

// The places of the rows the search finds by a more value too, merged into those the field found:
// one query over the values, then one pass over the order's row ids only when it found any.
bool OrderSearch::addMoreValuePlaces(std::vector<qsizetype>& places)
{
    const MoreValueFilter more(m_connection, m_order.query(), m_filter);
    if (!more.applies())
        return true;
    std::vector<qint64> found;
    if (DataResult read = more.rows(found); !read) {
        PassedOver::note(read, Q_FUNC_INFO);
        return false;
    }
    if (found.empty())
        return true;
    const std::unordered_set<qint64> wanted(found.begin(), found.end());
    const std::vector<qint64>& ids = m_order.idsInOrder();
    std::vector<qsizetype> extra;
    for (size_t place = 0; place < ids.size(); ++place)
        if (wanted.count(ids[place]) != 0)
            extra.push_back(qsizetype(place));
    std::vector<qsizetype> both;
    both.reserve(places.size() + extra.size());
    std::set_union(places.begin(), places.end(), extra.begin(), extra.end(), std::back_inserter(both));
    places = std::move(both);
    return true;
}

// The rows whose name sounds like the typed text and that the text itself did not find, in order
// after the others.
void OrderSearch::addSoundHits(std::vector<qint64>& ids)
{
    const QByteArray wanted = SoundKey::of(m_filter.value());
    if (SoundKey::consonants(wanted) == 0)
        return;
    const TextColumn& sounds = m_order.sounds();
    const std::vector<qint64>& inOrder = m_order.idsInOrder();
    std::vector<qint64> plain = ids;
    std::sort(plain.begin(), plain.end());
    for (size_t i = 0; i < inOrder.size(); ++i) {
        if (SoundKey::matches(wanted, sounds.utf8(qsizetype(i))) &&
            !std::binary_search(plain.begin(), plain.end(), inOrder[i]))
            ids.push_back(inOrder[i]);
    }
}
