#include "service/watch/watchform.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "client/kvrcommunicationclient.h"
#include "controls/dragtarget.h"
#include "gfx/qpaintercanvas.h"
#include "platform/qtlogview.h"
#include "platform/text1252.h"
#include "service/watch/watchgraph.h"

namespace kvr::service {

namespace {
// The graph's cursor line: one position shared by every watch window, -1 = none.
int GraphCursorX = -1;
} // namespace

// The graph's picture, drawn by the painter and shown as it is.
class WatchGraphView : public QWidget {
public:
    explicit WatchGraphView(QWidget* Parent) : QWidget(Parent)
    {
        setObjectName("Graph");
        setCursor(Qt::SplitHCursor);
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QImage Picture;
    std::function<void(int X, int Y)> MouseMoved;
    // The graph takes its size from its box, which a page shown for the first time only then
    // lays out: the picture follows every size the view gets.
    std::function<void()> Resized;

protected:
    void resizeEvent(QResizeEvent* Event) override
    {
        QWidget::resizeEvent(Event);
        if (Resized)
            Resized();
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.drawImage(0, 0, Picture);
    }
    void mouseMoveEvent(QMouseEvent* Event) override
    {
        if (MouseMoved)
            MouseMoved(Event->position().toPoint().x(), Event->position().toPoint().y());
    }
};

TWatchForm::TWatchForm(std::unique_ptr<TKVRCommunicationClient> Client, TWatchFormServices Services, QWidget* Owner)
    : QWidget(Owner, Qt::Window | Qt::WindowStaysOnTopHint), FClient(std::move(Client)), FServices(std::move(Services))
{
    setObjectName("WatchForm");
    setWindowTitle("Watches");
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(530, 200);
    resize(640, 360);
    FController = std::make_unique<WatchController>(*FClient, FServices.Watch);

    WatchView = new QTreeWidget(this);
    WatchView->setObjectName("WatchView");
    WatchView->setColumnCount(2);
    WatchView->setHeaderLabels({"Name", "State"});
    WatchView->setRootIsDecorated(false);
    WatchView->setSelectionMode(QAbstractItemView::SingleSelection);
    WatchView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    WatchView->header()->resizeSection(0, 160);
    WatchView->header()->resizeSection(1, 40);
    WatchView->headerItem()->setTextAlignment(1, Qt::AlignRight);
    WatchView->setAcceptDrops(true);
    WatchView->viewport()->setAcceptDrops(true);
    WatchView->viewport()->installEventFilter(this);
    WatchView->installEventFilter(this);

    AddButton = new QPushButton("Add", this);
    DelButton = new QPushButton("Remove", this);
    DelButton->setEnabled(false);
    Button2 = new QPushButton("Reconnect", this);
    Button3 = new QPushButton("Close", this);

    PageControl1 = new QTabWidget(this);
    Memo1 = new QPlainTextEdit;
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    PageControl1->addTab(Memo1, "Protocol");
    auto* graphPage = new QWidget;
    Graph = new WatchGraphView(graphPage);
    DrawGraph = new QCheckBox("Update Graph");
    RadioButton1 = new QRadioButton("Scroll per event");
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton("Scroll every");
    Edit1 = new QSpinBox;
    Edit1->setRange(20, 10000);
    Edit1->setSingleStep(10);
    Edit1->setValue(20);
    Edit1->setWrapping(false);
    Button1 = new QPushButton("Clear graph");
    // The graph's controls in three short rows under the graph, so that the page keeps every
    // caption whole beside the list at the window's usual width.
    auto* updateRow = new QHBoxLayout;
    updateRow->addWidget(DrawGraph);
    updateRow->addStretch();
    updateRow->addWidget(Button1);
    auto* everyRow = new QHBoxLayout;
    everyRow->addWidget(RadioButton2);
    everyRow->addWidget(Edit1);
    everyRow->addWidget(new QLabel("ms"));
    everyRow->addStretch();
    auto* graphLayout = new QVBoxLayout(graphPage);
    graphLayout->addWidget(Graph, 1);
    graphLayout->addLayout(updateRow);
    graphLayout->addWidget(RadioButton1);
    graphLayout->addLayout(everyRow);
    PageControl1->addTab(graphPage, "Graph");

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {AddButton, DelButton, Button2, Button3})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(WatchView, 1);
    left->addLayout(buttons);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addWidget(PageControl1, 3);
    auto* status = new QHBoxLayout;
    const int widths[3] = {200, 100, 50};
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        StatusPanels[i] = new QLabel(this);
        StatusPanels[i]->setFrameShape(QFrame::Panel);
        StatusPanels[i]->setFrameShadow(QFrame::Sunken);
        StatusPanels[i]->setMinimumWidth(widths[i]);
        status->addWidget(StatusPanels[i], i == 0 ? 0 : 0);
    }
    status->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(status);
    // No narrower than the buttons and the graph's controls side by side need with these fonts.
    setMinimumWidth(std::max(minimumWidth(), layout->minimumSize().width()));

    FLog.Destination = TKVRLogDestinations::Of({dldMemo});
    FLog.FlushLimit = 1000;
    FLog.FlushLeft = 50;
    FLog.Enabled = true;
    FLogView = std::make_shared<platform::QtLogView>(Memo1);
    FLog.FSetMemo(FLogView);

    GraphTimer = new QTimer(this);
    UDPTimer = new QTimer(this);
    UDPTimer->setInterval(20);
    // A global logic state by UDP shows in the list like one received as a block.
    connect(UDPTimer, &QTimer::timeout, this, [this] {
        WhileBusy([this] {
            if (FController->DrainUDP())
                ShowStates();
        });
    });
    UDPTimer->start();
    connect(GraphTimer, &QTimer::timeout, this, [this] {
        FController->Sample();
        UpdateGraph();
    });

    FController->OnLogLine = [this](const std::string& Line) { FLog.Message(Line, 0); };
    FController->OnGraphChanged = [this] { UpdateGraph(); };
    FClient->OnCANBlockReceived = [this](TKVRCommunicationClient*, Kvrdata_ns::KVRCANBlock Block) {
        if (FController->BlockReceived(Block))
            ShowStates();
    };
    FClient->OnStatusChanged = [this](QObject*) {
        StatusPanels[1]->setText(QString::fromStdString(FClient->GetStatusText()));
        if (FClient->GetStatus() == dcsNotConnected)
            FClient->CloseConnection();
    };

    connect(AddButton, &QPushButton::clicked, this, [this] {
        if (FServices.AddClicked)
            FServices.AddClicked(*this);
    });
    connect(DelButton, &QPushButton::clicked, this, [this] { RemoveClicked(); });
    connect(Button2, &QPushButton::clicked, this, [this] { WhileBusy([this] { FController->Reconnect(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { CloseClicked(); });
    connect(Button1, &QPushButton::clicked, this, [this] { ClearGraph(); });
    connect(WatchView, &QTreeWidget::itemClicked, this, [this] {
        DelButton->setEnabled(WatchView->currentItem() != nullptr);
        FController->Select(WatchView->indexOfTopLevelItem(WatchView->currentItem()));
    });
    connect(RadioButton1, &QRadioButton::clicked, this, [this] { SetScrollMode(); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { SetScrollMode(); });
    connect(Edit1, &QSpinBox::valueChanged, this, [this](int Value) { GraphTimer->setInterval(Value); });
    Graph->Resized = [this] {
        if (!FClosing && Graph->Picture.size() != Graph->size())
            ClearGraph();
    };
    Graph->MouseMoved = [this](int X, int Y) {
        if (Graph->Picture.isNull())
            return;
        gfx::QPainterCanvas canvas(Graph->Picture);
        if (GraphCursorX >= 0 && X >= 0) {
            const int firstTop = WatchView->topLevelItemCount() > 0
                                     ? WatchView->visualItemRect(WatchView->topLevelItem(0)).top()
                                     : 0;
            if (QTreeWidgetItem* item = WatchView->itemAt(5, Y + firstTop))
                WatchView->setCurrentItem(item);
            DrawGraphCursor(canvas, GraphCursorX, Graph->Picture.height());
        }
        if (X >= 0) {
            DrawGraphCursor(canvas, X, Graph->Picture.height());
            GraphCursorX = X;
        }
        Graph->update();
    };
}

TWatchForm::~TWatchForm()
{
    FClient->OnCANBlockReceived = nullptr;
    FClient->OnStatusChanged = nullptr;
}

std::int64_t TWatchForm::WatchedDeviceID() const
{
    return FConnected ? static_cast<std::int64_t>(FController->Address().DID) : -1;
}

void TWatchForm::AddWatch(std::int32_t LogicID, std::int32_t SecondaryIndex)
{
    WhileBusy([&] {
        if (FController->AddWatch(LogicID, SecondaryIndex)) {
            FillRows();
            ClearGraph();
        }
    });
}

bool TWatchForm::event(QEvent* Event)
{
    // The client lets messages through while it paces its sends; a deletion that a closed window
    // asked for before must not happen inside such a call.
    if (Event->type() == QEvent::DeferredDelete && FBusy > 0) {
        FDeleteWhenIdle = true;
        return true;
    }
    return QWidget::event(Event);
}

template <class F>
void TWatchForm::WhileBusy(F&& Call)
{
    ++FBusy;
    Call();
    if (--FBusy == 0 && FDeleteWhenIdle) {
        FDeleteWhenIdle = false;
        deleteLater();
    }
}

void TWatchForm::showEvent(QShowEvent* Event)
{
    QWidget::showEvent(Event);
    if (FShown)
        return;
    FShown = true;
    Kvrdata_ns::TDeviceAddr addr;
    if (FServices.ConnectionDialog && FServices.ConnectionDialog(addr) == 1) {
        WhileBusy([&] { FController->Open(addr); });
        FConnected = true;
        setWindowTitle(platform::fromCp1252(FController->Caption()));
        FLog.FSetFileName(FController->LogFileName());
        FillRows();
        ClearGraph();
        FCancelled = false;
        StatusPanels[0]->setText(QString::fromStdString(addr.GetDescription()));
    } else {
        FClosing = true;
        FCancelled = true;
        StatusPanels[0]->setText("None");
    }
    PageControl1->setCurrentIndex(0);
    if (FCancelled)
        QTimer::singleShot(0, this, [this] { close(); });
}

void TWatchForm::changeEvent(QEvent* Event)
{
    QWidget::changeEvent(Event);
    if (Event->type() != QEvent::ActivationChange || !isActiveWindow() || FCancelled || FClosing)
        return;
    if (FServices.Activated)
        FServices.Activated(*this);
    WhileBusy([this] {
        FController->RefreshWatchList();
        FillRows();
    });
}

void TWatchForm::closeEvent(QCloseEvent* Event)
{
    FClosing = true;
    GraphTimer->stop();
    UDPTimer->stop();
    WhileBusy([this] { FController->CloseConnection(); });
    QWidget::closeEvent(Event);
}

void TWatchForm::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    if (!FClosing)
        ClearGraph();
}

void TWatchForm::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape) {
        // Leaves without saving the list.
        FClosing = true;
        close();
        return;
    }
    QWidget::keyPressEvent(Event);
}

bool TWatchForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == WatchView && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete && WatchView->currentItem() != nullptr) {
        RemoveClicked();
        return true;
    }
    // A logic source of the watched device, while connected.
    if (Watched == WatchView->viewport() &&
        controls::answerDragEvent(
            Event, {.Takes = [this](const QMimeData* Data) { return FServices.TakesDrag && FServices.TakesDrag(Data); },
                    .LandsAt =
                        [this](const QDropEvent&) {
                            return FConnected && FServices.ShowsWatchedDevice && FServices.ShowsWatchedDevice() &&
                                   FServices.Dropped;
                        },
                    .Dropped = [this](QDropEvent&) { FServices.Dropped(*this); }}))
        return true;
    return QWidget::eventFilter(Watched, Event);
}

void TWatchForm::FillRows()
{
    WatchView->setUpdatesEnabled(false);
    WatchView->clear();
    for (const TWatchRow& row : FController->Rows()) {
        auto* item = new QTreeWidgetItem(WatchView);
        item->setText(0, platform::fromCp1252(row.Name));
        item->setText(1, QString::fromStdString(row.State));
        item->setTextAlignment(1, Qt::AlignRight);
        item->setData(0, Qt::UserRole, row.LogicID);
    }
    if (const int selected = FController->Selected(); selected >= 0)
        WatchView->setCurrentItem(WatchView->topLevelItem(selected));
    DelButton->setEnabled(WatchView->currentItem() != nullptr);
    WatchView->setUpdatesEnabled(true);
}

void TWatchForm::ShowStates()
{
    const auto& rows = FController->Rows();
    for (int row = 0; row < WatchView->topLevelItemCount() && row < static_cast<int>(rows.size()); ++row)
        WatchView->topLevelItem(row)->setText(1, QString::fromStdString(rows[static_cast<std::size_t>(row)].State));
}

void TWatchForm::RemoveClicked()
{
    FController->Select(WatchView->indexOfTopLevelItem(WatchView->currentItem()));
    GraphTimer->stop();
    WhileBusy([this] {
        if (FController->RemoveSelected()) {
            FillRows();
            ClearGraph();
        }
    });
    SetScrollMode();
}

void TWatchForm::CloseClicked()
{
    FController->SaveWatchList();
    FClosing = true;
    close();
}

void TWatchForm::SetScrollMode()
{
    FController->ScrollPerEvent = RadioButton1->isChecked();
    if (RadioButton2->isChecked()) {
        GraphTimer->setInterval(Edit1->value());
        GraphTimer->start();
    } else {
        GraphTimer->stop();
    }
}

void TWatchForm::ClearGraph()
{
    FController->ClearHistories();
    FController->GraphWidth = Graph->width();
    Graph->Picture = QImage(std::max(Graph->width(), 1), std::max(Graph->height(), 1), QImage::Format_RGB32);
    {
        gfx::QPainterCanvas canvas(Graph->Picture);
        PaintClearedGraph(canvas, Graph->Picture.width(), Graph->Picture.height(), canvas.font().height,
                          static_cast<int>(FController->Rows().size()));
    }
    UpdateGraph();
    Graph->update();
}

void TWatchForm::UpdateGraph()
{
    if (!DrawGraph->isChecked() || WatchView->topLevelItemCount() == 0 || Graph->Picture.isNull())
        return;
    const QRect first = WatchView->visualItemRect(WatchView->topLevelItem(0));
    {
        gfx::QPainterCanvas canvas(Graph->Picture);
        PaintWatchGraph(canvas, Graph->Picture.width(), Graph->Picture.height(), first.height(),
                        FController->Watches());
        if (GraphCursorX >= 0)
            DrawGraphCursor(canvas, GraphCursorX, Graph->Picture.height());
    }
    Graph->update();
}

} // namespace kvr::service
