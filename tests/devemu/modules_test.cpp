// The emulated device's module list: in its status broadcast, in module information and the
// scan of all modules, and the lines of the "last" command.

#include <gtest/gtest.h>

#include "devemu/devicemodel.h"
#include "kvrdata/byteorder.h"

namespace {

using namespace kvr::devemu;
using kvr::commserver::makeDeviceFrame;

std::vector<ModuleEntry> Three() { return {{1001, 2, 0}, {1002, 3, 1}, {1003, 4, 0}}; }

TEST(Modules, ListParsesAndRefusesBadText)
{
    std::vector<ModuleEntry> m;
    ASSERT_TRUE(parseModuleList("1001:2:0/0x3EA:3:1/1003:4:0", m));
    EXPECT_EQ(m, Three());
    std::string many;
    for (int i = 0; i < 33; ++i)
        many += (i ? "/" : "") + std::to_string(i) + ":3:0";
    for (const std::string& bad : std::vector<std::string>{"", "1:2", "1:2:3:4", "70000:1:0", "1:256:0", "a:1:0", "1:2:0/", many}) {
        m = Three();
        EXPECT_FALSE(parseModuleList(bad, m)) << bad;
        EXPECT_EQ(m, Three()) << "unchanged";
    }
}

TEST(Modules, StatusBroadcastListsThem)
{
    DeviceModel model(DeviceIdentity{});
    model.setModules(Three());
    const Bytes d = model.statusDatagram();
    ASSERT_EQ(d.size(), 32u + 3 * 4);
    EXPECT_EQ(kvr::readBE16(d, 30), 3);
    EXPECT_EQ(kvr::readBE16(d, 36), 1002);
    EXPECT_EQ(d[38], 3);
    EXPECT_EQ(d[39], 1);

    model.setModules({});
    EXPECT_EQ(kvr::readBE16(model.statusDatagram(), 30), 1) << "the made-up controller";
}

TEST(Modules, InformationAndScan)
{
    DeviceModel model(DeviceIdentity{});
    model.setModules(Three());
    FaultKnobs knobs;
    knobs.silentModules = {1003};
    model.setKnobs(knobs);

    auto a = model.handle(makeDeviceFrame(0x060003EA, {}));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].frame.id, 0x060003EAu);
    ASSERT_EQ(a[0].frame.len, 8);
    EXPECT_EQ(a[0].frame.data[0], 3);
    EXPECT_EQ(a[0].frame.data[1], 1);
    EXPECT_EQ(kvr::readBE32(a[0].frame.payload(), 4), DeviceIdentity{}.firmware);
    EXPECT_TRUE(model.handle(makeDeviceFrame(0x060003EB, {})).empty()) << "a silent module";

    a = model.handle(makeDeviceFrame(0x0600FFFF, {}));
    ASSERT_EQ(a.size(), 2u) << "one per module that answers";
    EXPECT_EQ(a[0].frame.id, 0x060003E9u);
    EXPECT_EQ(a[1].frame.id, 0x060003EAu);
}

TEST(Modules, LastReceived)
{
    DeviceModel model(DeviceIdentity{});
    model.handle(makeDeviceFrame(0x0103FFFF, {}));
    model.handle(makeDeviceFrame(0x01F203E9, std::vector<std::uint8_t>{1}));
    model.receiveDatagram({0x23, 0x01, 0x19, 0x68});
    EXPECT_EQ(lastReceived(model, 1),
              (std::vector<std::string>{"block 0x01F203E9 1 01", "datagram 23011968"}));
    EXPECT_EQ(lastReceived(model, 5).front(), "block 0x0103FFFF 0 -");
    EXPECT_TRUE(lastReceived(model, 0).empty());
}

} // namespace

namespace {

TEST(Modules, CardPagesOfACarrierReadAndWrite)
{
    DeviceModel model(DeviceIdentity{});
    model.setModules(Three());
    auto read = [&](std::uint8_t slot, std::uint8_t offset) {
        return model.handle(makeDeviceFrame(0x011003EB, std::vector<std::uint8_t>{static_cast<std::uint8_t>(slot * 16), offset}));
    };
    auto a = read(0, 0);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].frame.id, 0x011003EBu);
    EXPECT_EQ(a[0].frame.data[0], 0x32) << "a card in slot index 0";
    EXPECT_EQ(read(3, 0)[0].frame.data[0], 0) << "an empty slot";
    EXPECT_TRUE(model.handle(makeDeviceFrame(0x011003E9, std::vector<std::uint8_t>{0, 0})).empty()) << "no carrier";

    model.handle(makeDeviceFrame(0x012003EB, std::vector<std::uint8_t>{0x90, 0, 1, 0, 100}));
    EXPECT_EQ(read(9, 0)[0].frame.data[0], 100) << "the write changed slot index 9";

    // A listed module's status page ends with the end mark after its two tasks.
    const Bytes page = model.moduleStatusPage(Three()[2]);
    EXPECT_EQ(kvr::readBE32(page, 6), 8u);
    EXPECT_EQ(page.back(), 0xFF);
    EXPECT_EQ(page[41], 3) << "firmware 5.20.0.0 keeps the Ethernet overflow in byte 41, 5.20.9 moved it to 38";
}

} // namespace
