#pragma once
// One face drawing in progress: origin, scale, flags, the two colours of the call and the module
// entry read once. The artwork of every type draws through it in face units.

#include "console/modulepainter.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kvr::console {

class FaceDrawing {
public:
    FaceDrawing(gfx::Canvas& canvas, int x, int y, float s, std::uint8_t flags, std::span<const std::uint8_t> entry,
                const ModulePaintContext& context);

    gfx::Canvas& Canvas() { return canvas_; }
    std::span<const std::uint8_t> Entry() const { return entry_; }
    int Type() const { return type_; }
    float Scale() const { return s_; }
    std::uint8_t Flags() const { return flags_; }
    bool Detailed() const { return flags_ & kFaceDetailed; }
    bool Printing() const { return flags_ & kFacePrint; }
    bool AccessView() const { return flags_ & kFaceAccessView; }

    // Body colour B and legend colour D of the call.
    gfx::Color Body() const { return body_; }
    gfx::Color Legend() const { return legend_; }
    void SetColours(gfx::Color body, gfx::Color legend)
    {
        body_ = body;
        legend_ = legend;
    }

    // A face coordinate as a pixel.
    int X(int v) const;
    int Y(int v) const;
    // A face length as pixels (font heights, corner sizes).
    int Len(double v) const;

    void Brush(gfx::Color colour);
    void Rect(int l, int t, int r, int b);
    void Circle(int l, int t, int r, int b);
    void RoundRect(int l, int t, int r, int b, int corner);
    void Line(int x1, int y1, int x2, int y2);
    void Font(const char* name, int height);

    // Legends: drawn only when detailed, in the current font colour, by their top-left point, or
    // centred on x or right-aligned to x by their measured width.
    void Text(int x, int y, std::string_view text);
    void Centred(int x, int y, std::string_view text);
    void RightAligned(int x, int y, std::string_view text);

    // A display frame, white unless the access view keeps the body colour; the display text is
    // clipped to the last frame drawn.
    void WhiteDisplay(int l, int t, int r, int b);
    // The display text by the entry's display mode; restores the legend colour unless told not to.
    void DisplayText(int x, int y, bool restoreFontColour = true);
    void Pot(int cx, int cy, std::string_view caption);
    // Minus sign and infinity, as the scale labels store it.
    static std::string MinusInfinity();

    void Logo();
    void LogoLine();

private:
    gfx::Canvas& canvas_;
    int x_;
    int y_;
    float s_;
    std::uint8_t flags_;
    std::span<const std::uint8_t> entry_;
    const ModulePaintContext& context_;
    int type_;
    gfx::Color body_ = face::Body;
    gfx::Color legend_ = gfx::clWhite;
    gfx::Rect display_;
};

// The artwork of a key module type (legends, LEDs, knobs, displays, fader tracks).
void DrawModuleArtwork(FaceDrawing& face);

} // namespace kvr::console
