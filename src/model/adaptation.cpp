#include "model/adaptation.h"

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/platform.h"
#include "kvrdata/byteorder.h"
#include "model/adaptationhooks.h"
#include "model/device.h"
#include "model/keyfunctions.h"
#include "model/logicrecords.h"
#include "model/modelhost.h"
#include "model/outputfunctions.h"
#include "model/potaccess.h"
#include "model/recordhooks.h"
#include "model/sourceids.h"
#include "model/sourcewalks.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"

namespace kvr::model {

namespace {

constexpr std::size_t kBusSize = 32;
constexpr std::size_t kFaderSize = 28;
constexpr std::size_t kOptionSize = 6;
constexpr std::size_t kGPOCardRecord = 17;
constexpr std::size_t kGPOWords = 96;

// Reads a structure, lets edit change it, writes it back once when it did.
void EditStructure(TDevice& dev, std::uint8_t type, const std::function<bool(std::vector<std::uint8_t>&)>& edit)
{
    std::vector<std::uint8_t> payload;
    if (!dev.GetData(type, payload))
        return;
    if (edit(payload))
        dev.SetData(type, payload);
}

void EditSetupEntry(TDevice& dev, std::uint8_t id, const std::function<bool(std::vector<std::uint8_t>&)>& edit)
{
    std::vector<std::uint8_t> entry;
    if (!dev.GetSetupData(id, entry))
        return;
    if (edit(entry))
        dev.SetSetupData(id, entry);
}

// Applies fn to the big-endian word at; true when it changed.
template <typename Fn>
bool EditWord(std::vector<std::uint8_t>& bytes, std::size_t at, Fn&& fn)
{
    if (at + 2 > bytes.size())
        return false;
    const std::uint16_t old = readBE16(bytes, at);
    const std::uint16_t now = fn(old);
    if (now == old)
        return false;
    writeBE16(bytes, at, now);
    return true;
}

void EditHeaderWords(TDevice& dev, std::initializer_list<std::size_t> offsets,
                     const std::function<std::uint16_t(std::size_t, std::uint16_t)>& fn)
{
    auto header = dev.GetHeader();
    bool changed = false;
    for (const std::size_t at : offsets) {
        const std::uint16_t old = readBE16(header, at);
        const std::uint16_t now = fn(at, old);
        if (now != old) {
            writeBE16(header, at, now);
            changed = true;
        }
    }
    if (changed)
        dev.SetHeader(header, true);
}

bool IsFaderTypeModule(int type) { return type == 20 || type == 21 || type == 23 || type == 28 || type == 29; }
bool IsLogicKeyModule(int type)
{
    return type == 10 || type == 11 || type == 12 || type == 13 || type == 25 || type == 26;
}

// ---- logic references --------------------------------------------------------------------

class LogicAdapter {
public:
    LogicAdapter(int a, int b, int mode)
        : FA(a & LogicIDMask)
        , FB(b & LogicIDMask)
        , FMode(mode)
    {
        const int category = GetLogicCategory(static_cast<std::uint32_t>(FA));
        if (category >= 0 && category + 1 < static_cast<int>(LogicSourceRanges.size()))
            FLast = LogicSourceRanges[static_cast<std::size_t>(category) + 1] - 1;
        FRenumber = FB == 0 && (category == lsLogicFunction || (category >= lsCorrelationDetect && category <= lsRotarySelect));
    }

    bool Deletes() const { return FB == 0 && FMode == amDelete; }
    bool Matches(std::uint16_t r) const { return (r & LogicIDMask) == FA; }

    // The rule for one reference. inLogicFkt: a source list of a logic function, where the
    // parking keeps the condition and the swaps are told apart.
    std::uint16_t Apply(std::uint16_t r, const char* place, int index, bool inLogicFkt = false) const
    {
        std::uint16_t v = r;
        if ((v & LogicIDMask) == FA) {
            if (FB != 0) {
                Trace(place, index, v, inLogicFkt ? "SWAPPED1" : "SWAPPED");
                v = static_cast<std::uint16_t>((v & LogicConditionMask) | FB);
            } else if (FMode == amDelete) {
                Trace(place, index, v, "CLEARED");
                v = 0;
            } else if (FMode == amRemoveForMove) {
                Trace(place, index, v, "SWAPPED");
                v = inLogicFkt ? static_cast<std::uint16_t>((v & LogicConditionMask) | MovePlaceholderID) : MovePlaceholderID;
            }
        } else if (FB != 0 && (v & LogicIDMask) == FB) {
            Trace(place, index, v, inLogicFkt ? "SWAPPED2" : "SWAPPED");
            v = static_cast<std::uint16_t>((v & LogicConditionMask) | FA);
        }
        if (FRenumber) {
            const int id = v & LogicIDMask;
            if ((FMode == amDelete || FMode == amRemoveForMove) && FA < id && id < FLast) {
                Trace(place, index, v, "DECREASED");
                --v;
            } else if (FMode == amInsert && FA <= id && id < FLast) {
                Trace(place, index, v, "INCREASED");
                ++v;
            }
        }
        return v;
    }

    static void Trace(const char* place, int index, std::uint16_t before, const char* action)
    {
        if (TraceCallback)
            TraceCallback(std::string("TDevice::AdaptLogics:") + place + diag::Format(" %d = 0x%04x  ", index, before) +
                          action);
    }

private:
    int FA;
    int FB;
    int FMode;
    int FLast = 0;
    bool FRenumber = false;
};

bool AdaptBusLogics(std::vector<std::uint8_t>& payload, const LogicAdapter& rule)
{
    bool changed = false;
    for (std::size_t i = 0; i < payload.size() / kBusSize; ++i) {
        const int index = static_cast<int>(i);
        changed |= EditWord(payload, kBusSize * i + 24, [&](std::uint16_t r) { return rule.Apply(r, "Bus.Logic1", index); });
        changed |= EditWord(payload, kBusSize * i + 26, [&](std::uint16_t r) { return rule.Apply(r, "Bus.Logic2", index); });
    }
    return changed;
}

bool AdaptOutFktLogics(std::vector<std::uint8_t>& payload, const LogicAdapter& rule)
{
    bool changed = false;
    const auto records = WalkOutputFunctions(payload);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const RecordSpan r = records[i];
        for (std::size_t at = r.offset + 12; at + 10 <= r.offset + r.length; at += 10)
            changed |= EditWord(payload, at, [&](std::uint16_t v) {
                return rule.Apply(v, "OutFkt.Cond[j].ConditionID", static_cast<int>(i));
            });
    }
    return changed;
}

bool AdaptGPOLogics(std::vector<std::uint8_t>& payload, const LogicAdapter& rule)
{
    bool changed = false;
    int position = 0;
    for (std::size_t w = 0; w < kGPOWords; ++w, ++position)
        changed |= EditWord(payload, 2 * w, [&](std::uint16_t r) { return rule.Apply(r, "TmpCheck", position); });
    for (std::size_t at = 2 * kGPOWords; at + kGPOCardRecord <= payload.size(); at += kGPOCardRecord)
        for (std::size_t e = 0; e < 8; ++e, ++position)
            changed |= EditWord(payload, at + 1 + 2 * e, [&](std::uint16_t r) { return rule.Apply(r, "TmpCheck", position); });
    return changed;
}

bool AdaptFaderChannelLogics(std::vector<std::uint8_t>& payload, const LogicAdapter& rule)
{
    static constexpr std::pair<std::size_t, const char*> fields[] = {
        {10, "FCH.LampSource"}, {14, "FCH.MuteCondition"}, {12, "FCH.ReadySignal"}, {22, "FCH.LampSource2"},
        {26, "FCH.ChannelTimer"}};
    bool changed = false;
    for (std::size_t at = 0; at + kFaderSize <= payload.size(); at += kFaderSize) {
        const int number = payload[at + 20];
        for (const auto& field : fields) {
            const char* place = field.second;
            changed |= EditWord(payload, at + field.first, [&](std::uint16_t r) { return rule.Apply(r, place, number); });
        }
    }
    return changed;
}

// Key-function words hold bare IDs: only their ID bits take part.
bool AdaptKeyWord(std::vector<std::uint8_t>& entry, std::size_t at, int index, const LogicAdapter& rule)
{
    return EditWord(entry, at, [&](std::uint16_t w) {
        const std::uint16_t id = rule.Apply(w & LogicIDMask, "TmpCheck", index) & LogicIDMask;
        return static_cast<std::uint16_t>((w & LogicConditionMask) | id);
    });
}

bool AdaptKeyLogics(std::vector<std::uint8_t>& entry, const LogicAdapter& rule)
{
    const int type = ModuleType(entry);
    const int keys = ModuleKeyCount(type);
    bool changed = false;
    const std::size_t count = KeyRecordCount(entry);
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t at = kModuleHead + kKeyRecordSize * n;
        const bool used = entry[at + 1] != 0 || readBE16(entry, at + 36) != 0 || readBE16(entry, at + 38) != 0;
        if (!used)
            continue;
        if (entry[at + 31] == 4) {
            for (int w = 0; w < 3; ++w)
                changed |= AdaptKeyWord(entry, at + 36 + 2 * static_cast<std::size_t>(w), w, rule);
        } else if (type == 13 && entry[at] >= keys) {
            changed |= AdaptKeyWord(entry, at + 36, 0, rule);
        }
    }
    return changed;
}

bool AdaptSourceWords(std::vector<std::uint8_t>& payload, FixedList list, std::size_t offset, const char* place,
                      const LogicAdapter& rule)
{
    bool changed = false;
    for (std::size_t i = 0; i < list.count(payload.size()); ++i)
        changed |= EditWord(payload, list.offset(i) + offset,
                            [&](std::uint16_t r) { return rule.Apply(r, place, static_cast<int>(i)); });
    return changed;
}

bool AdaptScriptLogics(std::vector<std::uint8_t>& payload, const LogicAdapter& rule)
{
    bool changed = false;
    const auto records = ScriptRecords(payload);
    for (std::size_t i = 0; i < records.size(); ++i)
        changed |= EditWord(payload, records[i].offset + 12,
                            [&](std::uint16_t r) { return rule.Apply(r, "Script.Source", static_cast<int>(i)); });
    return changed;
}

// Source lists of logic functions. A delete removes the source from the list; the source that
// moves into its place is tested again, so a function naming the deleted one twice keeps no
// stale reference.
bool AdaptLogicFunctionLists(std::vector<std::uint8_t>& payload, const LogicAdapter& rule)
{
    const auto records = LogicFunctionRecords(payload);
    bool changed = false;
    std::vector<std::uint8_t> out;
    out.reserve(payload.size());
    for (const RecordSpan& r : records) {
        std::vector<std::uint16_t> sources;
        const std::size_t n = payload[r.offset] & 0x3F;
        for (std::size_t j = 0; j < n; ++j)
            sources.push_back(readBE16(payload, r.offset + 12 + 2 * j));
        for (std::size_t j = 0; j < sources.size();) {
            const int index = static_cast<int>(j);
            if (rule.Deletes() && rule.Matches(sources[j])) {
                LogicAdapter::Trace("LogicFkt.Source[j]", index, sources[j], "REMOVED");
                sources.erase(sources.begin() + static_cast<std::ptrdiff_t>(j));
                changed = true;
                continue;
            }
            const std::uint16_t now = rule.Apply(sources[j], "LogicFkt.Source[j]", index, true);
            changed |= now != sources[j];
            sources[j] = now;
            ++j;
        }
        out.push_back(static_cast<std::uint8_t>((payload[r.offset] & 0xC0) | sources.size()));
        out.insert(out.end(), payload.begin() + static_cast<std::ptrdiff_t>(r.offset + 1),
                   payload.begin() + static_cast<std::ptrdiff_t>(r.offset + 12));
        for (const std::uint16_t s : sources) {
            out.push_back(static_cast<std::uint8_t>(s >> 8));
            out.push_back(static_cast<std::uint8_t>(s));
        }
    }
    if (!changed)
        return false;
    // A damaged tail behind the whole records stays as it was.
    out.insert(out.end(), payload.begin() + static_cast<std::ptrdiff_t>(RecordsEnd(records)), payload.end());
    payload = std::move(out);
    return true;
}

void AdaptGlobalLogicSources(TDevice& dev, const LogicAdapter& rule)
{
    const auto payload = dev.GetData(stGLAssign);
    if (payload.size() < 2)
        return;
    const std::size_t count = std::min<std::size_t>(payload[0], (payload.size() - 2) / 4);
    std::vector<std::pair<int, std::uint16_t>> changes;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 2 + 4 * i;
        const int logic = payload[at];
        const std::uint16_t source = readBE16(payload, at + 2);
        if (source == 0)
            continue;
        const std::uint16_t now = rule.Apply(source, "TmpCheck", logic);
        if (now != source)
            changes.emplace_back(logic, now);
    }
    for (const auto& [logic, source] : changes)
        SetGLSource(dev, logic, source);
}

bool AdaptSOFLogics(std::vector<std::uint8_t>& payload, const LogicAdapter& rule)
{
    bool changed = false;
    for (const RecordSpan& sof : WalkSOFs(payload))
        for (const SOFSourceEntry& e : SOFSourceEntries(payload, sof))
            changed |= EditWord(payload, e.at + 4, [&](std::uint16_t r) {
                return rule.Apply(r, "SOF.Inputs[j].Sources[k].LSource", e.source);
            });
    return changed;
}

// ---- audio references --------------------------------------------------------------------

using AudioRule = std::function<std::uint16_t(std::uint16_t)>;

bool AdaptWords(std::vector<std::uint8_t>& bytes, std::initializer_list<std::size_t> offsets, std::size_t base,
                const AudioRule& rule)
{
    bool changed = false;
    for (const std::size_t at : offsets)
        changed |= EditWord(bytes, base + at, rule);
    return changed;
}

void AdaptOutFktAudio(TDevice& dev, const AudioRule& rule)
{
    EditStructure(dev, stOutFkt, [&](std::vector<std::uint8_t>& payload) {
        bool changed = false;
        for (const RecordSpan& r : WalkOutputFunctions(payload))
            for (std::size_t at = r.offset + 12; at + 10 <= r.offset + r.length; at += 10)
                changed |= AdaptWords(payload, {2, 4}, at, rule);
        return changed;
    });
}

void AdaptSOFAudio(TDevice& dev, const AudioRule& rule)
{
    EditStructure(dev, stSOF, [&](std::vector<std::uint8_t>& payload) {
        bool changed = false;
        for (const RecordSpan& sof : WalkSOFs(payload))
            for (const SOFSourceEntry& e : SOFSourceEntries(payload, sof))
                changed |= EditWord(payload, e.at, rule);
        return changed;
    });
}

void AdaptFixedProcAudio(TDevice& dev, const AudioRule& rule)
{
    EditStructure(dev, stProc, [&](std::vector<std::uint8_t>& payload) {
        bool changed = false;
        for (const RecordSpan& r : WalkFixedProcessings(payload, std::numeric_limits<int>::max()))
            changed |= EditWord(payload, r.offset + 10, rule);
        return changed;
    });
}

void AdaptLevelDetectAudio(TDevice& dev, const AudioRule& rule)
{
    EditStructure(dev, stLevelDetect, [&](std::vector<std::uint8_t>& payload) {
        const FixedList list = LevelDetectList(payload);
        if (list.stride < 12)
            return false;
        bool changed = false;
        for (std::size_t i = 0; i < list.count(payload.size()); ++i)
            changed |= EditWord(payload, list.offset(i) + 10, rule);
        return changed;
    });
}

void AdaptMonitorAudio(TDevice& dev, const AudioRule& rule)
{
    EditStructure(dev, stMonitorBus, [&](std::vector<std::uint8_t>& payload) {
        bool changed = false;
        for (std::size_t w = 0; w < 12; ++w)
            changed |= EditWord(payload, 2 * w, rule);
        return changed;
    });
}

void AdaptSourceListAudio(TDevice& dev, const AudioRule& rule)
{
    EditStructure(dev, stSourceList, [&](std::vector<std::uint8_t>& payload) {
        bool changed = false;
        for (const RecordSpan& r : SourceListSpans(payload))
            for (std::size_t at = r.offset + kSourceListEntriesAt; at + kSourceListEntryStride <= r.offset + r.length;
                 at += kSourceListEntryStride)
                changed |= AdaptWords(payload, {0, 2}, at, rule);
        return changed;
    });
}

// Key records of kind 1 hold audio sources at 38 and 40.
void AdaptKeyAudio(TDevice& dev, const std::function<bool(int)>& moduleTaken, const AudioRule& rule)
{
    for (const std::uint8_t slot : ConsoleModuleSlots()) {
        EditSetupEntry(dev, slot, [&](std::vector<std::uint8_t>& entry) {
            if (entry.size() < kModuleHead || !moduleTaken(ModuleType(entry)))
                return false;
            bool changed = false;
            const std::size_t count = KeyRecordCount(entry);
            for (std::size_t n = 0; n < count; ++n) {
                const std::size_t at = kModuleHead + kKeyRecordSize * n;
                if (entry[at + 1] != 0 && entry[at + 31] == 1)
                    changed |= AdaptWords(entry, {38, 40}, at, rule);
            }
            return changed;
        });
    }
}

// Every routing entry, also those of outputs whose card has gone.
void AdaptRoutingAudio(TDevice& dev, const AudioRule& rule)
{
    EditStructure(dev, stOutputRouting, [&](std::vector<std::uint8_t>& payload) {
        bool changed = false;
        for (std::size_t at = 0; at + kOptionSize <= payload.size(); at += kOptionSize)
            changed |= EditWord(payload, at + 2, rule);
        return changed;
    });
}

// Source and monitor sources of every fader channel. With pair given, a channel whose source
// now names the pair takes the pair's stereo setting in its flag byte.
void AdaptFaderChannelAudio(TDevice& dev, const AudioRule& rule, const std::uint16_t* pair)
{
    EditStructure(dev, stFCH, [&](std::vector<std::uint8_t>& payload) {
        bool changed = false;
        for (std::size_t at = 0; at + kFaderSize <= payload.size(); at += kFaderSize) {
            changed |= AdaptWords(payload, {4, 6, 8}, at, rule);
            if (pair == nullptr || readBE16(payload, at + 4) != *pair)
                continue;
            const std::uint8_t flags = (*pair & arStereo) ? (payload[at + 18] | 0x20) : (payload[at + 18] & ~0x20);
            changed |= flags != payload[at + 18];
            payload[at + 18] = flags;
        }
        return changed;
    });
}

void AdaptHeaderTalk(TDevice& dev, const AudioRule& rule)
{
    EditHeaderWords(dev, {dh::Talk1Source, dh::Talk2Source}, [&](std::size_t, std::uint16_t r) { return rule(r); });
}

} // namespace

void AdaptLogicReferences(TDevice& dev, int a, int b, int mode)
{
    if (dev.IsDummy())
        return;
    TKVRFI trace("TDevice::AdaptLogics");
    const LogicAdapter rule(a, b, mode);
    using Pass = bool (*)(std::vector<std::uint8_t>&, const LogicAdapter&);
    const auto adapt = [&rule](Pass pass) { return [&rule, pass](std::vector<std::uint8_t>& p) { return pass(p, rule); }; };

    EditStructure(dev, stCleanFeed, adapt(AdaptBusLogics));
    EditStructure(dev, stBus, adapt(AdaptBusLogics));
    EditStructure(dev, stOutFkt, adapt(AdaptOutFktLogics));
    EditStructure(dev, stGPORouting, adapt(AdaptGPOLogics));
    EditStructure(dev, stFCH, adapt(AdaptFaderChannelLogics));
    for (const std::uint8_t slot : ConsoleModuleSlots())
        EditSetupEntry(dev, slot, [&](std::vector<std::uint8_t>& entry) {
            return entry.size() >= kModuleHead && AdaptKeyLogics(entry, rule);
        });
    // The shared key tables of fader-type modules hold key records of their own.
    for (const std::uint8_t table : {96, 97, 98, 99})
        EditSetupEntry(dev, table, [&](std::vector<std::uint8_t>& entry) {
            return entry.size() >= kModuleHead && AdaptKeyLogics(entry, rule);
        });
    EditStructure(dev, stLogicDelay, [&](std::vector<std::uint8_t>& p) {
        return AdaptSourceWords(p, kLogicDelayList, 14, "TmpCheck", rule);
    });
    EditStructure(dev, stScript, adapt(AdaptScriptLogics));
    EditStructure(dev, stLogicFkt, adapt(AdaptLogicFunctionLists));
    AdaptGlobalLogicSources(dev, rule);
    EditStructure(dev, stSOF, adapt(AdaptSOFLogics));
    EditStructure(dev, stUserGroups, [&](std::vector<std::uint8_t>& p) {
        bool changed = EditWord(p, 0, [&](std::uint16_t r) { return rule.Apply(r, "AD.Source1", 1); });
        changed |= EditWord(p, 2, [&](std::uint16_t r) { return rule.Apply(r, "AD.Source2", 2); });
        return changed;
    });
    EditHeaderWords(dev, {dh::DSPCardLogics, dh::DSPCardLogics + 2, dh::DSPCardLogics + 4, dh::PreparationLogic},
                    [&](std::size_t at, std::uint16_t r) {
                        const int index = at == dh::PreparationLogic ? 0 : 10 * static_cast<int>((at - dh::DSPCardLogics) / 2 + 1);
                        return rule.Apply(r, "TmpCheck", index);
                    });
}

void AdaptAudioSources(TDevice& dev, int a, int b)
{
    if (dev.IsDummy())
        return;
    TKVRFI trace("TDevice::AdaptAudioSources");
    const int category = GetAudioCategory(static_cast<std::uint32_t>(a & 0xFFFF));
    int last = 0;
    if (category >= 0 && category + 1 < static_cast<int>(AudioSourceRanges.size()))
        last = AudioSourceRanges[static_cast<std::size_t>(category) + 1] - 1;
    int kind = 0;
    switch (category) {
    case asOutFkt:
        kind = 1;
        a &= ~arStereo;
        break;
    case asProgramBus: case asAuxBus: case asCleanFeed:
        kind = 2;
        a |= arStereo;
        break;
    case asFixedProc:
        kind = 2;
        break;
    case asSlotChannel:
        kind = 3;
        break;
    // Masters and super output functions are positional too: the ones behind a deleted one move
    // down with it.
    case asSOF: case asProgramMaster: case asAuxMaster:
        kind = 1;
        break;
    default:
        break;
    }
    if (b != 0)
        kind = 0;
    const std::uint16_t mask = (kind == 2 || kind == 3) ? AudioStereoPairMask : AudioSourceMask;
    const std::uint16_t ua = static_cast<std::uint16_t>(a);
    const std::uint16_t ub = static_cast<std::uint16_t>(b);

    const AudioRule rule = [&](std::uint16_t r) -> std::uint16_t {
        if (b == 0) {
            if ((r & mask) == (ua & mask))
                r = 0;
            const int v = r & AudioSourceMask;
            if (kind == 1 && (ua & AudioSourceMask) < v && v < last)
                return static_cast<std::uint16_t>(r - 1);
            if (kind == 2 && (ua & AudioStereoPairMask) + 1 < v && v < last)
                return static_cast<std::uint16_t>(r - 2);
            return r;
        }
        if ((r & AudioSourceMask) == (ua & AudioSourceMask))
            return ub;
        if ((r & AudioSourceMask) == (ub & AudioSourceMask))
            return ua;
        return r;
    };

    AdaptHeaderTalk(dev, rule);
    AdaptOutFktAudio(dev, rule);
    AdaptRoutingAudio(dev, rule);
    AdaptFixedProcAudio(dev, rule);
    AdaptLevelDetectAudio(dev, rule);
    AdaptFaderChannelAudio(dev, rule, nullptr);
    AdaptMonitorAudio(dev, rule);
    AdaptSourceListAudio(dev, rule);
    AdaptKeyAudio(dev, [](int type) { return !IsFaderTypeModule(type); }, rule);
    AdaptSOFAudio(dev, rule);
}

void AdaptStereoSources(TDevice& dev, int a)
{
    if (dev.IsDummy())
        return;
    TKVRFI trace("TDevice::AdaptStereoSources");
    dev.FAudioSourcesChanged = true;
    const std::uint16_t ua = static_cast<std::uint16_t>(a & 0xFFFE);
    const int category = GetAudioCategory(ua);
    const AudioRule rule = [&](std::uint16_t r) -> std::uint16_t {
        return (r & AudioStereoPairMask) == (ua & AudioSourceMask) ? ua : r;
    };

    AdaptHeaderTalk(dev, rule);
    AdaptOutFktAudio(dev, rule);
    AdaptSOFAudio(dev, rule);
    if (category == asSlotChannel && (ua & 0x80) != 0) {
        // A card output pair changes the keying of its routing entries.
        const std::uint16_t even = ua & static_cast<std::uint16_t>(~(arStereo | arPhaseReverse));
        const std::uint16_t stereo = even | arStereo;
        const bool toStereo = (ua & arStereo) != 0;
        TChannelOption read;
        read.OutputID = toStereo ? even : stereo;
        GetChannelOption(dev, read);
        const std::uint16_t from = toStereo ? even : stereo;
        const std::uint16_t to = toStereo ? stereo : even;
        for (const std::uint16_t id : {from, static_cast<std::uint16_t>(from + 1)})
            SetChannelOption(dev, TChannelOption{id, 0, 0, 0});
        for (const std::uint16_t id : {to, static_cast<std::uint16_t>(to + 1)})
            SetChannelOption(dev, TChannelOption{id, read.Source, read.MuteLogics, 0});
    } else {
        AdaptRoutingAudio(dev, rule);
    }
    AdaptFixedProcAudio(dev, rule);
    AdaptLevelDetectAudio(dev, rule);
    AdaptFaderChannelAudio(dev, rule, &ua);
    AdaptMonitorAudio(dev, rule);
    AdaptSourceListAudio(dev, rule);
    AdaptKeyAudio(dev, IsLogicKeyModule, rule);
}

void InstallAdaptation()
{
    Hooks().AdaptLogics = AdaptLogicReferences;
    Adaptation().AdaptAudioSources = AdaptAudioSources;
    Adaptation().AdaptStereoSources = AdaptStereoSources;
}

} // namespace kvr::model
