#pragma once
// Program and AUX buses (structure 19), clean feeds (20, the same 32-byte record), output routing
// with its channel options (13), monitor bus sources (15) and the bus and SOF capacities.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/sourceids.h"

namespace kvr::model {

class TDevice;

inline constexpr int kMaxProgramBuses = 48;
inline constexpr int kMaxCleanFeeds = 30;
inline constexpr std::size_t kBusRecordSize = 32;
inline constexpr std::uint16_t kProgramBusSourceBase = 16386;
inline constexpr std::uint16_t kAuxBusSourceBase = 16512;
inline constexpr std::uint16_t kProgramMasterBase = 18176;
inline constexpr std::uint16_t kAuxMasterBase = 18240;
inline constexpr std::uint16_t kCleanFeedSourceBase = 17408;
inline constexpr int kCFPrepLogicBase = 1416;
inline constexpr int kCFTalkLogicBase = 1446;
inline constexpr int kCFOffAirLogicBase = 1476;
inline constexpr int kCFOutputSelectLogicBase = 1506;

// Bus and clean-feed record, memory form (host-order words).
struct TBusRecord {
    std::array<char, 16> Label{};
    std::uint8_t Flags = 0x80; // bit 7 stereo, bit 6 limiter on, bit 5 output disabled
    std::uint8_t LimiterThreshold = 39;
    std::uint8_t LimiterRelease = 6;
    std::uint8_t FaderChannel = 0;
    std::uint8_t SourceList = 0;
    std::array<std::uint8_t, 3> Reserved{};
    TLogicRef Logic1 = 0;
    TLogicRef Logic2 = 0;
    std::array<std::uint8_t, 4> Reserved2{};
    bool IsStereo() const { return (Flags & 0x80) != 0; }
};

// Output routing entry, memory form. Options bit 3 asks SetChannelOption to keep an entry
// without a source; it is 0 in the image.
struct TChannelOption {
    std::uint16_t OutputID = 0;
    TAudioRef Source = 0;
    std::uint8_t MuteLogics = 0;
    std::uint8_t Options = 0;
};
inline constexpr std::uint8_t kKeepChannelOption = 0x08;

void AddProgramBus(TDevice& dev);
void AddAuxBus(TDevice& dev);
// 1 and the record (its SourceList untouched) when the bus exists, else 0.
int GetBus(TDevice& dev, int bus, TBusRecord& out);
void SetBus(TDevice& dev, int bus, const TBusRecord& record);
void DeleteProgramBus(TDevice& dev, int bus);
void DeleteAuxBus(TDevice& dev, int aux);

// 1 added, 0 refused ("Too many Clean Feed channels!").
int AddCleanFeed(TDevice& dev, int faderChannel);
int GetCleanFeed(const TDevice& dev, int index, TBusRecord& out);
void SetCleanFeed(TDevice& dev, int index, const TBusRecord& record);
// TDevice::DeleteCleanFeed: removes the clean feed of the fader channel. Also reached through
// DeleteCleanFeed of recordhooks.h.
void DeleteCleanFeedOfChannel(TDevice& dev, int faderChannel);
// Load repair: one default clean feed for every fader channel flagged as clean feed.
void FixCleanFeed(TDevice& dev);

void SetChannelOption(TDevice& dev, const TChannelOption& entry);
void GetChannelOption(const TDevice& dev, TChannelOption& entry);
int GetChannelOptionByIndex(const TDevice& dev, int index, TChannelOption& out);
void SetChannelOptionByIndex(TDevice& dev, int index, const TChannelOption& entry);

void SetMonitorBusSource(TDevice& dev, int index, TAudioRef source);
TAudioRef GetMonitorBusSource(const TDevice& dev, int index);

// Writes the summing-bus capacity of the frame's DSP cards into header byte 61.
void CalcBusLimit(TDevice& dev);
int GetSOFLimit(const TDevice& dev);

// Record codecs.
TBusRecord DecodeBusRecord(std::span<const std::uint8_t> record);
void EncodeBusRecord(const TBusRecord& bus, std::span<std::uint8_t> record);
TBusRecord NewBusRecord(const std::string& label, int faderChannel);

} // namespace kvr::model
