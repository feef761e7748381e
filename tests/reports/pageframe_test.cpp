#include "reports/pageframe.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "printfixture.h"

namespace kvr::reports::test {
namespace {

using platform::PrinterOrientation;

class PageFrameTest : public PrintTest {
protected:
    // One page of a job prepared and framed as a section does it.
    std::vector<std::string> FramedPage(PrinterOrientation Orientation, int Device, const std::string& Title)
    {
        PageFrame frame(host, printer);
        frame.FDevice = Device;
        frame.PrepareSection(Orientation, "Word", Device);
        printer.BeginDoc();
        frame.DrawPageFrame(Title, Device);
        printer.EndDoc();
        EXPECT_FLOAT_EQ(2.48f, frame.FUnit);
        return Brief(printer.Jobs.back().Pages.at(0));
    }
};

TEST_F(PageFrameTest, PortraitProjectPageAtSixHundredDpi)
{
    // u = 2.48 as a float: 950 u is a hair above 2356, so W - 950 u truncates to 2603.
    EXPECT_THAT(FramedPage(PrinterOrientation::Portrait, -1, "Global Logic table"),
                ::testing::ElementsAre("rect 0,496,4935,7003",                          // page frame
                                       "line 2579,7003 2579,6631", "line 2579,6631 4935,6631", // block's edges
                                       "line 3769,6631 3769,7003",                      // middle divider
                                       "line 3769,6755 4935,6755",                      // right half rule
                                       "line 2579,6879 4935,6879",                      // full-width rule
                                       "line 2579,6941 3769,6941",                      // left half rule
                                       "line 3174,6941 3174,6879",                      // Name / Date
                                       "poly 2603,6656 2653,6705 2603,6755", "poly 2628,6705 2678,6755 2628,6805",
                                       "text 2727,6643 h44 " + std::string(TitleBlockAddress[0]),
                                       "text 2727,6681 h44 " + std::string(TitleBlockAddress[1]),
                                       "text 2727,6718 h44 " + std::string(TitleBlockAddress[2]),
                                       "text 2727,6755 h44 " + std::string(TitleBlockAddress[3]),
                                       "text 2727,6792 h44 " + std::string(TitleBlockAddress[4]),
                                       "text 2727,6829 h44 " + std::string(TitleBlockAddress[5]),
                                       "text 2603,6891 h44 Name:   Anna", "text 2603,6953 h44 File:   Studio.kvp",
                                       "text 3199,6891 h44 Date:   10.12.2026", "text 3819,6681 h74 Studio",
                                       "text 3819,6805 h74 Global Information", "text 3819,6916 h74 Global Logic table",
                                       "line 124,3508 372,3508")); // fold mark on the left edge
    EXPECT_EQ("Studio - Global information - Word", printer.Jobs.back().Title);
    EXPECT_EQ(74, printer.Canvas().font().height); // 30 u stays for what follows
}

TEST_F(PageFrameTest, LandscapeDevicePageAtSixHundredDpi)
{
    AddFrame("Frame 1");
    EXPECT_THAT(FramedPage(PrinterOrientation::Landscape, 0, "DSP-Frame Rearview"),
                ::testing::ElementsAre("rect 0,496,6991,4947", "line 4635,4947 4635,4575", "line 4635,4575 6991,4575",
                                       "line 5825,4575 5825,4947", "line 5825,4699 6991,4699",
                                       "line 4635,4823 6991,4823", "line 4635,4885 5825,4885",
                                       "line 5230,4885 5230,4823", "poly 4659,4600 4709,4649 4659,4699",
                                       "poly 4684,4649 4734,4699 4684,4749",
                                       "text 4783,4587 h44 " + std::string(TitleBlockAddress[0]),
                                       "text 4783,4625 h44 " + std::string(TitleBlockAddress[1]),
                                       "text 4783,4662 h44 " + std::string(TitleBlockAddress[2]),
                                       "text 4783,4699 h44 " + std::string(TitleBlockAddress[3]),
                                       "text 4783,4736 h44 " + std::string(TitleBlockAddress[4]),
                                       "text 4783,4773 h44 " + std::string(TitleBlockAddress[5]),
                                       "text 4659,4835 h44 Name:   Anna", "text 4659,4897 h44 File:   Studio.kvp",
                                       "text 5255,4835 h44 Date:   10.12.2026", "text 5875,4625 h74 Studio",
                                       "text 5875,4749 h74 Frame 1", "text 5875,4860 h74 DSP-Frame Rearview",
                                       "line 3508,124 3508,372")); // fold mark on the top edge
    EXPECT_EQ("Studio - Frame 1 - Word", printer.Jobs.back().Title);
    EXPECT_EQ(PrinterOrientation::Landscape, printer.Jobs.back().Orientation);
}

TEST_F(PageFrameTest, FrameIsWhiteWithABlackOnePixelPen)
{
    FramedPage(PrinterOrientation::Portrait, -1, "T");
    const gfx::Op& frame = printer.Jobs.back().Pages.at(0).ops().at(0);
    EXPECT_EQ(gfx::clWhite, frame.brush.color);
    EXPECT_EQ(gfx::BrushStyle::Solid, frame.brush.style);
    EXPECT_EQ(gfx::clBlack, frame.pen.color);
    EXPECT_EQ(1, frame.pen.width);
    EXPECT_EQ(gfx::BackgroundMode::Transparent, frame.backgroundMode);
}

TEST(PageUnit, ShorterSideIsTwoThousandUnits)
{
    EXPECT_FLOAT_EQ(2.48f, PageUnit(4960, 7016));
    EXPECT_FLOAT_EQ(2.48f, PageUnit(7016, 4960));
    EXPECT_EQ(2579, Trunc(4960 - 960 * static_cast<double>(PageUnit(4960, 7016))));
}

} // namespace
} // namespace kvr::reports::test
