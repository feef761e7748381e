#include <gtest/gtest.h>

#include "editors/audio/mixingfunctions.h"
#include "editors/common/sourceassign.h"
#include "faketarget.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/faderaccess.h"
#include "model/inserts.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/smallrecordaccess.h"
#include "model/sourcenames.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

// A device with two program buses, one AUX bus and two clean feeds on channels 5 and 41.
class Mixing : public ::testing::Test {
public:
    Mixing()
    {
        project.AddDevice();
        dev = project.Device(0);
        SetHeaderBytes(*dev, {{dh::ProgramBusCount, 2}, {dh::AuxBusCount, 1}, {dh::CleanFeedCount, 2}});
        dev->SetData(stBus, Concat({BusRec("Main", true), BusRec("Sub", true), BusRec("Aux1", false)}));
        auto cf = [](const char* label, int channel) {
            Bytes b = BusRec(label, true);
            b[19] = static_cast<std::uint8_t>(channel);
            return b;
        };
        dev->SetData(stCleanFeed, Concat({cf("CFa", 5), cf("CFb", 41)}));
        Bytes mic = FaderRec(5, "Mic", 0x2300);
        Bytes far = FaderRec(41, "Far");
        mic[18] = far[18] = kFCHCleanFeed;
        dev->SetData(stFCH, Concat({mic, far}));
    }
    MixingFunctionsTab tab() { return MixingFunctionsTab(project, 0); }
    TBusRecord cleanFeed(int i)
    {
        TBusRecord r;
        EXPECT_EQ(GetCleanFeed(*dev, i, r), 1);
        return r;
    }
    TBusRecord bus(int i)
    {
        TBusRecord r;
        EXPECT_EQ(GetBus(*dev, i, r), 1);
        return r;
    }
    int header(std::size_t at) { return dev->GetHeader()[at]; }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
};

TEST_F(Mixing, RowsListBusesThenCleanFeeds)
{
    const auto rows = tab().Rows();
    ASSERT_EQ(rows.size(), 5u);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Main", "Program 1"}, {"Sub", "Program 2"}, {"Aux1", "Aux 1"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(rows[i].Caption, expected[i].first);
        EXPECT_EQ(rows[i].Source, expected[i].second);
        EXPECT_EQ(rows[i].CleanFeed, -1);
    }
    EXPECT_EQ(rows[3].Caption, "CFa");
    EXPECT_EQ(rows[3].CleanFeed, 0);
    EXPECT_EQ(rows[3].FaderChannel, 5);
    EXPECT_EQ(rows[3].Source, GetAudioSourceName(project, 0x2300, 0, false));
    EXPECT_EQ(rows[4].CleanFeed, 1);
    EXPECT_EQ(rows[4].FaderChannel, 41);
}

TEST_F(Mixing, BusCountsDeleteTheLastBusesAndAddOnlyWithCapacity)
{
    SetHeaderBytes(*dev, {{dh::ProgramBusCount, 4}});
    dev->SetData(stBus, Concat({BusRec("P1", true), BusRec("P2", true), BusRec("P3", true), BusRec("P4", true),
                                BusRec("Aux1", false)}));
    auto t = tab();
    t.SetProgramBuses(2);
    EXPECT_EQ(header(dh::ProgramBusCount), 2);
    const auto rows = t.Rows();
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].Caption, "P1");
    EXPECT_EQ(rows[1].Caption, "P2");
    EXPECT_EQ(rows[2].Caption, "Aux1");

    // Without a DSP card there is no summing capacity; the frame's own card gives some.
    const auto dspCard = dev->GetSetupData(9);
    struct Case {
        bool dsp;
        int program;
        int aux;
    };
    for (const Case c : {Case{false, 2, 1}, Case{true, 5, 3}}) {
        dev->SetSetupData(9, c.dsp ? dspCard : std::vector<std::uint8_t>(dspCard.size(), 0));
        CalcBusLimit(*dev);
        EXPECT_EQ(header(dh::BusCapacity) != 0, c.dsp);
        t.SetProgramBuses(5);
        t.SetAuxBuses(3);
        EXPECT_EQ(header(dh::ProgramBusCount), c.program) << c.dsp;
        EXPECT_EQ(header(dh::AuxBusCount), c.aux) << c.dsp;
    }
}

TEST_F(Mixing, AddingEndsWhenTheDataModelRefuses)
{
    auto t = tab();
    t.SetProgramBuses(60); // the data model stops at 48
    EXPECT_EQ(header(dh::ProgramBusCount), kMaxProgramBuses);
}

TEST_F(Mixing, RaisingIsRefusedWhileTheSummingBusLimitIsExceeded)
{
    EXPECT_TRUE(tab().MayRaiseBusCount());
    SetLimitExceeded(*dev, 0x02);
    EXPECT_TRUE(tab().MayRaiseBusCount());
    SetLimitExceeded(*dev, 0x01);
    EXPECT_FALSE(tab().MayRaiseBusCount());
}

TEST_F(Mixing, OutputSelectorListsLeaveOutPoolFedLists)
{
    // Selector 3 uses list 2 and takes it from a pool line; selector 4 uses list 5 without one.
    SetRotSelSourceList(*dev, 3, 2);
    SetRotSelSourceList(*dev, 4, 5);
    TGlobalPoolRecord pool;
    pool.SourceDevice = 77;
    pool.Count = 1;
    pool.Lines[0].Flags = 0x02;
    pool.Lines[0].Reserve = 4 << 4;
    SetGlobalPoolLines(*dev, pool);
    auto t = tab();
    const auto items = t.OutputSelectorItems();
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(items[0].Text, "None");
    EXPECT_EQ(MixingFunctionsTab::ItemOfValue(items, 3), -1);
    EXPECT_GE(MixingFunctionsTab::ItemOfValue(items, 6), 0);

    // A clean feed shows its list's label; a list not offered shows nothing and selects nothing.
    ASSERT_TRUE(t.SetOutputSelector(3, 6));
    EXPECT_EQ(cleanFeed(0).SourceList, 6);
    TSourceList list;
    GetSourceList(*dev, 5, list);
    EXPECT_EQ(t.Rows()[3].OutputSelector, LabelText(list.Label));
    ASSERT_TRUE(t.SetOutputSelector(3, 3));
    EXPECT_EQ(t.Rows()[3].OutputSelector, "");
    EXPECT_EQ(cleanFeed(0).SourceList, 3);
    // Bus rows have no output selector.
    EXPECT_FALSE(t.SetOutputSelector(0, 2));
}

TEST_F(Mixing, RowEditsStoreIntoBusOrCleanFeed)
{
    auto t = tab();
    ASSERT_TRUE(t.SetLabel(1, "A very long bus label"));
    EXPECT_EQ(LabelText(bus(1).Label), "A very long bus ");
    ASSERT_TRUE(t.SetStereo(4, false));
    EXPECT_EQ(cleanFeed(1).Flags & 0x80, 0);
    ASSERT_TRUE(t.SetRelease(2, 20));
    ASSERT_TRUE(t.SetLimiter(2, true));
    EXPECT_EQ(bus(2).Flags & 0x40, 0x40);
    EXPECT_EQ(bus(2).LimiterRelease, 20);
    ASSERT_TRUE(t.SetLimiter(2, false));
    EXPECT_EQ(bus(2).Flags & 0x40, 0);
    ASSERT_TRUE(t.SetThreshold(3, 50));
    EXPECT_EQ(cleanFeed(0).LimiterThreshold, 50);

    // "CFOut Gain Disabled" only on clean feeds.
    const auto before = dev->GetData(stBus);
    EXPECT_FALSE(t.SetCFOutDisabled(0, true));
    EXPECT_EQ(dev->GetData(stBus), before);
    ASSERT_TRUE(t.SetCFOutDisabled(3, true));
    EXPECT_EQ(cleanFeed(0).Flags & 0x20, 0x20);
    // Rows past the end store nothing.
    EXPECT_FALSE(t.SetLabel(5, "x"));
    EXPECT_FALSE(t.SetLabel(-1, "x"));
}

TEST_F(Mixing, KnobTexts)
{
    struct Case {
        int position;
        const char* threshold;
        const char* attenuation;
    };
    for (const Case c : {Case{0, "-30 dBint", "Off"}, Case{1, "-29 dBint", "-99 dB"}, Case{50, "20 dBint", "-50 dB"},
                         Case{100, "70 dBint", "0 dB"}}) {
        EXPECT_EQ(MixingFunctionsTab::ThresholdText(c.position), c.threshold);
        EXPECT_EQ(MixingFunctionsTab::AttenuationText(c.position), c.attenuation);
    }
    EXPECT_EQ(MixingFunctionsTab::ReleaseText(6), "6 dB/s");
    tab().SetTalkAttenuation(1);
    EXPECT_EQ(header(dh::TalkAttenuation), 1);
}

TEST_F(Mixing, TalkConditionsGoToTheRowsRecordAndOnlyFromTheirColumns)
{
    FakeTarget target;
    SourceTargets targets;
    targets.Set(ltTalkCondition1, &target);
    targets.Set(ltTalkCondition2, &target);
    PickedSource picked;
    picked.Ref = 0x03E9;
    auto t = tab();
    for (const int row : {1, 4}) {
        target.sel = t.ConditionSelection(row);
        const int kind = MixingFunctionsTab::ConditionKindOfColumn(row == 1 ? 1 : 2);
        ASSERT_TRUE(AssignLogicSource(project, 0, kind, picked, targets, -1).Written) << row;
    }
    EXPECT_EQ(bus(1).Logic1, 0x03E9);
    EXPECT_EQ(cleanFeed(1).Logic2, 0x03E9);
    EXPECT_EQ(cleanFeed(1).Logic1, 0);
    for (const int column : {0, 3, 4, -1})
        EXPECT_EQ(MixingFunctionsTab::ConditionKindOfColumn(column), 0) << column;
    EXPECT_EQ(t.ConditionSelection(7).Element, -1);
}

TEST_F(Mixing, DeletingACleanFeedKeepsTheChannelsAdaptedReferences)
{
    // Channel 5 owns clean feed 0 and listens to clean feed 1; the delete moves that source down.
    TFaderChannel mic;
    ASSERT_EQ(GetFaderChannel(*dev, 5, mic), 1);
    mic.Source = kCleanFeedSourceBase + 2;
    SetFaderChannel(*dev, 5, mic);

    auto t = tab();
    ASSERT_TRUE(t.DeleteCleanFeed(3));
    EXPECT_EQ(header(dh::CleanFeedCount), 1);
    EXPECT_EQ(cleanFeed(0).FaderChannel, 41);
    ASSERT_EQ(GetFaderChannel(*dev, 5, mic), 1);
    EXPECT_EQ(mic.PoolFlags & kFCHCleanFeed, 0);
    EXPECT_EQ(mic.Source, kCleanFeedSourceBase);
    // Bus rows are not clean feeds.
    EXPECT_FALSE(t.DeleteCleanFeed(0));
    EXPECT_EQ(header(dh::CleanFeedCount), 1);
}

} // namespace
} // namespace kvr::editors::test
