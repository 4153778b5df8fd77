#include "PackedText.h"

#include <zstd.h>

std::string PackedText::pack(std::string_view text)
{
    std::string packed(ZSTD_compressBound(text.size()), '\0');
    const size_t size = ZSTD_compress(packed.data(), packed.size(), text.data(), text.size(), 1);
    if (ZSTD_isError(size))
        return {};
    packed.resize(size);
    packed.shrink_to_fit();
    return packed;
}

bool PackedText::unpack(const std::string& packed, std::string& out, size_t most)
{
    out.clear();
    if (packed.empty())
        return true;
    const unsigned long long size = ZSTD_getFrameContentSize(packed.data(), packed.size());
    if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN || size > most)
        return false;
    out.resize(size_t(size));
    const size_t unpacked = ZSTD_decompress(out.data(), out.size(), packed.data(), packed.size());
    if (ZSTD_isError(unpacked) || unpacked != size) {
        out.clear();
        return false;
    }
    return true;
}
