#include "FieldTexts.h"

#include "TwoHalves.h"

#include <algorithm>

FieldTexts::FieldTexts(std::vector<Part> parts) : m_parts(std::move(parts)) {}

qsizetype FieldTexts::size() const
{
    qsizetype count = 0;
    for (const Part& part : m_parts)
        count += qsizetype(part.places.size());
    return count;
}

std::vector<qsizetype> FieldTexts::indexesWhere(const NameColumn& texts, const Match& matches)
{
    texts.layOut();
    std::vector<qsizetype> halves[2];
    TwoHalves::run(texts.size(), [&](qsizetype from, qsizetype to, int half) {
        std::string scratch;
        for (qsizetype i = from; i < to; ++i)
            if (matches(texts.utf8(i), scratch))
                halves[half].push_back(i);
    });
    halves[0].insert(halves[0].end(), halves[1].begin(), halves[1].end());
    return std::move(halves[0]);
}

std::vector<qsizetype> FieldTexts::placesWhere(const Match& matches) const
{
    std::vector<qsizetype> found;
    for (const Part& part : m_parts)
        for (const qsizetype index : indexesWhere(part.texts, matches))
            found.push_back(part.places[size_t(index)]);
    std::sort(found.begin(), found.end());
    return found;
}

void FieldTexts::erasePlace(qsizetype place)
{
    for (Part& part : m_parts) {
        const auto at = std::find(part.places.begin(), part.places.end(), place);
        if (at != part.places.end()) {
            part.texts.erase(at - part.places.begin());
            part.places.erase(at);
        }
        for (qint32& other : part.places)
            if (other > place)
                --other;
    }
}

void FieldTexts::insertPlace(qsizetype place, QByteArrayView text)
{
    if (m_parts.empty())
        m_parts.emplace_back();
    for (Part& part : m_parts)
        for (qint32& at : part.places)
            if (at >= place)
                ++at;
    m_parts.back().places.push_back(qint32(place));
    m_parts.back().texts.append(text);
}
