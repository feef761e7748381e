#pragma once
// What the main window's shell reads of the open project: the modified state, loading, the
// header, and per device its name, fitting counters and limit violations. One implementation
// sits on the data model; tests use their own.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <functional>
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

    // What the project tree and the file commands use. A stand-in project that does not take
    // part in them keeps the defaults: nothing is stored and every change is refused.
    virtual std::array<std::uint8_t, 200> DeviceHeader(int /*Device*/) const { return {}; }
    // The payload of a device's setup entry; empty when there is none.
    virtual std::vector<std::uint8_t> SetupData(int /*Device*/, std::uint8_t /*Id*/) const { return {}; }
    // -1 when not applied; see the data model's setup entries.
    virtual int SetSetupData(int /*Device*/, std::uint8_t /*Id*/, std::span<const std::uint8_t> /*Payload*/) { return -1; }
    // Devices that are not fixed-model devices.
    virtual int CountDevices() const;
    virtual int CountDevicesOverLimit() { return 0; }
    // The index of the new device, -1 when refused (the data model says why).
    virtual int AddDevice() { return -1; }
    virtual int CopyDevice(int /*Device*/) { return -1; }
    virtual void DeleteDevice(int /*Device*/) {}
    // The device's node in the project tree, for the data model's renames.
    virtual void SetDeviceTreeNode(int /*Device*/, void* /*Node*/) {}
    // Writes the project file (stamping user and version); clears the changed state on success.
    // Place, when given, puts the completely written new file in place of the old one itself.
    virtual int SaveToDisk(const std::string& /*FileName*/,
                           const std::function<bool(const std::string& CompleteFile)>& /*Place*/ = {})
    {
        return 0;
    }
    // Writes a copy of the project; the project and its devices keep their changed state, since
    // the project's own file still lacks the edits.
    virtual int SaveCopyToDisk(const std::string& /*FileName*/) { return 0; }
    virtual std::string GetFileDate() const { return {}; }
    // Writes a device file of one device.
    virtual int SaveDevice(int /*Device*/, const std::string& /*FileName*/) { return 0; }
    // Replaces a device from a device file; on success the device IDs, the global resources
    // and their references are brought in line. False when the data model refused the file.
    virtual bool ReplaceDevice(int /*Device*/, const std::string& /*FileName*/) { return false; }
};

// The project's name, header bytes 12-47.
std::string ProjectName(const ProjectAccess& Project);

// A new, empty project of the data model.
std::unique_ptr<ProjectAccess> NewProject();

// The rows of the configuration check list for every device of the project.
std::vector<CheckListRow> CollectCheckListRows(const ProjectAccess& Project);
// The gauges' input for the selected device: none for the project root or a fixed-model device.
std::optional<DeviceResources> SelectedDeviceResources(ProjectAccess& Project, int CurDevice);

} // namespace kvr::app
