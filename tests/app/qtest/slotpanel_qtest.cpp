// The DSP frame I/O page on a real frame: picture height with "Show GPIOs", the hover cursor and
// the wheel, which scrolls only once the table is the active control.
#include <QCheckBox>
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
};

QTEST_MAIN(SlotPanelTest)
#include "slotpanel_qtest.moc"
