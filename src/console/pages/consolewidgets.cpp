#include "console/pages/consolewidgets.h"

#include "console/consoleeditorstate.h"
#include "console/consoleimage.h"
#include "console/consolepagecontroller.h"
#include "console/modulegeometry.h"
#include "console/modulepainter.h"
#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "gfx/qpaintercanvas.h"
#include "model/device.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace kvr::console {

namespace {

constexpr float kPaletteScale = 0.02f; // a tall face 32 x 78

QMimeData* ModuleDrag(int paletteType)
{
    auto* data = new QMimeData;
    data->setData(kModuleMimeType, QByteArray::number(paletteType));
    return data;
}

// The palette type a drag carries, -1 for a picture move; nullopt for foreign drags.
std::optional<int> DraggedType(const QMimeData* data)
{
    if (!data || !data->hasFormat(kModuleMimeType))
        return std::nullopt;
    bool ok = false;
    const int type = data->data(kModuleMimeType).toInt(&ok);
    return ok ? std::optional<int>(type) : std::nullopt;
}

// The palette's picture of a type: its face drawn on a device of its own.
QIcon PaletteIcon(int type)
{
    model::TDevice device;
    const std::vector<std::uint8_t> entry{static_cast<std::uint8_t>(type), 0, 0, 0, 0, 0};
    device.SetSetupData(100, entry);
    const FaceExtent face = FaceSize(type);
    QImage image(static_cast<int>(face.Width * kPaletteScale) + 1, static_cast<int>(face.Height * kPaletteScale) + 1,
                 QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        gfx::QPainterCanvas canvas(image);
        PaintModule(0, 0, canvas, 0, kPaletteScale, 100, {device, -1, nullptr});
    }
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

ConsoleImage::ConsoleImage(ConsolePageController& page, QWidget* parent) : QWidget(parent), page_(page)
{
    setObjectName("ConsoleImg");
    setMouseTracking(true);
    setAcceptDrops(true);
    setMinimumSize(468, 173);
}

void ConsoleImage::paintEvent(QPaintEvent*)
{
    gfx::QPainterCanvas canvas(*this);
    page_.Draw(canvas, width(), height());
}

void ConsoleImage::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    page_.PointerMove(p.x(), p.y());
    if (!mayDrag_ || !(event->buttons() & Qt::LeftButton) ||
        (p - pressAt_).manhattanLength() < QApplication::startDragDistance())
        return;
    mayDrag_ = false;
    page_.StartPictureDrag();
    auto* drag = new QDrag(this);
    drag->setMimeData(ModuleDrag(-1));
    drag->exec(Qt::MoveAction);
    page_.EndDrag();
    if (Changed)
        Changed();
}

void ConsoleImage::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    pressAt_ = p;
    page_.PointerMove(p.x(), p.y());
    bool dragAllowed = false;
    page_.Press(p.x(), p.y(), event->button() == Qt::LeftButton, dragAllowed);
    mayDrag_ = dragAllowed;
    if (Changed)
        Changed();
    if (event->button() == Qt::RightButton && PopupRequested)
        PopupRequested(event->globalPosition().toPoint());
}

void ConsoleImage::mouseReleaseEvent(QMouseEvent*)
{
    mayDrag_ = false;
}

void ConsoleImage::dragEnterEvent(QDragEnterEvent* event)
{
    if (DraggedType(event->mimeData()))
        event->acceptProposedAction();
}

void ConsoleImage::dragMoveEvent(QDragMoveEvent* event)
{
    const auto type = DraggedType(event->mimeData());
    const QPoint p = event->position().toPoint();
    if (type && page_.DragOver(p.x(), p.y(), *type))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ConsoleImage::dropEvent(QDropEvent* event)
{
    const auto type = DraggedType(event->mimeData());
    const QPoint p = event->position().toPoint();
    if (type && page_.Drop(p.x(), p.y(), *type))
        event->acceptProposedAction();
    else
        event->ignore();
    if (Changed)
        Changed();
}

ModulePaletteView::ModulePaletteView(ConsolePageController& page, QWidget* parent) : QListWidget(parent), page_(page)
{
    setObjectName("ListView2");
    setViewMode(QListView::IconMode);
    setIconSize(QSize(46, 78));
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWordWrap(true);
    setGridSize(QSize(110, 120));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    for (const PaletteItem& item : ModulePalette) {
        auto* entry = new QListWidgetItem(QString::fromLatin1(item.Caption), this);
        entry->setData(Qt::UserRole, item.Type);
        entry->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
}

void ModulePaletteView::showEvent(QShowEvent* event)
{
    QListWidget::showEvent(event);
    if (pictures_)
        return;
    pictures_ = true;
    for (int i = 0; i < count(); ++i)
        item(i)->setIcon(PaletteIcon(item(i)->data(Qt::UserRole).toInt()));
}

void ModulePaletteView::startDrag(Qt::DropActions)
{
    QListWidgetItem* item = currentItem();
    if (!item)
        return;
    page_.StartPaletteDrag();
    auto* drag = new QDrag(this);
    drag->setMimeData(ModuleDrag(item->data(Qt::UserRole).toInt()));
    drag->setPixmap(item->icon().pixmap(iconSize()));
    drag->exec(Qt::CopyAction);
    if (Changed)
        Changed();
}

void ModulePaletteView::dragEnterEvent(QDragEnterEvent* event)
{
    // Only a module moved from the picture may be dropped here: it is deleted on release.
    if (DraggedType(event->mimeData()) == -1)
        event->acceptProposedAction();
    else
        event->ignore();
}

void ModulePaletteView::dragMoveEvent(QDragMoveEvent* event)
{
    if (DraggedType(event->mimeData()) == -1)
        event->acceptProposedAction();
    else
        event->ignore();
}

void ModulePaletteView::dropEvent(QDropEvent* event)
{
    if (DraggedType(event->mimeData()) != -1)
        return;
    page_.DropOnPalette();
    event->acceptProposedAction();
    if (Changed)
        Changed();
}

ModuleImage::ModuleImage(ConsolePageController& page, ConsoleEditorState& state, QWidget* groupBox)
    : QWidget(groupBox), page_(page), state_(state)
{
    setObjectName("ModuleImg");
    setMouseTracking(true);
    groupBox->installEventFilter(this);
}

bool ModuleImage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        Fit(*parentWidget());
    return QWidget::eventFilter(watched, event);
}

void ModuleImage::Fit(QWidget& groupBox)
{
    const ModuleImageBox current{x(), y(), width(), height(), isVisible()};
    const ModuleImageSizing sized = SizeModuleImage(state_.SelectedModuleType(), groupBox.width(), groupBox.height(), current);
    scale_ = sized.Scale;
    setGeometry(sized.Box.Left, sized.Box.Top, sized.Box.Width, sized.Box.Height);
    setVisible(sized.Box.Visible && IsSlotPosition(state_.SelectedSlot));
    update();
}

void ModuleImage::paintEvent(QPaintEvent*)
{
    gfx::QPainterCanvas canvas(*this);
    page_.PaintSelectedModule(canvas, scale_);
}

int ModuleImage::ElementAt(const QPoint& at) const
{
    return HitTestModule(at.x(), at.y(), state_.SelectedModuleType(), scale_);
}

void ModuleImage::mouseMoveEvent(QMouseEvent* event)
{
    page_.ModulePointerMove(ElementAt(event->position().toPoint()));
}

void ModuleImage::mousePressEvent(QMouseEvent* event)
{
    if (page_.PressModuleKey(ElementAt(event->position().toPoint())) && Changed)
        Changed();
}

} // namespace kvr::console
