// The device list: new and known devices, the change test, the module count and expiry.

#include <gtest/gtest.h>

#include "service/maintenance/devicelist.h"
#include "service/statusmsg.h"

namespace {

using namespace kvr::service;
using servicetest::Module;
using servicetest::Status;
using servicetest::StatusMsg;

const std::vector<Module> ThreeModules = {{1001, 2, 0}, {1002, 3, 0}, {1003, 4, 0}};

TEST(DeviceList, NewDeviceTakesItsAddressAndModules)
{
    DeviceList list;
    Status s;
    s.Modules = ThreeModules;
    const auto changes = list.Take({StatusMsg(s)}, 700);
    ASSERT_EQ(changes.Added.size(), 1u);
    EXPECT_TRUE(changes.Changed.empty());
    const TDeviceInfo_cza& d = *list.Entries().at(0);
    EXPECT_EQ(d.CK, Kvrdata_ns::dckBroadcast);
    EXPECT_EQ(d.MAC, 0x1234u);
    EXPECT_EQ(d.IP, 0x7F000002u);
    EXPECT_EQ(d.DID, 1u);
    EXPECT_EQ(Kvrdata_ns::PIDToStr(d.PID), "ABCD");
    EXPECT_EQ(d.LastSeen, 700u);
    EXPECT_EQ(d.ModuleCount(), 3u);
    EXPECT_EQ(d.Status.Entries[2], (Kvrdata_ns::TUDPStatusEntry{1003, 4, 0}));
}

TEST(DeviceList, KnownDeviceIsRebuiltOnlyWhenItsBroadcastChanged)
{
    DeviceList list;
    Status s;
    s.Modules = ThreeModules;
    list.Take({StatusMsg(s)}, 100);
    TDeviceInfo_cza* d = list.Entries().at(0).get();

    // Sender address and name are refreshed without a rebuild.
    Status moved = s;
    moved.IP = 0x7F000009;
    moved.Name = "RENAMED";
    auto changes = list.Take({StatusMsg(moved)}, 200);
    EXPECT_TRUE(changes.Added.empty());
    EXPECT_TRUE(changes.Changed.empty());
    EXPECT_EQ(d->IP, 0x7F000009u);
    EXPECT_EQ(d->Status.Name, "RENAMED");
    EXPECT_EQ(d->LastSeen, 200u);

    Status fewer = moved;
    fewer.Modules.pop_back();
    changes = list.Take({StatusMsg(fewer)}, 300);
    ASSERT_EQ(changes.Changed.size(), 1u);
    EXPECT_EQ(changes.Changed[0], d);
    EXPECT_EQ(d->ModuleCount(), 2u);
    EXPECT_EQ(list.Entries().size(), 1u);
}

TEST(DeviceList, OneSerialTwiceInAPassIsOneDevice)
{
    DeviceList list;
    Status a;
    Status b = a;
    b.IP = 0x7F000003;
    const auto changes = list.Take({StatusMsg(a), StatusMsg(b)}, 10);
    EXPECT_EQ(changes.Added.size(), 1u);
    EXPECT_TRUE(changes.Changed.empty());
    EXPECT_EQ(list.Entries().size(), 1u);
}

TEST(DeviceList, ModuleCountAbove32GivesThe32EntriesARecordHolds)
{
    DeviceList list;
    Status s;
    for (std::uint16_t i = 0; i < 33; ++i)
        s.Modules.push_back({static_cast<std::uint16_t>(100 + i), 3, static_cast<std::uint8_t>(i)});
    s.Count = 40;
    list.Take({StatusMsg(s)}, 10);
    ASSERT_EQ(list.Entries().at(0)->ModuleCount(), 32u);
    EXPECT_EQ(list.Entries()[0]->Status.Entries[31].Value, 131);
}

TEST(DeviceList, OtherMessagesAreSkipped)
{
    DeviceList list;
    Kvrdata_ns::TUDPMsg logic = Kvrdata_ns::MakeGlobalLogicMsg(0x41424344, 3, true);
    EXPECT_TRUE(list.Take({logic}, 10).Added.empty());
    EXPECT_TRUE(list.Entries().empty());
}

TEST(DeviceList, SilentDeviceGoesAfter5000MsAlsoNearStartAndAcrossTheWrap)
{
    struct Case {
        std::uint32_t seen;
        std::uint32_t now;
        bool gone;
    } const cases[] = {
        {1000, 6000, false},              // exactly 5000 ms
        {1000, 6001, true},
        {100, 300, false},                // the tick still below 5000
        {0, 4999, false},
        {0xFFFFF000u, 0x00000100u, false}, // 4352 ms across the wrap
        {0xFFFFF000u, 0x00000400u, true},  // 5120 ms across the wrap
    };
    for (const Case& c : cases) {
        DeviceList list;
        list.Take({StatusMsg(Status{})}, c.seen);
        const auto gone = list.Expire(c.now);
        EXPECT_EQ(gone.size(), c.gone ? 1u : 0u) << c.seen << " -> " << c.now;
        EXPECT_EQ(list.Entries().size(), c.gone ? 0u : 1u);
    }
}

TEST(DeviceList, ChangedDeviceDoesNotExpireAtOnce)
{
    // The stored record is replaced by the new broadcast; the last-seen tick is not in it.
    DeviceList list;
    Status s;
    s.Modules = ThreeModules;
    list.Take({StatusMsg(s)}, 100000);
    s.Modules.pop_back();
    ASSERT_EQ(list.Take({StatusMsg(s)}, 104000).Changed.size(), 1u);
    EXPECT_TRUE(list.Expire(104500).empty());
    EXPECT_TRUE(list.Expire(109000).empty());
    EXPECT_EQ(list.Expire(109001).size(), 1u);
}

TEST(DeviceList, ChangeTestLooksAtTheDeviceFieldsWithinTheLength)
{
    const Kvrdata_ns::TUDPMsg base = StatusMsg(Status{});
    auto variant = [&](auto change) {
        Kvrdata_ns::TUDPMsg m = base;
        change(m);
        return StatusRecordChanged(base, m);
    };
    EXPECT_FALSE(variant([](auto&) {}));
    EXPECT_FALSE(variant([](auto& m) { m.Address = 1; })) << "the sender is no device field";
    EXPECT_FALSE(variant([](auto& m) { m.Payload[100] = 7; })) << "past both lengths";
    EXPECT_TRUE(variant([](auto& m) { m.Payload[4] ^= 1; }));
    EXPECT_TRUE(variant([](auto& m) { m.Payload[16] = 9; })) << "configuration stamp";
    EXPECT_TRUE(variant([](auto& m) { m.Length += 4; }));
}

} // namespace
