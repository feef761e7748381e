#pragma once
// The two source windows as the audio pages use them: they keep the targets pages register and
// assign what a test picked through the real assignments, on a real project; the main window
// stand-in counts message-queue runs and holds the routing preference.

#include <cstdint>

#include "editors/common/sourceassign.h"
#include "fakehost.h"
#include "model/device.h"
#include "model/project.h"

namespace kvr::editors::test {

struct PagePickerState {
    int kind = 0;
    bool shown = false;
    int builds = 0;
    PickedSource pick; // what the next Assign writes
};

struct PageAudio : AudioSourcePicker, PagePickerState {
    model::TProject* project = nullptr;
    SourceTargets targets;
    int device = -1;
    std::uint32_t selected = 0;
    int level = 0;
    int pot = 0;
    int nextSiblings = 0;
    void SetTarget(int k, SourceTarget* t) override { targets.Set(k, t); }
    void SetTargetKind(int k) override { kind = k; }
    int TargetKind() const override { return kind; }
    void SetGroupFilter(int) override {}
    int GroupFilter() const override { return 0; }
    void SetDeviceIndex(int d) override { device = d; }
    void BuildSourceTree() override { ++builds; }
    void SelectAudioSource(std::uint32_t ref) override { selected = ref; }
    void SetOptionPanelVisible(bool) override {}
    void SetLevel(int l) override { level = l; }
    void SelectPot(int p) override { pot = p; }
    void ShowPicker() override { shown = true; }
    void Assign() override { AssignAudioSource(*project, 0, kind, pick, targets); }
    void SelectNextSibling() override { ++nextSiblings; }
};

struct PageLogic : LogicSourcePicker, PagePickerState {
    model::TProject* project = nullptr;
    SourceTargets targets;
    std::uint32_t selected = 0;
    void SetTarget(int k, SourceTarget* t) override { targets.Set(k, t); }
    void SetTargetKind(int k) override { kind = k; }
    int TargetKind() const override { return kind; }
    void SetGroupFilter(int) override {}
    int GroupFilter() const override { return 0; }
    void SetConditionVisible(bool) override {}
    void BuildSourceTree() override { ++builds; }
    void SelectLogicSource(std::uint32_t ref) override { selected = ref; }
    void SelectLogicSourceAt(std::uint32_t ref, int) override { selected = ref; }
    std::int64_t GetDeviceID() const override { return project->Device(0)->GetDeviceID(); }
    void ShowPicker() override { shown = true; }
    void Assign(AssignSender) override
    {
        pick.DeviceIndex = 0;
        AssignLogicSource(*project, 0, kind, pick, targets, GetDeviceID());
    }
};

struct PagesHost : FakeHost {
    PageAudio audioWindow;
    PageLogic logicWindow;
    bool selectNext = false;
    int pumps = 0;
    explicit PagesHost(model::TProject& p)
    {
        project = &p;
        audioWindow.project = &p;
        logicWindow.project = &p;
        audio = &audioWindow;
        logic = &logicWindow;
    }
    bool SelectNextRoutingAfterAssign() const override { return selectNext; }
    void PumpMessages() override { ++pumps; }
};

} // namespace kvr::editors::test
