// The rotary knob: its picture on a recording canvas and its value rules.
#include "controls/knobmodel.h"
#include "controls/knobpainter.h"
#include "controls/kvrpoti3.h"
#include "gfx/recordingcanvas.h"

#include <gtest/gtest.h>

#include <QDir>

#include <string>
#include <vector>

using namespace kvr::controls;
using namespace kvr::gfx;

namespace {

TEST(KnobPicture, PointerTipFollowsThePosition)
{
    struct Case {
        int width, position, min, range;
        Point tip;
    };
    const Case cases[] = {
        {30, 0, 0, 100, {10, 19}},   // Min: lower left
        {30, 100, 0, 100, {19, 19}}, // Max: lower right
        {30, 50, 0, 100, {15, 8}},   // straight up
        {30, 0, -20, 40, {15, 8}},   // Min -20, Max 20, Position 0: straight up
        {30, 25, 0, 100, {8, 12}},
        {30, 75, 0, 100, {21, 12}},
        {30, 150, 0, 100, {8, 14}},  // an endless knob past Max goes on turning
        {60, 125, 0, 250, {30, 15}}, // the centre comes from the width alone
    };
    for (const Case& c : cases)
        EXPECT_EQ(knobPointerTip(c.width, c.position, c.min, c.range), c.tip) << c.position << " of " << c.range;
}

TEST(KnobPicture, BackgroundHasScaleBodyAndCentredCaption)
{
    KnobLook look;
    look.fgColor = clBlue;
    look.caption = "Gain";
    RecordingCanvas canvas;
    paintKnobBackground(canvas, look);

    const auto& ops = canvas.ops();
    ASSERT_EQ(ops.size(), 1u + 9u + 2u + 1u);
    EXPECT_EQ(ops[0].kind, OpKind::FillRect);
    EXPECT_EQ(ops[0].rect, (Rect{0, 0, 30, 30}));
    EXPECT_EQ(ops[0].brush.color, clBtnFace);
    const std::vector<Point> tickEnds = {{27, 22}, {29, 15}, {27, 7}, {22, 2}, {15, 0}, {7, 1}, {2, 7}, {0, 14}, {1, 22}};
    for (std::size_t i = 0; i < tickEnds.size(); ++i) {
        EXPECT_EQ(ops[1 + i].points, (std::vector<Point>{{15, 15}, tickEnds[i]})) << i;
        EXPECT_EQ(ops[1 + i].pen.color, clBlue);
    }
    for (int i : {10, 11}) {
        EXPECT_EQ(ops[i].kind, OpKind::Ellipse);
        EXPECT_EQ(ops[i].rect, (Rect{4, 4, 26, 26}));
        EXPECT_EQ(ops[i].brush.color, 0x0F0F0Fu);
        EXPECT_EQ(ops[i].pen.color, clGray);
    }
    EXPECT_EQ(ops[10].pen.width, 2);
    EXPECT_EQ(ops[11].pen.width, 1);
    // "Gain" is 6+6+3+6 = 21 wide and 13 high in the recording table.
    EXPECT_EQ(ops[12].text, "Gain");
    EXPECT_EQ(ops[12].points.front(), (Point{15 - 10, 30 - 13}));
    EXPECT_EQ(ops[12].brush.style, BrushStyle::Clear);
    EXPECT_EQ(ops[12].font.color, clBlack);
}

TEST(KnobPicture, PulseHasNoScaleAndADisabledCaptionIsGrey)
{
    KnobLook look;
    look.style = TKVRPoti3Style::Pulse;
    look.enabled = false;
    look.caption = "x";
    RecordingCanvas canvas;
    paintKnobBackground(canvas, look);
    EXPECT_TRUE(canvas.ofKind(OpKind::Line).empty());
    ASSERT_EQ(canvas.ofKind(OpKind::Text).size(), 1u);
    EXPECT_EQ(canvas.ofKind(OpKind::Text).front().font.color, clGray);

    look.caption.clear();
    RecordingCanvas empty;
    paintKnobBackground(empty, look);
    EXPECT_TRUE(empty.ofKind(OpKind::Text).empty());
}

TEST(KnobPicture, FrameDrawsPointerOrLitDotAndFocus)
{
    const QImage background(30, 30, QImage::Format_RGB32);
    RecordingCanvas normal;
    paintKnobFrame(normal, background, 30, 30, TKVRPoti3Style::Normal, {10, 19}, true);
    const auto lines = normal.ofKind(OpKind::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points, (std::vector<Point>{{15, 15}, {10, 19}}));
    EXPECT_EQ(lines[0].pen, (Pen{clGray, 3, PenStyle::Solid, PenMode::Copy}));
    EXPECT_EQ(lines[1].points, (std::vector<Point>{{14, 14}, {10, 18}}));
    EXPECT_EQ(lines[1].pen.color, clSilver);
    EXPECT_EQ(lines[1].pen.width, 1);
    ASSERT_EQ(normal.ofKind(OpKind::FocusRect).size(), 1u);
    EXPECT_EQ(normal.ofKind(OpKind::FocusRect).front().rect, (Rect{0, 0, 29, 29}));

    RecordingCanvas pulse;
    paintKnobFrame(pulse, background, 30, 30, TKVRPoti3Style::Pulse, {15, 8}, false);
    EXPECT_TRUE(pulse.ofKind(OpKind::Line).empty());
    EXPECT_TRUE(pulse.ofKind(OpKind::FocusRect).empty());
    const auto dot = pulse.ofKind(OpKind::Pixel);
    ASSERT_EQ(dot.size(), 21u);
    EXPECT_EQ(dot.front().points.front(), (Point{14, 6}));
    EXPECT_EQ(dot.front().color, clWhite);
    EXPECT_EQ(dot.back().points.front(), (Point{16, 10}));
    EXPECT_EQ(dot.back().color, clGray);
}

// Value rules, one row per scenario: set up, act, look at the result.
enum class Act { SetPosition, SetMin, SetMax, Press, Move, MoveReleased, Key };
struct Action {
    Act act;
    int value;
};
struct KnobCase {
    const char* name;
    TKVRPoti3Style style;
    bool enabled;
    int resolution;
    int position; // before the actions, with Min 0 and Max 100
    std::vector<Action> actions;
    int expectPosition;
    int expectChanges;
    int expectDifference;
    bool expectDragging;
};

class KnobRules : public ::testing::TestWithParam<KnobCase> {};

TEST_P(KnobRules, PositionChangesAndDifference)
{
    const KnobCase& c = GetParam();
    KnobModel knob;
    knob.SetPosition(c.position);
    knob.SetStyle(c.style);
    knob.SetResolution(c.resolution);
    knob.SetEnabled(c.enabled);
    int changes = 0;
    knob.changed = [&] { ++changes; };
    for (const Action& a : c.actions) {
        switch (a.act) {
        case Act::SetPosition: knob.SetPosition(a.value); break;
        case Act::SetMin: knob.SetMin(a.value); break;
        case Act::SetMax: knob.SetMax(a.value); break;
        case Act::Press: knob.StartDrag(a.value); break;
        case Act::Move: knob.DragTo(a.value, true); break;
        case Act::MoveReleased: knob.DragTo(a.value, false); break;
        case Act::Key: knob.KeyDown(a.value); break;
        }
    }
    EXPECT_EQ(knob.Position(), c.expectPosition);
    EXPECT_EQ(changes, c.expectChanges);
    EXPECT_EQ(knob.Difference(), c.expectDifference);
    EXPECT_EQ(knob.Dragging(), c.expectDragging);
}

constexpr auto Normal = TKVRPoti3Style::Normal;
constexpr auto Pulse = TKVRPoti3Style::Pulse;

INSTANTIATE_TEST_SUITE_P(Knob, KnobRules, ::testing::Values(
    KnobCase{"setAboveMaxStoresMax", Normal, true, 2, 50, {{Act::SetPosition, 150}}, 100, 1, 0, false},
    KnobCase{"pulseSetIsNotClamped", Pulse, true, 2, 50, {{Act::SetPosition, 150}}, 150, 1, 0, false},
    KnobCase{"sameValueRaisesNothing", Normal, true, 2, 50, {{Act::SetPosition, 50}}, 50, 0, 0, false},
    KnobCase{"disabledIgnoresSetKeysAndDrags", Normal, false, 2, 50,
             {{Act::SetPosition, 10}, {Act::Key, VK_UP}, {Act::Press, 0}, {Act::Move, 40}}, 50, 0, 0, true},
    KnobCase{"dragRemainderIsDropped", Normal, true, 5, 50,
             // 4 pixels: no step, yet OnChange; 5th pixel: +1; the next step needs 5 more from 5
             {{Act::Press, 0}, {Act::Move, 4}, {Act::Move, 5}, {Act::Move, 9}, {Act::Move, 10}}, 52, 4, 0, true},
    KnobCase{"dragLeftAndClamped", Normal, true, 2, 3, {{Act::Press, 100}, {Act::Move, 90}, {Act::Move, 60}}, 0, 2, 0, true},
    KnobCase{"pulseDragReportsDifference", Pulse, true, 2, 0,
             {{Act::Press, 10}, {Act::Move, 17}, {Act::Move, 18}}, 3, 2, 0, true},
    KnobCase{"pulseDifferenceOfTheLastMove", Pulse, true, 2, 0, {{Act::Press, 10}, {Act::Move, 4}}, -3, 1, -3, true},
    KnobCase{"moveWithoutButtonEndsDrag", Normal, true, 2, 50,
             {{Act::Press, 0}, {Act::MoveReleased, 40}, {Act::Move, 80}}, 50, 0, 0, false},
    KnobCase{"moveWithoutPressDoesNothing", Normal, true, 2, 50, {{Act::Move, 80}}, 50, 0, 0, false},
    KnobCase{"keysStepAndClampNormal", Normal, true, 2, 95,
             // Page Up: clamped 100 (two OnChange); Right at Max: one; Page Down, Down, Left
             {{Act::Key, VK_PRIOR}, {Act::Key, VK_RIGHT}, {Act::Key, VK_NEXT}, {Act::Key, VK_DOWN}, {Act::Key, VK_LEFT}},
             88, 9, 0, false},
    KnobCase{"homeAndEnd", Normal, true, 2, 40, {{Act::Key, VK_END}, {Act::Key, VK_HOME}, {Act::Key, VK_UP}}, 1, 6, 0, false},
    KnobCase{"anyKeyRaisesOnChange", Normal, true, 2, 40, {{Act::Key, 'A'}, {Act::Key, 0}}, 40, 2, 0, false},
    KnobCase{"pulseKeysUnclampedWithDifference", Pulse, true, 2, 95,
             {{Act::Key, VK_PRIOR}, {Act::Key, VK_END}, {Act::Key, VK_DOWN}}, 104, 3, -1, false},
    KnobCase{"pulseHomeAndEndDoNothingButRaise", Pulse, true, 2, 7, {{Act::Key, VK_HOME}}, 7, 1, 0, false},
    KnobCase{"maxBelowPositionLowersIt", Normal, true, 2, 60, {{Act::SetMax, 40}}, 40, 1, 0, false},
    KnobCase{"minAbovePositionRaisesIt", Normal, true, 2, 10, {{Act::SetMin, 20}, {Act::SetMin, 20}}, 20, 1, 0, false},
    KnobCase{"limitsMoveWhileDisabled", Normal, false, 2, 60, {{Act::SetMax, 40}, {Act::SetMin, 50}}, 50, 2, 0, false},
    KnobCase{"zeroResolutionStepsPerPixel", Normal, true, 0, 50, {{Act::Press, 0}, {Act::Move, 3}}, 53, 1, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KnobRules, RangeFollowsTheLimitsAndIsNeverZero)
{
    KnobModel knob;
    EXPECT_EQ(knob.Range(), 100);
    knob.SetMin(-20);
    knob.SetMax(20);
    EXPECT_EQ(knob.Range(), 40);
    knob.SetMax(-20);
    EXPECT_EQ(knob.Range(), 1);
    knob.SetMin(30); // Min above Max: the distance
    EXPECT_EQ(knob.Range(), 50);
    knob.SetResolution(-4);
    EXPECT_EQ(knob.Resolution(), 1);
}

TEST(KnobRules, EndlessKnobSaturatesInsteadOfOverflowing)
{
    KnobModel knob;
    knob.SetStyle(TKVRPoti3Style::Pulse);
    knob.SetPosition(2147483640);
    knob.KeyDown(VK_PRIOR);
    EXPECT_EQ(knob.Position(), 2147483647);
    knob.SetMin(-2147483647 - 1);
    knob.SetMax(2147483647);
    EXPECT_EQ(knob.Range(), 2147483647);
}

TEST(KnobWidget, StartsAsSpecifiedAndPaintsItsPointer)
{
    TKVRPoti3 knob;
    EXPECT_EQ(knob.size(), QSize(30, 30));
    EXPECT_EQ(knob.Resolution(), 2);
    EXPECT_EQ(knob.Max(), 100);
    EXPECT_EQ(knob.BGColor(), clBtnFace);
    EXPECT_EQ(knob.focusPolicy(), Qt::StrongFocus);
    knob.SetCaption(QStringLiteral("Lvl"));
    knob.resize(40, 48);
    knob.SetPosition(75);
    const QImage frame = knob.grab().toImage();
    QDir().mkpath(QStringLiteral(KVR_PICTURE_DIR));
    frame.scaled(160, 192).save(QStringLiteral(KVR_PICTURE_DIR "/knob.png"));
    // The pointer's grey reaches towards the upper right; the background is the button face.
    EXPECT_EQ(frame.pixelColor(1, 47), QColor(192, 192, 192));
    const Point tip = knobPointerTip(40, 75, 0, 100);
    EXPECT_EQ(frame.pixelColor(tip.x - 1, tip.y + 1), QColor(128, 128, 128));
}

} // namespace
