#include "model/sourcewalks.h"

#include <algorithm>

#include "kvrdata/byteorder.h"
#include "model/cardrecords.h"
#include "model/recordtext.h"

namespace kvr::model {

const std::vector<std::uint8_t>& ConsoleModuleSlots()
{
    static const std::vector<std::uint8_t> slots = [] {
        std::vector<std::uint8_t> ids;
        for (int id = 100; id <= 218; ++id)
            if (id % 10 != 9)
                ids.push_back(static_cast<std::uint8_t>(id));
        return ids;
    }();
    return slots;
}

std::vector<RecordSpan> SourceListSpans(std::span<const std::uint8_t> payload)
{
    return WalkRecords(payload, kSourceListEntriesAt, [](std::span<const std::uint8_t> p, std::size_t at) {
        return kSourceListEntriesAt + kSourceListEntryStride * p[at + 17];
    });
}

std::vector<SOFSourceEntry> SOFSourceEntries(std::span<const std::uint8_t> payload, const RecordSpan& sof)
{
    std::vector<SOFSourceEntry> out;
    if (payload.size() < 2 || sof.offset > payload.size() || sof.length > payload.size() - sof.offset)
        return out;
    const std::size_t head = payload[0];
    const std::size_t entry = payload[1];
    // Each source entry holds the audio word at 0 and the logic word at 4.
    if (entry < 6)
        return out;
    const std::size_t end = sof.offset + sof.length;
    std::size_t at = sof.offset + head;
    for (int input = 0; input < 16 && at + 2 <= end; ++input) {
        const std::size_t count = payload[at];
        at += 2;
        for (std::size_t k = 0; k < count && at + entry <= end; ++k, at += entry)
            out.push_back({at, input, static_cast<int>(k)});
        if (at + 2 > end)
            break;
    }
    return out;
}

bool CardChannelEntries(std::span<const std::uint8_t> record, CardChannels& out)
{
    out = CardChannels{};
    out.cardType = CardTypeOf(record);
    std::size_t stored = 0;
    if (record.size() < 4)
        return out.cardType != 0;
    switch (out.cardType) {
    case 111: case 122: case 123: case 222: case 223:
        out.first = 4;
        stored = record[2];
        break;
    case kCardDSP:
        out.first = 8;
        stored = static_cast<std::size_t>(DSPChannelCount(record));
        break;
    default:
        return false;
    }
    const std::size_t room = record.size() > out.first ? (record.size() - out.first) / kChannelEntrySize : 0;
    out.count = std::min(stored, room);
    return true;
}

std::string RecordLabel(std::span<const std::uint8_t> payload, std::size_t at, std::size_t width)
{
    if (at >= payload.size())
        return {};
    return FieldText(payload.subspan(at, std::min(width, payload.size() - at)));
}

} // namespace kvr::model
