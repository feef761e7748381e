#include "reports/printrun.h"

#include <stdexcept>

#include "gfx/canvas.h"
#include "model/device.h"
#include "model/project.h"
#include "platform/currentprompter.h"

namespace kvr::reports {

namespace {

// Puts the main window's current device back however the run ends.
class CurDeviceRestore {
public:
    explicit CurDeviceRestore(PrintHost& Host) : FHost(Host), FSaved(Host.CurDevice()) {}
    ~CurDeviceRestore() { FHost.SetCurDevice(FSaved); }
    CurDeviceRestore(const CurDeviceRestore&) = delete;
    CurDeviceRestore& operator=(const CurDeviceRestore&) = delete;

private:
    PrintHost& FHost;
    int FSaved;
};

// The device name as stored in header bytes 16-51.
std::string HeaderName(const std::array<std::uint8_t, model::TDevice::HeaderSize>& Header)
{
    std::string name;
    for (std::size_t i = 0; i < model::dh::NameWidth && Header[model::dh::Name + i] != 0; ++i)
        name += static_cast<char>(Header[model::dh::Name + i]);
    return name;
}

} // namespace

PrintRun::PrintRun(PrintHost& Host, platform::PrintService& Printers, PrintSections Sections,
                   std::function<void()> EventPump)
    : FHost(Host), FPrinters(Printers), FSections(std::move(Sections)), FEventPump(std::move(EventPump))
{
    BoxChecked = {true, true, true, true, true, true, true, false, false};
    BoxEnabled = {true, false, false, false, false, false, true, true, true};
}

void PrintRun::FormShow()
{
    Items.clear();
    Result = ModalResult::None;
    platform::Printer* printer = FPrinters.CurrentPrinter();
    if (printer == nullptr)
        throw std::runtime_error(PrinterSearchErrorText);
    if (!printer->HasPrinter()) {
        platform::prompter().showMessage(NoPrinterText);
        Result = ModalResult::Cancel;
    }
    model::TProject* project = FHost.Project();
    if (FModuleOnly) {
        FDevice = FHost.CurDevice();
        ChoiceEnabled = false;
        model::TDevice* device = project != nullptr ? project->Device(FDevice) : nullptr;
        Items.push_back(Item{device != nullptr ? device->GetName() : std::string(), FDevice, false});
        ItemsEnabled = false;
        Button3Click();
        return;
    }
    ChoiceEnabled = true;
    RadioButton1Click();
    ItemsEnabled = true;
    if (project != nullptr) {
        const int count = project->GetHeader()[model::ph::DeviceCount];
        for (int i = 0; i < count; ++i) {
            const model::TDevice* device = project->Device(i);
            if (device == nullptr)
                continue;
            const auto header = device->GetHeader();
            // Panels (fixed-model devices) have no documentation of their own.
            if (header[model::dh::DummyDevModel] != 0)
                continue;
            Items.push_back(Item{HeaderName(header), i, false});
        }
    }
    CheckListBox2ClickCheck();
}

void PrintRun::RadioButton1Click()
{
    AllChecked = true;
    BoxChecked.fill(true);
    BoxEnabled.fill(false);
    CheckBox9Click();
}

void PrintRun::RadioButton2Click()
{
    AllChecked = false;
    BoxChecked.fill(false);
    BoxEnabled.fill(true);
    CheckBox9Click();
}

void PrintRun::CheckListBox2ClickCheck() { UpdateStartEnabled(); }

void PrintRun::CheckBox9Click() { UpdateStartEnabled(); }

void PrintRun::SetItemChecked(std::size_t Index, bool Checked)
{
    if (Index >= Items.size() || !ItemsEnabled)
        return;
    Items[Index].Checked = Checked;
    CheckListBox2ClickCheck();
}

void PrintRun::SetBoxChecked(PrintBox Box, bool Checked)
{
    if (Box < 0 || Box >= pbCount || !BoxEnabled[Box])
        return;
    BoxChecked[Box] = Checked;
    if (Box == pbGlobalLogicTable)
        CheckBox9Click();
}

void PrintRun::UpdateStartEnabled()
{
    bool any = BoxChecked[pbGlobalLogicTable];
    for (const Item& item : Items)
        any = any || item.Checked;
    StartEnabled = any;
}

void PrintRun::FormKeyDown(int Key)
{
    if (Key != 27)
        return;
    const platform::Printer* printer = FPrinters.CurrentPrinter();
    if (printer == nullptr || !printer->Printing())
        Result = ModalResult::Cancel;
}

void PrintRun::Button3Click()
{
    platform::Printer* printer = FPrinters.CurrentPrinter();
    if (printer != nullptr && printer->Printing()) {
        platform::prompter().showMessage(AlreadyPrintingText);
        return;
    }
    if (!FPrinters.ExecuteDialog())
        return;
    // The dialog may have chosen another printer.
    printer = FPrinters.CurrentPrinter();
    if (printer == nullptr || !printer->HasPrinter()) {
        platform::prompter().showMessage(NoPrinterText);
        return;
    }
    StartEnabled = false;
    try {
        Run(*printer);
    } catch (...) {
        if (printer->Printing())
            printer->EndDoc();
        StartEnabled = true;
        throw;
    }
    if (printer->Printing())
        printer->EndDoc();
    StartEnabled = true;
    // Jobs that could not be written are reported, never passed over as printed.
    const std::vector<std::string> errors = printer->TakeErrors();
    if (!errors.empty()) {
        std::string text = "Unable to create file!";
        for (const std::string& line : errors)
            text += "\n" + line;
        platform::prompter().showMessage(QString::fromStdString(text));
    }
    Result = ModalResult::Ok;
}

void PrintRun::Run(platform::Printer& Printer)
{
    Printer.Canvas().font().name = "Arial";
    PageFrame frame(FHost, Printer, FEventPump);
    frame.FDevice = FDevice;
    if (FModuleOnly) {
        const ModuleSelection selection = FHost.ConsoleSelection();
        if (FSections.PrintModule)
            FSections.PrintModule(frame, selection.Entry, ModuleSlotID(selection));
        return;
    }
    if (BoxChecked[pbGlobalLogicTable] && FSections.Section[pbGlobalLogicTable])
        FSections.Section[pbGlobalLogicTable](frame);
    CurDeviceRestore restore(FHost);
    for (const Item& item : Items) {
        FHost.SetCurDevice(item.Device);
        FDevice = item.Device;
        frame.FDevice = item.Device;
        if (item.Checked)
            PrintDevice(frame);
    }
}

void PrintRun::PrintDevice(PageFrame& Frame)
{
    for (int box = pbFrameView; box < pbCount; ++box) {
        if (BoxChecked[box] && FSections.Section[box])
            FSections.Section[box](Frame);
    }
}

} // namespace kvr::reports
