// The console page in the main window on the sample project: showing it changes nothing, and a new
// user's first session (modules placed on two consoles, one moved, one pasted into another
// device, a console renamed and one removed, a display text and an encoder default chosen) is
// all still there after saving and opening the file again. Pictures of the steps go to PNG files
// in the build folder, to be looked at.
#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "console/keyfunctioncatalogue.h"
#include "editors/sources/audioreswin.h"
#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "console/pages/consolepage.h"
#include "console/pages/consolewidgets.h"
#include "model/device.h"
#include "model/keyaccess.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

using namespace kvr::app;
using namespace kvr::console;
using kvr::platform::Answer;

class ConsolePageE2ETest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QtModelHost host;
    TCX4AppForm* form = nullptr;
    kvr::platform::ScriptedPrompter* prompts = nullptr;
    int shots = 0;

    std::string File() const { return (dir.path() + "/studio.kvp").toStdString(); }
    kvr::model::TProject& Project() { return *form->FProject->Model(); }
    kvr::model::TDevice& Device(int d) { return *Project().Device(d); }
    ConsolePage& Page() { return *form->ConsolePageWidget; }
    ConsoleImage& Picture() { return *Page().ConsoleImg; }
    QString Status() const { return form->StatusPanels[2]->text(); }

    void Settle()
    {
        QTest::qWait(60);
        QTRY_VERIFY_WITH_TIMEOUT(!form->TreeChangeDelay->isActive(), 5000);
    }
    void Shot(const char* name)
    {
        QApplication::processEvents();
        form->grab().save(QCoreApplication::applicationDirPath() +
                          QString("/consolepage_%1_%2.png").arg(++shots, 2, 10, QChar('0')).arg(name));
    }
    // The "Console" node of a device.
    void SelectConsole(int device)
    {
        const auto& nodes = form->TreeNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].Device == device && nodes[i].Level == 2 && nodes[i].Text == "Console") {
                form->ProjectTree->setCurrentItem(form->TreeItem(static_cast<int>(i)));
                Settle();
                QVERIFY(Page().isVisible());
                return;
            }
        }
        QFAIL("no Console node");
    }
    void ClickTab(QTabBar& bar, int index)
    {
        QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.tabRect(index).center());
        QApplication::processEvents();
    }
    QPoint Slot(int position)
    {
        const int column = Picture().width() / 9;
        const int y = position >= 10 ? Picture().height() / 8 : Picture().height() * 3 / 4;
        return {(position % 10) * column + column / 2, y};
    }
    // A drag of a palette module (or, with -1, of the picture's selected module) dropped on a slot.
    bool DropOn(int position, int paletteType)
    {
        const QPoint at = Slot(position);
        QMimeData data;
        data.setData(kModuleMimeType, QByteArray::number(paletteType));
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Picture(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Picture(), &move);
        if (!move.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Picture(), &drop);
        return drop.isAccepted();
    }
    void Press(int position, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseMove(&Picture(), Slot(position));
        QTest::mousePress(&Picture(), button, {}, Slot(position));
        QTest::mouseRelease(&Picture(), button, {}, Slot(position));
        QApplication::processEvents();
    }
    static QAction* Item(QMenu& menu, const char* name)
    {
        for (QAction* action : menu.actions()) {
            if (action->objectName() == QLatin1String(name))
                return action;
        }
        return nullptr;
    }
    void Popup(const char* name)
    {
        QAction* action = Item(*Page().ConsolePopup, name);
        QVERIFY(action);
        QVERIFY(action->isEnabled());
        action->trigger();
        Page().ConsolePopup->hide();
        QApplication::processEvents();
    }
    void TabCommand(const char* name)
    {
        QAction* action = Item(*Page().TabPopup, name);
        QVERIFY(action);
        action->trigger();
        QApplication::processEvents();
    }
    int TypeAt(int device, int console, int position)
    {
        return kvr::model::ModuleType(ModuleEntryAt(Device(device), console, position));
    }
    QStringList Tabs()
    {
        QStringList tabs;
        for (int i = 0; i < Page().TabControl2->count(); ++i)
            tabs << Page().TabControl2->tabText(i);
        return tabs;
    }
    void Open()
    {
        QVERIFY(form->FileCommands().OpenRecent(File()));
        Settle();
        QCOMPARE(Status(), QString("File saved"));
    }
    void Save()
    {
        form->Action("Save1")->trigger();
        QApplication::processEvents();
        QCOMPARE(Status(), QString("File saved"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(QString(KVR_APP_DATA "/studio.kvp"), QString::fromStdString(File())));
        QFile::setPermissions(QString::fromStdString(File()), QFile::ReadOwner | QFile::WriteOwner);
        kvr::platform::setSettingsStore(std::make_unique<kvr::platform::MemorySettingsStore>());
        auto script = std::make_unique<kvr::platform::ScriptedPrompter>();
        prompts = script.get();
        kvr::platform::setPrompter(std::move(script));
        kvr::model::SetModelHost(&host);
        form = CreateApplicationForms();
        form->resize(1400, 900);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        Open();
    }

    void cleanupTestCase()
    {
        DestroyApplicationForms();
        kvr::model::SetModelHost(nullptr);
        kvr::platform::setPrompter(nullptr);
    }

    // The fault mended: selecting a device's "Console" node marked the project modified, though
    // nothing was edited. Showing and drawing every device's console page only reads.
    void showingTheConsolePageChangesNothing()
    {
        for (int d = 0; d < Project().DeviceCount(); ++d) {
            if (Device(d).IsDummy())
                continue;
            const auto before = Device(d).GetAllData();
            SelectConsole(d);
            Picture().repaint();
            ClickTab(*Page().TabControl1, pmConsole);
            Picture().repaint();
            QCOMPARE(Status(), QString("File saved"));
            QVERIFY(!Project().IsChanged());
            QVERIFY(Device(d).GetAllData() == before);
        }
        Shot("shown");
        QCOMPARE(prompts->unexpected, 0);
    }

    void newUserSessionSurvivesSaveAndReopen()
    {
        // Frame 1: three consoles; a fader module with its overbridge and a Main Module on the
        // first, the fader moved two places on; a Central Module and a 40 Pushbutton on the third.
        SelectConsole(0);
        ClickTab(*Page().TabControl1, pmConsole);
        QCOMPARE(Tabs(), QStringList{"Console 1"});
        TabCommand("AddConsole2");
        TabCommand("AddConsole2");
        QCOMPARE(Tabs(), (QStringList{"Console 1", "Console 2", "Console 3"}));
        QVERIFY(DropOn(1, 20));
        QVERIFY(DropOn(11, 28));
        QVERIFY(DropOn(3, 10));
        Press(1);
        Page().Controller().StartPictureDrag();
        QVERIFY(DropOn(5, -1));
        QCOMPARE(TypeAt(0, 0, 5), 20);
        QCOMPARE(TypeAt(0, 0, 15), 28);
        QCOMPARE(TypeAt(0, 0, 1), 0);
        Shot("first-console");
        ClickTab(*Page().TabControl2, 2);
        QVERIFY(DropOn(0, 12));
        QVERIFY(DropOn(10, 25));
        // An overbridge has no place in the lower row.
        QVERIFY(!DropOn(2, 13));

        // The third console renamed, then the second removed: the third moves down, name and all.
        prompts->input("Desk C");
        TabCommand("RenameConsole1");
        QCOMPARE(Tabs(), (QStringList{"Console 1", "Console 2", "Desk C"}));
        ClickTab(*Page().TabControl2, 1);
        prompts->answer(Answer::Ok);
        TabCommand("RemoveCOnsole2");
        QCOMPARE(Tabs(), (QStringList{"Console 1", "Desk C"}));
        QCOMPARE(TypeAt(0, 1, 0), 12);
        QCOMPARE(TypeAt(0, 1, 10), 25);
        ClickTab(*Page().TabControl2, 1);
        Shot("desk-c");

        // The Main Module copied and pasted into Frame 2.
        ClickTab(*Page().TabControl2, 0);
        Press(3, Qt::RightButton);
        Popup("CopyModule1");
        SelectConsole(1);
        QCOMPARE(Page().TabControl1->currentIndex(), int(pmConsole));
        Press(4, Qt::RightButton);
        Popup("PasteModule1");
        QCOMPARE(TypeAt(1, 0, 4), 10);
        QCOMPARE(Page().Label17->text(), QString("KX730-010"));
        Shot("pasted");

        // Frame 1 again, on "Keys": the Main Module's display shows "Timer 2" by default.
        SelectConsole(0);
        QCOMPARE(Page().TabControl1->currentIndex(), int(pmKeys));
        Press(3);
        QVERIFY(Page().Controller().PressModuleKey(DisplayElement(10)));
        Page().Refresh();
        QVERIFY(Page().DisplayTextBox->isVisible());
        Page().DisplayTextBox->setCurrentIndex(3);
        emit Page().DisplayTextBox->activated(3);
        QCOMPARE(ModuleEntryAt(Device(0), 0, 3)[2] & 0x0F, 3);
        Shot("display-text");
        // On "Console" the overbridge's second encoder starts on the fifth encoder function.
        ClickTab(*Page().TabControl1, pmConsole);
        Press(15);
        QVERIFY(Page().RotEncDefs[1]->isVisible());
        Page().RotEncDefs[1]->setCurrentIndex(5);
        emit Page().RotEncDefs[1]->activated(5);
        Shot("encoder-default");

        Save();
        QVERIFY(!Project().IsChanged());
        Open();

        QCOMPARE(ConsoleCount(Device(0)), 2);
        QCOMPARE(ConsoleName(Device(0), 1), std::string("Desk C"));
        QCOMPARE((std::vector<int>{TypeAt(0, 0, 3), TypeAt(0, 0, 5), TypeAt(0, 0, 15), TypeAt(0, 1, 0), TypeAt(0, 1, 10)}),
                 (std::vector<int>{10, 20, 28, 12, 25}));
        QCOMPARE(TypeAt(1, 0, 4), 10);
        SelectConsole(0);
        QCOMPARE(Tabs(), (QStringList{"Console 1", "Desk C"}));
        Press(3);
        QVERIFY(Page().Controller().PressModuleKey(DisplayElement(10)));
        Page().Refresh();
        QCOMPARE(Page().DisplayTextBox->currentText(), QString("Timer 2"));
        ClickTab(*Page().TabControl1, pmConsole);
        Press(15);
        QCOMPARE(Page().RotEncDefs[1]->currentIndex(), 5);
        Shot("reopened");
        // Looking again changed nothing.
        QCOMPARE(Status(), QString("File saved"));
        QVERIFY(prompts->scriptUsedUp());
        QCOMPARE(prompts->unexpected, 0);
    }

    // Every key of every module type placed, selected on "Keys" and on "Authorisation": the key
    // options of fresh keys store nothing, so the project stays as saved.
    void selectingEveryKeyChangesNothing()
    {
        SelectConsole(0);
        for (int mode : {int(pmKeys), int(pmAuthorisation)}) {
            ClickTab(*Page().TabControl1, mode);
            for (const auto& [console, position] : {std::pair{0, 3}, {0, 5}, {0, 15}, {1, 0}, {1, 10}}) {
                ClickTab(*Page().TabControl2, console);
                Press(position);
                const int type = TypeAt(0, console, position);
                for (int key = 0; key < KeyCount(type); ++key) {
                    QVERIFY(Page().Controller().PressModuleKey(key));
                    Page().Refresh();
                }
                if (mode == pmKeys && type == 20)
                    Shot("fader-key");
            }
        }
        QCOMPARE(Status(), QString("File saved"));
        QVERIFY(!Project().IsChanged());
        QCOMPARE(prompts->unexpected, 0);
    }

    // The audio-source window offers the rotary monitor selectors while a monitor-bus key is
    // shown, and no longer for a user-defined key.
    void audioSourceWindowFollowsTheKey()
    {
        const auto key = [](int number, std::uint8_t function) {
            kvr::model::TKeyRecord r{};
            r[0] = static_cast<std::uint8_t>(number);
            r[1] = 'K';
            r[31] = function;
            r[33] = 0x40;
            r[36] = 1;
            return r;
        };
        const int slot = ModuleSlotID(0, 3);
        kvr::model::SetKeyFunction(Device(0), 0, key(0, 1), 1, slot);
        kvr::model::SetKeyFunction(Device(0), 1, key(1, 4), 1, slot);
        SelectConsole(0);
        ClickTab(*Page().TabControl1, pmKeys);
        ClickTab(*Page().TabControl2, 0);
        Press(3);
        AudioResWin->SetGroupFilter(0);
        QVERIFY(Page().Controller().PressModuleKey(0));
        Page().Refresh();
        QCOMPARE(AudioResWin->GroupFilter(), 0x11);
        QCOMPARE(AudioResWin->Tree().FDeviceIndex, 0);
        QVERIFY(Page().Controller().PressModuleKey(1));
        Page().Refresh();
        QCOMPARE(AudioResWin->GroupFilter(), 0x01);
        QCOMPARE(prompts->unexpected, 0);
    }
};

QTEST_MAIN(ConsolePageE2ETest)
#include "consolepage_e2e_qtest.moc"
