// The server program and the device emulator on loopback, driven through the client-side proxy.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <cstring>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <algorithm>
#include <vector>
#include <sys/un.h>
#include <sys/socket.h>
#include <unistd.h>

#include "commserver/commserverproxy.h"
#include "commserver/deviceframe.h"
#include "commserver/rpcframe.h"
#include "commserver/serverregistration.h"
#include "commserver/server/udphub.h"
#include "kvr/version.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/deviceaddr.h"
#include "kvrdata/udpmsgv6.h"
#include "platform/settingsstore.h"
#include "support/loopbackprograms.h"

namespace {

using namespace kvr::commserver;

constexpr std::int32_t H = 4711;

Bytes block(std::uint32_t id, Bytes data = {}) { return clientBlockFromFrame(makeDeviceFrame(id, data)); }

QStringList serverArgs(const QString& folder, int devicePort = 2008)
{
    return LoopbackPrograms::serverArgs(folder, {"--connect-timeout-ms", "1000", "--retry-ms", "200", "--reconnect-ms", "1500",
                                                 "--broadcast-max-age-ms", "3000", "--device-port", QString::number(devicePort)});
}

// Polls ReadBlock2 until it answers the wanted result; bounded.
bool readResultBecomes(ICommServer& server, std::int32_t wanted, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        Bytes b;
        std::int32_t result = -1;
        if (server.ReadBlock2(H, b, result) == HrOk && result == wanted)
            return true;
        QThread::msleep(50);
    }
    return false;
}

class Loopback : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        folder_ = dir_.path() + "/run";
        const int port = FreeDevicePort();
        ASSERT_NE(port, 0);
        ASSERT_EQ(programs_.startServer(KVR_RUREZ_PATH, serverArgs(folder_, port)), "");
        ASSERT_EQ(programs_.startEmulator(KVR_DEVEMU_PATH,
                                          {QString("ip=127.0.0.2,port=%1,serial=0x1234,name=EMU1,pid=ABCD,did=1").arg(port),
                                           QString("ip=127.0.0.3,port=%1,serial=0x5678,name=EMU2,pid=ABCD,did=2,broadcasts=newer").arg(port)},
                                          200),
                  "");
        proxy_ = std::make_unique<CommServerProxy>(ProxyEndpoint{serverSocketPath(folder_.toStdString()), {}, 0});
    }

    void TearDown() override
    {
        proxy_.reset();
        EXPECT_EQ(programs_.stopAndCheck(), "");
    }

    void open(const char* ip = "127.0.0.2", int device = 0)
    {
        std::int32_t result = -1;
        ASSERT_EQ(proxy_->OpenTCPConnection(H, ip, programs_.devicePorts.at(device), result), HrOk);
        ASSERT_EQ(result, ResultOk);
    }

    std::int32_t send(const Bytes& b)
    {
        std::int32_t result = -1;
        EXPECT_EQ(proxy_->SendBlock(H, b, result), HrOk);
        return result;
    }

    std::optional<DeviceFrame> read(std::int32_t timeoutMs, std::int32_t* resultOut = nullptr)
    {
        Bytes b;
        std::int32_t result = -1;
        EXPECT_EQ(proxy_->ReadBlockEx2(H, timeoutMs, b, result), HrOk);
        if (resultOut)
            *resultOut = result;
        if (result != ResultOk)
            return std::nullopt;
        return frameFromClientBlock(b);
    }

    Bytes collection(bool newer)
    {
        Bytes b;
        std::int32_t result = -1;
        EXPECT_EQ(newer ? proxy_->ReadUDPBroadCastsV6(0, b, result) : proxy_->ReadUDPBroadCasts(0, b, result), HrOk);
        return b;
    }

    bool readResultBecomes(std::int32_t wanted, int timeoutMs) { return ::readResultBecomes(*proxy_, wanted, timeoutMs); }

    QTemporaryDir dir_;
    QString folder_;
    LoopbackPrograms programs_;
    std::unique_ptr<CommServerProxy> proxy_;
};

TEST_F(Loopback, ReadRequestReachesTheDeviceAndItsAnswerComesBack)
{
    std::int32_t version = 0;
    ASSERT_EQ(proxy_->GetVersion(version), HrOk);
    EXPECT_GE(version, MinimumServerVersion);
    struct stat st{};
    ASSERT_EQ(::stat(folder_.toUtf8().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "the socket folder is closed to others";

    open();
    EXPECT_EQ(send(block(0x1A000001)), ResultOk);
    const auto answer = read(2000);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->id, 0x1A000001u);
    ASSERT_EQ(answer->len, 8);
    EXPECT_EQ(std::string(answer->data.begin(), answer->data.begin() + 4), "MPJ2");

    EXPECT_EQ(send(block(0x112E0000)), ResultOk);
    const auto serial = read(2000);
    ASSERT_TRUE(serial);
    EXPECT_EQ(serial->id, 0x112E0000u);
    EXPECT_EQ(kvr::readBE32(serial->payload(), 0), 0x1234u);
    EXPECT_EQ(kvr::readBE32(serial->payload(), 4), 0x05140000u);
}

TEST_F(Loopback, ErrorReportOfTheDeviceReachesTheClient)
{
    open();
    programs_.emulator->send("error 1 7 4660 5");
    ASSERT_TRUE(programs_.emulator->waitForLine("ok error"));
    const auto report = read(2000);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->id, 0x0F100007u);
    EXPECT_EQ(Bytes(report->payload().begin(), report->payload().end()), (Bytes{0, 0, 0x12, 0x34, 0, 0, 0, 5}));
}

TEST_F(Loopback, ImageWriteIsReadBack)
{
    open();
    EXPECT_EQ(send(block(0x1B000000)), ResultOk);
    EXPECT_EQ(send(block(0x1B000003, {1, 2, 3, 4, 5, 6, 7, 8})), ResultOk);
    const auto ack = read(2000);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->id, 0x1B000003u);
    // Block 1 ends a write (the blocks go from the last to the first); the device takes it then.
    EXPECT_EQ(send(block(0x1B000001, {'M', 'P', 'J', '2', 0, 5, 0, 1})), ResultOk);
    ASSERT_TRUE(read(2000));
    EXPECT_EQ(send(block(0x1A000003)), ResultOk);
    const auto back = read(2000);
    ASSERT_TRUE(back);
    EXPECT_EQ(Bytes(back->payload().begin(), back->payload().end()), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

// Polls a collection until it holds the wanted number of entries; bounded.
template <typename Read>
Bytes pollCollection(Read read, std::function<std::size_t(const Bytes&)> count, std::size_t wanted)
{
    QElapsedTimer clock;
    clock.start();
    Bytes collection;
    while (clock.elapsed() < 5000) {
        collection = read();
        if (count(collection) >= wanted)
            break;
        QThread::msleep(100);
    }
    return collection;
}

TEST_F(Loopback, BroadcastCollectionsListTheEmulatedDevices)
{
    // Device 1 sends both generations' status records, device 2 only the newer one.
    const Bytes older = pollCollection(
        [this] { return collection(false); },
        [](const Bytes& b) { return b.size() < 4 ? 0 : (b.size() - 4) / 177; }, 1);
    ASSERT_EQ(older.size(), 4u + 177) << "one record per sender, the newest only";
    EXPECT_EQ(kvr::readBE16(older, 0), 177);
    const auto record = std::span<const std::uint8_t>(older).subspan(4, 177);
    EXPECT_EQ(kvr::readLE32(record, 0), 0x7F000002u);
    EXPECT_EQ(kvr::readLE32(record, 8), 0x06061999u);
    EXPECT_EQ(kvr::readLE32(record, 12), 0x1234u);
    EXPECT_EQ(kvr::readLE32(record, 16), 1u);
    EXPECT_EQ(kvr::readLE32(record, 20), 0x41424344u); // "ABCD" in host order
    EXPECT_EQ(std::string(record.begin() + 28, record.begin() + 32), "EMU1");

    auto decode = [](Bytes b) {
        auto v = std::make_unique<Kvrdata_ns::TUDPMsgsV6>();
        if (!v->FromVariant(b))
            v->RemoveAll();
        return v;
    };
    const Bytes newer = pollCollection(
        [this] { return collection(true); },
        [&](const Bytes& b) { return static_cast<std::size_t>(decode(b)->Size()); }, 2);
    auto messages = decode(newer);
    ASSERT_EQ(messages->Size(), 2);
    std::set<std::uint32_t> ips;
    std::set<unsigned> serials;
    for (int i = 0; i < messages->Size(); ++i) {
        Kvrdata_ns::TUDPMsgV6* msg = messages->Element(i);
        ips.insert(msg->FromIP);
        Kvrdata_ns::TBCDevice* device = msg->GetDevice();
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->PID, 0x41424344u);
        serials.insert(device->MAC);
    }
    EXPECT_EQ(ips, (std::set<std::uint32_t>{0x7F000002, 0x7F000003}));
    EXPECT_EQ(serials, (std::set<unsigned>{0x1234, 0x5678}));

    // Every datagram also reaches the client's own queues, the newer one unchanged.
    std::int32_t result = -1;
    ASSERT_EQ(proxy_->SetFilter(H, 0, 0, result), HrOk);
    QThread::msleep(400);
    Bytes msg;
    ASSERT_EQ(proxy_->ReadUDPBlockV6(H, msg, result), HrOk);
    ASSERT_EQ(result, ResultOk);
    Kvrdata_ns::TUDPMsgV6 one;
    ASSERT_TRUE(one.FromVariant(msg));
    EXPECT_NE(one.GetMsgType(), -2);
    ASSERT_EQ(proxy_->ReadUDPBlock(H, msg, result), HrOk);
    ASSERT_EQ(result, ResultOk);
    EXPECT_EQ(msg.size(), 177u);
}

TEST_F(Loopback, ConnectionByAddressFindsTheDeviceByItsBroadcast)
{
    struct Case {
        Kvrdata_ns::TKVRConnectionKind kind;
        unsigned ip, pid, did, mac;
        std::uint32_t wantedSerial; // 0: the open must fail
    };
    const std::vector<Case> cases{
        {Kvrdata_ns::dckBroadcast, 0, 0x41424344, 1, 0x1234, 0x1234}, // older status record
        {Kvrdata_ns::dckBroadcast, 0, 0x41424344, 2, 0x5678, 0x5678}, // newer device record only
        {Kvrdata_ns::dckBroadcast, 0, 0x41424344, 2, 0, 0x5678},      // serial number not given
        {Kvrdata_ns::dckBroadcast, 0, 0x41424344, 3, 0, 0},           // no such device
        {Kvrdata_ns::dckBroadcast, 0, 0x41424344, 1, 0x9999, 0},      // wrong serial number
        {Kvrdata_ns::dckFixedIP, 0x7F000003, 0, 0, 0, 0x5678},
        {Kvrdata_ns::dckCOMPort, 0, 0, 0, 3, 0},                      // no serial line configured
    };
    // The broadcasts must have arrived first.
    pollCollection(
        [this] { return collection(true); },
        [](Bytes b) {
            Kvrdata_ns::TUDPMsgsV6 v;
            return v.FromVariant(b) ? static_cast<std::size_t>(v.Size()) : 0u;
        }, 2);
    for (const Case& c : cases) {
        Kvrdata_ns::TDeviceAddr da;
        da.CK = c.kind;
        da.IP = c.ip;
        da.PID = c.pid;
        da.DID = c.did;
        da.MAC = c.mac;
        Bytes bytes;
        ASSERT_TRUE(da.ToVariant(bytes));
        std::int32_t result = -1;
        ASSERT_EQ(proxy_->OpenConnection(H, bytes, result), HrOk);
        if (c.wantedSerial == 0) {
            EXPECT_NE(result, ResultOk) << "DID " << c.did << " MAC " << c.mac;
            continue;
        }
        ASSERT_EQ(result, ResultOk) << "DID " << c.did;
        EXPECT_EQ(send(block(0x112E0000)), ResultOk);
        const auto answer = read(2000);
        ASSERT_TRUE(answer);
        EXPECT_EQ(kvr::readBE32(answer->payload(), 0), c.wantedSerial);
        ASSERT_EQ(proxy_->CloseConnection(H, result), HrOk);
    }
    std::int32_t result = -1;
    EXPECT_EQ(proxy_->OpenConnection(H, Bytes{1, 2, 3}, result), HrOk);
    EXPECT_NE(result, ResultOk) << "an address that does not decode";
}

TEST_F(Loopback, CuttingTheLinkGivesReconnectingThenLost)
{
    open();
    programs_.emulator->send("cut 1");
    ASSERT_TRUE(programs_.emulator->waitForLine("ok cut"));
    ASSERT_TRUE(readResultBecomes(ResultReconnecting, 3000));
    EXPECT_EQ(send(block(0x1A000001)), ResultReconnecting);
    ASSERT_TRUE(readResultBecomes(ResultConnectionLost, 5000));
    EXPECT_EQ(send(block(0x1A000001)), ResultNoConnection);
}

TEST_F(Loopback, LinkComesBackWhenTheDeviceReturnsInTime)
{
    open();
    programs_.emulator->send("cut 1");
    ASSERT_TRUE(programs_.emulator->waitForLine("ok cut"));
    ASSERT_TRUE(readResultBecomes(ResultReconnecting, 3000));
    programs_.emulator->send("resume 1");
    ASSERT_TRUE(programs_.emulator->waitForLine("ok resume"));
    ASSERT_TRUE(readResultBecomes(ResultNothingQueued, 3000));
    EXPECT_EQ(send(block(0x1A000001)), ResultOk);
    EXPECT_TRUE(read(2000));
}

TEST_F(Loopback, FilterPassesOnlyItsClass)
{
    open();
    std::int32_t result = -1;
    ASSERT_EQ(proxy_->SetFilter(H, 0x112E0000, static_cast<std::int32_t>(0xFFFF0000u), result), HrOk);
    EXPECT_EQ(result, ResultOk);
    EXPECT_EQ(send(block(0x1A000001)), ResultOk);
    EXPECT_EQ(send(block(0x112E0000)), ResultOk);
    EXPECT_EQ(send(block(0x1A000002)), ResultOk);
    const auto first = read(2000);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->id, 0x112E0000u);
    std::int32_t again = -1;
    EXPECT_FALSE(read(300, &again));
    EXPECT_EQ(again, ResultNothingQueued);
}

TEST_F(Loopback, GarbageFramesLeaveTheServerServingOthers)
{
    open();
    const std::vector<QByteArray> garbage{
        QByteArray("GET / HTTP/1.0\r\n\r\n"),
        QByteArray::fromHex("4b4301ff00000001000000"),            // unknown method
        QByteArray::fromHex("4b43010300000001ffffffff"),          // absurd length
        QByteArray::fromHex("4b43010800000001000000050000112e00"), // payload shorter than its array
    };
    for (const QByteArray& bytes : garbage) {
        QLocalSocket bad;
        bad.connectToServer(serverSocketPath(folder_.toStdString()).c_str());
        ASSERT_TRUE(bad.waitForConnected(2000));
        bad.write(bytes);
        bad.waitForBytesWritten(1000);
        EXPECT_TRUE(bad.state() == QLocalSocket::UnconnectedState || bad.waitForDisconnected(3000)) << bytes.toHex().toStdString();
    }
    EXPECT_EQ(send(block(0x1A000001)), ResultOk);
    EXPECT_TRUE(read(2000));
}

TEST_F(Loopback, ASecondInstanceOfTheSameUserIsRefused)
{
    Program second(KVR_RUREZ_PATH, serverArgs(folder_));
    const auto code = second.waitForExit(5000);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 2);
    std::int32_t version = 0;
    EXPECT_EQ(proxy_->GetVersion(version), HrOk);
}

TEST_F(Loopback, AGoneServerGivesNegativeCodesAtOnce)
{
    std::int32_t version = 0;
    ASSERT_EQ(proxy_->GetVersion(version), HrOk);
    programs_.server->stop();
    QElapsedTimer clock;
    clock.start();
    Bytes b;
    std::int32_t result = 0;
    EXPECT_LT(proxy_->ReadBlock2(H, b, result), 0);
    EXPECT_LT(proxy_->GetVersion(version), 0);
    EXPECT_LT(clock.elapsed(), 1500);
}

TEST(LoopbackServer, MessagesToAllDevicesReachEveryTarget)
{
    QTemporaryDir dir;
    Program emulator(KVR_DEVEMU_PATH, {"--device", "ip=127.0.0.2", "--device", "ip=127.0.0.3", "--broadcast-ms", "0"});
    QStringList targets;
    for (int i = 1; i <= 2; ++i) {
        const auto line = emulator.waitForLine(QString("device %1").arg(i));
        ASSERT_TRUE(line);
        targets << "--udp-target" << QString("127.0.0.%1:%2").arg(i + 1).arg(wordValue(*line, "udp"));
    }
    const QString folder = dir.path() + "/run";
    Program server(KVR_RUREZ_PATH, serverArgs(folder) << targets);
    ASSERT_TRUE(server.waitForLine("rurez ready"));
    CommServerProxy proxy(ProxyEndpoint{serverSocketPath(folder.toStdString()), {}, 0});

    // A global logic state for every device: address 255.255.255.255, magic in host order.
    Bytes record(176, 0);
    kvr::writeLE32(record, 0, 0xFFFFFFFF);
    kvr::writeLE32(record, 8, 0x20081996);
    const Bytes rest{'A', 'B', 'C', 'D', 3, 0, 17, 80, 0, 0, 0, 7, 1};
    std::copy(rest.begin(), rest.end(), record.begin() + 12);
    kvr::writeLE32(record, 172, 17);
    std::int32_t result = -1;
    ASSERT_EQ(proxy.SendUDPBlock(1, record, result), HrOk);
    EXPECT_EQ(result, ResultOk);
    for (int i = 1; i <= 2; ++i) {
        QElapsedTimer clock;
        clock.start();
        QString seen;
        while (clock.elapsed() < 3000) {
            emulator.send(QString("received %1").arg(i));
            seen = emulator.waitForLine(QString("received %1").arg(i)).value_or(QString());
            if (wordValue(seen, "datagrams") == "1")
                break;
            QThread::msleep(50);
        }
        EXPECT_EQ(wordValue(seen, "datagrams"), "1") << "device " << i;
    }
}

TEST_F(Loopback, PingTimesAConnectToTheDevicePort)
{
    std::int32_t ms = -1;
    EXPECT_EQ(proxy_->Ping("127.0.0.2", 1000, ms), HrOk);
    EXPECT_GE(ms, 0);
    EXPECT_LT(ms, 1000);
    // An address nothing answers from (documentation range): no answer, yet the server responds.
    QElapsedTimer clock;
    clock.start();
    EXPECT_GT(proxy_->Ping("192.0.2.1", 300, ms), 0);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(LoopbackServer, SerialLineToAnEmulatedDeviceFromItsDeviceFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A device file: the image as it stands, its header giving its length.
    Bytes image(216, 0);
    std::copy_n("MPJ2", 4, image.begin());
    kvr::writeBE16(image, 58, 216);
    image[215] = 0x5A;
    QFile kvf(dir.path() + "/dev.kvf");
    ASSERT_TRUE(kvf.open(QIODevice::WriteOnly));
    kvf.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
    kvf.close();

    Program emulator(KVR_DEVEMU_PATH, {"--device", "ip=127.0.0.4,pty,serial=77,image=" + dir.path() + "/dev.kvf"});
    const auto line = emulator.waitForLine("device 1");
    ASSERT_TRUE(line) << emulator.errors().toStdString();
    const QString pty = wordValue(*line, "pty");
    ASSERT_FALSE(pty.isEmpty());
    const QString folder = dir.path() + "/run";
    Program server(KVR_RUREZ_PATH, serverArgs(folder) << "--serial" << "5=" + pty);
    ASSERT_TRUE(server.waitForLine("rurez ready")) << server.errors().toStdString();
    CommServerProxy proxy(ProxyEndpoint{serverSocketPath(folder.toStdString()), {}, 0});

    for (const bool byAddress : {false, true}) {
        std::int32_t result = -1;
        if (byAddress) {
            Kvrdata_ns::TDeviceAddr da;
            da.CK = Kvrdata_ns::dckCOMPort;
            da.SetCOMPort(5);
            Bytes bytes;
            ASSERT_TRUE(da.ToVariant(bytes));
            ASSERT_EQ(proxy.OpenConnection(H, bytes, result), HrOk);
        } else {
            ASSERT_EQ(proxy.OpenSerialConnection(H, 5, result), HrOk);
        }
        ASSERT_EQ(result, ResultOk);
        // Block 27 holds image bytes 208-215; 0xC0 and 0xDB in the data test the escaping.
        ASSERT_EQ(proxy.SendBlock(H, block(0x1B000001, {0xC0, 0xDB, 0xC0, 0, 1, 2, 3, 4}), result), HrOk);
        ASSERT_EQ(result, ResultOk);
        Bytes b;
        ASSERT_EQ(proxy.ReadBlockEx2(H, 2000, b, result), HrOk);
        ASSERT_EQ(result, ResultOk);
        ASSERT_EQ(proxy.SendBlock(H, block(0x1A000001), result), HrOk);
        ASSERT_EQ(proxy.ReadBlockEx2(H, 2000, b, result), HrOk);
        ASSERT_EQ(result, ResultOk);
        EXPECT_EQ(Bytes(b.begin() + 6, b.begin() + 14), (Bytes{0xC0, 0xDB, 0xC0, 0, 1, 2, 3, 4}));
        ASSERT_EQ(proxy.SendBlock(H, block(0x1A00001B), result), HrOk);
        ASSERT_EQ(proxy.ReadBlockEx2(H, 2000, b, result), HrOk);
        ASSERT_EQ(result, ResultOk);
        EXPECT_EQ(b[6 + 7], 0x5A) << "the image came from the device file";
        ASSERT_EQ(proxy.CloseConnection(H, result), HrOk);
    }
}

// The program starts its server without arguments: "COM n" then comes from the settings store.
TEST(LoopbackServer, SerialPortsComeFromTheSettingsStore)
{
    QTemporaryDir dir;
    Program emulator(KVR_DEVEMU_PATH, {"--device", "ip=127.0.0.4,pty"});
    const auto line = emulator.waitForLine("device 1");
    ASSERT_TRUE(line) << emulator.errors().toStdString();
    const QString pty = wordValue(*line, "pty");
    ASSERT_FALSE(pty.isEmpty());
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("KVR_CONFIG_DIR", dir.path() + "/config");
    QDir().mkpath(dir.path() + "/config");
    kvr::platform::IniSettingsStore((dir.path() + "/config/settings.ini").toStdString())
        .writeString("Software\\KVR\\KX7300\\Server\\SerialPorts", "COM7", pty.toStdString());
    const QString folder = dir.path() + "/run";
    Program server(KVR_RUREZ_PATH, serverArgs(folder), env);
    ASSERT_TRUE(server.waitForLine("rurez ready")) << server.errors().toStdString();
    CommServerProxy proxy(ProxyEndpoint{serverSocketPath(folder.toStdString()), {}, 0});
    std::int32_t result = -1;
    ASSERT_EQ(proxy.OpenSerialConnection(H, 7, result), HrOk);
    ASSERT_EQ(result, ResultOk);
    ASSERT_EQ(proxy.SendBlock(H, block(0x112E0000), result), HrOk);
    Bytes b;
    ASSERT_EQ(proxy.ReadBlockEx2(H, 2000, b, result), HrOk);
    EXPECT_EQ(result, ResultOk) << "the emulated device answers on its serial line";
    ASSERT_EQ(proxy.CloseConnection(H, result), HrOk);
    ASSERT_EQ(proxy.OpenSerialConnection(H, 200, result), HrOk);
    EXPECT_NE(result, ResultOk) << "a port neither stored nor on the machine";
    EXPECT_EQ(server.stopAndCheck().toStdString(), "");
}

TEST(LoopbackServer, ASerialLineThatGoesAwayIsRetriedThenLost)
{
    QTemporaryDir dir;
    auto emulator = std::make_unique<Program>(KVR_DEVEMU_PATH, QStringList{"--device", "ip=127.0.0.4,pty"});
    const auto line = emulator->waitForLine("device 1");
    ASSERT_TRUE(line);
    // The server knows the line by a name of its own: a pseudo-terminal's number is soon taken
    // by the next one (another test's), which the retries must not find.
    const QString name = dir.path() + "/ttyEMU";
    ASSERT_TRUE(QFile::link(wordValue(*line, "pty"), name));
    const QString folder = dir.path() + "/run";
    Program server(KVR_RUREZ_PATH, serverArgs(folder) << "--serial" << "2=" + name);
    ASSERT_TRUE(server.waitForLine("rurez ready"));
    CommServerProxy proxy(ProxyEndpoint{serverSocketPath(folder.toStdString()), {}, 0});
    std::int32_t result = -1;
    ASSERT_EQ(proxy.OpenSerialConnection(H, 2, result), HrOk);
    ASSERT_EQ(result, ResultOk);
    ASSERT_TRUE(QFile::remove(name));
    EXPECT_EQ(emulator->stopAndCheck().toStdString(), "");

    EXPECT_TRUE(readResultBecomes(proxy, ResultReconnecting, 5000));
    EXPECT_TRUE(readResultBecomes(proxy, ResultConnectionLost, 5000));
    ASSERT_EQ(proxy.SendBlock(H, block(0x1A000001), result), HrOk);
    EXPECT_EQ(result, ResultNoConnection);
    EXPECT_EQ(server.stopAndCheck().toStdString(), "");
}

TEST(LoopbackServer, StatusPagesGivenOnTheEmulatorsCommandLine)
{
    QTemporaryDir dir;
    Program emulator(KVR_DEVEMU_PATH, {"--device", "ip=127.0.0.4,page=0x0102:1:0A0B0C,page=0x0102:0:01"});
    const auto line = emulator.waitForLine("device 1");
    ASSERT_TRUE(line) << emulator.errors().toStdString();
    const QString folder = dir.path() + "/run";
    Program server(KVR_RUREZ_PATH, serverArgs(folder));
    ASSERT_TRUE(server.waitForLine("rurez ready")) << server.errors().toStdString();
    CommServerProxy proxy(ProxyEndpoint{serverSocketPath(folder.toStdString()), {}, 0});
    std::int32_t result = -1;
    ASSERT_EQ(proxy.OpenTCPConnection(H, "127.0.0.4", wordValue(*line, "tcp").section(':', 1).toInt(), result), HrOk);
    ASSERT_EQ(result, ResultOk);
    ASSERT_EQ(proxy.SendBlock(H, block(0x05000102), result), HrOk);
    std::vector<Bytes> pages;
    for (int i = 0; i < 3; ++i) {
        Bytes b;
        ASSERT_EQ(proxy.ReadBlockEx2(H, 2000, b, result), HrOk);
        ASSERT_EQ(result, ResultOk);
        const auto frame = frameFromClientBlock(b);
        ASSERT_TRUE(frame);
        pages.emplace_back(frame->payload().begin(), frame->payload().end());
        if (i == 2) {
            EXPECT_EQ(frame->id, 0x05FF0102u) << "page 255 ends the pages";
        }
    }
    EXPECT_EQ(pages[0], (Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pages[1], (Bytes{0x0A, 0x0B, 0x0C, 0, 0, 0, 0, 0}));
}

// A local client that calls without ever reading its answers: once its unread answers pass the
// bound, its connection is closed; another client is served throughout.
TEST(LoopbackServer, AClientThatNeverReadsIsCutOffAtTheAnswerBound)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/run";
    Program server(KVR_RUREZ_PATH, serverArgs(folder) << "--reply-backlog-bytes" << "262144");
    ASSERT_TRUE(server.waitForLine("rurez ready")) << server.errors().toStdString();
    // A plain socket that is never read: what the server answers stays unread.
    const int greedy = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(greedy, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = serverSocketPath(folder.toStdString());
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::connect(greedy, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::fcntl(greedy, F_SETFL, O_NONBLOCK);
    CommServerProxy polite(ProxyEndpoint{path, {}, 0});
    RpcFrame call;
    call.kind = RpcKind::Call;
    call.method = RpcMethod::GetVersion;
    const Bytes frame = encodeRpcFrame(call);
    Bytes calls;
    for (int i = 0; i < 1000; ++i)
        calls.insert(calls.end(), frame.begin(), frame.end());
    QElapsedTimer clock;
    clock.start();
    int served = 0;
    bool closed = false;
    while (!closed && clock.elapsed() < 20000) {
        const ssize_t n = ::send(greedy, calls.data(), calls.size(), MSG_NOSIGNAL);
        closed = n < 0 && errno == EPIPE;
        std::int32_t version = 0;
        if (polite.GetVersion(version) == HrOk && version != 0)
            ++served;
    }
    ::close(greedy);
    EXPECT_TRUE(closed) << "the greedy connection was closed";
    EXPECT_GT(served, 0);
    std::int32_t version = 0;
    EXPECT_EQ(polite.GetVersion(version), HrOk) << "the other client is still served";
    EXPECT_EQ(server.stopAndCheck().toStdString(), "");
}

namespace {

// A plain connection to the server's local socket, closed at the end of the scope.
struct RawConnection {
    explicit RawConnection(const std::string& path)
    {
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), std::min(path.size() + 1, sizeof address.sun_path));
        connected = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawConnection() { ::close(fd); }
    // The server closed its end: readable and nothing to read.
    bool closedByServer() const
    {
        pollfd p{fd, POLLIN, 0};
        char c;
        return ::poll(&p, 1, 0) == 1 && ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
    }
    int fd = -1;
    bool connected = false;
};

} // namespace

// Connections that sit idle cannot lock the program out: a full server gives the place of the
// longest idle one to a new client, and idle connections without a handle are closed after the
// idle time, while one that holds a handle stays.
TEST(LoopbackServer, IdleConnectionsMakeRoomAndTimeOut)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/run";
    Program server(KVR_RUREZ_PATH, serverArgs(folder) << "--connection-idle-ms" << "400");
    ASSERT_TRUE(server.waitForLine("rurez ready")) << server.errors().toStdString();
    const std::string path = serverSocketPath(folder.toStdString());

    // A connection that claimed a handle with a call, and read its answer.
    RawConnection holder(path);
    ASSERT_TRUE(holder.connected);
    RpcFrame call;
    call.method = RpcMethod::SetFilter;
    call.values = {std::int32_t{H}, std::int32_t{0}, std::int32_t{0}};
    const Bytes frame = encodeRpcFrame(call);
    ASSERT_EQ(::send(holder.fd, frame.data(), frame.size(), MSG_NOSIGNAL), static_cast<ssize_t>(frame.size()));
    pollfd p{holder.fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    std::uint8_t reply[256];
    ASSERT_GT(::recv(holder.fd, reply, sizeof reply, 0), 0);

    // Every other place taken by connections that never call.
    std::vector<std::unique_ptr<RawConnection>> silent;
    for (int i = 0; i < 63; ++i) {
        silent.push_back(std::make_unique<RawConnection>(path));
        ASSERT_TRUE(silent.back()->connected);
    }
    QThread::msleep(100); // the server has taken them all
    CommServerProxy program(ProxyEndpoint{path, {}, 0});
    std::int32_t version = 0;
    EXPECT_EQ(program.GetVersion(version), HrOk) << "a full server still serves a new client";
    EXPECT_TRUE(silent.front()->closedByServer()) << "the longest idle made room";

    QElapsedTimer clock;
    clock.start();
    const auto allClosed = [&] {
        return std::all_of(silent.begin() + 1, silent.end(), [](const auto& c) { return c->closedByServer(); });
    };
    while (!allClosed() && clock.elapsed() < 5000)
        QThread::msleep(50);
    EXPECT_TRUE(allClosed()) << "idle connections were closed";
    EXPECT_FALSE(holder.closedByServer()) << "a connection holding a handle stays";
    EXPECT_EQ(program.GetVersion(version), HrOk) << "a client whose connection timed out connects again";
    EXPECT_EQ(server.stopAndCheck().toStdString(), "");
}

// The server's memory stays bounded while one client calls without ever reading its answers and
// datagrams of every size flood in from 200 senders; another client is served throughout. The
// bound: 128 MiB above the server's size at rest, with the leak checker's quarantine held to
// 16 MiB so that memory given back is not counted. Unbounded, this reached a gigabyte.
TEST(LoopbackServer, MemoryStaysBoundedUnderAGreedyClientAndADatagramFlood)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/run";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":quarantine_size_mb=16");
    Program server(KVR_RUREZ_PATH, serverArgs(folder), env);
    const auto ready = server.waitForLine("rurez ready");
    ASSERT_TRUE(ready) << server.errors().toStdString();
    const auto udpPort = static_cast<std::uint16_t>(wordValue(*ready, "udp").toUInt());
    const std::string path = serverSocketPath(folder.toStdString());
    CommServerProxy polite(ProxyEndpoint{path, {}, 0});
    std::int32_t version = 0;
    ASSERT_EQ(polite.GetVersion(version), HrOk);
    const long rest = residentKiB(server.pid());
    ASSERT_GT(rest, 0);

    RawConnection greedy(path);
    ASSERT_TRUE(greedy.connected);
    ::fcntl(greedy.fd, F_SETFL, O_NONBLOCK);
    Bytes calls;
    for (const RpcMethod method : {RpcMethod::ReadUDPBroadCasts, RpcMethod::ReadUDPBroadCastsV6}) {
        RpcFrame call;
        call.method = method;
        call.values = {std::int32_t{H}};
        const Bytes frame = encodeRpcFrame(call);
        for (int i = 0; i < 200; ++i)
            calls.insert(calls.end(), frame.begin(), frame.end());
    }

    std::vector<int> senders;
    for (int n = 2; n < 202; ++n) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = htonl(0x7F000000u | static_cast<std::uint32_t>(n));
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0)
            senders.push_back(fd);
        else if (fd >= 0)
            ::close(fd);
    }
    ASSERT_FALSE(senders.empty());
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(udpPort);
    to.sin_addr.s_addr = htonl(0x7F000001u);
    Bytes status(200, 0x5A);
    kvr::writeBE32(status, 0, StatusMagic);
    const Bytes large(60000, 0xA5);

    long peak = rest;
    int served = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 4000) {
        ::send(greedy.fd, calls.data(), calls.size(), MSG_NOSIGNAL);
        for (const int fd : senders) {
            ::sendto(fd, status.data(), status.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
            ::sendto(fd, large.data(), large.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        }
        if (polite.GetVersion(version) == HrOk && version != 0)
            ++served;
        peak = std::max(peak, residentKiB(server.pid()));
    }
    for (const int fd : senders)
        ::close(fd);
    RecordProperty("RestKiB", static_cast<int>(rest));
    RecordProperty("PeakKiB", static_cast<int>(peak));
    EXPECT_GT(served, 0) << "the other client was served during the flood";
    EXPECT_LT(peak - rest, 128 * 1024) << "rest " << rest << " KiB, peak " << peak << " KiB";
    EXPECT_EQ(polite.GetVersion(version), HrOk);
    EXPECT_EQ(server.stopAndCheck().toStdString(), "");
}

// A handle belongs to the connection that opened it: another connection that only names it
// does not close its device link when it goes.
TEST_F(Loopback, AHandleBelongsToTheConnectionThatOpenedIt)
{
    open();
    {
        CommServerProxy other(ProxyEndpoint{serverSocketPath(folder_.toStdString()), {}, 0});
        std::int32_t result = -1;
        ASSERT_EQ(other.SetFilter(H, 0, 0, result), HrOk);
    }
    QThread::msleep(300); // the other connection's end reaches the server
    ASSERT_EQ(send(block(0x112E0000)), ResultOk);
    const auto answer = read(2000);
    ASSERT_TRUE(answer) << "the link of the opening connection still stands";
    EXPECT_EQ(answer->id, 0x112E0000u);
}

TEST(LoopbackServer, EmulatorRefusesAFileThatIsNoDeviceFile)
{
    QTemporaryDir dir;
    QFile bad(dir.path() + "/bad.kvf");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(300, 'x'));
    bad.close();
    Program emulator(KVR_DEVEMU_PATH, {"--device", "image=" + dir.path() + "/bad.kvf"});
    const auto code = emulator.waitForExit(5000);
    ASSERT_TRUE(code);
    EXPECT_NE(*code, 0);
}

TEST(LoopbackServer, RemoteListenerOnlyWhenConfigured)
{
    QTemporaryDir dir;
    Program closed(KVR_RUREZ_PATH, serverArgs(dir.path() + "/a"));
    const auto closedLine = closed.waitForLine("rurez ready");
    ASSERT_TRUE(closedLine);
    EXPECT_EQ(wordValue(*closedLine, "remote"), "0");

    Program server(KVR_RUREZ_PATH, serverArgs(dir.path() + "/b") << "--remote-listen" << "127.0.0.1:0");
    const auto line = server.waitForLine("rurez ready");
    ASSERT_TRUE(line);
    const int port = wordValue(*line, "remote").toInt();
    ASSERT_GT(port, 0);
    CommServerProxy proxy(ProxyEndpoint{{}, "127.0.0.1", static_cast<std::uint16_t>(port)});
    std::int32_t version = 0;
    EXPECT_EQ(proxy.GetVersion(version), HrOk);
    EXPECT_GE(version, MinimumServerVersion);
    EXPECT_EQ(server.stopAndCheck().toStdString(), "");
}

TEST(LoopbackServer, PeersOfAnotherUserAreRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The machine gives us one user only, so the server is told its owner is someone else.
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("KVR_RUREZ_OWNER_UID", QString::number(::getuid() + 1));
    Program server(KVR_RUREZ_PATH, serverArgs(dir.path() + "/run"), env);
    ASSERT_TRUE(server.waitForLine("rurez ready")) << server.errors().toStdString();
    CommServerProxy proxy(ProxyEndpoint{serverSocketPath((dir.path() + "/run").toStdString()), {}, 0});
    QElapsedTimer clock;
    clock.start();
    std::int32_t version = 0;
    EXPECT_LT(proxy.GetVersion(version), 0);
    EXPECT_LT(clock.elapsed(), 3000);
}

TEST(LoopbackServer, ARealForeignUserIsRefused)
{
    // Only root can act as another user here; the socket is opened up so that the peer check,
    // not the folder's mode, has to do the refusing.
    if (::geteuid() != 0 || !QFileInfo("/usr/sbin/runuser").isExecutable() || !QFileInfo("/usr/bin/python3").isExecutable())
        GTEST_SKIP() << "needs root, runuser and python3";
    QTemporaryDir dir;
    const QString folder = dir.path() + "/run";
    Program server(KVR_RUREZ_PATH, serverArgs(folder));
    ASSERT_TRUE(server.waitForLine("rurez ready"));
    const QString socket = QString::fromStdString(serverSocketPath(folder.toStdString()));
    ASSERT_EQ(::chmod(dir.path().toUtf8().constData(), 0711), 0);
    ASSERT_EQ(::chmod(folder.toUtf8().constData(), 0711), 0);
    ASSERT_EQ(::chmod(socket.toUtf8().constData(), 0777), 0);

    const char* script =
        "import socket,sys\n"
        "s=socket.socket(socket.AF_UNIX)\n"
        "s.settimeout(3)\n"
        "try:\n"
        "    s.connect(sys.argv[1])\n"
        "except OSError:\n"
        "    print('unreachable')\n"
        "    sys.exit(0)\n"
        "try:\n"
        "    s.sendall(bytes([75,67,1,3,0,0,0,1,0,0,0,0]))\n"
        "    d=s.recv(100)\n"
        "    print('answered' if d else 'refused')\n"
        "except socket.timeout:\n"
        "    print('silent')\n"
        "except OSError:\n"
        "    print('refused')\n";
    for (const char* user : {"nobody", "root"}) {
        Program peer("/usr/sbin/runuser", {"-u", user, "--", "/usr/bin/python3", "-c", script, socket});
        const auto line = peer.waitForLine("", 8000);
        ASSERT_TRUE(line) << user << ": " << peer.errors().toStdString();
        EXPECT_EQ(line->toStdString(), std::string(user) == "nobody" ? "refused" : "answered") << user;
    }
    EXPECT_EQ(server.stopAndCheck().toStdString(), "");
}

TEST(LoopbackServer, RegserverRecordsPathAndVersion)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("KVR_CONFIG_DIR", dir.path());
    Program reg(KVR_RUREZ_PATH, {"/regserver"}, env);
    const auto code = reg.waitForExit(5000);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 0);

    const QByteArray saved = qgetenv("KVR_CONFIG_DIR");
    qputenv("KVR_CONFIG_DIR", dir.path().toUtf8());
    const ServerRegistration r = readServerRegistration();
    qputenv("KVR_CONFIG_DIR", saved);
    EXPECT_EQ(QFileInfo(QString::fromStdString(r.path)).canonicalFilePath(), QFileInfo(KVR_RUREZ_PATH).canonicalFilePath());
    EXPECT_EQ(r.version, KVR_VERSION_TEXT);

    // The client reads it through the settings store.
    const kvr::platform::IniSettingsStore store((dir.path() + "/settings.ini").toStdString());
    EXPECT_EQ(store.readString(ServerPathKey, ""), r.path);
    EXPECT_EQ(store.readString(ServerClassKey, "version"), std::string(KVR_VERSION_TEXT));
}

} // namespace
