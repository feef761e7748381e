// Saving and opening a full project: 20 devices, each image close to the 64000-byte limit.
#include "model/modelhost.h"
#include "model/project.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class QuietHost final : public kvr::model::ModelHost {
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

std::string benchFile() { return "/tmp/kvr-bench-projectfile-" + std::to_string(::getpid()) + ".kvp"; }

// Fills every device with structures of 1000 bytes until the next one would not fit.
void fillProject(kvr::model::TProject& project)
{
    for (int d = 0; d < kvr::model::TProject::MaxDevices; ++d) {
        kvr::model::TDevice* device = project.Device(project.AddDevice());
        std::vector<std::uint8_t> payload(1000, static_cast<std::uint8_t>(d));
        std::uint8_t type = 40;
        while (device->GetAllData().size() + payload.size() + 4 < kvr::model::TDevice::ImageSize)
            device->SetData(type++, payload);
        const std::size_t rest = kvr::model::TDevice::ImageSize - 1 - device->GetAllData().size() - 4;
        device->SetData(type, std::vector<std::uint8_t>(rest, 1));
    }
}

void BM_SaveProject(benchmark::State& state)
{
    kvr::model::SetModelHost(&host);
    kvr::model::TProject project;
    fillProject(project);
    const std::string file = benchFile();
    for (auto _ : state) {
        if (project.SaveToDisk(file, true) != 1)
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 20 * 64000);
    std::remove(file.c_str());
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_OpenProject(benchmark::State& state)
{
    kvr::model::SetModelHost(&host);
    const std::string file = benchFile();
    {
        kvr::model::TProject project;
        fillProject(project);
        project.SaveToDisk(file, true);
    }
    for (auto _ : state) {
        kvr::model::TProject project;
        if (project.LoadFromDisk(file, true) != 1 || project.DeviceCount() != 20)
            state.SkipWithError("open failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 20 * 64000);
    std::remove(file.c_str());
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

} // namespace
