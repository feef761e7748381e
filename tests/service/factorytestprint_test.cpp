// Printing the factory test protocol document on the recording printer.
#include "service/factorytest/factorytestprint.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "gfx/recordingcanvas.h"
#include "platform/recordingprinter.h"

namespace {

using namespace kvr::service;

bool Has(const std::vector<std::string>& Texts, const std::string& T)
{
    return std::find(Texts.begin(), Texts.end(), T) != Texts.end();
}

TEST(FactoryTestPrint, OverviewAndOnePagePerEntry)
{
    kvr::platform::RecordingPrinter printer;
    const TPrintLayout layout = ComputePrintLayout(printer.PageWidth(), printer.PageHeight(), false);
    ASSERT_EQ(layout.LinesPerPage, 64);
    std::vector<TFactoryTest> entries(5);
    for (int i = 0; i < 5; ++i) {
        entries[i].Module = entries[i].Number = 100 + i;
        entries[i].Kind = 2;
        entries[i].Position = i;
        entries[i].AddText("protocol line\n");
    }
    entries[4].Carrier = 100;
    entries[4].Kind = 50;
    entries[4].Slot = 0;
    TTextDocument doc;
    doc.LinesPerPage = layout.LinesPerPage;
    BuildDocument(doc, entries, "EMU1");
    PrintDocument(printer, doc, entries, layout, {"ABCD", "EMU1", "now"});

    ASSERT_EQ(printer.Jobs.size(), 1u);
    const auto& job = printer.Jobs[0];
    EXPECT_EQ(job.Title, "KVR factory test protocol for EMU1");
    ASSERT_EQ(job.Pages.size(), 6u);
    const auto overview = job.Pages[0].texts();
    EXPECT_TRUE(Has(overview, "Page 1/6"));
    EXPECT_TRUE(Has(overview, "Project: ABCD, Device: EMU1 - Overview"));
    EXPECT_TRUE(Has(overview, "Report generated on now"));
    for (const char* page : {"  2", "  3", "  4", "  5", "  6"})
        EXPECT_TRUE(Has(overview, page)) << page;
    EXPECT_TRUE(Has(overview, "Slot  1 Card KX730-122    Revision:  0   Serial No.:       104"));
    // The rows go one line height apart, from 7 lines down.
    const auto rows = job.Pages[0].ofKind(kvr::gfx::OpKind::Text);
    const auto first = std::find_if(rows.begin(), rows.end(), [](const auto& op) { return op.text == "  2"; });
    ASSERT_NE(first, rows.end());
    EXPECT_EQ(first->points[0].y, 700);

    const auto last = job.Pages[5].texts();
    EXPECT_TRUE(Has(last, "Page 6/6"));
    EXPECT_TRUE(Has(last, "protocol line"));
    EXPECT_TRUE(Has(last, "Project: ABCD, Device: EMU1 - Card KX730-122   (00104)"));
}

} // namespace
