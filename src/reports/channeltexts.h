#pragma once
// The texts of a card channel as the audio and MADI lists print them: levels by card type and
// direction, the digital card's options, mono or stereo.

#include <cstdint>
#include <string>

#include "model/cardrecords.h"

namespace kvr::reports {

inline bool IsOutput(std::uint16_t Id) { return (Id & 0x0080) != 0; }
inline bool IsStereo(std::uint16_t Id) { return (Id & 0x2000) != 0; }
// The level byte is a signed number of dB.
inline int ChannelLevel(const model::TChannelEntry& Entry) { return static_cast<std::int8_t>(Entry.Level); }
// The label up to its first zero byte (all 16 characters when none).
std::string ChannelLabelText(const model::TChannelEntry& Entry);

inline const char* MonoStereoText(std::uint16_t Id) { return IsStereo(Id) ? "Stereo" : "Mono"; }

// The Level Adjust cell of the audio list for an audio card; empty for other types.
std::string ListLevelText(int CardType, bool Output, int Level);
// The Level Adjust cell of a MADI channel.
std::string MADILevelText(bool Output, int Level);

// The digital card's options by its channel flags (byte 18).
inline const char* InputFormatText(int Flags) { return (Flags & 0x04) ? "SP/DIF" : "AES3/EBU"; }
inline const char* OutputFormatText(int Flags) { return (Flags & 0x80) ? "SP/DIF" : "AES3/EBU"; }
inline const char* ChannelStatusText(int Flags) { return (Flags & 0x10) ? "Consumer" : "Pro"; }
const char* WordLengthText(int Flags);
inline const char* RouteInfoText(int Flags) { return (Flags & 0x08) ? "On" : "Off"; }

// Audio cards: the digital and the analog I/O cards.
bool IsAudioCard(int CardType);

} // namespace kvr::reports
