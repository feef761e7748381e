#include "app/frameio/linkselectform.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/currentprompter.h"
#include "platform/prompter.h"
#include "platform/text1252.h"

namespace kvr::app::frameio {

TLinkSelectForm::TLinkSelectForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("LinkSelectForm");
    setWindowTitle("Create device link");
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    setModal(true);
    setMinimumWidth(150);
    setMaximumWidth(250);
    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox("Select Channel", this);
    auto* groupLayout = new QVBoxLayout(GroupBox1);
    TreeView1 = new QTreeWidget(GroupBox1);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    groupLayout->addWidget(TreeView1);
    layout->addWidget(GroupBox1, 1);
    RadioGroup1 = new QGroupBox("link direction", this);
    // Two columns in the narrow tool window: tight margins keep both captions whole.
    layout->setContentsMargins(4, 4, 4, 4);
    auto* radios = new QHBoxLayout(RadioGroup1);
    radios->setContentsMargins(2, 2, 2, 2);
    radios->setSpacing(2);
    Uni = new QRadioButton("Uni-directional", RadioGroup1);
    Bi = new QRadioButton("Bi-directional", RadioGroup1);
    // Each caption takes its own width rather than half the row: the longer one stays whole.
    for (QRadioButton* radio : {Uni, Bi}) {
        radio->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
        radios->addWidget(radio);
    }
    Uni->setChecked(true);
    layout->addWidget(RadioGroup1);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton("Select", this);
    Button2 = new QPushButton("Cancel", this);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);
    // Grows past the usual width only where the fonts ask for it, and never past the maximum.
    resize(std::clamp(minimumSizeHint().width(), 228, maximumWidth()), 376);
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        Button1->setEnabled(item && item->data(0, Qt::UserRole).toInt() >= 0);
    });
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this] { Button1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject); // Escape rejects as well
}

int TLinkSelectForm::Direction() const { return Uni->isChecked() ? 0 : Bi->isChecked() ? 1 : -1; }

void TLinkSelectForm::BuildLinkTree()
{
    TreeView1->clear();
    FNodes = Project ? frameio::BuildLinkTree(*Project, FMode, FChoice.DeviceIndex, FChoice.LinkType) : std::vector<LinkTreeNode>{};
    QTreeWidgetItem* parents[2] = {nullptr, nullptr};
    for (std::size_t i = 0; i < FNodes.size(); ++i) {
        const LinkTreeNode& n = FNodes[i];
        QTreeWidgetItem* item = n.Level == 0 ? new QTreeWidgetItem(TreeView1) : parents[n.Level - 1] ? new QTreeWidgetItem(parents[n.Level - 1]) : nullptr;
        if (!item)
            continue;
        item->setText(0, platform::fromCp1252(n.Text));
        item->setData(0, Qt::UserRole, n.Level == 2 ? static_cast<int>(i) : -1);
        if (n.Level < 2)
            parents[n.Level] = item;
    }
    TreeView1->expandAll();
    Button1->setEnabled(false);
}

bool TLinkSelectForm::Choose(int Mode, LinkChoice& Choice)
{
    FMode = Mode;
    FChoice = Choice;
    BuildLinkTree();
    (FChoice.LinkType > 1 ? Bi : Uni)->setChecked(true);
    const bool destination = Mode == lsDestination;
    GroupBox1->setTitle(destination ? "Select destination" : "Select source");
    RadioGroup1->setVisible(destination);
    RadioGroup1->setEnabled(destination && FChoice.LinkType == 2);
    if (exec() != QDialog::Accepted)
        return false;
    Choice = FChoice;
    return true;
}

void TLinkSelectForm::Button1Click()
{
    QTreeWidgetItem* item = TreeView1->currentItem();
    if (!item) {
        reject();
        return;
    }
    const int index = item->data(0, Qt::UserRole).toInt();
    if (index < 0 || !Project)
        return;
    const std::string message = TakeLinkNode(*Project, FMode, FNodes[static_cast<std::size_t>(index)], Direction(), FChoice);
    if (!message.empty()) {
        platform::prompter().showMessage(platform::fromCp1252(message));
        return;
    }
    accept();
}

} // namespace kvr::app::frameio
