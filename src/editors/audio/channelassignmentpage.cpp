#include "editors/audio/channelassignmentpage.h"

#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

#include "controls/dragtarget.h"
#include "editors/audio/channelassignment.h"
#include "editors/dsp/dspicons.h"
#include "editors/common/editorhost.h"
#include "editors/sources/rowdrag.h"
#include "editors/common/sourcenode.h"
#include "model/potaccess.h"
#include "model/device.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "platform/text1252.h"

namespace kvr::editors {

namespace {

// Lines are dragged between the page's lists; each list's viewport decides what it takes.
QTreeWidget* List(QWidget* parent, const char* name, QStringList columns)
{
    auto* list = new RowDragList(parent);
    list->setObjectName(name);
    list->setHeaderLabels(columns);
    return list;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFixedWidth(40);
    return button;
}

int Row(const QTreeWidget* list)
{
    const QTreeWidgetItem* item = list->currentItem();
    return item ? list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}

void SelectRow(QTreeWidget* list, int row)
{
    list->setCurrentItem(row >= 0 && row < list->topLevelItemCount() ? list->topLevelItem(row) : nullptr);
}

void FillFunctions(QTreeWidget* list, const std::vector<ChainFunction>& functions)
{
    list->clear();
    for (const ChainFunction& f : functions) {
        auto* item = new QTreeWidgetItem(list, {platform::fromCp1252(f.Name), QString::number(f.Resource)});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, Qt::UserRole, f.Type);
        item->setIcon(0, DSPIcon(f.Icon));
    }
}

} // namespace

TChannelAssignmentPage::TChannelAssignmentPage(EditorHost& Host, QWidget* Parent) : QWidget(Parent), FHost(Host)
{
    setObjectName("ChannelAssignmentPage");
    auto* layout = new QVBoxLayout(this);
    auto* assignment = new QGroupBox("Fader assignment", this);
    auto* top = new QHBoxLayout(assignment);
    ListView6 = List(assignment, "ListView6", {"Fader", "Assigned channel"});
    ListView7 = List(assignment, "ListView7", {"Defined Channels"});
    auto* middle = new QVBoxLayout;
    Button26 = Button(assignment, "Button26", "<<");
    Button27 = Button(assignment, "Button27", ">>");
    middle->addStretch();
    middle->addWidget(Button26);
    middle->addWidget(Button27);
    middle->addStretch();
    top->addWidget(ListView6, 2);
    top->addLayout(middle);
    top->addWidget(ListView7, 1);
    layout->addWidget(assignment, 3);

    GroupBox22 = new QGroupBox("Fader configuration", this);
    GroupBox22->setObjectName("GroupBox22");
    auto* bottom = new QHBoxLayout(GroupBox22);
    auto* selected = new QVBoxLayout;
    selected->addWidget(new QLabel("Selected DSP-Functions", GroupBox22));
    ListView9 = List(GroupBox22, "ListView9", {"Typ", "Resource"});
    selected->addWidget(ListView9);
    auto* buttons = new QVBoxLayout;
    Button28 = Button(GroupBox22, "Button28", "<<");
    Button29 = Button(GroupBox22, "Button29", ">>");
    buttons->addStretch();
    buttons->addWidget(Button28);
    buttons->addWidget(Button29);
    buttons->addStretch();
    auto* available = new QVBoxLayout;
    available->addWidget(new QLabel("Available DSP-Functions", GroupBox22));
    ListView8 = List(GroupBox22, "ListView8", {"Typ", "Resource"});
    available->addWidget(ListView8);
    available->addWidget(new QLabel("Global Potentiometer", GroupBox22));
    ComboBox8 = new QComboBox(GroupBox22);
    ComboBox8->setObjectName("ComboBox8");
    available->addWidget(ComboBox8);
    bottom->addLayout(selected, 1);
    bottom->addLayout(buttons);
    bottom->addLayout(available, 1);
    layout->addWidget(GroupBox22, 2);
    GroupBox22->hide();

    connect(ListView6, &QTreeWidget::itemClicked, this, [this] { ListView6SelectItem(); });
    connect(Button26, &QPushButton::clicked, this, [this] { AssignClick(); });
    connect(ListView7, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        ListView7->setCurrentItem(item);
        AssignClick();
    });
    connect(Button27, &QPushButton::clicked, this, [this] { UnassignClick(); });
    connect(Button28, &QPushButton::clicked, this, [this] { AddFunctionClick(); });
    connect(ListView8, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        // A double click appends.
        ListView8->setCurrentItem(item);
        ListView9->setCurrentItem(nullptr);
        AddFunctionClick();
    });
    connect(Button29, &QPushButton::clicked, this, [this] { RemoveFunctionClick(); });
    connect(ListView9, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        ListView9->setCurrentItem(item);
        RemoveFunctionClick();
    });
    connect(ListView9, &QTreeWidget::itemClicked, this, [this] { Button29->setEnabled(true); });
    ListView9->installEventFilter(this);
    for (QTreeWidget* list : {ListView6, ListView7, ListView8, ListView9})
        list->viewport()->installEventFilter(this);
    connect(ComboBox8, &QComboBox::activated, this, [this](int index) {
        if (auto rules = Rules(); rules && SelectedFader() >= 0) {
            rules->SetGlobalPot(SelectedFader(), index);
            ListView6SelectItem();
        }
    });
}

bool TChannelAssignmentPage::eventFilter(QObject* Watched, QEvent* Event)
{
    // The Delete key removes the selected function of the chain.
    if (Watched == ListView9 && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete) {
        RemoveFunctionClick();
        return true;
    }
    QTreeWidget* target = nullptr;
    for (QTreeWidget* list : {ListView6, ListView7, ListView8, ListView9})
        if (Watched == list->viewport())
            target = list;
    if (!target)
        return QWidget::eventFilter(Watched, Event);
    if (controls::answerDragEvent(
            Event, {.Takes = [this, target](const QMimeData* Data) { return DragSource(target, Data) != nullptr; },
                    .LandsAt = [this, target](const QDropEvent& Drag) { return LandsAt(target, Drag); },
                    .Dropped =
                        [this, target](QDropEvent& Dropped) {
                            Dropped.setDropAction(Qt::IgnoreAction); // the page refills; the views keep their items
                            Drop(target, DragSource(target, Dropped.mimeData()),
                                 target->itemAt(Dropped.position().toPoint()));
                        }}))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

QTreeWidget* TChannelAssignmentPage::DragSource(QTreeWidget* Target, const QMimeData* Data) const
{
    const auto from = [Data](QTreeWidget* list) { return IsRowDragFrom(Data, list) ? list : nullptr; };
    if (Target == ListView6)
        return from(ListView7) ? ListView7 : from(ListView6);
    if (Target == ListView7)
        return from(ListView6);
    if (Target == ListView8)
        return from(ListView9);
    if (Target == ListView9)
        return from(ListView9) ? ListView9 : from(ListView8);
    return nullptr;
}

// A line lands on a fader's line and a moved function on a function; an added function lands
// anywhere on the chain while no limit is exceeded; the offer lists take lines anywhere.
bool TChannelAssignmentPage::LandsAt(QTreeWidget* Target, const QDropEvent& Drag) const
{
    const bool overRow = RowAt(Target, Drag.position().toPoint()) >= 0;
    if (Target == ListView6)
        return overRow;
    if (Target != ListView9)
        return true;
    if (DragSource(Target, Drag.mimeData()) == ListView9)
        return overRow;
    model::TProject* project = FHost.Project();
    const model::TDevice* dev = project ? project->Device(FHost.CurrentDevice()) : nullptr;
    return dev && (dev->FLimitExceeded & 0x14) == 0;
}

void TChannelAssignmentPage::Drop(QTreeWidget* Target, QTreeWidget* From, QTreeWidgetItem* Under)
{
    const int under = Under ? Target->indexOfTopLevelItem(Under) : -1;
    if (Target == ListView6 && From == ListView7) {
        SelectRow(ListView6, under);
        AssignClick();
    } else if (Target == ListView6) {
        // Fader A dragged onto fader B.
        const int a = SelectedFader();
        auto rules = Rules();
        if (!rules || a < 0 || under < 0 || FFillingAssignment)
            return;
        rules->Swap(a, under);
        SelectRow(ListView6, under);
        FillChannelAssignment();
        ListView6SelectItem();
    } else if (Target == ListView7) {
        UnassignClick();
    } else if (Target == ListView8) {
        RemoveFunctionClick();
    } else if (From == ListView8) {
        SelectRow(ListView9, under);
        AddFunctionClick();
    } else {
        const int a = Row(ListView9);
        auto rules = Rules();
        if (!rules || SelectedFader() < 0 || a < 0 || under < 0)
            return;
        rules->MoveFunction(SelectedFader(), a, under);
        ListView6SelectItem();
    }
}

std::unique_ptr<ChannelAssignment> TChannelAssignmentPage::Rules()
{
    model::TProject* project = FHost.Project();
    model::TDevice* dev = project ? project->Device(FHost.CurrentDevice()) : nullptr;
    return dev ? std::make_unique<ChannelAssignment>(*dev) : nullptr;
}

int TChannelAssignmentPage::SelectedFader() const
{
    return Row(ListView6);
}

void TChannelAssignmentPage::SelectFader(int Fader)
{
    SelectRow(ListView6, Fader);
    ListView6SelectItem();
}

void TChannelAssignmentPage::FillChannelAssignment()
{
    auto rules = Rules();
    if (FFillingAssignment || !rules)
        return;
    FFillingAssignment = true;
    const int fader = SelectedFader();
    const int channel = Row(ListView7);
    ListView6->clear();
    for (const FaderLine& line : rules->FaderLines()) {
        auto* item = new QTreeWidgetItem(ListView6, {QString::fromStdString(line.Fader), platform::fromCp1252(line.Channel)});
        item->setData(0, Qt::UserRole, line.ChannelNumber);
    }
    ListView7->clear();
    for (const DefinedChannel& c : rules->DefinedChannels()) {
        auto* item = new QTreeWidgetItem(ListView7, {platform::fromCp1252(c.Text)});
        item->setData(0, Qt::UserRole, c.Number);
    }
    // Selections survive a refill while their index is still valid.
    SelectRow(ListView6, KeepIndex(fader, ListView6->topLevelItemCount(), -1));
    SelectRow(ListView7, KeepIndex(channel, ListView7->topLevelItemCount(), -1));
    FHost.UpdateResourceGauges();
    FFillingAssignment = false;
}

void TChannelAssignmentPage::ListView6SelectItem()
{
    const int fader = SelectedFader();
    auto rules = Rules();
    if (fader < 0 || !rules) {
        FHost.ScheduleFaderConfigurationHide(true);
        return;
    }
    FHost.ScheduleFaderConfigurationHide(false);
    GroupBox22->show();
    const int row = Row(ListView9);
    const int availableRow = Row(ListView8);
    FillFunctions(ListView8, ChannelAssignment::AvailableFunctions());
    SelectRow(ListView8, KeepIndex(availableRow, ListView8->topLevelItemCount(), -1));
    const auto chain = rules->Chain(fader);
    FillFunctions(ListView9, chain);
    SelectRow(ListView9, KeepIndex(row, ListView9->topLevelItemCount(), -1));
    ComboBox8->clear();
    ComboBox8->addItem("None");
    model::TProject* project = FHost.Project();
    for (int pot = 1; pot <= 20; ++pot) {
        std::string name;
        model::GetGlobalPotName(*project, pot, name);
        ComboBox8->addItem(platform::fromCp1252(name));
    }
    ComboBox8->setCurrentIndex(rules->GlobalPot(fader));
    Button29->setEnabled(!chain.empty() && ListView9->currentItem() != nullptr);
    Button28->setEnabled(rules->CanAddFunction(fader));
    FHost.UpdateResourceGauges();
}

void TChannelAssignmentPage::AssignClick()
{
    auto rules = Rules();
    const int line = Row(ListView7);
    if (FFillingAssignment || !rules || line < 0 || ListView6->topLevelItemCount() == 0)
        return;
    if (SelectedFader() < 0)
        SelectRow(ListView6, 0);
    const int fader = SelectedFader();
    rules->Assign(fader, ListView7->topLevelItem(line)->data(0, Qt::UserRole).toInt());
    FillChannelAssignment();
    SelectFader(std::min(fader + 1, ListView6->topLevelItemCount() - 1));
    SelectRow(ListView7, std::min(line, ListView7->topLevelItemCount() - 1));
}

void TChannelAssignmentPage::UnassignClick()
{
    auto rules = Rules();
    const int fader = SelectedFader();
    if (FFillingAssignment || !rules || fader < 0)
        return;
    rules->Unassign(fader);
    FillChannelAssignment();
    SelectFader(std::min(fader + 1, ListView6->topLevelItemCount() - 1));
}

void TChannelAssignmentPage::AddFunctionClick()
{
    auto rules = Rules();
    const int fader = SelectedFader();
    const QTreeWidgetItem* item = ListView8->currentItem();
    if (!rules || fader < 0 || !item)
        return;
    const std::string refusal = rules->AddFunction(fader, item->data(0, Qt::UserRole).toInt(), Row(ListView9));
    if (!refusal.empty())
        platform::prompter().messageBox(QString::fromStdString(refusal), "Error", platform::Buttons::Ok,
                                        platform::Icon::Error);
    ListView6SelectItem();
}

void TChannelAssignmentPage::RemoveFunctionClick()
{
    auto rules = Rules();
    const int fader = SelectedFader();
    const int row = Row(ListView9);
    if (!rules || fader < 0 || row < 0)
        return;
    rules->RemoveFunction(fader, row);
    ListView6SelectItem();
    FHost.UpdateResourceGauges();
}

} // namespace kvr::editors
