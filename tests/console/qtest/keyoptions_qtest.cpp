// The key options of the console page offscreen on an in-memory device: label, function, colour
// fields, the lamp-source list, the source buttons and the user-group boxes write the selected
// key as the user changes them.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstring>

#include "fakeconsolehost.h"
#include "console/consolehost.h"
#include "console/keycaption.h"
#include "console/moduleclipboard.h"
#include "console/moduleplacement.h"
#include "console/pages/consolepage.h"
#include "console/pages/consolewidgets.h"
#include "console/pages/keyoptionspanel.h"
#include "console/pages/keypreviewimage.h"
#include "console/pages/keysourcepicker.h"
#include "console/pages/usergroupspanel.h"
#include "model/device.h"
#include "model/keyaccess.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "model/quiethost.h"
#include "model/superoutputs.h"
#include "platform/currentprompter.h"

using namespace kvr;
using namespace kvr::console;

namespace {

using consoletest::ShownPage;

// The host's device with one console.
class DeviceHost : public consoletest::DeviceHost {
public:
    DeviceHost()
    {
        auto header = device.GetHeader();
        header[model::dh::ConsoleCount] = 1;
        device.SetHeader(header, false);
    }
};

// Records what the key options ask of the source windows.
class ScriptedPicker : public KeySourcePicker {
public:
    struct Call {
        std::string what;
        SourceWindow window;
        int kind;
        int stored;
    };
    void Pick(SourceWindow window, int kind, std::uint16_t stored) override { calls.push_back({"pick", window, kind, stored}); }
    void AssignDropped(SourceWindow window, int kind) override { calls.push_back({"assign", window, kind, -1}); }
    bool IsSourceDrag(SourceWindow window, const QMimeData* data) const override
    {
        return data->hasFormat(window == SourceWindow::Logic ? "test/logic" : "test/audio");
    }
    std::vector<Call> calls;
};

bool Drop(QWidget& target, QPoint at, QMimeData& data)
{
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

} // namespace

class KeyOptionsTest : public QObject {
    Q_OBJECT
private:
    consoletest::QuietScripted quiet;

    static model::TKeyRecord Stored(model::TDevice& device, int key)
    {
        model::TKeyRecord r{};
        r[0] = static_cast<std::uint8_t>(key);
        model::GetKeyFunction(device, key, r, ModuleSlotID(0, 0));
        return r;
    }
    static QWidget* Field(KeyOptionsPanel& keys, ColourField field)
    {
        return keys.ColourFields[static_cast<std::size_t>(field)];
    }
    static int Item(QComboBox& box, const char* caption)
    {
        return box.findText(QString::fromLatin1(caption));
    }
    // Selects key 0 of the Main Module in slot 0 (its top-left key).
    static void SelectKey0(ConsolePage& page, ConsoleEditorState& state)
    {
        ConsoleImage& picture = *page.ConsoleImg;
        QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(picture.width() / 18, picture.height() * 3 / 4));
        QCOMPARE(state.SelectedSlot, 0);
        const double s = page.ModuleImg->height() / 3900.0;
        QTest::mousePress(page.ModuleImg, Qt::LeftButton, {}, QPoint(int(400 * s), int(460 * s)));
        QCOMPARE(state.SelectedKey, 0);
    }

private slots:

    void labelFunctionColourAndLampSources()
    {
        DeviceHost host;
        QVERIFY(AddConsoleModule(host.device, 0, 0, 10).Refusal.empty());
        ShownPage shown(host, {1200, 800});
        ConsoleEditorState& state = shown.state;
        ConsolePage& page = shown.page;
        ScriptedPicker picker;
        page.KeyOptions->Picker = &picker;
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCOMPARE(state.PageMode, int(pmKeys));
        SelectKey0(page, state);
        KeyOptionsPanel& keys = *page.KeyOptions;
        QVERIFY(keys.isVisible());

        // Typing a label stores it at once, lit yellow.
        QTest::keyClicks(keys.Edit8, "MIC");
        auto r = Stored(host.device, 0);
        QCOMPARE(KeyRecordView(r).Text(), std::string("MIC"));
        QCOMPARE(int(r[33]), 0x40);
        QCOMPARE(keys.Edit8->text(), QString("MIC"));
        QCOMPARE(keys.KeyImg->width(), 80); // a 200-wide key

        // A colour field: red when active.
        QVERIFY(keys.ColourFields[1]->isVisible());
        QTest::mouseClick(keys.ColourFields[1], Qt::LeftButton);
        QCOMPARE(int(Stored(host.device, 0)[33]), 0x80);

        // "User Defined": three lamp sources, yellow, red and green.
        emit keys.ComboBox5->activated(Item(*keys.ComboBox5, "User Defined"));
        r = Stored(host.device, 0);
        QCOMPARE(int(r[31]), 4);
        QCOMPARE(int(r[33]), 0x24);
        QVERIFY(keys.UserDefPanel->isVisible());

        // The popup sets the selected row's colour; the key itself becomes a row's source.
        keys.ListView1->setCurrentItem(keys.ListView1->topLevelItem(0));
        keys.Red1->trigger();
        QCOMPARE(int(Stored(host.device, 0)[33]), 0x25);
        keys.ListView1->setCurrentItem(keys.ListView1->topLevelItem(2));
        keys.UDLampSource->trigger();
        r = Stored(host.device, 0);
        QCOMPARE(KeyRecordView(r).Source(kf::Param3), keys.Shown().OwnLogicSource);

        // The selected "Lowest" row dragged onto "Highest".
        QMimeData rowDrag;
        rowDrag.setData("application/x-kvr-lamp-row", "2");
        const QPoint highest = keys.ListView1->visualItemRect(keys.ListView1->topLevelItem(0)).center();
        QVERIFY(Drop(*keys.ListView1->viewport(), highest, rowDrag));
        r = Stored(host.device, 0);
        QCOMPARE(int(r[33]), 0x16); // green, red, red
        QCOMPARE(KeyRecordView(r).Source(kf::Param1), keys.Shown().OwnLogicSource);
        QCOMPARE(KeyRecordView(r).Source(kf::Param3), std::uint16_t(0));

        // A logic source dropped on a row runs the window's Assign for kind 1.
        QMimeData logicDrag;
        logicDrag.setData("test/logic", "");
        QVERIFY(Drop(*keys.ListView1->viewport(), highest, logicDrag));
        QCOMPARE(picker.calls.back().what, std::string("assign"));
        QCOMPARE(picker.calls.back().kind, kLampSourceRowKind);

        // "Monitor Bus": the source buttons preselect the stored sources.
        emit keys.ComboBox5->activated(Item(*keys.ComboBox5, "Monitor Bus"));
        QVERIFY(keys.Button6->isVisible());
        QTest::mouseClick(keys.Button7, Qt::LeftButton);
        QCOMPARE(picker.calls.back().what, std::string("pick"));
        QVERIFY(picker.calls.back().window == SourceWindow::Audio);
        QCOMPARE(picker.calls.back().kind, kRightSourceKind);
        QMimeData audioDrag;
        audioDrag.setData("test/audio", "");
        QVERIFY(Drop(*keys.Panel22, QPoint(2, 2), audioDrag));
        QCOMPARE(picker.calls.back().kind, kRightSourceKind);
        QVERIFY(!Drop(*keys.Panel22, QPoint(2, 2), logicDrag));
    }

    // A key selected with the pointer takes the typing in its label; a value typed into the spin
    // keeps the focus there; the same colour for on and off is told once per run.
    void selectedKeyTakesTheTyping()
    {
        DeviceHost host;
        QVERIFY(AddConsoleModule(host.device, 0, 0, 10).Refusal.empty());
        ShownPage shown(host, {1200, 800});
        ConsoleEditorState& state = shown.state;
        ConsolePage& page = shown.page;
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        page.TabControl1->setFocus();
        SelectKey0(page, state);
        KeyOptionsPanel& keys = *page.KeyOptions;
        QCOMPARE(QApplication::focusWidget(), keys.Edit8);
        QTest::keyClicks(QApplication::focusWidget(), "MIC");
        auto r = Stored(host.device, 0);
        QCOMPARE(KeyRecordView(r).Text(), std::string("MIC"));

        // A function chosen in its box shows the key again, with the focus back on the label.
        keys.ComboBox5->setFocus();
        emit keys.ComboBox5->activated(Item(*keys.ComboBox5, "MIDI"));
        QCOMPARE(QApplication::focusWidget(), keys.Edit8);
        QVERIFY(keys.UpDown3->isVisible());
        keys.UpDown3->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "12");
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(keys.UpDown3));
        QCOMPARE(int(Stored(host.device, 0)[36]), 12);

        auto& prompts = static_cast<platform::ScriptedPrompter&>(platform::prompter());
        const auto warnings = [&prompts] {
            return std::count_if(prompts.records().begin(), prompts.records().end(), [](const auto& r) {
                return r.text == "Warning! Active and inactive function state is using the same color!";
            });
        };
        const std::size_t before = warnings();
        QTest::mouseClick(Field(keys, ColourField::Shape1), Qt::LeftButton);
        QTest::mouseClick(Field(keys, ColourField::Shape5), Qt::LeftButton);
        QCOMPARE(int(Stored(host.device, 0)[33]) & 0xF0, 0x50);
        QCOMPARE(warnings(), before + 1);
        QTest::mouseClick(Field(keys, ColourField::Shape6), Qt::LeftButton);
        QTest::mouseClick(Field(keys, ColourField::Shape5), Qt::LeftButton);
        QCOMPARE(warnings(), before + 1);
    }

    void lampElementOfTheCentralOverbridge()
    {
        DeviceHost host;
        const Placement placed = AddConsoleModule(host.device, 0, 10, 13);
        QVERIFY(placed.Refusal.empty());
        model::TKeyRecord lamp{};
        lamp[0] = 26; // "ON AIR Lamp Source"
        KeyRecordView(lamp).SetText("DONOTDELETE");
        lamp[33] = 0x3F;
        KeyRecordView(lamp).SetSource(kf::Param1, 0x0123);
        model::SetKeyFunction(host.device, 26, lamp, 1, ModuleSlotID(0, placed.Position));
        ShownPage shown(host, {1200, 800});
        ConsoleEditorState& state = shown.state;
        ConsolePage& page = shown.page;
        ScriptedPicker picker;
        page.KeyOptions->Picker = &picker;
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        state.PageMode = pmKeys;
        state.SelectedSlot = placed.Position;
        state.SelectedModule = ModuleEntryAt(host.device, 0, placed.Position);
        state.SelectedKey = 26;
        state.SelectedKeyRecord = lamp;
        page.Refresh();
        QVERIFY(page.GroupBox35->isVisible());
        QVERIFY(page.Button44->isVisible());
        QTest::mouseClick(page.Button44, Qt::LeftButton);
        QCOMPARE(picker.calls.back().what, std::string("pick"));
        QVERIFY(picker.calls.back().window == SourceWindow::Logic);
        QCOMPARE(picker.calls.back().kind, kKeyConditionKind);
        QCOMPARE(picker.calls.back().stored, 0x0123);
        QMimeData logicDrag;
        logicDrag.setData("test/logic", "");
        QVERIFY(Drop(*page.Panel23, QPoint(2, 2), logicDrag));
        QCOMPARE(picker.calls.back().what, std::string("assign"));
        QCOMPARE(picker.calls.back().kind, kKeyConditionKind);
    }

    void userGroupsOnTheAuthorisationPage()
    {
        DeviceHost host;
        QVERIFY(AddConsoleModule(host.device, 0, 0, 10).Refusal.empty());
        model::TUserGroups groups;
        model::GetUserGroups(host.device, groups);
        std::memcpy(groups.Groups[0].Label.data(), "Tech", 4);
        std::memcpy(groups.Groups[2].Label.data(), "News", 4);
        model::SetUserGroups(host.device, groups);
        model::TKeyRecord key{};
        KeyRecordView(key).SetText("ON AIR");
        key[33] = 0x80;
        key[35] = 0x02; // group 2, which has no label
        model::SetKeyFunction(host.device, 0, key, 1, ModuleSlotID(0, 0));

        ShownPage shown(host, {1200, 800});
        ConsoleEditorState& state = shown.state;
        ConsolePage& page = shown.page;
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTest::mouseClick(page.TabControl1, Qt::LeftButton, {}, page.TabControl1->tabRect(pmAuthorisation).center());
        QCOMPARE(state.PageMode, int(pmAuthorisation));
        const auto before = host.device.GetAllData();
        SelectKey0(page, state);
        QVERIFY(page.AuthPanel->isVisible());
        UserGroupsPanel& boxes = *page.UserGroups;
        QCOMPARE(boxes.UGroupBoxes[0]->text(), QString("Tech"));
        QVERIFY(boxes.UGroupBoxes[0]->isVisible());
        QVERIFY(!boxes.UGroupBoxes[1]->isVisible());
        QVERIFY(boxes.UGroupBoxes[2]->isVisible());
        QVERIFY(!boxes.UGroupBoxes[2]->isChecked());
        // Filling the boxes stores nothing: group 2's bit stays.
        QCOMPARE(host.device.GetAllData(), before);

        QTest::mouseClick(boxes.UGroupBoxes[2], Qt::LeftButton, {}, QPoint(6, boxes.UGroupBoxes[2]->height() / 2));
        QCOMPARE(int(Stored(host.device, 0)[35]), 0x06);
        QVERIFY(boxes.UGroupBoxes[2]->isChecked());
    }
};

QTEST_MAIN(KeyOptionsTest)
#include "keyoptions_qtest.moc"
