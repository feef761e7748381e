// The project summary against the server program and two emulated devices of one project, one
// of them quiet: the question, Yes, the summary text and the proposed file name.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "../client/loopbackclient.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/project.h"
#include "platform/prompter.h"
#include "program.h"
#include "service/summary/projectsummary.h"

namespace {

using namespace kvr::service;

std::uint64_t SteadyMs()
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

TEST(ProjectSummaryProgram, TwoDevicesOneQuiet)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + "/run";
    const int port = FreePort("127.0.0.2");
    ASSERT_NE(port, 0);
    LoopbackPrograms programs;
    ASSERT_EQ(programs.startServer(KVR_RUREZ_PATH, {"--dir", folder, "--udp-bind", "127.0.0.1:0", "--connect-timeout-ms", "1000",
                                                    "--retry-ms", "200", "--reconnect-ms", "1500", "--broadcast-max-age-ms", "1500",
                                                    "--device-port", QString::number(port)}),
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
    auto header = project.GetHeader();
    kvr::writeBE32(header, 88, 0x41424344);
    project.SetHeader(header);
    project.SetName("Show/Late");
    for (std::uint32_t did : {1u, 2u}) {
        auto* device = project.Device(project.AddDevice());
        auto h = device->GetHeader();
        std::fill(h.begin() + 16, h.begin() + 52, 0);
        const std::string name = "Studio " + std::to_string(did);
        std::copy(name.begin(), name.end(), h.begin() + 16);
        kvr::writeBE32(h, 78, did);
        h[96] = 0x21;
        device->SetHeader(h, false);
    }

    kvr::client::TClientServices s;
    s.Now = SteadyMs;
    s.ProcessMessages = [] { QCoreApplication::processEvents(); };
    s.Sleep = [](unsigned Ms) { QThread::msleep(Ms); };
    s.Host = std::make_shared<loopback::ProxyHost>(kvr::commserver::serverSocketPath(folder.toStdString()));
    kvr::platform::ScriptedPrompter ask;
    int pumps = 0;
    ProjectSummary summary(std::make_unique<TKVRCommunicationClient>(nullptr, s), project,
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
