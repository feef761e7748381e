// A draw grid on a form: header clicks move the current row and column, the bar scrolls rows.
#include "controls/kvrgrid.h"

#include <QDir>
#include <QScrollBar>
#include <QTest>

using namespace kvr::controls;

class GridOnForm : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        grid_ = new TKVRGrid;
        grid_->resize(300, 200);
        grid_->SetRowCount(60);
        grid_->SetColCount(8);
        grid_->Options2 = {dgoHighlightFixedRow, dgoHighlightFixedCol, dgoProportionalScroll};
        grid_->OnGetCellText = [](TKVRGrid*, int col, int row, std::string& text) {
            text = col == 0 ? std::to_string(row) : "Ch " + std::to_string(col);
        };
        grid_->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid_));
    }

    void cleanup() { delete grid_; }

    void headerClicksMoveTheCurrentCell()
    {
        const auto centre = [this](int col, int row) {
            const auto r = grid_->CellRect(col, row);
            return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        };
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, centre(0, 4));
        QCOMPARE(grid_->Row(), 4);
        QCOMPARE(grid_->Col(), 1);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, centre(3, 0));
        QCOMPARE(grid_->Col(), 3);
        QCOMPARE(grid_->Row(), 4);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, centre(0, 0));
        QCOMPARE(grid_->Row(), 4);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, centre(2, 2));
        QCOMPARE(grid_->Col(), 2);
        QCOMPARE(grid_->Row(), 2);
        QTest::keyClick(grid_, Qt::Key_Down);
        QCOMPARE(grid_->Row(), 3);
        QDir().mkpath(QStringLiteral("pictures"));
        grid_->grab().save(QStringLiteral("pictures/grid.png"));
    }

    void theBarScrollsTheRows()
    {
        QScrollBar* bar = grid_->verticalScrollBar();
        QCOMPARE(bar->maximum(), 127);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(grid_->TopRow(), 2);
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        QVERIFY(grid_->TopRow() > 40);
        QCOMPARE(bar->value(), 127);
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(grid_->TopRow(), 1);
        QCOMPARE(bar->value(), 0);
    }

private:
    TKVRGrid* grid_ = nullptr;
};

QTEST_MAIN(GridOnForm)
#include "grid_qtest.moc"
