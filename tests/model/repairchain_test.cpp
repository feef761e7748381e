#include <gtest/gtest.h>

#include "model/keyfunctions.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/repairchain.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::model {
namespace {

using namespace test;

class RepairPasses : public ::testing::Test {
protected:
    // Runs a pass a second time one second later: an idempotent pass writes nothing, so the
    // change stamp stays.
    template <typename Pass>
    void ExpectIdempotent(Pass pass)
    {
        const auto before = dev.GetAllData();
        host.now += 1;
        pass(dev);
        EXPECT_EQ(before, dev.GetAllData());
    }

    RecordingHost host;
    TDevice dev;
};

TEST_F(RepairPasses, FaderChannelTimersRunOncePerImage)
{
    Bytes seven = FaderRec(7, "ch7");
    Bytes set = FaderRec(8, "ch8");
    PutWord(set, 26, 1000);
    dev.SetData(stFCH, Concat({seven, set, FaderRec(149, "last")}));
    EXPECT_EQ(2, FixFaderChannelTimers(dev));
    const auto fch = dev.GetData(stFCH);
    EXPECT_EQ(488, readBE16(fch, 26));
    EXPECT_EQ(1000, readBE16(fch, 28 + 26));
    EXPECT_EQ(481 + 149, readBE16(fch, 56 + 26));
    EXPECT_EQ(1, dev.Header()[dh::RepairMarks] & 1);
    // The mark keeps a later timer 0 as it is.
    dev.SetData(stFCH, seven);
    EXPECT_EQ(0, FixFaderChannelTimers(dev));
    EXPECT_EQ(0, readBE16(dev.GetData(stFCH), 26));
}

TEST_F(RepairPasses, TimerMarkIsWrittenWithoutAStampOrAFitting)
{
    dev.SetChangedFlag(false);
    const std::uint32_t stamp = dev.GetChangeTime();
    host.now += 100;
    EXPECT_EQ(0, FixFaderChannelTimers(dev));
    EXPECT_EQ(1, dev.Header()[dh::RepairMarks] & 1);
    EXPECT_FALSE(dev.IsChanged());
    EXPECT_EQ(stamp, dev.GetChangeTime());
}

TEST_F(RepairPasses, PotiAssignKeepsOnlyInputs2And6)
{
    dev.SetData(stPotiAssign, Bytes{1, 0, 3, 2, 2, 0, 3, 3, 3, 0, 4, 6, 9});
    FixPotiAssign(dev);
    EXPECT_EQ((Bytes{1, 0, 3, 2, 3, 0, 4, 6}), dev.GetData(stPotiAssign));
    ExpectIdempotent(FixPotiAssign);
}

TEST_F(RepairPasses, AnalogCardsLoseTheirChannelOption)
{
    Bytes analog = CardRec(222, {{"a", 0x0100}, {"b", 0x0101}});
    analog[4 + 18] = 5;
    analog[4 + 24 + 18] = 7;
    Bytes digital = CardRec(111, {{"d", 0x0200}});
    digital[4 + 18] = 5;
    dev.SetSetupData(0, analog);
    dev.SetSetupData(1, digital);
    FixAnalogCardOptions(dev);
    EXPECT_EQ(0, dev.GetSetupData(0)[4 + 18]);
    EXPECT_EQ(0, dev.GetSetupData(0)[4 + 24 + 18]);
    EXPECT_EQ(5, dev.GetSetupData(1)[4 + 18]);
    ExpectIdempotent(FixAnalogCardOptions);
}

TEST_F(RepairPasses, DSPCardsWithoutChannelsLoseTheirCount)
{
    // Sub-type 0 with count 5 and flag bits above the 9-bit count; sub-type 2 carries channels.
    Bytes noChannels = {0x03, 0x50, 0x05, 0x82, 0, 0, 0, 0};
    Bytes madi = {0x03, 0x50, 0x05, 0x00, 0, 2, 0, 0};
    dev.SetSetupData(9, noChannels);
    dev.SetSetupData(19, madi);
    FixDSPCardChannelCount(dev);
    EXPECT_EQ((Bytes{0x03, 0x50, 0x00, 0x82, 0, 0, 0, 0}), dev.GetSetupData(9));
    EXPECT_EQ(madi, dev.GetSetupData(19));
    ExpectIdempotent(FixDSPCardChannelCount);
}

TEST_F(RepairPasses, FaderChannelLabelsAreBuiltOrWidened)
{
    dev.SetData(stFCH, Concat({FaderRec(149, "Last"), FaderRec(3, "Mic")}));
    EXPECT_EQ(1, FixFaderChannelLabels(dev));
    Bytes expected = {0, 18, 3, 'M', 'i', 'c'};
    expected.resize(2 + 18, 0);
    expected.insert(expected.end(), {149, 'L', 'a', 's', 't'});
    expected.resize(2 + 36, 0);
    EXPECT_EQ(expected, dev.GetData(stFCHLabels));
    EXPECT_EQ(0, FixFaderChannelLabels(dev));

    dev.SetData(stFCHLabels, Bytes{0, 4, 7, 'a', 'b', 'c', 9, 'x', 'y', 'z'});
    EXPECT_EQ(1, FixFaderChannelLabels(dev));
    expected = {0, 18, 7, 'a', 'b', 'c'};
    expected.resize(2 + 18, 0);
    expected.insert(expected.end(), {9, 'x', 'y', 'z'});
    expected.resize(2 + 36, 0);
    EXPECT_EQ(expected, dev.GetData(stFCHLabels));

    // A record size of 0 cannot be read and is left alone.
    dev.SetData(stFCHLabels, Bytes{0, 0, 1, 2, 3});
    EXPECT_EQ(0, FixFaderChannelLabels(dev));
    EXPECT_EQ((Bytes{0, 0, 1, 2, 3}), dev.GetData(stFCHLabels));
}

TEST_F(RepairPasses, StereoFaderChannelsTakeTheEvenSource)
{
    Bytes direct = FaderRec(2, "d", 0x4903);
    direct[18] = 0x20;
    Bytes pooled = FaderRec(5, "p", 0x4905);
    pooled[18] = 0x20;
    PutWord(pooled, 24, 0x0107);
    Bytes mono = FaderRec(6, "m", 0x0103);
    Bytes last = FaderRec(149, "l", 0x0109);
    last[18] = 0x20;
    dev.SetData(stFCH, Concat({direct, pooled, mono, last}));
    FixFaderChannelSources(dev);
    const auto fch = dev.GetData(stFCH);
    EXPECT_EQ(0x4902, readBE16(fch, 4));
    EXPECT_EQ(0x4905, readBE16(fch, 28 + 4));
    EXPECT_EQ(0x0106, readBE16(fch, 28 + 24));
    EXPECT_EQ(0x0103, readBE16(fch, 56 + 4));
    EXPECT_EQ(0x0108, readBE16(fch, 84 + 4));
    ExpectIdempotent(FixFaderChannelSources);
}

TEST_F(RepairPasses, ReservedKeyFunctionsAreWrittenOnce)
{
    dev.SetSetupData(97, ModuleRec(29, 0, {KeyRec(45, "other", 3), KeyRec(2, "keep", 3)}));
    FixReservedKeyFunctions(dev);
    const struct {
        std::uint8_t table;
        int type, key;
        std::vector<std::pair<std::size_t, std::uint8_t>> fixed;
    } expected[] = {{99, 23, 16, {{36, 1}, {37, 2}}}, {96, 28, 8, {{36, 1}, {37, 2}, {38, 3}, {39, 4}}}, {97, 29, 45, {{36, 20}}}};
    for (const auto& e : expected) {
        const auto entry = dev.GetSetupData(e.table);
        EXPECT_EQ(e.type, ModuleType(entry));
        const auto record = FindKeyRecord(entry, e.key);
        ASSERT_TRUE(record) << int(e.table);
        EXPECT_EQ(0, std::memcmp(record->data() + 1, "DONOTDELETE", 12));
        for (const auto& [at, v] : e.fixed)
            EXPECT_EQ(v, (*record)[at]);
    }
    EXPECT_TRUE(FindKeyRecord(dev.GetSetupData(97), 2));
    ExpectIdempotent(FixReservedKeyFunctions);
}

TEST_F(RepairPasses, PoolNamesKeepSevenCharacters)
{
    Bytes names(22, 0);
    names[0] = 0;
    PutText(names, 1, "123456789");
    names[11] = 1;
    PutText(names, 12, "Short");
    dev.SetData(stPoolNames, names);
    dev.SetData(stOldPoolNames, Bytes{1, 2, 3});
    FixPoolNames(dev);
    EXPECT_TRUE(dev.GetData(stOldPoolNames).empty());
    Bytes expected = names;
    expected[8] = expected[9] = 0;
    EXPECT_EQ(expected, dev.GetData(stPoolNames));
    ExpectIdempotent(FixPoolNames);
}

TEST_F(RepairPasses, FixedProcessingBlockTakesTheSizeOfItsProcessings)
{
    SetHeaderBytes(dev, {{dh::FixedProcCount, 1}});
    dev.SetData(stProc, Concat({ProcRec("p", 0x4800, true), Bytes{1, 2, 3}}));
    CheckFixedProcessings(dev);
    EXPECT_EQ(ProcRec("p", 0x4800, true), dev.GetData(stProc));
    ExpectIdempotent(CheckFixedProcessings);
}

TEST_F(RepairPasses, DummyDeviceOnlyGetsTheTimerMark)
{
    Bytes seven = FaderRec(7, "ch7");
    dev.SetData(stFCH, seven);
    dev.SetData(stPotiAssign, Bytes{1, 0, 3, 3});
    SetHeaderBytes(dev, {{dh::DummyDevModel, 4}});
    RunRepairPasses(dev);
    CheckLoadedImage(dev);
    EXPECT_EQ(seven, dev.GetData(stFCH));
    EXPECT_EQ((Bytes{1, 0, 3, 3}), dev.GetData(stPotiAssign));
    EXPECT_EQ(1, dev.Header()[dh::RepairMarks] & 1);
}

TEST_F(RepairPasses, TheWholeChainIsIdempotent)
{
    SetHeaderBytes(dev, {{dh::FixedProcCount, 1}, {dh::CleanFeedCount, 0}});
    Bytes cf = FaderRec(4, "cf");
    cf[18] = 0x10;
    dev.SetData(stFCH, Concat({cf, FaderRec(149, "last")}));
    dev.SetData(stPotiAssign, Bytes{1, 0, 3, 3});
    dev.SetData(stProc, Concat({ProcRec("p", 0x4800, true), Bytes{1}}));
    dev.SetData(stOldLevelDetect, Bytes(16, 1));
    dev.SetData(stSOF, Bytes{16, 6});
    RunRepairPasses(dev);
    CheckLoadedImage(dev);
    EXPECT_TRUE(dev.GetData(stSOF).empty());
    EXPECT_TRUE(dev.GetData(stOldLevelDetect).empty());
    EXPECT_FALSE(dev.GetData(stLevelDetect).empty());
    EXPECT_EQ(32u, dev.GetData(stCleanFeed).size());
    ExpectIdempotent([](TDevice& d) {
        RunRepairPasses(d);
        CheckLoadedImage(d);
    });
}

TEST(GlobalLogicSources, TheFirstDeviceKeepsAGlobalLogic)
{
    RecordingHost host;
    TProject project;
    project.AddDevice();
    project.AddDevice();
    project.AddDevice();
    SetGLSource(*project.Device(0), 5, 931);
    SetGLSource(*project.Device(1), 5, 932);
    SetGLSource(*project.Device(1), 6, 933);
    SetGLSource(*project.Device(2), 6, 934);
    SetGLSource(*project.Device(2), 5, 935);
    FixGLSources(project);
    EXPECT_EQ(931, GetGLSource(*project.Device(0), 5));
    EXPECT_EQ(0, GetGLSource(*project.Device(1), 5));
    EXPECT_EQ(933, GetGLSource(*project.Device(1), 6));
    EXPECT_EQ(0, GetGLSource(*project.Device(2), 6));
    EXPECT_EQ(0, GetGLSource(*project.Device(2), 5));
}

} // namespace
} // namespace kvr::model
