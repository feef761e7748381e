#include <gtest/gtest.h>

#include "editors/audio/insertpoints.h"
#include "editors/common/sourceassign.h"
#include "faketarget.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/project.h"
#include "model/sourcenames.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

// Three fader strips; strip 0 carries channel 5, strip 1 a channel that does not exist.
class InsertTab : public ::testing::Test {
public:
    InsertTab()
    {
        project.AddDevice();
        dev = project.Device(0);
        SetHeaderBytes(*dev, {{dh::FaderCount, 3}});
        dev->SetData(stFCH, FaderRec(5, "Mic"));
        TFader fader;
        GetFader(*dev, 0, fader);
        fader.FaderChannel = 5;
        SetFader(*dev, 0, fader);
        GetFader(*dev, 1, fader);
        fader.FaderChannel = 9;
        SetFader(*dev, 1, fader);
    }
    InsertPoints points() { return InsertPoints(project, 0); }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
};

TEST_F(InsertTab, FixedInsertsDefaultToTheStripsOwnPreFaderPairWhichIsNeverStored)
{
    auto p = points();
    auto rows = p.FixedRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Fader, "1");
    EXPECT_EQ(rows[0].Channel, GetFaderChannelName(*dev, 5));
    EXPECT_EQ(rows[1].Channel, "(none)");
    EXPECT_EQ(rows[2].Ref, kPreFaderSourceBase + 4);
    EXPECT_EQ(rows[2].Source, GetAudioSourceName(project, kPreFaderSourceBase + 4, 0, false) + " + " +
                                  GetAudioSourceName(project, kPreFaderSourceBase + 5, 0, false));

    // A picked source is stored even and without phase or stereo bits.
    p.SetFixedInsertSource(1, 0xA203);
    TFixedInsert insert;
    ASSERT_TRUE(GetFixedInsert(*dev, 1, insert));
    EXPECT_EQ(insert.Source, 0x0202);
    // The strip's own pair, with or without flags, and 0 remove the entry again.
    for (const std::uint16_t source : {std::uint16_t(kPreFaderSourceBase + 2), std::uint16_t(0x2000 | (kPreFaderSourceBase + 3)),
                                       std::uint16_t(0)}) {
        p.SetFixedInsertSource(1, 0x0202);
        p.SetFixedInsertSource(1, source);
        EXPECT_FALSE(GetFixedInsert(*dev, 1, insert)) << source;
    }
    EXPECT_TRUE(dev->GetData(stFixedInsert).size() <= 2u);
    // Strips past the count are refused.
    p.SetFixedInsertSource(3, 0x0202);
    EXPECT_FALSE(GetFixedInsert(*dev, 3, insert));
}

TEST_F(InsertTab, RoutingTextIsShownOneToSevenHundredSixtyEight)
{
    struct Case {
        const char* text;
        std::optional<int> shown;
        std::uint16_t stored;
    };
    const Case cases[] = {{"0", 768, 767}, {"1", 1, 0}, {"12", 12, 11}, {"768", 768, 767}, {"900", 768, 767},
                          {"-1", std::nullopt, 11}, {"abc", std::nullopt, 11}, {"", std::nullopt, 11}};
    auto p = points();
    for (const Case& c : cases) {
        if (!c.shown)
            p.SetRouting(2, "12");
        EXPECT_EQ(p.SetRouting(2, c.text), c.shown) << c.text;
        TSwitchableInsert point;
        GetSwitchableInsert(*dev, 2, point);
        EXPECT_EQ(point.Routing, c.stored) << c.text;
        EXPECT_EQ(p.SwitchableRows()[2].Send, "Routing " + std::to_string(c.stored + 1)) << c.text;
    }
    EXPECT_EQ(p.SetRouting(4, "3"), std::nullopt);
}

TEST_F(InsertTab, SwitchableReturnLabelAndClear)
{
    auto p = points();
    auto rows = p.SwitchableRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3].Label, "Insert 4");
    EXPECT_EQ(rows[3].Send, "Routing 1");

    p.SetSwitchableInsertReturn(1, 0x8303);
    p.SetLabel(1, "  Reverb return and more  ");
    p.SetRouting(1, "40");
    TSwitchableInsert point;
    ASSERT_TRUE(GetSwitchableInsert(*dev, 1, point));
    EXPECT_EQ(point.Source, 0x0302);
    EXPECT_EQ(p.SwitchableRows()[1].Label, "Reverb return");
    EXPECT_EQ(p.SwitchableRows()[1].Return, p.PairText(0x0302));

    p.Clear(1);
    EXPECT_FALSE(GetSwitchableInsert(*dev, 1, point));
    rows = p.SwitchableRows();
    EXPECT_EQ(rows[1].Label, "Insert 2");
    EXPECT_EQ(rows[1].Send, "Routing 1");
    EXPECT_EQ(rows[1].Ref, 0);
}

TEST_F(InsertTab, TheAudioWindowHandsInsertSourcesWithoutFlags)
{
    FakeTarget target;
    target.sel.Element = 0;
    SourceTargets targets;
    targets.Set(atSwitchableInsert, &target);
    PickedSource picked;
    picked.Ref = 0xA305;
    ASSERT_TRUE(AssignAudioSource(project, 0, atSwitchableInsert, picked, targets).Written);
    ASSERT_EQ(target.taken.size(), 1u);
    points().SetSwitchableInsertReturn(target.taken[0].selection.Element, target.taken[0].source.Ref);
    TSwitchableInsert point;
    GetSwitchableInsert(*dev, 0, point);
    EXPECT_EQ(point.Source, 0x0304);
}

} // namespace
} // namespace kvr::editors::test
