// The server core in-process, with a device played by a TCP server inside the test.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <map>
#include <set>

#include <sys/socket.h>

#include "commserver/deviceframe.h"
#include "qtenvironment.h"
#include "commserver/server/commservercore.h"
#include "commserver/server/localcommserver.h"
#include "commserver/server/udphub.h"
#include "kvrdata/blockstream.h"
#include "kvrdata/byteorder.h"
#include "kvrdata/udpmsgv6.h"

namespace {

using namespace kvr::commserver;

class CoreWithDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(device_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&device_, &QTcpServer::newConnection, [this] { socket_ = device_.nextPendingConnection(); });
    }

    void start(ServerConfig config)
    {
        config.udpBind = {"127.0.0.1", 0};
        config.link.retryIntervalMs = 50;
        config.link.reconnectWindowMs = 300;
        core_ = std::make_unique<CommServerCore>(config);
        ASSERT_TRUE(core_->start(nullptr));
        server_ = std::make_unique<LocalCommServer>(*core_);
    }

    void open()
    {
        std::int32_t result = -1;
        ASSERT_EQ(server_->OpenTCPConnection(1, "127.0.0.1", device_.serverPort(), result), HrOk);
        ASSERT_EQ(result, ResultOk);
        for (int i = 0; i < 100 && !socket_; ++i)
            spin(5);
        ASSERT_TRUE(socket_);
    }

    void deviceSends(std::uint32_t id)
    {
        const Bytes b = encodeDeviceFrame(makeDeviceFrame(id, Bytes{1, 2}));
        socket_->write(reinterpret_cast<const char*>(b.data()), static_cast<qint64>(b.size()));
        socket_->flush();
    }

    // The senders the older broadcast collection lists.
    std::set<std::uint32_t> collectedSenders()
    {
        Bytes collection;
        std::int32_t result = -1;
        EXPECT_EQ(server_->ReadUDPBroadCasts(0, collection, result), HrOk);
        std::set<std::uint32_t> senders;
        for (std::size_t at = 4; at + 177 <= collection.size(); at += 177)
            senders.insert(kvr::readLE32(collection, at));
        return senders;
    }

    std::int32_t readId(std::int32_t& result)
    {
        Bytes b;
        EXPECT_EQ(server_->ReadBlock2(1, b, result), HrOk);
        const auto frame = frameFromClientBlock(b);
        return frame ? static_cast<std::int32_t>(frame->id) : -1;
    }

    QTcpServer device_;
    QTcpSocket* socket_ = nullptr;
    std::unique_ptr<CommServerCore> core_;
    std::unique_ptr<LocalCommServer> server_;
};

TEST_F(CoreWithDevice, QueueDropsTheOldestWhenFull)
{
    ServerConfig config;
    config.blockQueueLimit = 3;
    start(config);
    open();
    for (std::uint32_t id = 1; id <= 5; ++id)
        deviceSends(id);
    spin(200);
    std::int32_t result = -1;
    EXPECT_EQ(readId(result), 3);
    EXPECT_EQ(readId(result), 4);
    EXPECT_EQ(readId(result), 5);
    readId(result);
    EXPECT_EQ(result, ResultNothingQueued);
}

TEST_F(CoreWithDevice, ANewConnectionStartsWithAnEmptyQueue)
{
    start({});
    open();
    deviceSends(0x1A000001);
    spin(100);
    socket_ = nullptr;
    open();
    std::int32_t result = -1;
    readId(result);
    EXPECT_EQ(result, ResultNothingQueued) << "blocks of the earlier link are gone";
}

TEST_F(CoreWithDevice, FilterAndMaskSelectWhatIsQueued)
{
    start({});
    open();
    std::int32_t result = -1;
    ASSERT_EQ(server_->SetFilter(1, 0x05000003, static_cast<std::int32_t>(0xFF00FFFFu), result), HrOk);
    for (const std::uint32_t id : {0x05010003u, 0x05010004u, 0x1A000003u, 0x05FF0003u})
        deviceSends(id);
    spin(200);
    EXPECT_EQ(readId(result), 0x05010003);
    EXPECT_EQ(readId(result), 0x05FF0003);
    readId(result);
    EXPECT_EQ(result, ResultNothingQueued);
}

TEST_F(CoreWithDevice, WaitingReadTakesABlockThatArrivesMeanwhileAndTimesOutOtherwise)
{
    start({});
    open();
    QTimer::singleShot(50, [this] { deviceSends(0x112E0000); });
    Bytes b;
    std::int32_t result = -1;
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(server_->ReadBlockEx2(1, 2000, b, result), HrOk);
    EXPECT_EQ(result, ResultOk);
    EXPECT_LT(clock.elapsed(), 1500);
    clock.restart();
    ASSERT_EQ(server_->ReadBlockEx2(1, 150, b, result), HrOk);
    EXPECT_EQ(result, ResultNothingQueued);
    EXPECT_GE(clock.elapsed(), 140);
}

// Waiting reads share one timer: each still ends at its own deadline, whatever order they came in.
TEST_F(CoreWithDevice, WaitingReadsEndEachAtItsOwnDeadline)
{
    start({});
    open();
    QElapsedTimer clock;
    clock.start();
    std::vector<std::pair<int, qint64>> ended;
    for (const int ms : {300, 100, 200})
        core_->call(RpcMethod::ReadBlockEx2, {std::int32_t{1}, std::int32_t{ms}},
                    [&ended, &clock, ms](RpcReply reply) {
                        EXPECT_EQ(rpcInt(reply.outputs, 1), ResultNothingQueued);
                        ended.emplace_back(ms, clock.elapsed());
                    });
    for (int i = 0; i < 100 && ended.size() < 3; ++i)
        spin(10);
    ASSERT_EQ(ended.size(), 3u);
    for (std::size_t i = 0; i < ended.size(); ++i) {
        EXPECT_EQ(ended[i].first, 100 * static_cast<int>(i + 1));
        EXPECT_GE(ended[i].second, ended[i].first - 5);
        EXPECT_LT(ended[i].second, ended[i].first + 250);
    }
}

TEST_F(CoreWithDevice, QueuedBlocksAreDeliveredBeforeTheLossIsReported)
{
    start({});
    open();
    deviceSends(0x1A000001);
    spin(100);
    device_.close();
    socket_->abort();
    spin(100);
    std::int32_t result = -1;
    EXPECT_EQ(readId(result), 0x1A000001);
    EXPECT_EQ(result, ResultOk);
    readId(result);
    EXPECT_EQ(result, ResultReconnecting);
    spin(500);
    readId(result);
    EXPECT_EQ(result, ResultConnectionLost);
    std::int32_t sendResult = -1;
    EXPECT_EQ(server_->SendBlock(1, clientBlockFromFrame(makeDeviceFrame(1, {})), sendResult), HrOk);
    EXPECT_EQ(sendResult, ResultNoConnection);
}

TEST_F(CoreWithDevice, HandlesWithoutAConnection)
{
    start({});
    std::int32_t result = -1;
    EXPECT_EQ(server_->SendBlock(9, clientBlockFromFrame(makeDeviceFrame(1, {})), result), HrOk);
    EXPECT_EQ(result, ResultNotConnected);
    device_.close();
    EXPECT_EQ(server_->OpenTCPConnection(9, "127.0.0.1", device_.serverPort(), result), HrOk);
    EXPECT_NE(result, ResultOk);
    EXPECT_EQ(server_->OpenTCPConnection(9, "", 2008, result), HrOk);
    EXPECT_NE(result, ResultOk);
    EXPECT_EQ(server_->OpenSerialConnection(9, 42, result), HrOk);
    EXPECT_NE(result, ResultOk) << "no device path configured for COM 42";
}

// A device that takes the link and never reads: once the link holds its bound of unsent bytes a
// send is refused instead of piling up, and once nothing has moved for the stall time the link is
// reported broken, so the client's reads and sends learn it.
TEST_F(CoreWithDevice, ADeviceThatNeverReadsIsRefusedThenReportedBroken)
{
    const int small = 4096; // the device's kernel takes little
    ASSERT_EQ(::setsockopt(static_cast<int>(device_.socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &small, sizeof small), 0);
    ServerConfig config;
    config.link.stallTimeoutMs = 300;
    start(config);
    open();
    socket_->setReadBufferSize(1); // and this end reads nothing either
    const Bytes b = clientBlockFromFrame(makeDeviceFrame(0x1B000001, Bytes(255, 0x55)));
    std::int32_t result = ResultOk;
    int sent = 0;
    while (result == ResultOk && sent < 200000) {
        ASSERT_EQ(server_->SendBlock(1, b, result), HrOk);
        sent += result == ResultOk;
    }
    EXPECT_EQ(result, ResultLinkBusy) << "after " << sent << " sends";
    EXPECT_LT(sent, 40000) << "what piles up beyond the kernel's buffers is bounded";

    device_.close(); // and no new link either
    QElapsedTimer clock;
    clock.start();
    std::int32_t read = ResultNothingQueued;
    while (read == ResultNothingQueued && clock.elapsed() < 3000) {
        spin(20);
        readId(read);
    }
    EXPECT_TRUE(read == ResultReconnecting || read == ResultConnectionLost) << read;
    EXPECT_LT(clock.elapsed(), 1500) << "within the stall time";
    ASSERT_EQ(server_->SendBlock(1, b, result), HrOk);
    EXPECT_TRUE(result == ResultReconnecting || result == ResultNoConnection) << result;
}

TEST_F(CoreWithDevice, MalformedBlockFromTheClientIsRefused)
{
    start({});
    open();
    std::int32_t result = -1;
    EXPECT_EQ(server_->SendBlock(1, Bytes{9, 0, 1, 0, 0, 0}, result), HrOk);
    EXPECT_EQ(result, ResultInvalidArgument);
}

TEST_F(CoreWithDevice, GarbageFromTheDeviceReconnectsTheLink)
{
    start({});
    open();
    QTcpSocket* first = socket_;
    socket_ = nullptr;
    first->write("\x01\x07garbage");
    first->flush();
    for (int i = 0; i < 100 && !socket_; ++i)
        spin(5);
    ASSERT_TRUE(socket_) << "the server connects again";
    spin(50);
    std::int32_t result = -1;
    readId(result);
    EXPECT_EQ(result, ResultNothingQueued);
}

// A device status broadcast from sender to the core's UDP port.
void sendStatus(QUdpSocket& sender, std::uint16_t port, std::uint32_t stamp)
{
    Bytes d;
    kvr::ByteWriter w(d);
    w.be32(StatusMagic);
    w.be32(0x001234);
    w.be32(7);
    w.be32(0x41424344);
    w.be32(stamp);
    w.zeros(12);
    sender.writeDatagram(reinterpret_cast<const char*>(d.data()), static_cast<qint64>(d.size()), QHostAddress::LocalHost, port);
}

TEST_F(CoreWithDevice, UdpDatagramsReachEveryClientAndTheCollectionKeepsTheNewest)
{
    ServerConfig config;
    config.broadcastMaxAgeMs = 300;
    start(config);
    std::int32_t result = -1;
    ASSERT_EQ(server_->SetFilter(1, 0, 0, result), HrOk);
    ASSERT_EQ(server_->SetFilter(2, 0, 0, result), HrOk);

    QUdpSocket sender;
    ASSERT_TRUE(sender.bind(QHostAddress("127.0.0.5"), 0));
    auto status = [&](std::uint32_t stamp) { sendStatus(sender, core_->udpPort(), stamp); };
    status(1);
    status(2);
    spin(200);
    for (const std::int32_t h : {1, 2}) {
        Bytes msg;
        ASSERT_EQ(server_->ReadUDPBlock(h, msg, result), HrOk);
        ASSERT_EQ(result, ResultOk);
        ASSERT_EQ(msg.size(), 177u);
        EXPECT_EQ(kvr::readLE32(msg, 0), 0x7F000005u);
        EXPECT_EQ(kvr::readLE32(msg, 24), 1u);
    }
    Bytes collection;
    ASSERT_EQ(server_->ReadUDPBroadCasts(0, collection, result), HrOk);
    ASSERT_EQ(collection.size(), 4u + 177u);
    EXPECT_EQ(kvr::readLE32(collection, 4 + 24), 2u) << "the newest record of the sender";
    spin(400);
    ASSERT_EQ(server_->ReadUDPBroadCasts(0, collection, result), HrOk);
    EXPECT_EQ(collection.size(), 4u) << "old records leave the collection";
}

// With the shipped defaults: a device broadcasting once a second is listed at every read (the
// connection dialog and the name cache rebuild from the collection every time), and one that
// stopped leaves the collection within two seconds, so it goes offline within the online ticks.
TEST_F(CoreWithDevice, CollectionKeepsBroadcastingDevicesAndDropsStoppedOnesSoon)
{
    start(ServerConfig{});
    QUdpSocket sender;
    ASSERT_TRUE(sender.bind(QHostAddress("127.0.0.5"), 0));
    const auto listed = [&] {
        Bytes collection;
        std::int32_t result = -1;
        EXPECT_EQ(server_->ReadUDPBroadCasts(0, collection, result), HrOk);
        return collection.size() > 4;
    };
    QElapsedTimer clock;
    clock.start();
    qint64 nextBroadcast = 0;
    int reads = 0;
    while (clock.elapsed() < 3500) {
        if (clock.elapsed() >= nextBroadcast) {
            sendStatus(sender, core_->udpPort(), 1);
            nextBroadcast += 1000;
        }
        spin(50);
        if (clock.elapsed() > 100) {
            ++reads;
            ASSERT_TRUE(listed()) << "read " << reads << " at " << clock.elapsed() << " ms";
        }
    }
    const qint64 stopped = nextBroadcast - 1000; // the last broadcast went out then
    while (listed() && clock.elapsed() - stopped < 5000)
        spin(20);
    EXPECT_LE(clock.elapsed() - stopped, 2000) << "a stopped device leaves the collection";
}

// Queues of datagrams are bounded in bytes too: big datagrams cannot pile up a thousand deep.
TEST_F(CoreWithDevice, DatagramQueuesAreBoundedInBytes)
{
    ServerConfig config;
    config.udpQueueBytesLimit = 2000;
    start(config);
    std::int32_t result = -1;
    ASSERT_EQ(server_->SetFilter(1, 0, 0, result), HrOk);
    QUdpSocket sender;
    ASSERT_TRUE(sender.bind(QHostAddress("127.0.0.5"), 0));
    const QByteArray big(600, 'x');
    for (int i = 0; i < 10; ++i)
        sender.writeDatagram(big, QHostAddress::LocalHost, core_->udpPort());
    spin(200);
    const auto drain = [&](auto read) {
        std::size_t count = 0, bytes = 0;
        for (Bytes msg; (server_.get()->*read)(1, msg, result) == HrOk && result == ResultOk; msg.clear()) {
            ++count;
            bytes += msg.size();
        }
        return std::pair{count, bytes};
    };
    const auto [newerCount, newerBytes] = drain(&LocalCommServer::ReadUDPBlockV6);
    EXPECT_LE(newerBytes, 2000u);
    EXPECT_GE(newerCount, 1u) << "the newest stay";
    EXPECT_LT(newerCount, 10u);
    const auto [olderCount, olderBytes] = drain(&LocalCommServer::ReadUDPBlock);
    EXPECT_EQ(olderCount, 10u) << "ten records of 177 bytes fit";
    EXPECT_LE(olderBytes, 2000u);
}

// A full collection takes a new sender in place of the one heard from longest ago: a flood of
// made-up senders cannot keep a real device out.
TEST_F(CoreWithDevice, AFullCollectionMakesRoomForANewSender)
{
    ServerConfig config;
    config.collectionLimit = 3;
    start(config);
    std::vector<std::unique_ptr<QUdpSocket>> senders;
    for (const char* ip : {"127.0.0.11", "127.0.0.12", "127.0.0.13", "127.0.0.14"}) {
        senders.push_back(std::make_unique<QUdpSocket>());
        ASSERT_TRUE(senders.back()->bind(QHostAddress(ip), 0));
        sendStatus(*senders.back(), core_->udpPort(), 1);
        spin(30);
    }
    spin(100);
    EXPECT_EQ(collectedSenders(), (std::set<std::uint32_t>{0x7F00000C, 0x7F00000D, 0x7F00000E})) << "the first sender made room";
}

// A sender above its rate loses what is too much, before it costs anything; another sender's
// broadcast still comes through, and the collection keeps its status.
TEST_F(CoreWithDevice, ASenderAboveItsRateIsCutBackAndOthersComeThrough)
{
    ServerConfig config;
    config.udpSenderRate = 50;
    start(config);
    std::int32_t result = -1;
    ASSERT_EQ(server_->SetFilter(1, 0, 0, result), HrOk);
    QUdpSocket flood;
    QUdpSocket device;
    ASSERT_TRUE(flood.bind(QHostAddress("127.0.0.9"), 0));
    ASSERT_TRUE(device.bind(QHostAddress("127.0.0.5"), 0));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 1000; ++i)
        sendStatus(flood, core_->udpPort(), static_cast<std::uint32_t>(i));
    sendStatus(device, core_->udpPort(), 1);
    // A busy machine may take a while to read the flood; the device comes last.
    for (int waited = 0; waited < 5000 && !collectedSenders().count(0x7F000005); waited += 50)
        spin(50);
    spin(50);
    const auto withinRate = static_cast<int>(50 + 50 * clock.elapsed() / 1000) + 1; // a burst, and what the time allowed
    std::map<std::uint32_t, int> bySender;
    for (Bytes msg; server_->ReadUDPBlock(1, msg, result) == HrOk && result == ResultOk; msg.clear())
        ++bySender[kvr::readLE32(msg, 0)];
    EXPECT_LE(bySender[0x7F000009], withinRate) << "the flood was cut back to its rate";
    EXPECT_GE(bySender[0x7F000009], 40) << "a burst of the rate goes through";
    EXPECT_EQ(bySender[0x7F000005], 1) << "the device's broadcast came through";
    EXPECT_TRUE(collectedSenders().count(0x7F000005));
}

TEST(CoreUdp, MessagesFromClientsGoToTheirAddressOrEveryTarget)
{
    QUdpSocket target1;
    QUdpSocket target2;
    ASSERT_TRUE(target1.bind(QHostAddress("127.0.0.1"), 0));
    ASSERT_TRUE(target2.bind(QHostAddress("127.0.0.6"), 0));
    ServerConfig config;
    config.udpBind = {"127.0.0.1", 0};
    config.udpTargets = {{"127.0.0.1", target1.localPort()}, {"127.0.0.6", target2.localPort()}};
    config.deviceUdpPort = target2.localPort();
    CommServerCore core(config);
    ASSERT_TRUE(core.start(nullptr));
    LocalCommServer server(core);

    auto received = [](QUdpSocket& s) {
        for (int i = 0; i < 100 && !s.hasPendingDatagrams(); ++i)
            spin(5);
        if (!s.hasPendingDatagrams())
            return QByteArray();
        return s.receiveDatagram().data();
    };

    // "Set DHCP" to all devices: the magic goes out in network order.
    Bytes record(176, 0);
    kvr::writeLE32(record, 0, 0xFFFFFFFF);
    kvr::writeLE32(record, 8, 0x23011968);
    kvr::writeLE32(record, 172, 4);
    std::int32_t result = -1;
    ASSERT_EQ(server.SendUDPBlock(1, record, result), HrOk);
    EXPECT_EQ(result, ResultOk);
    EXPECT_EQ(received(target1), QByteArray::fromHex("23011968"));
    EXPECT_EQ(received(target2), QByteArray::fromHex("23011968"));

    // A newer-generation message names its destination itself.
    Kvrdata_ns::TUDPMsgV6 msg;
    msg.FromIP = 0x7F000006;
    msg.FromPort = target2.localPort();
    const Bytes datagram{0xFE, 0, 0, 3, 1, 2, 3, 4, 5, 0x21};
    msg.GetData()->GetStream()->Write(datagram.data(), static_cast<int>(datagram.size()));
    Bytes bytes;
    ASSERT_TRUE(msg.ToVariant(bytes));
    ASSERT_EQ(server.SendUDPBlockV6(1, bytes, result), HrOk);
    EXPECT_EQ(result, ResultOk);
    EXPECT_EQ(received(target2), QByteArray::fromHex("fe000003010203040521"));
    EXPECT_TRUE(received(target1).isEmpty());

    ASSERT_EQ(server.SendUDPBlockV6(1, Bytes{0xFF, 0xFF}, result), HrOk);
    EXPECT_EQ(result, ResultInvalidArgument);
}

TEST_F(CoreWithDevice, LoggingOnRequestOnly)
{
    QTemporaryDir dir;
    ServerConfig config;
    config.folder = dir.path().toStdString();
    start(config);
    std::int32_t result = -1;
    ASSERT_EQ(server_->LogText(1, "Before", "not logged", 1, result), HrOk);
    ASSERT_EQ(server_->SetLogging(1, 0xFF, result), HrOk);
    ASSERT_EQ(server_->LogText(1, "Load", "image sent", 1, result), HrOk);
    EXPECT_EQ(result, ResultOk);
    open();
    deviceSends(0x1A000001);
    spin(100);
    QFile log(dir.path() + "/rurez.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_FALSE(text.contains("not logged"));
    EXPECT_TRUE(text.contains("Load: image sent"));
    EXPECT_TRUE(text.contains("recv"));
}

TEST(OlderUdpRecord, NumbersOfTheKnownKindsTurnToHostOrder)
{
    Bytes status;
    kvr::ByteWriter w(status);
    w.be32(StatusMagic);
    w.be32(0x00ABCDEF);
    w.be32(2);
    w.be32(0x54455354);
    w.be32(0xFFFFFFFF);
    w.bytes(Bytes{'N', 'A', 'M', 'E', 0, 0, 0, 0, 0, 0});
    w.be16(2);
    w.be16(0x0102);
    w.u8(7);
    w.u8(8);
    w.be16(0x0304);
    w.u8(9);
    w.u8(10);
    const Bytes r = olderUdpRecord(0xC0A80001, status);
    EXPECT_EQ(kvr::readLE32(r, 0), 0xC0A80001u);
    EXPECT_EQ(kvr::readLE32(r, 8), StatusMagic);
    EXPECT_EQ(kvr::readLE32(r, 12), 0x00ABCDEFu);
    EXPECT_EQ(kvr::readLE32(r, 16), 2u);
    EXPECT_EQ(kvr::readLE32(r, 20), 0x54455354u);
    EXPECT_EQ(std::string(r.begin() + 28, r.begin() + 32), "NAME");
    EXPECT_EQ(kvr::readLE16(r, 38), 2);
    EXPECT_EQ(kvr::readLE16(r, 40), 0x0102);
    EXPECT_EQ(r[42], 7);
    EXPECT_EQ(kvr::readLE16(r, 44), 0x0304);
    EXPECT_EQ(kvr::readLE32(r, 172), status.size());

    const Bytes logic{0x20, 0x08, 0x19, 0x96, 'A', 'B', 'C', 'D', 3, 0, 0x11, 0x50, 0, 0, 0, 5, 1};
    const Bytes l = olderUdpRecord(1, logic);
    EXPECT_EQ(kvr::readLE32(l, 8), 0x20081996u);
    EXPECT_EQ(kvr::readLE32(l, 12), 0x41424344u);
    EXPECT_EQ(l[16], 3);
    EXPECT_EQ(kvr::readLE32(l, 18), 0x11500000u);
    EXPECT_EQ(kvr::readBE16(l, 22), 5) << "data bytes stay as they came";

    // A short datagram converts what it holds and no more; a long one is cut to the payload.
    const Bytes s = olderUdpRecord(1, Bytes{0x06, 0x06, 0x19, 0x99, 0, 0});
    EXPECT_EQ(kvr::readLE32(s, 8), StatusMagic);
    EXPECT_EQ(kvr::readLE32(s, 172), 6u);
    EXPECT_EQ(kvr::readLE32(olderUdpRecord(1, Bytes(400, 1)), 172), 164u);
}

TEST(OlderUdpRecord, OutgoingMessageTakesTheAddressAndTurnsTheMagicBack)
{
    Bytes record(176, 0);
    kvr::writeLE32(record, 0, 0xFFFFFFFF);
    kvr::writeLE32(record, 8, 0x23011968);
    kvr::writeLE32(record, 172, 4);
    const auto out = outgoingFromOlderRecord(record);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->ip, 0xFFFFFFFFu);
    EXPECT_EQ(out->datagram, (Bytes{0x23, 0x01, 0x19, 0x68}));
    kvr::writeLE32(record, 172, 165);
    EXPECT_FALSE(outgoingFromOlderRecord(record));
    EXPECT_FALSE(outgoingFromOlderRecord(Bytes(100, 0)));
}

} // namespace
