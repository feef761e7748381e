#include "console/keypreview.h"

#include "console/keycaption.h"
#include "console/modulegeometry.h"
#include "console/moduletypes.h"
#include "gfx/canvas.h"

namespace kvr::console {

namespace {

constexpr int kUserDefined = 4;

// Base sizes, halved for the panel.
struct SizeBase {
    int Font;
    int FaderFont;
    int Width;
    int Height;
};
constexpr std::array<SizeBase, 3> kBases{{{30, 30, 101, 101}, {35, 50, 161, 161}, {50, 50, 192, 131}}};

int Half(int base)
{
    return static_cast<int>(base * 0.5);
}

using F = ColourField;
void Show(KeyPreviewLayout& l, std::initializer_list<F> shown, std::initializer_list<F> hidden)
{
    for (F f : shown)
        l.Fields[static_cast<std::size_t>(f)] = true;
    for (F f : hidden)
        l.Fields[static_cast<std::size_t>(f)] = false;
}

} // namespace

std::optional<KeyPreviewLayout> KeyPreviewLayoutOf(int moduleType, const model::TKeyRecord& record)
{
    const auto rects = ModuleElementRects(moduleType);
    const std::size_t element = record[kf::Key];
    // A key number beyond the type's elements has no rectangle to measure.
    if (element >= rects.size())
        return std::nullopt;
    const int width = rects[element].Width();
    KeyPreviewLayout l;
    l.SizeClass = width < 200 ? 0 : width < 300 ? 1 : 2;
    const SizeBase& base = kBases[static_cast<std::size_t>(l.SizeClass)];
    l.FontHeight = Half(IsFaderFamilyType(moduleType) ? base.FaderFont : base.Font);
    l.Width = Half(base.Width);
    l.Height = Half(base.Height);
    switch (l.SizeClass) {
    case 0: Show(l, {F::Shape5, F::Shape6}, {F::Shape3, F::Shape7, F::Shape4}); break;
    case 1: Show(l, {F::Image2, F::Shape5, F::Shape6, F::Shape7, F::Shape3}, {F::Shape4}); break;
    default: Show(l, {F::Image3, F::Shape4, F::Shape3}, {F::Shape5, F::Shape6, F::Shape7, F::Image2}); break;
    }
    return l;
}

gfx::Color KeyPreviewColour(int moduleType, const model::TKeyRecord& record, gfx::Color previous)
{
    const int colours = record[kf::Colours];
    if (record[kf::Function] == kUserDefined && !IsFaderFamilyType(moduleType)) {
        static constexpr gfx::Color lamp[] = {gfx::clYellow, gfx::clRed, gfx::clLime};
        const int first = colours & 0x03;
        return first < 3 ? lamp[first] : previous;
    }
    static constexpr gfx::Color active[] = {gfx::clWhite, gfx::clYellow, gfx::clRed, gfx::clLime};
    return active[(colours >> 6) & 0x03];
}

void DrawKeyPreview(gfx::Canvas& canvas, int moduleType, const model::TKeyRecord& record)
{
    const auto layout = KeyPreviewLayoutOf(moduleType, record);
    if (!layout)
        return;
    canvas.font().name = "Arial";
    canvas.font().height = layout->FontHeight;
    canvas.brush().style = gfx::BrushStyle::Solid;
    canvas.brush().color = KeyPreviewColour(moduleType, record, canvas.brush().color);
    canvas.pen().color = gfx::clBlack;
    canvas.pen().style = gfx::PenStyle::Solid;
    canvas.Rectangle(0, 0, layout->Width, layout->Height);

    const auto lines = KeyCaptionLines(record);
    const int n = static_cast<int>(lines.size());
    const int h = canvas.TextHeight(KeyCaptionText(record));
    const int cx = layout->Width / 2 - 1;
    const int cy = layout->Height / 2 - 1;
    const int top = cy - ((n - 1) * h) / 2 - h / 2;
    for (int i = 0; i < n; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        canvas.TextOut(cx - canvas.TextWidth(line) / 2, top + i * h, line);
    }
}

} // namespace kvr::console
