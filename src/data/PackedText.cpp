#include "PackedText.h"

#include <zstd.h>

#include <memory>

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
    if (packed.empty()) {
        out.clear();
        return true;
    }
    const unsigned long long size = ZSTD_getFrameContentSize(packed.data(), packed.size());
    if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN || size > most) {
        out.clear();
        return false;
    }
    // Not cleared first: a room of about the same size is then not filled with zeros before
    // every block. One context per thread spares its setup at every block.
    out.resize(size_t(size));
    thread_local const std::unique_ptr<ZSTD_DCtx, size_t (*)(ZSTD_DCtx*)> context(ZSTD_createDCtx(), ZSTD_freeDCtx);
    const size_t unpacked =
        context ? ZSTD_decompressDCtx(context.get(), out.data(), out.size(), packed.data(), packed.size())
                : ZSTD_decompress(out.data(), out.size(), packed.data(), packed.size());
    if (ZSTD_isError(unpacked) || unpacked != size) {
        out.clear();
        return false;
    }
    return true;
}
