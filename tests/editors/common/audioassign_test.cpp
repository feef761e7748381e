#include <gtest/gtest.h>

#include <functional>

#include "editors/common/sourceassign.h"
#include "faketarget.h"
#include "model/faderaccess.h"
#include "model/keyaccess.h"
#include "model/logicaccess.h"
#include "model/outputfunctions.h"
#include "model/recordtext.h"
#include "model/summingbuses.h"
#include "sourcefixture.h"

namespace kvr::editors::test {
namespace {

class AudioAssign : public SourceProject {
public:
    AudioAssign()
    {
        dev->SetData(stSourceList, Concat({SourceListRec("Src", 0, {{0, 0, "A"}, {0x8000, 0, ""}})}));
        Bytes key(42, 0);
        key[0] = 7;
        key[33] = 4;
        writeBE16(key, 38, 0x8000 | 0x1111);
        std::copy(key.begin(), key.end(), target.record.begin());
    }
    AssignOutcome Assign(int kind, std::uint16_t ref, int level = -6, int pot = 156)
    {
        targets.Set(kind, &target);
        PickedSource source;
        source.Ref = ref;
        source.Level = level;
        source.Pot = pot;
        source.Text = "IN 3.1 Microphone L";
        return AssignAudioSource(project, 0, kind, source, targets);
    }
    TFaderChannel Channel(int number)
    {
        TFaderChannel c;
        GetFaderChannel(*dev, number, c);
        return c;
    }
    TSourceListEntry Entry(int row)
    {
        TSourceList list;
        GetSourceList(*dev, 0, list);
        return list.Entries[static_cast<std::size_t>(row)];
    }

    FakeTarget target;
    SourceTargets targets;
};

struct WriteCase {
    const char* what;
    int kind;
    TargetSelection sel;
    std::uint16_t ref;
    std::function<int(AudioAssign&)> read;
    int expected;
};

TEST_F(AudioAssign, EveryKindWritesItsRecord)
{
    using T = AudioAssign;
    const WriteCase cases[] = {
        {"level detect", atLevelDetect, {0}, 0x2301, [](T& t) {
             TLevelDetect d;
             GetLevelDetect(*t.dev, 0, d);
             return static_cast<int>(d.Source);
         }, 0x2301},
        {"output function source 1 with level and pot", atOutFktSource1, {0, 1}, 0x8304, [](T& t) {
             TOutputFunction f;
             GetOutputFunction(*t.dev, 0, f);
             const auto& r = f.Cond[1];
             return (r.Source1 << 8) ^ (r.Tail[0] << 4) ^ r.Tail[2] ^ (r.Source2 << 20);
         }, (0x8304 << 8) ^ (0xFA << 4) ^ 156},
        {"output function source 2", atOutFktSource2, {0, 0}, 0x0304, [](T& t) {
             TOutputFunction f;
             GetOutputFunction(*t.dev, 0, f);
             const auto& r = f.Cond[0];
             return (r.Source2 << 8) ^ (r.Tail[1] << 4) ^ r.Tail[3];
         }, (0x0304 << 8) ^ (0xFA << 4) ^ 156},
        {"stereo fixed processing takes the left ID", atFixedProcessing, {0}, 0x8000 | 0x6003, [](T& t) {
             TFixedProcessing p;
             GetFixedProcessing(*t.dev, 0, p);
             return static_cast<int>(p.Source);
         }, 0x8000 | 0x6002},
        {"mono fixed processing", atFixedProcessing, {1}, 0x6003, [](T& t) {
             TFixedProcessing p;
             GetFixedProcessing(*t.dev, 1, p);
             return static_cast<int>(p.Source);
         }, 0x6003},
        {"monitor L", atMonitorL, {5}, 0x6080, [](T& t) { return static_cast<int>(t.Channel(5).MonitorL); }, 0x6080},
        {"monitor R", atMonitorR, {41}, 0x6081, [](T& t) { return static_cast<int>(t.Channel(41).MonitorR); }, 0x6081},
        {"monitor bus", atMonitorBus, {11}, 0x6002, [](T& t) { return static_cast<int>(GetMonitorBusSource(*t.dev, 11)); },
         0x6002},
        {"key source 1 keeps its pool mark", atKeySource1, {}, 0x0304, [](T& t) {
             TKeyRecord r{};
             GetKeyFunction(*t.dev, 7, r, 100);
             return static_cast<int>(readBE16(r, 38));
         }, 0x8304},
        {"key source 2", atKeySource2, {}, 0x2300, [](T& t) {
             TKeyRecord r{};
             GetKeyFunction(*t.dev, 7, r, 100);
             return static_cast<int>(readBE16(r, 40));
         }, 0x2300},
        {"talk 1", atTalk1, {}, 0x6004, [](T& t) { return static_cast<int>(readBE16(t.dev->GetHeader(), 84)); }, 0x6004},
        {"talk 2", atTalk2, {}, 0x6005, [](T& t) { return static_cast<int>(readBE16(t.dev->GetHeader(), 86)); }, 0x6005},
        {"source list left", atSourceListLeft, {0, 0}, 0x6002, [](T& t) { return static_cast<int>(t.Entry(0).Left); },
         0x6002},
        {"source list right keeps its pool mark", atSourceListRight, {0, 0}, 0x0304,
         [](T& t) { return static_cast<int>(t.Entry(0).Right); }, 0x0304},
        {"source list left of a pool entry", atSourceListLeft, {0, 1}, 0x0304,
         [](T& t) { return static_cast<int>(t.Entry(1).Left); }, 0x8304},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        target.sel = c.sel;
        target.refreshed.clear();
        EXPECT_TRUE(Assign(c.kind, c.ref).Written);
        EXPECT_EQ(c.read(*this), c.expected);
        ASSERT_EQ(target.refreshed.size(), 1u);
        EXPECT_EQ(target.refreshed[0].source.Ref, c.ref);
    }
    // An entry without label takes the node's text, cut to 8 characters.
    EXPECT_EQ(LabelText(Entry(1).Text), "IN 3.1 M");
    EXPECT_EQ(LabelText(Entry(0).Text), "A");
}

TEST_F(AudioAssign, StereoLevelDetectTakesThePairByItsLeftID)
{
    Bytes block = LevelBlock({{"Lev", 0}});
    block[2 + 13] = 1;
    dev->SetData(stLevelDetect, block);
    target.sel = {0};
    EXPECT_TRUE(Assign(atLevelDetect, 0x2301).Written);
    TLevelDetect d;
    GetLevelDetect(*dev, 0, d);
    EXPECT_EQ(d.Source, 0x2300);
}

TEST_F(AudioAssign, PagesAndFramesTakeTheirSourcesThemselves)
{
    struct HandCase {
        int kind;
        TargetSelection sel;
        std::uint16_t handed; // for source 0x8000 | 0x6003
    };
    const HandCase cases[] = {
        {atFaderSource, {}, 0xE003}, {atPoolFaderSource, {}, 0xE003}, {atOutputRouting, {4}, 0xE003},
        {atSOFInput, {2, 1}, 0xE003}, {atFixedInsert, {3}, 0x4002}, {atSwitchableInsert, {0}, 0x4002}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        target.taken.clear();
        target.sel = c.sel;
        EXPECT_TRUE(Assign(c.kind, 0x8000 | 0x6003, 3, 122).Written);
        ASSERT_EQ(target.taken.size(), 1u);
        EXPECT_EQ(target.taken[0].source.Ref, c.handed);
        EXPECT_EQ(target.taken[0].source.Level, 3);
        EXPECT_EQ(target.taken[0].source.Pot, 122);
        EXPECT_EQ(target.taken[0].selection.Element, c.sel.Element);
    }
}

TEST_F(AudioAssign, MissingSelectionOrTargetChangesNothing)
{
    const std::pair<int, TargetSelection> cases[] = {
        {atLevelDetect, {}}, {atLevelDetect, {4}}, {atOutFktSource1, {0}}, {atOutFktSource2, {0, 5}},
        {atFixedProcessing, {2}}, {atMonitorL, {}}, {atMonitorR, {6}}, {atMonitorBus, {12}}, {atSourceListLeft, {0}},
        {atSourceListRight, {0, 2}}, {atOutputRouting, {}}, {atSOFInput, {}}, {atFixedInsert, {}},
        {atSwitchableInsert, {}}, {atNone, {0}}, {20, {0}}};
    const auto before = dev->GetAllData();
    for (const auto& [kind, sel] : cases) {
        target.sel = sel;
        EXPECT_FALSE(Assign(kind, 0x6002).Written) << kind;
    }
    target.hasKey = false;
    EXPECT_FALSE(Assign(atKeySource1, 0x6002).Written);
    EXPECT_TRUE(target.taken.empty());
    EXPECT_TRUE(target.refreshed.empty());

    targets = {};
    PickedSource source;
    source.Ref = 0x6002;
    for (int kind = 0; kind <= 20; ++kind)
        EXPECT_FALSE(AssignAudioSource(project, 0, kind, source, targets).Written) << kind;
    EXPECT_EQ(dev->GetAllData(), before);
}

} // namespace
} // namespace kvr::editors::test
