#pragma once
// The "Global Logics" tab: the 200 global logics with name, sending device and source. Showing
// it keeps one sender per global logic (the device with the lowest index); a sender is chosen in
// the logic-source window, which calls AssignSender.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/projectpages/logicsourcepicker.h"

namespace kvr::model {
class TProject;
}

namespace kvr::app {

inline constexpr int GlobalLogicNameMaxLength = 8;

// One line of the program log at a level.
using PageLog = std::function<void(const std::string& Text, int Level)>;

struct GlobalLogicRow {
    std::string Nr;
    std::string Name;
    std::string Device; // the sender's name, "None"
    std::string Source; // the sent source's name, "None"
    std::uint16_t ImageIndex = 0; // the sent source, 0 for none
    int StateIndex = -1;          // the sending device, -1 for none
    bool operator==(const GlobalLogicRow&) const = default;
};

class GlobalLogics {
public:
    GlobalLogics(model::TProject& Project, PageLog Log, const LogicSourcePicker& Picker)
        : FProject(Project), FLog(std::move(Log)), FPicker(Picker)
    {
    }

    // TabSheet12Show: fills the rows and clears every sender after the first of a global logic.
    void Show();
    const std::vector<GlobalLogicRow>& Rows() const { return FRows; }

    // -1 for none. A row outside the list selects none.
    int Selected() const { return FSelected; }
    void Select(int Row);
    bool SelectEnabled() const { return FSelected >= 0; }

    // The selected global logic's name becomes the first 8 characters of Text.
    void SetName(std::string_view Text);
    // "Select ..." or a double click: the window offers the selected row's sender.
    void PickSender();
    // Drops of a dragged source: on the source field (the selected row) or on a row of the list
    // (-1: outside every row, which leaves none selected).
    void DropOnSource();
    void DropOnRow(int Row);
    // The window's Assign for target kind 13: Source of Device becomes the only sender of the
    // selected global logic; a name still beginning with "GL " takes NodeText.
    void AssignSender(std::uint16_t Source, int Device, std::string_view NodeText);

    // The selected row as the project holds it now, after the window wrote its sender itself.
    void RefreshSelected();

    // The hidden service button: the sender table of every device into the log, nothing cleared.
    void Decode();

private:
    // 200 source IDs per device; fixed-model devices hold zeros unless All.
    std::vector<std::vector<std::uint16_t>> SenderTable(bool All) const;
    void SetRowSender(GlobalLogicRow& Row, std::uint16_t Source, int Device) const;

    model::TProject& FProject;
    PageLog FLog;
    const LogicSourcePicker& FPicker;
    std::vector<GlobalLogicRow> FRows;
    int FSelected = -1;
};

} // namespace kvr::app
