#pragma once
// The Logic System page without its widgets: which kind of logic element the selected tree node
// shows, the element list with its limits, add, remove and reorder, the edit guard, and the
// page's side of the two source windows. Every change goes to the device at once.

#include <functional>
#include <string>
#include <vector>

#include "editors/common/sourcepicker.h"

namespace kvr::model {
class TDevice;
class TProject;
}

namespace kvr::editors {

class EditorHost;

// Kinds of the project tree's logic nodes.
enum LogicNodeKind : int {
    lkLogicSystem = 100, lkLevelDetection = 101, lkLogicDelay = 102, lkLogicFunctions = 103, lkScripts = 104,
    lkGPORouting = 105
};

inline constexpr int kMaxLogicFunctions = 150;
inline constexpr int kMaxLevelDetects = 5;
inline constexpr int kMaxLogicDelays = 20;
inline constexpr int kMaxScripts = 100;

struct LogicListRow {
    std::string Caption;
    std::string ILBus; // logic functions: the interlock bus while one is used
    std::string Conc;  // logic functions: "&" for AND
    bool operator==(const LogicListRow&) const = default;
};

class LogicPage : public SourceTarget {
public:
    explicit LogicPage(EditorHost& Host);
    ~LogicPage() override;

    // ShowLogicPage for a node kind (100-105) and HideLogicPage.
    void Show(int Kind);
    void Hide();
    bool Visible() const { return FVisible; }
    int Kind() const { return FKind; }
    // The element list is shown for kinds 101-104.
    bool HasList() const { return FKind >= lkLevelDetection && FKind <= lkScripts; }

    // The current device, null without one (or for a fixed-model device).
    model::TDevice* Device() const;
    model::TProject* Project() const;
    int DeviceIndex() const;
    EditorHost& Host() const { return FHost; }

    // The list's caption, its columns and rows.
    std::string Caption() const;
    std::vector<std::string> Columns() const;
    const std::vector<LogicListRow>& Rows() const { return FRows; }
    void FillLogicList();
    // The row of element Index read again from the device.
    void RefreshRow(int Index);

    int Selected() const { return FSelected; }
    // Refused (false) while the edit guard is set.
    bool Select(int Row);
    // The element limit of "Add" for the kind shown.
    int Limit() const;
    bool AddEnabled() const { return HasList() && static_cast<int>(FRows.size()) < Limit(); }
    bool RemoveEnabled() const { return HasList() && FSelected >= 0; }
    void Add();
    void Remove();
    // A logic function dragged onto row To: moved there with every reference following.
    bool Move(int To);

    // Set while the editor of the selected element is filled; Fill runs under it.
    bool FEditGuard = false;
    void RefreshLogicEditor(const std::function<void()>& Fill);

    // Called when a source window wrote to an element of this page, to show it again.
    std::function<void(int Kind)> Written;

    // SourceTarget: logic kinds 2, 3, 4 and 8, audio kind 1.
    TargetSelection Selection(int Kind) override;
    void Refresh(int Kind, const PickedSource& Source) override;
    bool EditorOpen(int Kind) override;
    // The source row of the logic-function editor that Assign replaces (-1 appends) and the
    // GPO ID of the GPO list's selected row (-1 none).
    int FSourceRow = -1;
    int FGPOID = -1;

private:
    void Register(SourceTarget* Target);
    void RebuildLogicSources();

    EditorHost& FHost;
    int FKind = 0;
    bool FVisible = false;
    int FSelected = -1;
    std::vector<LogicListRow> FRows;
};

// The page's selected element read through Get (the model's getter, 1 = read); false without a
// device or a selection.
template <typename Getter, typename Record>
bool ReadSelected(const LogicPage& Page, Getter Get, Record& Out)
{
    model::TDevice* dev = Page.Device();
    return dev != nullptr && Page.Selected() >= 0 && Get(*dev, Page.Selected(), Out) == 1;
}

// Read-modify-write of the page's selected element; its row is read again. False without one.
template <typename Record, typename Getter, typename Setter, typename Edit>
bool ChangeSelected(LogicPage& Page, Getter Get, Setter Set, Edit EditRecord)
{
    Record record;
    if (!ReadSelected(Page, Get, record))
        return false;
    EditRecord(record);
    Set(*Page.Device(), Page.Selected(), record);
    Page.RefreshRow(Page.Selected());
    return true;
}

} // namespace kvr::editors
