#pragma once
// The Output Functions page without its widgets: the device's output functions, and the rows of
// the selected one ("Default" first, then up to nine rows selected by a logic condition), each
// with two sources, their levels and pots. Sources and conditions come from the source windows
// (audio kinds 2 and 3, logic kind 9), which write into the selected row. Every change goes to
// the device at once.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editors/common/sourcepicker.h"

namespace kvr::model {
class TDevice;
class TProject;
struct TOutputFunction;
}

namespace kvr::editors {

class EditorHost;

inline constexpr int kMaxOutFktRows = 10;

// Columns of the row list.
enum OutFktColumn : int { ocCondition = 0, ocSource1 = 1, ocLevel1 = 2, ocSource2 = 3, ocLevel2 = 4 };

// The text of level N (1 or 2) of a row from its level (dB, -100 and below off) and pot (0 none).
std::string LevelText(int Level, int Pot, int N, const std::string& PotName);
// The name of a row's pot: a pot of the device below 155, global pot Pot - 154 from 155 on.
std::string OutFktPotName(model::TProject& Project, model::TDevice& Dev, int Pot);

struct OutFktRowView {
    std::string Condition;
    std::string Source1;
    std::string Level1;
    std::string Source2;
    std::string Level2;
    std::uint16_t Ref1 = 0;
    std::uint16_t Ref2 = 0;
    int Level1dB = 0;
    int Level2dB = 0;
    int Pot1 = 0;
    int Pot2 = 0;
    std::uint16_t ConditionID = 0;
    bool operator==(const OutFktRowView&) const = default;
};

class OutputFunctionsPage : public SourceTarget {
public:
    explicit OutputFunctionsPage(EditorHost& Host);
    ~OutputFunctionsPage() override;
    OutputFunctionsPage(const OutputFunctionsPage&) = delete;
    OutputFunctionsPage& operator=(const OutputFunctionsPage&) = delete;

    // The current device, null without one (or for a fixed-model device).
    model::TDevice* Device() const;

    // "Output Functions" list: "01 | label" ...
    void FillOutputFunctions();
    const std::vector<std::string>& Lines() const { return FLines; }
    int Selected() const { return FSelected; }
    // A click or key in the list.
    void SelectFunction(int Index);
    bool AddEnabled() const { return FAddEnabled; }
    bool RemoveEnabled() const { return FRemoveEnabled; }
    void Add();
    void Remove();

    // "Edit Output Function".
    void RefreshOutputFunctionEditor();
    bool EditorVisible() const { return FEditorVisible; }
    const std::string& Label() const { return FLabel; }
    // The label edit changed: the text (at most 10 characters) becomes the label.
    void SetLabel(const std::string& Text);
    const std::vector<OutFktRowView>& Rows() const { return FRows; }
    int SelectedRow() const { return FRow; }
    // The row selection (-1 none) and what it enables.
    void SelectRow(int Row);
    bool InsertEnabled() const { return FInsertEnabled; }
    bool RemoveSourceEnabled() const { return FRemoveSourceEnabled; }
    bool ConditionEnabled() const { return FConditionEnabled; }
    bool SourcesEnabled() const { return FSourcesEnabled; }
    // Popup "Remove Source" and "Select Condition ...": rows other than 0.
    bool PopupRowEnabled() const { return FRow > 0; }
    // The texts under the list: condition, source 1, level 1, source 2, level 2.
    const std::vector<std::string>& RowTexts() const { return FRowTexts; }
    // "(Phase reversed)" or empty, for source 1 and 2.
    const std::string& PhaseText(int N) const { return N == 1 ? FPhase1 : FPhase2; }

    void InsertSource();
    void RemoveSource();
    // "Condition ...": the logic-source window aimed at the selected row's condition.
    void PickCondition();
    // "Source 1 ..." / "Source 2 ...": the audio-source window with the row's source, level and pot.
    void PickSource(int N);
    // "Set Level N": 0 dB when not 0, else off.
    void ToggleLevel(int N);
    // Popup caption of "Set Level N"; empty (and disabled) without a selected row.
    std::string LevelCaption(int N) const;
    // A double click over a column (-1 right of the last).
    void DoubleClick(int Column);

    // Drops on a row (-1 none) over a column (-1 none): whether accepted, and the drop itself.
    bool AcceptsLogic(int Row, int Column) const;
    bool AcceptsAudio(int Row, int Column) const;
    bool AcceptsRowMove(int Row) const;
    void DropLogic(int Row, int Column);
    void DropAudio(int Row, int Column);
    // The selected row dragged onto another.
    void MoveRow(int To);

    // SourceTarget: audio kinds 2 and 3, logic kind 9.
    TargetSelection Selection(int Kind) override;
    void Refresh(int Kind, const PickedSource& Source) override;

    // Called after a change the widgets show.
    std::function<void()> Changed;

private:
    void Register(SourceTarget* Target);
    bool ReadSelected(model::TOutputFunction& Out) const;
    void Store(const model::TOutputFunction& Record);
    void Notify() const;

    EditorHost& FHost;
    std::vector<std::string> FLines;
    std::vector<OutFktRowView> FRows;
    std::vector<std::string> FRowTexts;
    std::string FLabel;
    std::string FPhase1;
    std::string FPhase2;
    int FSelected = -1;
    int FRow = -1;
    bool FAddEnabled = false;
    bool FRemoveEnabled = false;
    bool FEditorVisible = false;
    bool FInsertEnabled = false;
    bool FRemoveSourceEnabled = false;
    bool FConditionEnabled = false;
    bool FSourcesEnabled = false;
};

} // namespace kvr::editors
