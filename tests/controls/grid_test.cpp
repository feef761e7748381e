// The draw grid's scroll-bar values and cell drawing, and the draw panel's rectangle.
#include "controls/drawpanel.h"
#include "controls/gridrules.h"
#include "controls/kvrgrid.h"
#include "gfx/recordingcanvas.h"

#include <gtest/gtest.h>

#include <QScrollBar>

using namespace kvr::controls;
using namespace kvr::gfx;

namespace {

GridAxis rows(int lineWidth, int fixed, int count, int size, int top, int height)
{
    return {lineWidth, std::vector<int>(static_cast<std::size_t>(count), size), fixed, top, height};
}

TEST(GridScrollBar, ThumbsFollowTheVisibleShare)
{
    struct Case {
        const char* name;
        GridAxis axis;
        bool proportional;
        std::optional<ScrollBarInfo> expected; // none: the bar is left as read
    };
    const ScrollBarInfo read{0, 127, 0, 40};
    const Case cases[] = {
        // One fixed row and 50 rows of 20 in a grid 200 high: r = 178 / 1051.
        {"proportional", rows(1, 1, 51, 20, 1, 200), true, ScrollBarInfo{0, 153, 27, 0}},
        {"afterScrollingTenRows", rows(1, 1, 51, 20, 11, 200), true, ScrollBarInfo{0, 153, 27, 31}},
        {"proportionalOffKeepsPosition", rows(1, 1, 51, 20, 11, 200), false, ScrollBarInfo{0, 127, 0, 40}},
        {"allRowsFit", rows(1, 1, 6, 20, 1, 200), true, std::nullopt},
        {"exactlyFits", rows(0, 0, 10, 10, 0, 100), true, std::nullopt},
        {"shareAboveTheThreshold", rows(0, 0, 2000, 10, 0, 19999), true, std::nullopt},
        {"onePixelShort", rows(0, 0, 10, 10, 0, 99), true, ScrollBarInfo{0, 12799, 12673, 0}},
        {"nothingToScrollOver", rows(0, 0, 0, 10, 0, 50), true, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(proportionalScrollBar(read, c.axis, c.proportional), c.expected) << c.name;
}

TEST(GridScrollBar, PlainBarSpreadsPositionsZeroTo127)
{
    // 50 scrolled rows of 21 pixels, 8 of them fit below the fixed row: rows 1 .. 43 can be first.
    EXPECT_EQ(maxFirstScrolled(rows(1, 1, 51, 20, 1, 0), 200), 43);
    EXPECT_EQ(plainScrollBar(rows(1, 1, 51, 20, 1, 0), 200), (ScrollBarInfo{0, 127, 0, 0}));
    EXPECT_EQ(plainScrollBar(rows(1, 1, 51, 20, 43, 0), 200), (ScrollBarInfo{0, 127, 0, 127}));
    EXPECT_EQ(plainScrollBar(rows(1, 1, 51, 20, 22, 0), 200).pos, 63);
    EXPECT_EQ(plainScrollBar(rows(1, 1, 6, 20, 1, 0), 200), (ScrollBarInfo{0, 0, 0, 0}));
    EXPECT_EQ(visibleScrolled(rows(1, 1, 51, 20, 1, 0), 200), 8);
}

TEST(GridCells, ColoursOfFixedSelectedAndPlainCells)
{
    struct Case {
        const char* name;
        CellPlace cell;
        TKVRGridOptions options;
        CellLook expected;
    };
    const Color color = clWindow;
    const Color fixed = clBtnFace;
    const Case cases[] = {
        {"currentRowHeader", {0, 3, 2, 3, gdFixed}, {dgoHighlightFixedRow}, {true, clHighlight, std::nullopt, clHighlightText}},
        {"otherRowHeader", {0, 4, 2, 3, gdFixed}, {dgoHighlightFixedRow}, {false, fixed, color, clBlack}},
        {"rowHeaderWithoutTheOption", {0, 3, 2, 3, gdFixed}, {}, {false, fixed, color, clBlack}},
        {"currentColumnHeader", {2, 0, 2, 3, gdFixed}, {dgoHighlightFixedCol}, {true, clHighlight, std::nullopt, clHighlightText}},
        {"selected", {2, 3, 2, 3, gdSelected | gdFocused}, {}, {true, clHighlight, std::nullopt, clHighlightText}},
        {"plain", {1, 1, 2, 3, 0}, {dgoHighlightFixedRow}, {false, color, fixed, clBlack}},
    };
    for (const Case& c : cases) {
        const CellLook look = cellLook(c.cell, c.options, color, fixed, clBlack);
        EXPECT_EQ(look.highlighted, c.expected.highlighted) << c.name;
        EXPECT_EQ(look.brush, c.expected.brush) << c.name;
        EXPECT_EQ(look.pen, c.expected.pen) << c.name;
        EXPECT_EQ(look.text, c.expected.text) << c.name;
    }
}

TEST(GridCells, CellIsFilledTextedEdgedAndFocused)
{
    RecordingCanvas canvas;
    const CellLook look{false, clWindow, clBtnFace, clBlack};
    drawGridCell(canvas, {10, 20, 74, 44}, "Ch 1", look, Font{}, true);
    const auto& ops = canvas.ops();
    ASSERT_EQ(ops.size(), 5u);
    EXPECT_EQ(ops[0].kind, OpKind::FillRect);
    EXPECT_EQ(ops[1].kind, OpKind::TextRect);
    EXPECT_EQ(ops[1].rect, (Rect{10, 20, 74, 44}));
    EXPECT_EQ(ops[1].points.front(), (Point{12, 22}));
    EXPECT_EQ(ops[2].points, (std::vector<Point>{{10, 43}, {73, 43}}));
    EXPECT_EQ(ops[3].points, (std::vector<Point>{{73, 43}, {73, 19}}));
    EXPECT_EQ(ops[3].pen.color, clBtnFace);
    EXPECT_EQ(ops[4].kind, OpKind::FocusRect);

    RecordingCanvas empty;
    drawGridCell(empty, {0, 0, 5, 5}, "", look, Font{}, false);
    EXPECT_TRUE(empty.texts().empty());
}

class GridWidget : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid.resize(300, 200);
        grid.SetRowCount(10);
        grid.SetColCount(4);
        grid.Options2 = {dgoHighlightFixedRow, dgoProportionalScroll};
        grid.OnGetCellText = [](TKVRGrid*, int col, int row, std::string& text) {
            text = "r" + std::to_string(row) + "c" + std::to_string(col);
        };
    }

    // Rows whose header cell is filled with the highlight colour.
    std::vector<int> highlightedHeaders()
    {
        RecordingCanvas canvas;
        grid.PaintTo(canvas);
        std::vector<int> result;
        for (const Op& op : canvas.ofKind(OpKind::TextRect)) {
            if (op.rect.left == 0 && op.brush.color == clHighlight)
                result.push_back(grid.CellAt(op.rect.left, op.rect.top).second);
        }
        return result;
    }

    TKVRGrid grid;
};

TEST_F(GridWidget, OnlyTheCurrentRowsHeaderIsHighlighted)
{
    grid.SetRow(3);
    EXPECT_EQ(highlightedHeaders(), (std::vector<int>{3}));
    grid.SetRow(5);
    EXPECT_EQ(highlightedHeaders(), (std::vector<int>{5}));
    grid.Options2 = {dgoProportionalScroll};
    EXPECT_TRUE(highlightedHeaders().empty());
}

TEST_F(GridWidget, SelectCellCanRefuseAndUpdatesPauseThePainting)
{
    grid.OnSelectCell = [](TKVRGrid*, int, int row, bool& can) { can = row != 4; };
    grid.SetRow(4);
    EXPECT_EQ(grid.Row(), 1);
    grid.BeginUpdate();
    RecordingCanvas paused;
    grid.PaintTo(paused);
    EXPECT_TRUE(paused.ops().empty());
    grid.EndUpdate();
    RecordingCanvas painted;
    grid.PaintTo(painted);
    EXPECT_FALSE(painted.texts().empty());
}

TEST_F(GridWidget, ScrollBarKeepsPositionsZeroTo127WithAProportionalThumb)
{
    grid.SetRowCount(60);
    const QScrollBar* bar = grid.verticalScrollBar();
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 127);
    EXPECT_GT(bar->pageStep(), 0);
    grid.SetTopRow(30);
    EXPECT_GT(bar->value(), 0);
    EXPECT_LE(bar->value(), 127);
    grid.Options2 = {};
    grid.UpdateScrollBars();
    EXPECT_EQ(bar->maximum(), 127);
    EXPECT_EQ(bar->pageStep(), 0);
}

TEST(DrawPanel, HandsTheRectangleInsideTheBorderToOnDraw)
{
    EXPECT_EQ(panelDrawRect(100, 50, 5), (Rect{5, 5, 95, 45}));
    TDrawPanel panel;
    panel.resize(100, 50);
    panel.SetBorderWidth(5);
    RecordingCanvas plain;
    panel.PaintTo(plain);
    ASSERT_EQ(plain.ops().size(), 1u);
    EXPECT_EQ(plain.ops()[0].rect, (Rect{0, 0, 100, 50}));
    EXPECT_EQ(plain.ops()[0].brush.color, clBtnFace);

    Rect given;
    panel.OnDraw = [&](TDrawPanel* sender, Canvas& canvas, Rect rect) {
        EXPECT_EQ(sender->GetCanvas(), &canvas);
        given = rect;
        canvas.Rectangle(rect);
    };
    RecordingCanvas drawn;
    panel.PaintTo(drawn);
    EXPECT_EQ(given, (Rect{5, 5, 95, 45}));
    EXPECT_EQ(drawn.ofKind(OpKind::Rectangle).size(), 1u);
    EXPECT_EQ(panel.GetCanvas(), nullptr);
    const QImage shown = panel.grab().toImage();
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(Qt::black));
}

} // namespace
