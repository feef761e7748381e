// The proxy against servers that misbehave: it answers with a negative code, in bounded time.

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "commserver/commserverproxy.h"
#include "commserver/rpcframe.h"
#include "kvrdata/byteorder.h"

namespace {

using namespace kvr::commserver;

// A server on a Unix socket, in its own thread, that serves its first connection with serve,
// then holds it open until the end of the test.
class ThreadServer {
public:
    ThreadServer(const std::string& path, std::function<void(int client, const std::atomic<bool>& stop)> serve)
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
        ok_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 && ::listen(fd_, 4) == 0;
        thread_ = std::thread([this, serve = std::move(serve)] {
            const int client = ::accept(fd_, nullptr, nullptr);
            if (client < 0)
                return;
            serve(client, stop_);
            while (!stop_)
                ::usleep(10000);
            ::close(client);
        });
    }

    ~ThreadServer()
    {
        stop_ = true;
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        thread_.join();
    }

    bool ok() const { return ok_; }

private:
    int fd_ = -1;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Answers with fixed bytes after the first call arrives (or stays silent when they are empty).
class BadServer : public ThreadServer {
public:
    BadServer(const std::string& path, Bytes answer)
        : ThreadServer(path, [answer = std::move(answer)](int client, const std::atomic<bool>&) {
              std::uint8_t buffer[256];
              if (::read(client, buffer, sizeof(buffer)) > 0 && !answer.empty())
                  [[maybe_unused]] auto n = ::write(client, answer.data(), answer.size());
          })
    {
    }
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

// Answers each call after the delay its turn is given (never when negative).
class SlowServer : public ThreadServer {
public:
    SlowServer(const std::string& path, std::vector<int> delaysMs)
        : ThreadServer(path, [delays = std::move(delaysMs)](int client, const std::atomic<bool>& stop) {
              RpcFrameReader reader;
              std::size_t turn = 0;
              std::uint8_t buffer[256];
              ssize_t n;
              while (!stop && turn < delays.size() && (n = ::read(client, buffer, sizeof(buffer))) > 0) {
                  reader.append({buffer, static_cast<std::size_t>(n)});
                  RpcFrame call;
                  while (turn < delays.size() && reader.next(call) == RpcFrameReader::Status::Frame) {
                      const int delay = delays[turn++];
                      if (delay < 0)
                          continue;
                      ::usleep(static_cast<useconds_t>(delay) * 1000);
                      const Bytes reply =
                          call.method == RpcMethod::GetVersion
                              ? replyFrame(call.method, call.callNumber, {std::int32_t{0}, std::int32_t{MinimumServerVersion}})
                              : replyFrame(call.method, call.callNumber, {std::int32_t{0}, Bytes{1, 2}, std::int32_t{0}});
                      [[maybe_unused]] auto w = ::write(client, reply.data(), reply.size());
                  }
              }
          })
    {
    }
};

// The socket's receive time-out is kept from call to call: one left from a quick call must not
// end a waiting read early, nor one left from a waiting read let a later call wait too long.
TEST(CommServerProxy, EachCallWaitsForItsOwnDeadline)
{
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/s.sock").toStdString();
    // A quick answer, a waiting read answered after the call's own 300 ms, then silence.
    SlowServer server(path, {0, 1200, -1});
    ASSERT_TRUE(server.ok());
    CommServerProxy proxy(ProxyEndpoint{path, {}, 0}, ProxyTimeouts{500, 300});
    std::int32_t version = 0;
    ASSERT_EQ(proxy.GetVersion(version), HrOk);
    Bytes b;
    std::int32_t result = -1;
    EXPECT_EQ(proxy.ReadBlockEx2(1, 2000, b, result), HrOk);
    EXPECT_EQ(b, (Bytes{1, 2}));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(proxy.GetVersion(version), HrServerTimeout);
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_LT(clock.elapsed(), 1000) << "waited with the waiting read's time-out";
}

// A server whose queue of connections to accept is full answers a local connect with EAGAIN:
// the proxy tries again within its connect time instead of failing at once.
TEST(CommServerProxy, AFullAcceptQueueIsWaitedFor)
{
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/s.sock").toStdString();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    std::vector<int> waiting;
    for (int i = 0; i < 16; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            ::close(fd);
            break;
        }
        waiting.push_back(fd);
    }
    ASSERT_LT(waiting.size(), 16u) << "the queue is full";
    // The server catches up after a while and answers whatever then connects.
    std::atomic<bool> stop{false};
    std::thread server([&] {
        ::usleep(300000);
        std::vector<int> accepted;
        while (!stop) {
            pollfd p{listener, POLLIN, 0};
            if (::poll(&p, 1, 20) == 1) {
                const int client = ::accept(listener, nullptr, nullptr);
                accepted.push_back(client);
                std::uint8_t buffer[256];
                pollfd c{client, POLLIN, 0};
                if (::poll(&c, 1, 50) == 1 && ::read(client, buffer, sizeof(buffer)) >= static_cast<ssize_t>(RpcHeaderSize)) {
                    const Bytes reply = replyFrame(RpcMethod::GetVersion, kvr::readBE32(std::span<const std::uint8_t>(buffer, 12), 4),
                                                   {std::int32_t{0}, std::int32_t{MinimumServerVersion}});
                    [[maybe_unused]] auto n = ::write(client, reply.data(), reply.size());
                }
            }
        }
        for (const int fd : accepted)
            ::close(fd);
    });
    CommServerProxy proxy(ProxyEndpoint{path, {}, 0}, ProxyTimeouts{2000, 1000});
    QElapsedTimer clock;
    clock.start();
    std::int32_t version = 0;
    EXPECT_EQ(proxy.GetVersion(version), HrOk);
    EXPECT_EQ(version, MinimumServerVersion);
    EXPECT_GE(clock.elapsed(), 250) << "it waited for the server";
    stop = true;
    server.join();
    for (const int fd : waiting)
        ::close(fd);
    ::close(listener);
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

namespace {

// Sets environment variables for a scope and puts the old values back.
class ScopedEnv {
public:
    void set(const char* name, const std::string& value)
    {
        remember(name);
        ::setenv(name, value.c_str(), 1);
    }
    void unset(const char* name)
    {
        remember(name);
        ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    void remember(const char* name)
    {
        const char* now = std::getenv(name);
        saved_.emplace_back(name, now ? std::optional<std::string>(now) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace

// Anyone can create the server's name in the shared temporary folder before the user's server
// does; then the server and the program meet in a private folder instead, and say why.
TEST(ServerFolder, ANameTakenInTheSharedFolderMovesToAPrivateOne)
{
    QTemporaryDir tmp;
    QTemporaryDir home;
    ScopedEnv env;
    env.unset("KVR_RUREZ_DIR");
    env.unset("XDG_RUNTIME_DIR");
    env.set("TMPDIR", tmp.path().toStdString());
    env.set("HOME", home.path().toStdString());
    const std::string shared = tmp.path().toStdString() + "/kvr-" + std::to_string(::getuid());
    const std::string fallback = home.path().toStdString() + "/.cache/kvr-rurez";

    struct Case {
        const char* what;
        std::function<void()> make;
        bool taken;
    };
    const Case cases[] = {
        {"nothing there yet", [] {}, false},
        {"our own folder", [&] { ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0); }, false},
        {"a link to elsewhere", [&] { ASSERT_EQ(::symlink(home.path().toUtf8().constData(), shared.c_str()), 0); }, true},
        {"a file", [&] { ::close(::open(shared.c_str(), O_CREAT | O_WRONLY, 0600)); }, true},
        {"another user's folder",
         [&] {
             ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
             if (::chown(shared.c_str(), ::getuid() + 1, static_cast<gid_t>(-1)) != 0)
                 GTEST_SKIP() << "only root can hand a folder to another user";
         },
         true},
    };
    for (const Case& c : cases) {
        ::rmdir(shared.c_str());
        ::unlink(shared.c_str());
        c.make();
        if (::testing::Test::IsSkipped())
            return;
        EXPECT_EQ(defaultServerFolder(), c.taken ? fallback : shared) << c.what;
        EXPECT_EQ(serverFolderNotice().empty(), !c.taken) << c.what;
    }
    EXPECT_NE(serverFolderNotice().find(shared), std::string::npos);

    // An explicit folder is never second-guessed.
    env.set("KVR_RUREZ_DIR", "/somewhere/given");
    EXPECT_EQ(defaultServerFolder(), "/somewhere/given");
    EXPECT_EQ(serverFolderNotice(), "");
}
