#include "editors/audio/outputroutingwidget.h"

#include <QAction>
#include <QCheckBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dragtarget.h"
#include "editors/sources/sourcedrag.h"
#include "platform/text1252.h"

namespace kvr::editors {

TOutputRoutingPage::TOutputRoutingPage(EditorHost& Host, QWidget* Parent) : QWidget(Parent), FPage(Host)
{
    setObjectName("OutputRoutingPage");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("Output Routing", this);
    auto* inner = new QVBoxLayout(group);
    ListView12 = new QTreeWidget(group);
    ListView12->setObjectName("ListView12");
    ListView12->setHeaderLabels({"Output name", "Output address", "Source", "Mute logics", "CS-Routing"});
    int column = 0;
    for (const int width : {130, 100, 100, 190, 80})
        ListView12->setColumnWidth(column++, width);
    ListView12->setRootIsDecorated(false);
    ListView12->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView12->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView12->setAcceptDrops(true);
    ListView12->viewport()->setAcceptDrops(true);
    ListView12->viewport()->installEventFilter(this);
    ListView12->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* assignItem = new QAction("Assign ...", ListView12);
    auto* clearItem = new QAction("Clear", ListView12);
    ListView12->addActions({assignItem, clearItem});
    inner->addWidget(ListView12, 1);

    auto* bottom = new QHBoxLayout;
    auto* buttons = new QVBoxLayout;
    Button42 = new QPushButton("Assign", group);
    Button42->setObjectName("Button42");
    Button43 = new QPushButton("Clear All", group);
    Button43->setObjectName("Button43");
    buttons->addWidget(Button42);
    buttons->addWidget(Button43);
    buttons->addStretch();
    bottom->addLayout(buttons);
    GroupBox36 = new QGroupBox("Mute Logic", group);
    GroupBox36->setObjectName("GroupBox36");
    auto* mutes = new QVBoxLayout(GroupBox36);
    for (int i = 0; i < kRoutingMuteLogics; ++i) {
        auto* box = new QCheckBox(GroupBox36);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(21 + i));
        mutes->addWidget(box);
        MuteBoxes[static_cast<std::size_t>(i)] = box;
        connect(box, &QCheckBox::clicked, this, [this, i](bool on) { FPage.SetMuteLogic(i, on); });
    }
    bottom->addWidget(GroupBox36);
    GroupBox37 = new QGroupBox("CS-Routing", group);
    GroupBox37->setObjectName("GroupBox37");
    auto* cs = new QVBoxLayout(GroupBox37);
    CheckBox26 = new QCheckBox("Enable", GroupBox37);
    CheckBox26->setObjectName("CheckBox26");
    cs->addWidget(CheckBox26);
    cs->addStretch();
    bottom->addWidget(GroupBox37);
    bottom->addStretch();
    inner->addLayout(bottom);
    layout->addWidget(group);

    FPage.Changed = [this] { Show(); };
    connect(ListView12, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { FPage.Select(ListView12->indexOfTopLevelItem(item)); });
    connect(ListView12, &QTreeWidget::itemDoubleClicked, this, [this] { FPage.PickSource(); });
    connect(Button42, &QPushButton::clicked, this, [this] { FPage.PickSource(); });
    connect(assignItem, &QAction::triggered, this, [this] { FPage.PickSource(); });
    connect(clearItem, &QAction::triggered, this, [this] { FPage.Clear(); });
    connect(Button43, &QPushButton::clicked, this, [this] { FPage.ClearAll(); });
    connect(CheckBox26, &QCheckBox::clicked, this, [this](bool on) { FPage.SetCSRouting(on); });
    Show();
}

void TOutputRoutingPage::Show()
{
    const std::vector<RoutingRow>& rows = FPage.Rows();
    if (FShownRows != rows || ListView12->topLevelItemCount() != static_cast<int>(rows.size())) {
        // Rows are reused in place.
        while (ListView12->topLevelItemCount() > static_cast<int>(rows.size()))
            delete ListView12->takeTopLevelItem(ListView12->topLevelItemCount() - 1);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            QTreeWidgetItem* item = static_cast<int>(i) < ListView12->topLevelItemCount()
                                        ? ListView12->topLevelItem(static_cast<int>(i))
                                        : new QTreeWidgetItem(ListView12);
            const RoutingRow& row = rows[i];
            int column = 0;
            for (const std::string* text : {&row.Name, &row.Address, &row.Source, &row.Mutes, &row.CSRouting})
                item->setText(column++, platform::fromCp1252(*text));
        }
        FShownRows = rows;
    }
    const int selected = FPage.Selected();
    QTreeWidgetItem* current = selected >= 0 ? ListView12->topLevelItem(selected) : nullptr;
    if (ListView12->currentItem() != current)
        ListView12->setCurrentItem(current);
    if (current)
        ListView12->scrollToItem(current);
    Button42->setEnabled(FPage.AssignEnabled());
    GroupBox37->setVisible(FPage.CSRoutingVisible());
    CheckBox26->setChecked(FPage.CSRoutingBox());
    GroupBox36->setVisible(FPage.MuteLogicVisible());
    for (int i = 0; i < kRoutingMuteLogics; ++i) {
        QCheckBox* box = MuteBoxes[static_cast<std::size_t>(i)];
        box->setText(platform::fromCp1252(FPage.MuteLogicCaptions()[static_cast<std::size_t>(i)]));
        box->setChecked(FPage.MuteLogicBox(i));
    }
}

bool TOutputRoutingPage::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == ListView12->viewport() &&
        controls::answerDragEvent(Event, {.Takes = TakesSourceDrag(SourceDragKind::Audio),
                                          .Dropped = [this](QDropEvent& Drop) {
                                              FPage.DropOn(RowAt(ListView12, Drop.position().toPoint()));
                                          }}))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

} // namespace kvr::editors
