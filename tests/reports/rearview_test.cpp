#include "reports/rearview.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "gfx/drawscrew.h"
#include "gfx/recordingcanvas.h"
#include "model/cardrecords.h"
#include "reports/pageframe.h"
#include "printfixture.h"

namespace kvr::reports::test {
namespace {

using gfx::OpKind;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<gfx::Rect> Ellipses(const gfx::RecordingCanvas& c)
{
    std::vector<gfx::Rect> out;
    for (const gfx::Op& op : c.ofKind(OpKind::Ellipse))
        out.push_back(op.rect);
    return out;
}

TEST(RearViewParts, NinePinDSubHasOpenPinsFourLeftFiveRight)
{
    gfx::RecordingCanvas c;
    c.brush().color = gfx::clWhite;
    DrawDSub(1000, 1000, 1.0f, c, -9);
    // Pitch trunc(12.7 + 1) = 13; the shell spans 3 pins' pitch above and below the centre.
    const auto lines = c.ofKind(OpKind::Line);
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ((std::vector<gfx::Point>{{961, 935}, {961, 1066}}), lines[0].points);
    EXPECT_EQ((std::vector<gfx::Point>{{1039, 909}, {1039, 1092}}), lines[2].points);
    // The corners' boxes, some given bottom up, are drawn as the same boxes in order.
    const auto arcs = c.ofKind(OpKind::Arc);
    ASSERT_EQ(4u, arcs.size());
    EXPECT_EQ((gfx::Rect{1013, 896, 1040, 922}), arcs[2].rect);
    for (const gfx::Op& arc : arcs)
        EXPECT_TRUE(arc.rect.width() > 0 && arc.rect.height() > 0);
    const auto ellipses = c.ofKind(OpKind::Ellipse);
    ASSERT_EQ(2u + 9u, ellipses.size());
    // Lock holes below and above, then four pins at x 987 and five at x 1013, radius 10.
    EXPECT_EQ((gfx::Rect{974, 1117, 1027, 1169}), ellipses[0].rect);
    EXPECT_EQ((gfx::Rect{974, 831, 1027, 883}), ellipses[1].rect);
    EXPECT_EQ((gfx::Rect{977, 951, 998, 972}), ellipses[2].rect);
    EXPECT_EQ((gfx::Rect{977, 1029, 998, 1050}), ellipses[5].rect);
    EXPECT_EQ((gfx::Rect{1003, 938, 1024, 959}), ellipses[6].rect);
    EXPECT_EQ((gfx::Rect{1003, 1042, 1024, 1063}), ellipses[10].rect);
    for (const gfx::Op& op : ellipses)
        EXPECT_EQ(gfx::clWhite, op.brush.color);
}

TEST(RearViewParts, FifteenPinDSubFillsItsPinsAndGivesTheBrushBack)
{
    gfx::RecordingCanvas c;
    DrawDSub(500, 500, 2.0f, c, 15);
    // Pitch trunc(25.4 + 1) = 26; 7 pins left, 8 right, radius 20.
    const auto ellipses = c.ofKind(OpKind::Ellipse);
    ASSERT_EQ(2u + 15u, ellipses.size());
    EXPECT_EQ(gfx::clWhite, ellipses[1].brush.color);
    int left = 0, right = 0;
    for (std::size_t i = 2; i < ellipses.size(); ++i) {
        EXPECT_EQ(gfx::clBlack, ellipses[i].brush.color);
        EXPECT_EQ(41, ellipses[i].rect.width());
        (ellipses[i].rect.left + 20 == 474 ? left : right) += 1;
    }
    EXPECT_EQ(7, left);
    EXPECT_EQ(8, right);
    EXPECT_EQ((gfx::Rect{454, 500 - 156 - 20, 495, 500 - 156 + 21}), ellipses[2].rect);
    EXPECT_EQ(gfx::clWhite, c.brush().color);
}

TEST(RearViewParts, ScrewJackSocketsAndConnectorAtScaleOne)
{
    gfx::RecordingCanvas c;
    gfx::DrawScrew(100, 100, 1.0f, c, false);
    EXPECT_THAT(Brief(c), ElementsAre("Ellipse", "line 85,100 116,100", "line 100,85 100,116"));
    EXPECT_EQ((gfx::Rect{75, 75, 126, 126}), c.ops()[0].rect);

    c.clear();
    DrawModularJack(100, 200, 1.0f, c);
    const auto brief = Brief(c);
    ASSERT_EQ(11u, brief.size());
    EXPECT_THAT(std::vector<std::string>(brief.begin(), brief.begin() + 4),
                ElementsAre("rect 100,200,200,350", "rect 100,200,110,255", "rect 100,300,110,350", "line 190,240 200,240"));
    EXPECT_EQ("line 190,310 200,310", brief.back());

    c.clear();
    DrawPortBox(10, 20, 1.0f, c);
    DrawRoundSocket(300, 300, 1.0f, c);
    EXPECT_EQ("rect 10,20,110,270", Brief(c.ops()[0]));
    EXPECT_THAT(Ellipses(c), ElementsAre(gfx::Rect{255, 255, 345, 345}, gfx::Rect{285, 285, 315, 315}));

    c.clear();
    DrawRoundConnector(1000, 1000, 1.0f, c);
    EXPECT_EQ("rect 845,870,1155,1130", Brief(c.ops()[0]));
    EXPECT_THAT(Ellipses(c), ElementsAre(gfx::Rect{905, 905, 1096, 1096}, gfx::Rect{919, 919, 1082, 1082},
                                         gfx::Rect{988, 1030, 1013, 1055}, gfx::Rect{951, 1008, 976, 1033},
                                         gfx::Rect{960, 967, 985, 992}, gfx::Rect{997, 947, 1022, 972}));
}

TEST(RearViewParts, CardLabelsCentreTheFourLinesAndSkipBlankPanels)
{
    struct Case {
        int kind;
        std::vector<std::string> texts;
        std::size_t labelLines; // the two rules across the panel
    } const cases[] = {
        {0, {}, 0},
        {7, {}, 0},
        {103, {}, 0},
        {1, {"DSP", "Controller", "RS422", "KX730-851"}, 2},
        {101, {"Mains Power", "CAN", "CAN 24V", "KX730-845"}, 2},
        {15, {"Analog In", "4 Ch. Mic/Line", "", "KX730-123"}, 2},
    };
    for (const Case& k : cases) {
        gfx::RecordingCanvas c;
        DrawCard(c, 0, 0, k.kind, 1.0f);
        EXPECT_EQ(k.texts, c.texts()) << k.kind;
        const auto rects = c.ofKind(OpKind::Rectangle);
        ASSERT_FALSE(rects.empty());
        EXPECT_EQ((gfx::Rect{0, 0, k.kind < 100 ? 200 : 400, 1280}), rects[0].rect) << k.kind;
        std::size_t rules = 0;
        for (const gfx::Op& op : c.ofKind(OpKind::Line))
            rules += op.points[0].x == 0 && (op.points[0].y == 1050 || op.points[0].y == 1200);
        EXPECT_EQ(k.labelLines, rules) << k.kind;
        for (const gfx::Op& op : c.ofKind(OpKind::Text)) {
            EXPECT_EQ(30, op.font.height);
            EXPECT_EQ((k.kind < 100 ? 100 : 200) - c.TextWidth(op.text) / 2, op.points[0].x) << op.text;
        }
    }
}

class RearViewTest : public PrintTest {
protected:
    RearViewTest() { device = &*project.Device(AddFrame("Frame 1")); }

    void SetDSP(int Slot, int SubType, bool TwoPorts)
    {
        model::TCardRecord card;
        card.CardType = model::kCardDSP;
        card.DSPBytes[1] = static_cast<std::uint8_t>(SubType);
        card.DSPFlags = TwoPorts ? 0x2000 : 0;
        ASSERT_GT(device->SetSetupData(static_cast<std::uint8_t>(Slot), model::EncodeCardRecord(card)), 0);
    }
    void SetIO(int Slot, int CardType)
    {
        model::TCardRecord card;
        card.CardType = static_cast<std::uint16_t>(CardType);
        ASSERT_GT(device->SetSetupData(static_cast<std::uint8_t>(Slot), model::EncodeCardRecord(card)), 0);
    }
    void SetHeaderByte(std::size_t At, std::uint8_t Value)
    {
        auto header = device->GetHeader();
        header[At] = Value;
        device->SetHeader(header, false);
    }

    const gfx::RecordingCanvas& Print()
    {
        PageFrame frame(host, printer);
        frame.FDevice = 0;
        PrintRearView(frame);
        EXPECT_EQ(1u, printer.Jobs.size());
        EXPECT_EQ(1u, printer.Jobs.back().Pages.size());
        return printer.Jobs.back().Pages.front();
    }

    // The panel outlines of a row: (left, width) of every 1280-high rectangle with that top.
    static std::vector<std::pair<int, int>> Panels(const gfx::RecordingCanvas& Page, int Top)
    {
        std::vector<std::pair<int, int>> out;
        for (const gfx::Op& op : Page.ofKind(OpKind::Rectangle))
            if (op.rect.top == Top && op.rect.height() == 1587)
                out.push_back({op.rect.left, op.rect.width()});
        return out;
    }
    // The texts drawn after the title block.
    static std::vector<std::string> Drawn(const gfx::RecordingCanvas& Page)
    {
        const std::vector<std::string> all = Page.texts();
        const auto title = std::find(all.begin(), all.end(), "DSP-Frame Rearview");
        return {title + 1, all.end()};
    }

    model::TDevice* device = nullptr;
};

TEST_F(RearViewTest, PanelKindsByPosition)
{
    SetDSP(9, 0, false);
    SetDSP(19, 2, true);
    SetDSP(29, 5, false);
    SetIO(0, 111);
    SetIO(1, 122);
    SetIO(2, 222);
    SetIO(3, 223);
    SetIO(4, 311);
    SetIO(5, 123);
    SetIO(6, 848); // a DSP card in an I/O slot has no panel
    SetHeaderByte(model::dh::FrameType, 1);
    struct Case {
        int position;
        std::optional<int> kind;
    } const cases[] = {{0, 3},  {1, 4},  {2, 5},  {3, 14},  {4, 13},  {5, 15},        {6, std::nullopt}, {7, 0},
                       {8, 1},  {9, 2},  {18, 1}, {19, 9},  {28, 1},  {29, std::nullopt}, {10, 0}};
    for (const Case& k : cases)
        EXPECT_EQ(k.kind, RearPanelKind(*device, k.position)) << k.position;

    struct SubType {
        int subType;
        bool twoPorts;
        std::optional<int> kind;
    } const subTypes[] = {{0, false, 2}, {1, false, 10}, {2, false, 6}, {2, true, 9},
                          {3, false, 9}, {3, true, 9},   {4, false, 12}};
    for (const SubType& k : subTypes) {
        SetDSP(9, k.subType, k.twoPorts);
        EXPECT_EQ(k.kind, RearPanelKind(*device, 9)) << k.subType << ' ' << k.twoPorts;
    }
    device->SetSetupData(9, {});
    EXPECT_EQ(0, RearPanelKind(*device, 8));
    EXPECT_EQ(0, RearPanelKind(*device, 9));
}

TEST_F(RearViewTest, OneDSPCardFramePrintsItsPanelsInOrder)
{
    SetHeaderByte(model::dh::FrameType, 0);
    SetDSP(9, 0, false);
    SetHeaderByte(model::dh::PowerSupplies, 0x10);
    const gfx::RecordingCanvas& page = Print();
    EXPECT_EQ("Studio - Frame 1 - DSP-Frame-RearView", printer.Jobs[0].Title);
    EXPECT_EQ(platform::PrinterOrientation::Landscape, printer.Jobs[0].Orientation);
    // u = 2.48 and s = 1.24 as 32-bit floats: x0 = trunc(903.99998) = 903, y0 = 1686; 248 pixels
    // a position, 496 a bay.
    std::vector<std::pair<int, int>> expected;
    for (int i = 0; i < 10; ++i)
        expected.push_back({903 + 248 * i, 248});
    expected.push_back({3383, 248});
    for (int i = 0; i < 5; ++i)
        expected.push_back({3631 + 496 * i, 496});
    EXPECT_EQ(expected, Panels(page, 1686));
    EXPECT_THAT(Drawn(page),
                ElementsAre("DSP", "Controller", "RS422", "KX730-851", "DSP", "Sync", "", "KX730-848L", "Communicaton",
                            "Controller", "Ethernet", "KX730-850", "Mains Power", "CAN", "CAN 24V", "KX730-845",
                            "Power Supply", "94..253VAC", "5V/16A", "KX730-083",
                            "Note: To prevent overheating, use at least 1U vented panel at top and bottom or active "
                            "cooling!",
                            "Depth: 315mm", "483mm (19\")", "266mm (6U)"));
    // The frame outline with its 2u pen, the dashed ears, the dotted slots and the arrowheads.
    const auto outline = std::find_if(page.ops().begin(), page.ops().end(), [](const gfx::Op& op) {
        return op.kind == OpKind::Rectangle && op.pen.width == 4;
    });
    ASSERT_NE(page.ops().end(), outline);
    EXPECT_EQ((gfx::Rect{828, 1673, 6185, 3335}), outline->rect);
    const auto arcs = page.ofKind(OpKind::Arc);
    const auto dotted = std::count_if(arcs.begin(), arcs.end(), [](const gfx::Op& op) { return op.pen.style == gfx::PenStyle::Dot; });
    EXPECT_EQ(8, dotted);
    EXPECT_EQ(std::count_if(page.ops().begin(), page.ops().end(),
                            [](const gfx::Op& op) { return op.kind == OpKind::Line && op.pen.style == gfx::PenStyle::Dash; }),
              6);
    const auto pies = page.ofKind(OpKind::Pie);
    ASSERT_EQ(4u, pies.size());
    // The upward arrowhead at the top of the height line.
    EXPECT_EQ((gfx::Rect{493, 1611, 617, 1735}), pies[0].rect);
    EXPECT_EQ((std::vector<gfx::Point>{{493, 1983}, {617, 1983}}), pies[0].points);
    for (const gfx::Op& pie : pies)
        EXPECT_EQ(gfx::clBlack, pie.brush.color);
    // The rotated height label, its font gone again afterwards.
    const gfx::Op& turned = page.ops().back();
    ASSERT_EQ("266mm (6U)", turned.text);
    EXPECT_EQ(900, turned.font.escapement);
    EXPECT_EQ(468, turned.points[0].x);
    gfx::RecordingCanvas measure;
    measure.font() = turned.font;
    EXPECT_EQ(2480 - measure.TextWidth("266mm (6U)") / 2, turned.points[0].y);
    EXPECT_EQ(0, printer.Canvas().font().escapement);
    for (const gfx::Op& op : page.ofKind(OpKind::Text))
        EXPECT_EQ(op.text == "266mm (6U)" ? 900 : 0, op.font.escapement) << op.text;
}

TEST_F(RearViewTest, ThirtySlotFrameDrawsTwoRowsWithTheEndPlate)
{
    SetHeaderByte(model::dh::FrameType, 1);
    SetHeaderByte(model::dh::PowerSupplies, 0x32); // five supplies: past the outline, no blank bay
    SetDSP(19, 2, false);
    SetDSP(29, 3, false);
    device->SetSetupData(9, {}); // slot 9 empty: positions 8 and 9 are empty panels
    const gfx::RecordingCanvas& page = Print();
    // y0 = trunc((4960 - 2560 s) / 2) = 892; the lower row 1320 s further down.
    const auto upper = Panels(page, 892);
    ASSERT_EQ(10u + 2u + 5u, upper.size());
    EXPECT_EQ(std::make_pair(3631 + 5 * 496, 496), upper.back());
    const auto lower = Panels(page, 2528);
    ASSERT_EQ(21u, lower.size());
    EXPECT_EQ(std::make_pair(903 + 20 * 248, 248), lower.back());
    const auto texts = Drawn(page);
    EXPECT_EQ(3, std::count(texts.begin(), texts.end(), "5V/16A"));
    EXPECT_EQ(2, std::count(texts.begin(), texts.end(), "24V/3.3A"));
    // The controller halves and the two DSP panels of the lower row (kinds 6 and 9) only.
    EXPECT_EQ(2, std::count(texts.begin(), texts.end(), "RS422"));
    EXPECT_EQ(1, std::count(texts.begin(), texts.end(), "KX730-421S"));
    EXPECT_EQ(1, std::count(texts.begin(), texts.end(), "KX730-422S"));
    // The lower mounting slots at y0 + 2230 s: arcs of the box from y0 + 2240 s.
    std::set<int> slotTops;
    for (const gfx::Op& op : page.ofKind(OpKind::Arc))
        if (op.pen.style == gfx::PenStyle::Dot)
            slotTops.insert(op.rect.top);
    EXPECT_EQ((std::set<int>{892 + 347, 3669}), slotTops);
    const auto outline = std::find_if(page.ops().begin(), page.ops().end(), [](const gfx::Op& op) {
        return op.kind == OpKind::Rectangle && op.pen.width == 4;
    });
    ASSERT_NE(page.ops().end(), outline);
    EXPECT_EQ(4128, outline->rect.bottom);
}

TEST_F(RearViewTest, NoDeviceStartsNoJob)
{
    PageFrame frame(host, printer);
    frame.FDevice = 3;
    PrintRearView(frame);
    EXPECT_TRUE(printer.Jobs.empty());
}

} // namespace
} // namespace kvr::reports::test
