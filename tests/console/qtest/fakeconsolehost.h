#pragma once
// A console host over one in-memory device, for the console widgets' tests: the main window's
// services do nothing.

#include <QSize>

#include <memory>
#include <vector>

#include "console/consolehost.h"
#include "console/moduleclipboard.h"
#include "console/pages/consolepage.h"
#include "model/device.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "model/quiethost.h"
#include "platform/currentprompter.h"

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

// A quiet model host and a scripted prompter for as long as the test object lives.
struct QuietScripted {
    QuietScripted()
    {
        kvr::model::SetModelHost(&host);
        kvr::platform::setPrompter(std::make_unique<kvr::platform::ScriptedPrompter>());
    }
    ~QuietScripted()
    {
        kvr::platform::setPrompter(nullptr);
        kvr::model::SetModelHost(nullptr);
    }
    QuietScripted(const QuietScripted&) = delete;
    QuietScripted& operator=(const QuietScripted&) = delete;
    kvr::model::QuietModelHost host;
};

// The console page over a host's device, shown at a size of the tests' choosing.
struct ShownPage {
    explicit ShownPage(DeviceHost& host, QSize size = {940, 640}) : page(state, clipboard, host, nullptr)
    {
        page.resize(size);
        page.show();
        page.ShowConsolePage();
    }
    kvr::console::ConsoleEditorState state;
    kvr::console::ModuleClipboard clipboard;
    kvr::console::ConsolePage page;
};

} // namespace consoletest
