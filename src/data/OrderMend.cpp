#include "OrderMend.h"

#include <algorithm>

OrderMend::OrderMend(const NameOrder& order, const NameOrder::Ordered& previous)
    : m_order(order), m_previous(previous), m_previousPlace(std::in_place, previous.ids),
      m_unchanged(previous.ids.size(), false)
{
    previous.texts.layOut();
}

void OrderMend::take(qint64 id, QByteArrayView text)
{
    ++m_taken;
    // A row the old order names twice is kept once.
    const qsizetype place = m_previousPlace->of(id);
    if (place >= 0 && !m_unchanged[size_t(place)] && m_previous.texts.utf8(place) == text) {
        m_unchanged[size_t(place)] = true;
        return;
    }
    m_changedIds.push_back(id);
    m_changedTexts.append(text);
}

NameOrder::Ordered OrderMend::result()
{
    m_previousPlace.reset();
    const qsizetype before = qsizetype(m_previous.ids.size());
    NameOrder::Ordered merged;
    merged.ids.reserve(size_t(TextColumn::withRoomToGrow(qsizetype(m_taken))));
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
    m_changedTexts = TextColumn();
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
