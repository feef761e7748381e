#include "app/projecttree.h"

#include <cstring>

#include "app/projectaccess.h"
#include "kvrdata/byteorder.h"
#include "model/cardtypetable.h"
#include "model/device.h"

namespace kvr::app {

namespace {

constexpr int DSPCardType = 848;
constexpr std::size_t DSPSubTypeByte = 5;

struct SubNode {
    const char* Text;
    int ImageIndex;
};
constexpr SubNode AudioSubNodes[] = {{"Fader Channels", 91},   {"Channel Assignment", 92}, {"Output Functions", 94},
                                     {"Super Output Functions", 97}, {"Fixed Processing", 95}, {"Output Routing", 96}};
constexpr SubNode LogicSubNodes[] = {
    {"Logic Functions", 103}, {"Level Detection", 101}, {"Logic Delay", 102}, {"Scripts", 104}, {"GPO Routing", 105}};

int SlotCount(std::uint8_t FrameType)
{
    return FrameType < model::FrameTypeTable.size() ? model::FrameTypeTable[FrameType].SlotCount : 0;
}

const char* AudioPanelFor(int ImageIndex)
{
    switch (ImageIndex) {
    case 91: return "FaderChannelPanel";
    case 92: return "AssiPanel";
    case 94: return "OutFktPanel";
    case 97: return "SOFPanel";
    case 95: return "FixFunctionPanel";
    case 96: return "OutputRoutePanel";
    default: return "AudioPanel";
    }
}

} // namespace

std::vector<TreeNodeSpec> ProjectTreeNodes(const ProjectAccess& Project)
{
    std::vector<TreeNodeSpec> nodes;
    nodes.push_back({0, ProjectName(Project), DefaultImage, -1});
    for (int d = 0; d < Project.DeviceCount(); ++d) {
        const auto header = Project.DeviceHeader(d);
        const bool fixedModel = Project.IsDummy(d);
        nodes.push_back({1, Project.DeviceName(d), DefaultImage, d, fixedModel});
        if (fixedModel)
            continue;
        nodes.push_back({2, FrameIONodeText, 10, d});
        for (int j = 0; j < SlotCount(header[model::dh::FrameType]); ++j) {
            const std::vector<std::uint8_t> card = Project.SetupData(d, static_cast<std::uint8_t>(j));
            if (card.size() <= DSPSubTypeByte || readBE16(card, 0) != DSPCardType)
                continue;
            if (card[DSPSubTypeByte] != 2 && card[DSPSubTypeByte] != 3)
                continue;
            nodes.push_back({3, "Slot " + std::to_string(j + 1) + ": " + model::GetCardTypeText(DSPCardType, 0),
                             SlotImageBase + j, d});
        }
        nodes.push_back({2, ConsoleNodeText, DefaultImage, d});
        nodes.push_back({2, AudioNodeText, 90, d});
        for (const SubNode& sub : AudioSubNodes)
            nodes.push_back({3, sub.Text, sub.ImageIndex, d});
        nodes.push_back({2, LogicNodeText, 100, d});
        for (const SubNode& sub : LogicSubNodes)
            nodes.push_back({3, sub.Text, sub.ImageIndex, d});
    }
    return nodes;
}

DeviceButtons DeviceButtonStates(const ProjectAccess& Project)
{
    const int count = Project.CountDevices();
    return DeviceButtons{count < 20, count != 0};
}

PageRoute RouteNode(const std::vector<TreeNodeSpec>& Nodes, int Selected)
{
    PageRoute route;
    if (Selected < 0 || Selected >= static_cast<int>(Nodes.size()))
        return route;
    const TreeNodeSpec& node = Nodes[static_cast<std::size_t>(Selected)];
    route.ImageIndex = node.ImageIndex;
    if (node.Level == 0) {
        route.Page = TreePage::Project;
        route.Panel = "ProjectPanel";
        return route;
    }
    // The device is the position of the device node among the level-1 nodes.
    bool fixedModel = false;
    for (int i = 0; i <= Selected; ++i) {
        if (Nodes[static_cast<std::size_t>(i)].Level == 1) {
            ++route.CurDevice;
            fixedModel = Nodes[static_cast<std::size_t>(i)].FixedModel;
        }
    }
    if (fixedModel) {
        route.Page = TreePage::DummyDevice;
        route.Panel = "DummyDevPanel";
        return route;
    }
    if (node.Level == 1) {
        route.Page = TreePage::Device;
        route.Panel = "DevicePanel";
        return route;
    }
    std::string page = node.Text;
    if (node.Level == 3) {
        int parent = Selected;
        while (parent > 0 && Nodes[static_cast<std::size_t>(parent)].Level != 2)
            --parent;
        page = Nodes[static_cast<std::size_t>(parent)].Text;
    }
    if (page == FrameIONodeText) {
        route.Page = TreePage::FrameIO;
        route.CurSlot = node.Level == 3 ? node.ImageIndex - SlotImageBase : 255;
        route.Panel = "SlotPanel";
    } else if (page == ConsoleNodeText && node.Level == 2) {
        route.Page = TreePage::Console;
        route.Panel = "ConsolePanel";
    } else if (page == AudioNodeText) {
        route.Page = TreePage::Audio;
        route.Panel = AudioPanelFor(node.ImageIndex);
    } else if (page == LogicNodeText) {
        route.Page = TreePage::Logic;
        route.Panel = "LogicPanel";
    }
    return route;
}

TreeNodeKey KeyOf(const TreeNodeSpec& Node)
{
    return {Node.Device, Node.Level, Node.ImageIndex, Node.Level >= 2 ? Node.Text : std::string()};
}

} // namespace kvr::app
