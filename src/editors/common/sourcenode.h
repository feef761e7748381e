#pragma once
// One node of a source tree, in tree order: what the window shows and what Assign reads.

#include <cstdint>
#include <string>
#include <vector>

namespace kvr::editors {

inline constexpr int kGroupNodeID = -2;

struct SourceNode {
    std::string Text;
    int ID = 0;          // logic: source ID; audio: reference with 0x2000; kGroupNodeID for groups
    int Device = -1;     // logic: device index, -1 for project-wide nodes
    int Overlay = -1;    // logic: resource ID of a global-resource subscriber
    int Parent = -1;     // index of the parent node, -1 at the root

    bool IsGroup() const { return ID == kGroupNodeID; }
};

using SourceNodes = std::vector<SourceNode>;

// A top-level node with its descendants, nodes First to First + Count - 1. Equal serials mean
// equal nodes, so that a window can keep the items of a branch that did not change; serial 0
// marks no branch.
struct SourceBranch {
    int First = 0;
    int Count = 0;
    std::uint64_t Serial = 0;
};

// Appends a node and gives its index.
inline int AddNode(SourceNodes& nodes, int parent, std::string text, int id, int device = -1, int overlay = -1)
{
    nodes.push_back({std::move(text), id, device, overlay, parent});
    return static_cast<int>(nodes.size()) - 1;
}

// Depth of a node (0 at the root).
inline int NodeLevel(const SourceNodes& nodes, int index)
{
    int level = 0;
    for (int p = nodes[static_cast<std::size_t>(index)].Parent; p >= 0; p = nodes[static_cast<std::size_t>(p)].Parent)
        ++level;
    return level;
}

// The node list of a source window with its selected node.
class SourceNodeList {
public:
    const SourceNodes& Nodes() const { return FNodes; }
    int Selected() const { return FSelected; }
    // Any node index, -1 for none.
    void Select(int Node) { FSelected = Node >= 0 && Node < static_cast<int>(FNodes.size()) ? Node : -1; }
    // The next node of the selected node's parent; after its last child nothing is selected.
    void SelectNextSibling()
    {
        if (FSelected < 0 || FSelected >= static_cast<int>(FNodes.size()))
            return;
        const int parent = FNodes[static_cast<std::size_t>(FSelected)].Parent;
        for (std::size_t i = static_cast<std::size_t>(FSelected) + 1; i < FNodes.size(); ++i)
            if (FNodes[i].Parent == parent) {
                FSelected = static_cast<int>(i);
                return;
            }
        FSelected = -1;
    }
    const SourceNode* SelectedNode() const
    {
        return FSelected >= 0 && FSelected < static_cast<int>(FNodes.size()) ? &FNodes[static_cast<std::size_t>(FSelected)]
                                                                             : nullptr;
    }
    // Assign is enabled for a selected node that is no group.
    bool AssignEnabled() const
    {
        const SourceNode* node = SelectedNode();
        return node != nullptr && node->ID >= -1;
    }

protected:
    SourceNodes FNodes;
    int FSelected = -1;
};

// A list's selected index after a refill: kept while still valid, else the fallback. A refill
// never selects by content.
inline int KeepIndex(int index, int count, int fallback) { return index >= 0 && index < count ? index : fallback; }

} // namespace kvr::editors
