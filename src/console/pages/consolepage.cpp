#include "console/pages/consolepage.h"

#include "console/pages/consolewidgets.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QVBoxLayout>

namespace kvr::console {

namespace {

QString Q(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QAction* ActionNamed(const QMenu& menu, const char* name)
{
    for (QAction* action : menu.actions()) {
        if (action->objectName() == QLatin1String(name))
            return action;
    }
    return nullptr;
}

// Filling controls in code never writes the device.
struct FillGuard {
    explicit FillGuard(ConsoleEditorState& s) : state(s) { ++state.Filling; }
    ~FillGuard() { --state.Filling; }
    ConsoleEditorState& state;
};

} // namespace

ConsolePage::ConsolePage(ConsoleEditorState& state, ModuleClipboard& clipboard, ConsoleHost& host, QWidget* parent)
    : QWidget(parent), state_(state), controller_(state, clipboard, host)
{
    setObjectName("ConsolePage");
    Build();
}

void ConsolePage::Build()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    TabControl1 = new QTabBar(this);
    TabControl1->setObjectName("TabControl1");
    for (const char* caption : {"Keys", "Console", "Authorisation"})
        TabControl1->addTab(caption);
    connect(TabControl1, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index < 0)
            return;
        controller_.SetPageMode(index);
        ShowGroups();
        Refresh();
    });
    layout->addWidget(TabControl1);

    GroupBox9 = new QGroupBox("Console Layout", this);
    GroupBox9->setObjectName("GroupBox9");
    auto* consoleLayout = new QVBoxLayout(GroupBox9);
    TabControl2 = new QTabBar(GroupBox9);
    TabControl2->setObjectName("TabControl2");
    TabControl2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TabControl2, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index < 0)
            return;
        controller_.ChangeConsole(index);
        Refresh();
    });
    TabPopup = new QMenu(TabControl2);
    QAction* add = TabPopup->addAction("Add Console");
    add->setObjectName("AddConsole2");
    connect(add, &QAction::triggered, this, [this] {
        controller_.AddConsole();
        FillTabs();
    });
    QAction* remove = TabPopup->addAction("Remove Console");
    remove->setObjectName("RemoveCOnsole2");
    connect(remove, &QAction::triggered, this, [this] {
        controller_.RemoveConsole();
        FillTabs();
        Refresh();
    });
    QAction* rename = TabPopup->addAction("Rename Console");
    rename->setObjectName("RenameConsole1");
    connect(rename, &QAction::triggered, this, [this] {
        controller_.RenameConsole();
        FillTabs();
    });
    connect(TabControl2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { TabPopup->popup(TabControl2->mapToGlobal(at)); });
    consoleLayout->addWidget(TabControl2);

    ScrollBox1 = new QScrollArea(GroupBox9);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setWidgetResizable(true);
    ConsoleImg = new ConsoleImage(controller_, ScrollBox1);
    ConsoleImg->Changed = [this] { Refresh(); };
    ConsoleImg->PopupRequested = [this](const QPoint& at) { PopupAt(at); };
    ScrollBox1->setWidget(ConsoleImg);
    consoleLayout->addWidget(ScrollBox1, 1);
    layout->addWidget(GroupBox9, 1);

    ConsolePopup = new QMenu(ConsoleImg);
    ConsolePopup->setObjectName("ConsolePopup");
    const auto item = [this](const char* name, const char* caption, void (ConsolePageController::*command)()) {
        QAction* action = ConsolePopup->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, command] {
            (controller_.*command)();
            Refresh();
        });
    };
    item("Cut1", "Cut Module", &ConsolePageController::CutModule);
    item("CopyModule1", "Copy Module", &ConsolePageController::CopyModule);
    item("PasteModule1", "Paste Module", &ConsolePageController::PasteModule);
    item("Remove6", "Delete Module", &ConsolePageController::DeleteModule);
    ConsolePopup->addSeparator();
    item("Printselectedconsolelayout1", "Print module layout", &ConsolePageController::PrintModuleLayout);

    auto* lower = new QHBoxLayout;
    GroupBox12 = new QGroupBox("Available Modules", this);
    GroupBox12->setObjectName("GroupBox12");
    auto* paletteLayout = new QVBoxLayout(GroupBox12);
    ListView2 = new ModulePaletteView(controller_, GroupBox12);
    ListView2->Changed = [this] { Refresh(); };
    paletteLayout->addWidget(ListView2);
    lower->addWidget(GroupBox12, 1);

    GroupBox13 = new QGroupBox("Selected Module", this);
    GroupBox13->setObjectName("GroupBox13");
    GroupBox13->setMinimumSize(341, 280);
    ModuleImg = new ModuleImage(controller_, state_, GroupBox13);
    ModuleImg->Changed = [this] { Refresh(); };
    lower->addWidget(GroupBox13);

    GroupBox2 = new QGroupBox("Key Options", this);
    GroupBox2->setObjectName("GroupBox2");
    lower->addWidget(GroupBox2, 1);

    GroupBox17 = new QGroupBox("Other Options", this);
    GroupBox17->setObjectName("GroupBox17");
    auto* identity = new QFormLayout(GroupBox17);
    auto* access = new QHBoxLayout;
    Edit4 = new QLineEdit(GroupBox17);
    Edit4->setObjectName("Edit4");
    Edit4->setReadOnly(true);
    UpDown2 = new QSpinBox(GroupBox17);
    UpDown2->setObjectName("UpDown2");
    UpDown2->setRange(1, 4);
    connect(UpDown2, &QSpinBox::valueChanged, this, [this](int value) {
        if (state_.Filling)
            return;
        controller_.SetAccessGroup(value);
        Refresh();
    });
    access->addWidget(Edit4);
    access->addWidget(UpDown2);
    identity->addRow("Access Group", access);
    Edit7 = new QLineEdit(GroupBox17);
    Edit7->setObjectName("Edit7");
    Edit7->setReadOnly(true);
    identity->addRow("Module ID", Edit7);
    Label17 = new QLabel(GroupBox17);
    Label17->setObjectName("Label17");
    identity->addRow("Module:", Label17);
    lower->addWidget(GroupBox17);

    auto* auth = new QGroupBox("Restrict key access to user groups", this);
    AuthPanel = auth;
    AuthPanel->setObjectName("AuthPanel");
    lower->addWidget(AuthPanel, 1);
    layout->addLayout(lower, 1);
}

void ConsolePage::FillTabs()
{
    const QSignalBlocker blocker(TabControl2);
    while (TabControl2->count() > 0)
        TabControl2->removeTab(0);
    for (const std::string& tab : controller_.Tabs())
        TabControl2->addTab(Q(tab));
    TabControl2->setCurrentIndex(state_.SelectedConsole);
    if (QAction* add = ActionNamed(*TabPopup, "AddConsole2"))
        add->setEnabled(controller_.AddConsoleEnabled());
}

void ConsolePage::ShowGroups()
{
    const PageGroups groups = GroupsOf(state_.PageMode);
    GroupBox2->setVisible(groups.KeyOptions);
    GroupBox13->setVisible(groups.SelectedModule);
    GroupBox17->setVisible(groups.OtherOptions);
    GroupBox12->setVisible(groups.Palette);
    AuthPanel->setVisible(groups.Authorisation);
}

void ConsolePage::ShowConsolePage()
{
    controller_.Show();
    {
        const QSignalBlocker blocker(TabControl1);
        TabControl1->setCurrentIndex(state_.PageMode);
    }
    FillTabs();
    ShowGroups();
    Refresh();
}

void ConsolePage::HideConsolePage()
{
    controller_.Hide();
}

void ConsolePage::Refresh()
{
    controller_.ReloadSelection();
    ConsoleImg->update();
    {
        const FillGuard guard(state_);
        const ModuleIdentity identity = controller_.Identity();
        Edit4->setText(Q(identity.AccessGroup));
        UpDown2->setValue(std::stoi(identity.AccessGroup));
        Edit7->setText(Q(identity.ModuleID));
        Label17->setText(Q(identity.Model));
    }
    ModuleImg->Fit(*GroupBox13);
}

void ConsolePage::PopupAt(const QPoint& globalPos)
{
    const PopupState popup = controller_.Popup();
    const std::pair<const char*, bool> states[] = {{"Cut1", popup.Cut},
                                                   {"CopyModule1", popup.Copy},
                                                   {"PasteModule1", popup.Paste},
                                                   {"Remove6", popup.Delete},
                                                   {"Printselectedconsolelayout1", popup.Print}};
    for (const auto& [name, enabled] : states) {
        if (QAction* action = ActionNamed(*ConsolePopup, name))
            action->setEnabled(enabled);
    }
    ConsolePopup->popup(globalPos);
}

void ConsolePage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ModuleImg->Fit(*GroupBox13);
}

} // namespace kvr::console
