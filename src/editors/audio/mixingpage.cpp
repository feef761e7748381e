#include "editors/audio/mixingpage.h"

#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dragtarget.h"
#include "controls/kvrpoti3.h"
#include "editors/common/editorhost.h"
#include "editors/audio/mixingfunctions.h"
#include "editors/common/sourceassign.h"
#include "editors/sources/sourcedrag.h"
#include "model/device.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"
#include "platform/text1252.h"

namespace kvr::editors {

using model::TBusRecord;

namespace {
constexpr int kCleanFeedImage = 16;

QLabel* Panel(QWidget* Parent, const char* Name)
{
    auto* panel = new QLabel(Parent);
    panel->setObjectName(Name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(140);
    return panel;
}

controls::TKVRPoti3* Knob(QWidget* Parent, const char* Name, int Min, int Max)
{
    auto* knob = new controls::TKVRPoti3(Parent);
    knob->setObjectName(Name);
    knob->SetMin(Min);
    knob->SetMax(Max);
    knob->setFixedSize(40, 40);
    return knob;
}

QString Text(const std::string& Text) { return platform::fromCp1252(Text); }
} // namespace

void TBusCountBox::stepBy(int Steps)
{
    const int from = value();
    const int to = std::clamp(from + Steps, minimum(), maximum());
    if (to == from || (Changing && !Changing(from, to)))
        return;
    QSpinBox::stepBy(Steps);
    FShown = value();
    if (Clicked)
        Clicked();
}

void TBusCountBox::Commit()
{
    const int to = value();
    if (to == FShown)
        return;
    if (Changing && !Changing(FShown, to)) {
        setValue(FShown);
        return;
    }
    FShown = to;
    if (Clicked)
        Clicked();
}

TMixingFunctionsPage::TMixingFunctionsPage(EditorHost& Host, QWidget* Parent) : AudioTabPage(Host, Parent)
{
    setObjectName("MixingFunctionsPage");
    auto* outer = new QVBoxLayout(this);
    auto* group = new QGroupBox("Mixing Functions", this);
    outer->addWidget(group);
    auto* layout = new QHBoxLayout(group);

    ListView13 = new QTreeWidget(group);
    ListView13->setObjectName("ListView13");
    ListView13->setRootIsDecorated(false);
    ListView13->setHeaderLabels({"Bus", "Talk Condition 1", "Talk Condition 2", "Source", "Output Selector"});
    for (int c = 0; c < 4; ++c)
        ListView13->setColumnWidth(c, 120);
    ListView13->setColumnWidth(4, 100);
    ListView13->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView13->setAcceptDrops(true);
    ListView13->viewport()->setAcceptDrops(true);
    ListView13->viewport()->installEventFilter(this);
    ListView13->setContextMenuPolicy(Qt::ActionsContextMenu);
    ListView13->setVisible(false);
    layout->addWidget(ListView13, 1);
    MMDelete1 = new QAction("Delete Clean Feed", this);
    connect(MMDelete1, &QAction::triggered, this, [this] { DeleteCleanFeedClick(); });

    auto* editor = new QGridLayout;
    layout->addLayout(editor);
    int line = 0;
    auto addRow = [&](const char* caption, QWidget* a, QWidget* b = nullptr) {
        editor->addWidget(new QLabel(caption, group), line, 0);
        editor->addWidget(a, line, 1);
        if (b)
            editor->addWidget(b, line, 2);
        ++line;
    };
    Edit24 = new TBusCountBox(group);
    Edit24->setObjectName("Edit24");
    Edit25 = new TBusCountBox(group);
    Edit25->setObjectName("Edit25");
    for (TBusCountBox* box : {Edit24, Edit25}) {
        box->setRange(0, 47);
        box->setKeyboardTracking(false);
    }
    addRow("Program Buses", Edit24);
    addRow("Aux Buses", Edit25);
    Edit23 = new QLineEdit(group);
    Edit23->setObjectName("Edit23");
    Edit23->setMaxLength(16);
    platform::RefuseBeyondCp1252(Edit23);
    addRow("Label", Edit23);
    CheckBox17 = new QCheckBox("Stereo", group);
    CheckBox17->setObjectName("CheckBox17");
    CheckBox18 = new QCheckBox("Limiter", group);
    CheckBox18->setObjectName("CheckBox18");
    editor->addWidget(CheckBox17, line, 1);
    editor->addWidget(CheckBox18, line++, 2);
    GroupBox23 = new QGroupBox("Limiter Configuration", group);
    GroupBox23->setObjectName("GroupBox23");
    auto* limiter = new QGridLayout(GroupBox23);
    Poti6 = Knob(GroupBox23, "Poti6", 0, 50);
    Panel5 = Panel(GroupBox23, "Panel5");
    Poti7 = Knob(GroupBox23, "Poti7", 3, 20);
    Panel6 = Panel(GroupBox23, "Panel6");
    limiter->addWidget(new QLabel("Threshold", GroupBox23), 0, 0);
    limiter->addWidget(Poti6, 0, 1);
    limiter->addWidget(Panel5, 0, 2);
    limiter->addWidget(new QLabel("Release", GroupBox23), 1, 0);
    limiter->addWidget(Poti7, 1, 1);
    limiter->addWidget(Panel6, 1, 2);
    GroupBox23->setVisible(false);
    editor->addWidget(GroupBox23, line++, 0, 1, 3);

    Panel26 = Panel(group, "Panel26");
    Panel27 = Panel(group, "Panel27");
    Panel28 = Panel(group, "Panel28");
    Panel29 = Panel(group, "Panel29");
    Button46 = new QPushButton("Select", group);
    Button47 = new QPushButton("Select", group);
    Button48 = new QPushButton("Select", group);
    Button49 = new QPushButton("Select", group);
    Button46->setObjectName("Button46");
    Button47->setObjectName("Button47");
    Button48->setObjectName("Button48");
    Button49->setObjectName("Button49");
    for (QLabel* panel : {Panel26, Panel27, Panel28, Panel29}) {
        panel->setAcceptDrops(true);
        panel->installEventFilter(this);
    }
    addRow("Talk 1 Source", Panel26, Button46);
    addRow("Talk 1 Condition", Panel27, Button47);
    addRow("Talk 2 Source", Panel28, Button48);
    addRow("Talk 2 Condition", Panel29, Button49);
    Poti8 = Knob(group, "Poti8", 0, 100);
    Panel30 = Panel(group, "Panel30");
    addRow("Talk attenuation", Poti8, Panel30);
    Label77 = new QLabel("Output Selector Source List", group);
    Label77->setObjectName("Label77");
    ComboBox12 = new QComboBox(group);
    ComboBox12->setObjectName("ComboBox12");
    editor->addWidget(Label77, line, 0);
    editor->addWidget(ComboBox12, line++, 1, 1, 2);
    CFOutDisabled = new QCheckBox("CFOut Gain Disabled", group);
    CFOutDisabled->setObjectName("CFOutDisabled");
    editor->addWidget(CFOutDisabled, line++, 1, 1, 2);
    editor->setRowStretch(line, 1);
    Label77->setVisible(false);
    ComboBox12->setVisible(false);
    CFOutDisabled->setVisible(false);

    Edit24->Changing = Edit25->Changing = [this](int From, int To) {
        if (FFilling || To <= From || !Device())
            return true;
        return MixingFunctionsTab(*Project(), DeviceIndex()).MayRaiseBusCount();
    };
    Edit24->Clicked = [this] { BusCountClick(true); };
    Edit25->Clicked = [this] { BusCountClick(false); };
    connect(Edit24, &QSpinBox::editingFinished, this, [this] { Edit24->Commit(); });
    connect(Edit25, &QSpinBox::editingFinished, this, [this] { Edit25->Commit(); });
    connect(ListView13, &QTreeWidget::itemClicked, this, [this] { ListView13SelectItem(); });
    connect(Edit23, &QLineEdit::textEdited, this, [this](const QString& Typed) {
        const int row = SelectedRow();
        if (row < 0 || FFilling || !Device())
            return;
        ListView13->topLevelItem(row)->setText(0, Typed);
        MixingFunctionsTab(*Project(), DeviceIndex()).SetLabel(row, platform::toCp1252(Typed));
        RebuildAudioWindow();
        SelectRow(ListView13, row);
    });
    connect(CheckBox17, &QCheckBox::clicked, this, [this](bool On) {
        const int row = SelectedRow();
        if (row < 0 || FFilling || !Device())
            return;
        MixingFunctionsTab(*Project(), DeviceIndex()).SetStereo(row, On);
        RebuildAudioWindow();
    });
    connect(CheckBox18, &QCheckBox::clicked, this, [this](bool On) {
        GroupBox23->setVisible(On);
        const int row = SelectedRow();
        if (row < 0 || FFilling || !Device())
            return;
        MixingFunctionsTab tab(*Project(), DeviceIndex());
        TBusRecord record;
        if (!tab.Record(row, record))
            return;
        {
            // The knobs show the stored values; their change handlers store nothing meanwhile.
            Guard guard(FFilling);
            Poti6->SetPosition(record.LimiterThreshold);
            Poti7->SetPosition(record.LimiterRelease);
        }
        tab.SetLimiter(row, On);
    });
    Poti6->OnChange = [this](controls::TKVRPoti3* Knob) {
        Panel5->setText(Text(MixingFunctionsTab::ThresholdText(Knob->Position())));
        const int row = SelectedRow();
        if (row >= 0 && !FFilling && Device())
            MixingFunctionsTab(*Project(), DeviceIndex()).SetThreshold(row, Knob->Position());
    };
    Poti7->OnChange = [this](controls::TKVRPoti3* Knob) {
        Panel6->setText(Text(MixingFunctionsTab::ReleaseText(Knob->Position())));
        const int row = SelectedRow();
        if (row >= 0 && !FFilling && Device())
            MixingFunctionsTab(*Project(), DeviceIndex()).SetRelease(row, Knob->Position());
    };
    Poti8->OnChange = [this](controls::TKVRPoti3* Knob) {
        Panel30->setText(Text(MixingFunctionsTab::AttenuationText(Knob->Position())));
        if (!FFilling && Device())
            MixingFunctionsTab(*Project(), DeviceIndex()).SetTalkAttenuation(Knob->Position());
    };
    connect(ComboBox12, &QComboBox::activated, this, [this](int Item) {
        const int row = SelectedRow();
        if (row < 0 || FFilling || !Device() || Item < 0)
            return;
        MixingFunctionsTab(*Project(), DeviceIndex()).SetOutputSelector(row, ComboBox12->itemData(Item).toInt());
        SelectRow(ListView13, row);
        ListView13->topLevelItem(row)->setText(4, Item == 0 ? QString() : ComboBox12->itemText(Item));
    });
    connect(CFOutDisabled, &QCheckBox::clicked, this, [this](bool On) {
        const int row = SelectedRow();
        if (row < 0 || FFilling || !Device())
            return;
        MixingFunctionsTab(*Project(), DeviceIndex()).SetCFOutDisabled(row, On);
        SelectRow(ListView13, row);
    });
    connect(Button46, &QPushButton::clicked, this, [this] { SelectTalkSource(atTalk1); });
    connect(Button48, &QPushButton::clicked, this, [this] { SelectTalkSource(atTalk2); });
    connect(Button47, &QPushButton::clicked, this, [this] { SelectTalkCondition(ltTalkCondition1); });
    connect(Button49, &QPushButton::clicked, this, [this] { SelectTalkCondition(ltTalkCondition2); });
}

int TMixingFunctionsPage::SelectedRow() const
{
    return CurrentRow(ListView13);
}

void TMixingFunctionsPage::TabShow()
{
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetTarget(atTalk1, this);
        audio->SetTarget(atTalk2, this);
    }
    if (LogicSourcePicker* logic = FHost.LogicSources()) {
        logic->SetTarget(ltTalkCondition1, this);
        logic->SetTarget(ltTalkCondition2, this);
    }
    FillMixingFunctions();
    ListView13->setVisible(true);
}

void TMixingFunctionsPage::TabHide()
{
    ListView13->setVisible(false);
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetTarget(atTalk1, nullptr);
        audio->SetTarget(atTalk2, nullptr);
    }
    if (LogicSourcePicker* logic = FHost.LogicSources()) {
        logic->SetTarget(ltTalkCondition1, nullptr);
        logic->SetTarget(ltTalkCondition2, nullptr);
    }
}

void TMixingFunctionsPage::FillMixingFunctions()
{
    if (FFilling || !Device())
        return;
    int row = -1;
    {
        Guard guard(FFilling);
        MixingFunctionsTab tab(*Project(), DeviceIndex());
        const MixingHeader header = tab.Header();
        Edit24->setValue(header.ProgramBuses);
        Edit24->FShown = Edit24->value();
        Edit25->setValue(header.AuxBuses);
        Edit25->FShown = Edit25->value();
        Poti8->SetPosition(header.TalkAttenuation);
        Panel30->setText(Text(MixingFunctionsTab::AttenuationText(header.TalkAttenuation)));
        Panel26->setText(Text(header.Talk1Name));
        Panel28->setText(Text(header.Talk2Name));
        row = SelectedRow();
        ComboBox12->clear();
        for (const OutputSelectorItem& item : tab.OutputSelectorItems())
            ComboBox12->addItem(Text(item.Text), item.Value);
        ListView13->clear();
        for (const MixingRow& r : tab.Rows()) {
            auto* item = new QTreeWidgetItem(
                ListView13, {Text(r.Caption), Text(r.Talk1), Text(r.Talk2), Text(r.Source), Text(r.OutputSelector)});
            item->setData(0, Qt::UserRole, r.CleanFeed >= 0 ? kCleanFeedImage : 0);
        }
    }
    FHost.UpdateResourceGauges();
    SelectRow(ListView13, row);
    ListView13SelectItem();
}

void TMixingFunctionsPage::ShowLimiter(bool On)
{
    GroupBox23->setVisible(On);
}

void TMixingFunctionsPage::ListView13SelectItem()
{
    const int row = SelectedRow();
    const bool selected = row >= 0 && Device();
    for (QWidget* w : std::initializer_list<QWidget*>{Edit23, CheckBox17, CheckBox18, Button47, Button49, Panel27,
                                                      Panel29, CFOutDisabled})
        w->setEnabled(selected);
    if (!selected)
        return;
    Guard guard(FFilling);
    MixingFunctionsTab tab(*Project(), DeviceIndex());
    TBusRecord record;
    if (!tab.Record(row, record))
        return;
    const bool cleanFeed = tab.IsCleanFeedRow(row);
    Label77->setVisible(cleanFeed);
    ComboBox12->setVisible(cleanFeed);
    CFOutDisabled->setVisible(cleanFeed);
    ListView13->removeAction(MMDelete1);
    if (cleanFeed) {
        // A list that is not offered selects no item.
        std::vector<OutputSelectorItem> items;
        for (int i = 0; i < ComboBox12->count(); ++i)
            items.push_back({{}, ComboBox12->itemData(i).toInt()});
        ComboBox12->setCurrentIndex(MixingFunctionsTab::ItemOfValue(items, record.SourceList));
        ListView13->addAction(MMDelete1);
        CFOutDisabled->setChecked((record.Flags & 0x20) != 0);
    } else {
        CFOutDisabled->setChecked(false);
    }
    const std::string talk1 = model::GetLogicSourceName(*Project(), record.Logic1, DeviceIndex());
    const std::string talk2 = model::GetLogicSourceName(*Project(), record.Logic2, DeviceIndex());
    QTreeWidgetItem* item = ListView13->topLevelItem(row);
    item->setText(1, Text(talk1));
    item->setText(2, Text(talk2));
    Edit23->setText(Text(model::LabelText(record.Label)));
    CheckBox17->setChecked(record.IsStereo());
    const bool limiter = (record.Flags & 0x40) != 0;
    CheckBox18->setChecked(limiter);
    ShowLimiter(limiter);
    Poti6->SetPosition(record.LimiterThreshold);
    Panel5->setText(Text(MixingFunctionsTab::ThresholdText(Poti6->Position())));
    Poti7->SetPosition(record.LimiterRelease);
    Panel6->setText(Text(MixingFunctionsTab::ReleaseText(Poti7->Position())));
    const MixingHeader header = tab.Header();
    Panel26->setText(Text(header.Talk1Name));
    Panel28->setText(Text(header.Talk2Name));
    Panel27->setText(Text(talk1));
    Panel29->setText(Text(talk2));
}

void TMixingFunctionsPage::RebuildAudioWindow()
{
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetDeviceIndex(DeviceIndex());
        audio->BuildSourceTree();
    }
}

void TMixingFunctionsPage::BusCountClick(bool Program)
{
    if (FFilling || !Device())
        return;
    MixingFunctionsTab tab(*Project(), DeviceIndex());
    if (Program)
        tab.SetProgramBuses(Edit24->value());
    else
        tab.SetAuxBuses(Edit25->value());
    FillMixingFunctions();
    RebuildAudioWindow();
}

void TMixingFunctionsPage::SelectTalkSource(int Kind)
{
    AudioSourcePicker* audio = FHost.AudioSources();
    if (!audio || !Device())
        return;
    const MixingHeader header = MixingFunctionsTab(*Project(), DeviceIndex()).Header();
    audio->SelectAudioSource(Kind == atTalk1 ? header.Talk1Source : header.Talk2Source);
    audio->SetTargetKind(Kind);
    audio->SetDeviceIndex(DeviceIndex());
    audio->ShowPicker();
}

void TMixingFunctionsPage::SelectTalkCondition(int Kind)
{
    const int row = SelectedRow();
    LogicSourcePicker* logic = FHost.LogicSources();
    TBusRecord record;
    if (row < 0 || !logic || !Device() || !MixingFunctionsTab(*Project(), DeviceIndex()).Record(row, record))
        return;
    logic->SetTargetKind(Kind);
    logic->SelectLogicSource(Kind == ltTalkCondition1 ? record.Logic1 : record.Logic2);
    logic->ShowPicker();
}

void TMixingFunctionsPage::DeleteCleanFeedClick()
{
    const int row = SelectedRow();
    if (row < 0 || !Device())
        return;
    if (!MixingFunctionsTab(*Project(), DeviceIndex()).DeleteCleanFeed(row))
        return;
    FillMixingFunctions();
    if (LogicSourcePicker* logic = FHost.LogicSources())
        logic->BuildSourceTree();
    RebuildAudioWindow();
}

TargetSelection TMixingFunctionsPage::Selection(int Kind)
{
    if ((Kind != ltTalkCondition1 && Kind != ltTalkCondition2) || !Device())
        return {};
    return MixingFunctionsTab(*Project(), DeviceIndex()).ConditionSelection(SelectedRow());
}

void TMixingFunctionsPage::Refresh(int, const PickedSource&)
{
    FillMixingFunctions();
}

bool TMixingFunctionsPage::eventFilter(QObject* Watched, QEvent* Event)
{
    const bool list = Watched == ListView13->viewport();
    const bool audioPanel = Watched == Panel26 || Watched == Panel28;
    const bool logicPanel = Watched == Panel27 || Watched == Panel29;
    if (!list && !audioPanel && !logicPanel)
        return QWidget::eventFilter(Watched, Event);
    controls::DropRules rules{.Takes = TakesSourceDrag(audioPanel ? SourceDragKind::Audio : SourceDragKind::Logic),
                              .Dropped = [this, Watched](QDropEvent& Drop) { SourceDropped(Watched, Drop); }};
    // Over the list only a row's condition columns take a condition.
    if (list)
        rules.LandsAt = [this](const QDropEvent& Drag) {
            const QPoint at = Drag.position().toPoint();
            return ListView13->itemAt(at) != nullptr &&
                   MixingFunctionsTab::ConditionKindOfColumn(ColumnAt(ListView13, at)) != 0;
        };
    if (controls::answerDragEvent(Event, rules))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

// The audio panels take the talkback sources, the logic panels and the list's condition columns
// the talkback conditions.
void TMixingFunctionsPage::SourceDropped(QObject* Watched, QDropEvent& Drop)
{
    const bool list = Watched == ListView13->viewport();
    const bool audioPanel = Watched == Panel26 || Watched == Panel28;
    if (!Device())
        return;
    if (audioPanel) {
        if (AudioSourcePicker* audio = FHost.AudioSources()) {
            audio->SetTargetKind(Watched == Panel26 ? atTalk1 : atTalk2);
            audio->Assign();
        }
        return;
    }
    LogicSourcePicker* logic = FHost.LogicSources();
    if (!logic)
        return;
    int target = Watched == Panel27 ? ltTalkCondition1 : ltTalkCondition2;
    if (list) {
        const QPoint at = Drop.position().toPoint();
        QTreeWidgetItem* item = ListView13->itemAt(at);
        if (!item)
            return;
        SelectRow(ListView13, ListView13->indexOfTopLevelItem(item));
        ListView13SelectItem();
        target = MixingFunctionsTab::ConditionKindOfColumn(ColumnAt(ListView13, at));
        if (target == 0)
            return;
    } else if (SelectedRow() < 0) {
        return;
    }
    logic->SetTargetKind(target);
    logic->Assign(AssignSender::Page);
}

} // namespace kvr::editors
