#pragma once
// Update files for tests: n data records and a trailer with the checksum and a version.

#include <cstdint>
#include <vector>

#include "kvrdata/byteorder.h"

namespace servicetest {

inline std::vector<std::uint8_t> UpdateFileBytes(int Records, int Kind = 1, std::uint32_t Version = 0x0401000C, std::uint8_t TrailerLen = 8,
                                                 std::int32_t SumError = 0)
{
    std::vector<std::uint8_t> b;
    std::uint32_t sum = 0;
    for (int r = 0; r < Records; ++r) {
        std::uint8_t rec[16] = {};
        kvr::writeLE32(rec, 0, static_cast<std::uint32_t>(r));
        rec[4] = 8;
        for (int i = 0; i < 8; ++i) {
            rec[5 + i] = static_cast<std::uint8_t>(r * 8 + i + 200);
            sum += rec[5 + i];
        }
        b.insert(b.end(), rec, rec + 16);
    }
    std::uint8_t trailer[16] = {};
    kvr::writeLE32(trailer, 0, 0xFFFF);
    trailer[4] = TrailerLen;
    kvr::writeBE32(trailer, 5, sum + (Kind == 2 ? 0x55AA : 0) + static_cast<std::uint32_t>(SumError));
    kvr::writeBE32(trailer, 9, Version);
    b.insert(b.end(), trailer, trailer + 16);
    return b;
}

} // namespace servicetest
