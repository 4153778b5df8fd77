#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// Many short texts kept as UTF-8 end to end in one buffer: half a million names take a few
// megabytes instead of one heap block and string header each.
class TextColumn
{
public:
    qsizetype size() const { return m_packed.isEmpty() ? qsizetype(m_ends.size()) : m_packedCount; }
    QByteArrayView utf8(qsizetype index) const
    {
        if (!m_packed.isEmpty())
            unpack();
        const qsizetype from = index == 0 ? 0 : m_ends[size_t(index - 1)];
        return QByteArrayView(m_bytes.constData() + from, m_ends[size_t(index)] - from);
    }
    QString text(qsizetype index) const { return QString::fromUtf8(utf8(index)); }
    // Lays the texts out now: a column read back lays them out when first asked for, which two
    // threads reading it at once must not both do.
    void layOut() const
    {
        if (!m_packed.isEmpty())
            unpack();
    }

    // The bytes of all texts together.
    qsizetype byteSize() const { return m_packed.isEmpty() ? m_bytes.size() : m_packedSize; }

    // Room for count texts of bytes in all, and a little more: the first text inserted into a
    // large column must not copy it whole to grow. Room never written takes no memory.
    void reserve(qsizetype count, qsizetype bytes);
    static qsizetype withRoomToGrow(qsizetype size) { return size + size / 32 + 64; }
    void append(QByteArrayView text);
    void insert(qsizetype index, QByteArrayView text);
    void erase(qsizetype index);

    // The whole column as one block and back; fromBytes() refuses a block that does not hold
    // exactly count texts. A column read back is only checked at once: its texts are laid out
    // when first asked for, so a list opens without waiting for them.
    QByteArray toBytes() const;
    static bool fromBytes(QByteArrayView block, qsizetype count, TextColumn& out);
    // The most bytes a block of blockSize may unfold to (a few times it, and 16 MB at least).
    static qsizetype mostUnpackedFrom(qsizetype blockSize);

private:
    void unpack() const;

    mutable QByteArray m_bytes;
    mutable std::vector<qsizetype> m_ends; // where each text ends in m_bytes
    mutable QByteArray m_packed;           // as toBytes() made it, until first asked for
    qsizetype m_packedCount = 0;
    qsizetype m_packedSize = 0; // the texts' bytes once laid out
};
