// Deletes, inserts and moves of positional sources through the record accessors, with the
// reference adaptation behind their call points.
#include <gtest/gtest.h>

#include "model/adaptation.h"
#include "model/adaptationhooks.h"
#include "model/faderaccess.h"
#include "model/gpoaccess.h"
#include "model/keyaccess.h"
#include "model/logicaccess.h"
#include "model/outputfunctions.h"
#include "model/recordhooks.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::model {
namespace {

using namespace test;

class Cascades : public ::testing::Test {
protected:
    Cascades()
        : savedHooks(Hooks())
        , savedAdaptation(Adaptation())
    {
        InstallAdaptation();
        Hooks().DeleteCleanFeed = DeleteCleanFeedOfChannel;
    }
    ~Cascades() override
    {
        Hooks() = savedHooks;
        Adaptation() = savedAdaptation;
    }

    // GPO words 0.. hold the given references; the rest keep the default.
    void RouteGPOs(std::initializer_list<std::uint16_t> refs)
    {
        int id = 0;
        for (const auto r : refs)
            SetGPORouting(dev, id++, r);
    }
    std::vector<std::uint16_t> GPOs(int count)
    {
        std::vector<std::uint16_t> out;
        for (int id = 0; id < count; ++id)
            out.push_back(GetGPORouting(dev, id));
        return out;
    }
    // Talk sources of the header and the monitor words hold audio references.
    void PutAudioRefs(std::initializer_list<std::uint16_t> refs)
    {
        Bytes monitor(24, 0);
        std::size_t at = 0;
        for (const auto r : refs)
            PutWord(monitor, 2 * at++, r);
        dev.SetData(stMonitorBus, monitor);
    }
    std::vector<std::uint16_t> AudioRefs(int count)
    {
        const auto monitor = dev.GetData(stMonitorBus);
        std::vector<std::uint16_t> out;
        for (int i = 0; i < count; ++i)
            out.push_back(readBE16(monitor, 2 * static_cast<std::size_t>(i)));
        return out;
    }

    RecordingHost host;
    RecordHooks savedHooks;
    AdaptationHooks savedAdaptation;
    TDevice dev;
};

using Words16 = std::vector<std::uint16_t>;

TEST_F(Cascades, DeletingALogicFunction)
{
    dev.SetData(stLogicFkt, Concat({LogicRec("A", {}), LogicRec("B", {}), LogicRec("C", {}), LogicRec("D", {}),
                                    LogicRec("E", {0xC000 | 934, 0x8000 | 935})}));
    RouteGPOs({0xC000 | 934, 0x4000 | 935, 933, 1080});
    DeleteLogicFunction(dev, 3);
    EXPECT_EQ((Words16{0, 0x4000 | 934, 933, 1080}), GPOs(4));
    TLogicFunction e;
    ASSERT_EQ(1, GetLogicFunction(dev, 3, e));
    EXPECT_EQ(1, e.SourceCount());
    EXPECT_EQ(0x8000 | 934, e.Source[0]);
}

TEST_F(Cascades, MovingALogicFunctionKeepsTheConditions)
{
    dev.SetData(stLogicFkt, Concat({LogicRec("A", {}), LogicRec("B", {}), LogicRec("C", {0x4000 | 931, 932})}));
    RouteGPOs({0xC000 | 931, 0x4000 | 932, 0x8000 | 933, 934});
    MoveLogicFunction(dev, 0, 2);
    EXPECT_EQ((Words16{0xC000 | 933, 0x4000 | 931, 0x8000 | 932, 934}), GPOs(4));
    TLogicFunction c;
    ASSERT_EQ(1, GetLogicFunction(dev, 1, c));
    EXPECT_EQ("C", std::string(c.Label.data()));
    EXPECT_EQ(0x4000 | 933, c.Source[0]);
    EXPECT_EQ(931, c.Source[1]);
}

TEST_F(Cascades, DeletingALevelDetectAndALogicDelay)
{
    dev.SetData(stLevelDetect, LevelBlock({{"a", 0}, {"b", 0}, {"c", 0}, {"d", 0}}));
    dev.SetData(stLogicDelay, Concat({DelayRec("x"), DelayRec("y"), DelayRec("z")}));
    RouteGPOs({1403, 1368, 1404, 1369, 1402, 1382, 1383});
    DeleteLevelDetect(dev, 2);
    DeleteLogicDelay(dev, 1);
    EXPECT_EQ((Words16{0, 0, 1403, 1368, 1402, 0, 1382}), GPOs(7));
}

TEST_F(Cascades, DeletingFaderChannel149ClearsItsLogics)
{
    dev.SetData(stFCH, Concat({FaderRec(1, "one"), FaderRec(149, "last")}));
    RouteGPOs({481 + 149, 631 + 149, 781 + 149, 481 + 1});
    DeleteFaderChannel(dev, 149);
    EXPECT_EQ((Words16{0, 0, 0, 482}), GPOs(4));
}

TEST_F(Cascades, DeletingACleanFeedChannelShiftsTheLaterCleanFeeds)
{
    Bytes four = FaderRec(4, "four");
    four[18] = 0x10;
    Bytes nine = FaderRec(9, "nine");
    nine[18] = 0x10;
    dev.SetData(stFCH, Concat({four, nine}));
    Bytes first = BusRec("CF four", true);
    first[19] = 4;
    Bytes second = BusRec("CF nine", true);
    second[19] = 9;
    dev.SetData(stCleanFeed, Concat({first, second}));
    SetHeaderBytes(dev, {{dh::CleanFeedCount, 2}, {dh::FaderChannelCount, 2}});
    RouteGPOs({1416, 0x4000 | 1417, 1447, 1507});
    PutAudioRefs({17408, 0x2000 | 17411, 17410});
    DeleteFaderChannel(dev, 4);
    EXPECT_EQ((Words16{0, 0x4000 | 1416, 1446, 1506}), GPOs(4));
    EXPECT_EQ((Words16{0, 0x2000 | 17409, 17408}), AudioRefs(3));
    EXPECT_EQ(32u, dev.GetData(stCleanFeed).size());
}

TEST_F(Cascades, EmptyingAKeyOfALogicKeyModuleClearsItsSource)
{
    dev.SetSetupData(100, ModuleRec(10, 2, {KeyRec(5, "Talk", 4)}));
    RouteGPOs({0xC000 | (1 + 64 + 5), 1 + 64 + 6});
    SetKeyFunction(dev, 5, TKeyRecord{5}, 1, 100);
    EXPECT_EQ((Words16{0, 1 + 64 + 6}), GPOs(2));
}

TEST_F(Cascades, DeletingAnOutputFunction)
{
    SetHeaderBytes(dev, {{dh::OutFktCount, 4}});
    dev.SetData(stOutFkt, Concat({OutFktRec("a", {}), OutFktRec("b", {}), OutFktRec("c", {}), OutFktRec("d", {})}));
    PutAudioRefs({17154, 17155, 17152, 17153});
    DeleteOutputFunction(dev, 2);
    EXPECT_EQ((Words16{0, 17154, 17152, 17153}), AudioRefs(4));
}

TEST_F(Cascades, DeletingAProgramBusShiftsBusesAndMasters)
{
    SetHeaderBytes(dev, {{dh::ProgramBusCount, 3}, {dh::AuxBusCount, 1}});
    dev.SetData(stBus, Concat({BusRec("p0", true), BusRec("p1", true), BusRec("p2", true), BusRec("x0", true)}));
    PutAudioRefs({16388, 0x2000 | 16389, 16390, 18177, 18178, 16512, 18176});
    DeleteProgramBus(dev, 1);
    EXPECT_EQ((Words16{0, 0, 16388, 0, 18177, 16512, 18176}), AudioRefs(7));
}

TEST_F(Cascades, DeletingASOF)
{
    dev.SetData(stSOF, Concat({Bytes{20, 6}, SOFRec("a", {}), SOFRec("b", {}), SOFRec("c", {})}));
    PutAudioRefs({17664, 17665, 17666});
    ASSERT_EQ(1, DeleteSOF(dev, 0));
    EXPECT_EQ((Words16{0, 17664, 17665}), AudioRefs(3));
}

TEST_F(Cascades, WritingABusAsMonoMakesItsReferencesMono)
{
    SetHeaderBytes(dev, {{dh::ProgramBusCount, 1}});
    dev.SetData(stBus, BusRec("p0", true));
    PutAudioRefs({0x2000 | 16386, 16387, 16388});
    TBusRecord bus;
    ASSERT_EQ(1, GetBus(dev, 0, bus));
    bus.Flags = 0;
    SetBus(dev, 0, bus);
    EXPECT_EQ((Words16{16386, 16386, 16388}), AudioRefs(3));
}

} // namespace
} // namespace kvr::model
