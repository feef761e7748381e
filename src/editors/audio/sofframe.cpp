#include "editors/audio/sofframe.h"

#include <QAction>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dragtarget.h"
#include "editors/audio/audiotabpage.h"
#include "editors/common/editorhost.h"
#include "editors/sources/rowdrag.h"
#include "editors/audio/sofeditor.h"
#include "editors/common/sourceassign.h"
#include "editors/sources/sourcedrag.h"
#include "model/device.h"
#include "model/project.h"
#include "platform/text1252.h"

namespace kvr::editors {

namespace {
constexpr int kConditionColumn = 0;

QString Text(const std::string& Text) { return platform::fromCp1252(Text); }

QLabel* Panel(QWidget* Parent, const char* Name)
{
    auto* panel = new QLabel(Parent);
    panel->setObjectName(Name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(180);
    return panel;
}

QPushButton* Button(QWidget* Parent, QAction* Action)
{
    auto* button = new QPushButton(Action->text(), Parent);
    QObject::connect(button, &QPushButton::clicked, Action, &QAction::trigger);
    QObject::connect(Action, &QAction::changed, button, [button, Action] { button->setEnabled(Action->isEnabled()); });
    return button;
}
} // namespace

TSOFFrame::TSOFFrame(EditorHost& Host, QWidget* Owner, int DeviceIndex)
    : QWidget(Owner), FHost(Host), FDeviceIndex(DeviceIndex)
{
    setObjectName("SOFFrame");
    auto* layout = new QHBoxLayout(this);
    auto* sofs = new QGroupBox("Super Output Functions", this);
    auto* sofLayout = new QVBoxLayout(sofs);
    SOFList = new QListWidget(sofs);
    SOFList->setObjectName("SOFList");
    SOFList->installEventFilter(this);
    sofLayout->addWidget(SOFList, 1);
    auto* sofButtons = new QHBoxLayout;
    AddButton = new QPushButton("Add", sofs);
    RemoveButton = new QPushButton("Remove", sofs);
    sofButtons->addWidget(AddButton);
    sofButtons->addWidget(RemoveButton);
    sofLayout->addLayout(sofButtons);
    auto* add = new QAction("Add", SOFList);
    auto* remove = new QAction("Remove", SOFList);
    SOFList->addAction(add);
    SOFList->addAction(remove);
    SOFList->setContextMenuPolicy(Qt::ActionsContextMenu);
    layout->addWidget(sofs);

    auto* edit = new QGroupBox("Edit Super Output Function", this);
    auto* editLayout = new QGridLayout(edit);
    txtSOFName = new QLineEdit(edit);
    txtSOFName->setObjectName("txtSOFName");
    txtSOFName->setMaxLength(16);
    platform::RefuseBeyondCp1252(txtSOFName);
    editLayout->addWidget(new QLabel("Label", edit), 0, 0);
    editLayout->addWidget(txtSOFName, 0, 1, 1, 2);
    InputList = new QListWidget(edit);
    InputList->setObjectName("InputList");
    for (int i = 1; i <= 16; ++i)
        InputList->addItem(QString("Input %1").arg(i));
    InputList->setMaximumWidth(100);
    editLayout->addWidget(new QLabel("Inputs", edit), 1, 0);
    editLayout->addWidget(InputList, 2, 0, 6, 1);
    SourceList = new QTreeWidget(edit);
    SourceList->setObjectName("SourceList");
    SourceList->setRootIsDecorated(false);
    SourceList->setHeaderLabels({"Condition", "Source", "Level"});
    SourceList->setColumnWidth(0, 120);
    SourceList->setColumnWidth(1, 120);
    SourceList->setColumnWidth(2, 80);
    SourceList->setSelectionMode(QAbstractItemView::SingleSelection);
    SourceList->setAcceptDrops(true);
    SourceList->viewport()->setAcceptDrops(true);
    SourceList->viewport()->installEventFilter(this);
    SourceList->setContextMenuPolicy(Qt::ActionsContextMenu);
    editLayout->addWidget(SourceList, 2, 1, 1, 2);

    InsertSource = new QAction("Insert Source", this);
    InsertSource->setShortcut(QKeySequence("Ctrl+A"));
    SelectCondition = new QAction("Select Condition ...", this);
    SelectSource = new QAction("Select Source ...", this);
    SetLevelOff = new QAction("Set Level Off", this);
    SetLevelOff->setShortcut(QKeySequence("Ctrl+L"));
    RemoveSource = new QAction("Remove Source", this);
    RemoveSource->setShortcut(QKeySequence("Ctrl+D"));
    for (QAction* action : {InsertSource, SelectCondition, SelectSource, SetLevelOff, RemoveSource}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        SourceList->addAction(action);
    }
    Panel1 = Panel(edit, "Panel1");
    Panel2 = Panel(edit, "Panel2");
    lblPhase = new QLabel(edit);
    lblPhase->setObjectName("lblPhase");
    editLayout->addWidget(new QLabel("Condition", edit), 3, 1);
    editLayout->addWidget(Panel1, 3, 2);
    editLayout->addWidget(new QLabel("Source", edit), 4, 1);
    editLayout->addWidget(Panel2, 4, 2);
    editLayout->addWidget(new QLabel("Phase Reverse", edit), 5, 1);
    editLayout->addWidget(lblPhase, 5, 2);
    auto* buttons = new QHBoxLayout;
    for (QAction* action : {InsertSource, RemoveSource, SelectCondition, SelectSource})
        buttons->addWidget(Button(edit, action));
    editLayout->addLayout(buttons, 6, 1, 1, 2);
    layout->addWidget(edit, 1);

    connect(AddButton, &QPushButton::clicked, this, [this] { AddSOF(); });
    connect(RemoveButton, &QPushButton::clicked, this, [this] { DelSOF(); });
    connect(add, &QAction::triggered, this, [this] { AddSOF(); });
    connect(remove, &QAction::triggered, this, [this] { DelSOF(); });
    connect(SOFList, &QListWidget::itemClicked, this, [this] { SOFListClick(); });
    connect(InputList, &QListWidget::itemClicked, this, [this] { ShowInput(); });
    connect(SourceList, &QTreeWidget::itemClicked, this, [this] { RowSelected(); });
    connect(SourceList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int Column) {
        RowSelected();
        if (Column == kConditionColumn)
            SelectConditionClick();
        else
            SelectSourceClick();
    });
    connect(txtSOFName, &QLineEdit::textEdited, this, [this](const QString& Typed) {
        const int sof = SelectedSOF();
        if (FUpdating || sof < 0)
            return;
        SOFEditor(*FHost.Project(), FDeviceIndex).SetLabel(sof, platform::toCp1252(Typed));
        SOFList->item(sof)->setText(Typed);
    });
    connect(InsertSource, &QAction::triggered, this, [this] {
        const int row = SOFEditor(*FHost.Project(), FDeviceIndex).InsertSource(SelectedSOF(), SelectedInput());
        if (row < 0)
            return;
        ShowInput();
        SelectRow(SourceList, row);
        RowSelected();
    });
    connect(RemoveSource, &QAction::triggered, this, [this] {
        if (SOFEditor(*FHost.Project(), FDeviceIndex).RemoveSource(SelectedSOF(), SelectedInput(), SelectedRow()))
            ShowInput();
    });
    connect(SetLevelOff, &QAction::triggered, this, [this] {
        if (SOFEditor(*FHost.Project(), FDeviceIndex).ToggleLevelOff(SelectedSOF(), SelectedInput(), SelectedRow()))
            ShowInput();
    });
    connect(SelectSource, &QAction::triggered, this, [this] { SelectSourceClick(); });
    connect(SelectCondition, &QAction::triggered, this, [this] { SelectConditionClick(); });

    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->SetTarget(atSOFInput, this);
    if (LogicSourcePicker* logic = FHost.LogicSources())
        logic->SetTarget(ltSOFCondition, this);
    FillSOFList();
    setVisible(true);
}

TSOFFrame::~TSOFFrame()
{
    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->SetTarget(atSOFInput, nullptr);
    if (LogicSourcePicker* logic = FHost.LogicSources())
        logic->SetTarget(ltSOFCondition, nullptr);
}

int TSOFFrame::SelectedSOF() const
{
    const QListWidgetItem* item = SOFList->currentItem();
    return item && item->isSelected() ? SOFList->row(item) : -1;
}

int TSOFFrame::SelectedInput() const
{
    const QListWidgetItem* item = InputList->currentItem();
    return item && item->isSelected() ? InputList->row(item) : -1;
}

int TSOFFrame::SelectedRow() const
{
    return CurrentRow(SourceList);
}

void TSOFFrame::FillSOFList()
{
    SOFEditor editor(*FHost.Project(), FDeviceIndex);
    const int selected = SelectedSOF();
    SOFList->clear();
    for (const std::string& label : editor.Labels())
        SOFList->addItem(Text(label));
    if (selected >= 0 && selected < SOFList->count()) {
        SOFList->setCurrentRow(selected);
        RemoveButton->setEnabled(true);
    } else {
        SOFList->setCurrentRow(-1);
        SOFList->clearSelection();
        RemoveButton->setEnabled(false);
    }
    AddButton->setEnabled(editor.MayAdd());
    if (SOFList->count() == 0)
        RemoveButton->setEnabled(false);
    FHost.UpdateResourceGauges();
    SOFListClick();
}

void TSOFFrame::SOFListClick()
{
    const bool selected = SelectedSOF() >= 0;
    for (QAction* action : {InsertSource, RemoveSource, SelectSource, SelectCondition})
        action->setEnabled(selected);
    for (QWidget* w : std::initializer_list<QWidget*>{Panel1, Panel2, txtSOFName, RemoveButton})
        w->setEnabled(selected);
    if (!selected) {
        SourceList->clear();
        return;
    }
    if (SelectedInput() < 0)
        InputList->setCurrentRow(0);
    ShowInput();
}

void TSOFFrame::ShowInput()
{
    const int sof = SelectedSOF();
    const int input = SelectedInput();
    if (sof < 0 || input < 0)
        return;
    SOFEditor editor(*FHost.Project(), FDeviceIndex);
    FUpdating = true;
    int row = std::max(SelectedRow(), 0);
    const auto labels = editor.Labels();
    if (sof < static_cast<int>(labels.size()))
        txtSOFName->setText(Text(labels[static_cast<std::size_t>(sof)]));
    const auto rows = editor.Input(sof, input);
    SourceList->clear();
    for (const SOFSourceRow& r : rows)
        new QTreeWidgetItem(SourceList, {Text(r.Condition), Text(r.Source), Text(r.Level)});
    InsertSource->setEnabled(rows.size() < 5);
    if (row >= SourceList->topLevelItemCount())
        row = SourceList->topLevelItemCount() - 1;
    SelectRow(SourceList, row);
    RowSelected();
    FUpdating = false;
}

void TSOFFrame::RowSelected()
{
    const int row = SelectedRow();
    RemoveSource->setEnabled(row > 0);
    SelectCondition->setEnabled(row > 0);
    SelectSource->setEnabled(row >= 0);
    const int sof = SelectedSOF();
    if (sof < 0 || row < 0)
        return;
    const auto rows = SOFEditor(*FHost.Project(), FDeviceIndex).Input(sof, SelectedInput());
    if (row >= static_cast<int>(rows.size()))
        return;
    const SOFSourceRow& r = rows[static_cast<std::size_t>(row)];
    Panel1->setText(Text(r.Condition));
    Panel2->setText(Text(r.Source));
    lblPhase->setText(r.Phase ? "Yes" : "No");
    SetLevelOff->setText(Text(SOFEditor::LevelActionCaption(r.Off)));
}

void TSOFFrame::AddSOF()
{
    const int index = SOFEditor(*FHost.Project(), FDeviceIndex).Add();
    if (index < 0)
        return;
    FillSOFList();
    SOFList->setCurrentRow(index);
    SOFListClick();
    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->BuildSourceTree();
}

void TSOFFrame::DelSOF()
{
    const int sof = SelectedSOF();
    if (sof < 0)
        return;
    SOFEditor(*FHost.Project(), FDeviceIndex).Remove(sof);
    FillSOFList();
}

void TSOFFrame::SelectSourceClick()
{
    const int sof = SelectedSOF();
    const int row = SelectedRow();
    AudioSourcePicker* audio = FHost.AudioSources();
    if (sof < 0 || row < 0 || SelectedInput() < 0 || !audio)
        return;
    const auto rows = SOFEditor(*FHost.Project(), FDeviceIndex).Input(sof, SelectedInput());
    if (row >= static_cast<int>(rows.size()))
        return;
    const SOFSourceRow& r = rows[static_cast<std::size_t>(row)];
    audio->SetTargetKind(atSOFInput);
    audio->SetDeviceIndex(FDeviceIndex);
    audio->SelectAudioSource(r.Audio);
    audio->SetLevel(r.LevelDb);
    audio->SelectPot(r.Pot);
    audio->ShowPicker();
}

void TSOFFrame::SelectConditionClick()
{
    const int row = SelectedRow();
    LogicSourcePicker* logic = FHost.LogicSources();
    if (row < 1 || SelectedSOF() < 0 || SelectedInput() < 0 || !logic)
        return;
    const auto rows = SOFEditor(*FHost.Project(), FDeviceIndex).Input(SelectedSOF(), SelectedInput());
    if (row >= static_cast<int>(rows.size()))
        return;
    logic->SelectLogicSource(rows[static_cast<std::size_t>(row)].Logic);
    logic->SetTargetKind(ltSOFCondition);
    logic->ShowPicker();
}

TargetSelection TSOFFrame::Selection(int)
{
    TargetSelection sel;
    if (SelectedSOF() < 0 || SelectedInput() < 0 || SelectedRow() < 0)
        return sel;
    sel.Element = SelectedSOF();
    sel.Row = SelectedRow();
    sel.Extra = SelectedInput();
    return sel;
}

void TSOFFrame::Take(int Kind, const PickedSource& Source, const TargetSelection& Selection)
{
    if (Selection.Element < 0)
        return;
    SOFEditor editor(*FHost.Project(), FDeviceIndex);
    if (Kind == atSOFInput)
        editor.SetSource(Selection.Element, Selection.Extra, Selection.Row, Source.Pot, Source.Level, Source.Ref);
    else if (Kind == ltSOFCondition)
        editor.SetCondition(Selection.Element, Selection.Extra, Selection.Row, Source.Ref);
    ShowInput();
}

bool TSOFFrame::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == SOFList && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete) {
        DelSOF();
        return true;
    }
    if (!SourceList || Watched != SourceList->viewport())
        return QWidget::eventFilter(Watched, Event);
    if (controls::answerDragEvent(Event, {.Takes =
                                              [this](const QMimeData* Data) {
                                                  return IsRowDragFrom(Data, SourceList) ||
                                                         IsSourceDrag(Data, SourceDragKind::Logic) ||
                                                         IsSourceDrag(Data, SourceDragKind::Audio);
                                              },
                                          .LandsAt = [this](const QDropEvent& Drag) { return SourceLandsAt(Drag); },
                                          .Dropped = [this](QDropEvent& Drop) { SourceDropped(Drop); }}))
        return true;
    switch (Event->type()) {
    case QEvent::MouseButtonPress: {
        auto* press = static_cast<QMouseEvent*>(Event);
        FRowDrag.Arm(press->button() == Qt::LeftButton && SelectedRow() > 0, press->position().toPoint());
        return false;
    }
    case QEvent::MouseMove: {
        return FRowDrag.StartIfFar(SourceList, static_cast<QMouseEvent*>(Event)->position().toPoint(),
                                   [this] { return MakeRowDrag(SourceList); }, Qt::MoveAction);
    }
    default: return QWidget::eventFilter(Watched, Event);
    }
}

void InstallSOFFrame(EditorHost& Host, AudioPageHost& Pages, QWidget* Panel)
{
    Pages.SetFrameFactory(AudioFrame::SOF, [&Host, Panel](int Device) -> std::unique_ptr<EditorFrame> {
        model::TProject* project = Host.Project();
        model::TDevice* dev = project ? project->Device(Device) : nullptr;
        if (!dev || dev->IsDummy())
            return nullptr;
        auto frame = std::make_unique<TSOFFrame>(Host, Panel, Device);
        if (!Panel->layout()) {
            auto* layout = new QVBoxLayout(Panel);
            layout->setContentsMargins(0, 0, 0, 0);
        }
        Panel->layout()->addWidget(frame.get());
        return frame;
    });
}

// Over the source list a row of its own moves to another source row; from the source trees a
// logic source lands on a row's condition column, an audio source on its other columns.
bool TSOFFrame::SourceLandsAt(const QDropEvent& Drag) const
{
    const QPoint at = Drag.position().toPoint();
    const int row = RowAt(SourceList, at);
    if (IsRowDragFrom(Drag.mimeData(), SourceList))
        return row > 0;
    if (row < 0)
        return false;
    const int column = ColumnAt(SourceList, at);
    return column == kConditionColumn ? IsSourceDrag(Drag.mimeData(), SourceDragKind::Logic)
                                      : column > 0 && IsSourceDrag(Drag.mimeData(), SourceDragKind::Audio);
}

void TSOFFrame::SourceDropped(QDropEvent& Drop)
{
    const QPoint at = Drop.position().toPoint();
    const int target = RowAt(SourceList, at);
    if (IsRowDragFrom(Drop.mimeData(), SourceList)) {
        const int from = SelectedRow();
        if (SOFEditor(*FHost.Project(), FDeviceIndex).MoveSource(SelectedSOF(), SelectedInput(), target, from)) {
            ShowInput();
            SelectRow(SourceList, target);
            RowSelected();
        }
        return;
    }
    const int column = ColumnAt(SourceList, at);
    SelectRow(SourceList, target);
    RowSelected();
    if (target < 0)
        return;
    if (column == kConditionColumn && IsSourceDrag(Drop.mimeData(), SourceDragKind::Logic)) {
        if (LogicSourcePicker* logic = FHost.LogicSources()) {
            logic->SetTargetKind(ltSOFCondition);
            logic->Assign(AssignSender::Page);
        }
    } else if (column > 0 && IsSourceDrag(Drop.mimeData(), SourceDragKind::Audio)) {
        if (AudioSourcePicker* audio = FHost.AudioSources()) {
            audio->SetTargetKind(atSOFInput);
            audio->Assign();
        }
    }
}

} // namespace kvr::editors
