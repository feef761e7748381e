#include "model/channelname.h"

#include "model/modelutil.h"
#include "model/sourceids.h"

#include <cstdio>

namespace kvr::model {

namespace {

struct InternalName {
    const char* shortName;
    bool stereo;
};

constexpr InternalName internalNames[18] = {
    {"None", false},      {"I/O", true},         {"PFL", true},        {"PGM", true},        {"AUX", true},
    {"Mon", true},        {"Rot. Sel.", true},   {"Rot. Mon.Sel.", true}, {"OF", false},     {"CF", true},
    {"SOF", false},       {"MIDI", true},        {"MASTER PGM", true}, {"MASTER AUX", true}, {"VCA FADER", false},
    {"FP", true},         {"PreFader", true},    {"Routing", true}};

std::string twoNumbers(int a, int b)
{
    char text[32];
    std::snprintf(text, sizeof text, ".%02d - %02d", a, b);
    return text;
}

std::string oneNumber(int a)
{
    char text[16];
    std::snprintf(text, sizeof text, ".%02d", a);
    return text;
}

std::string internalSourceName(int id)
{
    const int v = id & 0x5FFF;
    for (int k = 17; k >= 0; --k) {
        const int start = AudioSourceRanges[static_cast<std::size_t>(k)];
        if (start <= v) {
            const InternalName& name = internalNames[k];
            const int number = name.stereo ? (v - start) / 2 + 1 : v - start + 1;
            return std::string(name.shortName) + std::to_string(number);
        }
    }
    return {};
}

} // namespace

int MakeChannelID(int slot, int channel, int flags) { return (((slot + 1) << 8) & 0x1FFF) | (channel & 0x3F) | flags; }

std::string GetChannelName(int id, int cardType, bool twoDigit)
{
    if (id & 0x4000)
        return internalSourceName(id);

    const int c = id & 0x3F;
    const int s = (id >> 8) & 0x1F;
    const bool logicLine = (id & 0x40) != 0;
    const bool bit7 = (id & 0x80) != 0;
    const bool stereo = (id & 0x2000) != 0;

    char digit = 0;
    int cPrime = c;
    switch (cardType) {
    case 111:
        digit = static_cast<char>('1' + c / 2);
        cPrime = c % 2;
        break;
    case 122:
    case 222:
    case 223:
        digit = static_cast<char>(logicLine ? '1' + (c / 2) % 4 : '1' + (bit7 ? 1 : 0) + (c & 2));
        cPrime = c % 2;
        break;
    case 123:
        digit = static_cast<char>(logicLine ? '1' + (c / 4) % 2 : '1' + (id / 2) % 2);
        cPrime = c % 2;
        break;
    case 311:
        digit = static_cast<char>('1' + (c / 4) % 4);
        break;
    case 848:
        break;
    default:
        return "None";
    }

    std::string text = (twoDigit ? ZeroPad(s, 2) : std::to_string(s)) + ".";
    if (cardType == 848)
        text += logicLine ? "02" : "01";
    else
        text += twoDigit ? ZeroPad(std::string(1, digit), 2) : std::string(1, digit);

    std::string prefix;
    if (cardType == 311) {
        if (bit7) {
            text += oneNumber(c % 4);
            prefix = "GPO";
        } else {
            text += oneNumber(1);
            prefix = "GPI";
        }
    } else if (cardType == 848) {
        text += stereo ? twoNumbers((c & 0x3E) + 1, (c | 1) + 1) : oneNumber(c + 1);
    } else if (stereo) {
        text += twoNumbers((cPrime & ~1) + 1, (cPrime | 1) + 1);
    } else if (logicLine) {
        text += oneNumber(cardType == 123 ? (id / 2) % 2 + 1 : 1);
        prefix = bit7 ? "GPO" : "GPI";
        if (cardType == 122 && !bit7 && id % 4 == 2)
            prefix = "ACI ";
    } else {
        text += oneNumber(cPrime + 1);
    }
    return prefix + text;
}

void GetChannelName(int channelId, int cardType, bool twoDigit, std::string& out)
{
    out = GetChannelName(channelId, cardType, twoDigit);
}

} // namespace kvr::model
