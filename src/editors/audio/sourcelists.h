#pragma once
// The "Selector Source Lists" tab without its widgets: lists 0-9 of the rotary selectors, their
// entries and the rotary-select logic source each entry owns. Entry p of list L owns the ID
// 1536 + (entries of lists 0 to L-1) + p, so every insertion, removal or move renumbers the later
// entries; each edit keeps the device's logic references on their entries.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::model {
class TProject;
class TDevice;
struct TSourceList;
}

namespace kvr::editors {

struct SourceListRow {
    std::string Pos;   // "1" ...
    std::string Text;  // display text
    std::string Left;  // source names, in the row's device
    std::string Right;
    std::string Info;  // "Global Pool" ...
    std::uint16_t LeftRef = 0;
    std::uint16_t RightRef = 0;
    int LogicID = 0;   // the entry's rotary-select logic source; 0 when it owns none
    int Device = -1;   // project index of the device whose sources the entry uses
};

class SelectorSourceLists {
public:
    static constexpr int kLists = 10;
    static constexpr int kMaxEntries = 250;
    static constexpr int kListCapacity = 50;
    static constexpr int kFirstID = 1536;
    // The rotary-select category ends here; later entries own no logic source.
    static constexpr int kLastID = 1685;

    SelectorSourceLists(model::TProject& Project, int Device);

    // The 16-character labels of lists 0-9, up to their first zero.
    std::vector<std::string> ListLabels();
    std::string Label(int List);
    int Total();
    // Entries of the lists before List.
    int Before(int List);
    // "<n> entries available".
    std::string AvailableText();
    // Add and Insert: below 250 entries in all and 50 in the list.
    bool CanAdd(int List);
    // Logic source of entry Pos of List; 0 past the category.
    int EntryID(int List, int Pos);
    std::vector<SourceListRow> Rows(int List);

    // Project index of the global pool's source device, the current device when it is not in the
    // project.
    int PoolDevice();
    // "Global Pool" of the entry editor: the pool's source device is another device of the project.
    bool PoolSelectable();

    // The new row, -1 when refused.
    int Add(int List);
    bool Insert(int List, int Row);
    void Remove(int List, int Row);
    void Clear(int List);
    void SetLabel(int List, std::string_view Text);
    void SetText(int List, int Row, std::string_view Text);
    void SetGlobalPool(int List, int Row, bool On);
    // Takes the entry out at From and puts it at To; the references to it follow it.
    void Move(int List, int From, int To);
    // Appends a copy of the entry to ToList; false when refused.
    bool Copy(int FromList, int Row, int ToList);

private:
    model::TSourceList Read(int List);
    void Write(int List, const model::TSourceList& Record);
    // AdaptLogics, only for IDs of the rotary-select category.
    void Adapt(int A, int B, int Mode);

    model::TProject& FProject;
    int FDeviceIndex;
    model::TDevice& FDev;
};

} // namespace kvr::editors
