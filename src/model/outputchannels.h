#pragma once
// The physical outputs of a device: every output channel of the audio I/O and DSP cards in its
// card slots, slot by slot in entry order. The Output Routing page and the printed output
// routing list both walk them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kvr::model {

class TDevice;

inline constexpr std::uint16_t kChannelOutput = 0x0080;
inline constexpr std::uint16_t kChannelStereo = 0x2000;
// Bit 3 of a channel entry's option byte (entry byte 18): CS-Routing of a digital I/O output.
inline constexpr std::uint8_t kChannelCSRouting = 0x08;
inline constexpr int kCardSlotCount = 30;

struct TOutputChannel {
    int Slot = 0;
    std::uint16_t CardType = 0;
    int Entry = 0;           // index of the card's channel entry
    std::uint16_t ID = 0;    // output channel word; a stereo entry's right row has the entry's + 1
    bool Stereo = false;     // the entry is stereo (two rows)
    bool Right = false;      // the right row of a stereo entry
    std::string Label;       // the entry's 16 characters up to the first zero byte
    std::uint8_t Option = 0; // the entry's option byte
};

// Card types whose channel entries carry audio outputs: the audio I/O cards and the DSP card.
bool CarriesAudioOutputs(std::uint16_t CardType);

// Every output of the device's cards; a stereo entry gives a left and a right row. With
// SkipSpareDSP a DSP card whose variant is not 3 and whose count says 256 channels is left out.
// Counts beyond a record take only the entries it holds.
std::vector<TOutputChannel> OutputChannels(const TDevice& Dev, bool SkipSpareDSP);

// The five mute logics an output routing entry selects (bit n = mute logic n + 1).
inline constexpr int kOutputMuteLogics = 5;
using TMuteLogicNames = std::array<std::string, kOutputMuteLogics>;
TMuteLogicNames MuteLogicNames(TDevice& Dev);
// The names of the set bits in ascending order joined with ", "; empty when none.
std::string MuteLogicList(const TMuteLogicNames& Names, std::uint8_t Bits);

} // namespace kvr::model
