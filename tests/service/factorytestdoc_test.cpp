// The factory test inventory's texts and its paged protocol document.
#include "service/factorytest/factorytestdoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace kvr::service {
namespace {

TFactoryTest Module(int Number, int Kind, int Position)
{
    TFactoryTest e;
    e.Number = e.Module = Number;
    e.Kind = Kind;
    e.Position = Position;
    e.Version[0] = 1;
    e.Version[1] = 2;
    e.Version[2] = 3;
    e.Version[3] = 4;
    return e;
}

TFactoryTest Card(int Serial, int Kind, int Slot, int Carrier)
{
    TFactoryTest e;
    e.Number = Serial;
    e.Kind = Kind;
    e.Slot = Slot;
    e.Carrier = Carrier;
    e.Revision = 3;
    return e;
}

std::string ReadAll(const std::filesystem::path& P)
{
    std::ifstream in(P, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FactoryTestEntry, AddTextSplitsAtLineFeedsAndDropsCarriageReturns)
{
    struct Case {
        const char* Text;
        std::vector<std::string> Lines;
    };
    const Case cases[] = {
        {"a\nb\n", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"\n", {""}},
        {"\n\nx\n", {"", "", "x"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        TFactoryTest e;
        e.AddText(c.Text);
        EXPECT_EQ(e.Lines, c.Lines) << c.Text;
    }
}

TEST(FactoryTestEntry, NamesAndProtocolPaths)
{
    EXPECT_EQ(GetEntryName(Module(7, 2, 0)), "Module KX730-020   #F1");
    EXPECT_EQ(GetEntryName(Card(1, 50, 0, 7)), "Card KX730-122  ");
    EXPECT_EQ(GetEntryName(Card(1, 0xEE, 0, 7)), "(unknown)");
    EXPECT_EQ(GetEntryName(Module(7, 999, 0)), "(unknown)");
    EXPECT_EQ(ProtocolPath(12345), "7300/12/log12345.txt");
    EXPECT_EQ(ProtocolPath(987), "7300/00/log00987.txt");
}

TEST(FactoryTestCorrections, ByCardTypeAndSlot)
{
    std::vector<std::uint8_t> page(128, 0);
    page[23] = 0x9C; // -100 -> -1.00
    page[47 + 3] = 25;
    page[0] = 50;
    const std::string mic = CorrectionValuesText(page, 1);
    EXPECT_NE(mic.find("\nCorrection values:\nAD  pos.corr (dB)\n 0   -1.00\n"), std::string::npos) << mic;
    EXPECT_NE(mic.find("MIC     5     10"), std::string::npos);
    EXPECT_NE(mic.find(" 3    0.00   0.00"), std::string::npos);

    page[0] = 72;
    const std::string lvl = CorrectionValuesText(page, 3);
    EXPECT_NE(lvl.find("AD    15dB     18dB     21dB     24dB\n 0   -1.00     0.00     0.00     0.00\n"), std::string::npos) << lvl;
    EXPECT_NE(lvl.find(" 3    0.00     0.00     0.00     0.25\nDA"), std::string::npos) << lvl;

    page[0] = 71;
    EXPECT_EQ(CorrectionValuesText(page, 7).find("DA"), std::string::npos);
    page[0] = 70;
    EXPECT_NE(CorrectionValuesText(page, 8).find("DA  neg.corr (dB)\n"), std::string::npos) << "slot index 8 has values";

    struct None {
        std::uint8_t Code;
        int Slot;
    };
    for (None n : {None{50, 0}, None{70, 0}, None{50, 9}, None{72, -1}, None{0x33, 2}}) {
        page[0] = n.Code;
        EXPECT_EQ(CorrectionValuesText(page, n.Slot), "") << int(n.Code) << " slot " << n.Slot;
    }
    EXPECT_EQ(CorrectionValuesText(std::span(page).first(64), 1), "");
}

TEST(FactoryTestDocument, PrintLayout)
{
    const TPrintLayout portrait = ComputePrintLayout(4960, 7016, false);
    EXPECT_NEAR(portrait.Scale, 2.2429, 1e-4);
    EXPECT_EQ(portrait.LineHeight, 100);
    EXPECT_EQ(portrait.LinesPerPage, 64);
    // Landscape measures the short side from the page height.
    EXPECT_EQ(ComputePrintLayout(7016, 4960, true).LineHeight, 100);
    // A save before any print: the scale starts at 0, nothing undefined.
    const TPrintLayout none;
    EXPECT_EQ(none.Scale, 0);
    EXPECT_EQ(ComputePrintLayout(100, 100, false).LinesPerPage, 0);
}

TEST(FactoryTestDocument, EachEntryStartsItsOwnPage)
{
    std::vector<TFactoryTest> entries;
    for (int i = 0; i < 5; ++i) {
        entries.push_back(Module(10 + i, 2, i));
        entries.back().AddText("x\ny\n");
    }
    entries.push_back(Module(20, 2, 5)); // without lines: a page of its own, untitled
    TTextDocument doc;
    doc.LinesPerPage = 64;
    BuildDocument(doc, entries, "Studio");
    EXPECT_EQ(doc.Title, "KVR factory test protocol for Studio");
    ASSERT_EQ(doc.Pages.size(), 6u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(entries[i].FirstPage, i + 1);
        EXPECT_EQ(doc.Pages[i].Number, i + 1);
    }
    EXPECT_EQ(doc.Pages[0].Title, "Module KX730-020   #F1 (00010)");
    EXPECT_EQ(doc.Pages[5].Title, "");
    EXPECT_TRUE(doc.Pages[5].Lines.empty());
}

TEST(FactoryTestDocument, LongEntrySpansPagesWithItsTitle)
{
    std::vector<TFactoryTest> entries{Card(12345, 50, 0, 7)};
    for (int i = 0; i < 300; ++i)
        entries[0].Lines.push_back("line " + std::to_string(i));
    TTextDocument doc;
    doc.LinesPerPage = 255;
    BuildDocument(doc, entries, "D");
    ASSERT_EQ(doc.Pages.size(), 2u);
    EXPECT_EQ(doc.Pages[0].Lines.size(), 255u);
    EXPECT_EQ(doc.Pages[1].Lines.size(), 45u);
    EXPECT_EQ(doc.Pages[0].Title, "Card KX730-122   (12345)");
    EXPECT_EQ(doc.Pages[1].Title, doc.Pages[0].Title);
}

class ProtocolFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("ftproto_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        entries.push_back(Module(7, 2, 0));
        entries.back().AddText("Module:        m\n");
        entries.push_back(Card(987, 50, 0, 7));
        entries.back().AddText("a\r\nb\r\n");
        doc.LinesPerPage = 255;
        BuildDocument(doc, entries, "Studio");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path dir;
    std::vector<TFactoryTest> entries;
    TTextDocument doc;
    TProtocolHeader header{"ABCD", "Studio"};
};

TEST_F(ProtocolFile, GoldenText)
{
    const std::string stars(80, '*');
    const std::string expected =
        "Project:  ABCD\r\n"
        "Device:  Studio\r\n"
        "\r\n"
        "Module                                                              Page\r\n"
        "\r\n"
        "Module KX730-020   #F1    Processor 00007    Firmware: 01.02.03.04    2\r\n"
        "   Card KX730-122          Revision:  3    Serial No. :   987         3\r\n"
        "\r\n\r\n\r\n"
        "\r\n" + stars + "\r\nPage  2/ 3 - Module KX730-020   #F1 (00007)\r\n" + stars + "\r\n\r\n"
        "Module:        m\r\n"
        "\r\n" + stars + "\r\nPage  3/ 3 - Card KX730-122   (00987)\r\n" + stars + "\r\n\r\n"
        "a\r\nb\r\n";
    EXPECT_EQ(ProtocolFileText(doc, entries, header), expected);
}

TEST_F(ProtocolFile, SavingTwiceWritesTheSameBytes)
{
    const auto path = dir / "KVR FT for Studio.TXT";
    ASSERT_TRUE(WriteProtocolFile(path.string(), doc, entries, header));
    const std::string first = ReadAll(path);
    ASSERT_TRUE(WriteProtocolFile(path.string(), doc, entries, header));
    EXPECT_EQ(ReadAll(path), first);
    EXPECT_EQ(first, ProtocolFileText(doc, entries, header));
}

TEST_F(ProtocolFile, UnwritableFolderFailsAndLeavesNothing)
{
    const auto path = dir / "missing" / "x.txt";
    EXPECT_FALSE(WriteProtocolFile(path.string(), doc, entries, header));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(FactoryTestDocument, ProposedFileNameReplacesPathCharacters)
{
    EXPECT_EQ(ProposedFileName("Studio 1"), "KVR FT for Studio 1.TXT");
    EXPECT_EQ(ProposedFileName("A/B\\C:D"), "KVR FT for A_B_C_D.TXT");
}

} // namespace
} // namespace kvr::service
