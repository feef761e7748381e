#pragma once
// The logic-source window's tree without its widget: which nodes it offers for a project,
// device, group filter and hide preference, when it is rebuilt, what is selected, and the
// reference Assign composes.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editors/common/sourcenode.h"

namespace kvr::model {
class TDevice;
class TProject;
}

namespace kvr::editors {

// Group filter bits.
inline constexpr int lfOff = 0x01;
inline constexpr int lfPowerFail = 0x04;
inline constexpr int lfAllDevices = 0x08 | 0x20;
inline constexpr int lfReduced = 0x80;
// The whole mask 8 leaves out the global logics.
inline constexpr int lfGlobalLogicsPage = 0x08;

// Condition group items by index: "ON", "OFF", "Pulse on activate", "Pulse on deactivate".
extern const std::array<std::uint16_t, 4> LogicConditionTable;
extern const std::array<const char*, 4> LogicConditionTexts;

// The nodes of one build. Devices are every device of the project in all-devices mode, else
// only Device. Clears the logic-sources-changed flag of every device built. Pump runs once per
// global resource.
SourceNodes BuildLogicNodes(model::TProject& Project, int Device, int Filter, bool HideUnnamed,
                            const std::function<void()>& Pump = {});

class LogicSourceTree : public SourceNodeList {
public:
    int FGroupFilter = 0;
    int FBuiltFilter = -1;
    int FBuiltDevice = -1;
    bool FBuilding = false;

    // The rebuild decision and the build. True when the node list was replaced (rebuilt or
    // cleared); false when it stayed as it was.
    bool BuildSourceTree(model::TProject* Project, int CurDevice, bool HideUnnamed, const std::function<void()>& Pump = {});

    const std::string& Caption() const { return FCaption; }
    // The devices' branches of the nodes, for a window to keep the items of those that did not
    // change.
    const std::vector<SourceBranch>& Branches() const { return FBranches; }

    int ConditionIndex() const { return FCondition; }
    void SetConditionIndex(int Index);
    // First node whose ID is the reference's low 14 bits (and whose device matches when Device
    // is not below -1); sets the condition from the top bits. Without a match nothing changes.
    bool SelectLogicSource(std::uint32_t Ref, int Device = -2);
    // The selected node's ID with the chosen condition.
    std::uint16_t ComposedRef() const;

private:
    void Clear(const std::string& Caption);
    // BuildLogicNodes, reusing the nodes of each device whose logic sources did not change. The
    // tree is the one reader of the devices' logic-sources-changed flags.
    void BuildNodes(model::TProject& Project, int Device, bool HideUnnamed, const std::function<void()>& Pump);

    // A device's nodes as last built, with what they were built from.
    struct DeviceBranch {
        const model::TDevice* Dev = nullptr;
        std::string Name;
        int Filter = 0;
        bool Hide = false;
        bool OwnNode = false;
        SourceNodes Nodes;
        std::uint64_t Serial = 0; // 0: none built
    };
    std::vector<DeviceBranch> FDeviceBranches;
    std::vector<std::string> FGlobalLogicNames;
    std::vector<SourceBranch> FBranches;
    std::uint64_t FLastSerial = 0;

    std::string FCaption = "Logic Sources";
    int FCondition = 0;
};

} // namespace kvr::editors
