#include <gtest/gtest.h>

#include "editors/logic/leveldetecteditor.h"
#include "logicfixture.h"

namespace kvr::editors::test {
namespace {

TEST(LevelKnobText, ShowsEachKnobInItsUnit)
{
    const std::tuple<int, int, const char*> cases[] = {
        {lkLevel, 0, "-40 dB int"}, {lkLevel, 50, "10 dB int"}, {lkHold, 15, "1.5 s"}, {lkHold, 1000, "100.0 s"},
        {lkCorrelation, -10, "-1.0"}, {lkCorrelation, 3, "0.3"}, {lkAttack, 12, "12 ms"}, {lkRelease, 250, "2.5 s"},
    };
    for (const auto& [knob, position, text] : cases)
        EXPECT_EQ(LevelKnobText(knob, position), text) << knob << " " << position;
}

class LevelDetectTest : public LogicPageTest {
public:
    LevelDetectTest()
    {
        dev->FDSPCardCount = 1;
        dev->SetData(stLevelDetect, LevelBlock({{"Mic", 0x0105}, {"Line", 0x0200}}));
        ShowAndSelect(lkLevelDetection, 0);
    }
    TLevelDetect Detect(int index)
    {
        TLevelDetect l;
        EXPECT_EQ(GetLevelDetect(*dev, index, l), 1);
        return l;
    }
    LevelDetectEditor editor{page};
};

TEST_F(LevelDetectTest, StereoTakesThePairByItsEvenChannel)
{
    page.RefreshLogicEditor([&] { editor.Fill(); });
    EXPECT_EQ(editor.SourceText, GetAudioSourceName(project, 0x0105, 0, false));
    editor.SetStereo(true);
    EXPECT_EQ(Detect(0).Source, 0x0104);
    EXPECT_EQ(Detect(0).Stereo, 1);
    EXPECT_TRUE(editor.Stereo);
    EXPECT_EQ(editor.SourceText, GetAudioSourceName(project, 0x0104, 0, false) + " + " +
                                     GetAudioSourceName(project, 0x0105, 0, false));
    editor.SetStereo(false);
    EXPECT_EQ(Detect(0).Stereo, 0);
    EXPECT_EQ(Detect(0).Source, 0x0104);
}

TEST_F(LevelDetectTest, KnobsStoreEveryRealChangeAlsoWhileFilling)
{
    editor.SetKnob(lkHold, 30);
    editor.SetKnob(lkLevel, 99); // limited to the knob's range
    EXPECT_EQ(Detect(0).HoldTime, 30);
    EXPECT_EQ(Detect(0).Level, 50);
    EXPECT_EQ(editor.KnobTexts[lkLevel], "10 dB int");

    // The second detect holds 0 everywhere: the hold knob moves from 30 to its minimum 1 and
    // stores it; the level knob moves to 0 and stores that.
    ASSERT_TRUE(page.Select(1));
    page.RefreshLogicEditor([&] { editor.Fill(); });
    EXPECT_EQ(Detect(1).HoldTime, 1);
    EXPECT_EQ(editor.KnobTexts[lkHold], "0.1 s");
    EXPECT_EQ(Detect(0).HoldTime, 30);

    // Without a selected element the knobs only move their displays.
    page.Show(lkLevelDetection);
    ASSERT_EQ(page.Selected(), 1);
    ASSERT_TRUE(page.Select(-1));
    editor.SetKnob(lkAttack, 200);
    EXPECT_EQ(editor.KnobTexts[lkAttack], "200 ms");
    EXPECT_EQ(Detect(1).Attack, 0);
}

} // namespace
} // namespace kvr::editors::test
