#include "editors/sourcedrag.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>

#include "platform/text1252.h"

namespace kvr::editors {

namespace {
QString MimeType(SourceDragKind Kind)
{
    return Kind == SourceDragKind::Logic ? QStringLiteral("application/x-kvr-logic-source")
                                         : QStringLiteral("application/x-kvr-audio-source");
}
} // namespace

QMimeData* MakeSourceDrag(SourceDragKind Kind)
{
    auto* data = new QMimeData;
    data->setData(MimeType(Kind), QByteArray());
    return data;
}

bool IsSourceDrag(const QMimeData* Data, SourceDragKind Kind)
{
    return Data != nullptr && Data->hasFormat(MimeType(Kind));
}

std::function<bool(const QMimeData*)> TakesSourceDrag(SourceDragKind Kind)
{
    return [Kind](const QMimeData* Data) { return IsSourceDrag(Data, Kind); };
}

int ColumnAt(const QTreeView* View, const QPoint& ViewportPos)
{
    return View->header()->logicalIndexAt(ViewportPos.x());
}

int RowAt(const QTreeWidget* List, const QPoint& ViewportPos)
{
    QTreeWidgetItem* item = List->itemAt(ViewportPos);
    return item ? List->indexOfTopLevelItem(item) : -1;
}

SourceTreeWidget::SourceTreeWidget(SourceDragKind Kind, QWidget* Parent) : QTreeWidget(Parent), FKind(Kind)
{
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAcceptDrops(true);
}

void SourceTreeWidget::Fill(const SourceNodes& Nodes)
{
    setUpdatesEnabled(false);
    clear();
    FItems.clear();
    FItems.reserve(Nodes.size());
    for (std::size_t i = 0; i < Nodes.size(); ++i) {
        const SourceNode& node = Nodes[i];
        QTreeWidgetItem* item = node.Parent < 0 ? new QTreeWidgetItem(this)
                                                : new QTreeWidgetItem(FItems[static_cast<std::size_t>(node.Parent)]);
        item->setText(0, platform::fromCp1252(node.Text));
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        FItems.push_back(item);
    }
    setUpdatesEnabled(true);
}

void SourceTreeWidget::SelectNode(int Node)
{
    QTreeWidgetItem* item = ItemOf(Node);
    setCurrentItem(item);
    if (item)
        scrollToItem(item);
}

int SourceTreeWidget::NodeOf(const QTreeWidgetItem* Item)
{
    return Item ? Item->data(0, Qt::UserRole).toInt() : -1;
}

QTreeWidgetItem* SourceTreeWidget::ItemOf(int Node) const
{
    return Node >= 0 && Node < static_cast<int>(FItems.size()) ? FItems[static_cast<std::size_t>(Node)] : nullptr;
}

bool ArmedDrag::StartIfFar(QWidget* From, const QPoint& At, const std::function<QMimeData*()>& Data, Qt::DropAction Action)
{
    if (!FArmed || (At - FAt).manhattanLength() < kDragStartDistance)
        return false;
    FArmed = false;
    auto* drag = new QDrag(From);
    drag->setMimeData(Data());
    drag->exec(Action);
    return true;
}

void SourceTreeWidget::mousePressEvent(QMouseEvent* Event)
{
    QTreeWidget::mousePressEvent(Event);
    FDrag.Arm(CanDrag && CanDrag(Event->buttons()), Event->position().toPoint());
}

void SourceTreeWidget::mouseMoveEvent(QMouseEvent* Event)
{
    if (!FDrag.Armed()) {
        QTreeWidget::mouseMoveEvent(Event);
        return;
    }
    FDrag.StartIfFar(this, Event->position().toPoint(), [this] { return MakeSourceDrag(FKind); }, Qt::CopyAction);
}

void SourceTreeWidget::mouseReleaseEvent(QMouseEvent* Event)
{
    FDrag.Cancel();
    QTreeWidget::mouseReleaseEvent(Event);
}

// Over itself the tree shows its own drag as acceptable, but nothing lands here.
void SourceTreeWidget::dragEnterEvent(QDragEnterEvent* Event)
{
    if (Event->source() == this && IsSourceDrag(Event->mimeData(), FKind))
        Event->acceptProposedAction();
    else
        Event->ignore();
}

void SourceTreeWidget::dragMoveEvent(QDragMoveEvent* Event)
{
    if (Event->source() == this && IsSourceDrag(Event->mimeData(), FKind))
        Event->acceptProposedAction();
    else
        Event->ignore();
}

void SourceTreeWidget::dropEvent(QDropEvent* Event)
{
    Event->ignore();
}

} // namespace kvr::editors
