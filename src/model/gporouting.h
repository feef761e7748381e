#pragma once
// GPO routing (structure 8): the sources of GPO IDs 0-95 (96 big-endian words, default 0xC000)
// and 17-byte records of GPIO cards ([slot][8 words]) behind them.

#include <cstdint>
#include <span>
#include <vector>

namespace kvr::model {

inline constexpr std::uint16_t kGPODefault = 0xC000;
inline constexpr std::size_t kGPOWordCount = 96;
inline constexpr std::size_t kGPOFirstPartSize = 2 * kGPOWordCount;
inline constexpr std::size_t kGPIOCardRecordSize = 17;
inline constexpr int kGPIOEntryFlag = 0x8000;

// GPO ID of connector number on a card of that type in slot, or -1 when it is not a GPO.
int GPOIDFor(int cardType, int slot, int number);

// The source routed to a GPO ID; 0xC000 when the structure, the word or the card record is
// missing.
std::uint16_t ReadGPORouting(std::span<const std::uint8_t> payload, int id);
// Stores a source; a missing or short first part is filled with default words first.
void PutGPORouting(std::vector<std::uint8_t>& payload, int id, std::uint16_t value);

} // namespace kvr::model
