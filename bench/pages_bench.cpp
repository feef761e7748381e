// Showing the pages of the main window on the largest project the limits allow: 20 devices, each
// with a 30-slot frame whose every slot holds a card with its full channel count (labelled
// channels and GPIOs, three DSP cards with two MADI ports of 64 channels), six consoles whose
// every slot holds a module, and full record lists. For every page and tab, the show routine
// reached through the main window as the project tree's selection runs it (without the tree's
// 50 ms change delay) or as a click on the tab runs it, plus one paint of the page's visible
// area; and the rebuilds of the two source windows' trees. One row per page: the counters give
// the medians in milliseconds of the show (show_ms), the paint (paint_ms) and both (total_ms),
// and of the processor time both took (cpu_ms), which other programs on the same core do not
// lengthen.
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise, with the main window at
// the size it opens with unless KVR_BENCH_WINDOW gives another ("1920x1170"); KVR_BENCH_SAMPLES
// sets the samples per row (15), KVR_BENCH_PROJECT a file that keeps the project.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/appforms.h"
#include "app/frameio/framecards.h"
#include "app/frameio/frameview.h"
#include "app/frameio/slotrecord.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "editors/sources/audioreswin.h"
#include "editors/sources/logicsourcetree.h"
#include "editors/sources/reswindow.h"
#include "fullproject.h"
#include "model/cardrecords.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/keyfunctions.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "platform/settingsstore.h"

namespace {

using namespace kvr;
using namespace kvr::app;
using Clock = std::chrono::steady_clock;

// What the repairs add on opening, kept free in every image.
constexpr std::size_t kRepairRoom = 3300;
// The window at the size it opens with, unless KVR_BENCH_WINDOW gives another ("1920x1170").
QSize WindowSize(QSize Default)
{
    const QStringList size = qEnvironmentVariable("KVR_BENCH_WINDOW").split('x');
    return size.size() == 2 ? QSize(size[0].toInt(), size[1].toInt()) : Default;
}
// The device whose pages are shown; every device is built alike.
constexpr int kShownDevice = 19;
// Samples per row, unless KVR_BENCH_SAMPLES gives another count.
int Samples()
{
    const int samples = qEnvironmentVariableIntValue("KVR_BENCH_SAMPLES");
    return samples > 0 ? samples : 15;
}

constexpr int kItemDigitalIO = 1; // "730-111" in the card selector
constexpr int kItemGPIO = 5;      // "730-311 GPIO"

void Label(std::array<char, 16>& Field, const std::string& Text)
{
    Field.fill(' ');
    std::copy_n(Text.begin(), std::min<std::size_t>(Text.size(), Field.size()), Field.begin());
}

// Every channel and GPIO of every card gets a label as wide as the field.
void LabelCards(model::TDevice& Dev)
{
    for (int slot = 0; slot < 30; ++slot) {
        model::TCardRecord card;
        if (!model::DecodeCardRecord(Dev.GetSetupData(static_cast<std::uint8_t>(slot)), card))
            continue;
        int n = 0;
        for (model::TChannelEntry& channel : card.Channels)
            Label(channel.Label, "Studio Mic " + std::to_string(slot + 1) + "." + std::to_string(++n));
        for (auto& gpio : card.GPIOs) {
            std::array<char, 16> text{};
            Label(text, "Red Light " + std::to_string(slot + 1) + "." + std::to_string(++n));
            std::copy(text.begin(), text.end(), gpio.begin());
        }
        Dev.SetSetupData(static_cast<std::uint8_t>(slot), model::EncodeCardRecord(card));
    }
}

struct DeviceFigures {
    int Cards = 0;
    int Rows = 0; // channels and GPIOs
    int Modules = 0;
};

// The frame as the frame I/O page builds it: the 30-slot frame type, a DSP card with two MADI
// ports in each DSP slot, a digital I/O card in every I/O slot but the last of each rack, which
// holds a GPIO card.
void FillFrame(model::TProject& Project, int Device, DeviceFigures& Figures)
{
    const frameio::FrameCardContext context{Project, Device, 0, 0, platform::prompter()};
    frameio::FrameTypeChange(context, 1);
    int curSlot = frameio::kWholeFrame;
    for (int slot : {9, 19, 29})
        frameio::DSPTypeSelectorChange(context, slot, frameio::di422, curSlot);
    for (int slot = 0; slot < 30; ++slot)
        if (!frameio::IsDSPSlot(slot) && !frameio::IsControllerPosition(slot))
            frameio::SlotTypeSelectorChange(context, slot, slot % 10 == 7 ? kItemGPIO : kItemDigitalIO);
    model::TDevice& dev = *Project.Device(Device);
    LabelCards(dev);
    for (int slot = 0; slot < 30; ++slot) {
        model::TCardRecord card;
        if (model::DecodeCardRecord(dev.GetSetupData(static_cast<std::uint8_t>(slot)), card)) {
            ++Figures.Cards;
            Figures.Rows += static_cast<int>(card.Channels.size() + card.GPIOs.size());
        }
    }
}

// Six consoles with a module in every slot the placement rules allow: fader modules and key
// modules while their IDs last, blank modules after them.
void FillConsoles(model::TDevice& Dev, DeviceFigures& Figures)
{
    console::KeepOneConsole(Dev);
    while (console::AddConsole(Dev)) {
    }
    static const std::vector<int> lower{20, 21, 29, 10, 12, 1};
    static const std::vector<int> upper{13, 26, 25, 23, 28, 2};
    for (int c = 0; c < console::kMaxConsoles; ++c)
        for (int position = 0; position <= 18; ++position) {
            if (!console::IsSlotPosition(position))
                continue;
            for (int type : console::IsUpperRow(position) ? upper : lower)
                if (console::AddConsoleModule(Dev, c, position, type).Refusal.empty()) {
                    ++Figures.Modules;
                    break;
                }
        }
}

// Fader modules give way to blank modules, the last first, while the DSPs cannot process all
// faders beside the fixed processings and level detects.
void FitFaders(model::TDevice& Dev)
{
    for (int c = console::kMaxConsoles - 1; c >= 0; --c)
        for (int position = 8; position >= 0; --position) {
            model::RunDSPFitting(Dev, 0);
            if ((Dev.FLimitExceeded & model::kLimitDSP) == 0)
                return;
            if (!console::IsFaderFamilyType(model::ModuleType(console::ModuleEntryAt(Dev, c, position))))
                continue;
            console::AddConsoleModule(Dev, c, position, 1);
            if (console::IsFaderFamilyType(model::ModuleType(console::ModuleEntryAt(Dev, c, position + 10))))
                console::AddConsoleModule(Dev, c, position + 10, 2);
        }
}

void BuildLargestProject(const std::string& File)
{
    model::TProject project;
    for (int d = 0; d < model::TProject::MaxDevices; ++d) {
        const int index = project.AddDevice();
        model::TDevice& dev = *project.Device(index);
        dev.SetName("Studio " + std::to_string(index + 1));
        DeviceFigures device;
        FillFrame(project, index, device);
        FillConsoles(dev, device);
        bench::FillRecordLists(dev, kRepairRoom);
        FitFaders(dev);
        if (d == 0) {
            model::RunDSPFitting(dev, 0);
            std::fprintf(stderr,
                         "every device: %d cards, %d channel and GPIO rows, %d console modules, image %zu of %zu bytes; "
                         "%d fader strips; buses %d/%d, output functions %d/%d, SOFs %d/%d, DSP cycles %d/%d, limits exceeded 0x%02X\n",
                         device.Cards, device.Rows, device.Modules, dev.GetAllData().size(), model::TDevice::ImageSize,
                         dev.Header()[model::dh::FaderCount],
                         dev.FBusCount, dev.FBusLimit, dev.FOutFktCount, dev.FOutFktLimit, dev.FSOFCount, dev.FSOFLimit,
                         dev.FDSPCyclesUsed, dev.FDSPCycles, dev.FLimitExceeded);
        }
    }
    if (project.SaveToDisk(File, false) != 1)
        std::fprintf(stderr, "the project was not saved\n");
}

double Ms(Clock::duration D) { return std::chrono::duration<double, std::milli>(D).count(); }

// Processor time of the whole program (Qt's helper threads too), in milliseconds.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double Median(std::vector<double> Values)
{
    if (Values.empty())
        return 0;
    std::sort(Values.begin(), Values.end());
    const std::size_t mid = Values.size() / 2;
    return Values.size() % 2 ? Values[mid] : (Values[mid - 1] + Values[mid]) / 2;
}

// The main window and what the rows share.
struct Program {
    TCX4AppForm* Form = nullptr;

    // What happened since the last step: timers, the window's own repaints.
    void Settle() const
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        Form->TreeChangeDelay->stop();
    }
    // The tree's selection of a node and the page switch its change delay would run.
    void Select(int Node) const
    {
        Form->ProjectTree->setCurrentItem(Form->TreeItem(Node));
        Form->TreeChangeDelay->stop();
        Form->ProjectTreeChange();
    }
    // A left click as the window system delivers it to the widget.
    static void Click(QWidget* Widget, QPoint At)
    {
        const QPointF local(At);
        const QPointF global(Widget->mapToGlobal(At));
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Widget, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Widget, &release);
    }
    // One paint of what the widget shows, after its layout has settled.
    static void Paint(QWidget* Widget)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        if (Widget == nullptr)
            return;
        QImage image(Widget->size(), QImage::Format_ARGB32_Premultiplied);
        Widget->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    int NodeOf(int Device, const std::string& Text) const
    {
        const auto& nodes = Form->TreeNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].Device == Device && nodes[i].Text == Text)
                return static_cast<int>(i);
        return -1;
    }
    // The visible tab bars of the page shown, in the order of the page's children.
    std::vector<QTabBar*> TabBars() const
    {
        std::vector<QTabBar*> bars;
        if (QWidget* page = Form->VisiblePage())
            for (QTabBar* bar : page->findChildren<QTabBar*>())
                if (bar->isVisibleTo(page) && bar->count() > 1)
                    bars.push_back(bar);
        return bars;
    }
};

Program program;

// Times `Step` (the show) and the paint of what is shown after it; `Prepare` runs untimed first.
void Measure(benchmark::State& State, const std::function<void()>& Prepare, const std::function<void()>& Step,
             const std::function<QWidget*()>& Shown)
{
    std::vector<double> show, paint, total, cpu;
    for (auto _ : State) {
        Prepare();
        program.Settle();
        const double cpuStart = CpuMs();
        const auto start = Clock::now();
        Step();
        const auto shown = Clock::now();
        Program::Paint(Shown());
        const auto painted = Clock::now();
        cpu.push_back(CpuMs() - cpuStart);
        State.SetIterationTime(std::chrono::duration<double>(painted - start).count());
        show.push_back(Ms(shown - start));
        paint.push_back(Ms(painted - shown));
        total.push_back(Ms(painted - start));
    }
    program.Settle();
    State.counters["show_ms"] = Median(show);
    State.counters["paint_ms"] = Median(paint);
    State.counters["total_ms"] = Median(total);
    State.counters["cpu_ms"] = Median(cpu);
}

void Register(const std::string& Name, std::function<void(benchmark::State&)> Run)
{
    benchmark::RegisterBenchmark(Name.c_str(), std::move(Run))->UseManualTime()->Iterations(Samples())->Unit(benchmark::kMillisecond);
}

// The page of a node as the tree's selection shows it, coming from the page of another node.
void RegisterSelection(const std::string& Name, int From, int Node)
{
    Register(Name, [From, Node](benchmark::State& State) {
        Measure(State, [From] { program.Select(From); }, [Node] { program.Select(Node); },
                [] { return program.Form->VisiblePage(); });
    });
}

// The nodes whose pages are measured, in tree order: the project root and every node of the
// shown device.
std::vector<int> MeasuredNodes()
{
    const auto& nodes = program.Form->TreeNodes();
    std::vector<int> measured{0};
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].Device == kShownDevice)
            measured.push_back(static_cast<int>(i));
    return measured;
}

// A page as the tree shows it, coming from the node above it in the tree (the last node of the
// device for the first), as a user walking down the tree meets it.
void RegisterPages()
{
    const auto& nodes = program.Form->TreeNodes();
    const std::vector<int> walk = MeasuredNodes();
    for (std::size_t k = 0; k < walk.size(); ++k) {
        const int node = walk[k];
        RegisterSelection("page: " + nodes[static_cast<std::size_t>(node)].Text, walk[(k + walk.size() - 1) % walk.size()], node);
    }
    // Another device: its device page and its frame I/O page, coming from the same page of the
    // device before it.
    const auto deviceNode = [](int Device) { return program.NodeOf(Device, "Studio " + std::to_string(Device + 1)); };
    const std::pair<const char*, std::pair<int, int>> switches[] = {
        {"device page", {deviceNode(kShownDevice - 1), deviceNode(kShownDevice)}},
        {"DSP Frame I/O", {program.NodeOf(kShownDevice - 1, "DSP Frame I/O"), program.NodeOf(kShownDevice, "DSP Frame I/O")}},
    };
    for (const auto& [text, fromTo] : switches)
        RegisterSelection(std::string("device switch: ") + text, fromTo.first, fromTo.second);
}

// Every tab of every page that has tabs: a click on the tab while the page shows another one.
void RegisterTabs()
{
    const auto& nodes = program.Form->TreeNodes();
    for (int node : MeasuredNodes()) {
        program.Select(node);
        program.Settle();
        const std::vector<QTabBar*> bars = program.TabBars();
        for (std::size_t b = 0; b < bars.size(); ++b) {
            for (int tab = 0; tab < bars[b]->count(); ++tab) {
                const std::string name = "tab: " + nodes[static_cast<std::size_t>(node)].Text + " / " +
                                         bars[b]->tabText(tab).toStdString();
                const auto bar = [node, b] {
                    if (program.Form->ProjectTree->currentItem() != program.Form->TreeItem(node)) {
                        program.Select(node);
                        program.Settle();
                    }
                    const std::vector<QTabBar*> now = program.TabBars();
                    return b < now.size() ? now[b] : nullptr;
                };
                Register(name, [bar, tab](benchmark::State& State) {
                    Measure(
                        State,
                        [bar, tab] {
                            if (QTabBar* tabs = bar(); tabs != nullptr && tabs->count() > 1)
                                Program::Click(tabs, tabs->tabRect((tab + 1) % tabs->count()).center());
                        },
                        [bar, tab] {
                            if (QTabBar* tabs = bar(); tabs != nullptr && tab < tabs->count())
                                Program::Click(tabs, tabs->tabRect(tab).center());
                        },
                        [] { return program.Form->VisiblePage(); });
                });
            }
        }
    }
}

// The Global Logics tab clicked after a device's logic sources changed: it rebuilds the logic
// sources of all devices.
void RegisterGlobalLogicsAfterAChange()
{
    const auto tabs = [](const QString& Text) -> std::pair<QTabBar*, int> {
        if (program.Form->ProjectTree->currentItem() != program.Form->TreeItem(0)) {
            program.Select(0);
            program.Settle();
        }
        for (QTabBar* bar : program.TabBars())
            for (int tab = 0; tab < bar->count(); ++tab)
                if (bar->tabText(tab) == Text)
                    return {bar, tab};
        return {nullptr, -1};
    };
    const auto click = [tabs](const QString& Text) {
        if (const auto [bar, tab] = tabs(Text); bar != nullptr)
            Program::Click(bar, bar->tabRect(tab).center());
    };
    model::TProject* project = program.Form->Project();
    const std::string name = "tab: " + program.Form->TreeNodes().front().Text + " / Global Logics after a change";
    Register(name, [click, project](benchmark::State& State) {
        Measure(
            State,
            [click, project] {
                click("Project Options");
                program.Settle();
                project->Device(kShownDevice)->FLogicSourcesChanged = true;
            },
            [click] { click("Global Logics"); }, [] { return program.Form->VisiblePage(); });
    });
}

// The two source windows' trees rebuilt because their device's sources changed, with the windows
// open: the logic sources of the device, of all devices, and the audio sources.
void RegisterSourceTrees()
{
    const int frame = program.NodeOf(kShownDevice, "DSP Frame I/O");
    const auto onFrame = [frame] {
        if (program.Form->ProjectTree->currentItem() != program.Form->TreeItem(frame))
            program.Select(frame);
    };
    model::TProject* project = program.Form->Project();
    for (const int filter : {0, editors::lfAllDevices}) {
        Register(filter == 0 ? "source tree: logic sources of the device" : "source tree: logic sources of all devices",
                 [onFrame, project, filter](benchmark::State& State) {
                     Measure(
                         State,
                         [onFrame, project, filter] {
                             onFrame();
                             ResWindow->SetGroupFilter(filter);
                             for (int d = 0; d < model::TProject::MaxDevices; ++d)
                                 project->Device(d)->FLogicSourcesChanged = true;
                         },
                         [] { ResWindow->BuildSourceTree(); }, [] { return ResWindow; });
                     ResWindow->SetGroupFilter(0);
                 });
    }
    Register("source tree: audio sources of the device", [onFrame, project](benchmark::State& State) {
        Measure(
            State,
            [onFrame, project] {
                onFrame();
                project->Device(kShownDevice)->FAudioSourcesChanged = true;
            },
            [] { AudioResWin->BuildSourceTree(); }, [] { return AudioResWin; });
    });
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    platform::setSettingsStore(std::make_unique<platform::MemorySettingsStore>());
    auto scripted = std::make_unique<platform::ScriptedPrompter>();
    platform::ScriptedPrompter* prompts = scripted.get();
    platform::setPrompter(std::move(scripted));
    QtModelHost host;
    model::SetModelHost(&host);
    // KVR_BENCH_PROJECT keeps the project in that file, to be opened in the program.
    const QString keep = qEnvironmentVariable("KVR_BENCH_PROJECT");
    const std::string file = keep.isEmpty() ? "/tmp/kvr-bench-pages-" + std::to_string(::getpid()) + ".kvp" : keep.toStdString();
    BuildLargestProject(file);

    program.Form = CreateApplicationForms();
    program.Form->resize(WindowSize(program.Form->size()));
    std::fprintf(stderr, "window %dx%d\n", program.Form->width(), program.Form->height());
    program.Form->show();
    if (!program.Form->FileCommands().OpenRecent(file)) {
        std::fprintf(stderr, "the project did not open\n");
        return 1;
    }
    // The project opens as a user's would: without a message.
    for (const auto& record : prompts->records())
        std::fprintf(stderr, "opening said: %s\n", qPrintable(record.text));
    if (keep.isEmpty())
        std::remove(file.c_str());
    ResWindow->show();
    AudioResWin->show();
    program.Settle();

    RegisterPages();
    RegisterTabs();
    RegisterGlobalLogicsAfterAChange();
    RegisterSourceTrees();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    DestroyApplicationForms();
    model::SetModelHost(nullptr);
    platform::setPrompter(nullptr);
    return 0;
}
