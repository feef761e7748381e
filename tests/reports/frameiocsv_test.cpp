#include "reports/frameiocsv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/faderaccess.h"
#include "model/logicaccess.h"
#include "model/outputfunctions.h"
#include "model/summingbuses.h"
#include "printfixture.h"

namespace kvr::reports::test {
namespace {

using model::TCardRecord;
using model::TChannelEntry;

std::array<std::uint8_t, 16> Gpio(const std::string& Label)
{
    std::array<std::uint8_t, 16> entry{};
    std::copy(Label.begin(), Label.end(), entry.begin());
    return entry;
}

class FrameIOCSVTest : public PrintTest {
protected:
    FrameIOCSVTest()
    {
        AddFrame("Frame 1");
        dev = project.Device(0);
    }
    void Put(int Slot, const TCardRecord& Card) { dev->SetSetupData(static_cast<std::uint8_t>(Slot), model::EncodeCardRecord(Card)); }
    TCardRecord Card(int Type, std::vector<TChannelEntry> Channels)
    {
        TCardRecord card;
        card.CardType = static_cast<std::uint16_t>(Type);
        card.Channels = std::move(Channels);
        return card;
    }
    // A device with every kind of card, buses, a clean feed, fixed processings and fader channels.
    void BuildFixture()
    {
        TCardRecord digital = Card(111, {Ch("PGM", model::MakeChannelID(0, 0, 0x80 | 0x2000), 0, 0x80 | 0x10 | 0x03),
                                         Ch("Sat In", model::MakeChannelID(0, 2, 0), -9, 0x20 | 0x04 | 0x08),
                                         Ch("Rec", model::MakeChannelID(0, 3, 0x80), 0, 0x00)});
        digital.GPIOs = {Gpio("Start"), Gpio("Tally")};
        Put(0, digital);
        Put(1, Card(122, {Ch("Mic 1", model::MakeChannelID(1, 0, 0), -6), Ch("Phones", model::MakeChannelID(1, 1, 0x80), -6)}));
        Put(2, Card(223, {Ch("Line", model::MakeChannelID(2, 0, 0), -6), Ch("Line Out", model::MakeChannelID(2, 1, 0x80), 4)}));
        Put(3, Card(123, {Ch("Aux In", model::MakeChannelID(3, 0, 0), 0)}));
        Put(4, Card(222, {Ch("Feed", model::MakeChannelID(4, 1, 0x80), -12)}));
        std::vector<std::uint8_t> gpio{0x01, 0x37, 0x01, 5};
        for (const char* label : {"GPI 1", "GPO 1", "GPO 2", "GPO 3", "GPI 2"})
            for (std::uint8_t b : Gpio(label))
                gpio.push_back(b);
        dev->SetSetupData(5, gpio);
        dev->SetSetupData(6, std::vector<std::uint8_t>{0x03, 0xE7, 0, 0}); // a type this program does not know
        TCardRecord dsp = Card(model::kCardDSP, {Ch("MADI 1", model::MakeChannelID(9, 0, 0x80), -3),
                                                 Ch("MADI 2", model::MakeChannelID(9, 1, 0), 2)});
        dsp.DSPBytes[1] = 3;
        Put(9, dsp);

        model::AddProgramBus(*dev); // stereo
        model::AddAuxBus(*dev);
        model::TBusRecord aux;
        model::GetBus(*dev, 1, aux);
        aux.Flags = 0; // mono
        aux.Logic1 = model::OffLogicID;
        model::SetBus(*dev, 1, aux);
        model::AddFixedProcessing(*dev);

        const int first = model::AddFaderChannel(*dev);
        const int second = model::AddFaderChannel(*dev);
        model::TFaderChannel ch;
        model::GetFaderChannel(*dev, first, ch);
        ch.Source = 0x4005;
        ch.PoolFlags = 0x20 | 0x40; // stereo, on start
        ch.FaderStartLevel = 9;
        ch.OutputMute = 0x05;
        ch.Options = 0x03;
        model::SetFaderChannel(*dev, first, ch);
        model::GetFaderChannel(*dev, second, ch);
        ch.Source = static_cast<std::uint16_t>(model::MakeChannelID(1, 0, 0));
        ch.PoolFlags = 0x80;
        ch.FaderStartLevel = 0;
        ch.Number = 149;
        model::SetFaderChannel(*dev, second, ch);
        model::AddCleanFeed(*dev, first);
    }
    std::string Joined()
    {
        std::string text;
        for (const std::string& line : FrameIOCSVLines(project, 0))
            text += line + "\n";
        return text;
    }
    model::TDevice* dev = nullptr;
};

TEST_F(FrameIOCSVTest, GoldenExportOfAFixtureDevice)
{
    BuildFixture();
    model::TFaderChannel ch;
    ASSERT_EQ(1, model::GetFaderChannel(*dev, 149, ch));
    const std::string golden = KVR_TEST_DATA_DIR "/frameio_golden.csv";
    const std::string text = Joined();
    if (qEnvironmentVariableIsSet("KVR_UPDATE_GOLDEN")) {
        std::ofstream(golden, std::ios::binary) << text;
        GTEST_SKIP() << "golden file written";
    }
    std::ifstream in(golden, std::ios::binary);
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(expected.str(), text);
}

TEST_F(FrameIOCSVTest, LineRule)
{
    struct Case {
        const char* text;
        const char* line;
    } const cases[] = {
        {"", ";;;;;;;;;;;"},
        {"Device:; Frame 1", "Device:; Frame 1;;;;;;;;;;"},
        {"  \tpadded \r", "padded;;;;;;;;;;;"},
        {"9;Controller", "9;Controller;;;;;;;;;;"},
        {"a;b;c;d;e;f;g;h;i;j;k;l", "a;b;c;d;e;f;g;h;i;j;k;l"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.line, CSVLine(c.text)) << c.text;
}

TEST_F(FrameIOCSVTest, EdgesOfTheSlotTableAndFaderChannels)
{
    BuildFixture();
    const std::vector<std::string> lines = FrameIOCSVLines(project, 0);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ("Device:; Frame 1;;;;;;;;;;", lines[0]);
    EXPECT_EQ("FaderCount :;0;;;;;;;;;;", lines[1]);
    EXPECT_EQ(";;;;;;;;;;;", lines[2]);
    EXPECT_EQ("#;Type;Input_Address;Output_Address;Mono_Stereo;Label;Level Adjust;SRC;Mode;Output_Mode;Output_Dither;"
              "GPI Pull Up;;Route Info",
              lines[4]);
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    auto starting = [&](const std::string& start) {
        const auto it = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
        return it == lines.end() ? std::string() : *it;
    };
    EXPECT_TRUE(has("9;Controller;;;;;;;;;;"));
    EXPECT_TRUE(has("8;None;;;;;;;;;;"));
    EXPECT_EQ(std::string(), starting("7;")); // an unknown card writes nothing
    // An analog output at -6: 0 dBint = -6 dBFS = 12 dBu; a 223 input at -6 is +18 dBu.
    EXPECT_THAT(lines, ::testing::Contains(::testing::HasSubstr("Phones;0dBint = -6dBFS =12dBu;;")));
    EXPECT_THAT(lines, ::testing::Contains(::testing::HasSubstr("Line;18dBu = -6dBFS = 0dBint;;")));
    // A digital output without word length has no such field; 3 gives "24 bit;".
    EXPECT_THAT(lines, ::testing::Contains(::testing::HasSubstr("PGM;0 dBFS = 0dBint;SP/DIF;Consumer;24 bit;")));
    EXPECT_THAT(lines, ::testing::Contains(::testing::HasSubstr("Rec;0 dBFS = 0dBint;AES/EBU;Pro;;")));
    // Fader channels: the stereo one sourced 0x4005, and number 149 is exported too.
    const std::string first = starting("1;'");
    EXPECT_THAT(first, ::testing::HasSubstr(";'0x4005';Stereo;"));
    EXPECT_THAT(first, ::testing::HasSubstr(";'20 dB;On Start;"));
    const std::string last = starting("149;'");
    ASSERT_FALSE(last.empty());
    EXPECT_THAT(last, ::testing::HasSubstr(";'-oo dB;;Auto Off;"));
    EXPECT_EQ(';', last.back()); // no mute function: an empty last field
}

TEST_F(FrameIOCSVTest, CountsBeyondTheRecordExportOnlyWhatItHolds)
{
    // A DSP card that claims 300 channels and holds one; a GPIO card that claims 20 entries and
    // holds two (both in slots that keep records as stored).
    TCardRecord dsp = Card(model::kCardDSP, {Ch("Only", model::MakeChannelID(9, 0, 0x80))});
    dsp.DSPBytes[1] = 2;
    std::vector<std::uint8_t> record = model::EncodeCardRecord(dsp);
    record[2] = 300 & 0xFF;
    record[3] = static_cast<std::uint8_t>(record[3] | 1);
    dev->SetSetupData(9, record);
    std::vector<std::uint8_t> gpio{0x01, 0x37, 0x00, 20};
    gpio.resize(4 + 2 * 16, 'g');
    ASSERT_EQ(30, dev->GetSlotCount());
    dev->SetSetupData(19, gpio);
    const std::vector<std::string> lines = FrameIOCSVLines(project, 0);
    auto count = [&](const char* text) {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
    };
    EXPECT_EQ(1, count(";Only;"));
    EXPECT_EQ(2, count("gggggggggggggggg"));
}

TEST_F(FrameIOCSVTest, UnwritablePathLeavesNoFileAndAnOldFileUntouched)
{
    QTemporaryDir folder;
    const std::string missing = folder.filePath("no/such/export.csv").toStdString();
    EXPECT_FALSE(WriteFrameIOCSV(project, 0, missing));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(missing)));

    const QString existing = folder.filePath("export.csv");
    ASSERT_TRUE(WriteFrameIOCSV(project, 0, existing.toStdString()));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("Device:; Frame 1;;;;;;;;;;\n"));
    file.close();
    // A folder in place of the file: the export fails and the folder stays.
    const QString folderTarget = folder.filePath("taken.csv");
    ASSERT_TRUE(QDir().mkpath(folderTarget));
    EXPECT_FALSE(WriteFrameIOCSV(project, 0, folderTarget.toStdString()));
    EXPECT_TRUE(QFileInfo(folderTarget).isDir());
    EXPECT_EQ(2, QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size()); // no temporary left
}

} // namespace
} // namespace kvr::reports::test
