#include "commserver/deviceframe.h"

#include <algorithm>
#include <cstring>

#include "commserver/streambuffer.h"
#include "kvrdata/byteorder.h"

namespace kvr::commserver {

namespace {
constexpr std::uint8_t SlipEnd = 0xC0;
constexpr std::uint8_t SlipEsc = 0xDB;
constexpr std::uint8_t SlipEscEnd = 0xDC;
constexpr std::uint8_t SlipEscEsc = 0xDD;

// Offsets of the client's control-block record.
constexpr std::size_t ClientLenAt = 0;
constexpr std::size_t ClientIdAt = 2;
constexpr std::size_t ClientDataAt = 6;
constexpr std::size_t ClientMinData = 8;
} // namespace

bool DeviceFrame::operator==(const DeviceFrame& other) const
{
    return id == other.id && len == other.len && std::equal(data.begin(), data.begin() + len, other.data.begin());
}

DeviceFrame makeDeviceFrame(std::uint32_t id, std::span<const std::uint8_t> data)
{
    DeviceFrame frame;
    frame.id = id;
    frame.len = static_cast<std::uint8_t>(std::min<std::size_t>(data.size(), 255));
    std::copy_n(data.begin(), frame.len, frame.data.begin());
    return frame;
}

Bytes encodeDeviceFrame(const DeviceFrame& frame)
{
    Bytes out;
    out.reserve(DeviceFrameHeaderSize + frame.len);
    ByteWriter w(out);
    w.u8(frame.len);
    w.u8(0);
    w.be32(frame.id);
    w.bytes(frame.payload());
    return out;
}

std::optional<DeviceFrame> decodeDeviceFrame(std::span<const std::uint8_t> bytes)
{
    ByteReader r(bytes);
    DeviceFrame frame;
    frame.len = r.u8();
    const std::uint8_t zero = r.u8();
    frame.id = r.be32();
    const auto data = r.bytes(frame.len);
    if (!r.ok() || zero != 0 || !r.atEnd())
        return std::nullopt;
    std::copy(data.begin(), data.end(), frame.data.begin());
    return frame;
}

void DeviceFrameReader::append(std::span<const std::uint8_t> bytes)
{
    if (!failed_)
        appendCompacting(buffer_, start_, bytes);
}

DeviceFrameReader::Status DeviceFrameReader::next(DeviceFrame& frame)
{
    if (failed_)
        return Status::Failed;
    const std::span<const std::uint8_t> data(buffer_.data() + start_, buffer_.size() - start_);
    if (data.size() >= 2 && data[1] != 0) {
        failed_ = true;
        buffer_.clear();
        start_ = 0;
        return Status::Failed;
    }
    if (data.size() < DeviceFrameHeaderSize || data.size() < DeviceFrameHeaderSize + data[0]) {
        releaseConsumed(buffer_, start_);
        return Status::NeedMore;
    }
    const std::size_t size = DeviceFrameHeaderSize + data[0];
    frame = *decodeDeviceFrame(data.first(size));
    start_ += size;
    return Status::Frame;
}

Bytes slipEncode(std::span<const std::uint8_t> packet)
{
    Bytes out;
    out.reserve(packet.size() + 8);
    out.push_back(SlipEnd);
    for (const std::uint8_t b : packet) {
        if (b == SlipEnd) {
            out.push_back(SlipEsc);
            out.push_back(SlipEscEnd);
        } else if (b == SlipEsc) {
            out.push_back(SlipEsc);
            out.push_back(SlipEscEsc);
        } else {
            out.push_back(b);
        }
    }
    out.push_back(SlipEnd);
    return out;
}

void SlipDecoder::append(std::span<const std::uint8_t> bytes, std::vector<Bytes>& out)
{
    for (const std::uint8_t b : bytes) {
        if (b == SlipEnd) {
            if (overflow_)
                ++dropped_;
            else if (!packet_.empty())
                out.push_back(packet_);
            packet_.clear();
            escape_ = false;
            overflow_ = false;
            continue;
        }
        std::uint8_t value = b;
        if (escape_) {
            escape_ = false;
            value = b == SlipEscEnd ? SlipEnd : b == SlipEscEsc ? SlipEsc : b;
        } else if (b == SlipEsc) {
            escape_ = true;
            continue;
        }
        if (overflow_)
            continue;
        if (packet_.size() >= DeviceFrameMaxSize) {
            overflow_ = true;
            packet_.clear();
            continue;
        }
        packet_.push_back(value);
    }
}

std::optional<DeviceFrame> frameFromClientBlock(std::span<const std::uint8_t> block)
{
    if (block.size() < ClientDataAt)
        return std::nullopt;
    const std::uint8_t len = readU8(block, ClientLenAt);
    if (block.size() < ClientDataAt + len)
        return std::nullopt;
    return makeDeviceFrame(readLE32(block, ClientIdAt), block.subspan(ClientDataAt, len));
}

Bytes clientBlockFromFrame(const DeviceFrame& frame)
{
    Bytes out(ClientDataAt + std::max<std::size_t>(frame.len, ClientMinData), 0);
    writeU8(out, ClientLenAt, frame.len);
    writeLE32(out, ClientIdAt, frame.id);
    std::copy(frame.payload().begin(), frame.payload().end(), out.begin() + ClientDataAt);
    return out;
}

} // namespace kvr::commserver
