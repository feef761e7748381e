#pragma once
// Painters of the frame I/O table: the whole table, one slot's rows, and the two cell frames.
// They draw on a gfx::Canvas only and keep nothing but the slot extents in the view.

#include <array>
#include <cstdint>
#include <string>

#include "app/frameio/frameview.h"
#include "gfx/color.h"

namespace kvr::gfx {
class Canvas;
}
namespace kvr::model {
class TProject;
}

namespace kvr::app::frameio {

inline constexpr gfx::Color FSlotColorEven = 0xB0D0B0;
inline constexpr gfx::Color FSlotColorOdd = 0xC0C0C0;

// Where the painters look up names that are not in the slot's record.
struct PaintSources {
    const model::TProject* Project = nullptr; // port-2 condition names
    int Device = -1;
    std::array<std::uint8_t, 200> Header{};   // the device header (port-2 conditions)
};

// Frame of a drop-down cell over columns first to end; a negative first starts 5 pixels into
// its column and has no arrow.
void DrawDropDownCell(gfx::Canvas& C, int First, int End, int Top);
// Sunken frame of an edit cell over one column.
void DrawEditCell(gfx::Canvas& C, int Column, int Top);

// Paints one slot below the previous one and sets its extent in the view.
void PaintSlotRows(gfx::Canvas& C, FrameIOView& View, int Slot, const PaintSources& Sources);
// The header: captions, grid and, in the whole-frame view, the Set All band.
void DrawSlotHeader(gfx::Canvas& C, const FrameIOView& View, int ImageHeight);
// Every slot of the view, then the header. The canvas is View.ImageHeight() high.
void DrawSlotView(gfx::Canvas& C, FrameIOView& View, const PaintSources& Sources);
// What DrawSlotView paints on the picture's rows from Top to Bottom (exclusive), pixel for pixel,
// painting only the slots and rows that reach into them: a paint of the part in view.
void DrawSlotBand(gfx::Canvas& C, FrameIOView& View, const PaintSources& Sources, int Top, int Bottom);

// Texts of the painters that the editors show too.
std::string DelayChannelsText(int Code);
std::string DelayTimeText(int Code);
std::string SRCItemText(int Option);

} // namespace kvr::app::frameio
