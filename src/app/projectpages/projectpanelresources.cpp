// The "Global Resources" tab of the project page.
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/projectpages/projectpanel.h"
#include "platform/text1252.h"

namespace kvr::app {

namespace {
QStringList Texts(const std::vector<std::string>& Names)
{
    QStringList texts;
    for (const std::string& name : Names)
        texts << platform::fromCp1252(name);
    return texts;
}
} // namespace

void ProjectPanel::BuildResourcesTab()
{
    TabSheet16 = new QWidget(this);
    TabSheet16->setObjectName("TabSheet16");
    auto* layout = new QHBoxLayout(TabSheet16);

    auto* listGroup = new QGroupBox("Global Resources", TabSheet16);
    listGroup->setObjectName("GroupBox40");
    auto* listLayout = new QGridLayout(listGroup);
    GlobalResList = new QListWidget(listGroup);
    GlobalResList->setObjectName("GlobalResList");
    Button2 = new QPushButton("Add", listGroup);
    Button2->setObjectName("Button2");
    Button63 = new QPushButton("Remove", listGroup);
    Button63->setObjectName("Button63");
    listLayout->addWidget(GlobalResList, 0, 0, 1, 2);
    listLayout->addWidget(Button2, 1, 0);
    listLayout->addWidget(Button63, 1, 1);
    layout->addWidget(listGroup, 1);

    GroupBox41 = new QGroupBox("Edit Global Resource", TabSheet16);
    GroupBox41->setObjectName("GroupBox41");
    auto* edit = new QGridLayout(GroupBox41);
    const auto label = [&](const char* caption, const char* name) {
        auto* l = new QLabel(caption, GroupBox41);
        l->setObjectName(name);
        return l;
    };
    GRText = new QLineEdit(GroupBox41);
    GRText->setObjectName("GRText");
    GRText->setMaxLength(GlobalResourceNameMaxLength);
    platform::RefuseBeyondCp1252(GRText);
    GRMasterBox = new QComboBox(GroupBox41);
    GRMasterBox->setObjectName("GRMasterBox");
    GRDefaultBox = new QComboBox(GroupBox41);
    GRDefaultBox->setObjectName("GRDefaultBox");
    auto* modes = new QWidget(GroupBox41);
    auto* modesLayout = new QVBoxLayout(modes);
    modesLayout->setContentsMargins(0, 0, 0, 0);
    GRRelease = new QRadioButton("Request/Confirm", modes);
    GRRelease->setObjectName("GRRelease");
    GRTake = new QRadioButton("Take Over", modes);
    GRTake->setObjectName("GRTake");
    GRSpecTake = new QRadioButton("Delayed Take Over", modes);
    GRSpecTake->setObjectName("GRSpecTake");
    FModeButtons = new QButtonGroup(this);
    for (auto [button, mode] : {std::pair{GRRelease, 0}, {GRTake, 1}, {GRSpecTake, 2}}) {
        modesLayout->addWidget(button);
        FModeButtons->addButton(button, mode);
    }
    ListView11 = new QTreeWidget(GroupBox41);
    ListView11->setObjectName("ListView11");
    ListView11->setRootIsDecorated(false);
    ListView11->setHeaderLabels({"Device"});
    ListView11->setColumnWidth(0, 100);
    ListView11->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView11->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListBox8 = new QListWidget(GroupBox41);
    ListBox8->setObjectName("ListBox8");
    Button64 = new QPushButton("<<", GroupBox41);
    Button64->setObjectName("Button64");
    Button65 = new QPushButton(">>", GroupBox41);
    Button65->setObjectName("Button65");
    auto* arrows = new QVBoxLayout;
    arrows->addStretch(1);
    arrows->addWidget(Button64);
    arrows->addWidget(Button65);
    arrows->addStretch(1);

    edit->addWidget(label("Label", "Label98"), 0, 0);
    edit->addWidget(GRText, 0, 1, 1, 3);
    edit->addWidget(label("Master", "Label99"), 1, 0);
    edit->addWidget(GRMasterBox, 1, 1, 1, 3);
    edit->addWidget(label("Default Owner", "Label100"), 2, 0);
    edit->addWidget(GRDefaultBox, 2, 1, 1, 3);
    edit->addWidget(label("Take Over via", "Label105"), 3, 0, Qt::AlignTop);
    edit->addWidget(modes, 3, 1, 1, 3);
    edit->addWidget(label("Subscribers assigned", "Label96"), 4, 0, 1, 2);
    edit->addWidget(label("Available", "Label97"), 4, 3);
    edit->addWidget(ListView11, 5, 0, 1, 2);
    edit->addLayout(arrows, 5, 2);
    edit->addWidget(ListBox8, 5, 3);
    edit->setRowStretch(5, 1);
    layout->addWidget(GroupBox41, 2);
    addTab(TabSheet16, "Global Resources");

    // Every handler goes to the controller and then shows what it holds.
    const auto apply = [this](const std::function<void(GlobalResources&)>& change) {
        if (!FResources)
            return;
        change(*FResources);
        ShowResources();
    };
    connect(GlobalResList, &QListWidget::currentRowChanged, this,
            [apply](int row) { apply([row](GlobalResources& r) { r.Click(row); }); });
    connect(Button2, &QPushButton::clicked, this, [apply] { apply([](GlobalResources& r) { r.Add(); }); });
    connect(Button63, &QPushButton::clicked, this, [apply] { apply([](GlobalResources& r) { r.Remove(); }); });
    connect(GRText, &QLineEdit::textEdited, this, [apply](const QString& text) {
        apply([&text](GlobalResources& r) { r.SetName(platform::toCp1252(text)); });
    });
    connect(GRMasterBox, &QComboBox::activated, this,
            [apply](int item) { apply([item](GlobalResources& r) { r.ChooseMaster(item); }); });
    connect(GRDefaultBox, &QComboBox::activated, this,
            [apply](int item) { apply([item](GlobalResources& r) { r.ChooseDefaultOwner(item); }); });
    connect(FModeButtons, &QButtonGroup::idClicked, this,
            [apply](int mode) { apply([mode](GlobalResources& r) { r.ChooseMode(mode); }); });
    const auto addSubscriber = [this, apply] {
        apply([this](GlobalResources& r) { r.AddSubscriber(ListBox8->currentRow()); });
    };
    connect(Button64, &QPushButton::clicked, this, addSubscriber);
    connect(ListBox8, &QListWidget::itemDoubleClicked, this, addSubscriber);
    const auto removeSubscriber = [this, apply] {
        apply([this](GlobalResources& r) {
            QTreeWidgetItem* item = ListView11->currentItem();
            r.RemoveSubscriber(item ? ListView11->indexOfTopLevelItem(item) : -1);
        });
    };
    connect(Button65, &QPushButton::clicked, this, removeSubscriber);
    connect(ListView11, &QTreeWidget::itemDoubleClicked, this, removeSubscriber);
}

void ProjectPanel::TabSheet16Show()
{
    if (!TakeProject())
        return;
    FResources->Show();
    ShowResources();
}

void ProjectPanel::ShowResources()
{
    const GlobalResources& r = *FResources;
    const GlobalResourceEditor& e = r.Editor();
    const QSignalBlocker listBlocker(GlobalResList);
    const QStringList names = Texts(r.Names());
    if (names.size() == GlobalResList->count()) {
        for (int i = 0; i < names.size(); ++i)
            GlobalResList->item(i)->setText(names[i]);
    } else {
        GlobalResList->clear();
        GlobalResList->addItems(names);
    }
    GlobalResList->setCurrentRow(r.Selected());
    Button2->setEnabled(r.AddEnabled());
    Button63->setEnabled(e.Enabled);
    for (QWidget* w : GroupBox41->findChildren<QWidget*>())
        w->setEnabled(e.Enabled);

    const QSignalBlocker masterBlocker(GRMasterBox);
    const QSignalBlocker defaultBlocker(GRDefaultBox);
    if (GRText->text() != platform::fromCp1252(e.Name))
        GRText->setText(platform::fromCp1252(e.Name));
    GRMasterBox->clear();
    GRMasterBox->addItems(Texts(e.Masters));
    GRMasterBox->setCurrentIndex(e.Masters.empty() ? -1 : e.Master);
    GRDefaultBox->clear();
    GRDefaultBox->addItems(Texts(e.DefaultOwners));
    GRDefaultBox->setCurrentIndex(e.DefaultOwners.empty() ? -1 : e.DefaultOwner);
    FModeButtons->button(e.Mode)->setChecked(true);
    ListView11->clear();
    for (const GlobalResourceSubscriberRow& row : e.Subscribers)
        ListView11->addTopLevelItem(new QTreeWidgetItem(QStringList{platform::fromCp1252(row.Caption)}));
    ListBox8->clear();
    ListBox8->addItems(Texts(e.Available));
}

} // namespace kvr::app
