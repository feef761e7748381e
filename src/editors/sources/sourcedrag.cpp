#include "editors/sources/sourcedrag.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>

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
    // Every row is one line of text in the tree's font: the view need not measure each.
    setUniformRowHeights(true);
}

SourceTreeWidget::~SourceTreeWidget() { DeleteRetired(); }

void SourceTreeWidget::DeleteRetired()
{
    qDeleteAll(FRetired);
    FRetired.clear();
}

void SourceTreeWidget::Fill(const SourceNodes& Nodes)
{
    setUpdatesEnabled(false);
    if (FRetired.isEmpty())
        QTimer::singleShot(0, this, [this] { DeleteRetired(); });
    selectionModel()->clear();
    FRetired += invisibleRootItem()->takeChildren();
    FItems.clear();
    FItems.reserve(Nodes.size());
    // The items are built apart from the tree and handed to it at once, so that the model does
    // not report every item on its own.
    QList<QTreeWidgetItem*> topLevel;
    for (std::size_t i = 0; i < Nodes.size(); ++i) {
        const SourceNode& node = Nodes[i];
        auto* item = new QTreeWidgetItem(QStringList{platform::fromCp1252(node.Text)});
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        if (node.Parent < 0)
            topLevel.push_back(item);
        else
            FItems[static_cast<std::size_t>(node.Parent)]->addChild(item);
        FItems.push_back(item);
    }
    addTopLevelItems(topLevel);
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
