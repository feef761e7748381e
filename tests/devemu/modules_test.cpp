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
