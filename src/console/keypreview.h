#pragma once
// The selected key drawn as a key cap: its label in lines on the colour the key lights when its
// function is active, in one of three sizes that follow the key's width on its module. The
// same size class decides which colour fields the key options offer.

#include "model/keyfunctions.h"

#include "gfx/color.h"

#include <array>
#include <optional>

namespace kvr::gfx {
class Canvas;
}

namespace kvr::console {

// The colour fields beside the key preview (the "Color ON" row, then the "Color OFF" row).
enum class ColourField { Shape1, Shape2, Shape3, Shape4, Image2, Shape5, Shape6, Shape7, Image3 };
inline constexpr std::size_t kColourFields = 9;

struct KeyPreviewLayout {
    int SizeClass = 0; // 0: 130 wide, 1: 200 wide, 2: 300 wide
    int FontHeight = 0;
    int Width = 0;
    int Height = 0;
    // Per colour field: shown, hidden, or left as it is.
    std::array<std::optional<bool>, kColourFields> Fields{};
};

// The layout for the record's key (byte 0) on a module type; none for a type without element
// rectangles or a key number beyond its elements.
std::optional<KeyPreviewLayout> KeyPreviewLayoutOf(int moduleType, const model::TKeyRecord& record);

// The preview's fill: the first lamp source's colour for a "User Defined" key of a key module,
// the active colour otherwise (0x00BBGGRR). A lamp colour of 3 leaves the previous colour.
gfx::Color KeyPreviewColour(int moduleType, const model::TKeyRecord& record, gfx::Color previous);

// Draws the preview over (0, 0, Width, Height) of its layout with the canvas's brush as the
// previous colour; nothing without a layout.
void DrawKeyPreview(gfx::Canvas& canvas, int moduleType, const model::TKeyRecord& record);

} // namespace kvr::console
