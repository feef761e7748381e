#pragma once
// Fader channels (structure 4), fader assignments with their processing chains (6) and input
// pool names (24): record forms and list edits on structure payloads.

#include "model/recordlist.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kvr::model {

inline constexpr int kMaxFaderChannelNumber = 149;
inline constexpr int kNoFaderChannelNumber = 255;
inline constexpr std::size_t kFaderChannelSize = 28;
inline constexpr FixedList kFaderChannelList{0, kFaderChannelSize};
inline constexpr std::size_t kPoolNameRecordSize = 11;
inline constexpr FixedList kPoolNameList{0, kPoolNameRecordSize};
inline constexpr int kPoolCount = 16;
inline constexpr std::size_t kMaxFaderChain = 18;

// Per-channel logic sources owned by fader channel N.
inline constexpr int kFaderStartChannelBase = 481;
inline constexpr int kFaderFunctionChannelBase = 631;
inline constexpr int kPFLChannelBase = 781;
inline constexpr int kTalkbackChannelBase = 1755; // channels 1-40 only

// Bits of byte 18.
inline constexpr std::uint8_t kFCHPoolMask = 0x0F;
inline constexpr std::uint8_t kFCHCleanFeed = 0x10;

struct TFaderChannel {
    std::array<char, 4> ShortName{};
    std::uint16_t Source = 0;
    std::uint16_t MonitorL = 0;
    std::uint16_t MonitorR = 0;
    std::uint16_t LampSource = 0;
    std::uint16_t ReadySignal = 0;
    std::uint16_t MuteCondition = 0;
    std::uint8_t OutputMute = 0;
    std::uint8_t Options = 0;
    std::uint8_t PoolFlags = 0;     // bits 0-3 pool index + 1, bit 4 clean feed, ...
    std::uint8_t FaderStartLevel = 0;
    std::uint8_t Number = 0;
    std::uint8_t GlobalResource = 0;
    std::uint16_t LampSource2 = 0;
    std::uint16_t PoolSource = 0;
    std::uint16_t ChannelTimer = 0;
};

// Memory form of a fader assignment (22 bytes): fader channel 0xFF reads as 0, chain cut to 18.
struct TFader {
    std::uint8_t FaderChannel = 0;
    std::uint8_t GlobalPot = 0;
    std::uint8_t Fader = 0;
    std::uint8_t Count = 0;
    std::array<std::uint8_t, kMaxFaderChain> Chain{};
};

TFaderChannel DecodeFaderChannel(std::span<const std::uint8_t> record);
std::vector<std::uint8_t> EncodeFaderChannel(const TFaderChannel& c);
// A new channel: "New", ready signal OFF, channel timer 481 + number, first pool when any exists.
TFaderChannel NewFaderChannel(int number, bool poolNamesExist);

// Offset of the record with that channel number.
std::optional<std::size_t> FindFaderChannel(std::span<const std::uint8_t> payload, int number);
// 1-149, or 255 when every number is used.
int FreeFaderChannelNumber(std::span<const std::uint8_t> payload);

std::vector<RecordSpan> FaderRecords(std::span<const std::uint8_t> payload);
std::optional<TFader> FindFader(std::span<const std::uint8_t> payload, int fader);
// Replaces the fader's record in place (or appends one).
void PutFader(std::vector<std::uint8_t>& payload, int fader, const TFader& record);
// Moves chain entry from to position to inside the fader's record. False when nothing moved.
bool MoveChainEntry(std::vector<std::uint8_t>& payload, int fader, int from, int to);

// Pool names (type 24).
std::optional<std::size_t> FindPoolName(std::span<const std::uint8_t> payload, int pool);
// What SetPoolName does to the payload; true when a record was removed.
bool PutPoolName(std::vector<std::uint8_t>& payload, int pool, std::string_view name);

} // namespace kvr::model
