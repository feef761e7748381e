#pragma once
// Walks over lists of fixed-stride records inside a structure payload. Only whole records
// count: a damaged tail (fewer bytes than a record) is never read and stays where it is, and
// a stride of 0 gives an empty list instead of an endless walk.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kvr::model {

struct FixedList {
    std::size_t head = 0;   // bytes before the first record
    std::size_t stride = 0; // bytes per record

    std::size_t count(std::size_t payloadSize) const
    {
        if (stride == 0 || payloadSize <= head)
            return 0;
        return (payloadSize - head) / stride;
    }
    std::size_t offset(std::size_t index) const { return head + index * stride; }
    // Where whole records end (a new record goes here, before any damaged tail).
    std::size_t end(std::size_t payloadSize) const { return offset(count(payloadSize)); }
};

inline void EraseBytes(std::vector<std::uint8_t>& payload, std::size_t at, std::size_t count)
{
    if (at >= payload.size())
        return;
    if (count > payload.size() - at)
        count = payload.size() - at;
    payload.erase(payload.begin() + static_cast<std::ptrdiff_t>(at),
                  payload.begin() + static_cast<std::ptrdiff_t>(at + count));
}

inline void InsertBytes(std::vector<std::uint8_t>& payload, std::size_t at, const std::vector<std::uint8_t>& bytes)
{
    if (at > payload.size())
        at = payload.size();
    payload.insert(payload.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin(), bytes.end());
}

} // namespace kvr::model

namespace kvr::model {

struct RecordSpan {
    std::size_t offset = 0;
    std::size_t length = 0;
};

// Walks records whose length is read from the record itself. lengthAt(payload, offset) gives
// the record's length (at least 1), called only when minHead bytes are there. A record that
// would pass the payload's end ends the walk, so the walk is bounded and always advances.
template <typename LengthAt>
std::vector<RecordSpan> WalkRecords(std::span<const std::uint8_t> payload, std::size_t minHead, LengthAt lengthAt)
{
    std::vector<RecordSpan> out;
    std::size_t at = 0;
    while (minHead <= payload.size() - at) {
        const std::size_t length = lengthAt(payload, at);
        if (length == 0 || length > payload.size() - at)
            break;
        out.push_back({at, length});
        at += length;
    }
    return out;
}

// Offset where whole records end.
inline std::size_t RecordsEnd(const std::vector<RecordSpan>& records)
{
    return records.empty() ? 0 : records.back().offset + records.back().length;
}

// Takes the record at position from out and puts it so that it stands at position to of the
// new list. Positions outside the list leave the payload unchanged.
inline void MoveRecord(std::vector<std::uint8_t>& payload, const std::vector<RecordSpan>& records,
                       std::size_t from, std::size_t to)
{
    if (from >= records.size() || to >= records.size() || from == to)
        return;
    const RecordSpan moved = records[from];
    std::vector<std::uint8_t> bytes(payload.begin() + static_cast<std::ptrdiff_t>(moved.offset),
                                    payload.begin() + static_cast<std::ptrdiff_t>(moved.offset + moved.length));
    // Offset of position `to` in the list without the moved record.
    std::size_t target;
    if (to < from)
        target = records[to].offset;
    else
        target = records[to].offset + records[to].length - moved.length;
    EraseBytes(payload, moved.offset, moved.length);
    InsertBytes(payload, target, bytes);
}

} // namespace kvr::model
