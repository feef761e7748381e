#pragma once
// Logic-source and audio-source IDs, their category tables and the reference words.

#include <array>
#include <cstdint>

namespace kvr::model {

using TLogicRef = std::uint16_t;
using TAudioRef = std::uint16_t;

enum TLogicCategory : int {
    lsNone, lsKey, lsGPI, lsFaderStartChannel, lsFaderFunctionChannel, lsPFLChannel, lsLogicFunction,
    lsGlobalLogic, lsSystem, lsCorrelationDetect, lsLogicDelay, lsLevelDetect, lsCFPrep, lsCFTalk,
    lsCFOffAir, lsCFOutputSelect, lsRotarySelect, lsFaderStartFader, lsTalkbackTS, lsTalkbackTD,
    lsGlobalResource, lsFaderFunction2Channel, lsPFLFader, lsFaderFunctionFader, lsEnd
};

enum TAudioCategory : int {
    asNone, asSlotChannel, asPFL, asProgramBus, asAuxBus, asMonitor, asRotSelector, asRotaryMonitorSelector,
    asOutFkt, asCleanFeed, asSOF, asMIDI, asProgramMaster, asAuxMaster, asVCAFader, asFixedProc, asPreFader,
    asRouting, asEnd
};

extern const std::array<std::int32_t, 25> LogicSourceRanges;
extern const std::array<std::int32_t, 19> AudioSourceRanges;

inline constexpr std::uint16_t LogicIDMask = 0x3FFF;
inline constexpr std::uint16_t LogicConditionMask = 0xC000;
inline constexpr std::uint16_t lcOn = 0xC000;
inline constexpr std::uint16_t lcOff = 0x0000;
inline constexpr std::uint16_t lcPulseOnActivate = 0x4000;
inline constexpr std::uint16_t lcPulseOnDeactivate = 0x8000;
inline constexpr std::uint16_t OffLogicID = 0x3FFF;
inline constexpr std::uint16_t MovePlaceholderID = 0x0EEE;

inline constexpr std::uint16_t arStereo = 0x2000;
inline constexpr std::uint16_t arPhaseReverse = 0x8000;
inline constexpr std::uint16_t AudioSourceMask = 0x5FFF;
inline constexpr std::uint16_t AudioStereoPairMask = 0x5FFE;
inline constexpr std::uint16_t InternalAudioSource = 0x4000;

// Category of an ID, or -1 when it lies at or above the table's end.
int GetLogicCategory(std::uint32_t id);
int GetAudioCategory(std::uint32_t id);

inline constexpr std::uint16_t LogicRefID(TLogicRef ref) { return ref & LogicIDMask; }
inline constexpr std::uint16_t LogicRefCondition(TLogicRef ref) { return ref & LogicConditionMask; }
// A reference naming a new source under the old condition.
inline constexpr TLogicRef ReplaceLogicSource(TLogicRef old, std::uint16_t newId)
{
    return static_cast<TLogicRef>((old & LogicConditionMask) | (newId & LogicIDMask));
}
inline constexpr bool SameLogicSource(TLogicRef a, TLogicRef b) { return LogicRefID(a) == LogicRefID(b); }
inline constexpr bool SameAudioSource(TAudioRef a, TAudioRef b) { return (a & AudioSourceMask) == (b & AudioSourceMask); }
inline constexpr bool SameStereoSource(TAudioRef a, TAudioRef b)
{
    return (a & AudioStereoPairMask) == (b & AudioStereoPairMask);
}

// The defined system signals 1281-1299; null for any other ID.
const char* GetSystemSignalName(std::uint32_t id);

} // namespace kvr::model
