// The maintenance window's frame against the server program and an emulated device with three
// modules: the tree, connecting by focus, the protocol lines, a device reset, and a device that
// falls silent.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include "../client/loopbackclient.h"
#include "diagnostics/kvrinfoformat.h"
#include "platform/settingsstore.h"
#include "support/loopbackprograms.h"
#include "service/maintenance/maintenanceframe.h"
#include "service/maintenance/serviceactions.h"
#include "service/dialogs/servicedialogs.h"
#include "service/firmware/firmwareupdate.h"
#include "service/maintenance/mtnmessages.h"
#include "service/moduleinfo/moduleinformation.h"
#include "../service/updatefile.h"

namespace {

using namespace kvr::service;

class Maintenance : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        const QString folder = Dir.path() + "/run";
        const int port = FreePort("127.0.0.2");
        ASSERT_NE(port, 0);
        ASSERT_EQ(Programs.startServerIn(KVR_RUREZ_PATH, folder, {"--connect-timeout-ms", "1000", "--retry-ms", "200",
                                                                  "--reconnect-ms", "1500", "--broadcast-max-age-ms",
                                                                  "1500", "--device-port", QString::number(port)}),
                  "");
        ASSERT_EQ(Programs.startEmulator(
                      KVR_DEVEMU_PATH,
                      {QString("ip=127.0.0.2,port=%1,serial=0x1234,name=EMU1,pid=ABCD,did=1,modules=1001:2:0/1002:3:1/1003:4:0")
                           .arg(port)},
                      200),
                  "");

        kvr::client::TClientServices s;
        s.Now = [] {
            return static_cast<std::uint64_t>(
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
        };
        s.ProcessMessages = [] { QCoreApplication::processEvents(); };
        s.Sleep = [](unsigned Ms) { QThread::msleep(Ms); };
        s.Host = std::make_shared<loopback::ProxyHost>(kvr::commserver::serverSocketPath(folder.toStdString()));
        ClientServices = s;
        TMaintenanceServices services = SystemMaintenanceServices();
        services.Settings = &Store;
        Frame = std::make_unique<MaintenanceFrame>(std::make_unique<TKVRCommunicationClient>(nullptr, s), services);
        Actions = std::make_unique<ServiceActions>(*Frame);
    }

    void TearDown() override
    {
        Actions.reset();
        Frame.reset();
        EXPECT_EQ(Programs.stopAndCheck(), "");
    }

    // The lines of the "last" command of device 1.
    QStringList Last(int Count)
    {
        Programs.emulator->send(QString("last 1 %1").arg(Count));
        QStringList lines;
        while (const auto line = Programs.emulator->waitForLine("", 3000)) {
            if (line->startsWith("ok last"))
                break;
            if (line->startsWith("last 1 "))
                lines << line->mid(7);
        }
        return lines;
    }

    bool TreeShown()
    {
        return Until([this] { Frame->RefreshDeviceList(); },
                     [this] { return Frame->Tree().Roots().size() == 1 && Frame->Tree().Roots()[0]->Children.size() == 3; }, 5000);
    }

    QTemporaryDir Dir;
    kvr::client::TClientServices ClientServices;
    kvr::platform::MemorySettingsStore Store;
    LoopbackPrograms Programs;
    std::unique_ptr<MaintenanceFrame> Frame;
    std::unique_ptr<ServiceActions> Actions;
};

TEST_F(Maintenance, TreeFocusProtocolAndDeviceReset)
{
    ASSERT_TRUE(TreeShown());
    TModuleNode* device = Frame->Tree().Roots()[0].get();
    EXPECT_EQ(Frame->NodeText(*device), "ABCD - EMU1 - 001234");
    const auto modules = ModuleTree::Sorted(device->Children, Frame->Tree());
    EXPECT_EQ(Frame->NodeText(*modules[0]), "KX730-010  #C2  PN: 1002");
    EXPECT_EQ(Frame->NodeText(*modules[1]), "KX730-020  #F1  PN: 1001");
    EXPECT_EQ(Frame->NodeText(*modules[2]), "KX730-851  #B1  PN: 1003");

    ASSERT_TRUE(Frame->SetFocus(modules[0]));
    ASSERT_TRUE(Frame->Connected());
    EXPECT_EQ(Frame->StatusPanels()[spConnection], "Connected");
    EXPECT_EQ(Frame->CurrentDevice(), "EMU1");

    Frame->SetProtocol(true);
    Frame->Log().TakePending();
    Actions->LampTest(true);
    KVRCANBlock info;
    info.ID = 0x060003EA;
    KVRCANBlock reply = info;
    ASSERT_TRUE(Frame->RequestLoggedBlock(info, reply, 0xFFFFFFFF, 0, 0));
    EXPECT_EQ(reply.Data[0], 3);
    const auto lines = Frame->Log().TakePending();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find(" SNT TCP EMU1            0x01F203EA   1 01 "), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(" SNT TCP EMU1            0x060003EA   0 "), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find(" RCV TCP EMU1            0x060003EA   8 03 01 00 00 "), std::string::npos) << lines[2];
    EXPECT_TRUE(Last(2).contains("block 0x01F203EA 1 01"));

    // A reset of the whole device ends the connection; the device stays in the tree.
    Frame->SetFocus(device);
    Actions->ResetDevice();
    EXPECT_FALSE(Frame->Connected());
    EXPECT_EQ(Frame->Focused(), nullptr);
    EXPECT_EQ(Frame->Tree().Roots().size(), 1u);
    EXPECT_EQ(Last(1).value(0), "block 0x0103FFFF 0 -");
}

TEST_F(Maintenance, QuietDeviceLeavesOnceTheServerAgesItsBroadcast)
{
    ASSERT_TRUE(TreeShown());
    Frame->SetFocus(Frame->Tree().Roots()[0].get());
    Programs.emulator->send("quiet 1");
    ASSERT_TRUE(Programs.emulator->waitForLine("ok quiet"));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(Until([this] { Frame->RefreshDeviceList(); }, [this] { return Frame->Tree().Roots().empty(); }, 12000));
    EXPECT_GE(clock.elapsed(), 5000) << "not before 5000 ms of silence";
    EXPECT_EQ(Frame->Focused(), nullptr);
    EXPECT_TRUE(Frame->Devices().Entries().empty());

    Programs.emulator->send("talk 1");
    EXPECT_TRUE(TreeShown()) << "it comes back with its next broadcast";
}

TEST_F(Maintenance, ModuleInformationAndCardNodes)
{
    ASSERT_TRUE(TreeShown());
    ModuleInformation info(*Frame);
    Frame->OnCardModuleFocused = [&info](TModuleNode& M) { info.ReadCardSlots(M); };
    TModuleNode* device = Frame->Tree().Roots()[0].get();
    TModuleNode* carrier = device->Children[2].get();
    ASSERT_EQ(carrier->Rec.Type, 4);
    ASSERT_TRUE(Frame->SetFocus(carrier));
    ASSERT_TRUE(Frame->Connected());
    ASSERT_EQ(carrier->Children.size(), 1u) << "the emulated carrier has one card";
    EXPECT_EQ(carrier->Children[0]->Rec.Text, "Slot  1 - KX730-122   SN 11003");

    info.ModuleInfoAction();
    ASSERT_GE(info.Lines.size(), 8u);
    EXPECT_EQ(info.Lines[2], "Module : KX730-851      PN: 1003");
    EXPECT_EQ(info.Lines[4].substr(0, 29), "Firmware Version:  5.20.00.00");

    Frame->SetFocus(carrier->Children[0].get());
    info.ModuleInfoAction();
    ASSERT_GE(info.Lines.size(), 4u);
    EXPECT_EQ(info.Lines[1], "Cardtype:      KX730-122  ");
    EXPECT_EQ(info.Lines[7], "calibrated");

    info.SerialNumbersAction();
    EXPECT_NE(std::find(info.Lines.begin(), info.Lines.end(), "\t\tSlot  9   Type KX730-851     PN  1003    Rev 0"),
              info.Lines.end());
}

TEST_F(Maintenance, SmallUpdateFileUpToTheRestartQuestion)
{
    ASSERT_TRUE(TreeShown());
    Frame->SetFocus(Frame->Tree().Roots()[0]->Children[0].get());
    ASSERT_TRUE(Frame->Connected());
    const QString path = Dir.path() + "/small.upd";
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    const auto bytes = servicetest::UpdateFileBytes(5);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    out.close();

    std::vector<unsigned> shown;
    InfoFormatter->SetMessagePresenter([&](int, const std::string&, unsigned Code, const std::string&) {
        shown.push_back(Code);
        return Code == mmText ? static_cast<int>(mrYes) : static_cast<int>(mrNo);
    });
    FirmwareUpdate update(*Frame);
    update.ChooseFile = [&] { return std::optional<std::string>(path.toStdString()); };
    update.Execute();
    InfoFormatter->SetMessagePresenter(nullptr);
    EXPECT_EQ(shown, (std::vector<unsigned>{mmText, mmRestartSystem}));
    const QStringList last = Last(2);
    EXPECT_TRUE(last.contains("block 0x1960FFFF 8 " + QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes.data()) + 85, 8).toHex().toUpper())))
        << last.join(" | ").toStdString();
    EXPECT_TRUE(last.contains("block 0x19FFFFFC 0 -"));
    EXPECT_TRUE(Frame->Connected()) << "no restart asked for";
}

TEST_F(Maintenance, MonitorBesideTheWindowSeesWhatTheDeviceSends)
{
    ASSERT_TRUE(TreeShown());
    TModuleNode* device = Frame->Tree().Roots()[0].get();
    ASSERT_TRUE(Frame->SetFocus(device));
    ASSERT_TRUE(Frame->Connected());
    Frame->SetProtocol(true);
    Frame->Log().TakePending();

    InternalCANMonitor monitor(std::make_unique<TKVRCommunicationClient>(nullptr, ClientServices), *device->Rec.Device,
                               Dir.path().toStdString());
    ASSERT_TRUE(monitor.Connected());
    monitor.Activate = true;
    std::vector<std::string> frameLines;
    const auto has = [](const std::vector<std::string>& L) {
        return std::any_of(L.begin(), L.end(), [](const std::string& l) { return l.find("0x01020304") != std::string::npos; });
    };
    // The emulator takes the monitor's connection in its own time (the connection is up before it
    // has been accepted there): a block it sends before that reaches the window's connection
    // only, so the block goes again until both have it.
    bool both = false;
    for (int attempt = 0; attempt < 10 && !both; ++attempt) {
        Programs.emulator->send("send 1 0x01020304 41");
        ASSERT_TRUE(Programs.emulator->waitForLine("ok send"));
        both = Until(
            [&] {
                for (auto& l : Frame->Log().TakePending())
                    frameLines.push_back(l);
            },
            [&] { return has(frameLines) && has(monitor.Lines); }, 500);
    }
    EXPECT_TRUE(both)
        << "both connections get the block";
    EXPECT_TRUE(Frame->Connected());
    EXPECT_TRUE(monitor.HasLog());
}

} // namespace
