#include "controls/kvrgrid.h"

#include "gfx/qpaintercanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace kvr::controls {

namespace {

// A bar with the Windows meaning onto a Qt bar, whose maximum is the last position.
void applyBar(QScrollBar* bar, const ScrollBarInfo& info)
{
    const int page = std::max(0, info.page);
    const int last = std::max(info.min, info.max - std::max(page - 1, 0));
    bar->setRange(info.min, last);
    bar->setPageStep(page);
    bar->setValue(info.pos);
}

ScrollBarInfo readBar(const QScrollBar* bar)
{
    const int page = bar->pageStep();
    return {bar->minimum(), bar->maximum() + std::max(page - 1, 0), page, bar->value()};
}

} // namespace

TKVRGrid::TKVRGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    colWidths_.assign(5, defaultColWidth_);
    rowHeights_.assign(5, defaultRowHeight_);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) { Scrolled(true, action); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) { Scrolled(false, action); });
    UpdateScrollBars();
}

void TKVRGrid::SetColCount(int value)
{
    colWidths_.resize(static_cast<std::size_t>(std::max(value, fixedCols_ + 1)), defaultColWidth_);
    col_ = std::min(col_, ColCount() - 1);
    leftCol_ = std::min(leftCol_, ColCount() - 1);
    Invalidate();
}

void TKVRGrid::SetRowCount(int value)
{
    rowHeights_.resize(static_cast<std::size_t>(std::max(value, fixedRows_ + 1)), defaultRowHeight_);
    row_ = std::min(row_, RowCount() - 1);
    topRow_ = std::min(topRow_, RowCount() - 1);
    Invalidate();
}

void TKVRGrid::SetFixedCols(int value)
{
    fixedCols_ = std::clamp(value, 0, ColCount() - 1);
    col_ = std::max(col_, fixedCols_);
    leftCol_ = std::max(leftCol_, fixedCols_);
    Invalidate();
}

void TKVRGrid::SetFixedRows(int value)
{
    fixedRows_ = std::clamp(value, 0, RowCount() - 1);
    row_ = std::max(row_, fixedRows_);
    topRow_ = std::max(topRow_, fixedRows_);
    Invalidate();
}

void TKVRGrid::SetDefaultColWidth(int value)
{
    defaultColWidth_ = std::max(0, value);
    std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
    Invalidate();
}

void TKVRGrid::SetDefaultRowHeight(int value)
{
    defaultRowHeight_ = std::max(0, value);
    std::fill(rowHeights_.begin(), rowHeights_.end(), defaultRowHeight_);
    Invalidate();
}

int TKVRGrid::ColWidths(int col) const
{
    return col >= 0 && col < ColCount() ? colWidths_[static_cast<std::size_t>(col)] : 0;
}

void TKVRGrid::SetColWidths(int col, int value)
{
    if (col < 0 || col >= ColCount())
        return;
    colWidths_[static_cast<std::size_t>(col)] = std::max(0, value);
    Invalidate();
}

int TKVRGrid::RowHeights(int row) const
{
    return row >= 0 && row < RowCount() ? rowHeights_[static_cast<std::size_t>(row)] : 0;
}

void TKVRGrid::SetRowHeights(int row, int value)
{
    if (row < 0 || row >= RowCount())
        return;
    rowHeights_[static_cast<std::size_t>(row)] = std::max(0, value);
    Invalidate();
}

void TKVRGrid::SetGridLineWidth(int value)
{
    gridLineWidth_ = std::max(0, value);
    Invalidate();
}

void TKVRGrid::SetTopRow(int value)
{
    topRow_ = std::clamp(value, fixedRows_, std::max(fixedRows_, maxFirstScrolled(RowAxis(), viewport()->height())));
    Invalidate();
}

void TKVRGrid::SetLeftCol(int value)
{
    leftCol_ = std::clamp(value, fixedCols_, std::max(fixedCols_, maxFirstScrolled(ColAxis(), viewport()->width())));
    Invalidate();
}

void TKVRGrid::EndUpdate()
{
    updating_ = false;
    Invalidate();
}

GridAxis TKVRGrid::RowAxis() const
{
    return {gridLineWidth_, rowHeights_, fixedRows_, topRow_, height()};
}

GridAxis TKVRGrid::ColAxis() const
{
    return {gridLineWidth_, colWidths_, fixedCols_, leftCol_, width()};
}

void TKVRGrid::Invalidate()
{
    viewport()->update();
    UpdateScrollBars();
}

void TKVRGrid::UpdateScrollBars()
{
    // The vertical bar first, as the grid always has.
    const GridAxis rows = RowAxis();
    applyBar(verticalScrollBar(), plainScrollBar(rows, viewport()->height()));
    if (const auto bar = proportionalScrollBar(readBar(verticalScrollBar()), rows, Options2.count(dgoProportionalScroll) != 0))
        applyBar(verticalScrollBar(), *bar);
    const GridAxis cols = ColAxis();
    applyBar(horizontalScrollBar(), plainScrollBar(cols, viewport()->width()));
    if (const auto bar = proportionalScrollBar(readBar(horizontalScrollBar()), cols, Options2.count(dgoProportionalScroll) != 0))
        applyBar(horizontalScrollBar(), *bar);
}

void TKVRGrid::Scrolled(bool vertical, int action)
{
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    const GridAxis axis = vertical ? RowAxis() : ColAxis();
    const int client = vertical ? viewport()->height() : viewport()->width();
    const int first = vertical ? topRow_ : leftCol_;
    const int maxFirst = maxFirstScrolled(axis, client);
    int target = first;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: target = first + 1; break;
    case QAbstractSlider::SliderSingleStepSub: target = first - 1; break;
    case QAbstractSlider::SliderPageStepAdd: target = first + visibleScrolled(axis, client); break;
    case QAbstractSlider::SliderPageStepSub: target = first - visibleScrolled(axis, client); break;
    default: {
        // Positions 0 to 127 spread over the rows that can come first.
        const int pos = std::clamp(bar->sliderPosition(), 0, 127);
        target = axis.fixedCount + static_cast<int>(static_cast<long long>(pos) * (maxFirst - axis.fixedCount) / 127);
        break;
    }
    }
    if (vertical)
        SetTopRow(target);
    else
        SetLeftCol(target);
    bar->setSliderPosition(bar->value());
}

void TKVRGrid::scrollContentsBy(int, int)
{
    // The grid scrolls by rows and columns itself.
}

gfx::Rect TKVRGrid::CellRect(int col, int row) const
{
    const auto place = [this](const std::vector<int>& sizes, int fixed, int first, int index, int& from, int& to) {
        int at = 0;
        for (int i = 0; i < static_cast<int>(sizes.size()); ++i) {
            if (i >= fixed && i < first)
                continue;
            if (i == index) {
                from = at;
                to = at + sizes[static_cast<std::size_t>(i)];
                return true;
            }
            at += sizes[static_cast<std::size_t>(i)] + gridLineWidth_;
        }
        return false;
    };
    gfx::Rect r;
    if (!place(colWidths_, fixedCols_, leftCol_, col, r.left, r.right) ||
        !place(rowHeights_, fixedRows_, topRow_, row, r.top, r.bottom))
        return {};
    return r;
}

std::pair<int, int> TKVRGrid::CellAt(int x, int y) const
{
    const auto find = [this](const std::vector<int>& sizes, int fixed, int first, int v) {
        int at = 0;
        for (int i = 0; i < static_cast<int>(sizes.size()); ++i) {
            if (i >= fixed && i < first)
                continue;
            const int end = at + sizes[static_cast<std::size_t>(i)] + gridLineWidth_;
            if (v >= at && v < end)
                return i;
            at = end;
        }
        return -1;
    };
    return {find(colWidths_, fixedCols_, leftCol_, x), find(rowHeights_, fixedRows_, topRow_, y)};
}

void TKVRGrid::DoGetCellText(int ACol, int ARow, std::string& Text)
{
    if (OnGetCellText)
        OnGetCellText(this, ACol, ARow, Text);
}

void TKVRGrid::DoDrawCell(int ACol, int ARow, const gfx::Rect& Rect, unsigned State)
{
    if (OnDrawCell)
        OnDrawCell(this, ACol, ARow, Rect, State);
}

bool TKVRGrid::SelectCell(int ACol, int ARow)
{
    bool can = true;
    if (OnSelectCell)
        OnSelectCell(this, ACol, ARow, can);
    if (can)
        Invalidate(); // the highlighted header cells follow
    return can;
}

void TKVRGrid::DrawCell(int ACol, int ARow, const gfx::Rect& Rect, unsigned State)
{
    if (DefaultDrawing && canvas_ != nullptr) {
        const CellLook look = cellLook({ACol, ARow, col_, row_, State}, Options2, Color, FixedColor, Font.color);
        std::string text;
        DoGetCellText(ACol, ARow, text);
        drawGridCell(*canvas_, Rect, text, look, Font, (State & gdFocused) != 0);
    }
    DoDrawCell(ACol, ARow, Rect, State);
}

void TKVRGrid::PaintTo(gfx::Canvas& canvas)
{
    if (updating_)
        return;
    canvas_ = &canvas;
    const int w = viewport()->width();
    const int h = viewport()->height();
    canvas.brush() = {Color, gfx::BrushStyle::Solid};
    canvas.FillRect({0, 0, w, h});
    const bool focused = hasFocus();
    for (int row = 0; row < RowCount(); ++row) {
        for (int col = 0; col < ColCount(); ++col) {
            const gfx::Rect r = CellRect(col, row);
            if (r.width() <= 0 || r.height() <= 0 || r.left >= w || r.top >= h)
                continue;
            // The grid lines show through the gaps between the cells.
            canvas.brush() = {gfx::clSilver, gfx::BrushStyle::Solid};
            canvas.FillRect({r.left, r.top, r.right + gridLineWidth_, r.bottom + gridLineWidth_});
            unsigned state = 0;
            if (col < fixedCols_ || row < fixedRows_)
                state |= gdFixed;
            else if (col == col_ && row == row_)
                state |= gdSelected | (focused ? gdFocused : 0u);
            DrawCell(col, row, r, state);
        }
    }
    canvas_ = nullptr;
}

void TKVRGrid::paintEvent(QPaintEvent*)
{
    if (updating_)
        return;
    QPainter painter(viewport());
    gfx::QPainterCanvas canvas(painter);
    PaintTo(canvas);
}

void TKVRGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    Invalidate();
}

void TKVRGrid::MoveCurrent(int col, int row)
{
    col = std::clamp(col, fixedCols_, ColCount() - 1);
    row = std::clamp(row, fixedRows_, RowCount() - 1);
    if ((col == col_ && row == row_) || !SelectCell(col, row))
        return;
    col_ = col;
    row_ = row;
    // Bring the current cell into view.
    if (row_ < topRow_)
        topRow_ = row_;
    while (topRow_ < row_ && CellRect(col_, row_).bottom > viewport()->height())
        ++topRow_;
    if (col_ < leftCol_)
        leftCol_ = col_;
    while (leftCol_ < col_ && CellRect(col_, row_).right > viewport()->width())
        ++leftCol_;
    Invalidate();
}

void TKVRGrid::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const auto [col, row] = CellAt(static_cast<int>(event->position().x()), static_cast<int>(event->position().y()));
    if (col >= 0 && row >= 0 && !(col < fixedCols_ && row < fixedRows_)) {
        if (col < fixedCols_)
            MoveCurrent(col_, row); // a row header makes its row current
        else
            MoveCurrent(col, row < fixedRows_ ? row_ : row);
        Invalidate();
    }
    UpdateScrollBars();
}

void TKVRGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QAbstractScrollArea::mouseReleaseEvent(event);
    UpdateScrollBars();
}

void TKVRGrid::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left: MoveCurrent(col_ - 1, row_); break;
    case Qt::Key_Right: MoveCurrent(col_ + 1, row_); break;
    case Qt::Key_Up: MoveCurrent(col_, row_ - 1); break;
    case Qt::Key_Down: MoveCurrent(col_, row_ + 1); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}

} // namespace kvr::controls
