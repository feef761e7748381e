#include "reports/printrun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "printfixture.h"

namespace kvr::reports::test {
namespace {

using platform::PrinterOrientation;
using ::testing::ElementsAre;

// The words the sections give their jobs.
const std::array<const char*, pbCount> SectionWords{"Global Logic List", "DSP-Frame-RearView", "Audio-List",
                                                    "MADI-List",         "GPIO-List",          "Console-Layout",
                                                    "Module  #C1",       "Key_Labels",         "Output Routing"};

class PrintRunTest : public PrintTest {
protected:
    // Every section prints one job titled as the real one, noting the device it ran for.
    PrintSections StubSections()
    {
        PrintSections sections;
        for (int box = 0; box < pbCount; ++box) {
            sections.Section[static_cast<std::size_t>(box)] = [this, box](PageFrame& frame) {
                const int device = box == pbGlobalLogicTable ? -1 : frame.FDevice;
                ran.push_back({box, device, host.CurDevice()});
                frame.PrepareSection(PrinterOrientation::Portrait, SectionWords[static_cast<std::size_t>(box)], device);
                frame.Printer.BeginDoc();
                if (duringSection)
                    duringSection();
                frame.Printer.EndDoc();
            };
        }
        sections.PrintModule = [this](PageFrame& frame, const std::vector<std::uint8_t>& entry, int slotId) {
            modules.push_back({entry, slotId, frame.FDevice});
        };
        return sections;
    }

    std::vector<std::string> Titles() const
    {
        std::vector<std::string> titles;
        for (const auto& job : printer.Jobs)
            titles.push_back(job.Title);
        return titles;
    }

    struct Ran {
        int box, device, curDevice;
        bool operator==(const Ran&) const = default;
    };
    struct Module {
        std::vector<std::uint8_t> entry;
        int slotId, device;
    };
    std::vector<Ran> ran;
    std::vector<Module> modules;
    std::function<void()> duringSection;
    PrintRun run{host, printers, StubSections()};
};

TEST_F(PrintRunTest, StartPrintIsEnabledByTheGlobalTableOrACheckedDevice)
{
    struct Case {
        const char* what;
        int frames, panels;
        bool selected;         // "Selected:" instead of "All"
        bool globalTable;      // after "Selected:", the global logic box checked
        int checkedDevice;     // -1: none
        std::size_t items;
        bool enabled;
    } const cases[] = {
        {"panels only, All", 0, 2, false, false, -1, 0, true},
        {"panels only, Selected: nothing", 0, 2, true, false, -1, 0, false},
        {"panels only, Selected: global table", 0, 2, true, true, -1, 0, true},
        {"frames, Selected: nothing", 2, 1, true, false, -1, 2, false},
        {"frames, Selected: one device, no box", 2, 1, true, false, 1, 2, true},
    };
    for (const Case& c : cases) {
        model::TProject fresh;
        host.FProject = &fresh;
        for (int i = 0; i < c.frames; ++i)
            fresh.Device(fresh.AddDevice())->SetName("Frame " + std::to_string(i + 1));
        for (int i = 0; i < c.panels; ++i) {
            model::TDevice& panel = *fresh.Device(fresh.AddDevice());
            auto header = panel.GetHeader();
            header[model::dh::DummyDevModel] = 27;
            panel.SetHeader(header, false);
        }
        run.FormShow();
        if (c.selected)
            run.RadioButton2Click();
        if (c.globalTable)
            run.SetBoxChecked(pbGlobalLogicTable, true);
        if (c.checkedDevice >= 0)
            run.SetItemChecked(static_cast<std::size_t>(c.checkedDevice), true);
        EXPECT_EQ(c.items, run.Items.size()) << c.what;
        EXPECT_EQ(c.enabled, run.StartEnabled) << c.what;
        EXPECT_EQ(c.selected, std::all_of(run.BoxEnabled.begin(), run.BoxEnabled.end(), [](bool b) { return b; }))
            << c.what;
    }
    host.FProject = &project;
}

TEST_F(PrintRunTest, AllPrintsTheGlobalTableThenEverySectionOfEachDeviceInOrder)
{
    AddFrame("Frame 1");
    AddFrame("Frame 2");
    AddPanel("Panel");
    host.FCurDevice = 2;
    run.FormShow();
    ASSERT_EQ(2u, run.Items.size());
    EXPECT_EQ("Frame 2", run.Items[1].Name);
    run.SetItemChecked(0, true);
    run.SetItemChecked(1, true);
    run.Button3Click();

    std::vector<std::string> expected{"Studio - Global information - Global Logic List"};
    for (const char* device : {"Frame 1", "Frame 2"})
        for (int box = pbFrameView; box < pbCount; ++box)
            expected.push_back(std::string("Studio - ") + device + " - " + SectionWords[static_cast<std::size_t>(box)]);
    EXPECT_EQ(expected, Titles());
    // Each device section runs with the main window standing on that device.
    for (const Ran& r : ran) {
        if (r.box != pbGlobalLogicTable) {
            EXPECT_EQ(r.device, r.curDevice);
        }
    }
    EXPECT_EQ(2, host.FCurDevice);
    EXPECT_EQ(PrintRun::ModalResult::Ok, run.Result);
    EXPECT_TRUE(run.StartEnabled);
    EXPECT_EQ(1, printers.Dialogs);
}

TEST_F(PrintRunTest, UncheckedDevicesPassThroughTheCurrentDeviceButPrintNothing)
{
    AddFrame("Frame 1");
    AddFrame("Frame 2");
    AddFrame("Frame 3");
    host.FCurDevice = -1;
    run.FormShow();
    run.RadioButton2Click();
    run.SetBoxChecked(pbOutputRouting, true);
    run.SetItemChecked(1, true);
    run.Button3Click();
    EXPECT_THAT(Titles(), ElementsAre("Studio - Frame 2 - Output Routing"));
    EXPECT_THAT(host.CurDevices, ElementsAre(0, 1, 2, -1));
}

TEST_F(PrintRunTest, StartPrintWhilePrintingIsRefusedAndEscapeIgnored)
{
    AddFrame("Frame 1");
    run.FormShow();
    run.RadioButton2Click();
    run.SetBoxChecked(pbGlobalLogicTable, true);
    bool startEnabledInside = true;
    duringSection = [&] {
        startEnabledInside = run.StartEnabled;
        run.Button3Click(); // the user clicks again while the section lets messages through
        run.FormKeyDown(27);
        EXPECT_EQ(PrintRun::ModalResult::None, run.Result);
    };
    run.Button3Click();
    EXPECT_FALSE(startEnabledInside);
    EXPECT_THAT(Messages(), ElementsAre(AlreadyPrintingText));
    EXPECT_EQ(1, printers.Dialogs);
    EXPECT_EQ(1u, printer.Jobs.size());

    run.Result = PrintRun::ModalResult::None;
    run.FormKeyDown(27);
    EXPECT_EQ(PrintRun::ModalResult::Cancel, run.Result);
}

// Escape during a run, as it arrives while messages go through between two pages, ends the run
// there: the document in hand keeps its pages, nothing further prints, and the window closes.
// The window follows each document and page meanwhile.
TEST_F(PrintRunTest, EscapeStopsARunBetweenPagesAndTheProgressFollowsEachDocument)
{
    AddFrame("Frame 1");
    AddFrame("Frame 2");
    host.FCurDevice = 1;
    PrintSections threePages;
    for (std::size_t box = 0; box < pbCount; ++box)
        threePages.Section[box] = [box](PageFrame& frame) {
            frame.PrepareSection(PrinterOrientation::Portrait, SectionWords[box], box == pbGlobalLogicTable ? -1 : frame.FDevice);
            frame.Printer.BeginDoc();
            frame.Printer.NewPage();
            frame.Printer.NewPage();
            frame.Printer.EndDoc();
        };
    PrintRun* running = nullptr;
    std::vector<std::string> seen;
    PrintRun stoppable(host, printers, threePages, [&] {
        if (running->Progress.Documents == 3 && running->Progress.Pages == 2)
            running->FormKeyDown(27);
    });
    running = &stoppable;
    stoppable.OnProgress = [&] {
        seen.push_back(std::to_string(stoppable.Progress.Documents) + "." + std::to_string(stoppable.Progress.Pages) + " " +
                       std::to_string(stoppable.Progress.Done) + "/" + std::to_string(stoppable.Progress.Total) + " " +
                       stoppable.Progress.Title);
    };
    stoppable.FormShow();
    stoppable.SetItemChecked(0, true);
    stoppable.SetItemChecked(1, true);
    stoppable.Button3Click();

    ASSERT_EQ(3u, printer.Jobs.size());
    EXPECT_EQ(3u, printer.Jobs[0].Pages.size());
    EXPECT_EQ(2u, printer.Jobs[2].Pages.size()) << "the third document ends with the pages it has";
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(PrintRun::ModalResult::Cancel, stoppable.Result);
    EXPECT_TRUE(stoppable.StartEnabled);
    EXPECT_FALSE(stoppable.Running());
    EXPECT_EQ(1, host.FCurDevice);
    EXPECT_EQ((std::vector<std::string>{"1.1 0/3 Studio - Global information - Global Logic List",
                                        "1.2 0/3 Studio - Global information - Global Logic List",
                                        "1.3 0/3 Studio - Global information - Global Logic List",
                                        "1.3 1/3 Studio - Global information - Global Logic List",
                                        "2.1 1/3 Studio - Frame 1 - DSP-Frame-RearView",
                                        "2.2 1/3 Studio - Frame 1 - DSP-Frame-RearView",
                                        "2.3 1/3 Studio - Frame 1 - DSP-Frame-RearView",
                                        "3.1 1/3 Studio - Frame 1 - Audio-List", "3.2 1/3 Studio - Frame 1 - Audio-List",
                                        "3.2 1/3 Studio - Frame 1 - Audio-List"}),
              seen)
        << "the last: the run's end";

    // The next run prints whole again.
    printer.Jobs.clear();
    running = nullptr;
    PrintRun whole(host, printers, threePages);
    whole.FormShow();
    whole.SetItemChecked(0, true);
    whole.Button3Click();
    EXPECT_EQ(1u + 8u, printer.Jobs.size());
    EXPECT_EQ(PrintRun::ModalResult::Ok, whole.Result);
}

TEST_F(PrintRunTest, CancelledDialogPrintsNothing)
{
    AddFrame("Frame 1");
    run.FormShow();
    run.SetItemChecked(0, true);
    printers.DialogAnswer = false;
    run.Button3Click();
    EXPECT_TRUE(printer.Jobs.empty());
    EXPECT_TRUE(host.CurDevices.empty());
    EXPECT_TRUE(run.StartEnabled);
    EXPECT_EQ(PrintRun::ModalResult::None, run.Result);
}

TEST_F(PrintRunTest, SectionThatFailsStillRestoresTheDeviceAndClosesItsJob)
{
    AddFrame("Frame 1");
    host.FCurDevice = -1;
    run.FormShow();
    run.SetItemChecked(0, true);
    duringSection = [&] {
        if (host.CurDevice() == 0)
            throw std::runtime_error("broken section");
    };
    EXPECT_THROW(run.Button3Click(), std::runtime_error);
    EXPECT_EQ(-1, host.FCurDevice);
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(run.StartEnabled);
}

TEST_F(PrintRunTest, ModuleOnlyPrintsTheSelectedModuleAtOnce)
{
    AddFrame("Frame 1");
    AddFrame("Frame 2");
    host.FCurDevice = 1;
    host.Selection = ModuleSelection{{13, 0, 0, 0, 2, 0}, 2, 3};
    run.FModuleOnly = true;
    run.FormShow();
    ASSERT_EQ(1u, modules.size());
    EXPECT_EQ(100 + 20 * 2 + 3, modules[0].slotId);
    EXPECT_EQ(host.Selection.Entry, modules[0].entry);
    EXPECT_EQ(1, modules[0].device);
    EXPECT_TRUE(ran.empty()); // no global table, no device sections
    ASSERT_EQ(1u, run.Items.size());
    EXPECT_EQ("Frame 2", run.Items[0].Name);
    EXPECT_FALSE(run.Items[0].Checked);
    EXPECT_FALSE(run.ItemsEnabled);
    EXPECT_FALSE(run.ChoiceEnabled);
}

TEST_F(PrintRunTest, MissingPrinters)
{
    printer.Present = false;
    run.FormShow();
    EXPECT_THAT(Messages(), ElementsAre(NoPrinterText));
    EXPECT_EQ(PrintRun::ModalResult::Cancel, run.Result);

    printers.Available = false;
    try {
        run.FormShow();
        ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(PrinterSearchErrorText, e.what());
    }
}

} // namespace
} // namespace kvr::reports::test
