#include "imagebuilder.h"
#include "model/device.h"
#include "recordinghost.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kvr;
using namespace kvr::model;
using namespace kvr::model::test;

namespace {

const std::string TooLarge = "Error: Device->CheckSize: Configuration is too large! Unable to apply changes!!";

class DeviceTest : public ::testing::Test {
protected:
    RecordingHost host;
};

// The first entry of area B, as stored.
std::uint8_t firstStructType(TDevice& device)
{
    const Bytes image = device.GetAllData();
    return image[200 + readBE16(image, 54)];
}

TEST_F(DeviceTest, FreshDeviceHasTheDefaultEntriesAndStartsUnchanged)
{
    host.now = 1234567;
    TDevice device;
    const Bytes image = device.GetAllData();

    EXPECT_EQ(0, std::memcmp(image.data(), "MPJ2", 4));
    EXPECT_EQ(ProgramVersion, readBE64(image, 4));
    EXPECT_EQ("New Device", device.GetName());
    EXPECT_EQ("New Device", device.GetChipCardID());
    EXPECT_EQ(1, device.GetFrameType());
    EXPECT_EQ(18, image[73]);
    EXPECT_EQ(21, image[77]);
    EXPECT_EQ(0x10, image[96]);
    EXPECT_EQ(2, image[71]);
    EXPECT_FALSE(device.IsChanged());
    EXPECT_EQ(1234567u, device.GetChangeTime()); // the defaults were stamped

    // Slot 9 DSP card (12), pool names (15), monitor buses (28), two program buses (68), and the
    // DSP assignment (132) that the fitting of the first header write stored.
    EXPECT_EQ(200u + 12 + 15 + 28 + 68 + 132, image.size());
    EXPECT_EQ(image.size(), readBE16(image, 58));
    EXPECT_EQ((Bytes{0x03, 0x50, 0, 0xFE, 0, 0, 0, 0}), device.GetSetupData(9));
    const Bytes buses = device.GetData(stBus);
    ASSERT_EQ(64u, buses.size());
    EXPECT_EQ("Program Bus 2", std::string(reinterpret_cast<const char*>(buses.data() + 32)));
    EXPECT_EQ(0x80, buses[48]);
    EXPECT_EQ(39, buses[49]);
    EXPECT_EQ(6, buses[50]);
    const Bytes monitor = device.GetData(stMonitorBus);
    ASSERT_EQ(24u, monitor.size());
    EXPECT_EQ(0x6002, readBE16(monitor, 20));
    EXPECT_EQ(0x6003, readBE16(monitor, 22));
    EXPECT_EQ((Bytes{0, 'P', 'o', 'o', 'l', ' ', '1', 0, 0, 0, 0}), device.GetData(stPoolNames));
    EXPECT_EQ(stPoolNames, firstStructType(device));
    EXPECT_EQ("", CheckDeviceImage(image));
}

TEST_F(DeviceTest, SettingAStructureMovesItToTheFrontAndKeepsOneEntry)
{
    TDevice device;
    device.SetData(3, Bytes{1, 2, 3});
    device.SetData(4, Bytes{4});
    EXPECT_EQ(4, firstStructType(device));
    device.SetData(3, Bytes{9, 9});
    EXPECT_EQ(3, firstStructType(device));
    EXPECT_EQ((Bytes{9, 9}), device.GetData(3));
    EXPECT_EQ((Bytes{4}), device.GetData(4));
    const Bytes image = device.GetAllData();
    EXPECT_EQ(6, image[60]); // 24, 18, 15, 19 and the two new ones
    EXPECT_EQ("", CheckDeviceImage(image));
}

TEST_F(DeviceTest, SizeZeroDeletesEveryEntryOfTheType)
{
    // Two entries of one type can only come from a loaded image.
    TDevice device;
    ASSERT_TRUE(device.SetAllData(makeImage({}, {{3, {1}}, {8, {2, 2}}, {3, {5, 5, 5}}})));
    const int loadedCount = device.GetAllData()[60]; // with what the load repairs added
    EXPECT_EQ((Bytes{1}), device.GetData(3)); // the first one is read
    EXPECT_TRUE(device.SetData(3, {}));
    EXPECT_TRUE(device.GetData(3).empty());
    const Bytes image = device.GetAllData();
    EXPECT_EQ(loadedCount - 2, image[60]);
    EXPECT_EQ((Bytes{2, 2}), device.GetData(8));
    EXPECT_EQ("", CheckDeviceImage(image));

    device.SetSetupData(120, Bytes{7, 7});
    EXPECT_EQ(0, device.SetSetupData(120, {}));
    EXPECT_TRUE(device.GetSetupData(120).empty());
}

TEST_F(DeviceTest, InsertReachingTheSizeLimitIsRefusedWithTheMessage)
{
    TDevice device;
    const std::size_t used = device.GetAllData().size();
    // An entry that ends the image at 63999 bytes fits; one byte more reaches 64000.
    const std::size_t fits = TDevice::ImageSize - 1 - used - 4;
    const Bytes before = device.GetAllData();
    EXPECT_FALSE(device.SetData(40, Bytes(fits + 1, 0xAA)));
    EXPECT_EQ((std::vector<std::string>{TooLarge}), host.Texts());
    EXPECT_EQ(before, device.GetAllData());

    EXPECT_EQ(-1, device.SetSetupData(120, Bytes(fits + 1, 0xAA)));
    EXPECT_EQ(before, device.GetAllData());

    host.shown.clear();
    EXPECT_TRUE(device.SetData(40, Bytes(fits, 0xAA)));
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(TDevice::ImageSize - 1, device.GetAllData().size());
    EXPECT_EQ(0, device.CheckSize(1));
    // Replacing the big entry by a smaller one still works at the limit.
    EXPECT_TRUE(device.SetData(40, Bytes(fits - 10, 0xBB)));
}

TEST_F(DeviceTest, EntryCountsNeverWrapPastTheirHeaderByte)
{
    TDevice device;
    int type = 40;
    while (device.GetAllData()[60] < 255)
        ASSERT_TRUE(device.SetData(static_cast<std::uint8_t>(type++), Bytes{1}));
    const Bytes full = device.GetAllData();
    EXPECT_FALSE(device.SetData(static_cast<std::uint8_t>(type), Bytes{1}));
    EXPECT_EQ(full, device.GetAllData());
    EXPECT_TRUE(device.SetData(40, Bytes{2})); // replacing one still works
}

TEST_F(DeviceTest, StampsSkipTheDSPAssignmentAndOldPoolNames)
{
    struct Case {
        std::uint8_t type;
        bool stamped;
    };
    for (const Case c : {Case{stDSPAssign, false}, Case{stOldPoolNames, false}, Case{stScript, true}}) {
        SCOPED_TRACE(static_cast<int>(c.type));
        host.now = 1000;
        TDevice device;
        host.now = 2000;
        device.SetData(c.type, Bytes{1, 2});
        EXPECT_EQ(Bytes({1, 2}), device.GetData(c.type)); // the image changes either way
        EXPECT_EQ(c.stamped, device.IsChanged());
        EXPECT_EQ(c.stamped ? 2000u : 1000u, device.GetChangeTime());
    }
}

TEST_F(DeviceTest, DummyDeviceIsReadOnly)
{
    TDevice device;
    device.SetName("Studio");
    auto header = device.GetHeader();
    header[106] = 27;
    device.SetHeader(header, true);
    const Bytes before = device.GetAllData();

    EXPECT_EQ("Studio (KX730-027)", device.GetName());
    EXPECT_FALSE(device.SetData(3, Bytes{1}));
    EXPECT_EQ(-1, device.SetSetupData(120, Bytes{1}));
    device.SetName("Other");
    device.SetChipCardID("Other");
    EXPECT_FALSE(device.SetAllData(makeImage({}, {})));
    EXPECT_EQ(0, device.Save("/tmp/never-written.kvf"));
    EXPECT_EQ(0, device.Replace("/tmp/never-read.kvf"));
    EXPECT_EQ(before, device.GetAllData());
    EXPECT_TRUE(host.shown.empty());
}

TEST_F(DeviceTest, IOCardSlotsStoreTheLengthTheirRecordGives)
{
    TDevice device;
    // Card 222 with 4 channels and no GPIOs: 4 + 4 x 24 bytes, whatever the caller passes.
    EXPECT_EQ(100, device.SetSetupData(3, Bytes{0x00, 0xDE, 4, 0, 1, 2}));
    const Bytes stored = device.GetSetupData(3);
    ASSERT_EQ(100u, stored.size());
    EXPECT_EQ(2, stored[5]);
    EXPECT_EQ(0, stored[99]);
    // A GPIO card's byte 2 holds GPI pull-ups: its 16 GPIO entries give 4 + 16 x 16 bytes.
    Bytes gpio(260, 0);
    gpio[0] = 0x01;
    gpio[1] = 0x37;
    gpio[2] = 0x0F;
    gpio[3] = 16;
    gpio[259] = 'x';
    EXPECT_EQ(260, device.SetSetupData(4, gpio));
    EXPECT_EQ(gpio, device.GetSetupData(4));
    // Slots ending in 8 or 9 and module slots keep the caller's length.
    EXPECT_EQ(6, device.SetSetupData(8, Bytes{0x03, 0x50, 0, 0, 0, 0}));
    EXPECT_EQ(3, device.SetSetupData(100, Bytes{20, 0, 0}));
    EXPECT_EQ("", CheckDeviceImage(device.GetAllData()));
}

TEST_F(DeviceTest, ReadCacheFollowsEntriesThatMove)
{
    TDevice device;
    EXPECT_EQ(24u, device.GetData(stMonitorBus).size()); // cached
    // Area B moves up when a setup entry is inserted in front of it.
    device.SetSetupData(120, Bytes(50, 0x11));
    const Bytes monitor = device.GetData(stMonitorBus);
    ASSERT_EQ(24u, monitor.size());
    EXPECT_EQ(0x6002, readBE16(monitor, 0));
    device.SetData(stMonitorBus, Bytes{1, 2});
    EXPECT_EQ((Bytes{1, 2}), device.GetData(stMonitorBus));
}

TEST_F(DeviceTest, StaleHeaderCopyDoesNotOverwriteTheAreaSizes)
{
    TDevice device;
    const auto stale = device.GetHeader();
    device.SetData(3, Bytes(40, 1));
    device.SetSetupData(120, Bytes(10, 2));
    device.SetHeader(stale, false);
    const Bytes image = device.GetAllData();
    EXPECT_EQ("", CheckDeviceImage(image));
    EXPECT_EQ((Bytes(40, 1)), device.GetData(3));
    EXPECT_EQ((Bytes(10, 2)), device.GetSetupData(120));
    EXPECT_TRUE(device.IsChanged()); // a header write always marks the device
}

TEST_F(DeviceTest, NamesAreCutAndTheChipCardIdFollowsAMatchingName)
{
    TDevice device;
    const std::string long40(40, 'x');
    device.SetName(long40);
    const auto header = device.GetHeader();
    EXPECT_EQ(std::string(35, 'x'), device.GetName());
    EXPECT_EQ('x', header[50]);
    EXPECT_EQ(0, header[51]);
    EXPECT_EQ(std::string(10, 'x'), device.GetChipCardID()); // it followed "New Device"

    device.SetChipCardID("CARD-4711-LONG");
    EXPECT_EQ("CARD-4711-", device.GetChipCardID());
    device.SetName("Studio");
    EXPECT_EQ("CARD-4711-", device.GetChipCardID()); // no longer follows

    device.SetChipCardID("");
    device.SetName("Live");
    EXPECT_EQ("Live", device.GetChipCardID()); // an empty one follows
}

struct MalformedImage {
    const char* what;
    Bytes image;
};

std::vector<MalformedImage> malformedImages()
{
    std::vector<MalformedImage> cases;
    const Bytes good = makeImage({{9, {0x03, 0x50, 0, 0xFE, 0, 0, 0, 0}}}, {{3, {1, 2, 3}}, {4, {4}}});
    cases.push_back({"shorter than the header", Bytes(good.begin(), good.begin() + 199)});
    Bytes big = good;
    big.resize(64001);
    cases.push_back({"larger than 64000 bytes", big});
    Bytes frame = good;
    frame[52] = 2;
    cases.push_back({"unknown frame type", frame});
    Bytes truncated = good;
    truncated.pop_back();
    cases.push_back({"areas longer than the image", truncated});
    Bytes setupCount = good;
    setupCount[53] = 2;
    cases.push_back({"more setup entries than fit", setupCount});
    Bytes structCount = good;
    structCount[60] = 1;
    cases.push_back({"fewer structures than fill the area", structCount});
    Bytes overrun = good;
    writeBE16(overrun, 200 + 12 + 2, 200); // first structure's length runs past the area
    cases.push_back({"entry longer than its area", overrun});
    Bytes setupSize = good;
    writeBE16(setupSize, 54, 13);
    writeBE16(setupSize, 56, 11);
    cases.push_back({"setup size not on an entry boundary", setupSize});
    Bytes limit = makeImage({}, {{3, Bytes(64000 - 200 - 4, 0)}});
    cases.push_back({"image reaching 64000 bytes", limit});
    return cases;
}

TEST_F(DeviceTest, MalformedImagesAreRejectedAndTheDeviceIsUntouched)
{
    TDevice device;
    device.SetData(3, Bytes{5, 5});
    const Bytes before = device.GetAllData();
    for (const auto& c : malformedImages()) {
        SCOPED_TRACE(c.what);
        host.shown.clear();
        EXPECT_NE("", CheckDeviceImage(c.image));
        EXPECT_FALSE(device.SetAllData(c.image));
        ASSERT_EQ(1u, host.shown.size());
        EXPECT_EQ(0u, host.shown[0].text.rfind("Error: Device->SetAllData: The device image is damaged: ", 0));
        EXPECT_EQ(before, device.GetAllData());
    }
}

TEST_F(DeviceTest, SetAllDataTakesTheImageAndDropsBytesBehindIt)
{
    TDevice device;
    Bytes image = makeImage({{120, {1, 2}}}, {{3, {7}}});
    TDevice reference;
    ASSERT_TRUE(reference.SetAllData(image));
    image.insert(image.end(), 30, 0xEE); // trailing bytes the header does not count
    EXPECT_TRUE(device.SetAllData(image));
    const Bytes taken = device.GetAllData();
    EXPECT_EQ(reference.GetAllData(), taken);
    EXPECT_EQ((Bytes{1, 2}), device.GetSetupData(120));
    EXPECT_EQ((Bytes{7}), device.GetData(3));
    EXPECT_EQ("Studio", device.GetChipCardID()); // an empty chip card ID takes the name
    EXPECT_EQ(7u, device.GetDeviceID());
}

} // namespace
