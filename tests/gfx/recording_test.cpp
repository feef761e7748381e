// What painters rely on from the recording canvas, and the screw head they share.
#include "gfx/drawscrew.h"
#include "gfx/recordingcanvas.h"

#include <gtest/gtest.h>

using namespace kvr::gfx;

namespace {

TEST(RecordingCanvas, RecordsEachPrimitiveWithTheStateItWasDrawnWith)
{
    RecordingCanvas canvas;
    canvas.pen().color = clRed;
    canvas.MoveTo(1, 2);
    canvas.LineTo(5, 2);
    canvas.pen().style = PenStyle::Dash;
    canvas.brush().style = BrushStyle::Clear;
    canvas.font().bold = true;
    canvas.TextOut(3, 4, "Mil.");

    ASSERT_EQ(canvas.ops().size(), 2u);
    const Op& line = canvas.ops()[0];
    EXPECT_EQ(line.kind, OpKind::Line);
    EXPECT_EQ(line.points, (std::vector<Point>{{1, 2}, {5, 2}}));
    EXPECT_EQ(line.pen, (Pen{clRed, 1, PenStyle::Solid, PenMode::Copy}));
    const Op& text = canvas.ops()[1];
    EXPECT_EQ(text.kind, OpKind::Text);
    EXPECT_EQ(text.text, "Mil.");
    EXPECT_EQ(text.pen.style, PenStyle::Dash);
    EXPECT_EQ(text.brush.style, BrushStyle::Clear);
    EXPECT_TRUE(text.font.bold);
    EXPECT_EQ(canvas.penPos(), (Point{3 + 18, 4}));
    EXPECT_EQ(canvas.texts(), (std::vector<std::string>{"Mil."}));
}

TEST(RecordingCanvas, TextMetricsComeFromTheFixedTableScaledToTheFont)
{
    struct Case {
        int height;
        int width; // of "Mil.x"
        int cell;
    };
    for (const Case c : {Case{-11, 24, 13}, Case{0, 24, 13}, Case{-22, 48, 26}, Case{26, 48, 26}, Case{-1, 5, 1}}) {
        RecordingCanvas canvas;
        canvas.font().height = c.height;
        EXPECT_EQ(canvas.TextWidth("Mil.x"), c.width) << c.height;
        EXPECT_EQ(canvas.TextHeight("Mil.x"), c.cell) << c.height;
    }
}

TEST(RecordingCanvas, PointSizesFollowTheCanvasResolution)
{
    RecordingCanvas screen;
    screen.setFontSize(8);
    EXPECT_EQ(screen.font().height, -11);
    RecordingCanvas printer(600);
    printer.setFontSize(10);
    EXPECT_EQ(printer.font().height, -83);
    EXPECT_EQ(printer.fontSize(), 10);
}

TEST(DrawScrew, HeadAndCrossAtTheScaledCoordinates)
{
    struct Case {
        float scale;
        Rect circle;
        std::vector<Point> across;
        std::vector<Point> down;
    };
    const Case cases[] = {
        {0.5f, {88, 188, 113, 213}, {{93, 200}, {108, 200}}, {{100, 193}, {100, 208}}},
        {1.3f, {68, 168, 133, 233}, {{81, 200}, {120, 200}}, {{100, 181}, {100, 220}}},
        {0.02f, {100, 200, 101, 201}, {{100, 200}, {101, 200}}, {{100, 200}, {100, 201}}},
        // 0.12f is just below 0.12: 25 x scale truncates to 2, not to the 3 a float product rounds to.
        {0.12f, {98, 198, 103, 203}, {{99, 200}, {102, 200}}, {{100, 199}, {100, 202}}},
    };
    for (const Case& c : cases) {
        RecordingCanvas canvas;
        canvas.pen().color = clBlack;
        canvas.brush().color = clSilver;
        DrawScrew(100, 200, c.scale, canvas, false);
        ASSERT_EQ(canvas.ops().size(), 3u) << c.scale;
        EXPECT_EQ(canvas.ops()[0].kind, OpKind::Ellipse);
        EXPECT_EQ(canvas.ops()[0].rect, c.circle) << c.scale;
        EXPECT_EQ(canvas.ops()[0].brush.color, clSilver);
        EXPECT_EQ(canvas.ops()[1].points, c.across) << c.scale;
        EXPECT_EQ(canvas.ops()[2].points, c.down) << c.scale;
    }
}

} // namespace
