#include "model/gporouting.h"

#include "kvrdata/byteorder.h"
#include "model/recordlist.h"

#include <algorithm>

namespace kvr::model {

namespace {

constexpr FixedList kCardRecords{kGPOFirstPartSize, kGPIOCardRecordSize};
constexpr std::uint16_t kLogicIDMask = 0x3FFF;

int FirstPartID(int slot, int gpo)
{
    const int rack = slot / 10;
    const int position = (slot - 2 * rack) % 8;
    return rack * 32 + position * 4 + gpo;
}

bool RecordHasSource(std::span<const std::uint8_t> record)
{
    for (std::size_t e = 0; e < 8; ++e)
        if ((readBE16(record, 1 + 2 * e) & kLogicIDMask) != 0)
            return true;
    return false;
}

} // namespace

int GPOIDFor(int cardType, int slot, int number)
{
    if (cardType == 311) {
        if (number % 4 == 0)
            return -1;
        if ((number & 2) != 0)
            return (slot << 8) | kGPIOEntryFlag | ((number / 4) * 2) | (number & 1);
        return FirstPartID(slot, number / 4);
    }
    if (number % 2 == 0)
        return -1;
    return FirstPartID(slot, (number >> 1) & 3);
}

std::uint16_t ReadGPORouting(std::span<const std::uint8_t> payload, int id)
{
    if (payload.empty())
        return kGPODefault;
    if ((id & kGPIOEntryFlag) == 0) {
        const std::size_t at = 2 * static_cast<std::size_t>(id);
        return at + 2 <= std::min(payload.size(), kGPOFirstPartSize) ? readBE16(payload, at) : kGPODefault;
    }
    const int slot = (id & 0x7FFF) >> 8;
    const std::size_t entry = static_cast<std::size_t>(id & 7);
    for (std::size_t i = 0; i < kCardRecords.count(payload.size()); ++i) {
        const std::size_t at = kCardRecords.offset(i);
        if (payload[at] == slot)
            return readBE16(payload, at + 1 + 2 * entry);
    }
    return kGPODefault;
}

void PutGPORouting(std::vector<std::uint8_t>& payload, int id, std::uint16_t value)
{
    if (payload.size() < kGPOFirstPartSize) {
        // Words the structure lacks read as the default; keep them so.
        std::vector<std::uint8_t> first(kGPOFirstPartSize);
        for (std::size_t w = 0; w < kGPOWordCount; ++w)
            writeBE16(first, 2 * w, kGPODefault);
        std::copy(payload.begin(), payload.end() - static_cast<std::ptrdiff_t>(payload.size() % 2), first.begin());
        payload = std::move(first);
    }
    if ((id & kGPIOEntryFlag) == 0) {
        const std::size_t at = 2 * static_cast<std::size_t>(id);
        if (at + 2 <= kGPOFirstPartSize)
            writeBE16(payload, at, value);
        return;
    }
    const int slot = (id & 0x7FFF) >> 8;
    const std::size_t entry = static_cast<std::size_t>(id & 7);
    bool found = false;
    for (std::size_t i = 0; i < kCardRecords.count(payload.size());) {
        const std::size_t at = kCardRecords.offset(i);
        if (payload[at] != slot) {
            ++i;
            continue;
        }
        if (found) {
            EraseBytes(payload, at, kGPIOCardRecordSize); // a further record of the slot
            continue;
        }
        found = true;
        writeBE16(payload, at + 1 + 2 * entry, value);
        if ((value & kLogicIDMask) == 0 && !RecordHasSource(std::span(payload).subspan(at, kGPIOCardRecordSize)))
            EraseBytes(payload, at, kGPIOCardRecordSize);
        else
            ++i;
    }
    if (!found && (value & kLogicIDMask) != 0) {
        std::vector<std::uint8_t> record(kGPIOCardRecordSize);
        record[0] = static_cast<std::uint8_t>(slot);
        for (std::size_t e = 0; e < 8; ++e)
            writeBE16(record, 1 + 2 * e, e == entry ? value : kGPODefault);
        InsertBytes(payload, kCardRecords.end(payload.size()), record);
    }
}

} // namespace kvr::model
