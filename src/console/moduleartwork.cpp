#include "console/moduleface.h"

#include "console/keycaption.h"
#include "console/moduletypes.h"
#include "model/keyfunctions.h"

#include <array>
#include <string>

namespace kvr::console {

namespace {

using namespace face;

constexpr std::array<const char*, 12> kMainLedLabels{"Lim 1", "Lim 2", "48kHz", "Sync 1", "Sync 2", "44.1kHz",
                                                     "State 1", "Bus", "DSP", "Alarm 1", "Alarm 2", "Alarm 3"};
constexpr std::array<const char*, 8> kCentralLedLabels{"Sync 1", "Sync 2", "48 kHz", "44.1 kHz",
                                                       "Bus", "DSP", "Power Fail", "Alarm"};
constexpr std::array<const char*, 6> kFaderBusLabels{"Aux 4", "Aux 3", "Aux 2", "Aux 1", "Program 2", "Program 1"};
constexpr std::array<int, 10> kScaleOffsets{85, 175, 240, 310, 370, 450, 550, 722, 908, 1100};
constexpr std::array<int, 9> kGripLines{200, 185, 167, 143, 120, 97, 73, 55, 40}; // above the knob's top

// The ten scale labels; the first is minus infinity in the symbol font.
std::array<std::string, 10> ScaleLabels(bool withPlus)
{
    return {FaceDrawing::MinusInfinity(), "-70", "-60", "-50", "-40", "-30", "-20", "-10", "0",
            withPlus ? "+10" : "10"};
}

void ScaleLabel(FaceDrawing& f, int p, int x, int y, const std::string& text)
{
    f.Font(p == 0 ? SymbolFont : LegendFont, 28);
    f.Text(x, y, text);
}

void FaderKnob(FaceDrawing& f, int dx, int top)
{
    f.Rect(145 + dx, top, 255 + dx, top + 240);
    for (int above : kGripLines)
        f.Line(145 + dx, top + above, 255 + dx, top + above);
}

// An encoder knob right of its small display box.
void KnobBox(FaceDrawing& f, int dx, int top, int bottom)
{
    f.Circle(250 + dx, top, 350 + dx, bottom);
    f.Rect(40 + dx, top, 240 + dx, bottom);
}

void Dividers(FaceDrawing& f, int top, int bottom)
{
    for (int j = 1; j <= 3; ++j)
        f.Line(400 * j, top, 400 * j, bottom);
}

void MainModule(FaceDrawing& f)
{
    f.Font(LegendFont, 50);
    f.Centred(700, 720, "KX7300-D");
    f.Font(LegendFont, 40);
    for (int p = 0; p < 12; ++p) {
        const int c = p / 3, r = p % 3;
        f.Text(320 + 200 * c, 155 + 50 * r, kMainLedLabels[static_cast<std::size_t>(p)]);
        f.Circle(290 + 200 * c, 165 + 50 * r, 310 + 200 * c, 185 + 50 * r);
    }
    f.WhiteDisplay(290, 700, 1110, 810);
    f.DisplayText(310, 710);
    f.Brush(f.Body());
    f.Pot(900, 2850, "Monitor");
    f.Pot(900, 3250, "Headphone");
    f.Pot(500, 3250, "Control");
    f.Line(200, 3790, 200, 150);
    f.Line(1200, 3790, 1200, 150);
}

void StudioPanel(FaceDrawing& f)
{
    f.Canvas().font().name = LegendFont;
    f.Pot(1130, 990, "Headphone 1");
    f.Pot(1530, 990, "Headphone 2");
    f.Pot(1530, 620, "Monitor");
    f.WhiteDisplay(790, 130, 1650, 240);
    f.DisplayText(810, 145);
    f.Brush(f.Body());
    f.Pot(1800, 180, "Control");
}

// The rotary selector default of every record of key 57, only on screen.
void SelectorText(FaceDrawing& f)
{
    if (!f.Detailed() || f.Printing())
        return;
    gfx::Canvas& c = f.Canvas();
    const gfx::Color previous = c.font().color;
    const model::ModuleEntryView module(f.Entry());
    for (std::size_t i = 0; i < module.KeyRecords(); ++i) {
        const auto record = module.KeyRecord(i);
        if (record[kf::Key] != 57)
            continue;
        c.font().color = gfx::clBlack;
        f.Font(TextFont, 90);
        f.Text(325, 1810, "Selector:" + std::to_string(record[kf::Param1]));
    }
    c.font().color = previous;
}

void CentralModule(FaceDrawing& f)
{
    constexpr std::array<int, 4> knobX{675, 675, 675, 275};
    constexpr std::array<int, 4> knobY{3350, 2950, 2350, 2350};
    constexpr std::array<const char*, 4> knobNames{"Headphone", "Monitor", "Level 2", "Level 1"};
    f.Font(LegendFont, 40);
    for (std::size_t i = 0; i < knobX.size(); ++i)
        f.Pot(knobX[i], knobY[i], knobNames[i]);
    f.Font(LegendFont, 40);
    f.Centred(515, 1750, "Selector");
    f.WhiteDisplay(315, 1800, 715, 1910);
    SelectorText(f);
    f.Brush(f.Body());
    f.Circle(750, 1800, 850, 1900);
    for (int i = 0; i < 4; ++i) {
        const int dx = 400 * i;
        f.Font(LegendFont, 40);
        f.Centred(300 + dx, 1300, "Eq " + std::to_string(i + 1));
        f.Circle(250 + dx, 1350, 350 + dx, 1450);
        f.Circle(250 + dx, 1550, 350 + dx, 1650);
        f.Rect(40 + dx, 1350, 240 + dx, 1450);
        f.Rect(40 + dx, 1550, 240 + dx, 1650);
        f.Font(LegendFont, 35);
        f.Centred(140 + dx, 1315, "Frequency");
        f.Centred(140 + dx, 1450, "Quality");
        f.Centred(140 + dx, 1515, "Gain");
        f.Centred(140 + dx, 1650, "Type");
    }
    f.Font(LegendFont, 40);
    f.Centred(1015, 700, "Function Select");
    f.WhiteDisplay(615, 750, 1415, 860);
    f.DisplayText(640, 765);
    f.Brush(f.Body());
    f.Circle(1450, 750, 1550, 850);
    f.Font(LegendFont, 40);
    f.Centred(350, 940, "Compressor");
    f.Rect(40, 1000, 240, 1200);
    f.Rect(440, 1000, 640, 1200);
    f.Circle(250, 1050, 350, 1150);
    f.Circle(650, 1050, 750, 1150);
    f.Font(LegendFont, 35);
    f.Centred(140, 965, "Rot. Point");
    f.Centred(540, 965, "Gain");
    f.Centred(140, 1200, "Att. Time");
    f.Centred(540, 1200, "Ratio/Rel. Time");
    f.Font(LegendFont, 40);
    f.Centred(350, 635, "Gain");
    f.Rect(40, 700, 240, 900);
    f.Circle(250, 750, 350, 850);
    f.Font(LegendFont, 35);
    f.Centred(140, 665, "Digital Gain");
    f.Centred(450, 665, "Input Level");
    f.Centred(140, 900, "Analog Gain");
    f.Centred(820, 965, "Gain Reduction");
    for (int r = 0; r < 8; ++r) {
        f.Circle(390, 710 + 30 * r, 410, 730 + 30 * r);
        f.Circle(550, 710 + 30 * r, 570, 730 + 30 * r);
        f.Circle(790, 1010 + 30 * r, 810, 1030 + 30 * r);
    }
    f.RightAligned(510, 695, "+10");
    f.RightAligned(510, 755, "0");
    f.RightAligned(510, 815, "-10");
    f.RightAligned(510, 905, "-50");
    f.RightAligned(910, 995, "+6");
    f.RightAligned(910, 1055, "0");
    f.RightAligned(910, 1115, "-6");
    f.RightAligned(910, 1205, "-20");
    for (int q = 0; q < 8; ++q) {
        const int c = q / 2, r = q % 2;
        f.Text(134 + 400 * c, 161 + 50 * r, kCentralLedLabels[static_cast<std::size_t>(q)]);
        f.Circle(90 + 400 * c, 165 + 50 * r, 110 + 400 * c, 185 + 50 * r);
    }
    if (f.Detailed()) {
        f.Font(LegendFont, 35);
        f.Text(80, 110, "KVR");
        f.RightAligned(1515, 95, "KX7300 Digital");
        f.Line(190, 125, 1515, 125);
    }
}

void CentralOverbridge(FaceDrawing& f)
{
    gfx::Canvas& c = f.Canvas();
    f.Brush(gfx::clWhite);
    f.RoundRect(40, 273, 360, 343, 20);
    f.RoundRect(40, 173, 360, 243, 20);
    f.RoundRect(1240, 273, 1560, 343, 20);
    f.RoundRect(1240, 173, 1560, 243, 20);
    f.Brush(f.Body());
    f.RoundRect(390, 195, 1210, 345, 20);
    f.Brush(gfx::clWhite);
    f.RoundRect(470, 220, 1130, 320, 50);
    f.Brush(f.Body());
    f.RoundRect(530, 260, 1070, 280, 20);
    f.Circle(1450, 845, 1550, 945);
    f.WhiteDisplay(700, 850, 1430, 960);
    f.Brush(f.Body());
    for (const auto& [x, name] : {std::pair{200, "Level A"}, std::pair{500, "Level B"}}) {
        f.Line(x, 895, x, 820);
        f.Line(x, 895, x - 53, 948);
        f.Line(x, 895, x + 53, 948);
        f.Circle(x - 50, 845, x + 50, 945);
        f.Font(LegendFont, 30);
        f.Text(x + 53, 948, "0");
        f.Centred(x, 795, "-20");
        f.Font(SymbolFont, 45);
        f.Text(x - 78, 938, FaceDrawing::MinusInfinity());
        f.Font(LegendFont, 30);
        f.Centred(x, 968, name);
    }
    if (f.Detailed()) {
        f.Logo();
        f.LogoLine();
    }
    c.font().color = gfx::clBlack;
    f.Brush(gfx::clWhite);
    if (f.Detailed()) {
        c.brush().style = gfx::BrushStyle::Clear;
        f.Font(TextFont, 50);
        f.Centred(200, 285, "PHONE 1");
        f.Centred(200, 185, "MIC ON");
        f.Centred(1400, 285, "PHONE 2");
        f.Centred(1400, 185, "ON AIR");
        f.DisplayText(710, 860, false);
    }
    c.brush().style = gfx::BrushStyle::Solid;
}

void FaderModule(FaceDrawing& f)
{
    const auto labels = ScaleLabels(true);
    for (int k = 0; k < 4; ++k) {
        const int dx = 400 * k;
        f.Rect(90 + dx, 710, 310 + dx, 840);
        for (int t : {165, 215, 265, 1215, 1265, 1615, 1665, 1715, 1765, 1815, 1865})
            f.Circle(90 + dx, t, 110 + dx, t + 20);
        f.Font(LegendFont, 35);
        f.Text(134 + dx, 161, "OVL/ERR");
        f.Text(134 + dx, 211, "Gain");
        f.Text(134 + dx, 261, "PAN/BAL");
        f.Text(134 + dx, 1211, "Dynamics");
        f.Text(134 + dx, 1261, "EQs");
        for (std::size_t b = 0; b < kFaderBusLabels.size(); ++b)
            f.Text(134 + dx, 1861 - 50 * static_cast<int>(b), kFaderBusLabels[b]);
        f.Circle(170 + dx, 1920, 230 + dx, 1980);
        f.Circle(170 + dx, 3120, 230 + dx, 3180);
        f.Rect(185 + dx, 2000, 215 + dx, 3100);
        for (int p = 0; p < 10; ++p) {
            const int offset = kScaleOffsets[static_cast<std::size_t>(p)];
            f.Line(70 + dx, 3150 - offset, 170 + dx, 3150 - offset);
            f.Line(230 + dx, 3150 - offset, 330 + dx, 3150 - offset);
            ScaleLabel(f, p, 70 + dx, 3115 - offset, labels[static_cast<std::size_t>(p)]);
        }
        FaderKnob(f, dx, 2460);
    }
    Dividers(f, 110, 3750);
}

void FaderOverbridge(FaceDrawing& f)
{
    for (int k = 0; k < 4; ++k) {
        const int dx = 400 * k;
        KnobBox(f, dx, 620, 720);
        KnobBox(f, dx, 420, 520);
        for (int j = 0; j < 9; ++j)
            f.Circle(70 + 30 * j + dx, 785, 90 + 30 * j + dx, 805);
        f.RoundRect(40 + dx, 273, 360 + dx, 343, 20);
        f.RoundRect(40 + dx, 173, 360 + dx, 243, 20);
        f.Font(LegendFont, 40);
        f.RightAligned(63 + dx, 772, "L");
        f.Text(335 + dx, 772, "R");
        f.Font(TextFont, 50);
        f.Centred(200 + dx, 285, "READY");
        f.Centred(200 + dx, 185, "CHANNEL ON");
    }
    Dividers(f, 173, 1180);
    f.Logo();
    f.LogoLine();
}

void Pushbutton40(FaceDrawing& f)
{
    if (f.Detailed()) {
        f.Logo();
        f.LogoLine();
    }
}

void Pushbutton32(FaceDrawing& f)
{
    for (int j = 0; j < 8; ++j)
        f.Circle(30 + 200 * j, 215, 130 + 200 * j, 315);
    Pushbutton40(f);
}

void FaderOverbridge28(FaceDrawing& f)
{
    for (int k = 0; k < 4; ++k) {
        for (int g = 0; g < 4; ++g)
            KnobBox(f, 400 * k, 220 + 200 * g, 320 + 200 * g);
    }
    Dividers(f, 173, 1180);
    f.Logo();
    f.LogoLine();
}

void FaderModule29(FaceDrawing& f)
{
    const auto labels = ScaleLabels(false);
    for (int k = 0; k < 4; ++k) {
        const int dx = 400 * k;
        f.Circle(50 + dx, 143, 70 + dx, 163);
        f.Circle(50 + dx, 193, 70 + dx, 213);
        f.Circle(250 + dx, 143, 270 + dx, 163);
        f.Circle(250 + dx, 193, 270 + dx, 213);
        f.Rect(30 + dx, 305, 240 + dx, 415);
        f.Circle(250 + dx, 305, 350 + dx, 415);
        for (int j = 0; j < 9; ++j)
            f.Circle(70 + 30 * j + dx, 543, 90 + 30 * j + dx, 563);
        f.Font(LegendFont, 35);
        f.Text(80 + dx, 137, "Ovl/Err");
        f.Text(80 + dx, 185, "Gain");
        f.Text(280 + dx, 137, "Eq");
        f.Text(280 + dx, 185, "Dyn");
        f.Text(140 + dx, 500, "Pan/Bal");
        f.Text(60 + dx, 565, "L");
        f.Text(310 + dx, 565, "R");
        f.Text(190 + dx, 565, "0");
        f.Rect(97 + dx, 1451, 307 + dx, 1671);
        f.Rect(185 + dx, 2550, 215 + dx, 3675);
        f.Circle(170 + dx, 2480, 230 + dx, 2540);
        f.Circle(170 + dx, 3685, 230 + dx, 3745);
        for (int p = 0; p < 10; ++p) {
            const int offset = kScaleOffsets[static_cast<std::size_t>(p)];
            f.Line(70 + dx, 3650 - offset, 170 + dx, 3650 - offset);
            f.Line(230 + dx, 3650 - offset, (p == 9 ? 270 : 330) + dx, 3650 - offset);
            // The "0" and "10" labels stand left of the track.
            ScaleLabel(f, p, (p >= 8 ? 70 : 290) + dx, 3615 - offset, labels[static_cast<std::size_t>(p)]);
        }
        FaderKnob(f, dx, 2960);
        f.Font(LegendFont, 35);
        for (int q = 0; q < 4; ++q) {
            f.Circle(75 + dx, 2240 + 50 * q, 95 + dx, 2260 + 50 * q);
            f.Text(110 + dx, 2230 + 50 * q, "Aux " + std::to_string(q + 1));
        }
        f.Rect(288 + dx, 2230, 353 + dx, 2330);
        f.Rect(288 + dx, 2330, 353 + dx, 2430);
        f.Font(LegendFont, 40);
        f.Text(300 + dx, 2250, "O");
        f.Text(300 + dx, 2280, "N");
        f.Text(300 + dx, 2330, "R");
        f.Text(300 + dx, 2360, "D");
        f.Text(303 + dx, 2390, "Y");
        f.Font(LegendFont, 35);
        for (int j = 0; j < 8; ++j)
            f.Circle(290 + dx, 2495 + 30 * j, 310 + dx, 2515 + 30 * j);
        f.Text(310 + dx, 2485, "+10");
        f.Text(310 + dx, 2545, "   0");
        f.Text(310 + dx, 2605, " -10");
        f.Text(310 + dx, 2695, " -40");
    }
    Dividers(f, 110, 3750);
}

} // namespace

void DrawModuleArtwork(FaceDrawing& face)
{
    switch (face.Type()) {
    case 10: MainModule(face); break;
    case 11: StudioPanel(face); break;
    case 12: CentralModule(face); break;
    case 13: CentralOverbridge(face); break;
    case 20:
    case 21: FaderModule(face); break;
    case 23: FaderOverbridge(face); break;
    case 25: Pushbutton40(face); break;
    case 26: Pushbutton32(face); break;
    case 28: FaderOverbridge28(face); break;
    case 29: FaderModule29(face); break;
    default: break;
    }
}

} // namespace kvr::console
