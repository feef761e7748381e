#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "commandoutput.h"
#include <string>

#include "gfx/canvas.h"
#include "platform/documentprintservice.h"
#include "platform/pdfprinter.h"
#include "platform/recordingprinter.h"
#include "platform/settingsstore.h"

using namespace kvr::platform;
using ::testing::HasSubstr;

namespace {

std::string Quoted(const QString& Path) { return "'" + Path.toStdString() + "'"; }

void Page(Printer& P, const std::string& Text)
{
    P.Canvas().TextOut(600, 600, Text);
    P.Canvas().Rectangle(100, 100, P.PageWidth() - 100, P.PageHeight() - 100);
}

} // namespace

TEST(PdfPrinter, EveryJobIsAnA4FileNamedAfterItsTitle)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    PdfPrinter printer(folder.path());
    EXPECT_TRUE(printer.HasPrinter());
    EXPECT_EQ(600, printer.Resolution());
    printer.Canvas().font().name = "Arial";
    printer.Canvas().font().height = 100;

    printer.SetTitle("Studio - Frame/1 - Audio-List");
    printer.BeginDoc();
    Page(printer, "First page");
    printer.NewPage();
    Page(printer, "Second page");
    printer.EndDoc();

    printer.SetOrientation(PrinterOrientation::Landscape);
    EXPECT_GT(printer.PageWidth(), printer.PageHeight());
    printer.SetTitle("Studio - Frame/1 - Audio-List"); // the same title again: a file of its own
    printer.BeginDoc();
    Page(printer, "Landscape");
    printer.EndDoc();
    EXPECT_TRUE(printer.TakeErrors().empty());

    const QString first = folder.filePath("Studio - Frame_1 - Audio-List.pdf");
    const QString second = folder.filePath("Studio - Frame_1 - Audio-List (2).pdf");
    EXPECT_EQ((std::vector<QString>{first, second}), printer.Files());
    // Nothing else is left in the folder (no temporary files).
    EXPECT_EQ(2, QDir(folder.path()).entryList(QDir::Files).size());

    const std::string info = CommandOutput("pdfinfo " + Quoted(first));
    EXPECT_THAT(info, testing::ContainsRegex("Pages: +2\n"));
    EXPECT_THAT(info, testing::ContainsRegex("Title: +Studio - Frame/1 - Audio-List\n"));
    EXPECT_THAT(info, testing::ContainsRegex("Page size: +595[.0-9]* x 84[12][.0-9]* pts \\(A4\\)"));
    const std::string text = CommandOutput("pdftotext " + Quoted(first) + " -");
    EXPECT_THAT(text, HasSubstr("First page"));
    EXPECT_THAT(text, HasSubstr("Second page"));
    EXPECT_THAT(CommandOutput("pdfinfo " + Quoted(second)), testing::ContainsRegex("Page size: +84[12][.0-9]* x 595[.0-9]* pts"));
    EXPECT_THAT(CommandOutput("pdftotext " + Quoted(second) + " -"), HasSubstr("Landscape"));
}

TEST(PdfPrinter, JobThatCannotBeWrittenIsReportedAndLeavesNoFile)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath("no/such/folder");
    PdfPrinter printer(missing);
    printer.SetTitle("Report");
    printer.BeginDoc();
    EXPECT_TRUE(printer.Printing());
    Page(printer, "lost"); // draws nowhere, harmlessly
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    const std::vector<std::string> errors = printer.TakeErrors();
    ASSERT_EQ(1u, errors.size());
    EXPECT_THAT(errors[0], HasSubstr("Report.pdf"));
    EXPECT_TRUE(printer.TakeErrors().empty());
    EXPECT_TRUE(printer.Files().empty());
    EXPECT_FALSE(QFile::exists(missing + "/Report.pdf"));
}

TEST(PdfPrinter, TitlesBecomeUsableFileNames)
{
    struct Case {
        const char* title;
        const char* name;
    } const cases[] = {
        {"Studio - Frame 1 - Audio-List", "Studio - Frame 1 - Audio-List"},
        {"A/B\\C:D*E?F\"G<H>I|J", "A_B_C_D_E_F_G_H_I_J"},
        {"..hidden", "__hidden"},
        {"trailing. ", "trailing"},
        {"", "print"},
        {"tab\there", "tab_here"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QString(c.name), PdfFileBaseName(QString(c.title))) << c.title;
}

TEST(RecordingPrinter, CanvasStateSurvivesPagesAndJobs)
{
    RecordingPrinter printer;
    EXPECT_EQ(4960, printer.PageWidth());
    EXPECT_EQ(7016, printer.PageHeight());
    printer.Canvas().font().name = "Arial";
    printer.Canvas().font().height = 74;
    printer.Canvas().pen().width = 3;
    printer.Canvas().TextOut(1, 1, "outside a job"); // goes nowhere

    printer.SetOrientation(PrinterOrientation::Landscape);
    printer.SetTitle("first");
    printer.BeginDoc();
    printer.SetOrientation(PrinterOrientation::Portrait); // fixed while the job runs
    EXPECT_EQ(7016, printer.PageWidth());
    printer.NewPage();
    printer.Canvas().TextOut(10, 20, "page two");
    printer.EndDoc();
    printer.SetTitle("second");
    printer.BeginDoc();
    printer.Canvas().MoveTo(0, 0);
    printer.Canvas().LineTo(5, 5);
    printer.EndDoc();

    ASSERT_EQ(2u, printer.Jobs.size());
    EXPECT_EQ("first", printer.Jobs[0].Title);
    EXPECT_EQ(PrinterOrientation::Landscape, printer.Jobs[0].Orientation);
    ASSERT_EQ(2u, printer.Jobs[0].Pages.size());
    EXPECT_TRUE(printer.Jobs[0].Pages[0].ops().empty());
    const auto& text = printer.Jobs[0].Pages[1].ops().at(0);
    EXPECT_EQ("Arial", text.font.name);
    EXPECT_EQ(74, text.font.height);
    EXPECT_EQ(3, printer.Jobs[1].Pages[0].ops().at(0).pen.width);
    EXPECT_EQ(PrinterOrientation::Landscape, printer.Jobs[1].Orientation);
}

TEST(PrintTarget, PdfIntoTheDocumentsFolderUntilAChoiceIsRemembered)
{
    MemorySettingsStore store;
    const PrintTarget first = LoadPrintTarget(store);
    EXPECT_FALSE(first.UseSystemPrinter);
    EXPECT_FALSE(first.Folder.isEmpty());

    SavePrintTarget(store, PrintTarget{false, "/tmp/prints", ""});
    EXPECT_EQ("/tmp/prints", LoadPrintTarget(store).Folder);
    SavePrintTarget(store, PrintTarget{true, "/tmp/prints", "Office"});
    const PrintTarget chosen = LoadPrintTarget(store);
    EXPECT_TRUE(chosen.UseSystemPrinter);
    EXPECT_EQ("Office", chosen.PrinterName);
    EXPECT_EQ("/tmp/prints", chosen.Folder);
}
