// The server program and the device emulator on loopback, driven through the client-side proxy.

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <unistd.h>

#include "commserver/commserverproxy.h"
#include "commserver/deviceframe.h"
#include "commserver/server/serverregistration.h"
#include "kvr/version.h"
#include "kvrdata/byteorder.h"
#include "platform/settingsstore.h"
#include "program.h"

namespace {

using namespace kvr::commserver;

constexpr std::int32_t H = 4711;

Bytes block(std::uint32_t id, Bytes data = {}) { return clientBlockFromFrame(makeDeviceFrame(id, data)); }

QStringList serverArgs(const QString& folder)
{
    return {"--dir", folder, "--udp-bind", "127.0.0.1:0", "--connect-timeout-ms", "1000", "--retry-ms", "200",
            "--reconnect-ms", "1500", "--broadcast-max-age-ms", "3000"};
}

class Loopback : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        folder_ = dir_.path() + "/run";
        server_ = std::make_unique<Program>(KVR_RUREZ_PATH, serverArgs(folder_));
        const auto ready = server_->waitForLine("rurez ready");
        ASSERT_TRUE(ready) << server_->errors().toStdString();
        const QString udp = wordValue(*ready, "udp");
        emulator_ = std::make_unique<Program>(KVR_DEVEMU_PATH,
            QStringList{"--device", "ip=127.0.0.2,serial=0x1234,name=EMU1,pid=ABCD,did=1",
                        "--device", "ip=127.0.0.3,serial=0x5678,name=EMU2,pid=ABCD,did=2",
                        "--udp-target", "127.0.0.1:" + udp, "--broadcast-ms", "200"});
        for (int i = 0; i < 2; ++i) {
            const auto line = emulator_->waitForLine("device");
            ASSERT_TRUE(line) << emulator_->errors().toStdString();
            devicePorts_.push_back(wordValue(*line, "tcp").section(':', 1).toInt());
        }
        ASSERT_TRUE(emulator_->waitForLine("devemu ready"));
        proxy_ = std::make_unique<CommServerProxy>(ProxyEndpoint{serverSocketPath(folder_.toStdString()), {}, 0});
    }

    void TearDown() override
    {
        proxy_.reset();
        emulator_.reset();
        server_.reset();
    }

    void open(const char* ip = "127.0.0.2", int device = 0)
    {
        std::int32_t result = -1;
        ASSERT_EQ(proxy_->OpenTCPConnection(H, ip, devicePorts_.at(device), result), HrOk);
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

    // Polls ReadBlock2 until it answers the wanted result; bounded.
    bool readResultBecomes(std::int32_t wanted, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            Bytes b;
            std::int32_t result = -1;
            if (proxy_->ReadBlock2(H, b, result) == HrOk && result == wanted)
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    QTemporaryDir dir_;
    QString folder_;
    std::unique_ptr<Program> server_;
    std::unique_ptr<Program> emulator_;
    std::vector<int> devicePorts_;
    std::unique_ptr<CommServerProxy> proxy_;
};

TEST_F(Loopback, ReadRequestReachesTheDeviceAndItsAnswerComesBack)
{
    std::int32_t version = 0;
    ASSERT_EQ(proxy_->GetVersion(version), HrOk);
    EXPECT_GE(version, MinimumServerVersion);

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

TEST_F(Loopback, ImageWriteIsReadBack)
{
    open();
    EXPECT_EQ(send(block(0x1B000000)), ResultOk);
    EXPECT_EQ(send(block(0x1B000003, {1, 2, 3, 4, 5, 6, 7, 8})), ResultOk);
    const auto ack = read(2000);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->id, 0x1B000003u);
    EXPECT_EQ(send(block(0x1A000003)), ResultOk);
    const auto back = read(2000);
    ASSERT_TRUE(back);
    EXPECT_EQ(Bytes(back->payload().begin(), back->payload().end()), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(Loopback, BroadcastCollectionListsTheEmulatedDevices)
{
    QElapsedTimer clock;
    clock.start();
    Bytes collection;
    while (clock.elapsed() < 5000) {
        std::int32_t result = -1;
        ASSERT_EQ(proxy_->ReadUDPBroadCasts(0, collection, result), HrOk);
        if (collection.size() >= 4 + 2 * 177)
            break;
        QThread::msleep(100);
    }
    ASSERT_EQ(collection.size(), 4u + 2 * 177) << "one record per device, the newest only";
    EXPECT_EQ(kvr::readBE16(collection, 0), 177);
    std::set<std::uint32_t> ips;
    std::set<std::uint32_t> serials;
    for (std::size_t i = 0; i < 2; ++i) {
        const auto record = std::span<const std::uint8_t>(collection).subspan(4 + i * 177, 177);
        ips.insert(kvr::readLE32(record, 0));
        EXPECT_EQ(kvr::readLE32(record, 8), 0x06061999u);
        serials.insert(kvr::readLE32(record, 12));
        EXPECT_EQ(kvr::readLE32(record, 20), 0x41424344u); // "ABCD" in host order
        EXPECT_EQ(std::string(record.begin() + 28, record.begin() + 31), "EMU");
    }
    EXPECT_EQ(ips, (std::set<std::uint32_t>{0x7F000002, 0x7F000003}));
    EXPECT_EQ(serials, (std::set<std::uint32_t>{0x1234, 0x5678}));
}

TEST_F(Loopback, CuttingTheLinkGivesReconnectingThenLost)
{
    open();
    emulator_->send("cut 1");
    ASSERT_TRUE(emulator_->waitForLine("ok cut"));
    ASSERT_TRUE(readResultBecomes(ResultReconnecting, 3000));
    EXPECT_EQ(send(block(0x1A000001)), ResultReconnecting);
    ASSERT_TRUE(readResultBecomes(ResultConnectionLost, 5000));
    EXPECT_EQ(send(block(0x1A000001)), ResultNoConnection);
}

TEST_F(Loopback, LinkComesBackWhenTheDeviceReturnsInTime)
{
    open();
    emulator_->send("cut 1");
    ASSERT_TRUE(emulator_->waitForLine("ok cut"));
    ASSERT_TRUE(readResultBecomes(ResultReconnecting, 3000));
    emulator_->send("resume 1");
    ASSERT_TRUE(emulator_->waitForLine("ok resume"));
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
    server_->stop();
    QElapsedTimer clock;
    clock.start();
    Bytes b;
    std::int32_t result = 0;
    EXPECT_LT(proxy_->ReadBlock2(H, b, result), 0);
    EXPECT_LT(proxy_->GetVersion(version), 0);
    EXPECT_LT(clock.elapsed(), 1500);
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
