#include "reports/cardlists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "model/cardrecords.h"
#include "model/channelname.h"
#include "reports/pageframe.h"
#include "printfixture.h"

namespace kvr::reports::test {
namespace {

using model::TCardRecord;
using model::TChannelEntry;
using ::testing::Contains;
using ::testing::Not;

// 600 dpi A4 portrait: u = 2.48, rows R = 70 pixels, y(r) = 248 + 70 r.
constexpr int RowY(int r) { return 248 + 70 * r; }

class CardListTest : public PrintTest {
public:
    int Frame(int Slots)
    {
        const int index = AddFrame("Frame 1");
        model::TDevice& d = *project.Device(index);
        auto header = d.GetHeader();
        header[model::dh::FrameType] = Slots == 30 ? 1 : 0;
        d.SetHeader(header, false);
        return index;
    }
    void Put(int Slot, std::vector<std::uint8_t> Record)
    {
        project.Device(0)->SetSetupData(static_cast<std::uint8_t>(Slot), Record);
    }
    // An audio card with n channels (inputs and outputs alternating) and its eight GPIOs.
    std::vector<std::uint8_t> Audio(int Type, int Slot, int Channels)
    {
        TCardRecord card;
        card.CardType = static_cast<std::uint16_t>(Type);
        for (int i = 0; i < Channels; ++i)
            card.Channels.push_back(Ch("Ch " + std::to_string(i + 1), model::MakeChannelID(Slot, i, i % 2 ? 0x80 : 0)));
        for (int g = 0; g < 8; ++g) {
            std::array<std::uint8_t, 16> label{};
            const std::string text = "GPIO " + std::to_string(g + 1);
            std::copy(text.begin(), text.end(), label.begin());
            card.GPIOs.push_back(label);
        }
        return model::EncodeCardRecord(card);
    }
    std::vector<std::uint8_t> DSP(int SubType, int Slot, int Channels, int Type = model::kCardDSP)
    {
        TCardRecord card;
        card.CardType = model::kCardDSP;
        card.DSPBytes[1] = static_cast<std::uint8_t>(SubType);
        for (int i = 0; i < Channels; ++i)
            card.Channels.push_back(Ch("MADI " + std::to_string(i + 1), model::MakeChannelID(Slot, i, 0x80), -3));
        std::vector<std::uint8_t> record = model::EncodeCardRecord(card);
        record[0] = static_cast<std::uint8_t>(Type >> 8);
        record[1] = static_cast<std::uint8_t>(Type);
        return record;
    }
    const platform::RecordingPrinter::Job& Print(void (*Section)(PageFrame&))
    {
        PageFrame frame(host, printer);
        frame.FDevice = 0;
        Section(frame);
        EXPECT_EQ(1u, printer.Jobs.size());
        EXPECT_FALSE(printer.Printing());
        return printer.Jobs.at(0);
    }
    static std::vector<std::string> Texts(const gfx::RecordingCanvas& Page) { return Page.texts(); }
    // The y of the first text op with this text below the list header; -1 when there is none.
    static int TextY(const gfx::RecordingCanvas& Page, const std::string& Text, int X = -1)
    {
        for (const gfx::Op& op : Page.ops())
            if ((op.kind == gfx::OpKind::Text || op.kind == gfx::OpKind::TextRect) && op.text == Text &&
                (X < 0 || op.points[0].x == X) && op.points[0].y >= RowY(10))
                return op.points[0].y;
        return -1;
    }
    static bool HasText(const gfx::RecordingCanvas& Page, const std::string& Text, int X, int Y)
    {
        const auto ops = Page.ofKind(gfx::OpKind::Text);
        return std::any_of(ops.begin(), ops.end(),
                           [&](const gfx::Op& op) { return op.text == Text && op.points[0].x == X && op.points[0].y == Y; });
    }
    static std::string Header(int From, int To, const char* Kind = "Audio")
    {
        return std::string("Card Configuration (") + Kind + "), Slots " + std::to_string(From) + " ... " +
               std::to_string(To);
    }
};

TEST_F(CardListTest, AudioListOfATenSlotFrame)
{
    Frame(10);
    Put(0, Audio(122, 0, 2));
    Put(1, Audio(223, 1, 2));
    Put(9, DSP(2, 9, 0));
    const auto& job = Print(PrintAudioList);
    EXPECT_EQ("Studio - Frame 1 - Audio-List", job.Title);
    ASSERT_EQ(1u, job.Pages.size());
    const auto& page = job.Pages[0];
    EXPECT_THAT(Texts(page), Contains(Header(1, 10)));
    EXPECT_THAT(Texts(page), Contains("Project: Studio"));
    EXPECT_THAT(Texts(page), Contains("KX730-122"));
    // Slot 1 at rows 10-11, slot 2 at 12-13; slots 3-9 one empty row each (14-20); the DSP card
    // with MADI takes three rows from 21 and points to its extra page.
    EXPECT_EQ(RowY(12) + 1, TextY(page, "2"));
    EXPECT_EQ(RowY(21) + 1, TextY(page, "DSP + MADI"));
    EXPECT_EQ(RowY(21) + 1, TextY(page, "See extra Page!"));
    EXPECT_EQ(-1, TextY(page, "3")); // empty slots carry no number
}

TEST_F(CardListTest, AudioListCells)
{
    Frame(10);
    const int in223 = model::MakeChannelID(1, 0, 0);
    TCardRecord analog;
    analog.CardType = 223;
    analog.Channels = {Ch("Line In", in223, -6)};
    Put(1, model::EncodeCardRecord(analog));
    TCardRecord digital;
    digital.CardType = 111;
    const int out = model::MakeChannelID(0, 0, 0x80 | 0x2000);
    const int in = model::MakeChannelID(0, 2, 0);
    digital.Channels = {Ch("PGM Out", out, 0, 0x80 | 0x10 | 0x08 | 0x03), Ch("Sat In", in, -9, 0x04 | 0x20),
                        Ch("Exactly16Chars!!", model::MakeChannelID(0, 4, 0), 0, 0x40)};
    Put(0, model::EncodeCardRecord(digital));

    const auto& page = Print(PrintAudioList).Pages.at(0);
    const double u = 2.48f;
    auto col = [u](int x) { return Trunc((x + 5) * u); };
    struct Case {
        const char* text;
        int column; // the column's x in u
        int row;
    } const cases[] = {
        {"Stereo", 770, 10},
        {"0 dBint = 0 dbFS", 1210, 10},
        {"Consumer", 1680, 10},
        {"24 bit", 1820, 10},
        {"SP/DIF", 1550, 10},
        {"On", 1910, 10},
        {"Mono", 770, 11},
        {"-9 dBFS =0 dBint", 1210, 11},
        {"SP/DIF", 1550, 11},
        {"Off", 1480, 11}, // SRC choice 1
        {"18dBu=-6dBFS=0dBint", 1210, 13},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(HasText(page, c.text, col(c.column), RowY(c.row))) << c.text << " in row " << c.row;
    EXPECT_EQ(RowY(10), TextY(page, model::GetChannelName(out, 111, false), col(620)));
    EXPECT_EQ(RowY(11), TextY(page, model::GetChannelName(in, 111, false), col(470)));
    // SRC codes 2 and 3 have no choice: nothing in the SRC column of the third channel.
    for (const gfx::Op& op : page.ofKind(gfx::OpKind::Text))
        EXPECT_FALSE(op.points[0].y == RowY(12) && op.points[0].x == col(1480)) << op.text;
    // The whole 16-character label, clipped at the Level Adjust rule, 5 pixels right of its own.
    const auto rects = page.ofKind(gfx::OpKind::TextRect);
    const auto label = std::find_if(rects.begin(), rects.end(), [](const gfx::Op& op) { return op.text == "Exactly16Chars!!"; });
    ASSERT_NE(rects.end(), label);
    EXPECT_EQ((gfx::Rect{Trunc(870 * u + 1), RowY(12) + 1, Trunc(1210 * u - 1), Trunc(100 * u + 13 * 70 - 1)}), label->rect);
    EXPECT_EQ(Trunc(870 * u + 5), label->points[0].x);
}

TEST_F(CardListTest, ThirtySlotPagesAndGroups)
{
    struct Case {
        const char* what;
        std::vector<std::pair<int, std::vector<std::uint8_t> (*)(CardListTest&, int)>> cards;
        std::vector<std::vector<std::string>> headersPerPage;
    };
    auto audio24 = +[](CardListTest& t, int slot) { return t.Audio(122, slot, 24); };
    auto audio2 = +[](CardListTest& t, int slot) { return t.Audio(122, slot, 2); };
    auto dsp = +[](CardListTest& t, int slot) { return t.DSP(0, slot, 0); };
    const Case cases[] = {
        // Slots 11-18 empty: the group 11-20 is skipped with its DSP card.
        {"group skipped", {{0, audio2}, {19, dsp}, {20, audio2}}, {{Header(1, 10)}, {Header(21, 30)}}},
        // The first eight slots empty: page 1 holds only its frame, the table starts on page 2.
        {"first group empty", {{9, dsp}, {10, audio2}}, {{}, {Header(11, 20)}}},
        // Three 24-channel cards end at row 82: the page breaks before slot 24, never inside a
        // card (the first two groups are empty, so the table starts on page 2).
        {"break before a slot",
         {{20, audio24}, {21, audio24}, {22, audio24}, {23, audio2}},
         {{}, {Header(21, 30)}, {Header(24, 30)}}},
    };
    for (const Case& c : cases) {
        project.DeleteDevice(0);
        printer.Jobs.clear();
        Frame(30);
        for (const auto& [slot, make] : c.cards)
            Put(slot, make(*this, slot));
        const auto& job = Print(PrintAudioList);
        ASSERT_EQ(c.headersPerPage.size(), job.Pages.size()) << c.what;
        for (std::size_t p = 0; p < job.Pages.size(); ++p) {
            std::vector<std::string> headers;
            for (const std::string& t : Texts(job.Pages[p]))
                if (t.rfind("Card Configuration", 0) == 0)
                    headers.push_back(t);
            EXPECT_EQ(c.headersPerPage[p], headers) << c.what << ", page " << p + 1;
        }
    }
}

// A page that breaks before a slot closes its table with two edges and a rule; every line of
// every page stays within the page frame (from 200 u down to 5 u above the page's end).
TEST_F(CardListTest, TheTableClosedAtAPageBreakStaysInsideThePageFrame)
{
    Frame(30);
    for (int slot : {20, 21, 22})
        Put(slot, Audio(122, slot, 24));
    Put(23, Audio(122, 23, 2));
    const auto& job = Print(PrintAudioList);
    ASSERT_EQ(3u, job.Pages.size());
    const int frameTop = 496, frameBottom = 7016 - 12;
    for (std::size_t p = 0; p < job.Pages.size(); ++p)
        for (const gfx::Op& op : job.Pages[p].ofKind(gfx::OpKind::Line))
            for (const auto& point : op.points)
                EXPECT_TRUE(point.y >= frameTop && point.y <= frameBottom)
                    << "page " << p + 1 << ": a line reaches y " << point.y;
    // The table of page 2 ends at row 82; its edges run up from there to the frame's top.
    const auto lines = job.Pages[1].ofKind(gfx::OpKind::Line);
    for (int x : {496, 4935})
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [x](const gfx::Op& op) {
            return op.points[0] == gfx::Point{x, RowY(82)} && op.points[1] == gfx::Point{x, 496};
        })) << "closing edge at x " << x;
}

TEST_F(CardListTest, MadiListBreaksInsideTheCardUnderARepeatedHeader)
{
    Frame(10);
    Put(9, DSP(3, 9, 128));
    const auto& job = Print(PrintMADIList);
    EXPECT_EQ("Studio - Frame 1 - MADI-List", job.Title);
    ASSERT_EQ(2u, job.Pages.size());
    auto count = [](const gfx::RecordingCanvas& page) {
        return std::count_if(page.ops().begin(), page.ops().end(),
                             [](const gfx::Op& op) { return op.kind == gfx::OpKind::TextRect; });
    };
    EXPECT_EQ(81, count(job.Pages[0])); // rows 10-90
    EXPECT_EQ(47, count(job.Pages[1]));
    EXPECT_THAT(Texts(job.Pages[1]), Contains(Header(10, 10)));
    EXPECT_EQ(RowY(10), TextY(job.Pages[1], "MADI 82"));
    // After the break the rows keep the frame's 30 u font.
    for (const gfx::Op& op : job.Pages[1].ofKind(gfx::OpKind::TextRect))
        EXPECT_EQ(74, op.font.height);
    EXPECT_THAT(Texts(job.Pages[0]), Contains("0 dBint = -3 dbFS"));
}

TEST_F(CardListTest, MadiChannelCountAndCardsWithoutMadi)
{
    Frame(10);
    std::vector<std::uint8_t> record = DSP(2, 9, 256);
    ASSERT_EQ(0, record[2]);
    ASSERT_EQ(1, record[3] & 1);
    Put(9, record);
    const auto& job = Print(PrintMADIList);
    std::size_t rows = 0;
    for (const auto& page : job.Pages)
        rows += page.ofKind(gfx::OpKind::TextRect).size();
    EXPECT_EQ(256u, rows);

    for (const auto& other : {DSP(2, 9, 8, 849), DSP(4, 9, 8)}) {
        printer.Jobs.clear();
        Put(9, other);
        PageFrame frame(host, printer);
        frame.FDevice = 0;
        PrintMADIList(frame);
        EXPECT_TRUE(printer.Jobs.empty());
    }
}

TEST_F(CardListTest, GpioListOfAudioAndGpioCards)
{
    Frame(10);
    Put(0, Audio(122, 0, 2));
    std::vector<std::uint8_t> gpio{0x01, 0x37, 0x05, 16}; // type 311, pull-ups of GPIs 0 and 2
    for (int n = 0; n < 16; ++n) {
        std::array<std::uint8_t, 16> label{};
        const std::string text = "G" + std::to_string(n);
        std::copy(text.begin(), text.end(), label.begin());
        gpio.insert(gpio.end(), label.begin(), label.end());
    }
    Put(1, gpio);
    const auto& job = Print(PrintGPIOList);
    EXPECT_EQ("Studio - Frame 1 - GPIO-List", job.Title);
    const auto& page = job.Pages.at(0);
    EXPECT_THAT(Texts(page), Contains(Header(1, 10, "Control")));
    EXPECT_THAT(Texts(page), Contains("Pull Up"));
    const double u = 2.48f;
    auto col = [u](int x) { return Trunc((x + 5) * u); };
    // Audio card: even entries inputs, odd outputs.
    EXPECT_EQ(RowY(10), TextY(page, model::GetChannelName(model::MakeChannelID(0, 0, 0x40), 122, false), col(470)));
    EXPECT_EQ(RowY(11), TextY(page, model::GetChannelName(model::MakeChannelID(0, 1, 0xC0), 122, false), col(620)));
    // GPIO card from row 18: inputs at n = 0, 4, 8, 12 with the pull-ups of bits 0-3 of 0x05.
    std::vector<std::string> pullUps;
    for (const gfx::Op& op : page.ofKind(gfx::OpKind::Text))
        if (op.points[0].x == col(1210) && op.points[0].y >= RowY(18))
            pullUps.push_back(op.text);
    EXPECT_EQ((std::vector<std::string>{"On", "Off", "On", "Off"}), pullUps);
}

TEST_F(CardListTest, CountsBeyondTheRecordPrintOnlyWhatItHolds)
{
    Frame(10);
    // A 311 that claims 40 entries (pull-up bits past bit 7) but holds 36, and a DSP card that
    // claims 300 channels but holds 2.
    // (Slot 9 of the group keeps a record as stored, as an image read from a file does.)
    std::vector<std::uint8_t> gpio{0x01, 0x37, 0xFF, 40};
    gpio.resize(4 + 36 * 16, 'x');
    Put(8, gpio);
    std::vector<std::uint8_t> madi = DSP(2, 9, 2);
    madi[2] = 300 & 0xFF;
    madi[3] = static_cast<std::uint8_t>(madi[3] | 1);
    Put(9, madi);
    Put(0, Audio(122, 0, 1));

    const auto& gpioJob = Print(PrintGPIOList);
    std::vector<std::string> pullUps;
    const double u = 2.48f;
    for (const gfx::Op& op : gpioJob.Pages.at(0).ofKind(gfx::OpKind::Text))
        if (op.points[0].x == Trunc(1215 * u) && op.points[0].y >= RowY(10))
            pullUps.push_back(op.text);
    ASSERT_EQ(9u, pullUps.size()); // inputs 0, 4, ..., 32
    EXPECT_EQ("On", pullUps[7]);
    EXPECT_EQ("Off", pullUps[8]); // bit 8 does not exist

    printer.Jobs.clear();
    const auto& madiJob = Print(PrintMADIList);
    EXPECT_EQ(2u, madiJob.Pages.at(0).ofKind(gfx::OpKind::TextRect).size());
}

TEST_F(CardListTest, FrameWithoutAudioCardsPrintsNoAudioOrGpioList)
{
    Frame(10);
    Put(1, std::vector<std::uint8_t>{0x01, 0x37, 0x00, 0});
    PageFrame frame(host, printer);
    frame.FDevice = 0;
    PrintAudioList(frame);
    PrintGPIOList(frame);
    PrintMADIList(frame);
    EXPECT_TRUE(printer.Jobs.empty());
}

} // namespace
} // namespace kvr::reports::test
