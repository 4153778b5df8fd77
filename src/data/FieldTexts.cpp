#include "FieldTexts.h"

#include "TwoHalves.h"

#include <algorithm>

FieldTexts::FieldTexts(std::vector<Pass> passes) : m_passes(std::move(passes)) {}

qsizetype FieldTexts::size() const
{
    qsizetype count = 0;
    for (const Pass& pass : m_passes)
        count += qsizetype(pass.places.size());
    return count;
}

std::vector<qsizetype> FieldTexts::indexesWhere(const TextColumn& texts, const Match& matches)
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
    for (const Pass& pass : m_passes)
        for (const qsizetype index : indexesWhere(pass.texts, matches))
            found.push_back(pass.places[size_t(index)]);
    std::sort(found.begin(), found.end());
    return found;
}

void FieldTexts::erasePlace(qsizetype place)
{
    for (Pass& pass : m_passes) {
        const auto at = std::find(pass.places.begin(), pass.places.end(), place);
        if (at != pass.places.end()) {
            pass.texts.erase(at - pass.places.begin());
            pass.places.erase(at);
        }
        for (qint32& other : pass.places)
            if (other > place)
                --other;
    }
}

void FieldTexts::insertPlace(qsizetype place, QByteArrayView text)
{
    if (m_passes.empty())
        m_passes.emplace_back();
    for (Pass& pass : m_passes)
        for (qint32& at : pass.places)
            if (at >= place)
                ++at;
    m_passes.back().places.push_back(qint32(place));
    m_passes.back().texts.append(text);
}
