#include "editors/audio/sourcelistspage.h"

#include <QAction>
#include <QCheckBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dragtarget.h"
#include "editors/sources/audiosourcetree.h"
#include "editors/common/editorhost.h"
#include "editors/sources/rowdrag.h"
#include "editors/common/sourceassign.h"
#include "editors/sources/sourcedrag.h"
#include "editors/audio/sourcelists.h"
#include "model/project.h"
#include "model/sourcenames.h"
#include "platform/text1252.h"

namespace kvr::editors {

namespace {
constexpr int kLeftColumn = 2;
constexpr int kRightColumn = 3;

template <class W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}
} // namespace

TSourceListsPage::TSourceListsPage(EditorHost& Host, QWidget* Parent) : AudioTabPage(Host, Parent)
{
    setObjectName("SelectorSourceListsPage");
    auto* layout = new QHBoxLayout(this);

    auto* lists = new QGroupBox("Select Source List", this);
    auto* listsLayout = new QVBoxLayout(lists);
    ListBox6 = Named(new QListWidget(lists), "ListBox6");
    ListBox6->setAcceptDrops(true);
    ListBox6->viewport()->setAcceptDrops(true);
    ListBox6->viewport()->installEventFilter(this);
    listsLayout->addWidget(ListBox6);
    listsLayout->addWidget(new QLabel("Source List Label", lists));
    Edit27 = Named(new QLineEdit(lists), "Edit27");
    Edit27->setMaxLength(16);
    platform::RefuseBeyondCp1252(Edit27);
    listsLayout->addWidget(Edit27);
    lists->setFixedWidth(190);
    layout->addWidget(lists);

    auto* sources = new QGroupBox("Sources", this);
    auto* sourcesLayout = new QVBoxLayout(sources);
    ListView20 = Named(new RowDragList(sources), "ListView20");
    ListView20->setHeaderLabels({"Pos.", "Text", "Left ", "Right", "Info"});
    ListView20->header()->setSectionsClickable(false);
    for (const auto& [column, width] : {std::pair{0, 33}, {1, 68}, {2, 90}, {3, 90}})
        ListView20->setColumnWidth(column, width);
    ListView20->setContextMenuPolicy(Qt::ActionsContextMenu);
    ListView20->viewport()->installEventFilter(this);
    ListView20->installEventFilter(this);
    sourcesLayout->addWidget(ListView20);
    auto* buttons = new QHBoxLayout;
    Button53 = Named(new QPushButton("Add", sources), "Button53");
    Button55 = Named(new QPushButton("Insert", sources), "Button55");
    Button54 = Named(new QPushButton("Remove", sources), "Button54");
    Button56 = Named(new QPushButton("Clear List", sources), "Button56");
    Label103 = Named(new QLabel(sources), "Label103");
    for (QPushButton* button : {Button53, Button55, Button54, Button56})
        buttons->addWidget(button);
    buttons->addWidget(Label103);
    buttons->addStretch();
    sourcesLayout->addLayout(buttons);
    layout->addWidget(sources, 1);

    auto* entry = new QGroupBox("Entry", this);
    auto* grid = new QGridLayout(entry);
    grid->addWidget(new QLabel("Source Left", entry), 0, 0);
    Panel31 = Named(new QLabel(entry), "Panel31");
    Button12 = Named(new QPushButton("Select ...", entry), "Button12");
    grid->addWidget(Panel31, 1, 0);
    grid->addWidget(Button12, 1, 1);
    grid->addWidget(new QLabel("Source Right", entry), 2, 0);
    Panel32 = Named(new QLabel(entry), "Panel32");
    Button52 = Named(new QPushButton("Select ...", entry), "Button52");
    grid->addWidget(Panel32, 3, 0);
    grid->addWidget(Button52, 3, 1);
    for (QLabel* panel : {Panel31, Panel32}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(120);
        panel->setAcceptDrops(true);
        panel->installEventFilter(this);
    }
    grid->addWidget(new QLabel("Display Text", entry), 4, 0);
    Edit28 = Named(new QLineEdit(entry), "Edit28");
    Edit28->setMaxLength(8);
    platform::RefuseBeyondCp1252(Edit28);
    grid->addWidget(Edit28, 5, 0);
    RSGlobalPoolSource = Named(new QCheckBox("Global Pool", entry), "RSGlobalPoolSource");
    grid->addWidget(RSGlobalPoolSource, 6, 0);
    grid->setRowStretch(7, 1);
    layout->addWidget(entry);

    // The popup offers the buttons' actions.
    const auto popup = [this](const char* caption, QPushButton* button) {
        auto* action = new QAction(caption, ListView20);
        ListView20->addAction(action);
        connect(action, &QAction::triggered, button, &QPushButton::click);
        return action;
    };
    popup("Add", Button53);
    popup("Insert", Button55);
    auto* separator = new QAction(ListView20);
    separator->setSeparator(true);
    ListView20->addAction(separator);
    popup("Remove", Button54);

    connect(ListBox6, &QListWidget::itemClicked, this, [this] { FillSelectorSourceList(); });
    connect(ListBox6, &QListWidget::currentRowChanged, this, [this] {
        if (!FSourceListFilling)
            FillSelectorSourceList();
    });
    connect(Edit27, &QLineEdit::textEdited, this, [this](const QString& text) {
        auto lists = Lists();
        if (FSourceListFilling || !lists || SelectedList() < 0)
            return;
        lists->SetLabel(SelectedList(), platform::toCp1252(text));
        ListBox6->currentItem()->setText(text);
    });
    connect(Edit28, &QLineEdit::textEdited, this, [this](const QString& text) {
        auto lists = Lists();
        if (FSourceListFilling || !lists || SelectedList() < 0 || SelectedEntry() < 0)
            return;
        lists->SetText(SelectedList(), SelectedEntry(), platform::toCp1252(text));
        ListView20->currentItem()->setText(1, text);
    });
    connect(Button53, &QPushButton::clicked, this, [this] { AddClick(); });
    connect(Button55, &QPushButton::clicked, this, [this] { InsertClick(); });
    connect(Button54, &QPushButton::clicked, this, [this] { RemoveClick(); });
    connect(Button56, &QPushButton::clicked, this, [this] { ClearListClick(); });
    connect(Button12, &QPushButton::clicked, this, [this] { SelectSource(atSourceListLeft); });
    connect(Button52, &QPushButton::clicked, this, [this] { SelectSource(atSourceListRight); });
    connect(RSGlobalPoolSource, &QCheckBox::clicked, this, [this](bool checked) {
        auto lists = Lists();
        if (!lists || SelectedList() < 0 || SelectedEntry() < 0)
            return;
        lists->SetGlobalPool(SelectedList(), SelectedEntry(), checked);
        FillSelectorSourceList();
        PickerToRowDevice();
    });
    connect(ListView20, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!FSourceListFilling)
            RefreshSourceListEntry();
    });
    connect(ListView20, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int column) {
        if (column == kLeftColumn)
            SelectSource(atSourceListLeft);
        else if (column == kRightColumn)
            SelectSource(atSourceListRight);
    });
}

// The main window outlives its pages' registrations only while it is not being destroyed; the
// windows never assign during that.
TSourceListsPage::~TSourceListsPage() = default;

std::unique_ptr<SelectorSourceLists> TSourceListsPage::Lists()
{
    return Device() ? std::make_unique<SelectorSourceLists>(*Project(), DeviceIndex()) : nullptr;
}

int TSourceListsPage::SelectedList() const
{
    return ListBox6->currentRow();
}

void TSourceListsPage::Register(SourceTarget* Target)
{
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetTarget(atSourceListLeft, Target);
        audio->SetTarget(atSourceListRight, Target);
    }
}

void TSourceListsPage::ListLabels()
{
    auto lists = Lists();
    if (!lists)
        return;
    const bool filling = FSourceListFilling;
    FSourceListFilling = true;
    const int selected = SelectedList();
    ListBox6->clear();
    for (const std::string& label : lists->ListLabels())
        ListBox6->addItem(platform::fromCp1252(label));
    ListBox6->setCurrentRow(selected);
    FSourceListFilling = filling;
}

void TSourceListsPage::TabShow()
{
    Register(this);
    if (!Lists())
        return;
    ListLabels();
    FSourceListFilling = true;
    ListBox6->setCurrentRow(0);
    FSourceListFilling = false;
    FillSelectorSourceList();
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetGroupFilter(afPFL);
        audio->SetDeviceIndex(DeviceIndex());
        audio->BuildSourceTree();
    }
}

void TSourceListsPage::EnableEdits(bool Add, bool Remove)
{
    Button53->setEnabled(Add);
    Button55->setEnabled(Add);
    Button54->setEnabled(Remove);
    const auto actions = ListView20->actions();
    for (QAction* action : actions) {
        if (action->text() == "Add" || action->text() == "Insert")
            action->setEnabled(Add);
        else if (action->text() == "Remove")
            action->setEnabled(Remove);
    }
}

void TSourceListsPage::FillSelectorSourceList()
{
    auto lists = Lists();
    const int list = SelectedList();
    if (!lists || list < 0)
        return;
    EnableEdits(false, false);
    const int selected = SelectedEntry();
    FSourceListFilling = true;
    Label103->setText(QString::fromStdString(lists->AvailableText()));
    const bool canAdd = lists->Total() < SelectorSourceLists::kMaxEntries;
    Edit27->setText(platform::fromCp1252(lists->Label(list)));
    const auto rows = lists->Rows(list);
    ListView20->clear();
    for (const SourceListRow& row : rows) {
        auto* item = new QTreeWidgetItem(ListView20, {QString::fromStdString(row.Pos), platform::fromCp1252(row.Text),
                                                      platform::fromCp1252(row.Left), platform::fromCp1252(row.Right),
                                                      QString::fromStdString(row.Info)});
        item->setData(0, Qt::UserRole, row.LogicID);
        item->setData(1, Qt::UserRole, row.Device);
    }
    FSourceListFilling = false;
    SelectRow(ListView20, selected);
    EnableEdits(canAdd && lists->CanAdd(list), !rows.empty() && SelectedEntry() >= 0);
    RefreshSourceListEntry();
}

void TSourceListsPage::RefreshSourceListEntry()
{
    auto lists = Lists();
    const int row = SelectedEntry();
    const bool filling = FSourceListFilling;
    FSourceListFilling = true;
    RSGlobalPoolSource->setChecked(false);
    RSGlobalPoolSource->setEnabled(false);
    if (!lists || row < 0 || SelectedList() < 0) {
        Button12->setEnabled(false);
        Button52->setEnabled(false);
        Edit28->clear();
        Edit28->setEnabled(false);
        Button54->setEnabled(false);
        Panel31->clear();
        Panel32->clear();
        FSourceListFilling = filling;
        return;
    }
    const auto rows = lists->Rows(SelectedList());
    if (row >= static_cast<int>(rows.size())) {
        FSourceListFilling = filling;
        return;
    }
    const SourceListRow& r = rows[static_cast<std::size_t>(row)];
    RSGlobalPoolSource->setEnabled(lists->PoolSelectable());
    RSGlobalPoolSource->setChecked(((r.LeftRef | r.RightRef) & 0x8000) != 0);
    ListView20->scrollToItem(ListView20->topLevelItem(row));
    Button12->setEnabled(true);
    Button52->setEnabled(true);
    Edit28->setEnabled(true);
    Panel31->setText(platform::fromCp1252(r.Left));
    Panel32->setText(platform::fromCp1252(r.Right));
    Edit28->setText(platform::fromCp1252(r.Text));
    QTreeWidgetItem* item = ListView20->topLevelItem(row);
    item->setText(1, platform::fromCp1252(r.Text));
    item->setText(kLeftColumn, platform::fromCp1252(r.Left));
    item->setText(kRightColumn, platform::fromCp1252(r.Right));
    Button54->setEnabled(true);
    FSourceListFilling = filling;
    PickerToRowDevice();
}

void TSourceListsPage::PickerToRowDevice()
{
    const int row = SelectedEntry();
    AudioSourcePicker* audio = FHost.AudioSources();
    if (!audio || row < 0)
        return;
    audio->SetDeviceIndex(ListView20->topLevelItem(row)->data(1, Qt::UserRole).toInt());
}

void TSourceListsPage::AddClick()
{
    auto lists = Lists();
    if (!lists || SelectedList() < 0)
        return;
    const int row = lists->Add(SelectedList());
    if (row < 0)
        return;
    FillSelectorSourceList();
    SelectRow(ListView20, row);
    RefreshSourceListEntry();
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetTargetKind(atSourceListLeft);
        auto* window = dynamic_cast<QWidget*>(audio);
        if (!window || !window->isVisible()) {
            audio->SetDeviceIndex(DeviceIndex());
            audio->ShowPicker();
        }
    }
}

void TSourceListsPage::InsertClick()
{
    auto lists = Lists();
    if (lists && SelectedList() >= 0 && SelectedEntry() >= 0 && lists->Insert(SelectedList(), SelectedEntry()))
        FillSelectorSourceList();
}

void TSourceListsPage::RemoveClick()
{
    auto lists = Lists();
    if (!lists || SelectedList() < 0 || SelectedEntry() < 0)
        return;
    lists->Remove(SelectedList(), SelectedEntry());
    FillSelectorSourceList();
}

void TSourceListsPage::ClearListClick()
{
    auto lists = Lists();
    const int list = SelectedList();
    if (!lists || list < 0)
        return;
    lists->Clear(list);
    ListBox6->item(list)->setText("Source List " + QString::number(list + 1));
    FillSelectorSourceList();
}

void TSourceListsPage::SelectSource(int Kind)
{
    const int row = SelectedEntry();
    AudioSourcePicker* audio = FHost.AudioSources();
    if (!audio || row < 0 || !Lists())
        return;
    const auto rows = Lists()->Rows(SelectedList());
    if (row >= static_cast<int>(rows.size()))
        return;
    const SourceListRow& r = rows[static_cast<std::size_t>(row)];
    audio->SetTargetKind(Kind);
    audio->SelectAudioSource(Kind == atSourceListLeft ? r.LeftRef : r.RightRef);
    audio->SetDeviceIndex(r.Device);
    audio->ShowPicker();
}

void TSourceListsPage::MoveEntry(int From, int To)
{
    auto lists = Lists();
    if (!lists || SelectedList() < 0)
        return;
    lists->Move(SelectedList(), From, To);
    FillSelectorSourceList();
}

void TSourceListsPage::CopyEntry(int Row, int List)
{
    auto lists = Lists();
    if (!lists || SelectedList() < 0 || !lists->Copy(SelectedList(), Row, List))
        return;
    FillSelectorSourceList();
}

TargetSelection TSourceListsPage::Selection(int)
{
    TargetSelection sel;
    if (SelectedList() >= 0 && SelectedEntry() >= 0) {
        sel.Element = SelectedList();
        sel.Row = SelectedEntry();
    }
    return sel;
}

void TSourceListsPage::Refresh(int, const PickedSource&)
{
    FillSelectorSourceList();
}

bool TSourceListsPage::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == ListView20 && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete) {
        RemoveClick();
        return true;
    }
    const bool table = Watched == ListView20->viewport();
    const bool listBox = Watched == ListBox6->viewport();
    const bool panel = Watched == Panel31 || Watched == Panel32;
    if (!table && !listBox && !panel)
        return QWidget::eventFilter(Watched, Event);
    // The table takes its own rows and audio sources over a row, the list box a table row on one of
    // its lines, the panels audio sources.
    controls::DropRules rules{.Takes =
                                  [this, table, listBox](const QMimeData* Data) {
                                      const bool fromTable = IsRowDragFrom(Data, ListView20);
                                      const bool fromTree = IsSourceDrag(Data, SourceDragKind::Audio);
                                      return table ? fromTable || fromTree : listBox ? fromTable : fromTree;
                                  },
                              .Dropped = [this, Watched](QDropEvent& Drop) { Dropped(Watched, Drop); }};
    if (table)
        rules.LandsAt = [this](const QDropEvent& Drag) { return RowAt(ListView20, Drag.position().toPoint()) >= 0; };
    else if (listBox)
        rules.LandsAt = [this](const QDropEvent& Drag) { return ListBox6->itemAt(Drag.position().toPoint()); };
    if (controls::answerDragEvent(Event, rules))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

// The table reorders its own rows and takes audio sources in its left and right columns; the
// list box takes a copy of a table row; the panels take audio sources for the selected entry.
void TSourceListsPage::Dropped(QObject* Watched, QDropEvent& Drop)
{
    const bool table = Watched == ListView20->viewport();
    const bool listBox = Watched == ListBox6->viewport();
    const bool panel = Watched == Panel31 || Watched == Panel32;
    const QPoint at = Drop.position().toPoint();
    Drop.setDropAction(Qt::IgnoreAction); // the page moves and copies; the views keep their items
    AudioSourcePicker* audio = FHost.AudioSources();
    if (table && IsRowDragFrom(Drop.mimeData(), ListView20)) {
        if (QTreeWidgetItem* item = ListView20->itemAt(at))
            MoveEntry(SelectedEntry(), ListView20->indexOfTopLevelItem(item));
    } else if (table && audio) {
        QTreeWidgetItem* item = ListView20->itemAt(at);
        const int column = ColumnAt(ListView20, at);
        if (item && (column == kLeftColumn || column == kRightColumn)) {
            SelectRow(ListView20, ListView20->indexOfTopLevelItem(item));
            RefreshSourceListEntry();
            audio->SetTargetKind(column == kLeftColumn ? atSourceListLeft : atSourceListRight);
            audio->Assign();
        }
    } else if (listBox) {
        if (QListWidgetItem* line = ListBox6->itemAt(at); line && SelectedEntry() >= 0)
            CopyEntry(SelectedEntry(), ListBox6->row(line));
    } else if (panel && audio && SelectedEntry() >= 0) {
        audio->SetTargetKind(Watched == Panel31 ? atSourceListLeft : atSourceListRight);
        audio->Assign();
    }
}

} // namespace kvr::editors
