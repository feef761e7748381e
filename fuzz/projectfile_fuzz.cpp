// Opens arbitrary bytes as a project file and as a device file. Whatever is accepted must be a
// well-framed project that saves and loads again.
#include "model/device.h"
#include "model/modelhost.h"
#include "model/project.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

class SilentHost final : public kvr::model::ModelHost {
public:
    void ShowErrorBox(const std::string&) override {}
    void ShowMessage(const std::string&, const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    void SetProgress(int) override {}
    std::uint32_t CurrentTime() override { return 1700000000; }
    std::string UserName() override { return "fuzz"; }
    std::string ReportFolder() override { return {}; }
    void SetTreeNodeText(void*, const std::string&) override {}
};

std::string tempPath(const char* suffix)
{
    return "/tmp/kvr-fuzz-projectfile-" + std::to_string(::getpid()) + suffix;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentHost host;
    kvr::model::SetModelHost(&host);
    const std::string input = tempPath(".in");
    const std::string output = tempPath(".kvp");
    writeFile(input, data, size);

    kvr::model::TProject project;
    if (project.LoadFromDisk(input, false) == 1) {
        for (int i = 0; i < project.DeviceCount(); ++i)
            check(kvr::model::CheckDeviceImage(project.Device(i)->GetAllData()).empty());
        check(project.SaveToDisk(output, true) == 1);
        kvr::model::TProject again;
        check(again.LoadFromDisk(output, true) == 1);
        check(again.DeviceCount() == project.DeviceCount());
    }

    kvr::model::TDevice device;
    const auto before = device.GetAllData();
    if (device.Replace(input) == 1)
        check(kvr::model::CheckDeviceImage(device.GetAllData()).empty());
    else
        check(device.GetAllData() == before);

    std::remove(input.c_str());
    std::remove(output.c_str());
    kvr::model::SetModelHost(nullptr);
    return 0;
}
