#include "app/projectaccess.h"

#include <algorithm>

namespace kvr::app {

int ProjectAccess::CountDevices() const
{
    int count = 0;
    for (int device = 0; device < DeviceCount(); ++device)
        count += IsDummy(device) ? 0 : 1;
    return count;
}

std::string ProjectName(const ProjectAccess& Project)
{
    const auto header = Project.GetHeader();
    const auto* begin = header.data() + 12;
    return std::string(begin, std::find(begin, begin + 36, std::uint8_t{0}));
}

std::vector<CheckListRow> CollectCheckListRows(const ProjectAccess& Project)
{
    std::vector<CheckListRow> rows;
    for (int device = 0; device < Project.DeviceCount(); ++device) {
        const std::string name = Project.DeviceName(device);
        for (const ConfigViolation& v : Project.Violations(device, MaxViolationsPerDevice))
            rows.push_back(CheckListRowFor(name, v, [&](int index) { return Project.FixedProcessingLabel(device, index); }));
    }
    return rows;
}

std::optional<DeviceResources> SelectedDeviceResources(ProjectAccess& Project, int CurDevice)
{
    if (CurDevice < 0 || CurDevice >= Project.DeviceCount() || Project.IsDummy(CurDevice))
        return std::nullopt;
    return Project.FitDevice(CurDevice);
}

} // namespace kvr::app
