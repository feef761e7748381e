#pragma once
// Big- and little-endian reads and writes with bounds. Every byte that crosses a file, a socket
// or a device image goes through these; no struct is ever copied to or from bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvr {

class ByteRangeError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

namespace detail {
inline void requireRange(std::size_t size, std::size_t offset, std::size_t count)
{
    if (offset > size || count > size - offset)
        throw ByteRangeError("byte access at " + std::to_string(offset) + "+" + std::to_string(count) +
                             " outside " + std::to_string(size) + " bytes");
}
} // namespace detail

// Offset-based access; an access outside the data throws ByteRangeError.
template <typename T, bool BigEndian>
T readInt(std::span<const std::uint8_t> data, std::size_t offset)
{
    detail::requireRange(data.size(), offset, sizeof(T));
    using U = std::make_unsigned_t<T>;
    U value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        const std::size_t index = BigEndian ? i : sizeof(T) - 1 - i;
        value = static_cast<U>((value << 8) | data[offset + index]);
    }
    return static_cast<T>(value);
}

template <typename T, bool BigEndian>
void writeInt(std::span<std::uint8_t> data, std::size_t offset, T value)
{
    detail::requireRange(data.size(), offset, sizeof(T));
    using U = std::make_unsigned_t<T>;
    U v = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        const std::size_t index = BigEndian ? sizeof(T) - 1 - i : i;
        data[offset + index] = static_cast<std::uint8_t>(v & 0xFF);
        v = static_cast<U>(v >> 4 >> 4); // two shifts keep an 8-bit type well defined
    }
}

inline std::uint8_t readU8(std::span<const std::uint8_t> data, std::size_t offset) { return readInt<std::uint8_t, true>(data, offset); }
inline std::uint16_t readBE16(std::span<const std::uint8_t> data, std::size_t offset) { return readInt<std::uint16_t, true>(data, offset); }
inline std::uint32_t readBE32(std::span<const std::uint8_t> data, std::size_t offset) { return readInt<std::uint32_t, true>(data, offset); }
inline std::uint64_t readBE64(std::span<const std::uint8_t> data, std::size_t offset) { return readInt<std::uint64_t, true>(data, offset); }
inline std::uint16_t readLE16(std::span<const std::uint8_t> data, std::size_t offset) { return readInt<std::uint16_t, false>(data, offset); }
inline std::uint32_t readLE32(std::span<const std::uint8_t> data, std::size_t offset) { return readInt<std::uint32_t, false>(data, offset); }
inline std::uint64_t readLE64(std::span<const std::uint8_t> data, std::size_t offset) { return readInt<std::uint64_t, false>(data, offset); }

inline void writeU8(std::span<std::uint8_t> data, std::size_t offset, std::uint8_t v) { writeInt<std::uint8_t, true>(data, offset, v); }
inline void writeBE16(std::span<std::uint8_t> data, std::size_t offset, std::uint16_t v) { writeInt<std::uint16_t, true>(data, offset, v); }
inline void writeBE32(std::span<std::uint8_t> data, std::size_t offset, std::uint32_t v) { writeInt<std::uint32_t, true>(data, offset, v); }
inline void writeBE64(std::span<std::uint8_t> data, std::size_t offset, std::uint64_t v) { writeInt<std::uint64_t, true>(data, offset, v); }
inline void writeLE16(std::span<std::uint8_t> data, std::size_t offset, std::uint16_t v) { writeInt<std::uint16_t, false>(data, offset, v); }
inline void writeLE32(std::span<std::uint8_t> data, std::size_t offset, std::uint32_t v) { writeInt<std::uint32_t, false>(data, offset, v); }
inline void writeLE64(std::span<std::uint8_t> data, std::size_t offset, std::uint64_t v) { writeInt<std::uint64_t, false>(data, offset, v); }

// A cursor over bytes from outside. Reading past the end yields zeros and marks the reader
// failed (sticky), so a decoder can read a whole record and check ok() once.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    bool ok() const { return ok_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }

    std::uint8_t u8() { return take<std::uint8_t, true>(); }
    std::uint16_t be16() { return take<std::uint16_t, true>(); }
    std::uint32_t be32() { return take<std::uint32_t, true>(); }
    std::uint64_t be64() { return take<std::uint64_t, true>(); }
    std::uint16_t le16() { return take<std::uint16_t, false>(); }
    std::uint32_t le32() { return take<std::uint32_t, false>(); }
    std::uint64_t le64() { return take<std::uint64_t, false>(); }

    // The next count bytes; an empty span (and failure) when fewer remain.
    std::span<const std::uint8_t> bytes(std::size_t count)
    {
        if (!ok_ || count > remaining()) {
            ok_ = false;
            pos_ = data_.size();
            return {};
        }
        auto result = data_.subspan(pos_, count);
        pos_ += count;
        return result;
    }
    void skip(std::size_t count) { bytes(count); }

private:
    template <typename T, bool BigEndian>
    T take()
    {
        if (!ok_ || sizeof(T) > remaining()) {
            ok_ = false;
            pos_ = data_.size();
            return T{};
        }
        const T value = readInt<T, BigEndian>(data_, pos_);
        pos_ += sizeof(T);
        return value;
    }

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// Appends numbers in a chosen byte order to a growing byte vector.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void u8(std::uint8_t v) { out_.push_back(v); }
    void be16(std::uint16_t v) { put<std::uint16_t, true>(v); }
    void be32(std::uint32_t v) { put<std::uint32_t, true>(v); }
    void be64(std::uint64_t v) { put<std::uint64_t, true>(v); }
    void le16(std::uint16_t v) { put<std::uint16_t, false>(v); }
    void le32(std::uint32_t v) { put<std::uint32_t, false>(v); }
    void le64(std::uint64_t v) { put<std::uint64_t, false>(v); }
    void bytes(std::span<const std::uint8_t> data) { out_.insert(out_.end(), data.begin(), data.end()); }
    void zeros(std::size_t count) { out_.insert(out_.end(), count, 0); }

private:
    template <typename T, bool BigEndian>
    void put(T v)
    {
        const std::size_t at = out_.size();
        out_.resize(at + sizeof(T));
        writeInt<T, BigEndian>(out_, at, v);
    }

    std::vector<std::uint8_t>& out_;
};

} // namespace kvr
