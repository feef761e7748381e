#include "reports/documentrows.h"

#include <algorithm>

#include "model/channelname.h"
#include "model/device.h"
#include "model/logicaccess.h"
#include "model/outputchannels.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"

namespace kvr::reports {

namespace {

// A channel label without its trailing blanks.
std::string ChannelLabel(std::string text)
{
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
    const model::TMuteLogicNames muteNames = model::MuteLogicNames(*device);

    auto addRow = [&](int id, int cardType, const std::string& name) {
        model::TChannelOption option;
        option.OutputID = static_cast<std::uint16_t>(id);
        model::GetChannelOption(*device, option);
        rows.push_back(TRow{name, model::GetChannelName(id, cardType, false),
                            model::GetAudioSourceName(Project, option.Source, Device, false),
                            model::MuteLogicList(muteNames, option.MuteLogics)});
    };

    // The count of a record beyond its entries takes only the entries it holds.
    for (const model::TOutputChannel& output : model::OutputChannels(*device, false)) {
        const std::string name = ChannelLabel(output.Label);
        if (output.Stereo)
            addRow(output.ID, output.CardType, name + (output.Right ? " R" : " L"));
        else
            addRow(output.ID, output.CardType, name + ((output.ID & 1) == 0 ? " L" : " R"));
    }
    return rows;
}

} // namespace kvr::reports
