#pragma once
// Typed accessors of fader channels, faders and input pools (TDevice::AddFaderChannel and its
// family), the fader-channel display name, and the renumbering of fader modules.

#include "model/faderchannels.h"

#include <array>
#include <string>
#include <string_view>

namespace kvr::model {

class TDevice;

// The new number, or 255 when every number is used.
int AddFaderChannel(TDevice& device);
void InsertFaderChannel(TDevice& device, int position);
// 1 and the channel, or 0 with out.Number = 0.
int GetFaderChannel(TDevice& device, int number, TFaderChannel& out);
int GetFaderChannelByIndex(TDevice& device, int position, TFaderChannel& out);
void SetFaderChannel(TDevice& device, int number, const TFaderChannel& record);
// Removes the channel and clears or redirects everything that refers to it.
void DeleteFaderChannel(TDevice& device, int number);
void MoveFaderChannel(TDevice& device, int from, int to);
int GetFreeFaderChannelNumber(TDevice& device);

// 1 and the fader's assignment, or 0 with a zeroed record whose Fader is the fader.
int GetFader(TDevice& device, int fader, TFader& out);
void SetFader(TDevice& device, int fader, const TFader& record);
void MoveFaderFunction(TDevice& device, int fader, int from, int to);

void SetPoolName(TDevice& device, int pool, std::string_view name);
// The name cut to 7 characters.
int GetPoolName(TDevice& device, int pool, std::string& out);
// The 10 name bytes without trailing blanks and zero bytes.
int GetPoolNameStr(TDevice& device, int pool, std::string& out);

void RemoveFaderModule(TDevice& device, int moduleSlot);
void RenumberFaderModules(TDevice& device);

// Display name: the long label when the channel has one, else its short name; at most 16
// characters without trailing blanks; empty when the channel does not exist.
std::string GetFaderChannelName(TDevice& device, int number);
// GetFaderChannelName of every number a channel record holds, by number (empty for the others),
// with the channel and label lists read once.
using FaderChannelNameTable = std::array<std::string, 256>;
FaderChannelNameTable FaderChannelNames(TDevice& device);
void SetFaderChannelName(TDevice& device, int number, std::string_view name);

} // namespace kvr::model
