#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text kept compressed in memory (zstd at its fastest level): the searchable copy of a large book
// takes a quarter of its size and is unpacked a block at a time, faster than it is searched.
class PackedText
{
public:
    static std::string pack(std::string_view text);
    // Unpacks into out, reusing its room; false, and out empty, for bytes that are not a packed
    // text, or one that says it unpacks to more than most bytes (checked before room is made).
    static bool unpack(const std::string& packed, std::string& out, size_t most = SIZE_MAX);
};
