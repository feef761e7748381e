// Answers of devices to the configuration, setup and file transfers: every decoder stays within
// the block and within the buffers it fills.
#include "client/transferblocks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

using namespace kvr::client::transfer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> v(data, data + size);
    Kvrdata_ns::KVRCANBlock cb;
    if (!Kvrdata_ns::VariantToCANBlock(v, cb))
        return 0;
    const std::size_t len = cb.Len;

    const TCBFileTransferHeader header = DecodeFileHeader(cb);
    if (header.String.size() > FileHeaderTextSize || (header.String.size() && header.String.size() > len - FileHeaderFixed))
        __builtin_trap();
    const std::string text = FileEndText(cb);
    if (text.size() && text.size() > len - FileEndTextOffset)
        __builtin_trap();
    const auto bytes = FileDataBytes(cb);
    if (bytes.size() > FileChunkSize || (bytes.size() && bytes.size() != len - FileDataPrefix))
        __builtin_trap();
    FileEndResult(cb);
    FileEndCRC(cb);
    NamePartText(cb, 4, FaderNamePartLength);
    StreamSizeFromAnswer(cb);

    std::array<std::uint8_t, 40> pages{};
    StoreStatusPage(cb, pages);

    const std::span<const std::uint8_t> raw(data, size);
    const int imageSize = ImageSizeFromHeader(raw);
    if (imageSize != 0 && (imageSize < 200 || imageSize > 64000))
        __builtin_trap();
    if (size >= 2 * ImageBlockSize)
        ConfigTimeFromBlocks(raw.first(2 * ImageBlockSize));
    return 0;
}
