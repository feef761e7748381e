#pragma once
// The in-place editors of the frame I/O table without widgets: what a click on a cell opens
// (editor, items, initial item, rectangle), the refusal of channels fed through a device link,
// and the label editor with its keys and storing.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/frameio/frameview.h"
#include "model/devicelinks.h"

namespace kvr::model {
class TProject;
}
namespace kvr::platform {
class Prompter;
}

namespace kvr::app::frameio {

class SourceWindows;

enum class CellEditor {
    None, SlotTypeSelector, DSPTypeSelector, StereoBox, LabelEdit, HeadRoomBox, DitherBox, SRCBox, DigiModeBox,
    ChModeBox, PullUpBox, MADIChannels, FloatBox, DelayAnzBox, LogicSourceWindow
};

// Fixed items of the boxes, in their order.
const std::vector<std::string>& EditorItems(CellEditor Editor);

struct EditorRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    friend bool operator==(const EditorRect&, const EditorRect&) = default;
};

struct CellEdit {
    CellEditor Editor = CellEditor::None;
    std::vector<std::string> Items;
    // The item to show; none: the box keeps the item it showed last; -1: no item.
    std::optional<int> Item;
    std::string Text; // the label editor's text
    EditorRect Rect;
};

inline constexpr const char* kLinkedChannelMessage =
    "The selected channel is used in a device link and can not be edited here!\n"
    "Please edit this channel at the output side of the link!";

class FrameEditor {
public:
    FrameEditor(model::TProject& Project, int Device, platform::Prompter& Prompter);

    // Runs a link's adaptation after a channel of one of its ends changed (link, channel word or
    // MADI port, flag).
    std::function<void(const model::TDeviceLink&, int, int)> AdaptLink;
    SourceWindows* Sources = nullptr;

    // A left click on the cell under the view's pointer, with the scroll box's offsets.
    CellEdit Click(const FrameIOView& View, int HScroll, int VScroll);

    // Label editor: the slot and row of the label it holds.
    int FLabelSlot = -1;
    int FLabelRow = kRowNone;
    bool LabelOpen() const { return FLabelSlot >= 0 && FLabelRow != kRowNone; }
    CellEdit PlaceCellEditor(const FrameIOView& View, int Row, const std::string& Text, int HScroll, int VScroll) const;
    // Stores the text (16 characters, no terminator when full) and closes; true when stored.
    bool LabelEditExit(FrameIOView& View, const std::string& Text);
    // Enter: stores, then opens the next row's label while there is one.
    CellEdit LabelEditEnter(FrameIOView& View, const std::string& Text, int HScroll, int VScroll);
    // Escape: the label as it was when the editor opened is stored again.
    bool LabelEditEscape(FrameIOView& View);

    // Finds the links of a channel (or MADI port word), as source then as target, and adapts
    // each with the word given; with FedOnly only the links it is the source of.
    void FollowLinks(int Word, int Passed, int Flag, bool FedOnly = false);

private:
    bool LinkTarget(int Word) const;
    bool PairIsLinkTarget(int ID) const;
    std::string LabelOf(const FrameIOView& View, int Slot, int Row) const;

    model::TProject& FProject;
    int FDevice;
    platform::Prompter& FPrompter;
    std::string FLabelAtOpening;
};

} // namespace kvr::app::frameio
