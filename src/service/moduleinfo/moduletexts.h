#pragma once
// The texts of module and card information as pure functions of the bytes a device sends: a
// module's status page, a card's information page, the serial-number lines and the card header.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kvr::service {

inline constexpr std::size_t StatusPageBufferSize = 4096;
inline constexpr std::size_t CardPageSize = 128;

struct TCardTypeRow {
    int Index;
    std::uint8_t Code;
    const char* Name; // padded with blanks to 11 characters
};
// Walked in this order; index 0 means unknown.
extern const std::array<TCardTypeRow, 13> CardTypeTable;
// The row of a card-type code among indices 1-12; null otherwise.
const TCardTypeRow* FindCardCode(std::uint8_t Code);
// The row of a card-type index 1-12; null otherwise.
const TCardTypeRow* FindCardIndex(int Index);

// The text form of a time: "Thu Dec 10 17:55:00 2026" and a line feed (UTC).
std::string TimeText(std::int64_t Seconds);

// FormatStatusInfo: the lines of a module's status page.
std::vector<std::string> StatusPageText(std::span<const std::uint8_t> Page, std::uint16_t ModuleNumber);

// The lines of a card's 128-byte information page, Slot 1-10; Now stands for a date of 0xFFFFFFFF.
std::vector<std::string> CardPageText(std::span<const std::uint8_t> Page, int Slot, std::int64_t Now);

// What the first 8 bytes of a card page say.
struct TCardHeader {
    std::uint8_t TypeCode = 0;
    std::uint8_t Revision = 0;
    std::uint32_t Serial = 0;
};
TCardHeader DecodeCardHeader(std::span<const std::uint8_t> Data);

// The line of one module from its module-information answer (type, index, firmware in 4-7).
std::string ModuleSerialLine(std::span<const std::uint8_t> Answer, std::uint16_t ModuleNumber);
// The lines of a card carrier's slots: the slot-9 line of the carrier itself and one per card.
std::string CarrierSlotLine(std::uint16_t ModuleNumber, std::uint8_t Revision);
std::string CardSlotLine(int SlotIndex, const TCardHeader& Card);

} // namespace kvr::service
