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
