// The "Global Logics" tab of the project page.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "app/projectpages/projectpanel.h"
#include "controls/dragtarget.h"
#include "platform/text1252.h"

namespace kvr::app {

void ProjectPanel::BuildLogicsTab()
{
    TabSheet12 = new QWidget(this);
    TabSheet12->setObjectName("TabSheet12");
    auto* outer = new QGridLayout(TabSheet12);
    auto* panel = new QWidget(TabSheet12);
    panel->setObjectName("Panel36");
    panel->setMinimumWidth(610);
    auto* layout = new QGridLayout(panel);

    ListView21 = new QTreeWidget(panel);
    ListView21->setObjectName("ListView21");
    ListView21->setRootIsDecorated(false);
    ListView21->setHeaderLabels({"Nr", "Name", "Device", "Source"});
    ListView21->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView21->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView21->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView21->header()->setSectionsClickable(false);
    for (const auto& [column, width] : {std::pair{0, 30}, {1, 80}, {2, 120}, {3, 75}})
        ListView21->setColumnWidth(column, width);
    ListView21->setAcceptDrops(true);
    FLogicListViewport = ListView21->viewport();
    FLogicListViewport->setAcceptDrops(true);
    FLogicListViewport->installEventFilter(this);

    auto* nameLabel = new QLabel("Label", panel);
    nameLabel->setObjectName("Label71");
    Edit30 = new QLineEdit(panel);
    Edit30->setObjectName("Edit30");
    Edit30->setMaxLength(GlobalLogicNameMaxLength);
    platform::RefuseBeyondCp1252(Edit30);
    auto* sourceLabel = new QLabel("Source", panel);
    sourceLabel->setObjectName("Label72");
    Panel37 = new QLabel("None", panel);
    Panel37->setObjectName("Panel37");
    Panel37->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel37->setAlignment(Qt::AlignCenter);
    Panel37->setMinimumHeight(24);
    Panel37->setAcceptDrops(true);
    Panel37->installEventFilter(this);
    Button57 = new QPushButton("Select ...", panel);
    Button57->setObjectName("Button57");
    Button57->setEnabled(false);
    btnGLDecode = new QPushButton("Strip to maintenance->protocoll (KVR only)", panel);
    btnGLDecode->setObjectName("btnGLDecode");
    btnGLDecode->setVisible(false);

    layout->addWidget(ListView21, 0, 0, 8, 1);
    layout->addWidget(nameLabel, 0, 1);
    layout->addWidget(Edit30, 1, 1);
    layout->addWidget(sourceLabel, 2, 1);
    layout->addWidget(Panel37, 3, 1);
    layout->addWidget(Button57, 4, 1);
    layout->addWidget(btnGLDecode, 6, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnMinimumWidth(1, 160);
    layout->setRowStretch(5, 1);
    outer->addWidget(panel, 0, 0);
    addTab(TabSheet12, "Global Logics");

    connect(ListView21, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!FLogics)
            return;
        const QList<QTreeWidgetItem*> items = ListView21->selectedItems();
        FLogics->Select(items.isEmpty() ? -1 : ListView21->indexOfTopLevelItem(items.front()));
        ShowLogicSelection();
    });
    connect(ListView21, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (FLogics)
            FLogics->PickSender();
    });
    connect(Button57, &QPushButton::clicked, this, [this] {
        if (FLogics)
            FLogics->PickSender();
    });
    connect(Edit30, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!FLogics || FLogics->Selected() < 0)
            return;
        FLogics->SetName(platform::toCp1252(text));
        ShowLogicRow(FLogics->Selected());
    });
    connect(btnGLDecode, &QPushButton::clicked, this, [this] {
        if (TakeProject())
            FLogics->Decode();
    });
}

void ProjectPanel::ShowLogicRow(int Row)
{
    QTreeWidgetItem* item = ListView21->topLevelItem(Row);
    if (!FLogics || !item || Row >= static_cast<int>(FLogics->Rows().size()))
        return;
    const GlobalLogicRow& row = FLogics->Rows()[static_cast<std::size_t>(Row)];
    item->setText(0, QString::fromStdString(row.Nr));
    item->setText(1, platform::fromCp1252(row.Name));
    item->setText(2, platform::fromCp1252(row.Device));
    item->setText(3, platform::fromCp1252(row.Source));
}

void ProjectPanel::ShowLogicSelection()
{
    const int selected = FLogics ? FLogics->Selected() : -1;
    Button57->setEnabled(selected >= 0);
    if (selected < 0)
        return;
    Panel37->setText(ListView21->topLevelItem(selected)->text(3));
    Edit30->setText(ListView21->topLevelItem(selected)->text(1));
}

void ProjectPanel::TabSheet12Show()
{
    if (!TakeProject())
        return;
    FLogics->Show();
    const QSignalBlocker blocker(ListView21);
    const int rows = static_cast<int>(FLogics->Rows().size());
    while (ListView21->topLevelItemCount() > rows)
        delete ListView21->takeTopLevelItem(0);
    while (ListView21->topLevelItemCount() < rows)
        ListView21->addTopLevelItem(new QTreeWidgetItem);
    for (int row = 0; row < rows; ++row)
        ShowLogicRow(row);
    // The selection stays where it was.
    ListView21->clearSelection();
    if (QTreeWidgetItem* item = ListView21->topLevelItem(FLogics->Selected()))
        item->setSelected(true);
    ShowLogicSelection();
}

void ProjectPanel::AssignGlobalLogicSender(std::uint16_t Source, int Device, const std::string& NodeText)
{
    if (!TakeProject())
        return;
    FLogics->AssignSender(Source, Device, NodeText);
    ShowLogicRow(FLogics->Selected());
    ShowLogicSelection();
}

void ProjectPanel::RefreshGlobalLogicRow()
{
    if (!TakeProject())
        return;
    FLogics->RefreshSelected();
    ShowLogicRow(FLogics->Selected());
    ShowLogicSelection();
}

bool ProjectPanel::AcceptsDrag(const QMimeData* Data) const
{
    return FHost.IsLogicSourceDrag && FHost.IsLogicSourceDrag(Data);
}

void ProjectPanel::SenderDropped(bool OnList, const QPoint& At)
{
    if (OnList) {
        QTreeWidgetItem* item = ListView21->itemAt(At);
        const int row = item ? ListView21->indexOfTopLevelItem(item) : -1;
        {
            const QSignalBlocker blocker(ListView21);
            ListView21->clearSelection();
            if (item)
                item->setSelected(true);
        }
        FLogics->DropOnRow(row);
    } else {
        FLogics->DropOnSource();
    }
    ShowLogicSelection();
}

bool ProjectPanel::eventFilter(QObject* Watched, QEvent* Event)
{
    const bool list = Watched == FLogicListViewport;
    if (!list && Watched != Panel37)
        return QTabWidget::eventFilter(Watched, Event);
    // A sender lands on a global logic's row, or on the source panel of the selected one.
    if (controls::answerDragEvent(
            Event, {.Takes = [this](const QMimeData* Data) { return AcceptsDrag(Data); },
                    .LandsAt =
                        [this, list](const QDropEvent& Drag) {
                            return FLogics && (!list || ListView21->itemAt(Drag.position().toPoint()));
                        },
                    .Dropped = [this, list](QDropEvent& Drop) { SenderDropped(list, Drop.position().toPoint()); }}))
        return true;
    return QTabWidget::eventFilter(Watched, Event);
}

} // namespace kvr::app
