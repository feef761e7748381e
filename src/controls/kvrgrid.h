#pragma once
// An owner-drawn grid: cell texts come from OnGetCellText, the header cell of the current row or
// column can be highlighted, and the scroll-bar thumbs show the visible share while the grid keeps
// its scroll positions 0 to 127.

#include "controls/gridrules.h"
#include "gfx/canvas.h"

#include <QAbstractScrollArea>

#include <functional>
#include <string>
#include <vector>

namespace kvr::controls {

class TKVRGrid : public QAbstractScrollArea {
public:
    explicit TKVRGrid(QWidget* parent = nullptr);

    int ColCount() const { return static_cast<int>(colWidths_.size()); }
    void SetColCount(int value);
    int RowCount() const { return static_cast<int>(rowHeights_.size()); }
    void SetRowCount(int value);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int value);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int value);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int value);
    int ColWidths(int col) const;
    void SetColWidths(int col, int value);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int value);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int value);
    bool DefaultDrawing = true;
    gfx::Color FixedColor = gfx::clBtnFace;
    gfx::Color Color = gfx::clWindow;
    gfx::Font Font;
    TKVRGridOptions Options2 = {dgoProportionalScroll};

    int Col() const { return col_; }
    void SetCol(int value) { MoveCurrent(value, row_); }
    int Row() const { return row_; }
    void SetRow(int value) { MoveCurrent(col_, value); }
    int TopRow() const { return topRow_; }
    void SetTopRow(int value);
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int value);

    std::function<void(TKVRGrid* Sender, int ACol, int ARow, std::string& Text)> OnGetCellText;
    std::function<void(TKVRGrid* Sender, int ACol, int ARow, gfx::Rect Rect, unsigned State)> OnDrawCell;
    std::function<void(TKVRGrid* Sender, int ACol, int ARow, bool& CanSelect)> OnSelectCell;

    // The canvas of the paint in progress, for OnDrawCell; none outside a paint.
    gfx::Canvas* GetCanvas() { return canvas_; }

    void BeginUpdate() { updating_ = true; }
    void EndUpdate();

    // The rectangle of a cell in the viewport; empty when it is scrolled away.
    gfx::Rect CellRect(int col, int row) const;
    // The cell under a viewport point; -1 where there is none.
    std::pair<int, int> CellAt(int x, int y) const;
    // Paints the cells as a paint event does (nothing while updating).
    void PaintTo(gfx::Canvas& canvas);
    // Sets both scroll bars again from the rows, columns and size.
    void UpdateScrollBars();

protected:
    virtual void DrawCell(int ACol, int ARow, const gfx::Rect& Rect, unsigned State);
    void DoGetCellText(int ACol, int ARow, std::string& Text);
    void DoDrawCell(int ACol, int ARow, const gfx::Rect& Rect, unsigned State);
    bool SelectCell(int ACol, int ARow);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void MoveCurrent(int col, int row);
    void Invalidate();
    GridAxis RowAxis() const;
    GridAxis ColAxis() const;
    void Scrolled(bool vertical, int action);

    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    int col_ = 1;
    int row_ = 1;
    int topRow_ = 1;
    int leftCol_ = 1;
    bool updating_ = false;
    gfx::Canvas* canvas_ = nullptr;
};

} // namespace kvr::controls
