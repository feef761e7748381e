#pragma once
// The rear view of a device's DSP frame: one panel per card position with its connectors and
// label, the fixed bays, the frame outline with rack ears, mounting slots and dimensions. The
// panel painters draw on any canvas; lengths are multiples of the scale, every coordinate is
// truncated toward zero after adding the scaled length to its integer origin.

#include "gfx/canvas.h"

#include <optional>

namespace kvr::model {
class TDevice;
}

namespace kvr::reports {

class PageFrame;

// A D-sub standing upright, centred at (X, Y): |Pins| pins, open when Pins is negative, filled
// when positive.
void DrawDSub(int X, int Y, float Scale, gfx::Canvas& Canvas, int Pins);
// Top-left corner at (X, Y).
void DrawModularJack(int X, int Y, float Scale, gfx::Canvas& Canvas);
void DrawPortBox(int X, int Y, float Scale, gfx::Canvas& Canvas);
// Centred at (X, Y).
void DrawRoundSocket(int X, int Y, float Scale, gfx::Canvas& Canvas);
void DrawRoundConnector(int X, int Y, float Scale, gfx::Canvas& Canvas);
// One panel of the given kind (the card index of the card-type table) with its top-left corner
// at (X, Y): 200 wide below kind 100, 400 wide from 100 on, 1280 high.
void DrawCard(gfx::Canvas& Canvas, int X, int Y, int Kind, float Scale);

// The panel kind shown at card position Position (0-29) of the device; none for a card type or
// DSP sub-type without a panel. Positions 8, 18 and 28 are the controller halves of the DSP slot
// to their right.
std::optional<int> RearPanelKind(const model::TDevice& Device, int Position);

// The rear-view section of the device Frame.FDevice, one landscape job.
void PrintRearView(PageFrame& Frame);

} // namespace kvr::reports
