#include "PlaceById.h"

#include <algorithm>
#include <limits>

PlaceById::PlaceById(const std::vector<qint64>& ids)
{
    qint64 lowest = 0, highest = 0;
    if (!ids.empty()) {
        const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
        lowest = *low;
        highest = *high;
    }
    const bool dense = lowest >= 0 && highest < qint64(ids.size()) * 4 + 1024 &&
                       ids.size() < size_t(std::numeric_limits<qint32>::max());
    if (dense) {
        m_atId.assign(ids.empty() ? 0 : size_t(highest) + 1, -1);
        for (size_t i = ids.size(); i-- > 0;) // backwards, so an id held twice keeps its first place
            m_atId[size_t(ids[i])] = qint32(i);
        m_count = qsizetype(std::count_if(m_atId.begin(), m_atId.end(), [](qint32 place) { return place >= 0; }));
        return;
    }
    m_byId.resize(ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
        m_byId[i] = {ids[i], qsizetype(i)};
    std::sort(m_byId.begin(), m_byId.end());
    // An id held twice keeps its first place (the sort put it first).
    m_byId.erase(
        std::unique(m_byId.begin(), m_byId.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
        m_byId.end());
    m_count = qsizetype(m_byId.size());
}

qsizetype PlaceById::sortedPlaceOf(qint64 id) const
{
    const auto at = std::lower_bound(m_byId.begin(), m_byId.end(), std::make_pair(id, qsizetype(-1)));
    return at != m_byId.end() && at->first == id ? at->second : qsizetype(-1);
}
