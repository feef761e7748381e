// Selector source lists: entries, their logic sources and the adaptation of references.

#include "editors/audio/sourcelists.h"

#include <algorithm>

#include "model/device.h"
#include "model/inserts.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/recordhooks.h"
#include "model/recordtext.h"
#include "model/sourceids.h"
#include "model/sourcenames.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {
constexpr std::uint16_t kPoolMark = 0x8000;
}

SelectorSourceLists::SelectorSourceLists(TProject& Project, int Device)
    : FProject(Project), FDeviceIndex(Device), FDev(*Project.Device(Device))
{
}

TSourceList SelectorSourceLists::Read(int List)
{
    TSourceList list;
    GetSourceList(FDev, List, list);
    list.Count = static_cast<std::uint8_t>(std::min<int>(list.Count, kListCapacity));
    return list;
}

void SelectorSourceLists::Write(int List, const TSourceList& Record)
{
    SetSourceList(FDev, List, Record);
    // The entries are rotary-select logic sources too: their names and places change with it.
    FDev.FLogicSourcesChanged = true;
}

void SelectorSourceLists::Adapt(int A, int B, int Mode)
{
    // Entries past the category own no logic source: their IDs belong to the next category,
    // whose references must not move.
    const auto inCategory = [](int id) { return id == 0 || id == MovePlaceholderID || (id >= kFirstID && id <= kLastID); };
    if (inCategory(A) && inCategory(B))
        AdaptLogics(FDev, A, B, Mode);
}

std::vector<std::string> SelectorSourceLists::ListLabels()
{
    std::vector<std::string> labels;
    for (int list = 0; list < kLists; ++list)
        labels.push_back(Label(list));
    return labels;
}

std::string SelectorSourceLists::Label(int List)
{
    return LabelText(Read(List).Label);
}

int SelectorSourceLists::Before(int List)
{
    int n = 0;
    for (int list = 0; list < std::min(List, kLists); ++list)
        n += Read(list).Count;
    return n;
}

int SelectorSourceLists::Total()
{
    return Before(kLists);
}

std::string SelectorSourceLists::AvailableText()
{
    return std::to_string(kMaxEntries - Total()) + " entries available";
}

bool SelectorSourceLists::CanAdd(int List)
{
    return List >= 0 && List < kLists && Total() < kMaxEntries && Read(List).Count < kListCapacity;
}

int SelectorSourceLists::EntryID(int List, int Pos)
{
    const int id = kFirstID + Before(List) + Pos;
    return id <= kLastID ? id : 0;
}

int SelectorSourceLists::PoolDevice()
{
    TGlobalPoolRecord pool;
    GetGlobalPoolLines(FDev, pool);
    const int index = pool.SourceDevice != 0 ? FProject.IndexOfDevice(pool.SourceDevice) : -1;
    return index >= 0 ? index : FDeviceIndex;
}

bool SelectorSourceLists::PoolSelectable()
{
    TGlobalPoolRecord pool;
    GetGlobalPoolLines(FDev, pool);
    const int index = pool.SourceDevice != 0 ? FProject.IndexOfDevice(pool.SourceDevice) : -1;
    return index >= 0 && index != FDeviceIndex;
}

std::vector<SourceListRow> SelectorSourceLists::Rows(int List)
{
    std::vector<SourceListRow> rows;
    if (List < 0 || List >= kLists)
        return rows;
    const TSourceList list = Read(List);
    const int before = Before(List);
    const int poolDevice = PoolDevice();
    const bool onPool = IsSourceListOnGlobalPool(FDev, List) != 0;
    for (int p = 0; p < list.Count; ++p) {
        const TSourceListEntry& e = list.Entries[static_cast<std::size_t>(p)];
        SourceListRow row;
        row.Pos = std::to_string(p + 1);
        row.Device = (e.Left & kPoolMark) != 0 ? poolDevice : FDeviceIndex;
        row.Left = GetAudioSourceName(FProject, e.Left, row.Device, false);
        row.Right = GetAudioSourceName(FProject, e.Right, row.Device, false);
        row.Text = LabelText(e.Text);
        row.LeftRef = e.Left;
        row.RightRef = e.Right;
        const int id = kFirstID + before + p;
        row.LogicID = id <= kLastID ? id : 0;
        if (((e.Left | e.Right) & kPoolMark) != 0)
            row.Info = onPool ? "Global Pool" : "Global Pool (Selector without pool line!)";
        rows.push_back(std::move(row));
    }
    return rows;
}

int SelectorSourceLists::Add(int List)
{
    if (!CanAdd(List))
        return -1;
    TSourceList list = Read(List);
    const int row = list.Count;
    list.Entries[static_cast<std::size_t>(row)] = {};
    ++list.Count;
    Write(List, list);
    Adapt(EntryID(List, row), 0, amInsert);
    return row;
}

bool SelectorSourceLists::Insert(int List, int Row)
{
    if (!CanAdd(List))
        return false;
    TSourceList list = Read(List);
    if (Row < 0 || Row >= list.Count)
        return false;
    auto at = list.Entries.begin() + Row;
    std::move_backward(at, list.Entries.begin() + list.Count, list.Entries.begin() + list.Count + 1);
    *at = {};
    ++list.Count;
    Write(List, list);
    Adapt(EntryID(List, Row), 0, amInsert);
    return true;
}

void SelectorSourceLists::Remove(int List, int Row)
{
    if (List < 0 || List >= kLists)
        return;
    TSourceList list = Read(List);
    if (Row < 0 || Row >= list.Count)
        return;
    const int id = EntryID(List, Row);
    std::move(list.Entries.begin() + Row + 1, list.Entries.begin() + list.Count, list.Entries.begin() + Row);
    --list.Count;
    list.Entries[list.Count] = {};
    Write(List, list);
    Adapt(id, 0, amDelete);
}

void SelectorSourceLists::Clear(int List)
{
    if (List < 0 || List >= kLists)
        return;
    TSourceList stored;
    const bool exists = GetSourceList(FDev, List, stored) == 1;
    TSourceList list = Read(List);
    const int first = EntryID(List, 0);
    while (list.Count > 0) {
        std::move(list.Entries.begin() + 1, list.Entries.begin() + list.Count, list.Entries.begin());
        --list.Count;
        list.Entries[list.Count] = {};
        Write(List, list);
        Adapt(first, 0, amDelete);
    }
    // A list that was never stored stays unstored.
    if (exists) {
        list.Label = {};
        Write(List, list);
    }
}

void SelectorSourceLists::SetLabel(int List, std::string_view Text)
{
    if (List < 0 || List >= kLists)
        return;
    TSourceList list = Read(List);
    model::SetLabel(list.Label, Text);
    Write(List, list);
}

void SelectorSourceLists::SetText(int List, int Row, std::string_view Text)
{
    if (List < 0 || List >= kLists)
        return;
    TSourceList list = Read(List);
    if (Row < 0 || Row >= list.Count)
        return;
    model::SetLabel(list.Entries[static_cast<std::size_t>(Row)].Text, Text);
    Write(List, list);
}

void SelectorSourceLists::SetGlobalPool(int List, int Row, bool On)
{
    if (List < 0 || List >= kLists)
        return;
    TSourceList list = Read(List);
    if (Row < 0 || Row >= list.Count)
        return;
    TSourceListEntry& e = list.Entries[static_cast<std::size_t>(Row)];
    e.Left = e.Right = On ? kPoolMark : 0;
    Write(List, list);
}

void SelectorSourceLists::Move(int List, int From, int To)
{
    if (List < 0 || List >= kLists)
        return;
    TSourceList list = Read(List);
    if (From < 0 || To < 0 || From >= list.Count || To >= list.Count || From == To)
        return;
    const int f = EntryID(List, From);
    const int t = EntryID(List, To);
    const TSourceListEntry moved = list.Entries[static_cast<std::size_t>(From)];
    if (From < To)
        std::move(list.Entries.begin() + From + 1, list.Entries.begin() + To + 1, list.Entries.begin() + From);
    else
        std::move_backward(list.Entries.begin() + To, list.Entries.begin() + From, list.Entries.begin() + From + 1);
    list.Entries[static_cast<std::size_t>(To)] = moved;
    if (f != 0 && t != 0) {
        Adapt(f, MovePlaceholderID, amSwap);
        Adapt(f, 0, amRemoveForMove);
        Adapt(t, 0, amInsert);
        Adapt(MovePlaceholderID, t, amInsert);
    } else if (f != 0) {
        // The entry leaves the category: its references go, the later entries move up.
        Adapt(f, 0, amDelete);
    } else if (t != 0) {
        // An entry from past the category takes the place of t; the later ones move down.
        Adapt(t, 0, amInsert);
    }
    Write(List, list);
}

bool SelectorSourceLists::Copy(int FromList, int Row, int ToList)
{
    if (FromList < 0 || FromList >= kLists || !CanAdd(ToList))
        return false;
    const TSourceList from = Read(FromList);
    if (Row < 0 || Row >= from.Count)
        return false;
    TSourceList to = Read(ToList);
    const int id = kFirstID + Before(ToList) + to.Count;
    to.Entries[to.Count] = from.Entries[static_cast<std::size_t>(Row)];
    ++to.Count;
    Write(ToList, to);
    if (id <= kLastID)
        Adapt(id, 0, amInsert);
    return true;
}

} // namespace kvr::editors
