#pragma once
// What the parts of the device model share: the block classes and IDs the device answers, its
// limits and the byte helpers of its answers.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

#include "devemu/devicemodel.h"
#include "kvrdata/byteorder.h"

namespace kvr::devemu {

inline constexpr std::uint32_t ClassImageRead = 0x1A00;
inline constexpr std::uint32_t ClassImageWrite = 0x1B00;
inline constexpr std::uint32_t ClassStreamRead = 0x1E21;
inline constexpr std::uint32_t ClassStreamWrite = 0x1E11;
inline constexpr std::uint32_t ClassStatusPages = 0x0500;
inline constexpr std::uint32_t ClassSerial = 0x112E;
inline constexpr std::uint32_t ClassModule = 0x0600;
inline constexpr std::uint32_t ClassCardRead = 0x0110;
inline constexpr std::uint32_t ClassCardWrite = 0x0120;
inline constexpr std::uint8_t CarrierType = 4;
inline constexpr std::uint32_t ClassFirmware = 0x1960;
inline constexpr std::uint32_t IdBurn = 0x19FFFFFC;
inline constexpr std::size_t FirmwareRecordsMax = 1u << 20;
inline constexpr std::uint32_t ClassChSetupName = 0x112A;
inline constexpr std::uint32_t ClassMxSetupName = 0x112F;
inline constexpr std::uint32_t ClassFaderName = 0x1114;
inline constexpr std::uint32_t ClassSetupChunk = 0x1141;
inline constexpr std::uint32_t ClassSetupHeader = 0x1142;
inline constexpr std::uint32_t ClassLoadSave = 0x111C;
inline constexpr std::uint32_t ClassLogicState = 0x110E;
inline constexpr std::uint32_t IdTcpBroadcast = 0x9A000004;
inline constexpr std::uint32_t DeviceRecordType = 0xFE062005;
inline constexpr std::uint32_t IdFileHeader = 0x99000000;
inline constexpr std::uint32_t IdFileData = 0x98000000;
inline constexpr std::uint32_t IdFileEnd = 0x99000001;
inline constexpr std::uint32_t FlashBurnRunning = 0x82010001;
inline constexpr std::uint32_t FileNotFound = 0x00000002;
inline constexpr std::uint32_t FileBadHandle = 0x00000003;
inline constexpr std::uint32_t FileBadCrc = 0x00000004;
inline constexpr std::uint32_t FileNoSpace = 0x00000005;
inline constexpr std::size_t FileChunk = 250;
inline constexpr std::size_t FileMax = 8u * 1024u * 1024u;
inline constexpr std::size_t FilesMax = 32;
inline constexpr std::size_t TransfersMax = 4;
inline constexpr std::size_t ReceivedMax = 200000;
inline constexpr std::size_t StreamBlocksMax = 0x7FFF;

inline std::string fixedText(std::span<const std::uint8_t> bytes)
{
    std::string text(bytes.begin(), bytes.end());
    text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
    return text;
}

inline void putText(Bytes& out, std::size_t at, const std::string& text, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        out[at + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
}

inline Bytes be32Bytes(std::uint32_t a, std::uint32_t b)
{
    Bytes out;
    ByteWriter w(out);
    w.be32(a);
    w.be32(b);
    return out;
}

} // namespace kvr::devemu
