#include "app/frameio/frameview.h"

#include <algorithm>

#include "model/device.h"
#include "model/linkaccess.h"
#include "model/project.h"
#include "model/slottablecolumns.h"

namespace kvr::app::frameio {

using namespace model;

bool IsEditableChannel(int ChannelID) { return !((ChannelID & 0x2000) != 0 && (ChannelID & 1) != 0); }

std::optional<int> WheelScroll(bool Active, int Position, int Maximum, bool Up)
{
    if (!Active)
        return std::nullopt;
    if (Up) {
        if (Position <= 0)
            return std::nullopt;
        return Position <= kWheelStep ? 0 : Position - kWheelStep;
    }
    if (Position >= Maximum)
        return std::nullopt;
    return Maximum - Position <= kWheelStep ? Maximum : Position + kWheelStep;
}

void FrameIOView::Load(const TDevice& Device, int CurSlot, bool ShowGPIOs)
{
    FCurSlot = CurSlot < 0 || CurSlot >= kSlotCountMax ? kWholeFrame : CurSlot;
    FShowGPIOs = ShowGPIOs;
    FSlotCount = std::clamp(Device.GetSlotCount(), 0, kSlotCountMax);
    for (int slot = 0; slot < kSlotCountMax; ++slot) {
        const bool shown = WholeFrame() ? slot < FSlotCount : slot == FCurSlot;
        FRecords[static_cast<std::size_t>(slot)] = shown ? ReadSlotRecord(Device, slot) : SlotRecord{};
    }
}

void FrameIOView::SetRecord(int Slot, SlotRecord Record)
{
    if (ValidSlot(Slot))
        FRecords[static_cast<std::size_t>(Slot)] = std::move(Record);
}

const SlotRecord& FrameIOView::Record(int Slot) const
{
    static const SlotRecord none;
    return ValidSlot(Slot) ? FRecords[static_cast<std::size_t>(Slot)] : none;
}

int FrameIOView::SlotRows(int Slot) const
{
    const SlotRecord& r = Record(Slot);
    if (!WholeFrame()) {
        if (r.Kind() != CardKind::DSP)
            return 0;
        return r.SubType() < 2 ? 1 : r.MadiCount();
    }
    switch (r.Kind()) {
    case CardKind::None:
    case CardKind::Unknown:
        return 1;
    case CardKind::IO:
        return r.ChannelByte() + (FShowGPIOs ? r.GPIOByte() : 0);
    case CardKind::GPIO:
        return r.GPIOByte();
    case CardKind::DSP:
        return r.SubType() < 2 ? 1 : r.SubType() == 3 ? 6 : 4;
    }
    return 1;
}

int FrameIOView::RowCount() const
{
    int rows = 0;
    for (int slot = FirstSlot(); slot < EndSlot(); ++slot)
        rows += SlotRows(slot);
    return rows;
}

int FrameIOView::PlaceSlot(int Slot)
{
    if (!ValidSlot(Slot))
        return kHeaderHeight;
    const int top = Slot == 0 || !WholeFrame() ? kHeaderHeight : FSlotBottom[static_cast<std::size_t>(Slot - 1)];
    FSlotTop[static_cast<std::size_t>(Slot)] = top;
    FSlotBottom[static_cast<std::size_t>(Slot)] = top + kRowHeight * SlotRows(Slot);
    return top;
}

void FrameIOView::PlaceAllSlots()
{
    for (int slot = FirstSlot(); slot < EndSlot(); ++slot)
        PlaceSlot(slot);
}

int FrameIOView::SlotAtPointer(int Y) const
{
    if (!WholeFrame())
        return FCurSlot;
    if (30 < Y && Y < kHeaderHeight)
        return kSlotHeaderBand;
    for (int slot = 0; slot < FSlotCount; ++slot)
        if (SlotTop(slot) <= Y && Y <= SlotBottom(slot))
            return slot;
    return -1;
}

int FrameIOView::RowAtPointer(int Slot, int Y, int* Port) const
{
    const SlotRecord& r = Record(Slot);
    int top = SlotTop(Slot);
    int rows = 0;
    switch (r.Kind()) {
    case CardKind::None:
    case CardKind::Unknown:
        return kRowEmptySlot;
    case CardKind::IO:
        rows = r.ChannelByte() + (FShowGPIOs ? r.GPIOByte() : 0);
        break;
    case CardKind::GPIO:
        rows = r.GPIOByte();
        break;
    case CardKind::DSP:
        if (WholeFrame()) {
            if (top <= Y && Y < top + 16)
                return kRowDSPTitle1;
            if (top + 16 <= Y && Y < top + 32)
                return kRowDSPTitle2;
            top += 32;
        }
        rows = r.SubType() == 4 ? 2 : r.MadiCount();
        break;
    }
    for (int i = 0; i < rows; ++i) {
        if (top + kRowHeight * i < Y && Y < top + kRowHeight * (i + 1)) {
            if (r.Kind() == CardKind::DSP && Port != nullptr)
                *Port = WholeFrame() ? i / 2 : (r.EntryID(i) & 0x40) != 0 ? 1 : 0;
            return i;
        }
    }
    return kRowNone;
}

RowCells FrameIOView::CellsAt(int Slot, int Row, int Port, bool WithTitle) const
{
    const SlotRecord& r = Record(Slot);
    RowCells cells;
    auto add = [&cells](const RowFacts& facts) {
        RowCells more = CellsOf(facts);
        cells.DropDowns.insert(cells.DropDowns.end(), more.DropDowns.begin(), more.DropDowns.end());
        if (more.EditColumn >= 0)
            cells.EditColumn = more.EditColumn;
    };
    switch (r.Kind()) {
    case CardKind::None:
    case CardKind::Unknown:
        if (Row == kRowEmptySlot && !IsControllerPosition(Slot))
            add({RowKind::SlotTitle});
        break;
    case CardKind::IO: {
        if (Row == 0 && WithTitle)
            add({RowKind::SlotTitle});
        if (Row >= 0 && Row < r.ChannelByte())
            add({RowKind::IOChannel, r.CardType(), (r.EntryID(Row) & 0x80) != 0});
        else if (Row >= 0)
            add({RowKind::IOGPIO, r.CardType()});
        break;
    }
    case CardKind::GPIO:
        if (Row == 0 && WithTitle)
            add({RowKind::SlotTitle});
        if (Row >= 0)
            add({Row % 4 == 0 ? RowKind::GPI : RowKind::GPO, r.CardType()});
        break;
    case CardKind::DSP: {
        const int s = r.SubType();
        if (WholeFrame()) {
            if (Row == kRowDSPTitle1 || Row == kRowDSPTitle2)
                add({RowKind::DSPTitle, kCardDSP});
            else if (Row >= 0 && (s == 2 || s == 3))
                add({RowKind::MadiPortLine, kCardDSP, false, (r.PortFlags(Port) & 0x80) != 0,
                     (r.PortFlags(Port) & 0x20) != 0});
            else if (Row >= 0 && s == 4)
                add({RowKind::DelayLine, kCardDSP});
        } else if (Row >= 0 && s >= 2) {
            const int id = r.EntryID(Row);
            add({RowKind::MadiChannel, kCardDSP, (id & 0x80) != 0, (r.PortFlags((id & 0x40) ? 1 : 0) & 0x80) != 0});
        }
        break;
    }
    }
    return cells;
}

void FrameIOView::PointerMove(int X, int Y)
{
    FPointerX = X;
    FPointerY = Y;
    FPointerSlot = SlotAtPointer(Y);
    if (FPointerSlot < 0) {
        // Anywhere but the Set All band is no row, so a click there opens nothing.
        FPointerRow = kRowNone;
        if (WholeFrame() && 30 < Y && Y < kHeaderHeight)
            FPointerRow = kRowSetAllLower;
        else if (WholeFrame() && 18 < Y && Y < 30)
            FPointerRow = kRowSetAllUpper;
        return;
    }
    FPointerRow = RowAtPointer(FPointerSlot, Y, &FPointerPort);
}

CursorKind FrameIOView::Cursor(TProject& Project, int Device) const
{
    const int slot = FPointerSlot;
    const int row = FPointerRow;
    const int x = FPointerX;
    if (slot < 0 || IsControllerPosition(slot))
        return CursorKind::Default;
    const SlotRecord& r = Record(slot);
    const int n = r.ChannelRowCount();
    const int id = row < 0 ? -1 : row < n ? r.EntryID(row) : 0;
    const bool channel = row >= 0 && row < n;
    auto linkTarget = [&](int word) {
        return FindDeviceLink(Project, word, Device, nullptr, lkTargetSide) != 0;
    };

    const bool dspSlot = IsDSPSlot(slot);
    if (!dspSlot && x > SlotColumnX(scOutputAddress) && id > 0 && (linkTarget(id & ~1) || linkTarget(id | 1)))
        return CursorKind::Forbidden;

    const RowCells cells = CellsAt(slot, row, FPointerPort);
    if (InEditCell(cells, x) && row >= 0 && IsEditableChannel(id) && r.Found())
        return CursorKind::IBeam;
    // The port-2 condition frame has no arrow and no hand.
    if (const DropDownCell* cell = DropDownAt(cells, x); cell != nullptr && cell->Arrow)
        return CursorKind::Hand;

    // A MADI input fed through a link is edited at the link's source.
    if (dspSlot && !WholeFrame() && channel && x > SlotColumnX(scOutputAddress) && (id & 0x80) == 0 &&
        linkTarget((slot + 1) * 256 + ((id & 0x40) != 0 ? 1 : 0)))
        return CursorKind::Forbidden;
    return CursorKind::Default;
}

} // namespace kvr::app::frameio
