#include "facefixture.h"

#include "console/moduletypes.h"
#include "model/keyaccess.h"

using namespace kvr;
using namespace kvr::console;
using namespace kvr::console::test;
using gfx::OpKind;
using Lines = std::vector<std::string>;

namespace {

class FacePainter : public FaceTest {};

TEST_F(FacePainter, EmptySlotIsASilverFaceWithThreeLines)
{
    // A slot without an entry and an entry of type 0 look the same, in either row.
    Place(110, 0);
    for (int slot : {100, 110}) {
        const Lines ops = Paint(slot, 0, 0.1f, 10, 20);
        EXPECT_EQ(ops, (Lines{"Rectangle 10,20,169,409", "Line 10,20-27,37", "Line 168,37-27,37", "Line 27,408-27,37"}))
            << slot;
        EXPECT_EQ(face::EmptyBody, canvas.ops()[0].brush.color);
        EXPECT_EQ(gfx::clBlack, canvas.ops()[1].pen.color);
    }
    // The painter leaves a solid white brush behind.
    EXPECT_EQ(gfx::clWhite, canvas.brush().color);
    EXPECT_EQ(gfx::BrushStyle::Solid, canvas.brush().style);
}

TEST_F(FacePainter, OutlineShowsTheSelectionExceptInPrint)
{
    struct Case {
        std::uint8_t flags;
        std::vector<gfx::Color> pens;    // of the outline rectangles, in order
        std::vector<gfx::Color> brushes;
    };
    const Case cases[] = {
        {0, {gfx::clBlack}, {face::Body}},
        {2, {gfx::clBlack, face::Selection}, {face::Body, face::Body}},
        {6, {gfx::clBlack, face::Selection, gfx::clBlack}, {face::Body, face::Body, gfx::clWhite}},
        {4, {gfx::clBlack, gfx::clBlack}, {face::Body, gfx::clWhite}},
    };
    Place(100, 1);
    for (const Case& c : cases) {
        Paint(100, c.flags, 0.1f);
        std::vector<gfx::Color> pens, brushes;
        for (const auto& op : canvas.ops()) {
            ASSERT_EQ(OpKind::Rectangle, op.kind) << int(c.flags);
            EXPECT_EQ((gfx::Rect{0, 0, 159, 389}), op.rect);
            pens.push_back(op.pen.color);
            brushes.push_back(op.brush.color);
        }
        EXPECT_EQ(c.pens, pens) << int(c.flags);
        EXPECT_EQ(c.brushes, brushes) << int(c.flags);
    }
}

TEST_F(FacePainter, BlindModuleScrewsOnlyWhenDetailed)
{
    Place(100, 1);
    EXPECT_EQ(Paint(100, 0, 0.1f), (Lines{"Rectangle 0,0,159,389"}));
    // Screws at 50 units from either edge, half-way down: radius 25 x s, cross 15 x s.
    EXPECT_EQ(Paint(100, 5, 0.25f),
              (Lines{"Rectangle 0,0,399,974", "Rectangle 0,0,399,974", "Ellipse 6,481,19,494", "Line 9,487-16,487",
                     "Line 12,484-12,491", "Ellipse 380,481,393,494", "Line 383,487-390,487", "Line 386,484-386,491"}));
}

// The fault mended: the type and the record count come from the image. A type past the
// catalogue and a count past the payload draw a plain face, nothing read beyond the entry.
TEST_F(FacePainter, DamagedEntryIsAPlainFaceWithoutKeys)
{
    device.SetSetupData(100, std::vector<std::uint8_t>{40, 0, 0, 0, 0, 9});  // a type the model knows keys for
    device.SetSetupData(101, std::vector<std::uint8_t>{0x0A, 0x01, 0, 0, 0}); // 266, short head
    device.SetSetupData(102, std::vector<std::uint8_t>{0xFF, 0xFF});
    for (int slot : {100, 101, 102}) {
        EXPECT_EQ(Paint(slot, 3, 0.1f), (Lines{"Rectangle 0,0,159,389", "Rectangle 0,0,159,389"})) << slot;
        EXPECT_EQ(face::Body, canvas.ops()[0].brush.color);
    }
    EXPECT_TRUE(log.Lines().empty());
}

struct KeyCase {
    const char* what;
    int type;
    int key;
    float s;
    int x, y;
    gfx::Rect frame;
    gfx::Rect lamp;
    gfx::Color frameBrush;
};

// Exact binary scales either side of 0.05 keep the float noise out of the expectations.
const KeyCase kKeyCases[] = {
    {"large above", 10, 48, 0.0625f, 0, 0, {25, 172, 38, 185}, {25, 173, 37, 185}, gfx::clBlack},
    {"large below", 10, 48, 0.03125f, 0, 0, {12, 86, 19, 93}, {12, 86, 19, 93}, gfx::clBlack},
    {"large 0.1", 10, 48, 0.1f, 0, 0, {40, 276, 61, 297}, {41, 277, 60, 296}, gfx::clBlack},
    {"small above", 12, 34, 0.0625f, 5, 7, {11, 118, 20, 127}, {11, 119, 18, 126}, gfx::clBlack},
    {"small below", 12, 34, 0.03125f, 5, 7, {8, 62, 13, 67}, {8, 62, 13, 67}, gfx::clBlack},
    {"wide above", 20, 3, 0.0625f, 0, 0, {3, 203, 22, 219}, {5, 206, 19, 216}, face::Shadow},
    {"wide below", 20, 3, 0.03125f, 0, 0, {1, 101, 11, 109}, {2, 103, 9, 108}, face::Shadow},
};

std::string R(const char* kind, const gfx::Rect& r)
{
    return std::string(kind) + ' ' + std::to_string(r.left) + ',' + std::to_string(r.top) + ',' +
           std::to_string(r.right) + ',' + std::to_string(r.bottom);
}

std::string L(int x1, int y1, int x2, int y2)
{
    return "Line " + std::to_string(x1) + ',' + std::to_string(y1) + '-' + std::to_string(x2) + ',' + std::to_string(y2);
}

TEST_F(FacePainter, KeyFrameLampAreaAndFlatBevelByWidthClass)
{
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.what);
        Place(105, c.type);
        const Lines ops = Key(105, c.key, 0, c.s, c.x, c.y);
        const auto [l, t, r, b] = c.lamp;
        EXPECT_EQ(ops, (Lines{R("Rectangle", c.frame), R("Rectangle", c.lamp), L(l, b - 1, l, t - 1), L(l, t, r, t),
                              L(l, b - 1, r, b - 1), L(r - 1, b - 1, r - 1, t - 1)}));
        EXPECT_EQ(c.frameBrush, canvas.ops()[0].brush.color);
        EXPECT_EQ(face::LampNone, canvas.ops()[1].brush.color);
        const std::vector<gfx::Color> bevel{gfx::clWhite, gfx::clWhite, face::Shadow, face::Shadow};
        for (std::size_t i = 0; i < bevel.size(); ++i)
            EXPECT_EQ(bevel[i], canvas.ops()[2 + i].pen.color) << i;
        char logged[80];
        std::snprintf(logged, sizeof logged, "DRAWING: Slot: 105 Key: %02d, X1: %d, X2: %d, diff: %d", c.key,
                      c.frame.left, c.frame.right, c.frame.width());
        ASSERT_FALSE(log.Lines().empty());
        EXPECT_TRUE(log.Lines().back().ends_with(logged)) << log.Lines().back();
    }
}

TEST_F(FacePainter, DetailedKeyHasARaisedBevelAndAnInnerLampWithoutPen)
{
    Place(105, 10);
    const Lines ops = Key(105, 48, 1, 0.1f);
    // Lamp area (41, 277, 60, 296).
    EXPECT_EQ(ops, (Lines{"Rectangle 40,276,61,297", "Line 41,277-41,296", "Line 41,277-60,277", "Line 42,295-59,295",
                          "Line 59,295-59,276", "Line 41,296-61,296", "Line 60,296-60,277", "Rectangle 42,278,60,296"}));
    const std::vector<gfx::Color> pens{gfx::clWhite, gfx::clWhite, face::Shadow, face::Shadow, gfx::clBlack, gfx::clBlack};
    for (std::size_t i = 0; i < pens.size(); ++i)
        EXPECT_EQ(pens[i], canvas.ops()[1 + i].pen.color) << i;
    EXPECT_EQ(gfx::PenStyle::Clear, canvas.ops()[7].pen.style);
    EXPECT_EQ(gfx::PenStyle::Solid, canvas.pen().style);
}

TEST_F(FacePainter, LogTakesOneLinePerKeyAtLevelOneAlsoWhenPrinting)
{
    Place(112, 13);
    log.FlushLimit = 1000;
    Paint(112, 5, 0.2f);
    EXPECT_EQ(24u, log.Lines().size());
    EXPECT_TRUE(log.Lines().front().ends_with("DRAWING: Slot: 112 Key: 00, X1: 4, X2: 31, diff: 27"))
        << log.Lines().front();
    log.LogLevel = 0;
    Paint(112, 5, 0.2f);
    EXPECT_EQ(24u, log.Lines().size());
    log.LogLevel = 2;
    PaintModule(0, 0, canvas, 5, 0.2f, 112, {device, -1, nullptr}); // no log at all
    EXPECT_EQ(24u, log.Lines().size());
}

// The lamp area's fill and frame pen of one key.
struct LampCase {
    const char* what;
    int type;
    bool own; // record in the module entry rather than the shared table
    std::uint8_t function;
    std::uint8_t colours;
    std::uint8_t groups;
    std::uint8_t flags;
    gfx::Color fill;
    gfx::Color pen;
};

TEST_F(FacePainter, LampColoursAndMarking)
{
    const LampCase cases[] = {
        // A user-defined key shows its first lamp source's colour, except on fader modules.
        {"user central yellow", 12, true, 4, 0x40, 0, 0, face::LampYellow, gfx::clBlack},
        {"user central red", 12, true, 4, 0x01, 0, 0, face::LampRed, gfx::clBlack},
        {"user central green", 12, true, 4, 0x42, 0, 0, face::LampGreen, gfx::clBlack},
        {"user central none", 12, true, 4, 0x03, 0, 0, face::LampNone, gfx::clBlack},
        {"user fader", 20, false, 4, 0x42, 0, 0, face::LampYellow, gfx::clBlack},
        {"active colour", 12, true, 2, 0x80, 0, 0, face::LampRed, gfx::clBlack},
        {"active green", 10, true, 2, 0xC0, 0, 1, face::LampGreen, gfx::clBlack},
        {"no colour", 29, false, 2, 0x3F, 0, 0, face::LampNone, gfx::clBlack},
        // The access view shows only the restriction.
        {"access restricted", 12, true, 2, 0xC0, 0x04, 8, face::LampRed, gfx::clBlack},
        {"access free", 12, true, 4, 0x01, 0, 9, face::LampNone, gfx::clBlack},
        // A fader-family key set in the module itself is framed red, except in print.
        {"own fader", 20, true, 2, 0x40, 0, 0, face::LampYellow, face::LampRed},
        {"own fader detailed", 29, true, 2, 0x40, 0, 1, face::LampYellow, face::LampRed},
        {"own fader access", 23, true, 2, 0x40, 0, 8, face::LampNone, face::LampRed},
        {"own fader print", 28, true, 2, 0x40, 0, 4, gfx::clWhite, gfx::clBlack},
        {"own fader selected", 20, true, 2, 0x40, 0, 2, face::LampYellow, face::Selection},
        {"print", 12, true, 2, 0x80, 0, 5, gfx::clWhite, gfx::clBlack},
        {"selected", 12, true, 2, 0x80, 0, 3, face::LampRed, face::Selection},
    };
    for (const LampCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto record = KeyRecord(1, "", c.function, c.colours, c.groups);
        Place(100, c.type);
        for (std::uint8_t table : {96, 97, 98, 99})
            device.SetSetupData(table, {});
        if (c.own)
            Place(100, c.type, 0, {record});
        else
            model::SetKeyFunction(device, 1, record, 0, 100);
        Key(100, 1, c.flags, 0.1f);
        // The lamp area is the last rectangle drawn.
        const auto rects = canvas.ofKind(OpKind::Rectangle);
        ASSERT_EQ(2u, rects.size());
        EXPECT_EQ(c.fill, rects[1].brush.color);
        EXPECT_EQ(c.pen, rects[1].pen.color);
        const bool thick = (c.flags & 2) || (c.own && IsFaderFamilyType(c.type));
        if ((c.flags & 1) && !(c.flags & 4)) {
            EXPECT_EQ(thick ? 2 : 1, rects[1].pen.width);
        }
        if (c.flags & 4) {
            EXPECT_EQ(gfx::clWhite, rects[0].brush.color);
        }
    }
}

TEST_F(FacePainter, OnlyTheSelectedKeyOfTheSelectedModuleIsBlue)
{
    Place(112, 13);
    const auto selectedKeys = [&](std::uint8_t flags, int selectedKey) {
        Paint(112, flags, 0.2f, 0, 0, selectedKey);
        int blue = 0;
        for (const auto& op : canvas.ofKind(OpKind::Rectangle))
            blue += op.pen.color == face::Selection && op.rect != gfx::Rect{0, 0, 319, 255};
        return blue;
    };
    EXPECT_EQ(1, selectedKeys(3, 5));
    EXPECT_EQ(0, selectedKeys(1, 5));
    EXPECT_EQ(0, selectedKeys(0, 5));
    EXPECT_EQ(0, selectedKeys(3, -1));
    EXPECT_EQ(1, selectedKeys(2, 23));
    EXPECT_EQ(0, selectedKeys(7, 5)); // print
}

TEST_F(FacePainter, CaptionLinesAreCentredInTheLampArea)
{
    // Type 10 key 0 at (300, 360): lamp area (310, 370)-(490, 550) at s = 1. Arial 35 on the
    // recording canvas: cells 34 high; "MIC" 45 wide, "ON" 30.
    Place(100, 10, 0, {KeyRecord(0, "MIC\\ON")});
    Key(100, 0, 1, 1.0f);
    const auto texts = canvas.ofKind(OpKind::TextRect);
    EXPECT_EQ(Describe(texts), (Lines{"TextRect 312,427,488,459 @378,426 'MIC'", "TextRect 312,461,488,493 @385,460 'ON'"}));
    EXPECT_EQ(gfx::BackgroundMode::Transparent, texts[0].backgroundMode);
    EXPECT_EQ("Arial", texts[0].font.name);
    EXPECT_EQ(35, texts[0].font.height);
    EXPECT_EQ(gfx::clBlack, texts[0].font.color);
    EXPECT_EQ(gfx::BackgroundMode::Opaque, canvas.backgroundMode());

    // Thirty characters without a backslash: one line, clipped to the lamp area.
    Place(100, 10, 0, {KeyRecord(0, "ABCDEFGHIJKLMNOPQRSTUVWXYZABCD")});
    Key(100, 0, 1, 1.0f);
    const auto one = canvas.ofKind(OpKind::TextRect);
    ASSERT_EQ(1u, one.size());
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWXYZABCD", one[0].text);
    EXPECT_EQ((gfx::Rect{312, 444, 488, 476}), one[0].rect);

    // Not detailed, or no caption: no text.
    Key(100, 0, 0, 1.0f);
    EXPECT_TRUE(canvas.ofKind(OpKind::TextRect).empty());
    Place(100, 10);
    Key(100, 0, 1, 1.0f);
    EXPECT_TRUE(canvas.ofKind(OpKind::TextRect).empty());
}

TEST_F(FacePainter, KeyFontHeightsByTypeAndKey)
{
    const std::tuple<int, int, int> cases[] = {{10, 0, 35}, {11, 3, 35}, {12, 23, 35}, {12, 24, 30}, {12, 56, 30},
                                               {13, 0, 30}, {20, 4, 50}, {21, 0, 50},  {23, 0, 30},  {25, 0, 30},
                                               {26, 0, 30}, {28, 0, 30}, {29, 40, 35}, {29, 41, 30}, {29, 43, 30}};
    for (const auto& [type, key, height] : cases) {
        Place(100, type, 0, {KeyRecord(key, "X")});
        Key(100, key, 1, 1.0f);
        const auto texts = canvas.ofKind(OpKind::TextRect);
        ASSERT_EQ(1u, texts.size()) << type;
        EXPECT_EQ(height, texts[0].font.height) << type << " key " << key;
    }
}

TEST_F(FacePainter, KeysWithoutRecordsAreGreyAndBlank)
{
    Place(100, 12, 0, {KeyRecord(3, "X", 2, 0x80)});
    Key(100, 4, 1, 1.0f); // no record for key 4
    EXPECT_EQ(face::LampNone, canvas.ofKind(OpKind::Rectangle).back().brush.color);
    EXPECT_TRUE(canvas.ofKind(OpKind::TextRect).empty());

    // A device of a fixed model supplies no record at all: the key is drawn the same way.
    auto header = device.GetHeader();
    header[model::dh::DummyDevModel] = 27;
    device.SetHeader(header, false);
    Key(100, 3, 1, 1.0f);
    EXPECT_EQ(face::LampNone, canvas.ofKind(OpKind::Rectangle).back().brush.color);
    EXPECT_TRUE(canvas.ofKind(OpKind::TextRect).empty());

    // An element past the table draws nothing.
    Key(100, 60, 1, 1.0f);
    EXPECT_TRUE(canvas.ops().empty());
}

TEST_F(FacePainter, PotKnobScaleAndPointer)
{
    canvas.font().name = "BankGothic Md BT";
    DrawModulePot(1000, 1000, canvas, 0, "Gain", 10.0f);
    EXPECT_EQ(Describe(canvas.ops()), (Lines{"Ellipse 250,250,1750,1750", "Ellipse 350,350,1650,1650"}));

    canvas.clear();
    DrawModulePot(1000, 1000, canvas, 1, "Gain", 10.0f);
    const auto& ops = canvas.ops();
    ASSERT_EQ(2u + 1 + 21 + 1, ops.size());
    EXPECT_EQ(OpKind::Text, ops[2].kind);
    EXPECT_EQ(400, ops[2].font.height);
    EXPECT_EQ("BankGothic Md BT", ops[2].font.name);
    EXPECT_EQ((gfx::Point{1000 - canvas.TextWidth("Gain") / 2, 2200}), ops[2].points[0]);
    // The angle constant is 3.14 / 180: the last tick ends at (1553, 1950), not (1549, 1952).
    EXPECT_EQ("Line 625,1649-451,1953", Describe(ops[3]));
    EXPECT_EQ("Line 1000,1000-725,1476", Describe(ops[4])); // the pointer at the minimum
    EXPECT_EQ("Line 399,1601-258,1743", Describe(ops[5]));  // a minor tick, 85 to 105
    EXPECT_EQ("Line 1377,1648-1553,1950", Describe(ops.back()));
}

} // namespace
