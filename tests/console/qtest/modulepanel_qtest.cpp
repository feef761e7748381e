// The "Selected Module" panel of the console page offscreen: the large module picture stays whole
// inside its group box however the panels beside it change the box, the colour guard runs on the
// module picture as on the console picture, and a fader overbridge shows no access group.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include "fakeconsolehost.h"
#include "console/modulegeometry.h"
#include "console/moduleplacement.h"
#include "console/pages/consolepage.h"
#include "console/pages/consolewidgets.h"
#include "console/pages/keyoptionspanel.h"
#include "model/device.h"
#include "model/keyaccess.h"
#include "model/modelhost.h"
#include "model/quiethost.h"
#include "platform/currentprompter.h"

using namespace kvr;
using namespace kvr::console;

namespace {

using consoletest::DeviceHost;
using consoletest::ShownPage;

constexpr const char* kNoColour = "Warning! For the selected button no color was selected!";

platform::ScriptedPrompter& Prompter()
{
    return static_cast<platform::ScriptedPrompter&>(platform::prompter());
}

int Warnings()
{
    int count = 0;
    for (const auto& record : Prompter().records())
        count += record.text == kNoColour;
    return count;
}

// A point of a slot of the console picture: the middle of its column, in its row.
QPoint SlotPoint(const ConsoleImage& picture, int position)
{
    const int column = picture.width() / 9;
    const bool upper = IsUpperRow(position);
    const int x = (upper ? position - 10 : position) * column + column / 2;
    return {x, upper ? picture.height() / 8 : picture.height() * 3 / 4};
}

// The centre of an element of the selected module on the large picture.
QPoint ElementPoint(const ModuleImage& picture, int type, int element)
{
    const ElementRect r = ModuleElementRects(type)[static_cast<std::size_t>(element)];
    const double s = picture.width() / double(FaceSize(type).Width);
    return {int((r.Left + r.Right) / 2 * s), int((r.Top + r.Bottom) / 2 * s)};
}

// The picture as its group box's settled size gives it: a tall face fills the height less 40, a
// short face the width less 20, unless the face would then reach beyond the box's other side,
// which then decides; centred, whole inside the box.
void ExpectFitted(const ConsolePage& page, int type)
{
    QApplication::processEvents();
    const QRect box = page.GroupBox13->rect();
    const QRect image = page.ModuleImg->geometry();
    QVERIFY(page.ModuleImg->isVisible());
    const FaceExtent face = FaceSize(type);
    const int roomWidth = box.width() - 20;
    const int roomHeight = box.height() - 40;
    const bool tall = face.Height == 3900;
    const bool primaryFits = tall ? roomHeight * face.Width / face.Height <= roomWidth
                                  : roomWidth * face.Height / face.Width <= roomHeight;
    if (tall == primaryFits)
        QCOMPARE(image.height(), roomHeight);
    else
        QCOMPARE(image.width(), roomWidth);
    QCOMPARE(image.left(), box.width() / 2 - image.width() / 2);
    QCOMPARE(image.top(), 20);
    QVERIFY2(box.contains(image), qPrintable(QString("picture %1,%2 %3x%4 in box %5x%6")
                                                 .arg(image.x()).arg(image.y()).arg(image.width())
                                                 .arg(image.height()).arg(box.width()).arg(box.height())));
}

} // namespace

class ModulePanelTest : public QObject {
    Q_OBJECT
private:
    consoletest::QuietScripted quiet;

private slots:
    void pictureFollowsItsSettledBox()
    {
        DeviceHost host;
        QVERIFY(AddConsoleModule(host.device, 0, 0, 10).Refusal.empty());
        QVERIFY(AddConsoleModule(host.device, 0, 11, 13).Refusal.empty());
        ShownPage shown(host, {1400, 900});
        ConsolePage& page = shown.page;
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCOMPARE(shown.state.PageMode, int(pmKeys));

        // The first key selection brings "Key Options" in beside the picture.
        QTest::mousePress(page.ConsoleImg, Qt::LeftButton, {}, SlotPoint(*page.ConsoleImg, 0));
        ExpectFitted(page, 10);
        QTest::mousePress(page.ModuleImg, Qt::LeftButton, {}, ElementPoint(*page.ModuleImg, 10, 5));
        QCOMPARE(shown.state.SelectedKey, 5);
        QVERIFY(page.GroupBox2->isVisible());
        ExpectFitted(page, 10);
        for (const QSize size : {QSize(1100, 700), QSize(1700, 1000)}) {
            page.resize(size);
            ExpectFitted(page, 10);
        }

        // Authorisation: a lamp of the Central Overbridge has no user groups, the box widens.
        QTest::mouseClick(page.TabControl1, Qt::LeftButton, {}, page.TabControl1->tabRect(pmAuthorisation).center());
        QCOMPARE(shown.state.PageMode, int(pmAuthorisation));
        QTest::mousePress(page.ConsoleImg, Qt::LeftButton, {}, SlotPoint(*page.ConsoleImg, 11));
        ExpectFitted(page, 13);
        QTest::mousePress(page.ModuleImg, Qt::LeftButton, {}, ElementPoint(*page.ModuleImg, 13, 3));
        QVERIFY(page.AuthPanel->isVisible());
        ExpectFitted(page, 13);
        QTest::mousePress(page.ModuleImg, Qt::LeftButton, {}, ElementPoint(*page.ModuleImg, 13, 24));
        QCOMPARE(shown.state.SelectedKey, 24);
        QVERIFY(!page.AuthPanel->isVisible());
        ExpectFitted(page, 13);
    }

    void colourGuardOnBothPictures_data()
    {
        QTest::addColumn<bool>("onModulePicture");
        QTest::newRow("module picture") << true;
        QTest::newRow("console picture") << false;
    }
    void colourGuardOnBothPictures()
    {
        QFETCH(bool, onModulePicture);
        DeviceHost host;
        QVERIFY(AddConsoleModule(host.device, 0, 0, 10).Refusal.empty());
        ShownPage shown(host, {1400, 900});
        ConsolePage& page = shown.page;
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTest::mousePress(page.ConsoleImg, Qt::LeftButton, {}, SlotPoint(*page.ConsoleImg, 0));
        QApplication::processEvents();
        QTest::mousePress(page.ModuleImg, Qt::LeftButton, {}, ElementPoint(*page.ModuleImg, 10, 0));
        QCOMPARE(shown.state.SelectedKey, 0);
        QApplication::processEvents();

        // A label typed into the field the user clicked, then "no colour".
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        QTest::mouseClick(page.KeyOptions->Edit8, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(page.KeyOptions->Edit8));
        QTest::keyClicks(QApplication::focusWidget(), "MIC");
        QTest::mouseClick(page.KeyOptions->ColourFields[static_cast<std::size_t>(ColourField::Image2)], Qt::LeftButton);
        QCOMPARE(int(shown.state.SelectedKeyRecord[33]) & 0xF0, 0);
        const int before = Warnings();

        // Another key of the same module: its key 1, the next one to the right.
        if (onModulePicture) {
            QTest::mousePress(page.ModuleImg, Qt::LeftButton, {}, ElementPoint(*page.ModuleImg, 10, 1));
        } else {
            const double s = (shown.state.UpperRowHeightPx + shown.state.LowerRowHeightPx) / 5100.0;
            const ElementRect r = ModuleElementRects(10)[1];
            QTest::mousePress(page.ConsoleImg, Qt::LeftButton, {},
                              QPoint(int((r.Left + r.Right) / 2 * s),
                                     shown.state.UpperRowHeightPx + int((r.Top + r.Bottom) / 2 * s)));
        }
        QCOMPARE(Warnings(), before + 1);
        QCOMPARE(shown.state.SelectedKey, 0);
        QCOMPARE(page.KeyOptions->Edit8->text(), QString("MIC"));
    }

    void accessGroupHiddenOnFaderOverbridges_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("shown");
        QTest::newRow("fader overbridge 23") << 23 << 10 << false;
        QTest::newRow("fader overbridge 28") << 28 << 10 << false;
        QTest::newRow("fader module") << 20 << 0 << true;
        QTest::newRow("central overbridge") << 13 << 11 << true;
    }
    void accessGroupHiddenOnFaderOverbridges()
    {
        QFETCH(int, type);
        QFETCH(int, position);
        QFETCH(bool, shown);
        DeviceHost host;
        QVERIFY(AddConsoleModule(host.device, 0, 0, 20).Refusal.empty());
        if (position != 0)
            QVERIFY(AddConsoleModule(host.device, 0, position, type).Refusal.empty());
        ShownPage page(host, {1400, 900});
        QVERIFY(QTest::qWaitForWindowExposed(&page.page));
        QTest::mouseClick(page.page.TabControl1, Qt::LeftButton, {}, page.page.TabControl1->tabRect(pmConsole).center());
        QTest::mousePress(page.page.ConsoleImg, Qt::LeftButton, {}, SlotPoint(*page.page.ConsoleImg, position));
        QCOMPARE(page.state.SelectedModuleType(), type);
        QVERIFY(page.page.GroupBox17->isVisible());
        QLabel* label = nullptr;
        for (QLabel* l : page.page.GroupBox17->findChildren<QLabel*>())
            label = l->text() == "Access Group" ? l : label;
        QVERIFY(label != nullptr);
        QCOMPARE(label->isVisible(), shown);
        QCOMPARE(page.page.Edit4->isVisible(), shown);
    }
};

QTEST_MAIN(ModulePanelTest)
#include "modulepanel_qtest.moc"
