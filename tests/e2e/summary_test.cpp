// The project summary against the server program and the emulated devices of one project, some
// of them quiet or missing: the question, Yes, the summary text and the proposed file name; the
// waits for devices that do not connect, idle, and a stop between two devices.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include "../client/loopbackclient.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/project.h"
#include "platform/prompter.h"
#include "support/loopbackprograms.h"
#include "service/summary/projectsummary.h"

namespace {

using namespace kvr::service;

std::uint64_t SteadyMs()
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

// The client's services against the server of this folder.
kvr::client::TClientServices ServerServices(const QString& Folder)
{
    kvr::client::TClientServices s;
    s.Now = SteadyMs;
    s.ProcessMessages = [] { QCoreApplication::processEvents(); };
    s.Sleep = [](unsigned Ms) { QThread::msleep(Ms); };
    s.Host = std::make_shared<loopback::ProxyHost>(kvr::commserver::serverSocketPath(Folder.toStdString()));
    return s;
}

// A project "ABCD" with DSP frames "Studio 1" to "Studio <Count>", device IDs 1 to Count.
void AddFrames(kvr::model::TProject& Project, std::uint32_t Count)
{
    auto header = Project.GetHeader();
    kvr::writeBE32(header, 88, 0x41424344);
    Project.SetHeader(header);
    for (std::uint32_t did = 1; did <= Count; ++did) {
        auto* device = Project.Device(Project.AddDevice());
        auto h = device->GetHeader();
        std::fill(h.begin() + 16, h.begin() + 52, 0);
        const std::string name = "Studio " + std::to_string(did);
        std::copy(name.begin(), name.end(), h.begin() + 16);
        kvr::writeBE32(h, 78, did);
        h[96] = 0x21;
        device->SetHeader(h, false);
    }
}

TEST(ProjectSummaryProgram, TwoDevicesOneQuiet)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + "/run";
    const int port = FreePort("127.0.0.2");
    ASSERT_NE(port, 0);
    LoopbackPrograms programs;
    ASSERT_EQ(programs.startServerIn(KVR_RUREZ_PATH, folder, {"--connect-timeout-ms", "1000", "--retry-ms", "200",
                                                              "--reconnect-ms", "1500", "--broadcast-max-age-ms",
                                                              "1500", "--device-port", QString::number(port)}),
              "");
    ASSERT_EQ(programs.startEmulator(KVR_DEVEMU_PATH,
                                     {QString("ip=127.0.0.2,port=%1,serial=0x1234,name=STUDIO1,pid=ABCD,did=1,modules=1001:2:0/"
                                              "1002:3:1/1003:4:0,cards=1003:2:100:1234:2:5")
                                          .arg(port),
                                      QString("ip=127.0.0.3,port=%1,serial=0x5678,name=STUDIO2,pid=ABCD,did=2,modules=7:3:0").arg(port)},
                                     200),
              "");
    Program& emulator = *programs.emulator;
    emulator.send("quiet 2");
    ASSERT_TRUE(emulator.waitForLine("ok quiet"));

    kvr::model::TProject project;
    AddFrames(project, 2);
    project.SetName("Show/Late");

    kvr::platform::ScriptedPrompter ask;
    int pumps = 0;
    ProjectSummary summary(std::make_unique<TKVRCommunicationClient>(nullptr, ServerServices(folder)), project,
                           {SteadyMs,
                            [&pumps] {
                                ++pumps;
                                QCoreApplication::processEvents();
                                QThread::msleep(5);
                            },
                            &ask});
    summary.Show();
    EXPECT_EQ(summary.ProjectText(), "Show/Late (ABCD)");
    EXPECT_EQ(SummaryFileName(summary.ProjectName()), "Show_Late SN.txt");

    // The first device comes online; the quiet one's broadcast ages out of the server.
    QElapsedTimer clock;
    clock.start();
    std::vector<TSummaryRow> rows;
    while (clock.elapsed() < 8000) {
        rows = summary.ShowList();
        if (rows.size() == 2 && rows[0].Online == "yes" && rows[1].Online == "no")
            break;
        QCoreApplication::processEvents();
        QThread::msleep(100);
    }
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0].Online, "yes");
    ASSERT_EQ(rows[1].Online, "no");
    EXPECT_EQ(rows[0].Address, "127.0.0.2");
    EXPECT_EQ(rows[0].MacSN, "001234");

    ask.answer(kvr::platform::Answer::Yes);
    ask.answer(kvr::platform::Answer::Ok);
    ASSERT_TRUE(summary.Generate("4711", "Radio"));
    ASSERT_EQ(ask.records().size(), 2u);
    EXPECT_EQ(ask.records()[0].text, "Not all devices are available.\nDo you want to ignore devices that are not present?");
    const std::string stars(53, '*');
    const std::vector<std::string> expected{stars,
                                            "Project          : Show/Late (ABCD)",
                                            "Order Number     : 4711",
                                            "Customer         : Radio",
                                            "Number of Devices: 2",
                                            stars,
                                            "Device Studio 1",
                                            "  Device type           : KX7300",
                                            "  Device Serial Number  : 001234",
                                            "  DSP Frame type        : KX730-063",
                                            "  DSP Frame SN          : 0",
                                            "    KX730-084 (24V)       : 1",
                                            "    KX730-083 ( 5V)       : 2",
                                            "  No extra power supply",
                                            "",
                                            "  KX730-010  #C2 ,     PN 01002, Ver 5.20.0.0",
                                            "  KX730-020  #F1 ,     PN 01001, Ver 5.20.0.0",
                                            "  KX730-851  #B1 ,     PN 01003, Ver 5.20.0.0",
                                            "    Slot 01 KX730-122  SN 11003, Rev 2, FA 4711",
                                            "    Slot 03 KX730-848L SN 01234, Rev 2, FA 5",
                                            "",
                                            "Studio 2 not available",
                                            ""};
    EXPECT_EQ(summary.LastRun, expected);
    EXPECT_EQ(summary.Output, expected);
    EXPECT_EQ(summary.Client().GetStatus(), dcsNotConnected) << "each device's connection is closed after its scan";

    EXPECT_EQ(programs.stopAndCheck(), "");
}

} // namespace

namespace {

// The time this process has run on a processor so far, in milliseconds.
std::int64_t ProcessCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

// "Generate!" on a project of four frames of which only the first broadcasts: the other three
// cannot connect.
class SummaryWithOfflineDevices : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        const QString folder = Dir.path() + "/run";
        const int port = FreePort("127.0.0.2");
        ASSERT_NE(port, 0);
        ASSERT_EQ(Programs.startServerIn(KVR_RUREZ_PATH, folder, {"--device-port", QString::number(port)}),
                  "");
        ASSERT_EQ(Programs.startEmulator(KVR_DEVEMU_PATH,
                                         {QString("ip=127.0.0.2,port=%1,serial=0x1234,name=STUDIO1,pid=ABCD,did=1,"
                                                  "modules=1001:2:0/1003:4:0,cards=1003:2:100:1234:2:5")
                                              .arg(port)},
                                         200),
                  "");
        AddFrames(Project, 4);
        // The program's services: its waits are the summary's own.
        Summary = std::make_unique<ProjectSummary>(std::make_unique<TKVRCommunicationClient>(nullptr, ServerServices(folder)), Project,
                                                   TSummaryServices{SteadyMs, [] { QCoreApplication::processEvents(); }, &Ask});
        Summary->Show();
        ASSERT_TRUE(RunUntil([this] { return Summary->ShowList()[0].Online == "yes"; }, 8000));
        Ask.answer(kvr::platform::Answer::Yes); // not all devices are available
    }
    void TearDown() override
    {
        Summary.reset();
        EXPECT_EQ(Programs.stopAndCheck(), "");
    }
    bool Has(const std::string& Line) const
    {
        return std::find(Summary->LastRun.begin(), Summary->LastRun.end(), Line) != Summary->LastRun.end();
    }

    QTemporaryDir Dir;
    LoopbackPrograms Programs;
    kvr::model::TProject Project;
    kvr::platform::ScriptedPrompter Ask;
    std::unique_ptr<ProjectSummary> Summary;
};

// Each device that does not connect is given its time, and the program sleeps meanwhile.
TEST_F(SummaryWithOfflineDevices, EachOfflineDeviceWaitsItsLimitIdle)
{
    Summary->ConnectWaitMs = 1000;
    Ask.answer(kvr::platform::Answer::Ok);
    QElapsedTimer clock;
    clock.start();
    const std::int64_t cpuBefore = ProcessCpuMs();
    ASSERT_TRUE(Summary->Generate("", ""));
    const std::int64_t wall = clock.elapsed();
    const std::int64_t cpu = ProcessCpuMs() - cpuBefore;
    EXPECT_GE(wall, 3 * 1000);
    EXPECT_LT(wall, 3 * 1000 + 4000) << "the online device takes seconds at most";
    EXPECT_LT(cpu * 100, wall * 30) << "the waits spin: " << cpu << " ms on a processor in " << wall << " ms";
    EXPECT_TRUE(Has("  KX730-851  #B1 ,     PN 01003, Ver 5.20.0.0"));
    EXPECT_TRUE(Has("Studio 4 not available"));
    ASSERT_EQ(Ask.records().size(), 2u);
    EXPECT_EQ(Ask.records()[1].text, "Done.");
}

// A stop while the scan waits for the second device ends the run at once: the first device's
// modules and cards are kept and written out, and no "Done." follows.
TEST_F(SummaryWithOfflineDevices, AStopKeepsWhatWasGathered)
{
    ASSERT_EQ(Summary->ConnectWaitMs, 5000u);
    QElapsedTimer clock;
    std::int64_t stoppedAt = -1;
    Summary->Changed = [&] {
        if (stoppedAt < 0 && Summary->ProgressText == "Device 2 of 4: Studio 2") {
            stoppedAt = 0;
            QTimer::singleShot(200, [&] {
                stoppedAt = clock.elapsed();
                Summary->Stop();
            });
        }
    };
    clock.start();
    ASSERT_TRUE(Summary->Generate("", ""));
    ASSERT_GT(stoppedAt, 0);
    EXPECT_LT(clock.elapsed() - stoppedAt, 1000) << "the run ended soon after the stop";
    EXPECT_TRUE(Has("  KX730-851  #B1 ,     PN 01003, Ver 5.20.0.0"));
    EXPECT_TRUE(Has("    Slot 03 KX730-848L SN 01234, Rev 2, FA 5"));
    EXPECT_EQ(Summary->Output, Summary->LastRun);
    EXPECT_EQ(Summary->ProgressText, "Stopped.");
    EXPECT_EQ(Ask.records().size(), 1u) << "the question only";
    EXPECT_FALSE(Summary->Running());
    EXPECT_EQ(Summary->Client().GetStatus(), dcsNotConnected);
}

} // namespace
