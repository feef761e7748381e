#pragma once
// Dragging sources from the two source trees onto pages. A drag carries only which tree it
// comes from; the drop handler sets the window's target kind and calls its Assign, which reads
// the tree's selected node. Pages accept a drag by its kind ("only from the logic-source tree").

#include <QTreeWidget>

#include <functional>
#include <unordered_map>
#include <vector>

#include "editors/common/sourcenode.h"

class QMimeData;

namespace kvr::editors {

enum class SourceDragKind { Logic, Audio };

// A drag starts after the mouse moved this far with the button down.
inline constexpr int kDragStartDistance = 5;

// A drag that a press arms and a move of kDragStartDistance pixels from the press starts.
class ArmedDrag {
public:
    void Arm(bool Armed, const QPoint& At)
    {
        FArmed = Armed;
        FAt = At;
    }
    void Cancel() { FArmed = false; }
    bool Armed() const { return FArmed; }
    // When armed and the mouse is far enough from the press: disarms, runs the drag of the data
    // from From and answers true; otherwise false.
    bool StartIfFar(QWidget* From, const QPoint& At, const std::function<QMimeData*()>& Data, Qt::DropAction Action);

private:
    bool FArmed = false;
    QPoint FAt;
};

QMimeData* MakeSourceDrag(SourceDragKind Kind);
bool IsSourceDrag(const QMimeData* Data, SourceDragKind Kind);
// The kind rule of a drop target that takes source drags of one kind (controls::DropRules).
std::function<bool(const QMimeData*)> TakesSourceDrag(SourceDragKind Kind);

// The column of a list or tree under a point of its viewport, -1 right of the last column.
int ColumnAt(const QTreeView* View, const QPoint& ViewportPos);
// The top-level row of a list under a point of its viewport, -1 for none.
int RowAt(const QTreeWidget* List, const QPoint& ViewportPos);

// A read-only source tree that is a drag source for its kind and takes no drop.
class SourceTreeWidget : public QTreeWidget {
public:
    SourceTreeWidget(SourceDragKind Kind, QWidget* Parent = nullptr);
    ~SourceTreeWidget() override;
    // Decides on a press, after the press selected its node, whether a drag may start.
    std::function<bool(Qt::MouseButtons)> CanDrag;
    // Cancels a drag that is armed but not yet started (a double click).
    void CancelDrag() { FDrag.Cancel(); }

    // Replaces the items by the nodes; each item knows its node index. The items of a branch
    // whose serial the last fill with branches had are kept, not built again.
    void Fill(const SourceNodes& Nodes, const std::vector<SourceBranch>& Branches = {});
    void SelectNode(int Node);
    // Node index of an item, -1 for none.
    static int NodeOf(const QTreeWidgetItem* Item);
    QTreeWidgetItem* ItemOf(int Node) const;

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    SourceDragKind FKind;
    ArmedDrag FDrag;
    std::vector<QTreeWidgetItem*> FItems;
    // The items of each branch of the last fill that had branches, by serial, in node order.
    // While a fill without branches shows, their top items wait aside in FParked.
    std::unordered_map<std::uint64_t, std::vector<QTreeWidgetItem*>> FBranchItems;
    QTreeWidgetItem* AddItem(const SourceNodes& Nodes, std::size_t Node, QList<QTreeWidgetItem*>& TopLevel);
    // The items a fill replaced, deleted once the event loop runs again: deleting a large tree
    // costs more than building it and need not delay the page that shows the new one.
    QList<QTreeWidgetItem*> FRetired;
    QList<QTreeWidgetItem*> FParked;
    void DeleteRetired();
};

} // namespace kvr::editors
