#include "app/frameio/slotrecord.h"

#include <algorithm>
#include <cstring>

#include "model/device.h"

namespace kvr::app::frameio {

SlotRecord::SlotRecord(std::vector<std::uint8_t> Bytes, bool Found) : FBytes(std::move(Bytes)), FFound(Found) {}

CardKind SlotRecord::Kind() const
{
    if (!FFound)
        return CardKind::None;
    if (model::IsIOCardType(CardType()))
        return CardKind::IO;
    switch (CardType()) {
    case model::kCardGPIO:
        return CardKind::GPIO;
    case model::kCardDSP:
        return CardKind::DSP;
    default:
        return CardKind::Unknown;
    }
}

int SlotRecord::MadiCount() const
{
    if (Kind() != CardKind::DSP)
        return 0;
    return View().StoredChannels();
}

int SlotRecord::ChannelRowCount() const
{
    switch (Kind()) {
    case CardKind::DSP:
        return MadiCount();
    case CardKind::IO:
        return ChannelByte();
    default:
        return 0;
    }
}

std::optional<ChannelView> SlotRecord::Entry(int Index) const
{
    // Entries are only read from a record the slot holds.
    const auto e = FFound ? View().Channel(Index) : std::nullopt;
    if (!e)
        return std::nullopt;
    return ChannelView{e->Label(), e->ID(), e->Option(), e->Level()};
}

int SlotRecord::EntryID(int Index) const { return FFound ? View().ChannelID(Index) : 0; }

std::string SlotRecord::GPIOLabel(int Index) const { return FFound ? View().GPIOLabel(Index) : std::string(); }

std::optional<ChannelView> SlotRecord::FirstPortEntry(int Port) const
{
    const int n = MadiCount();
    if (Port == 0)
        return n > 0 ? Entry(0) : std::nullopt;
    for (int i = 0; i < n; ++i)
        if (const auto e = Entry(i); e && (e->ID & 0x40) != 0)
            return e;
    return std::nullopt;
}

SlotRecord ReadSlotRecord(const model::TDevice& Device, int Slot)
{
    std::vector<std::uint8_t> bytes;
    const bool found = Slot >= 0 && Slot < kSlotCountMax && Device.GetSetupData(static_cast<std::uint8_t>(Slot), bytes);
    return SlotRecord(std::move(bytes), found);
}

bool IsControllerPosition(int Slot) { return Slot == 8 || Slot == 18 || Slot == 28; }
bool IsDSPSlot(int Slot) { return Slot == 9 || Slot == 19 || Slot == 29; }

} // namespace kvr::app::frameio
