#pragma once
// A project for widget tests: devices with given names, counters and violations, and a record
// of the files it was asked to load.

#include <string>
#include <vector>

#include "app/projectaccess.h"

struct FakeDevice {
    std::string Name;
    kvr::app::DeviceResources Resources;
    std::vector<kvr::app::ConfigViolation> Violations;
    bool Dummy = false;
};

class FakeProject : public kvr::app::ProjectAccess {
public:
    std::vector<FakeDevice> Devices;
    std::vector<std::string>* Loaded = nullptr;
    bool Changed = false;
    std::array<std::uint8_t, 100> Header{};

    bool IsChanged() override { return Changed; }
    bool LoadFromDisk(const std::string& FileName) override
    {
        if (Loaded)
            Loaded->push_back(FileName);
        return true;
    }
    std::array<std::uint8_t, 100> GetHeader() const override { return Header; }
    int DeviceCount() const override { return static_cast<int>(Devices.size()); }
    bool IsDummy(int Device) const override { return Devices.at(static_cast<std::size_t>(Device)).Dummy; }
    std::string DeviceName(int Device) const override { return Devices.at(static_cast<std::size_t>(Device)).Name; }
    kvr::app::DeviceResources FitDevice(int Device) override { return Devices.at(static_cast<std::size_t>(Device)).Resources; }
    std::string WriteFittingReport(int) override { return {}; }
    std::vector<kvr::app::ConfigViolation> Violations(int Device, int) const override
    {
        return Devices.at(static_cast<std::size_t>(Device)).Violations;
    }
    std::string FixedProcessingLabel(int, int Index) const override { return "FixProc" + std::to_string(Index) + "Long"; }
    void SetFitOptions(std::uint8_t) override {}
};
