#include "editors/audio/channelassignment.h"

#include <algorithm>
#include <cstdint>
#include <strings.h>

#include "diagnostics/platform.h"
#include "model/device.h"
#include "model/dspfunctioncatalogue.h"
#include "model/faderaccess.h"
#include "model/faderchannels.h"
#include "model/recordtext.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

constexpr int kFaderTypes[] = {12, 14, 16, 10, 19, 11, 17, 18, 13, 21};
constexpr std::uint32_t kLimitsRefusingFunctions = 0x04 | 0x10;
constexpr int kMaxListedChannel = 149;

ChainFunction Describe(int type)
{
    TDSPFunctionInfo info;
    GetDSPFunctionInfo(type, info);
    return {type, LabelText(info.Name), info.Cycles, info.Icon, info.MaxInChain};
}

TFader ReadFader(TDevice& dev, int fader)
{
    TFader record;
    GetFader(dev, fader, record);
    record.Fader = static_cast<std::uint8_t>(fader);
    record.Count = std::min<std::uint8_t>(record.Count, kMaxFaderFunctions);
    return record;
}

// A fader without channel is stored with channel 255.
void WriteFader(TDevice& dev, int fader, TFader record)
{
    if (record.FaderChannel == 0)
        record.FaderChannel = kNoFaderChannelNumber;
    SetFader(dev, fader, record);
}

} // namespace

int ChannelAssignment::FaderCount() const
{
    return FDev.Header()[dh::FaderCount];
}

int ChannelAssignment::PoolOfChannel(int Channel)
{
    TFaderChannel channel;
    if (Channel <= 0 || GetFaderChannel(FDev, Channel, channel) != 1)
        return -1;
    return (channel.PoolFlags & kFCHPoolMask) - 1;
}

int ChannelAssignment::PoolOfFader(int Fader)
{
    return PoolOfChannel(ReadFader(FDev, Fader).FaderChannel);
}

std::string ChannelAssignment::PoolName(int Pool)
{
    std::string name;
    GetPoolName(FDev, Pool, name);
    return name;
}

std::vector<FaderLine> ChannelAssignment::FaderLines()
{
    std::vector<FaderLine> lines;
    for (int f = 0; f < FaderCount(); ++f) {
        FaderLine line{std::to_string(f + 1), {}, -1};
        const int number = ReadFader(FDev, f).FaderChannel;
        TFaderChannel channel;
        if (number != 0 && GetFaderChannel(FDev, number, channel) == 1) {
            const int pool = PoolOfChannel(number);
            line.Channel = (pool >= 0 ? "Pool \"" + PoolName(pool) + "\" " : std::string()) +
                           diag::Format("%s CH%d", GetFaderChannelName(FDev, number).c_str(), number);
            line.ChannelNumber = number;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<DefinedChannel> ChannelAssignment::DefinedChannels()
{
    std::vector<int> assigned;
    for (const FaderLine& line : FaderLines())
        assigned.push_back(line.ChannelNumber);
    std::vector<DefinedChannel> channels;
    TFaderChannel channel;
    for (int i = 0; GetFaderChannelByIndex(FDev, i, channel) == 1; ++i) {
        const int number = channel.Number;
        if (number < 1 || number > kMaxListedChannel || std::count(assigned.begin(), assigned.end(), number) != 0)
            continue;
        const int pool = PoolOfChannel(number);
        channels.push_back({(pool >= 0 ? "Pool \"" + PoolName(pool) + "\": " : std::string()) +
                                GetFaderChannelName(FDev, number),
                            number});
    }
    std::stable_sort(channels.begin(), channels.end(), [](const DefinedChannel& a, const DefinedChannel& b) {
        return strcasecmp(a.Text.c_str(), b.Text.c_str()) < 0;
    });
    return channels;
}

std::vector<ChainFunction> ChannelAssignment::AvailableFunctions()
{
    std::vector<ChainFunction> functions;
    TDSPFunctionInfo info;
    for (const int type : kFaderTypes)
        if (GetDSPFunctionInfo(type, info) == 1)
            functions.push_back(Describe(type));
    return functions;
}

std::vector<ChainFunction> ChannelAssignment::Chain(int Fader)
{
    const TFader record = ReadFader(FDev, Fader);
    std::vector<ChainFunction> chain;
    for (int i = 0; i < record.Count; ++i)
        chain.push_back(Describe(record.Chain[static_cast<std::size_t>(i)]));
    return chain;
}

int ChannelAssignment::GlobalPot(int Fader)
{
    return ReadFader(FDev, Fader).GlobalPot;
}

bool ChannelAssignment::CanAddFunction(int Fader)
{
    return (FDev.FLimitExceeded & kLimitsRefusingFunctions) == 0 && ReadFader(FDev, Fader).Count <= 17;
}

void ChannelAssignment::CopyChainToPool(int Pool, int Count, const std::uint8_t* Chain)
{
    for (int f = 0; f < FaderCount(); ++f) {
        if (PoolOfFader(f) != Pool)
            continue;
        TFader other = ReadFader(FDev, f);
        other.Count = static_cast<std::uint8_t>(Count);
        std::copy(Chain, Chain + kMaxFaderFunctions, other.Chain.begin());
        WriteFader(FDev, f, other);
    }
}

void ChannelAssignment::Assign(int Fader, int Channel)
{
    if (Fader < 0 || Fader >= FaderCount())
        return;
    TFader record = ReadFader(FDev, Fader);
    record.FaderChannel = static_cast<std::uint8_t>(Channel);
    if (const int pool = PoolOfChannel(Channel); pool >= 0) {
        for (int f = 0; f < FaderCount(); ++f) {
            if (PoolOfFader(f) != pool)
                continue;
            const TFader first = ReadFader(FDev, f);
            record.Count = first.Count;
            record.Chain = first.Chain;
            break;
        }
    }
    WriteFader(FDev, Fader, record);
}

void ChannelAssignment::Unassign(int Fader)
{
    if (Fader < 0 || Fader >= FaderCount())
        return;
    TFader record = ReadFader(FDev, Fader);
    record.FaderChannel = 0;
    WriteFader(FDev, Fader, record);
}

void ChannelAssignment::Swap(int FaderA, int FaderB)
{
    if (FaderA < 0 || FaderB < 0 || FaderA >= FaderCount() || FaderB >= FaderCount() || FaderA == FaderB)
        return;
    TFader a = ReadFader(FDev, FaderA);
    TFader b = ReadFader(FDev, FaderB);
    std::swap(a.FaderChannel, b.FaderChannel);
    std::swap(a.Count, b.Count);
    std::swap(a.Chain, b.Chain);
    WriteFader(FDev, FaderA, a);
    WriteFader(FDev, FaderB, b);
}

std::string ChannelAssignment::AddFunction(int Fader, int Type, int Row)
{
    if (Fader < 0 || Fader >= FaderCount() || (FDev.FLimitExceeded & kLimitsRefusingFunctions) != 0)
        return {};
    TFader record = ReadFader(FDev, Fader);
    if (record.Count >= kMaxFaderFunctions)
        return {};
    const int maximum = Describe(Type).Maximum;
    const auto used = std::count(record.Chain.begin(), record.Chain.begin() + record.Count, Type);
    if (used >= maximum)
        return "Max. " + std::to_string(maximum) + " functions of this type allowed!";
    const int at = Row >= 0 && Row < record.Count ? Row : record.Count;
    std::copy_backward(record.Chain.begin() + at, record.Chain.begin() + record.Count,
                       record.Chain.begin() + record.Count + 1);
    record.Chain[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(Type);
    ++record.Count;
    if (const int pool = PoolOfChannel(record.FaderChannel); pool >= 0)
        CopyChainToPool(pool, record.Count, record.Chain.data());
    WriteFader(FDev, Fader, record);
    return {};
}

void ChannelAssignment::RemoveFunction(int Fader, int Row)
{
    if (Fader < 0 || Fader >= FaderCount())
        return;
    TFader record = ReadFader(FDev, Fader);
    if (Row < 0 || Row >= record.Count)
        return;
    std::copy(record.Chain.begin() + Row + 1, record.Chain.begin() + record.Count, record.Chain.begin() + Row);
    record.Chain[static_cast<std::size_t>(record.Count - 1)] = 0;
    --record.Count;
    WriteFader(FDev, Fader, record);
    if (const int pool = PoolOfChannel(record.FaderChannel); pool >= 0)
        CopyChainToPool(pool, record.Count, record.Chain.data());
}

void ChannelAssignment::MoveFunction(int Fader, int From, int To)
{
    if (Fader < 0 || Fader >= FaderCount() || To < 0)
        return;
    MoveFaderFunction(FDev, Fader, From, To);
    const TFader record = ReadFader(FDev, Fader);
    if (const int pool = PoolOfChannel(record.FaderChannel); pool >= 0)
        CopyChainToPool(pool, record.Count, record.Chain.data());
}

void ChannelAssignment::SetGlobalPot(int Fader, int Pot)
{
    if (Fader < 0 || Fader >= FaderCount() || Pot < 0 || Pot > 20)
        return;
    TFader record = ReadFader(FDev, Fader);
    record.GlobalPot = static_cast<std::uint8_t>(Pot);
    WriteFader(FDev, Fader, record);
}

} // namespace kvr::editors
