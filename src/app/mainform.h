#pragma once
// The main window: menus, tool bar, status bar, the project panel with its three resource
// gauges, and the page panels on the right. What it does on start, show and close.

#include <QHash>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/filecommands.h"
#include "app/gauges.h"
#include "app/preferences.h"
#include "app/projectaccess.h"
#include "app/projecttree.h"
#include "console/consoleeditorstate.h"
#include "console/moduleclipboard.h"
#include "diagnostics/kvrlog.h"
#include "reports/printhost.h"
#include "editors/audio/audiopagehost.h"
#include "editors/common/editorhost.h"
#include "editors/common/sourcepicker.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class TKVRCommunicationClient;
namespace Kvrdata_ns {
struct KVRCANBlock;
struct TUDPMsg;
}

namespace kvr::console {
class ConsoleHost;
class ConsolePage;
}

namespace kvr::editors {
class TChannelAssignmentPage;
class TOutputFunctionsPage;
class TOutputRoutingPage;
class TFixedProcessingPage;
class LogicPageWidget;
}

namespace kvr::app::frameio {
class PickerSourceWindows;
class TSlotPanel;
}

namespace kvr::app {

class TCGauge;
class ProjectPanel;
class DevicePanel;

class TCX4AppForm : public QMainWindow,
                    public FileCommandHost,
                    public reports::PrintHost,
                    public editors::EditorHost,
                    public editors::AudioPageView {
    Q_OBJECT
public:
    explicit TCX4AppForm(QWidget* Parent = nullptr);
    ~TCX4AppForm() override;

    // The command line after the program's path; only the first word is read.
    void SetStartWords(std::vector<std::string> Words) { FStartWords = std::move(Words); }
    // Where a new project comes from (the data model; tests give their own).
    void SetProjectFactory(std::function<std::unique_ptr<ProjectAccess>()> Factory) { FProjectFactory = std::move(Factory); }

    // Main-window state shared by the pages.
    std::unique_ptr<ProjectAccess> FProject;
    int FCurDevice = -1;
    std::array<std::uint8_t, 200> FDevHeader{};
    int FCurSlot = 255;
    int FServiceLevel = 0;
    TPreferences FPrefs = TPreferences::Defaults();
    std::uint8_t FPrefsLoaded = 0;
    std::string FProgramDir;
    std::string FProjectFileName;
    QTreeWidgetItem* FTreeRoot = nullptr;
    int FAutoSaveSeconds = 0;

    // The protocol of user and device actions; the data model's trace lines go here.
    TKVRLog KVRLog;
    void MainTraceHook(std::string Text);

    // Controls.
    QToolBar* ToolBar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 3> StatusPanels{};
    QMenu* RecentMenu = nullptr;
    QTreeWidget* ProjectTree = nullptr;
    QWidget* ProjectInfoPanel = nullptr;
    QPushButton* Button50 = nullptr;
    QPushButton* Button51 = nullptr;
    QLabel* Label51 = nullptr;
    QLabel* Label52 = nullptr;
    QLabel* Label55 = nullptr;
    TCGauge* CGauge1 = nullptr;
    TCGauge* CGauge2 = nullptr;
    TCGauge* CGauge3 = nullptr;
    std::vector<QWidget*> PagePanels;
    QTimer* OnlineTimer = nullptr;
    QTimer* ReadUDP = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* COMTimer = nullptr;
    // The tree reports a change of selection this long after it happens.
    QTimer* TreeChangeDelay = nullptr;
    QMenu* PopupMenu1 = nullptr; // root node: Add Device
    QMenu* PopupMenu3 = nullptr; // device node: device commands
    // The project root's page, on the page panel "ProjectPanel" (mainformproject.cpp).
    ProjectPanel* PageControl1 = nullptr;
    // The Logic System page, on the page panel "LogicPanel" (mainformlogic.cpp).
    editors::LogicPageWidget* LogicPage = nullptr;
    void ShowLogicPage(int Kind);
    void HideLogicPage();
    DevicePanel* FDevicePage = nullptr;

    // The console editor's selection and module clipboard, kept for the whole run, and its page
    // on "ConsolePanel" (mainformconsole.cpp).
    console::ConsoleEditorState FConsoleState;
    console::ModuleClipboard FModuleClipboard;
    console::ConsolePage* ConsolePageWidget = nullptr;
    void ShowConsolePage();
    void HideConsolePage();

    // The menu item or tool button command by its field name; null when there is none.
    QAction* Action(const QString& Name) const;

    void FormCreate();
    // Runs once, when the window is first shown.
    void FormShow();
    void FormActivate();
    // Stores the preferences, then asks whether the project may be closed.
    bool FormCloseQuery();
    void FormClose();

    void UpdateCaption() override;
    void UpdateResourceGauges() override;
    const Gauges& GaugeStates() const { return FGauges; }
    bool LoadPreferences();
    bool SavePreferences();
    // Closes the open project, asking to save a changed one.
    bool CloseProject() { return FFileCommands->CloseProject(); }
    ProjectFileCommands& FileCommands() { return *FFileCommands; }
    // The communication client DCC of the transfers and the online state (none: both idle).
    void SetCommunicationClient(std::unique_ptr<TKVRCommunicationClient> Client);
    TKVRCommunicationClient* DCC() const { return FDCC.get(); }
    // Online state and transfers (mainformonline.cpp).
    void DCCProgress(int Bytes, int BytesSum, int BytesTotal);
    bool FTerminating = false;
    // Rebuilds the "Recent files" menu from the settings.
    void BuildRecentMenu();

    // The project tree: rebuilt from the project, the selection kept by its absolute index.
    void BuildProjectTree() override;
    void SelectRoot() override;
    // The page switch, run by the change delay.
    void ProjectTreeChange();
    // The node's menu at a position of the tree; null where no menu opens.
    QMenu* ProjectTreeContextPopup(const QPoint& MousePos);
    void RefreshTree1Click() { BuildProjectTree(); }
    const std::vector<TreeNodeSpec>& TreeNodes() const { return FTreeNodes; }
    QTreeWidgetItem* TreeItem(int AbsoluteIndex) const;
    // The page panel shown now; null when none.
    QWidget* VisiblePage() const;

    // What the printed documentation reads of the main window (mainformprint.cpp).
    // The open project's model, or null: printed documentation and editors alike read it.
    model::TProject* Project() override;
    int CurDevice() const override { return FCurDevice; }
    void SetCurDevice(int Device) override { FCurDevice = Device; }
    std::string ProjectFileName() const override;
    bool PrinterDebug() const override;
    reports::ModuleSelection ConsoleSelection() const override;
    std::string Today() const override;
    // The editors' host (mainformeditors.cpp); Project() above serves it too.
    int CurrentDevice() const override { return FCurDevice; }
    bool HideUnnamedSources() const override { return FPrefs.HideUnnamedSources(); }
    bool SelectNextRoutingAfterAssign() const override;
    void ShowProgress(int Minimum, int Maximum, int Position) override;
    void HideProgress() override;
    void Log(const std::string& Line, int Level) override { KVRLog.Message(Line, Level); }
    void PumpMessages() override;
    editors::LogicSourcePicker* LogicSources() override;
    editors::AudioSourcePicker* AudioSources() override;
    // The source windows follow a new selection of the project tree: the device (with or without
    // one), then, after the page is shown, both trees.
    void SourceWindowsFollowDevice();
    void RebuildSourceWindows();
    // The Audio System pages (mainformeditors.cpp).
    void ShowPanel(const char* Panel, bool Visible) override;
    bool PanelVisible(const char* Panel) const override;
    void ShowActiveAudioTab() override;
    void FillPage(const char* Panel) override;
    void WriteBackOutputRouting() override;
    void ScheduleFaderConfigurationHide(bool Start) override;
    void ShowAudioTab(int Tab);
    editors::AudioPageHost& AudioPages() { return *FAudioPages; }
    QTabWidget* PageControl2 = nullptr;
    editors::TChannelAssignmentPage* AssignmentPage = nullptr;
    editors::TOutputFunctionsPage* OutputFunctionsPage = nullptr;
    editors::TOutputRoutingPage* OutputRoutingPage = nullptr;
    editors::TFixedProcessingPage* FixedProcessingPage = nullptr;

public slots:
    void About1Click();
    void Exit1Click();
    void Console1Click();
    // The console editor's "Print module layout".
    void PrintSelectedModule();
    void ExportFrameIOasCSV1Click();
    void MaintenanceCX451Click();
    void AudioTree1Click();
    void ResourceWindow1Click();
    void Watches1Click();
    void ProjSumClick();
    void Fittingreport1Click();
    void Info1Click();
    void checkslotchannels1Click();
    void Configuration2Click();
    void RecentFileClick();
    void ImportSlotConfig1Click();
    void Timer2Timer();
    void StructInfo1Click();
    void LoadtoDevice1Click();
    void LoadFromDevice1Click();
    void ReadUDPTimer();
    void OnlineTimerTimer();
    void GlobalLogicStates1Click();
    // What the client receives; global logic states go to the monitor.
    void DCCBroadcastReceived(const Kvrdata_ns::TUDPMsg& Msg);
    void DCCCANBlockReceived(const Kvrdata_ns::KVRCANBlock& Block);

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // The host side of the file commands.
    bool IsProcessing() override;
    void StopTimers() override;
    void StartTimers() override;
    void CloseTransferConnection() override;
    void ProjectClosed() override;
    void RecentListChanged() override { BuildRecentMenu(); }
    void ShowCheckList() override;
    void DeviceRemoved() override;
    // The log serves the file commands and the printed documentation alike.
    void Log(const std::string& Line) override { KVRLog.Message(Line, 2); }
    void SetAction(const char* Name, bool Enabled);
    void SetWidget(const char* Name, bool Enabled);
    // The page panel of that name; null when there is none.
    QWidget* PagePanel(const char* Name) const;
    // Commands and controls found by name, kept while they live under it.
    mutable QHash<QString, QPointer<QAction>> FNamedActions;
    QHash<QString, QPointer<QWidget>> FNamedWidgets;

    void BuildMenus();
    void BuildAudioSystemPage();
    std::unique_ptr<editors::AudioPageHost> FAudioPages;
    int FAudioTab = -1; // the tab whose show handler ran last
    void BuildToolBar();
    void BuildPanels();
    void BuildProjectPage();
    // The device page, the fixed-model notice and the device popup's service entries.
    void BuildDevicePage();
    void FillDevicePage();
    void ApplyDeviceServiceLevel();
    void BuildConsolePage();
    void ConsoleProjectClosed();
    void ReleasePages();
    void BuildLogicPage();
    void DestroyLogicPage();
    // The logic-source window with the Global Logics tab registered as its kind-13 target.
    editors::LogicSourcePicker* GlobalLogicPicker();
    void ApplyServiceLevel();

    std::vector<std::string> FStartWords;
    std::function<std::unique_ptr<ProjectAccess>()> FProjectFactory;
    Gauges FGauges;
    std::unique_ptr<ProjectFileCommands> FFileCommands;
    std::vector<TreeNodeSpec> FTreeNodes;
    std::vector<QTreeWidgetItem*> FTreeItems;
    // The frame table's scroll position at a rebuild of the tree, put back when the page switch
    // that follows shows the same frame again.
    struct KeptScroll {
        int Device = -1;
        int Slot = 255;
        QPoint Position;
    };
    std::optional<KeptScroll> FKeptSlotScroll;
    bool FShown = false;
    std::unique_ptr<TKVRCommunicationClient> FDCC;
    std::unique_ptr<console::ConsoleHost> FConsoleHost;
    std::unique_ptr<editors::SourceTarget> FGlobalLogicTarget;
    // The frame I/O page's link to the two source windows.
    std::unique_ptr<frameio::PickerSourceWindows> FFrameSources;
    frameio::TSlotPanel* FSlotPanel = nullptr;
    void WireOnlineState();
    bool Processing() const;
};

} // namespace kvr::app
