// The server's RPC layer on a real local socket, in this process: whose handle is whose, how
// many handles a connection may hold, and when a connection gives its place up.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "commserver/deviceframe.h"
#include "qtenvironment.h"
#include "commserver/rpcframe.h"
#include "commserver/server/commservercore.h"
#include "commserver/server/rpcserver.h"

namespace {

using namespace kvr::commserver;

// A client connection made by hand; each call runs this process's event loop (the server's)
// until the reply is there.
class LocalClient {
public:
    explicit LocalClient(const std::string& path)
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~LocalClient() { ::close(fd_); }
    LocalClient(const LocalClient&) = delete;
    LocalClient& operator=(const LocalClient&) = delete;

    bool connected() const { return connected_; }
    int descriptor() const { return fd_; }

    // The reply's values, HRESULT first; nullopt when none came (the server closed us, say).
    std::optional<RpcValues> call(RpcMethod method, RpcValues inputs, int timeoutMs = 3000)
    {
        RpcFrame frame;
        frame.method = method;
        frame.callNumber = ++calls_;
        frame.values = std::move(inputs);
        const Bytes bytes = encodeRpcFrame(frame);
        if (::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size()))
            return std::nullopt;
        RpcFrameReader reader;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 1) != 1)
                continue;
            std::uint8_t buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (n <= 0)
                return std::nullopt;
            reader.append({buffer, static_cast<std::size_t>(n)});
            RpcFrame reply;
            if (reader.next(reply) == RpcFrameReader::Status::Frame)
                return reply.values;
        }
        return std::nullopt;
    }

    // The Result of a call (its last integer); -1 without a reply.
    std::int32_t result(RpcMethod method, RpcValues inputs)
    {
        const auto values = call(method, std::move(inputs));
        return values && rpcInt(*values, 0) == HrOk ? rpcInt(*values, values->size() - 1) : -1;
    }

    // The server closed its end: readable and nothing to read.
    bool closedByServer() const
    {
        pollfd p{fd_, POLLIN, 0};
        char c;
        return ::poll(&p, 1, 0) == 1 && ::recv(fd_, &c, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
    std::uint32_t calls_ = 0;
};

class ServerOnSockets : public ::testing::Test {
protected:
    void start(ServerConfig config = {})
    {
        ASSERT_TRUE(dir_.isValid());
        config.udpBind = {"127.0.0.1", 0};
        config.ownerUid = ::getuid();
        config.link.retryIntervalMs = 50;
        config.link.reconnectWindowMs = 300;
        core_ = std::make_unique<CommServerCore>(config);
        ASSERT_TRUE(core_->start(nullptr));
        server_ = std::make_unique<RpcServer>(*core_);
        path_ = (dir_.path() + "/rurez.sock").toStdString();
        std::string error;
        ASSERT_TRUE(server_->listen(path_, &error)) << error;
    }

    std::unique_ptr<LocalClient> connect()
    {
        auto client = std::make_unique<LocalClient>(path_);
        EXPECT_TRUE(client->connected());
        return client;
    }

    QTemporaryDir dir_;
    std::unique_ptr<CommServerCore> core_;
    std::unique_ptr<RpcServer> server_;
    std::string path_;
};

Bytes block(std::uint32_t id) { return clientBlockFromFrame(makeDeviceFrame(id, Bytes{1, 2})); }

// Another connection of the same user may not read a handle's answers, send on its link, change
// its filter, open another link on it or close it: every use answers "no such handle" and the
// owner's link goes on.
TEST_F(ServerOnSockets, AHandleServesOnlyTheConnectionThatOpenedIt)
{
    start();
    QTcpServer device;
    ASSERT_TRUE(device.listen(QHostAddress::LocalHost, 0));
    constexpr std::int32_t H = 4711;
    auto owner = connect();
    auto other = connect();
    ASSERT_EQ(owner->result(RpcMethod::OpenTCPConnection, {H, std::string("127.0.0.1"), std::int32_t{device.serverPort()}}), ResultOk);
    spin(50);
    QTcpSocket* link = device.nextPendingConnection();
    ASSERT_TRUE(link);
    link->write(QByteArray::fromHex("0200112e00000102"));
    link->flush();
    spin(50);

    const struct {
        RpcMethod method;
        RpcValues inputs;
    } uses[] = {
        {RpcMethod::ReadBlock2, {H}},
        {RpcMethod::ReadBlockEx2, {H, std::int32_t{50}}},
        {RpcMethod::ReadUDPBlock, {H}},
        {RpcMethod::SendBlock, {H, block(0x1A000001)}},
        {RpcMethod::SetFilter, {H, std::int32_t{0}, std::int32_t{-1}}},
        {RpcMethod::SetLogging, {H, std::int32_t{1}}},
        {RpcMethod::OpenTCPConnection, {H, std::string("127.0.0.1"), std::int32_t{device.serverPort()}}},
        {RpcMethod::CloseConnection, {H}},
    };
    for (const auto& use : uses)
        EXPECT_EQ(other->result(use.method, use.inputs), ResultNotConnected) << rpcMethodInfo(static_cast<std::uint8_t>(use.method))->name;
    spin(50);
    EXPECT_FALSE(device.hasPendingConnections()) << "no second link was opened";

    const auto answer = owner->call(RpcMethod::ReadBlock2, {H});
    ASSERT_TRUE(answer);
    EXPECT_EQ(rpcInt(*answer, 2), ResultOk) << "the block the other connection asked for is still there";
    EXPECT_EQ(frameFromClientBlock(rpcBytes(*answer, 1))->id, 0x112E0000u);
    EXPECT_EQ(owner->result(RpcMethod::SendBlock, {H, block(0x1A000001)}), ResultOk) << "the link stands";
    spin(50);
    EXPECT_EQ(link->bytesAvailable(), 8) << "one frame reached the device, the other connection's did not";

    // Once the owner has gone, the number is free for whoever comes next.
    owner.reset();
    spin(50);
    EXPECT_EQ(other->result(RpcMethod::SetFilter, {H, std::int32_t{0}, std::int32_t{0}}), ResultOk);
}

// One connection naming handle after handle gets only its own few; every other connection still
// gets its handles, up to the last connection the server takes.
TEST_F(ServerOnSockets, OneConnectionCannotFillTheHandleTable)
{
    start();
    auto greedy = connect();
    int greedyGot = 0;
    for (std::int32_t H = 1; H <= 256; ++H)
        greedyGot += greedy->result(RpcMethod::SetFilter, {H, std::int32_t{0}, std::int32_t{0}}) == ResultOk;
    EXPECT_GE(greedyGot, 1);
    EXPECT_LE(greedyGot, 8);

    std::vector<std::unique_ptr<LocalClient>> others;
    int withoutHandle = 0;
    for (int c = 0; c < 63; ++c) {
        others.push_back(connect());
        int got = 0;
        for (std::int32_t k = 0; k < 8; ++k)
            got += others.back()->result(RpcMethod::SetFilter, {1000 + c * 8 + k, std::int32_t{0}, std::int32_t{0}}) == ResultOk;
        withoutHandle += got == 0;
    }
    EXPECT_EQ(withoutHandle, 0) << "every connection got a handle";
    EXPECT_LE(core_->clientCount(), 256u);
}

// A connection that sends more of a call than any call needs is closed before it fills memory;
// the others go on.
TEST_F(ServerOnSockets, ACallBiggerThanAnyCallNeedsClosesItsConnection)
{
    start();
    auto big = connect();
    auto other = connect();
    RpcFrame frame;
    frame.method = RpcMethod::SendUDPBlockV6;
    frame.values = {std::int32_t{1}, Bytes(1024 * 1024, 0x55)};
    const Bytes bytes = encodeRpcFrame(frame);
    std::size_t sent = 0;
    QElapsedTimer clock;
    clock.start();
    while (!big->closedByServer() && sent < bytes.size() && clock.elapsed() < 3000) {
        const ssize_t n = ::send(big->descriptor(), bytes.data() + sent, std::min<std::size_t>(16384, bytes.size() - sent),
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        sent += n > 0 ? static_cast<std::size_t>(n) : 0;
        spin(2);
    }
    spin(50);
    EXPECT_TRUE(big->closedByServer()) << sent << " bytes sent";
    EXPECT_LT(sent, bytes.size());
    EXPECT_EQ(other->result(RpcMethod::GetVersion, {}), MinimumServerVersion);
}

// Connections that hold handles but make no calls keep no place for good: on a full server the
// one idle longest gives its place to a newcomer, and after the idle time for holders each is
// closed together with its links.
TEST_F(ServerOnSockets, HandleHoldersThatStopCallingGiveWay)
{
    ServerConfig config;
    config.holderIdleMs = 3000;
    start(config);
    QTcpServer device;
    device.setMaxPendingConnections(100);
    ASSERT_TRUE(device.listen(QHostAddress::LocalHost, 0));
    std::vector<std::unique_ptr<LocalClient>> holders;
    for (std::int32_t H = 1; H <= 64; ++H) {
        holders.push_back(connect());
        ASSERT_EQ(holders.back()->result(RpcMethod::OpenTCPConnection, {H, std::string("127.0.0.1"), std::int32_t{device.serverPort()}}),
                  ResultOk);
    }
    std::vector<QTcpSocket*> links;
    spin(100);
    while (QTcpSocket* link = device.nextPendingConnection())
        links.push_back(link);
    ASSERT_EQ(links.size(), 64u);

    spin(1100); // every holder has been quiet for more than a second
    auto newcomer = connect();
    const auto version = newcomer->call(RpcMethod::GetVersion, {});
    ASSERT_TRUE(version) << "a full server serves a newcomer";
    EXPECT_EQ(rpcInt(*version, 1), MinimumServerVersion);
    spin(100);
    EXPECT_TRUE(holders.front()->closedByServer()) << "the holder idle longest gave its place";
    EXPECT_EQ(std::count_if(holders.begin(), holders.end(), [](const auto& h) { return h->closedByServer(); }), 1);
    EXPECT_EQ(links.front()->state(), QAbstractSocket::UnconnectedState) << "its link closed with it";

    QElapsedTimer clock;
    clock.start();
    const auto allClosed = [&] { return std::all_of(holders.begin(), holders.end(), [](const auto& h) { return h->closedByServer(); }); };
    while (!allClosed() && clock.elapsed() < 5000)
        spin(50);
    EXPECT_TRUE(allClosed()) << "holders that stopped calling were closed after their idle time";
    spin(100);
    EXPECT_EQ(core_->clientCount(), 0u);
    EXPECT_TRUE(std::all_of(links.begin(), links.end(), [](QTcpSocket* l) { return l->state() == QAbstractSocket::UnconnectedState; }));
}

} // namespace
