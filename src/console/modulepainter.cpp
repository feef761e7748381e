#include "console/modulepainter.h"

#include "console/keycaption.h"
#include "console/moduleface.h"
#include "console/modulegeometry.h"
#include "console/moduletypes.h"
#include "diagnostics/kvrlog.h"
#include "gfx/drawscrew.h"
#include "model/device.h"
#include "model/keyaccess.h"

#include <cmath>
#include <cstdio>

namespace kvr::console {

namespace {

int Trunc(double v)
{
    return static_cast<int>(v);
}

bool Has(std::uint8_t flags, std::uint8_t flag)
{
    return (flags & flag) != 0;
}

// A face rectangle as pixels: the corner converted, the size rounded down plus one.
gfx::Rect ToPixels(int x, int y, float s, const ElementRect& r)
{
    const double sd = s;
    const int left = Trunc(x + sd * r.Left);
    const int top = Trunc(y + sd * r.Top);
    return {left, top, left + Trunc(sd * r.Width() + 1), top + Trunc(sd * r.Height() + 1)};
}

ElementRect Shrunk(const ElementRect& r, int by)
{
    return {r.Left + by, r.Top + by, r.Right - by, r.Bottom - by};
}

int KeyFontHeight(int type, int key)
{
    switch (type) {
    case 13: case 23: case 25: case 26: case 28:
        return 30;
    case 12:
        return key >= 24 && key <= 56 ? 30 : 35;
    case 29:
        return key >= 41 && key <= 43 ? 30 : 35;
    case 20: case 21:
        return 50;
    default:
        return 35;
    }
}

gfx::Color LampColour(int type, const model::TKeyRecord& record)
{
    constexpr std::uint8_t kUserDefined = 4;
    const std::uint8_t colours = record[kf::Colours];
    if (record[kf::Function] == kUserDefined && !IsFaderFamilyType(type)) {
        // A user-defined key shows the colour of its first lamp source.
        constexpr gfx::Color byBits[] = {face::LampYellow, face::LampRed, face::LampGreen, face::LampNone};
        return byBits[colours & 0x03];
    }
    constexpr gfx::Color byBits[] = {face::LampNone, face::LampYellow, face::LampRed, face::LampGreen};
    return byBits[(colours >> 6) & 0x03];
}

bool LogTakes(const TKVRLog* log, int level)
{
    return log && log->Enabled && level <= log->LogLevel;
}

void Line(gfx::Canvas& c, gfx::Color colour, int x1, int y1, int x2, int y2)
{
    c.pen().color = colour;
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

void DrawCaption(int x, int y, gfx::Canvas& c, float s, const ElementRect& lamp, const model::TKeyRecord& record)
{
    const std::string text = KeyCaptionText(record);
    if (text.empty())
        return;
    const std::vector<std::string> lines = KeyCaptionLines(record);
    const double sd = s;
    const int n = static_cast<int>(lines.size());
    const int th = c.TextHeight(text);
    const int hw = Trunc(sd * lamp.Width() * 0.5);
    const int top = Trunc(sd * (lamp.Height() / 2) - ((n - 1) * th) / 2 - th / 2);
    for (int j = 0; j < n; ++j) {
        const std::string& line = lines[static_cast<std::size_t>(j)];
        const gfx::Rect clip{Trunc(x + sd * lamp.Left + 2), Trunc(y + top + sd * lamp.Top + j * th + 1),
                             Trunc(x + sd * lamp.Right - 2), Trunc(y + top + sd * lamp.Top + (j + 1) * th - 1)};
        c.TextRect(clip, Trunc(x + hw + sd * lamp.Left - c.TextWidth(line) / 2), Trunc(y + top + sd * lamp.Top + j * th),
                   line);
    }
}

void DrawKey(int x, int y, gfx::Canvas& c, std::uint8_t flags, float s, int key, int slotID, int type,
             const ModulePaintContext& context)
{
    const auto rects = ModuleElementRects(type);
    if (key < 0 || static_cast<std::size_t>(key) >= rects.size())
        return;
    const ElementRect& r = rects[static_cast<std::size_t>(key)];
    const bool print = Has(flags, kFacePrint);

    c.font().name = face::TextFont;
    c.font().color = gfx::clBlack;
    // A device that supplies no record (fixed model) draws the key as one without a record.
    model::TKeyRecord record{};
    record[kf::Key] = static_cast<std::uint8_t>(key);
    // Read without creating a missing shared table: a picture never changes the device.
    const bool own = model::ReadKeyFunction(context.Device, key, record, slotID) == 1;

    c.font().height = Trunc(KeyFontHeight(type, key) * static_cast<double>(s));
    c.brush().color = print ? gfx::clWhite : gfx::clBlack;
    ElementRect lamp = r;
    if (r.Width() == 200 || r.Width() == 130) {
        if (s > 0.05f)
            lamp = Shrunk(r, 10);
    } else if (r.Width() == 300) {
        lamp = Shrunk(r, 45);
        if (!print)
            c.brush().color = face::Shadow;
    }
    c.pen().color = gfx::clBlack;
    const gfx::Rect frame = ToPixels(x, y, s, r);
    c.Rectangle(frame);

    if (LogTakes(context.Log, 1)) {
        char line[96];
        std::snprintf(line, sizeof line, "DRAWING: Slot: %03d Key: %02d, X1: %d, X2: %d, diff: %d", slotID, key,
                      frame.left, frame.right, frame.right - frame.left);
        context.Log->Message(line, 1);
    }

    gfx::Color fill = LampColour(type, record);
    gfx::Color framePen = gfx::clBlack;
    const gfx::Rect area = ToPixels(x, y, s, lamp);
    const int l = area.left, t = area.top, rr = area.right, b = area.bottom;
    // A fader-family key whose function is set in the module itself rather than in the shared table.
    const bool marked = own && IsFaderFamilyType(type);
    const bool selected = Has(flags, kFaceSelected);

    if (print) {
        c.brush().color = gfx::clWhite;
        c.pen().color = gfx::clBlack;
        c.Rectangle(area);
    } else {
        if (marked)
            framePen = face::LampRed;
        if (Has(flags, kFaceAccessView))
            fill = record[kf::UserGroups] != 0 ? face::LampRed : face::LampNone;
        if (selected)
            framePen = face::Selection;
        if (Has(flags, kFaceDetailed)) {
            c.pen().width = 1;
            c.brush().color = face::LampNone;
            Line(c, gfx::clWhite, l, t, l, b);
            Line(c, gfx::clWhite, l, t, rr, t);
            Line(c, face::Shadow, l + 1, b - 1, rr - 1, b - 1);
            Line(c, face::Shadow, rr - 1, b - 1, rr - 1, t - 1);
            Line(c, gfx::clBlack, l, b, rr + 1, b);
            Line(c, gfx::clBlack, rr, b, rr, t);
            c.pen().color = framePen;
            c.brush().color = fill;
            if (selected || marked) {
                c.pen().width = 2;
                c.Rectangle(l + 1, t + 1, rr, b);
                c.pen().width = 1;
            } else {
                c.pen().style = gfx::PenStyle::Clear;
                c.Rectangle(l + 1, t + 1, rr, b);
                c.pen().style = gfx::PenStyle::Solid;
            }
        } else {
            c.pen().color = framePen;
            c.brush().color = fill;
            c.Rectangle(area);
            if (!selected && !marked) {
                Line(c, gfx::clWhite, l, b - 1, l, t - 1);
                Line(c, gfx::clWhite, l, t, rr, t);
                Line(c, face::Shadow, l, b - 1, rr, b - 1);
                Line(c, face::Shadow, rr - 1, b - 1, rr - 1, t - 1);
                c.pen().color = framePen;
            }
        }
    }

    c.font().color = gfx::clBlack;
    c.pen().width = 1;
    c.setBackgroundMode(gfx::BackgroundMode::Transparent);
    if (Has(flags, kFaceDetailed))
        DrawCaption(x, y, c, s, lamp, record);
    c.setBackgroundMode(gfx::BackgroundMode::Opaque);
    c.brush().color = gfx::clWhite;
}

} // namespace

void DrawModuleKeyCaptions(int x, int y, gfx::Canvas& canvas, std::uint8_t flags, float s, int key, int slotID,
                           const ModulePaintContext& context)
{
    if (slotID < 0 || slotID > 255)
        return;
    const int type = model::ModuleType(context.Device.GetSetupData(static_cast<std::uint8_t>(slotID)));
    DrawKey(x, y, canvas, flags, s, key, slotID, type, context);
}

void PaintModule(int x, int y, gfx::Canvas& canvas, std::uint8_t flags, float s, int slotID,
                 const ModulePaintContext& context)
{
    std::vector<std::uint8_t> entry;
    if (slotID >= 0 && slotID <= 255)
        context.Device.GetSetupData(static_cast<std::uint8_t>(slotID), entry);
    FaceDrawing face(canvas, x, y, s, flags, entry, context);
    const int type = face.Type();
    const FaceExtent size = FaceSize(type);
    const double sd = s;
    const gfx::Rect outline{x, y, Trunc(x + size.Width * sd - 1), Trunc(y + size.Height * sd - 1)};

    canvas.brush().style = gfx::BrushStyle::Solid;
    canvas.brush().color = type == 0 ? face::EmptyBody : face::Body;
    canvas.pen() = gfx::Pen{};
    canvas.Rectangle(outline);
    canvas.font().color = gfx::clWhite;
    if (Has(flags, kFaceSelected)) {
        canvas.pen().color = face::Selection;
        canvas.Rectangle(outline);
        canvas.pen().color = gfx::clBlack;
    }
    face.SetColours(canvas.brush().color, gfx::clWhite);
    if (Has(flags, kFacePrint)) {
        // Drawn again in white, so the printout shows no selection outline.
        face.SetColours(gfx::clWhite, gfx::clBlack);
        canvas.brush().color = gfx::clWhite;
        canvas.pen().color = gfx::clBlack;
        canvas.font().color = gfx::clBlack;
        canvas.Rectangle(outline);
    }
    canvas.brush().color = face.Body();
    const int v = (outline.right - outline.left) / 9;
    canvas.font().height = 30;

    if (type == 0) {
        const gfx::Point p{outline.left + v, outline.top + v};
        canvas.MoveTo(outline.left, outline.top);
        canvas.LineTo(p.x, p.y);
        canvas.MoveTo(outline.right - 1, outline.top + v);
        canvas.LineTo(p.x, p.y);
        canvas.MoveTo(outline.left + v, outline.bottom - 1);
        canvas.LineTo(p.x, p.y);
    } else if (type == 1 && Has(flags, kFaceDetailed)) {
        const int middle = outline.top + (outline.bottom - outline.top) / 2;
        // The print form's screw head, unslotted.
        gfx::DrawScrew(Trunc(outline.left + 50 * sd), middle, s, canvas, false);
        gfx::DrawScrew(Trunc(outline.right - 50 * sd), middle, s, canvas, false);
    } else if (IsIn(KeyModuleTypes, type)) {
        DrawModuleArtwork(face);
    }

    canvas.brush().color = gfx::clWhite;
    if (IsIn(KeyModuleTypes, type)) {
        for (int k = 0; k < KeyCount(type); ++k) {
            std::uint8_t keyFlags = flags;
            if (Has(flags, kFaceSelected) && k != context.SelectedKey)
                keyFlags = static_cast<std::uint8_t>(flags & ~kFaceSelected);
            DrawKey(x, y, canvas, keyFlags, s, k, slotID, type, context);
        }
    }
    canvas.brush().style = gfx::BrushStyle::Solid;
}

void DrawModulePot(int cx, int cy, gfx::Canvas& canvas, std::uint8_t flags, std::string_view caption, float s)
{
    // The angle constant is 3.14 / 180 in single precision, as the knobs were always drawn.
    constexpr float kDegree = 0.017444445f;
    const double sd = s;
    canvas.font().height = Trunc(40 * sd);
    const int w = canvas.TextWidth(caption);
    canvas.pen().color = gfx::clBlack;
    canvas.pen().width = 1;
    for (double r : {75 * sd, 65 * sd})
        canvas.Ellipse(Trunc(cx - r), Trunc(cy - r), Trunc(cx + r), Trunc(cy + r));
    if (!Has(flags, kFaceDetailed))
        return;
    canvas.TextOut(cx - w / 2, Trunc(cy + 120 * sd), caption);
    auto at = [&](int angle, double radius) {
        const double a = angle * static_cast<double>(kDegree);
        return gfx::Point{Trunc(radius * std::cos(a) + cx), Trunc(radius * std::sin(a) + cy)};
    };
    for (int angle = 120; angle <= 420; angle += 15) {
        const bool major = angle % 30 == 0;
        const gfx::Point from = at(angle, (major ? 75 : 85) * sd);
        const gfx::Point to = at(angle, (major ? 110 : 105) * sd);
        canvas.MoveTo(from.x, from.y);
        canvas.LineTo(to.x, to.y);
        if (angle == 120) {
            const gfx::Point tip = at(angle, 55 * sd);
            canvas.MoveTo(cx, cy);
            canvas.LineTo(tip.x, tip.y);
        }
    }
}

} // namespace kvr::console
