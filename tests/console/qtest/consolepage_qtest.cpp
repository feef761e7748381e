// The console page shown offscreen on an in-memory device: a module dropped from the palette,
// moved on the picture, and cut and pasted through the picture's popup; the tabs shown agree with
// the page mode and the console however the user works the tab bars.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QWheelEvent>

#include "console/consolehost.h"
#include "console/moduleclipboard.h"
#include "console/moduleplacement.h"
#include "console/pages/consolepage.h"
#include "console/pages/consolewidgets.h"
#include "console/pages/keyoptionspanel.h"
#include "model/device.h"
#include "model/keyfunctions.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "model/quiethost.h"
#include "fakeconsolehost.h"
#include "platform/currentprompter.h"

using namespace kvr;
using namespace kvr::console;

namespace {

using consoletest::DeviceHost;
using consoletest::ShownPage;

int TypeAt(model::TDevice& device, int console, int position)
{
    return model::ModuleType(ModuleEntryAt(device, console, position));
}

} // namespace

class ConsolePageTest : public QObject {
    Q_OBJECT
private:
    model::QuietModelHost modelHost;

    // A drag of the module data entering, moving over and dropped on the picture at a point.
    static bool DropOn(QWidget& target, QPoint at, int paletteType)
    {
        QMimeData data;
        data.setData(kModuleMimeType, QByteArray::number(paletteType));
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &move);
        if (!move.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &drop);
        return drop.isAccepted();
    }
    static QAction* Item(QMenu& menu, const char* name)
    {
        for (QAction* action : menu.actions()) {
            if (action->objectName() == QLatin1String(name))
                return action;
        }
        return nullptr;
    }
    // The user works a tab bar towards its second tab, starting on the first.
    static void WorkTabBar(QTabBar& bar, const QString& how)
    {
        const QPoint second = bar.tabRect(1).center();
        if (how == "left press")
            QTest::mouseClick(&bar, Qt::LeftButton, {}, second);
        else if (how == "right press")
            QTest::mouseClick(&bar, Qt::RightButton, {}, second);
        else if (how == "middle press")
            QTest::mouseClick(&bar, Qt::MiddleButton, {}, second);
        else if (how == "arrow key")
            QTest::keyClick(&bar, Qt::Key_Right);
        else if (how == "wheel") {
            QWheelEvent wheel(QPointF(second), QPointF(bar.mapToGlobal(second)), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&bar, &wheel);
        }
        QApplication::processEvents();
        if (QWidget* popup = QApplication::activePopupWidget()) // the console bar's menu on a right press
            popup->close();
    }

private slots:
    void initTestCase()
    {
        model::SetModelHost(&modelHost);
        platform::setPrompter(std::make_unique<platform::ScriptedPrompter>());
    }
    void cleanupTestCase()
    {
        platform::setPrompter(nullptr);
        model::SetModelHost(nullptr);
    }

    void dropMoveAndPaste()
    {
        DeviceHost host;
        ShownPage shown(host);
        ConsoleEditorState& state = shown.state;
        ConsolePage& page = shown.page;
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCOMPARE(page.TabControl1->currentIndex(), int(pmConsole));
        QVERIFY(page.GroupBox12->isVisible());
        QCOMPARE(page.TabControl2->count(), 1);
        QCOMPARE(page.ListView2->count(), 12);
        QApplication::processEvents();

        ConsoleImage& picture = *page.ConsoleImg;
        const int column = picture.width() / 9;
        const int lowerY = picture.height() * 3 / 4;
        const auto lower = [&](int position) { return QPoint(position * column + column / 2, lowerY); };

        // A fader module from the palette into lower slot 1, its overbridge above it.
        QVERIFY(DropOn(picture, lower(1), 20));
        QCOMPARE(TypeAt(host.device, 0, 1), 20);
        QVERIFY(DropOn(picture, QPoint(column + column / 2, 5), 28));
        QCOMPARE(TypeAt(host.device, 0, 11), 28);
        // An overbridge is refused in the lower row.
        QVERIFY(!DropOn(picture, lower(3), 13));
        QCOMPARE(TypeAt(host.device, 0, 3), 0);

        // Moved on the picture: pressed, then dragged to slot 4, the overbridge along.
        QTest::mousePress(&picture, Qt::LeftButton, {}, lower(1));
        QCOMPARE(state.SelectedSlot, 1);
        page.Controller().StartPictureDrag();
        QVERIFY(DropOn(picture, lower(4), -1));
        QCOMPARE(TypeAt(host.device, 0, 4), 20);
        QCOMPARE(TypeAt(host.device, 0, 14), 28);
        QCOMPARE(TypeAt(host.device, 0, 1), 0);
        QCOMPARE(page.Edit7->text(), QString(" #F1"));
        QCOMPARE(page.Label17->text(), QString("KX730-020"));

        // Copy through the popup, paste into slot 6.
        QTest::mousePress(&picture, Qt::RightButton, {}, lower(4));
        QVERIFY(Item(*page.ConsolePopup, "CopyModule1")->isEnabled());
        QVERIFY(!Item(*page.ConsolePopup, "PasteModule1")->isEnabled());
        Item(*page.ConsolePopup, "CopyModule1")->trigger();
        page.ConsolePopup->hide();
        QTest::mousePress(&picture, Qt::RightButton, {}, lower(6));
        QVERIFY(Item(*page.ConsolePopup, "PasteModule1")->isEnabled());
        Item(*page.ConsolePopup, "PasteModule1")->trigger();
        page.ConsolePopup->hide();
        QCOMPARE(TypeAt(host.device, 0, 6), 20);
        QCOMPARE(TypeAt(host.device, 0, 16), 28);
        QCOMPARE(page.Edit7->text(), QString(" #F2")); // the pasted module's identity at once

        // The access-group spin writes the module entry.
        QTest::mousePress(&picture, Qt::LeftButton, {}, lower(6));
        page.UpDown2->setValue(3);
        QCOMPARE(int(ModuleEntryAt(host.device, 0, 6)[3]), 2);
        QCOMPARE(page.Edit4->text(), QString("3"));

        // A fader option ticked by the user writes the option byte.
        QVERIFY(page.InvertFader->isVisible());
        QTest::mouseClick(page.InvertFader, Qt::LeftButton);
        QCOMPARE(int(ModuleEntryAt(host.device, 0, 6)[2]) & 0x40, 0x40);

        // In "Keys" a click on the large module selects a key and fills the key options.
        QTest::mouseClick(page.TabControl1, Qt::LeftButton, {}, page.TabControl1->tabRect(0).center());
        QCOMPARE(state.PageMode, int(pmKeys));
        QTest::mousePress(&picture, Qt::LeftButton, {}, lower(6));
        QApplication::processEvents();
        QVERIFY(page.ModuleImg->isVisible());
        QVERIFY(!page.GroupBox2->isVisible());
        const double s = page.ModuleImg->height() / 3900.0;
        QTest::mousePress(page.ModuleImg, Qt::LeftButton, {}, QPoint(int(200 * s), int(460 * s))); // key 0
        QCOMPARE(state.SelectedKey, 0);
        QVERIFY(page.GroupBox2->isVisible());
        QVERIFY(page.DependKeyBox->isVisible());
        QVERIFY(!page.DependKeyBox->isChecked());
        QCOMPARE(page.KeyOptions->ComboBox5->count(), 32);
        QCOMPARE(page.KeyOptions->Edit9->text(), QString("#F2.KEY1"));
        QCOMPARE(page.KeyOptions->ComboBox5->currentText(), QString("no function"));

        // The display of a Main Module shows its default display text.
        QVERIFY(DropOn(picture, lower(8), 10));
        QTest::mousePress(&picture, Qt::LeftButton, {}, lower(8));
        const double m = page.ModuleImg->height() / 3900.0;
        QTest::mousePress(page.ModuleImg, Qt::LeftButton, {}, QPoint(int(700 * m), int(750 * m))); // element 49
        QCOMPARE(state.SelectedKey, 49);
        QVERIFY(page.GroupBox35->isVisible());
        QCOMPARE(page.DisplayTextBox->currentText(), QString("KX7300D"));
    }

    void tabsShownAgreeWithModeAndConsole_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("moves"); // whether the tab bar goes to its second tab
        QTest::newRow("left press") << "left press" << true;
        QTest::newRow("right press") << "right press" << false;
        QTest::newRow("middle press") << "middle press" << false;
        QTest::newRow("wheel") << "wheel" << true;
        QTest::newRow("arrow key") << "arrow key" << true;
    }
    void tabsShownAgreeWithModeAndConsole()
    {
        QFETCH(QString, how);
        QFETCH(bool, moves);
        DeviceHost host;
        QVERIFY(AddConsoleModule(host.device, 0, 0, 10).Refusal.empty());
        QVERIFY(AddConsole(host.device));
        QVERIFY(AddConsoleModule(host.device, 1, 0, 10).Refusal.empty());
        ShownPage shown(host);
        ConsoleEditorState& state = shown.state;
        ConsolePage& page = shown.page;
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCOMPARE(state.PageMode, int(pmKeys));
        QCOMPARE(page.TabControl2->count(), 2);

        WorkTabBar(*page.TabControl1, how);
        QCOMPARE(page.TabControl1->currentIndex(), moves ? 1 : 0);
        QCOMPARE(state.PageMode, page.TabControl1->currentIndex());
        // "Console" places modules from the palette; "Keys" shows the selected module instead.
        QCOMPARE(page.GroupBox12->isVisible(), state.PageMode == pmConsole);
        QCOMPARE(page.GroupBox13->isVisible(), state.PageMode != pmConsole);

        WorkTabBar(*page.TabControl2, how);
        QCOMPARE(page.TabControl2->currentIndex(), moves ? 1 : 0);
        QCOMPARE(state.SelectedConsole, page.TabControl2->currentIndex());
    }
};

QTEST_MAIN(ConsolePageTest)
#include "consolepage_qtest.moc"
