#include "console/moduleface.h"

#include "model/device.h"
#include "model/keyfunctions.h"

#include <algorithm>

namespace kvr::console {

namespace {

int Trunc(double v)
{
    return static_cast<int>(v);
}

// Entry byte 2, low four bits.
int DisplayMode(std::span<const std::uint8_t> entry)
{
    return model::ModuleEntryView(entry).DisplayMode();
}

} // namespace

FaceDrawing::FaceDrawing(gfx::Canvas& canvas, int x, int y, float s, std::uint8_t flags,
                         std::span<const std::uint8_t> entry, const ModulePaintContext& context)
    : canvas_(canvas), x_(x), y_(y), s_(s), flags_(flags), entry_(entry), context_(context),
      type_(model::ModuleType(entry))
{
}

int FaceDrawing::X(int v) const
{
    return Trunc(x_ + v * static_cast<double>(s_));
}

int FaceDrawing::Y(int v) const
{
    return Trunc(y_ + v * static_cast<double>(s_));
}

int FaceDrawing::Len(double v) const
{
    return Trunc(v * static_cast<double>(s_));
}

void FaceDrawing::Brush(gfx::Color colour)
{
    canvas_.brush().color = colour;
}

void FaceDrawing::Rect(int l, int t, int r, int b)
{
    canvas_.Rectangle(X(l), Y(t), X(r), Y(b));
}

void FaceDrawing::Circle(int l, int t, int r, int b)
{
    canvas_.Ellipse(X(l), Y(t), X(r), Y(b));
}

void FaceDrawing::RoundRect(int l, int t, int r, int b, int corner)
{
    canvas_.RoundRect(X(l), Y(t), X(r), Y(b), Len(corner), Len(corner));
}

void FaceDrawing::Line(int x1, int y1, int x2, int y2)
{
    canvas_.MoveTo(X(x1), Y(y1));
    canvas_.LineTo(X(x2), Y(y2));
}

void FaceDrawing::Font(const char* name, int height)
{
    canvas_.font().name = name;
    canvas_.font().height = Len(height);
}

void FaceDrawing::Text(int x, int y, std::string_view text)
{
    if (Detailed())
        canvas_.TextOut(X(x), Y(y), text);
}

void FaceDrawing::Centred(int x, int y, std::string_view text)
{
    if (Detailed())
        canvas_.TextOut(X(x) - canvas_.TextWidth(text) / 2, Y(y), text);
}

void FaceDrawing::RightAligned(int x, int y, std::string_view text)
{
    if (Detailed())
        canvas_.TextOut(X(x) - canvas_.TextWidth(text), Y(y), text);
}

void FaceDrawing::WhiteDisplay(int l, int t, int r, int b)
{
    Brush(AccessView() ? body_ : gfx::clWhite);
    Rect(l, t, r, b);
    display_ = {std::min(X(l), X(r)), std::min(Y(t), Y(b)), std::max(X(l), X(r)), std::max(Y(t), Y(b))};
}

void FaceDrawing::DisplayText(int x, int y, bool restoreFontColour)
{
    if (!Detailed())
        return;
    canvas_.brush().style = gfx::BrushStyle::Clear;
    canvas_.font().color = gfx::clBlack;
    Font(face::TextFont, 90);
    const int mode = DisplayMode(entry_);
    std::string text;
    if (mode == 0)
        text = "KX7300D";
    else if (mode == 1)
        text = context_.Device.GetName();
    else if (mode <= 13)
        text = "Timer " + std::to_string(mode - 1);
    if (!text.empty())
        canvas_.TextRect(display_, X(x), Y(y), text);
    if (restoreFontColour)
        canvas_.font().color = legend_;
    canvas_.brush().style = gfx::BrushStyle::Solid;
}

void FaceDrawing::Pot(int cx, int cy, std::string_view caption)
{
    DrawModulePot(X(cx), Y(cy), canvas_, flags_, caption, s_);
}

std::string FaceDrawing::MinusInfinity()
{
    // Stored as "-o"; the second character becomes the symbol font's infinity sign.
    std::string label = "-o";
    label[1] = static_cast<char>(165);
    return label;
}

void FaceDrawing::Logo()
{
    if (!Detailed())
        return;
    Font(face::LegendFont, 35);
    Text(80, 135, "KVR");
    RightAligned(1515, 120, "KX7300 Digital");
}

void FaceDrawing::LogoLine()
{
    Line(190, 150, 1515, 150);
}

} // namespace kvr::console
