#include "NeedleFinder.h"

#include <cstring>

NeedleFinder::ByteCounts NeedleFinder::countBytes(std::string_view sample)
{
    ByteCounts counts{};
    for (const char byte : sample)
        ++counts[static_cast<unsigned char>(byte)];
    return counts;
}

NeedleFinder::NeedleFinder(std::string_view needle, const ByteCounts& counts) : m_needle(needle)
{
    for (std::size_t at = 1; at < needle.size(); ++at)
        if (counts[static_cast<unsigned char>(needle[at])] < counts[static_cast<unsigned char>(needle[m_rare])])
            m_rare = at;
}

const char* NeedleFinder::find(const char* from, const char* end) const
{
    const std::size_t size = m_needle.size();
    if (size == 0 || end - from < std::ptrdiff_t(size))
        return nullptr;
    // Places of the rare byte, left to right: the first one where the whole needle lies is the
    // needle's first place.
    const char* last = end - size; // the last place the needle can start
    const auto rare = static_cast<unsigned char>(m_needle[m_rare]);
    for (const char* at = from + m_rare; at <= last + m_rare;) {
        const auto* found = static_cast<const char*>(std::memchr(at, rare, std::size_t(last + m_rare - at) + 1));
        if (!found)
            return nullptr;
        const char* start = found - m_rare;
        if (std::memcmp(start, m_needle.data(), size) == 0)
            return start;
        at = found + 1;
    }
    return nullptr;
}
