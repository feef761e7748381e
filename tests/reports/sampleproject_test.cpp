// The sample project printed into PDF files, read back with the PDF tools.
#include <QDir>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../platform/commandoutput.h"

#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/keyaccess.h"
#include "console/moduleplacement.h"
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

TEST_F(PrintTest, SampleProjectPrintsIntoPdfFiles)
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
    // A DSP card with 100 MADI channels in the second frame's DSP slot.
    model::TCardRecord madi;
    madi.CardType = model::kCardDSP;
    madi.DSPBytes[1] = 2;
    for (int i = 0; i < 100; ++i)
        madi.Channels.push_back(Ch("MADI " + std::to_string(i + 1), model::MakeChannelID(9, i, i < 64 ? 0 : 0x80)));
    sample.Device(1)->SetSetupData(9, model::EncodeCardRecord(madi));
    // A console on the first frame: a main module, a gap, two fader modules with an overbridge,
    // and a labelled key.
    model::TDevice& first = *sample.Device(0);
    while (console::ConsoleCount(first) < 1)
        ASSERT_TRUE(console::AddConsole(first));
    for (auto [position, type] : {std::pair{0, 10}, {3, 20}, {4, 20}, {13, 23}})
        ASSERT_EQ(position, console::AddConsoleModule(first, 0, position, type).Position);
    model::TKeyRecord key{};
    const std::string caption = "TALK\\BACK";
    std::copy(caption.begin(), caption.end(), key.begin() + 1);
    model::SetKeyFunction(first, 0, key, 1, 100);
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
    // The global logic table; each frame's rear view; the first frame's card lists, console and
    // module layouts, key labels and routing; the second frame's MADI list and its routing list.
    const std::string name = sample.GetName();
    std::vector<QString> expected;
    for (const char* job : {" - Global information - Global Logic List", " - Frame 1 - DSP-Frame-RearView",
                            " - Frame 1 - Audio-List", " - Frame 1 - GPIO-List", " - Frame 1 - Console-Layout",
                            " - Frame 1 - Module  #C11", " - Frame 1 - Default configuration for KX730-023",
                            " - Frame 1 - Key_Labels", " - Frame 1 - Output Routing",
                            " - Frame 2 - DSP-Frame-RearView", " - Frame 2 - MADI-List", " - Frame 2 - Output Routing"})
        expected.push_back(QDir(pdfFolder).filePath(QString::fromStdString(name + job + ".pdf")));
    ASSERT_EQ(expected, files);
    auto file = [&](const char* job) {
        const QString path = QDir(pdfFolder).filePath(QString::fromStdString(name + job + ".pdf"));
        return path.toStdString();
    };
    const std::string rear = CommandOutput("pdftotext -layout '" + file(" - Frame 1 - DSP-Frame-RearView") + "' -");
    for (const char* expected : {"DSP-Frame Rearview", "Depth: 315mm", "483mm (19\")", "KX730-850", "KX730-122"})
        EXPECT_THAT(rear, HasSubstr(expected));
    // The console's gaps are filled: blind modules at positions 1 and 2, blind overbridges above
    // positions 0-2 and 4; five positions, 856 mm wide.
    const std::string console = CommandOutput("pdftotext -layout '" + file(" - Frame 1 - Console-Layout") + "' -");
    for (const char* expected : {"Console 1 Layout", "856 mm", "399 mm"})
        EXPECT_THAT(console, HasSubstr(expected));
    EXPECT_EQ(1, model::ModuleType(first.GetSetupData(101)));
    EXPECT_EQ(6u, first.GetSetupData(102).size());
    EXPECT_EQ(2, model::ModuleType(first.GetSetupData(114)));
    EXPECT_TRUE(first.GetSetupData(115).empty());
    // The main module and the fader module on the default keys in portrait, the overbridge alone.
    EXPECT_THAT(CommandOutput("pdfinfo '" + file(" - Frame 1 - Module  #C11") + "'"), ::testing::ContainsRegex("Pages: +2\n"));
    const std::string labels = CommandOutput("pdftotext -layout '" + file(" - Frame 1 - Key_Labels") + "' -");
    for (const char* expected : {"TALK", "BACK"})
        EXPECT_THAT(labels, HasSubstr(expected));
    const std::string info = CommandOutput("pdfinfo '" + files[0].toStdString() + "'");
    EXPECT_THAT(info, ::testing::ContainsRegex("Pages: +3\n"));
    EXPECT_THAT(info, ::testing::ContainsRegex("Page size: +595[.0-9]* x 84[12][.0-9]* pts \\(A4\\)"));
    const std::string text = CommandOutput("pdftotext -layout '" + files[0].toStdString() + "' -");
    for (const char* expected : {"Global Logic table", "Global Information", "Source Device", "Source Logic", "200"})
        EXPECT_THAT(text, HasSubstr(expected));
    EXPECT_THAT(text, ::testing::ContainsRegex("File: +studio\\.kvp"));
    EXPECT_THAT(text, HasSubstr(name));
    const std::string audio = CommandOutput("pdftotext -layout '" + file(" - Frame 1 - Audio-List") + "' -");
    for (const char* expected : {"Audio configuration", "Card Configuration (Audio), Slots 1 ... 10", "KX730-122",
                                 "Studio Speakers", "Stereo"})
        EXPECT_THAT(audio, HasSubstr(expected));
    const std::string routing = CommandOutput("pdftotext -layout '" + file(" - Frame 1 - Output Routing") + "' -");
    EXPECT_THAT(routing, HasSubstr("Output Routing"));
    EXPECT_THAT(routing, HasSubstr("Output Address"));
    EXPECT_THAT(routing, HasSubstr(run.Items[0].Name));
    EXPECT_THAT(routing, HasSubstr("Studio Speakers L"));
    EXPECT_THAT(routing, HasSubstr("Studio Speakers R"));
    // 100 MADI channels: 81 on the first page, the rest under a repeated header.
    EXPECT_THAT(CommandOutput("pdfinfo '" + file(" - Frame 2 - MADI-List") + "'"), ::testing::ContainsRegex("Pages: +2\n"));
    const std::string madiText = CommandOutput("pdftotext -layout '" + file(" - Frame 2 - MADI-List") + "' -");
    for (const char* expected : {"MADI configuration", "Card Configuration (Audio), Slots 10 ... 10", "MADI 100", "0 dBint = 0 dbFS"})
        EXPECT_THAT(madiText, HasSubstr(expected));
}

} // namespace
} // namespace kvr::reports::test
