#include "platform/msgformlayout.h"

#include <gtest/gtest.h>

using namespace kvr::platform;

namespace {

// Every character 6 pixels wide, lines 13 pixels high.
const MsgTextMetrics Fixed{[](const std::string& line) { return static_cast<int>(line.size()) * 6; }, 13};

std::string Captions(const MsgButtons& b)
{
    std::string out;
    for (const auto& button : b.Buttons)
        out += button.Caption + "=" + std::to_string(button.ModalResult) + (button.Default ? "!" : "") + " ";
    return out;
}

} // namespace

TEST(MsgButtons, LettersMakeButtons)
{
    struct Case {
        const char* letters;
        const char* buttons;
        bool link;
    } const cases[] = {
        {"", "&OK=1 ", false},
        {"O", "&OK=1 ", false},
        {"YN", "&Yes=6 &No=7 ", false},
        {"!YN", "&Yes=6! &No=7 ", false},
        {"Y!N", "&Yes=6 &No=7! ", false},
        {"ARC", "&Abort=3 &Retry=4 &Cancel=2 ", false},
        {"OM", "&OK=1 ", true},
        {"MOM", "&OK=1 ", true},
        {"M", "", true},
        {"Yx N", "&Yes=6 &No=7 ", false},
    };
    for (const auto& c : cases) {
        const MsgButtons b = ParseMsgButtons(c.letters);
        EXPECT_EQ(Captions(b), c.buttons) << c.letters;
        EXPECT_EQ(b.ShowLink, c.link) << c.letters;
    }
}

TEST(MsgButtons, CaptionsByKind)
{
    EXPECT_EQ(MsgKindCaption(0xA1070011u >> 29), "Error");
    EXPECT_EQ(MsgKindCaption(0x6107001Fu >> 29), "Confirmation");
    EXPECT_EQ(MsgKindCaption(1), "Warning");
    EXPECT_EQ(MsgKindCaption(4), "Information");
    EXPECT_EQ(MsgKindCaption(0x43000001u >> 29), "");
    EXPECT_EQ(MsgCodeText(0xa1000006u), "A1000006");
    EXPECT_EQ(MsgCodeText(0x42u), "00000042");
}

TEST(MsgLayout, OneOkButtonIsCentred)
{
    const MsgLayout l = LayoutMsgForm("Hello", ParseMsgButtons(""), Fixed, 1024, 768);
    EXPECT_EQ(l.ClientWidth, 135); // 1 x 70 + 65
    EXPECT_EQ(l.ClientHeight, 101); // image 41 + 60
    ASSERT_EQ(l.ButtonRects.size(), 1u);
    EXPECT_EQ(l.ButtonRects[0], (MsgRect{35, 68, 65, 23}));
    EXPECT_EQ(l.Image, (MsgRect{14, 10, 41, 41}));
    EXPECT_EQ(l.Label, (MsgRect{68, 10, 30, 13}));
    EXPECT_FALSE(l.LinkVisible);
    EXPECT_EQ(l.Left, 512 - 67);
    EXPECT_EQ(l.Top, 384 - 50);
}

TEST(MsgLayout, ButtonRowIsCentredWithFivePixelsBetween)
{
    const MsgLayout l = LayoutMsgForm(std::string(100, 'x'), ParseMsgButtons("YNC"), Fixed, 1600, 900);
    EXPECT_EQ(l.ClientWidth, 68 + 600 + 10);
    ASSERT_EQ(l.ButtonRects.size(), 3u);
    const int rowLeft = l.ButtonRects[0].Left;
    EXPECT_EQ(l.ButtonRects[1].Left - rowLeft, 70);
    EXPECT_EQ(l.ButtonRects[2].Left + 65 - rowLeft, 205);
    EXPECT_EQ(rowLeft, 678 / 2 - 205 / 2);
    EXPECT_EQ(l.ButtonRects[0].Top, l.ClientHeight - 33);
}

TEST(MsgLayout, LongTextIsWrappedAtBlanksAndExistingBreaksStay)
{
    // Screen 400 wide: half 200, limit 132 pixels = 22 characters.
    const std::string text = "alpha beta gamma delta epsilon\nzeta eta theta iota kappa lambda";
    const MsgLayout l = LayoutMsgForm(text, ParseMsgButtons("O"), Fixed, 400, 300);
    EXPECT_EQ(l.LabelText, "alpha beta gamma delta\nepsilon\nzeta eta theta iota\nkappa lambda");
    EXPECT_EQ(l.Label.Width, 22 * 6);
    EXPECT_EQ(l.Label.Height, 4 * 13);
    EXPECT_EQ(l.ClientWidth, 22 * 6 + 78);
    EXPECT_EQ(l.ClientHeight, 52 + 60);
}

TEST(MsgLayout, ShortTextIsNotWrapped)
{
    const WrappedText w = WrapMsgText("one two", 1000, Fixed);
    EXPECT_EQ(w.Text, "one two");
    const MsgLayout l = LayoutMsgForm("a b\nc", ParseMsgButtons("O"), Fixed, 1024, 768);
    EXPECT_EQ(l.LabelText, "a b\nc");
    EXPECT_EQ(l.Label.Height, 26);
}

TEST(MsgLayout, LinkStandsBelowTheText)
{
    const MsgLayout l = LayoutMsgForm("Hi", ParseMsgButtons("OM"), Fixed, 1024, 768);
    EXPECT_TRUE(l.LinkVisible);
    EXPECT_EQ(l.Link.Left, 68);
    EXPECT_EQ(l.Link.Top, 10 + 13);
    const int linkWidth = static_cast<int>(std::string("Click here to learn more about this message").size()) * 6;
    EXPECT_EQ(l.ClientWidth, 68 + linkWidth + 10);
    EXPECT_EQ(l.ClientHeight, 41 + 60); // 13 + 26 is below the image's 41
    ASSERT_EQ(l.ButtonRects.size(), 1u);
}
