#include "controls/knobpainter.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace kvr::controls {

using gfx::Canvas;
using gfx::Point;

namespace {

constexpr gfx::Color knobFill = 0x0F0F0F;

// The lit dot of the Pulse style, 5 x 5 around the tip: W white, S silver, G grey.
constexpr std::array<const char*, 5> pulseDot = {
    " WWS ",
    "WWSSG",
    "WSSSG",
    "WSSGG",
    " GGG ",
};

} // namespace

Point knobCentre(int width)
{
    return {width / 2, width / 2};
}

Point knobPointerTip(int width, int position, int min, int range)
{
    const float steps = static_cast<float>(static_cast<std::int64_t>(position) - min);
    const float a = steps * 4.712389f / static_cast<float>(range) + 2.3561945f;
    const int quarter = width / 4;
    const int half = width / 2;
    return {static_cast<int>(std::cos(static_cast<double>(a)) * quarter + half),
            static_cast<int>(std::sin(static_cast<double>(a)) * quarter + half)};
}

std::vector<Point> knobTickEnds(int width)
{
    std::vector<Point> ends;
    const int half = width / 2;
    for (int d = 45; d <= 314; ++d) {
        if (d % 30 != 0)
            continue;
        const float b = static_cast<float>(d * 3.14 * (1.0 / 180.0));
        ends.push_back({static_cast<int>(half + std::sin(static_cast<double>(b)) * width * 0.5),
                        static_cast<int>(half + std::cos(static_cast<double>(b)) * width * 0.5)});
    }
    return ends;
}

gfx::Rect knobBody(int width)
{
    const int m = width * 15 / 100;
    return {m, m, width - m, width - m};
}

void paintKnobBackground(Canvas& canvas, const KnobLook& look)
{
    const int w = look.width;
    if (look.bgPicture != nullptr) {
        canvas.brush().style = gfx::BrushStyle::Clear;
        canvas.Draw(0, 0, *look.bgPicture);
    } else {
        canvas.brush() = {look.bgColor, gfx::BrushStyle::Solid};
        canvas.FillRect({0, 0, w, look.height});
    }
    const Point centre = knobCentre(w);
    if (look.style == TKVRPoti3Style::Normal) {
        canvas.pen() = {look.fgColor, 1, gfx::PenStyle::Solid, gfx::PenMode::Copy};
        for (const Point& end : knobTickEnds(w)) {
            canvas.MoveTo(centre.x, centre.y);
            canvas.LineTo(end.x, end.y);
        }
    }
    canvas.brush() = {knobFill, gfx::BrushStyle::Solid};
    canvas.pen() = {gfx::clGray, 2, gfx::PenStyle::Solid, gfx::PenMode::Copy};
    canvas.Ellipse(knobBody(w));
    canvas.pen().width = 1;
    canvas.Ellipse(knobBody(w));
    if (look.caption.empty())
        return;
    canvas.font() = look.font;
    if (!look.enabled)
        canvas.font().color = gfx::clGray;
    canvas.brush().style = gfx::BrushStyle::Clear;
    canvas.setBackgroundMode(gfx::BackgroundMode::Transparent);
    const int textHeight = canvas.TextHeight("X");
    canvas.TextOut(w / 2 - canvas.TextWidth(look.caption) / 2, look.height - textHeight, look.caption);
}

void paintKnobFrame(Canvas& canvas, const QImage& background, int width, int height, TKVRPoti3Style style,
                    Point tip, bool focused)
{
    canvas.Draw(0, 0, background);
    if (style == TKVRPoti3Style::Normal) {
        const Point centre = knobCentre(width);
        canvas.pen() = {gfx::clGray, 3, gfx::PenStyle::Solid, gfx::PenMode::Copy};
        canvas.MoveTo(centre.x, centre.y);
        canvas.LineTo(tip.x, tip.y);
        canvas.pen() = {gfx::clSilver, 1, gfx::PenStyle::Solid, gfx::PenMode::Copy};
        canvas.MoveTo(width / 2 - 1, width / 2 - 1);
        canvas.LineTo(tip.x, tip.y - 1);
    } else {
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                const char c = pulseDot[static_cast<std::size_t>(dy + 2)][dx + 2];
                if (c != ' ')
                    canvas.SetPixel(tip.x + dx, tip.y + dy, c == 'W' ? gfx::clWhite : c == 'S' ? gfx::clSilver : gfx::clGray);
            }
        }
    }
    if (focused)
        canvas.DrawFocusRect({0, 0, width - 1, height - 1});
}

} // namespace kvr::controls
