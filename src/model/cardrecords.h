#pragma once
// Card-slot records and the small device records: potentiometer assignment (structure 26),
// rotary monitor selector source lists (27), console names (28) and fader-channel labels (29).
// The functions here work on structure payloads; the device accessors read a payload, call
// them and write the whole payload back.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kvr::model {

inline constexpr std::uint16_t kCardDigitalIO = 111;
inline constexpr std::uint16_t kCardDSP = 848;
inline constexpr std::uint16_t kCardGPIO = 311;

// One channel of a card record (24 stored bytes).
struct TChannelEntry {
    std::array<char, 16> Label{};
    std::uint16_t ID = 0;          // channel ID
    std::uint8_t Option = 0;
    std::uint8_t Level = 0;        // level in dB, signed, stored as given
    std::uint16_t SecondRef = 0;   // bytes 20-21, set by the frame I/O page
    std::array<std::uint8_t, 2> Extra{}; // bytes 22-23
};

// A card-slot record in memory form. I/O cards carry channel and GPIO entries; the GPIO card
// (type 311) only GPIO entries, its byte 2 holding the GPI pull-ups; the DSP card (type 848)
// carries a 9-bit channel count in a little-endian word whose upper bits are flags, four bytes of
// its own (byte 5 the variant) and its channel entries from byte 8.
struct TCardRecord {
    std::uint16_t CardType = 0;
    std::vector<TChannelEntry> Channels;
    std::vector<std::array<std::uint8_t, 16>> GPIOs; // I/O and GPIO cards, kept as stored
    std::uint8_t PullUps = 0;                        // GPIO card: bit n = the GPI of GPIO entry 4 n
    std::uint16_t DSPFlags = 0;                      // DSP card: the word's bits 9-15
    std::array<std::uint8_t, 4> DSPBytes{};          // DSP card: bytes 4-7

    bool IsDSP() const { return CardType == kCardDSP; }
    std::uint8_t DSPVariant() const { return DSPBytes[1]; }
};

// Card type (bytes 0-1 big-endian), 0 for an empty or too short record.
std::uint16_t CardTypeOf(std::span<const std::uint8_t> record);
// Channel count of a DSP card record: the low 9 bits of the little-endian word at 2-3.
int DSPChannelCount(std::span<const std::uint8_t> record);

// Unpacks a card record; entries beyond the payload are not taken (a damaged count is
// clamped). Returns false when the payload has no card type.
bool DecodeCardRecord(std::span<const std::uint8_t> record, TCardRecord& out);
std::vector<std::uint8_t> EncodeCardRecord(const TCardRecord& card);

// Structure 26: [pot ID][0][card slot][input].
bool FindPotiAssign(std::span<const std::uint8_t> payload, int pot, int& slot, int& input);
void PutPotiAssign(std::vector<std::uint8_t>& payload, int pot, int slot, int input);

// Structure 27: [selector][list][0][0].
int FindRotSelSourceList(std::span<const std::uint8_t> payload, int selector);
void PutRotSelSourceList(std::vector<std::uint8_t>& payload, int selector, int list);

// Structure 28: six 16-byte console names and 4 bytes of 0.
inline constexpr std::size_t kConsoleNamesSize = 100;
// 1 and the stored name, or 0 and "Console %d" (console + 1).
int ReadConsoleName(std::span<const std::uint8_t> payload, int console, std::string& out);
void PutConsoleName(std::vector<std::uint8_t>& payload, int console, std::span<const std::uint8_t, 16> name);

// Structure 29: bytes 0-1 record size R (18), then records of R bytes, newest first.
struct TFaderChannelLabel {
    std::uint8_t Number = 0;
    std::array<char, 16> Label{};
};
inline constexpr std::uint16_t kFaderChannelLabelSize = 18;
bool FindFaderChannelLabel(std::span<const std::uint8_t> payload, int number, TFaderChannelLabel& out);
// Removes the records of the number and, when record.Number is not 0, puts the record at the
// front. Returns what the device accessor returns: removed records, or 1 after an insert.
// A damaged structure (record size 0) is left unchanged and gives -1.
int PutFaderChannelLabel(std::vector<std::uint8_t>& payload, int number, const TFaderChannelLabel& record);

} // namespace kvr::model
