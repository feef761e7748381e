#pragma once
// Control blocks between the server and a device. Over TCP each block is one frame
// [Len u8][0][ID u32 BE][Len data bytes]; over a serial line the same frame is SLIP-framed.
// See docs/device-protocol.md. The client hands blocks over as the bytes of its control-block
// record (Len, reserved, ID little-endian, data); the conversions below work on those bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "commserver/icommserver.h"

namespace kvr::commserver {

struct DeviceFrame {
    std::uint32_t id = 0;
    std::uint8_t len = 0;
    std::array<std::uint8_t, 256> data{};

    std::span<const std::uint8_t> payload() const { return {data.data(), len}; }
    bool operator==(const DeviceFrame& other) const;
};

inline constexpr std::size_t DeviceFrameHeaderSize = 6;
inline constexpr std::size_t DeviceFrameMaxSize = DeviceFrameHeaderSize + 255;

DeviceFrame makeDeviceFrame(std::uint32_t id, std::span<const std::uint8_t> data);

// One frame as it goes over TCP (and, SLIP-framed, over a serial line).
Bytes encodeDeviceFrame(const DeviceFrame& frame);
// Exactly one frame; nullopt when the bytes are not one well-formed frame.
std::optional<DeviceFrame> decodeDeviceFrame(std::span<const std::uint8_t> bytes);

// Cuts a TCP byte stream into frames. A non-zero second byte is garbage: the reader fails for
// good and the link is to be closed.
class DeviceFrameReader {
public:
    enum class Status { NeedMore, Frame, Failed };
    void append(std::span<const std::uint8_t> bytes);
    Status next(DeviceFrame& frame);
    bool failed() const { return failed_; }

private:
    Bytes buffer_;
    std::size_t start_ = 0;
    bool failed_ = false;
};

// SLIP (RFC 1055) framing of one packet: END, escaped bytes, END.
Bytes slipEncode(std::span<const std::uint8_t> packet);

// Collects SLIP packets from a serial byte stream. A packet longer than a frame can be is
// dropped up to the next END and counted, so a noisy line cannot grow memory.
class SlipDecoder {
public:
    // Feeds bytes; complete packets are appended to out.
    void append(std::span<const std::uint8_t> bytes, std::vector<Bytes>& out);
    std::size_t droppedPackets() const { return dropped_; }

private:
    Bytes packet_;
    bool escape_ = false;
    bool overflow_ = false;
    std::size_t dropped_ = 0;
};

// The client's control-block bytes: at least the 6 header bytes and Len data bytes.
std::optional<DeviceFrame> frameFromClientBlock(std::span<const std::uint8_t> block);
// The bytes handed to the client: header and at least 8 data bytes, as the client sends them.
Bytes clientBlockFromFrame(const DeviceFrame& frame);

} // namespace kvr::commserver
