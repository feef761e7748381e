#pragma once
// The logic-function editor of the Logic System page without its widgets: label, AND/OR,
// interlock bus and the source list of the selected logic function. Sources come from the
// logic-source window (target kind 2); this editor only removes them.

#include <cstdint>
#include <string>
#include <vector>

namespace kvr::editors {

class LogicPage;

struct LogicSourceRow {
    std::string Caption;
    int ImageIndex = 0;     // the condition: reference >> 14
    std::uint16_t Ref = 0;  // the whole reference
    bool operator==(const LogicSourceRow&) const = default;
};

inline constexpr int kMaxInterlockBus = 100;

class LogicFunctionEditor {
public:
    explicit LogicFunctionEditor(LogicPage& Page) : FPage(Page) {}

    // Reads the selected function; keeps the selected source row while it still exists.
    void Fill();

    std::string Label;
    bool And = false;
    bool Interlock = false;
    int BusPosition = 1; // the up-down's position, 1-100
    std::vector<LogicSourceRow> Sources;
    int SelectedSource = -1;
    bool RemoveSourceEnabled() const { return SelectedSource >= 0; }

    // Label edit (guarded): the first 10 characters.
    void SetLabel(const std::string& Text);
    // "AND" on mouse down and "OR" on click; not guarded.
    void SetAnd(bool IsAnd);
    // The interlock box (guarded).
    void SetInterlock(bool Ticked);
    // Typing in the bus edit moves the up-down only: no number is 0, above 100 is 100.
    void TypeBus(const std::string& Text);
    // Stepping the up-down stores the bus while the box is ticked (not while guarded).
    void StepBus(int Position);
    void SelectSource(int Row);
    // Removes the selected source row.
    void RemoveSource();

private:
    LogicPage& FPage;
};

} // namespace kvr::editors
