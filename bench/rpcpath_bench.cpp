// What one control block's round trip costs through our own path, against the floor set by the
// two hops it travels: a local socket to the server, then TCP to the device. In one process and
// one run:
// - pingpong: a bare two-hop ping-pong of a 14-byte block (local socket -> relay -> TCP echo),
// - roundtrips: the same number of requests (SendBlock, then the waiting ReadBlockEx2 that goes
//   with it) through the proxy, rurez and devemu,
// - image: a full 64000-byte image write through the client (one block per 8 bytes).
// The counters "rt_vs_pingpong" and "image_vs_rt" are the two ratios; read their medians.

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
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

// The floor: the same two hops, with nothing but a read and a write at each end.
double TwoHopPingPongSeconds()
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::listen(listener, 1);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);

    std::thread device([listener] {
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
    std::thread server(relay, pair[1], upstream);

    std::array<std::uint8_t, BlockBytes> block{};
    const auto start = Clock::now();
    for (std::size_t i = 0; i < Blocks; ++i) {
        block[0] = static_cast<std::uint8_t>(i);
        if (!writeFull(pair[0], block.data(), block.size()) || !readFull(pair[0], block.data(), block.size()))
            break;
    }
    const auto end = Clock::now();
    ::close(pair[0]);
    server.join();
    device.join();
    ::close(pair[1]);
    ::close(listener);
    return std::chrono::duration<double>(end - start).count();
}

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

    std::vector<std::uint8_t> Image(ImageMaxSize);
    for (std::size_t i = 0; i < Image.size(); ++i)
        Image[i] = static_cast<std::uint8_t>(i * 31);
    std::memcpy(Image.data(), "MPJ2", 4);
    kvr::writeBE16(Image, ImageLengthOffset, static_cast<std::uint16_t>(ImageMaxSize));

    double PingPong = 0, RoundTrips = 0, ImageWrite = 0;
    for (auto _ : state) {
        PingPong = TwoHopPingPongSeconds();

        kvr::commserver::Bytes Answer;
        const auto T0 = Clock::now();
        for (std::size_t i = 0; i < Blocks; ++i) {
            std::int32_t Sent = -1;
            kvr::commserver::HResult ReadHr = 0;
            Proxy.SendBlockThenRead(H, Request, Sent, 1000, Answer, Result, ReadHr);
            if (Sent != 0 || ReadHr != 0 || Result != 0) {
                state.SkipWithError("no answer to a bare round trip");
                return;
            }
        }
        const auto T1 = Clock::now();
        if (!kvr::client::ConfigTransfer(*Loop.Client).LoadToTarget(Image.data(), static_cast<int>(Image.size()))) {
            state.SkipWithError("the image write failed");
            return;
        }
        const auto T2 = Clock::now();
        RoundTrips = std::chrono::duration<double>(T1 - T0).count();
        ImageWrite = std::chrono::duration<double>(T2 - T1).count();
        state.SetIterationTime(RoundTrips);
    }
    state.counters["pingpong_ms"] = 1000 * PingPong;
    state.counters["roundtrips_ms"] = 1000 * RoundTrips;
    state.counters["image_ms"] = 1000 * ImageWrite;
    state.counters["rt_vs_pingpong"] = RoundTrips / PingPong;
    state.counters["image_vs_rt"] = ImageWrite / RoundTrips;
}

} // namespace

BENCHMARK(BM_RpcPath)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(false);
