#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// The rising row ids of a block of the search index, each kept as its difference from the one
// before (as VarInt::fromIds writes them, and as the book keeps them): a million contacts' ids
// take about a megabyte, not eight. They are read one block at a time, where a search hits.
class RowIds
{
public:
    // Adds an id above the last one.
    void append(qint64 id);
    // Ends the adding: the room left over is given back.
    void squeeze() { m_bytes.squeeze(); }
    // Exactly count ids in bytes, each above the one before; false, and left empty, otherwise.
    bool assign(QByteArrayView bytes, qint64 count);

    qsizetype size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    qint64 front() const { return m_first; }
    qint64 back() const { return m_last; }
    std::vector<qint64> all() const;
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    qsizetype m_count = 0;
    qint64 m_first = 0;
    qint64 m_last = 0;
};
