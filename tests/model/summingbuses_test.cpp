#include <gtest/gtest.h>

#include <cstring>

#include "adaptrecorder.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/recordhooks.h"
#include "model/summingbuses.h"
#include "recordinghost.h"

namespace kvr::model {
namespace {

std::string Label(const std::array<char, 16>& label) { return std::string(label.data(), strnlen(label.data(), 16)); }

// A fader-channel record (28 bytes) with the number, short name and flag byte.
std::vector<std::uint8_t> Channel(int number, const char* name, std::uint8_t flags)
{
    std::vector<std::uint8_t> record(28, 0);
    std::memcpy(record.data(), name, std::min<std::size_t>(std::strlen(name), 4));
    record[18] = flags;
    record[20] = static_cast<std::uint8_t>(number);
    return record;
}

class BusRecords : public ::testing::Test {
protected:
    void SetCount(std::size_t offset, std::uint8_t value)
    {
        auto header = dev.GetHeader();
        header[offset] = value;
        dev.SetHeader(header, false);
    }

    test::RecordingHost host;
    test::AdaptRecorder adapt;
    TDevice dev; // two program buses
};

TEST_F(BusRecords, ProgramBusGoesBeforeTheAuxBuses)
{
    AddAuxBus(dev);
    AddProgramBus(dev);
    EXPECT_EQ(dev.Header()[dh::ProgramBusCount], 3);
    EXPECT_EQ(dev.Header()[dh::AuxBusCount], 1);
    TBusRecord bus;
    ASSERT_EQ(GetBus(dev, 2, bus), 1);
    EXPECT_EQ(Label(bus.Label), "Program Bus 3");
    EXPECT_EQ(bus.Flags, 0x80);
    EXPECT_EQ(bus.LimiterThreshold, 39);
    EXPECT_EQ(bus.LimiterRelease, 6);
    ASSERT_EQ(GetBus(dev, 3, bus), 1);
    EXPECT_EQ(Label(bus.Label), "AUX Bus 1");
    EXPECT_EQ(GetBus(dev, 4, bus), 0);
}

TEST_F(BusRecords, FortyEightProgramBusesAtMost)
{
    for (int i = 0; i < 50; ++i)
        AddProgramBus(dev);
    EXPECT_EQ(dev.Header()[dh::ProgramBusCount], 48);
    EXPECT_EQ(dev.GetData(stBus).size(), 48u * 32);
    AddAuxBus(dev);
    EXPECT_EQ(dev.Header()[dh::AuxBusCount], 1);
}

TEST_F(BusRecords, SetBusKeepsLengthAndAdaptsMonoBuses)
{
    AddAuxBus(dev);
    TBusRecord bus;
    bus.SourceList = 9;
    GetBus(dev, 2, bus);
    EXPECT_EQ(bus.SourceList, 9); // the getter leaves it as it was
    bus.Flags = 0x40;
    bus.Logic1 = 0xC3E8;
    SetBus(dev, 2, bus);
    const auto payload = dev.GetData(stBus);
    ASSERT_EQ(payload.size(), 96u);
    EXPECT_EQ(payload[64 + 16], 0x40);
    EXPECT_EQ(payload[64 + 20], 9);
    EXPECT_EQ(readBE16(payload, 64 + 24), 0xC3E8);
    EXPECT_EQ(adapt.calls, std::vector<std::string>{"stereo 16512"});
    SetBus(dev, 0, bus);
    EXPECT_EQ(adapt.calls.back(), "stereo 16386");
    SetBus(dev, 3, bus);
    EXPECT_EQ(dev.GetData(stBus).size(), 96u);
}

TEST_F(BusRecords, MissingBusStructureResetsTheCounts)
{
    dev.SetData(stBus, {});
    TBusRecord bus;
    EXPECT_EQ(GetBus(dev, 0, bus), 0);
    EXPECT_EQ(dev.Header()[dh::ProgramBusCount], 0);
    EXPECT_EQ(dev.Header()[dh::AuxBusCount], 0);
}

TEST_F(BusRecords, DeleteProgramBusRenumbersEveryGroup)
{
    AddProgramBus(dev);
    AddProgramBus(dev); // buses 0-3
    AddAuxBus(dev);
    // Groups name buses by number + 1: bus 3, bus 2, none, bus 4 (with fader channels).
    dev.SetData(stGroupLogic, std::vector<std::uint8_t>{3, 5, 2, 6, 0, 0, 4, 7});
    DeleteProgramBus(dev, 1);
    EXPECT_EQ(dev.GetData(stGroupLogic), (std::vector<std::uint8_t>{2, 5, 0, 6, 0, 0, 3, 7}));
    EXPECT_EQ(dev.Header()[dh::ProgramBusCount], 3);
    EXPECT_EQ(adapt.calls, (std::vector<std::string>{"audio 16388 0", "audio 18177 0"}));
    TBusRecord bus;
    GetBus(dev, 3, bus);
    EXPECT_EQ(Label(bus.Label), "AUX Bus 1");

    DeleteAuxBus(dev, 0);
    EXPECT_EQ(dev.Header()[dh::AuxBusCount], 0);
    EXPECT_EQ(adapt.calls.back(), "audio 18240 0");
    DeleteProgramBus(dev, 3);
    EXPECT_EQ(dev.Header()[dh::ProgramBusCount], 3);
}

TEST_F(BusRecords, CleanFeedsTakeTheFaderChannelName)
{
    dev.SetData(stFCH, Channel(4, "Mic", 0x10));
    EXPECT_EQ(AddCleanFeed(dev, 4), 1);
    TBusRecord cf;
    ASSERT_EQ(GetCleanFeed(dev, 0, cf), 1);
    EXPECT_EQ(Label(cf.Label), "CF Mic");
    EXPECT_EQ(cf.FaderChannel, 4);
    EXPECT_EQ(dev.Header()[dh::CleanFeedCount], 1);
    EXPECT_EQ(GetCleanFeed(dev, 1, cf), 0);
}

TEST_F(BusRecords, ThirtyFirstCleanFeedIsRefused)
{
    for (int i = 1; i <= 30; ++i)
        ASSERT_EQ(AddCleanFeed(dev, i), 1);
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(AddCleanFeed(dev, 31), 0);
    EXPECT_EQ(host.Texts(), std::vector<std::string>{"Too many Clean Feed channels!"});
    EXPECT_EQ(dev.Header()[dh::CleanFeedCount], 30);
    EXPECT_EQ(dev.GetData(stCleanFeed).size(), 30u * 32);
}

TEST_F(BusRecords, DeleteCleanFeedAdaptsItsSources)
{
    AddCleanFeed(dev, 4);
    AddCleanFeed(dev, 9);
    DeleteCleanFeed(dev, 9); // through the record hooks, as a fader-channel delete does
    EXPECT_EQ(dev.Header()[dh::CleanFeedCount], 1);
    EXPECT_EQ(adapt.calls, (std::vector<std::string>{"audio 17410 0", "logic 1417 0 1", "logic 1447 0 1",
                                                     "logic 1477 0 1", "logic 1507 0 1"}));
    adapt.calls.clear();
    DeleteCleanFeedOfChannel(dev, 9);
    EXPECT_TRUE(adapt.calls.empty());
    TBusRecord cf;
    ASSERT_EQ(GetCleanFeed(dev, 0, cf), 1);
    EXPECT_EQ(cf.FaderChannel, 4);
}

TEST_F(BusRecords, SetCleanFeedStoresAtItsIndex)
{
    AddCleanFeed(dev, 4);
    TBusRecord cf;
    GetCleanFeed(dev, 0, cf);
    cf.Flags = 0x20;
    cf.SourceList = 3;
    SetCleanFeed(dev, 0, cf);
    TBusRecord back;
    GetCleanFeed(dev, 0, back);
    EXPECT_EQ(back.Flags, 0x20);
    EXPECT_EQ(back.SourceList, 3);
    EXPECT_EQ(adapt.calls, std::vector<std::string>{"stereo 17408"});
}

TEST_F(BusRecords, FixCleanFeedRebuildsFromTheChannelFlags)
{
    std::vector<std::uint8_t> channels;
    for (const auto& c : {Channel(9, "B", 0x10), Channel(2, "X", 0), Channel(149, "Last", 0x10), Channel(4, "A", 0x10)})
        channels.insert(channels.end(), c.begin(), c.end());
    dev.SetData(stFCH, channels);
    AddCleanFeed(dev, 4);
    FixCleanFeed(dev);
    ASSERT_EQ(host.shown.size(), 2u);
    EXPECT_EQ(host.shown[0].text,
              "Error: CX4AppForm->FixCleanFeed: Cordex4 found an error in the Clean Feed data. There are 3 channels "
              "which had set to be Clean Feed channels but data structure size does not match.\n\nThis will be fixed "
              "now.\nAll Clean Feeds will have default values.!");
    EXPECT_EQ(host.shown[1].text, "The error in the project file was fixed.");
    EXPECT_EQ(dev.Header()[dh::CleanFeedCount], 3);
    const int expected[] = {4, 9, 149};
    for (int c = 0; c < 3; ++c) {
        TBusRecord cf;
        ASSERT_EQ(GetCleanFeed(dev, c, cf), 1);
        EXPECT_EQ(cf.FaderChannel, expected[c]);
    }
    // Agreement: nothing to do.
    FixCleanFeed(dev);
    EXPECT_EQ(host.shown.size(), 2u);
}

TEST_F(BusRecords, ChannelOptionsMatchUnderTheMaskWhenSet)
{
    SetChannelOption(dev, {0x0105, 0x0302, 0x03, 0});
    SetChannelOption(dev, {0x0106, 0x0303, 0x00, 0});
    SetChannelOption(dev, {0x2105, 0x0304, 0x01, 0});
    auto payload = dev.GetData(stOutputRouting);
    EXPECT_EQ(payload, (std::vector<std::uint8_t>{0x01, 0x06, 0x03, 0x03, 0, 0, 0x21, 0x05, 0x03, 0x04, 0x01, 0}));
    TChannelOption entry{0x0105, 9, 9, 9};
    GetChannelOption(dev, entry);
    EXPECT_EQ(entry.Source, 0);
    EXPECT_EQ(entry.MuteLogics, 0);
    entry.OutputID = 0x2105;
    GetChannelOption(dev, entry);
    EXPECT_EQ(entry.Source, 0x0304);
    // No source and no keep bit removes; the keep bit keeps an empty entry.
    SetChannelOption(dev, {0x0106, 0, 0x1F, 0});
    SetChannelOption(dev, {0x0107, 0, 0x02, kKeepChannelOption});
    payload = dev.GetData(stOutputRouting);
    EXPECT_EQ(payload, (std::vector<std::uint8_t>{0x21, 0x05, 0x03, 0x04, 0x01, 0, 0x01, 0x07, 0, 0, 0x02, 0}));
    TChannelOption byIndex;
    ASSERT_EQ(GetChannelOptionByIndex(dev, 1, byIndex), 1);
    EXPECT_EQ(byIndex.OutputID, 0x0107);
    EXPECT_EQ(GetChannelOptionByIndex(dev, 2, byIndex), 0);
    SetChannelOptionByIndex(dev, 1, {0x0108, 0x0401, 0x04, 0x08});
    payload = dev.GetData(stOutputRouting);
    EXPECT_EQ(std::vector<std::uint8_t>(payload.begin() + 6, payload.end()),
              (std::vector<std::uint8_t>{0x01, 0x08, 0x04, 0x01, 0x04, 0x08}));
}

TEST_F(BusRecords, MonitorBusSources)
{
    EXPECT_EQ(GetMonitorBusSource(dev, 0), 0x6002);
    EXPECT_EQ(GetMonitorBusSource(dev, 11), 0x6003);
    SetMonitorBusSource(dev, 11, 0x4002);
    EXPECT_EQ(GetMonitorBusSource(dev, 11), 0x4002);
    EXPECT_EQ(GetMonitorBusSource(dev, 12), 0);
    // A short structure reads 0 beyond its end and is completed when written.
    dev.SetData(stMonitorBus, std::vector<std::uint8_t>{0x12, 0x34, 0x56});
    EXPECT_EQ(GetMonitorBusSource(dev, 0), 0x1234);
    EXPECT_EQ(GetMonitorBusSource(dev, 1), 0);
    SetMonitorBusSource(dev, 5, 0x0102);
    EXPECT_EQ(dev.GetData(stMonitorBus).size(), 24u);
    EXPECT_EQ(GetMonitorBusSource(dev, 0), 0x1234);
    dev.SetData(stMonitorBus, {});
    EXPECT_EQ(GetMonitorBusSource(dev, 0), 0);
}

TEST_F(BusRecords, CapacitiesOfTheDSPCards)
{
    const auto card = [](std::uint8_t variant) { return std::vector<std::uint8_t>{0x03, 0x50, 0, 0, 0, variant, 0, 0}; };
    dev.SetSetupData(9, card(0));
    dev.SetSetupData(19, card(3));
    dev.SetSetupData(29, card(4));
    CalcBusLimit(dev);
    EXPECT_EQ(dev.Header()[dh::BusCapacity], 42);
    EXPECT_EQ(GetSOFLimit(dev), 16);
    // The 10-slot frame does not see slots 19 and 29.
    SetCount(dh::FrameType, 0);
    CalcBusLimit(dev);
    EXPECT_EQ(dev.Header()[dh::BusCapacity], 16);
    EXPECT_EQ(GetSOFLimit(dev), 6);
}

} // namespace
} // namespace kvr::model
