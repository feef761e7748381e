#include "facefixture.h"

#include "console/moduletypes.h"

#include <algorithm>

using namespace kvr;
using namespace kvr::console;
using namespace kvr::console::test;
using gfx::OpKind;
using Lines = std::vector<std::string>;

namespace {

class FaceArtwork : public FaceTest {
protected:
    std::vector<gfx::Op> TextsIn(const char* fontName)
    {
        std::vector<gfx::Op> found;
        for (const auto& op : canvas.ops()) {
            if ((op.kind == OpKind::Text || op.kind == OpKind::TextRect) && op.font.name == fontName)
                found.push_back(op);
        }
        return found;
    }

    bool HasLine(int x1, int y1, int x2, int y2)
    {
        const std::string line = "Line " + std::to_string(x1) + ',' + std::to_string(y1) + '-' + std::to_string(x2) +
                                 ',' + std::to_string(y2);
        const Lines ops = Describe(canvas.ops());
        return std::find(ops.begin(), ops.end(), line) != ops.end();
    }

    const gfx::Op* RectAt(const gfx::Rect& r)
    {
        for (const auto& op : canvas.ops()) {
            if (op.kind == OpKind::Rectangle && op.rect == r)
                return &op;
        }
        return nullptr;
    }
};

TEST_F(FaceArtwork, DisplayTextByMode)
{
    device.SetName("Studio A");
    const std::pair<std::uint8_t, const char*> modes[] = {
        {0, "KX7300D"}, {1, "Studio A"}, {2, "Timer 1"}, {13, "Timer 12"}, {0x12, "Timer 1"}, {0xF0, "KX7300D"},
        {14, nullptr},  {15, nullptr}};
    for (const auto& [options, text] : modes) {
        Place(100, 10, options);
        Paint(100, 1, 1.0f);
        // The pots after the display take its font too; the display text alone is 90 high.
        std::vector<gfx::Op> shown;
        for (const auto& op : TextsIn("Arial")) {
            if (op.font.height == 90)
                shown.push_back(op);
        }
        if (!text) {
            EXPECT_TRUE(shown.empty()) << int(options);
            continue;
        }
        ASSERT_EQ(1u, shown.size()) << int(options);
        EXPECT_EQ(text, shown[0].text);
        EXPECT_EQ("TextRect 290,700,1110,810 @310,710 '" + std::string(text) + "'", Describe(shown[0]));
        EXPECT_EQ(90, shown[0].font.height);
        EXPECT_EQ(gfx::clBlack, shown[0].font.color);
        EXPECT_EQ(gfx::BrushStyle::Clear, shown[0].brush.style);
    }
    // Only detailed faces show it.
    Place(100, 10);
    Paint(100, 2, 1.0f);
    EXPECT_TRUE(canvas.texts().empty());
}

TEST_F(FaceArtwork, DisplayTextOfEachTypeIsClippedToItsFrame)
{
    const std::pair<int, const char*> cases[] = {
        {11, "TextRect 790,130,1650,240 @810,145 'KX7300D'"},
        {12, "TextRect 615,750,1415,860 @640,765 'KX7300D'"},
        {13, "TextRect 700,850,1430,960 @710,860 'KX7300D'"},
    };
    for (const auto& [type, line] : cases) {
        Place(100, type);
        Paint(100, 1, 1.0f);
        std::vector<std::string> displays;
        for (const auto& op : canvas.ofKind(OpKind::TextRect)) {
            if (op.font.height == 90)
                displays.push_back(Describe(op));
        }
        EXPECT_EQ(Lines{line}, displays) << type;
    }
}

TEST_F(FaceArtwork, DisplayFramesAreWhiteExceptInTheAccessView)
{
    Place(100, 10);
    Place(101, 20);
    for (std::uint8_t flags : {0, 1, 8, 9, 5}) {
        Paint(100, flags, 1.0f);
        const gfx::Op* display = RectAt({290, 700, 1110, 810});
        ASSERT_NE(nullptr, display);
        const gfx::Color body = (flags & 4) ? gfx::clWhite : face::Body;
        EXPECT_EQ((flags & 8) ? body : gfx::clWhite, display->brush.color) << int(flags);
        // The fader module's channel displays always keep the body colour.
        Paint(101, flags, 1.0f);
        const gfx::Op* channel = RectAt({490, 710, 710, 840});
        ASSERT_NE(nullptr, channel);
        EXPECT_EQ(body, channel->brush.color) << int(flags);
    }
}

TEST_F(FaceArtwork, SelectorTextOnlyInThePanelOncePerRecordOfKey57)
{
    auto selector = [](std::uint8_t value) {
        auto r = KeyRecord(57);
        r[36] = value;
        return r;
    };
    Place(100, 12, 0, {selector(7), KeyRecord(3, "K"), selector(31)});
    for (std::uint8_t flags : {1, 3, 9}) {
        Paint(100, flags, 1.0f);
        std::vector<std::string> shown;
        for (const auto& op : canvas.ofKind(OpKind::Text)) {
            if (op.text.starts_with("Selector:")) {
                shown.push_back(Describe(op));
                EXPECT_EQ(gfx::clBlack, op.font.color);
                EXPECT_EQ("Arial", op.font.name);
                EXPECT_EQ(90, op.font.height);
            }
        }
        EXPECT_EQ(shown, (Lines{"Text 325,1810 'Selector:7'", "Text 325,1810 'Selector:31'"})) << int(flags);
    }
    for (std::uint8_t flags : {0, 2, 5, 7}) {
        Paint(100, flags, 1.0f);
        for (const auto& text : canvas.texts())
            EXPECT_FALSE(text.starts_with("Selector:")) << int(flags);
    }

    // A record count past the payload reads only the records that are there.
    std::vector<std::uint8_t> entry{12, 0, 0, 0, 0, 3};
    const auto r = selector(9);
    entry.insert(entry.end(), r.begin(), r.end());
    device.SetSetupData(100, entry);
    Paint(100, 1, 1.0f);
    const auto texts = canvas.texts();
    EXPECT_EQ(1, std::count(texts.begin(), texts.end(), "Selector:9"));
}

TEST_F(FaceArtwork, FaderScalesEndInTenOrPlusTen)
{
    const std::string minusInfinity = std::string("-") + static_cast<char>(165);
    struct Case {
        int type;
        Lines symbol; // the minus-infinity labels, one per strip
        Lines last;   // the top label of each strip
        Lines zero;
    };
    const Case cases[] = {
        {20,
         {"Text 70,3030 '" + minusInfinity + "'", "Text 470,3030 '" + minusInfinity + "'",
          "Text 870,3030 '" + minusInfinity + "'", "Text 1270,3030 '" + minusInfinity + "'"},
         {"Text 70,2015 '+10'", "Text 470,2015 '+10'", "Text 870,2015 '+10'", "Text 1270,2015 '+10'"},
         {"Text 70,2207 '0'", "Text 470,2207 '0'", "Text 870,2207 '0'", "Text 1270,2207 '0'"}},
        // Type 29: labels right of the track, except "0" and "10" left of it.
        {29,
         {"Text 290,3530 '" + minusInfinity + "'", "Text 690,3530 '" + minusInfinity + "'",
          "Text 1090,3530 '" + minusInfinity + "'", "Text 1490,3530 '" + minusInfinity + "'"},
         {"Text 70,2515 '10'", "Text 470,2515 '10'", "Text 870,2515 '10'", "Text 1270,2515 '10'"},
         {"Text 70,2707 '0'", "Text 470,2707 '0'", "Text 870,2707 '0'", "Text 1270,2707 '0'"}},
    };
    for (const Case& c : cases) {
        Place(100, c.type);
        Paint(100, 1, 1.0f);
        const auto symbols = TextsIn("Symbol");
        EXPECT_EQ(c.symbol, Describe(symbols)) << c.type;
        EXPECT_EQ(28, symbols.at(0).font.height);
        Lines last, zero;
        for (const auto& op : canvas.ofKind(OpKind::Text)) {
            if (op.font.height != 28)
                continue;
            if (op.text == "+10" || op.text == "10")
                last.push_back(Describe(op));
            if (op.text == "0")
                zero.push_back(Describe(op));
        }
        EXPECT_EQ(c.last, last) << c.type;
        EXPECT_EQ(c.zero, zero) << c.type;
    }
    // The top scale line of type 29 is short right of the track.
    EXPECT_TRUE(HasLine(230, 2550, 270, 2550));
    EXPECT_TRUE(HasLine(230, 3565, 330, 3565));
}

TEST_F(FaceArtwork, LegendsOnlyWhenDetailedLogoLineByType)
{
    struct Case {
        int type;
        bool lineWithout; // the logo line also without flag 1
        int lineY;
    };
    const Case cases[] = {{13, false, 150}, {23, true, 150}, {28, true, 150},
                          {25, false, 150}, {26, false, 150}, {12, false, 125}};
    for (const Case& c : cases) {
        Place(100, c.type);
        Paint(100, 0, 1.0f);
        EXPECT_TRUE(canvas.texts().empty()) << c.type;
        EXPECT_EQ(c.lineWithout, HasLine(190, c.lineY, 1515, c.lineY)) << c.type;
        Paint(100, 1, 1.0f);
        EXPECT_TRUE(HasLine(190, c.lineY, 1515, c.lineY)) << c.type;
        const auto texts = canvas.texts();
        EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "KVR")) << c.type;
    }
    // Every type with artwork shows legends or display texts with flag 1 and none without it.
    for (int type : KeyModuleTypes) {
        Place(100, type);
        Paint(100, 0, 0.5f);
        EXPECT_TRUE(canvas.texts().empty()) << type;
        Paint(100, 1, 0.5f);
        EXPECT_FALSE(canvas.texts().empty()) << type;
    }
}

TEST_F(FaceArtwork, LegendsAreCentredAndRightAlignedByMeasuredWidth)
{
    // Type 10's title "KX7300-D" in BankGothic 50, centred on 700; "-50" right-aligned to 510 on type 12.
    Place(100, 10);
    Paint(100, 1, 1.0f);
    const auto title = canvas.ofKind(OpKind::Text).at(0);
    EXPECT_EQ("KX7300-D", title.text);
    canvas.font() = title.font;
    EXPECT_EQ((gfx::Point{700 - canvas.TextWidth("KX7300-D") / 2, 720}), title.points[0]);
    EXPECT_EQ(gfx::clWhite, title.font.color); // legends white on the dark body
    EXPECT_EQ(face::Body, title.brush.color);
    EXPECT_EQ(gfx::BackgroundMode::Opaque, title.backgroundMode);

    Place(100, 12);
    Paint(100, 5, 1.0f);
    for (const auto& op : canvas.ofKind(OpKind::Text)) {
        if (op.text == "-50") {
            canvas.font() = op.font;
            EXPECT_EQ((gfx::Point{510 - canvas.TextWidth("-50"), 905}), op.points[0]);
            EXPECT_EQ(gfx::clBlack, op.font.color); // black in print
        }
    }
}

TEST_F(FaceArtwork, CentralOverbridgeWithoutLegendsKeepsItsShapes)
{
    Place(110, 13);
    const Lines ops = Paint(110, 0, 1.0f, 0, 0);
    const Lines expected{"RoundRect 40,273,360,343",  "RoundRect 40,173,360,243",   "RoundRect 1240,273,1560,343",
                         "RoundRect 1240,173,1560,243", "RoundRect 390,195,1210,345", "RoundRect 470,220,1130,320",
                         "RoundRect 530,260,1070,280", "Ellipse 1450,845,1550,945",  "Rectangle 700,850,1430,960",
                         "Line 200,895-200,820",      "Line 200,895-147,948",       "Line 200,895-253,948",
                         "Ellipse 150,845,250,945"};
    ASSERT_GE(ops.size(), 1 + expected.size());
    EXPECT_EQ(expected, Lines(ops.begin() + 1, ops.begin() + 1 + static_cast<std::ptrdiff_t>(expected.size())));
    EXPECT_EQ(gfx::clWhite, canvas.ops()[1].brush.color);
    EXPECT_EQ(face::Body, canvas.ops()[5].brush.color);
    // Four lamp windows, card slot and display frame, two knobs; then the 24 keys.
    EXPECT_EQ(1u + expected.size() + 4 + 24 * 6, ops.size());
}

} // namespace
