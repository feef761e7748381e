#include "reports/rearview.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "gfx/drawscrew.h"
#include "model/cardrecords.h"
#include "model/cardtypetable.h"
#include "model/device.h"
#include "reports/pageframe.h"

namespace kvr::reports {

namespace {

// Scaled offsets from an integer origin.
struct Scaled {
    int X;
    int Y;
    double S;
    int x(double L) const { return Trunc(X + L * S); }
    int y(double L) const { return Trunc(Y + L * S); }
};

// Boxes given corner to corner in any order, as the printer's drawing calls take them.
gfx::Rect Box(int l, int t, int r, int b) { return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)}; }

void Arc(gfx::Canvas& c, int l, int t, int r, int b, int x3, int y3, int x4, int y4)
{
    const gfx::Rect box = Box(l, t, r, b);
    c.Arc(box.left, box.top, box.right, box.bottom, x3, y3, x4, y4);
}

void Line(gfx::Canvas& c, int x1, int y1, int x2, int y2)
{
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

// A 15 x 15 dot with its top-left corner at (L, T).
void Dot(gfx::Canvas& c, const Scaled& p, double L, double T)
{
    c.Ellipse(p.x(L), p.y(T), p.x(L + 15), p.y(T + 15));
}

constexpr const char* NoteText = "Note: To prevent overheating, use at least 1U vented panel at top and bottom or active cooling!";
constexpr const char* DepthText = "Depth: 315mm";
constexpr const char* WidthText = "483mm (19\")";
constexpr const char* HeightText = "266mm (6U)";

} // namespace

void DrawDSub(int X, int Y, float Scale, gfx::Canvas& c, int Pins)
{
    const int n = std::abs(Pins);
    const bool filled = Pins > 0;
    c.pen().color = gfx::clBlack;
    c.pen().style = gfx::PenStyle::Solid;
    const int d = Trunc(12.7 * static_cast<double>(Scale) + 1);
    const int h = d * ((n - 2) / 2);
    const int m = n / 2;
    auto fx = [&](double f) { return Trunc(X + f * d); };
    auto fy = [&](int base, double f) { return Trunc(base + f * d); };
    constexpr double a = 2.4422886, b = 2.8968727, e = 1.5577114, g = 4.8968727;
    const int lo = Y + h; // below the pins
    const int hi = Y - h; // above them
    Line(c, X - 3 * d, hi - 2 * d, X - 3 * d, lo + 2 * d + 1);
    Arc(c, X - 3 * d, lo + d, X - d, lo + 3 * d, X - 3 * d, lo + 2 * d, fx(-a), fy(lo, b));
    Line(c, fx(-a), fy(lo, b), fx(e), fy(lo, g) + 1);
    Arc(c, X + d, lo + 3 * d, X + 3 * d + 1, lo + 5 * d + 1, fx(e), fy(lo, g), X + 3 * d, lo + 4 * d);
    Line(c, X + 3 * d, hi - 4 * d, X + 3 * d, lo + 4 * d + 1);
    Arc(c, X + d, hi - 3 * d, X + 3 * d + 1, hi - 5 * d, X + 3 * d, hi - 4 * d, fx(e), fy(hi, -g));
    Line(c, fx(-a), fy(hi, -b), fx(e), fy(hi, -g));
    Arc(c, X - d, hi - d, X - 3 * d, hi - 3 * d, fx(-a), fy(hi, -b), X - 3 * d, hi - 2 * d);
    c.Ellipse(Box(X - 2 * d, lo + 6 * d, X + 2 * d + 1, lo + 10 * d));
    c.Ellipse(Box(X - 2 * d, hi - 6 * d, X + 2 * d + 1, hi - 10 * d));

    const int r = Trunc(10 * static_cast<double>(Scale));
    if (filled)
        c.brush().color = gfx::clBlack;
    auto pin = [&](int cx, int cy) { c.Ellipse(cx - r, cy - r, cx + r + 1, cy + r + 1); };
    for (int i = 0; i < m; ++i)
        pin(X - d, Y + d * (2 * i - (m - 1)));
    for (int i = 0; i <= m; ++i)
        pin(X + d, Y + d * (2 * i - m));
    if (filled)
        c.brush().color = gfx::clWhite;
}

void DrawModularJack(int X, int Y, float Scale, gfx::Canvas& c)
{
    const Scaled p{X, Y, Scale};
    c.Rectangle(X, Y, p.x(100), p.y(150));
    c.Rectangle(X, Y, p.x(10), p.y(55));
    c.Rectangle(X, p.y(100), p.x(10), p.y(150));
    for (int k = 0; k < 8; ++k)
        Line(c, p.x(90), p.y(40 + 10 * k), p.x(100), p.y(40 + 10 * k));
}

void DrawPortBox(int X, int Y, float Scale, gfx::Canvas& c)
{
    const Scaled p{X, Y, Scale};
    c.Rectangle(X, Y, p.x(100), p.y(250));
}

void DrawRoundSocket(int X, int Y, float Scale, gfx::Canvas& c)
{
    const Scaled p{X, Y, Scale};
    c.Ellipse(p.x(-45), p.y(-45), p.x(45), p.y(45));
    c.Ellipse(p.x(-15), p.y(-15), p.x(15), p.y(15));
}

void DrawRoundConnector(int X, int Y, float Scale, gfx::Canvas& c)
{
    const Scaled p{X, Y, Scale};
    c.Rectangle(p.x(-155), p.y(-130), p.x(155), p.y(130));
    auto circle = [&](int cx, int cy, int r) { c.Ellipse(cx - r, cy - r, cx + r + 1, cy + r + 1); };
    const double s = Scale;
    circle(X, Y, Trunc(95 * s));
    circle(X, Y, Trunc(81 * s));
    const int r = Trunc(12 * s);
    circle(X, p.y(42), r);
    circle(p.x(-37), p.y(20), r);
    circle(p.x(-28), p.y(-21), r);
    circle(p.x(9), p.y(-41), r);
}

void DrawCard(gfx::Canvas& c, int X, int Y, int Kind, float Scale)
{
    const Scaled p{X, Y, Scale};
    c.pen().width = 1;
    const int width = Kind < 100 ? 200 : 400;
    c.Rectangle(X, Y, p.x(width), p.y(1280));
    gfx::DrawScrew(p.x(75), p.y(40), Scale, c, false);
    gfx::DrawScrew(p.x(75), p.y(1240), Scale, c, false);
    if (Kind < 100) {
        switch (Kind) {
        case 1:
        case 8:
            Dot(c, p, 70, 800);
            Dot(c, p, 120, 800);
            DrawDSub(p.x(100), p.y(450), Scale, c, -9);
            DrawModularJack(p.x(50), p.y(855), Scale, c);
            break;
        case 2:
        case 6:
        case 9:
        case 10:
        case 12:
            Dot(c, p, 70, 320);
            Dot(c, p, 120, 320);
            Dot(c, p, 120, 270);
            Dot(c, p, 70, 270);
            if (Kind == 6 || Kind == 9) {
                DrawPortBox(p.x(50), p.y(440), Scale, c);
                Dot(c, p, 70, 370);
                Dot(c, p, 120, 370);
                if (Kind == 9)
                    DrawPortBox(p.x(50), p.y(760), Scale, c);
                else
                    DrawRoundSocket(p.x(100), p.y(900), Scale, c);
            }
            break;
        case 3:
        case 4:
        case 5:
        case 13:
        case 14:
            for (int top : {285, 475, 665, 855})
                DrawModularJack(p.x(50), p.y(top), Scale, c);
            break;
        case 7:
            DrawRoundSocket(p.x(100), p.y(1050), Scale, c);
            c.Ellipse(p.x(50), p.y(700), p.x(150), p.y(800));
            Line(c, p.x(100), p.y(715), p.x(100), p.y(765));
            Line(c, p.x(75), p.y(765), p.x(125), p.y(765));
            Line(c, p.x(85), p.y(770), p.x(115), p.y(770));
            Line(c, p.x(90), p.y(775), p.x(110), p.y(775));
            break;
        case 15:
            DrawDSub(p.x(100), p.y(325), Scale, c, 15);
            DrawDSub(p.x(100), p.y(705), Scale, c, 15);
            break;
        default:
            break;
        }
    } else {
        gfx::DrawScrew(p.x(325), p.y(40), Scale, c, false);
        gfx::DrawScrew(p.x(325), p.y(1240), Scale, c, false);
        if (Kind == 101) {
            c.MoveTo(p.x(200), p.y(140));
            for (auto [lx, ly] : {std::pair{20, 240}, {20, 520}, {200, 620}, {380, 520}, {380, 240}, {200, 140}})
                c.LineTo(p.x(lx), p.y(ly));
            c.RoundRect(p.x(32), p.y(230), p.x(368), p.y(530), Trunc(45 * p.S), Trunc(45 * p.S));
            c.MoveTo(p.x(220), p.y(260));
            for (auto [lx, ly] : {std::pair{70, 260}, {40, 280}, {40, 470}, {70, 500}, {220, 500}, {220, 260}})
                c.LineTo(p.x(lx), p.y(ly));
            c.Rectangle(p.x(230), p.y(290), p.x(350), p.y(470));
            Line(c, p.x(230), p.y(385), p.x(350), p.y(385));
            Dot(c, p, 70, 600);
            Dot(c, p, 120, 600);
            DrawModularJack(p.x(50), p.y(630), Scale, c);
            DrawRoundConnector(p.x(200), p.y(915), Scale, c);
        }
    }
    if (Kind == 0 || Kind == 7 || Kind == 103)
        return;
    if (Kind != 101) {
        Dot(c, p, 70, 220);
        Dot(c, p, 120, 220);
    }
    Line(c, X, p.y(1050), p.x(width), p.y(1050));
    Line(c, X, p.y(1200), p.x(width), p.y(1200));
    c.font().name = "Arial";
    c.font().height = Trunc(30 * p.S);
    const double centre = Kind < 100 ? 100 : 200;
    for (int k = 0; k < 4; ++k) {
        const std::string text = model::GetCardTypeText(Kind, k);
        const int w = c.TextWidth(text) / 2;
        c.TextOut(Trunc(X + centre * p.S - w), p.y(1055 + 35 * k), text);
    }
}

std::optional<int> RearPanelKind(const model::TDevice& Device, int Position)
{
    if (Position % 10 == 8) {
        // The controller half of the DSP slot to the right.
        std::vector<std::uint8_t> entry;
        Device.GetSetupData(static_cast<std::uint8_t>(Position + 1), entry);
        return entry.empty() ? 0 : 1;
    }
    std::vector<std::uint8_t> entry;
    Device.GetSetupData(static_cast<std::uint8_t>(Position), entry);
    if (entry.empty())
        return 0;
    if (Position % 10 == 9) {
        const model::CardRecordView card(entry);
        const int subType = card.DSPVariant();
        const bool twoPorts = card.Redundant();
        switch (subType) {
        case 0: return 2;
        case 1: return 10;
        case 2: return twoPorts ? 9 : 6;
        case 3: return 9;
        case 4: return 12;
        default: return std::nullopt;
        }
    }
    const int cardType = model::CardRecordView(entry).CardType();
    switch (cardType) {
    case 111: return 3;
    case 122: return 4;
    case 222: return 5;
    case 223: return 14;
    case 311: return 13;
    case 123: return 15;
    default: return std::nullopt;
    }
}

void PrintRearView(PageFrame& Frame)
{
    const model::TDevice* device = Frame.Device();
    if (device == nullptr)
        return;
    platform::Printer& printer = Frame.Printer;
    gfx::Canvas& c = printer.Canvas();
    Frame.PrepareSection(platform::PrinterOrientation::Landscape, "DSP-Frame-RearView", Frame.FDevice);
    printer.BeginDoc();
    Frame.DrawPageFrame("DSP-Frame Rearview", Frame.FDevice);

    const int W = printer.PageWidth();
    const int PH = printer.PageHeight();
    const double u = Frame.FUnit;
    const float sf = static_cast<float>(Frame.FUnit * 0.5);
    const double s = sf;
    const auto header = device->GetHeader();
    const bool twoRows = header[model::dh::FrameType] != 0;
    const double H = twoRows ? 2610 : 1330;
    const int y0 = Trunc((PH - (twoRows ? 2560 : 1280) * s) * 0.5);
    const int x0 = Trunc((W - 2100 * u) * 0.5);
    const Scaled o{x0, y0, s};

    c.font().color = gfx::clBlack;
    c.pen().width = Trunc(2 * u);
    c.Rectangle(o.x(-60), o.y(-10), o.x(4260), o.y(H));
    c.pen().width = Trunc(1 * u);

    const int slotCount = device->GetSlotCount();
    const int supplies = header[model::dh::PowerSupplies];
    int x = x0;
    int y = y0;
    for (int i = 0; i < slotCount; ++i) {
        if (const auto kind = RearPanelKind(*device, i))
            DrawCard(c, x, y, *kind, sf);
        x = Trunc(x + 200 * s);
        if (i != 9)
            continue;
        DrawCard(c, x, y, 8, sf);
        x = Trunc(x + 200 * s);
        DrawCard(c, x, y, 101, sf);
        x = Trunc(x + 400 * s);
        const int big = supplies >> 4;
        const int smaller = supplies & 0x0F;
        auto bays = [&](int count, int kind) {
            for (int k = 0; k < count; ++k) {
                DrawCard(c, x, y, kind, sf);
                x = Trunc(x + 400 * s);
            }
        };
        bays(big, 100);
        bays(smaller, 102);
        bays(4 - big - smaller, 103);
        y = Trunc(y + 1320 * s);
        x = x0;
        if (!twoRows)
            break;
    }
    if (twoRows)
        DrawCard(c, x, y, 7, sf);

    c.font().height = Trunc(30 * u);
    c.TextOut(Trunc(100 * u), Trunc(PH - 50 * u), NoteText);

    // Rack ears.
    c.pen().width = 1;
    c.pen().style = gfx::PenStyle::Dash;
    auto path = [&](std::initializer_list<std::pair<double, double>> points) {
        auto it = points.begin();
        c.MoveTo(o.x(it->first), o.y(it->second));
        for (++it; it != points.end(); ++it)
            c.LineTo(o.x(it->first), o.y(it->second));
    };
    path({{-60, -10}, {-240, -10}, {-240, H}, {-60, H}});
    path({{4260, -10}, {4440, -10}, {4440, H}, {4260, H}});

    // Mounting slots: two half-round ends joined by straight sides.
    c.pen().style = gfx::PenStyle::Dot;
    for (int k = 0; k < 4; ++k) {
        const double xk = (k % 2 != 0) ? -190 : 4320;
        const double yk = k < 2 ? 270 : (twoRows ? H - 380 : 1000);
        c.Arc(o.x(xk + 10), o.y(yk + 10), o.x(xk + 62), o.y(yk + 57.5), o.x(xk + 20), o.y(yk + 10), o.x(xk + 20),
              o.y(yk + 47.5));
        path({{xk + 20, yk + 10}, {xk + 52, yk + 10}});
        c.Arc(o.x(xk + 10), o.y(yk + 10), o.x(xk + 62), o.y(yk + 57.5), o.x(xk + 52), o.y(yk + 47.5), o.x(xk + 52),
              o.y(yk + 10));
        path({{xk + 20, yk + 47.5}, {xk + 52, yk + 47.5}});
    }

    c.font().height = Trunc(30 * u);
    c.TextOut(x0, o.y(H + 10), DepthText);
    c.TextOut(W / 2 - c.TextWidth(WidthText) / 2, Trunc(y0 - 70 * u), WidthText);

    // Dimension lines with filled arrowheads.
    c.pen().style = gfx::PenStyle::Solid;
    c.brush().color = gfx::clBlack;
    c.brush().style = gfx::BrushStyle::Solid;
    path({{-300, -10}, {-240, -10}, {-240, -70}});
    path({{-300, H}, {-240, H}});
    path({{4440, -70}, {4440, -10}});
    path({{-240, -50}, {4440, -50}});
    path({{-280, -10}, {-280, H}});
    auto pie = [&](double l, double t, double r, double b, double x3, double y3, double x4, double y4) {
        c.Pie(o.x(l), o.y(t), o.x(r), o.y(b), o.x(x3), o.y(y3), o.x(x4), o.y(y4));
    };
    pie(-330, -60, -230, 40, -330, 240, -230, 240);
    pie(-290, -100, -190, 0, 10, 0, 10, -100);
    pie(-330, H - 50, -230, H + 50, -230, H - 250, -330, H - 250);
    pie(4390, -100, 4490, 0, 4190, -100, 4190, 0);

    // The height, reading upward; the turned font lives only for its text.
    c.brush().color = gfx::clWhite;
    c.brush().style = gfx::BrushStyle::Clear;
    const gfx::Font previous = c.font();
    gfx::Font turned;
    turned.name = "Arial";
    turned.bold = false;
    turned.escapement = 900;
    turned.height = Trunc(30 * u);
    c.font() = turned;
    c.TextOut(o.x(-350), PH / 2 - c.TextWidth(HeightText) / 2, HeightText);
    c.font() = previous;
    c.setBackgroundMode(gfx::BackgroundMode::Opaque);
    printer.EndDoc();
}

} // namespace kvr::reports
