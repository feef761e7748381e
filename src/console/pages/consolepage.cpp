#include "console/pages/consolepage.h"

#include "console/pages/consolewidgets.h"
#include "console/pages/keyoptionspanel.h"
#include "console/pages/usergroupspanel.h"

#include "console/keyfunctioncatalogue.h"

#include "platform/text1252.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QVBoxLayout>

namespace kvr::console {

namespace {

// Text of the device image is Windows-1252.
QString Q(const std::string& text)
{
    return platform::fromCp1252(text);
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
    // The mode follows the tab shown, however the user changed it: a left press, the wheel or the
    // arrow keys. A press of another button changes no tab and so no mode. The page sets the
    // index itself only with the bar's signals blocked.
    connect(TabControl1, &QTabBar::currentChanged, this, [this](int index) {
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
    // The console shown follows the tab shown, as the mode does.
    connect(TabControl2, &QTabBar::currentChanged, this, [this](int index) {
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
    ConsoleImg->PaletteSelection = [this] { return ListView2->SelectedType(); };
    paletteLayout->addWidget(ListView2);
    lower->addWidget(GroupBox12, 1);

    GroupBox13 = new QGroupBox("Selected Module", this);
    GroupBox13->setObjectName("GroupBox13");
    GroupBox13->setMinimumSize(341, 280);
    ModuleImg = new ModuleImage(controller_, state_, GroupBox13);
    ModuleImg->Changed = [this] { Refresh(); };
    lower->addWidget(GroupBox13);

    BuildOptions(*lower);
    layout->addLayout(lower, 1);
}

void ConsolePage::BuildOptions(QHBoxLayout& lower)
{
    GroupBox2 = new QGroupBox("Key Options", this);
    GroupBox2->setObjectName("GroupBox2");
    auto* keyLayout = new QVBoxLayout(GroupBox2);
    DependKeyBox = new QCheckBox("Independent Key", GroupBox2);
    DependKeyBox->setObjectName("DependKeyBox");
    connect(DependKeyBox, &QCheckBox::clicked, this, [this](bool ticked) {
        if (state_.Filling)
            return;
        controller_.IndependentKeyClicked(ticked);
        Refresh();
    });
    keyLayout->addWidget(DependKeyBox);
    KeyOptions = new KeyOptionsPanel(GroupBox2);
    KeyOptions->Editor = [this] { return controller_.KeyEditing(); };
    KeyOptions->Changed = [this] { Refresh(); };
    keyLayout->addWidget(KeyOptions);
    keyLayout->addStretch(1);
    lower.addWidget(GroupBox2, 1);

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
    Label3 = new QLabel("Access Group", GroupBox17);
    Label3->setObjectName("Label3");
    identity->addRow(Label3, access);
    Edit7 = new QLineEdit(GroupBox17);
    Edit7->setObjectName("Edit7");
    Edit7->setReadOnly(true);
    identity->addRow("Module ID", Edit7);
    Label17 = new QLabel(GroupBox17);
    Label17->setObjectName("Label17");
    identity->addRow("Module:", Label17);
    Zero_dB = new QCheckBox("0 dB at Fader max. position", GroupBox17);
    Zero_dB->setObjectName("Zero_dB");
    connect(Zero_dB, &QCheckBox::clicked, this, [this](bool ticked) { controller_.ZeroDbClicked(ticked); });
    identity->addRow(Zero_dB);
    InvertFader = new QCheckBox("Invert Fader Scale", GroupBox17);
    InvertFader->setObjectName("InvertFader");
    connect(InvertFader, &QCheckBox::clicked, this, [this](bool ticked) { controller_.InvertFaderClicked(ticked); });
    identity->addRow(InvertFader);
    panRotEncDefault = new QWidget(GroupBox17);
    panRotEncDefault->setObjectName("panRotEncDefault");
    auto* encoders = new QFormLayout(panRotEncDefault);
    encoders->setContentsMargins(0, 0, 0, 0);
    for (int n = 0; n < 5; ++n) {
        auto* box = new QComboBox(panRotEncDefault);
        box->setObjectName(QString("RotEnc%1Def").arg(n + 1));
        for (const TKeyFunctionDef& row : EncoderFunctionList())
            box->addItem(QString::fromLatin1(row.Caption.data(), static_cast<qsizetype>(row.Caption.size())));
        connect(box, &QComboBox::activated, this, [this, n](int item) { controller_.EncoderDefaultChanged(n + 1, item); });
        auto* label = new QLabel(QString("Rotary encoder %1 default:").arg(n + 1), panRotEncDefault);
        encoders->addRow(label, box);
        RotEncLabels[static_cast<std::size_t>(n)] = label;
        RotEncDefs[static_cast<std::size_t>(n)] = box;
    }
    identity->addRow(panRotEncDefault);
    Panel33 = new QLabel("Please select a module or key!", GroupBox17);
    Panel33->setObjectName("Panel33");
    identity->addRow(Panel33);
    lower.addWidget(GroupBox17);

    GroupBox35 = new QGroupBox("Special", this);
    GroupBox35->setObjectName("GroupBox35");
    auto* special = new QVBoxLayout(GroupBox35);
    DefaultDisplayPanel = new QWidget(GroupBox35);
    auto* display = new QVBoxLayout(DefaultDisplayPanel);
    display->addWidget(new QLabel("Select default display text", DefaultDisplayPanel));
    DisplayTextBox = new QComboBox(DefaultDisplayPanel);
    DisplayTextBox->setObjectName("DisplayTextBox");
    connect(DisplayTextBox, &QComboBox::activated, this, [this](int item) {
        if (state_.Filling)
            return;
        controller_.DisplayTextChanged(item);
        Refresh();
    });
    display->addWidget(DisplayTextBox);
    special->addWidget(DefaultDisplayPanel);
    DefaultRotSelPanel = new QWidget(GroupBox35);
    auto* selector = new QVBoxLayout(DefaultRotSelPanel);
    selector->addWidget(new QLabel("Rotary Monitor Selector :", DefaultRotSelPanel));
    RotSelDefaultBox = new QComboBox(DefaultRotSelPanel);
    RotSelDefaultBox->setObjectName("RotSelDefaultBox");
    for (int n = 0; n <= 30; ++n)
        RotSelDefaultBox->addItem(QString::number(n));
    connect(RotSelDefaultBox, &QComboBox::activated, this, [this](int item) {
        controller_.RotarySelectorDefaultChanged(item);
        Refresh();
    });
    selector->addWidget(RotSelDefaultBox);
    special->addWidget(DefaultRotSelPanel);
    Label50 = new QLabel(GroupBox35);
    Label50->setObjectName("Label50");
    special->addWidget(Label50);
    auto* lampSource = new SourceDropPanel("Panel23", GroupBox35);
    Panel23 = lampSource;
    special->addWidget(Panel23);
    Button44 = new QPushButton("Select...", GroupBox35);
    Button44->setObjectName("Button44");
    special->addWidget(Button44);
    KeyOptions->ConnectLampElement(*Button44, *lampSource);
    special->addStretch(1);
    lower.addWidget(GroupBox35, 1);

    auto* auth = new QGroupBox("Restrict key access to user groups", this);
    AuthPanel = auth;
    AuthPanel->setObjectName("AuthPanel");
    UserGroups = new UserGroupsPanel(AuthPanel);
    (new QVBoxLayout(AuthPanel))->addWidget(UserGroups);
    UserGroups->Clicked = [this](int group, bool ticked) {
        if (auto editor = controller_.KeyEditing())
            editor->UserGroupClicked(group, ticked);
        Refresh();
    };
    lower.addWidget(AuthPanel, 1);
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
    ShowPanel();
    ModuleImg->Fit(*GroupBox13);
}

void ConsolePage::ShowPanel()
{
    const ModulePanelView v = controller_.Panel();
    const FillGuard guard(state_);
    Label17->setText(Q(v.ModelLabel));
    Edit7->setText(Q(v.ModuleIDText));
    Edit4->setText(QString::number(v.AccessGroup));
    UpDown2->setValue(v.AccessGroup);
    for (QWidget* w : std::initializer_list<QWidget*>{Label3, Edit4, UpDown2})
        w->setVisible(v.AccessGroupVisible);
    GroupBox17->setVisible(v.OtherOptions);
    GroupBox17->setEnabled(v.OtherOptionsEnabled);
    Panel33->setVisible(v.PleaseSelect);
    GroupBox2->setVisible(v.KeyOptions);
    GroupBox35->setVisible(v.Special);
    AuthPanel->setVisible(v.AuthPanel);
    Zero_dB->setVisible(v.FaderOptions);
    InvertFader->setVisible(v.FaderOptions);
    Zero_dB->setChecked(v.ZeroDb);
    InvertFader->setChecked(v.InvertFader);
    panRotEncDefault->setVisible(v.Encoders);
    for (std::size_t n = 0; n < 5; ++n) {
        RotEncDefs[n]->setVisible(v.EncoderVisible[n]);
        RotEncLabels[n]->setVisible(v.EncoderVisible[n]);
        RotEncDefs[n]->setCurrentIndex(v.EncoderItem[n]);
    }
    DefaultRotSelPanel->setVisible(v.RotarySelector);
    RotSelDefaultBox->setCurrentIndex(v.RotarySelectorItem);
    DefaultDisplayPanel->setVisible(v.DisplayDefault);
    if (v.DisplayDefault) {
        const int kept = DisplayTextBox->currentIndex();
        DisplayTextBox->clear();
        for (const std::string& text : v.DisplayTexts)
            DisplayTextBox->addItem(Q(text));
        const int item = v.DisplayTextItem >= 0 ? v.DisplayTextItem : kept;
        DisplayTextBox->setCurrentIndex(item < DisplayTextBox->count() ? item : -1);
    }
    Label50->setVisible(v.LampSource);
    Label50->setText(Q(v.LampSourceLabel));
    DependKeyBox->setVisible(v.IndependentKey);
    DependKeyBox->setChecked(v.IndependentKeyTicked);
    Panel23->setVisible(v.LampSource);
    Button44->setVisible(v.LampSource);
    if (v.ShowUserGroups)
        UserGroups->Show(controller_.UserGroups(), state_.SelectedModuleType(), state_.SelectedKeyRecord);
    if (v.FillKeyFunctionList) {
        const KeyOptionsView keys = controller_.KeyOptions();
        KeyOptions->Show(keys);
        Panel23->setText(Q(keys.LeftSourceName));
        // A key shown in "Key Options" takes the typing in its label.
        if (keys.Shown && state_.PageMode != pmAuthorisation && GroupBox2->isVisible())
            KeyOptions->FocusLabel();
    }
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

} // namespace kvr::console
