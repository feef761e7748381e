#include "reports/ruledtable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/cardrecords.h"
#include "model/channelname.h"
#include "reports/ruledsections.h"
#include "printfixture.h"

namespace kvr::reports::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsSupersetOf;
using Lines = std::vector<std::string>;

class RuledTableTest : public PrintTest {
protected:
    std::vector<std::string> Texts(const gfx::RecordingCanvas& Page) const
    {
        std::vector<std::string> texts;
        for (const gfx::Op& op : Page.ofKind(gfx::OpKind::Text))
            texts.push_back(op.text);
        return texts;
    }
};

TEST_F(RuledTableTest, TwoHundredGlobalLogicsFillThreePagesEachWithItsHead)
{
    AddFrame("Frame 1");
    PageFrame frame(host, printer);
    frame.FDevice = 0; // whatever device the run stands on, the table is the project's
    PrintGlobalLogicTable(frame);

    ASSERT_EQ(1u, printer.Jobs.size());
    const auto& job = printer.Jobs[0];
    EXPECT_EQ("Studio - Global information - Global Logic List", job.Title);
    EXPECT_EQ(platform::PrinterOrientation::Portrait, job.Orientation);
    ASSERT_EQ(3u, job.Pages.size());
    // Arial 10 points at 600 dpi: rows 83 pixels high; the head at 250 u = 620, the first row at
    // 703; a page breaks once a row ends below 7016 - 250 u, after 69 rows.
    const std::array<const char*, 3> firstRow{"1", "70", "139"};
    for (std::size_t p = 0; p < 3; ++p) {
        const std::vector<std::string> page = Brief(job.Pages[p]);
        EXPECT_EQ("rect 0,496,4935,7003", page.at(0)) << "page " << p;
        EXPECT_THAT(page, IsSupersetOf(Lines{"text 3819,6805 h74 Global Information", "text 3819,6916 h74 Global Logic table",
                                        "line 496,620 3720,620", "line 496,620 496,703", "text 520,620 h74 #",
                                        "line 992,620 992,703", "text 1016,620 h74 Name", "text 1512,620 h74 Source Device",
                                        "text 2256,620 h74 Source Logic", "line 3720,620 3720,703",
                                        "line 496,703 3720,703", "text 520,703 h74 " + std::string(firstRow[p]),
                                        "line 496,786 3720,786"}))
            << "page " << p;
    }
    EXPECT_EQ("200", Texts(job.Pages[2]).at(Texts(job.Pages[2]).size() - 4));
    // The last row of page 1 (logic 69) ends at 703 + 69 x 83 = 6430.
    EXPECT_THAT(Brief(job.Pages[0]), IsSupersetOf(Lines{"text 520,6347 h74 69", "line 496,6430 3720,6430"}));
}

TEST_F(RuledTableTest, PagesBreakOnlyBeforeAFurtherRow)
{
    struct Case {
        std::size_t rows;
        std::size_t pages;
    } const cases[] = {{1, 1}, {69, 1}, {70, 2}, {138, 2}, {139, 3}, {200, 3}};
    for (const Case& c : cases) {
        printer.Jobs.clear();
        PageFrame frame(host, printer);
        frame.PrepareSection(platform::PrinterOrientation::Portrait, "List", -1);
        printer.BeginDoc();
        printer.Canvas().font().height = RuledRowHeight(600);
        PrintRuledTable(frame, GlobalLogicColumns, "List", -1, std::vector<TRow>(c.rows, TRow{"a", "b", "c", "d"}));
        printer.EndDoc();
        ASSERT_EQ(1u, printer.Jobs.size());
        // A full last page leaves no empty sheet behind it.
        EXPECT_EQ(c.pages, printer.Jobs[0].Pages.size()) << c.rows << " rows";
        EXPECT_FALSE(printer.Jobs[0].Pages.back().ops().empty()) << c.rows << " rows";
    }
}

TEST_F(RuledTableTest, RowHeightIsTenPointsAtThePrinterResolution)
{
    EXPECT_EQ(83, RuledRowHeight(600));
    EXPECT_EQ(13, RuledRowHeight(96));
    EXPECT_EQ(42, RuledRowHeight(300));
}

TEST_F(RuledTableTest, OutputRoutingListsTheDeviceRowsUnderItsColumns)
{
    const int device = AddFrame("Frame 1");
    model::TCardRecord card;
    card.CardType = 111;
    model::TChannelEntry out;
    const std::string label = "Line Out";
    std::copy(label.begin(), label.end(), out.Label.begin());
    out.ID = static_cast<std::uint16_t>(model::MakeChannelID(2, 0, 0x80 | 0x2000));
    card.Channels = {out};
    project.Device(device)->SetSetupData(2, model::EncodeCardRecord(card));

    PageFrame frame(host, printer);
    frame.FDevice = device;
    PrintOutputRouting(frame);

    ASSERT_EQ(1u, printer.Jobs.size());
    EXPECT_EQ("Studio - Frame 1 - Output Routing", printer.Jobs[0].Title);
    ASSERT_EQ(1u, printer.Jobs[0].Pages.size());
    const std::vector<std::string> page = Brief(printer.Jobs[0].Pages[0]);
    EXPECT_THAT(page, IsSupersetOf(Lines{"text 3819,6805 h74 Frame 1", "text 3819,6916 h74 Output Routing",
                                    "text 520,620 h74 Output Name", "text 1760,620 h74 Output Address",
                                    "text 2256,620 h74 Source", "text 3000,620 h74 Mute Logics",
                                    "line 4464,620 4464,703", "text 520,703 h74 Line Out L",
                                    "text 520,786 h74 Line Out R", "line 496,869 4464,869"}));
}

TEST_F(RuledTableTest, EmptyRoutingListOpensAndClosesAJobWithoutDrawing)
{
    const int device = AddFrame("Frame 1");
    PageFrame frame(host, printer);
    frame.FDevice = device;
    PrintOutputRouting(frame);
    ASSERT_EQ(1u, printer.Jobs.size());
    ASSERT_EQ(1u, printer.Jobs[0].Pages.size());
    EXPECT_TRUE(printer.Jobs[0].Pages[0].ops().empty());
    EXPECT_FALSE(printer.Printing());
}

} // namespace
} // namespace kvr::reports::test
