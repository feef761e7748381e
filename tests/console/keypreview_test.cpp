#include "console/keypreview.h"
#include "console/keycaption.h"
#include "console/usergroupboxes.h"
#include "gfx/recordingcanvas.h"
#include "model/device.h"
#include "model/superoutputs.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kvr;
using namespace kvr::console;
using gfx::OpKind;

namespace {

model::TKeyRecord Key(int key, const char* label, std::uint8_t function = 3, std::uint8_t colours = 0x40)
{
    model::TKeyRecord r{};
    KeyRecordView view(r);
    view.Key() = static_cast<std::uint8_t>(key);
    view.SetText(label);
    view.Function() = function;
    view.Colours() = colours;
    return r;
}

TEST(KeyPreview, SizeClassesFollowTheKeyWidth)
{
    struct Case {
        const char* name;
        int type;
        int key;
        int sizeClass;
        int font;
        int width;
        int height;
    };
    const Case cases[] = {
        {"130-wide key of the Central Overbridge", 13, 0, 0, 15, 50, 50},
        {"200-wide key of the Main Module", 10, 0, 1, 17, 80, 80},
        {"200-wide key of a fader module: the fader font", 20, 0, 1, 25, 80, 80},
        {"300-wide fader key", 20, 3, 2, 25, 96, 65},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto layout = KeyPreviewLayoutOf(c.type, Key(c.key, "A"));
        ASSERT_TRUE(layout);
        EXPECT_EQ(c.sizeClass, layout->SizeClass);
        EXPECT_EQ(c.font, layout->FontHeight);
        EXPECT_EQ(c.width, layout->Width);
        EXPECT_EQ(c.height, layout->Height);

        gfx::RecordingCanvas canvas;
        DrawKeyPreview(canvas, c.type, Key(c.key, "A"));
        const auto frames = canvas.ofKind(OpKind::Rectangle);
        ASSERT_EQ(1u, frames.size());
        EXPECT_EQ((gfx::Rect{0, 0, c.width, c.height}), frames[0].rect);
        const auto texts = canvas.ofKind(OpKind::Text);
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ(c.font, texts[0].font.height);
        EXPECT_EQ("Arial", texts[0].font.name);
    }
}

TEST(KeyPreview, ColourFieldsOfEachClass)
{
    using F = ColourField;
    const auto field = [](const KeyPreviewLayout& l, F f) { return l.Fields[static_cast<std::size_t>(f)]; };
    const auto small = *KeyPreviewLayoutOf(13, Key(0, "A"));
    EXPECT_EQ(true, field(small, F::Shape5));
    EXPECT_EQ(false, field(small, F::Shape3));
    EXPECT_EQ(false, field(small, F::Shape4));
    EXPECT_FALSE(field(small, F::Image2).has_value()); // left as it was
    const auto wide = *KeyPreviewLayoutOf(20, Key(3, "A"));
    EXPECT_EQ(true, field(wide, F::Shape4));
    EXPECT_EQ(false, field(wide, F::Shape5));
    EXPECT_EQ(false, field(wide, F::Image2));
    EXPECT_EQ(true, field(wide, F::Image3));
    // A wide fader key offers no inactive colours.
    for (F off : {F::Shape5, F::Shape6, F::Shape7})
        EXPECT_EQ(false, field(wide, off));
}

TEST(KeyPreview, KeyNumbersBeyondTheElementsDrawNothing)
{
    for (const auto& [type, key] : {std::pair{10, 200}, std::pair{13, 35}, std::pair{1, 0}, std::pair{0, 0}}) {
        SCOPED_TRACE(type);
        EXPECT_FALSE(KeyPreviewLayoutOf(type, Key(key, "A")));
        gfx::RecordingCanvas canvas;
        DrawKeyPreview(canvas, type, Key(key, "A"));
        EXPECT_TRUE(canvas.ops().empty());
    }
}

TEST(KeyPreview, ABackslashMakesTwoCentredLines)
{
    gfx::RecordingCanvas canvas;
    DrawKeyPreview(canvas, 10, Key(0, "ON\\AIR"));
    const auto texts = canvas.ofKind(OpKind::Text);
    ASSERT_EQ(2u, texts.size());
    // Font 17: line height 16, "ON" 14 and "AIR" 17 wide; centre (39, 39) of the 80 x 80 cap.
    EXPECT_EQ("ON", texts[0].text);
    EXPECT_EQ((gfx::Point{32, 23}), texts[0].points[0]);
    EXPECT_EQ("AIR", texts[1].text);
    EXPECT_EQ((gfx::Point{31, 39}), texts[1].points[0]);
    const auto frame = canvas.ofKind(OpKind::Rectangle).at(0);
    EXPECT_EQ(gfx::clBlack, frame.pen.color);
    EXPECT_EQ(gfx::clYellow, frame.brush.color);
}

TEST(KeyPreview, ColourByFunctionAndModuleType)
{
    constexpr gfx::Color previous = 0x123456;
    struct Case {
        const char* name;
        int type;
        std::uint8_t function;
        std::uint8_t colours;
        gfx::Color expected;
    };
    const Case cases[] = {
        {"active red", 10, 3, 0x80 | 0x30, 0x0000FF},
        {"no active colour is white", 10, 3, 0x30, 0xFFFFFF},
        {"active yellow", 10, 3, 0x40, 0x00FFFF},
        {"User Defined shows its first lamp source: green", 10, 4, 0x26, 0x00FF00},
        {"User Defined, first lamp red", 25, 4, 0x01, 0x0000FF},
        {"User Defined, first lamp 3 leaves the colour", 10, 4, 0x07, previous},
        {"function 4 of a fader module is an ordinary key", 20, 4, 0xC1, 0x00FF00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, KeyPreviewColour(c.type, Key(0, "A", c.function, c.colours), previous));
    }
}

class UserGroups : public ::testing::Test {
protected:
    UserGroups()
    {
        model::TUserGroups groups;
        model::GetUserGroups(device, groups);
        std::memcpy(groups.Groups[0].Label.data(), "Technik", 7);
        std::memcpy(groups.Groups[2].Label.data(), "News Desk", 9);
        std::memcpy(groups.Groups[7].Label.data(), "Night", 5);
        model::SetUserGroups(device, groups);
    }
    model::TDevice device;
};

TEST_F(UserGroups, BoxesForNamedGroupsOfAKeyWithLabelOrColours)
{
    auto key = Key(0, "MIC");
    key[35] = 0x06; // groups 2 and 3
    UserGroupBoxes boxes = ShowUserGroups(device, key);
    EXPECT_EQ("Technik", boxes.Captions[0]);
    EXPECT_EQ("News Desk", boxes.Captions[2]);
    EXPECT_EQ((std::array<bool, 8>{true, false, true, false, false, false, false, true}), boxes.Visible);
    // Group 2 has no label: no box, shown unticked.
    EXPECT_EQ((std::array<bool, 8>{false, false, true, false, false, false, false, false}), boxes.Ticked);

    // Colours alone make the key restrictable.
    boxes = ShowUserGroups(device, Key(0, "", 3, 0x10));
    EXPECT_TRUE(boxes.Visible[0]);

    // Without label and colours every box hides, even for named groups.
    auto bare = Key(0, "", 3, 0x00);
    bare[35] = 0xFF;
    boxes = ShowUserGroups(device, bare);
    EXPECT_EQ((std::array<bool, 8>{}), boxes.Visible);
    EXPECT_EQ((std::array<bool, 8>{}), boxes.Ticked);
    EXPECT_EQ("Technik", boxes.Captions[0]);
}

} // namespace
