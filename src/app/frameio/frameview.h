#pragma once
// The frame I/O table without widgets: which slots it shows, how many rows each takes, where
// each slot's block lies, which slot, row and MADI port the pointer is over, and the cursor
// that tells what a click there would edit.

#include <array>
#include <optional>

#include "app/frameio/cellmap.h"
#include "app/frameio/slotrecord.h"

namespace kvr::model {
class TDevice;
class TProject;
} // namespace kvr::model

namespace kvr::app::frameio {

inline constexpr int kWholeFrame = 255;
inline constexpr int kHeaderHeight = 50;
inline constexpr int kRowHeight = 16;
inline constexpr int kImageWidth = 905;
inline constexpr int kWheelStep = 48;

// Pointer rows that are not rows of a slot.
inline constexpr int kRowNone = -9;
inline constexpr int kRowEmptySlot = -1;
inline constexpr int kRowDSPTitle1 = -2; // first title row of a DSP card (whole frame)
inline constexpr int kRowDSPTitle2 = -1;
inline constexpr int kRowSetAllLower = -3;
inline constexpr int kRowSetAllUpper = -4;
inline constexpr int kSlotHeaderBand = -2;

enum class CursorKind { Default, Hand, IBeam, Forbidden };

// A channel is edited at its even channel when it is half of a stereo pair.
bool IsEditableChannel(int ChannelID);

// The new scroll position of a wheel step, none when the table does not scroll (the scroll box
// is not the active control, or the position is already at that end).
std::optional<int> WheelScroll(bool Active, int Position, int Maximum, bool Up);

class FrameIOView {
public:
    // Reads the records of the slots the view shows: every slot of the frame, or the one slot.
    void Load(const model::TDevice& Device, int CurSlot, bool ShowGPIOs);
    // For tests and repaints of one slot: the record the view holds for a slot.
    void SetRecord(int Slot, SlotRecord Record);

    int CurSlot() const { return FCurSlot; }
    bool WholeFrame() const { return FCurSlot > 254; }
    bool ShowGPIOs() const { return FShowGPIOs; }
    int SlotCount() const { return FSlotCount; }
    // The slots the view paints, in painting order.
    int FirstSlot() const { return WholeFrame() ? 0 : FCurSlot; }
    int EndSlot() const { return WholeFrame() ? FSlotCount : FCurSlot + 1; }
    const SlotRecord& Record(int Slot) const;

    // Rows a slot takes in this view.
    int SlotRows(int Slot) const;
    int RowCount() const;
    int ImageHeight() const { return kHeaderHeight + kRowHeight * RowCount(); }

    // Sets the slot's extent after the previous slot's (50 for the first slot and in the
    // single-slot view) and returns its top.
    int PlaceSlot(int Slot);
    void PlaceAllSlots();
    int SlotTop(int Slot) const { return ValidSlot(Slot) ? FSlotTop[static_cast<std::size_t>(Slot)] : 0; }
    int SlotBottom(int Slot) const { return ValidSlot(Slot) ? FSlotBottom[static_cast<std::size_t>(Slot)] : 0; }

    // Hit tests: the slot under y (-2 the header's Set All band, -1 none), the row of a slot under y.
    int SlotAtPointer(int Y) const;
    int RowAtPointer(int Slot, int Y, int* Port) const;

    // The cells of a slot's row, with the slot's title cell on its first row unless left out.
    RowCells CellsAt(int Slot, int Row, int Port, bool WithTitle = true) const;

    // The hover: records the pointer cell.
    void PointerMove(int X, int Y);
    int FPointerSlot = -1;
    int FPointerRow = kRowNone;
    int FPointerPort = 0;
    int FPointerX = 0;
    int FPointerY = 0;
    // The cursor of the pointer cell; links are looked up in the project for the device.
    CursorKind Cursor(model::TProject& Project, int Device) const;

private:
    static bool ValidSlot(int Slot) { return Slot >= 0 && Slot < kSlotCountMax; }

    int FCurSlot = kWholeFrame;
    bool FShowGPIOs = true;
    int FSlotCount = 10;
    std::array<SlotRecord, kSlotCountMax> FRecords{};
    std::array<int, kSlotCountMax> FSlotTop{};
    std::array<int, kSlotCountMax> FSlotBottom{};
};

} // namespace kvr::app::frameio
