#pragma once
// Devices whose every reference place holds one given logic or audio reference, each time in a
// record that a walk with a fixed bound would miss (output function 41, fader channel 149, SOF
// 19, ...), and readers of those places.

#include <map>
#include <string>

#include "sourcebuilder.h"

namespace kvr::model::test {

using Places = std::map<std::string, std::uint16_t>;

inline void FillLogicPlaces(TDevice& dev, std::uint16_t ref)
{
    dev.SetData(stCleanFeed, Concat({BusRec("cf0", true), BusRec("cf1", true, ref, ref)}));
    dev.SetData(stBus, Concat({BusRec("b0", true), BusRec("b1", true, ref, ref)}));
    Bytes outFkts;
    for (int i = 0; i < 41; ++i)
        outFkts = Concat({outFkts, OutFktRec("o", {})});
    dev.SetData(stOutFkt, Concat({outFkts, OutFktRec("last", {{0, 0, 0}, {ref, 0, 0}})}));
    Bytes gpo = Words({});
    for (int i = 0; i < 96; ++i)
        gpo = Concat({gpo, Words({static_cast<std::uint16_t>(i == 95 ? ref : 0xC000)})});
    Bytes card = {3};
    card = Concat({card, Words({0, 0, 0, 0, 0, 0, 0, ref})});
    dev.SetData(stGPORouting, Concat({gpo, card}));
    Bytes fch = FaderRec(1, "one");
    Bytes last = FaderRec(149, "last");
    for (const std::size_t at : {10, 12, 14, 22, 26})
        PutWord(last, at, ref);
    dev.SetData(stFCH, Concat({fch, last}));
    const std::uint16_t bare = ref & 0x3FFF;
    dev.SetSetupData(218, ModuleRec(10, 0, {KeyRec(48, "k", 4, bare, bare, bare)}));
    dev.SetSetupData(217, ModuleRec(13, 1, {KeyRec(26, "further", 2, bare)}));
    dev.SetSetupData(97, ModuleRec(29, 0, {KeyRec(3, "shared", 4, bare, 0, 0)}));
    Bytes delays;
    for (int i = 0; i < 25; ++i)
        delays = Concat({delays, DelayRec("d", i == 24 ? ref : 0)});
    dev.SetData(stLogicDelay, delays);
    dev.SetData(stScript, Concat({ScriptRec("s0", 0), ScriptRec("s1", ref)}));
    dev.SetData(stLogicFkt, Concat({LogicRec("A", {ref}), LogicRec("B", {}), LogicRec("C", {}), LogicRec("D", {}),
                                    LogicRec("E", {})}));
    dev.SetData(stGLAssign, Concat({Bytes{2, 0}, Bytes{4, 0}, Words({0}), Bytes{199, 0}, Words({ref})}));
    Bytes sofs = {20, 6};
    for (int i = 0; i < 19; ++i)
        sofs = Concat({sofs, SOFRec("sof", {{}, {{0, static_cast<std::uint16_t>(i == 18 ? ref : 0)}}})});
    dev.SetData(stSOF, sofs);
    Bytes groups(6 + 160, 0);
    groups[5] = 20;
    PutWord(groups, 0, ref);
    PutWord(groups, 2, ref);
    dev.SetData(stUserGroups, groups);
    auto header = dev.GetHeader();
    for (const std::size_t at : {98, 100, 102, 108})
        writeBE16(header, at, ref);
    dev.SetHeader(header, false);
}

inline Places ReadLogicPlaces(TDevice& dev)
{
    Places p;
    const auto word = [](const Bytes& b, std::size_t at) -> std::uint16_t {
        return at + 2 <= b.size() ? readBE16(b, at) : 0xDEAD;
    };
    const auto cf = dev.GetData(stCleanFeed);
    p["cf.Logic1"] = word(cf, 32 + 24);
    p["cf.Logic2"] = word(cf, 32 + 26);
    const auto bus = dev.GetData(stBus);
    p["bus.Logic1"] = word(bus, 32 + 24);
    p["bus.Logic2"] = word(bus, 32 + 26);
    p["outfkt41"] = word(dev.GetData(stOutFkt), 41 * 12 + 12 + 10);
    const auto gpo = dev.GetData(stGPORouting);
    p["gpo95"] = word(gpo, 190);
    p["gpoCard"] = word(gpo, 192 + 1 + 14);
    const auto fch = dev.GetData(stFCH);
    for (const auto& [name, at] : {std::pair{"fch149.Lamp", 10}, {"fch149.Ready", 12}, {"fch149.Mute", 14},
                                   {"fch149.Lamp2", 22}, {"fch149.Timer", 26}})
        p[name] = word(fch, 28 + at);
    const auto key = dev.GetSetupData(218);
    p["key.36"] = word(key, 6 + 36);
    p["key.38"] = word(key, 6 + 38);
    p["key.40"] = word(key, 6 + 40);
    p["key13.further"] = word(dev.GetSetupData(217), 6 + 36);
    p["shared97"] = word(dev.GetSetupData(97), 6 + 36);
    p["delay24"] = word(dev.GetData(stLogicDelay), 24 * 16 + 14);
    const auto scripts = dev.GetData(stScript);
    p["script1"] = word(scripts, 14 + 12);
    const auto lf = dev.GetData(stLogicFkt);
    p["lf0.Source0"] = (lf[0] & 0x3F) == 0 ? 0 : word(lf, 12);
    const auto gl = dev.GetData(stGLAssign);
    p["gl199"] = 0;
    for (std::size_t at = 2; at + 4 <= gl.size(); at += 4)
        if (gl[at] == 199)
            p["gl199"] = word(gl, at + 2);
    const auto sofs = dev.GetData(stSOF);
    p["sof18"] = word(sofs, sofs.size() - 2 * 14 - 2);
    const auto groups = dev.GetData(stUserGroups);
    p["ad1"] = word(groups, 0);
    p["ad2"] = word(groups, 2);
    const auto header = dev.GetHeader();
    for (const std::size_t at : {98, 100, 102, 108})
        p["header" + std::to_string(at)] = readBE16(header, at);
    return p;
}

// Puts the same audio reference into every place that holds one.
inline void FillAudioPlaces(TDevice& dev, std::uint16_t ref)
{
    auto header = dev.GetHeader();
    writeBE16(header, dh::Talk1Source, ref);
    writeBE16(header, dh::Talk2Source, ref);
    dev.SetHeader(header, false);
    Bytes outFkts;
    for (int i = 0; i < 45; ++i)
        outFkts = Concat({outFkts, OutFktRec("o", {})});
    dev.SetData(stOutFkt, Concat({outFkts, OutFktRec("last", {{0, ref, ref}})}));
    dev.SetData(stOutputRouting, Concat({Words({0x0F80, ref}), Bytes{1, 0}}));
    Bytes procs;
    for (int i = 0; i < 73; ++i)
        procs = Concat({procs, ProcRec("p", i == 72 ? ref : 0, true)});
    dev.SetData(stProc, procs);
    dev.SetData(stLevelDetect, LevelBlock({{"l", 0}, {"l", 0}, {"l", 0}, {"l", 0}, {"l", 0}, {"l", 0}, {"l6", ref}}));
    Bytes last = FaderRec(149, "last", ref);
    PutWord(last, 6, ref);
    PutWord(last, 8, ref);
    dev.SetData(stFCH, Concat({FaderRec(1, "one"), last}));
    Bytes monitor(24, 0);
    PutWord(monitor, 22, ref);
    dev.SetData(stMonitorBus, monitor);
    dev.SetData(stSourceList, SourceListRec("ten", 10, {{0, 0, "x"}, {ref, ref, "y"}}));
    Bytes key = KeyRec(3, "k", 1);
    PutWord(key, 38, ref);
    PutWord(key, 40, ref);
    dev.SetSetupData(218, ModuleRec(10, 0, {key}));
    Bytes sofs = {20, 6};
    for (int i = 0; i < 19; ++i)
        sofs = Concat({sofs, SOFRec("sof", {{}, {{static_cast<std::uint16_t>(i == 18 ? ref : 0), 0}}})});
    dev.SetData(stSOF, sofs);
}

inline Places ReadAudioPlaces(TDevice& dev)
{
    Places p;
    const auto word = [](const Bytes& b, std::size_t at) -> std::uint16_t {
        return at + 2 <= b.size() ? readBE16(b, at) : 0xDEAD;
    };
    const auto header = dev.GetHeader();
    p["talk1"] = readBE16(header, dh::Talk1Source);
    p["talk2"] = readBE16(header, dh::Talk2Source);
    const auto outFkts = dev.GetData(stOutFkt);
    p["outfkt45.src1"] = word(outFkts, 45 * 12 + 14);
    p["outfkt45.src2"] = word(outFkts, 45 * 12 + 16);
    p["routing"] = word(dev.GetData(stOutputRouting), 2);
    p["proc72"] = word(dev.GetData(stProc), 72 * 14 + 10);
    p["level6"] = word(dev.GetData(stLevelDetect), 2 + 6 * 20 + 10);
    const auto fch = dev.GetData(stFCH);
    p["fch149.src"] = word(fch, 28 + 4);
    p["fch149.monL"] = word(fch, 28 + 6);
    p["fch149.monR"] = word(fch, 28 + 8);
    p["monitor11"] = word(dev.GetData(stMonitorBus), 22);
    const auto lists = dev.GetData(stSourceList);
    p["list10.left"] = word(lists, 18 + 12);
    p["list10.right"] = word(lists, 18 + 14);
    const auto key = dev.GetSetupData(218);
    p["key.38"] = word(key, 6 + 38);
    p["key.40"] = word(key, 6 + 40);
    const auto sofs = dev.GetData(stSOF);
    p["sof18"] = word(sofs, sofs.size() - 2 * 14 - 6);
    return p;
}

} // namespace kvr::model::test
