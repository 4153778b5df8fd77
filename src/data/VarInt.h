#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// Whole numbers in as few bytes as they need, seven bits to a byte: the kept name order is read
// at every start, so it is kept small.
class VarInt
{
public:
    static void put(QByteArray& out, quint64 value);
    // Reads one number at `at` and moves past it; false when in ends first.
    static bool take(QByteArrayView in, qsizetype& at, quint64& value);

    // Signed differences (ids in name order jump both ways) as small unsigned numbers.
    static quint64 fromSigned(qint64 value) { return (quint64(value) << 1) ^ quint64(value >> 63); }
    static qint64 toSigned(quint64 value) { return qint64(value >> 1) ^ -qint64(value & 1); }

    // Row ids, each as its difference from the one before (taken modulo 2^64: ids may lie at both
    // ends of their range), and back: exactly count of them filling bytes, or false. Every id
    // takes at least one byte, so a count the bytes cannot hold is refused before any room is made.
    static QByteArray fromIds(const std::vector<qint64>& ids);
    static bool toIds(QByteArrayView bytes, qint64 count, std::vector<qint64>& ids);
};
