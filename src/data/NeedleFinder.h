#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// Finds a short needle in a long folded text by looking for the needle's rarest byte with memchr,
// then comparing the whole needle there. Every Arabic letter in UTF-8 begins with one of two
// bytes, and glibc's memmem is slow on two-byte needles; the rarest byte of the needle, found
// with memchr, skips most of the text at memory speed.
class NeedleFinder
{
public:
    // How often each byte value occurs in a sample of the texts to be searched.
    using ByteCounts = std::array<std::size_t, 256>;
    static ByteCounts countBytes(std::string_view sample);

    NeedleFinder(std::string_view needle, const ByteCounts& counts);

    // The first place at or after from where the whole needle lies before end; nullptr for none.
    const char* find(const char* from, const char* end) const;

private:
    std::string_view m_needle;
    std::size_t m_rare = 0; // the needle's byte looked for first
};
