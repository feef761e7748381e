#include "editors/audio/grouplogicpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "editors/audio/grouplogic.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "platform/text1252.h"

namespace kvr::editors {

namespace {
void Fill(QComboBox* box, const std::vector<std::string>& items, int selected)
{
    box->clear();
    for (const std::string& item : items)
        box->addItem(platform::fromCp1252(item));
    box->setCurrentIndex(selected);
}
} // namespace

TGroupLogicPage::TGroupLogicPage(EditorHost& Host, QWidget* Parent) : AudioTabPage(Host, Parent)
{
    setObjectName("GroupLogicPage");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (int g = 0; g < GroupLogic::kGroups; ++g) {
        const QString suffix = g == 0 ? QString() : QString::number(g + 1);
        auto* bus = new QComboBox(this);
        bus->setObjectName("GroupPGMLogicBox" + suffix);
        auto* channel = new QComboBox(this);
        channel->setObjectName("GroupFCHLogicBox" + suffix);
        bus->setFixedWidth(200);
        channel->setFixedWidth(200);
        form->addRow(QString("Group program bus %1").arg(g + 1), bus);
        form->addRow(QString("Group fader channel %1").arg(g + 1), channel);
        GroupPGMLogicBox[static_cast<std::size_t>(g)] = bus;
        GroupFCHLogicBox[static_cast<std::size_t>(g)] = channel;
        connect(bus, &QComboBox::activated, this, [this, g] { BusChosen(g); });
        connect(channel, &QComboBox::activated, this, [this, g] { ChannelChosen(g); });
    }
    auto* row = new QHBoxLayout;
    row->addLayout(form);
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();
}

void TGroupLogicPage::FillGroupLogicPage()
{
    if (!Device())
        return;
    GroupLogic groups(*Device());
    const auto buses = groups.BusItems();
    const auto channels = groups.ChannelItems();
    for (int g = 0; g < GroupLogic::kGroups; ++g) {
        Fill(GroupPGMLogicBox[static_cast<std::size_t>(g)], buses, groups.BusItem(g));
        Fill(GroupFCHLogicBox[static_cast<std::size_t>(g)], channels, groups.ChannelItem(g));
    }
}

void TGroupLogicPage::TabHide()
{
    if (Device())
        GroupLogic(*Device()).Leave();
}

void TGroupLogicPage::BusChosen(int Group)
{
    if (!Device())
        return;
    GroupLogic groups(*Device());
    QComboBox* box = GroupPGMLogicBox[static_cast<std::size_t>(Group)];
    const std::string refused = groups.ChooseBus(Group, box->currentIndex());
    if (!refused.empty()) {
        platform::prompter().showMessage(QString::fromStdString(refused));
        // The group keeps its bus, and the list shows it.
        box->setCurrentIndex(groups.BusItem(Group));
    }
}

void TGroupLogicPage::ChannelChosen(int Group)
{
    if (Device())
        GroupLogic(*Device()).ChooseChannel(Group, GroupFCHLogicBox[static_cast<std::size_t>(Group)]->currentIndex());
}

TMuteLogicsPage::TMuteLogicsPage(EditorHost& Host, QWidget* Parent) : AudioTabPage(Host, Parent)
{
    setObjectName("MuteLogicsPage");
    auto* layout = new QVBoxLayout(this);
    auto* options = new QGroupBox("Options", this);
    auto* optionsLayout = new QVBoxLayout(options);
    PFL_ML_Box = new QCheckBox("PFL activates Mute Logic", options);
    PFL_ML_Box->setObjectName("PFL_ML_Box");
    optionsLayout->addWidget(PFL_ML_Box);
    layout->addWidget(options);
    auto* labels = new QGroupBox("Labels", this);
    auto* labelsLayout = new QVBoxLayout(labels);
    labelsLayout->addWidget(new QLabel("Mute Logics", labels));
    ListBox5 = new QListWidget(labels);
    ListBox5->setObjectName("ListBox5");
    labelsLayout->addWidget(ListBox5);
    labelsLayout->addWidget(new QLabel("Label", labels));
    Edit1 = new QLineEdit(labels);
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(16);
    platform::RefuseBeyondCp1252(Edit1);
    labelsLayout->addWidget(Edit1);
    layout->addWidget(labels);
    options->setFixedWidth(260);
    labels->setFixedWidth(260);
    layout->addStretch();

    connect(ListBox5, &QListWidget::currentRowChanged, this, [this](int row) {
        if (FTabGuard || row < 0 || !Device())
            return;
        FEditGuard = true;
        Edit1->setText(platform::fromCp1252(MuteLogics(*Device()).Names()[static_cast<std::size_t>(row)]));
        FEditGuard = false;
        Edit1->setEnabled(true);
    });
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int row = ListBox5->currentRow();
        if (FEditGuard || row < 0 || !Device())
            return;
        MuteLogics(*Device()).SetName(row, platform::toCp1252(text));
        ListBox5->item(row)->setText(text);
    });
    connect(PFL_ML_Box, &QCheckBox::clicked, this, [this](bool checked) {
        if (!FTabGuard && Device())
            MuteLogics(*Device()).SetPFLActivates(checked);
    });
}

void TMuteLogicsPage::TabShow()
{
    if (!Device())
        return;
    MuteLogics mutes(*Device());
    FTabGuard = true;
    ListBox5->clear();
    for (const std::string& name : mutes.Names())
        ListBox5->addItem(platform::fromCp1252(name));
    Edit1->clear();
    Edit1->setEnabled(false);
    PFL_ML_Box->setChecked(mutes.PFLActivates());
    FTabGuard = false;
}

} // namespace kvr::editors
