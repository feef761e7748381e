// The service dialogs' rules: hand-typed blocks, the IP message, contrast, and the monitor.

#include "service/framefixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "kvrdata/byteorder.h"
#include "service/dialogs/servicedialogs.h"

namespace {

using namespace kvr::service;
using namespace servicetest;

TEST(ServiceDialogs, HandTypedBlocks)
{
    struct Case {
        const char* text;
        std::uint32_t id;
        std::uint8_t len;
        std::vector<std::uint8_t> data;
    } const cases[] = {
        {"0103FFFF, 0", 0x0103FFFF, 0, {}},
        {"111CFFFF, 1, 9", 0x111CFFFF, 1, {9}},
        {"111CFFFF", 0x111CFFFF, 0, {}},
        {"01F20101, 1, 1, zz, 5", 0x01F20101, 1, {1}},      // stops at the bad field
        {"12, 300, 1FF, 2, 3, 4, 5, 6, 7, 8, 9", 0x12, 44, {0xFF, 2, 3, 4, 5, 6, 7, 8}}, // low 8 bits
        {"", 0, 0, {}},
        {"nonsense", 0, 0, {}},
    };
    for (const Case& c : cases) {
        const KVRCANBlock cb = ParseControlBlockText(c.text);
        EXPECT_EQ(cb.ID, c.id) << c.text;
        EXPECT_EQ(cb.Len, c.len) << c.text;
        std::vector<std::uint8_t> data(cb.Data.begin(), cb.Data.begin() + 8);
        auto expected = c.data;
        expected.resize(8, 0);
        EXPECT_EQ(data, expected) << c.text;
    }
}

TEST(ServiceDialogs, SetDeviceIPAndContrast)
{
    for (bool dhcp : {false, true}) {
        const TUDPMsg m = SetDeviceIPMessage("0A-1b-C2", "192.168.001.020", "255.255.255.000", dhcp);
        const auto b = Kvrdata_ns::UDPMsgToBytes(m);
        EXPECT_EQ(kvr::readLE32(b, 0), 0xFFFFFFFFu);
        EXPECT_EQ(kvr::readLE32(b, 8), 0xDEADBEEFu);
        EXPECT_EQ(b[12], dhcp ? 1 : 0);
        EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 13, b.begin() + 24),
                  (std::vector<std::uint8_t>{0x0A, 0x1B, 0xC2, 192, 168, 1, 20, 255, 255, 255, 0})) << "sent as typed with DHCP too";
        EXPECT_EQ(kvr::readLE32(b, 172), 16u);
    }
    const auto b = Kvrdata_ns::UDPMsgToBytes(SetDeviceIPMessage("  -  -  ", "300.1.2.3", "", false));
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 13, b.begin() + 20), (std::vector<std::uint8_t>{0, 0, 0, 44, 1, 2, 3}));

    const KVRCANBlock up = ContrastBlock(true), down = ContrastBlock(false);
    EXPECT_EQ(up.ID, 0x01F70000u);
    EXPECT_EQ(up.Len, 2);
    EXPECT_EQ(up.Data[0], 1);
    EXPECT_EQ(up.Data[1], 1);
    EXPECT_EQ(down.Data[1], 0);
}

TEST(ServiceDialogs, MonitorNamesAndNumbers)
{
    EXPECT_EQ(MonitorLogFileName("Project: ABCD Device: 00000001"), "Project  ABCD Device  00000001.log");
    EXPECT_EQ(MonitorLogFileName("Fixed IP Address: 10.0.0.5"), "Fixed IP Address  10.0.0.5.log");
    EXPECT_EQ(MonitorLogFileName("Project: ../.. Device: x/y\n"), "Project  .. .. Device  x y .log");
    EXPECT_EQ(MonitorLogFileName(".."), "monitor.log");
    for (auto [text, value] : {std::pair<const char*, std::int64_t>{"255", 255}, {"$FF", 255}, {"0x0F100000", 0x0F100000},
                               {"-3", -3}, {"", 0}, {"12a", 0}, {"$", 0}})
        EXPECT_EQ(TextToIntDef0(text), value) << text;
}

TEST(ServiceDialogs, SerialDevicesAreRefused)
{
    TDeviceAddr com;
    com.CK = Kvrdata_ns::dckBroadcast;
    com.MAC = 3; // found by broadcast on COM 3
    EXPECT_TRUE(MonitorRefused(com));
    com.MAC = 0x1234;
    EXPECT_FALSE(MonitorRefused(com));
    TDeviceAddr port;
    port.CK = Kvrdata_ns::dckCOMPort;
    port.SetCOMPort(2);
    EXPECT_TRUE(MonitorRefused(port));
}

class Monitor : public FrameTest {};

TEST_F(Monitor, LogsWhileActivated)
{
    QTemporaryDir dir;
    TDeviceAddr addr;
    addr.CK = Kvrdata_ns::dckBroadcast;
    addr.PID = 0x41424344;
    addr.DID = 1;
    addr.MAC = 0x1234;
    auto client = std::make_unique<TKVRCommunicationClient>(nullptr, Services());
    InternalCANMonitor m(std::move(client), addr, dir.path().toStdString());
    ASSERT_TRUE(m.Connected());
    EXPECT_EQ(m.Caption(), "InternalCAN - Project: ABCD Device: 00000001");
    EXPECT_EQ(m.Client().ShortClient, "ICP");
    ASSERT_TRUE(m.HasLog());
    EXPECT_EQ(QFileInfo(QString::fromStdString(m.LogPath())).fileName(), "Project  ABCD Device  00000001.log");

    KVRCANBlock cb;
    cb.ID = 0x01020304;
    cb.Reserved = 7;
    cb.Len = 1;
    cb.Data[0] = 0x41;
    m.BlockReceived(cb);
    EXPECT_TRUE(m.Lines.empty()) << "not activated";
    m.Activate = true;
    m.BlockReceived(cb);
    ASSERT_EQ(m.Lines.size(), 1u);
    EXPECT_NE(m.Lines[0].find(" 7 : 0x01020304   1 41 "), std::string::npos) << m.Lines[0];

    m.MaskChange("$FFFF0000");
    m.IDChange("abc");
    EXPECT_EQ(m.Client().GetFilterMask(), 0xFFFF0000u);
    EXPECT_EQ(m.Client().GetFilter(), 0u);

    QFile log(QString::fromStdString(m.LogPath()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(log.readAll());
    EXPECT_TRUE(text.contains("Internal CAN Protocol: Project: ABCD Device: 00000001\r\n"));
    EXPECT_EQ(text.count("0x01020304"), 1);
}

TEST_F(Monitor, NoConnectionWritesNoLog)
{
    QTemporaryDir dir;
    Server->scriptResults(kvr::commserver::RpcMethod::OpenConnection, {kvr::commserver::ResultNoConnection});
    TDeviceAddr addr;
    addr.CK = Kvrdata_ns::dckFixedIP;
    addr.IP = 0x0A000005;
    InternalCANMonitor m(std::make_unique<TKVRCommunicationClient>(nullptr, Services()), addr, dir.path().toStdString());
    EXPECT_FALSE(m.Connected());
    EXPECT_FALSE(m.HasLog());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

} // namespace
