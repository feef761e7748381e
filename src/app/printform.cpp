#include "app/printform.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

#include "platform/currentprompter.h"
#include "platform/documentprintservice.h"
#include "platform/text1252.h"

namespace kvr::app {

namespace {

struct BoxSpec {
    const char* Name;
    const char* Caption;
};
// In the run's order.
constexpr std::array<BoxSpec, reports::pbCount> BoxSpecs{{
    {"CheckBox9", "Global Logic table"},
    {"CheckBox2", "DSP Frame view"},
    {"CheckBox4", "DSP Frame Audio configuration"},
    {"CheckBox5", "DSP Frame MADI configuration"},
    {"CheckBox6", "DSP Frame GPIO configuration"},
    {"CheckBox7", "Consoles Layout Overview"},
    {"CheckBox3", "Modules Layout"},
    {"CheckBox8", "Print Key Labels"},
    {"CheckBox10", "Output Routing"},
}};

QGroupBox* Group(const char* Name, const char* Caption, QWidget* Parent)
{
    auto* group = new QGroupBox(Caption, Parent);
    group->setObjectName(Name);
    new QVBoxLayout(group);
    return group;
}

} // namespace

TPrintForm::TPrintForm(reports::PrintHost& Host, QWidget* Parent, std::unique_ptr<platform::PrintService> Service)
    : QDialog(Parent), FService(std::move(Service))
{
    if (!FService)
        FService = std::make_unique<platform::DocumentPrintService>(this);
    setObjectName("PrintForm");
    setWindowTitle("Print");
    resize(422, 437);
    FRun = std::make_unique<reports::PrintRun>(Host, *FService, reports::DefaultPrintSections(),
                                               [] { QCoreApplication::processEvents(); });

    GroupBox1 = Group("GroupBox1", "Devices", this);
    CheckListBox2 = new QListWidget(GroupBox1);
    CheckListBox2->setObjectName("CheckListBox2");
    // One column of check boxes that scrolls down: twenty devices read as a list, not as a
    // row of columns that runs off sideways.
    CheckListBox2->setFlow(QListView::TopToBottom);
    CheckListBox2->setWrapping(false);
    CheckListBox2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CheckListBox2->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    CheckListBox2->setSelectionMode(QAbstractItemView::NoSelection);
    CheckListBox2->installEventFilter(this);
    GroupBox1->layout()->addWidget(CheckListBox2);

    GroupBox2 = Group("GroupBox2", "Print documentation", this);
    RadioButton1 = new QRadioButton("All", GroupBox2);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton2 = new QRadioButton("Selected:", GroupBox2);
    RadioButton2->setObjectName("RadioButton2");
    auto* choice = new QHBoxLayout;
    choice->addWidget(RadioButton1);
    choice->addWidget(RadioButton2);
    choice->addStretch(1);
    static_cast<QVBoxLayout*>(GroupBox2->layout())->addLayout(choice);
    QGroupBox* global = Group("GroupBox5", "Global informations", GroupBox2);
    QGroupBox* frame = Group("GroupBox3", "DSP Frame Configuration", GroupBox2);
    QGroupBox* console = Group("GroupBox4", "Console Configuration", GroupBox2);
    for (std::size_t i = 0; i < SectionBoxes.size(); ++i) {
        QGroupBox* owner = i == reports::pbGlobalLogicTable ? global
                           : (i >= reports::pbConsolesLayout && i <= reports::pbKeyLabels) ? console
                                                                                             : frame;
        SectionBoxes[i] = new QCheckBox(BoxSpecs[i].Caption, owner);
        SectionBoxes[i]->setObjectName(BoxSpecs[i].Name);
        owner->layout()->addWidget(SectionBoxes[i]);
        connect(SectionBoxes[i], &QCheckBox::clicked, this, [this, i](bool checked) {
            FRun->SetBoxChecked(static_cast<reports::PrintBox>(i), checked);
            Sync();
        });
    }
    // One column, so that no caption is cut.
    GroupBox2->layout()->addWidget(global);
    GroupBox2->layout()->addWidget(frame);
    GroupBox2->layout()->addWidget(console);

    Button3 = new QPushButton("Start Print ", this);
    Button3->setObjectName("Button3");
    Button1 = new QPushButton("Close", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    PrintStatus = new QLabel(this);
    PrintStatus->setObjectName("PrintStatus");
    PrintProgress = new QProgressBar(this);
    PrintProgress->setObjectName("PrintProgress");
    // A long printer title does not widen the window, and the rows keep their place while idle.
    PrintStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QWidget* w : std::initializer_list<QWidget*>{PrintStatus, PrintProgress}) {
        QSizePolicy keep = w->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        w->setSizePolicy(keep);
        w->hide();
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button3);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1, 1);
    layout->addWidget(GroupBox2);
    layout->addWidget(PrintStatus);
    layout->addWidget(PrintProgress);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, &TPrintForm::Button3Click);
    connect(RadioButton1, &QRadioButton::clicked, this, [this] {
        FRun->RadioButton1Click();
        Sync();
    });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] {
        FRun->RadioButton2Click();
        Sync();
    });
    connect(CheckListBox2, &QListWidget::itemChanged, this, &TPrintForm::CheckListBox2ClickCheck);
    connect(CheckListBox2, &QListWidget::itemClicked, this, &TPrintForm::ToggleItem);
    FRun->OnProgress = [this] { ShowProgress(); };
    Sync();
}

TPrintForm::~TPrintForm() = default;

void TPrintForm::FormShow()
{
    try {
        FRun->FormShow();
    } catch (const std::runtime_error& e) {
        platform::prompter().showMessage(QString::fromUtf8(e.what()));
        FRun->Result = reports::PrintRun::ModalResult::Cancel;
    }
    Sync();
}

void TPrintForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    FormShow();
    // A window that cannot print closes right after it opened.
    if (FRun->Result != reports::PrintRun::ModalResult::None)
        QMetaObject::invokeMethod(this, &TPrintForm::CloseByResult, Qt::QueuedConnection);
}

void TPrintForm::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape) {
        // During a run this stops it at the next page; the run's end closes the window.
        FRun->FormKeyDown(27);
        CloseByResult();
        return;
    }
    QDialog::keyPressEvent(Event);
}

bool TPrintForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == CheckListBox2 && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Space && CheckListBox2->currentItem()) {
        ToggleItem(CheckListBox2->currentItem());
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TPrintForm::reject()
{
    if (FRun->Running()) {
        FRun->Stop();
        return;
    }
    QDialog::reject();
}

void TPrintForm::ToggleItem(QListWidgetItem* Item)
{
    if (!Item || !CheckListBox2->isEnabled())
        return;
    Item->setCheckState(Item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TPrintForm::ShowProgress()
{
    const reports::PrintRun& run = *FRun;
    const bool running = run.Running();
    Button3->setEnabled(run.StartEnabled);
    PrintStatus->setVisible(running);
    PrintProgress->setVisible(running);
    if (!running)
        return;
    PrintProgress->setRange(0, std::max(run.Progress.Total, 1));
    PrintProgress->setValue(run.Progress.Done);
    PrintStatus->setText(run.Progress.Documents == 0
                             ? QString("Printing ...")
                             : QString("Printing document %1, page %2: %3")
                                   .arg(run.Progress.Documents)
                                   .arg(run.Progress.Pages)
                                   .arg(platform::fromCp1252(run.Progress.Title)));
}

void TPrintForm::Button3Click()
{
    FRun->Button3Click();
    Sync();
    CloseByResult();
}

void TPrintForm::CheckListBox2ClickCheck(QListWidgetItem* Item)
{
    if (FSyncing)
        return;
    FRun->SetItemChecked(static_cast<std::size_t>(CheckListBox2->row(Item)), Item->checkState() == Qt::Checked);
    Sync();
}

void TPrintForm::CloseByResult()
{
    const auto result = FRun->Result;
    if (result == reports::PrintRun::ModalResult::None || !isVisible())
        return;
    FRun->Result = reports::PrintRun::ModalResult::None;
    if (result == reports::PrintRun::ModalResult::Ok)
        accept();
    else
        reject();
}

void TPrintForm::Sync()
{
    FSyncing = true;
    const reports::PrintRun& run = *FRun;
    if (CheckListBox2->count() != static_cast<int>(run.Items.size())) {
        CheckListBox2->clear();
        for (const auto& item : run.Items) {
            // Not checkable by the view itself: a click anywhere on the row ticks it, once.
            auto* entry = new QListWidgetItem(platform::fromCp1252(item.Name), CheckListBox2);
            entry->setFlags(Qt::ItemIsEnabled);
        }
        // Tall enough for ten devices; more scroll.
        const int rows = std::clamp(CheckListBox2->count(), 3, 10);
        const int row = std::max(CheckListBox2->sizeHintForRow(0), CheckListBox2->fontMetrics().height() + 4);
        CheckListBox2->setMinimumHeight(rows * row + 2 * CheckListBox2->frameWidth());
    }
    for (int i = 0; i < CheckListBox2->count(); ++i) {
        QListWidgetItem* entry = CheckListBox2->item(i);
        entry->setText(platform::fromCp1252(run.Items[static_cast<std::size_t>(i)].Name));
        entry->setCheckState(run.Items[static_cast<std::size_t>(i)].Checked ? Qt::Checked : Qt::Unchecked);
    }
    CheckListBox2->setEnabled(run.ItemsEnabled);
    RadioButton1->setChecked(run.AllChecked);
    RadioButton2->setChecked(!run.AllChecked);
    RadioButton1->setEnabled(run.ChoiceEnabled);
    RadioButton2->setEnabled(run.ChoiceEnabled);
    for (std::size_t i = 0; i < SectionBoxes.size(); ++i) {
        SectionBoxes[i]->setChecked(run.BoxChecked[i]);
        SectionBoxes[i]->setEnabled(run.BoxEnabled[i]);
    }
    Button3->setEnabled(run.StartEnabled);
    FSyncing = false;
}

} // namespace kvr::app
