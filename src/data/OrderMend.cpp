#include "OrderMend.h"

#include <algorithm>

OrderMend::OrderMend(const NameOrder& order, const NameOrder::Ordered& previous)
    : m_order(order), m_previous(previous), m_unchanged(previous.ids.size(), false)
{
    const std::vector<qint64>& ids = previous.ids;
    const qint64 highest = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
    const qint64 lowest = ids.empty() ? 0 : *std::min_element(ids.begin(), ids.end());
    if (lowest >= 0 && highest < qint64(ids.size()) * 4 + 1024) {
        m_atId.assign(size_t(highest) + 1, -1);
        for (size_t i = 0; i < ids.size(); ++i)
            m_atId[size_t(ids[i])] = qint32(i);
    } else {
        m_byId.resize(ids.size());
        for (size_t i = 0; i < ids.size(); ++i)
            m_byId[i] = {ids[i], qsizetype(i)};
        std::sort(m_byId.begin(), m_byId.end());
    }
    previous.texts.layOut();
}

qsizetype OrderMend::previousPlaceOf(qint64 id) const
{
    if (m_byId.empty())
        return id >= 0 && id < qint64(m_atId.size()) ? qsizetype(m_atId[size_t(id)]) : qsizetype(-1);
    const auto at = std::lower_bound(m_byId.begin(), m_byId.end(), std::make_pair(id, qsizetype(-1)));
    return at != m_byId.end() && at->first == id ? at->second : qsizetype(-1);
}

void OrderMend::take(qint64 id, QByteArrayView text)
{
    ++m_taken;
    // A row the old order names twice is kept once.
    const qsizetype place = previousPlaceOf(id);
    if (place >= 0 && !m_unchanged[size_t(place)] && m_previous.texts.utf8(place) == text) {
        m_unchanged[size_t(place)] = true;
        return;
    }
    m_changedIds.push_back(id);
    m_changedTexts.append(text);
}

NameOrder::Ordered OrderMend::result()
{
    std::vector<qint32>().swap(m_atId);
    std::vector<std::pair<qint64, qsizetype>>().swap(m_byId);
    const qsizetype before = qsizetype(m_previous.ids.size());
    NameOrder::Ordered merged;
    merged.ids.reserve(size_t(NameColumn::withRoomToGrow(qsizetype(m_taken))));
    merged.texts.reserve(qsizetype(m_taken), m_previous.texts.byteSize() + m_changedTexts.byteSize());
    auto takeUnchangedBefore = [&](qsizetype& from, qsizetype until) {
        for (; from < until; ++from) {
            if (m_unchanged[size_t(from)]) {
                merged.ids.push_back(m_previous.ids[size_t(from)]);
                merged.texts.append(m_previous.texts.utf8(from));
            }
        }
    };
    // Too many changes: a fresh sort is cheaper than placing them one by one.
    if (m_changedIds.size() * 8 > m_taken) {
        qsizetype all = 0;
        takeUnchangedBefore(all, before);
        for (size_t i = 0; i < m_changedIds.size(); ++i) {
            merged.ids.push_back(m_changedIds[i]);
            merged.texts.append(m_changedTexts.utf8(qsizetype(i)));
        }
        return m_order.order(merged.ids, merged.texts);
    }
    const NameOrder::Ordered changed = m_order.order(m_changedIds, m_changedTexts);
    std::vector<qint64>().swap(m_changedIds);
    m_changedTexts = NameColumn();
    // The previous order is sorted, so a changed row's place among all its rows is its place
    // among the unchanged ones.
    qsizetype from = 0;
    for (qsizetype i = 0; i < changed.texts.size(); ++i) {
        takeUnchangedBefore(from, m_order.placeOf(changed.texts.text(i), m_previous.texts, from));
        merged.ids.push_back(changed.ids[size_t(i)]);
        merged.texts.append(changed.texts.utf8(i));
    }
    takeUnchangedBefore(from, before);
    return merged;
}
