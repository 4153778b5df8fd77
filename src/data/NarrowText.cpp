#include "NarrowText.h"

namespace
{

// The length of the UTF-8 sequence that lead begins; 1 for a byte that begins none.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2)
        return 2;
    return 1;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

void appendEscaped(std::string_view bytes, std::string& out)
{
    out += NarrowText::kEscape;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        out += char(0x01 + (value >> 4));
        out += char(0x01 + (value & 0x0F));
    }
}

} // namespace

void NarrowText::append(std::string_view utf8, std::string& out)
{
    const auto* text = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t size = utf8.size();
    for (std::size_t at = 0; at < size;) {
        const unsigned char byte = text[at];
        if (byte < 0x80) {
            if ((byte >= 0x01 && byte <= 0x10) || byte == static_cast<unsigned char>(kEscape))
                appendEscaped(utf8.substr(at, 1), out);
            else
                out += char(byte);
            ++at;
            continue;
        }
        // U+0600..U+067F: D8 80..BF and D9 80..BF.
        if ((byte == 0xD8 || byte == 0xD9) && at + 1 < size && isContinuation(text[at + 1])) {
            out += char(0x80 + ((byte - 0xD8) << 6) + (text[at + 1] & 0x3F));
            at += 2;
            continue;
        }
        // Another character whole, or a stray byte alone.
        std::size_t length = sequenceLength(byte);
        if (at + length > size)
            length = 1;
        for (std::size_t next = 1; next < length; ++next)
            if (!isContinuation(text[at + next]))
                length = 1;
        appendEscaped(utf8.substr(at, length), out);
        at += length;
    }
}

std::string NarrowText::of(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    append(utf8, out);
    return out;
}
