// The maintenance window over a frame on the fake server: the tree as the frame has it, a click
// that connects, the popup's states, the message lines and Escape. Renders the window to
// mtnform.png in the build tree, to be looked at.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>

#include "commserver/fakecommserver.h"
#include "service/qtest/fakeserverhost.h"
#include "platform/settingsstore.h"
#include "service/maintenance/mtnform.h"
#include "service/statusmsg.h"

using namespace kvr::service;


class MtnFormTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheDevicesAndConnectsOnAClick()
    {
        auto server = std::make_shared<kvr::commserver::FakeCommServer>();
        servicetest::Status a;
        a.Modules = {{1001, 2, 0}, {1002, 3, 1}, {1003, 31, 0}};
        servicetest::Status b;
        b.Serial = 3;
        b.Name = "STUDIO B";
        b.Pid = "KVR1";
        b.Modules = {{7, 4, 0}};
        server->setBroadcasts(servicetest::Collection({servicetest::StatusMsg(a), servicetest::StatusMsg(b)}));

        auto clock = std::make_shared<std::uint64_t>(1000);
        const kvr::client::TClientServices cs = servicetest::FakeClientServices(server, clock);

        kvr::platform::MemorySettingsStore store;
        TMaintenanceServices services;
        services.LogStamp = [] { return std::string("2026-01-02 03:04:05.678"); };
        services.DateTimeText = [] { return std::string("02.01.2026 03:04"); };
        services.Settings = &store;

        TMtnForm form;
        form.SetCommunicationClient(std::make_unique<TKVRCommunicationClient>(nullptr, cs), services);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QString("KVR Maintenance Window"));
        QCOMPARE(form.ModuleVST->topLevelItemCount(), 2);
        QCOMPARE(form.ModuleVST->topLevelItem(0)->text(0), QString("ABCD - EMU1 - 001234"));
        QCOMPARE(form.ModuleVST->topLevelItem(1)->text(0), QString("COM3: KVR1 - STUDIO B"));
        QTreeWidgetItem* device = form.ModuleVST->topLevelItem(0);
        QCOMPARE(device->childCount(), 3);
        QCOMPARE(device->child(0)->text(0), QString("KX730-010  #C2  PN: 1002"));
        QVERIFY(!form.Action("ResetDeviceActn")->isEnabled());
        form.ModuleVST->setFocus();
        QApplication::processEvents();
        QVERIFY2(!form.Frame()->Focused(), "taking the keyboard focus makes no node current");

        device->setExpanded(true);
        QTreeWidgetItem* module = device->child(1);
        const QRect r = form.ModuleVST->visualItemRect(module);
        QTest::mouseClick(form.ModuleVST->viewport(), Qt::LeftButton, {}, r.center());
        QTRY_VERIFY(form.Frame()->Connected());
        QCOMPARE(form.Frame()->Focused(), form.Frame()->Tree().Roots()[0]->Children[0].get());
        QTRY_COMPARE(form.StatusPanels[spConnection]->text(), QString("Connected"));
        QVERIFY(form.Action("ResetDeviceActn")->isEnabled());
        QVERIFY(form.Action("ResetDeviceActn")->isVisible());

        // Protocol on, a testmode block: its line arrives with the next batch.
        form.Action("ShowProtocolMM")->trigger();
        QVERIFY(form.Frame()->Log().Protocol);
        QAction* on = form.Action("LampTestOn");
        QVERIFY(on);
        on->trigger();
        QTRY_VERIFY(form.MaintenanceMemo->toPlainText().contains("0x01F203E9   1 01"));
        QVERIFY2(form.MaintenanceMemo->toPlainText().endsWith("{.}"), qPrintable(form.MaintenanceMemo->toPlainText()));
        QVERIFY(form.Frame()->Focused()->Rec.TestMode == 1);

        form.ModuleVST->setCurrentItem(device);
        QTRY_COMPARE(form.StatusPanels[spNode]->text(), QString("ABCD - EMU1 - 001234"));
        const auto popupInfo = form.findChild<QAction*>("InformationPopUp");
        QVERIFY(popupInfo);
        QTRY_VERIFY(!popupInfo->isEnabled());

        form.ModuleVST->setCurrentItem(module);
        QApplication::processEvents();
        const QImage shot = form.grab().toImage();
        QVERIFY(shot.save(QDir::current().filePath("mtnform.png")));

        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }

    // After the restart that ends a firmware update the status bar says the connection is gone,
    // and a click on the node that still has the focus connects again.
    void aClickOnTheFocusedNodeConnectsAgain()
    {
        auto server = std::make_shared<kvr::commserver::FakeCommServer>();
        servicetest::Status a;
        a.Modules = {{1001, 2, 0}};
        server->setBroadcasts(servicetest::Collection({servicetest::StatusMsg(a)}));
        auto clock = std::make_shared<std::uint64_t>(1000);
        const kvr::client::TClientServices cs = servicetest::FakeClientServices(server, clock);
        kvr::platform::MemorySettingsStore store;
        TMaintenanceServices services;
        services.Settings = &store;
        TMtnForm form;
        form.SetCommunicationClient(std::make_unique<TKVRCommunicationClient>(nullptr, cs), services);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTreeWidgetItem* device = form.ModuleVST->topLevelItem(0);
        QVERIFY(device);
        const auto click = [&form, device] {
            QTest::mouseClick(form.ModuleVST->viewport(), Qt::LeftButton, {}, form.ModuleVST->visualItemRect(device).center());
        };
        const auto opens = [&server] {
            const auto calls = server->calls();
            return std::count_if(calls.begin(), calls.end(),
                                 [](const auto& c) { return c.method == kvr::commserver::RpcMethod::OpenConnection; });
        };
        click();
        QTRY_VERIFY(form.Frame()->Connected());
        QCOMPARE(opens(), 1);
        form.Frame()->SetProgressText("collecting module information finished");
        form.Frame()->CloseAfterRestart();
        QTRY_COMPARE(form.StatusPanels[spConnection]->text(), QString("Not Connected"));
        QCOMPARE(form.StatusPanels[spProgress]->text(), QString());
        QCOMPARE(form.Frame()->Focused(), form.Frame()->Tree().Roots()[0].get());

        click();
        QTRY_VERIFY(form.Frame()->Connected());
        QCOMPARE(opens(), 2);
        QTRY_COMPARE(form.StatusPanels[spConnection]->text(), QString("Connected"));
        // While connected, a click on the focused node changes nothing.
        click();
        QApplication::processEvents();
        QCOMPARE(opens(), 2);
    }
};

QTEST_MAIN(MtnFormTest)
#include "mtnform_qtest.moc"
