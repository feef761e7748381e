// Group logic and mute logics of a device.

#include "editors/audio/grouplogic.h"

#include <array>

#include "model/device.h"
#include "model/faderaccess.h"
#include "model/logicaccess.h"
#include "model/recordtext.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"

namespace kvr::editors {

using namespace kvr::model;

std::vector<std::string> GroupLogic::BusItems()
{
    std::vector<std::string> items{"None"};
    const int count = FDev.Header()[dh::ProgramBusCount];
    for (int bus = 0; bus < count; ++bus) {
        TBusRecord record;
        GetBus(FDev, bus, record);
        items.push_back(LabelText(record.Label));
    }
    return items;
}

std::vector<std::string> GroupLogic::ChannelItems()
{
    std::vector<std::string> items{"None"};
    const int count = FDev.Header()[dh::FaderChannelCount];
    for (int position = 0; position < count; ++position) {
        TFaderChannel channel;
        GetFaderChannelByIndex(FDev, position, channel);
        items.push_back(GetFaderChannelName(FDev, channel.Number));
    }
    return items;
}

int GroupLogic::BusItem(int Group)
{
    if (Group < 0 || Group >= kGroups)
        return 0;
    const int bus = GetGroupLogic(FDev)[static_cast<std::size_t>(2 * Group)];
    return bus < static_cast<int>(BusItems().size()) ? bus : 0;
}

int GroupLogic::ChannelItem(int Group)
{
    if (Group < 0 || Group >= kGroups)
        return 0;
    const int number = GetGroupLogic(FDev)[static_cast<std::size_t>(2 * Group + 1)];
    const int count = FDev.Header()[dh::FaderChannelCount];
    for (int position = 0; number != 0 && position < count; ++position) {
        TFaderChannel channel;
        if (GetFaderChannelByIndex(FDev, position, channel) == 1 && channel.Number == number)
            return position + 1;
    }
    return 0;
}

std::string GroupLogic::ChooseBus(int Group, int Item)
{
    if (Group < 0 || Group >= kGroups || Item < 0 || Item > 255)
        return {};
    auto groups = GetGroupLogic(FDev);
    for (int other = 0; other < kGroups; ++other)
        if (other != Group && Item != 0 && groups[static_cast<std::size_t>(2 * other)] == Item)
            return kBusInOtherGroupText;
    groups[static_cast<std::size_t>(2 * Group)] = static_cast<std::uint8_t>(Item);
    SetGroupLogic(FDev, groups);
    return {};
}

void GroupLogic::ChooseChannel(int Group, int Item)
{
    if (Group < 0 || Group >= kGroups || Item < 0)
        return;
    auto groups = GetGroupLogic(FDev);
    int number = 0;
    TFaderChannel channel;
    if (Item > 0 && GetFaderChannelByIndex(FDev, Item - 1, channel) == 1)
        number = channel.Number;
    groups[static_cast<std::size_t>(2 * Group + 1)] = static_cast<std::uint8_t>(number);
    SetGroupLogic(FDev, groups);
}

void GroupLogic::Leave()
{
    FixGroupLogic(FDev);
}

std::vector<std::string> MuteLogics::Names()
{
    std::vector<std::string> names;
    for (int i = 0; i < kMuteLogics; ++i) {
        std::string name = GetMuteLogicName(FDev, i);
        name.resize(std::min(name.size(), name.find('\0')));
        names.push_back(name);
    }
    return names;
}

void MuteLogics::SetName(int Index, std::string_view Name)
{
    std::array<std::uint8_t, 16> field{};
    SetFieldText(field, Name);
    SetMuteLogicName(FDev, Index, field);
}

bool MuteLogics::PFLActivates()
{
    return (FDev.Header()[dh::MuteOptions] & kPFLBit) != 0;
}

void MuteLogics::SetPFLActivates(bool On)
{
    auto header = FDev.GetHeader();
    header[dh::MuteOptions] = static_cast<std::uint8_t>(On ? header[dh::MuteOptions] | kPFLBit : header[dh::MuteOptions] & ~kPFLBit);
    FDev.SetHeader(header, true);
}

} // namespace kvr::editors
