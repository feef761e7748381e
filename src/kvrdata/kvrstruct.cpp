#include "kvrdata/kvrstruct.h"

#include "kvrdata/byteorder.h"

#include <algorithm>
#include <cstdio>

namespace Kvrdata_ns {

namespace {

// Offsets inside the whole TUDPMsg image.
constexpr std::size_t StatusSerial = 12;
constexpr std::size_t StatusDeviceID = 16;
constexpr std::size_t StatusProjectID = 20;
constexpr std::size_t StatusStamp = 24;
constexpr std::size_t StatusName = 28;
constexpr std::size_t StatusNameSize = 10;
constexpr std::size_t StatusCount = 38;
constexpr std::size_t StatusEntries = 40;
constexpr std::uint32_t StatusMinLengthForEntries = 31; // the count follows the 30 fixed payload bytes

constexpr std::size_t EmbeddedPID = 12;
constexpr std::size_t EmbeddedLen = 16;
constexpr std::size_t EmbeddedID = 18;
constexpr std::size_t EmbeddedData = 22;
constexpr std::size_t EmbeddedDataCount = 8;

std::span<const std::uint8_t> payloadAt(const TUDPMsg& Msg, std::size_t messageOffset, std::size_t count)
{
    return std::span<const std::uint8_t>(Msg.Payload).subspan(messageOffset - UDPPayloadOffset, count);
}

std::uint32_t payloadLE32(const TUDPMsg& Msg, std::size_t messageOffset)
{
    return kvr::readLE32(Msg.Payload, messageOffset - UDPPayloadOffset);
}

TUDPMsg newSentMsg(std::uint32_t Address, std::uint32_t Magic, std::uint32_t Length)
{
    TUDPMsg msg;
    msg.Address = Address;
    kvr::writeLE32(msg.Payload, 0, Magic);
    msg.Length = Length;
    return msg;
}

} // namespace

std::array<std::uint8_t, CANBlockSize> CANBlockToBytes(const KVRCANBlock& CB)
{
    std::array<std::uint8_t, CANBlockSize> image{};
    kvr::writeU8(image, 0, CB.Len);
    kvr::writeU8(image, 1, CB.Reserved);
    kvr::writeLE32(image, 2, CB.ID);
    std::copy(CB.Data.begin(), CB.Data.end(), image.begin() + CANBlockHeaderSize);
    return image;
}

void OverlayCANBlock(KVRCANBlock& CB, std::span<const std::uint8_t> Bytes)
{
    auto image = CANBlockToBytes(CB);
    const std::size_t count = std::min(Bytes.size(), image.size());
    std::copy_n(Bytes.begin(), count, image.begin());
    CB.Len = kvr::readU8(image, 0);
    CB.Reserved = kvr::readU8(image, 1);
    CB.ID = kvr::readLE32(image, 2);
    std::copy(image.begin() + CANBlockHeaderSize, image.end(), CB.Data.begin());
}

std::array<std::uint8_t, UDPMsgSize> UDPMsgToBytes(const TUDPMsg& Msg)
{
    std::array<std::uint8_t, UDPMsgSize> image{};
    kvr::writeLE32(image, 0, Msg.Address);
    std::copy(Msg.Carried.begin(), Msg.Carried.end(), image.begin() + 4);
    std::copy(Msg.Payload.begin(), Msg.Payload.end(), image.begin() + UDPPayloadOffset);
    kvr::writeLE32(image, UDPLengthOffset, Msg.Length);
    kvr::writeU8(image, UDPMsgSize - 1, Msg.Trailer);
    return image;
}

void OverlayUDPMsg(TUDPMsg& Msg, std::span<const std::uint8_t> Bytes)
{
    auto image = UDPMsgToBytes(Msg);
    const std::size_t count = std::min(Bytes.size(), image.size());
    std::copy_n(Bytes.begin(), count, image.begin());
    Msg.Address = kvr::readLE32(image, 0);
    std::copy_n(image.begin() + 4, Msg.Carried.size(), Msg.Carried.begin());
    std::copy_n(image.begin() + UDPPayloadOffset, Msg.Payload.size(), Msg.Payload.begin());
    Msg.Length = kvr::readLE32(image, UDPLengthOffset);
    Msg.Trailer = kvr::readU8(image, UDPMsgSize - 1);
}

bool VariantToCANBlock(std::vector<std::uint8_t>& V, KVRCANBlock& CB)
{
    OverlayCANBlock(CB, V);
    V.clear();
    return true;
}

bool CANBlockToVariant(const KVRCANBlock& CB, std::vector<std::uint8_t>& V)
{
    // Header and at least 8 data bytes: short blocks are sent with 8.
    const auto image = CANBlockToBytes(CB);
    const std::size_t count = CANBlockHeaderSize + std::max<std::size_t>(CB.Len, 8);
    V.assign(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(count));
    return true;
}

bool VariantToUDPMsg(std::vector<std::uint8_t>& V, TUDPMsg& Msg)
{
    Msg = TUDPMsg{};
    OverlayUDPMsg(Msg, V);
    V.clear();
    return true;
}

bool UDPMsgToVariant(const TUDPMsg& Msg, std::vector<std::uint8_t>& V)
{
    const auto image = UDPMsgToBytes(Msg);
    V.assign(image.begin(), image.begin() + UDPSentSize);
    return true;
}

bool VariantToUDPMsgs(std::vector<std::uint8_t>& V, TUDPMsgVector& Msgs)
{
    // Header: record size (big-endian) and two unread bytes; the records follow.
    constexpr std::size_t header = 4;
    bool ok = false;
    if (V.size() < header || kvr::readBE16(V, 0) == 0) {
        Msgs.clear();
    } else {
        const std::size_t recordSize = kvr::readBE16(V, 0);
        const std::size_t count = (V.size() - header) / recordSize;
        Msgs.resize(count);
        const std::span<const std::uint8_t> bytes(V);
        for (std::size_t i = 0; i < count; ++i)
            OverlayUDPMsg(Msgs[i], bytes.subspan(header + i * recordSize, std::min(recordSize, UDPMsgSize)));
        ok = true;
    }
    V.clear();
    return ok;
}

std::uint64_t SwapInt64(std::uint64_t V)
{
    std::uint64_t result = 0;
    for (int i = 0; i < 8; ++i) {
        result = (result << 8) | (V & 0xFF);
        V >>= 8;
    }
    return result;
}

const char* FormatIP(std::uint32_t IP)
{
    thread_local char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", (IP >> 24) & 0xFF, (IP >> 16) & 0xFF, (IP >> 8) & 0xFF,
                  IP & 0xFF);
    return buffer;
}

std::uint32_t GetUDPMagic(const TUDPMsg& Msg)
{
    return kvr::readLE32(Msg.Payload, 0);
}

bool DecodeDeviceStatus(const TUDPMsg& Msg, TUDPDeviceStatus& Status)
{
    if (GetUDPMagic(Msg) != UDPMagicDeviceStatus)
        return false;
    TUDPDeviceStatus s;
    s.Serial = payloadLE32(Msg, StatusSerial);
    s.DeviceID = payloadLE32(Msg, StatusDeviceID);
    s.ProjectID = payloadLE32(Msg, StatusProjectID);
    s.ConfigStamp = static_cast<std::int32_t>(payloadLE32(Msg, StatusStamp));
    for (std::uint8_t c : payloadAt(Msg, StatusName, StatusNameSize)) {
        if (c == 0)
            break;
        s.Name.push_back(c < 0x20 ? ' ' : static_cast<char>(c));
    }
    if (Msg.Length >= StatusMinLengthForEntries) {
        const std::size_t count =
            std::min<std::size_t>(kvr::readLE16(Msg.Payload, StatusCount - UDPPayloadOffset), UDPStatusMaxEntries);
        for (std::size_t i = 0; i < count; ++i) {
            const auto entry = payloadAt(Msg, StatusEntries + 4 * i, 4);
            s.Entries.push_back({kvr::readLE16(entry, 0), entry[2], entry[3]});
        }
    }
    Status = std::move(s);
    return true;
}

std::uint32_t GetEmbeddedCANBlockID(const TUDPMsg& Msg)
{
    return payloadLE32(Msg, EmbeddedID);
}

KVRCANBlock GetEmbeddedCANBlock(const TUDPMsg& Msg)
{
    KVRCANBlock cb;
    cb.Len = Msg.Payload[EmbeddedLen - UDPPayloadOffset];
    cb.ID = GetEmbeddedCANBlockID(Msg);
    const auto data = payloadAt(Msg, EmbeddedData, EmbeddedDataCount);
    std::copy(data.begin(), data.end(), cb.Data.begin());
    return cb;
}

bool IsErrorReport(const TUDPMsg& Msg)
{
    return (GetEmbeddedCANBlockID(Msg) >> 16) == 0x0F10;
}

bool DecodeGlobalLogic(const TUDPMsg& Msg, TUDPGlobalLogic& Logic)
{
    if (GetUDPMagic(Msg) != UDPMagicGlobalLogic)
        return false;
    Logic.ProjectID = payloadLE32(Msg, EmbeddedPID);
    Logic.ID = GetEmbeddedCANBlockID(Msg);
    Logic.Number = kvr::readBE16(Msg.Payload, EmbeddedData - UDPPayloadOffset);
    Logic.State = Msg.Payload[EmbeddedData + 2 - UDPPayloadOffset];
    return true;
}

TUDPMsg MakeGlobalLogicMsg(std::uint32_t ProjectID, std::uint16_t Number, bool State, std::uint32_t Address)
{
    // Everything after the magic goes out in wire order.
    TUDPMsg msg = newSentMsg(Address, UDPMagicGlobalLogic, 17);
    kvr::writeBE32(msg.Payload, 4, ProjectID);
    kvr::writeU8(msg.Payload, 8, 3);
    kvr::writeU8(msg.Payload, 9, 0);
    kvr::writeBE32(msg.Payload, 10, GlobalLogicBlockID);
    kvr::writeBE16(msg.Payload, 14, Number);
    kvr::writeU8(msg.Payload, 16, State ? 1 : 0);
    return msg;
}

TUDPMsg MakeSetDHCPMsg(std::uint32_t Address)
{
    return newSentMsg(Address, UDPMagicSetDHCP, 4);
}

TUDPMsg MakeSetDeviceIPMsg(bool EnableDHCP, const std::array<std::uint8_t, 3>& MAC, std::uint32_t IP,
                           std::uint32_t Mask, std::uint32_t Address)
{
    TUDPMsg msg = newSentMsg(Address, UDPMagicSetDeviceIP, 16);
    kvr::writeU8(msg.Payload, 4, EnableDHCP ? 1 : 0);
    std::copy(MAC.begin(), MAC.end(), msg.Payload.begin() + 5);
    kvr::writeBE32(msg.Payload, 8, IP);
    kvr::writeBE32(msg.Payload, 12, Mask);
    return msg;
}

} // namespace Kvrdata_ns
