#include <gtest/gtest.h>

#include "logicfixture.h"

namespace kvr::editors::test {
namespace {

struct LimitCase {
    const char* what;
    int kind;
    int dspCards;
    int present;
    bool addEnabled;
};

void AddElements(TDevice& dev, int kind, int count)
{
    for (int i = 0; i < count; ++i) {
        switch (kind) {
        case lkLogicFunctions: AddLogicFunction(dev); break;
        case lkLevelDetection: AddLevelDetect(dev); break;
        case lkLogicDelay: AddLogicDelay(dev); break;
        default: AddScript(dev); break;
        }
    }
}

TEST_F(LogicPageTest, AddIsOfferedBelowEachKindsLimit)
{
    const LimitCase cases[] = {
        {"level detects need a DSP card", lkLevelDetection, 0, 0, false},
        {"one DSP card: a fifth level detect", lkLevelDetection, 1, 4, true},
        {"more DSP cards: still five", lkLevelDetection, 3, 5, false},
        {"150 logic functions", lkLogicFunctions, 0, 150, false},
        {"149 logic functions", lkLogicFunctions, 0, 149, true},
        {"20 logic delays", lkLogicDelay, 0, 20, false},
        {"19 logic delays", lkLogicDelay, 0, 19, true},
        {"100 scripts", lkScripts, 0, 100, false},
        {"99 scripts", lkScripts, 0, 99, true},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.what);
        project.DeleteDevice(0);
        project.AddDevice();
        dev = project.Device(0);
        dev->FDSPCardCount = c.dspCards;
        AddElements(*dev, c.kind, c.present);
        page.Show(c.kind);
        ASSERT_EQ(page.Rows().size(), static_cast<std::size_t>(c.present));
        EXPECT_EQ(page.AddEnabled(), c.addEnabled);
        page.Add();
        EXPECT_EQ(page.Rows().size(), static_cast<std::size_t>(c.present + (c.addEnabled ? 1 : 0)));
        if (c.addEnabled) {
            EXPECT_EQ(page.Selected(), c.present); // the new element is selected
        }
    }
}

TEST_F(LogicPageTest, RowsAndColumnsPerKind)
{
    dev->SetData(stScript, Concat({ScriptRec("Run", 0), ScriptRec("Stop", 0), ScriptRec("", 0)}));
    page.Show(lkScripts);
    EXPECT_EQ(page.Caption(), "Scripts");
    EXPECT_EQ(page.Columns(), std::vector<std::string>{"Name"});
    ASSERT_EQ(page.Rows().size(), 3u);
    EXPECT_EQ(page.Rows()[2].Caption, "Script 3");

    TLogicFunction f;
    f.Head = 0x80 | 0x40;
    f.InterlockBus = 12;
    SetLabel(f.Label, "Mic on");
    AddLogicFunction(*dev);
    AddLogicFunction(*dev);
    SetLogicFunction(*dev, 1, &f);
    page.Show(lkLogicFunctions);
    EXPECT_EQ(page.Columns(), (std::vector<std::string>{"Name", "IL Bus", "Conc."}));
    EXPECT_EQ(page.Rows(), (std::vector<LogicListRow>{{"01 | Logic 1", "", ""}, {"02 | Mic on", "12", "&"}}));
    // Nothing of a selection survives a change of kind.
    ASSERT_TRUE(page.Select(1));
    page.Show(lkLogicDelay);
    EXPECT_EQ(page.Selected(), -1);
    EXPECT_FALSE(page.RemoveEnabled());
}

// Function 1 uses functions 2 and 3 as sources, function 4 uses 1-3.
class LogicReferences : public LogicPageTest {
public:
    LogicReferences()
    {
        dev->SetData(stLogicFkt, Concat({LogicRec("One", {932, 0x4000 | 933}), LogicRec("Two", {}),
                                         LogicRec("Three", {}), LogicRec("Four", {931, 0x8000 | 932, 0xC000 | 933})}));
    }
};

TEST_F(LogicReferences, RemovingAUsedFunctionClearsItsReferencesAndLaterOnesFollow)
{
    ShowAndSelect(lkLogicFunctions, 1);
    page.Remove();
    ASSERT_EQ(page.Rows().size(), 3u);
    EXPECT_EQ(page.Rows()[1].Caption, "02 | Three");
    const auto one = SourcesOf(0);
    const auto four = SourcesOf(2);
    // "Three" is 932 now, with its condition; nothing refers to the removed "Two" any more.
    EXPECT_EQ(std::count(one.begin(), one.end(), 0x4000 | 932), 1);
    EXPECT_EQ(std::count(four.begin(), four.end(), 0xC000 | 932), 1);
    EXPECT_EQ(std::count(four.begin(), four.end(), 931), 1);
    for (const auto ref : four)
        EXPECT_NE(ref, 0x8000 | 932) << "the removed function's reference stayed";
}

TEST_F(LogicReferences, FunctionThreeDroppedOnRowOneGoesFirstWithItsReferences)
{
    ShowAndSelect(lkLogicFunctions, 2);
    ASSERT_TRUE(page.Move(0));
    EXPECT_EQ(page.Selected(), 0);
    EXPECT_EQ(page.Rows()[0].Caption, "01 | Three");
    EXPECT_EQ(page.Rows()[1].Caption, "02 | One");
    EXPECT_EQ(page.Rows()[2].Caption, "03 | Two");
    EXPECT_EQ(SourcesOf(1), (std::vector<std::uint16_t>{933, 0x4000 | 931}));
    EXPECT_EQ(SourcesOf(3), (std::vector<std::uint16_t>{932, 0x8000 | 933, 0xC000 | 931}));

    // Only logic functions are reordered; a drop beside the rows does nothing.
    EXPECT_FALSE(page.Move(4));
    EXPECT_FALSE(page.Move(-1));
    EXPECT_EQ(page.Rows()[0].Caption, "01 | Three");
}

TEST_F(LogicReferences, TheListRefusesAnotherRowWhileTheEditorIsFilled)
{
    ShowAndSelect(lkLogicFunctions, 0);
    bool refused = false;
    page.RefreshLogicEditor([&] {
        refused = !page.Select(2);
        page.Add();
        page.Remove();
    });
    EXPECT_TRUE(refused);
    EXPECT_EQ(page.Selected(), 0);
    EXPECT_EQ(page.Rows().size(), 4u);
    EXPECT_FALSE(page.FEditGuard);
    EXPECT_TRUE(page.Select(2));
}

TEST_F(LogicReferences, TheWindowWritesOnlyToTheKindShownWithASelectedElement)
{
    dev->SetData(stLogicDelay, DelayRec("Del"));
    page.Show(lkLogicFunctions);
    EXPECT_FALSE(Assign(ltLogicFunction, 931).Written); // no selection
    ASSERT_TRUE(page.Select(1));
    EXPECT_FALSE(Assign(ltLogicDelay, 931).Written);     // delays are not shown
    EXPECT_TRUE(page.EditorOpen(ltLogicFunction));
    EXPECT_FALSE(page.EditorOpen(ltLogicDelay));
    int written = 0;
    page.Written = [&](int kind) { written = kind; };
    EXPECT_TRUE(Assign(ltLogicFunction, 0x4000 | 934).Written);
    EXPECT_EQ(written, ltLogicFunction);
    EXPECT_EQ(SourcesOf(1), std::vector<std::uint16_t>{0x4000 | 934});
    page.Hide();
    EXPECT_FALSE(page.EditorOpen(ltLogicFunction));
    EXPECT_FALSE(Assign(ltLogicFunction, 931).Written);
}

} // namespace
} // namespace kvr::editors::test
