#pragma once
// A console host over one in-memory device, for the console widgets' tests: the main window's
// services do nothing.

#include <vector>

#include "console/consolehost.h"
#include "model/device.h"
#include "model/project.h"

namespace consoletest {

class DeviceHost : public kvr::console::ConsoleHost {
public:
    kvr::model::TDevice* CurrentDevice() override { return &device; }
    kvr::model::TProject* CurrentProject() override { return &project; }
    int CurrentDeviceIndex() override { return 0; }
    void UpdateResourceGauges() override {}
    void RebuildSourceWindows() override {}
    void PrintModuleLayout(int) override {}
    void FollowAudioSources(const std::vector<kvr::console::AudioSourceStep>&) override {}
    void ShowModule() override {}
    TKVRLog* Log() override { return nullptr; }

    kvr::model::TProject project;
    kvr::model::TDevice& device = *project.Device(project.AddDevice());
};

} // namespace consoletest
