#include "app/frameio/frameeditor.h"

#include <QString>

#include <algorithm>
#include <map>

#include "app/frameio/sourcewindows.h"
#include "kvrdata/byteorder.h"
#include "model/cardrecords.h"
#include "model/device.h"
#include "model/linkaccess.h"
#include "model/project.h"
#include "model/slottablecolumns.h"
#include "platform/prompter.h"

namespace kvr::app::frameio {

using namespace model;
using Bytes = std::vector<std::uint8_t>;

namespace {

int X(int Column) { return SlotColumnX(Column); }

std::string Num(int Value) { return std::to_string(Value); }

// The 31 level items of a channel; index = level + 30.
std::vector<std::string> LevelItems(int CardType, bool Output)
{
    std::vector<std::string> items;
    for (int k = -30; k <= 0; ++k) {
        if (CardType == 122 || CardType == 123 || CardType == 222 || CardType == 223) {
            const int u = k + (CardType == 223 ? 24 : 18);
            const char* fs = CardType == 223 ? "dBFS= 0dBint" : "dBFS=0dBint";
            items.push_back(Output ? "0dBint = " + Num(k) + "dBFS=" + Num(u) + "dBu" : Num(u) + "dBu=" + Num(k) + fs);
        } else {
            items.push_back(Output ? "0dBint=" + Num(k) + "dBFS" : Num(k) + "dBFS=0dBint");
        }
    }
    return items;
}

std::vector<std::string> SetAllItems(int From, int To, const char* Suffix)
{
    std::vector<std::string> items;
    for (int k = From; k <= To; ++k)
        items.push_back(Num(k) + Suffix);
    return items;
}

CellEdit Box(CellEditor Editor, std::optional<int> Item, EditorRect Rect)
{
    return {Editor, EditorItems(Editor), Item, {}, Rect};
}

int DSPItemOf(const SlotRecord& R)
{
    if (!R.Found())
        return 0; // an empty DSP slot opens on "None"
    switch (R.SubType()) {
    case 0: return 1;
    case 1: return 2;
    case 2: return R.Redundant() ? 5 : 3;
    case 3: return 4;
    case 4: return 6;
    default: return 0;
    }
}

std::optional<int> SlotTypeItemOf(const SlotRecord& R)
{
    if (!R.Found())
        return 0;
    static const std::map<int, int> items{{111, 1}, {122, 2}, {123, 3}, {222, 4}, {311, 5}, {223, 6}};
    const auto it = items.find(R.CardType());
    return it == items.end() ? std::nullopt : std::optional<int>(it->second);
}

} // namespace

const std::vector<std::string>& EditorItems(CellEditor Editor)
{
    static const std::map<CellEditor, std::vector<std::string>> items{
        {CellEditor::SlotTypeSelector,
         {"Empty", "730-111 Digital I/O", "730-122 Analog Mic/Line", "730-123 Analog Mic/Line", "730-222 Analog I/O",
          "730-311 GPIO", "730-223 Analog I/O"}},
        {CellEditor::DSPTypeSelector,
         {"None", "KX730-848L", "KX730-848M", "KX730-848M+421", "KX730-848M+422", "KX730-848M+422 Redundant",
          "KX730-848M+424"}},
        {CellEditor::StereoBox, {"Mono", "Stereo"}},
        {CellEditor::DitherBox, {"none", "16 bit", "20 bit", "24 bit"}},
        {CellEditor::SRCBox, {"In", "Off"}},
        {CellEditor::DigiModeBox, {"AES3/EBU", "SP/DIF"}},
        {CellEditor::ChModeBox, {"Pro", "Consumer"}},
        {CellEditor::PullUpBox, {"Off", "On"}},
        {CellEditor::MADIChannels, {"56 Channels", "64 Channels", "KX7500 Stagebox"}},
        {CellEditor::FloatBox, {"AES10 MADI", "32Bit Float"}},
        {CellEditor::DelayAnzBox, {"2", "4", "8", "16", "32", "64"}},
    };
    static const std::vector<std::string> none;
    const auto it = items.find(Editor);
    return it == items.end() ? none : it->second;
}

FrameEditor::FrameEditor(TProject& Project, int Device, platform::Prompter& Prompter)
    : FProject(Project), FDevice(Device), FPrompter(Prompter)
{
}

bool FrameEditor::LinkTarget(int Word) const
{
    return Word > 0 && FindDeviceLink(FProject, Word, FDevice, nullptr, lkTargetSide) != 0;
}

bool FrameEditor::PairIsLinkTarget(int ID) const { return ID > 0 && (LinkTarget(ID & ~1) || LinkTarget(ID | 1)); }

void FrameEditor::FollowLinks(int Word, int Passed, int Flag, bool FedOnly)
{
    for (const int side : {lkSourceSide, lkTargetSide}) {
        if (FedOnly && side == lkTargetSide)
            break;
        int id = -1;
        TDeviceLink link;
        if (FindDeviceLink(FProject, Word, FDevice, &id, side) != 0 && GetDeviceLink(FProject, id, link) != 0 && AdaptLink)
            AdaptLink(link, Passed, Flag);
    }
}

CellEdit FrameEditor::Click(const FrameIOView& View, int HScroll, int VScroll)
{
    const int slot = View.FPointerSlot;
    const int row = View.FPointerRow;
    const int x = View.FPointerX;
    const int port = View.FPointerPort;
    if (slot < -2 || row == kRowNone)
        return {};
    const SlotRecord& r = View.Record(slot);
    const CardKind kind = r.Kind();
    const bool whole = View.WholeFrame();
    const int top = View.SlotTop(slot);
    const auto rowRect = [&](int column, int width) {
        return EditorRect{X(column) + 1 - HScroll, row * 16 + top + 1 - VScroll, width, 14};
    };
    const auto columnRect = [&](int column) { return rowRect(column, X(column + 1) - X(column)); };
    // Editors of a DSP card's block sit on its port line.
    const auto portRect = [&](int column, int width) {
        return EditorRect{X(column) + 1 - HScroll, top + 30 * port + 37 - VScroll, width, 14};
    };
    const bool portLine = kind == CardKind::DSP && whole && row >= 0;

    // A channel fed through a device link is edited at the link's source.
    if (kind == CardKind::IO && x >= X(scMonoStereo)) {
        const int id = row >= 0 && row < r.ChannelByte() ? r.EntryID(row) : 0;
        if (PairIsLinkTarget(id)) {
            FPrompter.showMessage(QString::fromLatin1(kLinkedChannelMessage));
            return {};
        }
    }
    if (kind == CardKind::DSP && !r.Redundant() && x >= X(scInputAddress) && row >= 0) {
        int word = 0;
        if (portLine) {
            word = (slot + 1) * 256 + port; // the port line stands for its port
        } else if (row < r.MadiCount()) {
            const int id = r.EntryID(row);
            word = (id & 0x80) ? 0 : (slot + 1) * 256 + ((id & 0x40) ? 1 : 0);
        }
        if (LinkTarget(word)) {
            FPrompter.showMessage(QString::fromLatin1(kLinkedChannelMessage));
            return {};
        }
    }

    if (InColumn(scType, x) && slot >= 0) {
        if (IsControllerPosition(slot))
            return {};
        if (IsDSPSlot(slot)) {
            if (whole && (row == kRowDSPTitle1 || row == kRowDSPTitle2))
                return Box(CellEditor::DSPTypeSelector, DSPItemOf(r),
                           {X(scType) + 1 - HScroll, top + 1 - VScroll, X(scInputAddress) - X(scType) + 45, 14});
            return {};
        }
        if (row == kRowEmptySlot || row == 0)
            return Box(CellEditor::SlotTypeSelector, SlotTypeItemOf(r),
                       {X(scType) + 1 - HScroll, top + 1 - VScroll, X(scInputAddress) - X(scType), 14});
    }

    if (row == kRowSetAllLower || row == kRowSetAllUpper) {
        const bool lower = row == kRowSetAllLower;
        const auto band = [&](int column) {
            return EditorRect{X(column) + 1 - HScroll, (lower ? 31 : 21) - VScroll, X(column + 1) - X(column), 14};
        };
        if (InColumn(scLevelAdjust, x)) {
            CellEdit e = Box(CellEditor::HeadRoomBox, 0, band(scLevelAdjust));
            e.Items = lower ? SetAllItems(-12, 18, "dBu=0dBint") : SetAllItems(-30, 0, "dBFS=0dBint");
            return e;
        }
        if (!lower)
            return {};
        const std::pair<int, CellEditor> boxes[] = {{scOutputDither, CellEditor::DitherBox}, {scSRC, CellEditor::SRCBox},
                                                    {scMode, CellEditor::DigiModeBox}, {scOutputMode, CellEditor::ChModeBox}};
        for (const auto& [column, editor] : boxes)
            if (InColumn(column, x))
                return Box(editor, std::nullopt, band(column));
        if (InColumn(scGPIPullUp, x))
            return Box(CellEditor::PullUpBox, 0, band(scGPIPullUp));
        return {};
    }
    if (slot < 0 || !r.Found() || row < 0)
        return {};

    if (portLine) {
        const int flags = r.PortFlags(port);
        const int s = r.SubType();
        if (InColumn(scLevelAdjust, x) && (flags & 0x80) == 0 && (s == 2 || s == 3)) {
            const auto first = r.FirstPortEntry(port);
            CellEdit e = Box(CellEditor::HeadRoomBox, first ? first->Level + 30 : -1, portRect(scLevelAdjust, X(scSRC) - X(scLevelAdjust)));
            e.Items = LevelItems(kCardDSP, false);
            return e;
        }
        if (InColumn(scInputAddress, x) || InColumn(scOutputAddress, x)) {
            if (s == 2 || s == 3)
                return Box(CellEditor::MADIChannels, (flags & 0x10) ? 2 : (flags & 0x40) ? 1 : 0,
                           portRect(scInputAddress, 140));
            if (s == 4) {
                const int code = r.DelayCode();
                return Box(CellEditor::DelayAnzBox, code >= 1 && code <= 6 ? code - 1 : 0, portRect(scInputAddress, 140));
            }
        }
        if (InColumn(scLabel, x) && s >= 1 && s <= 3)
            return Box(CellEditor::FloatBox, (flags & 0x80) ? 1 : 0, portRect(scLabel, 120));
        if ((InColumn(scSRC, x) || InColumn(scMode, x)) && s == 2 && r.Redundant()) {
            if (Sources != nullptr) {
                const auto& header = FProject.Device(FDevice)->Header();
                Sources->SelectLogicSource(readBE16(header, dh::DSPCardLogics + 2 * static_cast<std::size_t>(slot / 10)));
                Sources->SetLogicTargetKind(14 + slot / 10);
                Sources->ShowLogicWindow();
            }
            return {CellEditor::LogicSourceWindow, {}, std::nullopt, {}, {}};
        }
        return {};
    }

    const int count = kind == CardKind::DSP ? r.MadiCount() : r.ChannelByte();
    const bool channel = row < count && kind != CardKind::GPIO;
    const auto entry = channel ? r.Entry(row) : std::nullopt;
    const int id = entry ? entry->ID : 0;
    if (!IsEditableChannel(id))
        return {};
    const bool output = (id & 0x80) != 0;
    const int type = r.CardType();

    if (InColumn(scMonoStereo, x) && channel &&
        ((kind == CardKind::DSP && !whole) || (kind == CardKind::IO && whole)))
        return Box(CellEditor::StereoBox, (id & 0x2000) ? 1 : 0, columnRect(scMonoStereo));
    if (InColumn(scLabel, x)) {
        const int rows = kind == CardKind::IO ? r.ChannelByte() + (View.ShowGPIOs() ? r.GPIOByte() : 0)
                         : kind == CardKind::GPIO ? r.GPIOByte()
                         : kind == CardKind::DSP ? (whole ? 0 : r.MadiCount())
                                                 : 0;
        if (row >= rows)
            return {};
        FLabelSlot = slot;
        FLabelRow = row;
        FLabelAtOpening = LabelOf(View, slot, row);
        return PlaceCellEditor(View, row, FLabelAtOpening, HScroll, VScroll);
    }
    if (InColumn(scGPIPullUp, x) && kind == CardKind::GPIO && row < r.GPIOByte() && row % 4 == 0) {
        const int bit = row / 4;
        return Box(CellEditor::PullUpBox, bit < 8 && (r.PullUps() & (1 << bit)) ? 1 : 0, columnRect(scGPIPullUp));
    }
    if (!channel || !entry)
        return {};
    if (InColumn(scLevelAdjust, x)) {
        const bool floatPort = kind == CardKind::DSP && (r.PortFlags(port) & 0x80) != 0;
        if (floatPort)
            return {};
        CellEdit e = Box(CellEditor::HeadRoomBox, entry->Level + 30, {X(scLevelAdjust) + 1 - HScroll, row * 16 + top - VScroll,
                                                                      X(scSRC) - X(scLevelAdjust), 60});
        e.Items = LevelItems(type, output);
        if (*e.Item < 0 || *e.Item > 30)
            e.Item = -1; // a level outside the list shows no item
        return e;
    }
    if (type != kCardDigitalIO)
        return {};
    const int option = entry->Option;
    if (InColumn(scOutputDither, x) && output)
        return Box(CellEditor::DitherBox, option & 3, columnRect(scOutputDither));
    if (InColumn(scSRC, x) && !output) {
        const int src = (option >> 5) & 3;
        return Box(CellEditor::SRCBox, src <= 1 ? src : -1, columnRect(scSRC));
    }
    if (InColumn(scMode, x))
        return Box(CellEditor::DigiModeBox, (option & (output ? 0x80 : 0x04)) ? 1 : 0, columnRect(scMode));
    if (InColumn(scOutputMode, x) && output)
        return Box(CellEditor::ChModeBox, (option & 0x10) ? 1 : 0, columnRect(scOutputMode));
    return {};
}

CellEdit FrameEditor::PlaceCellEditor(const FrameIOView& View, int Row, const std::string& Text, int HScroll, int VScroll) const
{
    CellEdit e;
    e.Editor = CellEditor::LabelEdit;
    e.Text = Text.substr(0, 16);
    e.Rect = {X(scLabel) + 1 - HScroll, Row * 16 + View.SlotTop(FLabelSlot) + 2 - VScroll, X(scLevelAdjust) - X(scLabel) - 2, 14};
    return e;
}

std::string FrameEditor::LabelOf(const FrameIOView& View, int Slot, int Row) const
{
    const SlotRecord& r = View.Record(Slot);
    switch (r.Kind()) {
    case CardKind::IO:
        if (Row < r.ChannelByte()) {
            const auto e = r.Entry(Row);
            return e ? e->Label : std::string();
        }
        return r.GPIOLabel(Row - r.ChannelByte());
    case CardKind::GPIO:
        return r.GPIOLabel(Row);
    case CardKind::DSP: {
        const auto e = Row < r.MadiCount() ? r.Entry(Row) : std::nullopt;
        return e ? e->Label : std::string();
    }
    default:
        return {};
    }
}

bool FrameEditor::LabelEditExit(FrameIOView& View, const std::string& Text)
{
    const int slot = FLabelSlot;
    const int row = FLabelRow;
    FLabelSlot = -1;
    FLabelRow = kRowNone;
    TDevice* dev = FProject.Device(FDevice);
    if (dev == nullptr || slot < 0 || row < 0)
        return false;
    Bytes record = dev->GetSetupData(static_cast<std::uint8_t>(slot));
    const SlotRecord r(record, !record.empty());
    const model::CardRecordView card = r.View();
    std::size_t at = 0;
    int follow = 0, passed = 0;
    switch (r.Kind()) {
    case CardKind::IO:
        if (row < r.ChannelByte()) {
            const int id = r.EntryID(row);
            if (PairIsLinkTarget(id))
                return false;
            at = card.ChannelAt(row);
            follow = passed = id;
        } else {
            at = card.GPIOAt(row - r.ChannelByte());
        }
        break;
    case CardKind::GPIO:
        at = card.GPIOAt(row);
        break;
    case CardKind::DSP: {
        if (row >= r.MadiCount())
            return false;
        const int port = (r.EntryID(row) & 0x40) ? 1 : 0;
        at = card.ChannelAt(row);
        follow = (slot + 1) * 256 + port;
        passed = port;
        break;
    }
    default:
        return false;
    }
    // Only a label the record holds is written.
    if ((r.Kind() == CardKind::IO && row < r.ChannelByte() && !r.Entry(row)) || !model::CardRecordWriter(record).SetLabelAt(at, Text))
        return false;
    dev->SetSetupData(static_cast<std::uint8_t>(slot), record);
    if (follow != 0)
        FollowLinks(follow, passed, 0);
    View.SetRecord(slot, SlotRecord(dev->GetSetupData(static_cast<std::uint8_t>(slot)), true));
    if (Sources != nullptr) {
        Sources->SetAudioDeviceIndex(FDevice);
        Sources->BuildAudioSourceTree();
        Sources->BuildLogicSourceTree();
    }
    return true;
}

CellEdit FrameEditor::LabelEditEnter(FrameIOView& View, const std::string& Text, int HScroll, int VScroll)
{
    const int slot = FLabelSlot;
    const int row = FLabelRow;
    LabelEditExit(View, Text);
    const SlotRecord& r = View.Record(slot);
    const int next = row + 1;
    int rows = 0;
    switch (r.Kind()) {
    case CardKind::IO: rows = r.ChannelByte() + (View.ShowGPIOs() ? r.GPIOByte() : 0); break;
    case CardKind::GPIO: rows = r.GPIOByte(); break;
    case CardKind::DSP: rows = View.WholeFrame() ? 0 : r.MadiCount(); break;
    default: break;
    }
    if (slot < 0 || row < 0 || next >= rows)
        return {};
    FLabelSlot = slot;
    FLabelRow = next;
    FLabelAtOpening = LabelOf(View, slot, next);
    return PlaceCellEditor(View, next, FLabelAtOpening, HScroll, VScroll);
}

bool FrameEditor::LabelEditEscape(FrameIOView& View) { return LabelEditExit(View, FLabelAtOpening); }

} // namespace kvr::app::frameio
