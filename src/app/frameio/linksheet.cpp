#include "app/frameio/linksheet.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/frameio/linkpage.h"
#include "model/linkaccess.h"
#include "platform/currentprompter.h"
#include "platform/text1252.h"

namespace kvr::app::frameio {

TLinkSheet::TLinkSheet(QWidget* Parent) : QWidget(Parent)
{
    setObjectName("LinkBox");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("Defined Links", this);
    group->setObjectName("GroupBox11");
    layout->addWidget(group);
    auto* inner = new QVBoxLayout(group);
    LinkList = new QTreeWidget(group);
    LinkList->setObjectName("LinkList");
    LinkList->setRootIsDecorated(false);
    LinkList->setSelectionBehavior(QAbstractItemView::SelectRows);
    LinkList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LinkList->setHeaderLabels({"Output Device", "Slot", "Connector", "Input Device", "Slot", "Connector"});
    LinkList->header()->setSectionsClickable(false);
    const int widths[] = {100, 75, 100, 100, 75, 100};
    for (int c = 0; c < 6; ++c)
        LinkList->setColumnWidth(c, widths[c]);
    LinkList->setContextMenuPolicy(Qt::CustomContextMenu);
    inner->addWidget(LinkList);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton("Add", group);
    Button61 = new QPushButton("Remove", group);
    buttons->addWidget(Button1);
    buttons->addWidget(Button61);
    buttons->addStretch(1);
    inner->addLayout(buttons);
    LinkPopUp = new QMenu(this);
    QAction* add6 = LinkPopUp->addAction("Add");
    QAction* remove7 = LinkPopUp->addAction("Remove");
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button61, &QPushButton::clicked, this, [this] { Button61Click(); });
    connect(add6, &QAction::triggered, this, [this] { Button1Click(); });
    connect(remove7, &QAction::triggered, this, [this] { Button61Click(); });
    connect(LinkList, &QTreeWidget::itemSelectionChanged, this,
            [this] { Button61->setEnabled(!LinkList->selectedItems().isEmpty()); });
    connect(LinkList, &QWidget::customContextMenuRequested, this, [this, remove7](const QPoint& At) {
        remove7->setEnabled(!LinkList->selectedItems().isEmpty());
        LinkPopUp->popup(LinkList->viewport()->mapToGlobal(At));
    });
}

void TLinkSheet::LinkSheetShow()
{
    FillLinkList();
    Button61->setEnabled(false);
}

void TLinkSheet::FillLinkList()
{
    const QModelIndex current = LinkList->currentIndex();
    const int selected = LinkList->selectedItems().isEmpty() ? -1 : current.row();
    LinkList->clear();
    model::TProject* project = Project ? Project() : nullptr;
    if (!project)
        return;
    for (const LinkRow& r : LinkRows(*project)) {
        auto* item = new QTreeWidgetItem(LinkList);
        const std::string texts[] = {r.SourceDevice, r.SourceSlot, r.SourceConnector, r.TargetDevice, r.TargetSlot, r.TargetConnector};
        for (int c = 0; c < 6; ++c)
            item->setText(c, platform::fromCp1252(texts[c]));
        item->setData(0, Qt::UserRole, r.ID);
    }
    if (selected >= 0 && selected < LinkList->topLevelItemCount()) {
        LinkList->setCurrentItem(LinkList->topLevelItem(selected));
        Button61->setEnabled(true);
    }
    QCoreApplication::processEvents();
}

void TLinkSheet::Button1Click()
{
    model::TProject* project = Project ? Project() : nullptr;
    LinkDialog* dialog = Dialog ? Dialog() : nullptr;
    if (project && dialog && AddLinkFlow(*project, *dialog, platform::prompter(), Progress))
        FillLinkList();
}

void TLinkSheet::Button61Click()
{
    model::TProject* project = Project ? Project() : nullptr;
    const auto selected = LinkList->selectedItems();
    if (!project || selected.isEmpty())
        return;
    model::DeleteDeviceLink(*project, selected.front()->data(0, Qt::UserRole).toInt());
    FillLinkList();
    Button61->setFocus();
}

void TLinkSheet::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Delete && LinkList->hasFocus()) {
        Button61Click();
        LinkList->setFocus();
        QCoreApplication::processEvents();
        return;
    }
    QWidget::keyPressEvent(Event);
}

} // namespace kvr::app::frameio
