#pragma once
// The face of one console module drawn at any origin and scale on any canvas: small in the
// console picture, large in the module panel, black on white for the printer. Faces are measured
// in tenths of a millimetre; every conversion to a pixel truncates toward zero.

#include "gfx/canvas.h"

#include <cstdint>
#include <string_view>

class TKVRLog;

namespace kvr::model {
class TDevice;
}

namespace kvr::console {

// Flags of a face drawing; any combination works.
inline constexpr std::uint8_t kFaceDetailed = 1;   // legends, scales, captions, bevels, screws
inline constexpr std::uint8_t kFaceSelected = 2;   // selection outline and the selected key
inline constexpr std::uint8_t kFacePrint = 4;      // white face, black lines and legends
inline constexpr std::uint8_t kFaceAccessView = 8; // lamp areas show the user-group restriction

namespace face {
inline constexpr gfx::Color Body = gfx::rgb(96, 94, 93);
inline constexpr gfx::Color EmptyBody = gfx::rgb(192, 192, 192);
inline constexpr gfx::Color Selection = gfx::rgb(96, 96, 255);
inline constexpr gfx::Color LampNone = gfx::rgb(223, 223, 223);
inline constexpr gfx::Color LampYellow = gfx::rgb(255, 255, 0);
inline constexpr gfx::Color LampRed = gfx::rgb(255, 0, 0);
inline constexpr gfx::Color LampGreen = gfx::rgb(0, 255, 0);
inline constexpr gfx::Color Shadow = gfx::rgb(128, 128, 128);
inline constexpr const char* LegendFont = "BankGothic Md BT";
inline constexpr const char* TextFont = "Arial";
inline constexpr const char* SymbolFont = "Symbol";
} // namespace face

// What a face drawing reads besides its slot: the device (key records of fader types may create
// the device's shared key table), the selected key of the selected module, and the log that
// takes one line per key drawn.
struct ModulePaintContext {
    const model::TDevice& Device; // read only: a picture never changes the device
    int SelectedKey = -1;
    TKVRLog* Log = nullptr;
};

// The module in setup entry slotID with its top-left corner at (x, y) and s pixels per tenth of
// a millimetre. Leaves the brush solid white.
void PaintModule(int x, int y, gfx::Canvas& canvas, std::uint8_t flags, float s, int slotID,
                 const ModulePaintContext& context);

// One key of the module: frame, lamp area, selection or marking and, detailed, the caption.
void DrawModuleKeyCaptions(int x, int y, gfx::Canvas& canvas, std::uint8_t flags, float s, int key, int slotID,
                           const ModulePaintContext& context);

// A potentiometer knob centred at (cx, cy) in the canvas's font; scale and caption when detailed.
void DrawModulePot(int cx, int cy, gfx::Canvas& canvas, std::uint8_t flags, std::string_view caption, float s);

} // namespace kvr::console
