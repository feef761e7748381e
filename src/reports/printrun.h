#pragma once
// The print window's rules without its widgets: which devices and sections are offered and
// checked, when "Start Print " is enabled, and the run that prints the chosen sections of the
// chosen devices in their fixed order, each section its own job.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "reports/pageframe.h"
#include "reports/printhost.h"

namespace kvr::reports {

// The section boxes of the window, in the order the run prints them (the global logic table
// once first, the others per device).
enum PrintBox {
    pbGlobalLogicTable, // "Global Logic table"
    pbFrameView,        // "DSP Frame view"
    pbAudioList,        // "DSP Frame Audio configuration"
    pbMADIList,         // "DSP Frame MADI configuration"
    pbGPIOList,         // "DSP Frame GPIO configuration"
    pbConsolesLayout,   // "Consoles Layout Overview"
    pbModulesLayout,    // "Modules Layout"
    pbKeyLabels,        // "Print Key Labels"
    pbOutputRouting,    // "Output Routing"
    pbCount
};

// A section prints what it has for the device frame.FDevice (or the project) as its own jobs,
// and starts no job when it has nothing to print. An empty function prints nothing.
using PrintSection = std::function<void(PageFrame& Frame)>;
using ModuleSection = std::function<void(PageFrame& Frame, const std::vector<std::uint8_t>& ModuleEntry, int ModuleSlotID)>;

struct PrintSections {
    std::array<PrintSection, pbCount> Section;
    // The face of one console module (module-only run).
    ModuleSection PrintModule;
};

// The sections this program prints.
PrintSections DefaultPrintSections();

inline constexpr const char* AlreadyPrintingText =
    "CorDex4 is already printing! Please wait until the print job has finished!";
inline constexpr const char* NoPrinterText = "No printer found!";
inline constexpr const char* PrinterSearchErrorText = "An error occured while searching printers!";

class PrintRun {
public:
    PrintRun(PrintHost& Host, platform::PrintService& Printers, PrintSections Sections,
             std::function<void()> EventPump = {});

    struct Item {
        std::string Name;
        int Device = 0; // the device the item stands for
        bool Checked = false;
    };
    enum class ModalResult { None, Ok, Cancel };

    // The window's state, read by the widget after every call.
    std::vector<Item> Items;
    bool ItemsEnabled = true;
    std::array<bool, pbCount> BoxChecked{};
    std::array<bool, pbCount> BoxEnabled{};
    bool AllChecked = true; // "All"; else "Selected:"
    bool ChoiceEnabled = true;
    bool StartEnabled = false;
    ModalResult Result = ModalResult::None;
    // Set by the console editor's "Print module layout" for the duration of its call.
    bool FModuleOnly = false;
    // The device being printed.
    int FDevice = -1;

    // Fills the window when it opens; in module-only mode prints at once. Throws
    // std::runtime_error when no printer object can be had.
    void FormShow();
    void RadioButton1Click(); // "All"
    void RadioButton2Click(); // "Selected:"
    void CheckListBox2ClickCheck();
    void CheckBox9Click();
    // A user's click on a device item or a section box.
    void SetItemChecked(std::size_t Item, bool Checked);
    void SetBoxChecked(PrintBox Box, bool Checked);
    // Escape (27) closes the window unless the printer is printing; during a run it stops the
    // run at the next page.
    void FormKeyDown(int Key);
    // "Start Print ".
    void Button3Click();

    // Ends a run at the next page or document: the document in hand ends with the pages it
    // has, nothing further is printed, and the window closes as Escape closes it.
    void Stop();
    bool Running() const { return FRunning; }

    // How far a run is, for the window: documents begun, the pages of the one in hand, its
    // printer title, and the devices (the project-wide section counts as one) done of all.
    struct TProgress {
        int Documents = 0;
        int Pages = 0;
        std::string Title;
        int Done = 0;
        int Total = 0;
    };
    TProgress Progress;
    // Told at every document and page of a run, and once when the run ends.
    std::function<void()> OnProgress;

private:
    void UpdateStartEnabled();
    void PrintDevice(PageFrame& Frame);
    void Run(platform::Printer& Printer);
    void ProgressChanged();
    friend class WatchedPrinter;

    PrintHost& FHost;
    platform::PrintService& FPrinters;
    PrintSections FSections;
    std::function<void()> FEventPump;
    bool FRunning = false;
    bool FStop = false;
};

} // namespace kvr::reports
