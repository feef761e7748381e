#include "app/projectaccess.h"

namespace kvr::app {

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
