#include "editors/audio/insertframe.h"

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
#include "controls/updown.h"
#include "editors/audio/audiotabpage.h"
#include "editors/common/editorhost.h"
#include "editors/audio/insertpoints.h"
#include "editors/common/sourceassign.h"
#include "editors/sources/sourcedrag.h"
#include "model/device.h"
#include "model/project.h"
#include "platform/text1252.h"

namespace kvr::editors {

namespace {
QTreeWidget* List(QWidget* Parent, const char* Name, const QStringList& Columns)
{
    auto* list = new QTreeWidget(Parent);
    list->setObjectName(Name);
    list->setRootIsDecorated(false);
    list->setHeaderLabels(Columns);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setAcceptDrops(true);
    list->viewport()->setAcceptDrops(true);
    return list;
}

QLabel* SourcePanel(QWidget* Parent, const char* Name)
{
    auto* panel = new QLabel(Parent);
    panel->setObjectName(Name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(220);
    panel->setAcceptDrops(true);
    return panel;
}

QString Text(const std::string& Text) { return platform::fromCp1252(Text); }
} // namespace

TInsertFrame::TInsertFrame(EditorHost& Host, QWidget* Owner, int DeviceIndex)
    : QWidget(Owner), FHost(Host), FDeviceIndex(DeviceIndex)
{
    setObjectName("InsertFrame");
    auto* layout = new QVBoxLayout(this);
    auto* fixed = new QGroupBox("Fixed Insert Points", this);
    auto* fixedLayout = new QHBoxLayout(fixed);
    FaderList = List(fixed, "FaderList", {"Fader", "Assigned Channel", "Prefader Source"});
    FaderList->setColumnWidth(0, 40);
    FaderList->setColumnWidth(1, 130);
    fixedLayout->addWidget(FaderList, 1);
    auto* fixedEdit = new QGridLayout;
    fixedLayout->addLayout(fixedEdit);
    FixedInsertSource = SourcePanel(fixed, "FixedInsertSource");
    Button1 = new QPushButton("Select ...", fixed);
    Button1->setObjectName("Button1");
    fixedEdit->addWidget(new QLabel("Source", fixed), 0, 0);
    fixedEdit->addWidget(FixedInsertSource, 0, 1);
    fixedEdit->addWidget(Button1, 1, 1);
    fixedEdit->setRowStretch(2, 1);
    layout->addWidget(fixed, 1);

    auto* switchable = new QGroupBox("Switchable Insert Points", this);
    auto* switchLayout = new QHBoxLayout(switchable);
    SIList = List(switchable, "SIList", {"Insert Point Label", "Insert Send", "Insert Return"});
    SIList->setColumnWidth(0, 130);
    SIList->setColumnWidth(1, 95);
    SIList->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    switchLayout->addWidget(SIList, 1);
    auto* switchEdit = new QGridLayout;
    switchLayout->addLayout(switchEdit);
    SISource = SourcePanel(switchable, "SISource");
    Button2 = new QPushButton("Select ...", switchable);
    Button2->setObjectName("Button2");
    SILabel = new QLineEdit(switchable);
    SILabel->setObjectName("SILabel");
    SILabel->setMaxLength(16);
    platform::RefuseBeyondCp1252(SILabel);
    // A plain edit with an up-down beside it: any number may be typed (0 and anything above
    // the top end on the top selector), the arrows step between 1 and 768.
    SISelEdit = new QLineEdit(switchable);
    SISelEdit->setObjectName("SISelEdit");
    SISelector = new controls::TUpDown(SISelEdit, 1, 768, switchable);
    SISelector->setObjectName("SISelector");
    SISelector->setFocusProxy(SISelEdit);
    auto* routing = new QHBoxLayout;
    routing->setSpacing(0);
    routing->addWidget(SISelEdit);
    routing->addWidget(SISelector);
    SIClear = new QPushButton("Clear Insert", switchable);
    SIClear->setObjectName("SIClear");
    switchEdit->addWidget(new QLabel("Source", switchable), 0, 0);
    switchEdit->addWidget(SISource, 0, 1);
    switchEdit->addWidget(Button2, 1, 1);
    switchEdit->addWidget(new QLabel("Label", switchable), 2, 0);
    switchEdit->addWidget(SILabel, 2, 1);
    switchEdit->addWidget(new QLabel("Routing Selector", switchable), 3, 0);
    switchEdit->addLayout(routing, 3, 1);
    switchEdit->addWidget(SIClear, 4, 1);
    switchEdit->setRowStretch(5, 1);
    layout->addWidget(switchable, 1);

    for (QWidget* target : std::initializer_list<QWidget*>{FaderList->viewport(), SIList->viewport(), FixedInsertSource,
                                                           SISource})
        target->installEventFilter(this);

    connect(FaderList, &QTreeWidget::itemClicked, this, [this] { FixedSelected(); });
    connect(SIList, &QTreeWidget::itemClicked, this, [this] { SwitchableSelected(); });
    connect(FaderList, &QTreeWidget::itemDoubleClicked, this, [this] { SelectSource(atFixedInsert); });
    connect(SIList, &QTreeWidget::itemDoubleClicked, this, [this] { SelectSource(atSwitchableInsert); });
    connect(Button1, &QPushButton::clicked, this, [this] { SelectSource(atFixedInsert); });
    connect(Button2, &QPushButton::clicked, this, [this] { SelectSource(atSwitchableInsert); });
    // Typed or stepped by the arrows alike.
    connect(SISelEdit, &QLineEdit::textChanged, this, [this](const QString& Text) { RoutingEdited(Text); });
    connect(SILabel, &QLineEdit::textEdited, this, [this](const QString& Typed) {
        const int row = CurrentRow(SIList);
        if (FInLabel || row < 0)
            return;
        FInLabel = true;
        InsertPoints(*FHost.Project(), FDeviceIndex).SetLabel(row, platform::toCp1252(Typed));
        SIList->topLevelItem(row)->setText(0, Typed);
        FInLabel = false;
    });
    connect(SIClear, &QPushButton::clicked, this, [this] {
        const int row = CurrentRow(SIList);
        if (row < 0)
            return;
        InsertPoints(*FHost.Project(), FDeviceIndex).Clear(row);
        FillSwitchableInserts();
    });

    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetTarget(atFixedInsert, this);
        audio->SetTarget(atSwitchableInsert, this);
    }
    FillFixedInserts();
    FillSwitchableInserts();
    setVisible(true);
}

TInsertFrame::~TInsertFrame()
{
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetTarget(atFixedInsert, nullptr);
        audio->SetTarget(atSwitchableInsert, nullptr);
    }
}

void TInsertFrame::FillFixedInserts()
{
    const int row = CurrentRow(FaderList);
    FaderList->clear();
    for (const FixedInsertRow& r : InsertPoints(*FHost.Project(), FDeviceIndex).FixedRows())
        new QTreeWidgetItem(FaderList, {Text(r.Fader), Text(r.Channel), Text(r.Source)});
    SelectRow(FaderList, row);
    FixedSelected();
}

void TInsertFrame::FillSwitchableInserts()
{
    const int row = CurrentRow(SIList);
    SIList->clear();
    for (const SwitchableInsertRow& r : InsertPoints(*FHost.Project(), FDeviceIndex).SwitchableRows()) {
        auto* item = new QTreeWidgetItem(SIList, {Text(r.Label), Text(r.Send), Text(r.Return)});
        item->setTextAlignment(1, Qt::AlignCenter);
    }
    SelectRow(SIList, row);
    SwitchableSelected();
}

void TInsertFrame::EnableFixedInsertEdit(bool Enable)
{
    Button1->setEnabled(Enable);
}

void TInsertFrame::EnableSwitchableInsertEdit(bool Enable)
{
    for (QWidget* w : std::initializer_list<QWidget*>{SILabel, SISelEdit, SISelector, Button2, SIClear})
        w->setEnabled(Enable);
}

void TInsertFrame::FixedSelected()
{
    const int row = CurrentRow(FaderList);
    EnableFixedInsertEdit(row >= 0);
    if (row < 0)
        return;
    InsertPoints points(*FHost.Project(), FDeviceIndex);
    const auto rows = points.FixedRows();
    if (row < static_cast<int>(rows.size()))
        FixedInsertSource->setText(Text(rows[static_cast<std::size_t>(row)].Source));
}

void TInsertFrame::SwitchableSelected()
{
    const int row = CurrentRow(SIList);
    EnableSwitchableInsertEdit(row >= 0);
    if (row < 0)
        return;
    const auto rows = InsertPoints(*FHost.Project(), FDeviceIndex).SwitchableRows();
    if (row >= static_cast<int>(rows.size()))
        return;
    const SwitchableInsertRow& r = rows[static_cast<std::size_t>(row)];
    FInLabel = FInRouting = true;
    SILabel->setText(Text(r.Label));
    SISelector->SetPosition(r.Routing);
    SISource->setText(Text(r.Return));
    FInLabel = FInRouting = false;
}

void TInsertFrame::RoutingEdited(const QString& Typed)
{
    const int row = CurrentRow(SIList);
    if (FInRouting || row < 0)
        return;
    FInRouting = true;
    if (const auto shown = InsertPoints(*FHost.Project(), FDeviceIndex).SetRouting(row, platform::toCp1252(Typed))) {
        SIList->topLevelItem(row)->setText(1, QString::number(*shown));
        if (SISelector->Position() != *shown || SISelEdit->text() != QString::number(*shown))
            SISelector->SetPosition(*shown);
    }
    FInRouting = false;
}

void TInsertFrame::SelectSource(int Kind)
{
    QTreeWidget* list = Kind == atFixedInsert ? FaderList : SIList;
    const int row = CurrentRow(list);
    AudioSourcePicker* audio = FHost.AudioSources();
    if (row < 0 || !audio)
        return;
    InsertPoints points(*FHost.Project(), FDeviceIndex);
    std::vector<std::uint16_t> refs;
    if (Kind == atFixedInsert)
        for (const FixedInsertRow& r : points.FixedRows())
            refs.push_back(r.Ref);
    else
        for (const SwitchableInsertRow& r : points.SwitchableRows())
            refs.push_back(r.Ref);
    if (row >= static_cast<int>(refs.size()))
        return;
    const std::uint16_t shown = refs[static_cast<std::size_t>(row)];
    audio->SelectAudioSource(shown);
    audio->SetTargetKind(Kind);
    audio->SetDeviceIndex(FDeviceIndex);
    audio->ShowPicker();
}

TargetSelection TInsertFrame::Selection(int Kind)
{
    TargetSelection sel;
    sel.Element = CurrentRow(Kind == atFixedInsert ? FaderList : SIList);
    return sel;
}

void TInsertFrame::Take(int Kind, const PickedSource& Source, const TargetSelection& Selection)
{
    InsertPoints points(*FHost.Project(), FDeviceIndex);
    if (Kind == atFixedInsert) {
        points.SetFixedInsertSource(Selection.Element, Source.Ref);
        FillFixedInserts();
    } else if (Kind == atSwitchableInsert) {
        points.SetSwitchableInsertReturn(Selection.Element, Source.Ref);
        FillSwitchableInserts();
    }
}

bool TInsertFrame::eventFilter(QObject* Watched, QEvent* Event)
{
    const bool fixedList = Watched == FaderList->viewport();
    const bool switchList = Watched == SIList->viewport();
    const bool panel = Watched == FixedInsertSource || Watched == SISource;
    if (!fixedList && !switchList && !panel)
        return QWidget::eventFilter(Watched, Event);
    QTreeWidget* list = fixedList ? FaderList : switchList ? SIList : nullptr;
    if (controls::answerDragEvent(
            Event, {.Takes = TakesSourceDrag(SourceDragKind::Audio),
                    .LandsAt = [this, list](const QDropEvent& Drag) { return SourceLandsAt(list, Drag); },
                    .Dropped = [this, Watched, list](QDropEvent& Drop) { SourceDropped(Watched, list, Drop); }}))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

// Over a list only the source column takes an audio source.
bool TInsertFrame::SourceLandsAt(QTreeWidget* List, const QDropEvent& Drag) const
{
    return !List || ColumnAt(List, Drag.position().toPoint()) == InsertPoints::kSourceColumn;
}

void TInsertFrame::SourceDropped(QObject* Watched, QTreeWidget* List, QDropEvent& Drop)
{
    if (List) {
        QTreeWidgetItem* item = List->itemAt(Drop.position().toPoint());
        SelectRow(List, item ? List->indexOfTopLevelItem(item) : -1);
        if (!item)
            return;
    }
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetTargetKind(List == FaderList || Watched == FixedInsertSource ? atFixedInsert : atSwitchableInsert);
        audio->Assign();
    }
}

} // namespace kvr::editors
