#pragma once
// The rotary knob's picture: geometry as pure functions and the two drawing passes, the static
// background and the frame with its pointer.

#include "controls/knobmodel.h"
#include "gfx/canvas.h"

#include <QImage>

#include <string>
#include <vector>

namespace kvr::controls {

struct KnobLook {
    int width = 30;
    int height = 30;
    TKVRPoti3Style style = TKVRPoti3Style::Normal;
    gfx::Color fgColor = gfx::clBlack;
    gfx::Color bgColor = gfx::clBtnFace;
    const QImage* bgPicture = nullptr; // drawn instead of the fill when set
    std::string caption;               // Windows-1252
    gfx::Font font;
    bool enabled = true;
};

gfx::Point knobCentre(int width);
// Tip of the pointer for a position; the angle is single precision as the knob computes it.
gfx::Point knobPointerTip(int width, int position, int min, int range);
// Outer ends of the nine scale ticks, from 150 to 390 degrees of the pointer's measure.
std::vector<gfx::Point> knobTickEnds(int width);
gfx::Rect knobBody(int width);

// Background, scale (Normal style), body and caption.
void paintKnobBackground(gfx::Canvas& canvas, const KnobLook& look);
// The background picture, the pointer (Normal) or the lit dot (Pulse), and the focus frame.
void paintKnobFrame(gfx::Canvas& canvas, const QImage& background, int width, int height,
                    TKVRPoti3Style style, gfx::Point tip, bool focused);

} // namespace kvr::controls
