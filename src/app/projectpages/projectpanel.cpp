#include "app/projectpages/projectpanel.h"

#include <QEvent>
#include <QHideEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/currentprompter.h"
#include "platform/text1252.h"

namespace kvr::app {

namespace {
QLineEdit* ReadOnlyField(const char* Name, QWidget* Parent)
{
    auto* edit = new QLineEdit(Parent);
    edit->setObjectName(Name);
    edit->setReadOnly(true);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
    return edit;
}
} // namespace

ProjectPanel::ProjectPanel(ProjectPanelHost Host, QWidget* Parent) : QTabWidget(Parent), FHost(std::move(Host))
{
    setObjectName("PageControl1");
    BuildOptionsTab();
    LinkSheet = new QWidget(this);
    LinkSheet->setObjectName("LinkSheet");
    addTab(LinkSheet, "Device links");
    BuildLogicsTab();
    BuildPotsTab();
    BuildResourcesTab();
    connect(this, &QTabWidget::currentChanged, this, [this] { RefreshActiveTab(); });
}

ProjectPanel::~ProjectPanel() = default;

void ProjectPanel::BuildOptionsTab()
{
    TabSheet3 = new QWidget(this);
    TabSheet3->setObjectName("TabSheet3");
    auto* layout = new QVBoxLayout(TabSheet3);

    auto* identification = new QGroupBox("Project Identification", TabSheet3);
    identification->setObjectName("GroupBox15");
    auto* idLayout = new QFormLayout(identification);
    Edit2 = new QLineEdit("Project 1", identification);
    Edit2->setObjectName("Edit2");
    Edit2->setMaxLength(ProjectNameMaxLength);
    platform::RefuseBeyondCp1252(Edit2);
    Edit31 = new QLineEdit("PROJ", identification);
    Edit31->setObjectName("Edit31");
    Edit31->setMaxLength(ProjectIDMaxLength);
    platform::RefuseBeyondCp1252(Edit31);
    idLayout->addRow("Project Name", Edit2);
    idLayout->addRow("Project ID", Edit31);
    layout->addWidget(identification);

    auto* information = new QGroupBox("Information", TabSheet3);
    information->setObjectName("GroupBox5");
    auto* infoLayout = new QFormLayout(information);
    Edit11 = ReadOnlyField("Edit11", information);
    Edit12 = ReadOnlyField("Edit12", information);
    Edit13 = ReadOnlyField("Edit13", information);
    infoLayout->addRow("Last edit by ", Edit11);
    infoLayout->addRow("Date", Edit12);
    infoLayout->addRow("Project version", Edit13);
    layout->addWidget(information);
    layout->addStretch(1);
    addTab(TabSheet3, "Project Options");

    connect(Edit2, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!TakeProject())
            return;
        FOptions->SetName(platform::toCp1252(text));
        if (FHost.ProjectRenamed)
            FHost.ProjectRenamed(text);
    });
    connect(Edit31, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (TakeProject())
            FOptions->SetProjectID(platform::toCp1252(text));
    });
}

void ProjectPanel::BuildPotsTab()
{
    TabSheet6 = new QWidget(this);
    TabSheet6->setObjectName("TabSheet6");
    auto* outer = new QVBoxLayout(TabSheet6);
    auto* panel = new QWidget(TabSheet6);
    panel->setObjectName("Panel35");
    auto* layout = new QGridLayout(panel);
    auto* available = new QLabel("Availables", panel);
    available->setObjectName("Label45");
    ListBox4 = new QListWidget(panel);
    ListBox4->setObjectName("ListBox4");
    auto* label = new QLabel("Label", panel);
    label->setObjectName("Label44");
    Edit22 = new QLineEdit(panel);
    Edit22->setObjectName("Edit22");
    Edit22->setMaxLength(GlobalPotNameMaxLength);
    platform::RefuseBeyondCp1252(Edit22);
    layout->addWidget(available, 0, 0);
    layout->addWidget(ListBox4, 1, 0, 3, 1);
    layout->addWidget(label, 1, 1);
    layout->addWidget(Edit22, 2, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);
    outer->addWidget(panel);
    addTab(TabSheet6, "Global Potentiometers");

    // Choosing a name only shows it; each edit stores it.
    connect(ListBox4, &QListWidget::currentRowChanged, this, [this](int row) {
        Edit22->setEnabled(row >= 0);
        Edit22->setText(row >= 0 ? ListBox4->item(row)->text() : QString());
    });
    connect(Edit22, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int row = ListBox4->currentRow();
        if (row < 0 || !TakeProject())
            return;
        FOptions->SetPotName(row, platform::toCp1252(text));
        ListBox4->item(row)->setText(text);
    });
}

bool ProjectPanel::TakeProject()
{
    model::TProject* project = FHost.Project ? FHost.Project() : nullptr;
    if (!project) {
        FOptions.reset();
        FLogics.reset();
        FResources.reset();
        FProject = nullptr;
        return false;
    }
    if (project != FProject || !FOptions) {
        FProject = project;
        FOptions = std::make_unique<ProjectOptions>(*project);
        FLogics = std::make_unique<GlobalLogics>(*project, FHost.Log, Picker);
        FResources = std::make_unique<GlobalResources>(*project, Picker, [](const std::string& text) {
            platform::prompter().showMessage(platform::fromCp1252(text));
        });
    }
    return true;
}

void ProjectPanel::ShowProjectPage()
{
    if (!TakeProject())
        return;
    const ProjectOptionFields fields = FOptions->Fill();
    Edit2->setText(platform::fromCp1252(fields.Name));
    Edit11->setText(platform::fromCp1252(fields.UserName));
    Edit12->setText(platform::fromCp1252(fields.FileDate));
    Edit31->setText(platform::fromCp1252(fields.ProjectID));
    btnGLDecode->setVisible(FHost.ServiceLevel && FHost.ServiceLevel() == 2);
    RefreshActiveTab();
    FOptions->EndFill();
}

void ProjectPanel::HideProjectPage()
{
    // Back to the current device's sources.
    Picker.RebuildWith(SourceFilterCurrentDevice);
}

void ProjectPanel::RefreshActiveTab()
{
    QWidget* tab = currentWidget();
    if (tab == LinkSheet && LinkSheetShow)
        LinkSheetShow();
    else if (tab == TabSheet12)
        TabSheet12Show();
    else if (tab == TabSheet6)
        TabSheet6Show();
    else if (tab == TabSheet16)
        TabSheet16Show();
}

void ProjectPanel::TabSheet6Show()
{
    if (!TakeProject())
        return;
    const QSignalBlocker blocker(ListBox4);
    ListBox4->clear();
    for (const std::string& name : FOptions->PotNames())
        ListBox4->addItem(platform::fromCp1252(name));
    Edit22->setEnabled(false);
}

void ProjectPanel::showEvent(QShowEvent* Event)
{
    QTabWidget::showEvent(Event);
    // The page panel was shown by the page switch; a window coming back from the task bar is not.
    if (!Event->spontaneous())
        ShowProjectPage();
}

void ProjectPanel::hideEvent(QHideEvent* Event)
{
    QTabWidget::hideEvent(Event);
    if (!Event->spontaneous())
        HideProjectPage();
}

} // namespace kvr::app
