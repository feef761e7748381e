#pragma once
// The screw head that module faces and the frame's rear view share.

#include "gfx/canvas.h"

namespace kvr::gfx {

// A screw head centred at (X, Y) in the canvas's current pen and brush: a circle of radius
// trunc(25 x Scale) and a cross of half-length trunc(15 x Scale), both reaching one pixel further
// right and down so that the exclusive edges leave them symmetric. Every caller draws the plain
// head; Slotted is kept for their argument order and draws the same head.
void DrawScrew(int X, int Y, float Scale, Canvas& canvas, bool Slotted);

} // namespace kvr::gfx
