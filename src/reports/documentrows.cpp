#include "reports/documentrows.h"

#include <algorithm>

#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/logicaccess.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"

namespace kvr::reports {

namespace {

constexpr int kCardSlots = 30;
constexpr int kMuteLogics = 5;
constexpr std::uint16_t kOutputBit = 0x0080;
constexpr std::uint16_t kStereoBit = 0x2000;

bool CarriesOutputs(std::uint16_t CardType)
{
    switch (CardType) {
    case 111:
    case 122:
    case 222:
    case 223:
    case 123:
    case model::kCardDSP:
        return true;
    default:
        return false;
    }
}

// The label up to its first zero byte, trailing blanks removed.
std::string ChannelLabel(const std::array<char, 16>& Label)
{
    std::string text(Label.begin(), std::find(Label.begin(), Label.end(), '\0'));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

} // namespace

std::vector<TRow> GlobalLogicRows(model::TProject& Project)
{
    struct Sender {
        std::uint16_t Source = 0;
        int Device = 0;
    };
    std::array<Sender, model::kGlobalLogicCount> senders{};
    for (int d = 0; d < model::TProject::MaxDevices; ++d) {
        model::TDevice* device = Project.Device(d);
        if (device == nullptr || device->Header()[model::dh::DummyDevModel] != 0)
            continue;
        for (int gl = 0; gl < model::kGlobalLogicCount; ++gl) {
            const std::uint16_t source = model::GetGLSource(*device, gl);
            if (source != 0)
                senders[static_cast<std::size_t>(gl)] = Sender{source, d};
        }
    }
    std::vector<TRow> rows;
    rows.reserve(senders.size());
    for (int gl = 0; gl < model::kGlobalLogicCount; ++gl) {
        const Sender& sender = senders[static_cast<std::size_t>(gl)];
        std::string deviceName;
        if (sender.Source != 0)
            deviceName = Project.Device(sender.Device)->GetName();
        rows.push_back(TRow{std::to_string(gl + 1), model::GetGlobalLogicName(Project, gl), deviceName,
                            model::GetLogicSourceName(Project, sender.Source, sender.Device)});
    }
    return rows;
}

std::vector<TRow> OutputRoutingRows(model::TProject& Project, int Device)
{
    std::vector<TRow> rows;
    model::TDevice* device = Project.Device(Device);
    if (device == nullptr)
        return rows;
    std::array<std::string, kMuteLogics> muteNames;
    for (int i = 0; i < kMuteLogics; ++i)
        muteNames[static_cast<std::size_t>(i)] = model::GetMuteLogicName(*device, i);

    auto addRow = [&](int id, int cardType, const std::string& name) {
        model::TChannelOption option;
        option.OutputID = static_cast<std::uint16_t>(id);
        model::GetChannelOption(*device, option);
        std::string mutes;
        for (int i = 0; i < kMuteLogics; ++i) {
            if ((option.MuteLogics & (1u << i)) == 0)
                continue;
            if (!mutes.empty())
                mutes += ", ";
            mutes += muteNames[static_cast<std::size_t>(i)];
        }
        rows.push_back(TRow{name, model::GetChannelName(id, cardType, false),
                            model::GetAudioSourceName(Project, option.Source, Device, false), mutes});
    };

    for (int slot = 0; slot < kCardSlots; ++slot) {
        model::TCardRecord card;
        // The decoder takes only the channel entries the record holds, whatever its count says.
        if (!model::DecodeCardRecord(device->GetSetupData(static_cast<std::uint8_t>(slot)), card) ||
            !CarriesOutputs(card.CardType))
            continue;
        for (const model::TChannelEntry& channel : card.Channels) {
            if ((channel.ID & kOutputBit) == 0)
                continue;
            const std::string name = ChannelLabel(channel.Label);
            if ((channel.ID & kStereoBit) != 0) {
                addRow(channel.ID, card.CardType, name + " L");
                addRow(channel.ID + 1, card.CardType, name + " R");
            } else {
                addRow(channel.ID, card.CardType, name + ((channel.ID & 1) == 0 ? " L" : " R"));
            }
        }
    }
    return rows;
}

} // namespace kvr::reports
