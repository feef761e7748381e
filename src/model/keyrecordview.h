#pragma once
// Named fields of a 42-byte key-function record, with the byte order each parameter is stored in:
// spin values, talkback indices and access groups little-endian, sources big-endian, the
// destination device a big-endian 32-bit number.

#include "model/keyfunctions.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kvr::model {

namespace kf {
inline constexpr std::size_t Key = 0;
inline constexpr std::size_t Text = 1;
inline constexpr std::size_t TextLength = 30;
inline constexpr std::size_t Function = 31;
inline constexpr std::size_t SubFunction = 32;
inline constexpr std::size_t Colours = 33;
inline constexpr std::size_t Options = 34;
inline constexpr std::size_t UserGroups = 35;
inline constexpr std::size_t Param1 = 36;
inline constexpr std::size_t Param2 = 38;
inline constexpr std::size_t Param3 = 40;
} // namespace kf

// The marker label of records that hold module settings, so they are never taken for empty.
inline constexpr std::string_view kKeepMarker = "DONOTDELETE";

// The label: bytes 1-30, ending at the first zero byte; 8-bit as stored.
std::string KeyRecordText(std::span<const std::uint8_t, kKeyRecordSize> record);

// A record held alone or in place inside a module entry.
class KeyRecordView {
public:
    explicit KeyRecordView(std::span<std::uint8_t, kKeyRecordSize> record) : r_(record) {}

    std::uint8_t& Key() { return r_[kf::Key]; }
    std::uint8_t& Function() { return r_[kf::Function]; }
    std::uint8_t& SubFunction() { return r_[kf::SubFunction]; }
    std::uint8_t& Colours() { return r_[kf::Colours]; }
    std::uint8_t& Options() { return r_[kf::Options]; }
    std::uint8_t& UserGroups() { return r_[kf::UserGroups]; }
    std::uint8_t& Byte(std::size_t offset)
    {
        if (offset >= r_.size())
            throw std::out_of_range("key record byte");
        return r_[offset];
    }

    // The label: up to 30 bytes, the rest zero.
    std::string Text() const;
    void SetText(std::string_view text);

    // Parameters at 36, 38 or 40.
    std::uint16_t SpinValue() const; // LE16 at 36
    void SetSpinValue(std::uint16_t value);
    std::uint16_t Source(std::size_t at) const; // BE16
    void SetSource(std::size_t at, std::uint16_t id);
    std::uint16_t Index(std::size_t at) const; // LE16: talkback indices, access group
    void SetIndex(std::size_t at, std::uint16_t value);
    std::uint32_t DestinationDevice() const; // BE32 at 36
    void SetDestinationDevice(std::uint32_t id);

private:
    std::span<std::uint8_t, kKeyRecordSize> r_;
};

} // namespace kvr::model
