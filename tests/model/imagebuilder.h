#pragma once
// Builds device images and project files byte by byte, independent of the code under test.

#include "kvrdata/byteorder.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace kvr::model::test {

using Bytes = std::vector<std::uint8_t>;

struct Entry {
    std::uint8_t key;
    Bytes payload;
};

inline void appendEntry(Bytes& out, const Entry& e)
{
    ByteWriter w(out);
    w.u8(e.key);
    w.u8(0);
    w.be16(static_cast<std::uint16_t>(e.payload.size()));
    w.bytes(e.payload);
}

// An image with the given entries, the header sizes and counts filled in.
inline Bytes makeImage(const std::vector<Entry>& setup, const std::vector<Entry>& structs, std::uint32_t deviceId = 7,
                       const std::string& name = "Studio")
{
    Bytes a, b;
    for (const auto& e : setup)
        appendEntry(a, e);
    for (const auto& e : structs)
        appendEntry(b, e);
    Bytes image(200, 0);
    std::memcpy(image.data(), "MPJ2", 4);
    writeBE64(image, 4, (5ull << 48) | (1ull << 32) | (9ull << 16) | 409);
    std::memcpy(image.data() + 16, name.data(), name.size());
    image[52] = 1;
    image[53] = static_cast<std::uint8_t>(setup.size());
    writeBE16(image, 54, static_cast<std::uint16_t>(a.size()));
    writeBE16(image, 56, static_cast<std::uint16_t>(b.size()));
    writeBE16(image, 58, static_cast<std::uint16_t>(200 + a.size() + b.size()));
    image[60] = static_cast<std::uint8_t>(structs.size());
    writeBE32(image, 78, deviceId);
    image.insert(image.end(), a.begin(), a.end());
    image.insert(image.end(), b.begin(), b.end());
    return image;
}

inline Bytes filled(std::size_t n, std::uint8_t value) { return Bytes(n, value); }

} // namespace kvr::model::test
