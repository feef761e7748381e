#include "editors/sources/rowdrag.h"

#include <QMimeData>
#include <QMouseEvent>


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
    viewport()->setAcceptDrops(true);
}

void RowDragList::mousePressEvent(QMouseEvent* Event)
{
    QTreeWidget::mousePressEvent(Event);
    const QPoint at = Event->position().toPoint();
    FDrag.Arm(Event->button() == Qt::LeftButton && itemAt(at) != nullptr, at);
}

void RowDragList::mouseMoveEvent(QMouseEvent* Event)
{
    if (!FDrag.Armed() || !(Event->buttons() & Qt::LeftButton)) {
        QTreeWidget::mouseMoveEvent(Event);
        return;
    }
    FDrag.StartIfFar(this, Event->position().toPoint(), [this] { return MakeRowDrag(this); }, Qt::MoveAction);
}

void RowDragList::mouseReleaseEvent(QMouseEvent* Event)
{
    FDrag.Cancel();
    QTreeWidget::mouseReleaseEvent(Event);
}

} // namespace kvr::editors
