#pragma once
// Card-slot records and the small device records: potentiometer assignment (structure 26),
// rotary monitor selector source lists (27), console names (28) and fader-channel labels (29).
// The functions here work on structure payloads; the device accessors read a payload, call
// them and write the whole payload back.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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

inline constexpr std::size_t kChannelEntrySize = 24;
inline constexpr std::size_t kGPIOEntrySize = 16;
inline constexpr std::size_t kDSPCardHead = 8; // a DSP card's channel entries start here
using ChannelEntryBytes = std::array<std::uint8_t, kChannelEntrySize>;

// The analogue and digital I/O cards (types 111, 122, 123, 222, 223).
bool IsIOCardType(int cardType);

// One stored channel entry, read in place (24 bytes).
class ChannelEntryView {
public:
    explicit ChannelEntryView(std::span<const std::uint8_t, kChannelEntrySize> bytes) : FBytes(bytes) {}
    std::span<const std::uint8_t, kChannelEntrySize> Bytes() const { return FBytes; }
    std::span<const std::uint8_t, 16> LabelBytes() const { return FBytes.first<16>(); }
    std::string Label() const; // up to the first zero byte
    int ID() const { return (FBytes[16] << 8) | FBytes[17]; }
    int Option() const { return FBytes[18]; }
    int Level() const { return static_cast<std::int8_t>(FBytes[19]); } // signed dB as stored
    int SecondRef() const { return (FBytes[20] << 8) | FBytes[21]; }

private:
    std::span<const std::uint8_t, kChannelEntrySize> FBytes;
};

// Bounded, non-owning view of a card record: every field past the payload reads as absent (0, an
// empty label, no entry), so a damaged record never makes a reader walk past its data.
class CardRecordView {
public:
    CardRecordView() = default;
    explicit CardRecordView(std::span<const std::uint8_t> record) : FBytes(record) {}

    std::span<const std::uint8_t> Bytes() const { return FBytes; }
    bool Empty() const { return FBytes.empty(); }
    // Bytes 0-1 big-endian; 0 for a record too short to hold it.
    int CardType() const;
    bool IsIOCard() const { return IsIOCardType(CardType()); }
    bool IsGPIOCard() const { return CardType() == kCardGPIO; }
    bool IsDSPCard() const { return CardType() == kCardDSP; }

    // I/O cards: byte 2 and byte 3 as stored, whether or not the entries follow.
    int ChannelCountByte() const { return Byte(2); }
    int GPIOCount() const { return Byte(3); }
    // GPIO card: byte 2, bit n the pull-up of the GPI of GPIO entry 4 n.
    int PullUps() const { return IsGPIOCard() ? Byte(2) : 0; }
    bool PullUp(int gpi) const { return gpi >= 0 && gpi < 8 && (PullUps() & (1 << gpi)) != 0; }

    // DSP card: the low 9 bits of the little-endian word at bytes 2-3 (its MADI channels), the
    // word's upper bits, the flags byte of a MADI port (byte 3 + port; byte 3 also holds the
    // redundancy bit and, on the delay card, the delay code), byte 5 the variant.
    int MadiCount() const;
    int MadiFlags() const; // the word's bits 9-15, in place
    int PortFlags(int port) const { return Byte(port == 1 ? 4 : 3); }
    bool Redundant() const { return (PortFlags(0) & 0x20) != 0; }
    int DelayCode() const { return PortFlags(0); }
    int DSPVariant() const { return Byte(5); }
    std::span<const std::uint8_t> DSPBytes() const; // bytes 4-7 as stored

    // The channel count the record states: the MADI count of a DSP card, none on the GPIO card,
    // byte 2 on every other card.
    int ChannelCount() const;
    // Where the channel entries start: byte 8 on a DSP card, byte 4 otherwise.
    std::size_t ChannelBase() const { return IsDSPCard() ? kDSPCardHead : 4; }
    // The stated channel count bounded by the whole entries stored.
    int StoredChannels() const;
    std::optional<ChannelEntryView> Channel(int index) const;
    int ChannelID(int index) const; // 0 when not stored
    // Byte offset of channel entry i (for the writers).
    std::size_t ChannelAt(int index) const { return ChannelBase() + kChannelEntrySize * static_cast<std::size_t>(index); }

    // GPIO entries: from byte 4 on the GPIO card, after the stated channel entries on an I/O card;
    // none when a channel entry is missing or on a DSP card.
    std::size_t GPIOBase() const;
    int StoredGPIOs() const;
    std::optional<std::span<const std::uint8_t, kGPIOEntrySize>> GPIO(int index) const;
    // GPIO entry position i after the channels whatever byte 3 counts, when the payload holds it.
    std::optional<std::span<const std::uint8_t, kGPIOEntrySize>> GPIOEntryAt(int index) const;
    std::string GPIOLabel(int index) const; // empty when not stored
    std::size_t GPIOAt(int index) const { return GPIOBase() + kGPIOEntrySize * static_cast<std::size_t>(index); }

private:
    int Byte(std::size_t at) const { return at < FBytes.size() ? FBytes[at] : 0; }
    std::span<const std::uint8_t> FBytes;
};

// Writers for the fields the editors change. Each writes only inside the payload; a field the
// record does not hold is left alone.
class CardRecordWriter {
public:
    explicit CardRecordWriter(std::vector<std::uint8_t>& record) : FRecord(record) {}
    CardRecordView View() const { return CardRecordView(FRecord); }

    void SetCardType(int cardType);
    // I/O card byte 2; the 9-bit count of a DSP card, its flags kept.
    void SetChannelCount(int count);
    void SetMadiCount(int count); // the DSP word's low 9 bits, its flags kept
    void SetGPIOCount(int count);
    void SetPullUps(int bits);
    void SetPortFlags(int port, int flags);
    void SetDSPVariant(int variant);
    void SetDelayCode(int code) { SetPortFlags(0, code); }
    void SetChannelID(int index, int id);
    void SetOption(int index, int option);
    void SetLevel(int index, int level); // signed dB
    // A linked channel takes another entry's label, level and bytes 20-23 and, with `option`,
    // its option byte less bit 0x08; its own ID stays.
    void CopyChannelSettings(int index, const ChannelEntryView& from, bool option);
    // Entries removed or inserted at entry positions; the counts are the caller's.
    void EraseChannels(int from, int to);
    void InsertChannels(int at, std::span<const ChannelEntryBytes> entries);
    // Writes a zero-padded 16-byte label at a channel or GPIO entry's offset.
    bool SetLabelAt(std::size_t at, std::string_view text);

private:
    void Put(std::size_t at, int value);
    std::vector<std::uint8_t>& FRecord;
};

// New entries: a label (cut to 16 bytes, zero-padded), the channel ID and the level in signed dB;
// the appenders add them at the record's end and leave the counts to the caller.
ChannelEntryBytes MakeChannelEntry(std::string_view label, int id, int level);
void AppendChannelEntry(std::vector<std::uint8_t>& record, std::string_view label, int id, int level);
void AppendGPIOEntry(std::vector<std::uint8_t>& record, std::string_view label);
// The whole channel entries a record holds, copied out.
std::vector<ChannelEntryBytes> StoredChannelEntries(const CardRecordView& card);
// A DSP card record's head (cut or padded to its 8 bytes) with these entries and their count.
void SetDSPChannelEntries(std::vector<std::uint8_t>& record, std::span<const ChannelEntryBytes> entries);
// The 8-byte head of a DSP card record without channels.
std::vector<std::uint8_t> NewDSPCardRecord(int variant, int portFlags);

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
