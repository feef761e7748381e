#include "reports/consolelayout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "console/modulepainter.h"
#include "gfx/recordingcanvas.h"
#include "model/cardrecords.h"
#include "reports/pageframe.h"
#include "reports/printrun.h"
#include "printfixture.h"

namespace kvr::reports::test {
namespace {

using gfx::OpKind;
using platform::PrinterOrientation;
using ::testing::ElementsAre;

class ConsoleLayoutTest : public PrintTest {
protected:
    ConsoleLayoutTest()
    {
        device = project.Device(AddFrame("Frame 1"));
        SetConsoles(1);
    }

    void SetConsoles(int Count)
    {
        auto header = device->GetHeader();
        header[model::dh::ConsoleCount] = static_cast<std::uint8_t>(Count);
        device->SetHeader(header, false);
    }
    // A module entry: type, number (byte 4) and own key count (byte 5).
    void Put(int SlotID, int Type, int Number = 0, int Keys = 0)
    {
        const std::vector<std::uint8_t> entry{static_cast<std::uint8_t>(Type), 0, 0, 0, static_cast<std::uint8_t>(Number),
                                              static_cast<std::uint8_t>(Keys)};
        ASSERT_GT(device->SetSetupData(static_cast<std::uint8_t>(SlotID), entry), 0);
    }
    std::map<int, std::vector<std::uint8_t>> Entries() const
    {
        std::map<int, std::vector<std::uint8_t>> all;
        for (int id = 0; id < 256; ++id) {
            auto entry = device->GetSetupData(static_cast<std::uint8_t>(id));
            if (!entry.empty())
                all[id] = entry;
        }
        return all;
    }
    PageFrame Frame()
    {
        PageFrame frame(host, printer);
        frame.FDevice = 0;
        return frame;
    }
    // The outline of every face painted on a page: the rectangle filled with the screen's body
    // colour, which the printer's white face then covers.
    static std::vector<gfx::Rect> Faces(const gfx::RecordingCanvas& Page)
    {
        std::vector<gfx::Rect> faces;
        for (const gfx::Op& op : Page.ofKind(OpKind::Rectangle))
            if (op.brush.color == console::face::Body || op.brush.color == console::face::EmptyBody)
                faces.push_back(op.rect);
        return faces;
    }
    static std::vector<std::string> Texts(const gfx::RecordingCanvas& Page, int Escapement)
    {
        std::vector<std::string> texts;
        for (const gfx::Op& op : Page.ofKind(OpKind::Text))
            if (op.font.escapement == Escapement)
                texts.push_back(op.text);
        return texts;
    }

    model::TDevice* device = nullptr;
};

TEST_F(ConsoleLayoutTest, GapsBetweenModulesGetBlindModulesRowByRow)
{
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> modules; // position (10-18 upper row), type
        std::vector<std::pair<int, int>> blinds;  // written: position, type
        ConsoleRows rows;
    } const cases[] = {
        {"lower row 2 and 5", {{2, 10}, {5, 12}}, {{3, 1}, {4, 1}}, {2, 0, 4}},
        {"upper 1, lower 3", {{11, 13}, {3, 20}}, {{1, 1}, {2, 1}, {12, 2}, {13, 2}}, {1, 1, 3}},
        {"blind modules only", {{0, 1}, {4, 1}}, {}, {0, 0, 2}},
        {"an upper blind fills no lower gap", {{10, 2}, {2, 10}}, {{0, 1}, {1, 1}}, {1, 0, 3}},
    };
    for (const Case& k : cases) {
        for (int id = 100; id <= 118; ++id)
            device->SetSetupData(static_cast<std::uint8_t>(id), {});
        for (auto [position, type] : k.modules)
            Put(100 + position, type);
        const auto before = Entries();
        const ConsoleRows rows = FillConsoleGaps(*device, 0);
        EXPECT_EQ(k.rows.Lower, rows.Lower) << k.what;
        EXPECT_EQ(k.rows.Upper, rows.Upper) << k.what;
        EXPECT_EQ(k.rows.Occupied, rows.Occupied) << k.what;
        auto expected = before;
        for (auto [position, type] : k.blinds)
            expected[100 + position] = {static_cast<std::uint8_t>(type), 0, 0, 0, 0, 0};
        EXPECT_EQ(expected, Entries()) << k.what;
    }
}

TEST_F(ConsoleLayoutTest, ScaleAndWidthFollowTheOccupiedPositions)
{
    struct Case {
        std::vector<int> positions;
        int faces;
        float scale;
        const char* width;
    } const cases[] = {
        {{2, 5}, 4, 0.27f, "696 mm"},
        {{0, 6}, 7, 0.23f, "1176 mm"},
        {{0, 7}, 8, 0.205f, "1336 mm"},
        {{0, 8}, 9, 0.18f, "1496 mm"},
    };
    for (const Case& k : cases) {
        for (int id = 100; id <= 118; ++id)
            device->SetSetupData(static_cast<std::uint8_t>(id), {});
        for (int p : k.positions)
            Put(100 + p, 10);
        printer.Jobs.clear();
        PageFrame frame = Frame();
        PrintConsoleLayouts(frame);
        ASSERT_EQ(1u, printer.Jobs.size());
        const auto& job = printer.Jobs[0];
        EXPECT_EQ("Studio - Frame 1 - Console-Layout", job.Title);
        EXPECT_EQ(PrinterOrientation::Landscape, job.Orientation);
        ASSERT_EQ(1u, job.Pages.size());
        const auto& page = job.Pages[0];
        const std::vector<std::string> texts = page.texts();
        EXPECT_EQ(1, std::count(texts.begin(), texts.end(), "Console 1 Layout"));
        EXPECT_EQ(1, std::count(texts.begin(), texts.end(), k.width)) << k.width;
        EXPECT_THAT(Texts(page, 900), ElementsAre("399 mm"));
        // The faces side by side, centred on the page, 1600 k apart (u = 2.48).
        const double kk = 2.48f * static_cast<double>(k.scale);
        const auto faces = Faces(page);
        ASSERT_EQ(static_cast<std::size_t>(k.faces), faces.size()) << k.width;
        int x = Trunc(3508 - 800.0 * k.faces * kk);
        for (std::size_t i = 0; i < faces.size(); ++i) {
            EXPECT_EQ(x, faces[i].left) << k.width << ' ' << i;
            EXPECT_EQ(Trunc(350 * 2.48f + 1280 * kk), faces[i].top) << k.width;
            EXPECT_EQ(Trunc(x + 1600 * kk - 1), faces[i].right) << k.width;
            x = Trunc(x + 1600 * kk);
        }
        const auto pies = page.ofKind(OpKind::Pie);
        ASSERT_EQ(4u, pies.size());
        // The right arrowhead's box, given right to left, is drawn in order.
        EXPECT_EQ(Trunc(3508 + (800.0 * k.faces + 280 - 50) * kk), pies[1].rect.left) << k.width;
        for (const gfx::Op& pie : pies)
            EXPECT_TRUE(pie.rect.width() > 0 && pie.rect.height() > 0);
    }
}

TEST_F(ConsoleLayoutTest, StudioPanelConsolePrintsThePanelAlone)
{
    SetConsoles(2);
    Put(100, 10); // console 1, lower row
    Put(103, 10); // a gap that is not filled on a Studio Panel console
    Put(112, 11, 0);
    Put(120, 12); // console 2
    PageFrame frame = Frame();
    PrintConsoleLayouts(frame);
    ASSERT_EQ(1u, printer.Jobs.size());
    ASSERT_EQ(2u, printer.Jobs[0].Pages.size());
    const auto& panel = printer.Jobs[0].Pages[0];
    const auto faces = Faces(panel);
    ASSERT_EQ(1u, faces.size());
    // (W2 + 250u - 1500 x 0.7u, H2 + 250u - 1000 x 0.7u) at 0.7u pixels a unit.
    EXPECT_EQ(Trunc(3508 + 250 * 2.48f - 1500 * 0.7 * 2.48f), faces[0].left);
    EXPECT_EQ(Trunc(2480 + 250 * 2.48f - 1000 * 0.7 * 2.48f), faces[0].top);
    EXPECT_TRUE(Texts(panel, 900).empty());
    EXPECT_TRUE(device->GetSetupData(101).empty());
    EXPECT_THAT(Texts(printer.Jobs[0].Pages[1], 0), ::testing::Contains("Console 2 Layout"));
}

TEST_F(ConsoleLayoutTest, AConsoleCountAboveSixWalksSixConsolesAndTouchesNoOtherEntry)
{
    SetConsoles(9);
    ASSERT_EQ(9, device->GetHeader()[model::dh::ConsoleCount]);
    // Cards in slots 4 and 7: a ninth console's lower row would wrap onto them.
    model::TCardRecord card;
    card.CardType = 122;
    device->SetSetupData(4, model::EncodeCardRecord(card));
    device->SetSetupData(7, model::EncodeCardRecord(card));
    Put(200, 10); // console 6: positions 0 and 2
    Put(202, 10);
    auto expected = Entries();
    expected[201] = {1, 0, 0, 0, 0, 0};
    PageFrame frame = Frame();
    PrintConsoleLayouts(frame);
    EXPECT_EQ(expected, Entries());
    ASSERT_EQ(1u, printer.Jobs.size());
    EXPECT_EQ(1u, printer.Jobs[0].Pages.size());
}

TEST_F(ConsoleLayoutTest, NothingToShowStartsNoJobAndEmptyConsolesLeaveNoPage)
{
    PageFrame frame = Frame();
    PrintConsoleLayouts(frame); // no modules
    Put(100, 10);
    SetConsoles(0);
    PrintConsoleLayouts(frame); // no consoles
    EXPECT_TRUE(printer.Jobs.empty());

    // Console 1 empty, console 2 blind modules only, console 3 printed: one page.
    SetConsoles(3);
    device->SetSetupData(100, {});
    Put(120, 1);
    Put(141, 10);
    PrintConsoleLayouts(frame);
    ASSERT_EQ(1u, printer.Jobs.size());
    ASSERT_EQ(1u, printer.Jobs[0].Pages.size());
    EXPECT_THAT(Texts(printer.Jobs[0].Pages[0], 0), ::testing::Contains("Console 3 Layout"));
}

TEST_F(ConsoleLayoutTest, ModuleTitlesAndDocuments)
{
    struct Case {
        const char* what;
        std::vector<std::tuple<int, int, int, int>> modules; // slot, type, number, own keys
        std::vector<std::vector<std::string>> documents;
    } const cases[] = {
        {"two fader modules on the default keys give one page",
         {{100, 20, 0, 0}, {101, 20, 1, 0}},
         {{"Default configuration for KX730-020"}}},
        {"a fader module with keys of its own",
         {{100, 20, 0, 0}, {101, 20, 2, 3}},
         {{"Default configuration for KX730-020", "Module  #F3"}}},
        {"overbridges",
         {{110, 28, 0, 1}, {111, 23, 0, 1}, {112, 28, 1, 0}},
         {{"Module  #F1 OB", "Module #F1 OB", "Default configuration for KX730-028"}}},
        {"types 10 and 13 in two documents, ordered by type",
         {{100, 13, 4, 0}, {101, 10, 0, 0}, {102, 10, 2, 0}, {110, 1, 0, 0}, {103, 14, 0, 0}},
         {{"Module  #C1", "Module  #C3"}, {"Module  #C5"}}},
        {"the Studio Panel last, alone", {{112, 11, 2, 0}, {100, 12, 0, 0}}, {{"Module  #C1"}, {"Module  #C3"}}},
    };
    for (const Case& k : cases) {
        for (int id = 100; id <= 219; ++id)
            device->SetSetupData(static_cast<std::uint8_t>(id), {});
        for (auto [slot, type, number, keys] : k.modules)
            Put(slot, type, number, keys);
        std::vector<std::vector<std::string>> titles;
        for (const ModuleDocument& document : ModuleLayoutDocuments(*device)) {
            titles.emplace_back();
            for (const ModulePage& page : document.Pages)
                titles.back().push_back(page.Title);
        }
        EXPECT_EQ(k.documents, titles) << k.what;
    }
}

TEST_F(ConsoleLayoutTest, ModuleLayoutsPrintAJobPerGroupTitledByItsFirstModule)
{
    Put(100, 13, 4);
    Put(101, 10, 0);
    Put(102, 10, 2);
    host.FCurDevice = 0;
    PageFrame frame = Frame();
    PrintModuleLayouts(frame);
    ASSERT_EQ(2u, printer.Jobs.size());
    EXPECT_EQ("Studio - Frame 1 - Module  #C1", printer.Jobs[0].Title);
    EXPECT_EQ(PrinterOrientation::Portrait, printer.Jobs[0].Orientation);
    EXPECT_EQ(2u, printer.Jobs[0].Pages.size());
    EXPECT_EQ("Studio - Frame 1 - Module  #C5", printer.Jobs[1].Title);
    EXPECT_EQ(PrinterOrientation::Landscape, printer.Jobs[1].Orientation);
    ASSERT_EQ(1u, printer.Jobs[1].Pages.size());
    // Portrait, scale 0.6, offset 2000: the face at (W2 - 800 u s, H2 - 2000 u s).
    const auto faces = Faces(printer.Jobs[0].Pages[1]);
    ASSERT_FALSE(faces.empty());
    const double k = 2.48f * 0.6;
    EXPECT_EQ((gfx::Rect{Trunc(2480 - 800 * k), Trunc(3508 - 2000 * k), Trunc(Trunc(2480 - 800 * k) + 1600 * k - 1),
                         Trunc(Trunc(3508 - 2000 * k) + 3900 * k - 1)}),
              faces[0]);
    EXPECT_THAT(Texts(printer.Jobs[0].Pages[1], 0), ::testing::Contains("Module  #C3"));
}

TEST_F(ConsoleLayoutTest, OneModulePrintedAlone)
{
    Put(104, 13, 4);
    Put(114, 23, 0);
    Put(105, 14, 0);
    Put(106, 10, 1);
    struct Case {
        int slot;
        const char* title; // empty: nothing printed
        PrinterOrientation orientation;
        double scale;
        int offset;
    } const cases[] = {
        {104, "Module  #C5", PrinterOrientation::Landscape, 1.0, 650},
        {114, "Module  #F1 OB", PrinterOrientation::Landscape, 1.0, 650},
        {106, "Module  #C2", PrinterOrientation::Portrait, 0.6, 2000},
        {105, "", PrinterOrientation::Portrait, 0, 0},
        {107, "", PrinterOrientation::Portrait, 0, 0}, // an empty slot
    };
    for (const Case& k : cases) {
        printer.Jobs.clear();
        const std::size_t before = Messages().size();
        PageFrame frame = Frame();
        PrintModule(frame, device->GetSetupData(static_cast<std::uint8_t>(k.slot)), k.slot);
        if (*k.title == 0) {
            EXPECT_TRUE(printer.Jobs.empty()) << k.slot;
            ASSERT_EQ(before + 1, Messages().size()) << k.slot;
            EXPECT_EQ("Nothing to print!", Messages().back());
            continue;
        }
        EXPECT_EQ(before, Messages().size());
        ASSERT_EQ(1u, printer.Jobs.size()) << k.slot;
        EXPECT_EQ(std::string("Studio - Frame 1 - ") + k.title, printer.Jobs[0].Title);
        EXPECT_EQ(k.orientation, printer.Jobs[0].Orientation);
        const auto& page = printer.Jobs[0].Pages.at(0);
        EXPECT_THAT(Texts(page, 0), ::testing::Contains(k.title));
        const int W = k.orientation == PrinterOrientation::Landscape ? 7016 : 4960;
        const int H = k.orientation == PrinterOrientation::Landscape ? 4960 : 7016;
        const double s = 2.48f * k.scale;
        const auto faces = Faces(page);
        ASSERT_FALSE(faces.empty());
        EXPECT_EQ(Trunc(W / 2 - 800 * s), faces[0].left) << k.slot;
        EXPECT_EQ(Trunc(H / 2 - k.offset * s), faces[0].top) << k.slot;
        EXPECT_EQ(Trunc(faces[0].left + 1600 * s - 1), faces[0].right) << k.slot;
    }
}

TEST_F(ConsoleLayoutTest, ModuleOnlyRunPrintsTheConsoleSelection)
{
    Put(124 - 20, 13, 1);
    host.FCurDevice = 0;
    host.Selection = {device->GetSetupData(104), 0, 4};
    PrintRun run(host, printers, DefaultPrintSections());
    run.FModuleOnly = true;
    run.FormShow();
    ASSERT_EQ(1u, printer.Jobs.size());
    EXPECT_EQ("Studio - Frame 1 - Module  #C2", printer.Jobs[0].Title);
}

} // namespace
} // namespace kvr::reports::test
