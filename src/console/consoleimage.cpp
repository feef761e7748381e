#include "console/consoleimage.h"

#include "console/consoleeditorstate.h"
#include "console/modulegeometry.h"
#include "console/modulepainter.h"
#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "model/device.h"

namespace kvr::console {

namespace {

constexpr int kColumns = 9;
constexpr double kUpperRowShare = 0.247;
constexpr double kLowerRowShare = 0.752;
constexpr double kConsoleHeight = 5100; // an overbridge and a tall face, in face units

} // namespace

ConsoleImageGeometry ConsoleImageGeometry::Of(int width, int height)
{
    ConsoleImageGeometry g;
    g.ModuleWidthPx = width / kColumns;
    g.UpperRowHeightPx = static_cast<int>(height * kUpperRowShare);
    g.LowerRowHeightPx = static_cast<int>(height * kLowerRowShare);
    g.Scale = (g.LowerRowHeightPx + g.UpperRowHeightPx) / kConsoleHeight;
    return g;
}

int ConsoleSlotAt(const ConsoleImageGeometry& geometry, int x, int y, bool studioPanel)
{
    if (studioPanel)
        return kStudioPanelPosition;
    if (geometry.ModuleWidthPx <= 0 || x < 0 || y < 0)
        return -1;
    const int column = x / geometry.ModuleWidthPx;
    // Right of the ninth column there is no slot: a drop there would write an undrawn module.
    if (column >= kColumns)
        return -1;
    return y < geometry.UpperRowHeightPx ? column + 10 : column;
}

int HitTestModule(double x, double y, int type, double scale)
{
    if (scale <= 0)
        return -1;
    const double fx = x / scale;
    const double fy = y / scale;
    const auto rects = ModuleElementRects(type);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const ElementRect& r = rects[i];
        if (r.Left <= fx && fx <= r.Right && r.Top <= fy && fy <= r.Bottom)
            return static_cast<int>(i);
    }
    return -1;
}

int HitTestConsoleModule(const ConsoleImageGeometry& geometry, int position, int x, int y, int type)
{
    if (!IsSlotPosition(position))
        return -1;
    const int column = IsUpperRow(position) ? position - 10 : position;
    const int top = IsUpperRow(position) ? 0 : geometry.UpperRowHeightPx;
    return HitTestModule(x - column * geometry.ModuleWidthPx, y - top, type, geometry.Scale);
}

void DrawConsole(gfx::Canvas& canvas, int width, int height, model::TDevice& device, ConsoleEditorState& state,
                 TKVRLog* log)
{
    const ConsoleImageGeometry g = ConsoleImageGeometry::Of(width, height);
    state.ModuleWidthPx = g.ModuleWidthPx;
    state.UpperRowHeightPx = g.UpperRowHeightPx;
    state.LowerRowHeightPx = g.LowerRowHeightPx;
    canvas.brush() = gfx::Brush{gfx::clWhite, gfx::BrushStyle::Solid};
    canvas.FillRect({0, 0, width, height});

    const std::uint8_t base = state.PageMode == pmAuthorisation ? kFaceAccessView : 0;
    const ModulePaintContext context{device, state.SelectedKey, log};
    const int console = state.SelectedConsole;
    const float s = static_cast<float>(g.Scale);
    const auto paint = [&](int position, int x, int y) {
        const std::uint8_t flags = base | (position == state.SelectedSlot ? kFaceSelected : 0);
        PaintModule(x, y, canvas, flags, s, ModuleSlotID(console, position), context);
    };
    if (HasStudioPanel(device, console)) {
        paint(kStudioPanelPosition, 2 * g.ModuleWidthPx, 0);
    } else {
        for (int position = 10; position <= 18; ++position)
            paint(position, (position - 10) * g.ModuleWidthPx, 0);
        for (int position = 0; position <= 8; ++position)
            paint(position, position * g.ModuleWidthPx, g.UpperRowHeightPx);
    }
    if (state.SelectedSlot != -1)
        state.SelectedModule = ModuleEntryAt(device, console, state.SelectedSlot);
}

} // namespace kvr::console
