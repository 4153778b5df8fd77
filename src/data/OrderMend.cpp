#include "OrderMend.h"

OrderMend::OrderMend(const NameOrder::Ordered& previous)
    : m_previous(previous), m_previousPlace(std::in_place, previous.ids), m_unchanged(previous.ids.size(), false)
{
    previous.texts.layOut();
}

void OrderMend::take(qint64 id, QByteArrayView text)
{
    // A row the old order names twice is kept once.
    const qsizetype place = m_previousPlace->of(id);
    if (place >= 0 && !m_unchanged[size_t(place)] && m_previous.texts.utf8(place) == text) {
        m_unchanged[size_t(place)] = true;
        return;
    }
    m_changes.ids.push_back(id);
    m_changes.names.append(text);
}

OrderChanges OrderMend::changes()
{
    m_previousPlace.reset();
    for (size_t place = 0; place < m_unchanged.size(); ++place)
        if (!m_unchanged[place])
            m_changes.gone.push_back(qsizetype(place));
    std::vector<bool>().swap(m_unchanged);
    return std::move(m_changes);
}
