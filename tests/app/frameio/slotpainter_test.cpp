#include <gtest/gtest.h>

#include <QImage>

#include "app/frameio/slotpainter.h"
#include "framefixture.h"
#include "gfx/qpaintercanvas.h"
#include "model/cardtypetable.h"
#include "model/sourcenames.h"
#include "recording.h"

namespace kvr::app::frameio::test {
namespace {

using namespace model;

constexpr gfx::Color Grey = 0x808080;
constexpr gfx::Color Silver = 0xC0C0C0;
constexpr gfx::Color White = 0xFFFFFF;

// The whole table of a project's device as the page draws it.
struct Drawing {
    FrameIOView View;
    RecordingCanvas Canvas;
    Drawing(FrameProject& f, int curSlot = 255, bool gpios = true)
    {
        View.Load(f.Dev(), curSlot, gpios);
        PaintSources sources{&f.Project, f.Device, f.Dev().GetHeader()};
        DrawSlotView(Canvas, View, sources);
    }
    int Top(int slot) const { return View.SlotTop(slot); }
};

TEST(SlotCells, DropDownAndEditFramesAtTheirPixels)
{
    RecordingCanvas c;
    c.pen().color = 0x123456;
    c.brush().color = 0x654321;
    DrawDropDownCell(c, 4, 5, 100);
    std::vector<std::string> lines;
    for (const Op& op : c.ops())
        lines.push_back(std::to_string(op.pen.color) + (op.kind == OpKind::Rectangle ? " R " : " L ") +
                        std::to_string(op.kind == OpKind::Rectangle ? op.rect.left : op.points[0].x) + "," +
                        std::to_string(op.kind == OpKind::Rectangle ? op.rect.top : op.points[0].y) + "-" +
                        std::to_string(op.kind == OpKind::Rectangle ? op.rect.right : op.points[1].x) + "," +
                        std::to_string(op.kind == OpKind::Rectangle ? op.rect.bottom : op.points[1].y));
    const std::string w = std::to_string(White), s = std::to_string(Silver), g = std::to_string(Grey);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         w + " L 281,116-281,101", w + " L 281,101-330,101",
                         s + " L 282,116-282,102", s + " L 282,102-329,102",
                         g + " L 281,115-329,115", g + " L 329,115-329,101",
                         g + " R 323,104-327,109",
                         g + " L 321,109-329,109", g + " L 322,110-328,110", g + " L 323,111-327,111",
                         g + " L 324,112-326,112",
                     }));
    EXPECT_EQ(c.pen().color, 0x123456u);
    EXPECT_EQ(c.brush().color, 0x654321u);

    c.clear();
    DrawDropDownCell(c, -7, 10, 36);
    EXPECT_TRUE(HasLine(c, {590, 52}, {590, 37}, White));
    EXPECT_TRUE(c.ofKind(OpKind::Rectangle).empty());

    c.clear();
    DrawEditCell(c, 5, 100);
    ASSERT_EQ(c.ops().size(), 4u);
    EXPECT_TRUE(HasLine(c, {331, 116}, {331, 101}, Grey));
    EXPECT_TRUE(HasLine(c, {331, 101}, {450, 101}, Grey));
    EXPECT_TRUE(HasLine(c, {331, 116}, {450, 116}, Silver));
    EXPECT_TRUE(HasLine(c, {450, 116}, {450, 101}, Silver));
}

TEST(SlotHeader, CaptionsGridAndSetAllBandOnlyInTheWholeFrame)
{
    FrameProject f;
    FillFullFrame(f);
    Drawing whole(f);
    const auto& c = whole.Canvas;
    ASSERT_TRUE(RectangleAt(c, {0, 0, 905, 50}).has_value());
    EXPECT_EQ(RectangleAt(c, {0, 0, 905, 50})->brush.color, White);
    EXPECT_TRUE(HasLine(c, {0, 0}, {0, whole.View.ImageHeight()}, Grey));
    for (int col = 0; col <= 11; ++col)
        EXPECT_TRUE(HasLine(c, {SlotColumnX(col), 0}, {SlotColumnX(col), 50}, Grey)) << col;
    EXPECT_EQ(TextOn(c, 5, 3), "#");
    EXPECT_EQ(TextOn(c, 145, 3), "Input");
    EXPECT_EQ(TextOn(c, 145, 15), "Address");
    EXPECT_EQ(TextOn(c, 835, 3), "GPI Pull Up");
    EXPECT_TRUE(TextAt(c, 145, 3)->font.bold);
    EXPECT_EQ(TextOn(c, 455, 20), "Set All Digital Level");
    EXPECT_EQ(TextOn(c, 455, 36), "Set All Analog Level");
    for (int col = 7; col <= 11; ++col)
        EXPECT_EQ(TextOn(c, SlotColumnX(col) + 5, 36), "Set All") << col;
    EXPECT_TRUE(HasDropDown(c, 6, 7, 17));
    for (int col = 6; col <= 11; ++col)
        EXPECT_TRUE(HasDropDown(c, col, col + 1, 33)) << col;
    EXPECT_TRUE(HasLine(c, {450, 33}, {905, 33}, Grey));

    Drawing single(f, 9);
    const auto& s = single.Canvas;
    EXPECT_EQ(TextOn(s, 455, 3), "Level Adjust");
    EXPECT_EQ(TextOn(s, 590, 3), "<none>");
    EXPECT_TRUE(HasLine(s, {585, 0}, {585, 50}, Grey));
    EXPECT_FALSE(HasLine(s, {635, 0}, {635, 50}, Grey));
    EXPECT_FALSE(HasText(s, "Set All"));
    EXPECT_FALSE(HasText(s, "Set All Digital Level"));
}

struct OneRowCase {
    const char* name;
    int slot;
    std::vector<std::pair<int, Bytes>> cards;
    std::string text;
    gfx::Color back;
    bool typeCell;
};

TEST(SlotRows, EmptyUnknownAndControllerSlots)
{
    const Bytes unknown{0x03, 0xE7, 0, 0};
    const Bytes dsp = DSPCard(0, 0, 0, {});
    const OneRowCase cases[] = {
        {"empty I/O slot", 0, {}, "Empty", White, true},
        {"empty DSP slot", 9, {{9, {}}}, "Empty", Silver, true},
        {"controller with its DSP card", 8, {{9, dsp}}, GetCardTypeText(851, 3), Silver, false},
        {"controller without a DSP card", 8, {{9, {}}}, "Empty", Silver, false},
        {"unknown card at the controller, DSP slot empty", 8, {{9, {}}, {8, unknown}}, "Unkown", Silver, false},
        {"unknown card at the controller with a DSP card", 8, {{9, dsp}, {8, unknown}}, "Unknown", Silver, false},
        {"unknown card", 4, {{4, unknown}}, "Unknown", White, true},
        {"unknown card in a DSP slot", 19, {{19, unknown}}, "Unknown", Silver, true},
    };
    for (const auto& c : cases) {
        FrameProject f;
        for (const auto& [slot, record] : c.cards)
            f.Put(slot, record);
        Drawing d(f);
        const int top = d.Top(c.slot);
        EXPECT_EQ(d.View.SlotBottom(c.slot), top + 16) << c.name;
        const auto rect = RectangleAt(d.Canvas, {0, top, 905, top + 16});
        ASSERT_TRUE(rect.has_value()) << c.name;
        EXPECT_EQ(rect->brush.color, c.back) << c.name;
        EXPECT_EQ(ColumnText(d.Canvas, scType, top), c.text) << c.name;
        EXPECT_EQ(HasDropDown(d.Canvas, 1, 2, top), c.typeCell) << c.name;
        EXPECT_EQ(TextOn(d.Canvas, 1, top + 1), std::to_string(c.slot + 1)) << c.name;
        EXPECT_TRUE(TextAt(d.Canvas, 1, top + 1)->font.bold) << c.name;
        EXPECT_TRUE(HasLine(d.Canvas, {830, top}, {830, top + 16}, Grey)) << c.name;
    }
}

TEST(SlotRows, IOCardsShowNamesLevelsAndOptions)
{
    FrameProject f;
    FillFullFrame(f);
    // Slot 7: a 111 with options: input SP/DIF and SRC off, input with SRC code 2, output
    // consumer, 24 bit and SP/DIF, and a stereo input.
    Bytes card{0x00, 0x6F, 4, 0};
    for (const Channel& ch : std::vector<Channel>{{"SpdifIn", MakeChannelID(6, 0, 0), 0x24, -3},
                                                  {"Src2", MakeChannelID(6, 1, 0), 0x40, 0},
                                                  {"Consumer", MakeChannelID(6, 2, 0x80), 0x93, -20},
                                                  {"Pair", MakeChannelID(6, 4, 0x2000), 0, 0}}) {
        const Bytes e = Entry(ch);
        card.insert(card.end(), e.begin(), e.end());
    }
    f.Put(6, card);
    Drawing d(f);
    const auto& c = d.Canvas;
    const int t0 = d.Top(0), t1 = d.Top(1), t2 = d.Top(2), t6 = d.Top(6);
    const auto name = [](int slot, int ch, int flags, int type) { return GetChannelName(MakeChannelID(slot, ch, flags), type, false); };
    struct Cell {
        const char* what;
        int column, top;
        std::string text;
    } cells[] = {
        {"111 model", scType, t0, "KX730-111"},
        {"111 input mode", scMode, t0, "AES3/EBU"},
        {"111 input level", scLevelAdjust, t0, "-10 dBFS =0 dBint"},
        {"111 input name", scInputAddress, t0, name(0, 0, 0, 111)},
        {"111 input SRC", scSRC, t0, "In"},
        {"111 mono", scMonoStereo, t0, "Mono"},
        {"111 output level", scLevelAdjust, t0 + 64, "0 dBint = -10 dBFS"},
        {"111 output name", scOutputAddress, t0 + 64, name(0, 4, 0x80, 111)},
        {"111 output mode", scOutputMode, t0 + 64, "Pro"},
        {"111 output dither", scOutputDither, t0 + 64, "none"},
        {"111 output format", scMode, t0 + 64, "AES3/EBU"},
        {"122 input", scLevelAdjust, t1, "8dBu=-10dBFS=0dBint"},
        {"122 output", scLevelAdjust, t1 + 48, "0dBint=-10dBFS=8dBu"},
        {"223 input", scLevelAdjust, t2, "14dBu=-10dBFS=0dBint"},
        {"223 output", scLevelAdjust, t2 + 32, "0dBint=-10dBFS=14dBu"},
        {"SP/DIF input", scMode, t6, "SP/DIF"},
        {"SRC off", scSRC, t6, "Off"},
        {"SRC code 2 has no item", scSRC, t6 + 16, ""},
        {"consumer", scOutputMode, t6 + 32, "Consumer"},
        {"24 bit", scOutputDither, t6 + 32, "24 bit"},
        {"SP/DIF output", scMode, t6 + 32, "SP/DIF"},
        {"output level", scLevelAdjust, t6 + 32, "0 dBint = -20 dBFS"},
        {"stereo", scMonoStereo, t6 + 48, "Stereo"},
        {"stereo pair name", scInputAddress, t6 + 48, name(6, 4, 0x2000, 111)},
    };
    for (const auto& cell : cells)
        EXPECT_EQ(ColumnText(c, cell.column, cell.top), cell.text) << cell.what;

    // The grey descriptive lines and the label box.
    EXPECT_EQ(TextOn(c, 25, t0 + 18), "Digital In/Out");
    EXPECT_EQ(TextAt(c, 25, t0 + 18)->font.color, Grey);
    const auto label = TextAt(c, 335, t0 + 2);
    ASSERT_TRUE(label.has_value());
    EXPECT_EQ(label->text, "Ch1");
    EXPECT_EQ(label->rect, (gfx::Rect{330, t0 + 2, 450, t0 + 16}));
    EXPECT_EQ(label->brush.color, White);
    // Cells of an input and an output row of the 111.
    EXPECT_TRUE(HasDropDown(c, 1, 2, t0));
    for (const auto& [first, end] : {std::pair{4, 5}, {6, 7}, {7, 8}, {8, 9}})
        EXPECT_TRUE(HasDropDown(c, first, end, t0)) << first;
    EXPECT_FALSE(HasDropDown(c, 9, 10, t0));
    for (const auto& [first, end] : {std::pair{8, 9}, {9, 10}, {10, 11}})
        EXPECT_TRUE(HasDropDown(c, first, end, t0 + 64)) << first;
    EXPECT_FALSE(HasDropDown(c, 7, 8, t0 + 64));
    EXPECT_TRUE(HasEditCell(c, scLabel, t0));
    // Backgrounds alternate.
    EXPECT_EQ(RectangleAt(c, {0, t0, 905, t1})->brush.color, FSlotColorEven);
    EXPECT_EQ(RectangleAt(c, {0, t1, 905, t2})->brush.color, FSlotColorOdd);
}

TEST(SlotRows, GPIORowsWithAndWithoutShowGPIOs)
{
    FrameProject f;
    FillFullFrame(f);
    Drawing on(f, 255, true);
    const int t0 = on.Top(0), t3 = on.Top(3);
    const auto& c = on.Canvas;
    // 111 GPIO rows after its 8 channels: GPIs on even, GPOs on odd numbers.
    const int g0 = t0 + 128, g1 = t0 + 144;
    EXPECT_TRUE(HasLine(c, {140, g0 + 1}, {905, g0 + 1}, 0));
    EXPECT_EQ(TextAt(c, 335, g0 + 2)->rect, (gfx::Rect{330, g0 + 1, 449, g0 + 15}));
    EXPECT_EQ(TextOn(c, 335, g0 + 2), "G1");
    EXPECT_EQ(ColumnText(c, scInputAddress, g0), GetChannelName(MakeChannelID(0, 0, 0x40), 111, false));
    EXPECT_EQ(ColumnText(c, scOutputAddress, g1), GetChannelName(MakeChannelID(0, 1, 0xC0), 111, false));
    EXPECT_TRUE(HasEditCell(c, scLabel, g1));
    EXPECT_FALSE(HasDropDown(c, 4, 5, g1));
    // GPIO card: GPIs are rows 1, 5, 9, 13 with the pull-up cell; mask 0x05: on, off, on, off.
    const char* pullUps[] = {"On", "Off", "On", "Off"};
    for (int n = 0; n < 16; ++n) {
        const int y = t3 + 16 * n;
        EXPECT_EQ(TextOn(c, 335, y + 2), "IO" + std::to_string(n + 1)) << n;
        if (n % 4 == 0) {
            EXPECT_EQ(TextOn(c, 835, y + 2), pullUps[n / 4]) << n;
            EXPECT_EQ(TextAt(c, 835, y + 2)->rect, (gfx::Rect{830, y + 1, 903, y + 15}));
            EXPECT_TRUE(HasDropDown(c, 11, 12, y)) << n;
        } else {
            EXPECT_EQ(TextOn(c, 835, y + 2), "<none>") << n;
            EXPECT_EQ(ColumnText(c, scOutputAddress, y), GetChannelName(MakeChannelID(3, n, 0xC0), 311, false));
        }
    }

    Drawing off(f, 255, false);
    EXPECT_EQ(off.View.SlotBottom(0), off.Top(0) + 128);
    EXPECT_FALSE(HasText(off.Canvas, "G1"));
    EXPECT_TRUE(HasText(off.Canvas, "IO16"));
    EXPECT_EQ(off.View.SlotBottom(29), off.View.ImageHeight());
}

struct DSPCase {
    const char* name;
    Bytes card;
    std::vector<std::pair<int, std::string>> lines; // y offset from the slot's top, x 25
    std::vector<std::pair<gfx::Point, std::string>> texts; // offsets from (0, top)
    std::vector<std::pair<gfx::Point, std::string>> absent; // not the text at that offset
    int height;
};

TEST(SlotRows, DSPBlocksOfEverySubTypeInTheWholeFrame)
{
    const auto e = MadiEntries(9, 2, -12, -6);
    const DSPCase cases[] = {
        // One row: the second model line would fall on slot 11.
        {"848L", DSPCard(0, 0, 0, {}), {{2, "KX730-848L"}, {18, "Empty"}}, {}, {{{145, 2}, "Number of Channels"}}, 16},
        {"848M", DSPCard(1, 0, 0, {}), {{2, "KX730-848M"}}, {}, {{{145, 2}, "Number of Channels"}}, 16},
        {"+421", DSPCard(2, 0x40, 0, e), {{2, "KX730-848M+421"}, {18, "DSP + MADI"}},
         {{{145, 2}, "Number of Channels"}, {{335, 2}, "Digitalformat"}, {{455, 2}, "Level Adjust"},
          {{145, 38}, "64 Channels"}, {{335, 38}, "AES10 MADI"}, {{455, 38}, "-12 dBFS =0 dBint"}},
         {{{25, 34}, "Redundant"}, {{590, 2}, "Use MADI Port 2 condition:"}}, 64},
        {"+422 redundant", DSPCard(2, 0x20, 0, e), {{2, "KX730-848M+422"}, {18, "DSP + MADI"}, {34, "Redundant"}},
         {{{590, 2}, "Use MADI Port 2 condition:"}, {{145, 38}, "56 Channels"}}, {}, 64},
        {"+422 two ports", DSPCard(3, 0x80, 0x10, e), {{2, "KX730-848M+422"}, {18, "DSP + 2x MADI"}},
         {{{335, 38}, "32Bit Float"}, {{145, 68}, "KX7500 Stagebox"}, {{335, 68}, "AES10 MADI"},
          {{455, 68}, "-6 dBFS =0 dBint"}},
         {{{455, 38}, "-12 dBFS =0 dBint"}}, 96},
        {"+422 two ports, no port 2 entry", DSPCard(3, 0, 0, {{"a", MakeChannelID(9, 0, 0), 0, 3}}), {},
         {{{455, 38}, "3 dBFS =0 dBint"}}, {{{455, 68}, "3 dBFS =0 dBint"}}, 96},
        {"+424", DSPCard(4, 0x03, 0, {}), {{2, "KX730-848M+424"}, {18, "DSP + Delay"}},
         {{{335, 2}, "Delay time"}, {{145, 38}, "8 Channels"}, {{335, 38}, "    5.5 sec"}}, {{{455, 2}, "Level Adjust"}}, 64},
        {"sub-type 7", DSPCard(7, 0, 0, {}), {{2, "KX730-848"}, {18, "DSP"}}, {}, {{{145, 2}, "Number of Channels"}}, 64},
    };
    for (const auto& c : cases) {
        FrameProject f;
        f.Put(9, c.card);
        Drawing d(f);
        const int top = d.Top(9);
        EXPECT_EQ(d.View.SlotBottom(9) - top, c.height) << c.name;
        EXPECT_TRUE(HasDropDown(d.Canvas, 1, 2, top)) << c.name;
        for (const auto& [dy, text] : c.lines)
            EXPECT_EQ(TextOn(d.Canvas, 25, top + dy), text) << c.name;
        for (const auto& [at, text] : c.texts)
            EXPECT_EQ(TextOn(d.Canvas, at.x, top + at.y), text) << c.name << " " << text;
        for (const auto& [at, text] : c.absent)
            EXPECT_NE(TextOn(d.Canvas, at.x, top + at.y), text) << c.name << " " << text;
        // A DSP slot has no grid lines right of the SRC column.
        EXPECT_FALSE(HasLine(d.Canvas, {635, top}, {635, d.View.SlotBottom(9)}, Grey)) << c.name;
        EXPECT_TRUE(HasLine(d.Canvas, {140, top}, {140, d.View.SlotBottom(9)}, Grey)) << c.name;
    }
}

// A one-row DSP block draws its second model line all the same, for the next slot to paint over;
// at the end of a 10-slot frame the line would fall off the picture and is left out.
TEST(SlotRows, OneRowDSPBlockDrawsItsSecondLineInsideThePicture)
{
    const struct {
        int frameType;
        std::vector<std::string> texts; // at (25, top + 18), in drawing order
    } cases[] = {
        {1, {"DSP", "Empty"}},
        {0, {}},
    };
    for (const auto& c : cases) {
        FrameProject f;
        SetFrameType(f.Dev(), c.frameType);
        f.Put(9, DSPCard(1, 0, 0, {}));
        Drawing d(f);
        std::vector<std::string> texts;
        for (const Op& op : d.Canvas.ops())
            if (op.kind == OpKind::Text && op.points[0] == gfx::Point{25, d.Top(9) + 18})
                texts.push_back(op.text);
        EXPECT_EQ(texts, c.texts) << c.frameType;
        EXPECT_EQ(TextOn(d.Canvas, 25, d.Top(9) + 2), "KX730-848M") << c.frameType;
    }
}

TEST(SlotRows, MadiPortLineCells)
{
    FrameProject f;
    f.Put(9, DSPCard(3, 0xA0, 0x00, MadiEntries(9, 2, -12, -6)));
    auto h = f.Dev().GetHeader();
    writeBE16(h, 98, 0x0001);
    f.Dev().SetHeader(h, false);
    Drawing d(f);
    const int top = d.Top(9);
    const auto& c = d.Canvas;
    // Port 1: float with a condition; port 2: MADI with its level cell.
    const int y1 = top + 38, y2 = top + 68;
    EXPECT_EQ(TextOn(c, 600, y1), GetLogicSourceName(f.Project, 1, f.Device) + " ...");
    EXPECT_TRUE(HasDropDown(c, -7, 10, y1 - 2));
    EXPECT_FALSE(HasDropDown(c, 6, 7, y1 - 2));
    EXPECT_TRUE(HasDropDown(c, 2, 4, y1 - 2));
    EXPECT_TRUE(HasDropDown(c, 5, 6, y1 - 2));
    EXPECT_TRUE(HasDropDown(c, 6, 7, y2 - 2));
    EXPECT_FALSE(HasDropDown(c, -7, 10, y2 - 2));
    EXPECT_TRUE(RectangleAt(c, {140, top, 905, top + 32}).has_value());
}

TEST(SlotRows, MadiChannelRowsInTheSingleSlotView)
{
    FrameProject f;
    std::vector<Channel> e = {{"In1", MakeChannelID(9, 0, 0), 0, -12},
                              {"Out1", MakeChannelID(9, 0, 0x80), 0, -3},
                              {"Float", MakeChannelID(9, 1, 0x40), 0, -5},
                              {"Pair", MakeChannelID(9, 2, 0x2000), 0, 0}};
    f.Put(9, DSPCard(3, 0x00, 0x80, e));
    Drawing d(f, 9);
    const auto& c = d.Canvas;
    EXPECT_EQ(d.View.ImageHeight(), 50 + 64);
    EXPECT_EQ(ColumnText(c, scLevelAdjust, 50), "-12 dBFS =0 dBint");
    EXPECT_EQ(ColumnText(c, scInputAddress, 50), GetChannelName(MakeChannelID(9, 0, 0), 848, false));
    EXPECT_EQ(ColumnText(c, scLevelAdjust, 66), "0 dbint = -3 dbFS");
    EXPECT_EQ(ColumnText(c, scOutputAddress, 66), GetChannelName(MakeChannelID(9, 0, 0x80), 848, false));
    EXPECT_EQ(ColumnText(c, scLevelAdjust, 82), "<none>");
    EXPECT_FALSE(HasDropDown(c, 6, 7, 82));
    EXPECT_TRUE(HasDropDown(c, 6, 7, 66));
    EXPECT_TRUE(HasDropDown(c, 4, 5, 82));
    EXPECT_EQ(ColumnText(c, scMonoStereo, 98), "Stereo");
    EXPECT_EQ(TextAt(c, 335, 52)->rect, (gfx::Rect{330, 52, 449, 65}));
    EXPECT_EQ(TextOn(c, 335, 52), "In1");
    EXPECT_FALSE(HasDropDown(c, 1, 2, 50));
    EXPECT_FALSE(HasText(c, "Number of Channels"));
    // Grid of the single-slot view: the address columns too, nothing right of SRC.
    for (const int x : {20, 140, 210, 280, 330, 450, 585})
        EXPECT_TRUE(HasLine(c, {x, 50}, {x, 114}, Grey)) << x;
    EXPECT_FALSE(HasLine(c, {635, 50}, {635, 114}, Grey));
}

TEST(SlotRows, DelayTextsByCode)
{
    const struct {
        int code;
        const char* channels;
        const char* time;
    } cases[] = {
        {1, "2 Channels", "   21.8 sec"}, {2, "4 Channels", "   10.9 sec"}, {3, "8 Channels", "    5.5 sec"},
        {4, "16 Channels", "    2.7 sec"}, {5, "32 Channels", "    1.4 sec"}, {6, "64 Channels", "    0.7 sec"},
        {0, "1 Channels", "   43.7 sec"}, {31, "2147483648 Channels", "    0.0 sec"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DelayChannelsText(c.code), c.channels) << c.code;
        EXPECT_EQ(DelayTimeText(c.code), c.time) << c.code;
    }
    FrameProject f;
    f.Put(29, DSPCard(4, 0x1F, 0, {}));
    Drawing d(f);
    EXPECT_EQ(TextOn(d.Canvas, 145, d.Top(29) + 38), "2147483648 Channels");
    EXPECT_TRUE(HasDropDown(d.Canvas, 2, 4, d.Top(29) + 36));
}

TEST(SlotRows, DamagedRecordsPaintTheRowsTheyCountAndNothingPastTheirData)
{
    // Records as a damaged image may hold them: the view takes them as they are.
    FrameProject f;
    Bytes io = IOCard(222, 0, 4, 8);
    io.resize(4 + 24 + 10); // one whole entry, the second cut
    FrameIOView v;
    v.Load(f.Dev(), 255, true);
    v.SetRecord(0, SlotRecord(io, true));
    v.SetRecord(9, SlotRecord(DSPCard(3, 0x01, 0, MadiEntries(9, 1, -3, -4), 400), true));
    v.SetRecord(19, SlotRecord(DSPCard(2, 0, 0, {}, 56), true));
    RecordingCanvas c;
    DrawSlotView(c, v, {&f.Project, f.Device, f.Dev().GetHeader()});
    EXPECT_EQ(v.SlotBottom(0), 50 + 16 * 12);
    EXPECT_EQ(TextOn(c, 335, 52), "Ch1");
    EXPECT_EQ(TextOn(c, 335, 68), "");
    EXPECT_EQ(ColumnText(c, scLevelAdjust, 66), "<none>");
    EXPECT_EQ(TextOn(c, 335, 50 + 16 * 11 + 2), ""); // the 8th GPIO label is not stored
    // Port 1 of slot 20 has no entry: no level text, the level cell stays.
    const int t19 = v.SlotTop(19);
    EXPECT_EQ(TextOn(c, 455, t19 + 38), "<none>");
    EXPECT_TRUE(HasDropDown(c, 6, 7, t19 + 36));
    EXPECT_EQ(v.SlotBottom(29), v.ImageHeight());

    FrameIOView single;
    single.Load(f.Dev(), 9, true);
    single.SetRecord(9, SlotRecord(DSPCard(3, 0x01, 0, MadiEntries(9, 1, -3, -4), 400), true));
    RecordingCanvas s;
    DrawSlotView(s, single, {&f.Project, f.Device, f.Dev().GetHeader()});
    EXPECT_EQ(single.ImageHeight(), 50 + 32);
    EXPECT_EQ(single.SlotBottom(9), 50 + 32);
}

TEST(SlotRender, FullFrameToPNG)
{
    FrameProject f;
    FillFullFrame(f);
    for (const int curSlot : {255, 19}) {
        FrameIOView v;
        v.Load(f.Dev(), curSlot, true);
        QImage image(kImageWidth, v.ImageHeight(), QImage::Format_RGB16);
        image.fill(Qt::white);
        {
            gfx::QPainterCanvas canvas(image);
            DrawSlotView(canvas, v, {&f.Project, f.Device, f.Dev().GetHeader()});
        }
        EXPECT_TRUE(image.save(QString("frameio-%1.png").arg(curSlot)));
        // Slot 1's background in its number column (a DSP slot's in the single-slot view).
        const QColor want = curSlot == 255 ? QColor(0xB0, 0xD0, 0xB0) : QColor(0xC0, 0xC0, 0xC0);
        EXPECT_EQ(image.pixelColor(10, 100).rgb() & 0xF0F0F0, want.rgb() & 0xF0F0F0);
    }
}

} // namespace
} // namespace kvr::app::frameio::test
