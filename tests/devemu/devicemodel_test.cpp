#include <gtest/gtest.h>

#include "devemu/devicemodel.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/blockstream.h"
#include "kvrdata/crc32.h"
#include "kvrdata/udpmsgv6.h"

namespace {

using namespace kvr::devemu;
using kvr::commserver::makeDeviceFrame;

Bytes data(const DeviceFrame& f) { return Bytes(f.payload().begin(), f.payload().end()); }

class Model : public ::testing::Test {
protected:
    std::vector<Answer> send(std::uint32_t id, Bytes d = {}) { return model.handle(makeDeviceFrame(id, d)); }
    DeviceModel model{DeviceIdentity{0x00ABCD, 0x05140000, 0x41424344, 5, "Studio", 1234}};
};

TEST_F(Model, DefaultImageHeader)
{
    const Bytes& image = model.image();
    ASSERT_EQ(image.size(), 200u);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "MPJ2");
    EXPECT_EQ(kvr::readBE32(image, 12), 0x41424344u);
    EXPECT_EQ(std::string(image.begin() + 16, image.begin() + 22), "Studio");
    EXPECT_EQ(kvr::readBE16(image, 58), 200);
    EXPECT_EQ(kvr::readBE32(image, 62), 1234u);
    EXPECT_EQ(kvr::readBE32(image, 78), 5u);
}

TEST_F(Model, ImageReadAndWriteByOneBasedBlocks)
{
    auto a = send(0x1A000001);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].frame.id, 0x1A000001u);
    EXPECT_EQ(data(a[0].frame), (Bytes{'M', 'P', 'J', '2', 0, 5, 0, 1}));

    EXPECT_TRUE(send(0x1B000000).empty()) << "the start of a write is not answered";
    a = send(0x1B000020, {9, 8, 7});
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].frame.id, 0x1B000020u);
    EXPECT_EQ(model.image().size(), 200u) << "staged until the block that ends the write";
    EXPECT_EQ(send(0x1B000001, {'M', 'P', 'J', '2', 0, 5, 0, 1}).size(), 1u);
    EXPECT_EQ(model.image().size(), 31u * 8 + 3);
    a = send(0x1A000020);
    EXPECT_EQ(data(a[0].frame), (Bytes{9, 8, 7, 0, 0, 0, 0, 0}));
    EXPECT_EQ(data(send(0x1A001000)[0].frame), Bytes(8, 0)) << "past the image reads zeros";
    EXPECT_TRUE(send(0x1B00FFFF, {1}).empty()) << "past 64000 bytes is refused";
    EXPECT_TRUE(send(0x1A000000).empty());
}

TEST_F(Model, SerialNumberAndVersion)
{
    auto a = send(0x112E0000);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(data(a[0].frame), (Bytes{0, 0, 0xAB, 0xCD, 0x05, 0x14, 0, 0}));
    a = send(0x06000000);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(kvr::readBE32(a[0].frame.payload(), 4), 0x05140000u);
}

TEST_F(Model, LogicStatesAnswerTheirRequestAndReportChanges)
{
    auto a = send(0x110E0000, {0x04, 0x3E});
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].frame.id, 0x110E0000u);
    EXPECT_EQ(data(a[0].frame), (Bytes{0x04, 0x3E, 0})) << "a state never set is off";

    const DeviceFrame report = model.setLogicState(1086, 2);
    EXPECT_EQ(report.id, 0x110E0000u);
    EXPECT_EQ(data(report), (Bytes{0x04, 0x3E, 2}));
    EXPECT_EQ(data(send(0x110E0000, {0x04, 0x3E})[0].frame), (Bytes{0x04, 0x3E, 2}));

    EXPECT_TRUE(send(0x110E0000, {0x04}).empty()) << "a request without its two ID bytes";
    EXPECT_TRUE(send(0x110E0001, {0x04, 0x3E}).empty()) << "another ID of the class";
}

TEST_F(Model, ConfigurationStreamsAreWrittenAndReadPerVariant)
{
    Bytes stream(20, 0);
    kvr::writeBE16(stream, 14, 3);
    stream.insert(stream.end(), {1, 2, 3});
    for (std::uint32_t i = 0; i * 8 < stream.size(); ++i) {
        Bytes chunk(stream.begin() + i * 8, stream.begin() + std::min<std::size_t>(stream.size(), i * 8 + 8));
        ASSERT_EQ(send(0x1E118000 + i, chunk).size(), 1u);
    }
    EXPECT_TRUE(model.configStream(true).empty()) << "kept pending until the end block";
    const Bytes first = model.configStream(false);
    EXPECT_TRUE(send(0x1E11FFFF).empty());
    EXPECT_EQ(model.configStream(true), stream);
    EXPECT_EQ(model.configStream(false), first) << "the other stream stays";
    const auto size = send(0x1E218001);
    EXPECT_EQ(kvr::readBE16(size[0].frame.payload(), 6), 3);
    EXPECT_EQ(data(send(0x1E218002)[0].frame), (Bytes{0, 0, 0, 0, 1, 2, 3, 0}));
}

TEST_F(Model, StatusPagesEndWithPage255)
{
    model.setStatusPages(3, {Bytes{1}, Bytes{2, 2}});
    const auto a = send(0x05000003);
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[0].frame.id, 0x05000003u);
    EXPECT_EQ(a[1].frame.id, 0x05010003u);
    EXPECT_EQ(data(a[1].frame), (Bytes{2, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(a[2].frame.id, 0x05FF0003u);

    const auto made = send(0x05000109);
    ASSERT_EQ(made.size(), 4u + 1) << "four made-up pages, then page 255";
    EXPECT_EQ(made[2].frame.id, 0x05020109u);
    EXPECT_EQ(data(made[2].frame), (Bytes{1, 9, 2, 0, 0, 0, 0, 0}));
}

TEST_F(Model, InformationPagesOfTheFirstStreamIdentifyTheDevice)
{
    Bytes info;
    for (std::uint32_t id = 0x1E210001; id <= 0x1E210004; ++id) {
        const auto a = send(id);
        ASSERT_EQ(a.size(), 1u);
        info.insert(info.end(), a[0].frame.payload().begin(), a[0].frame.payload().end());
    }
    EXPECT_EQ(info[4], 5) << "device ID";
    EXPECT_EQ(std::string(info.begin() + 12, info.begin() + 18), "Studio");
    EXPECT_EQ(kvr::readBE32(info, 28), 0x41424344u);
    EXPECT_EQ(kvr::readBE16(info, 6) + 20, 40) << "the size word of the stream";
}

TEST_F(Model, SetupAndFaderNames)
{
    EXPECT_TRUE(send(0x112A0000, {4, 0, 'C', 'h', 'a', 'n', 'n', 'e'}).empty());
    EXPECT_TRUE(send(0x112A0000, {4, 1, 'l', ' ', 'F', 'o', 'u', 'r'}).empty());
    EXPECT_EQ(model.setupName(0x112A, 4), "Channel Four");
    const auto parts = send(0x112A0000, {4});
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(data(parts[1].frame), (Bytes{4, 1, 'l', ' ', 'F', 'o', 'u', 'r'}));
    EXPECT_EQ(send(0x112F0000, {4})[0].frame.data[2], 0) << "the mixer names are apart";

    model.setFaderName(0x0102, "Moderation Left");
    const auto fader = send(0x11140000, {1, 2, 1});
    ASSERT_EQ(fader.size(), 2u);
    EXPECT_EQ(data(fader[0].frame), (Bytes{1, 2, 1}));
    EXPECT_EQ(data(fader[1].frame), (Bytes{1, 2, 1, 0, 'r', 'a', 't', 'i'}));
    send(0x11140000, {1, 2});
    EXPECT_EQ(model.faderName(0x0102), "");
}

TEST_F(Model, SetupIsStoredAndReadBack)
{
    const Bytes setup{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    for (std::size_t at = 0; at < setup.size(); at += 6) {
        Bytes chunk{0, static_cast<std::uint8_t>(at)};
        chunk.insert(chunk.end(), setup.begin() + at, setup.begin() + std::min(setup.size(), at + 6));
        const auto echo = send(0x11410000, chunk);
        ASSERT_EQ(echo.size(), 1u);
        EXPECT_EQ(data(echo[0].frame), chunk);
    }
    EXPECT_TRUE(send(0x11420000, {11 + 1, 3, 0, 13}).empty());
    ASSERT_TRUE(model.setup(11, 3));
    EXPECT_EQ(*model.setup(11, 3), setup);

    const auto size = send(0x11420000, {11, 3});
    EXPECT_EQ(data(size[0].frame), (Bytes{11, 3, 0, 13}));
    EXPECT_EQ(data(send(0x11410000, {0, 12})[0].frame), (Bytes{0, 12, 13, 0, 0, 0, 0, 0}));
}

Bytes fileHeader(char mode, std::uint32_t size, const std::string& name)
{
    Bytes d;
    kvr::ByteWriter w(d);
    w.be32(0);
    w.u8(0);
    w.u8(static_cast<std::uint8_t>(mode));
    w.be32(size);
    w.u8(static_cast<std::uint8_t>(name.size()));
    w.bytes({reinterpret_cast<const std::uint8_t*>(name.data()), name.size()});
    return d;
}

TEST_F(Model, FileWriteWithCrcThenReadBack)
{
    Bytes content(600);
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<std::uint8_t>(i * 7);
    auto a = send(0x99000000, fileHeader('w', 600, "boot.bin"));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(kvr::readBE32(a[0].frame.payload(), 0), 0u);
    const std::uint8_t handle = a[0].frame.data[4];
    for (std::size_t at = 0; at < content.size(); at += 250) {
        Bytes d;
        kvr::ByteWriter w(d);
        w.be32(static_cast<std::uint32_t>(at));
        w.u8(handle);
        w.bytes(std::span<const std::uint8_t>(content).subspan(at, std::min<std::size_t>(250, content.size() - at)));
        EXPECT_TRUE(send(0x98000000, d).empty());
    }
    Bytes end{0, 0, 0, 0, handle};
    kvr::ByteWriter(end).be32(Kvrdata_ns::CalcCRC32(content));
    a = send(0x99000001, end);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(kvr::readBE32(a[0].frame.payload(), 0), 0u);
    EXPECT_EQ(model.file("boot.bin"), content);

    a = send(0x99000000, fileHeader('r', 0, "boot.bin"));
    ASSERT_EQ(a.size(), 1u + 3 + 1);
    EXPECT_EQ(kvr::readBE32(a[0].frame.payload(), 6), 600u);
    const std::uint8_t readHandle = a[0].frame.data[4];
    EXPECT_EQ(a[3].frame.len, 105u);
    EXPECT_EQ(kvr::readBE32(a[3].frame.payload(), 0), 500u);
    EXPECT_EQ(a[4].frame.id, 0x99000001u);
    EXPECT_EQ(a[4].frame.data[4], readHandle);
    EXPECT_EQ(kvr::readBE32(a[4].frame.payload(), 5), Kvrdata_ns::CalcCRC32(content));
}

TEST_F(Model, FileFaults)
{
    auto a = send(0x99000000, fileHeader('r', 0, "missing"));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_NE(kvr::readBE32(a[0].frame.payload(), 0), 0u);
    EXPECT_EQ(a[0].frame.data[10], 9) << "the error text's length";

    a = send(0x99000000, fileHeader('w', 0x7FFFFFFF, "huge"));
    EXPECT_NE(kvr::readBE32(a[0].frame.payload(), 0), 0u) << "a size past the limit is refused up front";

    a = send(0x99000000, fileHeader('w', 3, "x"));
    const std::uint8_t handle = a[0].frame.data[4];
    send(0x98000000, {0, 0, 0, 0, handle, 1, 2, 3});
    a = send(0x99000001, {0, 0, 0, 0, handle, 0, 0, 0, 0});
    EXPECT_NE(kvr::readBE32(a[0].frame.payload(), 0), 0u) << "a wrong CRC is refused";
    EXPECT_FALSE(model.file("x"));
    EXPECT_TRUE(send(0x98000000, {0, 0, 0, 9, handle, 1}).empty()) << "data of a closed transfer are ignored";

    FaultKnobs knobs;
    knobs.corruptCrc = true;
    knobs.flashBurn = true;
    model.setKnobs(knobs);
    model.setFile("f", Bytes{1, 2, 3});
    a = send(0x99000000, fileHeader('r', 0, "f"));
    EXPECT_NE(kvr::readBE32(a.back().frame.payload(), 5), Kvrdata_ns::CalcCRC32(Bytes{1, 2, 3}));

    a = send(0x99000000, fileHeader('w', 1, "g"));
    const std::uint8_t h2 = a[0].frame.data[4];
    send(0x98000000, {0, 0, 0, 0, h2, 42});
    Bytes end{0, 0, 0, 0, h2};
    kvr::ByteWriter(end).be32(Kvrdata_ns::CalcCRC32(Bytes{42}));
    a = send(0x99000001, end);
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(kvr::readBE32(a[0].frame.payload(), 0), 0x82010001u);
    EXPECT_EQ(kvr::readBE32(a[1].frame.payload(), 0), 0u);
    EXPECT_GT(a[1].delayMs, 0);
}

TEST_F(Model, KnobsDropDelayDuplicateAndCut)
{
    FaultKnobs knobs;
    knobs.dropEvery = 3;
    knobs.duplicateEvery = 2;
    knobs.delayMs = 10;
    knobs.lateEvery = 5;
    knobs.lateMs = 1000;
    knobs.cutAfter = 6;
    model.setKnobs(knobs);
    std::vector<std::size_t> counts;
    std::vector<int> delays;
    for (int i = 0; i < 6; ++i) {
        const auto a = send(0x112E0000);
        counts.push_back(a.size());
        delays.push_back(a.empty() ? -1 : a[0].delayMs);
        EXPECT_EQ(model.shouldCut(), i == 5);
    }
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 2, 0, 2, 1, 0}));
    EXPECT_EQ(delays, (std::vector<int>{10, 10, -1, 10, 1010, -1}));
}

TEST_F(Model, KnobsCorruptAnswers)
{
    const Bytes image = data(send(0x1A000001)[0].frame);
    struct Case {
        const char* what;
        FaultKnobs knobs;
        std::uint32_t id;
        Bytes payload;
    };
    FaultKnobs badId, badLength, flipped;
    badId.wrongIdEvery = 1;
    badLength.wrongLengthEvery = 1;
    flipped.flipDataEvery = 1;
    Bytes longer = image;
    longer.push_back(0);
    Bytes inverted = image;
    for (auto& b : inverted)
        b = static_cast<std::uint8_t>(~b);
    const Case cases[] = {
        {"another block's ID", badId, 0x1A000000, image},
        {"one byte longer", badLength, 0x1A000001, longer},
        {"data inverted", flipped, 0x1A000001, inverted},
    };
    for (const Case& c : cases) {
        model.setKnobs(c.knobs);
        const auto a = send(0x1A000001);
        ASSERT_EQ(a.size(), 1u) << c.what;
        EXPECT_EQ(a[0].frame.id, c.id) << c.what;
        EXPECT_EQ(data(a[0].frame), c.payload) << c.what;
    }
}

TEST_F(Model, OlderFirmwareAnswersOnlyTheModuleRequest)
{
    FaultKnobs knobs;
    knobs.olderFirmware = true;
    model.setKnobs(knobs);
    EXPECT_TRUE(send(0x112E0000).empty());
    const auto a = send(0x06000000);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].frame.len, 8);
    EXPECT_EQ(kvr::readBE32(a[0].frame.payload(), 4), 0x05140000u);
}

TEST_F(Model, BroadcastsAndReportsOnTheWire)
{
    const Bytes status = model.statusDatagram();
    ASSERT_EQ(status.size(), 36u);
    EXPECT_EQ(kvr::readBE16(status, 30), 1u) << "one module entry, so device lists show the frame";
    EXPECT_EQ(kvr::readBE32(status, 0), 0x06061999u);
    EXPECT_EQ(kvr::readBE32(status, 4), 0x00ABCDu);
    EXPECT_EQ(kvr::readBE32(status, 8), 5u);
    EXPECT_EQ(kvr::readBE32(status, 12), 0x41424344u);
    EXPECT_EQ(kvr::readBE32(status, 16), 1234u);
    EXPECT_EQ(std::string(status.begin() + 20, status.begin() + 26), "Studio");

    EXPECT_EQ(model.globalLogicDatagram(0x0102, true),
              (Bytes{0x20, 0x08, 0x19, 0x96, 'A', 'B', 'C', 'D', 3, 0, 0x11, 0x50, 0, 0, 1, 2, 1}));
    const DeviceFrame error = model.errorReport(7, 0x1234, 5);
    EXPECT_EQ(error.id, 0x0F100007u);
    EXPECT_EQ(data(error), (Bytes{0, 0, 0x12, 0x34, 0, 0, 0, 5}));
}

} // namespace

namespace {

TEST_F(Model, NewerGenerationDeviceRecordDecodes)
{
    for (const bool overTcp : {false, true}) {
        Bytes datagram = model.deviceRecordDatagram();
        if (overTcp) {
            const auto a = send(0x9A000004);
            ASSERT_EQ(a.size(), 1u);
            EXPECT_EQ(a[0].frame.id, 0x9A000004u);
            datagram = data(a[0].frame);
        }
        Kvrdata_ns::TUDPMsgV6 msg;
        msg.GetData()->GetStream()->Write(datagram.data(), static_cast<int>(datagram.size()));
        Kvrdata_ns::TBCDevice* device = msg.GetDevice();
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->MAC, 0x00ABCDu);
        EXPECT_EQ(device->DID, 5);
        EXPECT_EQ(device->PID, 0x41424344u);
        EXPECT_EQ(device->TS, 1234u);
        EXPECT_EQ(std::string(device->DeviceName.AsString().c_str()), "Studio");
        EXPECT_EQ(device->FirmwareVersion, 0x05140000u);
    }
}

} // namespace

namespace {

TEST(ModelStamp, BroadcastsCarryTheStampOfTheImageTheDeviceRuns)
{
    const DeviceIdentity identity{0x00ABCD, 0x05140000, 0x41424344, 5, "Studio", 1234};
    Bytes image = DeviceModel::defaultImage(identity);
    kvr::writeBE32(image, 62, 98765);
    DeviceModel model(identity, image);
    EXPECT_EQ(kvr::readBE32(model.statusDatagram(), 16), 98765u);
    Kvrdata_ns::TUDPMsgV6 msg;
    const Bytes datagram = model.deviceRecordDatagram();
    msg.GetData()->GetStream()->Write(datagram.data(), static_cast<int>(datagram.size()));
    ASSERT_NE(msg.GetDevice(), nullptr);
    EXPECT_EQ(msg.GetDevice()->TS, 98765u);
}

} // namespace
