#include "service/maintenance/mtnform.h"

#include <QAction>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "service/maintenance/memo.h"
#include "service/maintenance/mtnactions.h"
#include "diagnostics/kvrinfoformat.h"
#include "service/dialogs/servicedialogforms.h"
#include "service/factorytest/factorytestform.h"
#include "service/factorytest/networkfetcher.h"
#include "service/factorytest/protocolserver.h"
#include "service/firmware/progressform.h"
#include "service/maintenance/mtnmessages.h"
#include "service/moduleinfo/moduleinfoform.h"
#include "service/moduleinfo/smallxml.h"

namespace kvr::service {

namespace {

constexpr int NodeRole = Qt::UserRole + 1;

// Siblings sort by the frame's comparator of their texts.
class NodeItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& Other) const override
    {
        return CompareNodeTexts(Other.text(0).toStdString(), text(0).toStdString()) == 1;
    }
};

// A view that gives no node the focus of its own accord: taking the keyboard focus would
// otherwise make the first device current, and connect to it.
class ModuleTreeView : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

    // The node that had the focus when the last press came, before the press moved it.
    QTreeWidgetItem* CurrentAtPress = nullptr;

protected:
    void mousePressEvent(QMouseEvent* Event) override
    {
        CurrentAtPress = currentItem();
        QTreeWidget::mousePressEvent(Event);
    }
    void focusInEvent(QFocusEvent* Event) override
    {
        if (currentItem()) {
            QTreeWidget::focusInEvent(Event);
            return;
        }
        {
            const QSignalBlocker block(this);
            QTreeWidget::focusInEvent(Event);
            setCurrentItem(nullptr);
        }
        viewport()->update();
    }
};

TModuleNode* NodeOf(const QTreeWidgetItem* Item)
{
    return Item ? reinterpret_cast<TModuleNode*>(Item->data(0, NodeRole).value<quintptr>()) : nullptr;
}

QString Text(const std::string& S)
{
    return QString::fromLatin1(S.data(), static_cast<qsizetype>(S.size()));
}

} // namespace

TMtnForm::TMtnForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("MtnForm");
    setWindowTitle("KVR Maintenance Window");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    resize(1060, 560);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ModulesMainMenu = new QMenuBar(this);
    ModulesMainMenu->setObjectName("ModulesMainMenu");
    layout->setMenuBar(ModulesMainMenu);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName("VertSplitter2");
    ModuleVST = new ModuleTreeView(splitter);
    ModuleVST->setObjectName("ModuleVST");
    ModuleVST->setHeaderHidden(true);
    ModuleVST->setColumnCount(1);
    ModuleVST->setMinimumHeight(251);
    ModuleVST->setMinimumWidth(280);
    ModuleVST->setSortingEnabled(true);
    ModuleVST->sortByColumn(0, Qt::AscendingOrder);
    ModuleVST->setContextMenuPolicy(Qt::CustomContextMenu);
    MaintenanceMemo = NewCourierMemo(splitter, "MaintenanceMemo");
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    auto* status = new QStatusBar(this);
    status->setObjectName("MaintenanceStatusBar");
    status->setSizeGripEnabled(false);
    for (int width : {120, 200, 150, 80, 150}) {
        auto* label = new QLabel(status);
        // The stored widths, grown where a wider font needs it.
        label->setMinimumWidth(width);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        status->addWidget(label);
        StatusPanels.push_back(label);
    }
    ProgressBar = new QProgressBar(StatusPanels[spProgress]);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setGeometry(0, 0, 150 - 2 - 15, 16);
    ProgressBar->hide();
    layout->addWidget(status);

    ModulRefreshTimer = new QTimer(this);
    ModulRefreshTimer->setInterval(500);
    connect(ModulRefreshTimer, &QTimer::timeout, this, [this] {
        if (FFrame)
            FFrame->ModulRefreshTimerTimer();
    });
    MemoLogUpdate = new QTimer(this);
    MemoLogUpdate->setInterval(50);
    connect(MemoLogUpdate, &QTimer::timeout, this, &TMtnForm::MemoLogUpdateTimer);

    ModulesPopUp = new QMenu(this);
    ModulesPopUp->setObjectName("ModulesPopUp");
    BuildMenus();

    connect(ModuleVST, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* Current, QTreeWidgetItem*) {
        if (!FFrame || FSyncing)
            return;
        FFrame->SetFocus(NodeOf(Current));
        ScheduleSync();
    });
    // A click on the node that had the focus already is no focus change; with the connection
    // gone (a restart, a lost link) it connects again.
    connect(ModuleVST, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* Item) {
        auto* view = static_cast<ModuleTreeView*>(ModuleVST);
        if (!FFrame || FSyncing || Item != view->CurrentAtPress || NodeOf(Item) != FFrame->Focused())
            return;
        FFrame->FocusedNodeClicked();
        ScheduleSync();
    });
    connect(ModuleVST, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* I) {
        if (TModuleNode* n = NodeOf(I))
            n->Expanded = true;
    });
    connect(ModuleVST, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* I) {
        if (TModuleNode* n = NodeOf(I))
            n->Expanded = false;
    });
    connect(ModuleVST, &QWidget::customContextMenuRequested, this, [this](const QPoint& At) {
        // A right click selects the node under it first.
        if (QTreeWidgetItem* item = ModuleVST->itemAt(At))
            ModuleVST->setCurrentItem(item);
        SyncView();
        ModulesPopUp->popup(ModuleVST->viewport()->mapToGlobal(At));
    });
}

TMtnForm::~TMtnForm()
{
    ModulRefreshTimer->stop();
    MemoLogUpdate->stop();
    FUpdate.reset();
    FInfo.reset();
    FActions.reset();
    FFrame.reset();
}

TModuleInfoForm* TMtnForm::ModuleInfoForm()
{
    if (!FInfoForm) {
        FInfoForm = new TModuleInfoForm(this);
        FInfoForm->setFont(font());
        FInfoForm->ForwardKey = [this](int Key) {
            if (QAction* a = Action(Key == Qt::Key_F11 ? "ModuleInfoActn" : "SerialNumbersActn"); a && a->isEnabled())
                a->trigger();
        };
    }
    return FInfoForm;
}

QAction* TMtnForm::MakeAction(const std::string& Name)
{
    const TMtnActionSpec* spec = FindMaintenanceAction(Name);
    auto* a = new QAction(spec ? QString::fromLatin1(spec->Caption) : QString::fromStdString(Name), this);
    a->setObjectName(QString::fromStdString(Name));
    if (spec && *spec->Shortcut)
        a->setShortcut(QKeySequence(QString::fromLatin1(spec->Shortcut)));
    a->setCheckable(spec && spec->Checkable);
    connect(a, &QAction::triggered, this, [this, Name] { Run(Name); });
    return a;
}

QAction* TMtnForm::Action(const std::string& Name) const
{
    const auto it = FActionsByName.find(Name);
    return it == FActionsByName.end() ? nullptr : it->second;
}

void TMtnForm::AddEntries(QMenu* Menu, const std::vector<TMtnMenuEntry>& Entries)
{
    for (const TMtnMenuEntry& e : Entries) {
        if (std::string(e.Action) == "-") {
            Menu->addSeparator();
            continue;
        }
        if (!e.Items.empty()) {
            QMenu* sub = Menu->addMenu(QString::fromLatin1(e.Action));
            sub->menuAction()->setObjectName(QString::fromLatin1(e.Name));
            FBound.push_back({sub->menuAction(), e.Name, e.Name});
            AddEntries(sub, e.Items);
            continue;
        }
        QAction* shared = Action(e.Action);
        if (!*e.Name || !shared) {
            // An action shows in every menu that lists it, with its own state.
            if (!shared) {
                shared = MakeAction(e.Action);
                FActionsByName[e.Action] = shared;
                addAction(shared); // shortcuts work while its menu is hidden
                FBound.push_back({shared, "", e.Action});
            }
            Menu->addAction(shared);
            continue;
        }
        // An entry with a state of its own needs an action of its own.
        QAction* own = MakeAction(e.Action);
        own->setShortcut({});
        own->setObjectName(QString::fromLatin1(e.Name));
        Menu->addAction(own);
        FBound.push_back({own, e.Name, e.Action});
    }
}

void TMtnForm::BuildMenus()
{
    for (const TMtnMenuSpec& m : MaintenanceMainMenu()) {
        QMenu* menu = ModulesMainMenu->addMenu(QString::fromLatin1(m.Caption));
        menu->menuAction()->setObjectName(QString::fromLatin1(m.Name));
        FBound.push_back({menu->menuAction(), m.Name, m.Name});
        AddEntries(menu, m.Entries);
    }
    AddEntries(ModulesPopUp, MaintenancePopupMenu());
    // Actions in no menu (Refresh Device, F9) are reached by their shortcut.
    for (const TMtnActionSpec& spec : MaintenanceActions()) {
        if (Action(spec.Name))
            continue;
        QAction* a = MakeAction(spec.Name);
        FActionsByName[spec.Name] = a;
        addAction(a);
        FBound.push_back({a, "", spec.Name});
    }
}

void TMtnForm::Run(const std::string& Name)
{
    if (!FFrame)
        return;
    ServiceActions& act = *FActions;
    MaintenanceFrame& f = *FFrame;
    const std::map<std::string, std::function<void()>> builtIn = {
        {"CloseFormActn", [this] { hide(); }},
        {"AddDeviceActn", [&f] { f.AddDevice(); }},
        {"CloseDeviceActn", [&f] { f.CloseDevice(); }},
        {"RefreshAllDevicesActn", [&f] { f.RefreshAllDevices(); }},
        {"ResetDeviceActn", [&act] { act.ResetDevice(); }},
        {"ResetModuleActn", [&act] { act.ResetModule(); }},
        {"LampTestOn", [&act] { act.LampTest(true); }},
        {"LampTestOff", [&act] { act.LampTest(false); }},
        {"ClearParamMemActn", [&act] { act.ClearParamMem(); }},
        {"ResetHourMeterActn", [&act] { act.ResetHourMeter(); }},
        {"SaveSetup0Actn", [&act] { act.SaveSetup0(); }},
        {"SaveSetup1_6Actn", [&act] { act.SaveSetup1_6(); }},
        {"DeleteMixerSetupNamesActn", [&act] { act.DeleteMixerSetupNames(); }},
        {"DeleteChannelSetupNames", [&act] { act.DeleteChannelSetupNames(); }},
        {"DeleteChannelSetups", [&act] { act.DeleteChannelSetups(); }},
        {"SetDHCPActn", [&act] { act.SetDHCP(); }},
        {"SwitchMLCard", [&act] { act.SwitchMLCard(); }},
        {"ShowProtocolMM", [this, &f] { f.SetProtocol(Action("ShowProtocolMM")->isChecked()); }},
        {"FilterUDPErrors", [this, &f] { f.SetFilterForeignUDP(Action("FilterUDPErrors")->isChecked()); }},
        {"ClearMemoMM", [this] { MaintenanceMemo->clear(); }},
        {"ShowFileAct", [&f] { f.ShowFile(); }},
        {"ModuleInfoActn", [this] { FInfo->ModuleInfoAction(); }},
        {"AllModuleInfoActn", [this] { FInfo->AllModuleInfoAction(); }},
        {"SerialNumbersActn", [this] { FInfo->SerialNumbersAction(); }},
        {"GetCardsActn", [this] { FInfo->GetCardsAction(); }},
        {"UpdateFirmwareActn",
         [this] {
             FUpdate->BurnOnly = Action("BurnOnly")->isChecked();
             FUpdate->Execute();
         }},
        {"SendCANBlockActn",
         [this, &f] {
             if (!FSender)
                 FSender = new TCBSendForm([&f](const KVRCANBlock& CB) { f.SendLoggedBlock(CB); }, this);
             FSender->show();
             FSender->raise();
         }},
        {"SetDeviceIPActn",
         [this, &f] {
             TSetIPForm form(f.KVRCC(), this);
             form.exec();
         }},
        {"AdjustContrastActn",
         [this, &f] {
             TAdjustmentsForm form(f.KVRCC(), this);
             form.exec();
         }},
        {"ShowInternalCANActn",
         [this, &f] {
             TModuleNode* node = f.Focused();
             if (!node || !node->DeviceNode()->Rec.Device)
                 return;
             const TDeviceInfo_cza& device = *node->DeviceNode()->Rec.Device;
             if (MonitorRefused(device)) {
                 InfoFormatter->ShowMessage(mmInternalCANSerial, "");
                 return;
             }
             auto client = std::make_unique<TKVRCommunicationClient>(nullptr, kvr::client::SystemServices());
             auto* monitor = new TInternalCAN(std::make_unique<InternalCANMonitor>(std::move(client), device), nullptr);
             monitor->setFont(font());
             monitor->show();
         }},
        {"FactoryTestActn",
         [this, &f] {
             TModuleNode* node = f.Focused();
             if (!node || node->Level() != 0 || !node->Rec.Device)
                 return;
             if (InfoFormatter->ShowMessage(mmInternetQuestion, "YN") != mrYes)
                 return;
             TFactoryTestFrm form(f, *node->Rec.Device, std::make_unique<NetworkFetcher>(), FactoryTestBaseUrl(f.Settings()),
                                  nullptr, this);
             form.setFont(font());
             form.exec();
         }},
        {"BurnOnly", [this, &f] { f.MutableItem("BurnOnly").Checked = Action("BurnOnly")->isChecked(); }},
        {"XMLModuleList",
         [this, &f] {
             if (!f.Focused())
                 return;
             std::vector<std::string> lines;
             WriteModuleListXML(lines, f.Focused()->DeviceNode()->Rec.Device, f.Connected());
             for (const std::string& line : lines)
                 MaintenanceMemo->appendPlainText(Text(line));
         }},
    };
    if (const auto h = Handlers.find(Name); h != Handlers.end()) {
        h->second();
    } else if (const auto b = builtIn.find(Name); b != builtIn.end()) {
        b->second();
    } else if (Name.rfind("ID", 0) == 0) {
        const std::string digits = Name.substr(Name[2] == '_' ? 3 : 2);
        act.SetModuleID(std::stoi(digits) - 1);
    }
    SyncView();
}

void TMtnForm::SetCommunicationClient(std::unique_ptr<TKVRCommunicationClient> Client, TMaintenanceServices Services)
{
    FActions.reset();
    FFrame = std::make_unique<MaintenanceFrame>(std::move(Client), std::move(Services));
    FActions = std::make_unique<ServiceActions>(*FFrame);
    FInfo = std::make_unique<ModuleInformation>(*FFrame);
    FInfo->Show = [this] {
        ModuleInfoForm()->SetLines({});
        ModuleInfoForm()->show();
        ModuleInfoForm()->raise();
    };
    FInfo->Changed = [this] { ModuleInfoForm()->SetLines(FInfo->Lines); };
    FFrame->OnCardModuleFocused = [this](TModuleNode& Module) { FInfo->ReadCardSlots(Module); };
    FUpdate = std::make_unique<FirmwareUpdate>(*FFrame);
    FUpdate->ChooseFile = []() -> std::optional<std::string> {
        platform::FileChoice choice;
        choice.filter = "KVR Update Files|*.upd";
        const auto path = platform::prompter().openFileName(choice);
        return path ? std::optional<std::string>(path->toStdString()) : std::nullopt;
    };
    FUpdate->EnableTree = [this](bool Enabled) { ModuleVST->setEnabled(Enabled); };
    // One progress window per update, freed at its end.
    auto progress = std::make_shared<QPointer<TProgressForm>>();
    FUpdate->Progress.Show = [this, progress](int Maximum) {
        *progress = new TProgressForm(this);
        (*progress)->setFont(font());
        (*progress)->ProgressBar->setRange(0, Maximum);
        (*progress)->show();
    };
    FUpdate->Progress.Position = [progress](int Position) {
        if (*progress)
            (*progress)->ProgressBar->setValue(Position);
    };
    FUpdate->Progress.CancelRequested = [progress] { return *progress && (*progress)->CancelRequested; };
    FUpdate->Progress.ClearCancel = [progress] {
        if (*progress)
            (*progress)->CancelRequested = false;
    };
    FUpdate->Progress.Hide = [progress] {
        if (*progress) {
            (*progress)->ProgressBar->setValue((*progress)->ProgressBar->maximum());
            (*progress)->hide();
            (*progress)->deleteLater();
        }
        *progress = nullptr;
    };
    FFrame->OnProgress = [this](int Position, int Maximum) {
        ProgressBar->setVisible(Maximum > 0);
        if (Maximum > 0) {
            ProgressBar->setRange(0, Maximum);
            ProgressBar->setValue(std::min(Position, Maximum));
        }
    };
    FFrame->OnChanged = [this] { ScheduleSync(); };
    FShownGeneration = ~0u;
    SyncView();
    ModulRefreshTimer->start();
    MemoLogUpdate->start();
}

void TMtnForm::ScheduleSync()
{
    if (FSyncQueued)
        return;
    FSyncQueued = true;
    QTimer::singleShot(0, this, [this] {
        FSyncQueued = false;
        SyncView();
    });
}

QTreeWidgetItem* TMtnForm::ItemOf(const TModuleNode* Node) const
{
    if (!Node)
        return nullptr;
    for (QTreeWidgetItemIterator it(ModuleVST); *it; ++it)
        if (NodeOf(*it) == Node)
            return *it;
    return nullptr;
}

void TMtnForm::AddItems(QTreeWidgetItem* Parent, TModuleNode& Node)
{
    auto* item = Parent ? new NodeItem(Parent) : new NodeItem(ModuleVST);
    item->setData(0, NodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(&Node)));
    FFrame->Tree().RefreshShownText(Node);
    item->setText(0, Text(Node.Rec.ShownText));
    for (auto& child : Node.Children)
        AddItems(item, *child);
    item->setExpanded(Node.Expanded);
}

void TMtnForm::RebuildTree()
{
    ModuleVST->clear();
    for (auto& root : FFrame->Tree().Roots())
        AddItems(nullptr, *root);
    // setExpanded before the children exist has no effect; apply it once more.
    for (QTreeWidgetItemIterator it(ModuleVST); *it; ++it)
        if (TModuleNode* n = NodeOf(*it))
            (*it)->setExpanded(n->Expanded);
    FShownGeneration = FFrame->Tree().Generation();
}

void TMtnForm::SyncView()
{
    if (!FFrame || FSyncing)
        return;
    kvr::client::TFlagScope scope(FSyncing, true);
    const QSignalBlocker block(ModuleVST);
    if (FShownGeneration != FFrame->Tree().Generation()) {
        RebuildTree();
    } else {
        for (QTreeWidgetItemIterator it(ModuleVST); *it; ++it)
            if (TModuleNode* n = NodeOf(*it); n && FFrame->Tree().RefreshShownText(*n))
                (*it)->setText(0, Text(n->Rec.ShownText));
    }
    ModuleVST->sortItems(0, Qt::AscendingOrder);
    QTreeWidgetItem* focus = ItemOf(FFrame->Focused());
    if (ModuleVST->currentItem() != focus) {
        ModuleVST->setCurrentItem(focus);
        if (!focus)
            ModuleVST->clearSelection();
    }
    ApplyStates();
    for (std::size_t i = 0; i < StatusPanels.size(); ++i)
        StatusPanels[i]->setText(Text(FFrame->StatusPanels()[i]));
}

void TMtnForm::ApplyStates()
{
    for (const Bound& b : FBound) {
        TItemState s = FFrame->Item(b.Target);
        if (!b.Own.empty() && b.Own != b.Target) {
            const TItemState own = FFrame->Item(b.Own);
            s.Enabled = s.Enabled && own.Enabled;
            s.Visible = s.Visible && own.Visible;
        }
        b.Action->setEnabled(s.Enabled);
        b.Action->setVisible(s.Visible);
        if (b.Action->isCheckable())
            b.Action->setChecked(s.Checked);
    }
}

void TMtnForm::MemoLogUpdateTimer()
{
    if (!FFrame || !FFrame->Log().HasPending())
        return;
    QScrollBar* bar = MaintenanceMemo->verticalScrollBar();
    const bool atEnd = !bar || bar->value() + bar->pageStep() >= bar->maximum() - 20;
    QStringList lines;
    for (const std::string& line : FFrame->Log().TakePending())
        lines << Text(line);
    MaintenanceMemo->appendPlainText(lines.join('\n'));
    TrimMemo();
    if (atEnd && bar)
        bar->setValue(bar->maximum());
}

void TMtnForm::TrimMemo()
{
    QTextDocument* doc = MaintenanceMemo->document();
    const std::size_t length = static_cast<std::size_t>(std::max(doc->characterCount() - 1, 0));
    const std::size_t cut = MemoTrimCount(length);
    if (cut == 0)
        return;
    QTextCursor cursor(doc);
    cursor.setPosition(0);
    cursor.setPosition(static_cast<int>(cut), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

} // namespace kvr::service
