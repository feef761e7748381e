// The shell's view of the open project, on the data model.
#include "app/projectaccess.h"

#include <algorithm>

#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/globalresources.h"
#include "model/outputfunctions.h"
#include "model/project.h"

namespace kvr::app {

namespace {

class ModelProject : public ProjectAccess {
public:
    model::TProject* Model() override { return &Project; }

    bool IsChanged() override { return Project.IsChanged(); }
    bool LoadFromDisk(const std::string& FileName) override { return Project.LoadFromDisk(FileName, false) == 1; }
    std::array<std::uint8_t, 100> GetHeader() const override { return Project.GetHeader(); }
    int DeviceCount() const override { return Project.DeviceCount(); }
    bool IsDummy(int Device) const override { return At(Device).IsDummy(); }
    std::string DeviceName(int Device) const override { return At(Device).GetName(); }

    DeviceResources FitDevice(int Device) override
    {
        model::TDevice& d = At(Device);
        model::RunDSPFitting(d, 2); // without writing the DSP assignment
        return DeviceResources{d.FBusCount,   d.FBusLimit, d.FOutFktCount,   d.FOutFktLimit,
                               d.FSOFCount,   d.FSOFLimit, d.FDSPCyclesUsed, d.FDSPCycles};
    }

    std::string WriteFittingReport(int Device) override { return model::WriteFittingReport(At(Device)); }

    std::vector<ConfigViolation> Violations(int Device, int Max) const override
    {
        std::vector<ConfigViolation> list;
        for (const model::TConfigViolation& v : model::GetConfigViolations(At(Device), Max)) {
            if (static_cast<int>(list.size()) >= Max)
                break;
            list.push_back(ConfigViolation{v.Kind, v.SubKind, v.Index});
        }
        return list;
    }

    std::string FixedProcessingLabel(int Device, int Index) const override
    {
        model::TFixedProcessing processing;
        if (!model::GetFixedProcessing(At(Device), Index, processing))
            return {};
        return std::string(processing.Label.begin(), std::find(processing.Label.begin(), processing.Label.end(), '\0'));
    }

    void SetFitOptions(std::uint8_t Options) override { Project.SetFitOptions(Options); }

    std::array<std::uint8_t, 200> DeviceHeader(int Device) const override { return At(Device).GetHeader(); }
    std::vector<std::uint8_t> SetupData(int Device, std::uint8_t Id) const override { return At(Device).GetSetupData(Id); }
    int SetSetupData(int Device, std::uint8_t Id, std::span<const std::uint8_t> Payload) override
    {
        return At(Device).SetSetupData(Id, Payload);
    }
    int CountDevices() const override { return Project.CountDevices(); }
    int CountDevicesOverLimit() override { return model::CountDevicesOverLimit(Project); }
    int AddDevice() override { return Project.AddDevice(); }
    int CopyDevice(int Device) override { return Project.CopyDevice(Device); }
    void DeleteDevice(int Device) override { Project.DeleteDevice(static_cast<unsigned>(Device)); }
    void SetDeviceTreeNode(int Device, void* Node) override { At(Device).FTreeNode = Node; }
    int SaveToDisk(const std::string& FileName, const std::function<bool(const std::string& CompleteFile)>& Place) override
    {
        return Project.SaveToDisk(FileName, true, Place);
    }

    int SaveCopyToDisk(const std::string& FileName) override
    {
        const bool projectModified = Project.IsModified();
        std::vector<bool> deviceChanged;
        for (int i = 0; i < Project.DeviceCount(); ++i)
            deviceChanged.push_back(At(i).IsChanged());
        const int result = Project.SaveToDisk(FileName, true);
        for (int i = 0; i < Project.DeviceCount(); ++i)
            At(i).SetChangedFlag(deviceChanged[static_cast<std::size_t>(i)]);
        if (projectModified)
            Project.SetHeader(Project.GetHeader()); // marks the project modified again
        return result;
    }

    std::string GetFileDate() const override { return Project.GetFileDate(); }
    int SaveDevice(int Device, const std::string& FileName) override { return At(Device).Save(FileName); }

    bool ReplaceDevice(int Device, const std::string& FileName) override
    {
        if (At(Device).Replace(FileName) != 1)
            return false;
        // The project's file does not hold the new device yet: closing must ask to save it.
        At(Device).SetChangedFlag(true);
        Project.FixDuplicateDeviceIDs(Device);
        model::ClearGlobalResourceRefs(Project, Device);
        model::SyncGlobalResources(Project);
        return true;
    }

private:
    model::TDevice& At(int Device) const { return *Project.Device(Device); }

    mutable model::TProject Project;
};

} // namespace

std::unique_ptr<ProjectAccess> NewProject()
{
    return std::make_unique<ModelProject>();
}

} // namespace kvr::app
