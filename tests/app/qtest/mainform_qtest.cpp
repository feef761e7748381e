// The main window: its commands by name, the start words, the preferences across a restart, the
// gauges and the order in which the windows come into being.
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "app/appforms.h"
#include "app/cgauge.h"
#include "app/mainactions.h"
#include "app/mainform.h"
#include "app/plainforms.h"
#include "app/processform.h"
#include "editors/sources/audioreswin.h"
#include "editors/sources/reswindow.h"
#include "fakeproject.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

#include <QTemporaryDir>

using namespace kvr::app;
using kvr::platform::DefinitionKey;
using kvr::platform::MemorySettingsStore;

class MainFormTest : public QObject {
    Q_OBJECT

    MemorySettingsStore* store = nullptr;
    std::vector<std::string> loaded;
    std::vector<FakeDevice> devices;
    kvr::platform::ScriptedPrompter* prompts = nullptr;

    TCX4AppForm* Start(std::vector<std::string> words)
    {
        TCX4AppForm* form = CreateApplicationForms();
        form->SetStartWords(std::move(words));
        form->SetProjectFactory([this] {
            auto project = std::make_unique<FakeProject>();
            project->Loaded = &loaded;
            project->Devices = devices;
            return project;
        });
        form->show();
        return form;
    }

private slots:
    void init()
    {
        auto owned = std::make_unique<MemorySettingsStore>();
        store = owned.get();
        kvr::platform::setSettingsStore(std::move(owned));
        loaded.clear();
        devices.clear();
        auto script = std::make_unique<kvr::platform::ScriptedPrompter>();
        prompts = script.get();
        kvr::platform::setPrompter(std::move(script));
    }
    void cleanup()
    {
        DestroyApplicationForms();
        kvr::platform::setPrompter(nullptr);
    }

    void windowsAreCreatedInTheStartupOrder()
    {
        CreateApplicationForms();
        QCOMPARE(StartupFormNames(),
                 QStringList({"CX4AppForm", "DevSelForm", "GLProtoForm", "ImportWin", "LinkSelectForm", "CFGLockForm",
                              "OptionForm", "PrintForm", "ProcessForm", "AudioResWin", "DevParaForm", "ResWindow",
                              "AboutForm", "MtnForm"}));
        QCOMPARE(ResWindow->windowTitle(), QString("Logic Sources"));
        QCOMPARE(ProcessForm->windowTitle(), QString("Process"));
    }

    void everyCommandHasItsCaptionShortCutAndVisibility_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("level");
        QTest::newRow("user") << "" << 0;
        QTest::newRow("service word") << "vux" << 2;
        QTest::newRow("service word in capitals") << "VUX" << 0;
    }
    void everyCommandHasItsCaptionShortCutAndVisibility()
    {
        QFETCH(QString, word);
        QFETCH(int, level);
        TCX4AppForm* form = Start(word.isEmpty() ? std::vector<std::string>{} : std::vector<std::string>{word.toStdString()});
        QCOMPARE(form->FServiceLevel, level);
        int checked = 0;
        for (const MenuItemSpec& item : MainMenuItems()) {
            if (item.IsSeparator() && item.Name.empty())
                continue;
            const QString name = QString::fromLatin1(item.Name.data(), qsizetype(item.Name.size()));
            QAction* action = form->Action(name);
            QVERIFY2(action, qPrintable(name));
            if (!item.IsSeparator()) {
                QCOMPARE(action->text(), QString::fromLatin1(item.Caption.data(), qsizetype(item.Caption.size())));
                QCOMPARE(action->shortcut(), QKeySequence(QString::fromLatin1(item.ShortCut.data(), qsizetype(item.ShortCut.size()))));
            }
            QCOMPARE(action->isVisible(), ItemVisibleAt(item.Visibility, level));
            ++checked;
        }
        QCOMPARE(checked, 35);
        // The manufacturer's "KVR" menu stays hidden at every level.
        for (const MenuSpec& menu : MainMenus()) {
            QAction* title = form->Action(QString::fromLatin1(menu.Name.data(), qsizetype(menu.Name.size())));
            QVERIFY(title);
            QCOMPARE(title->isVisible(), menu.Name != "KVR1");
        }
        QCOMPARE(form->Action("New1")->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(form->Action("Save1")->shortcut(), QKeySequence("Ctrl+S"));
        QCOMPARE(form->Action("Fittingreport1")->shortcut(), QKeySequence("Ctrl+R"));
        QCOMPARE(form->Action("MaintenanceCX451")->shortcut(), QKeySequence(Qt::Key_F7));
        QCOMPARE(form->Action("ProjSum")->isVisible(), level >= 1);
        QCOMPARE(form->Action("Info1")->isVisible(), level >= 1);
        QVERIFY(!form->Action("REPAIR1")->isVisible());
        QVERIFY(!form->Action("N11")->isVisible());
        QVERIFY(!form->Action("ImportSlotConfig1")->isVisible());
        QVERIFY(!form->Action("CheckCards1")->isVisible());
    }

    void serviceLevelOneComesFromTheSettings()
    {
        store->writeString(DefinitionKey, "Kolm", "KOLM");
        TCX4AppForm* form = Start({});
        QCOMPARE(form->FServiceLevel, 1);
        QVERIFY(form->Action("ProjSum")->isVisible());
        QCOMPARE(form->StatusPanels[0]->text(), QString("KVR"));
    }

    void toolButtonsCarryTheirHints()
    {
        TCX4AppForm* form = Start({});
        const std::pair<const char*, const char*> buttons[] = {
            {"ToolButton2", "Create new Project"}, {"ToolButton1", "Load Project from File"},
            {"ToolButton5", "Save Project to File"}, {"ToolButton4", "Print"},
            {"ToolButton7", "Load to device"},       {"ToolButton8", "Load from device"}};
        for (const auto& [name, hint] : buttons) {
            auto* button = form->findChild<QToolButton*>(name);
            QVERIFY2(button, name);
            QCOMPARE(button->toolTip(), QString(hint));
        }
        QCOMPARE(form->StatusPanels[0]->width(), 100);
        QCOMPARE(form->StatusPanels[1]->width(), 200);
        QVERIFY(form->StatusPanels[2]->width() >= 50);
        for (const char* panel : {"SlotPanel", "ProjectPanel", "FaderChannelPanel", "LeftPanel", "ProjectInfoPanel"})
            QVERIFY2(form->findChild<QWidget*>(panel), panel);
        QCOMPARE(form->findChild<QWidget*>("LeftPanel")->width(), 217);
    }

    void projectNamedFirstIsOpenedAndRecorded()
    {
        TCX4AppForm* form = Start({"/tmp/Studio & Co.kvp", "vux"});
        QCOMPARE(loaded, std::vector<std::string>{"/tmp/Studio & Co.kvp"});
        QCOMPARE(form->FServiceLevel, 0);
        QCOMPARE(form->windowTitle(), QString("Cordex4 - /tmp/Studio & Co.kvp"));
        QCOMPARE(form->StatusPanels[2]->text(), QString("File saved"));
        QCOMPARE(*store->readString(DefinitionKey, "Recent9"), std::string("/tmp/Studio & Co.kvp"));
        const auto items = form->RecentMenu->actions();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0]->objectName(), QString("Recent9"));
        QCOMPARE(items[0]->data().toString(), QString("/tmp/Studio & Co.kvp"));
    }

    void otherFirstWordsOpenNothing()
    {
        TCX4AppForm* form = Start({"x.KVP"});
        QVERIFY(loaded.empty());
        QCOMPARE(form->windowTitle(), QString("Cordex4 - "));
        QVERIFY(form->RecentMenu->actions().isEmpty());
    }

    void firstRunKeepsTheWindowsOwnPlaceAndStoresItAtClose()
    {
        TCX4AppForm* form = Start({});
        QCOMPARE(form->FPrefsLoaded, std::uint8_t{1});
        QCOMPARE(form->FPrefs.BackupLevels(), 5);
        QCOMPARE(form->FPrefs.AutoSaveInterval(), 10);
        QCOMPARE(form->size(), QSize(952, 676));
        form->setGeometry(120, 80, 800, 600);
        QVERIFY(form->close());
        const auto bytes = store->readBinary(DefinitionKey, "Preferences");
        QVERIFY(bytes);
        QCOMPARE(bytes->size(), std::size_t{324});
        TPreferences stored;
        std::copy(bytes->begin(), bytes->end(), stored.Bytes.begin());
        QCOMPARE(stored.MainWindowRect().Width(), 800);
        QCOMPARE(stored.MainWindowRect().Height(), 600);
        QCOMPARE(stored.BackupLevels(), 5);
        DestroyApplicationForms();

        TCX4AppForm* again = Start({});
        QCOMPARE(again->FPrefsLoaded, std::uint8_t{1});
        QCOMPARE(again->geometry().size(), QSize(800, 600));
        QCOMPARE(again->geometry().topLeft(), QPoint(stored.MainWindowRect().Left, stored.MainWindowRect().Top));
    }

    void sourceWindowPositionSurvivesARestartWhileHidden()
    {
        TCX4AppForm* form = Start({});
        QVERIFY(!ResWindow->isVisible());
        const QSize ownSize = ResWindow->size();
        ResWindow->show(); // nothing stored yet: the window keeps its own place
        QCOMPARE(ResWindow->size(), ownSize);
        ResWindow->setGeometry(300, 200, 250, 400);
        ResWindow->hide();
        QCOMPARE(form->FPrefs.LogicSourceWindowRect(), (TRect{300, 200, 550, 600}));
        QVERIFY(form->close());
        DestroyApplicationForms();

        Start({});
        ResWindow->show();
        QCOMPARE(ResWindow->geometry(), QRect(300, 200, 250, 400));
        QVERIFY(!AudioResWin->isVisible());
    }

    void viewMenuOpensTheSourceWindowsWhichKeepTheirPlace()
    {
        Start({});
        CX4AppForm->Action("AudioTree1")->trigger();
        CX4AppForm->Action("ResourceWindow1")->trigger();
        QVERIFY(AudioResWin->isVisible());
        QVERIFY(ResWindow->isVisible());
        QCOMPARE(AudioResWin->windowTitle(), QString("Audio Sources"));
        AudioResWin->setGeometry(320, 150, 234, 500);
        QTest::keyClick(AudioResWin, Qt::Key_Escape);
        QVERIFY(!AudioResWin->isVisible());
        QTest::keyClick(ResWindow, Qt::Key_Escape);
        QVERIFY(!ResWindow->isVisible());
        QVERIFY(CX4AppForm->close());
        DestroyApplicationForms();

        Start({});
        CX4AppForm->Action("AudioTree1")->trigger();
        QCOMPARE(AudioResWin->geometry(), QRect(320, 150, 234, 500));
    }

    void unusablePreferencesLeaveThemUnloaded()
    {
        store->writeString(DefinitionKey, "Preferences", "garbage");
        TCX4AppForm* form = Start({});
        QCOMPARE(form->FPrefsLoaded, std::uint8_t{0});
        QCOMPARE(form->size(), QSize(952, 676));
        QCOMPARE(form->FPrefs.AutoSaveInterval(), 10);
    }

    void gaugesFollowTheSelectedDevice()
    {
        devices = {FakeDevice{"Studio 1", {17, 16, 1, 8, 3, 2, 10, 100}, {}, false}, FakeDevice{"Dummy", {}, {}, true}};
        TCX4AppForm* form = Start({});
        QCOMPARE(form->CGauge1->ForeColor(), clGray);
        QCOMPARE(form->CGauge1->BackColor(), clSilver);
        QVERIFY(!form->Label51->isEnabled());

        form->FCurDevice = 0;
        form->UpdateResourceGauges();
        QCOMPARE(form->CGauge1->ForeColor(), clRed);
        QCOMPARE(form->CGauge1->Progress(), 17);
        QCOMPARE(form->CGauge2->ForeColor(), clRed);
        QCOMPARE(form->CGauge2->Progress(), 10);
        QCOMPARE(form->CGauge3->ForeColor(), clNavy);
        QCOMPARE(form->CGauge3->BackColor(), clWhite);
        QVERIFY(form->Label55->isEnabled());

        form->FCurDevice = 1;
        form->UpdateResourceGauges();
        QCOMPARE(form->CGauge1->ForeColor(), clGray);
        QCOMPARE(form->CGauge1->MaxValue(), 16);
        QVERIFY(!form->Label52->isEnabled());
    }

    void projectFileNamedFirstIsLoadedIntoTheDataModel()
    {
        QTemporaryDir dir;
        const std::string file = dir.filePath("Studio.kvp").toStdString();
        {
            kvr::model::TProject project;
            project.SetName("Studio");
            QCOMPARE(project.AddDevice(), 0);
            QCOMPARE(project.AddDevice(), 1);
            QCOMPARE(project.SaveToDisk(file, true), 1);
        }
        TCX4AppForm* form = CreateApplicationForms();
        form->SetStartWords({file});
        form->show();
        QVERIFY(form->FProject->Model());
        QCOMPARE(form->FProject->DeviceCount(), 2);
        QCOMPARE(form->FProject->Model()->GetName(), std::string("Studio"));
        QCOMPARE(form->windowTitle(), QString::fromStdString("Cordex4 - " + file));
        QCOMPARE(kvr::model::ProgramVersion, kvr::model::DefaultProgramVersion);

        form->FCurDevice = 0;
        form->UpdateResourceGauges(); // an empty frame fits
        QCOMPARE(form->CGauge1->BackColor(), clWhite);
        QVERIFY(form->Label51->isEnabled());
    }

    void traceLinesGoToTheProtocolAtServiceLevelTwo()
    {
        TCX4AppForm* form = Start({"vux"});
        QVERIFY(form->KVRLog.Enabled);
        QVERIFY(form->KVRLog.Destination.Contains(dldFile));
        QVERIFY(!form->KVRLog.Destination.Contains(dldMemo));
        form->KVRLog.FlushLimit = 100;
        kvr::model::TraceCallback("adapted logic source 12");
        QCOMPARE(form->KVRLog.Lines().size(), std::size_t{1});
        QVERIFY(form->KVRLog.Lines().front().ends_with(" adapted logic source 12"));
        form->KVRLog.Enabled = false;
        DestroyApplicationForms();
        QVERIFY(!kvr::model::TraceCallback);

        TCX4AppForm* user = Start({});
        QVERIFY(!user->KVRLog.Enabled);
        QCOMPARE(user->KVRLog.FileName(), std::string("CorDex4-"));
    }

    void closingIsRefusedWhileProcessing()
    {
        TCX4AppForm* form = Start({});
        ProcessForm->show();
        QVERIFY(!form->close());
        QCOMPARE(prompts->records().back().text, QString("Unable to create, open or close a project while processing!"));
        QVERIFY(store->readBinary(DefinitionKey, "Preferences")); // stored all the same
        ProcessForm->ProgressBar->setValue(100);
        QVERIFY(ProcessForm->close());
        QVERIFY(form->close());
    }
};

QTEST_MAIN(MainFormTest)
#include "mainform_qtest.moc"
