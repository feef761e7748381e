// The project root's page and the global logic monitor in the main window, on the data model:
// what a user types and clicks, and what lands in the project. Each tab and the monitor are
// also rendered to PNG in the build folder, to be looked at.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/appforms.h"
#include "app/mainform.h"
#include "app/projectpages/gllamp.h"
#include "app/projectpages/glprotoform.h"
#include "app/projectpages/projectpanel.h"
#include "../studioproject.h"
#include "app/qtmodelhost.h"
#include "editors/sources/reswindow.h"
#include "editors/sources/sourcedrag.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/globalresources.h"
#include "model/modelhost.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

using namespace kvr::app;

class ProjectPanelTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QtModelHost host;
    TCX4AppForm* form = nullptr;
    ProjectPanel* page = nullptr;
    kvr::platform::ScriptedPrompter* prompts = nullptr;

    kvr::model::TProject& Project() { return *form->FProject->Model(); }
    // The tree's change delay has run, however slowly the machine schedules this test.
    void Settle()
    {
        QTest::qWait(60);
        QTRY_VERIFY_WITH_TIMEOUT(!form->TreeChangeDelay->isActive(), 5000);
    }
    void SelectNode(int Index)
    {
        form->ProjectTree->setCurrentItem(form->TreeItem(Index));
        Settle();
    }
    int DeviceNode(int Device) const
    {
        const auto& nodes = form->TreeNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].Level == 1 && nodes[i].Device == Device)
                return static_cast<int>(i);
        return -1;
    }
    void Type(QLineEdit* Edit, const QString& Text)
    {
        Edit->selectAll();
        QTest::keyClick(Edit, Qt::Key_Delete);
        QTest::keyClicks(Edit, Text);
    }
    void Picture(QWidget* Widget, const QString& Name)
    {
        Widget->grab().save(QCoreApplication::applicationDirPath() + "/" + Name + ".png");
    }
    bool Logged(const std::string& Text) const
    {
        for (const std::string& line : form->KVRLog.Lines())
            if (line.find(Text) != std::string::npos)
                return true;
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        kvr::model::TProject fixture;
        kvr::app::test::MakeStudio(fixture, {"North", "South", "East"});
        const std::string file = (dir.path() + "/studio.kvp").toStdString();
        fixture.SaveToDisk(file, true);

        kvr::platform::setSettingsStore(std::make_unique<kvr::platform::MemorySettingsStore>());
        auto script = std::make_unique<kvr::platform::ScriptedPrompter>();
        prompts = script.get();
        kvr::platform::setPrompter(std::move(script));
        kvr::model::SetModelHost(&host);
        form = CreateApplicationForms();
        form->show();
        form->KVRLog.Enabled = true;
        form->KVRLog.LogLevel = 2;
        form->KVRLog.FlushLimit = 100000;
        form->KVRLog.Destination = TKVRLogDestinations::Of({dldMemo});
        QVERIFY(form->FileCommands().OpenRecent(file));
        Settle();
        page = form->PageControl1;
        QVERIFY(page);
    }

    void cleanupTestCase()
    {
        form->KVRLog.Enabled = false;
        DestroyApplicationForms();
        kvr::model::SetModelHost(nullptr);
        kvr::platform::setPrompter(nullptr);
    }

    void rootShowsTheProjectAndItsID()
    {
        SelectNode(0);
        QCOMPARE(form->VisiblePage()->objectName(), QString("ProjectPanel"));
        QVERIFY(page->isVisible());
        QCOMPARE(page->count(), 5);
        QCOMPARE(page->tabText(1), QString("Device links"));
        QCOMPARE(page->Edit2->text(), QString("Studio"));
        QCOMPARE(page->Edit31->text(), QString("ABCD"));
        QVERIFY(page->Edit13->text().isEmpty());
        Picture(page, "project_options");

        Type(page->Edit2, "Studio B");
        QCOMPARE(QString::fromStdString(Project().GetName()), QString("Studio B"));
        QCOMPARE(form->TreeItem(0)->text(0), QString("Studio B"));

        Type(page->Edit31, "XY");
        for (int d = 0; d < Project().DeviceCount(); ++d) {
            const auto h = Project().Device(d)->GetHeader();
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(h.data() + 12), 4), QByteArray("XY\0\0", 4));
        }
        Type(page->Edit31, "ABCD");

        // The device links tab is filled by its own page.
        int linkFills = 0;
        page->LinkSheetShow = [&] { ++linkFills; };
        page->setCurrentWidget(page->LinkSheet);
        QCOMPARE(linkFills, 1);
        page->LinkSheetShow = nullptr;
    }

    void potNamesAreStoredByTypingOnly()
    {
        page->setCurrentWidget(page->TabSheet6);
        QCOMPARE(page->ListBox4->count(), 20);
        QVERIFY(!page->Edit22->isEnabled());
        page->ListBox4->setCurrentRow(3);
        QVERIFY(page->Edit22->isEnabled());
        QCOMPARE(page->Edit22->text(), QString("Global Pot. 4"));
        QVERIFY(Project().GetProjData(kvr::model::pstGlobalPots).empty());
        Type(page->Edit22, "Talkback");
        std::string name;
        QCOMPARE(kvr::model::GetGlobalPotName(Project(), 4, name), 1);
        QCOMPARE(name, std::string("Talkback"));
        QCOMPARE(page->ListBox4->item(3)->text(), QString("Talkback"));
        Picture(page, "global_pots");
    }

    void globalLogicsTabClearsDoubleSendersWhenShown()
    {
        kvr::model::SetGLSource(*Project().Device(0), 4, 1285);
        kvr::model::SetGLSource(*Project().Device(1), 4, 1282);
        page->setCurrentWidget(page->TabSheet12);
        QCOMPARE(page->ListView21->topLevelItemCount(), 200);
        QCOMPARE(page->ListView21->topLevelItem(4)->text(2), QString("North"));
        QCOMPARE(page->ListView21->topLevelItem(4)->text(3), QString("OffAir"));
        QVERIFY(Logged("GL 5 sent by multiple devices, source (Pulse 1) cleared."));
        QVERIFY(!page->Button57->isEnabled());
        QVERIFY(!page->btnGLDecode->isVisible());

        page->ListView21->setCurrentItem(page->ListView21->topLevelItem(4));
        QVERIFY(page->Button57->isEnabled());
        QCOMPARE(page->Panel37->text(), QString("OffAir"));
        QCOMPARE(page->Edit30->text(), QString("GL 5"));
        QVERIFY(Project().GetProjData(kvr::model::pstGlobalLogics).empty()); // selecting wrote nothing
        Type(page->Edit30, "On air lamp");
        QCOMPARE(kvr::model::GetGlobalLogicName(Project(), 4), std::string("On air l"));
        QCOMPARE(page->ListView21->topLevelItem(4)->text(1), QString("On air l"));
        Picture(page, "global_logics");

        // Coming back to the root with this tab open fills it again.
        SelectNode(DeviceNode(1));
        kvr::model::SetGLSource(*Project().Device(2), 4, 2176);
        SelectNode(0);
        QVERIFY(Logged("GL 5 sent by multiple devices, source (FF Fader 1) cleared."));
        QCOMPARE(kvr::model::GetGLSource(*Project().Device(2), 4), std::uint16_t(0));
    }

    void resourceWithTwoSubscribers()
    {
        page->setCurrentWidget(page->TabSheet16);
        QVERIFY(!page->GRText->isEnabled());
        page->Button2->click();
        QCOMPARE(page->GlobalResList->count(), 1);
        QVERIFY(page->GRText->isEnabled());
        QCOMPARE(page->GRText->text(), QString("Global Res. 1"));
        Type(page->GRText, "Morning show");
        QCOMPARE(page->GlobalResList->item(0)->text(), QString("Morning show"));
        for (int i = 0; i < 2; ++i) {
            page->ListBox8->setCurrentRow(0);
            page->Button64->click();
        }
        QCOMPARE(page->ListView11->topLevelItemCount(), 2);
        QCOMPARE(page->ListBox8->count(), 1);
        QCOMPARE(page->GRDefaultBox->count(), 3);
        kvr::model::TGlobalResource r;
        QCOMPARE(kvr::model::GetGlobalResource(Project(), 1, r), 1);
        QCOMPARE(int(r.Count), 2);
        QCOMPARE(kvr::model::LabelText(r.Label), std::string("Morning show"));
        Picture(page, "global_resources");
    }

    void dropOnARowSelectsItAndAssigns()
    {
        // A page of its own whose drags count as the logic-source tree's when they carry "x-logic".
        ProjectPanelHost host;
        host.Project = [this] { return &Project(); };
        host.IsLogicSourceDrag = [](const QMimeData* data) { return data->hasFormat("application/x-logic"); };
        ProjectPanel panel(host);
        int assigned = -1;
        panel.Picker.AssignDropped = [&] {
            assigned = panel.Logics()->Selected();
            panel.AssignGlobalLogicSender(1282, 1, "Pulse 1");
        };
        panel.setCurrentWidget(panel.TabSheet12);
        panel.resize(800, 600);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));

        QWidget* viewport = panel.ListView21->viewport();
        const QPoint row3 = panel.ListView21->visualItemRect(panel.ListView21->topLevelItem(3)).center();
        const auto drop = [&](const char* format, const QPoint& at) {
            QMimeData data;
            data.setData(format, {});
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &enter);
            QDropEvent event(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &event);
            return enter.isAccepted();
        };
        QVERIFY(!drop("text/plain", row3));
        QCOMPARE(assigned, -1);
        QVERIFY(drop("application/x-logic", row3));
        QCOMPARE(assigned, 3);
        QCOMPARE(panel.ListView21->topLevelItem(3)->text(2), QString("South"));
        QCOMPARE(panel.Panel37->text(), QString("Pulse 1"));
        QCOMPARE(kvr::model::GetGLSource(*Project().Device(1), 3), std::uint16_t(1282));
        QCOMPARE(kvr::model::GetGlobalLogicName(Project(), 3), std::string("Pulse 1"));
    }

    // "Select ..." opens the logic-source window on the row's sender; its Assign button and a drag
    // from its tree make the picked node the sender of the selected row.
    void globalLogicSenderIsPickedInTheLogicSourceWindow()
    {
        SelectNode(0);
        page->setCurrentWidget(page->TabSheet12);
        page->ListView21->setCurrentItem(page->ListView21->topLevelItem(6));
        page->Button57->click();
        QVERIFY(ResWindow->isVisible());
        QCOMPARE(ResWindow->TargetKind(), 13);
        QCOMPARE(ResWindow->GroupFilter(), 8);

        // The first source the tree offers of each device.
        const auto firstSource = [](int Device) -> const kvr::editors::SourceNode* {
            for (const kvr::editors::SourceNode& node : ResWindow->Tree().Nodes())
                if (node.Device == Device && node.ID > 0)
                    return &node;
            return nullptr;
        };
        const kvr::editors::SourceNode* south = firstSource(1);
        QVERIFY(south);
        const auto southID = static_cast<std::uint16_t>(south->ID);
        const QString southText = QString::fromStdString(south->Text);
        ResWindow->SelectLogicSourceAt(southID, 1);
        QVERIFY(ResWindow->Button2->isEnabled());
        ResWindow->Button2->click();
        QCOMPARE(kvr::model::GetGLSource(*Project().Device(1), 6), southID);
        QCOMPARE(page->ListView21->topLevelItem(6)->text(2), QString("South"));
        QCOMPARE(page->Panel37->text(), southText.left(8));

        // A drag of the window's tree lands on the row under the drop; an audio drag does not.
        ResWindow->SetTargetKind(0);
        const kvr::editors::SourceNode* north = firstSource(0);
        QVERIFY(north);
        const auto northID = static_cast<std::uint16_t>(north->ID);
        ResWindow->SelectLogicSourceAt(northID, 0);
        QWidget* viewport = page->ListView21->viewport();
        page->ListView21->scrollToItem(page->ListView21->topLevelItem(7));
        const QPoint row7 = page->ListView21->visualItemRect(page->ListView21->topLevelItem(7)).center();
        const auto drop = [&](kvr::editors::SourceDragKind Kind) {
            std::unique_ptr<QMimeData> data(kvr::editors::MakeSourceDrag(Kind));
            QDragEnterEvent enter(row7, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &enter);
            QDropEvent event(QPointF(row7), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &event);
            return enter.isAccepted();
        };
        QVERIFY(!drop(kvr::editors::SourceDragKind::Audio));
        QCOMPARE(kvr::model::GetGLSource(*Project().Device(0), 7), std::uint16_t(0));
        QVERIFY(drop(kvr::editors::SourceDragKind::Logic));
        QCOMPARE(ResWindow->TargetKind(), 13);
        QCOMPARE(kvr::model::GetGLSource(*Project().Device(0), 7), northID);
        QCOMPARE(page->ListView21->topLevelItem(7)->text(2), QString("North"));
        ResWindow->hide();
    }

    void monitorShowsStatesAndSetsThem()
    {
        form->Action("GlobalLogicStates1")->trigger();
        QVERIFY(GLProtoForm->isVisible());
        QVERIFY(GLProtoForm->Lamp(199));
        QCOMPARE(GLProtoForm->Lamp(4)->toolTip(), QString("On air l (GL: 5)"));

        Kvrdata_ns::TUDPMsg m;
        m.Address = 0x0A000002;
        kvr::writeLE32(m.Payload, 0, 0x20081996);
        kvr::writeLE32(m.Payload, 4, static_cast<std::uint32_t>(Project().GetProjectID()));
        m.Payload[8] = 3;
        kvr::writeLE32(m.Payload, 10, 0x11500000);
        kvr::writeBE16(m.Payload, 14, 4);
        m.Payload[16] = 1;
        form->DCCBroadcastReceived(m);
        QCOMPARE(int(GLProtoForm->Lamp(4)->Color()), int(GLLampColor::Red));
        QVERIFY(GLProtoForm->Memo1->toPlainText().endsWith("On air l (GL: 5) = 1 (by IP 10.0.0.2)"));
        m.Address = 0x0A000003;
        form->DCCBroadcastReceived(m);
        QVERIFY(GLProtoForm->Lamp(4)->YellowBorder());

        QTest::mouseClick(GLProtoForm->Lamp(9), Qt::LeftButton);
        QCOMPARE(int(GLProtoForm->Lamp(9)->Color()), int(GLLampColor::Red));
        QTest::mouseClick(GLProtoForm->Lamp(12), Qt::RightButton);
        QCOMPARE(int(GLProtoForm->Lamp(12)->Color()), int(GLLampColor::Black));
        QVERIFY(GLProtoForm->Memo1->toPlainText().endsWith("Set Gobal Logic GL 10 (GL: 10) to 1"));
        Picture(GLProtoForm, "global_logic_monitor");

        GLProtoForm->Reset->click();
        QVERIFY(GLProtoForm->Memo1->toPlainText().isEmpty());
        QCOMPARE(int(GLProtoForm->Lamp(12)->Color()), int(GLLampColor::Black));

        // A new project while the monitor is open: the old one's states no longer count.
        prompts->answer(kvr::platform::Answer::No); // the changed project is not saved
        QVERIFY(form->FileCommands().NewProject());
        QVERIFY(GLProtoForm->isVisible());
        form->DCCBroadcastReceived(m);
        QVERIFY(GLProtoForm->Memo1->toPlainText().isEmpty());
        QTest::mouseClick(GLProtoForm->Lamp(20), Qt::LeftButton);

        QTest::keyClick(GLProtoForm, Qt::Key_Escape);
        QVERIFY(!GLProtoForm->isVisible());
        QVERIFY(!GLProtoForm->Lamp(0));
        form->DCCBroadcastReceived(m); // closed: nothing happens
    }
};

QTEST_MAIN(ProjectPanelTest)
#include "projectpanel_qtest.moc"
