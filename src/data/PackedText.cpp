#include "PackedText.h"

#include <zstd.h>

#include <memory>

std::string PackedText::pack(std::string_view text)
{
    // Packed into a room kept by the thread, then copied at its size: a room of the largest size
    // it could take, made and shrunk for every block, would leave the heap full of holes.
    thread_local const std::unique_ptr<ZSTD_CCtx, size_t (*)(ZSTD_CCtx*)> context(ZSTD_createCCtx(), ZSTD_freeCCtx);
    thread_local std::string room;
    if (room.size() < ZSTD_compressBound(text.size()))
        room.resize(ZSTD_compressBound(text.size()));
    const size_t size = context
                            ? ZSTD_compressCCtx(context.get(), room.data(), room.size(), text.data(), text.size(), 1)
                            : ZSTD_compress(room.data(), room.size(), text.data(), text.size(), 1);
    std::string packed = ZSTD_isError(size) ? std::string() : room.substr(0, size);
    // A block of very long notes is rare: its room is not kept for the thread's life.
    constexpr size_t kRoomKept = size_t(4) << 20;
    if (room.size() > kRoomKept)
        std::string().swap(room);
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
