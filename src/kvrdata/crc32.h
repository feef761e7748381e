#pragma once
// CRC-32/ISO-HDLC (the checksum of IEEE 802.3 and zlib) over stream ranges, and the big-endian
// CRC trailer of the binary block format.

#include <cstdint>
#include <span>

#include "kvrdata/stream.h"

namespace Kvrdata_ns {

void BuildCRC32Table();

// Count 0 means all bytes from the position to the end. A count past the end stops at the end.
std::uint32_t CalcCRC32(TStream* Stream, int Count);
std::uint32_t AppendCRC32(TStream* Stream);
// Count 0 means all bytes from the position up to the last 4.
bool CheckCRC32(TStream* Stream, int Count);

// The same CRC over bytes in memory.
std::uint32_t CalcCRC32(std::span<const std::uint8_t> Data);

} // namespace Kvrdata_ns
