#include "editors/audio/outfktpagewidget.h"

#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dragtarget.h"
#include "editors/sources/rowdrag.h"
#include "editors/sources/sourcedrag.h"
#include "platform/text1252.h"

namespace kvr::editors {

namespace {

template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TOutputFunctionsPage::TOutputFunctionsPage(EditorHost& Host, QWidget* Parent) : QWidget(Parent), FPage(Host)
{
    setObjectName("OutputFunctionsPage");
    auto* layout = new QHBoxLayout(this);

    auto* functions = new QGroupBox("Output Functions", this);
    functions->setFixedWidth(220);
    auto* left = new QVBoxLayout(functions);
    ListBox1 = Named(new QListWidget(functions), "ListBox1");
    left->addWidget(ListBox1);
    auto* buttons = new QHBoxLayout;
    Button30 = Named(new QPushButton("Add", functions), "Button30");
    Button31 = Named(new QPushButton("Remove", functions), "Button31");
    buttons->addWidget(Button30);
    buttons->addWidget(Button31);
    left->addLayout(buttons);
    ListBox1->setContextMenuPolicy(Qt::ActionsContextMenu);
    AddItem = new QAction("Add", ListBox1);
    auto* removeItem = new QAction("Remove", ListBox1);
    ListBox1->addActions({AddItem, removeItem});
    connect(AddItem, &QAction::triggered, Button30, &QPushButton::click);
    connect(removeItem, &QAction::triggered, Button31, &QPushButton::click);
    // The list keeps its place at the left while the editor beside it is hidden.
    layout->addWidget(functions, 0, Qt::AlignLeft);

    GroupBox30 = Named(new QGroupBox("Edit Output Function", this), "GroupBox30");
    auto* grid = new QGridLayout(GroupBox30);
    grid->addWidget(new QLabel("Label", GroupBox30), 0, 0);
    Edit6 = Named(new QLineEdit(GroupBox30), "Edit6");
    Edit6->setMaxLength(10);
    platform::RefuseBeyondCp1252(Edit6);
    Edit6->setMaximumWidth(120);
    grid->addWidget(Edit6, 0, 1, 1, 1, Qt::AlignLeft);
    ListView15 = Named(new QTreeWidget(GroupBox30), "ListView15");
    ListView15->setHeaderLabels({"Condition", "Source 1", "Level 1", "Source 2", "Level 2"});
    ListView15->setRootIsDecorated(false);
    ListView15->setAcceptDrops(true);
    ListView15->viewport()->setAcceptDrops(true);
    ListView15->viewport()->installEventFilter(this);
    ListView15->installEventFilter(this);
    ListView15->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->addWidget(ListView15, 1, 0, 1, 6);
    Button32 = Named(new QPushButton("Insert Source", GroupBox30), "Button32");
    Button33 = Named(new QPushButton("Condition ...", GroupBox30), "Button33");
    Button35 = Named(new QPushButton("Source &1 ...", GroupBox30), "Button35");
    Button34 = Named(new QPushButton("Source &2 ...", GroupBox30), "Button34");
    Button36 = Named(new QPushButton("Remove Source", GroupBox30), "Button36");
    int column = 0;
    for (QPushButton* button : {Button32, Button33, Button35, Button34, Button36})
        grid->addWidget(button, 2, column++);
    lblOutfktCond = Named(new QLabel(GroupBox30), "lblOutfktCond");
    lblOutfktSrcL = Named(new QLabel(GroupBox30), "lblOutfktSrcL");
    lblOutfktPotL = Named(new QLabel(GroupBox30), "lblOutfktPotL");
    lblOutfktSrcR = Named(new QLabel(GroupBox30), "lblOutfktSrcR");
    lblOutfktPotR = Named(new QLabel(GroupBox30), "lblOutfktPotR");
    Label80 = Named(new QLabel(GroupBox30), "Label80");
    Label79 = Named(new QLabel(GroupBox30), "Label79");
    // The selected row's texts, each with the room of one column.
    auto* texts = new QGridLayout;
    int at = 0;
    for (QLabel* label : {lblOutfktCond, lblOutfktSrcL, lblOutfktPotL, lblOutfktSrcR, lblOutfktPotR}) {
        texts->addWidget(label, 0, at);
        texts->setColumnStretch(at++, 1);
    }
    texts->addWidget(Label80, 1, 1);
    texts->addWidget(Label79, 1, 3);
    grid->addLayout(texts, 3, 0, 1, 6);
    layout->addWidget(GroupBox30, 1);

    PopupMenu18 = new QMenu(ListView15);
    InsertItem = PopupMenu18->addAction("Insert Source");
    ConditionItem = PopupMenu18->addAction("Select Condition ...");
    Source1Item = PopupMenu18->addAction("Source 1...");
    Source2Item = PopupMenu18->addAction("Source 2...");
    PopupMenu18->addSeparator();
    SetLevel1 = PopupMenu18->addAction("Set Level 1");
    SetLevel2 = PopupMenu18->addAction("Set Level 2");
    PopupMenu18->addSeparator();
    RemoveSourceItem = PopupMenu18->addAction("Remove Source");

    FPage.Changed = [this] { Show(); };
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { FPage.SelectFunction(ListBox1->currentRow()); });
    connect(Button30, &QPushButton::clicked, this, [this] { FPage.Add(); });
    connect(Button31, &QPushButton::clicked, this, [this] { FPage.Remove(); });
    connect(Edit6, &QLineEdit::textEdited, this,
            [this](const QString& text) { FPage.SetLabel(platform::toCp1252(text)); });
    connect(ListView15, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { FPage.SelectRow(ListView15->indexOfTopLevelItem(item)); });
    connect(ListView15, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int column) {
        FPage.SelectRow(ListView15->indexOfTopLevelItem(item));
        FPage.DoubleClick(column);
    });
    connect(Button32, &QPushButton::clicked, this, [this] { FPage.InsertSource(); });
    connect(InsertItem, &QAction::triggered, this, [this] { FPage.InsertSource(); });
    connect(Button33, &QPushButton::clicked, this, [this] { FPage.PickCondition(); });
    connect(ConditionItem, &QAction::triggered, this, [this] { FPage.PickCondition(); });
    connect(Button35, &QPushButton::clicked, this, [this] { FPage.PickSource(1); });
    connect(Source1Item, &QAction::triggered, this, [this] { FPage.PickSource(1); });
    connect(Button34, &QPushButton::clicked, this, [this] { FPage.PickSource(2); });
    connect(Source2Item, &QAction::triggered, this, [this] { FPage.PickSource(2); });
    connect(Button36, &QPushButton::clicked, this, [this] { FPage.RemoveSource(); });
    connect(RemoveSourceItem, &QAction::triggered, this, [this] { FPage.RemoveSource(); });
    connect(SetLevel1, &QAction::triggered, this, [this] { FPage.ToggleLevel(1); });
    connect(SetLevel2, &QAction::triggered, this, [this] { FPage.ToggleLevel(2); });
    connect(ListView15, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QTreeWidgetItem* item = ListView15->itemAt(at))
            FPage.SelectRow(ListView15->indexOfTopLevelItem(item));
        PopupMenu18Popup();
        PopupMenu18->popup(ListView15->viewport()->mapToGlobal(at));
    });
    ListBox1->installEventFilter(this);
    Show();
}

void TOutputFunctionsPage::FillOutputFunctions()
{
    FPage.FillOutputFunctions();
    FPage.RefreshOutputFunctionEditor();
}

void TOutputFunctionsPage::Show()
{
    if (FShowing)
        return;
    FShowing = true;
    if (FShownLines != FPage.Lines()) {
        FShownLines = FPage.Lines();
        ListBox1->clear();
        for (const std::string& line : FShownLines)
            ListBox1->addItem(platform::fromCp1252(line));
    }
    ListBox1->setCurrentRow(FPage.Selected());
    Button30->setEnabled(FPage.AddEnabled());
    AddItem->setEnabled(FPage.AddEnabled());
    Button31->setEnabled(FPage.RemoveEnabled());
    GroupBox30->setVisible(FPage.EditorVisible());
    if (Edit6->text() != platform::fromCp1252(FPage.Label()))
        Edit6->setText(platform::fromCp1252(FPage.Label()));
    Button32->setEnabled(FPage.InsertEnabled());
    InsertItem->setEnabled(FPage.InsertEnabled());
    ShowRows();
    FShowing = false;
}

void TOutputFunctionsPage::ShowRows()
{
    if (FShownRows != FPage.Rows() || ListView15->topLevelItemCount() != static_cast<int>(FPage.Rows().size())) {
        FShownRows = FPage.Rows();
        ListView15->clear();
        for (const OutFktRowView& row : FShownRows)
            new QTreeWidgetItem(ListView15, {platform::fromCp1252(row.Condition), platform::fromCp1252(row.Source1),
                                         platform::fromCp1252(row.Level1), platform::fromCp1252(row.Source2),
                                         platform::fromCp1252(row.Level2)});
    }
    const int selected = FPage.SelectedRow();
    ListView15->setCurrentItem(selected >= 0 ? ListView15->topLevelItem(selected) : nullptr);
    const std::vector<std::string>& texts = FPage.RowTexts();
    QLabel* labels[] = {lblOutfktCond, lblOutfktSrcL, lblOutfktPotL, lblOutfktSrcR, lblOutfktPotR};
    for (std::size_t i = 0; i < 5; ++i)
        labels[i]->setText(i < texts.size() ? platform::fromCp1252(texts[i]) : QString());
    Label80->setText(QString::fromLatin1(FPage.PhaseText(1).c_str()));
    Label79->setText(QString::fromLatin1(FPage.PhaseText(2).c_str()));
    Button33->setEnabled(FPage.ConditionEnabled());
    Button35->setEnabled(FPage.SourcesEnabled());
    Button34->setEnabled(FPage.SourcesEnabled());
    Source1Item->setEnabled(FPage.SourcesEnabled());
    Source2Item->setEnabled(FPage.SourcesEnabled());
    Button36->setEnabled(FPage.RemoveSourceEnabled());
    RemoveSourceItem->setEnabled(FPage.PopupRowEnabled());
    ConditionItem->setEnabled(FPage.PopupRowEnabled());
}

void TOutputFunctionsPage::PopupMenu18Popup()
{
    for (auto [action, n] : {std::pair{SetLevel1, 1}, std::pair{SetLevel2, 2}}) {
        const std::string caption = FPage.LevelCaption(n);
        action->setEnabled(!caption.empty());
        if (!caption.empty())
            action->setText(QString::fromLatin1(caption.c_str()));
    }
}

bool TOutputFunctionsPage::Takes(const QMimeData* Data) const
{
    return IsSourceDrag(Data, SourceDragKind::Logic) || IsSourceDrag(Data, SourceDragKind::Audio) ||
           IsRowDragFrom(Data, ListView15);
}

// A logic source lands on a row's condition, an audio source on its sources and levels, a row of
// the list on another row.
bool TOutputFunctionsPage::LandsAt(const QDropEvent& Event)
{
    const QPoint at = Event.position().toPoint();
    const int row = RowAt(ListView15, at);
    const int column = ColumnAt(ListView15, at);
    const QMimeData* data = Event.mimeData();
    if (IsSourceDrag(data, SourceDragKind::Logic))
        return FPage.AcceptsLogic(row, column);
    if (IsSourceDrag(data, SourceDragKind::Audio))
        return FPage.AcceptsAudio(row, column);
    return FPage.AcceptsRowMove(row);
}

void TOutputFunctionsPage::Drop(QDropEvent* Event)
{
    const QPoint at = Event->position().toPoint();
    const int row = RowAt(ListView15, at);
    const int column = ColumnAt(ListView15, at);
    const QMimeData* data = Event->mimeData();
    if (IsSourceDrag(data, SourceDragKind::Logic))
        FPage.DropLogic(row, column);
    else if (IsSourceDrag(data, SourceDragKind::Audio))
        FPage.DropAudio(row, column);
    else if (IsRowDragFrom(data, ListView15))
        FPage.MoveRow(row);
}

bool TOutputFunctionsPage::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == ListBox1) {
        if (Event->type() == QEvent::KeyRelease) {
            if (static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete)
                FPage.Remove();
            else
                FPage.SelectFunction(ListBox1->currentRow());
        }
        return QWidget::eventFilter(Watched, Event);
    }
    if (Watched == ListView15) {
        if (Event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete) {
            FPage.RemoveSource();
            return true;
        }
        return QWidget::eventFilter(Watched, Event);
    }
    if (Watched != ListView15->viewport())
        return QWidget::eventFilter(Watched, Event);
    if (controls::answerDragEvent(Event, {.Takes = [this](const QMimeData* Data) { return Takes(Data); },
                                          .LandsAt = [this](const QDropEvent& Drag) { return LandsAt(Drag); },
                                          .Dropped = [this](QDropEvent& Dropped) { Drop(&Dropped); }}))
        return true;
    switch (Event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(Event);
        const int row = RowAt(ListView15, mouse->position().toPoint());
        FPage.SelectRow(row);
        FRowDrag.Arm(mouse->button() == Qt::LeftButton && row > 0, mouse->position().toPoint());
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(Event);
        return (mouse->buttons() & Qt::LeftButton) &&
               FRowDrag.StartIfFar(ListView15, mouse->position().toPoint(), [this] { return MakeRowDrag(ListView15); },
                                   Qt::MoveAction);
    }
    case QEvent::MouseButtonRelease: FRowDrag.Cancel(); return false;
    default: return QWidget::eventFilter(Watched, Event);
    }
}

} // namespace kvr::editors
