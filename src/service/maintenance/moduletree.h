#pragma once
// The tree of the maintenance window without its widget: device nodes at level 0, their modules
// at level 1 and a module's cards at level 2, each with its node record, the texts shown and the
// order of siblings.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "service/maintenance/devicelist.h"

namespace kvr::service {

inline constexpr std::int32_t DeviceNodeAddress = 0xFFFF;
inline constexpr std::int32_t DeviceNodeType = 255;

struct TModuleNodeRec {
    std::int32_t Address = 0;  // module number; 0xFFFF for a device node
    std::int32_t Type = 0;     // 255 device; module type; card-type table index
    std::int32_t TestMode = 0; // last test-mode state sent to the module
    std::int32_t Index = 0;    // position in the device's module list; slot 1-10 of a card
    std::string Text;          // given at creation
    std::string ShownText;     // last displayed
    TDeviceInfo_cza* Device = nullptr;
};

struct TModuleNode {
    TModuleNodeRec Rec;
    TModuleNode* Parent = nullptr;
    std::vector<std::unique_ptr<TModuleNode>> Children;
    bool Expanded = false;

    int Level() const { return Parent ? Parent->Level() + 1 : 0; }
    // The device node above this one (itself at level 0).
    TModuleNode* DeviceNode() { return Parent ? Parent->DeviceNode() : this; }
    // The module node of a card, the node itself otherwise.
    TModuleNode* ModuleLevel() { return Level() == 2 ? Parent : this; }
};

// Text of a device node (the tree, the status bar and the sort use it).
std::string DeviceNodeText(const TModuleNodeRec& Rec);

// ModuleVSTCompareNodes: 1 when A sorts after B by character codes, else 0.
int CompareNodeTexts(const std::string& A, const std::string& B);

class ModuleTree {
public:
    TModuleNode* AddTreeNode(TModuleNode* Parent, std::int32_t Address, std::int32_t Type, std::int32_t TestMode,
                             TDeviceInfo_cza* Device, std::int32_t Index, std::string Text);
    TModuleNode* FindDeviceNode(const TDeviceInfo_cza* Device) const;
    // A device node and one module node per entry of its device.
    TModuleNode* AddDevice(TDeviceInfo_cza* Device);
    // Deletes the device node's children and adds them again from its device; the expansion
    // state stays.
    void RebuildChildren(TModuleNode* DeviceNode);
    void DeleteChildren(TModuleNode* Node);
    void DeleteNode(TModuleNode* Node);

    // The text to show (ModuleVSTGetText); stores it as ShownText and reports whether it changed.
    std::string NodeText(TModuleNode& Node) const;
    bool RefreshShownText(TModuleNode& Node) const;

    // True while the node is part of the tree (nodes go when devices expire or change).
    bool Contains(const TModuleNode* Node) const;
    // True when Node is Root or lies below it.
    static bool IsWithin(const TModuleNode* Node, const TModuleNode* Root);

    const std::vector<std::unique_ptr<TModuleNode>>& Roots() const { return FRoots; }
    // Siblings in display order.
    static std::vector<TModuleNode*> Sorted(const std::vector<std::unique_ptr<TModuleNode>>& Nodes, const ModuleTree& Tree);

    // Counts structural changes, so a view knows when to rebuild.
    unsigned Generation() const { return FGeneration; }

private:
    void AddModules(TModuleNode* DeviceNode);

    std::vector<std::unique_ptr<TModuleNode>> FRoots;
    unsigned FGeneration = 0;
};

} // namespace kvr::service
