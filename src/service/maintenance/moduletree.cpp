#include "service/maintenance/moduletree.h"

#include <algorithm>
#include <cstdio>

#include "service/maintenance/mtntypes.h"

namespace kvr::service {

std::string DeviceNodeText(const TModuleNodeRec& Rec)
{
    const TDeviceInfo_cza* d = Rec.Device;
    if (!d || d->CK != Kvrdata_ns::dckBroadcast)
        return Rec.Text;
    const std::uint32_t serial = d->SerialField();
    if (d->ModuleCount() == 0)
        return serial < 255 ? "COM" + std::to_string(serial) : std::string();
    const std::string pid = Kvrdata_ns::PIDToStr(d->Status.ProjectID);
    if (serial > 254) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06X", serial & 0xFFFFFF);
        return pid + " - " + d->Status.Name + " - " + hex;
    }
    return "COM" + std::to_string(serial) + ": " + pid + " - " + d->Status.Name;
}

int CompareNodeTexts(const std::string& A, const std::string& B)
{
    // std::string compares as unsigned character codes, case-sensitive.
    return A.compare(B) > 0 ? 1 : 0;
}

TModuleNode* ModuleTree::AddTreeNode(TModuleNode* Parent, std::int32_t Address, std::int32_t Type, std::int32_t TestMode,
                                     TDeviceInfo_cza* Device, std::int32_t Index, std::string Text)
{
    auto node = std::make_unique<TModuleNode>();
    node->Rec = {Address, Type, TestMode, Index, std::move(Text), {}, Device};
    node->Parent = Parent;
    TModuleNode* raw = node.get();
    (Parent ? Parent->Children : FRoots).push_back(std::move(node));
    ++FGeneration;
    return raw;
}

TModuleNode* ModuleTree::FindDeviceNode(const TDeviceInfo_cza* Device) const
{
    for (const auto& n : FRoots)
        if (n->Rec.Device == Device)
            return n.get();
    return nullptr;
}

void ModuleTree::AddModules(TModuleNode* DeviceNode)
{
    TDeviceInfo_cza* d = DeviceNode->Rec.Device;
    for (std::size_t i = 0; i < d->Status.Entries.size(); ++i) {
        const auto& e = d->Status.Entries[i];
        AddTreeNode(DeviceNode, e.Value, e.B1, 0, d, static_cast<std::int32_t>(i), {});
    }
}

TModuleNode* ModuleTree::AddDevice(TDeviceInfo_cza* Device)
{
    TModuleNode* node = AddTreeNode(nullptr, DeviceNodeAddress, DeviceNodeType, 0, Device, 0, {});
    AddModules(node);
    return node;
}

void ModuleTree::RebuildChildren(TModuleNode* DeviceNode)
{
    DeleteChildren(DeviceNode);
    AddModules(DeviceNode);
}

void ModuleTree::DeleteChildren(TModuleNode* Node)
{
    Node->Children.clear();
    ++FGeneration;
}

void ModuleTree::DeleteNode(TModuleNode* Node)
{
    auto& siblings = Node->Parent ? Node->Parent->Children : FRoots;
    std::erase_if(siblings, [Node](const auto& n) { return n.get() == Node; });
    ++FGeneration;
}

std::string ModuleTree::NodeText(TModuleNode& Node) const
{
    switch (Node.Level()) {
    case 0:
        return DeviceNodeText(Node.Rec);
    case 1: {
        const TDeviceInfo_cza* d = Node.Rec.Device;
        if (!d || Node.Rec.Index < 0 || static_cast<std::size_t>(Node.Rec.Index) >= d->Status.Entries.size())
            return Node.Rec.Text;
        const auto& e = d->Status.Entries[static_cast<std::size_t>(Node.Rec.Index)];
        return ModuleNodeText(e.B1, e.B2, e.Value);
    }
    default:
        return Node.Rec.Text;
    }
}

bool ModuleTree::RefreshShownText(TModuleNode& Node) const
{
    std::string text = NodeText(Node);
    if (text == Node.Rec.ShownText)
        return false;
    Node.Rec.ShownText = std::move(text);
    return true;
}

bool ModuleTree::IsWithin(const TModuleNode* Node, const TModuleNode* Root)
{
    for (const TModuleNode* n = Node; n; n = n->Parent)
        if (n == Root)
            return true;
    return false;
}

namespace {
// Searches by address only: a node that left the tree must not be read.
bool Holds(const std::vector<std::unique_ptr<TModuleNode>>& Nodes, const TModuleNode* Node)
{
    for (const auto& n : Nodes)
        if (n.get() == Node || Holds(n->Children, Node))
            return true;
    return false;
}
} // namespace

bool ModuleTree::Contains(const TModuleNode* Node) const
{
    return Node && Holds(FRoots, Node);
}

std::vector<TModuleNode*> ModuleTree::Sorted(const std::vector<std::unique_ptr<TModuleNode>>& Nodes, const ModuleTree& Tree)
{
    std::vector<std::pair<std::string, TModuleNode*>> keyed;
    for (const auto& n : Nodes)
        keyed.emplace_back(Tree.NodeText(*n), n.get());
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return CompareNodeTexts(b.first, a.first) == 1; });
    std::vector<TModuleNode*> out;
    for (auto& k : keyed)
        out.push_back(k.second);
    return out;
}

} // namespace kvr::service
