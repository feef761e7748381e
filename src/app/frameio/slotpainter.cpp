#include "app/frameio/slotpainter.h"

#include <cstdio>
#include <limits>
#include <vector>

#include "gfx/canvas.h"
#include "kvrdata/byteorder.h"
#include "model/cardtypetable.h"
#include "model/channelname.h"
#include "model/slottablecolumns.h"
#include "model/sourcenames.h"

namespace kvr::app::frameio {

using namespace model;
using gfx::Canvas;

namespace {

constexpr gfx::Color kGrey = 0x808080;
constexpr gfx::Color kLight = 0xC0C0C0;
constexpr gfx::Color kWhite = 0xFFFFFF;
constexpr gfx::Color kBlack = 0x000000;
constexpr const char* kFontName = "MS Sans Serif";

int X(int column) { return SlotColumnX(column); }

// A text "at column c" of a row.
void At(Canvas& C, int Column, int RowTop, const std::string& Text) { C.TextOut(X(Column) + 5, RowTop + 2, Text); }

void Line(Canvas& C, int X0, int Y0, int X1, int Y1)
{
    C.MoveTo(X0, Y0);
    C.LineTo(X1, Y1);
}

void SetFont(Canvas& C, bool Bold)
{
    C.font().name = kFontName;
    C.setFontSize(8);
    C.font().bold = Bold;
}

void SlotNumber(Canvas& C, int Slot, int Top)
{
    SetFont(C, true);
    C.TextOut(1, Top + 1, std::to_string(Slot + 1));
    SetFont(C, false);
}

gfx::Color SlotColor(int Slot) { return Slot % 2 == 0 ? FSlotColorEven : FSlotColorOdd; }

// The rows of the picture a paint has to show, in image coordinates. A slot is painted when its
// block reaches into them, a row of it with one row to spare either side: a row's cell frames
// reach a pixel into the row below.
struct Band {
    int Top = std::numeric_limits<int>::min();
    int Bottom = std::numeric_limits<int>::max();
    bool Meets(int BlockTop, int BlockBottom) const { return BlockBottom > Top && BlockTop < Bottom; }
    bool HoldsRow(int RowTop) const { return Meets(RowTop - kRowHeight, RowTop + 2 * kRowHeight); }
};

void GridLines(Canvas& C, int Top, int Bottom)
{
    C.pen().color = kGrey;
    for (int col = scNumber; col <= scGPIPullUp; ++col)
        Line(C, X(col), Top, X(col), Bottom);
    C.pen().color = kBlack;
}

void DrawCells(Canvas& C, const RowCells& Cells, int Top)
{
    for (const DropDownCell& d : Cells.DropDowns)
        DrawDropDownCell(C, d.Arrow ? d.First : -d.First, d.End, Top + d.TopOffset);
    if (Cells.EditColumn >= 0)
        DrawEditCell(C, Cells.EditColumn, Top);
}

// A label in a white box, clipped to its rectangle.
void PaintLabel(Canvas& C, const gfx::Rect& Clip, int RowTop, const std::string& Label)
{
    const gfx::Color back = C.brush().color;
    C.brush().color = kWhite;
    C.TextRect(Clip, X(scLabel) + 5, RowTop + 2, Label);
    C.brush().color = back;
}

std::string Signed(int Value) { return std::to_string(Value); }

// Empty and unknown slots: one row with the text in the Type column.
int PaintOneRowSlot(Canvas& C, FrameIOView& View, int Slot, int Top, const std::string& Text, gfx::Color Back)
{
    const int bottom = Top + 16;
    C.brush().color = Back;
    C.pen().color = kBlack;
    SetFont(C, false);
    C.Rectangle(0, Top, kImageWidth, bottom);
    At(C, scType, Top, Text);
    if (!IsControllerPosition(Slot))
        DrawCells(C, View.CellsAt(Slot, kRowEmptySlot, 0), Top);
    SlotNumber(C, Slot, Top);
    GridLines(C, Top, bottom);
    return bottom;
}

// Lines below the slot's block would land on the next slot; they are left out.
void CardTypeLines(Canvas& C, int Type, int Top, int Bottom)
{
    SetFont(C, false);
    At(C, scType, Top, GetCardTypeText(Type, 3));
    C.font().color = kGrey;
    for (int line = 0; line < 3 && Top + 18 + 16 * line < Bottom; ++line)
        C.TextOut(25, Top + 18 + 16 * line, GetCardTypeText(Type, line));
    C.font().color = kBlack;
}

void PaintIOChannel(Canvas& C, const FrameIOView& View, int Slot, int Row, int Y)
{
    const SlotRecord& r = View.Record(Slot);
    const auto entry = r.Entry(Row);
    const int id = entry ? entry->ID : 0;
    const int type = r.CardType();
    DrawCells(C, View.CellsAt(Slot, Row, 0, false), Y);
    Line(C, X(scInputAddress), Y, kImageWidth, Y);
    PaintLabel(C, {X(scLabel), Y + 2, X(scLevelAdjust), Y + 16}, Y, entry ? entry->Label : std::string());
    At(C, scMonoStereo, Y, "Mono");
    if (!entry)
        return; // a missing entry paints empty
    const int level = entry->Level;
    const int option = entry->Option;
    const bool output = (id & 0x80) != 0;
    const std::string name = GetChannelName(id, type, false);
    const int address = output ? scOutputAddress : scInputAddress;
    if (type == kCardDigitalIO) {
        if (output) {
            At(C, scLevelAdjust, Y, "0 dBint = " + Signed(level) + " dBFS");
            At(C, scOutputMode, Y, (option & 0x10) ? "Consumer" : "Pro");
            static const char* const dither[] = {"none", "16 bit", "20 bit", "24 bit"};
            At(C, scOutputDither, Y, dither[option & 3]);
            At(C, scMode, Y, (option & 0x80) ? "SP/DIF" : "AES3/EBU");
        } else {
            At(C, scMode, Y, (option & 0x04) ? "SP/DIF" : "AES3/EBU");
            At(C, scLevelAdjust, Y, Signed(level) + " dBFS =0 dBint");
            At(C, scSRC, Y, SRCItemText(option));
        }
    } else {
        const int k = type == 223 ? 24 : 18;
        if (output)
            At(C, scLevelAdjust, Y, "0dBint=" + Signed(level) + "dBFS=" + Signed(level + k) + "dBu");
        else
            At(C, scLevelAdjust, Y, Signed(level + k) + "dBu=" + Signed(level) + "dBFS=0dBint");
    }
    At(C, address, Y, name);
    if (id & 0x2000)
        At(C, scMonoStereo, Y, "Stereo");
}

int PaintIOCard(Canvas& C, FrameIOView& View, int Slot, int Top, const Band& B)
{
    const SlotRecord& r = View.Record(Slot);
    const int channels = r.ChannelByte();
    const int gpios = View.ShowGPIOs() ? r.GPIOByte() : 0;
    const int bottom = Top + 16 * (channels + gpios);
    C.brush().color = SlotColor(Slot);
    C.Rectangle(0, Top, kImageWidth, bottom);
    DrawDropDownCell(C, scType, scInputAddress, Top);
    CardTypeLines(C, r.CardType(), Top, bottom);
    int y = Top;
    for (int i = 0; i < channels; ++i, y += 16)
        if (B.HoldsRow(y))
            PaintIOChannel(C, View, Slot, i, y);
    SlotNumber(C, Slot, Top);
    if (View.ShowGPIOs()) {
        Line(C, X(scInputAddress), Top + 16 * channels + 1, kImageWidth, Top + 16 * channels + 1);
        for (int g = 0; g < gpios; ++g, y += 16) {
            if (!B.HoldsRow(y))
                continue;
            const int id = MakeChannelID(Slot, g, g % 2 == 0 ? 0x40 : 0xC0);
            Line(C, X(scInputAddress), y, kImageWidth, y);
            PaintLabel(C, {X(scLabel), y + 1, X(scLevelAdjust) - 1, y + 15}, y, r.GPIOLabel(g));
            At(C, g % 2 == 0 ? scInputAddress : scOutputAddress, y, GetChannelName(id, r.CardType(), false));
            DrawCells(C, View.CellsAt(Slot, channels + g, 0, false), y);
        }
    }
    return bottom;
}

int PaintGPIOCard(Canvas& C, FrameIOView& View, int Slot, int Top, const Band& B)
{
    const SlotRecord& r = View.Record(Slot);
    const int rows = r.GPIOByte();
    const int bottom = Top + 16 * rows;
    const gfx::Color back = SlotColor(Slot);
    C.brush().color = back;
    C.Rectangle(0, Top, kImageWidth, bottom);
    DrawDropDownCell(C, scType, scInputAddress, Top);
    CardTypeLines(C, r.CardType(), Top, bottom);
    SlotNumber(C, Slot, Top);
    int y = Top;
    for (int n = 0; n < rows; ++n, y += 16) {
        if (!B.HoldsRow(y))
            continue;
        const bool gpi = n % 4 == 0;
        const int id = MakeChannelID(Slot, n, gpi ? 0x40 : 0xC0);
        Line(C, X(scInputAddress), y, kImageWidth, y);
        PaintLabel(C, {X(scLabel), y + 1, X(scLevelAdjust) - 1, y + 15}, y, r.GPIOLabel(n));
        if (gpi) {
            At(C, scInputAddress, y, GetChannelName(id, r.CardType(), false));
            const int bit = n / 4;
            const bool on = bit < 8 && (r.PullUps() & (1 << bit)) != 0;
            C.brush().color = back;
            C.TextRect({X(scGPIPullUp), y + 1, X(scEnd) - 1, y + 15}, X(scGPIPullUp) + 5, y + 2, on ? "On" : "Off");
        } else {
            At(C, scOutputAddress, y, GetChannelName(id, r.CardType(), false));
        }
        DrawCells(C, View.CellsAt(Slot, n, 0, false), y);
    }
    return bottom;
}

struct DSPModel {
    const char* Lines[3];
};

DSPModel DSPModelLines(const SlotRecord& r)
{
    switch (r.SubType()) {
    case 0: return {{"KX730-848L", "DSP", ""}};
    case 1: return {{"KX730-848M", "DSP", ""}};
    case 2:
        return r.Redundant() ? DSPModel{{"KX730-848M+422", "DSP + MADI", "Redundant"}}
                             : DSPModel{{"KX730-848M+421", "DSP + MADI", ""}};
    case 3: return {{"KX730-848M+422", "DSP + 2x MADI", ""}};
    case 4: return {{"KX730-848M+424", "DSP + Delay", ""}};
    default: return {{"KX730-848", "DSP", ""}}; // a kind the editors never write
    }
}

std::string PortName(const PaintSources& Sources, int Slot)
{
    if (Sources.Project == nullptr || !IsDSPSlot(Slot))
        return {};
    const int ref = readBE16(Sources.Header, 98 + 2 * static_cast<std::size_t>(Slot / 10));
    return GetLogicSourceName(*Sources.Project, ref, Sources.Device);
}

void PaintMadiPortLines(Canvas& C, FrameIOView& View, int Slot, int Top, const PaintSources& Sources)
{
    const SlotRecord& r = View.Record(Slot);
    const int ports = r.SubType() == 3 ? 2 : 1;
    for (int p = 0; p < ports; ++p) {
        const int flags = r.PortFlags(p);
        const int y = Top + 38 + 30 * p;
        SetFont(C, false);
        C.brush().color = SlotColor(Slot);
        C.TextOut(X(scInputAddress) + 5, y,
                  (flags & 0x10) ? "KX7500 Stagebox" : (flags & 0x40) ? "64 Channels" : "56 Channels");
        if (flags & 0x80) {
            C.TextOut(X(scLabel) + 5, y, "32Bit Float");
        } else {
            C.TextOut(X(scLabel) + 5, y, "AES10 MADI");
            if (const auto first = r.FirstPortEntry(p))
                C.TextOut(X(scLevelAdjust) + 5, y, Signed(first->Level) + " dBFS =0 dBint");
        }
        if (flags & 0x20)
            C.TextOut(X(scSRC) + 15, y, PortName(Sources, Slot) + " ...");
        // The cells of a port line hang 2 pixels above its text.
        DrawCells(C, View.CellsAt(Slot, 2 * p, p), y);
    }
}

void PaintMadiChannels(Canvas& C, FrameIOView& View, int Slot, int Top, const Band& B)
{
    const SlotRecord& r = View.Record(Slot);
    SetFont(C, false);
    C.brush().color = SlotColor(Slot);
    int y = Top;
    for (int i = 0; i < r.MadiCount(); ++i, y += 16) {
        if (!B.HoldsRow(y))
            continue;
        const auto entry = r.Entry(i);
        const int id = entry ? entry->ID : 0;
        const bool floatPort = (r.PortFlags((id & 0x40) ? 1 : 0) & 0x80) != 0;
        Line(C, X(scInputAddress), y, kImageWidth, y);
        PaintLabel(C, {X(scLabel), y + 2, X(scLevelAdjust) - 1, y + 15}, y, entry ? entry->Label : std::string());
        At(C, scMonoStereo, y, "Mono");
        DrawCells(C, View.CellsAt(Slot, i, 0), y);
        if (!entry)
            continue;
        const std::string name = GetChannelName(id, kCardDSP, false);
        if (id & 0x80) {
            if (!floatPort)
                At(C, scLevelAdjust, y, "0 dbint = " + Signed(entry->Level) + " dbFS");
            At(C, scOutputAddress, y, name);
        } else {
            if (!floatPort)
                At(C, scLevelAdjust, y, Signed(entry->Level) + " dBFS =0 dBint");
            At(C, scInputAddress, y, name);
        }
        if (id & 0x2000)
            At(C, scMonoStereo, y, "Stereo");
    }
}

int PaintDSPCard(Canvas& C, FrameIOView& View, int Slot, int Top, const PaintSources& Sources, const Band& B)
{
    const SlotRecord& r = View.Record(Slot);
    const int s = r.SubType();
    const bool whole = View.WholeFrame();
    const int bottom = Top + 16 * View.SlotRows(Slot);
    C.brush().color = SlotColor(Slot);
    C.pen().color = kBlack;
    C.Rectangle(0, Top, kImageWidth, bottom);
    if (whole)
        DrawDropDownCell(C, scType, scInputAddress, Top);
    SlotNumber(C, Slot, Top);
    // A line below a one-row block is painted over by the next slot; only a line that would fall
    // off the picture is left out.
    const DSPModel model = DSPModelLines(r);
    for (int line = 0; line < 3; ++line)
        if (*model.Lines[line] != '\0' && Top + 2 + 16 * line < View.ImageHeight())
            C.TextOut(25, Top + 2 + 16 * line, model.Lines[line]);

    if (((s == 2 || s == 3) && whole) || s == 4) {
        SetFont(C, true);
        C.brush().color = kWhite;
        C.Rectangle(X(scInputAddress), Top, kImageWidth, Top + 32);
        At(C, scInputAddress, Top, "Number of Channels");
        At(C, scLabel, Top, s == 4 ? "Delay time" : "Digitalformat");
        if (s != 4)
            At(C, scLevelAdjust, Top, "Level Adjust");
        if (s == 2 && r.Redundant())
            At(C, scSRC, Top, "Use MADI Port 2 condition:");
    }
    if (s == 4) {
        const int y = Top + 38;
        const int code = r.DelayCode() & 0x1F;
        SetFont(C, false);
        C.brush().color = FSlotColorOdd;
        C.TextOut(X(scInputAddress) + 5, y, DelayChannelsText(code));
        C.TextOut(X(scLabel) + 5, y, DelayTimeText(code));
        DrawCells(C, View.CellsAt(Slot, 0, 0), y);
    } else if ((s == 2 || s == 3) && whole) {
        PaintMadiPortLines(C, View, Slot, Top, Sources);
    } else if ((s == 2 || s == 3) && !whole) {
        PaintMadiChannels(C, View, Slot, Top, B);
    }

    C.pen().color = kGrey;
    std::vector<int> lines{scType, scInputAddress};
    if (s > 1 && !whole)
        lines.insert(lines.end(), {scOutputAddress, scMonoStereo});
    if (s > 1)
        lines.insert(lines.end(), {scLabel, scLevelAdjust, scSRC});
    for (int col : lines)
        Line(C, X(col), Top, X(col), bottom);
    C.pen().color = kBlack;
    return bottom;
}

} // namespace

std::string SRCItemText(int Option)
{
    // Only "In" and "Off" exist; the other two codes have no item and show no text.
    switch ((Option >> 5) & 3) {
    case 0: return "In";
    case 1: return "Off";
    default: return "";
    }
}

std::string DelayChannelsText(int Code)
{
    const unsigned long long n = 1ULL << (Code & 0x1F);
    return std::to_string(n) + " Channels";
}

std::string DelayTimeText(int Code)
{
    const unsigned long long n = 1ULL << (Code & 0x1F);
    const float t = static_cast<float>(43.690666666666665 / static_cast<double>(n));
    char text[32];
    std::snprintf(text, sizeof text, "  %5.1f sec", static_cast<double>(t));
    return text;
}

void DrawDropDownCell(Canvas& C, int First, int End, int Top)
{
    const bool arrow = First >= 0;
    const int x0 = arrow ? X(First) + 1 : X(-First) + 5;
    const int x1 = X(End);
    const gfx::Pen pen = C.pen();
    const gfx::Brush brush = C.brush();
    C.pen().color = kWhite;
    C.MoveTo(x0, Top + 16);
    C.LineTo(x0, Top + 1);
    C.LineTo(x1, Top + 1);
    C.pen().color = kLight;
    C.MoveTo(x0 + 1, Top + 16);
    C.LineTo(x0 + 1, Top + 2);
    C.LineTo(x1 - 1, Top + 2);
    C.pen().color = kGrey;
    C.MoveTo(x0, Top + 15);
    C.LineTo(x1 - 1, Top + 15);
    C.LineTo(x1 - 1, Top + 1);
    if (arrow) {
        C.brush().color = kGrey;
        C.Rectangle(x1 - 7, Top + 4, x1 - 3, Top + 9);
        for (int i = 0; i < 4; ++i)
            Line(C, x1 - 9 + i, Top + 9 + i, x1 - 1 - i, Top + 9 + i);
    }
    C.pen() = pen;
    C.brush() = brush;
}

void DrawEditCell(Canvas& C, int Column, int Top)
{
    const int x = X(Column);
    const int next = X(Column + 1);
    const gfx::Pen pen = C.pen();
    const gfx::Brush brush = C.brush();
    C.pen().color = kGrey;
    C.MoveTo(x + 1, Top + 16);
    C.LineTo(x + 1, Top + 1);
    C.LineTo(next, Top + 1);
    C.pen().color = kLight;
    C.MoveTo(x + 1, Top + 16);
    C.LineTo(next, Top + 16);
    C.LineTo(next, Top + 1);
    C.pen() = pen;
    C.brush() = brush;
}

namespace {

void PaintSlot(Canvas& C, FrameIOView& View, int Slot, const PaintSources& Sources, const Band& B)
{
    const int top = View.PlaceSlot(Slot);
    const SlotRecord& r = View.Record(Slot);
    C.pen().color = kBlack;
    switch (r.Kind()) {
    case CardKind::None:
    case CardKind::Unknown: {
        const bool unknown = r.Kind() == CardKind::Unknown;
        const bool nextHasCard = View.Record(Slot + 1).Found();
        std::string text = unknown ? "Unknown" : "Empty";
        gfx::Color back = IsDSPSlot(Slot) ? kLight : kWhite;
        if (IsControllerPosition(Slot)) {
            back = kLight;
            if (!nextHasCard)
                text = unknown ? "Unkown" : "Empty";
            else if (!unknown)
                text = GetCardTypeText(851, 3);
        }
        PaintOneRowSlot(C, View, Slot, top, text, back);
        return;
    }
    case CardKind::IO:
        GridLines(C, top, PaintIOCard(C, View, Slot, top, B));
        return;
    case CardKind::GPIO:
        GridLines(C, top, PaintGPIOCard(C, View, Slot, top, B));
        return;
    case CardKind::DSP:
        PaintDSPCard(C, View, Slot, top, Sources, B);
        return;
    }
}

void PaintBand(Canvas& C, FrameIOView& View, const PaintSources& Sources, const Band& B)
{
    C.pen() = gfx::Pen{};
    C.brush().color = gfx::clInfoBk;
    C.brush().style = gfx::BrushStyle::Solid;
    SetFont(C, false);
    for (int slot = View.FirstSlot(); slot < View.EndSlot(); ++slot) {
        View.PlaceSlot(slot);
        if (B.Meets(View.SlotTop(slot), View.SlotBottom(slot)))
            PaintSlot(C, View, slot, Sources, B);
    }
    DrawSlotHeader(C, View, View.ImageHeight());
}

} // namespace

void PaintSlotRows(Canvas& C, FrameIOView& View, int Slot, const PaintSources& Sources)
{
    PaintSlot(C, View, Slot, Sources, Band{});
}

void DrawSlotHeader(Canvas& C, const FrameIOView& View, int ImageHeight)
{
    const bool whole = View.WholeFrame();
    SetFont(C, true);
    C.pen().color = kGrey;
    Line(C, 0, 0, 0, ImageHeight);
    C.brush().color = kWhite;
    C.Rectangle(0, 0, kImageWidth, kHeaderHeight);
    C.font().color = kBlack;
    for (int col = scNumber; col <= scGPIPullUp; ++col) {
        const int x = X(col);
        if (whole || col <= scSRC) {
            C.pen().color = kGrey;
            Line(C, x, 0, x, kHeaderHeight);
        }
        if (!whole && col > scLevelAdjust)
            continue;
        const std::string_view caption = SlotTableColumns[static_cast<std::size_t>(col)].Caption;
        const std::size_t split = caption.find('_');
        if (split == std::string_view::npos) {
            C.TextOut(x + 5, 3, caption);
        } else {
            C.TextOut(x + 5, 3, caption.substr(0, split));
            C.TextOut(x + 5, 15, caption.substr(split + 1));
        }
    }
    if (!whole)
        return;
    SetFont(C, false);
    C.TextOut(X(scLevelAdjust) + 5, 20, "Set All Digital Level");
    C.TextOut(X(scLevelAdjust) + 5, 36, "Set All Analog Level");
    for (int col = scSRC; col <= scGPIPullUp; ++col)
        C.TextOut(X(col) + 5, 36, "Set All");
    DrawCells(C, CellsOf({RowKind::SetAllUpper}), 17);
    DrawCells(C, CellsOf({RowKind::SetAllLower}), 33);
    C.pen().color = kGrey;
    Line(C, X(scLevelAdjust), 33, kImageWidth, 33);
    C.pen().color = kBlack;
}

void DrawSlotView(Canvas& C, FrameIOView& View, const PaintSources& Sources) { PaintBand(C, View, Sources, Band{}); }

void DrawSlotBand(Canvas& C, FrameIOView& View, const PaintSources& Sources, int Top, int Bottom)
{
    PaintBand(C, View, Sources, Band{Top, Bottom});
}

} // namespace kvr::app::frameio
