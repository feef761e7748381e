#include "app/optionform.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/optionrules.h"
#include "platform/application.h"
#include "platform/currentprompter.h"

namespace kvr::app {

namespace {

std::string FieldText(const QLineEdit* Edit)
{
    return Edit->text().toStdString();
}

QCheckBox* Switch(QWidget* Parent, QVBoxLayout* Layout, const char* Name, const char* Caption, bool On)
{
    auto* box = new QCheckBox(Caption, Parent);
    box->setObjectName(Name);
    box->setChecked(On);
    Layout->addWidget(box);
    return box;
}

} // namespace

TOptionForm::TOptionForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("OptionForm");
    setWindowTitle("Configuration");
    setFixedSize(595, 402);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");

    // General
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    auto* saveGroup = new QGroupBox("File save options", TabSheet2);
    saveGroup->setObjectName("GroupBox1");
    auto* saveLayout = new QGridLayout(saveGroup);
    saveLayout->addWidget(new QLabel("Number of backup levels", saveGroup), 0, 0);
    Edit3 = new QLineEdit(saveGroup);
    Edit3->setObjectName("Edit3");
    Edit3->setReadOnly(true);
    Edit3->setFixedWidth(40);
    UpDown2 = new TUpDown(Edit3, 0, 9, saveGroup);
    UpDown2->setObjectName("UpDown2");
    saveLayout->addWidget(Edit3, 0, 1);
    saveLayout->addWidget(UpDown2, 0, 2);
    CheckBox3 = new QCheckBox("Save automatically", saveGroup);
    CheckBox3->setObjectName("CheckBox3");
    saveLayout->addWidget(CheckBox3, 1, 0);
    saveLayout->addWidget(new QLabel("interval", saveGroup), 2, 0);
    Edit2 = new QLineEdit(saveGroup);
    Edit2->setObjectName("Edit2");
    Edit2->setReadOnly(true);
    Edit2->setFixedWidth(40);
    UpDown1 = new TUpDown(Edit2, 1, 60, saveGroup);
    UpDown1->setObjectName("UpDown1");
    saveLayout->addWidget(Edit2, 2, 1);
    saveLayout->addWidget(UpDown1, 2, 2);
    saveLayout->addWidget(new QLabel("minutes", saveGroup), 2, 3);
    saveLayout->setColumnStretch(4, 1);

    LogOptions = new QGroupBox("Protocol (DEBUG Only)", TabSheet2);
    LogOptions->setObjectName("LogOptions");
    auto* logLayout = new QGridLayout(LogOptions);
    logLayout->addWidget(new QLabel("Save log files to:", LogOptions), 0, 0, 1, 4);
    FolderEdit = new QLineEdit(LogOptions);
    FolderEdit->setObjectName("FolderEdit");
    Button3 = new QPushButton("...", LogOptions);
    Button3->setObjectName("Button3");
    Button3->setFixedWidth(30);
    logLayout->addWidget(FolderEdit, 1, 0, 1, 3);
    logLayout->addWidget(Button3, 1, 3);
    CheckBox4 = new QCheckBox("Delete files older than ", LogOptions);
    CheckBox4->setObjectName("CheckBox4");
    Edit4 = new QLineEdit("0", LogOptions);
    Edit4->setObjectName("Edit4");
    Edit4->setFixedWidth(50);
    logLayout->addWidget(CheckBox4, 2, 0);
    logLayout->addWidget(Edit4, 2, 1);
    logLayout->addWidget(new QLabel("days", LogOptions), 2, 2);

    auto* generalLayout = new QVBoxLayout(TabSheet2);
    generalLayout->addWidget(saveGroup);
    generalLayout->addWidget(LogOptions);
    generalLayout->addStretch(1);

    // Display
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName("TabSheet3");
    auto* displayLayout = new QVBoxLayout(TabSheet3);
    CheckBox2 = Switch(TabSheet3, displayLayout, "CheckBox2", "Hide sources without name in audio and logic source trees", false);
    CheckBox1 = Switch(TabSheet3, displayLayout, "CheckBox1", "Select next output routing after assign", false);
    displayLayout->addStretch(1);

    // DEBUG: never shown; its switches keep their stored values.
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName("TabSheet4");
    auto* debugLayout = new QVBoxLayout(TabSheet4);
    debugLayout->addWidget(new QLabel("These options are not stored.", TabSheet4));
    AdaptLogicBox = Switch(TabSheet4, debugLayout, "AdaptLogicBox", "Record source reference adaptations", true);
    MemAccessBox = Switch(TabSheet4, debugLayout, "MemAccessBox", "Record memory accesses", false);
    RefreshTimeBox = Switch(TabSheet4, debugLayout, "RefreshTimeBox", "Measure the frame I/O refresh time", false);
    ExtentLogicSourceNames = Switch(TabSheet4, debugLayout, "ExtentLogicSourceNames", "Add the ID to logic source names", false);
    ExtentAudioSourceNames = Switch(TabSheet4, debugLayout, "ExtentAudioSourceNames", "Add the ID to audio source names", false);
    ShowCellAddr = Switch(TabSheet4, debugLayout, "ShowCellAddr", "Show the frame I/O cell under the mouse", false);
    ShowGPOIndex = Switch(TabSheet4, debugLayout, "ShowGPOIndex", "Show the index in the GPO assignment", false);
    ShowORIndex = Switch(TabSheet4, debugLayout, "ShowORIndex", "Show the target ID in the output routing", false);
    MMShowChannelNum = Switch(TabSheet4, debugLayout, "MMShowChannelNum", "Show the channel number of a clean feed", false);
    ShowModIDTable = Switch(TabSheet4, debugLayout, "ShowModIDTable", "Show the module ID table", false);
    ShowPrinterDebug = Switch(TabSheet4, debugLayout, "ShowPrinterDebug", "Log debug messages while printing", false);
    GPIPotTableRecord = Switch(TabSheet4, debugLayout, "GPIPotTableRecord", "Record the building of the GPI pot table", true);

    PageControl1->addTab(TabSheet2, "General");
    PageControl1->addTab(TabSheet3, "Display");
    PageControl1->addTab(TabSheet4, "DEBUG");

    Button2 = new QPushButton("OK", this);
    Button2->setObjectName("Button2");
    Button1 = new QPushButton("Cancel", this);
    Button1->setObjectName("Button1");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);

    connect(Button2, &QPushButton::clicked, this, &TOptionForm::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &TOptionForm::Button1Click);
    connect(CheckBox1, &QCheckBox::clicked, this, &TOptionForm::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TOptionForm::CheckBox2Click);
    connect(CheckBox3, &QCheckBox::clicked, this, &TOptionForm::CheckBox3Click);
    connect(CheckBox4, &QCheckBox::clicked, this, &TOptionForm::CheckBox4Click);
    connect(Edit4, &QLineEdit::editingFinished, this, &TOptionForm::Edit4Exit);
    connect(FolderEdit, &QLineEdit::editingFinished, this, &TOptionForm::FolderEditExit);
    connect(Button3, &QPushButton::clicked, this, &TOptionForm::Button3Click);
}

void TOptionForm::showEvent(QShowEvent* Event)
{
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet4), false);
    PageControl1->setCurrentWidget(TabSheet2);

    CheckBox1->setChecked(FPrefs.SelectNextOutputRouting());
    CheckBox2->setChecked(FPrefs.HideUnnamedSources());
    CheckBox2Click();
    CheckBox3->setChecked(FPrefs.AutoSave());
    CheckBox3Click();
    CheckBox4->setChecked(FPrefs.LogAge() != 0);
    CheckBox4Click();

    UpDown1->SetPosition(FPrefs.AutoSaveInterval());
    UpDown2->SetPosition(FPrefs.BackupLevels());
    FolderEdit->setText(platform::FromNativePath(FPrefs.LogFolder()));
    LogOptions->setVisible(true);
    QDialog::showEvent(Event);
}

void TOptionForm::CheckBox1Click()
{
    FPrefs.SetSelectNextOutputRouting(CheckBox1->isChecked());
}

void TOptionForm::CheckBox2Click()
{
    FPrefs.SetHideUnnamedSources(CheckBox2->isChecked());
}

void TOptionForm::CheckBox3Click()
{
    FPrefs.SetAutoSave(CheckBox3->isChecked());
    UpDown1->setEnabled(CheckBox3->isChecked());
}

void TOptionForm::CheckBox4Click()
{
    if (CheckBox4->isChecked()) {
        Edit4->setEnabled(true);
        Edit4->setText(QString::number(ProposedLogAge(FPrefs.LogAge())));
    } else {
        FPrefs.SetLogAge(0);
        Edit4->setEnabled(false);
        Edit4->setText("0");
    }
}

void TOptionForm::Edit4Exit()
{
    const int days = LogAgeOnExit(FieldText(Edit4));
    Edit4->setText(QString::number(days));
    if (days <= 0) {
        Edit4->setEnabled(false);
        Edit4->setText("0");
        CheckBox4->setChecked(false);
    }
}

void TOptionForm::FolderEditExit()
{
    const FolderCheck check = CheckLogFolder(platform::ToNativePath(FolderEdit->text()), [](const std::string& folder) {
        return QFileInfo(platform::FromNativePath(folder)).isDir();
    });
    if (check.NotFound)
        platform::prompter().showMessage("The path you entered was not found!");
    FolderEdit->setText(platform::FromNativePath(check.Folder));
}

void TOptionForm::Button3Click()
{
    const QString start = FolderEdit->text().isEmpty() ? platform::FromNativePath(FProgramDir) : FolderEdit->text();
    if (const auto chosen = platform::prompter().selectFolder("blabla", start))
        FolderEdit->setText(*chosen);
}

void TOptionForm::Button2Click()
{
    ApplyOptionFields(FPrefs, platform::ToNativePath(FolderEdit->text()), FieldText(Edit2), FieldText(Edit3),
                      FieldText(Edit4));
    done(QDialog::Accepted);
}

void TOptionForm::Button1Click()
{
    done(QDialog::Rejected);
}

void TOptionForm::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape) {
        Button1Click();
        return;
    }
    QDialog::keyPressEvent(Event);
}

} // namespace kvr::app
