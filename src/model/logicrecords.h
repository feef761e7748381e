#pragma once
// Logic system records: logic functions (structure 1), logic delays (2), scripts (3), mute
// logic names (17) and level detects (34, older images 9). Memory forms hold host-order
// numbers; the stored forms are big-endian except the control-block ID of a script command,
// which is stored least significant byte first.

#include "model/recordlist.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kvr::model {

inline constexpr int kLogicFunctionFirstID = 931;
inline constexpr int kCorrelationDetectFirstID = 1366;
inline constexpr int kLogicDelayFirstID = 1381;
inline constexpr int kLevelDetectFirstID = 1401;
inline constexpr std::uint32_t kLimitScriptCommands = 0x20;
inline constexpr int kMaxScriptCommandTotal = 1000;

struct TLogicFunction {
    std::uint8_t Head = 0;         // bit 7 AND, bit 6 interlock, bits 0-5 source count
    std::uint8_t InterlockBus = 0;
    std::array<char, 10> Label{};
    std::array<std::uint16_t, 63> Source{};

    int SourceCount() const { return Head & 0x3F; }
};

struct TLogicDelay {
    std::array<char, 10> Label{};
    std::uint16_t Delay = 0;         // tenths of a second
    std::uint16_t ImpulseLength = 0; // tenths of a second
    std::uint16_t Source = 0;        // TLogicRef
};

struct TScriptCommand {
    std::uint8_t Length = 0;
    std::uint32_t ID = 0;
    std::array<std::uint8_t, 8> Data{};
};

struct TScript {
    std::array<char, 10> Label{};
    std::uint8_t Count = 0;  // commands in use
    std::uint16_t Source = 0; // TLogicRef
    std::array<TScriptCommand, 255> Commands{};
};

struct TLevelDetect {
    std::array<char, 10> Label{};
    std::uint16_t Source = 0;   // TAudioRef
    std::uint8_t Stereo = 0;    // memory byte 12 (stored at 13)
    std::uint8_t Level = 0;     // memory byte 13 (stored at 12), 0-50
    std::uint16_t HoldTime = 0; // tenths of a second
    std::int8_t Correlation = 0;
    std::uint8_t Attack = 0;
    std::uint8_t Release = 0;
};

inline constexpr std::size_t kLogicDelaySize = 16;
inline constexpr std::size_t kLevelDetectSize = 20;
inline constexpr std::size_t kOldLevelDetectSize = 16;
inline constexpr std::size_t kMuteLogicNamesSize = 80;

// Record walks of the stored lists (whole records only).
std::vector<RecordSpan> LogicFunctionRecords(std::span<const std::uint8_t> payload);
std::vector<RecordSpan> ScriptRecords(std::span<const std::uint8_t> payload);
inline constexpr FixedList kLogicDelayList{0, kLogicDelaySize};
// Level-detect block: record size in byte 0; a size of 0 (damaged) gives no records.
FixedList LevelDetectList(std::span<const std::uint8_t> payload);

TLogicFunction DecodeLogicFunction(std::span<const std::uint8_t> record);
std::vector<std::uint8_t> EncodeLogicFunction(const TLogicFunction& f);
TLogicDelay DecodeLogicDelay(std::span<const std::uint8_t> record);
std::vector<std::uint8_t> EncodeLogicDelay(const TLogicDelay& d);
TScript DecodeScript(std::span<const std::uint8_t> record);
std::vector<std::uint8_t> EncodeScript(const TScript& s);
// Decodes as much of a level detect as the record holds (older records are shorter).
TLevelDetect DecodeLevelDetect(std::span<const std::uint8_t> record);
// Writes the fields into record bytes, as far as the record reaches (byte 19 = 0).
void EncodeLevelDetect(const TLevelDetect& l, std::span<std::uint8_t> record);

// List edits on a payload; an index outside the list changes nothing.
void AppendLogicFunction(std::vector<std::uint8_t>& payload);
void ReplaceLogicFunction(std::vector<std::uint8_t>& payload, std::size_t index, const TLogicFunction* f);
void AppendLogicDelay(std::vector<std::uint8_t>& payload);
void AppendScript(std::vector<std::uint8_t>& payload);
void ReplaceScript(std::vector<std::uint8_t>& payload, std::size_t index, const TScript& s);
// Removes record index of a variable-length list.
void EraseRecord(std::vector<std::uint8_t>& payload, const std::vector<RecordSpan>& records, std::size_t index);
// Appends a new level detect; a missing block starts with head 20, 0. False when the block is
// damaged (record size 0) and nothing was added.
bool AppendLevelDetect(std::vector<std::uint8_t>& payload);
// Total of the command counts of all scripts.
int ScriptCommandTotal(std::span<const std::uint8_t> payload);

// Mute logic names: 1 when stored, else "MuteLogic %d" (index + 1).
std::string ReadMuteLogicName(std::span<const std::uint8_t> payload, int index);
// A missing structure is first filled with "Mute Logic %d" for all five names.
void PutMuteLogicName(std::vector<std::uint8_t>& payload, int index, std::span<const std::uint8_t, 16> name);

// Load-time conversion of level detects: old 16-byte records (type 9) into a type-34 block.
std::vector<std::uint8_t> ConvertOldLevelDetects(std::span<const std::uint8_t> old);
// A type-34 block with records shorter than 20 bytes widened to 20; nullopt when nothing is
// to be done (already 20 or more, or damaged with record size 0).
std::optional<std::vector<std::uint8_t>> WidenLevelDetects(std::span<const std::uint8_t> block);

} // namespace kvr::model
