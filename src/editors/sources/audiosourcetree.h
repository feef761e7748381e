#pragma once
// The audio-source window's tree without its widget: the nodes it offers for a device and group
// filter, the pot list beside it, when the tree is rebuilt, what is selected, and the reference
// Assign composes.

#include <cstdint>
#include <string>
#include <vector>

#include "editors/common/sourcenode.h"

namespace kvr::model {
class TProject;
}

namespace kvr::editors {

// Group filter bits.
inline constexpr int afPFL = 0x01;
inline constexpr int afRotSelectors = 0x02;
inline constexpr int afMonitorBuses = 0x04;
inline constexpr int afRotaryMonitorSelect = 0x10;
inline constexpr int afRouting = 0x20;
inline constexpr int afMIDI = 0x40;
inline constexpr int afMaster = 0x80;

SourceNodes BuildAudioNodes(model::TProject& Project, int Device, int Filter, bool HideUnnamed);

struct PotEntry {
    std::string Text;
    int Pot = 0;
};
// "None", the named module pots, the balance pots, the named clean-feed pots, the global pots.
std::vector<PotEntry> BuildPotList(model::TProject& Project, int Device);

class AudioSourceTree : public SourceNodeList {
public:
    int FDeviceIndex = -1;
    int FGroupFilter = 0;
    int FBuiltFilter = -1;
    int FBuiltDevice = -1;
    bool FBuilding = false;

    // Caption and pot list on every call; the tree only when the filter, the device or the
    // device's audio-sources-changed flag say so. True when the node list was replaced.
    bool BuildSourceTree(model::TProject* Project, bool HideUnnamed);

    const std::string& Caption() const { return FCaption; }
    const std::vector<PotEntry>& Pots() const { return FPots; }
    int PotIndex() const { return FPotIndex; }
    void SetPotIndex(int Index);
    // The first of the first 255 entries with that pot number, else "None".
    void SelectPot(int Pot);

    bool PhaseReverse() const { return FPhase; }
    void SetPhaseReverse(bool On) { FPhase = On; }
    // First node whose ID equals the reference without 0x8000 and 0x2000; phase reverse follows
    // the reference's 0x8000. Without a match nothing changes.
    bool SelectAudioSource(std::uint32_t Ref);
    // The selected node's reference, with 0x8000 when phase reverse is ticked and its panel shown.
    std::uint16_t ComposedRef(bool OptionPanelShown) const;

private:
    void Clear(const std::string& Caption);

    std::vector<PotEntry> FPots{{"None", 0}};
    std::string FCaption = "Audio Sources";
    int FPotIndex = 0;
    bool FPhase = false;
};

} // namespace kvr::editors
