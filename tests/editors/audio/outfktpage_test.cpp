#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editors/sources/audiosourcetree.h"
#include "editors/common/outfktlevels.h"
#include "editors/audio/outfktpage.h"
#include "model/dspfit.h"
#include "model/outputfunctions.h"
#include "model/potaccess.h"
#include "model/sourcenames.h"
#include "pagepickers.h"
#include "recordinghost.h"
#include "sourcebuilder.h"
#include "sourcefixture.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

TEST(LevelText, FourFormsWithTheirBlanksAndPotSuffixes)
{
    struct Case {
        int level, pot, n;
        const char* text;
    };
    for (const Case& c : {Case{0, 0, 1, "0 dB"}, Case{-6, 0, 2, "-6 dB"}, Case{12, 0, 1, "12 dB"},
                          Case{-100, 0, 1, "Off"}, Case{-128, 0, 2, "Off"},
                          Case{-100, 122, 1, "Off + Pot. NAME R"}, Case{-100, 122, 2, "Off + Pot.NAME R"},
                          Case{-6, 160, 1, "-6 dB + Pot.NAME"}, Case{-6, 160, 2, "-6 dB + Pot. NAME"},
                          Case{0, 121, 1, "0 dB + Pot.NAME L"}, Case{3, 123, 2, "3 dB + Pot. NAME L"},
                          Case{-99, 124, 1, "-99 dB + Pot.NAME R"}, Case{-100, 5, 2, "Off + Pot.NAME"}})
        EXPECT_EQ(LevelText(c.level, c.pot, c.n, "NAME"), c.text) << c.level << " " << c.pot << " " << c.n;
}

class OutFktPageTest : public ::testing::Test {
public:
    OutFktPageTest()
    {
        project.AddDevice();
        dev = project.Device(0);
        page.FillOutputFunctions();
    }

    TOutputFunction Function(int index = 0)
    {
        TOutputFunction fkt;
        EXPECT_EQ(GetOutputFunction(*dev, index, fkt), 1);
        return fkt;
    }
    // A function with rows whose conditions are logic sources 931, 932 ...
    void AddWithRows(int rows)
    {
        page.Add();
        for (int r = 1; r < rows; ++r)
            page.InsertSource();
        TOutputFunction fkt = Function(page.Selected());
        for (int r = 1; r < rows; ++r)
            fkt.Cond[static_cast<std::size_t>(r)].ConditionID = static_cast<std::uint16_t>(930 + r);
        SetOutputFunction(*dev, page.Selected(), fkt);
        page.RefreshOutputFunctionEditor();
    }
    std::vector<std::uint16_t> Conditions()
    {
        std::vector<std::uint16_t> out;
        for (const auto& c : Function(page.Selected()).Cond)
            out.push_back(c.ConditionID);
        return out;
    }

    RecordingHost modelHost;
    TProject project;
    TDevice* dev = nullptr;
    PagesHost host{project};
    OutputFunctionsPage page{host};
};

TEST_F(OutFktPageTest, ANewFunctionHasADefaultRowAtZeroDecibels)
{
    EXPECT_TRUE(page.Lines().empty());
    EXPECT_FALSE(page.EditorVisible());
    EXPECT_FALSE(page.RemoveEnabled());
    page.Add();
    ASSERT_EQ(page.Lines(), std::vector<std::string>{"01 | OutFkt 1"});
    EXPECT_EQ(page.Selected(), 0);
    EXPECT_TRUE(page.EditorVisible());
    EXPECT_TRUE(page.RemoveEnabled());
    EXPECT_EQ(page.Label(), "OutFkt 1");
    ASSERT_EQ(page.Rows().size(), 1u);
    const OutFktRowView& row = page.Rows()[0];
    const std::string none = GetAudioSourceName(project, 0, 0, false);
    EXPECT_EQ(row.Condition, "Default");
    EXPECT_EQ(row.Source1, none);
    EXPECT_EQ(row.Source2, none);
    EXPECT_EQ(row.Level1, "0 dB");
    EXPECT_EQ(row.Level2, "0 dB");
    EXPECT_TRUE(page.InsertEnabled());

    // Removing the only function hides the editor.
    page.Remove();
    EXPECT_TRUE(page.Lines().empty());
    EXPECT_FALSE(page.EditorVisible());
}

TEST_F(OutFktPageTest, TenRowsAtMostAndDefaultStays)
{
    AddWithRows(10);
    EXPECT_FALSE(page.InsertEnabled());
    page.InsertSource();
    EXPECT_EQ(Function().Cond.size(), 10u);

    page.SelectRow(0);
    EXPECT_FALSE(page.RemoveSourceEnabled());
    EXPECT_FALSE(page.ConditionEnabled());
    EXPECT_TRUE(page.SourcesEnabled());
    page.RemoveSource();
    EXPECT_EQ(Function().Cond.size(), 10u);

    page.SelectRow(4);
    EXPECT_TRUE(page.RemoveSourceEnabled());
    page.RemoveSource();
    EXPECT_EQ(Function().Cond.size(), 9u);
    EXPECT_EQ(Function().Cond[4].ConditionID, 935);
    EXPECT_EQ(page.SelectedRow(), 4);
    EXPECT_TRUE(page.InsertEnabled());
    page.InsertSource();
    EXPECT_EQ(page.SelectedRow(), 9);
}

TEST_F(OutFktPageTest, LevelTextsNameDevicePotsAndGlobalPots)
{
    AddWithRows(2);
    SetGlobalPotName(project, 6, "Hall");
    TOutputFunction fkt = Function();
    SetLevelOf(fkt.Cond[0], 1, {-100, 122});
    SetLevelOf(fkt.Cond[0], 2, {-3, 5});
    SetLevelOf(fkt.Cond[1], 1, {-6, 160});
    SetOutputFunction(*dev, 0, fkt);
    page.RefreshOutputFunctionEditor();
    std::string balance, pot5;
    GetPotName(*dev, 122, balance);
    GetPotName(*dev, 5, pot5);
    ASSERT_FALSE(balance.empty());
    EXPECT_EQ(page.Rows()[0].Level1, "Off + Pot. " + balance + " R");
    EXPECT_EQ(page.Rows()[0].Level2, "-3 dB + Pot. " + pot5);
    EXPECT_EQ(page.Rows()[1].Level1, "-6 dB + Pot.Hall");
    EXPECT_EQ(page.Rows()[1].Condition, GetLogicSourceName(project, 931, 0));
}

TEST_F(OutFktPageTest, SetLevelTogglesAndThePopupSaysWhatItWillDo)
{
    AddWithRows(1);
    EXPECT_EQ(page.LevelCaption(1), "");
    TOutputFunction fkt = Function();
    SetLevelOf(fkt.Cond[0], 1, {-6, 0});
    SetOutputFunction(*dev, 0, fkt);
    page.RefreshOutputFunctionEditor();
    page.SelectRow(0);
    EXPECT_EQ(page.LevelCaption(1), "Set Level 1 to 0 dB");
    EXPECT_EQ(page.LevelCaption(2), "Set Level 2 to \"Off\"");
    page.ToggleLevel(1);
    EXPECT_EQ(LevelOf(Function().Cond[0], 1).Level, 0);
    EXPECT_EQ(page.LevelCaption(1), "Set Level 1 to \"Off\"");
    page.ToggleLevel(1);
    EXPECT_EQ(LevelOf(Function().Cond[0], 1).Level, -100);
    EXPECT_EQ(page.Rows()[0].Level1, "Off");
    page.ToggleLevel(2);
    EXPECT_EQ(page.Rows()[0].Level2, "Off");
}

TEST_F(OutFktPageTest, ConditionsComeOnlyToRowsAfterDefault)
{
    AddWithRows(3);
    host.logicWindow.pick.Ref = 0xC000 | 940;
    page.DropLogic(0, ocCondition);
    EXPECT_EQ(Conditions(), (std::vector<std::uint16_t>{0, 931, 932}));
    // Over a source column a logic source is refused.
    EXPECT_FALSE(page.AcceptsLogic(2, ocSource1));
    page.DropLogic(2, ocCondition);
    EXPECT_EQ(Conditions(), (std::vector<std::uint16_t>{0, 931, 940}));
    EXPECT_EQ(page.Rows()[2].Condition, GetLogicSourceName(project, 940, 0));

    // The window's Assign button on "Default", its kind still that of a condition, writes nothing.
    page.SelectRow(0);
    host.logicWindow.Assign(AssignSender::Button);
    EXPECT_EQ(Conditions(), (std::vector<std::uint16_t>{0, 931, 940}));

    page.SelectRow(1);
    page.PickCondition();
    EXPECT_TRUE(host.logicWindow.shown);
    EXPECT_EQ(host.logicWindow.kind, ltOutFktCondition);
    EXPECT_EQ(host.logicWindow.selected, 931u);
}

TEST_F(OutFktPageTest, AudioDropsLandInTheColumnsSourceWithLevelAndPot)
{
    AddWithRows(2);
    host.audioWindow.pick = {static_cast<std::uint16_t>(0x8000 | 0x6002), -1, -1, -12, 160, "Main L"};
    EXPECT_FALSE(page.AcceptsAudio(1, ocCondition));
    EXPECT_FALSE(page.AcceptsAudio(1, -1));
    page.DropAudio(1, ocLevel2);
    const TOutFktCondition row = Function().Cond[1];
    EXPECT_EQ(row.Source2, 0x8000 | 0x6002);
    EXPECT_EQ(row.Source1, 0);
    EXPECT_EQ(LevelOf(row, 2).Level, -12);
    EXPECT_EQ(LevelOf(row, 2).Pot, 160);
    EXPECT_EQ(page.SelectedRow(), 1);
    EXPECT_EQ(page.PhaseText(2), "(Phase reversed)");
    EXPECT_EQ(page.PhaseText(1), "");
    page.DropAudio(0, ocSource1);
    EXPECT_EQ(Function().Cond[0].Source1, 0x8000 | 0x6002);

    // "Source 2 ..." shows the window with the row's source, level and pot.
    page.SelectRow(1);
    page.DoubleClick(ocLevel2);
    EXPECT_EQ(host.audioWindow.kind, atOutFktSource2);
    EXPECT_EQ(host.audioWindow.selected, 0x8000u | 0x6002);
    EXPECT_EQ(host.audioWindow.level, -12);
    EXPECT_EQ(host.audioWindow.pot, 160);
}

TEST_F(OutFktPageTest, RowsMoveByDragButNeverOntoDefault)
{
    AddWithRows(4);
    page.SelectRow(3);
    EXPECT_FALSE(page.AcceptsRowMove(0));
    page.MoveRow(0);
    EXPECT_EQ(Conditions(), (std::vector<std::uint16_t>{0, 931, 932, 933}));
    page.MoveRow(1);
    EXPECT_EQ(Conditions(), (std::vector<std::uint16_t>{0, 933, 931, 932}));
}

TEST_F(OutFktPageTest, RenameReachesTheAudioSourceTree)
{
    AddWithRows(1);
    const int builds = host.audioWindow.builds;
    page.SetLabel("Broadcast Mix");
    EXPECT_EQ(page.Label(), "Broadcast ");
    EXPECT_EQ(page.Lines()[0], "01 | Broadcast ");
    EXPECT_EQ(host.audioWindow.builds, builds + 1);
    const SourceNodes nodes = BuildAudioNodes(project, 0, 0x27, false);
    EXPECT_GE(Find(nodes, "01 | OF Broadcast "), 0);
}

TEST_F(OutFktPageTest, AddIsRefusedWhileTheFittingReportsTheLimit)
{
    page.Add();
    dev->FLimitReached = kLimitOutFkt;
    page.FillOutputFunctions();
    EXPECT_FALSE(page.AddEnabled());
    page.Add();
    EXPECT_EQ(page.Lines().size(), 1u);
    dev->FLimitReached = 0;
    page.FillOutputFunctions();
    EXPECT_TRUE(page.AddEnabled());
}

} // namespace
} // namespace kvr::editors::test
