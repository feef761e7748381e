// A knob on a form follows the mouse and the keys, and tells its owner.
#include "controls/kvrpoti3.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using kvr::controls::TKVRPoti3;

class KnobOnForm : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        form_ = new QWidget;
        auto* layout = new QVBoxLayout(form_);
        edit_ = new QLineEdit(form_);
        knob_ = new TKVRPoti3(form_);
        knob_->setFixedSize(30, 30);
        layout->addWidget(edit_);
        layout->addWidget(knob_);
        knob_->SetPosition(50);
        changes_ = 0;
        knob_->OnChange = [this](TKVRPoti3* sender) {
            QCOMPARE(sender, knob_);
            ++changes_;
        };
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_));
    }

    void cleanup() { delete form_; }

    void followsADrag()
    {
        QTest::mousePress(knob_, Qt::LeftButton, {}, QPoint(5, 15));
        QVERIFY(knob_->hasFocus());
        QTest::mouseMove(knob_, QPoint(11, 2));
        QCOMPARE(knob_->Position(), 53);
        QTest::mouseMove(knob_, QPoint(6, 2));
        QCOMPARE(knob_->Position(), 51); // 5 pixels left at 2 per step: 2 steps, one pixel dropped
        QTest::mouseRelease(knob_, Qt::LeftButton, {}, QPoint(6, 2));
        QTest::mouseMove(knob_, QPoint(25, 2));
        QCOMPARE(knob_->Position(), 51);
        QCOMPARE(changes_, 2);
    }

    void followsTheKeysAndKeepsTab()
    {
        knob_->setFocus();
        QTest::keyClick(knob_, Qt::Key_Up);
        QTest::keyClick(knob_, Qt::Key_PageUp);
        QCOMPARE(knob_->Position(), 61);
        QTest::keyClick(knob_, Qt::Key_End);
        QCOMPARE(knob_->Position(), 100);
        QTest::keyClick(knob_, Qt::Key_Home);
        QCOMPARE(knob_->Position(), 0);
        QCOMPARE(changes_, 8);
        QTest::keyClick(knob_, Qt::Key_Tab);
        QVERIFY(!knob_->hasFocus());
    }

    void disabledKnobStaysPut()
    {
        knob_->SetEnabled(false);
        knob_->setFocus();
        QTest::keyClick(knob_, Qt::Key_Up);
        QTest::mousePress(knob_, Qt::LeftButton, {}, QPoint(5, 15));
        QTest::mouseMove(knob_, QPoint(25, 15));
        QTest::mouseRelease(knob_, Qt::LeftButton, {}, QPoint(25, 15));
        QCOMPARE(knob_->Position(), 50);
        QCOMPARE(changes_, 0);
    }

    void rightClickReachesTheOwner()
    {
        int clicks = 0;
        knob_->OnRClick = [&](TKVRPoti3*) { ++clicks; };
        QTest::mouseClick(knob_, Qt::RightButton, {}, QPoint(15, 15));
        QCOMPARE(clicks, 1);
        QVERIFY(knob_->hasFocus());
    }

private:
    QWidget* form_ = nullptr;
    QLineEdit* edit_ = nullptr;
    TKVRPoti3* knob_ = nullptr;
    int changes_ = 0;
};

QTEST_MAIN(KnobOnForm)
#include "knob_qtest.moc"
