#pragma once
// What the main window's shell reads of the open project: the modified state, loading, the
// header, and per device its name, fitting counters and limit violations. One implementation
// sits on the data model; tests use their own.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/checklist.h"
#include "app/gauges.h"

namespace kvr::model {
class TProject;
}

namespace kvr::app {

class ProjectAccess {
public:
    virtual ~ProjectAccess() = default;

    // The data model's project behind this view; null where a test stands in.
    virtual model::TProject* Model() { return nullptr; }

    virtual bool IsChanged() = 0;
    // Loads a project file; the data model reports its own errors. False on failure.
    virtual bool LoadFromDisk(const std::string& FileName) = 0;
    virtual std::array<std::uint8_t, 100> GetHeader() const = 0;
    virtual int DeviceCount() const = 0;
    virtual bool IsDummy(int Device) const = 0;
    virtual std::string DeviceName(int Device) const = 0;
    // Runs the fitting without writing the DSP assignment and returns its counters.
    virtual DeviceResources FitDevice(int Device) = 0;
    // Runs the fitting with the report and returns the report file's name (empty for none).
    virtual std::string WriteFittingReport(int Device) = 0;
    virtual std::vector<ConfigViolation> Violations(int Device, int Max) const = 0;
    virtual std::string FixedProcessingLabel(int Device, int Index) const = 0;
    virtual void SetFitOptions(std::uint8_t Options) = 0;
};

// A new, empty project of the data model.
std::unique_ptr<ProjectAccess> NewProject();

// The rows of the configuration check list for every device of the project.
std::vector<CheckListRow> CollectCheckListRows(const ProjectAccess& Project);
// The gauges' input for the selected device: none for the project root or a fixed-model device.
std::optional<DeviceResources> SelectedDeviceResources(ProjectAccess& Project, int CurDevice);

} // namespace kvr::app
