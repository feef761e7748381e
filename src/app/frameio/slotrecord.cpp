#include "app/frameio/slotrecord.h"

#include <algorithm>
#include <cstring>

#include "model/device.h"

namespace kvr::app::frameio {

SlotRecord::SlotRecord(std::vector<std::uint8_t> Bytes, bool Found) : FBytes(std::move(Bytes)), FFound(Found)
{
    if (FFound)
        model::DecodeCardRecord(FBytes, FCard);
}

CardKind SlotRecord::Kind() const
{
    if (!FFound)
        return CardKind::None;
    switch (CardType()) {
    case 111: case 122: case 123: case 222: case 223:
        return CardKind::IO;
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
    return std::min(model::DSPChannelCount(FBytes), static_cast<int>(FCard.Channels.size()));
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

namespace {
ChannelView ViewOf(const model::TChannelEntry& e)
{
    ChannelView v;
    v.Label.assign(e.Label.data(), strnlen(e.Label.data(), e.Label.size()));
    v.ID = e.ID;
    v.Option = e.Option;
    v.Level = static_cast<std::int8_t>(e.Level);
    return v;
}
} // namespace

std::optional<ChannelView> SlotRecord::Entry(int Index) const
{
    if (Index < 0 || Index >= static_cast<int>(FCard.Channels.size()))
        return std::nullopt;
    return ViewOf(FCard.Channels[static_cast<std::size_t>(Index)]);
}

int SlotRecord::EntryID(int Index) const
{
    const auto e = Entry(Index);
    return e ? e->ID : 0;
}

std::string SlotRecord::GPIOLabel(int Index) const
{
    if (Index < 0 || Index >= static_cast<int>(FCard.GPIOs.size()))
        return {};
    const auto& g = FCard.GPIOs[static_cast<std::size_t>(Index)];
    const auto* p = reinterpret_cast<const char*>(g.data());
    return std::string(p, strnlen(p, g.size()));
}

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
