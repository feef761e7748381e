#include <gtest/gtest.h>

#include "editors/logic/logicfunctioneditor.h"
#include "logicfixture.h"

namespace kvr::editors::test {
namespace {

class LogicFunctionTest : public LogicPageTest {
public:
    LogicFunctionTest()
    {
        dev->SetData(stLogicFkt, Concat({LogicRec("Fkt", {931, 0x4000 | 932, 0x8000 | 933}), LogicRec("Plain", {})}));
        ShowAndSelect(lkLogicFunctions, 0);
        editor.Fill();
    }
    LogicFunctionEditor editor{page};
};

TEST_F(LogicFunctionTest, FillShowsSourcesWithTheirConditionImages)
{
    EXPECT_EQ(editor.Label, "Fkt");
    EXPECT_FALSE(editor.And);
    EXPECT_FALSE(editor.Interlock);
    EXPECT_EQ(editor.BusPosition, 1);
    ASSERT_EQ(editor.Sources.size(), 3u);
    EXPECT_EQ(editor.Sources[1].ImageIndex, 1);
    // Picked with "Pulse on deactivate".
    EXPECT_EQ(editor.Sources[2].ImageIndex, 2);
    EXPECT_EQ(editor.Sources[2].Ref, 0x8000 | 933);
    EXPECT_EQ(editor.Sources[0].Caption, GetLogicSourceName(project, 931, 0));
}

TEST_F(LogicFunctionTest, DropOnARowReplacesItAndBesideTheRowsAppends)
{
    editor.SelectSource(0); // the drop lands on row 1
    EXPECT_TRUE(Assign(ltLogicFunction, 0xC000 | 1281).Written);
    EXPECT_EQ(SourcesOf(0), (std::vector<std::uint16_t>{0xC000 | 1281, 0x4000 | 932, 0x8000 | 933}));
    editor.SelectSource(-1); // beside the rows
    EXPECT_TRUE(Assign(ltLogicFunction, 931).Written);
    EXPECT_EQ(SourcesOf(0).size(), 4u);
    EXPECT_EQ(SourcesOf(0)[3], 931);
}

TEST_F(LogicFunctionTest, TheTwentyFirstSourceIsRefusedWithoutReplacingTheSelectedOne)
{
    for (int i = 3; i < 20; ++i)
        ASSERT_TRUE(Assign(ltLogicFunction, 931).Written);
    editor.Fill();
    editor.SelectSource(0);
    const AssignOutcome outcome = Assign(ltLogicFunction, 934);
    EXPECT_FALSE(outcome.Written);
    EXPECT_EQ(outcome.Message, "Cannot add more logic sources! Maximum number is 20.");
    EXPECT_EQ(SourcesOf(0).size(), 20u);
    EXPECT_EQ(SourcesOf(0)[0], 931);
}

TEST_F(LogicFunctionTest, RemovingSourcesClosesTheGap)
{
    editor.SelectSource(1);
    editor.RemoveSource();
    EXPECT_EQ(SourcesOf(0), (std::vector<std::uint16_t>{931, 0x8000 | 933}));
    EXPECT_EQ(editor.Sources.size(), 2u);

    dev->SetData(stLogicFkt, Concat({LogicRec("Fkt", {}), LogicRec("Only", {0x4000 | 931})}));
    page.FillLogicList();
    ASSERT_TRUE(page.Select(1));
    editor.Fill();
    editor.SelectSource(0);
    editor.RemoveSource();
    EXPECT_EQ(Function(1).SourceCount(), 0);
    EXPECT_TRUE(editor.Sources.empty());
    EXPECT_FALSE(editor.RemoveSourceEnabled());
    editor.RemoveSource(); // nothing selected: nothing happens
    EXPECT_EQ(Function(1).SourceCount(), 0);
}

TEST_F(LogicFunctionTest, InterlockBusAndConcatenationFollowInTheList)
{
    editor.SetInterlock(true);
    EXPECT_EQ(Function(0).Head & 0x40, 0x40);
    EXPECT_EQ(Function(0).InterlockBus, 1); // the up-down after a fill without interlock
    editor.StepBus(7);
    EXPECT_EQ(Function(0).InterlockBus, 7);
    EXPECT_EQ(page.Rows()[0].ILBus, "7");
    // Typing moves the up-down only.
    editor.TypeBus("250");
    EXPECT_EQ(editor.BusPosition, 100);
    editor.TypeBus("x");
    EXPECT_EQ(editor.BusPosition, 1);
    EXPECT_EQ(Function(0).InterlockBus, 7);
    editor.SetInterlock(false);
    EXPECT_EQ(Function(0).InterlockBus, 0);
    EXPECT_EQ(Function(0).Head & 0x40, 0);
    EXPECT_EQ(page.Rows()[0].ILBus, "");
    editor.StepBus(9); // the box is clear: nothing stored
    EXPECT_EQ(Function(0).InterlockBus, 0);

    editor.SetAnd(true);
    EXPECT_EQ(Function(0).Head & 0x80, 0x80);
    EXPECT_EQ(page.Rows()[0].Conc, "&");
    editor.SetAnd(false);
    EXPECT_EQ(page.Rows()[0].Conc, "");
    EXPECT_EQ(Function(0).SourceCount(), 3); // flags never touch the count
}

TEST_F(LogicFunctionTest, LabelsAreTenCharactersWithoutTerminatorAndGuardedDuringFill)
{
    editor.SetLabel("Studio On Air");
    const auto stored = dev->GetData(stLogicFkt);
    EXPECT_EQ(std::string(stored.begin() + 2, stored.begin() + 12), "Studio On ");
    EXPECT_EQ(page.Rows()[0].Caption, "01 | Studio On ");
    EXPECT_EQ(stored[12], 0x03); // the next byte is the first source, not a terminator
    page.RefreshLogicEditor([&] {
        editor.SetLabel("Other");
        editor.SetInterlock(true);
    });
    EXPECT_EQ(LabelText(Function(0).Label), "Studio On ");
    EXPECT_EQ(Function(0).Head & 0x40, 0);
}

} // namespace
} // namespace kvr::editors::test
