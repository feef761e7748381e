// The main window's project tree and file commands on the data model, with scripted answers in a
// temporary folder.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>

#include "app/appforms.h"
#include "app/importwin.h"
#include "app/mainform.h"
#include "app/qtmodelhost.h"
#include "model/device.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

using namespace kvr::app;
using kvr::platform::Answer;

class ProjectFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    kvr::platform::ScriptedPrompter* prompts = nullptr;
    kvr::platform::MemorySettingsStore* store = nullptr;
    QtModelHost host;
    TCX4AppForm* form = nullptr;

    std::string P(const char* name) const { return (dir.path() + '/' + name).toStdString(); }
    void File(const std::string& path) { prompts->file(QString::fromStdString(path)); }
    void Trigger(const char* name) { form->Action(name)->trigger(); }
    // The change delay has run, however slowly the machine schedules this test.
    void Settle()
    {
        QTest::qWait(60);
        QTRY_VERIFY_WITH_TIMEOUT(!form->TreeChangeDelay->isActive(), 5000);
    }
    QStringList TreeTexts() const
    {
        QStringList texts;
        for (int i = 0; form->TreeItem(i); ++i)
            texts << form->TreeItem(i)->text(0);
        return texts;
    }
    int IndexOf(int device, const QString& text) const
    {
        const auto& nodes = form->TreeNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].Device == device && QString::fromStdString(nodes[i].Text) == text)
                return static_cast<int>(i);
        return -1;
    }
    void Select(int index)
    {
        form->ProjectTree->setCurrentItem(form->TreeItem(index));
        Settle();
    }
    QStringList RecentCaptions() const
    {
        QStringList captions;
        for (QAction* action : form->RecentMenu->actions())
            captions << action->data().toString();
        return captions;
    }
    // Four devices; the last has DSP cards in slots 10 and 20.
    std::string Fixture()
    {
        kvr::model::TProject project;
        project.SetName("Fixture");
        for (const char* name : {"North", "South", "East", "West"})
            project.Device(project.AddDevice())->SetName(name);
        const std::uint8_t dsp[] = {0x03, 0x50, 0, 0, 2, 2, 0, 0};
        project.Device(3)->SetSetupData(9, dsp);
        project.Device(3)->SetSetupData(19, dsp);
        const std::string path = P("fixture.kvp");
        project.SaveToDisk(path, true);
        return path;
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        auto settings = std::make_unique<kvr::platform::MemorySettingsStore>();
        store = settings.get();
        kvr::platform::setSettingsStore(std::move(settings));
        auto script = std::make_unique<kvr::platform::ScriptedPrompter>();
        prompts = script.get();
        kvr::platform::setPrompter(std::move(script));
        kvr::model::SetModelHost(&host);
        form = CreateApplicationForms();
        form->show();
        form->KVRLog.Enabled = true;
        form->KVRLog.LogLevel = 2;
        form->KVRLog.FlushLimit = 1000;
        form->KVRLog.Destination = TKVRLogDestinations::Of({dldMemo});
    }
    void cleanup()
    {
        form->KVRLog.Enabled = false;
        DestroyApplicationForms();
        kvr::model::SetModelHost(nullptr);
        kvr::platform::setPrompter(nullptr);
    }

    void newAddSaveAndSaveAgain()
    {
        Trigger("New2");
        Settle();
        QCOMPARE(form->VisiblePage()->objectName(), QString("ProjectPanel"));
        QVERIFY(!form->Button51->isEnabled());
        form->Button50->click();
        QCOMPARE(form->FProject->DeviceCount(), 1);
        QVERIFY(form->Button51->isEnabled());
        QCOMPARE(form->StatusPanels[2]->text(), QString("File modified"));

        File(P("studio.kvp"));
        Trigger("Save1");
        QVERIFY(std::filesystem::exists(P("studio.kvp")));
        QCOMPARE(form->windowTitle(), QString::fromStdString("Cordex4 - " + P("studio.kvp")));
        QCOMPARE(form->StatusPanels[2]->text(), QString("File saved"));
        QCOMPARE(RecentCaptions(), QStringList{QString::fromStdString(P("studio.kvp"))});
        QVERIFY(form->KVRLog.Lines().empty());

        form->Button50->click();
        Trigger("Save1");
        QCOMPARE(form->KVRLog.Lines().size(), std::size_t{1});
        QVERIFY(form->KVRLog.Lines().back().ends_with("Renaming:" + P("studio.kvp") + " to " + P("studio.kv1")));
        Trigger("Save1");
        QCOMPARE(form->KVRLog.Lines().size(), std::size_t{3});
        QVERIFY(form->KVRLog.Lines()[1].ends_with("Renaming:" + P("studio.kv1") + " to " + P("studio.kv2")));
        QVERIFY(form->KVRLog.Lines()[2].ends_with("Renaming:" + P("studio.kvp") + " to " + P("studio.kv1")));
        QVERIFY(std::filesystem::exists(P("studio.kv2")));
        QVERIFY(prompts->scriptUsedUp());
        QCOMPARE(prompts->unexpected, 0);
    }

    void openBuildsTheTreeAndSelectingAPageSetsTheDevice()
    {
        const std::string fixture = Fixture();
        File(fixture);
        Trigger("New1");
        Settle();
        QCOMPARE(form->FProjectFileName, fixture);
        QCOMPARE(RecentCaptions(), QStringList{QString::fromStdString(fixture)});
        const QStringList texts = TreeTexts();
        QCOMPARE(texts.size(), 1 + 3 * 16 + 18);
        QCOMPARE(texts[0], QString("Fixture"));
        QCOMPARE(form->FTreeRoot->childCount(), 4);
        QCOMPARE(form->FTreeRoot->child(3)->text(0), QString("West"));
        QStringList west;
        for (int i = 0; i < form->FTreeRoot->child(3)->childCount(); ++i)
            west << form->FTreeRoot->child(3)->child(i)->text(0);
        QCOMPARE(west, QStringList({"DSP Frame I/O", "Console", "Audio System", "Logic System"}));
        QCOMPARE(form->FTreeRoot->child(3)->child(0)->childCount(), 2);
        QCOMPARE(form->FTreeRoot->child(3)->child(0)->child(1)->text(0), QString("Slot 20: DSP"));
        QCOMPARE(form->FTreeRoot->child(3)->child(2)->childCount(), 6);
        QCOMPARE(form->FTreeRoot->child(3)->child(3)->childCount(), 5);
        QCOMPARE(form->FCurDevice, -1);
        QVERIFY(!form->Action("ExtractMPJ1")->isEnabled());

        Select(IndexOf(3, "Output Routing"));
        QCOMPARE(form->FCurDevice, 3);
        QCOMPARE(form->VisiblePage()->objectName(), QString("OutputRoutePanel"));
        QVERIFY(form->Action("ExtractMPJ1")->isEnabled());
        QCOMPARE(form->FDevHeader[16], std::uint8_t('W'));

        Select(IndexOf(3, "Slot 20: DSP"));
        QCOMPARE(form->FCurSlot, 19);
        QCOMPARE(form->VisiblePage()->objectName(), QString("SlotPanel"));

        // Only the last of two quick changes is handled.
        form->ProjectTree->setCurrentItem(form->TreeItem(IndexOf(1, "Console")));
        form->ProjectTree->setCurrentItem(form->TreeItem(IndexOf(2, "Scripts")));
        QCOMPARE(form->FCurDevice, 3);
        Settle();
        QCOMPARE(form->FCurDevice, 2);
        QCOMPARE(form->VisiblePage()->objectName(), QString("LogicPanel"));
    }

    void aRebuildKeepsTheSelectionByItsPosition()
    {
        File(Fixture());
        Trigger("New1");
        Settle();
        const int twelfth = 12;
        Select(twelfth);
        const QString before = form->TreeItem(twelfth)->text(0);
        form->FProject->AddDevice();
        form->BuildProjectTree();
        QCOMPARE(form->ProjectTree->currentItem(), form->TreeItem(twelfth));
        QCOMPARE(form->TreeItem(twelfth)->text(0), before);

        // After a device before it is gone, the node at the old position is another one.
        const int south = IndexOf(1, "South");
        Select(south);
        form->FProject->DeleteDevice(0);
        form->BuildProjectTree();
        QCOMPARE(form->ProjectTree->currentItem(), form->TreeItem(south));
        QCOMPARE(form->TreeItem(south)->text(0), QString("East"));
        Settle();
        QCOMPARE(form->FCurDevice, 1);

        // Remove Device clears the selection.
        prompts->answer(Answer::Ok);
        form->Button51->click();
        Settle();
        QCOMPARE(form->FProject->DeviceCount(), 3);
        QCOMPARE(form->ProjectTree->currentItem(), nullptr);
        QCOMPARE(form->FCurDevice, -1);
        QVERIFY(!form->Button51->isEnabled());
    }

    // A rebuild that leaves no node selected leaves no page shown either: the page of a removed
    // device, or of a node whose position the new tree no longer has, must not stay editable.
    void aRebuildThatSelectsNoNodeShowsNoPage_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("page");
        QTest::newRow("device removed") << "remove" << "Audio System" << "AudioPanel";
        QTest::newRow("position gone") << "slots gone" << "GPO Routing" << "LogicPanel";
    }
    void aRebuildThatSelectsNoNodeShowsNoPage()
    {
        QFETCH(QString, how);
        QFETCH(QString, node);
        QFETCH(QString, page);
        File(Fixture());
        Trigger("New1");
        Settle();
        Select(IndexOf(3, node));
        QCOMPARE(form->VisiblePage()->objectName(), page);
        if (how == "remove") {
            prompts->answer(Answer::Ok);
            form->Button51->click();
        } else {
            // West loses its DSP slot nodes, as after a change of its cards, so the tree is two
            // nodes shorter than the position of its last node.
            kvr::model::TDevice& west = *form->FProject->Model()->Device(3);
            west.SetSetupData(9, {});
            west.SetSetupData(19, {});
            form->BuildProjectTree();
        }
        Settle();
        QCOMPARE(form->ProjectTree->currentItem(), nullptr);
        QCOMPARE(form->FCurDevice, -1);
        QCOMPARE(form->VisiblePage(), nullptr);
        QCOMPARE(prompts->unexpected, 0);
    }

    void contextMenusFollowTheNodeUnderTheMouse()
    {
        File(Fixture());
        Trigger("New1");
        Settle();
        const QRect root = form->ProjectTree->visualItemRect(form->FTreeRoot);
        QCOMPARE(form->ProjectTreeContextPopup(root.center()), form->PopupMenu1);
        form->PopupMenu1->hide();
        const QRect device = form->ProjectTree->visualItemRect(form->FTreeRoot->child(1));
        QCOMPARE(form->ProjectTreeContextPopup(device.center()), form->PopupMenu3);
        form->PopupMenu3->hide();
        Settle();
        QCOMPARE(form->FCurDevice, 1);
        QCOMPARE(form->ProjectTreeContextPopup(QPoint(5, form->ProjectTree->viewport()->height() - 2)), nullptr);
        QCOMPARE(form->ProjectTree->currentItem(), form->FTreeRoot->child(1));
    }

    void closeWithCancelKeepsProjectAndTimers()
    {
        Trigger("New2");
        form->Button50->click();
        ProjectAccess* open = form->FProject.get();
        QVERIFY(form->OnlineTimer->isActive());
        prompts->answer(Answer::Cancel);
        QVERIFY(!form->close());
        QCOMPARE(form->FProject.get(), open);
        QVERIFY(form->OnlineTimer->isActive());
        QVERIFY(form->Timer2->isActive() || !form->findChild<QWidget*>("GroupBox22"));
        QCOMPARE(prompts->records().back().text, QString("Save changes to disk?"));
    }

    void extractAndReplaceRoundTripADevice()
    {
        File(Fixture());
        Trigger("New1");
        Settle();
        Select(IndexOf(3, "West"));
        File(P("west.kvf"));
        Trigger("ExtractMPJ1");
        QVERIFY(std::filesystem::exists(P("west.kvf")));

        Select(IndexOf(0, "North"));
        prompts->answer(Answer::Yes);
        File(P("west.kvf"));
        Trigger("LoadexistingDevice1");
        Settle();
        QCOMPARE(form->FProject->DeviceName(0), std::string("West"));
        QCOMPARE(form->FTreeRoot->child(0)->text(0), QString("West"));
        QCOMPARE(form->FTreeRoot->child(0)->child(0)->childCount(), 2); // its DSP slots came along
        QVERIFY(form->FProject->IsChanged());
        QCOMPARE(prompts->unexpected, 0);
    }

    void aDamagedProjectFileLeavesTheOpenProjectUntouched()
    {
        const std::string fixture = Fixture();
        File(fixture);
        Trigger("New1");
        Settle();
        form->Button50->click();
        ProjectAccess* open = form->FProject.get();
        const QStringList tree = TreeTexts();
        std::ofstream(P("damaged.kvp"), std::ios::binary) << "not a project at all";

        File(P("damaged.kvp"));
        prompts->answer(Answer::Ok);
        Trigger("New1");
        Settle();
        QCOMPARE(form->FProject.get(), open);
        QCOMPARE(form->FProject->DeviceCount(), 5);
        QCOMPARE(form->FProjectFileName, fixture);
        QCOMPARE(TreeTexts(), tree);
        QCOMPARE(RecentCaptions(), QStringList{QString::fromStdString(fixture)});
        QCOMPARE(prompts->records().back().caption, QString("Error"));
    }

    void aDamagedProjectNamedAtStartIsNotTaken()
    {
        std::ofstream(P("damaged.kvp"), std::ios::binary) << "not a project at all";
        DestroyApplicationForms();
        form = CreateApplicationForms();
        form->SetStartWords({P("damaged.kvp")});
        prompts->answer(Answer::Ok);
        form->show();
        QCOMPARE(prompts->records().back().caption, QString("Error"));
        QVERIFY(form->FProject);
        QVERIFY(form->FProjectFileName.empty());
        QVERIFY(RecentCaptions().isEmpty());
        QCOMPARE(form->windowTitle(), QString("Cordex4 - "));
    }

    void importWindowNeedsADeviceAndListsTheFilesSlots()
    {
        Trigger("New2");
        Settle();
        Trigger("ImportSlotConfig1");
        QCOMPARE(prompts->records().back().text, QString("Please select a device first!"));

        form->Button50->click();
        Select(IndexOf(0, "Device 1"));
        kvr::model::TDevice& device = *form->FProject->Model()->Device(0);
        const std::uint8_t dsp[] = {0x03, 0x50, 0, 0, 7, 2, 0, 0};
        device.SetSetupData(19, dsp);
        File(P("device.kvf"));
        Trigger("ExtractMPJ1");
        device.SetSetupData(19, {});

        ImportWin->FProject = form->FProject.get();
        ImportWin->FDeviceIndex = 0;
        File(P("device.kvf"));
        ImportWin->FormShow();
        QCOMPARE(ImportWin->CheckListBox1->count(), 30);
        QCOMPARE(ImportWin->CheckListBox1->item(19)->text(), QString("Slot 19 8Bytes, Type 848-7, DSP"));
        ImportWin->CheckListBox1->item(19)->setCheckState(Qt::Checked);
        prompts->answer(Answer::Cancel);
        ImportWin->BitBtn1Click();
        QVERIFY(device.GetSetupData(19).empty());
        prompts->answer(Answer::Ok);
        ImportWin->BitBtn1Click();
        QCOMPARE(prompts->records().back().caption, QString("Warnung"));
        QCOMPARE(device.GetSetupData(19).size(), std::size_t{8});
        QCOMPARE(ImportWin->CheckListBox1->item(19)->checkState(), Qt::Unchecked);

        prompts->file(std::nullopt);
        ImportWin->FormShow();
        QCOMPARE(ImportWin->CheckListBox1->count(), 0);

        ImportWin->FDeviceIndex = -1;
        ImportWin->BitBtn1Click();
        QCOMPARE(prompts->records().back().text, QString("Please select a device first!"));
    }
};

QTEST_MAIN(ProjectFilesTest)
#include "projectfiles_qtest.moc"
