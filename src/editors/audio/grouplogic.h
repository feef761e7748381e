#pragma once
// The "Group Logic" and "Mute Logics" tabs without their widgets: four groups pairing a program
// bus with a fader channel; the names of the five mute logics and "PFL activates Mute Logic".

#include <string>
#include <string_view>
#include <vector>

namespace kvr::model {
class TDevice;
}

namespace kvr::editors {

inline constexpr const char* kBusInOtherGroupText = "This bus is already assigned to another group logic!";

class GroupLogic {
public:
    static constexpr int kGroups = 4;

    explicit GroupLogic(model::TDevice& Dev) : FDev(Dev) {}

    // "None" and the labels of the program buses.
    std::vector<std::string> BusItems();
    // "None" and the display names of the fader channels in list order.
    std::vector<std::string> ChannelItems();
    // Items shown for group 0-3: a bus byte past the items, or a channel number that no
    // channel has, shows "None".
    int BusItem(int Group);
    int ChannelItem(int Group);
    // Gives the refusal to show, empty when stored. A refused bus leaves the group as it was.
    std::string ChooseBus(int Group, int Item);
    void ChooseChannel(int Group, int Item);
    // Leaving the tab: groups without both a bus and a channel are cleared.
    void Leave();

private:
    model::TDevice& FDev;
};

class MuteLogics {
public:
    static constexpr int kMuteLogics = 5;
    static constexpr unsigned char kPFLBit = 0x80;

    explicit MuteLogics(model::TDevice& Dev) : FDev(Dev) {}

    std::vector<std::string> Names();
    void SetName(int Index, std::string_view Name);
    bool PFLActivates();
    void SetPFLActivates(bool On);

private:
    model::TDevice& FDev;
};

} // namespace kvr::editors
