#include "editors/audio/monitorpage.h"

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dragtarget.h"
#include "editors/sources/audiosourcetree.h"
#include "editors/common/editorhost.h"
#include "editors/audio/monitorfunctions.h"
#include "editors/common/sourceassign.h"
#include "editors/sources/sourcedrag.h"
#include "editors/common/sourcenode.h"
#include "model/project.h"
#include "platform/text1252.h"

namespace kvr::editors {

namespace {
QTreeWidget* Table(QWidget* parent, const char* name, const QStringList& columns, std::initializer_list<int> widths)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setHeaderLabels(columns);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    int column = 0;
    for (const int width : widths)
        list->setColumnWidth(column++, width);
    return list;
}
} // namespace

TMonitorFunctionsPage::TMonitorFunctionsPage(EditorHost& Host, QWidget* Parent) : AudioTabPage(Host, Parent)
{
    setObjectName("MonitorFunctionsPage");
    auto* layout = new QHBoxLayout(this);
    auto* buses = new QGroupBox("Default Monitor Bus Source", this);
    auto* busLayout = new QVBoxLayout(buses);
    ListView18 = Table(buses, "ListView18", {"Monitor Bus", "Source", "Info"}, {100, 130, 150});
    ListView18->setAcceptDrops(true);
    ListView18->viewport()->installEventFilter(this);
    ListView18->setContextMenuPolicy(Qt::ActionsContextMenu);
    busLayout->addWidget(ListView18);
    auto* buttons = new QHBoxLayout;
    Button3 = new QPushButton("Assign ...", buses);
    Button3->setObjectName("Button3");
    Button4 = new QPushButton("Clear All", buses);
    Button4->setObjectName("Button4");
    buttons->addWidget(Button3);
    buttons->addWidget(Button4);
    buttons->addStretch();
    busLayout->addLayout(buttons);
    layout->addWidget(buses, 1);

    auto* selectors = new QGroupBox("Rotary Monitor Selector", this);
    auto* selectorLayout = new QVBoxLayout(selectors);
    ListView22 = Table(selectors, "ListView22", {"Rotary Monitor Selector", "Source List", "Info"}, {140, 100, 150});
    selectorLayout->addWidget(ListView22);
    Label78 = new QLabel("Select Source List", selectors);
    Label78->setObjectName("Label78");
    selectorLayout->addWidget(Label78);
    ComboBox13 = new QComboBox(selectors);
    ComboBox13->setObjectName("ComboBox13");
    selectorLayout->addWidget(ComboBox13);
    layout->addWidget(selectors, 1);

    auto* assign = new QAction("Assign ...", ListView18);
    auto* clear = new QAction("Clear", ListView18);
    ListView18->addAction(assign);
    ListView18->addAction(clear);
    connect(assign, &QAction::triggered, this, [this] { AssignClick(); });
    connect(clear, &QAction::triggered, this, [this] { ClearClick(); });
    connect(Button3, &QPushButton::clicked, this, [this] { AssignClick(); });
    connect(Button4, &QPushButton::clicked, this, [this] { ClearAllClick(); });
    connect(ListView18, &QTreeWidget::itemClicked, this, [this] { Button3->setEnabled(true); });
    connect(ListView18, &QTreeWidget::itemDoubleClicked, this, [this] {
        Button3->setEnabled(true);
        AssignClick();
    });
    connect(ListView22, &QTreeWidget::itemSelectionChanged, this, [this] { SelectorChosen(); });
    connect(ComboBox13, &QComboBox::activated, this, [this](int item) {
        const int row = CurrentRow(ListView22);
        if (FSelectingSelector || row < 0 || !Device())
            return;
        MonitorFunctions(*Project(), DeviceIndex()).SetSelectorList(row, item);
        Fill();
    });
}

void TMonitorFunctionsPage::TabShow()
{
    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->SetTarget(atMonitorBus, this);
    if (!Device())
        return;
    Fill();
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetGroupFilter(afPFL);
        audio->SetDeviceIndex(DeviceIndex());
        audio->BuildSourceTree();
    }
}

void TMonitorFunctionsPage::Fill()
{
    if (!Device())
        return;
    MonitorFunctions tab(*Project(), DeviceIndex());
    const int bus = CurrentRow(ListView18);
    const int selector = CurrentRow(ListView22);
    FSelectingSelector = true;
    ListView18->clear();
    for (const MonitorBusRow& row : tab.BusRows()) {
        auto* item = new QTreeWidgetItem(ListView18, {QString::fromStdString(row.Bus), platform::fromCp1252(row.Source),
                                                      QString::fromStdString(row.Info)});
        item->setData(0, Qt::UserRole, row.Ref);
    }
    ListView22->clear();
    for (const RotarySelectorRow& row : tab.SelectorRows()) {
        auto* item = new QTreeWidgetItem(ListView22, {QString::fromStdString(row.Selector), platform::fromCp1252(row.List),
                                                      QString::fromStdString(row.Info)});
        item->setData(0, Qt::UserRole, row.Item);
    }
    ComboBox13->clear();
    for (const std::string& text : tab.ListItems())
        ComboBox13->addItem(platform::fromCp1252(text));
    SelectRow(ListView18, bus);
    SelectRow(ListView22, selector);
    ComboBox13->setEnabled(false);
    Button3->setEnabled(false);
    FSelectingSelector = false;
}

void TMonitorFunctionsPage::SelectorChosen()
{
    const int row = CurrentRow(ListView22);
    if (FSelectingSelector || row < 0)
        return;
    FSelectingSelector = true;
    ComboBox13->setEnabled(true);
    ComboBox13->setCurrentIndex(ListView22->topLevelItem(row)->data(0, Qt::UserRole).toInt());
    FSelectingSelector = false;
}

void TMonitorFunctionsPage::AssignClick()
{
    const int row = CurrentRow(ListView18);
    AudioSourcePicker* audio = FHost.AudioSources();
    if (row < 0 || !audio || !Device())
        return;
    audio->SelectAudioSource(ListView18->topLevelItem(row)->data(0, Qt::UserRole).toUInt());
    audio->SetTargetKind(atMonitorBus);
    audio->SetDeviceIndex(DeviceIndex());
    audio->ShowPicker();
}

void TMonitorFunctionsPage::ClearClick()
{
    const int row = CurrentRow(ListView18);
    if (row < 0 || !Device())
        return;
    MonitorFunctions(*Project(), DeviceIndex()).ClearBus(row);
    Fill();
}

void TMonitorFunctionsPage::ClearAllClick()
{
    if (!Device())
        return;
    MonitorFunctions(*Project(), DeviceIndex()).ClearAll();
    Fill();
}

TargetSelection TMonitorFunctionsPage::Selection(int)
{
    TargetSelection sel;
    sel.Element = CurrentRow(ListView18);
    return sel;
}

void TMonitorFunctionsPage::Refresh(int, const PickedSource&)
{
    Fill();
}

bool TMonitorFunctionsPage::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == ListView18->viewport() &&
        controls::answerDragEvent(
            Event, {.Takes = TakesSourceDrag(SourceDragKind::Audio), .Dropped = [this](QDropEvent& Drop) {
                AudioSourcePicker* audio = FHost.AudioSources();
                if (!audio)
                    return;
                SelectRow(ListView18, RowAt(ListView18, Drop.position().toPoint()));
                audio->SetTargetKind(atMonitorBus);
                audio->Assign();
                Button3->setEnabled(true);
            }}))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

} // namespace kvr::editors
