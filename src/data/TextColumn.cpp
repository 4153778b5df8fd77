#include "TextColumn.h"
#include "VarInt.h"

#include <algorithm>
#include <cstring>
#include <utility>

void TextColumn::reserve(qsizetype count, qsizetype bytes)
{
    if (!m_packed.isEmpty())
        unpack();
    m_ends.reserve(size_t(withRoomToGrow(count)));
    m_bytes.reserve(withRoomToGrow(bytes));
}

void TextColumn::append(QByteArrayView text)
{
    if (!m_packed.isEmpty())
        unpack();
    m_bytes.append(text);
    m_ends.push_back(m_bytes.size());
}

void TextColumn::insert(qsizetype index, QByteArrayView text)
{
    if (!m_packed.isEmpty())
        unpack();
    const qsizetype at = index == 0 ? 0 : m_ends[size_t(index - 1)];
    m_bytes.insert(at, text);
    m_ends.insert(m_ends.begin() + index, at);
    for (size_t i = size_t(index); i < m_ends.size(); ++i)
        m_ends[i] += text.size();
}

void TextColumn::erase(qsizetype index)
{
    if (!m_packed.isEmpty())
        unpack();
    const qsizetype from = index == 0 ? 0 : m_ends[size_t(index - 1)];
    const qsizetype length = m_ends[size_t(index)] - from;
    m_bytes.remove(from, length);
    m_ends.erase(m_ends.begin() + index);
    for (size_t i = size_t(index); i < m_ends.size(); ++i)
        m_ends[i] -= length;
}

// Texts in order share much with the one before them: each is stored as how many bytes it
// shares with the previous text, then the rest with its length.
QByteArray TextColumn::toBytes() const
{
    if (!m_packed.isEmpty())
        return m_packed;
    QByteArray block;
    block.reserve(m_bytes.size() / 2);
    QByteArrayView previous;
    for (qsizetype i = 0; i < size(); ++i) {
        const QByteArrayView text = utf8(i);
        qsizetype shared = 0;
        const qsizetype most = std::min(text.size(), previous.size());
        while (shared < most && text[shared] == previous[shared])
            ++shared;
        VarInt::put(block, quint64(shared));
        VarInt::put(block, quint64(text.size() - shared));
        block.append(text.sliced(shared));
        previous = text;
    }
    return block;
}

qsizetype TextColumn::mostUnpackedFrom(qsizetype blockSize)
{
    constexpr qsizetype kFloor = 16 * 1024 * 1024, kCeiling = 256 * 1024 * 1024;
    return std::min(kCeiling, kFloor + 32 * std::min(blockSize, kCeiling));
}

bool TextColumn::fromBytes(QByteArrayView block, qsizetype count, TextColumn& out)
{
    // Each text takes two bytes at least; a block written from real texts never unfolds to more
    // than mostUnpackedFrom(), while texts that repeat their long neighbour could reach gigabytes.
    if (count < 0 || count > block.size() / 2)
        return false;
    const qsizetype most = mostUnpackedFrom(block.size());
    qsizetype total = 0, at = 0, previousLength = 0;
    for (qsizetype i = 0; i < count; ++i) {
        quint64 shared = 0, rest = 0;
        if (!VarInt::take(block, at, shared) || !VarInt::take(block, at, rest) || shared > quint64(previousLength) ||
            rest > quint64(block.size() - at))
            return false;
        at += qsizetype(rest);
        previousLength = qsizetype(shared + rest);
        total += previousLength;
        if (total > most)
            return false;
    }
    if (at != block.size())
        return false;
    TextColumn column;
    if (count > 0) {
        column.m_packed = block.toByteArray();
        column.m_packedCount = count;
        column.m_packedSize = total;
    }
    out = std::move(column);
    return true;
}

// Lays out a column fromBytes() has checked: every length is known to fit.
void TextColumn::unpack() const
{
    const QByteArray block = std::exchange(m_packed, QByteArray());
    m_bytes.reserve(withRoomToGrow(m_packedSize));
    m_bytes.resize(m_packedSize);
    m_ends.clear();
    m_ends.reserve(size_t(withRoomToGrow(m_packedCount)));
    char* bytes = m_bytes.data();
    qsizetype at = 0, written = 0, previousStart = 0;
    for (qsizetype i = 0; i < m_packedCount; ++i) {
        quint64 shared = 0, rest = 0;
        (void)VarInt::take(block, at, shared);
        (void)VarInt::take(block, at, rest);
        std::memmove(bytes + written, bytes + previousStart, size_t(shared));
        std::memcpy(bytes + written + shared, block.constData() + at, size_t(rest));
        at += qsizetype(rest);
        previousStart = written;
        written += qsizetype(shared + rest);
        m_ends.push_back(written);
    }
}
