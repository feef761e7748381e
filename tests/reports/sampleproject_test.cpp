// The sample project printed into PDF files, read back with the PDF tools.
#include <QDir>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../platform/commandoutput.h"

#include "model/cardrecords.h"
#include "model/channelname.h"
#include "platform/pdfprinter.h"
#include "reports/printrun.h"
#include "printfixture.h"

namespace kvr::reports::test {
namespace {

using ::testing::HasSubstr;

class PdfService : public platform::PrintService {
public:
    explicit PdfService(const QString& Folder) : Printer(Folder) {}
    platform::Printer* CurrentPrinter() override { return &Printer; }
    bool ExecuteDialog() override { return true; }
    platform::PdfPrinter Printer;
};

TEST_F(PrintTest, SampleProjectPrintsItsGlobalLogicsAndRoutingIntoPdfFiles)
{
    model::TProject sample;
    ASSERT_EQ(1, sample.LoadFromDisk(KVR_SAMPLE_PROJECT, true));
    // An analog card with a stereo output in the first frame's first slot.
    model::TCardRecord card;
    card.CardType = 122;
    model::TChannelEntry out;
    const std::string label = "Studio Speakers";
    std::copy(label.begin(), label.end(), out.Label.begin());
    out.ID = static_cast<std::uint16_t>(model::MakeChannelID(0, 0, 0x80 | 0x2000));
    card.Channels = {out};
    sample.Device(0)->SetSetupData(0, model::EncodeCardRecord(card));
    host.FProject = &sample;
    host.FileName = "/data/studio.kvp";
    QTemporaryDir folder;
    const QString pdfFolder = qEnvironmentVariableIsSet("KVR_KEEP_PDF") ? qEnvironmentVariable("KVR_KEEP_PDF")
                                                                         : folder.path();
    PdfService service(pdfFolder);
    PrintRun run(host, service, DefaultPrintSections());
    run.FormShow();
    ASSERT_FALSE(run.Items.empty());
    for (std::size_t i = 0; i < run.Items.size(); ++i)
        run.SetItemChecked(i, true);
    run.Button3Click();
    EXPECT_TRUE(Messages().empty());

    const std::vector<QString>& files = service.Printer.Files();
    // The global logic table and one routing list per frame.
    ASSERT_EQ(1 + run.Items.size(), files.size());
    const std::string name = sample.GetName();
    EXPECT_EQ(QDir(pdfFolder).filePath(QString::fromStdString(name + " - Global information - Global Logic List.pdf")),
              files[0]);
    const std::string info = CommandOutput("pdfinfo '" + files[0].toStdString() + "'");
    EXPECT_THAT(info, ::testing::ContainsRegex("Pages: +3\n"));
    EXPECT_THAT(info, ::testing::ContainsRegex("Page size: +595[.0-9]* x 84[12][.0-9]* pts \\(A4\\)"));
    const std::string text = CommandOutput("pdftotext -layout '" + files[0].toStdString() + "' -");
    for (const char* expected : {"Global Logic table", "Global Information", "Source Device", "Source Logic", "200"})
        EXPECT_THAT(text, HasSubstr(expected));
    EXPECT_THAT(text, ::testing::ContainsRegex("File: +studio\\.kvp"));
    EXPECT_THAT(text, HasSubstr(name));
    const std::string routing = CommandOutput("pdftotext -layout '" + files[1].toStdString() + "' -");
    EXPECT_THAT(routing, HasSubstr("Output Routing"));
    EXPECT_THAT(routing, HasSubstr("Output Address"));
    EXPECT_THAT(routing, HasSubstr(run.Items[0].Name));
    EXPECT_THAT(routing, HasSubstr("Studio Speakers L"));
    EXPECT_THAT(routing, HasSubstr("Studio Speakers R"));
    // The second frame has no outputs: its job is one empty page.
    EXPECT_THAT(CommandOutput("pdfinfo '" + files[2].toStdString() + "'"), ::testing::ContainsRegex("Pages: +1\n"));
}

} // namespace
} // namespace kvr::reports::test
