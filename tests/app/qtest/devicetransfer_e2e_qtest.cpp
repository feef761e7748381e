// The main window against the real communication server and the device emulator on loopback:
// the connection dialog's device list, Load to Device and Load from Device, the identity
// question, a link cut in the middle of a read, the online state from broadcasts and the autosave.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include "support/loopbackprograms.h"
#include "app/appforms.h"
#include "app/cfglockform.h"
#include "app/connectdialog.h"
#include "app/mainform.h"
#include "app/processform.h"
#include "app/qtmodelhost.h"
#include "client/configtransfer.h"
#include "client/kvrcommunicationclient.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/settingsstore.h"

using namespace kvr::app;
using kvr::platform::Answer;

namespace {

std::unique_ptr<TKVRCommunicationClient> NewClient()
{
    return std::make_unique<TKVRCommunicationClient>(nullptr, kvr::client::SystemServices());
}

} // namespace

class DeviceTransferE2E : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    int port = 0;
    LoopbackPrograms programs;
    kvr::platform::ScriptedPrompter* prompts = nullptr;
    QtModelHost host;
    TCX4AppForm* form = nullptr;
    std::uint32_t did0 = 0;
    std::uint32_t did1 = 0;

    std::string P(const char* name) const { return (dir.path() + '/' + name).toStdString(); }
    kvr::model::TProject& Project() { return *form->FProject->Model(); }
    kvr::model::TDevice& Device(int i) { return *Project().Device(i); }

    // Answers the next connection dialog with "Fixed IP:" and the address, or cancels it.
    void AnswerDialog(const QString& ip)
    {
        auto* timer = new QTimer(this);
        timer->setInterval(20);
        connect(timer, &QTimer::timeout, this, [timer, ip] {
            auto* dialog = qobject_cast<TKVRConnectionDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer->stop();
            timer->deleteLater();
            if (ip.isEmpty()) {
                dialog->CancelBtn->click();
                return;
            }
            dialog->FixedIPRadio->click();
            dialog->IPEdit->setText(ip);
            emit dialog->IPEdit->textEdited(ip);
            dialog->OkBtn->click();
        });
        timer->start();
    }

    // The device image as the emulated device at Ip holds it; empty when it cannot be read.
    std::vector<std::uint8_t> EmulatorImage(const char* ip)
    {
        auto client = NewClient();
        client->TicksSend = 0;
        client->SetHostname(ip);
        client->TCPPort = port;
        if (!client->OpenTCPConnection())
            return {};
        std::vector<std::uint8_t> image(64000);
        const int n = kvr::client::ConfigTransfer(*client).LoadFromTarget(image.data());
        client->CloseConnection();
        image.resize(static_cast<std::size_t>(std::max(n, 0)));
        return image;
    }

    // Selects the device's node as a user does; the page switch then makes it current.
    void SelectDevice(int device)
    {
        const auto& nodes = form->TreeNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].Level == 1 && nodes[i].Device == device)
                form->ProjectTree->setCurrentItem(form->TreeItem(static_cast<int>(i)));
        // The page switch follows a tree change after a short delay; a loaded machine is slower.
        QTRY_COMPARE_WITH_TIMEOUT(form->FCurDevice, device, 5000);
    }

    // Runs the main window's broadcast reads until the device is online; its node text then.
    QString OnlineNodeText(int device)
    {
        const bool online = RunUntil([&] {
            form->ReadUDPTimer();
            return Device(device).FOnline != 0;
        });
        return online ? DeviceNodeText(device) : QString();
    }

    // Runs the broadcast reads until the node shows the wanted text or the wait ends; the text
    // then. A broadcast sent before the device took a new image still carries its old stamp, and
    // on a loaded machine the next one may be a while coming.
    QString OnlineNodeTextBecomes(int device, const QString& wanted)
    {
        RunUntil([&] {
            form->ReadUDPTimer();
            return Device(device).FOnline != 0 && DeviceNodeText(device) == wanted;
        });
        return OnlineNodeText(device);
    }

    QString DeviceNodeText(int device)
    {
        auto* item = static_cast<QTreeWidgetItem*>(Device(device).FTreeNode);
        return item ? item->text(0) : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        const QString folder = dir.path() + "/run";
        qputenv("KVR_RUREZ_DIR", folder.toLocal8Bit());
        port = FreeDevicePort();
        QVERIFY(port != 0);
        // The server's shipped defaults but for its ports, which the test must not share.
        const std::string error = programs.startServerIn(KVR_RUREZ_PATH, folder, {"--device-port", QString::number(port)});
        QVERIFY2(error.empty(), error.c_str());

        // The fixture project: two devices of project "ABCD".
        kvr::model::TProject fixture;
        fixture.SetName("Studio");
        auto header = fixture.GetHeader();
        kvr::writeBE32(header, 88, 0x41424344);
        fixture.SetHeader(header);
        fixture.Device(fixture.AddDevice())->SetName("North");
        fixture.Device(fixture.AddDevice())->SetName("South");
        // Saved long ago: a stamp of the moment the test opens the file would differ.
        for (int i = 0; i < 2; ++i) {
            auto h = fixture.Device(i)->GetHeader();
            kvr::writeBE32(h, 62, 1600000000u + static_cast<unsigned>(i));
            fixture.Device(i)->SetHeader(h, false);
        }
        fixture.SaveToDisk(P("studio.kvp"), true);
        // South's device runs the configuration the file holds, as saved by an earlier program
        // version: the load repairs still have to add to it.
        QCOMPARE(fixture.Device(1)->Save(P("south.kvf")), 1);

        auto settings = std::make_unique<kvr::platform::MemorySettingsStore>();
        kvr::platform::setSettingsStore(std::move(settings));
        auto script = std::make_unique<kvr::platform::ScriptedPrompter>();
        prompts = script.get();
        kvr::platform::setPrompter(std::move(script));
        kvr::model::SetModelHost(&host);
        form = CreateApplicationForms();
        form->show();
        // Ticks are driven by the test.
        form->OnlineTimer->stop();
        form->ReadUDP->stop();
        QVERIFY(form->FileCommands().OpenRecent(P("studio.kvp")));
        form->OnlineTimer->stop();
        did0 = Device(0).GetDeviceID();
        did1 = Device(1).GetDeviceID();
        form->SetCommunicationClient(NewClient());
        QCOMPARE(int(form->DCC()->GetStatus()), int(dcsNotConnected));

        // 127.0.0.2 is device "North", 127.0.0.3 is "South" running the file's configuration and
        // drops its link after 20 blocks.
        const std::string started = programs.startEmulator(
            KVR_DEVEMU_PATH,
            {QString("ip=127.0.0.2,port=%1,serial=0x1234,name=EMU1,pid=ABCD,did=%2,stamp=1").arg(port).arg(did0),
             QString("ip=127.0.0.3,port=%1,serial=0x5678,name=EMU2,pid=ABCD,did=%2,cut-after=20,image=%3")
                 .arg(port)
                 .arg(did1)
                 .arg(QString::fromStdString(P("south.kvf")))},
            200);
        QVERIFY2(started.empty(), started.c_str());
    }

    void cleanupTestCase()
    {
        DestroyApplicationForms();
        kvr::model::SetModelHost(nullptr);
        kvr::platform::setPrompter(nullptr);
        programs.stop();
        qunsetenv("KVR_RUREZ_DIR");
    }

    void init() { QCOMPARE(prompts->unexpected, 0); }
    void cleanup() { QVERIFY(prompts->scriptUsedUp()); }

    void dialogListsTheEmulatedDevices()
    {
        // The emulator's status records of the newer generation carry its identity.
        auto client = NewClient();
        client->DeviceGeneration = dgKX7500;
        ConnectionList list(dgKX7500);
        TKVRConnectionDlg dialog(*client, list);
        QVERIFY(RunUntil([&] {
            dialog.RefreshDeviceList();
            return dialog.DeviceList->topLevelItemCount() == 2;
        }));
        QStringList rows;
        for (int i = 0; i < 2; ++i) {
            QStringList texts;
            for (int c = 0; c < dialog.DeviceList->columnCount(); ++c)
                texts << dialog.DeviceList->topLevelItem(i)->text(c);
            rows << texts.join('|');
        }
        rows.sort();
        QCOMPARE(rows, QStringList({QString("ABCD|%1|DSP-EMU|EMU1|127.0.0.2|001234").arg(did0),
                                    QString("ABCD|%1|DSP-EMU|EMU2|127.0.0.3|005678").arg(did1)}));
    }

    void olderListShowsFramesWithModuleEntries()
    {
        // A status broadcast with one module entry, as a frame with modules sends it.
        QByteArray datagram(36, '\0');
        const auto put32 = [&](int at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                datagram[at + i] = static_cast<char>(v >> (24 - 8 * i));
        };
        put32(0, 0x06061999);
        put32(4, 0xABCDEF);
        put32(8, 7);
        put32(12, 0x41424344);
        put32(16, 5);
        datagram.replace(20, 6, "FRAME7");
        datagram[31] = 1; // entry count
        QUdpSocket socket;
        auto client = NewClient();
        ConnectionList list(dgKX7300);
        TKVRConnectionDlg dialog(*client, list);
        int row = -1;
        QVERIFY(RunUntil([&] {
            socket.writeDatagram(datagram, QHostAddress("127.0.0.1"), programs.udp.toUShort());
            dialog.RefreshDeviceList();
            for (int i = 0; i < dialog.DeviceList->topLevelItemCount(); ++i)
                if (dialog.DeviceList->topLevelItem(i)->text(1) == "00000007")
                    row = i;
            return row >= 0;
        }));
        // The two emulated frames report their controller as a module entry and are listed too.
        QCOMPARE(dialog.DeviceList->topLevelItemCount(), 3);
        QTreeWidgetItem* item = dialog.DeviceList->topLevelItem(row);
        QStringList texts;
        for (int c = 0; c < dialog.DeviceList->columnCount(); ++c)
            texts << item->text(c);
        QCOMPARE(texts, QStringList({"ABCD", "00000007", "FRAME7", "127.0.0.1", "ABCDEF"}));
        // A double click closes the dialog with OK and gives that device.
        emit dialog.DeviceList->itemDoubleClicked(item, 0);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        TDeviceAddr addr;
        QVERIFY(list.GetAddress(addr));
        QCOMPARE(int(addr.CK), int(Kvrdata_ns::dckBroadcast));
        QCOMPARE(addr.DID, 7u);
        QCOMPARE(addr.PID, 0x41424344u);
        QCOMPARE(addr.IP, 0x7F000001u);
        QCOMPARE(addr.MAC & 0xFFFFFF, 0xABCDEFu);
    }

    void loadToDeviceSendsTheImage()
    {
        SelectDevice(0);
        AnswerDialog("127.0.0.2");
        form->Action("LoadtoDevice1")->trigger();
        QVERIFY(prompts->records().empty());
        const std::vector<std::uint8_t> sent = Device(0).GetAllData();
        std::vector<std::uint8_t> held = EmulatorImage("127.0.0.2");
        QCOMPARE(held.size(), sent.size());
        // Byte 76 copies the changed flag whenever the window asks for it (the caption did, after
        // the transfer); the image went out before.
        QCOMPARE(held[76], std::uint8_t(0));
        held[76] = sent[76];
        for (std::size_t i = 0; i < sent.size(); ++i)
            if (held[i] != sent[i])
                QFAIL(qPrintable(QString("byte %1: %2 on the device, %3 sent").arg(i).arg(held[i]).arg(sent[i])));
        QCOMPARE(int(form->DCC()->GetStatus()), int(dcsNotConnected));
    }

    // The walk-through of the README: a configuration loaded to the device, the project saved and
    // opened again; the device runs what the project holds, so it is not shown modified.
    void reopenedProjectIsNotModifiedAgainstItsDevice()
    {
        form->Action("Save1")->trigger();
        QVERIFY(prompts->records().empty());
        QVERIFY(form->FileCommands().OpenRecent(P("studio.kvp")));
        form->OnlineTimer->stop();
        QCOMPARE(OnlineNodeTextBecomes(0, "North, Online"), QString("North, Online"));
        QCOMPARE(OnlineNodeTextBecomes(1, "South, Online"), QString("South, Online"));
        // Opened once more: still the same.
        QVERIFY(form->FileCommands().OpenRecent(P("studio.kvp")));
        form->OnlineTimer->stop();
        QCOMPARE(OnlineNodeTextBecomes(0, "North, Online"), QString("North, Online"));
        QCOMPARE(OnlineNodeTextBecomes(1, "South, Online"), QString("South, Online"));
    }

    // A device over its limits: Load to Device shows the check list with the device's violations.
    void overLimitLoadToDeviceListsTheViolations()
    {
        SelectDevice(1);
        Device(1).FLimitExceeded = 1; // too many summing buses
        int rows = -1;
        auto* timer = new QTimer(this);
        timer->setInterval(20);
        connect(timer, &QTimer::timeout, this, [timer, &rows] {
            auto* list = qobject_cast<TCFGLockForm*>(QApplication::activeModalWidget());
            if (!list)
                return;
            timer->stop();
            timer->deleteLater();
            rows = list->List->topLevelItemCount();
            list->Button1->click();
        });
        timer->start();
        form->Action("LoadtoDevice1")->trigger();
        Device(1).FLimitExceeded = 0;
        QCOMPARE(rows, 1);
    }

    // A row chosen with the keyboard stays chosen across the refreshes; OK only with a choice.
    void keyboardChoiceSurvivesTheRefresh()
    {
        auto client = NewClient();
        ConnectionList list(dgKX7300);
        TKVRConnectionDlg dialog(*client, list);
        dialog.show();
        const auto emuRow = [&] {
            for (int i = 0; i < dialog.DeviceList->topLevelItemCount(); ++i)
                if (dialog.DeviceList->topLevelItem(i)->text(2) == "EMU1")
                    return i;
            return -1;
        };
        QVERIFY(RunUntil([&] {
            dialog.RefreshDeviceList();
            return emuRow() >= 0;
        }));
        QVERIFY(!dialog.OkBtn->isEnabled());
        dialog.DeviceList->setFocus();
        QTest::keyClick(dialog.DeviceList, Qt::Key_Home);
        for (int i = 0; i < emuRow(); ++i)
            QTest::keyClick(dialog.DeviceList, Qt::Key_Down);
        QCOMPARE(list.Selected(), emuRow());
        QVERIFY(dialog.OkBtn->isEnabled());
        QTest::qWait(1200); // the dialog's own refresh runs
        dialog.RefreshDeviceList();
        QCOMPARE(dialog.DeviceList->selectedItems().size(), qsizetype(1));
        QCOMPARE(dialog.DeviceList->selectedItems().front()->text(2), QString("EMU1"));
        QVERIFY(dialog.OkBtn->isEnabled());
        TDeviceAddr addr;
        QVERIFY(list.GetAddress(addr));
        QCOMPARE(int(addr.CK), int(Kvrdata_ns::dckBroadcast));
        // Typing an address that is none: OK is off again.
        dialog.FixedIPRadio->click();
        dialog.IPEdit->setText("10.0.0");
        emit dialog.IPEdit->textEdited("10.0.0");
        QVERIFY(!dialog.OkBtn->isEnabled());
    }

    void loadFromDeviceReadsItBack()
    {
        const std::vector<std::uint8_t> onDevice = EmulatorImage("127.0.0.2");
        QVERIFY(!onDevice.empty());
        Device(0).SetName("Edited");
        SelectDevice(0);
        AnswerDialog("127.0.0.2");
        form->Action("LoadFromDevice1")->trigger();
        QVERIFY(prompts->records().empty());
        std::vector<std::uint8_t> loaded = Device(0).GetAllData();
        QCOMPARE(QString::fromStdString(Device(0).GetName()), QString("North"));
        // The device holds what the device sent after the load repairs: the same header but for
        // the change time and the changed-flag copy (loading marks the device changed), and the
        // same entries. Their order carries no meaning; later header writes move entries ahead.
        kvr::model::TDevice repaired;
        QVERIFY(repaired.SetAllData(onDevice));
        const std::vector<std::uint8_t> expected = repaired.GetAllData();
        QCOMPARE(loaded.size(), expected.size());
        for (std::size_t i = 0; i < 200; ++i)
            if (loaded[i] != expected[i] && !(i >= 62 && i < 66) && i != 76)
                QFAIL(qPrintable(QString("header byte %1: %2 loaded, %3 expected").arg(i).arg(loaded[i]).arg(expected[i])));
        for (int key = 0; key < 256; ++key) {
            const auto k = static_cast<std::uint8_t>(key);
            QVERIFY2(Device(0).GetSetupData(k) == repaired.GetSetupData(k), qPrintable(QString("setup entry %1").arg(key)));
            QVERIFY2(Device(0).GetData(k) == repaired.GetData(k), qPrintable(QString("structure %1").arg(key)));
        }
        QVERIFY(Device(0).IsChanged());
    }

    void anotherDeviceAsksBeforeSending()
    {
        const std::vector<std::uint8_t> before = EmulatorImage("127.0.0.2");
        SelectDevice(1);
        prompts->answer(Answer::No);
        AnswerDialog("127.0.0.2");
        form->Action("LoadtoDevice1")->trigger();
        QVERIFY(!prompts->records().empty());
        QCOMPARE(prompts->records().back().text,
                 QString("You are trying to send data of another device. Continue transfer?"));
        // The refusal left the connection open; the next transfer closes it first.
        QCOMPARE(int(form->DCC()->GetStatus()), int(dcsConnected));
        form->DCC()->CloseConnection();
        QCOMPARE(EmulatorImage("127.0.0.2"), before);
    }

    void linkCutDuringReadLeavesTheProject()
    {
        const std::vector<std::uint8_t> before = Device(1).GetAllData();
        SelectDevice(1);
        prompts->answer(Answer::Ok);
        AnswerDialog("127.0.0.3");
        form->Action("LoadFromDevice1")->trigger();
        QVERIFY(!prompts->records().empty());
        QCOMPARE(prompts->records().back().text, QString("Transfer not successful! Please try again!"));
        QCOMPARE(Device(1).GetAllData(), before);
        QVERIFY(!ProcessForm->isVisible()); // the last progress report hid it
    }

    void onlineStateFollowsTheBroadcasts()
    {
        form->BuildProjectTree();
        QVERIFY(RunUntil([&] {
            form->ReadUDPTimer();
            return Device(0).FOnline != 0 && Device(1).FOnline != 0;
        }));
        // North was read back after its transfer, which gave it a change time of its own; whether
        // that falls in the second of the transfer decides "Modified", so only Online is certain.
        QVERIFY(DeviceNodeText(0).startsWith("North, Online"));
        // South's device still runs what the project holds for it.
        QCOMPARE(DeviceNodeText(1), QString("South, Online"));

        // The window's own timers from here: with the server's shipped defaults a stopped device
        // goes offline on about the fifth online tick after its last broadcast.
        form->ReadUDP->start();
        form->OnlineTimer->start();
        QTest::qWait(1500);
        QVERIFY(Device(0).FOnline != 0);
        QElapsedTimer sinceStop;
        programs.emulator.reset(); // the broadcasts stop
        sinceStop.start();
        QVERIFY(RunUntil([&] { return Device(0).FOnline == 0 && Device(1).FOnline == 0; }, 15000));
        const qint64 offlineAfter = sinceStop.elapsed();
        form->ReadUDP->stop();
        form->OnlineTimer->stop();
        QVERIFY2(offlineAfter >= 3000 && offlineAfter <= 7500, qPrintable(QString("offline after %1 ms").arg(offlineAfter)));
        QCOMPARE(DeviceNodeText(0), QString("North"));
    }

    void autosaveWritesAtTheInterval()
    {
        form->FPrefs.SetAutoSave(true);
        form->FPrefs.SetAutoSaveInterval(1);
        form->FAutoSaveSeconds = 0;
        QFile::remove(QString::fromStdString(P("studio.kvp")));
        for (int tick = 1; tick <= 60; ++tick)
            form->OnlineTimerTimer();
        QVERIFY(!QFileInfo::exists(QString::fromStdString(P("studio.kvp"))));
        form->OnlineTimerTimer();
        QVERIFY(QFileInfo::exists(QString::fromStdString(P("studio.kvp"))));
        QCOMPARE(form->FAutoSaveSeconds, 0);
        kvr::model::TProject reread;
        QCOMPARE(reread.LoadFromDisk(P("studio.kvp"), true), 1);
        QCOMPARE(reread.Device(0)->GetAllData().size(), Device(0).GetAllData().size());
    }
};

QTEST_MAIN(DeviceTransferE2E)
#include "devicetransfer_e2e_qtest.moc"
