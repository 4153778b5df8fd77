#include "VarInt.h"

void VarInt::put(QByteArray& out, quint64 value)
{
    while (value >= 0x80) {
        out.append(char(0x80 | (value & 0x7f)));
        value >>= 7;
    }
    out.append(char(value));
}

bool VarInt::take(QByteArrayView in, qsizetype& at, quint64& value)
{
    value = 0;
    for (int shift = 0; shift < 64 && at < in.size(); shift += 7) {
        const auto byte = quint8(in[at++]);
        value |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

QByteArray VarInt::fromIds(const std::vector<qint64>& ids)
{
    QByteArray bytes;
    bytes.reserve(3 * qsizetype(ids.size()));
    qint64 previous = 0;
    for (qint64 id : ids) {
        put(bytes, fromSigned(qint64(quint64(id) - quint64(previous))));
        previous = id;
    }
    return bytes;
}

bool VarInt::toIds(QByteArrayView bytes, qint64 count, std::vector<qint64>& ids)
{
    if (count < 0 || count > bytes.size())
        return false;
    ids.reserve(size_t(count));
    qsizetype at = 0;
    qint64 previous = 0;
    for (qint64 i = 0; i < count; ++i) {
        quint64 step = 0;
        if (!take(bytes, at, step))
            return false;
        previous = qint64(quint64(previous) + quint64(toSigned(step)));
        ids.push_back(previous);
    }
    return at == bytes.size();
}
