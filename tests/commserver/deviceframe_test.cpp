#include <gtest/gtest.h>

#include "commserver/deviceframe.h"

namespace {

using namespace kvr::commserver;

TEST(DeviceFrame, TcpLayoutIsLenZeroBigEndianIdData)
{
    const DeviceFrame frame = makeDeviceFrame(0x1A000001, Bytes{0xAA, 0xBB, 0xCC});
    EXPECT_EQ(encodeDeviceFrame(frame), (Bytes{3, 0, 0x1A, 0x00, 0x00, 0x01, 0xAA, 0xBB, 0xCC}));
    const auto back = decodeDeviceFrame(encodeDeviceFrame(frame));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, frame);
}

TEST(DeviceFrame, DecodeWantsExactlyOneFrame)
{
    EXPECT_FALSE(decodeDeviceFrame(Bytes{3, 0, 0, 0, 0, 1, 1, 2}));       // short
    EXPECT_FALSE(decodeDeviceFrame(Bytes{1, 0, 0, 0, 0, 1, 1, 2}));       // trailing byte
    EXPECT_FALSE(decodeDeviceFrame(Bytes{0, 7, 0, 0, 0, 1}));             // reserved byte set
    EXPECT_TRUE(decodeDeviceFrame(Bytes{0, 0, 0x11, 0x2E, 0, 0}));        // no data
}

TEST(DeviceFrame, ReaderCutsAStreamInAnyChunking)
{
    Bytes stream;
    std::vector<DeviceFrame> frames;
    for (std::uint32_t i = 0; i < 5; ++i) {
        frames.push_back(makeDeviceFrame(0x1A000000 + i, Bytes(i * 60, static_cast<std::uint8_t>(i))));
        const Bytes b = encodeDeviceFrame(frames.back());
        stream.insert(stream.end(), b.begin(), b.end());
    }
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, stream.size()}) {
        DeviceFrameReader reader;
        std::vector<DeviceFrame> got;
        for (std::size_t at = 0; at < stream.size(); at += chunk) {
            reader.append(std::span<const std::uint8_t>(stream).subspan(at, std::min(chunk, stream.size() - at)));
            DeviceFrame f;
            while (reader.next(f) == DeviceFrameReader::Status::Frame)
                got.push_back(f);
        }
        EXPECT_EQ(got, frames) << "chunk " << chunk;
    }
}

TEST(DeviceFrame, ReaderFailsOnANonZeroSecondByte)
{
    DeviceFrameReader reader;
    reader.append(Bytes{0, 0, 0, 0, 0, 1, 2, 1});
    DeviceFrame f;
    EXPECT_EQ(reader.next(f), DeviceFrameReader::Status::Frame);
    EXPECT_EQ(reader.next(f), DeviceFrameReader::Status::Failed);
    reader.append(Bytes{0, 0, 0, 0, 0, 1});
    EXPECT_EQ(reader.next(f), DeviceFrameReader::Status::Failed);
}

TEST(DeviceFrame, SlipEscapesEndAndEscAndSurvivesNoise)
{
    const Bytes packet{0xC0, 0x01, 0xDB, 0xDC, 0xDD};
    const Bytes encoded = slipEncode(packet);
    EXPECT_EQ(encoded, (Bytes{0xC0, 0xDB, 0xDC, 0x01, 0xDB, 0xDD, 0xDC, 0xDD, 0xC0}));
    SlipDecoder decoder;
    std::vector<Bytes> out;
    decoder.append(encoded, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], packet);

    // An endless packet is dropped at the next END; the following packet comes through.
    Bytes noise(1000, 0x55);
    noise.push_back(0xC0);
    decoder.append(noise, out);
    decoder.append(encoded, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1], packet);
    EXPECT_EQ(decoder.droppedPackets(), 1u);
}

TEST(DeviceFrame, ClientBlockBytes)
{
    // Len, reserved, ID little-endian, data: at least 8 data bytes go to the client.
    const DeviceFrame frame = makeDeviceFrame(0x112E0000, Bytes{1, 2, 3});
    const Bytes b = clientBlockFromFrame(frame);
    EXPECT_EQ(b, (Bytes{3, 0, 0x00, 0x00, 0x2E, 0x11, 1, 2, 3, 0, 0, 0, 0, 0}));
    EXPECT_EQ(clientBlockFromFrame(makeDeviceFrame(1, Bytes(255, 9))).size(), 261u);

    const auto back = frameFromClientBlock(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, frame);
    EXPECT_FALSE(frameFromClientBlock(Bytes{3, 0, 0, 0}));          // no whole header
    EXPECT_FALSE(frameFromClientBlock(Bytes{9, 0, 1, 0, 0, 0, 1})); // Len beyond the array
    // The full 262-byte record is fine; the bytes past Len are not sent on.
    Bytes full(262, 0xEE);
    full[0] = 2;
    full[1] = 0x77;
    const auto fromFull = frameFromClientBlock(full);
    ASSERT_TRUE(fromFull);
    EXPECT_EQ(encodeDeviceFrame(*fromFull).size(), 8u);
}

} // namespace
