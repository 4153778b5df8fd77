#include "RowIds.h"

#include "VarInt.h"

#include <algorithm>

void RowIds::append(qint64 id)
{
    VarInt::put(m_bytes, VarInt::fromSigned(qint64(quint64(id) - quint64(m_count ? m_last : 0))));
    if (m_count == 0)
        m_first = id;
    m_last = id;
    ++m_count;
}

bool RowIds::assign(QByteArrayView bytes, qint64 count)
{
    *this = RowIds();
    std::vector<qint64> ids;
    if (count < 1 || !VarInt::toIds(bytes, count, ids) ||
        std::adjacent_find(ids.begin(), ids.end(), [](qint64 a, qint64 b) { return a >= b; }) != ids.end())
        return false;
    m_bytes = bytes.toByteArray();
    m_count = qsizetype(count);
    m_first = ids.front();
    m_last = ids.back();
    return true;
}

std::vector<qint64> RowIds::all() const
{
    std::vector<qint64> ids;
    (void)VarInt::toIds(m_bytes, m_count, ids);
    return ids;
}
