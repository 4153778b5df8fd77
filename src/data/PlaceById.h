#pragma once

#include <QtGlobal>

#include <utility>
#include <vector>

// Where each row of an order stands, found by its id: a table indexed by id while the ids are
// dense (as SQLite gives them), else a list sorted by id; either takes far less memory than a
// hash, and the table finds a row at once. Safe to ask from several threads at a time.
class PlaceById
{
public:
    explicit PlaceById(const std::vector<qint64>& ids);

    // The place of id, or -1 when the order does not hold it. An id held twice gives its first place.
    qsizetype of(qint64 id) const
    {
        if (m_byId.empty())
            return id >= 0 && id < qint64(m_atId.size()) ? qsizetype(m_atId[size_t(id)]) : qsizetype(-1);
        return sortedPlaceOf(id);
    }
    qsizetype count() const { return m_count; }
    // Calls f(id) for each id held, lowest first.
    template <typename F> void forEachId(F&& f) const
    {
        if (m_atId.empty()) {
            for (const auto& [id, place] : m_byId)
                f(id);
            return;
        }
        for (size_t id = 0; id < m_atId.size(); ++id)
            if (m_atId[id] >= 0)
                f(qint64(id));
    }

private:
    qsizetype sortedPlaceOf(qint64 id) const;

    std::vector<qint32> m_atId;
    std::vector<std::pair<qint64, qsizetype>> m_byId;
    qsizetype m_count = 0; // distinct ids
};
