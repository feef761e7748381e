#include "app/printform.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

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
    // Three columns: items flow top to bottom and wrap into the next column.
    CheckListBox2->setFlow(QListView::TopToBottom);
    CheckListBox2->setWrapping(true);
    CheckListBox2->setResizeMode(QListView::Adjust);
    CheckListBox2->setGridSize(QSize(128, 18));
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
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button3);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1, 1);
    layout->addWidget(GroupBox2);
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
        FRun->FormKeyDown(27);
        CloseByResult();
        return;
    }
    QDialog::keyPressEvent(Event);
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
            auto* entry = new QListWidgetItem(platform::fromCp1252(item.Name), CheckListBox2);
            entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        }
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
