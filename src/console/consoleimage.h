#pragma once
// The console picture: a console's two rows of module faces at the picture's size, which slot a
// point lies in, and which element of a module lies under a point.

#include "gfx/canvas.h"

#include <cstdint>

class TKVRLog;

namespace kvr::model {
class TDevice;
}

namespace kvr::console {

struct ConsoleEditorState;

struct ConsoleImageGeometry {
    int ModuleWidthPx = 0;
    int UpperRowHeightPx = 0;
    int LowerRowHeightPx = 0;
    double Scale = 0; // pixels per tenth of a millimetre

    static ConsoleImageGeometry Of(int width, int height);
};

// The slot position under a point: 10-18 in the upper row, 0-8 in the lower one; -1 right of the
// ninth column (a picture width not divisible by nine) or outside the picture. With a Studio
// Panel on the console every point of it is position 12.
int ConsoleSlotAt(const ConsoleImageGeometry& geometry, int x, int y, bool studioPanel);

// The element of a module type under a point given relative to the face's top-left corner at
// the scale; the first rectangle holding the point, edges included; -1 for none.
int HitTestModule(double x, double y, int type, double scale);
// The same on the console picture for the module at a slot position.
int HitTestConsoleModule(const ConsoleImageGeometry& geometry, int position, int x, int y, int type);

// Draws the selected console of the state onto a white picture of the given size and records
// the picture's geometry in the state.
void DrawConsole(gfx::Canvas& canvas, int width, int height, model::TDevice& device, ConsoleEditorState& state,
                 TKVRLog* log);

} // namespace kvr::console
