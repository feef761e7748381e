#pragma once
// The audio-source window "Audio Sources": the one picker and drag source for audio sources,
// with level, pot and phase for the pages that support them.

#include "editors/sources/audiosourcetree.h"
#include "editors/common/sourceassign.h"
#include "editors/common/sourcepicker.h"
#include "editors/sources/sourcewindow.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace kvr::controls {
class TKVRPoti3;
}

namespace kvr::editors {

class TAudioResWin : public SourceWindow, public AudioSourcePicker {
public:
    TAudioResWin(EditorHost& Host, QWidget* Parent);

    // Picker interface.
    void SetTarget(int Kind, SourceTarget* Target) override { FTargets.Set(Kind, Target); }
    void SetTargetKind(int Kind) override { FTargetKind = Kind; }
    int TargetKind() const override { return FTargetKind; }
    void SetGroupFilter(int Filter) override { FTree.FGroupFilter = Filter; }
    int GroupFilter() const override { return FTree.FGroupFilter; }
    void SetDeviceIndex(int DeviceIndex) override;
    void BuildSourceTree() override;
    void SelectAudioSource(std::uint32_t Ref) override;
    int SelectedSource() const override
    {
        const SourceNode* node = FTree.SelectedNode();
        return node && !node->IsGroup() ? node->ID : -1;
    }
    void SetOptionPanelVisible(bool Visible) override;
    void SetLevel(int Level) override;
    void SelectPot(int Pot) override;
    void ShowPicker() override { show(); }
    void Assign() override;
    void SelectNextSibling() override;

    const AudioSourceTree& Tree() const { return FTree; }
    int FLevel = 0;
    std::uint16_t FSourceRef = 0;

    QWidget* Panel2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    controls::TKVRPoti3* Poti1 = nullptr;
    QLabel* Panel3 = nullptr;
    QCheckBox* CheckBox1 = nullptr; // "Phase Reverse"
    QPushButton* Button1 = nullptr; // "Assign"
    QPushButton* Button2 = nullptr; // "Close"

protected:
    void Rebuild() override { BuildSourceTree(); }

private:
    void ShowTree(bool Refill) override;
    void ShowPots();
    void TreeView1Change();
    void Poti1Change();

    AudioSourceTree FTree;
    SourceTargets FTargets;
    int FTargetKind = 0;
};

} // namespace kvr::editors
