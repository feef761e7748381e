#include "model/outputchannels.h"

#include <algorithm>

#include "model/cardrecords.h"
#include "model/device.h"
#include "model/logicaccess.h"

namespace kvr::model {

namespace {
constexpr int kSpareDSPCount = 256;
constexpr std::uint8_t kFullDSPVariant = 3;
} // namespace

bool CarriesAudioOutputs(std::uint16_t CardType)
{
    switch (CardType) {
    case 111: case 122: case 222: case 223: case 123: case kCardDSP: return true;
    default: return false;
    }
}

std::vector<TOutputChannel> OutputChannels(const TDevice& Dev, bool SkipSpareDSP)
{
    std::vector<TOutputChannel> out;
    for (int slot = 0; slot < kCardSlotCount; ++slot) {
        const std::vector<std::uint8_t> record = Dev.GetSetupData(static_cast<std::uint8_t>(slot));
        TCardRecord card;
        if (!DecodeCardRecord(record, card) || !CarriesAudioOutputs(card.CardType))
            continue;
        if (SkipSpareDSP && card.IsDSP() && card.DSPVariant() != kFullDSPVariant &&
            DSPChannelCount(record) == kSpareDSPCount)
            continue;
        for (std::size_t i = 0; i < card.Channels.size(); ++i) {
            const TChannelEntry& entry = card.Channels[i];
            if ((entry.ID & kChannelOutput) == 0)
                continue;
            TOutputChannel row;
            row.Slot = slot;
            row.CardType = card.CardType;
            row.Entry = static_cast<int>(i);
            row.ID = entry.ID;
            row.Stereo = (entry.ID & kChannelStereo) != 0;
            row.Label.assign(entry.Label.begin(), std::find(entry.Label.begin(), entry.Label.end(), '\0'));
            row.Option = entry.Option;
            out.push_back(row);
            if (row.Stereo) {
                row.ID = static_cast<std::uint16_t>(entry.ID + 1);
                row.Right = true;
                out.push_back(row);
            }
        }
    }
    return out;
}

TMuteLogicNames MuteLogicNames(TDevice& Dev)
{
    TMuteLogicNames names;
    for (int i = 0; i < kOutputMuteLogics; ++i)
        names[static_cast<std::size_t>(i)] = GetMuteLogicName(Dev, i);
    return names;
}

std::string MuteLogicList(const TMuteLogicNames& Names, std::uint8_t Bits)
{
    std::string text;
    for (int i = 0; i < kOutputMuteLogics; ++i) {
        if ((Bits & (1u << i)) == 0)
            continue;
        if (!text.empty())
            text += ", ";
        text += Names[static_cast<std::size_t>(i)];
    }
    return text;
}

} // namespace kvr::model
