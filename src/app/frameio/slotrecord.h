#pragma once
// Bounded view of one slot's card record as the frame I/O page reads it: every field past the
// stored payload reads as absent, so a damaged record never makes the page read past its data.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/cardrecords.h"

namespace kvr::model {
class TDevice;
}

namespace kvr::app::frameio {

inline constexpr int kSlotCountMax = 30;

enum class CardKind { None, IO, GPIO, DSP, Unknown };

// One channel entry as painted.
struct ChannelView {
    std::string Label; // at most 16 characters, up to the first NUL
    int ID = 0;
    int Option = 0;
    int Level = 0; // signed dB
};

class SlotRecord {
public:
    SlotRecord() = default;
    SlotRecord(std::vector<std::uint8_t> Bytes, bool Found);

    bool Found() const { return FFound; }
    std::span<const std::uint8_t> Bytes() const { return FBytes; }
    // The record's fields, read in place.
    model::CardRecordView View() const { return model::CardRecordView(FBytes); }
    int CardType() const { return FFound ? View().CardType() : 0; }
    CardKind Kind() const;

    // I/O cards: byte 2 and byte 3 as stored (the rows they give are painted, entries or not).
    int ChannelByte() const { return View().ChannelCountByte(); }
    int GPIOByte() const { return View().GPIOCount(); }
    // GPIO card: the GPI pull-ups, bit n the GPI of GPIO entry 4 n.
    int PullUps() const { return FFound ? View().PullUps() : 0; }
    // DSP card.
    int SubType() const { return View().DSPVariant(); }
    bool Redundant() const { return View().Redundant(); }
    int DelayCode() const { return View().DelayCode(); }
    // The 9-bit MADI channel count, bounded by the entries stored.
    int MadiCount() const;
    // Channel rows of the hover: the MADI count of a DSP card, byte 2 of an I/O card, else 0.
    int ChannelRowCount() const;

    // Channel entry i (from byte 8 on a DSP card, byte 4 otherwise); none when not stored.
    std::optional<ChannelView> Entry(int Index) const;
    // The channel ID of entry i, 0 when not stored.
    int EntryID(int Index) const;
    // GPIO label g (after the channel entries of an I/O card, from byte 4 of a GPIO card); empty
    // when not stored.
    std::string GPIOLabel(int Index) const;
    // The MADI port's flags byte.
    int PortFlags(int Port) const { return View().PortFlags(Port); }
    // First MADI entry of a port (port 2: ID bit 0x40); none without one.
    std::optional<ChannelView> FirstPortEntry(int Port) const;

private:
    std::vector<std::uint8_t> FBytes;
    bool FFound = false;
};

// The slot's record as stored in the device.
SlotRecord ReadSlotRecord(const model::TDevice& Device, int Slot);

bool IsControllerPosition(int Slot); // 8, 18, 28
bool IsDSPSlot(int Slot);            // 9, 19, 29

} // namespace kvr::app::frameio
