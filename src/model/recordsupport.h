#pragma once
// Small helpers shared by the typed records of outputs, buses, resources and inserts.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kvr::model {

class TDevice;

// Offset and length of one record inside a structure payload.
struct RecordPos {
    std::size_t offset = 0;
    std::size_t length = 0;
};

// Writes one header byte (a count, clamped to 0-255) and stamps the header change; this reruns
// the fitting.
void SetHeaderCount(TDevice& dev, std::size_t offset, int value);
// A header byte as a number.
int HeaderByte(const TDevice& dev, std::size_t offset);

// Erase and insert bytes of a payload with the positions clamped to it.
void EraseRange(std::vector<std::uint8_t>& payload, std::size_t at, std::size_t count);
void InsertRange(std::vector<std::uint8_t>& payload, std::size_t at, std::span<const std::uint8_t> bytes);

} // namespace kvr::model
