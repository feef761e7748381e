#include "editors/audio/faderchannelframe.h"

#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/dragtarget.h"
#include "controls/kvrpoti3.h"
#include "diagnostics/kvrassert.h"
#include "editors/common/editorhost.h"
#include "editors/sources/rowdrag.h"
#include "editors/sources/sourcedrag.h"
#include "platform/text1252.h"

namespace kvr::editors {

using platform::fromCp1252;

namespace {

template <typename W>
W* Named(W* Widget, const char* Name)
{
    Widget->setObjectName(Name);
    return Widget;
}

QLabel* SourcePanel(QWidget* Parent, const char* Name, const char* Text = "")
{
    auto* panel = Named(new QLabel(Text, Parent), Name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setMinimumWidth(180);
    panel->setAcceptDrops(true);
    return panel;
}

QPushButton* SelectButton(QWidget* Parent, const char* Name)
{
    return Named(new QPushButton("Select ...", Parent), Name);
}

void Enable(std::initializer_list<QWidget*> Widgets, bool On)
{
    for (QWidget* w : Widgets)
        w->setEnabled(On);
}

constexpr FaderLogic kLogics[] = {FaderLogic::Lamp2, FaderLogic::Lamp, FaderLogic::MuteCondition, FaderLogic::Ready,
                                  FaderLogic::ChannelTimer};

} // namespace

TFaderChannelFrame::TFaderChannelFrame(EditorHost& Host, model::TProject& Project, int DeviceIndex, QWidget* Owner)
    : QWidget(Owner), FHost(Host)
{
    setObjectName("FaderChannelFrame");
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    auto* layout = new QHBoxLayout(this);
    BuildList();
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("Defined Channels", this));
    left->addWidget(FCHList, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(AddButton);
    buttons->addWidget(InsertButton);
    buttons->addWidget(RemoveButton);
    left->addLayout(buttons);
    layout->addLayout(left, 1);

    // The four groups one below the other, right-aligned 10 pixels from the edge.
    auto* editor = Named(new QWidget(this), "EditorPanel");
    editor->setFixedWidth(480);
    auto* right = new QVBoxLayout(editor);
    right->setContentsMargins(0, 0, 10, 0);
    right->addWidget(GeneralGroup = BuildGeneral());
    right->addWidget(FaderstartGroup = BuildFaderstart());
    right->addWidget(OutputMuteGroup = BuildOutputMute());
    right->addWidget(LogicGroup = BuildLogic());
    right->addStretch();
    layout->addWidget(editor);

    FEditor = std::make_unique<FaderChannelEditor>(Host, Project, DeviceIndex);
    FEditor->OnScheduleRefresh = [this] { ScheduleRefresh(); };
    for (const std::string& name : FEditor->PoolNames())
        FCHPoolBox->addItem(fromCp1252(name));
    // Nothing to edit until the first refresh has filled the groups: a field typed into before
    // that would write to no channel.
    ShowNoChannel();
    RefreshFaderChannelList();
    Timer1->start();
}

TFaderChannelFrame::~TFaderChannelFrame()
{
    // The editor unregisters from the source windows before the controls go.
    FEditor.reset();
}

void TFaderChannelFrame::BuildList()
{
    FCHList = Named(new RowDragList(this), "FCHList");
    FCHList->setHeaderLabels({"Channel", "Source", "Pool"});
    FCHList->header()->setSectionsClickable(false);
    FCHList->setColumnWidth(0, 90);
    FCHList->setColumnWidth(1, 140);
    FCHList->setColumnWidth(2, 65);
    FCHList->setMinimumWidth(300);
    FCHList->viewport()->installEventFilter(this);
    FCHList->installEventFilter(this);
    FCHList->setContextMenuPolicy(Qt::ActionsContextMenu);
    AddActn = new QAction("Add", this);
    InsertActn = new QAction("Insert", this);
    DelActn = new QAction("Remove", this);
    FCHList->addActions({AddActn, InsertActn, DelActn});
    AddButton = Named(new QPushButton("Add", this), "AddButton");
    InsertButton = Named(new QPushButton("Insert", this), "InsertButton");
    RemoveButton = Named(new QPushButton("Remove", this), "RemoveButton");
    connect(AddButton, &QPushButton::clicked, AddActn, &QAction::trigger);
    connect(InsertButton, &QPushButton::clicked, InsertActn, &QAction::trigger);
    connect(RemoveButton, &QPushButton::clicked, DelActn, &QAction::trigger);
    connect(AddActn, &QAction::triggered, this, [this] {
        FEditor->Add();
        ShowRows();
    });
    connect(InsertActn, &QAction::triggered, this, [this] {
        FEditor->Insert();
        ShowRows();
    });
    connect(DelActn, &QAction::triggered, this, [this] {
        FEditor->Remove();
        ShowRows();
    });
    connect(FCHList, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!FFillingList)
            FCHListSelectItem();
    });
}

QGroupBox* TFaderChannelFrame::BuildGeneral()
{
    auto* box = Named(new QGroupBox("General", this), "GeneralGroup");
    auto* grid = new QGridLayout(box);
    Panel10 = SourcePanel(box, "Panel10");
    FCHSourceSel = SelectButton(box, "FCHSourceSel");
    FCHLabelEdit = Named(new QLineEdit(box), "FCHLabelEdit");
    FCHLabelEdit->setMaxLength(16);
    platform::RefuseBeyondCp1252(FCHLabelEdit);
    Panel11 = SourcePanel(box, "Panel11");
    FCHMonitorLSel = SelectButton(box, "FCHMonitorLSel");
    Panel12 = SourcePanel(box, "Panel12");
    FCHMonitorRSel = SelectButton(box, "FCHMonitorRSel");
    FCHPoolBox = Named(new QComboBox(box), "FCHPoolBox");
    FCHGRSelect = Named(new QComboBox(box), "FCHGRSelect");
    FCHStereo = Named(new QCheckBox("Stereo", box), "FCHStereo");
    FCHCF = Named(new QCheckBox("Clean Feed", box), "FCHCF");
    FCHGlobalPool = Named(new QCheckBox("Global Pool", box), "FCHGlobalPool");
    grid->addWidget(new QLabel("Source", box), 0, 0);
    grid->addWidget(Panel10, 0, 1);
    grid->addWidget(FCHSourceSel, 0, 2);
    grid->addWidget(new QLabel("Label", box), 1, 0);
    grid->addWidget(FCHLabelEdit, 1, 1);
    grid->addWidget(new QLabel("Monitor Bus Source", box), 2, 0);
    grid->addWidget(Panel11, 2, 1);
    grid->addWidget(FCHMonitorLSel, 2, 2);
    grid->addWidget(Panel12, 3, 1);
    grid->addWidget(FCHMonitorRSel, 3, 2);
    grid->addWidget(new QLabel("Input Pool", box), 4, 0);
    grid->addWidget(FCHPoolBox, 4, 1);
    grid->addWidget(new QLabel("Global Resource", box), 5, 0);
    grid->addWidget(FCHGRSelect, 5, 1);
    auto* checks = new QHBoxLayout;
    checks->addWidget(FCHStereo);
    checks->addWidget(FCHCF);
    checks->addWidget(FCHGlobalPool);
    grid->addLayout(checks, 6, 0, 1, 3);
    for (QLabel* panel : {Panel10, Panel11, Panel12})
        panel->installEventFilter(this);

    connect(FCHSourceSel, &QPushButton::clicked, this, [this] { FEditor->SelectSource(); });
    connect(FCHMonitorLSel, &QPushButton::clicked, this, [this] { FEditor->SelectMonitor(false); });
    connect(FCHMonitorRSel, &QPushButton::clicked, this, [this] { FEditor->SelectMonitor(true); });
    connect(FCHLabelEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        FEditor->SetLabel(platform::toCp1252(text));
        ShowRows();
    });
    connect(FCHPoolBox, &QComboBox::activated, this, [this](int item) {
        FEditor->SetPool(item);
        ShowRows();
    });
    connect(FCHGRSelect, &QComboBox::activated, this, [this](int item) { FEditor->SetGlobalResource(item); });
    connect(FCHStereo, &QCheckBox::clicked, this, [this](bool on) {
        FEditor->SetStereo(on);
        ShowRows();
    });
    connect(FCHCF, &QCheckBox::clicked, this, [this](bool on) {
        FEditor->SetCleanFeed(on);
        ShowRows();
    });
    connect(FCHGlobalPool, &QCheckBox::clicked, this, [this](bool on) {
        FEditor->SetGlobalPool(on);
        ShowRows();
    });
    return box;
}

QGroupBox* TFaderChannelFrame::BuildFaderstart()
{
    auto* box = Named(new QGroupBox("Faderstart", this), "FaderstartGroup");
    auto* row = new QHBoxLayout(box);
    FCHFSLevelPot = Named(new controls::TKVRPoti3(box), "FCHFSLevelPot");
    FCHFSLevelPot->SetMin(0);
    FCHFSLevelPot->SetMax(6);
    FCHFSLevelPot->setFixedSize(48, 48);
    FSLevelText = Named(new QLabel("-oo dB", box), "FSLevelText");
    FSLevelText->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FSLevelText->setMinimumWidth(60);
    FSLevelText->setAlignment(Qt::AlignCenter);
    FSOnStart = Named(new QCheckBox("On Start", box), "FSOnStart");
    FSAutoOff = Named(new QCheckBox("Auto Off", box), "FSAutoOff");
    row->addWidget(FCHFSLevelPot);
    row->addWidget(FSLevelText);
    row->addWidget(FSOnStart);
    row->addWidget(FSAutoOff);
    row->addStretch();
    // The text follows the knob first; the editor writes only outside a fill.
    FCHFSLevelPot->OnChange = [this](controls::TKVRPoti3* Sender) {
        FSLevelText->setText(fromCp1252(FEditor->SetFaderStart(Sender->Position())));
    };
    connect(FSOnStart, &QCheckBox::clicked, this, [this](bool on) { FEditor->SetOnStart(on); });
    connect(FSAutoOff, &QCheckBox::clicked, this, [this](bool on) { FEditor->SetAutoOff(on); });
    return box;
}

QGroupBox* TFaderChannelFrame::BuildOutputMute()
{
    auto* box = Named(new QGroupBox("Output Mute Functions", this), "OutputMuteGroup");
    auto* grid = new QGridLayout(box);
    const char* names[] = {"FSMuteLogic1", "FSMuteLogic2", "FSMuteLogic3", "FSMuteLogic4", "FSMuteLogic5"};
    for (int i = 0; i < 5; ++i) {
        auto* check = Named(new QCheckBox(QString("Mute Logic %1").arg(i + 1), box), names[i]);
        FSMuteLogic[static_cast<std::size_t>(i)] = check;
        grid->addWidget(check, i / 3, i % 3);
        connect(check, &QCheckBox::clicked, this, [this, i](bool on) { FEditor->SetMuteLogic(i, on); });
    }
    return box;
}

QGroupBox* TFaderChannelFrame::BuildLogic()
{
    auto* box = Named(new QGroupBox("Logic Functions", this), "LogicGroup");
    auto* grid = new QGridLayout(box);
    struct Row {
        FaderLogic logic;
        const char* caption;
        const char* panel;
        const char* button;
        const char* text;
    };
    // Shown in this order; LogicPanels keeps the order of FaderLogic.
    const Row rows[] = {
        {FaderLogic::Ready, "Ready Signalisation", "FCHReadySig", "FCHReadySigSel", "OFF"},
        {FaderLogic::MuteCondition, "Mute Condition", "FCHMuteCond", "FCHMuteCondSel", ""},
        {FaderLogic::Lamp, "Faderfunction Lamp Source", "FCHLampSrc", "FCHLampSrcSel", ""},
        {FaderLogic::Lamp2, "Faderfunction 2 Lamp Source", "FCHLampSrc2", "FCHLampSrc2Sel", ""},
        {FaderLogic::ChannelTimer, "Channel Timer Running", "FCHChTimer", "FCHChTimerSel", ""},
    };
    int line = 0;
    for (const Row& r : rows) {
        const auto at = static_cast<std::size_t>(r.logic);
        LogicPanels[at] = SourcePanel(box, r.panel, r.text);
        LogicPanels[at]->installEventFilter(this);
        LogicSelects[at] = SelectButton(box, r.button);
        grid->addWidget(new QLabel(r.caption, box), line, 0);
        grid->addWidget(LogicPanels[at], line, 1);
        grid->addWidget(LogicSelects[at], line, 2);
        const FaderLogic logic = r.logic;
        connect(LogicSelects[at], &QPushButton::clicked, this, [this, logic] { FEditor->SelectLogic(logic); });
        ++line;
    }
    CheckBox14 = Named(new QCheckBox("Timer Reset", box), "CheckBox14");
    CheckBox16 = Named(new QCheckBox("Voice", box), "CheckBox16");
    CheckBox15 = Named(new QCheckBox("PGM1 Logic", box), "CheckBox15");
    CheckBox1 = Named(new QCheckBox("Solo effect return", box), "CheckBox1");
    auto* checks = new QGridLayout;
    checks->addWidget(CheckBox14, 0, 0);
    checks->addWidget(CheckBox16, 0, 1);
    checks->addWidget(CheckBox15, 1, 0);
    checks->addWidget(CheckBox1, 1, 1);
    grid->addLayout(checks, line, 0, 1, 3);
    const std::pair<QCheckBox*, FaderLogicOption> options[] = {
        {CheckBox14, foTimerReset}, {CheckBox16, foVoice}, {CheckBox15, foPGM1Logic}, {CheckBox1, foSoloEffectReturn}};
    for (const auto& [check, option] : options) {
        const FaderLogicOption bit = option;
        connect(check, &QCheckBox::clicked, this, [this, bit](bool on) { FEditor->SetLogicOption(bit, on); });
    }
    return box;
}

void TFaderChannelFrame::ScheduleRefresh()
{
    Timer1->stop();
    Timer1->setInterval(50);
    Timer1->start();
}

void TFaderChannelFrame::RefreshFaderChannelList()
{
    FEditor->RefreshFaderChannelList();
    ShowRows();
}

void TFaderChannelFrame::ShowRows()
{
    FFillingList = true;
    const auto& rows = FEditor->Rows();
    // Texts change in place; a changed row count refills the list.
    if (FCHList->topLevelItemCount() != static_cast<int>(rows.size())) {
        FCHList->clear();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            auto* Item = new QTreeWidgetItem(FCHList);
            KVR_ASSERT_IN("TFaderChannelFrame::RefreshFaderChannelList", Item);
        }
    }
    for (int i = 0; i < FCHList->topLevelItemCount(); ++i) {
        const FaderChannelRow& row = rows[static_cast<std::size_t>(i)];
        QTreeWidgetItem* item = FCHList->topLevelItem(i);
        item->setText(0, fromCp1252(row.Caption));
        item->setText(1, fromCp1252(row.Source));
        item->setText(2, fromCp1252(row.Pool));
        item->setData(0, Qt::UserRole, row.Number);
    }
    QTreeWidgetItem* selected = FEditor->Selected() >= 0 ? FCHList->topLevelItem(FEditor->Selected()) : nullptr;
    FCHList->setCurrentItem(selected);
    if (!selected)
        FCHList->clearSelection();
    else
        FCHList->scrollToItem(selected);
    FFillingList = false;
    ListActionStates();
}

void TFaderChannelFrame::ListActionStates()
{
    AddActn->setEnabled(FEditor->AddEnabled());
    AddButton->setEnabled(FEditor->AddEnabled());
    DelActn->setEnabled(FEditor->RemoveEnabled() && FEditor->Selected() >= 0);
    RemoveButton->setEnabled(DelActn->isEnabled());
    InsertActn->setEnabled(FEditor->Selected() >= 0);
    InsertButton->setEnabled(InsertActn->isEnabled());
}

void TFaderChannelFrame::FCHListSelectItem()
{
    QTreeWidgetItem* item = FCHList->currentItem();
    const int row = item && item->isSelected() ? FCHList->indexOfTopLevelItem(item) : -1;
    FEditor->Select(row);
    if (row < 0)
        for (QGroupBox* group : {GeneralGroup, FaderstartGroup, OutputMuteGroup, LogicGroup})
            DisableGroup(group);
}

void TFaderChannelFrame::DisableGroup(QGroupBox* Group)
{
    for (QWidget* child : Group->findChildren<QWidget*>())
        child->setEnabled(false);
}

void TFaderChannelFrame::Timer1Timer()
{
    Timer1->stop();
    // The source windows' assignments change rows behind the list's back.
    ShowRows();
    FEditor->Tick([this](const FaderChannelView* View) {
        if (View)
            Fill(*View);
        else
            ShowNoChannel();
    });
}

void TFaderChannelFrame::ShowNoChannel()
{
    for (QGroupBox* group : {GeneralGroup, FaderstartGroup, OutputMuteGroup, LogicGroup})
        group->hide();
    RemoveButton->setEnabled(false);
    DelActn->setEnabled(false);
    InsertButton->setEnabled(false);
    InsertActn->setEnabled(false);
}

void TFaderChannelFrame::Fill(const FaderChannelView& v)
{
    for (QGroupBox* group : {GeneralGroup, FaderstartGroup, OutputMuteGroup, LogicGroup}) {
        group->setEnabled(true);
        group->show();
        for (QWidget* child : group->findChildren<QWidget*>())
            child->setEnabled(true);
    }
    RemoveButton->setEnabled(true);
    DelActn->setEnabled(true);
    InsertButton->setEnabled(true);
    InsertActn->setEnabled(true);
    for (std::size_t i = 0; i < 5; ++i)
        FSMuteLogic[i]->setText(fromCp1252(v.MuteLogicCaptions[i]));
    FCHLabelEdit->setText(fromCp1252(v.Label));
    if (QTreeWidgetItem* row = FCHList->currentItem()) {
        row->setText(0, fromCp1252(v.RowCaption));
        FCHList->scrollToItem(row);
    }
    FCHGlobalPool->setEnabled(v.GlobalPoolEnabled);
    FCHGlobalPool->setChecked(v.GlobalPool);
    FaderstartGroup->setVisible(v.FaderstartVisible);
    OutputMuteGroup->setVisible(v.OutputMuteVisible);
    LogicGroup->setVisible(v.LogicFunctionsVisible);
    Enable({FCHStereo}, v.StereoEnabled);
    Enable({FCHCF}, v.CleanFeedEnabled);
    Enable({FCHMonitorLSel, FCHMonitorRSel}, v.MonitorSelectEnabled);
    Panel11->setText(fromCp1252(v.MonitorL));
    Panel12->setText(fromCp1252(v.MonitorR));
    FCHMonitorLSel->setProperty("tag", v.MonitorLTag);
    FCHMonitorRSel->setProperty("tag", v.MonitorRTag);
    Panel10->setText(fromCp1252(v.Source));
    FCHStereo->setChecked(v.Stereo);
    FSOnStart->setChecked(v.OnStart);
    FSAutoOff->setChecked(v.AutoOff);
    FCHCF->setChecked(v.CleanFeed);
    FCHPoolBox->setCurrentIndex(v.PoolItem);
    FCHGRSelect->clear();
    for (const std::string& name : v.Resources)
        FCHGRSelect->addItem(fromCp1252(name));
    FCHGRSelect->setCurrentIndex(v.ResourceItem);
    FCHFSLevelPot->SetPosition(v.FaderStart);
    FSLevelText->setText(fromCp1252(v.FaderStartText));
    for (std::size_t i = 0; i < 5; ++i)
        FSMuteLogic[i]->setChecked(v.MuteLogic[i]);
    CheckBox14->setChecked(v.TimerReset);
    CheckBox16->setChecked(v.Voice);
    CheckBox15->setChecked(v.PGM1Logic);
    CheckBox1->setChecked(v.SoloEffectReturn);
    for (std::size_t i = 0; i < 5; ++i) {
        LogicPanels[i]->setText(fromCp1252(v.LogicTexts[i]));
        LogicSelects[i]->setProperty("tag", v.LogicTags[i]);
    }
    FCHSourceSel->setProperty("tag", v.SourceTag);
    Panel10->setProperty("tag", v.PoolSourceTag);
}

bool TFaderChannelFrame::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FCHList && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete) {
        if (DelActn->isEnabled())
            DelActn->trigger();
        return true;
    }
    const bool rows = Watched == FCHList->viewport();
    const bool source = Watched == Panel10;
    const bool monitor = Watched == Panel11 || Watched == Panel12;
    const auto logic = std::find(LogicPanels.begin(), LogicPanels.end(), Watched);
    if ((rows || source || monitor || logic != LogicPanels.end()) &&
        controls::answerDragEvent(
            Event, {.Takes = [this, Watched](const QMimeData* Data) { return Takes(Watched, Data); },
                    .LandsAt = [this, Watched](const QDropEvent& Drag) { return LandsAt(Watched, Drag); },
                    .Dropped = [this, Watched](QDropEvent& Drop) { Dropped(Watched, Drop); }}))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

// The list takes its own rows; the source and monitor panels an audio source, the logic panels a
// logic source.
bool TFaderChannelFrame::Takes(QObject* Watched, const QMimeData* Data) const
{
    if (Watched == FCHList->viewport())
        return IsRowDragFrom(Data, FCHList);
    if (Watched == Panel10 || Watched == Panel11 || Watched == Panel12)
        return IsSourceDrag(Data, SourceDragKind::Audio);
    return IsSourceDrag(Data, SourceDragKind::Logic);
}

// A row lands on a row; a monitor panel takes only a source the monitor bus can carry.
bool TFaderChannelFrame::LandsAt(QObject* Watched, const QDropEvent& Drag) const
{
    if (Watched == FCHList->viewport())
        return RowAt(FCHList, Drag.position().toPoint()) >= 0;
    if (Watched != Panel11 && Watched != Panel12)
        return true;
    AudioSourcePicker* audio = FHost.AudioSources();
    return audio && FaderChannelEditor::MonitorAccepts(audio->SelectedSource());
}

void TFaderChannelFrame::Dropped(QObject* Watched, QDropEvent& Event)
{
    if (Watched == FCHList->viewport()) {
        FEditor->Move(FEditor->Selected(), RowAt(FCHList, Event.position().toPoint()));
        Event.setDropAction(Qt::IgnoreAction); // the editor reorders; the view keeps its items
        ShowRows();
        return;
    }
    if (Watched == Panel10) {
        FEditor->DropSource();
    } else if (Watched == Panel11 || Watched == Panel12) {
        FEditor->DropMonitor(Watched == Panel12);
    } else {
        const auto at = std::find(LogicPanels.begin(), LogicPanels.end(), Watched) - LogicPanels.begin();
        FEditor->DropLogic(kLogics[at]);
    }
    ShowRows();
}

} // namespace kvr::editors
