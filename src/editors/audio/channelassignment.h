#pragma once
// The Channel Assignment page without its widgets: which fader channel each fader strip
// operates, the DSP functions of each fader's chain (kept equal across faders whose channels
// share an input pool) and each fader's global potentiometer.

#include <string>
#include <vector>

namespace kvr::model {
class TDevice;
}

namespace kvr::editors {

struct FaderLine {
    std::string Fader;    // "1" ...
    std::string Channel;  // empty when none
    int ChannelNumber = -1;
};

struct DefinedChannel {
    std::string Text;
    int Number = 0;
};

struct ChainFunction {
    int Type = 0;
    std::string Name;
    int Resource = 0; // the DSP cycles the fitting weighs
    int Icon = 0;
    int Maximum = 0;  // per fader chain
};

inline constexpr int kMaxFaderFunctions = 18;

class ChannelAssignment {
public:
    explicit ChannelAssignment(model::TDevice& Dev) : FDev(Dev) {}

    // One line per fader strip (header byte 67), whether or not a record exists.
    std::vector<FaderLine> FaderLines();
    // Channels 1-149 that no fader operates, sorted by text.
    std::vector<DefinedChannel> DefinedChannels();
    // The fader types offered, in their fixed order.
    static std::vector<ChainFunction> AvailableFunctions();
    std::vector<ChainFunction> Chain(int Fader);
    int GlobalPot(int Fader);
    // "<<" of the chain: not while processings or unknown functions exceed the limits, nor on a
    // chain of 18 functions.
    bool CanAddFunction(int Fader);

    // Assign takes a pooled channel's chain from the first fader of that pool.
    void Assign(int Fader, int Channel);
    void Unassign(int Fader);
    // Exchanges channels and chains; the global pots stay with their faders.
    void Swap(int FaderA, int FaderB);
    // Inserts before Row (appends for -1). Gives the refusal to show, empty when none; a full
    // chain or exceeded limits refuse silently.
    std::string AddFunction(int Fader, int Type, int Row);
    void RemoveFunction(int Fader, int Row);
    void MoveFunction(int Fader, int From, int To);
    void SetGlobalPot(int Fader, int Pot);

private:
    int FaderCount() const;
    // Input pool of the fader's channel, -1 without a channel, pool or existing channel.
    int PoolOfFader(int Fader);
    int PoolOfChannel(int Channel);
    std::string PoolName(int Pool);
    // Gives every fader of the pool this chain.
    void CopyChainToPool(int Pool, int Count, const std::uint8_t* Chain);

    model::TDevice& FDev;
};

} // namespace kvr::editors
