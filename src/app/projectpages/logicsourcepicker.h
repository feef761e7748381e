#pragma once
// What the project pages ask of the logic-source window. The window lives in another layer; the
// program fills these in once it exists. An empty member does nothing.

#include <cstdint>
#include <functional>

namespace kvr::app {

// Group filters of the logic-source window.
inline constexpr int SourceFilterCurrentDevice = 0;
inline constexpr int SourceFilterAllDevices = 8;
inline constexpr int SourceFilterGlobalResources = 32;

// Target kind of a global logic's sender.
inline constexpr int GlobalLogicSenderTarget = 13;

struct LogicSourcePicker {
    // Sets the group filter and rebuilds the tree.
    std::function<void(int GroupFilter)> Rebuild;
    // Shows the window (not modally) for the sender of a global logic: target kind 13, group
    // filter 8, tree rebuilt, the node of Source in Device selected.
    std::function<void(std::uint16_t Source, int Device)> PickSender;
    // A drop from the window's tree: target kind 13, then the window's Assign, which calls the
    // page's AssignSender with the dragged node.
    std::function<void()> AssignDropped;

    void RebuildWith(int GroupFilter) const
    {
        if (Rebuild)
            Rebuild(GroupFilter);
    }
};

} // namespace kvr::app
