#pragma once
// Output functions (structure 10) and fixed processings (structure 25; the older type 11 is
// dropped when first read). Both are audio sources by list position and use DSP resources, so
// their changes rerun the fitting.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "model/recordsupport.h"
#include "model/sourceids.h"

namespace kvr::model {

class TDevice;

inline constexpr std::uint16_t kOutFktSourceBase = 17152;
inline constexpr std::uint16_t kFixedProcSourceBase = 18432;
inline constexpr int kMaxChainFunctions = 10;
inline constexpr int kMaxFunctionParams = 10;

struct TOutFktCondition {
    TLogicRef ConditionID = 0;
    TAudioRef Source1 = 0;
    TAudioRef Source2 = 0;
    // Stored bytes 18-21 of the row, kept exactly as given: level 1, level 2, two spare bytes.
    std::array<std::uint8_t, 4> Tail{};
};

struct TOutputFunction {
    std::array<char, 10> Label{};
    std::vector<TOutFktCondition> Cond; // at most 255
};

struct TDSPFunctionEntry {
    std::uint8_t Code = 0;
    std::uint8_t ParamCount = 0; // the first ParamCount of Params are used
    std::array<std::uint32_t, kMaxFunctionParams> Params{};
};

struct TFixedProcessing {
    std::array<char, 10> Label{};
    TAudioRef Source = 0;
    std::uint8_t Flags = 0x80; // bit 7 stereo
    std::vector<TDSPFunctionEntry> Functions; // at most 10 in the memory form
    bool IsStereo() const { return (Flags & 0x80) != 0; }
};

// Walks: records that pass the payload's end are not taken.
std::vector<RecordSpan> WalkOutputFunctions(std::span<const std::uint8_t> payload);
std::vector<RecordSpan> WalkFixedProcessings(std::span<const std::uint8_t> payload, int maxCount);
// Function codes of one stored fixed-processing record.
std::vector<std::uint8_t> FixedProcessingCodes(std::span<const std::uint8_t> record);

bool DecodeOutputFunction(std::span<const std::uint8_t> record, TOutputFunction& out);
std::vector<std::uint8_t> EncodeOutputFunction(const TOutputFunction& fkt);
bool DecodeFixedProcessing(std::span<const std::uint8_t> record, TFixedProcessing& out);
std::vector<std::uint8_t> EncodeFixedProcessing(const TFixedProcessing& proc);

// Size covered by at most count whole records from the payload's start.
std::size_t CalcFixedProcesSize(std::span<const std::uint8_t> payload, int count);

void AddOutputFunction(TDevice& dev);
int GetOutputFunction(const TDevice& dev, int index, TOutputFunction& out);
void SetOutputFunction(TDevice& dev, int index, const TOutputFunction& fkt);
void DeleteOutputFunction(TDevice& dev, int index);
void MoveOutputFunctionCondition(TDevice& dev, int index, int from, int to);

int AddFixedProcessing(TDevice& dev);
int GetFixedProcessing(TDevice& dev, int index, TFixedProcessing& out);
void SetFixedProcessing(TDevice& dev, int index, const TFixedProcessing& proc);
void DeleteFixedProcessing(TDevice& dev, int index);
void MoveFixedProcessingFunction(TDevice& dev, int index, int from, int to);

} // namespace kvr::model
