#pragma once
// The buffer of a stream reader: bytes come in at the end, frames are consumed from the front.

#include <cstddef>
#include <span>

#include "commserver/icommserver.h"

namespace kvr::commserver {

// Drops what was consumed before appending, so a reader holds at most one frame and a chunk.
inline void appendCompacting(Bytes& buffer, std::size_t& start, std::span<const std::uint8_t> bytes)
{
    if (start > 0) {
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(start));
        start = 0;
    }
    buffer.insert(buffer.end(), bytes.begin(), bytes.end());
}

// Once the frames of a read are taken: a buffer that a big read grew keeps only what is left, so
// an idle reader does not hold the memory of its biggest read.
inline void releaseConsumed(Bytes& buffer, std::size_t& start)
{
    constexpr std::size_t KeptCapacity = 32 * 1024;
    if (buffer.capacity() <= KeptCapacity || buffer.size() - start > KeptCapacity / 4)
        return;
    Bytes rest(buffer.begin() + static_cast<std::ptrdiff_t>(start), buffer.end());
    buffer.swap(rest);
    start = 0;
}

} // namespace kvr::commserver
