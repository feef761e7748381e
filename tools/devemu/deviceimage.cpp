// The device image and the two configuration streams: fresh ones, and their reads and writes.

#include "devemu/devicemodel.h"

#include <algorithm>
#include <utility>

#include "devemu/devicewire.h"

namespace kvr::devemu {

Bytes DeviceModel::defaultConfigStream(const DeviceIdentity& identity)
{
    // Blocks 1-4 are bytes 8-39: device ID at 12, name at 20-35, project ID at 36-39; the size
    // word at 14-15 counts the stream without its first 20 bytes.
    Bytes stream(40, 0);
    writeBE16(stream, 14, static_cast<std::uint16_t>(stream.size() - 20));
    stream[12] = static_cast<std::uint8_t>(identity.deviceId);
    putText(stream, 20, identity.name.substr(0, 16), 16);
    writeBE32(stream, 36, identity.projectId);
    return stream;
}

Bytes DeviceModel::defaultImage(const DeviceIdentity& identity)
{
    Bytes image(ImageHeaderSize, 0);
    putText(image, 0, "MPJ2", 4);
    writeBE16(image, 4, 5);
    writeBE16(image, 6, 1);
    writeBE16(image, 8, 9);
    writeBE16(image, 10, 409);
    writeBE32(image, 12, identity.projectId);
    putText(image, 16, identity.name.substr(0, 35), 36);
    writeBE16(image, 58, static_cast<std::uint16_t>(ImageHeaderSize));
    writeBE32(image, 62, identity.configStamp);
    writeBE32(image, 78, identity.deviceId);
    return image;
}

void DeviceModel::readImage(std::vector<Answer>& out, const DeviceFrame& in, std::uint32_t n)
{
    if (n == 0)
        return;
    Bytes chunk(8, 0);
    const std::size_t at = static_cast<std::size_t>(n - 1) * 8;
    for (std::size_t i = 0; i < 8 && at + i < image_.size(); ++i)
        chunk[i] = image_[at + i];
    answer(out, in.id, chunk);
}

void DeviceModel::writeImage(std::vector<Answer>& out, const DeviceFrame& in, std::uint32_t n)
{
    if (n == 0 || !writing_) {
        // A write starts from the image the device holds; blocks it does not send stay as they are.
        stagedImage_ = image_;
        writing_ = true;
        if (n == 0)
            return; // the start of a write: nothing to answer
    }
    const std::size_t at = static_cast<std::size_t>(n - 1) * 8;
    const std::size_t len = std::min<std::size_t>(in.len, 8);
    if (at + len > ImageMax)
        return;
    if (stagedImage_.size() < at + len)
        stagedImage_.resize(at + len, 0);
    std::copy_n(in.data.begin(), len, stagedImage_.begin() + static_cast<std::ptrdiff_t>(at));
    if (n == 1) {
        image_ = std::exchange(stagedImage_, {}); // the block that ends the write
        writing_ = false;
    }
    answer(out, in.id, {});
}

void DeviceModel::configStreamRead(std::vector<Answer>& out, const DeviceFrame& in)
{
    const bool alternate = (in.id & 0x8000) != 0;
    const std::size_t block = in.id & 0x7FFF;
    const Bytes& stream = streams_[alternate ? 1 : 0];
    Bytes chunk(8, 0);
    for (std::size_t i = 0; i < 8 && block * 8 + i < stream.size(); ++i)
        chunk[i] = stream[block * 8 + i];
    answer(out, in.id, chunk);
}

void DeviceModel::configStreamWrite(std::vector<Answer>& out, const DeviceFrame& in)
{
    const bool alternate = (in.id & 0x8000) != 0;
    const std::size_t block = in.id & 0x7FFF;
    Bytes& pending = pendingStreams_[alternate ? 1 : 0];
    if (block == StreamBlocksMax) {
        // The end marker: the written stream replaces the stored one.
        streams_[alternate ? 1 : 0] = std::exchange(pending, {});
        return;
    }
    const std::size_t len = std::min<std::size_t>(in.len, 8);
    if (pending.size() < block * 8 + len)
        pending.resize(block * 8 + len, 0);
    std::copy_n(in.data.begin(), len, pending.begin() + static_cast<std::ptrdiff_t>(block * 8));
    answer(out, in.id, {});
}

std::uint32_t DeviceModel::configStamp() const
{
    // The running configuration's change time, as a loaded image carries it in its header.
    constexpr std::size_t StampAt = 62;
    return image_.size() >= StampAt + 4 ? readBE32(image_, StampAt) : identity_.configStamp;
}

} // namespace kvr::devemu
