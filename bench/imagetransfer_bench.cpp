// A full 64000-byte device image written to and read back from an emulated device through the
// server on loopback, beside the same number of bare round trips of one control block through
// the proxy. Starts rurez and devemu itself and stops them.

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "client/configtransfer.h"
#include "client/transferblocks.h"
#include "commserver/deviceframe.h"
#include "kvrdata/byteorder.h"
#include "loopbackclient.h"

namespace {

using namespace kvr::client::transfer;
using Clock = std::chrono::steady_clock;

void BM_FullImageWriteAndRead(benchmark::State& state)
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
    TKVRCommunicationClient& Client = *Loop.Client;

    std::vector<std::uint8_t> Image(ImageMaxSize);
    for (std::size_t i = 0; i < Image.size(); ++i)
        Image[i] = static_cast<std::uint8_t>(i * 31);
    std::memcpy(Image.data(), "MPJ2", 4);
    kvr::writeBE16(Image, ImageLengthOffset, static_cast<std::uint16_t>(ImageMaxSize));
    std::vector<std::uint8_t> Back(ImageMaxSize);
    // Every block of the write and of the read is one request and its answer.
    constexpr std::size_t RoundTrips = 2 * ImageMaxSize / ImageBlockSize;

    // The bare round trips: a second handle of the same server, straight through the proxy.
    kvr::commserver::CommServerProxy Proxy(kvr::commserver::ProxyEndpoint{Loop.SocketPath, {}, 0});
    constexpr std::int32_t H = 1;
    std::int32_t Result = -1;
    if (Proxy.OpenTCPConnection(H, "127.0.0.2", Loop.DevicePort, Result) != 0 || Result != 0) {
        state.SkipWithError("no bare connection to the emulated device");
        return;
    }
    const auto Request = kvr::commserver::clientBlockFromFrame(kvr::commserver::makeDeviceFrame(ImageReadID(1), {}));

    double TransferSeconds = 0;
    double BareSeconds = 0;
    for (auto _ : state) {
        const auto T0 = Clock::now();
        const bool Written = kvr::client::ConfigTransfer(Client).LoadToTarget(Image.data(), static_cast<int>(Image.size()));
        const int Read = kvr::client::ConfigTransfer(Client).LoadFromTarget(Back.data());
        const auto T1 = Clock::now();
        if (!Written || Read != static_cast<int>(ImageMaxSize) || Back != Image) {
            state.SkipWithError("the image did not come back");
            return;
        }
        kvr::commserver::Bytes Answer;
        for (std::size_t i = 0; i < RoundTrips; ++i) {
            Proxy.SendBlock(H, Request, Result);
            Proxy.ReadBlockEx2(H, 1000, Answer, Result);
            if (Result != 0) {
                state.SkipWithError("no answer to a bare round trip");
                return;
            }
        }
        const auto T2 = Clock::now();
        const double Transfer = std::chrono::duration<double>(T1 - T0).count();
        TransferSeconds += Transfer;
        BareSeconds += std::chrono::duration<double>(T2 - T1).count();
        state.SetIterationTime(Transfer);
    }
    state.counters["bare_ms"] = benchmark::Counter(1000 * BareSeconds / static_cast<double>(state.iterations()));
    state.counters["ratio"] = benchmark::Counter(TransferSeconds / BareSeconds);
    state.counters["round_trips"] = benchmark::Counter(static_cast<double>(RoundTrips));
}

} // namespace

BENCHMARK(BM_FullImageWriteAndRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
