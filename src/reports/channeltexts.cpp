#include "reports/channeltexts.h"

#include <algorithm>

namespace kvr::reports {

std::string ChannelLabelText(const model::TChannelEntry& Entry)
{
    return std::string(Entry.Label.begin(), std::find(Entry.Label.begin(), Entry.Label.end(), '\0'));
}

bool IsAudioCard(int CardType)
{
    return CardType == 111 || CardType == 122 || CardType == 123 || CardType == 222 || CardType == 223;
}

std::string ListLevelText(int CardType, bool Output, int Level)
{
    const std::string L = std::to_string(Level);
    if (CardType == 111)
        return Output ? "0 dBint = " + L + " dbFS" : L + " dBFS =0 dBint";
    // Analog cards: dBu over dBFS, +24 on the 223, +18 on the others.
    int headroom = 0;
    switch (CardType) {
    case 122:
    case 222: headroom = 18; break;
    case 223: headroom = 24; break;
    case 123: return std::to_string(Level + 18) + "dBu=" + L + "dBFS=0dBint"; // inputs only
    default: return {};
    }
    const std::string dBu = std::to_string(Level + headroom);
    return Output ? "0dBint=" + L + "dBFS=" + dBu + "dBu" : dBu + "dBu=" + L + "dBFS=0dBint";
}

std::string MADILevelText(bool Output, int Level) { return ListLevelText(111, Output, Level); }

const char* WordLengthText(int Flags)
{
    static constexpr const char* texts[] = {"none", "16 bit", "20 bit", "24 bit"};
    return texts[Flags & 3];
}

} // namespace kvr::reports
