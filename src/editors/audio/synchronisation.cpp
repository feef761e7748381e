// Sync sources, sample rate and sync switches of a DSP frame.

#include "editors/audio/synchronisation.h"

#include "kvrdata/byteorder.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/smallrecordaccess.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

constexpr int kScannedSlots = 9;     // setup IDs 0-8
constexpr std::uint8_t kTenthSlot = 9;

std::string TrimmedLabel(const std::array<char, 16>& label)
{
    std::string text(label.data(), label.size());
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// Item of the code, the last one when several match; 0 ("Intern") when none does.
int ItemOf(const std::vector<SyncItem>& items, std::uint16_t code)
{
    int found = 0;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Code == code)
            found = static_cast<int>(i);
    return found;
}

bool Offers(const std::vector<SyncItem>& items, std::uint16_t code)
{
    for (const SyncItem& item : items)
        if (item.Code == code)
            return true;
    return false;
}

std::uint16_t CodeOf(const std::vector<SyncItem>& items, int item)
{
    return item >= 0 && item < static_cast<int>(items.size()) ? items[static_cast<std::size_t>(item)].Code : 0;
}

} // namespace

std::vector<SyncItem> Synchronisation::Items()
{
    std::vector<SyncItem> items{{"Intern", kSyncIntern}};
    for (int slot = 0; slot < kScannedSlots; ++slot) {
        TCardRecord card;
        if (!GetCardRecord(FDev, slot, card) || card.CardType != kCardDigitalIO)
            continue;
        for (const TChannelEntry& entry : card.Channels) {
            const std::uint16_t word = entry.ID;
            // Inputs only, and each pair by its even channel.
            if ((word & 0x80) != 0 || (word & 0x01) != 0)
                continue;
            const auto code = static_cast<std::uint16_t>((slot << 8) | (4 + ((word >> 1) & 3)));
            items.push_back({GetChannelName(word, kCardDigitalIO, false) + ": " + TrimmedLabel(entry.Label), code});
        }
    }
    const auto tenth = FDev.GetSetupData(kTenthSlot);
    if (tenth.size() > 5) {
        const CardRecordView card(tenth);
        const int subType = card.DSPVariant();
        if (subType == 0 || subType == 1 || subType == 4 || (subType == 2 && !card.Redundant()))
            items.push_back({"BNC", kSyncBNC});
        if (subType == 2)
            items.push_back({"MultiChannel", 0x0902});
        if (subType == 3) {
            items.push_back({"MultiChannel MADI 1", 0x0902});
            items.push_back({"MultiChannel MADI 2", 0x0903});
        }
    }
    return items;
}

SyncView Synchronisation::Show()
{
    SyncView v;
    v.Items = Items();
    v.Enabled = !FDev.GetSetupData(kTenthSlot).empty();
    if (!v.Enabled)
        return v;
    auto header = FDev.GetHeader();
    v.Source1 = ItemOf(v.Items, readBE16(header, dh::SyncSource1));
    v.Source2 = ItemOf(v.Items, readBE16(header, dh::SyncSource2));
    const std::uint8_t options = header[dh::SyncOptions];
    v.Rate44k1 = (options & k44k1) != 0;
    v.DisableVCXO = (options & kVCXO) != 0;
    v.VariSpeed = (options & kVariSpeed) != 0;
    // BNC as a sync source, or no BNC at all, rules the output out. The header is written only
    // when the bit has to go, so showing the tab leaves a consistent device unchanged.
    const bool bncIsSource = header[dh::SyncSource1 + 1] == 1 || header[dh::SyncSource2 + 1] == 1;
    const bool ruledOut = bncIsSource || !Offers(v.Items, kSyncBNC);
    v.BNCOutEnabled = !ruledOut;
    v.BNCOut = !ruledOut && (options & kBNCOut) != 0;
    if (ruledOut && (options & kBNCOut) != 0) {
        header[dh::SyncOptions] = static_cast<std::uint8_t>(options & ~kBNCOut);
        FDev.SetHeader(header, true);
    }
    return v;
}

SyncView Synchronisation::Choose(int Source, int Item, int Other)
{
    SyncView v;
    v.Items = Items();
    const std::uint16_t code = CodeOf(v.Items, Item);
    auto header = FDev.GetHeader();
    writeBE16(header, Source == 1 ? dh::SyncSource1 : dh::SyncSource2, code);
    const bool bncChosen = code == kSyncBNC || CodeOf(v.Items, Other) == kSyncBNC;
    if (bncChosen)
        header[dh::SyncOptions] = static_cast<std::uint8_t>(header[dh::SyncOptions] & ~kBNCOut);
    FDev.SetHeader(header, true);
    v.Source1 = Source == 1 ? Item : Other;
    v.Source2 = Source == 1 ? Other : Item;
    v.Enabled = true;
    v.BNCOutEnabled = !bncChosen && Offers(v.Items, kSyncBNC);
    v.BNCOut = (header[dh::SyncOptions] & kBNCOut) != 0;
    return v;
}

void Synchronisation::SetOption(std::uint8_t Bit, bool On)
{
    auto header = FDev.GetHeader();
    header[dh::SyncOptions] = static_cast<std::uint8_t>(On ? header[dh::SyncOptions] | Bit : header[dh::SyncOptions] & ~Bit);
    FDev.SetHeader(header, true);
}

} // namespace kvr::editors
