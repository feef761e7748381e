// Round trips of one control block: proxy -> server (local socket) -> emulated device (TCP on
// loopback) -> server queue -> proxy. Starts rurez and devemu itself and stops them.

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

#include "commserver/commserverproxy.h"
#include "commserver/deviceframe.h"
#include "program.h"

namespace {

using namespace kvr::commserver;

void BM_ControlBlockRoundTrip(benchmark::State& state)
{
    int argc = 1;
    char name[] = "bench";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + "/run";
    Program server(KVR_RUREZ_PATH, {"--dir", folder, "--udp-bind", "127.0.0.1:0"});
    Program emulator(KVR_DEVEMU_PATH, {"--device", "ip=127.0.0.2", "--broadcast-ms", "0"});
    const auto device = emulator.waitForLine("device");
    if (!server.waitForLine("rurez ready") || !device) {
        state.SkipWithError("server or emulator did not start");
        return;
    }
    CommServerProxy proxy(ProxyEndpoint{serverSocketPath(folder.toStdString()), {}, 0});
    constexpr std::int32_t H = 1;
    std::int32_t result = -1;
    if (proxy.OpenTCPConnection(H, "127.0.0.2", wordValue(*device, "tcp").section(':', 1).toInt(), result) != HrOk || result != ResultOk) {
        state.SkipWithError("no connection to the emulated device");
        return;
    }
    const Bytes request = clientBlockFromFrame(makeDeviceFrame(0x1A000001, {}));
    Bytes answer;
    for (auto _ : state) {
        proxy.SendBlock(H, request, result);
        proxy.ReadBlockEx2(H, 1000, answer, result);
        if (result != ResultOk) {
            state.SkipWithError("no answer");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_ControlBlockRoundTrip)->Unit(benchmark::kMicrosecond);
