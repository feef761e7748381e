#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/adaptation.h"
#include "model/adaptationhooks.h"
#include "model/modelhost.h"
#include "model/recordhooks.h"
#include "model/sourceids.h"
#include "recordinghost.h"
#include "sourceplaces.h"

namespace kvr::model {
namespace {

using namespace test;

bool IsBareKeyWord(const std::string& place) { return place.rfind("key", 0) == 0 || place == "shared97"; }

class Adaptation : public ::testing::Test {
protected:
    Adaptation() { SetHeaderBytes(dev, {{dh::CleanFeedCount, 1}, {dh::ProgramBusCount, 1}}); }
    ~Adaptation() override { TraceCallback = nullptr; }

    RecordingHost host;
    TDevice dev;
};

struct LogicCase {
    const char* what;
    int a, b, mode;
    std::uint16_t before, after;
    std::uint16_t afterInLogicFkt; // the parking keeps the condition there
};

TEST_F(Adaptation, LogicReferencesInEveryPlace)
{
    const LogicCase cases[] = {
        {"deleted function cleared", 934, 0, amDelete, 0xC000 | 934, 0, 0},
        {"later function moves down", 934, 0, amDelete, 0x4000 | 935, 0x4000 | 934, 0x4000 | 934},
        {"earlier function stays", 934, 0, amDelete, 0x8000 | 933, 0x8000 | 933, 0x8000 | 933},
        {"last function ID stays", 934, 0, amDelete, 1080, 1080, 1080},
        {"other category stays", 934, 0, amDelete, 1381, 1381, 1381},
        {"insert moves up", 1381, 0, amInsert, 1381, 1382, 1382},
        {"insert moves 1399 up", 1381, 0, amInsert, 0xC000 | 1399, 0xC000 | 1400, 0xC000 | 1400},
        {"insert keeps the last delay", 1381, 0, amInsert, 1400, 1400, 1400},
        {"GPI deleted", 390, 0, amDelete, 390, 0, 0},
        {"GPI not renumbered", 390, 0, amDelete, 391, 391, 391},
        {"fader start deleted", 485, 0, amDelete, 0xC000 | 485, 0, 0},
        {"fader start not renumbered", 485, 0, amDelete, 486, 486, 486},
        {"swap a to b", 931, 1000, amSwap, 0x8000 | 931, 0x8000 | 1000, 0x8000 | 1000},
        {"swap b to a", 931, 1000, amSwap, 1000, 931, 931},
        {"swap never renumbers", 931, 935, amDelete, 936, 936, 936},
        {"swap in delete mode", 931, 935, amDelete, 0xC000 | 935, 0xC000 | 931, 0xC000 | 931},
        {"parking drops the condition", 1416, 0, amRemoveForMove, 0x4000 | 1416, 0x0EEE, 0x4EEE},
        {"parking closes the gap", 1416, 0, amRemoveForMove, 0x4000 | 1417, 0x4000 | 1416, 0x4000 | 1416},
        {"OFF never renumbered", 931, 0, amInsert, 0x3FFF, 0x3FFF, 0x3FFF},
        {"placeholder never renumbered", 931, 0, amInsert, 0x0EEE, 0x0EEE, 0x0EEE},
        {"placeholder to new place", MovePlaceholderID, 933, amSwap, 0x0EEE, 933, 933},
        {"mode 0 without b", 931, 0, amSwap, 931, 931, 931},
        {"rotary select delete", 1536, 0, amDelete, 1537, 1536, 1536},
        {"level detect delete", 1403, 0, amDelete, 1404, 1403, 1403},
    };
    for (const auto& c : cases) {
        TDevice d;
        FillLogicPlaces(d, c.before);
        AdaptLogicReferences(d, c.a, c.b, c.mode);
        for (const auto& [place, value] : ReadLogicPlaces(d)) {
            std::uint16_t expected = place == "lf0.Source0" ? c.afterInLogicFkt : c.after;
            if (IsBareKeyWord(place))
                expected &= 0x3FFF;
            EXPECT_EQ(expected, value) << c.what << " at " << place;
        }
    }
}

TEST_F(Adaptation, DummyDeviceAndTraceLines)
{
    std::vector<std::string> lines;
    TraceCallback = [&](std::string line) { lines.push_back(std::move(line)); };
    FillLogicPlaces(dev, 0xC000 | 934);
    const auto before = dev.GetAllData();
    SetHeaderBytes(dev, {{dh::DummyDevModel, 3}});
    AdaptLogicReferences(dev, 934, 0, amDelete);
    EXPECT_TRUE(lines.empty());
    SetHeaderBytes(dev, {{dh::DummyDevModel, 0}});

    AdaptLogicReferences(dev, 934, 0, amDelete);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("TDevice::AdaptLogics:Bus.Logic1 1 = 0xc3a6  CLEARED", lines[0]);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "TDevice::AdaptLogics:LogicFkt.Source[j] 0 = 0xc3a6  REMOVED"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "TDevice::AdaptLogics:FCH.LampSource 149 = 0xc3a6  CLEARED"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "TDevice::AdaptLogics:TmpCheck 30 = 0xc3a6  CLEARED"), lines.end());

    lines.clear();
    FillLogicPlaces(dev, 0x8000 | 935);
    AdaptLogicReferences(dev, 934, 0, amDelete);
    EXPECT_EQ("TDevice::AdaptLogics:Bus.Logic1 1 = 0x83a7  DECREASED", lines[0]);
    lines.clear();
    AdaptLogicReferences(dev, 934, 931, amSwap);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "TDevice::AdaptLogics:LogicFkt.Source[j] 0 = 0x83a6  SWAPPED1"),
              lines.end());
    lines.clear();
    AdaptLogicReferences(dev, 935, 931, amSwap);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "TDevice::AdaptLogics:LogicFkt.Source[j] 0 = 0x83a3  SWAPPED2"),
              lines.end());
}

TEST_F(Adaptation, DeletingFromALogicFunctionListRemovesEveryCopy)
{
    dev.SetData(stLogicFkt, Concat({LogicRec("A", {0xC000 | 934, 0x4000 | 934, 0x8000 | 935, 931}), LogicRec("B", {})}));
    AdaptLogicReferences(dev, 934, 0, amDelete);
    EXPECT_EQ(Concat({LogicRec("A", {0x8000 | 934, 931}), LogicRec("B", {})}), dev.GetData(stLogicFkt));
}

struct AudioCase {
    const char* what;
    int a, b;
    std::uint16_t before, after;
};

TEST_F(Adaptation, AudioReferencesInEveryPlace)
{
    const AudioCase cases[] = {
        {"deleted output function cleared", 17154, 0, 17154, 0},
        {"later output function moves down", 17154, 0, 0x8000 | 17155, 0x8000 | 17154},
        {"earlier output function stays", 17154, 0, 17153, 17153},
        {"program bus pair cleared", 16386, 0, 0x2000 | 16387, 0},
        {"program bus left with phase reverse cleared", 16386, 0, 0x8000 | 16386, 0},
        {"next program bus moves down", 16386, 0, 16388, 16386},
        {"next program bus right moves down", 16386, 0, 0x2000 | 16389, 0x2000 | 16387},
        {"last program bus ID stays", 16386, 0, 16511, 16511},
        {"AUX bus after deleted one", 16512, 0, 16516, 16514},
        {"clean feed after deleted one", 17410, 0, 17413, 17411},
        {"fixed processing after deleted one", 18432, 0, 18434, 18432},
        {"card channel pair cleared", 0x0103, 0, 0x0102, 0},
        {"card channel stereo cleared", 0x0103, 0, 0x2103, 0},
        {"card channel not renumbered", 0x0103, 0, 0x0104, 0x0104},
        {"SOF cleared", 17664, 0, 17664, 0},
        {"later SOF moves down", 17664, 0, 17666, 17665},
        {"later program master moves down", 18176, 0, 18178, 18177},
        {"MIDI cleared, not renumbered", 17920, 0, 17921, 17921},
        {"output function swap loses stereo", 17152, 17160, 0x2000 | 17160, 17152},
        {"output function swap", 17152, 17160, 17152, 17160},
        {"bus swap gains stereo", 16386, 16390, 16390, 0x2000 | 16386},
        {"bus swap takes b as given", 16386, 16390, 0x8000 | 16386, 16390},
    };
    for (const auto& c : cases) {
        TDevice d;
        FillAudioPlaces(d, c.before);
        AdaptAudioSources(d, c.a, c.b);
        for (const auto& [place, value] : ReadAudioPlaces(d))
            EXPECT_EQ(c.after, value) << c.what << " at " << place;
    }
}

TEST_F(Adaptation, StereoAdaptationInEveryPlace)
{
    const AudioCase cases[] = {
        {"left", 0x2103, 0, 0x0102, 0x2102},
        {"right", 0x2103, 0, 0x0103, 0x2102},
        {"stereo", 0x2103, 0, 0x2102, 0x2102},
        {"phase reverse dropped", 0x2103, 0, 0x8103, 0x2102},
        {"other pair", 0x2103, 0, 0x0104, 0x0104},
        {"back to mono", 0x0102, 0, 0x2103, 0x0102},
        {"bus to mono", 16386, 0, 0x2000 | 16387, 16386},
    };
    for (const auto& c : cases) {
        TDevice d;
        FillAudioPlaces(d, c.before);
        AdaptStereoSources(d, c.a);
        for (const auto& [place, value] : ReadAudioPlaces(d))
            EXPECT_EQ(c.after, value) << c.what << " at " << place;
    }
}

TEST_F(Adaptation, StereoAdaptationSetsTheFaderChannelsStereoFlag)
{
    Bytes channel = FaderRec(7, "ch", 0x0103);
    dev.SetData(stFCH, channel);
    AdaptStereoSources(dev, 0x2103);
    EXPECT_EQ(0x2102, readBE16(dev.GetData(stFCH), 4));
    EXPECT_EQ(0x20, dev.GetData(stFCH)[18]);
    EXPECT_TRUE(dev.FAudioSourcesChanged);
    AdaptStereoSources(dev, 0x0102);
    EXPECT_EQ(0x0102, readBE16(dev.GetData(stFCH), 4));
    EXPECT_EQ(0x00, dev.GetData(stFCH)[18]);
}

TEST_F(Adaptation, StereoCardOutputsChangeTheKeyingOfTheirRouting)
{
    // Output pair of slot 0, channels 0/1: two mono entries become the stereo keying.
    dev.SetData(stOutputRouting, Concat({Words({0x0180, 0x4002}), Bytes{3, 0}, Words({0x0181, 0x4003}), Bytes{0, 0},
                                         Words({0x0190, 0x0102}), Bytes{0, 0}}));
    AdaptStereoSources(dev, 0x2181);
    EXPECT_EQ(Concat({Words({0x0190, 0x0102}), Bytes{0, 0}, Words({0x2180, 0x4002}), Bytes{3, 0},
                      Words({0x2181, 0x4002}), Bytes{3, 0}}),
              dev.GetData(stOutputRouting));
    AdaptStereoSources(dev, 0x0180);
    EXPECT_EQ(Concat({Words({0x0190, 0x0102}), Bytes{0, 0}, Words({0x0180, 0x4002}), Bytes{3, 0},
                      Words({0x0181, 0x4002}), Bytes{3, 0}}),
              dev.GetData(stOutputRouting));
}

TEST_F(Adaptation, DummyDeviceKeepsItsAudioReferences)
{
    FillAudioPlaces(dev, 17154);
    SetHeaderBytes(dev, {{dh::DummyDevModel, 3}});
    const auto before = dev.GetAllData();
    AdaptAudioSources(dev, 17154, 0);
    AdaptStereoSources(dev, 17154);
    EXPECT_EQ(before, dev.GetAllData());
}

} // namespace
} // namespace kvr::model
