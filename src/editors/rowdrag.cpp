#include "editors/rowdrag.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

#include "editors/sourcedrag.h"

namespace kvr::editors {

namespace {
const QString kRowMime = QStringLiteral("application/x-kvr-list-row");

// The list a drag comes from, told by its address; never used as a pointer.
QByteArray Tag(const QWidget* From)
{
    return QByteArray::number(reinterpret_cast<quintptr>(From));
}
} // namespace

QMimeData* MakeRowDrag(const QWidget* From)
{
    auto* data = new QMimeData;
    data->setData(kRowMime, Tag(From));
    return data;
}

bool IsRowDragFrom(const QMimeData* Data, const QWidget* From)
{
    return Data != nullptr && Data->hasFormat(kRowMime) && Data->data(kRowMime) == Tag(From);
}

RowDragList::RowDragList(QWidget* Parent) : QTreeWidget(Parent)
{
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
}

void RowDragList::mousePressEvent(QMouseEvent* Event)
{
    QTreeWidget::mousePressEvent(Event);
    FPressPos = Event->position().toPoint();
    FArmed = Event->button() == Qt::LeftButton && itemAt(FPressPos) != nullptr;
}

void RowDragList::mouseMoveEvent(QMouseEvent* Event)
{
    if (!FArmed || !(Event->buttons() & Qt::LeftButton)) {
        QTreeWidget::mouseMoveEvent(Event);
        return;
    }
    if ((Event->position().toPoint() - FPressPos).manhattanLength() < kDragStartDistance)
        return;
    FArmed = false;
    auto* drag = new QDrag(this);
    drag->setMimeData(MakeRowDrag(this));
    drag->exec(Qt::MoveAction);
}

void RowDragList::mouseReleaseEvent(QMouseEvent* Event)
{
    FArmed = false;
    QTreeWidget::mouseReleaseEvent(Event);
}

} // namespace kvr::editors
