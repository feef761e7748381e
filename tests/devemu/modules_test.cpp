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

namespace {

TEST(Modules, FirmwareRecordsAndBurnReports)
{
    DeviceModel model(DeviceIdentity{});
    model.setModules(Three());
    FaultKnobs knobs;
    knobs.burnFailModules = {1002};
    knobs.burnSilentModules = {1003};
    knobs.burnStranger = 77;
    model.setKnobs(knobs);
    auto a = model.handle(makeDeviceFrame(0x19600005, std::vector<std::uint8_t>{1, 2, 3}));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].frame.id, 0x19600005u);
    EXPECT_EQ(a[0].frame.len, 0);
    EXPECT_EQ(model.firmwareRecords().size(), 1u);

    a = model.handle(makeDeviceFrame(0x19FFFFFC, {}));
    ASSERT_EQ(a.size(), 3u) << "the stranger, then the listed modules that report";
    EXPECT_EQ(a[0].frame.id, 0x0F10004Du);
    EXPECT_EQ(a[1].frame.id, 0x0F1003E9u);
    EXPECT_EQ(a[1].frame.data[1], 0x01);
    EXPECT_EQ(a[2].frame.id, 0x0F1003EAu);
    EXPECT_EQ(a[2].frame.data[1], 0x00) << "the failing module";
    EXPECT_GT(a[2].delayMs, 0);
}

} // namespace

namespace {

TEST(Modules, CardKnobParsesAndPutsTheCardIntoItsSlot)
{
    CardSpec card;
    ASSERT_TRUE(parseCardSpec("1003:3:0x48:987:2:5", card));
    EXPECT_EQ(card, (CardSpec{1003, 3, 0x48, 987, 2, 5}));
    ASSERT_TRUE(parseCardSpec("1003:0:50:12345:1", card));
    EXPECT_EQ(card, (CardSpec{1003, 0, 50, 12345, 1, 0})) << "FA is optional";
    for (const char* bad : {"", "1003:3:72:987", "1003:10:72:987:1", "1003:3:256:987:1", "1003:3:72:987:1:5:6",
                                   "1003:3:72:x:1", "1003:3:72:987:1:70000", "1003::72:987:1"}) {
        card = {};
        EXPECT_FALSE(parseCardSpec(bad, card)) << bad;
    }

    DeviceModel model(DeviceIdentity{});
    model.setModules(Three());
    model.setCard({1003, 3, 72, 987, 2, 5});
    model.setCard({1003, 0, 0xFF, 0, 0, 0}); // empties the default card
    const auto read = [&](std::uint8_t slot) {
        const auto a = model.handle(makeDeviceFrame(0x011003EB, std::vector<std::uint8_t>{static_cast<std::uint8_t>(slot * 16), 0}));
        if (a.size() != 1)
            return Bytes{};
        const auto p = a[0].frame.payload();
        return Bytes(p.begin(), p.end());
    };
    EXPECT_EQ(read(3), (Bytes{72, 2, 0, 5, 0, 0, 0x03, 0xDB}));
    EXPECT_EQ(model.cardInfoPage(1003, 3)[23], 23 % 7) << "correction values";
    EXPECT_EQ(model.cardInfoPage(1003, 0)[23], 0) << "none in an emptied slot";
    EXPECT_EQ(read(0)[0], 0xFF);
    EXPECT_EQ(read(5)[0], 0) << "the other slots stay empty";
}

TEST(Modules, StatusImageIsCutIntoPages)
{
    Bytes image(17);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i + 1);
    const auto pages = statusPagesFromImage(image);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[1], (Bytes{9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(pages[2], (Bytes{17, 0, 0, 0, 0, 0, 0, 0})) << "the last one padded";
    EXPECT_TRUE(statusPagesFromImage({}).empty());
    EXPECT_EQ(statusPagesFromImage(Bytes(4000, 1)).size(), 255u);

    DeviceModel model(DeviceIdentity{});
    model.setModules(Three());
    model.setStatusPages(1001, pages);
    const auto a = model.handle(makeDeviceFrame(0x050003E9, {}));
    ASSERT_EQ(a.size(), 4u) << "the three pages and the end page";
    EXPECT_EQ(a[2].frame.id, 0x050203E9u);
    EXPECT_EQ(Bytes(a[2].frame.payload().begin(), a[2].frame.payload().end()), pages[2]);
    EXPECT_EQ(a[3].frame.id, 0x05FF03E9u);
}

} // namespace
