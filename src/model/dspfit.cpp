#include "model/dspfit.h"

#include <algorithm>

#include "model/dspfunctioncatalogue.h"

namespace kvr::model {

const TFitCatalogue& FitCatalogue()
{
    static const TFitCatalogue catalogue = [] {
        TFitCatalogue c;
        for (int code = 0; code < 256; ++code) {
            TDSPFunctionInfo info;
            TFitFunction& f = c[static_cast<std::size_t>(code)];
            f.Known = GetDSPFunctionInfo(code, info) != 0;
            f.Base = info.BaseCode;
            f.Need = DSPNeed{info.PM32, info.DM32, info.PM48, info.Cycles, info.Functions, 0};
            f.Name = std::string(info.Name.data());
        }
        return c;
    }();
    return catalogue;
}


bool DSPFitNeed(const DSPNeed& need, const DSPNeed& remaining)
{
    // Cycles must stay strictly below: a DSP is never filled to its last cycle.
    return need.PM32 <= remaining.PM32 && need.DM32 <= remaining.DM32 && need.PM48 <= remaining.PM48 &&
           need.Functions <= remaining.Functions && need.Channels <= remaining.Channels &&
           need.Cycles < remaining.Cycles;
}

void DSPSubtractNeed(DSPNeed& remaining, const DSPNeed& need)
{
    remaining.PM32 -= need.PM32;
    remaining.DM32 -= need.DM32;
    remaining.PM48 -= need.PM48;
    remaining.Cycles -= need.Cycles;
    remaining.Functions -= need.Functions;
}

void DSPAddNeed(DSPNeed& need, const DSPNeed& add)
{
    need.PM32 += add.PM32;
    need.DM32 += add.DM32;
    need.PM48 += add.PM48;
    need.Cycles += add.Cycles;
    need.Functions += add.Functions;
}

void DSPClearNeed(DSPNeed& need) { need = DSPNeed{}; }

void DSPSaveLoadedCode(DSPResources& dsp) { dsp.Saved = dsp.Loaded; }
void DSPRestoreLoadedCode(DSPResources& dsp) { dsp.Loaded = dsp.Saved; }

bool IsLargeDSPVariant(int variant) { return variant == 0 || variant == 1 || variant == 2 || variant == 4; }

int BusCapacityOf(std::span<const std::uint8_t> dspVariants)
{
    int sum = 0;
    for (const std::uint8_t v : dspVariants)
        sum += IsLargeDSPVariant(v) ? 16 : 10;
    return sum;
}

int SOFLimitOf(std::span<const std::uint8_t> dspVariants)
{
    int sum = 0;
    for (const std::uint8_t v : dspVariants)
        sum += IsLargeDSPVariant(v) ? 6 : 4;
    return sum;
}

int OutFktLimitOf(std::span<const std::uint8_t> dspVariants)
{
    int sum = 0;
    for (const std::uint8_t v : dspVariants)
        sum += IsLargeDSPVariant(v) ? 40 : (v == 3 ? 16 : 0);
    return sum;
}

int CountUnknownFunctions(const FittingInput& in, const TFitCatalogue& catalogue)
{
    int count = 0;
    for (const auto& chain : in.FaderChains)
        for (const std::uint8_t code : chain)
            count += catalogue[code].Known ? 0 : 1;
    for (const auto& proc : in.FixedProcs)
        for (const std::uint8_t code : proc)
            count += catalogue[code].Known ? 0 : 1;
    return count;
}

namespace {

void Place(DSPResources& dsp, const DSPNeed& need, std::uint8_t slotByte, DSPSlotKind kind, int index)
{
    DSPSubtractNeed(dsp.Remaining, need);
    dsp.Remaining.Channels -= 1;
    // A fit needs a free channel, and no DSP has more than 12, so the slot list never overflows.
    if (dsp.SlotCount < kDSPChannelSlots) {
        dsp.Slots[static_cast<std::size_t>(dsp.SlotCount)] = slotByte;
        dsp.SlotKind[static_cast<std::size_t>(dsp.SlotCount)] = kind;
        dsp.SlotIndex[static_cast<std::size_t>(dsp.SlotCount)] = index;
        ++dsp.SlotCount;
    }
}

// Adds a chain's functions to the need, loading their code on the DSP as it goes.
void AddChain(DSPNeed& need, DSPResources& dsp, std::span<const std::uint8_t> chain, const TFitCatalogue& catalogue)
{
    for (const std::uint8_t code : chain) {
        const TFitFunction& f = catalogue[code];
        if (!f.Known)
            continue;
        DSPNeed add = f.Need;
        if (dsp.Loaded[f.Base & 0x7F])
            add.PM48 = 0;
        else
            dsp.Loaded[f.Base & 0x7F] = true;
        DSPAddNeed(need, add);
    }
}

// Tries DSPs p, p + 1, ... for one processing; p ends at the DSP that took it.
template <typename StartNeed>
bool PlaceProcessing(std::vector<DSPResources>& dsps, int& p, std::span<const std::uint8_t> chain,
                     const TFitCatalogue& catalogue, StartNeed startNeed, std::uint8_t slotByte, DSPSlotKind kind,
                     int index)
{
    const int n = static_cast<int>(dsps.size());
    for (; p < n; ++p) {
        DSPResources& dsp = dsps[static_cast<std::size_t>(p)];
        DSPSaveLoadedCode(dsp);
        DSPNeed need = startNeed(dsp);
        AddChain(need, dsp, chain, catalogue);
        if (DSPFitNeed(need, dsp.Remaining)) {
            Place(dsp, need, slotByte, kind, index);
            return true;
        }
        DSPRestoreLoadedCode(dsp);
    }
    return false;
}

} // namespace

FittingResult RunFitting(const FittingInput& in, const TFitCatalogue& catalogue)
{
    FittingResult r;
    const std::span<const std::uint8_t> variants(in.DSPCardVariants);

    // Steps 1-5: counters against the card capacities.
    r.BusCapacity = std::min(BusCapacityOf(variants), 255);
    r.BusLimit = r.BusCapacity != 0 ? r.BusCapacity - 1 : 0;
    r.BusCount = in.BusCount;
    if (r.BusCount >= r.BusLimit)
        r.Reached |= kLimitBuses;
    if (r.BusCount > r.BusLimit)
        r.Exceeded |= kLimitBuses;
    r.OutFktLimit = OutFktLimitOf(variants);
    r.OutFktCount = in.OutFktCount;
    if (r.OutFktCount >= r.OutFktLimit)
        r.Reached |= kLimitOutFkt;
    if (r.OutFktCount > r.OutFktLimit)
        r.Exceeded |= kLimitOutFkt;
    r.SOFLimit = SOFLimitOf(variants);
    r.SOFCount = in.SOFCount;
    if (r.SOFCount >= r.SOFLimit)
        r.Reached |= kLimitSOF;
    if (r.SOFCount > r.SOFLimit)
        r.Exceeded |= kLimitSOF;

    // Step 6: an unknown function stops the run before any placement.
    r.UnknownCount = CountUnknownFunctions(in, catalogue);
    if (r.UnknownCount > 0) {
        r.Exceeded |= kLimitUnknownFunction;
        r.Stopped = true;
        return r;
    }

    // Step 7: two DSPs per card, at most 20; a frame with more cards cannot be processed.
    const bool tooManyDSPs = in.DSPCardVariants.size() * 2 > static_cast<std::size_t>(kMaxDSPs);
    for (const std::uint8_t variant : in.DSPCardVariants) {
        for (int k = 0; k < 2 && r.DSPs.size() < static_cast<std::size_t>(kMaxDSPs); ++k) {
            DSPResources dsp;
            dsp.Remaining = DSPNeed{5000, 10000, 2700, kDSPCyclesPerDSP, 125, variant == 3 ? 6 : 12};
            r.DSPs.push_back(dsp);
        }
    }
    const int n = static_cast<int>(r.DSPs.size());
    r.DSPCycles = kDSPCyclesPerDSP * n;
    r.DSPCyclesUsed = 0;
    r.DSPCardCount = n / 2;
    r.DSPCardCountSet = true;

    // Step 8: level detects, five per DSP card before moving on to the next card.
    {
        const TFitFunction& ld = catalogue[kLevelDetectCode];
        int p = 0;
        int g = 0;
        for (int i = 0; i < in.LevelDetectCount; ++i) {
            bool placed = false;
            for (int d = p; d < n; ++d) {
                DSPResources& dsp = r.DSPs[static_cast<std::size_t>(d)];
                DSPNeed need = ld.Need;
                need.Cycles += 6;
                need.Functions = 2;
                need.Channels = 1;
                if (dsp.Loaded[ld.Base & 0x7F])
                    need.PM48 = 0;
                if (DSPFitNeed(need, dsp.Remaining)) {
                    Place(dsp, need, static_cast<std::uint8_t>(0x10 | (i & 0x0F)), DSPSlotKind::LevelDetect, i);
                    dsp.Loaded[ld.Base & 0x7F] = true;
                    p = d;
                    placed = true;
                    break;
                }
            }
            if (!placed) {
                r.DSPCyclesUsed = r.DSPCycles + 1;
                r.Exceeded |= kLimitLevelDetect;
                break;
            }
            if (++g == 5) {
                p = p + 2 - (p % 2);
                g = 0;
            }
        }
    }

    // Steps 9 and 10: fixed processings, then the faders from where they ended.
    bool allPlaced = true;
    int p = 0;
    for (std::size_t l = 0; l < in.FixedProcs.size() && allPlaced; ++l) {
        const auto start = [](DSPResources&) { return DSPNeed{0, 0, 0, 9, 2, 1}; };
        allPlaced = PlaceProcessing(r.DSPs, p, in.FixedProcs[l], catalogue, start,
                                    static_cast<std::uint8_t>(0x40 | (l & 0x3F)), DSPSlotKind::FixedProc,
                                    static_cast<int>(l));
    }
    for (std::size_t m = 0; m < in.FaderChains.size() && allPlaced; ++m) {
        const TFitFunction& ruvi = catalogue[kRuviCode];
        const auto start = [&ruvi](DSPResources& dsp) {
            DSPNeed need = ruvi.Need;
            if (dsp.Loaded[ruvi.Base & 0x7F])
                need.PM48 = 0;
            else
                dsp.Loaded[ruvi.Base & 0x7F] = true;
            need.Cycles += 3;
            need.Functions += 1;
            need.Channels = 1;
            return need;
        };
        allPlaced = PlaceProcessing(r.DSPs, p, in.FaderChains[m], catalogue, start,
                                    static_cast<std::uint8_t>(0x80 | (m & 0x3F)), DSPSlotKind::Fader,
                                    static_cast<int>(m));
    }

    if (!allPlaced) {
        r.Exceeded |= kLimitDSP;
        r.DSPCyclesUsed = r.DSPCycles + 1;
    } else {
        // Step 11: every DSP before p counts as full.
        const int remaining = p < n ? r.DSPs[static_cast<std::size_t>(p)].Remaining.Cycles : 0;
        r.DSPCyclesUsed = kDSPCyclesPerDSP * p + (kDSPCyclesPerDSP - remaining);
        if (r.DSPCyclesUsed >= r.DSPCycles)
            r.Reached |= kLimitDSP;
        if (r.DSPCyclesUsed > r.DSPCycles)
            r.Exceeded |= kLimitDSP;
        r.AllPlaced = true;
        // Structure 18 holds 128 bytes: DSPs 0-9 and the first eight slots of DSP 10.
        for (int d = 0; d < n; ++d) {
            const DSPResources& dsp = r.DSPs[static_cast<std::size_t>(d)];
            for (int s = 0; s < dsp.SlotCount; ++s) {
                const std::size_t at = static_cast<std::size_t>(d * kDSPChannelSlots + s);
                if (at < kDSPAssignSize)
                    r.DSPAssign[at] = dsp.Slots[static_cast<std::size_t>(s)];
            }
        }
    }
    if (tooManyDSPs)
        r.Exceeded |= kLimitDSP;
    return r;
}

std::string FittingReportText(const FittingInput& in, const FittingResult& result, const TFitCatalogue& catalogue,
                              const std::string& deviceName, const std::string& created)
{
    std::string out;
    out += "Device:  " + deviceName + "\n";
    out += "Created on " + created + "\n";
    const auto line = [&out](const char* label, int value) {
        out += label;
        out += std::to_string(value);
        out += '\n';
    };
    const auto names = [&catalogue](std::span<const std::uint8_t> chain) {
        std::string text;
        for (const std::uint8_t code : chain)
            text += catalogue[code].Name + ", ";
        return text;
    };
    for (std::size_t d = 0; d < result.DSPs.size(); ++d) {
        const DSPResources& dsp = result.DSPs[d];
        out += std::string(46, '-') + "\n";
        out += "DSP " + std::to_string(d) + " :";
        line("Free DSP cycles....... : ", dsp.Remaining.Cycles);
        line("Free DM32 Data Memory. : ", dsp.Remaining.DM32);
        line("Free PM32 Code Memory. : ", dsp.Remaining.PM32);
        line("Free PM48 Code Memory. : ", dsp.Remaining.PM48);
        line("Free DSP Channels .... : ", dsp.Remaining.Channels);
        line("Free DSP Functions.... : ", dsp.Remaining.Functions);
        out += "Channel Usage:\n";
        for (int c = 0; c < kDSPChannelSlots; ++c) {
            std::string text = std::to_string(c) + " ";
            const DSPSlotKind kind = c < dsp.SlotCount ? dsp.SlotKind[static_cast<std::size_t>(c)] : DSPSlotKind::Free;
            const int index = dsp.SlotIndex[static_cast<std::size_t>(c)];
            switch (kind) {
            case DSPSlotKind::Free:
                text += "free";
                break;
            case DSPSlotKind::LevelDetect:
                text += "Level Detect ";
                break;
            case DSPSlotKind::FixedProc:
                text += "Fixed Processing : Proc #" + std::to_string(index) + " ";
                if (static_cast<std::size_t>(index) < in.FixedProcs.size())
                    text += names(in.FixedProcs[static_cast<std::size_t>(index)]);
                break;
            case DSPSlotKind::Fader: {
                text += "Fader Processing : Fader #" + std::to_string(index) + " ";
                const bool has = static_cast<std::size_t>(index) < in.FaderChains.size();
                if (!has || in.FaderChains[static_cast<std::size_t>(index)].empty())
                    text += " none";
                else
                    text += names(in.FaderChains[static_cast<std::size_t>(index)]);
                break;
            }
            }
            out += text + "\n";
        }
    }
    return out;
}

std::string FittingReportFileName(const std::string& deviceName)
{
    std::string name = deviceName;
    for (char& c : name) {
        switch (c) {
        case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            c = '_';
            break;
        default:
            break;
        }
    }
    return "fitting_" + name + ".txt";
}

} // namespace kvr::model
