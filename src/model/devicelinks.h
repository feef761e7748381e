#pragma once
// Device links: 16-byte records in project entry 3. A caller's record carries an option byte
// at 11 (bit 7: do not write) that is never stored.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kvr::model {

inline constexpr std::size_t kDeviceLinkSize = 16;
inline constexpr int kMaxDeviceLinks = 64;
inline constexpr std::uint8_t kLinkNotWritten = 0x80;
using TDeviceLinkRecord = std::array<std::uint8_t, kDeviceLinkSize>;

// Memory form of a link (ports in host order).
struct TDeviceLink {
    std::uint8_t ID = 0;
    std::uint8_t SDev = 0;
    std::uint8_t SSlot = 0;
    std::uint16_t SPort = 0;
    std::uint8_t TDev = 0;
    std::uint8_t TSlot = 0;
    std::uint16_t TPort = 0;
    std::uint8_t Type = 0;
    std::uint8_t Direction = 0;
    std::uint8_t Opt = 0;
};

TDeviceLink DecodeDeviceLink(std::span<const std::uint8_t, kDeviceLinkSize> record);
TDeviceLinkRecord EncodeDeviceLink(const TDeviceLink& link);

// "ID:%02x|SDev:%02x|..." of bytes 0-11 of a caller's record.
std::string DeviceLinkToText(const TDeviceLink& link);

// The stored records (whole records only).
std::size_t DeviceLinkCount(std::span<const std::uint8_t> payload);
// The lowest ID no stored record has, or -1 when it would pass 63.
int FreeDeviceLinkID(std::span<const std::uint8_t> payload);
std::optional<TDeviceLink> FindStoredLink(std::span<const std::uint8_t> payload, int id);

// Side selection of FindDeviceLink.
enum TLinkSide : int { lkEither = 0, lkTargetSide = 1, lkSourceSide = 2 };
// 0 not linked, 2 feeds a link, 1 fed by a link, 3 both; lastID as the device accessor gives it.
int ScoreDeviceLinks(std::span<const std::uint8_t> payload, int channel, int device, int side, int* lastID);

} // namespace kvr::model
