#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Turns the bytes of an imported file into text. The file's encoding is decided once, from the
// whole file: a byte-order mark (UTF-8, UTF-16); UTF-16 without one when every other byte is
// zero; UTF-8 when the bytes are valid UTF-8; otherwise windows-1256 (what Arabic Windows
// programs write) or windows-1252 (Western ones), by which of the two the other bytes look like.
// A value that declares its own charset is read in it; a damaged byte costs that one character,
// never the rest of the value.
class TextDecoding
{
public:
    // "UTF-8", "UTF-16LE", "UTF-16BE", "windows-1256" or "windows-1252".
    static QByteArray detectEncoding(const QByteArray& bytes);
    // The encodings a user may choose between for a file, in the names detectEncoding gives.
    static QStringList encodings();

    static QString decode(const QByteArray& bytes);
    // In the given encoding (a byte-order mark is skipped); an unknown name reads as UTF-8.
    static QString decodeAs(const QByteArray& bytes, const QByteArray& encoding);
    static bool isValidUtf8(const QByteArray& bytes);
    // Binary content (NUL bytes outside UTF-16) that no contact file contains.
    static bool looksBinary(const QByteArray& bytes);
};
