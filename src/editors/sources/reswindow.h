#pragma once
// The logic-source window "Logic Sources": the one picker and drag source for logic signals.

#include <QWidget>

#include <array>

#include "editors/sources/logicsourcetree.h"
#include "editors/common/sourceassign.h"
#include "editors/common/sourcepicker.h"
#include "editors/sources/sourcewindow.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace kvr::editors {

class TResWindow : public SourceWindow, public LogicSourcePicker {
public:
    TResWindow(EditorHost& Host, QWidget* Parent);

    // Picker interface.
    void SetTarget(int Kind, SourceTarget* Target) override { FTargets.Set(Kind, Target); }
    void SetTargetKind(int Kind) override { FTargetKind = Kind; }
    int TargetKind() const override { return FTargetKind; }
    void SetGroupFilter(int Filter) override { FTree.FGroupFilter = Filter; }
    int GroupFilter() const override { return FTree.FGroupFilter; }
    void SetConditionVisible(bool Visible) override;
    void SetConditionIndex(int Index) override;
    void BuildSourceTree() override;
    void SelectLogicSource(std::uint32_t Ref) override;
    void SelectLogicSourceAt(std::uint32_t Ref, int DeviceIndex) override;
    std::int64_t GetDeviceID() const override;
    void ShowPicker() override { show(); }
    void Assign(AssignSender Sender) override;

    // The form that last activated and so owns the window.
    void SetOwnerForm(const QWidget* Owner) { FOwnerForm = Owner; }
    const LogicSourceTree& Tree() const { return FTree; }

    std::uint16_t FSourceRef = 0;

    QGroupBox* RadioGroup1 = nullptr;
    std::array<QRadioButton*, 4> Conditions{};
    QPushButton* Button2 = nullptr; // "Assign"
    QPushButton* Button1 = nullptr; // "Close"

protected:
    void Rebuild() override { BuildSourceTree(); }

private:
    void ShowTree(bool Refill) override;
    void TreeView1Change();

    LogicSourceTree FTree;
    SourceTargets FTargets;
    int FTargetKind = 0;
    const QWidget* FOwnerForm = nullptr;
};

} // namespace kvr::editors
