#pragma once
// Pot names (structure 16) and global pot names (project entry 12), selector source lists (21),
// network settings (22), global logic names (project entry 2) and the global logics a device
// sends (23): record forms and edits on payloads.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::model {

inline constexpr std::size_t kPotNamesSize = 1244;
inline constexpr std::size_t kPotNameWidth = 10;
inline constexpr int kMaxPotID = 124;
inline constexpr int kFirstCleanFeedPotID = 125;
inline constexpr int kLastCleanFeedPotID = 154;
inline constexpr std::size_t kGlobalPotNamesSize = 320;
inline constexpr int kGlobalPotCount = 20;
inline constexpr std::size_t kGlobalLogicNamesSize = 1600;
inline constexpr int kGlobalLogicCount = 200;
inline constexpr std::size_t kNetworkSettingsSize = 152;
inline constexpr int kSourceListCount = 11;
inline constexpr std::size_t kSourceListMaxEntries = 50;
inline constexpr std::uint32_t kNetworkDHCP = 0x80000000u;

// Slot of a pot ID 1-124 in the pot-name block (121 and 122 share 120, 123 and 124 share 122).
int PotSlot(int potID);
// 1 and the stored name, or 0 and the default ("Balance 1", "Balance 2", "Pot. %d").
int ReadPotName(std::span<const std::uint8_t> payload, int potID, std::string& out);
// Pads the block to 1244 bytes and stores the 10 name bytes in the pot's slot.
void PutPotName(std::vector<std::uint8_t>& payload, int potID, std::span<const std::uint8_t, kPotNameWidth> name);

int ReadGlobalPotName(std::span<const std::uint8_t> payload, int pot, std::string& out);
void PutGlobalPotName(std::vector<std::uint8_t>& payload, int pot, std::string_view name);

struct TSourceListEntry {
    std::uint16_t Left = 0;
    std::uint16_t Right = 0;
    std::array<char, 8> Text{};
};

struct TSourceList {
    std::array<char, 16> Label{};
    std::uint8_t List = 0;
    std::uint8_t Count = 0; // at most 50 in memory
    std::array<TSourceListEntry, kSourceListMaxEntries> Entries{};
};

std::optional<TSourceList> FindSourceList(std::span<const std::uint8_t> payload, int list);
TSourceList DefaultSourceList(int list);
void PutSourceList(std::vector<std::uint8_t>& payload, int list, const TSourceList& record);

struct TNetworkSettings {
    std::uint32_t IP = 0;
    std::uint32_t Mask = 0;
    std::uint32_t DNS = 0;
    std::uint32_t Gateway = 0;
    std::uint32_t MailServer = 0;
    std::array<char, 128> Sender{};
    std::uint32_t Flags = 0;
};

// Stored settings (152 bytes and more) or the defaults (flags left as they were); the DHCP
// bit is set when the IP address is 0.
void ReadNetworkSettings(std::span<const std::uint8_t> payload, TNetworkSettings& inout);
// Adjusts the caller's flags (DHCP for address 0, only bit 31 kept) and gives the 152 bytes.
std::vector<std::uint8_t> EncodeNetworkSettings(TNetworkSettings& settings);

std::string ReadGlobalLogicName(std::span<const std::uint8_t> payload, int logic);
void PutGlobalLogicName(std::vector<std::uint8_t>& payload, int logic, std::string_view name);

// Global logic assignment: [count][0] then [logic][0][source] records.
std::uint16_t ReadGLSource(std::span<const std::uint8_t> payload, int logic);
// The list without the logic's records; the count is clamped to the records the payload holds.
std::vector<std::uint8_t> RemoveGLSource(std::span<const std::uint8_t> payload, int logic);
void AppendGLSource(std::vector<std::uint8_t>& payload, int logic, std::uint16_t source);

} // namespace kvr::model
