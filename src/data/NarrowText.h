#pragma once

#include <string>
#include <string_view>

// Folded text as the whole-book search keeps it: each Arabic letter in one byte instead of
// UTF-8's two, so a book of Arabic names is a third smaller to unpack and to search at every
// keystroke. A needle written the same way is found exactly where the folded text holds it.
//
// ASCII stays as it is; U+0600..U+067F become 0x80..0xFF; any other character (and the bytes
// 0x01..0x10 and the escape itself) becomes the escape 0x1C and its UTF-8 bytes as nibbles in
// 0x01..0x10. Those nibbles occur nowhere else, so no needle matches inside an escape unless it
// begins at its escape.
class NarrowText
{
public:
    static void append(std::string_view utf8, std::string& out);
    static std::string of(std::string_view utf8);

    static constexpr char kEscape = '\x1c';
};
