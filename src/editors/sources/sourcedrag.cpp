#include "editors/sources/sourcedrag.h"

#include <algorithm>

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

SourceTreeWidget::~SourceTreeWidget()
{
    DeleteRetired();
    qDeleteAll(FParked);
}

void SourceTreeWidget::DeleteRetired()
{
    qDeleteAll(FRetired);
    FRetired.clear();
}

QTreeWidgetItem* SourceTreeWidget::AddItem(const SourceNodes& Nodes, std::size_t Node, QList<QTreeWidgetItem*>& TopLevel)
{
    const SourceNode& node = Nodes[Node];
    auto* item = new QTreeWidgetItem(QStringList{platform::fromCp1252(node.Text)});
    item->setData(0, Qt::UserRole, static_cast<int>(Node));
    if (node.Parent < 0)
        TopLevel.push_back(item);
    else
        FItems[static_cast<std::size_t>(node.Parent)]->addChild(item);
    FItems.push_back(item);
    return item;
}

void SourceTreeWidget::Fill(const SourceNodes& Nodes, const std::vector<SourceBranch>& Branches)
{
    setUpdatesEnabled(false);
    if (FRetired.isEmpty())
        QTimer::singleShot(0, this, [this] { DeleteRetired(); });
    selectionModel()->clear();
    const QList<QTreeWidgetItem*> taken = invisibleRootItem()->takeChildren();
    auto lastBranches = std::move(FBranchItems);
    FBranchItems.clear();
    const QList<QTreeWidgetItem*> parked = std::move(FParked);
    FParked.clear();
    // Only the branches whose top item is the tree's own or waits aside are still there.
    std::erase_if(lastBranches, [&](const auto& Entry) {
        return Entry.second.empty() || !(taken.contains(Entry.second.front()) || parked.contains(Entry.second.front()));
    });
    FItems.clear();
    FItems.reserve(Nodes.size());
    const auto keptItems = [&](const SourceBranch& Branch) -> std::vector<QTreeWidgetItem*>* {
        const auto found = lastBranches.find(Branch.Serial);
        if (Branch.Serial == 0 || found == lastBranches.end() ||
            found->second.size() != static_cast<std::size_t>(Branch.Count) ||
            Nodes[static_cast<std::size_t>(Branch.First)].Parent >= 0)
            return nullptr;
        return &found->second;
    };
    // The items are built apart from the tree and handed to it at once, so that the model does
    // not report every item on its own.
    QList<QTreeWidgetItem*> topLevel;
    QList<QTreeWidgetItem*> kept;
    std::size_t b = 0;
    for (std::size_t i = 0; i < Nodes.size();) {
        while (b < Branches.size() && (Branches[b].First < static_cast<int>(i) || Branches[b].Count <= 0))
            ++b;
        if (b == Branches.size() || Branches[b].First != static_cast<int>(i)) {
            AddItem(Nodes, i++, topLevel);
            continue;
        }
        const SourceBranch& branch = Branches[b++];
        const std::size_t end = std::min(Nodes.size(), i + static_cast<std::size_t>(branch.Count));
        if (std::vector<QTreeWidgetItem*>* found = keptItems(branch)) {
            // Each kept item appears once, whatever serials the branches repeat.
            const std::vector<QTreeWidgetItem*> items = std::move(*found);
            lastBranches.erase(branch.Serial);
            // Only the node indices move, when a branch before this one changed its size.
            if (NodeOf(items.front()) != static_cast<int>(i))
                for (std::size_t k = 0; k < items.size(); ++k)
                    items[k]->setData(0, Qt::UserRole, static_cast<int>(i + k));
            topLevel.push_back(items.front());
            kept.push_back(items.front());
            FItems.insert(FItems.end(), items.begin(), items.end());
        } else {
            for (std::size_t k = i; k < end; ++k)
                AddItem(Nodes, k, topLevel);
        }
        if (branch.Serial != 0)
            FBranchItems[branch.Serial].assign(FItems.begin() + static_cast<std::ptrdiff_t>(i), FItems.end());
        i = end;
    }
    if (Branches.empty()) {
        // A tree of another kind: the last branches wait for the next fill that has them.
        FBranchItems = std::move(lastBranches);
        for (const auto& entry : FBranchItems)
            FParked.push_back(entry.second.front());
        for (QTreeWidgetItem* item : taken)
            if (!FParked.contains(item))
                FRetired.push_back(item);
    } else {
        for (const QList<QTreeWidgetItem*>& items : {taken, parked})
            for (QTreeWidgetItem* item : items)
                if (!kept.contains(item))
                    FRetired.push_back(item);
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
