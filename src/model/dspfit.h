#pragma once
// DSP resource fitting: counts buses, output functions and super output functions against the
// capacities of the frame's DSP cards and places level detects, fixed processings and fader
// processings on the DSPs, first fit. The computation works on plain inputs gathered from the
// image once per run (FittingInput); the device side (dspfitdevice.h) gathers them and stores
// the results.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kvr::model {

// Remaining amounts of a DSP, or the needs of one placement.
struct DSPNeed {
    std::int32_t PM32 = 0;
    std::int32_t DM32 = 0;
    std::int32_t PM48 = 0;
    std::int32_t Cycles = 0;
    std::int32_t Functions = 0;
    std::int32_t Channels = 0;
};

inline constexpr int kMaxDSPs = 20;
inline constexpr int kDSPChannelSlots = 12;
inline constexpr int kDSPCyclesPerDSP = 1500;
inline constexpr std::size_t kDSPAssignSize = 128;

// What occupies a channel slot; the report names it from this.
enum class DSPSlotKind : std::uint8_t { Free, LevelDetect, FixedProc, Fader };

struct DSPResources {
    DSPNeed Remaining;
    std::array<bool, 128> Loaded{}; // code of this base type is on the DSP
    std::array<bool, 128> Saved{};  // Loaded before the current trial placement
    std::array<std::uint8_t, kDSPChannelSlots> Slots{};
    std::array<DSPSlotKind, kDSPChannelSlots> SlotKind{};
    std::array<int, kDSPChannelSlots> SlotIndex{}; // full index (the slot byte keeps only its low bits)
    int SlotCount = 0;
};

bool DSPFitNeed(const DSPNeed& need, const DSPNeed& remaining);
void DSPSubtractNeed(DSPNeed& remaining, const DSPNeed& need); // not channels
void DSPAddNeed(DSPNeed& need, const DSPNeed& add);            // not channels
void DSPClearNeed(DSPNeed& need);
void DSPSaveLoadedCode(DSPResources& dsp);
void DSPRestoreLoadedCode(DSPResources& dsp);

// The catalogue as the fitting reads it, indexed by code.
struct TFitFunction {
    bool Known = false;
    std::uint8_t Base = 0;
    DSPNeed Need; // PM32, DM32, PM48, cycles, functions
    std::string Name = "unknown";
};
using TFitCatalogue = std::array<TFitFunction, 256>;
// Built once from GetDSPFunctionInfo.
const TFitCatalogue& FitCatalogue();

inline constexpr std::uint8_t kRuviCode = 0;
inline constexpr std::uint8_t kLevelDetectCode = 41;

// Fitting option bits (the project's preferences).
inline constexpr int kFitWriteReport = 0x01;
inline constexpr int kFitNoDSPAssign = 0x02;

// Limit flag bits of FLimitExceeded / FLimitReached.
inline constexpr std::uint32_t kLimitBuses = 0x01;
inline constexpr std::uint32_t kLimitOutFkt = 0x02;
inline constexpr std::uint32_t kLimitDSP = 0x04;
inline constexpr std::uint32_t kLimitLevelDetect = 0x08;
inline constexpr std::uint32_t kLimitUnknownFunction = 0x10;
inline constexpr std::uint32_t kLimitScriptSteps = 0x20;
inline constexpr std::uint32_t kLimitSOF = 0x40;
// Bits a fitting run owns. The script-step bit is set by the script check alone and survives.
inline constexpr std::uint32_t kFittingExceededBits = 0xFF & ~kLimitScriptSteps;

struct FittingInput {
    // Sub-type (card record byte 5) of every DSP card, in slot order.
    std::vector<std::uint8_t> DSPCardVariants;
    int BusCount = 0; // AUX + program buses + clean feeds
    int OutFktCount = 0;
    int SOFCount = 0;
    int LevelDetectCount = 0;
    // Function codes of the fixed processings 0 .. FixedProcCount - 1 that exist.
    std::vector<std::vector<std::uint8_t>> FixedProcs;
    // Chains of the faders 0 .. FaderCount - 1; a fader without a record has an empty chain.
    std::vector<std::vector<std::uint8_t>> FaderChains;
    std::vector<bool> FaderHasRecord;
};

// Capacities derived from the DSP cards.
int BusCapacityOf(std::span<const std::uint8_t> dspVariants);   // 16 or 10 per card
int SOFLimitOf(std::span<const std::uint8_t> dspVariants);      // 6 or 4 per card
int OutFktLimitOf(std::span<const std::uint8_t> dspVariants);   // 40, 16 or 0 per card
bool IsLargeDSPVariant(int variant);                            // 0, 1, 2 or 4

struct FittingResult {
    int BusCapacity = 0; // header byte 61, at most 255
    std::int32_t BusLimit = 0;
    std::int32_t BusCount = 0;
    std::int32_t OutFktLimit = 0;
    std::int32_t OutFktCount = 0;
    std::int32_t DSPCycles = 0;
    std::int32_t DSPCyclesUsed = 0;
    std::int32_t SOFLimit = 0;
    std::int32_t SOFCount = 0;
    std::int32_t DSPCardCount = 0;
    bool DSPCardCountSet = false; // not touched when the run stops at unknown functions
    std::uint32_t Reached = 0;
    std::uint32_t Exceeded = 0; // within kFittingExceededBits
    int UnknownCount = 0;
    bool Stopped = false;       // unknown functions: no placement, no structure 18, no report
    bool AllPlaced = false;     // structure 18 may be written
    std::vector<DSPResources> DSPs;
    std::array<std::uint8_t, kDSPAssignSize> DSPAssign{};
};

int CountUnknownFunctions(const FittingInput& in, const TFitCatalogue& catalogue);
// One fitting run on plain inputs.
FittingResult RunFitting(const FittingInput& in, const TFitCatalogue& catalogue);

// The report text (line ends "\n"); created is the 24-character local time text.
std::string FittingReportText(const FittingInput& in, const FittingResult& result, const TFitCatalogue& catalogue,
                              const std::string& deviceName, const std::string& created);
// "fitting_" + the device name with characters that are not allowed in file names replaced + ".txt".
std::string FittingReportFileName(const std::string& deviceName);

} // namespace kvr::model
