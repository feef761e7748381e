#pragma once
// Fixed insert points of the faders (structure 35), switchable insert points (37) and the global
// pool (36), through which a device takes up to 10 input lines from another device of the
// project, with the clean-ups when a pool's source, a device link or a card changes.

#include <array>
#include <cstdint>
#include <span>

#include "model/devicelinks.h"
#include "model/sourceids.h"

namespace kvr::model {

class TDevice;
class TProject;

inline constexpr std::uint16_t kPreFaderSourceBase = 18944;
inline constexpr std::uint16_t kMaxRoutingValue = 767;
inline constexpr int kMaxPoolLines = 10;
inline constexpr std::uint16_t kPoolFedSource = 0x4900; // + the fader channel's own number

struct TFixedInsert {
    std::uint8_t Fader = 0;
    std::uint8_t Option = 0;
    TAudioRef Source = 0;
};

struct TSwitchableInsert {
    std::uint8_t Number = 0;
    std::uint8_t Option = 0;
    std::uint16_t Routing = 0; // 0-767
    TAudioRef Source = 0;
    std::array<char, 16> Label{};
};

struct TGlobalPoolLine {
    std::uint16_t LocalInput = 0;
    std::uint16_t RemoteOutput = 0;
    std::uint8_t Flags = 0;   // bit 0 monitor bus (low nibble of Reserve), bit 1 rotary selector (high nibble)
    std::uint8_t Reserve = 0;
};

struct TGlobalPoolRecord {
    std::uint8_t Count = 0;
    std::uint8_t Spare = 0;
    std::uint32_t SourceDevice = 0; // device ID the lines come from; 0 = no pool
    std::array<TGlobalPoolLine, kMaxPoolLines> Lines{};
};

// The source is set to 0 in the caller's record when it is the fader's own pre-fader source.
void SetFixedInsert(TDevice& dev, int fader, TFixedInsert& record);
bool GetFixedInsert(const TDevice& dev, int fader, TFixedInsert& out);
// Drops the entries of faders that no longer exist. Also reached through recordhooks.h.
void TrimFixedInsertPoints(TDevice& dev);

// The routing value is clamped to 767 in the caller's record.
void SetSwitchableInsert(TDevice& dev, int number, TSwitchableInsert& record);
bool GetSwitchableInsert(const TDevice& dev, int number, TSwitchableInsert& out);

TGlobalPoolRecord& InitGlobalPoolLine(TGlobalPoolRecord& record);
int GetGlobalPoolLines(const TDevice& dev, TGlobalPoolRecord& out);
// The line count is cut to 10 in the caller's record.
void SetGlobalPoolLines(TDevice& dev, TGlobalPoolRecord& pool);
bool FixGlobalPoolLines(TDevice& dev);
void DeletePoolLine(TGlobalPoolRecord& pool, int index);
// Appends a line with local input 0 and remote output 0; nothing when the pool is full.
void AddPoolLine(TGlobalPoolRecord& pool);
bool PoolUsesLocalInput(const TGlobalPoolRecord& pool, std::uint16_t input);
bool PoolUsesRemoteOutput(const TGlobalPoolRecord& pool, std::uint16_t output);
bool DeletePoolLineOfInput(TGlobalPoolRecord& pool, std::uint16_t input);
// On the link's target device when a device link is deleted. Also reached through recordhooks.h.
void RemovePoolLinesOfDeviceLink(TDevice& dev, const TDeviceLinkRecord& link);
void ClearPoolSourceRefs(TDevice& dev);
bool IsRotarySelectorOnGlobalPool(const TGlobalPoolRecord& pool, int position);
// True when a line of the pool feeds monitor bus 0-5.
bool GlobalPoolUsesBus(const TGlobalPoolRecord& pool, int bus);
int IsSourceListOnGlobalPool(TDevice& dev, int list);
int GetCardTypeOfChannel(const TDevice& dev, std::uint16_t channel);
void ClearSlotReferences(TProject& project, std::uint32_t deviceId, int slot, int mask, int value);

} // namespace kvr::model
