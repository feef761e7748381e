// Opening a full project: 20 devices whose images are close to the 64000-byte limit and hold
// full record lists (fader channels 1-149, 150 logic functions, 100 scripts, 40 output
// functions, 48 buses, 30 clean feeds, level detects, fixed processings), each taken with the
// repair chain and the fitting. Also one whole-image load and one reference adaptation.
#include "fullproject.h"
#include "model/adaptation.h"
#include "model/quiethost.h"
#include "model/project.h"
#include "model/recordhooks.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace kvr::model;

QuietModelHost host;

// What the repairs add (the fader-channel labels, group logic, user groups, shared key tables).
constexpr std::size_t kRepairRoom = 3300;

void FillDevice(TDevice& dev)
{
    kvr::bench::FillRecordLists(dev, kRepairRoom);
    kvr::bench::FillImage(dev, kRepairRoom);
}

std::string BenchFile() { return "/tmp/kvr-bench-loadrepair-" + std::to_string(::getpid()) + ".kvp"; }

void BM_OpenFullProject(benchmark::State& state)
{
    SetModelHost(&host);
    InstallAdaptation();
    const std::string file = BenchFile();
    {
        TProject project;
        for (int d = 0; d < TProject::MaxDevices; ++d)
            FillDevice(*project.Device(project.AddDevice()));
        if (project.SaveToDisk(file, false) != 1)
            state.SkipWithError("save failed");
    }
    for (auto _ : state) {
        TProject project;
        if (project.LoadFromDisk(file, true) != 1 || project.DeviceCount() != 20)
            state.SkipWithError("open failed");
    }
    std::remove(file.c_str());
    SetModelHost(nullptr);
}
BENCHMARK(BM_OpenFullProject)->Unit(benchmark::kMillisecond);

void BM_SetAllDataFullImage(benchmark::State& state)
{
    SetModelHost(&host);
    TDevice source;
    FillDevice(source);
    const auto image = source.GetAllData();
    TDevice dev;
    if (image.size() < 60000 || !dev.SetAllData(image) || dev.GetAllData().size() < 63000)
        state.SkipWithError("image not full");
    for (auto _ : state) {
        if (!dev.SetAllData(image))
            state.SkipWithError("image refused");
    }
    SetModelHost(nullptr);
}
BENCHMARK(BM_SetAllDataFullImage)->Unit(benchmark::kMicrosecond);

void BM_AdaptLogicsFullImage(benchmark::State& state)
{
    SetModelHost(&host);
    TDevice dev;
    FillDevice(dev);
    for (auto _ : state) {
        AdaptLogicReferences(dev, 931, 0, amInsert);
        AdaptLogicReferences(dev, 931, 0, amDelete);
    }
    SetModelHost(nullptr);
}
BENCHMARK(BM_AdaptLogicsFullImage)->Unit(benchmark::kMicrosecond);

} // namespace
