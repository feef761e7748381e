#pragma once
// Control blocks and UDP messages of the older device generation, and their byte arrays for the
// communication server. The arrays are the little-endian images of the records; they are built
// and read field by field, never by copying a record.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Kvrdata_ns {

inline constexpr std::size_t CANBlockHeaderSize = 6;
inline constexpr std::size_t CANBlockDataSize = 256;
inline constexpr std::size_t CANBlockSize = CANBlockHeaderSize + CANBlockDataSize; // 262

// One control block. Image: 0 Len, 1 Reserved, 2-5 ID (little-endian), 6-261 Data.
// Values inside Data are big-endian by the devices' convention.
struct KVRCANBlock {
    std::uint8_t Len = 0;
    std::uint8_t Reserved = 0; // carried unchanged, never interpreted
    std::uint32_t ID = 0;
    std::array<std::uint8_t, CANBlockDataSize> Data{};

    bool operator==(const KVRCANBlock&) const = default;
};
using TKVRCANBlock = KVRCANBlock;

inline constexpr std::size_t UDPMsgSize = 177;
inline constexpr std::size_t UDPPayloadOffset = 8;
inline constexpr std::size_t UDPPayloadSize = 164;
inline constexpr std::size_t UDPLengthOffset = 172;
inline constexpr std::size_t UDPSentSize = 176; // the last byte is never sent

// One UDP datagram of the older generation as the server hands it over.
// Image: 0-3 address (LE), 4-7 carried, 8-171 payload, 172-175 payload length (LE), 176 carried.
// Numbers inside a received payload are in host (little-endian) order, converted by the server.
struct TUDPMsg {
    std::uint32_t Address = 0; // sender, or destination (0xFFFFFFFF: broadcast); first dotted part in the top byte
    std::array<std::uint8_t, 4> Carried{};
    std::array<std::uint8_t, UDPPayloadSize> Payload{}; // starts with the 32-bit magic
    std::uint32_t Length = 0;                            // valid payload bytes
    std::uint8_t Trailer = 0;

    bool operator==(const TUDPMsg&) const = default;
};
using TUDPMsgVector = std::vector<TUDPMsg>;

// Magic numbers of the UDP message kinds (first payload word).
inline constexpr std::uint32_t UDPMagicDeviceStatus = 0x06061999;
inline constexpr std::uint32_t UDPMagicGlobalLogic = 0x20081996;
inline constexpr std::uint32_t UDPMagicSetDHCP = 0x23011968;
inline constexpr std::uint32_t UDPMagicSetDeviceIP = 0xDEADBEEF;
inline constexpr std::uint32_t GlobalLogicBlockID = 0x11500000;
inline constexpr std::uint32_t UDPBroadcastAddress = 0xFFFFFFFF;

// Images and partial overlays. An overlay writes the first min(bytes, image size) image bytes
// into the record; the rest of the record keeps its values.
std::array<std::uint8_t, CANBlockSize> CANBlockToBytes(const KVRCANBlock& CB);
void OverlayCANBlock(KVRCANBlock& CB, std::span<const std::uint8_t> Bytes);
std::array<std::uint8_t, UDPMsgSize> UDPMsgToBytes(const TUDPMsg& Msg);
void OverlayUDPMsg(TUDPMsg& Msg, std::span<const std::uint8_t> Bytes);

// Marshalling to and from the server's byte arrays. Readers empty the array afterwards.
bool VariantToCANBlock(std::vector<std::uint8_t>& V, KVRCANBlock& CB);
bool CANBlockToVariant(const KVRCANBlock& CB, std::vector<std::uint8_t>& V);
bool VariantToUDPMsg(std::vector<std::uint8_t>& V, TUDPMsg& Msg);
bool UDPMsgToVariant(const TUDPMsg& Msg, std::vector<std::uint8_t>& V);
bool VariantToUDPMsgs(std::vector<std::uint8_t>& V, TUDPMsgVector& Msgs);

std::uint64_t SwapInt64(std::uint64_t V);
// Dotted text of an address; the buffer is overwritten by the next call in the same thread.
const char* FormatIP(std::uint32_t IP);

// Received messages ------------------------------------------------------------------------

std::uint32_t GetUDPMagic(const TUDPMsg& Msg);

struct TUDPStatusEntry {
    std::uint16_t Value = 0;
    std::uint8_t B1 = 0;
    std::uint8_t B2 = 0;
    bool operator==(const TUDPStatusEntry&) const = default;
};

inline constexpr std::size_t UDPStatusMaxEntries = 32;

// A device status broadcast (magic 0x06061999).
struct TUDPDeviceStatus {
    std::uint32_t Serial = 0;    // serial number in the low 24 bits; 1-254 is a COM port
    std::uint32_t DeviceID = 0;
    std::uint32_t ProjectID = 0; // first character in the top byte
    std::int32_t ConfigStamp = 0;
    std::string Name;            // up to 10 characters, control characters as blanks
    std::vector<TUDPStatusEntry> Entries;
};

// False (and Status untouched) when the message is no device status.
bool DecodeDeviceStatus(const TUDPMsg& Msg, TUDPDeviceStatus& Status);

// The control block embedded from byte 16 of a global logic state or an error report:
// Len from 16, ID from 18, 8 data bytes from 22.
KVRCANBlock GetEmbeddedCANBlock(const TUDPMsg& Msg);
std::uint32_t GetEmbeddedCANBlockID(const TUDPMsg& Msg);
// An error report of a device: the embedded ID's high half is 0x0F10.
bool IsErrorReport(const TUDPMsg& Msg);

struct TUDPGlobalLogic {
    std::uint32_t ProjectID = 0;
    std::uint32_t ID = 0; // 0x11500000 for a global logic state
    std::uint16_t Number = 0;
    std::uint8_t State = 0;
};
// False when the message is no global logic state.
bool DecodeGlobalLogic(const TUDPMsg& Msg, TUDPGlobalLogic& Logic);

// Messages the program sends -----------------------------------------------------------------

TUDPMsg MakeGlobalLogicMsg(std::uint32_t ProjectID, std::uint16_t Number, bool State,
                           std::uint32_t Address = UDPBroadcastAddress);
TUDPMsg MakeSetDHCPMsg(std::uint32_t Address = UDPBroadcastAddress);
TUDPMsg MakeSetDeviceIPMsg(bool EnableDHCP, const std::array<std::uint8_t, 3>& MAC, std::uint32_t IP,
                           std::uint32_t Mask, std::uint32_t Address = UDPBroadcastAddress);

} // namespace Kvrdata_ns
