// The DSP frame I/O page on a real frame: picture height with "Show GPIOs", the hover cursor and
// the wheel, which scrolls only once the table is the active control.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "../frameio/framefixture.h"
#include "app/frameio/slotpanel.h"

using namespace kvr::app::frameio;
using namespace kvr::app::frameio::test;

class SlotPanelTest : public QObject {
    Q_OBJECT

    static void Wheel(TSlotPanel& panel, int delta)
    {
        QWidget* viewport = panel.SlotScrollBox->viewport();
        const QPointF at(100, 100);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    }

private slots:
    void showsHoversAndScrolls()
    {
        FrameProject f;
        FillFullFrame(f);
        TSlotPanel panel;
        panel.resize(1000, 600);
        std::vector<std::string> log;
        panel.RefreshTimeChecked = [] { return true; };
        panel.LogMessage = [&log](const std::string& text, int level) { log.push_back(std::to_string(level) + text); };
        panel.ShowSlotPanel(&f.Project, f.Device, 255);
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QCOMPARE(panel.SlotImage->height(), 50 + 16 * 95);
        QVERIFY(panel.ShowGPIOs->isVisible());
        QCOMPARE(log.size(), 2u);
        QVERIFY(log[0].rfind("2Frame Setup HeightComp: ", 0) == 0);
        QVERIFY(log[1].find("ms refreshtime") != std::string::npos);
        panel.SlotImage->grab().save("slotpanel.png");

        panel.ShowGPIOs->click();
        QCOMPARE(panel.SlotImage->height(), 50 + 16 * 71);

        QTest::mouseMove(panel.SlotImage, QPoint(400, 58));
        QCOMPARE(panel.SlotImage->cursor().shape(), Qt::IBeamCursor);
        QTest::mouseMove(panel.SlotImage, QPoint(100, 58));
        QCOMPARE(panel.SlotImage->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseMove(panel.SlotImage, QPoint(150, 58));
        QCOMPARE(panel.SlotImage->cursor().shape(), Qt::ArrowCursor);

        QScrollBar* bar = panel.SlotScrollBox->verticalScrollBar();
        QVERIFY(bar->maximum() > 100);
        Wheel(panel, -120);
        QCOMPARE(bar->value(), 0);
        panel.activateWindow();
        QTest::mouseClick(panel.SlotImage, Qt::LeftButton, {}, QPoint(150, 58));
        QVERIFY(panel.SlotScrollBox->hasFocus());
        Wheel(panel, -120);
        QCOMPARE(bar->value(), 48);
        Wheel(panel, 120);
        QCOMPARE(bar->value(), 0);

        // The single-slot view of a MADI card has no "Show GPIOs".
        panel.ShowSlotPanel(&f.Project, f.Device, 9);
        QCOMPARE(panel.SlotImage->height(), 50 + 16 * 4);
        QVERIFY(!panel.ShowGPIOs->isVisible());

        // Hiding shrinks the picture.
        panel.hide();
        QCOMPARE(panel.SlotImage->height(), 20);

        // The fixture as a project file, to open in the program.
        QVERIFY(f.Project.SaveToDisk("frameio-demo.kvp", false) >= 0);
    }

    // A click opens the editor its cell names; a card chosen goes into the device; labels are
    // typed row after row.
    void editsInPlace()
    {
        FrameProject f;
        TSlotPanel panel;
        panel.resize(1000, 600);
        panel.ShowSlotPanel(&f.Project, f.Device, 255);
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        panel.activateWindow();

        QTest::mouseMove(panel.SlotImage, QPoint(100, 58));
        QTest::mouseClick(panel.SlotImage, Qt::LeftButton, {}, QPoint(100, 58));
        QVERIFY(panel.SlotTypeSelector->isVisible());
        QCOMPARE(panel.SlotTypeSelector->currentIndex(), 0);
        QCOMPARE(panel.SlotTypeSelector->count(), 7);
        emit panel.SlotTypeSelector->activated(4);
        QVERIFY(!panel.SlotTypeSelector->isVisible());
        QCOMPARE(f.Dev().GetSetupData(0).size(), 228u);
        QCOMPARE(panel.SlotImage->height(), 50 + 16 * (12 + 29));

        QTest::mouseMove(panel.SlotImage, QPoint(400, 58));
        QTest::mouseClick(panel.SlotImage, Qt::LeftButton, {}, QPoint(400, 58));
        QVERIFY(panel.LabelEdit->isVisible());
        QCOMPARE(panel.LabelEdit->geometry(), QRect(331, 52, 118, 14));
        panel.LabelEdit->selectAll();
        QTest::keyClicks(panel.LabelEdit, "Mic 1");
        QTest::keyClick(panel.LabelEdit, Qt::Key_Return);
        QCOMPARE(f.Dev().GetSetupData(0)[4], 'M');
        QVERIFY(panel.LabelEdit->isVisible());
        QCOMPARE(panel.LabelEdit->geometry().top(), 68);
        const auto before = f.Dev().GetSetupData(0);
        QTest::keyClicks(panel.LabelEdit, "zzz");
        QTest::keyClick(panel.LabelEdit, Qt::Key_Escape);
        QVERIFY(!panel.LabelEdit->isVisible());
        QCOMPARE(f.Dev().GetSetupData(0), before);

        // A choice in an option box is written: the first stereo pair becomes two mono channels.
        QTest::mouseMove(panel.SlotImage, QPoint(300, 58));
        QTest::mouseClick(panel.SlotImage, Qt::LeftButton, {}, QPoint(300, 58));
        QVERIFY(panel.StereoBox->isVisible());
        QCOMPARE(panel.StereoBox->currentIndex(), 1);
        emit panel.StereoBox->activated(0);
        QVERIFY(!panel.StereoBox->isVisible());
        QCOMPARE(f.Dev().GetSetupData(0)[2], 5);

        const int dspTop = panel.View.SlotTop(9);
        QTest::mouseMove(panel.SlotImage, QPoint(100, dspTop + 4));
        QTest::mouseClick(panel.SlotImage, Qt::LeftButton, {}, QPoint(100, dspTop + 4));
        QVERIFY(panel.DSPTypeSelector->isVisible());
        QCOMPARE(panel.DSPTypeSelector->currentIndex(), 1);
        QCOMPARE(panel.DSPTypeSelector->width(), 165);
    }
};

QTEST_MAIN(SlotPanelTest)
#include "slotpanel_qtest.moc"
