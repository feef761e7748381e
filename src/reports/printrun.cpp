#include "reports/printrun.h"

#include <algorithm>
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

// Thrown at a page boundary of a run the user stopped; ends the sections on the way out.
struct PrintStopped {};

// The device name as stored in header bytes 16-51.
std::string HeaderName(const std::array<std::uint8_t, model::TDevice::HeaderSize>& Header)
{
    std::string name;
    for (std::size_t i = 0; i < model::dh::NameWidth && Header[model::dh::Name + i] != 0; ++i)
        name += static_cast<char>(Header[model::dh::Name + i]);
    return name;
}

} // namespace

// The printer as the sections of a run see it: it counts documents and pages for the window,
// lets messages through at every one, so that the window repaints and Escape arrives, and ends
// the run there once it was stopped.
class WatchedPrinter : public platform::Printer {
public:
    WatchedPrinter(platform::Printer& Printer, PrintRun& Run) : P(Printer), R(Run) {}

    bool Printing() const override { return P.Printing(); }
    bool HasPrinter() const override { return P.HasPrinter(); }
    void SetOrientation(platform::PrinterOrientation O) override { P.SetOrientation(O); }
    platform::PrinterOrientation Orientation() const override { return P.Orientation(); }
    int PageWidth() const override { return P.PageWidth(); }
    int PageHeight() const override { return P.PageHeight(); }
    int Resolution() const override { return P.Resolution(); }
    void SetTitle(const std::string& Title) override { P.SetTitle(Title); }
    const std::string& Title() const override { return P.Title(); }
    gfx::Canvas& Canvas() override { return P.Canvas(); }
    std::vector<std::string> TakeErrors() override { return P.TakeErrors(); }

    void BeginDoc() override
    {
        if (P.Printing())
            return;
        Between();
        P.BeginDoc();
        ++R.Progress.Documents;
        R.Progress.Pages = 1;
        R.Progress.Title = P.Title();
        R.ProgressChanged();
    }
    void NewPage() override
    {
        if (!P.Printing())
            return;
        Between();
        P.NewPage();
        ++R.Progress.Pages;
        R.ProgressChanged();
    }
    void EndDoc() override { P.EndDoc(); }

private:
    // Before a page or a document is opened: the window repaints, Escape arrives, and a stop
    // ends the run with no empty page begun.
    void Between()
    {
        if (R.FEventPump)
            R.FEventPump();
        if (R.FStop)
            throw PrintStopped();
    }

    platform::Printer& P;
    PrintRun& R;
};

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
    // Between two documents of a run the printer is idle, yet the run goes on.
    if (FRunning) {
        Stop();
        return;
    }
    const platform::Printer* printer = FPrinters.CurrentPrinter();
    if (printer == nullptr || !printer->Printing())
        Result = ModalResult::Cancel;
}

void PrintRun::Stop()
{
    if (FRunning)
        FStop = true;
}

void PrintRun::ProgressChanged()
{
    if (OnProgress)
        OnProgress();
}

void PrintRun::Button3Click()
{
    platform::Printer* printer = FPrinters.CurrentPrinter();
    if (FRunning || (printer != nullptr && printer->Printing())) {
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
    FRunning = true;
    FStop = false;
    Progress = {};
    Progress.Total = (BoxChecked[pbGlobalLogicTable] ? 1 : 0) +
                     static_cast<int>(std::count_if(Items.begin(), Items.end(), [](const Item& I) { return I.Checked; }));
    // Whatever way the run ends, the window may start the next one.
    struct RunEnd {
        PrintRun& R;
        ~RunEnd()
        {
            R.FRunning = false;
            R.StartEnabled = true;
            R.ProgressChanged();
        }
    } runEnd{*this};
    bool stopped = false;
    try {
        WatchedPrinter watched(*printer, *this);
        Run(watched);
    } catch (const PrintStopped&) {
        stopped = true;
    } catch (...) {
        if (printer->Printing())
            printer->EndDoc();
        throw;
    }
    if (printer->Printing())
        printer->EndDoc();
    FStop = false;
    // Jobs that could not be written are reported, never passed over as printed.
    const std::vector<std::string> errors = printer->TakeErrors();
    if (!errors.empty()) {
        std::string text = "Unable to create file!";
        for (const std::string& line : errors)
            text += "\n" + line;
        platform::prompter().showMessage(QString::fromStdString(text));
    }
    Result = stopped ? ModalResult::Cancel : ModalResult::Ok;
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
    if (BoxChecked[pbGlobalLogicTable]) {
        if (FSections.Section[pbGlobalLogicTable])
            FSections.Section[pbGlobalLogicTable](frame);
        ++Progress.Done;
        ProgressChanged();
    }
    CurDeviceRestore restore(FHost);
    for (const Item& item : Items) {
        FHost.SetCurDevice(item.Device);
        FDevice = item.Device;
        frame.FDevice = item.Device;
        if (item.Checked) {
            PrintDevice(frame);
            ++Progress.Done;
            ProgressChanged();
        }
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
