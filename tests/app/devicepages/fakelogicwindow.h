#pragma once
// The logic-source window as the device page sees it: it records what the page asks, and its
// Assign writes the scripted node through the window's own writer on device 0.

#include <string>
#include <vector>

#include "editors/common/sourceassign.h"
#include "editors/common/sourcepicker.h"

namespace kvr::app::test {

class FakeLogicWindow : public kvr::editors::LogicSourcePicker {
public:
    explicit FakeLogicWindow(model::TProject& Project) : FProject(Project) {}

    void SetTarget(int Kind, kvr::editors::SourceTarget* Target) override { Targets.Set(Kind, Target); }
    void SetTargetKind(int Kind) override { Calls.push_back("kind " + std::to_string(FKind = Kind)); }
    int TargetKind() const override { return FKind; }
    void SetGroupFilter(int Filter) override { Calls.push_back("filter " + std::to_string(Filter)); }
    int GroupFilter() const override { return 0; }
    void SetConditionVisible(bool) override {}
    void BuildSourceTree() override { Calls.push_back("build"); }
    void SelectLogicSource(std::uint32_t Ref) override { Calls.push_back("select " + std::to_string(Ref)); }
    void SelectLogicSourceAt(std::uint32_t Ref, int) override { SelectLogicSource(Ref); }
    std::int64_t GetDeviceID() const override { return -1; }
    void ShowPicker() override { Calls.push_back("show"); }
    void Assign(kvr::editors::AssignSender Sender) override
    {
        Calls.push_back(Sender == kvr::editors::AssignSender::Page ? "assign from page" : "assign");
        Message = kvr::editors::AssignLogicSource(FProject, 0, FKind, Node, Targets, -1).Message;
    }

    kvr::editors::SourceTargets Targets;
    kvr::editors::PickedSource Node;
    std::vector<std::string> Calls;
    std::string Message;

private:
    model::TProject& FProject;
    int FKind = 0;
};

} // namespace kvr::app::test
