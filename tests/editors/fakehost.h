#pragma once
// The main window as the editors see it: a project, a current device and, where a test wants
// them, source windows.

#include "editors/common/editorhost.h"

namespace kvr::editors::test {

struct FakeHost : EditorHost {
    model::TProject* project = nullptr;
    int device = 0;
    LogicSourcePicker* logic = nullptr;
    AudioSourcePicker* audio = nullptr;

    model::TProject* Project() override { return project; }
    int CurrentDevice() const override { return device; }
    bool HideUnnamedSources() const override { return false; }
    bool SelectNextRoutingAfterAssign() const override { return false; }
    void UpdateResourceGauges() override {}
    void ShowProgress(int, int, int) override {}
    void HideProgress() override {}
    void Log(const std::string&, int) override {}
    void PumpMessages() override {}
    LogicSourcePicker* LogicSources() override { return logic; }
    AudioSourcePicker* AudioSources() override { return audio; }
};

} // namespace kvr::editors::test
