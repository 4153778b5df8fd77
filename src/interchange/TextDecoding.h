#pragma once

#include <QByteArray>
#include <QString>

// Turns the bytes of an imported file into text: a byte-order mark decides (UTF-8, UTF-16),
// otherwise valid UTF-8 is taken as such and anything else is read as windows-1256, the
// encoding Arabic Windows programs write.
class TextDecoding
{
public:
    static QString decode(const QByteArray& bytes);
    static QString decode(const QByteArray& bytes, const QByteArray& charset);
    static bool isValidUtf8(const QByteArray& bytes);
    // Binary content (NUL bytes outside UTF-16) that no contact file contains.
    static bool looksBinary(const QByteArray& bytes);
};
