// What one control block's round trip costs through our own path, against the floor set by the
// two hops it travels: a local socket to the server, then TCP to the device. In one process and
// one run:
// - pingpong: a bare two-hop ping-pong of a 14-byte block (local socket -> relay -> TCP echo),
//   the relay and the echo in processes of their own as the server and the device are
//   (pingpong_threads: the same with both as threads of the benchmark, for comparison),
// - roundtrips: the same number of requests (SendBlock, then the waiting ReadBlockEx2 that goes
//   with it) through the proxy, rurez and devemu,
// - image: a full 64000-byte image write through the client (one block per 8 bytes).
// The counters "rt_vs_pingpong" and "image_vs_rt" are the two ratios; read their medians
// ("rt_vs_pingpong_threads" against the floor of threads).

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/configtransfer.h"
#include "client/transferblocks.h"
#include "commserver/deviceframe.h"
#include "kvrdata/byteorder.h"
#include "loopbackclient.h"

namespace {

using Clock = std::chrono::steady_clock;
using kvr::client::transfer::ImageBlockSize;
using kvr::client::transfer::ImageLengthOffset;
using kvr::client::transfer::ImageMaxSize;

constexpr std::size_t Blocks = ImageMaxSize / ImageBlockSize; // 8000 round trips a measurement
constexpr std::size_t BlockBytes = 14;

bool readFull(int fd, std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeFull(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Forwards fixed-size blocks from one socket to the other and back until the first one closes.
void relay(int from, int to)
{
    std::array<std::uint8_t, BlockBytes> block{};
    while (readFull(from, block.data(), block.size()) && writeFull(to, block.data(), block.size()) &&
           readFull(to, block.data(), block.size()) && writeFull(from, block.data(), block.size())) {
    }
    ::close(to);
}

void echo(int fd)
{
    std::array<std::uint8_t, BlockBytes> block{};
    while (readFull(fd, block.data(), block.size()) && writeFull(fd, block.data(), block.size())) {
    }
    ::close(fd);
}

// Runs one end of the ping-pong in a thread of this process or in a process of its own.
class PingPongEnd {
public:
    PingPongEnd(bool ownProcess, std::function<void()> work)
    {
        if (!ownProcess) {
            thread_ = std::thread(std::move(work));
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            work();
            ::_exit(0);
        }
    }
    void join()
    {
        if (thread_.joinable())
            thread_.join();
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    std::thread thread_;
    pid_t pid_ = -1;
};

// The floor: the same two hops, with nothing but a read and a write at each end. Our path
// crosses three processes (client, server, device); with ownProcesses the relay and the echo do
// as well, otherwise they are threads of the benchmark.
class TwoHopPingPong {
public:
    explicit TwoHopPingPong(bool ownProcesses) : ownProcesses_(ownProcesses)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        ::listen(listener_, 1);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);

        const int listener = listener_;
        device_.emplace(ownProcesses, [listener] {
            const int fd = ::accept(listener, nullptr, nullptr);
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
            echo(fd);
        });
        const int upstream = ::socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        ::setsockopt(upstream, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
        ::connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof(address));

        int pair[2];
        ::socketpair(AF_UNIX, SOCK_STREAM, 0, pair);
        client_ = pair[0];
        relayEnd_ = pair[1];
        server_.emplace(ownProcesses, [this, upstream] {
            if (ownProcesses_)
                ::close(client_); // so the relay sees the client's end close
            relay(relayEnd_, upstream);
        });
        if (ownProcesses) {
            ::close(upstream);
            ::close(relayEnd_);
        }
    }

    ~TwoHopPingPong()
    {
        ::close(client_);
        server_->join();
        device_->join();
        if (!ownProcesses_)
            ::close(relayEnd_);
        ::close(listener_);
    }

    double secondsFor(std::size_t blocks)
    {
        std::array<std::uint8_t, BlockBytes> block{};
        const auto start = Clock::now();
        for (std::size_t i = 0; i < blocks; ++i) {
            block[0] = static_cast<std::uint8_t>(i);
            if (!writeFull(client_, block.data(), block.size()) || !readFull(client_, block.data(), block.size()))
                return -1;
        }
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

private:
    bool ownProcesses_;
    int listener_ = -1;
    int client_ = -1;
    int relayEnd_ = -1;
    std::optional<PingPongEnd> device_;
    std::optional<PingPongEnd> server_;
};

void BM_RpcPath(benchmark::State& state)
{
    int argc = 1;
    char name[] = "bench";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    loopback::LoopbackClient Loop;
    const std::string Error = Loop.Start(KVR_RUREZ_PATH, KVR_DEVEMU_PATH);
    if (!Error.empty()) {
        state.SkipWithError(Error.c_str());
        return;
    }
    kvr::commserver::CommServerProxy Proxy(kvr::commserver::ProxyEndpoint{Loop.SocketPath, {}, 0});
    constexpr std::int32_t H = 1;
    std::int32_t Result = -1;
    if (Proxy.OpenTCPConnection(H, "127.0.0.2", Loop.DevicePort, Result) != 0 || Result != 0) {
        state.SkipWithError("no bare connection to the emulated device");
        return;
    }
    const auto Request = kvr::commserver::clientBlockFromFrame(
        kvr::commserver::makeDeviceFrame(kvr::client::transfer::ImageReadID(1), {}));
    // The project's round trips of one slice; negative when one went wrong.
    const auto RoundTripSeconds = [&](std::size_t blocks) {
        kvr::commserver::Bytes Answer;
        const auto Start = Clock::now();
        for (std::size_t i = 0; i < blocks; ++i) {
            std::int32_t Sent = -1;
            kvr::commserver::HResult ReadHr = 0;
            Proxy.SendBlockThenRead(H, Request, Sent, 1000, Answer, Result, ReadHr);
            if (Sent != 0 || ReadHr != 0 || Result != 0)
                return -1.0;
        }
        return std::chrono::duration<double>(Clock::now() - Start).count();
    };

    std::vector<std::uint8_t> Image(ImageMaxSize);
    for (std::size_t i = 0; i < Image.size(); ++i)
        Image[i] = static_cast<std::uint8_t>(i * 31);
    std::memcpy(Image.data(), "MPJ2", 4);
    kvr::writeBE16(Image, ImageLengthOffset, static_cast<std::uint16_t>(ImageMaxSize));

    // Each a whole run of blocks back to back, as a transfer sends them, after a warm-up run of
    // its own: a path that has sat idle wakes up slower for a while on a virtual machine.
    constexpr std::size_t WarmUp = Blocks / 8;
    double PingPong = 0, PingPongThreads = 0, RoundTrips = 0, ImageWrite = 0;
    for (auto _ : state) {
        {
            TwoHopPingPong Processes(true);
            Processes.secondsFor(WarmUp);
            PingPong = Processes.secondsFor(Blocks);
        }
        {
            TwoHopPingPong Threads(false);
            Threads.secondsFor(WarmUp);
            PingPongThreads = Threads.secondsFor(Blocks);
        }
        RoundTripSeconds(WarmUp);
        RoundTrips = RoundTripSeconds(Blocks);
        if (PingPong < 0 || PingPongThreads < 0 || RoundTrips < 0) {
            state.SkipWithError("a round trip went wrong");
            return;
        }
        const auto T1 = Clock::now();
        if (!kvr::client::ConfigTransfer(*Loop.Client).LoadToTarget(Image.data(), static_cast<int>(Image.size()))) {
            state.SkipWithError("the image write failed");
            return;
        }
        ImageWrite = std::chrono::duration<double>(Clock::now() - T1).count();
        state.SetIterationTime(RoundTrips);
    }
    state.counters["pingpong_ms"] = 1000 * PingPong;
    state.counters["pingpong_threads_ms"] = 1000 * PingPongThreads;
    state.counters["roundtrips_ms"] = 1000 * RoundTrips;
    state.counters["image_ms"] = 1000 * ImageWrite;
    state.counters["rt_vs_pingpong"] = RoundTrips / PingPong;
    state.counters["rt_vs_pingpong_threads"] = RoundTrips / PingPongThreads;
    state.counters["image_vs_rt"] = ImageWrite / RoundTrips;
}

} // namespace

BENCHMARK(BM_RpcPath)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(false);
