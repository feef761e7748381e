#pragma once
// The DSP-function icons of the chain lists: a small image list drawn by the catalogue's icon
// number, each a framed 16 x 16 cell with the function's transfer curve.

#include <QIcon>
#include <QImage>

namespace kvr::gfx {
class Canvas;
}

namespace kvr::editors {

inline constexpr int kDSPIconSize = 16;

// Draws icon Icon with its top-left corner at (X, Y); an icon number without a picture draws the
// empty frame.
void DrawDSPIcon(gfx::Canvas& Canvas, int Icon, int X, int Y);
QImage DSPIconImage(int Icon);
QIcon DSPIcon(int Icon);

} // namespace kvr::editors
