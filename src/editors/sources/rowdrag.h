#pragma once
// Lists whose rows are dragged between the lists of one page, or inside one list. A drag tells
// only which list it comes from; the page's drop handler reads that list's selected row.

#include <QTreeWidget>

#include "editors/sources/sourcedrag.h"

class QMimeData;

namespace kvr::editors {

QMimeData* MakeRowDrag(const QWidget* From);
// True for a row drag that started in From.
bool IsRowDragFrom(const QMimeData* Data, const QWidget* From);

// A report list that starts a row drag when the left button moved 5 pixels after a press on a
// row. It takes no drop itself: the page filters its viewport's drag events.
class RowDragList : public QTreeWidget {
public:
    explicit RowDragList(QWidget* Parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    ArmedDrag FDrag;
};

} // namespace kvr::editors
