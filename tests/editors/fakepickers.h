#pragma once
// Source windows as pages see them: they keep the targets pages register and write through the
// real assignments, with the source a test picks.

#include <vector>

#include "editors/common/sourceassign.h"
#include "editors/common/sourcepicker.h"
#include "model/project.h"

namespace kvr::editors::test {

struct RecordingAudioPicker : AudioSourcePicker {
    model::TProject* project = nullptr;
    int current = 0; // the main window's current device
    SourceTargets targets;
    int kind = 0, filter = 0, device = -1, builds = 0, shows = 0;
    std::uint32_t selected = 0;
    PickedSource picked; // what Assign hands over

    void SetTarget(int k, SourceTarget* t) override { targets.Set(k, t); }
    void SetTargetKind(int k) override { kind = k; }
    int TargetKind() const override { return kind; }
    void SetGroupFilter(int f) override { filter = f; }
    int GroupFilter() const override { return filter; }
    void SetDeviceIndex(int d) override { device = d; }
    void BuildSourceTree() override { ++builds; }
    void SelectAudioSource(std::uint32_t ref) override { selected = ref; }
    void SetOptionPanelVisible(bool) override {}
    void SetLevel(int) override {}
    void SelectPot(int) override {}
    void ShowPicker() override { ++shows; }
    void Assign() override { AssignAudioSource(*project, current, kind, picked, targets); }
};

struct RecordingLogicPicker : LogicSourcePicker {
    model::TProject* project = nullptr;
    int current = 0;
    SourceTargets targets;
    int kind = 0, filter = 0, builds = 0, shows = 0;
    std::uint32_t selected = 0;
    PickedSource picked;
    AssignOutcome outcome;

    void SetTarget(int k, SourceTarget* t) override { targets.Set(k, t); }
    void SetTargetKind(int k) override { kind = k; }
    int TargetKind() const override { return kind; }
    void SetGroupFilter(int f) override { filter = f; }
    int GroupFilter() const override { return filter; }
    void SetConditionVisible(bool) override {}
    void BuildSourceTree() override { ++builds; }
    void SelectLogicSource(std::uint32_t ref) override { selected = ref; }
    void SelectLogicSourceAt(std::uint32_t ref, int) override { selected = ref; }
    std::int64_t GetDeviceID() const override { return -1; }
    void ShowPicker() override { ++shows; }
    void Assign(AssignSender) override
    {
        outcome = AssignLogicSource(*project, current, kind, picked, targets, -1);
    }
};

} // namespace kvr::editors::test
