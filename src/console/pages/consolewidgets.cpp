#include "console/pages/consolewidgets.h"

#include "console/consoleeditorstate.h"
#include "console/consoleimage.h"
#include "console/consolepagecontroller.h"
#include "console/modulegeometry.h"
#include "console/modulepainter.h"
#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "controls/dragtarget.h"
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

// A module drag is taken anywhere over the picture, and lands where the page allows.
controls::DropRules PictureDrops(ConsolePageController& page, const std::function<int()>& paletteSelection)
{
    return {.Takes = [](const QMimeData* data) { return DraggedType(data).has_value(); },
            .LandsAt =
                [&page](const QDropEvent& drag) {
                    const QPoint p = drag.position().toPoint();
                    return page.DragOver(p.x(), p.y(), *DraggedType(drag.mimeData()));
                },
            .Dropped =
                [&page, paletteSelection](QDropEvent& drop) {
                    const QPoint p = drop.position().toPoint();
                    const int selected = paletteSelection ? paletteSelection() : -1;
                    if (!page.Drop(p.x(), p.y(), *DraggedType(drop.mimeData()), selected))
                        drop.ignore();
                }};
}

// The palette takes a module of the picture anywhere and does nothing on its drop.
controls::DropRules PaletteDrops()
{
    return {.Takes = [](const QMimeData* data) { return DraggedType(data) == -1; }};
}

} // namespace

QMimeData* MakeModuleDrag(int paletteType)
{
    auto* data = new QMimeData;
    data->setData(kModuleMimeType, QByteArray::number(paletteType));
    return data;
}

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
    drag->setMimeData(MakeModuleDrag(-1));
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
    controls::answerDragEvent(event, PictureDrops(page_, PaletteSelection));
}

void ConsoleImage::dragMoveEvent(QDragMoveEvent* event)
{
    controls::answerDragEvent(event, PictureDrops(page_, PaletteSelection));
}

void ConsoleImage::dropEvent(QDropEvent* event)
{
    controls::answerDragEvent(event, PictureDrops(page_, PaletteSelection));
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
    // Fixed icons switch drops off on the viewport, where drags over the items arrive.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
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
    drag->setMimeData(MakeModuleDrag(item->data(Qt::UserRole).toInt()));
    drag->setPixmap(item->icon().pixmap(iconSize()));
    drag->exec(Qt::CopyAction);
    if (Changed)
        Changed();
}

int ModulePaletteView::SelectedType() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->data(Qt::UserRole).toInt();
}

// Only a module dragged from the picture is taken here, and it is deleted as it enters: the
// palette has nothing to do on the drop.
void ModulePaletteView::dragEnterEvent(QDragEnterEvent* event)
{
    if (controls::answerDragEvent(event, PaletteDrops()) && event->isAccepted()) {
        page_.DragOntoPalette();
        if (Changed)
            Changed();
    }
}

void ModulePaletteView::dragMoveEvent(QDragMoveEvent* event)
{
    controls::answerDragEvent(event, PaletteDrops());
}

void ModulePaletteView::dropEvent(QDropEvent* event)
{
    controls::answerDragEvent(event, PaletteDrops());
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
