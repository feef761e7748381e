// The logic watch against the server program and an emulated device: states requested and
// reported, a state change and a UDP global logic, and the list back in a second window.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "../client/loopbackclient.h"
#include "client/kvrcommunicationclient.h"
#include "kvrdata/byteorder.h"
#include "model/project.h"
#include "support/loopbackprograms.h"
#include "service/watch/watchcontroller.h"

namespace {

using kvr::service::WatchController;

constexpr unsigned PidABCD = 0x41424344;

class WatchE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        const QString folder = Dir.path() + "/run";
        const int port = FreePort("127.0.0.2");
        ASSERT_NE(port, 0);
        ASSERT_EQ(Programs.startServerIn(KVR_RUREZ_PATH, folder, {"--connect-timeout-ms", "1000", "--retry-ms", "200",
                                                                  "--device-port", QString::number(port)}),
                  "");
        ASSERT_EQ(Programs.startEmulator(KVR_DEVEMU_PATH,
                                         {QString("ip=127.0.0.2,port=%1,serial=0x1234,name=EMU1,pid=ABCD,did=1").arg(port)}, 200),
                  "");

        Services.Now = [] {
            return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  std::chrono::steady_clock::now().time_since_epoch())
                                                  .count());
        };
        Services.ProcessMessages = [] { QCoreApplication::processEvents(); };
        Services.Sleep = [](unsigned Ms) { QThread::msleep(Ms); };
        Services.Host = std::make_shared<loopback::ProxyHost>(kvr::commserver::serverSocketPath(folder.toStdString()));

        Project.AddDevice(); // device ID 1, as the emulated device
        auto header = Project.GetHeader();
        kvr::writeBE32(header, kvr::model::ph::ProjectID, PidABCD);
        Project.SetHeader(header);
    }

    void TearDown() override
    {
        Watches.clear();
        Clients.clear();
        EXPECT_EQ(Programs.stopAndCheck(), "");
    }

    // A watch window's controller on its own client, connected as after the dialog's OK.
    WatchController& OpenWindow()
    {
        Clients.push_back(std::make_unique<TKVRCommunicationClient>(nullptr, Services));
        TKVRCommunicationClient& client = *Clients.back();
        kvr::service::TWatchServices s;
        s.Project = [this] { return &Project; };
        s.ProjectFileName = [] { return std::string("/projects/studio.kvp"); };
        s.ShowMessage = [](const std::string& Text) { ADD_FAILURE() << Text; };
        s.Folder = Dir.path().toStdString();
        Watches.push_back(std::make_unique<WatchController>(client, s));
        WatchController& w = *Watches.back();
        client.OnCANBlockReceived = [&w](TKVRCommunicationClient*, Kvrdata_ns::KVRCANBlock Block) { w.BlockReceived(Block); };
        w.OnLogLine = [this](const std::string& Line) { Log.push_back(Line); };
        TDeviceAddr da;
        EXPECT_TRUE(Until([] {}, [&] { return client.GetDA(PidABCD, 1, 1, da) == 1; }, 5000));
        w.Open(da);
        return w;
    }

    QTemporaryDir Dir;
    kvr::client::TClientServices Services;
    LoopbackPrograms Programs;
    kvr::model::TProject Project;
    std::vector<std::unique_ptr<TKVRCommunicationClient>> Clients;
    std::vector<std::unique_ptr<WatchController>> Watches;
    std::vector<std::string> Log;
};

TEST_F(WatchE2E, StatesArriveAndTheListComesBack)
{
    Programs.emulator->send("state 1 1086 1");
    ASSERT_TRUE(Programs.emulator->waitForLine("ok state"));

    WatchController& w = OpenWindow();
    EXPECT_EQ(w.DeviceName(), "ABCD-EMU1");
    EXPECT_EQ(w.Caption(), "Watching device ABCD-EMU1");
    ASSERT_TRUE(w.AddWatch(1086, -1));
    ASSERT_TRUE(w.AddWatch(1087, -1));
    ASSERT_TRUE(Until([] {}, [&] { return w.Rows()[0].State == "1"; }, 5000)) << "the requested state arrives";
    EXPECT_EQ(w.Rows()[1].State, "0");

    Programs.emulator->send("state 1 1086 0");
    ASSERT_TRUE(Until([] {}, [&] { return w.Rows()[0].State == "0"; }, 5000)) << "a change is reported";

    Programs.emulator->send("logic 1 6 1"); // global logic 6 is logic source 1087
    ASSERT_TRUE(Until([&] { w.DrainUDP(); }, [&] { return w.Rows()[1].State == "1"; }, 5000));
    ASSERT_GE(Log.size(), 3u);
    EXPECT_EQ(Log.back(), w.Rows()[1].Name + " -> 1");

    // A second window of the same device shows the same watches, states asked anew.
    WatchController& again = OpenWindow();
    ASSERT_EQ(again.Watches().size(), 2u);
    EXPECT_EQ(again.Watches()[0].LogicID, 1086);
    EXPECT_EQ(again.Watches()[1].LogicID, 1087);
}

} // namespace
