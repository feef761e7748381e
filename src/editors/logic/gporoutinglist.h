#pragma once
// The GPO routing page without its widgets: the GPOs of the frame's I/O cards that have a name
// or a source, with their addresses and sources; Clear and Clear All. Sources come from the
// logic-source window (target kind 8), which keeps the condition.

#include <cstdint>
#include <string>
#include <vector>

namespace kvr::editors {

class LogicPage;

struct GPORow {
    std::string Name;
    std::string Address;
    std::string Source;
    int ImageIndex = 3;          // the condition: reference >> 14
    std::uint16_t Ref = 0xC000;  // the reference (state index)
    int GPOID = -1;              // overlay index
    bool operator==(const GPORow&) const = default;
};

class GPORoutingList {
public:
    explicit GPORoutingList(LogicPage& Page) : FPage(Page) {}

    void FillGPOList();
    const std::vector<GPORow>& Rows() const { return FRows; }
    int Selected() const { return FSelected; }
    // Also tells the page which GPO the logic-source window assigns to.
    void Select(int Row);
    bool AssignEnabled() const { return FSelected >= 0; }
    // The selected row's GPO back to an unrouted GPO ("None", condition ON).
    void Clear();
    // Removes the whole routing of the device, then fills the list again.
    void ClearAll();
    // The selected row read again after the window wrote its source.
    void RefreshSelected();

private:
    GPORow Row(int Slot, int Entry, int CardType, const std::string& Name, int ID) const;

    LogicPage& FPage;
    std::vector<GPORow> FRows;
    int FSelected = -1;
};

} // namespace kvr::editors
