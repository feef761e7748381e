#include "reports/keylabels.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "console/modulegeometry.h"
#include "gfx/recordingcanvas.h"
#include "model/keyaccess.h"
#include "reports/pageframe.h"
#include "printfixture.h"

namespace kvr::reports::test {
namespace {

using gfx::OpKind;
using ::testing::ElementsAre;

struct Placed {
    int page, x, y, w, h;
    std::string text;
    bool operator==(const Placed&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const Placed& p)
    {
        return os << p.page << ':' << p.x << ',' << p.y << ' ' << p.w << 'x' << p.h << ' ' << p.text;
    }
};

std::vector<Placed> Layout(const std::vector<KeyLabel>& Labels)
{
    std::vector<Placed> placed;
    // A portrait A4 page at 600 dpi: u = 2.48.
    for (const KeyLabelBox& box : LayoutKeyLabels(Labels, 4960, 7016, 2.48f))
        placed.push_back({box.Page, box.X, box.Y, box.Width, box.Height, box.Label->Text});
    return placed;
}

TEST(KeyLabelLayout, ClassesRowsAndPages)
{
    // Small labels first, each class on a row of its own; the first row starts 30u down, taken
    // as units; a 250-wide key has no class.
    EXPECT_THAT(Layout({{"big", 300, 35}, {"mid", 200, 35}, {"a", 130, 35}, {"none", 250, 35}, {"b", 130, 35}}),
                ElementsAre(Placed{0, 0, 74, 101, 101, "a"}, Placed{0, 101, 74, 101, 101, "b"},
                            Placed{0, 0, 175, 161, 161, "mid"}, Placed{0, 0, 336, 192, 131, "big"}));

    // 250 pixels a small label: the 19th fills the row, the 20th begins the next.
    std::vector<KeyLabel> many(20, KeyLabel{"k", 130, 35});
    auto placed = Layout(many);
    EXPECT_EQ((Placed{0, 18 * 101, 74, 101, 101, "k"}), placed[18]);
    EXPECT_EQ((Placed{0, 0, 175, 101, 101, "k"}), placed[19]);

    // 24 full rows reach within 350u of the bottom by the pixel counter: a new page at y = 0.
    many.assign(19 * 24 + 1, KeyLabel{"k", 130, 35});
    placed = Layout(many);
    EXPECT_EQ((Placed{0, 0, 74 + 23 * 101, 101, 101, "k"}), placed[19 * 23]);
    EXPECT_EQ((Placed{1, 0, 0, 101, 101, "k"}), placed.back());

    // The large class wraps after ten labels of 476 pixels; the empty classes before it still
    // take their rows.
    many.assign(11, KeyLabel{"k", 300, 35});
    placed = Layout(many);
    EXPECT_EQ((Placed{0, 9 * 192, 74 + 101 + 161, 192, 131, "k"}), placed[9]);
    EXPECT_EQ((Placed{0, 0, 74 + 101 + 161 + 131, 192, 131, "k"}), placed.back());
}

TEST(KeyLabelLayout, FontHeightsByTypeAndPosition)
{
    struct Case {
        int type, position, height;
    } const cases[] = {{10, 0, 35}, {11, 3, 35}, {12, 23, 35}, {12, 24, 30}, {13, 0, 30}, {28, 2, 30},
                       {20, 5, 50}, {21, 0, 50}, {29, 10, 50}, {29, 21, 50}, {29, 11, 30}, {25, 0, 30}};
    for (const Case& k : cases)
        EXPECT_EQ(k.height, KeyLabelFontHeight(k.type, k.position)) << k.type << ' ' << k.position;
}

class KeyLabelTest : public PrintTest {
protected:
    KeyLabelTest()
    {
        device = project.Device(AddFrame("Frame 1"));
        const std::vector<std::uint8_t> entry{10, 0, 0, 0, 0, 0};
        device->SetSetupData(100, entry);
        // Positions of the main module's keys by width.
        const auto rects = console::ModuleElementRects(10);
        for (std::size_t i = 0; i < rects.size(); ++i) {
            const int w = rects[i].Width();
            if (!KeyLabelClass(w) && other < 0)
                other = static_cast<int>(i);
            if (w == 200 && mid < 0)
                mid = static_cast<int>(i);
        }
    }

    void Label(int Key, int Position, const std::string& Text)
    {
        model::TKeyRecord record{};
        record[0] = static_cast<std::uint8_t>(Position);
        std::copy_n(Text.begin(), std::min<std::size_t>(Text.size(), 41), record.begin() + 1);
        model::SetKeyFunction(*device, Key, record, 1, 100);
    }

    const gfx::RecordingCanvas* Print()
    {
        PageFrame frame(host, printer);
        frame.FDevice = 0;
        PrintKeyLabels(frame);
        return printer.Jobs.empty() ? nullptr : &printer.Jobs.back().Pages.front();
    }

    model::TDevice* device = nullptr;
    int mid = -1;   // a key 200 wide
    int other = -1; // a key of no class
};

TEST_F(KeyLabelTest, LabelsAreBoxedAndCentredLineByLine)
{
    ASSERT_GE(mid, 0);
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> lines;
    } const cases[] = {
        {"one line", "MIC", {"MIC"}},
        {"one backslash", "ON\\AIR", {"ON", "AIR"}},
        {"two backslashes", "A\\B\\C", {"A", "B", "C"}},
        {"40 characters", std::string(30, 'x') + "0123456789", {std::string(30, 'x')}},
    };
    // A face drawn before leaves its white text colour and turned font behind.
    printer.Canvas().font().color = gfx::clWhite;
    printer.Canvas().font().escapement = 900;
    for (const Case& k : cases) {
        printer.Jobs.clear();
        Label(0, mid, k.text);
        const gfx::RecordingCanvas* page = Print();
        ASSERT_NE(nullptr, page) << k.what;
        EXPECT_EQ("Studio - Frame 1 - Key_Labels", printer.Jobs.back().Title);
        // The header line and the label; no page frame.
        const auto texts = page->ofKind(OpKind::Text);
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ("Studio / Frame 1", texts[0].text);
        EXPECT_EQ(86, texts[0].font.height);
        // The 161u box of the second class at (0, 175u), below the row of the empty first class.
        const auto boxes = page->ofKind(OpKind::Rectangle);
        ASSERT_EQ(1u, boxes.size()) << k.what;
        EXPECT_EQ((gfx::Rect{0, 434, 399, 833}), boxes[0].rect);
        const auto lines = page->ofKind(OpKind::TextRect);
        ASSERT_EQ(k.lines.size(), lines.size()) << k.what;
        gfx::RecordingCanvas measure;
        measure.font() = lines[0].font;
        EXPECT_EQ(Trunc(35 * 2.48f), lines[0].font.height);
        const int th = measure.TextHeight(k.text);
        const int n = static_cast<int>(k.lines.size());
        for (int m = 0; m < n; ++m) {
            const gfx::Op& op = lines[static_cast<std::size_t>(m)];
            EXPECT_EQ(k.lines[static_cast<std::size_t>(m)], op.text) << k.what;
            EXPECT_EQ(gfx::clBlack, op.font.color);
            EXPECT_EQ(0, op.font.escapement);
            EXPECT_EQ(199 - measure.TextWidth(op.text) / 2, op.points[0].x) << k.what;
            EXPECT_EQ(op.points[0].y + 1, op.rect.top);
            EXPECT_EQ(op.points[0].y + th - 1, op.rect.bottom);
            EXPECT_EQ(2, op.rect.left);
            EXPECT_EQ(397, op.rect.right);
        }
        // The lines stand centred about the box's middle.
        const int top = lines.front().points[0].y;
        const int bottom = lines.back().points[0].y + th;
        EXPECT_NEAR(434 + (833 - 434) / 2, (top + bottom) / 2, 2) << k.what;
    }
}

TEST_F(KeyLabelTest, KeysWithoutLabelOrClassOrValidPositionPrintNoBox)
{
    ASSERT_GE(other, 0);
    Label(0, other, "WIDE");
    Label(1, 200, "FAR"); // a position outside the key table
    Label(2, mid, "");
    const gfx::RecordingCanvas* page = Print();
    ASSERT_NE(nullptr, page);
    EXPECT_TRUE(page->ofKind(OpKind::Rectangle).empty());
    EXPECT_TRUE(page->ofKind(OpKind::TextRect).empty());
}

TEST_F(KeyLabelTest, NoModulesNoJobAndDebugLinesOnlyWhenAsked)
{
    Label(0, mid, "MIC");
    Print();
    EXPECT_TRUE(host.Logged.empty());
    host.Debug = true;
    Print();
    EXPECT_THAT(host.Logged, ElementsAre("0 Slot# 100: KX730-010", "2 Keys: 1"));

    printer.Jobs.clear();
    device->SetSetupData(100, {});
    EXPECT_EQ(nullptr, Print());
}

} // namespace
} // namespace kvr::reports::test
