#include "model/entrylist.h"

#include "kvrdata/byteorder.h"

#include <cstring>
#include <limits>

namespace kvr::model {

bool EntryWalker::Next(EntryRef& entry, std::uint8_t& key)
{
    if (left_ == 0 || pos_ >= end_ || end_ - pos_ < EntryHeadSize)
        return false;
    const std::size_t length = readBE16(buffer_, pos_ + 2);
    if (length > end_ - pos_ - EntryHeadSize)
        return false;
    entry = {pos_, length};
    key = buffer_[pos_];
    pos_ += EntryHeadSize + length;
    --left_;
    return true;
}

std::optional<EntryRef> FindEntry(std::span<const std::uint8_t> buffer, std::size_t start, std::size_t end,
                                  std::size_t maxCount, std::uint8_t key)
{
    EntryWalker walker(buffer, start, end, maxCount);
    EntryRef entry;
    std::uint8_t found = 0;
    while (walker.Next(entry, found)) {
        if (found == key)
            return entry;
    }
    return std::nullopt;
}

bool EntriesFill(std::span<const std::uint8_t> buffer, std::size_t start, std::size_t end,
                 std::optional<std::size_t> count)
{
    if (start > end || end > buffer.size())
        return false;
    EntryWalker walker(buffer, start, end, count.value_or(std::numeric_limits<std::size_t>::max()));
    EntryRef entry;
    std::uint8_t key = 0;
    std::size_t walked = 0;
    while (walker.Next(entry, key))
        ++walked;
    return walker.Position() == end && (!count || walked == *count);
}

void WriteEntry(std::span<std::uint8_t> buffer, std::size_t offset, std::uint8_t key,
                std::span<const std::uint8_t> payload)
{
    writeU8(buffer, offset, key);
    writeU8(buffer, offset + 1, 0);
    writeBE16(buffer, offset + 2, static_cast<std::uint16_t>(payload.size()));
    if (!payload.empty()) {
        detail::requireRange(buffer.size(), offset + EntryHeadSize, payload.size());
        std::memcpy(buffer.data() + offset + EntryHeadSize, payload.data(), payload.size());
    }
}

} // namespace kvr::model
