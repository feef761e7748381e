#pragma once
// Record walks shared by the source names, the reference adaptation and the load repairs. All
// are bounded by the payload: a damaged count or length ends a walk instead of reading past it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "model/cardrecords.h"
#include "model/recordlist.h"

namespace kvr::model {

class TDevice;

// Area-A IDs of the 108 console module slots (100-218 without those ending in 9), ascending.
const std::vector<std::uint8_t>& ConsoleModuleSlots();

// Selector source list records of structure 21 (18 + 12 x count bytes each).
std::vector<RecordSpan> SourceListSpans(std::span<const std::uint8_t> payload);
inline constexpr std::size_t kSourceListEntriesAt = 18;
inline constexpr std::size_t kSourceListEntryStride = 12;

// Source entries of one SOF record of structure 33 (head size and entry size from the
// structure's bytes 0-1): each source entry of inputs 0-15 with its offset in the payload.
struct SOFSourceEntry {
    std::size_t at;
    int input;
    int source;
};
std::vector<SOFSourceEntry> SOFSourceEntries(std::span<const std::uint8_t> payload, const RecordSpan& sof);

// Card record of a slot: where its channel entries start and how many whole entries it holds;
// false for an empty slot or a card type without channel entries.
struct CardChannels {
    int cardType = 0;
    std::size_t first = 0;
    std::size_t count = 0;
};
bool CardChannelEntries(std::span<const std::uint8_t> record, CardChannels& out);

// Fixed-width label of a record (up to its first zero byte); empty when it lies outside.
std::string RecordLabel(std::span<const std::uint8_t> payload, std::size_t at, std::size_t width);

} // namespace kvr::model
