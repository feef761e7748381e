#include "console/consoleeditorstate.h"
#include "console/consoleimage.h"
#include "console/modulepainter.h"
#include "consolefixture.h"
#include "gfx/recordingcanvas.h"

using namespace kvr;
using namespace kvr::console;
using namespace kvr::console::test;

namespace {

TEST(ConsoleImageGeometry, DesignSizeAndAWidthNotDivisibleByNine)
{
    const auto g = ConsoleImageGeometry::Of(468, 173);
    EXPECT_EQ(52, g.ModuleWidthPx);
    EXPECT_EQ(42, g.UpperRowHeightPx);  // 173 x 0.247
    EXPECT_EQ(130, g.LowerRowHeightPx); // 173 x 0.752
    EXPECT_DOUBLE_EQ(172.0 / 5100, g.Scale);

    const auto wide = ConsoleImageGeometry::Of(470, 173);
    // (x, y, position); the two columns of pixels right of the ninth module are no slot.
    const std::tuple<int, int, int> points[] = {{0, 0, 10},   {51, 41, 10},  {52, 41, 11}, {0, 42, 0},
                                                {467, 42, 8}, {467, 0, 18},  {468, 0, -1}, {469, 100, -1},
                                                {-1, 5, -1},  {10, -1, -1}};
    for (const auto& [x, y, position] : points)
        EXPECT_EQ(position, ConsoleSlotAt(wide, x, y, false)) << x << ',' << y;
    EXPECT_EQ(12, ConsoleSlotAt(wide, 469, 150, true));
}

TEST(ConsoleImageGeometry, HitTestIncludesEdgesAndTheFirstHitWins)
{
    // Type 10 key 48 (400, 2760)-(600, 2960) at scale 0.5.
    const std::tuple<double, double, int> points[] = {
        {200, 1380, 48}, {300, 1480, 48}, {299.9, 1479.9, 48}, {300.5, 1480, -1}, {199.5, 1380, -1},
        {150, 180, 0},   // key 0's top-left corner
        {250, 280, 0},   // the corner key 0 and key 1 share: key 0 comes first
    };
    for (const auto& [x, y, element] : points)
        EXPECT_EQ(element, HitTestModule(x, y, 10, 0.5)) << x << ',' << y;
    EXPECT_EQ(-1, HitTestModule(10, 10, 1, 0.5));
    EXPECT_EQ(-1, HitTestModule(10, 10, 10, 0));
    // The display element is found too.
    EXPECT_EQ(49, HitTestModule(300, 380, 10, 0.5));
}

TEST(ConsoleImageGeometry, HitTestOnTheConsolePictureIsRelativeToTheSlot)
{
    const auto g = ConsoleImageGeometry::Of(900, 510); // 100 wide columns, upper row 125, scale 0.1
    // Lower position 3: key 48 of a Main Module at (340, 276 + 125) relative to its face.
    EXPECT_EQ(48, HitTestConsoleModule(g, 3, 300 + 45, 125 + 280, 10));
    // Upper position 12: key 0 of a 40 Pushbutton at (3.2, 19)-(16.2, 32).
    EXPECT_EQ(0, HitTestConsoleModule(g, 12, 200 + 5, 25, 25));
    EXPECT_EQ(-1, HitTestConsoleModule(g, 9, 905, 25, 25));
}

class ConsolePicture : public ConsoleTest {
protected:
    ConsoleEditorState state;
    gfx::RecordingCanvas canvas;
};

TEST_F(ConsolePicture, RowsOfFacesAndTheStudioPanelAlone)
{
    Add(0, 0, 10);
    Add(0, 15, 25);
    state.SelectedSlot = 0;
    DrawConsole(canvas, 900, 510, device, state, nullptr);
    EXPECT_EQ(100, state.ModuleWidthPx);
    EXPECT_EQ(125, state.UpperRowHeightPx);
    EXPECT_EQ(383, state.LowerRowHeightPx);
    EXPECT_EQ(gfx::OpKind::FillRect, canvas.ops()[0].kind);
    EXPECT_EQ((gfx::Rect{0, 0, 900, 510}), canvas.ops()[0].rect);
    // Upper row first, then the lower row; faces 1600 x s wide at 100-pixel columns. The
    // selected Main Module is outlined a second time in the selection colour.
    std::vector<std::pair<gfx::Rect, gfx::Color>> outlines;
    for (const auto& op : canvas.ofKind(gfx::OpKind::Rectangle)) {
        if (op.rect.left % 100 == 0 && (op.rect.top == 0 || op.rect.top == 125) && op.rect.right - op.rect.left == 158)
            outlines.push_back({op.rect, op.pen.color});
    }
    ASSERT_EQ(19u, outlines.size());
    EXPECT_EQ((gfx::Rect{0, 0, 158, 387}), outlines[0].first); // empty slots are tall in either row
    EXPECT_EQ((gfx::Rect{500, 0, 658, 126}), outlines[5].first);
    EXPECT_EQ((gfx::Rect{0, 125, 158, 512}), outlines[9].first);
    EXPECT_EQ(face::Selection, outlines[10].second);
    EXPECT_EQ((gfx::Rect{800, 125, 958, 512}), outlines[18].first);
    EXPECT_EQ(10, model::ModuleType(state.SelectedModule));

    state.SelectedSlot = 12;
    state.SelectedConsole = 1;
    Add(1, 12, 11);
    canvas.clear();
    DrawConsole(canvas, 900, 510, device, state, nullptr);
    const auto rects = canvas.ofKind(gfx::OpKind::Rectangle);
    ASSERT_FALSE(rects.empty());
    // The panel's face starts at two module widths; nothing else is drawn.
    EXPECT_EQ((gfx::Rect{200, 0, static_cast<int>(200 + 2250 * (508.0 / 5100) - 1), static_cast<int>(1600 * (508.0 / 5100) - 1)}),
              rects[0].rect);
    EXPECT_EQ(face::Selection, rects[1].pen.color);
    EXPECT_EQ(11, model::ModuleType(state.SelectedModule));
}

TEST_F(ConsolePicture, AuthorisationModeDrawsTheAccessView)
{
    Add(0, 0, 10);
    AddKeyRecords(0, 0, {0});
    auto entry = ModuleEntryAt(device, 0, 0);
    entry[model::kModuleHead + 35] = 1; // key 0 restricted
    entry[model::kModuleHead + 33] = 0x40;
    device.SetSetupData(100, entry);
    const auto lampOfKey0 = [&](int pageMode) {
        state.PageMode = pageMode;
        canvas.clear();
        DrawConsole(canvas, 900, 510, device, state, nullptr);
        std::vector<gfx::Color> fills;
        for (const auto& op : canvas.ofKind(gfx::OpKind::Rectangle))
            fills.push_back(op.brush.color);
        return std::count(fills.begin(), fills.end(), face::LampRed) + 10 * std::count(fills.begin(), fills.end(), face::LampYellow);
    };
    EXPECT_EQ(10, lampOfKey0(pmKeys));
    EXPECT_EQ(10, lampOfKey0(pmConsole));
    EXPECT_EQ(1, lampOfKey0(pmAuthorisation));
}

} // namespace
