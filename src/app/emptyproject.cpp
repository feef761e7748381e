// Until the data model joins the program, the shell runs on an empty project.
#include "app/projectaccess.h"

namespace kvr::app {

namespace {

class EmptyProject : public ProjectAccess {
public:
    bool IsChanged() override { return false; }
    bool LoadFromDisk(const std::string&) override { return false; }
    std::array<std::uint8_t, 100> GetHeader() const override { return {}; }
    int DeviceCount() const override { return 0; }
    bool IsDummy(int) const override { return false; }
    std::string DeviceName(int) const override { return {}; }
    DeviceResources FitDevice(int) override { return {}; }
    std::string WriteFittingReport(int) override { return {}; }
    std::vector<ConfigViolation> Violations(int, int) const override { return {}; }
    std::string FixedProcessingLabel(int, int) const override { return {}; }
    void SetFitOptions(std::uint8_t) override {}
};

} // namespace

std::unique_ptr<ProjectAccess> NewProject()
{
    return std::make_unique<EmptyProject>();
}

} // namespace kvr::app
