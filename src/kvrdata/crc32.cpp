#include "kvrdata/crc32.h"

#include <array>

namespace Kvrdata_ns {

namespace {

constexpr std::array<std::uint32_t, 256> makeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ ((c & 1U) ? 0xEDB88320U : 0U);
        table[i] = c;
    }
    return table;
}

// Built once at compile time; the table never changes, so concurrent use needs no lock.
constexpr std::array<std::uint32_t, 256> crcTable = makeTable();

std::uint32_t update(std::uint32_t crc, std::span<const std::uint8_t> data)
{
    for (const std::uint8_t b : data)
        crc = (crc >> 8) ^ crcTable[(crc ^ b) & 0xFFU];
    return crc;
}

} // namespace

void BuildCRC32Table()
{
    // The table is a compile-time constant; kept as an entry point for callers that expect it.
}

std::uint32_t CalcCRC32(std::span<const std::uint8_t> Data)
{
    return update(0xFFFFFFFFU, Data) ^ 0xFFFFFFFFU;
}

namespace {

// The CRC of the next count bytes of the stream, stopping early at its end.
std::uint32_t crcOfNext(TStream* Stream, std::int64_t left)
{
    std::uint32_t crc = 0xFFFFFFFFU;
    std::uint8_t buffer[4096];
    while (left > 0) {
        const int want = static_cast<int>(left < static_cast<std::int64_t>(sizeof buffer) ? left : sizeof buffer);
        const int got = Stream->Read(buffer, want);
        if (got <= 0)
            break; // end of stream: stop rather than repeat the last byte
        crc = update(crc, std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(got)));
        left -= got;
    }
    return crc ^ 0xFFFFFFFFU;
}

} // namespace

std::uint32_t CalcCRC32(TStream* Stream, int Count)
{
    return crcOfNext(Stream, Count > 0 ? Count : Stream->GetSize() - Stream->GetPosition());
}

std::uint32_t AppendCRC32(TStream* Stream)
{
    const std::uint32_t c = CalcCRC32(Stream, 0);
    const std::uint8_t trailer[4] = {static_cast<std::uint8_t>(c >> 24), static_cast<std::uint8_t>(c >> 16),
                                     static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)};
    Stream->WriteBuffer(trailer, 4);
    return c;
}

bool CheckCRC32(TStream* Stream, int Count)
{
    const std::int64_t count = Count > 0 ? Count : Stream->GetSize() - Stream->GetPosition() - 4;
    if (count < 0)
        return false;
    const std::uint32_t c = crcOfNext(Stream, count);
    std::uint8_t trailer[4];
    if (Stream->Read(trailer, 4) != 4)
        return false;
    const std::uint32_t stored = (std::uint32_t{trailer[0]} << 24) | (std::uint32_t{trailer[1]} << 16) |
                                 (std::uint32_t{trailer[2]} << 8) | trailer[3];
    return stored == c;
}

} // namespace Kvrdata_ns
