#include "reports/cardlists.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "gfx/canvas.h"
#include "model/cardrecords.h"
#include "model/cardtypetable.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "reports/channeltexts.h"
#include "reports/pageframe.h"
#include "reports/srcchoices.h"

namespace kvr::reports {

const std::array<ListColumn, 13> ListColumns{{
    {200, "_Slot#"},
    {290, "_Type"},
    {470, "Input_Addresse"},
    {620, "Output_Addresse"},
    {770, "Mono_Stereo"},
    {870, "_Label"},
    {1210, "_Level Adjust"},
    {1480, "_SRC"},
    {1550, "Input_Mode"},
    {1680, "Output_Mode"},
    {1820, "Output_Dither"},
    {1910, "Route_Info"},
    {1990, ""},
}};

namespace {

constexpr int kGroupSize = 10;
constexpr gfx::Color kRuleGrey = gfx::rgb(192, 192, 192);
constexpr int kAudioCardGPIOs = 8;

// One card slot as the lists read it: the decoded record (counts bounded by what it holds) and
// its head as stored.
struct Slot {
    std::vector<std::uint8_t> Record;
    model::TCardRecord Card;
    bool Empty() const { return Record.empty(); }
    int Type() const { return Card.CardType; }
    model::CardRecordView View() const { return model::CardRecordView(Record); }
    bool IsMADI() const { return Type() == model::kCardDSP && (View().DSPVariant() == 2 || View().DSPVariant() == 3); }
};

Slot ReadSlot(const model::TDevice& Device, int Index)
{
    Slot slot;
    slot.Record = Device.GetSetupData(static_cast<std::uint8_t>(Index));
    model::DecodeCardRecord(slot.Record, slot.Card);
    return slot;
}

// The labels of the GPIO entries a record holds: eight after the channels of an audio card,
// byte 3 of them from byte 4 on the GPIO card.
std::vector<std::string> GPIOLabels(const Slot& S)
{
    const model::CardRecordView card = S.View();
    int count = 0;
    if (IsAudioCard(S.Type()))
        count = kAudioCardGPIOs; // none when the channels already run past the record
    else if (S.Type() == model::kCardGPIO)
        count = card.GPIOCount();
    std::vector<std::string> labels;
    for (int n = 0; n < count; ++n) {
        const auto entry = card.GPIOEntryAt(n);
        if (!entry)
            break;
        labels.push_back(model::FieldText(*entry));
    }
    return labels;
}

// Drawing helpers of one list: the page unit, the row height and the row grid.
class ListPainter {
public:
    explicit ListPainter(PageFrame& Frame) : F(Frame), C(Frame.Printer.Canvas()), u(Frame.FUnit) {}

    int X(double Units) const { return Trunc(Units * u); }
    int Y(int Row) const { return Trunc(100 * u + Row * R); }
    // The text position of column c: 5 u right of its rule.
    int Col(int Column) const { return Trunc((ListColumns[static_cast<std::size_t>(Column)].X + 5) * u); }
    // The band's first line sits one pixel below the row's top.
    int BandY(int Row) const { return Trunc(100 * u + Row * R + 1); }

    void Line(int X1, int Y1, int X2, int Y2)
    {
        C.MoveTo(X1, Y1);
        C.LineTo(X2, Y2);
    }
    void Rule(int Row, double RightUnits = 1990) { Line(X(200), Y(Row) - 1, X(RightUnits), Y(Row) - 1); }
    void GreyRowLine(int Row)
    {
        C.pen().color = kRuleGrey;
        Line(X(470), Y(Row), X(1990), Y(Row));
        C.pen().color = gfx::clBlack;
    }
    void Text(int X, int Y, std::string_view S) { C.TextOut(X, Y, S); }
    void SlotNumber(int Index, int Row)
    {
        C.font().height = Trunc(40 * u);
        Text(X(210), BandY(Row), std::to_string(Index + 1));
        C.font().height = R;
    }
    // The label cell, clipped at the Level Adjust rule; the text 5 pixels right of the rule.
    void Label(int Row, std::string_view S)
    {
        const gfx::Rect cell{Trunc(870 * u + 1), BandY(Row), Trunc(1210 * u - 1), Trunc(100 * u + (Row + 1) * R - 1)};
        C.TextRect(cell, Trunc(870 * u + 5), Y(Row), S);
    }

    PageFrame& F;
    gfx::Canvas& C;
    double u;
    int R = 0;
};

// What the three lists do differently.
struct ListKind {
    const char* Word;
    const char* Title;
    ListHeaderKind Header;
    // Right end of the vertical closing line at a page break.
    double CloseRight;
    std::function<bool(const Slot&)> Prints;    // a slot that makes the section print
    std::function<bool(const std::vector<Slot>&, int)> GroupPrints;
    // Draws the slot's rows at M and moves M on; the slot's separator is drawn already.
    std::function<void(ListPainter&, const Slot&, int, int&)> Band;
};

void RunList(PageFrame& Frame, const ListKind& Kind)
{
    const model::TDevice* device = Frame.Device();
    if (device == nullptr)
        return;
    std::vector<Slot> cards;
    for (int s = 0; s < device->GetSlotCount(); ++s)
        cards.push_back(ReadSlot(*device, s));
    if (std::none_of(cards.begin(), cards.end(), Kind.Prints))
        return;

    Frame.PrepareSection(platform::PrinterOrientation::Portrait, Kind.Word, Frame.FDevice);
    Frame.Printer.BeginDoc();
    Frame.DrawPageFrame(Kind.Title, Frame.FDevice);
    ListPainter p(Frame);
    p.R = Frame.Printer.PageHeight() / 100;
    p.C.font().height = p.R;
    int M = 10;
    for (int s = 0; s < static_cast<int>(cards.size()); ++s) {
        if (s % kGroupSize == 0 && !Kind.GroupPrints(cards, s)) {
            s += kGroupSize - 1;
            continue;
        }
        if (s % kGroupSize == 0 || M > 80) {
            if (M > 80) {
                // Row and height added, as always printed; that end lies above the page, so the
                // lines stop at the page frame's top edge.
                const int bottom = std::max(Trunc(100 * p.u + M + p.R), Trunc(200 * p.u));
                p.Line(p.X(200), p.Y(M), p.X(200), bottom);
                p.Line(p.X(Kind.CloseRight), p.Y(M), p.X(Kind.CloseRight), bottom);
                p.Rule(M, Kind.CloseRight);
            }
            if (s != 0)
                Frame.Printer.NewPage();
            Frame.DrawPageFrame(Kind.Title, Frame.FDevice);
            DrawListHeader(Frame, s, p.R, Kind.Header);
            M = 10;
        }
        const Slot& slot = cards[static_cast<std::size_t>(s)];
        p.C.pen().width = Trunc(2 * p.u);
        p.Rule(M);
        p.C.pen().width = Trunc(1 * p.u);
        Kind.Band(p, slot, s, M);
        p.Rule(M);
    }
    Frame.Printer.EndDoc();
}

bool AnyAudioCard(const Slot& S) { return IsAudioCard(S.Type()); }

// A group prints unless its eight I/O cards are all empty.
bool IOSlotsUsed(const std::vector<Slot>& Slots, int First)
{
    for (int s = First; s < First + 8 && s < static_cast<int>(Slots.size()); ++s)
        if (!Slots[static_cast<std::size_t>(s)].Empty())
            return true;
    return false;
}

void EmptyRow(ListPainter& P, int& M)
{
    DrawColumnRules(P.F, M, M + 1, P.R);
    M += 1;
}

// The DSP card's rows of the audio and GPIO lists.
void DSPBand(ListPainter& P, const Slot& S, int& M, bool ExtraPage)
{
    const int sub = S.View().DSPVariant();
    int rows = 2;
    if (sub == 2 || sub == 3) {
        P.Text(P.Col(1), P.BandY(M), "DSP + MADI");
        if (ExtraPage)
            P.Text(P.Col(5), P.BandY(M), "See extra Page!");
        rows = 3;
    } else {
        P.Text(P.Col(1), P.BandY(M), sub == 4 ? "DSP Delay" : "DSP");
    }
    DrawColumnRules(P.F, M, M + rows, P.R);
    M += rows;
}

void AudioBand(ListPainter& P, const Slot& S, int Index, int& M)
{
    if (S.Empty())
        return EmptyRow(P, M);
    P.SlotNumber(Index, M);
    const int type = S.Type();
    if (IsAudioCard(type)) {
        P.Text(P.X(290), P.BandY(M), model::GetCardTypeText(type, 3));
        const int start = M;
        for (const model::TChannelEntry& ch : S.Card.Channels) {
            P.GreyRowLine(M);
            P.Label(M, ChannelLabelText(ch));
            P.Text(P.Col(4), P.Y(M), MonoStereoText(ch.ID));
            const bool out = IsOutput(ch.ID);
            const int y = P.Y(M);
            P.Text(P.Col(6), y, ListLevelText(type, out, ChannelLevel(ch)));
            P.Text(P.Col(out ? 3 : 2), y, model::GetChannelName(ch.ID, type, false));
            if (type == 111) {
                const int flags = ch.Option;
                if (out) {
                    P.Text(P.Col(9), y, ChannelStatusText(flags));
                    P.Text(P.Col(10), y, WordLengthText(flags));
                    P.Text(P.Col(8), y, OutputFormatText(flags));
                    P.Text(P.Col(11), y, RouteInfoText(flags));
                } else {
                    P.Text(P.Col(8), y, InputFormatText(flags));
                    if (const std::string_view src = SRCChoiceText(flags); !src.empty())
                        P.Text(P.Col(7), y, src);
                }
            }
            M += 1;
        }
        DrawColumnRules(P.F, start, M, P.R);
    } else if (type == model::kCardGPIO) {
        P.Text(P.X(290), P.BandY(M), model::GetCardTypeText(type, 3));
        DrawColumnRules(P.F, M, M + 2, P.R);
        M += 2;
    } else if (type == model::kCardDSP || type == 849) {
        DSPBand(P, S, M, true);
    } else {
        EmptyRow(P, M);
    }
}

void MADIBand(ListPainter& P, const Slot& S, int Index, int& M)
{
    if (!S.IsMADI())
        return;
    P.SlotNumber(Index, M);
    P.Text(P.Col(1), P.BandY(M), "DSP + MADI");
    int start = M;
    for (const model::TChannelEntry& ch : S.Card.Channels) {
        P.F.ProcessMessages();
        if (M > 90) {
            // A MADI card breaks inside itself, under a repeated header.
            DrawColumnRules(P.F, start, M, P.R);
            P.Rule(M);
            P.F.Printer.NewPage();
            P.F.DrawPageFrame("MADI configuration", P.F.FDevice);
            DrawListHeader(P.F, Index, P.R, ListHeaderKind::Audio);
            M = 10;
            start = 10;
        }
        P.GreyRowLine(M);
        P.Label(M, ChannelLabelText(ch));
        const int y = P.Y(M);
        P.Text(P.Col(4), y, MonoStereoText(ch.ID));
        const bool out = IsOutput(ch.ID);
        P.Text(P.Col(6), y, MADILevelText(out, ChannelLevel(ch)));
        P.Text(P.Col(out ? 3 : 2), y, model::GetChannelName(ch.ID, model::kCardDSP, false));
        M += 1;
    }
    DrawColumnRules(P.F, start, M, P.R);
}

void GPIOBand(ListPainter& P, const Slot& S, int Index, int& M)
{
    if (S.Empty())
        return EmptyRow(P, M);
    P.SlotNumber(Index, M);
    const int type = S.Type();
    if (IsAudioCard(type) || type == model::kCardGPIO) {
        P.Text(P.X(290), P.BandY(M), model::GetCardTypeText(type, 3));
        const int start = M;
        const std::vector<std::string> labels = GPIOLabels(S);
        for (std::size_t n = 0; n < labels.size(); ++n) {
            // Audio cards alternate inputs and outputs; the GPIO card has one input in four.
            const bool input = type == model::kCardGPIO ? n % 4 == 0 : n % 2 == 0;
            const int id = model::MakeChannelID(Index, static_cast<int>(n), input ? 0x40 : 0xC0);
            const int y = P.Y(M);
            P.GreyRowLine(M);
            P.Text(P.Col(5), y, labels[n]);
            P.Text(P.Col(input ? 2 : 3), y, model::GetChannelName(id, type, false));
            if (input && type == model::kCardGPIO) {
                // Only bits 0-7 of byte 2 exist; pull-ups beyond them are off.
                const std::size_t bit = n / 4;
                const bool pullUp = S.View().PullUp(static_cast<int>(bit));
                P.Text(P.Col(6), y, pullUp ? "On" : "Off");
            }
            M += 1;
        }
        DrawColumnRules(P.F, start, M, P.R);
    } else if (type == model::kCardDSP || type == 849) {
        DSPBand(P, S, M, false);
    }
}

} // namespace

void DrawColumnRules(PageFrame& Frame, int From, int To, int RowHeight)
{
    gfx::Canvas& c = Frame.Printer.Canvas();
    const double u = Frame.FUnit;
    for (std::size_t k = 0; k < ListColumns.size(); ++k) {
        c.pen().color = (k == 0 || k + 1 == ListColumns.size()) ? gfx::clBlack : kRuleGrey;
        const int x = Trunc(ListColumns[k].X * u);
        c.MoveTo(x, Trunc(100 * u + From * RowHeight));
        c.LineTo(x, Trunc(100 * u + To * RowHeight));
    }
    c.pen().color = gfx::clBlack;
}

void DrawListHeader(PageFrame& Frame, int FirstSlot, int RowHeight, ListHeaderKind Kind)
{
    ListPainter p(Frame);
    p.R = RowHeight;
    const model::TProject* project = Frame.Project();
    const model::TDevice* device = Frame.Device();
    p.Text(p.X(200), p.Y(6), "Project: " + (project != nullptr ? project->GetName() : std::string()));
    p.Text(p.X(600), p.Y(6), "Device: " + (device != nullptr ? device->GetName() : std::string()));
    const std::string cards = std::to_string(FirstSlot + 1) + " ... " + std::to_string(FirstSlot / 10 * 10 + 10);
    p.Text(p.X(1000), p.Y(6),
           (Kind == ListHeaderKind::Audio ? "Card Configuration (Audio), Slots " : "Card Configuration (Control), Slots ") +
               cards);
    p.Rule(8);
    p.C.font().bold = true;
    for (int c = 0; c < 12; ++c) {
        if (Kind == ListHeaderKind::Control && c != 0 && c != 1 && c != 2 && c != 3 && c != 5) {
            if (c == 6) {
                p.Text(p.Col(6), p.Y(8), "GPI");
                p.Text(p.Col(6), p.Y(9), "Pull Up");
            }
            continue;
        }
        const std::string_view title = ListColumns[static_cast<std::size_t>(c)].Title;
        const std::size_t split = title.find('_');
        const std::string_view upper = title.substr(0, split);
        const std::string_view lower = split == std::string_view::npos ? std::string_view() : title.substr(split + 1);
        if (!upper.empty())
            p.Text(p.Col(c), p.Y(8), upper);
        if (!lower.empty())
            p.Text(p.Col(c), p.Y(9), lower);
    }
    p.C.font().bold = false;
    DrawColumnRules(Frame, 8, 10, RowHeight);
}

void PrintAudioList(PageFrame& Frame)
{
    RunList(Frame, ListKind{"Audio-List", "Audio configuration", ListHeaderKind::Audio, 1990, AnyAudioCard,
                            IOSlotsUsed, AudioBand});
}

void PrintMADIList(PageFrame& Frame)
{
    auto madiInGroup = [](const std::vector<Slot>& cards, int first) {
        for (int s = first; s < first + 10 && s < static_cast<int>(cards.size()); ++s)
            if (cards[static_cast<std::size_t>(s)].IsMADI())
                return true;
        return false;
    };
    RunList(Frame, ListKind{"MADI-List", "MADI configuration", ListHeaderKind::Audio, 1910,
                            [](const Slot& s) { return s.IsMADI(); }, madiInGroup, MADIBand});
}

void PrintGPIOList(PageFrame& Frame)
{
    RunList(Frame, ListKind{"GPIO-List", "GPIO configuration", ListHeaderKind::Control, 1990, AnyAudioCard,
                            IOSlotsUsed, GPIOBand});
}

} // namespace kvr::reports
