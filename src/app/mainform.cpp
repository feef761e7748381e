#include "app/mainform.h"

#include <QAction>

#include <algorithm>
#include <array>
#include <chrono>
#include <set>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/aboutform.h"
#include "app/appforms.h"
#include "app/watchwindow.h"
#include "service/watch/watchform.h"
#include "app/cfglockform.h"
#include "app/cgauge.h"
#include "app/frameio/channelsettings.h"
#include "app/frameio/slotpanel.h"
#include "app/frameio/sourcewindows.h"
#include "app/mainactions.h"
#include "app/optionform.h"
#include "app/qtmodelhost.h"
#include "app/plainforms.h"
#include "app/printform.h"
#include "app/processform.h"
#include "app/importwin.h"
#include "app/recent.h"
#include "app/startup.h"
#include "client/kvrcommunicationclient.h"
#include "service/summary/ibform.h"
#include "console/consolehost.h"
#include "model/project.h"
#include "console/pages/consolepage.h"
#include "editors/sources/audioreswin.h"
#include "editors/sources/reswindow.h"
#include "model/modelhost.h"
#include "platform/application.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"
#include "platform/text1252.h"
#include "service/maintenance/mtnform.h"

namespace kvr::app {

namespace {

constexpr const char* PagePanelNames[] = {
    "SlotPanel",  "AudioPanel",  "LogicPanel",       "SOFPanel",         "ConsolePanel",     "ProjectPanel",      "DevicePanel",
    "DummyDevPanel", "AssiPanel", "OutFktPanel", "FixFunctionPanel", "OutputRoutePanel", "FaderChannelPanel",
};

QString Q(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

TRect ToRect(const QRect& r)
{
    return TRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

// Tool-bar pictures: simple drawings where the style has none.
QIcon DeviceIcon(bool ToDevice)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(1, 9, 13, 5);
    p.setBrush(QColor(0x00, 0x80, 0x00));
    p.setPen(Qt::NoPen);
    const QPolygon arrow = ToDevice ? QPolygon({QPoint(8, 8), QPoint(3, 3), QPoint(13, 3)})
                                    : QPolygon({QPoint(8, 1), QPoint(3, 7), QPoint(13, 7)});
    p.drawPolygon(arrow);
    return QIcon(pixmap);
}

QIcon ToolIcon(QStyle* Style, int ImageIndex)
{
    switch (ImageIndex) {
    case 0: return Style->standardIcon(QStyle::SP_FileIcon);
    case 1: return Style->standardIcon(QStyle::SP_DialogOpenButton);
    case 2: return Style->standardIcon(QStyle::SP_DialogSaveButton);
    case 5: return QIcon::fromTheme("document-print", Style->standardIcon(QStyle::SP_FileDialogDetailedView));
    case 10: return DeviceIcon(true);
    case 9: return DeviceIcon(false);
    default: return {};
    }
}

// The source windows fill their trees once for a page switch, with what the new page leaves them:
// the pages set the trees' filters on the way there and back.
class HeldSourceFills {
public:
    HeldSourceFills() : FWindows{ResWindow, AudioResWin}
    {
        for (editors::SourceWindow* window : FWindows)
            if (window)
                window->HoldFills();
    }
    ~HeldSourceFills()
    {
        for (editors::SourceWindow* window : FWindows)
            if (window)
                window->ReleaseFills();
    }
    HeldSourceFills(const HeldSourceFills&) = delete;
    HeldSourceFills& operator=(const HeldSourceFills&) = delete;

private:
    const std::array<editors::SourceWindow*, 2> FWindows;
};

} // namespace

TCX4AppForm::TCX4AppForm(QWidget* Parent) : QMainWindow(Parent)
{
    setObjectName("CX4AppForm");
    setWindowTitle(QString::fromLatin1(InitialCaption));
    resize(952, 676);
    setMinimumSize(635, 537);
    FProjectFactory = [] { return NewProject(); };
    FFileCommands = std::make_unique<ProjectFileCommands>(
        ProjectFields{FProject, FProjectFileName, FCurDevice, FPrefs, FAutoSaveSeconds}, *this,
        [this] { return FProjectFactory(); });

    BuildMenus();
    BuildToolBar();
    BuildPanels();
    BuildProjectPage();
    BuildDevicePage();
    BuildConsolePage();
    BuildAudioSystemPage();
    BuildLogicPage();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    const int widths[3] = {100, 200, 50};
    for (int i = 0; i < 3; ++i) {
        StatusPanels[static_cast<std::size_t>(i)] = new QLabel(StatusBar1);
        StatusPanels[static_cast<std::size_t>(i)]->setObjectName(QString("StatusPanel%1").arg(i));
        if (i < 2)
            StatusPanels[static_cast<std::size_t>(i)]->setFixedWidth(widths[i]);
        else
            StatusPanels[static_cast<std::size_t>(i)]->setMinimumWidth(widths[i]);
        // The last panel reaches to the bar's right end.
        StatusBar1->addWidget(StatusPanels[static_cast<std::size_t>(i)], i == 2 ? 1 : 0);
    }
    setStatusBar(StatusBar1);

    const auto timer = [this](const char* name, int interval) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(interval);
        return t;
    };
    OnlineTimer = timer("OnlineTimer", 1000);
    ReadUDP = timer("ReadUDP", 500);
    Timer2 = timer("Timer2", 50);
    Timer1 = timer("Timer1", 50);
    COMTimer = timer("COMTimer", 30);
    connect(Timer2, &QTimer::timeout, this, &TCX4AppForm::Timer2Timer);
    TreeChangeDelay = timer("TreeChangeDelay", 50);
    TreeChangeDelay->setSingleShot(true);
    connect(TreeChangeDelay, &QTimer::timeout, this, &TCX4AppForm::ProjectTreeChange);
    // A further change within the delay restarts it: only the last selection is handled.
    connect(ProjectTree, &QTreeWidget::currentItemChanged, TreeChangeDelay, qOverload<>(&QTimer::start));
    WireOnlineState();

    KVRLog.FSetFileName("CX4Debug-");
    FormCreate();
}

TCX4AppForm::~TCX4AppForm()
{
    // The console page works on members that go before the window's children.
    delete ConsolePageWidget;
    model::TraceCallback = nullptr;
    // The pages hidden while the children go must not call back into this window.
    ReleasePages();
}

void TCX4AppForm::MainTraceHook(std::string Text)
{
    KVRLog.Message(Text, 0);
}

void TCX4AppForm::BuildMenus()
{
    for (const MenuSpec& menuSpec : MainMenus()) {
        QMenu* menu = menuBar()->addMenu(Q(menuSpec.Caption));
        menu->setObjectName(Q(menuSpec.Name));
        menu->menuAction()->setObjectName(Q(menuSpec.Name));
        menu->menuAction()->setVisible(ItemVisibleAt(menuSpec.Visibility, 0));
        for (const MenuItemSpec& item : MainMenuItems()) {
            if (item.Menu != menuSpec.Name)
                continue;
            QAction* action = nullptr;
            if (item.IsSeparator()) {
                action = menu->addSeparator();
            } else if (item.Name == "RecentMenu") {
                RecentMenu = menu->addMenu(Q(item.Caption));
                RecentMenu->setObjectName("RecentMenu");
                action = RecentMenu->menuAction();
            } else {
                action = menu->addAction(Q(item.Caption));
                if (!item.ShortCut.empty())
                    action->setShortcut(QKeySequence(Q(item.ShortCut)));
            }
            action->setObjectName(Q(item.Name));
            action->setVisible(ItemVisibleAt(item.Visibility, 0));
        }
    }
    // The stored form's placeholder until the list is built.
    RecentMenu->addAction("No files")->setObjectName("Nofiles1");

    const auto bind = [this](const char* name, void (TCX4AppForm::*slot)()) {
        connect(Action(name), &QAction::triggered, this, slot);
    };
    bind("About1", &TCX4AppForm::About1Click);
    bind("Exit1", &TCX4AppForm::Exit1Click);
    bind("Console1", &TCX4AppForm::Console1Click);
    bind("ExportFrameIOasCSV1", &TCX4AppForm::ExportFrameIOasCSV1Click);
    bind("MaintenanceCX451", &TCX4AppForm::MaintenanceCX451Click);
    bind("AudioTree1", &TCX4AppForm::AudioTree1Click);
    bind("ResourceWindow1", &TCX4AppForm::ResourceWindow1Click);
    bind("Watches1", &TCX4AppForm::Watches1Click);
    bind("ProjSum", &TCX4AppForm::ProjSumClick);
    bind("Fittingreport1", &TCX4AppForm::Fittingreport1Click);
    bind("Info1", &TCX4AppForm::Info1Click);
    bind("Configuration2", &TCX4AppForm::Configuration2Click);
    bind("ImportSlotConfig1", &TCX4AppForm::ImportSlotConfig1Click);
    bind("checkslotchannels1", &TCX4AppForm::checkslotchannels1Click);

    const auto command = [this](QAction* action, void (ProjectFileCommands::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { (FFileCommands.get()->*handler)(); });
    };
    command(Action("New2"), &ProjectFileCommands::New2Click);
    command(Action("New1"), &ProjectFileCommands::New1Click);
    command(Action("Save1"), &ProjectFileCommands::Save1Click);
    command(Action("SaveAs1"), &ProjectFileCommands::SaveAs1Click);
    command(Action("Savecopyas1"), &ProjectFileCommands::Savecopyas1Click);
    command(Action("LoadexistingDevice1"), &ProjectFileCommands::LoadexistingDevice1Click);
    command(Action("ExtractMPJ1"), &ProjectFileCommands::ExtractMPJ1Click);

    // The tree's context menus.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    QAction* add = PopupMenu1->addAction("Add Device");
    add->setObjectName("AddSystem1");
    command(add, &ProjectFileCommands::AddDevice);
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    QAction* copy = PopupMenu3->addAction("Copy Device");
    copy->setObjectName("CopyDevice2");
    command(copy, &ProjectFileCommands::CopyDevice2Click);
    QAction* remove = PopupMenu3->addAction("Remove Device");
    remove->setObjectName("RemoveDevice1");
    command(remove, &ProjectFileCommands::RemoveDevice1Click);
}

void TCX4AppForm::BuildToolBar()
{
    ToolBar1 = addToolBar("ToolBar1");
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    for (const ToolButtonSpec& spec : MainToolButtons()) {
        if (spec.Name.empty()) {
            ToolBar1->addSeparator();
            continue;
        }
        auto* button = new QToolButton(ToolBar1);
        button->setObjectName(Q(spec.Name));
        button->setAutoRaise(true);
        button->setIcon(ToolIcon(style(), spec.ImageIndex));
        button->setToolTip(Q(spec.Hint));
        if (QAction* command = Action(Q(spec.Handler)))
            connect(button, &QToolButton::clicked, command, &QAction::trigger);
        ToolBar1->addWidget(button);
    }
}

void TCX4AppForm::BuildPanels()
{
    auto* panel1 = new QWidget(this);
    panel1->setObjectName("Panel1");
    auto* layout = new QHBoxLayout(panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* leftPanel = new QWidget(panel1);
    leftPanel->setObjectName("LeftPanel");
    leftPanel->setFixedWidth(217);
    auto* leftLayout = new QVBoxLayout(leftPanel);
    leftLayout->setContentsMargins(2, 2, 2, 2);
    auto* projectGroup = new QGroupBox("Project", leftPanel);
    projectGroup->setObjectName("GroupBox1");
    auto* groupLayout = new QVBoxLayout(projectGroup);
    groupLayout->setContentsMargins(4, 4, 4, 4);
    ProjectTree = new QTreeWidget(projectGroup);
    ProjectTree->setObjectName("ProjectTree");
    ProjectTree->setHeaderHidden(true);
    ProjectTree->setIndentation(16);
    ProjectTree->setSelectionMode(QAbstractItemView::SingleSelection);
    ProjectTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ProjectTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ProjectTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ProjectTreeContextPopup(pos); });
    groupLayout->addWidget(ProjectTree, 1);

    ProjectInfoPanel = new QWidget(projectGroup);
    ProjectInfoPanel->setObjectName("ProjectInfoPanel");
    ProjectInfoPanel->setFixedHeight(113);
    auto* info = new QGridLayout(ProjectInfoPanel);
    info->setContentsMargins(2, 2, 2, 2);
    info->setVerticalSpacing(2);
    Button50 = new QPushButton("Add Device", ProjectInfoPanel);
    Button50->setObjectName("Button50");
    Button51 = new QPushButton("Remove Device", ProjectInfoPanel);
    Button51->setObjectName("Button51");
    connect(Button50, &QPushButton::clicked, this, [this] { FFileCommands->AddDevice(); });
    connect(Button51, &QPushButton::clicked, this, [this] { FFileCommands->RemoveDevice1Click(); });
    info->addWidget(Button50, 0, 0);
    info->addWidget(Button51, 0, 1);
    const auto gauge = [&](int row, const char* caption, const char* labelName, const char* gaugeName, QLabel*& label,
                           TCGauge*& bar) {
        label = new QLabel(caption, ProjectInfoPanel);
        label->setObjectName(labelName);
        bar = new TCGauge(ProjectInfoPanel);
        bar->setObjectName(gaugeName);
        info->addWidget(label, row, 0, 1, 2);
        info->addWidget(bar, row + 1, 0, 1, 2);
    };
    gauge(1, "Summing Buses", "Label51", "CGauge1", Label51, CGauge1);
    gauge(3, "Output Functions", "Label52", "CGauge2", Label52, CGauge2);
    gauge(5, "DSP Processing", "Label55", "CGauge3", Label55, CGauge3);
    groupLayout->addWidget(ProjectInfoPanel);
    leftLayout->addWidget(projectGroup);
    layout->addWidget(leftPanel);

    // Hidden, and refuses every resize.
    auto* splitter = new QWidget(panel1);
    splitter->setObjectName("Splitter1");
    splitter->setVisible(false);
    layout->addWidget(splitter);

    auto* pages = new QWidget(panel1);
    pages->setObjectName("PageArea");
    auto* pageLayout = new QGridLayout(pages);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    for (const char* name : PagePanelNames) {
        QWidget* page = std::string_view(name) == "SlotPanel" ? new frameio::TSlotPanel(pages) : new QWidget(pages);
        page->setObjectName(name);
        page->setVisible(false);
        pageLayout->addWidget(page, 0, 0); // all over each other, filling the client area
        PagePanels.push_back(page);
    }
    FSlotPanel = pages->findChild<frameio::TSlotPanel*>();
    if (auto* slotPanel = FSlotPanel) {
        slotPanel->RefreshTimeChecked = [] { return OptionForm && OptionForm->RefreshTimeBox->isChecked(); };
        slotPanel->LogMessage = [this](const std::string& Text, int Level) { KVRLog.Message(Text, Level); };
        slotPanel->UpdateCaption = [this] { UpdateCaption(); };
        slotPanel->ServiceLevel = [this] { return FServiceLevel; };
        slotPanel->FitOptions = [this] { return static_cast<int>(FPrefs.FitOptions()); };
        slotPanel->BuildProjectTree = [this] { BuildProjectTree(); };
        slotPanel->UpdateResourceGauges = [this] { UpdateResourceGauges(); };
        FFrameSources = std::make_unique<frameio::PickerSourceWindows>(frameio::PickerSourceWindows::Links{
            [this] { return LogicSources(); }, [this] { return AudioSources(); }, [slotPanel] { slotPanel->DrawSlotView(); }});
        slotPanel->Sources = FFrameSources.get();
    }
    layout->addWidget(pages, 1);
    setCentralWidget(panel1);
}

QAction* TCX4AppForm::Action(const QString& Name) const
{
    // A page switch sets a dozen commands: each is searched for among the window's thousands of
    // children once, and kept while it lives under that name.
    if (const auto kept = FNamedActions.constFind(Name); kept != FNamedActions.cend() && *kept && (*kept)->objectName() == Name)
        return *kept;
    const auto actions = findChildren<QAction*>(Name);
    QAction* action = actions.isEmpty() ? nullptr : actions.front();
    if (action)
        FNamedActions.insert(Name, action);
    return action;
}

void TCX4AppForm::FormCreate()
{
    QCoreApplication::setApplicationName(QString::fromLatin1(ApplicationTitle));
    Action("REPAIR1")->setVisible(false);
    Action("N11")->setVisible(false);
    model::TraceCallback = [this](std::string Text) { MainTraceHook(std::move(Text)); };
}

void TCX4AppForm::showEvent(QShowEvent* Event)
{
    if (!FShown) {
        FShown = true;
        FormShow();
    }
    QMainWindow::showEvent(Event);
}

void TCX4AppForm::FormShow()
{
    FProgramDir = platform::ProgramFolder();

    // The version that goes into projects and images must keep them readable.
    const std::uint32_t ms = AboutForm ? AboutForm->FFileVersionMS : TAboutForm::DefaultMS();
    const std::uint32_t ls = AboutForm ? AboutForm->FFileVersionLS : TAboutForm::DefaultLS();
    model::ProgramVersion = EffectiveProgramVersion({ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF});

    if (LoadPreferences()) {
        FPrefsLoaded = 1;
        // A rectangle without area was never stored: the window keeps its own size and place.
        const TRect r = FPrefs.MainWindowRect();
        if (!r.IsEmpty()) {
            const QScreen* screen = QGuiApplication::primaryScreen();
            const QSize size = screen ? screen->size() : QSize(1920, 1080);
            const TRect kept = KeepOnScreen(r, size.width(), size.height());
            setGeometry(kept.Left, kept.Top, kept.Width(), kept.Height());
        }
        if (FPrefs.WindowState() == wsMaximized)
            setWindowState(windowState() | Qt::WindowMaximized);
        else if (FPrefs.WindowState() == wsMinimized)
            setWindowState(windowState() | Qt::WindowMinimized);
    } else {
        FPrefsLoaded = 0;
    }

    FCurSlot = 255;
    // An empty project exists from here on; it builds the tree and starts the timers.
    FFileCommands->NewProject();

    const StartCommand command = ParseStartCommand(FStartWords);
    if (!command.ProjectFile.empty()) {
        // A file that cannot be read leaves the new project without a name or recent entry.
        FFileCommands->OpenRecent(command.ProjectFile);
    } else if (command.ServiceLevel >= 0) {
        FServiceLevel = command.ServiceLevel;
    }

    BuildRecentMenu();
    for (QWidget* window : {static_cast<QWidget*>(ResWindow), static_cast<QWidget*>(AudioResWin)})
        if (window)
            window->installEventFilter(this);
    if (FProject)
        FProject->SetFitOptions(FPrefs.FitOptions());
    KVRLog.Enabled = false;
    KVRLog.Destination = TKVRLogDestinations{0};
    ApplyServiceLevel();
    UpdateResourceGauges();
    HideLogicPage();
}

void TCX4AppForm::ApplyServiceLevel()
{
    if (FServiceLevel == 2) {
        KVRLog.Enabled = true;
        KVRLog.Destination = TKVRLogDestinations::Of({dldFile});
    }
    for (const MenuItemSpec& item : MainMenuItems()) {
        if (item.Name.empty())
            continue;
        if (QAction* action = Action(Q(item.Name)))
            action->setVisible(ItemVisibleAt(item.Visibility, FServiceLevel));
    }
    ApplyDeviceServiceLevel();
}

void TCX4AppForm::FormActivate()
{
    // The logic-source window serves the main window whenever it is activated.
    if (ResWindow)
        ResWindow->SetOwnerForm(this);
}

bool TCX4AppForm::eventFilter(QObject* Watched, QEvent* Event)
{
    // The source windows keep their bounds in the preferences: restored when shown, stored when
    // hidden. A rectangle without area was never stored and leaves the window where it is.
    const bool logic = Watched == ResWindow;
    const bool audio = Watched == AudioResWin;
    if ((logic || audio) && FPrefsLoaded == 1) {
        auto* window = static_cast<QWidget*>(Watched);
        if (Event->type() == QEvent::Show) {
            const TRect r = logic ? FPrefs.LogicSourceWindowRect() : FPrefs.AudioSourceWindowRect();
            if (!r.IsEmpty())
                window->setGeometry(r.Left, r.Top, r.Width(), r.Height());
        } else if (Event->type() == QEvent::Hide) {
            if (logic)
                FPrefs.SetLogicSourceWindowRect(ToRect(window->geometry()));
            else
                FPrefs.SetAudioSourceWindowRect(ToRect(window->geometry()));
        }
    }
    return QMainWindow::eventFilter(Watched, Event);
}

void TCX4AppForm::changeEvent(QEvent* Event)
{
    QMainWindow::changeEvent(Event);
    if (Event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

bool TCX4AppForm::LoadPreferences()
{
    const PreferencesLoad result = ReadPreferences(platform::settingsStore(), FPrefs);
    FServiceLevel = ReadServiceLevel(platform::settingsStore());
    if (FServiceLevel == 1)
        StatusPanels[0]->setText("KVR");
    if (FProject)
        FProject->SetFitOptions(FPrefs.FitOptions());
    if (FPrefs.LogAge() != 0) {
        KVRLog.LimitBy = dltDays;
        KVRLog.LimitValue = FPrefs.LogAge();
    } else {
        KVRLog.LimitBy = dltNone;
    }
    const std::string folder = FPrefs.LogFolder();
    KVRLog.FSetFileName(folder.empty() ? std::string("CorDex4-") : folder + "/CorDex4-");
    return result != PreferencesLoad::Unusable;
}

bool TCX4AppForm::SavePreferences()
{
    const Qt::WindowStates state = windowState();
    const TWindowState stored = state & Qt::WindowMaximized   ? wsMaximized
                                : state & Qt::WindowMinimized ? wsMinimized
                                                              : wsNormal;
    StoreMainWindow(FPrefs, stored, ToRect(normalGeometry().isValid() ? normalGeometry() : geometry()));
    if (MtnForm)
        FPrefs.SetMaintenanceWindowRect(ToRect(MtnForm->geometry()));
    if (ResWindow)
        FPrefs.SetLogicSourceWindowRect(ToRect(ResWindow->geometry()));
    if (AudioResWin)
        FPrefs.SetAudioSourceWindowRect(ToRect(AudioResWin->geometry()));
    if (FProject)
        FProject->SetFitOptions(FPrefs.FitOptions());
    return WritePreferences(platform::settingsStore(), FPrefs);
}

void TCX4AppForm::BuildRecentMenu()
{
    for (QAction* action : RecentMenu->actions()) {
        RecentMenu->removeAction(action);
        delete action;
    }
    for (const TRecent::Entry& entry : TRecent(platform::settingsStore(), RecentKey).MenuEntries()) {
        const QString name = platform::FromNativePath(entry.Name);
        // Shown exactly as stored: an ampersand is no accelerator.
        QAction* item = RecentMenu->addAction(QString(name).replace('&', "&&"));
        item->setObjectName(QString::fromStdString(TRecent::ValueName(entry.Index)));
        item->setData(name);
        connect(item, &QAction::triggered, this, &TCX4AppForm::RecentFileClick);
    }
}

void TCX4AppForm::UpdateCaption()
{
    if (!FProject)
        return;
    StatusPanels[2]->setText(QString::fromLatin1(FileStateText(FProject->IsChanged())));
    setWindowTitle(platform::FromNativePath(MainCaption(FProjectFileName)));
}

void TCX4AppForm::UpdateResourceGauges()
{
    const std::optional<DeviceResources> device =
        FProject ? SelectedDeviceResources(*FProject, FCurDevice) : std::nullopt;
    FGauges = UpdateGauges(FGauges, device);
    const std::array<TCGauge*, 3> bars{CGauge1, CGauge2, CGauge3};
    const std::array<QLabel*, 3> labels{Label51, Label52, Label55};
    for (std::size_t i = 0; i < 3; ++i) {
        bars[i]->SetForeColor(FGauges[i].ForeColor);
        bars[i]->SetBackColor(FGauges[i].BackColor);
        bars[i]->SetMaxValue(FGauges[i].MaxValue);
        bars[i]->SetProgress(FGauges[i].Progress);
        labels[i]->setEnabled(FGauges[i].LabelEnabled);
    }
}

bool TCX4AppForm::FormCloseQuery()
{
    SavePreferences();
    return CloseProject();
}

void TCX4AppForm::FormClose()
{
    HideLogicPage();
    OnlineTimer->stop();
    FTerminating = true; // broadcasts that still arrive change nothing
}

void TCX4AppForm::closeEvent(QCloseEvent* Event)
{
    if (!FormCloseQuery()) {
        Event->ignore();
        return;
    }
    FormClose();
    Event->accept();
}

void TCX4AppForm::About1Click()
{
    if (AboutForm)
        AboutForm->exec();
}

void TCX4AppForm::Exit1Click()
{
    close();
}

void TCX4AppForm::Console1Click()
{
    if (!PrintForm)
        return;
    PrintForm->SetModuleOnly(false);
    PrintForm->exec();
}

void TCX4AppForm::MaintenanceCX451Click()
{
    if (MtnForm)
        MtnForm->show();
}

void TCX4AppForm::AudioTree1Click()
{
    if (AudioResWin)
        AudioResWin->show();
}

void TCX4AppForm::ResourceWindow1Click()
{
    if (ResWindow)
        ResWindow->show();
}

void TCX4AppForm::Watches1Click()
{
    // A new watch window at every use; the last one is the global one.
    OpenWatchWindow(this, [this] { return Project(); }, [this] { return FProjectFileName; })->show();
}

void TCX4AppForm::ProjSumClick()
{
    model::TProject* project = Project();
    if (!project)
        return;
    service::TSummaryServices services;
    services.Now = [] {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
    };
    services.ProcessMessages = [] { QCoreApplication::processEvents(); };
    service::TIBForm summary(*project, std::make_unique<TKVRCommunicationClient>(nullptr, client::SystemServices()), services, this);
    summary.setFont(font());
    summary.exec();
}

void TCX4AppForm::Fittingreport1Click()
{
    if (!FProject || FCurDevice < 0 || FCurDevice >= FProject->DeviceCount())
        return;
    const std::string report = FProject->WriteFittingReport(FCurDevice);
    if (!report.empty())
        ShowReportFile(report, [](const QUrl& Url) { return QDesktopServices::openUrl(Url); });
}

void TCX4AppForm::Info1Click()
{
    if (!FProject)
        return;
    const auto header = FProject->GetHeader();
    platform::prompter().showMessage(QString::fromLatin1(FileInfoText(HeaderVersion(header.data()))));
}

void TCX4AppForm::checkslotchannels1Click()
{
    model::TDevice* device = FProject && FCurDevice >= 0 ? FProject->Model()->Device(FCurDevice) : nullptr;
    if (device != nullptr)
        frameio::CheckSlotChannels(*device);
}

void TCX4AppForm::Configuration2Click()
{
    if (!OptionForm)
        return;
    OptionForm->FPrefs = FPrefs;
    OptionForm->FProgramDir = FProgramDir;
    OptionForm->exec();
    // The source windows rebuild their trees when anything changed; both are plain here.
    FPrefs = OptionForm->FPrefs; // whichever button closed the dialog
    SavePreferences();
    if (FProject)
        FProject->SetFitOptions(FPrefs.FitOptions());
}

void TCX4AppForm::RecentFileClick()
{
    if (auto* item = qobject_cast<QAction*>(sender()))
        FFileCommands->OpenRecent(platform::ToNativePath(item->data().toString()));
}

void TCX4AppForm::ImportSlotConfig1Click()
{
    if (!ImportWin)
        return;
    if (!FProject || FCurDevice < 0) {
        platform::prompter().showMessage("Please select a device first!");
        return;
    }
    ImportWin->FProject = FProject.get();
    ImportWin->FDeviceIndex = FCurDevice;
    ImportWin->exec();
}

bool TCX4AppForm::IsProcessing()
{
    return ProcessForm && ProcessForm->isVisible();
}

void TCX4AppForm::StopTimers()
{
    OnlineTimer->stop();
    Timer2->stop();
}

void TCX4AppForm::StartTimers()
{
    OnlineTimer->start();
    Timer2->start();
}

void TCX4AppForm::ProjectClosed()
{
    HideConsolePage();
    ConsoleProjectClosed();
    for (const char* name : {"ProjectPanel", "DevicePanel", "SlotPanel", "ConsolePanel", "LogicPanel"})
        if (auto* panel = findChild<QWidget*>(name))
            panel->hide();
    HideLogicPage();
    // The nodes stand for devices of the project that is gone.
    TreeChangeDelay->stop();
    const QSignalBlocker blocker(ProjectTree);
    ProjectTree->clear();
    FTreeNodes.clear();
    FTreeItems.clear();
    FTreeRoot = nullptr;
    FCurDevice = -1;
}

void TCX4AppForm::ShowCheckList()
{
    if (!CFGLockForm)
        return;
    CFGLockForm->RowSource = [this] { return FProject ? CollectCheckListRows(*FProject) : std::vector<CheckListRow>{}; };
    CFGLockForm->exec();
}

void TCX4AppForm::DeviceRemoved()
{
    FModuleClipboard.ForgetDevice(nullptr);
    ProjectTree->setCurrentItem(nullptr);
    if (auto* panel = findChild<QWidget*>("DevicePanel"))
        panel->hide();
}

void TCX4AppForm::SetAction(const char* Name, bool Enabled)
{
    if (QAction* action = Action(Name))
        action->setEnabled(Enabled);
}

void TCX4AppForm::SetWidget(const char* Name, bool Enabled)
{
    const QString name = QString::fromLatin1(Name);
    QPointer<QWidget>& kept = FNamedWidgets[name];
    if (!kept || kept->objectName() != name)
        kept = findChild<QWidget*>(name);
    if (kept)
        kept->setEnabled(Enabled);
}

QWidget* TCX4AppForm::PagePanel(const char* Name) const
{
    const auto page = std::find_if(PagePanels.begin(), PagePanels.end(),
                                   [Name](const QWidget* p) { return p->objectName() == QLatin1String(Name); });
    return page == PagePanels.end() ? nullptr : *page;
}

QTreeWidgetItem* TCX4AppForm::TreeItem(int AbsoluteIndex) const
{
    if (AbsoluteIndex < 0 || AbsoluteIndex >= static_cast<int>(FTreeItems.size()))
        return nullptr;
    return FTreeItems[static_cast<std::size_t>(AbsoluteIndex)];
}

QWidget* TCX4AppForm::VisiblePage() const
{
    for (QWidget* page : PagePanels)
        if (!page->isHidden())
            return page;
    return nullptr;
}

void TCX4AppForm::BuildProjectTree()
{
    if (!FProject)
        return;
    const auto current = std::find(FTreeItems.begin(), FTreeItems.end(), ProjectTree->currentItem());
    const int selected = current == FTreeItems.end() ? -1 : static_cast<int>(current - FTreeItems.begin());
    // A rebuild keeps the branches the user opened, and the frame table where it was scrolled.
    std::set<TreeNodeKey> expanded;
    for (std::size_t i = 0; i < FTreeItems.size() && i < FTreeNodes.size(); ++i)
        if (FTreeItems[i]->isExpanded())
            expanded.insert(KeyOf(FTreeNodes[i]));
    FKeptSlotScroll.reset();
    if (auto* slotPanel = FSlotPanel; slotPanel && slotPanel->isVisible())
        FKeptSlotScroll = KeptScroll{FCurDevice, FCurSlot, slotPanel->ScrollPosition()};

    const DeviceButtons buttons = DeviceButtonStates(*FProject);
    Button51->setEnabled(buttons.RemoveEnabled);
    SetAction("RemoveDevice1", buttons.RemoveEnabled);
    Button50->setEnabled(buttons.AddEnabled);
    SetAction("AddSystem1", buttons.AddEnabled);

    {
        // Clearing and refilling never switches pages; only the selection at the end does.
        const QSignalBlocker blocker(ProjectTree);
        ProjectTree->setUpdatesEnabled(false);
        ProjectTree->clear();
        FTreeItems.clear();
        FTreeRoot = nullptr;
        struct Resume {
            QTreeWidget* tree;
            ~Resume() { tree->setUpdatesEnabled(true); }
        } resume{ProjectTree};
        FTreeNodes = ProjectTreeNodes(*FProject);
        std::vector<QTreeWidgetItem*> parents;
        for (const TreeNodeSpec& node : FTreeNodes) {
            parents.resize(static_cast<std::size_t>(node.Level));
            auto* item = parents.empty() ? new QTreeWidgetItem(ProjectTree) : new QTreeWidgetItem(parents.back());
            item->setText(0, platform::fromCp1252(node.Text));
            item->setData(0, Qt::UserRole, node.ImageIndex);
            FTreeItems.push_back(item);
            parents.push_back(item);
            if (expanded.contains(KeyOf(node)))
                item->setExpanded(true);
            if (node.Level == 0)
                FTreeRoot = item;
            else if (node.Level == 1)
                FProject->SetDeviceTreeNode(node.Device, item);
        }
    }
    if (QTreeWidgetItem* item = TreeItem(selected))
        ProjectTree->setCurrentItem(item);
    else if (selected >= 0)
        TreeChangeDelay->start(); // the new tree has no node at that position: the page goes with it
    if (FTreeRoot)
        FTreeRoot->setExpanded(true);
    UpdateCaption();
}

void TCX4AppForm::SelectRoot()
{
    if (FTreeRoot)
        ProjectTree->setCurrentItem(FTreeRoot);
}

void TCX4AppForm::ProjectTreeChange()
{
    const auto current = std::find(FTreeItems.begin(), FTreeItems.end(), ProjectTree->currentItem());
    const HeldSourceFills held;
    HideConsolePage();
    // The audio pages act on the device whose page was shown.
    FAudioPages->HideAudioSystemPages();
    for (QWidget* page : PagePanels)
        page->hide();
    HideLogicPage();
    if (!FProject || current == FTreeItems.end()) {
        // No node, no page: a page left shown would edit a device that is gone, or another one.
        FCurDevice = -1;
        Button51->setEnabled(false);
        SetAction("RemoveDevice1", false);
        return;
    }
    const PageRoute route = RouteNode(FTreeNodes, static_cast<int>(current - FTreeItems.begin()));
    FCurDevice = route.CurDevice;
    const bool device = FCurDevice >= 0;
    for (const char* name : {"LoadexistingDevice1", "Fittingreport1", "ExtractMPJ1", "ExportFrameIOasCSV1"})
        SetAction(name, device);
    FProject->SetFitOptions(FPrefs.FitOptions());
    for (const char* name : {"RemoveDevice1", "LoadtoDevice1", "LoadFromDevice1"})
        SetAction(name, device);
    for (const char* name : {"Button51", "ToolButton7", "ToolButton8"})
        SetWidget(name, device);
    if (device)
        FDevHeader = FProject->DeviceHeader(FCurDevice);
    SourceWindowsFollowDevice();
    UpdateResourceGauges();

    if (route.Page == TreePage::DummyDevice) {
        for (const char* name : {"RemoveDevice1", "LoadtoDevice1", "LoadFromDevice1", "LoadexistingDevice1", "ExtractMPJ1",
                                 "ExportFrameIOasCSV1"})
            SetAction(name, false);
        for (const char* name : {"Button51", "ToolButton7", "ToolButton8"})
            SetWidget(name, false);
    }
    if (route.CurSlot >= 0)
        FCurSlot = route.CurSlot;
    if (auto* slotPanel = FSlotPanel; slotPanel && route.Page == TreePage::FrameIO)
        slotPanel->ShowSlotPanel(FProject->Model(), FCurDevice, FCurSlot);
    if (route.Page == TreePage::Console)
        ShowConsolePage();
    if (route.Page == TreePage::Device)
        FillDevicePage();
    if (auto* panel = PagePanel(route.Panel); panel && *route.Panel)
        panel->show();
    if (auto* slotPanel = FSlotPanel; slotPanel && route.Page == TreePage::FrameIO && FKeptSlotScroll &&
        FKeptSlotScroll->Device == FCurDevice && FKeptSlotScroll->Slot == FCurSlot)
        slotPanel->SetScrollPosition(FKeptSlotScroll->Position);
    FKeptSlotScroll.reset();
    if (route.Page == TreePage::Audio)
        FAudioPages->ShowAudioSystemPage(route.ImageIndex);
    if (route.Page == TreePage::Logic)
        ShowLogicPage(route.ImageIndex);
    if (route.Page != TreePage::DummyDevice) {
        UpdateCaption();
        RebuildSourceWindows();
    }
}

QMenu* TCX4AppForm::ProjectTreeContextPopup(const QPoint& MousePos)
{
    QTreeWidgetItem* item = ProjectTree->itemAt(MousePos);
    if (!item)
        return nullptr;
    ProjectTree->setFocus();
    ProjectTree->setCurrentItem(item);
    const auto found = std::find(FTreeItems.begin(), FTreeItems.end(), item);
    if (found == FTreeItems.end())
        return nullptr;
    const int level = FTreeNodes[static_cast<std::size_t>(found - FTreeItems.begin())].Level;
    QMenu* menu = level == 0 ? PopupMenu1 : level == 1 ? PopupMenu3 : nullptr;
    if (menu)
        menu->popup(ProjectTree->viewport()->mapToGlobal(MousePos));
    return menu;
}

void TCX4AppForm::Timer2Timer()
{
    if (auto* group = findChild<QWidget*>("GroupBox22"))
        group->hide();
    Timer2->stop();
}

void TCX4AppForm::StructInfo1Click()
{
    platform::prompter().showMessage("42");
}

} // namespace kvr::app
