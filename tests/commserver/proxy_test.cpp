// The proxy against servers that misbehave: it answers with a negative code, in bounded time.

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "commserver/commserverproxy.h"
#include "commserver/rpcframe.h"

namespace {

using namespace kvr::commserver;

// A server on a Unix socket, in its own thread, that answers each connection with fixed bytes
// after the first call arrives (or stays silent when they are empty).
class BadServer {
public:
    BadServer(const std::string& path, Bytes answer) : answer_(std::move(answer))
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
        ok_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 && ::listen(fd_, 4) == 0;
        thread_ = std::thread([this] {
            const int client = ::accept(fd_, nullptr, nullptr);
            if (client < 0)
                return;
            std::uint8_t buffer[256];
            if (::read(client, buffer, sizeof(buffer)) > 0 && !answer_.empty())
                [[maybe_unused]] auto n = ::write(client, answer_.data(), answer_.size());
            while (!stop_)
                ::usleep(10000);
            ::close(client);
        });
    }

    ~BadServer()
    {
        stop_ = true;
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        thread_.join();
    }

    bool ok() const { return ok_; }

private:
    Bytes answer_;
    int fd_ = -1;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

Bytes replyFrame(RpcMethod method, std::uint32_t call, RpcValues values)
{
    RpcFrame f;
    f.kind = RpcKind::Reply;
    f.method = method;
    f.callNumber = call;
    f.values = std::move(values);
    return encodeRpcFrame(f);
}

TEST(CommServerProxy, MisbehavingServersGiveNegativeCodesInBoundedTime)
{
    const Bytes good = replyFrame(RpcMethod::GetVersion, 1, {std::int32_t{0}, std::int32_t{MinimumServerVersion}});
    Bytes twoReplies = good;
    twoReplies.insert(twoReplies.end(), good.begin(), good.end());
    struct Case {
        const char* name;
        Bytes answer;
        HResult expected;
    };
    const std::vector<Case> cases{
        {"garbage", Bytes{'H', 'T', 'T', 'P'}, HrServerUnavailable},
        {"silent", Bytes{}, HrServerTimeout},
        {"reply to another call", replyFrame(RpcMethod::GetVersion, 7, {std::int32_t{0}, std::int32_t{1}}), HrServerUnavailable},
        {"reply of another method", replyFrame(RpcMethod::Ping, 1, {std::int32_t{0}, std::int32_t{1}}), HrServerUnavailable},
        {"more than one reply", twoReplies, HrServerUnavailable},
        {"a well-formed reply", good, HrOk},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/s.sock").toStdString();
        BadServer server(path, c.answer);
        ASSERT_TRUE(server.ok());
        CommServerProxy proxy(ProxyEndpoint{path, {}, 0}, ProxyTimeouts{500, 300});
        QElapsedTimer clock;
        clock.start();
        std::int32_t version = 0;
        EXPECT_EQ(proxy.GetVersion(version), c.expected) << c.name;
        EXPECT_LT(clock.elapsed(), 2000) << c.name;
        if (c.expected != HrOk) {
            EXPECT_FALSE(proxy.isConnected()) << c.name << ": the connection is dropped";
        }
    }
}

// A waiting read may ask for any time-out; against a server that never answers, the wait still
// ends after the longest the server would hold the call.
TEST(CommServerProxy, HugeWaitingReadAgainstASilentServerEnds)
{
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/s.sock").toStdString();
    BadServer server(path, {});
    ASSERT_TRUE(server.ok());
    CommServerProxy proxy(ProxyEndpoint{path, {}, 0}, ProxyTimeouts{500, 300, 200});
    QElapsedTimer clock;
    clock.start();
    Bytes b;
    std::int32_t result = 0;
    EXPECT_EQ(proxy.ReadBlockEx2(1, INT32_MAX, b, result), HrServerTimeout);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(CommServerProxy, NoServerAtAllAnswersAtOnce)
{
    QTemporaryDir dir;
    CommServerProxy proxy(ProxyEndpoint{(dir.path() + "/none.sock").toStdString(), {}, 0});
    QElapsedTimer clock;
    clock.start();
    Bytes b;
    std::int32_t result = 0;
    EXPECT_EQ(proxy.ReadBlock2(1, b, result), HrServerUnavailable);
    EXPECT_LT(clock.elapsed(), 500);
}

} // namespace
