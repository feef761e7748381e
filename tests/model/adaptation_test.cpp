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
#include "sourcebuilder.h"

namespace kvr::model {
namespace {

using namespace test;

using Places = std::map<std::string, std::uint16_t>;

// Puts the same logic reference into every place that holds one, each time in a record that a
// walk with a fixed bound would miss (output function 41, fader channel 149, SOF 19, ...).
void FillLogicPlaces(TDevice& dev, std::uint16_t ref)
{
    dev.SetData(stCleanFeed, Concat({BusRec("cf0", true), BusRec("cf1", true, ref, ref)}));
    dev.SetData(stBus, Concat({BusRec("b0", true), BusRec("b1", true, ref, ref)}));
    Bytes outFkts;
    for (int i = 0; i < 41; ++i)
        outFkts = Concat({outFkts, OutFktRec("o", {})});
    dev.SetData(stOutFkt, Concat({outFkts, OutFktRec("last", {{0, 0, 0}, {ref, 0, 0}})}));
    Bytes gpo = Words({});
    for (int i = 0; i < 96; ++i)
        gpo = Concat({gpo, Words({static_cast<std::uint16_t>(i == 95 ? ref : 0xC000)})});
    Bytes card = {3};
    card = Concat({card, Words({0, 0, 0, 0, 0, 0, 0, ref})});
    dev.SetData(stGPORouting, Concat({gpo, card}));
    Bytes fch = FaderRec(1, "one");
    Bytes last = FaderRec(149, "last");
    for (const std::size_t at : {10, 12, 14, 22, 26})
        PutWord(last, at, ref);
    dev.SetData(stFCH, Concat({fch, last}));
    const std::uint16_t bare = ref & 0x3FFF;
    dev.SetSetupData(218, ModuleRec(10, 0, {KeyRec(48, "k", 4, bare, bare, bare)}));
    dev.SetSetupData(217, ModuleRec(13, 1, {KeyRec(26, "further", 2, bare)}));
    dev.SetSetupData(97, ModuleRec(29, 0, {KeyRec(3, "shared", 4, bare, 0, 0)}));
    Bytes delays;
    for (int i = 0; i < 25; ++i)
        delays = Concat({delays, DelayRec("d", i == 24 ? ref : 0)});
    dev.SetData(stLogicDelay, delays);
    dev.SetData(stScript, Concat({ScriptRec("s0", 0), ScriptRec("s1", ref)}));
    dev.SetData(stLogicFkt, Concat({LogicRec("A", {ref}), LogicRec("B", {}), LogicRec("C", {}), LogicRec("D", {}),
                                    LogicRec("E", {})}));
    dev.SetData(stGLAssign, Concat({Bytes{2, 0}, Bytes{4, 0}, Words({0}), Bytes{199, 0}, Words({ref})}));
    Bytes sofs = {20, 6};
    for (int i = 0; i < 19; ++i)
        sofs = Concat({sofs, SOFRec("sof", {{}, {{0, static_cast<std::uint16_t>(i == 18 ? ref : 0)}}})});
    dev.SetData(stSOF, sofs);
    Bytes groups(6 + 160, 0);
    groups[5] = 20;
    PutWord(groups, 0, ref);
    PutWord(groups, 2, ref);
    dev.SetData(stUserGroups, groups);
    auto header = dev.GetHeader();
    for (const std::size_t at : {98, 100, 102, 108})
        writeBE16(header, at, ref);
    dev.SetHeader(header, false);
}

Places ReadLogicPlaces(TDevice& dev)
{
    Places p;
    const auto word = [](const Bytes& b, std::size_t at) -> std::uint16_t {
        return at + 2 <= b.size() ? readBE16(b, at) : 0xDEAD;
    };
    const auto cf = dev.GetData(stCleanFeed);
    p["cf.Logic1"] = word(cf, 32 + 24);
    p["cf.Logic2"] = word(cf, 32 + 26);
    const auto bus = dev.GetData(stBus);
    p["bus.Logic1"] = word(bus, 32 + 24);
    p["bus.Logic2"] = word(bus, 32 + 26);
    p["outfkt41"] = word(dev.GetData(stOutFkt), 41 * 12 + 12 + 10);
    const auto gpo = dev.GetData(stGPORouting);
    p["gpo95"] = word(gpo, 190);
    p["gpoCard"] = word(gpo, 192 + 1 + 14);
    const auto fch = dev.GetData(stFCH);
    for (const auto& [name, at] : {std::pair{"fch149.Lamp", 10}, {"fch149.Ready", 12}, {"fch149.Mute", 14},
                                   {"fch149.Lamp2", 22}, {"fch149.Timer", 26}})
        p[name] = word(fch, 28 + at);
    const auto key = dev.GetSetupData(218);
    p["key.36"] = word(key, 6 + 36);
    p["key.38"] = word(key, 6 + 38);
    p["key.40"] = word(key, 6 + 40);
    p["key13.further"] = word(dev.GetSetupData(217), 6 + 36);
    p["shared97"] = word(dev.GetSetupData(97), 6 + 36);
    p["delay24"] = word(dev.GetData(stLogicDelay), 24 * 16 + 14);
    const auto scripts = dev.GetData(stScript);
    p["script1"] = word(scripts, 14 + 12);
    const auto lf = dev.GetData(stLogicFkt);
    p["lf0.Source0"] = (lf[0] & 0x3F) == 0 ? 0 : word(lf, 12);
    const auto gl = dev.GetData(stGLAssign);
    p["gl199"] = 0;
    for (std::size_t at = 2; at + 4 <= gl.size(); at += 4)
        if (gl[at] == 199)
            p["gl199"] = word(gl, at + 2);
    const auto sofs = dev.GetData(stSOF);
    p["sof18"] = word(sofs, sofs.size() - 2 * 14 - 2);
    const auto groups = dev.GetData(stUserGroups);
    p["ad1"] = word(groups, 0);
    p["ad2"] = word(groups, 2);
    const auto header = dev.GetHeader();
    for (const std::size_t at : {98, 100, 102, 108})
        p["header" + std::to_string(at)] = readBE16(header, at);
    return p;
}

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

// Puts the same audio reference into every place that holds one.
void FillAudioPlaces(TDevice& dev, std::uint16_t ref)
{
    auto header = dev.GetHeader();
    writeBE16(header, dh::Talk1Source, ref);
    writeBE16(header, dh::Talk2Source, ref);
    dev.SetHeader(header, false);
    Bytes outFkts;
    for (int i = 0; i < 45; ++i)
        outFkts = Concat({outFkts, OutFktRec("o", {})});
    dev.SetData(stOutFkt, Concat({outFkts, OutFktRec("last", {{0, ref, ref}})}));
    dev.SetData(stOutputRouting, Concat({Words({0x0F80, ref}), Bytes{1, 0}}));
    Bytes procs;
    for (int i = 0; i < 73; ++i)
        procs = Concat({procs, ProcRec("p", i == 72 ? ref : 0, true)});
    dev.SetData(stProc, procs);
    dev.SetData(stLevelDetect, LevelBlock({{"l", 0}, {"l", 0}, {"l", 0}, {"l", 0}, {"l", 0}, {"l", 0}, {"l6", ref}}));
    Bytes last = FaderRec(149, "last", ref);
    PutWord(last, 6, ref);
    PutWord(last, 8, ref);
    dev.SetData(stFCH, Concat({FaderRec(1, "one"), last}));
    Bytes monitor(24, 0);
    PutWord(monitor, 22, ref);
    dev.SetData(stMonitorBus, monitor);
    dev.SetData(stSourceList, SourceListRec("ten", 10, {{0, 0, "x"}, {ref, ref, "y"}}));
    Bytes key = KeyRec(3, "k", 1);
    PutWord(key, 38, ref);
    PutWord(key, 40, ref);
    dev.SetSetupData(218, ModuleRec(10, 0, {key}));
    Bytes sofs = {20, 6};
    for (int i = 0; i < 19; ++i)
        sofs = Concat({sofs, SOFRec("sof", {{}, {{static_cast<std::uint16_t>(i == 18 ? ref : 0), 0}}})});
    dev.SetData(stSOF, sofs);
}

Places ReadAudioPlaces(TDevice& dev)
{
    Places p;
    const auto word = [](const Bytes& b, std::size_t at) -> std::uint16_t {
        return at + 2 <= b.size() ? readBE16(b, at) : 0xDEAD;
    };
    const auto header = dev.GetHeader();
    p["talk1"] = readBE16(header, dh::Talk1Source);
    p["talk2"] = readBE16(header, dh::Talk2Source);
    const auto outFkts = dev.GetData(stOutFkt);
    p["outfkt45.src1"] = word(outFkts, 45 * 12 + 14);
    p["outfkt45.src2"] = word(outFkts, 45 * 12 + 16);
    p["routing"] = word(dev.GetData(stOutputRouting), 2);
    p["proc72"] = word(dev.GetData(stProc), 72 * 14 + 10);
    p["level6"] = word(dev.GetData(stLevelDetect), 2 + 6 * 20 + 10);
    const auto fch = dev.GetData(stFCH);
    p["fch149.src"] = word(fch, 28 + 4);
    p["fch149.monL"] = word(fch, 28 + 6);
    p["fch149.monR"] = word(fch, 28 + 8);
    p["monitor11"] = word(dev.GetData(stMonitorBus), 22);
    const auto lists = dev.GetData(stSourceList);
    p["list10.left"] = word(lists, 18 + 12);
    p["list10.right"] = word(lists, 18 + 14);
    const auto key = dev.GetSetupData(218);
    p["key.38"] = word(key, 6 + 38);
    p["key.40"] = word(key, 6 + 40);
    const auto sofs = dev.GetData(stSOF);
    p["sof18"] = word(sofs, sofs.size() - 2 * 14 - 6);
    return p;
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
