#pragma once
// IDs and display names of the channels of the frame's cards.

#include <string>

namespace kvr::model {

// ((slot + 1) << 8 kept to 13 bits) | (channel & 0x3F) | flags.
int MakeChannelID(int slot, int channel, int flags);

// Display name of a channel ID: a card channel (for the given card type) or an internal source.
void GetChannelName(int channelId, int cardType, bool twoDigit, std::string& out);
std::string GetChannelName(int channelId, int cardType, bool twoDigit);

} // namespace kvr::model
