#include "app/frameio/slotpanel.h"

#include <QCheckBox>
#include <QHideEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <chrono>

#include "app/frameio/slotpainter.h"
#include "diagnostics/waitcursor.h"
#include "gfx/qpaintercanvas.h"
#include "model/project.h"

namespace kvr::app::frameio {

namespace {
constexpr int kHiddenHeight = 20;

long long MillisecondsSince(std::chrono::steady_clock::time_point Start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Start).count();
}
} // namespace

TSlotImage::TSlotImage(TSlotPanel& Panel, QWidget* Parent) : QWidget(Parent), Panel(Panel)
{
    setObjectName("SlotImage");
    setMouseTracking(true);
    setFixedSize(kImageWidth, kHiddenHeight);
}

void TSlotImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Picture);
}

void TSlotImage::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint at = Event->position().toPoint();
    Panel.SlotImageMouseMove(at.x(), at.y());
}

void TSlotImage::mousePressEvent(QMouseEvent*)
{
    // A click makes the scroll box the active control, so the wheel scrolls the table.
    if (Panel.SlotScrollBox->focusPolicy() != Qt::NoFocus)
        Panel.SlotScrollBox->setFocus(Qt::MouseFocusReason);
}

void TSlotScrollBox::wheelEvent(QWheelEvent* Event)
{
    Event->accept();
    const int delta = Event->angleDelta().y();
    if (delta == 0)
        return;
    QScrollBar* bar = verticalScrollBar();
    if (const auto to = WheelScroll(hasFocus(), bar->value(), bar->maximum(), delta > 0))
        bar->setValue(*to);
}

TSlotPanel::TSlotPanel(QWidget* Parent) : QWidget(Parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    ShowGPIOs = new QCheckBox("Show GPIOs", this);
    ShowGPIOs->setObjectName("ShowGPIOs");
    ShowGPIOs->setChecked(true);
    layout->addWidget(ShowGPIOs);
    SlotScrollBox = new TSlotScrollBox(this);
    SlotScrollBox->setObjectName("SlotScrollBox");
    SlotScrollBox->setFocusPolicy(Qt::StrongFocus);
    SlotScrollBox->setWidgetResizable(false);
    SlotScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SlotImage = new TSlotImage(*this, SlotScrollBox);
    SlotScrollBox->setWidget(SlotImage);
    layout->addWidget(SlotScrollBox, 1);
    connect(ShowGPIOs, &QCheckBox::clicked, this, [this] { ShowGPIOsClick(); });
    setVisible(false);
}

void TSlotPanel::ShowSlotPanel(model::TProject* Project, int Device, int CurSlot)
{
    FProject = Project;
    FCurDevice = Device;
    FCurSlot = CurSlot;
    DrawSlotView();
    ShowGPIOs->setVisible(CurSlot > 254);
    show();
}

void TSlotPanel::HideSlotPanel()
{
    hide();
    FProject = nullptr;
    SlotImage->Picture = QImage();
    SlotImage->setFixedSize(kImageWidth, kHiddenHeight);
}

void TSlotPanel::hideEvent(QHideEvent* Event)
{
    QWidget::hideEvent(Event);
    if (!Event->spontaneous() && FProject != nullptr)
        HideSlotPanel();
}

void TSlotPanel::DrawSlotView()
{
    model::TDevice* device = FProject != nullptr && FCurDevice >= 0 ? FProject->Device(FCurDevice) : nullptr;
    if (device == nullptr)
        return;
    const auto start = std::chrono::steady_clock::now();
    const TWaitCursor hourglass(true);
    const bool timing = RefreshTimeChecked && RefreshTimeChecked() && LogMessage;

    View.Load(*device, FCurSlot, ShowGPIOs->isChecked());
    const int height = View.ImageHeight();
    QImage picture(kImageWidth, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        gfx::QPainterCanvas canvas(picture);
        const auto slotsStart = std::chrono::steady_clock::now();
        frameio::DrawSlotView(canvas, View, {FProject, FCurDevice, device->GetHeader()});
        if (timing && View.WholeFrame())
            LogMessage("Frame Setup HeightComp: " + std::to_string(MillisecondsSince(slotsStart)) + " ms", 2);
    }
    SlotImage->Picture = std::move(picture);
    SlotImage->setFixedSize(kImageWidth, height);
    SlotImage->update();
    if (timing)
        LogMessage("Frame Setup " + std::to_string(MillisecondsSince(start)) + "ms refreshtime", 2);
    if (UpdateCaption)
        UpdateCaption();
}

void TSlotPanel::ShowGPIOsClick() { DrawSlotView(); }

void TSlotPanel::SlotImageMouseMove(int X, int Y)
{
    if (FProject == nullptr)
        return;
    View.PointerMove(X, Y);
    switch (View.Cursor(*FProject, FCurDevice)) {
    case CursorKind::Hand: SlotImage->setCursor(Qt::PointingHandCursor); break;
    case CursorKind::IBeam: SlotImage->setCursor(Qt::IBeamCursor); break;
    case CursorKind::Forbidden: SlotImage->setCursor(Qt::ForbiddenCursor); break;
    case CursorKind::Default: SlotImage->unsetCursor(); break;
    }
}

} // namespace kvr::app::frameio
