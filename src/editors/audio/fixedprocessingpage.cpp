#include "editors/audio/fixedprocessingpage.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "controls/dragtarget.h"
#include "editors/dsp/devparaform.h"
#include "editors/common/editorhost.h"
#include "editors/sources/rowdrag.h"
#include "editors/common/sourceassign.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "platform/text1252.h"

namespace kvr::editors {

namespace {

QTreeWidget* FunctionList(QWidget* parent, const char* name)
{
    auto* list = new RowDragList(parent);
    list->setObjectName(name);
    list->setHeaderLabels({"Type", "Resource"});
    // "Type" takes what "Resource" leaves; the list is made wide enough for both (FitFunctionLists).
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    return list;
}

// Every function list as wide as the longest catalogue name and the "Resource" column need, so
// that neither is cut and no horizontal scroll bar shows.
void FitFunctionLists(std::initializer_list<QTreeWidget*> lists)
{
    for (QTreeWidget* list : lists) {
        const QStyle* style = list->style();
        const QFontMetrics metrics = list->fontMetrics();
        // The item text's margin on each side, as the item views draw it.
        const int textMargin = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
        int name = metrics.horizontalAdvance(list->headerItem()->text(0));
        int resource = 0;
        for (const auto& catalogue : {FixedProcessingPage::StandardFunctions(), FixedProcessingPage::EnhancedFunctions()})
            for (const ProcessingFunction& f : catalogue) {
                name = std::max(name, metrics.horizontalAdvance(platform::fromCp1252(f.Name)));
                resource = std::max(resource, metrics.horizontalAdvance(QString::number(f.Resource)));
            }
        const int resourceColumn = std::max(list->header()->sectionSizeHint(1), resource + textMargin);
        list->setMinimumWidth(name + textMargin + resourceColumn + 2 * list->frameWidth() +
                              style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list));
    }
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, int width = 40)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    if (width > 0)
        button->setFixedWidth(width);
    return button;
}

int Row(const QTreeWidget* list)
{
    const QTreeWidgetItem* item = list->currentItem();
    return item ? list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}

void FillFunctions(QTreeWidget* list, const std::vector<ProcessingFunction>& functions)
{
    list->clear();
    for (const ProcessingFunction& f : functions) {
        auto* item = new QTreeWidgetItem(list, {platform::fromCp1252(f.Name), QString::number(f.Resource)});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, Qt::UserRole, f.Type);
        item->setData(0, Qt::UserRole + 1, f.Maximum);
    }
}

// The page's own editor: the modal options dialog.
class FormEditor : public DspParamEditor {
public:
    explicit FormEditor(TFixedProcessingPage& Page) : FPage(Page) {}
    bool Edit(int Type, DspWords& Words) override
    {
        TDevParaForm* form = FPage.ParamForm();
        form->DSPFunctionType = Type;
        form->Parameters = Words;
        if (form->ShowModal() != 1)
            return false;
        Words = form->Parameters;
        return true;
    }

private:
    TFixedProcessingPage& FPage;
};

} // namespace

TFixedProcessingPage::TFixedProcessingPage(EditorHost& Host, QWidget* Parent) : QWidget(Parent), FHost(Host)
{
    setObjectName("FixedProcessingPage");
    auto* layout = new QHBoxLayout(this);

    auto* processings = new QGroupBox("Fixed Processing", this);
    auto* left = new QVBoxLayout(processings);
    ListBox2 = new QListWidget(processings);
    ListBox2->setObjectName("ListBox2");
    ListBox2->setContextMenuPolicy(Qt::DefaultContextMenu);
    left->addWidget(ListBox2);
    auto* leftButtons = new QHBoxLayout;
    Button40 = Button(processings, "Button40", "Add", 0);
    Button41 = Button(processings, "Button41", "Remove", 0);
    leftButtons->addWidget(Button40);
    leftButtons->addWidget(Button41);
    left->addLayout(leftButtons);
    // The list holds labels of at most ten characters: the group takes no more than it needs
    // for them and its buttons, and leaves the rest to the edit group.
    ListBox2->setMinimumWidth(ListBox2->fontMetrics().horizontalAdvance(QString(10, QChar('W'))) + 2 * ListBox2->frameWidth() +
                              ListBox2->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ListBox2));
    processings->setFixedWidth(processings->minimumSizeHint().width());
    layout->addWidget(processings, 0);

    GroupBox32 = new QGroupBox("Edit Fixed Processing", this);
    GroupBox32->setObjectName("GroupBox32");
    auto* edit = new QVBoxLayout(GroupBox32);
    // Label and stereo switch above, the source below, so the label stays whole beside the
    // source and its button.
    auto* head = new QGridLayout;
    head->addWidget(new QLabel("Label", GroupBox32), 0, 0);
    Edit20 = new QLineEdit(GroupBox32);
    Edit20->setObjectName("Edit20");
    Edit20->setMaxLength(10);
    platform::RefuseBeyondCp1252(Edit20);
    const int tenWide = Edit20->fontMetrics().horizontalAdvance(QString(10, QChar('W')));
    const int editFrame = 2 * Edit20->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, Edit20);
    Edit20->setMinimumWidth(tenWide + editFrame + 4 /* the line edit's own text margins */);
    head->addWidget(Edit20, 0, 1, Qt::AlignLeft);
    head->addWidget(new QLabel("Source", GroupBox32), 1, 0);
    Panel16 = new QLabel(GroupBox32);
    Panel16->setObjectName("Panel16");
    Panel16->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel16->setMinimumWidth(160);
    Panel16->setAcceptDrops(true);
    Panel16->installEventFilter(this);
    head->addWidget(Panel16, 1, 1);
    Button37 = Button(GroupBox32, "Button37", "Select ...", 0);
    head->addWidget(Button37, 1, 2);
    CheckBox20 = new QCheckBox("Stereo", GroupBox32);
    CheckBox20->setObjectName("CheckBox20");
    head->addWidget(CheckBox20, 0, 2);
    head->setColumnStretch(1, 1);
    edit->addLayout(head);

    auto* lists = new QHBoxLayout;
    auto* selected = new QVBoxLayout;
    selected->addWidget(new QLabel("Selected DSP-Functions", GroupBox32));
    ListView16 = FunctionList(GroupBox32, "ListView16");
    selected->addWidget(ListView16);
    lists->addLayout(selected, 1);
    auto* middle = new QVBoxLayout;
    Button38 = Button(GroupBox32, "Button38", "<<");
    Button39 = Button(GroupBox32, "Button39", ">>");
    Button58 = Button(GroupBox32, "Button58", "<<");
    middle->addStretch();
    middle->addWidget(Button38);
    middle->addWidget(Button39);
    middle->addStretch();
    middle->addWidget(Button58);
    middle->addStretch();
    lists->addLayout(middle);
    auto* offers = new QVBoxLayout;
    offers->addWidget(new QLabel("Standard DSP-Functions", GroupBox32));
    ListView17 = FunctionList(GroupBox32, "ListView17");
    offers->addWidget(ListView17, 2);
    offers->addWidget(new QLabel("Enhanced DSP-Functions", GroupBox32));
    ListView10 = FunctionList(GroupBox32, "ListView10");
    offers->addWidget(ListView10, 1);
    lists->addLayout(offers, 1);
    edit->addLayout(lists);
    FitFunctionLists({ListView16, ListView17, ListView10});
    layout->addWidget(GroupBox32, 1);
    layout->addStretch(0); // keeps the list at the left while the edit group is hidden
    GroupBox32->hide();

    connect(ListBox2, &QListWidget::itemClicked, this, [this] { ListBox2Click(); });
    connect(Button40, &QPushButton::clicked, this, [this] { AddClick(); });
    connect(Button41, &QPushButton::clicked, this, [this] { RemoveClick(); });
    connect(Edit20, &QLineEdit::textEdited, this, [this](const QString& text) {
        auto rules = Rules();
        const int index = SelectedProcessing();
        if (FFillingFixedProcessing || !rules || index < 0)
            return;
        rules->SetLabel(index, platform::toCp1252(text.left(10)));
        ListBox2->item(index)->setText(text.left(10));
        RebuildSources();
    });
    connect(CheckBox20, &QCheckBox::clicked, this, [this](bool on) {
        auto rules = Rules();
        const int index = SelectedProcessing();
        if (FFillingFixedProcessing || !rules || index < 0)
            return;
        rules->SetStereo(index, on);
        ListBox2Click();
        RebuildSources();
    });
    connect(Button37, &QPushButton::clicked, this, [this] {
        AudioSourcePicker* picker = FHost.AudioSources();
        auto rules = Rules();
        ProcessingView view;
        if (!picker || !rules || !rules->View(SelectedProcessing(), view))
            return;
        picker->SetTargetKind(atFixedProcessing);
        picker->SelectAudioSource(view.Source);
        picker->SetDeviceIndex(FHost.CurrentDevice());
        picker->ShowPicker();
    });
    connect(Button38, &QPushButton::clicked, this, [this] { AddFunction(ListView17); });
    connect(Button58, &QPushButton::clicked, this, [this] { AddFunction(ListView10); });
    connect(Button39, &QPushButton::clicked, this, [this] { RemoveFunctionClick(); });
    for (QTreeWidget* offersList : {ListView17, ListView10})
        connect(offersList, &QTreeWidget::itemDoubleClicked, this, [this, offersList](QTreeWidgetItem* item) {
            // A double click appends.
            offersList->setCurrentItem(item);
            ListView16->setCurrentItem(nullptr);
            AddFunction(offersList);
        });
    connect(ListView16, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        ListView16->setCurrentItem(item);
        EditFunction();
    });
    ListBox2->installEventFilter(this);
    ListView16->installEventFilter(this);
    // Drags between the chain and the offer lists; the page decides every drop itself.
    for (QTreeWidget* list : {ListView16, ListView17, ListView10})
        list->viewport()->installEventFilter(this);
}

// The list a row dragged onto Target comes from, nullptr for a drag Target does not take.
QTreeWidget* TFixedProcessingPage::DragSource(QTreeWidget* Target, const QMimeData* Data) const
{
    if (IsRowDragFrom(Data, ListView16))
        return ListView16;
    if (Target != ListView16)
        return nullptr;
    return IsRowDragFrom(Data, ListView17) ? ListView17 : IsRowDragFrom(Data, ListView10) ? ListView10 : nullptr;
}

// A function moved inside the chain lands on a row and adds nothing, so the limits do not stop
// it; an offered function lands anywhere on the chain while one may be added.
bool TFixedProcessingPage::LandsAt(QTreeWidget* Target, const QDropEvent& Drag) const
{
    if (Target != ListView16)
        return true;
    if (DragSource(Target, Drag.mimeData()) == ListView16)
        return RowAt(ListView16, Drag.position().toPoint()) >= 0;
    return CanAddNow();
}

bool TFixedProcessingPage::CanAddNow() const
{
    auto rules = Rules();
    return rules && rules->CanAddFunction();
}

void TFixedProcessingPage::Dropped(QTreeWidget* Target, QTreeWidget* Source, const QPoint& At)
{
    QTreeWidgetItem* under = Target->itemAt(At);
    if (Target != ListView16) {
        RemoveFunctionClick();
        return;
    }
    if (Source == ListView16) {
        auto rules = Rules();
        const int from = Row(ListView16);
        const int index = SelectedProcessing();
        if (!rules || !under || from < 0 || index < 0)
            return;
        rules->MoveFunction(index, from, ListView16->indexOfTopLevelItem(under));
        ListBox2Click();
        return;
    }
    // An added function goes in before the item under the mouse, or at the end.
    ListView16->setCurrentItem(under);
    AddFunction(Source);
}

TFixedProcessingPage::~TFixedProcessingPage() = default;

TDevParaForm* TFixedProcessingPage::ParamForm()
{
    if (!FForm)
        FForm = new TDevParaForm(this);
    return FForm;
}

bool TFixedProcessingPage::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete) {
        if (Watched == ListBox2) {
            RemoveClick();
            return true;
        }
        if (Watched == ListView16) {
            RemoveFunctionClick();
            return true;
        }
    }
    // An audio source dropped on the source panel is assigned as the "Select ..." window would.
    if (Watched == Panel16 &&
        controls::answerDragEvent(Event, {.Takes = TakesSourceDrag(SourceDragKind::Audio),
                                          .Dropped = [this](QDropEvent&) {
                                              if (AudioSourcePicker* picker = FHost.AudioSources()) {
                                                  picker->SetTargetKind(atFixedProcessing);
                                                  picker->Assign();
                                              }
                                          }}))
        return true;
    for (QTreeWidget* list : {ListView16, ListView17, ListView10}) {
        if (Watched == list->viewport() &&
            controls::answerDragEvent(
                Event, {.Takes = [this, list](const QMimeData* Data) { return DragSource(list, Data) != nullptr; },
                        .LandsAt = [this, list](const QDropEvent& Drag) { return LandsAt(list, Drag); },
                        .Dropped =
                            [this, list](QDropEvent& Drop) {
                                Drop.setDropAction(Qt::IgnoreAction); // the page refills; the views keep their items
                                Dropped(list, DragSource(list, Drop.mimeData()), Drop.position().toPoint());
                            }}))
            return true;
    }
    if (Event->type() == QEvent::ContextMenu && Watched == ListBox2) {
        QMenu menu(this);
        QAction* add = menu.addAction("Add");
        add->setEnabled(Button40->isEnabled());
        QAction* remove = menu.addAction("Remove");
        QAction* chosen = menu.exec(static_cast<QContextMenuEvent*>(Event)->globalPos());
        if (chosen == add)
            AddClick();
        else if (chosen == remove)
            RemoveClick();
        return true;
    }
    return QWidget::eventFilter(Watched, Event);
}

std::unique_ptr<FixedProcessingPage> TFixedProcessingPage::Rules() const
{
    model::TProject* project = FHost.Project();
    const int device = FHost.CurrentDevice();
    if (!project || device < 0 || !project->Device(device) || project->Device(device)->IsDummy())
        return nullptr;
    return std::make_unique<FixedProcessingPage>(*project, device);
}

int TFixedProcessingPage::SelectedProcessing() const
{
    return ListBox2->currentRow();
}

void TFixedProcessingPage::RebuildSources()
{
    if (AudioSourcePicker* picker = FHost.AudioSources()) {
        picker->SetDeviceIndex(FHost.CurrentDevice());
        picker->BuildSourceTree();
    }
}

void TFixedProcessingPage::FillFixedProcessing()
{
    if (AudioSourcePicker* picker = FHost.AudioSources())
        picker->SetTarget(atFixedProcessing, this);
    auto rules = Rules();
    const int selected = SelectedProcessing();
    ListBox2->clear();
    FillFunctions(ListView17, FixedProcessingPage::StandardFunctions());
    FillFunctions(ListView10, FixedProcessingPage::EnhancedFunctions());
    if (!rules) {
        Button40->setEnabled(false);
        Button41->setEnabled(false);
        GroupBox32->hide();
        return;
    }
    for (const std::string& label : rules->Labels())
        ListBox2->addItem(platform::fromCp1252(label));
    Button40->setEnabled(rules->CanAddProcessing());
    if (selected < 0) {
        Button41->setEnabled(false);
        GroupBox32->hide();
        FHost.UpdateResourceGauges();
        return;
    }
    const bool exists = selected < ListBox2->count();
    ListBox2->setCurrentRow(exists ? selected : -1);
    Button41->setEnabled(exists);
    ListBox2Click();
    FHost.UpdateResourceGauges();
}

void TFixedProcessingPage::ListBox2Click()
{
    auto rules = Rules();
    ProcessingView view;
    const int index = SelectedProcessing();
    if (!rules || index < 0 || !rules->View(index, view)) {
        GroupBox32->hide();
        return;
    }
    FFillingFixedProcessing = true;
    Edit20->setText(platform::fromCp1252(view.Label));
    Button41->setEnabled(true);
    CheckBox20->setChecked(view.Stereo);
    Panel16->setText(platform::fromCp1252(view.SourceText));
    const int row = Row(ListView16);
    FillFunctions(ListView16, view.Functions);
    if (row >= 0 && row < ListView16->topLevelItemCount())
        ListView16->setCurrentItem(ListView16->topLevelItem(row));
    const bool canAdd = rules->CanAddFunction();
    Button38->setEnabled(canAdd);
    Button58->setEnabled(canAdd);
    GroupBox32->show();
    FFillingFixedProcessing = false;
}

void TFixedProcessingPage::AddClick()
{
    auto rules = Rules();
    if (!rules)
        return;
    const int index = rules->AddProcessing();
    if (index < 0)
        return;
    ListBox2->clear();
    for (const std::string& label : rules->Labels())
        ListBox2->addItem(platform::fromCp1252(label));
    ListBox2->setCurrentRow(index);
    FillFixedProcessing();
    RebuildSources();
}

void TFixedProcessingPage::RemoveClick()
{
    auto rules = Rules();
    const int index = SelectedProcessing();
    if (!rules || index < 0)
        return;
    rules->RemoveProcessing(index);
    FillFixedProcessing();
    RebuildSources();
}

void TFixedProcessingPage::AddFunction(QTreeWidget* Offers)
{
    auto rules = Rules();
    const int index = SelectedProcessing();
    const QTreeWidgetItem* item = Offers->currentItem();
    if (FFillingFixedProcessing || !rules || index < 0 || !item)
        return;
    ProcessingFunction offer;
    offer.Type = item->data(0, Qt::UserRole).toInt();
    offer.Maximum = item->data(0, Qt::UserRole + 1).toInt();
    const std::string refusal = rules->AddFunction(index, offer, Row(ListView16));
    if (!refusal.empty())
        platform::prompter().showMessage(QString::fromStdString(refusal));
    ListBox2Click();
    FHost.UpdateResourceGauges();
}

void TFixedProcessingPage::RemoveFunctionClick()
{
    auto rules = Rules();
    const int index = SelectedProcessing();
    const int row = Row(ListView16);
    if (FFillingFixedProcessing || !rules || index < 0 || row < 0)
        return;
    rules->RemoveFunction(index, row);
    FHost.UpdateResourceGauges();
    ListBox2Click();
}

void TFixedProcessingPage::EditFunction()
{
    auto rules = Rules();
    const int index = SelectedProcessing();
    const int row = Row(ListView16);
    if (!rules || index < 0 || row < 0)
        return;
    if (!FEditor) {
        FOwnEditor = std::make_unique<FormEditor>(*this);
        FEditor = FOwnEditor.get();
    }
    if (rules->EditFunction(index, row, *FEditor))
        FHost.UpdateResourceGauges();
}

TargetSelection TFixedProcessingPage::Selection(int Kind)
{
    TargetSelection selection;
    if (Kind == atFixedProcessing)
        selection.Element = SelectedProcessing();
    return selection;
}

void TFixedProcessingPage::Refresh(int Kind, const PickedSource&)
{
    if (Kind == atFixedProcessing)
        ListBox2Click();
}

} // namespace kvr::editors
