#include <gtest/gtest.h>

#include "editors/audio/channelassignment.h"
#include "editors/dsp/dspicons.h"
#include "gfx/recordingcanvas.h"

namespace kvr::editors::test {
namespace {

using gfx::OpKind;

TEST(DSPIcons, FramedCurveInsideTheCell)
{
    gfx::RecordingCanvas canvas;
    DrawDSPIcon(canvas, 4, 10, 20); // EQ
    const auto& ops = canvas.ops();
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].kind, OpKind::Rectangle);
    EXPECT_EQ(ops[0].rect, (gfx::Rect{10, 20, 26, 36}));
    EXPECT_EQ(ops[0].pen.color, gfx::clGray);
    EXPECT_EQ(ops[0].brush.color, gfx::clWhite);
    EXPECT_EQ(ops[1].kind, OpKind::Polyline);
    EXPECT_EQ(ops[1].pen.color, gfx::clBlue);
    EXPECT_EQ(ops[1].points.front(), (gfx::Point{12, 29}));
    // The last point is repeated one pixel on, so the drawn curve ends on the cell's inner edge.
    EXPECT_EQ(ops[1].points.back(), (gfx::Point{25, 29}));
    for (const gfx::Point& p : ops[1].points) {
        EXPECT_GT(p.x, 10);
        EXPECT_LT(p.y, 35);
        EXPECT_GT(p.y, 20);
    }
}

TEST(DSPIcons, EveryFaderFunctionHasItsPicture)
{
    for (const ChainFunction& f : ChannelAssignment::AvailableFunctions()) {
        gfx::RecordingCanvas canvas;
        DrawDSPIcon(canvas, f.Icon, 0, 0);
        EXPECT_EQ(canvas.ofKind(OpKind::Polyline).size(), 1u) << f.Name;
    }
    // An icon number without a picture leaves the frame empty.
    gfx::RecordingCanvas canvas;
    DrawDSPIcon(canvas, 0, 0, 0);
    EXPECT_EQ(canvas.ops().size(), 1u);
}

} // namespace
} // namespace kvr::editors::test
