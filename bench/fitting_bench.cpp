// The fitting after an edit, on the largest device the limits allow (three DSP cards filled to
// their bus, output-function, SOF and channel capacities), and a fader-channel delete that
// cascades through group logic, clean feeds, labels, fader assignments and keys.
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/faderaccess.h"
#include "model/logicaccess.h"
#include "model/modelhost.h"
#include "model/outputfunctions.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace kvr::model;

class QuietHost final : public ModelHost {
public:
    void ShowErrorBox(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void ShowMessage(const std::string& text, const std::string&) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void ShowWarning(const std::string&) override {}
    void SetProgress(int) override {}
    std::uint32_t CurrentTime() override { return 1700000000; }
    std::string UserName() override { return "bench"; }
    std::string ReportFolder() override { return {}; }
    void SetTreeNodeText(void*, const std::string&) override {}
};

QuietHost host;

constexpr int kFaders = 40;
constexpr int kDeletedChannel = 1;

void SetHeaderByte(TDevice& dev, std::size_t offset, std::uint8_t value)
{
    auto header = dev.GetHeader();
    header[offset] = value;
    dev.SetHeader(header, false);
}

void BuildLargestDevice(TDevice& dev)
{
    DeferredFitting deferred(dev);
    const std::vector<std::uint8_t> dspCard = {0x03, 0x50, 0, 0, 0, 0, 0, 0};
    dev.SetSetupData(19, dspCard);
    dev.SetSetupData(29, dspCard);
    // 20 program buses, 12 AUX buses and 15 clean feeds: the 47 summing buses of three cards.
    for (int i = 2; i < 20; ++i)
        AddProgramBus(dev);
    for (int i = 0; i < 12; ++i)
        AddAuxBus(dev);
    for (int n = 1; n <= 149; ++n)
        AddFaderChannel(dev);
    for (int n = 1; n <= 15; ++n) {
        TFaderChannel channel;
        GetFaderChannel(dev, n, channel);
        channel.PoolFlags |= 0x10;
        SetFaderChannel(dev, n, channel);
        AddCleanFeed(dev, n);
    }
    dev.SetData(stGroupLogic, std::vector<std::uint8_t>{1, kDeletedChannel, 2, kDeletedChannel, 3, kDeletedChannel, 4, kDeletedChannel});
    for (int i = 0; i < 120; ++i) {
        AddOutputFunction(dev);
        TOutputFunction fkt;
        GetOutputFunction(dev, i, fkt);
        fkt.Cond.resize(5);
        SetOutputFunction(dev, i, fkt);
    }
    for (int i = 0; i < 18; ++i) {
        int index = 0;
        TSOFRecord sof;
        AddSOF(dev, index, sof);
    }
    for (int i = 0; i < 15; ++i)
        AddLevelDetect(dev);
    for (int i = 0; i < 17; ++i) {
        AddFixedProcessing(dev);
        TFixedProcessing proc;
        GetFixedProcessing(dev, i, proc);
        proc.Functions = {{10, 1, {}}, {12, 1, {}}, {14, 1, {}}};
        SetFixedProcessing(dev, i, proc);
    }
    SetHeaderByte(dev, dh::FaderCount, kFaders);
    for (int f = 0; f < kFaders; ++f) {
        TFader fader;
        fader.FaderChannel = static_cast<std::uint8_t>(f % 2 == 0 ? kDeletedChannel : f + 1);
        fader.Fader = static_cast<std::uint8_t>(f);
        fader.Count = 2;
        fader.Chain[0] = 10;
        fader.Chain[1] = 14;
        SetFader(dev, f, fader);
    }
    // A key module whose 30 keys select the deleted channel.
    std::vector<std::uint8_t> module(6, 0);
    kvr::writeLE16(module, 0, 10);
    module[5] = 30;
    for (int k = 0; k < 30; ++k) {
        std::vector<std::uint8_t> key(42, 0);
        key[0] = static_cast<std::uint8_t>(k);
        key[1] = 1;
        key[31] = 15;
        key[32] = 31;
        key[36] = kDeletedChannel;
        module.insert(module.end(), key.begin(), key.end());
    }
    dev.SetSetupData(100, module);
}

const std::vector<std::uint8_t>& LargestImage()
{
    static const std::vector<std::uint8_t> image = [] {
        TDevice dev;
        BuildLargestDevice(dev);
        RunDSPFitting(dev, 0);
        std::fprintf(stderr, "largest device: %zu bytes, buses %d/%d, output functions %d/%d, SOFs %d/%d, cycles %d/%d, exceeded 0x%02X\n",
                     dev.GetAllData().size(), dev.FBusCount, dev.FBusLimit, dev.FOutFktCount, dev.FOutFktLimit,
                     dev.FSOFCount, dev.FSOFLimit, dev.FDSPCyclesUsed, dev.FDSPCycles, dev.FLimitExceeded);
        return dev.GetAllData();
    }();
    return image;
}

void BM_FittingRun(benchmark::State& state)
{
    TDevice dev;
    dev.SetAllData(LargestImage());
    for (auto _ : state) {
        RunDSPFitting(dev, 0);
        benchmark::DoNotOptimize(dev.FDSPCyclesUsed);
    }
}
BENCHMARK(BM_FittingRun)->Unit(benchmark::kMicrosecond);

void BM_CascadingDelete(benchmark::State& state)
{
    const bool deferred = state.range(0) != 0;
    TDevice dev;
    for (auto _ : state) {
        state.PauseTiming();
        dev.SetAllData(LargestImage());
        state.ResumeTiming();
        if (deferred) {
            DeferredFitting scope(dev);
            DeleteFaderChannel(dev, kDeletedChannel);
        } else {
            DeleteFaderChannel(dev, kDeletedChannel);
        }
    }
}
BENCHMARK(BM_CascadingDelete)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
