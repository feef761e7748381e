#pragma once
// The entry form shared by the project block and both entry lists of a device image:
// [key][0][payload length, 16 bits big-endian][payload]. Entries follow each other without gaps.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kvr::model {

inline constexpr std::size_t EntryHeadSize = 4;

struct EntryRef {
    std::size_t offset = 0; // of the head
    std::size_t length = 0; // of the payload
};

// Walks at most maxCount entries from start while they lie inside [start, end).
class EntryWalker {
public:
    EntryWalker(std::span<const std::uint8_t> buffer, std::size_t start, std::size_t end, std::size_t maxCount)
        : buffer_(buffer), pos_(start), end_(end < buffer.size() ? end : buffer.size()), left_(maxCount)
    {
    }
    // The next entry; false at the end of the list or at an entry that does not fit.
    bool Next(EntryRef& entry, std::uint8_t& key);
    std::size_t Position() const { return pos_; }

private:
    std::span<const std::uint8_t> buffer_;
    std::size_t pos_;
    std::size_t end_;
    std::size_t left_;
};

// The first entry with the key.
std::optional<EntryRef> FindEntry(std::span<const std::uint8_t> buffer, std::size_t start, std::size_t end,
                                  std::size_t maxCount, std::uint8_t key);

// True when exactly count entries (any number when count is empty) fill [start, end).
bool EntriesFill(std::span<const std::uint8_t> buffer, std::size_t start, std::size_t end,
                 std::optional<std::size_t> count);

// Writes one entry head and payload at offset; the caller has made room.
void WriteEntry(std::span<std::uint8_t> buffer, std::size_t offset, std::uint8_t key,
                std::span<const std::uint8_t> payload);

} // namespace kvr::model
