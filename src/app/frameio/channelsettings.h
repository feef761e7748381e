#pragma once
// What the channel and card option boxes of the frame I/O table write: MADI channel modes,
// delay channels, GPI pull-ups, mono/stereo, dither, channel status, digital format, SRC,
// levels and the MADI number format, for the clicked channel or, from the header's Set All
// band, across the frame. Every change of a linked channel or port ends with the link
// follow-up, so the link's target card carries the new state.

#include <cstdint>
#include <functional>
#include <vector>

#include "app/frameio/frameview.h"

namespace kvr::model {
class TProject;
class TDevice;
} // namespace kvr::model

namespace kvr::app::frameio {

class FrameEditor;

// The cell a box was opened on: slot, row (-3 / -4 the lower / upper Set All band), MADI port
// and whether the table shows the whole frame.
struct SettingCell {
    int Slot = -1;
    int Row = kRowNone;
    int Port = 0;
    bool WholeFrame = true;
};
SettingCell PointerCell(const FrameIOView& View);

// Reported when a MADI card's inputs and outputs carry different channel counts.
inline constexpr const char* kMadiProblemText =
    "There is a problem in configuration data. Maybe this is the result of using a confguration file\n"
    "which has been created with an older Cordex4.\n\nYou should reinsert this card! (";

class ChannelSettings {
public:
    // Link follow-ups go through the editor's AdaptLink.
    ChannelSettings(model::TProject& Project, int Device, FrameEditor& Editor);

    // Each handler takes the chosen item index and answers whether the device changed.
    bool MADIChannelsChange(const SettingCell& Cell, int Item); // "56 Channels", "64 Channels", "KX7500 Stagebox"
    bool DelayAnzBoxChange(const SettingCell& Cell, int Item);  // 2 .. 64 delay channels
    bool PullUpBoxChange(const SettingCell& Cell, int Item);    // "Off", "On"
    bool StereoBoxChange(const SettingCell& Cell, int Item);    // "Mono", "Stereo"
    bool DitherBoxChange(const SettingCell& Cell, int Item);    // "none", "16 bit", "20 bit", "24 bit"
    bool ChModeBoxChange(const SettingCell& Cell, int Item);    // "Pro", "Consumer"
    bool DigiModeBoxChange(const SettingCell& Cell, int Item);  // "AES3/EBU", "SP/DIF"
    bool SRCBoxChange(const SettingCell& Cell, int Item);       // "In", "Off"
    bool HeadRoomBoxChange(const SettingCell& Cell, int Item);  // level k = item - 30, or the dBu items of Set All Analog Level
    bool FloatBoxChange(const SettingCell& Cell, int Item);     // "AES10 MADI", "32Bit Float"

private:
    using Bytes = std::vector<std::uint8_t>;
    enum class Direction { Inputs, Outputs, Both };
    using OptionChange = std::function<void(std::uint8_t& Option, bool Output)>;

    model::TDevice* Dev() const;
    Bytes Read(int Slot) const;
    bool Write(int Slot, const Bytes& Record);
    int SlotCount() const;
    bool LinkTarget(int Word) const;
    bool PairIsLinkTarget(int ID) const;
    // The links of a channel (I/O card) or of a MADI port (by its port word), flag as given.
    void FollowChannel(int ID, int Flag);
    void FollowPort(int Slot, int Port, int Flag, bool FedOnly = false);

    // One 111 channel: a stereo entry, or both entries of a mono pair sharing the option byte.
    bool ChangePair(const SettingCell& Cell, Direction Which, const OptionChange& Change);
    // Every entry of the direction on every 111 card of the frame.
    bool SetAllOptions(Direction Which, const OptionChange& Change);
    bool SetAllDigitalLevel(int Level);
    bool SetAllAnalogLevel(int Item);
    bool ChannelLevel(const SettingCell& Cell, int Level);

    model::TProject& FProject;
    int FDevice;
    FrameEditor& FEditor;
};

// The hidden "check slot channels" command: one trace line per I/O slot holding a record, and
// "Invalid size information!" after it when the record's stored length is not what its counts give.
void CheckSlotChannels(const model::TDevice& Device);

} // namespace kvr::app::frameio
