#include "app/frameio/linkadapt.h"

#include <algorithm>

#include "kvrdata/byteorder.h"
#include "model/adaptationhooks.h"
#include "model/cardrecords.h"
#include "model/device.h"
#include "model/linkaccess.h"
#include "model/modelhost.h"
#include "model/project.h"

namespace kvr::app::frameio {

namespace {

using Record = std::vector<std::uint8_t>;
constexpr std::size_t kEntry = 24;
constexpr int kStereo = 0x2000;
enum LinkType { ltAnalog = 0, ltDigital = 1, ltMadi = 2 };

bool IsIOCard(int type) { return type == 111 || type == 122 || type == 123 || type == 222 || type == 223; }
bool IsDSPCard(const Record& r) { return model::CardTypeOf(r) == model::kCardDSP; }

// Where a record's channel entries start and how many it holds (bounded by the bytes stored).
struct Entries {
    std::size_t Base = 0;
    int Count = 0;
    int Limit = 0; // largest count the head can carry
};

Entries EntriesOf(const Record& r)
{
    Entries e;
    if (IsDSPCard(r)) {
        e = {8, model::DSPChannelCount(r), 511};
    } else if (IsIOCard(model::CardTypeOf(r)) && r.size() >= 4) {
        e = {4, r[2], 255};
    } else {
        return {};
    }
    const int stored = r.size() > e.Base ? static_cast<int>((r.size() - e.Base) / kEntry) : 0;
    e.Count = std::min(e.Count, stored);
    return e;
}

void SetCount(Record& r, int count)
{
    if (IsDSPCard(r)) {
        r[2] = static_cast<std::uint8_t>(count & 0xFF);
        r[3] = static_cast<std::uint8_t>((r[3] & 0xFE) | ((count >> 8) & 1));
    } else {
        r[2] = static_cast<std::uint8_t>(count);
    }
}

std::size_t At(const Entries& e, int i) { return e.Base + kEntry * static_cast<std::size_t>(i); }
int Word(const Record& r, const Entries& e, int i) { return readBE16(r, At(e, i) + 16); }
void SetWord(Record& r, const Entries& e, int i, int w) { writeBE16(r, At(e, i) + 16, static_cast<std::uint16_t>(w)); }

int FindEntry(const Record& r, int word)
{
    const Entries e = EntriesOf(r);
    for (int i = 0; i < e.Count; ++i)
        if ((Word(r, e, i) & 0x5FFF) == (word & 0x5FFF))
            return i;
    return -1;
}

// Name (0-15), optionally the option byte (18), level (19) and bytes 20-23.
void CopyChannel(const Record& from, std::size_t s, Record& to, std::size_t t, bool option)
{
    std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(s), 16, to.begin() + static_cast<std::ptrdiff_t>(t));
    if (option)
        to[t + 18] = from[s + 18] & ~0x08;
    std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(s + 19), 5, to.begin() + static_cast<std::ptrdiff_t>(t + 19));
}

struct Range {
    int Begin = 0, End = 0;
};
struct PortRanges {
    Range Inputs, Outputs;
};

PortRanges RangesOf(const Record& r, int port)
{
    const MadiGroupEnds g = WalkMadiGroups(r);
    const int kind = r.size() > 5 ? r[5] : 0;
    if (kind == 2 || (kind == 3 && port == 0))
        return {{0, g[0]}, {g[0], g[1]}};
    if (kind == 3)
        return {{g[1], g[2]}, {g[2], g[3]}};
    return {};
}

// The target's range [d0, d1) takes copies of the source's range, with the target's slot and
// port and the opposite direction.
void ReplaceRange(Record& target, Range d, const Record& source, Range s, const model::TDeviceLink& link)
{
    const Entries te = EntriesOf(target);
    const Entries se = EntriesOf(source);
    const int n = s.End - s.Begin;
    target.erase(target.begin() + static_cast<std::ptrdiff_t>(At(te, d.Begin)),
                 target.begin() + static_cast<std::ptrdiff_t>(At(te, d.End)));
    target.insert(target.begin() + static_cast<std::ptrdiff_t>(At(te, d.Begin)), kEntry * static_cast<std::size_t>(n), 0);
    const int flip = (link.SPort & 0xFF) != (link.TPort & 0xFF) ? 0x40 : 0;
    for (int k = 0; k < n; ++k) {
        const std::size_t from = At(se, s.Begin + k);
        const std::size_t to = At(te, d.Begin + k);
        CopyChannel(source, from, target, to, true);
        target[to + 18] = source[from + 18];
        const int w = readBE16(source, from + 16);
        writeBE16(target, to + 16, static_cast<std::uint16_t>((((w & 0x20FF) ^ 0x80) | ((link.TSlot + 1) << 8)) ^ flip));
    }
    SetCount(target, te.Count - (d.End - d.Begin) + n);
}

// Remembered channel words of one record, used up as they are matched.
struct Remembered {
    int Device = 0;
    std::vector<int> Words;
    std::vector<bool> Used;
};

Remembered Remember(const Record& r, int device)
{
    Remembered m{device, {}, {}};
    const Entries e = EntriesOf(r);
    for (int i = 0; i < e.Count; ++i)
        m.Words.push_back(Word(r, e, i));
    m.Used.assign(m.Words.size(), false);
    return m;
}

void AdaptChangedStereo(model::TProject& project, const Record& now, Remembered& before, LinkProgress* progress)
{
    const Entries e = EntriesOf(now);
    model::TDevice* dev = project.Device(before.Device);
    for (int i = 0; i < e.Count; ++i) {
        const int w = Word(now, e, i);
        for (std::size_t k = 0; k < before.Words.size(); ++k) {
            if (before.Used[k] || (before.Words[k] & 0x1FFF) != (w & 0x1FFF))
                continue;
            if ((before.Words[k] & kStereo) != (w & kStereo)) {
                before.Used[k] = true;
                if (dev)
                    model::CallAdaptStereoSources(*dev, w);
                if (progress)
                    progress->Step();
            }
            break;
        }
    }
}

bool AdaptMadi(model::TProject& project, model::TDeviceLink& link, const Record& source, Record& target, bool adaptUsers,
               LinkProgress* progress)
{
    Remembered sourceWords = Remember(source, link.SDev);
    Remembered targetWords = Remember(target, link.TDev);
    const int sp = link.SPort & 0xFF;
    const int tp = link.TPort & 0xFF;
    if (link.Direction == 1)
        ReplaceRange(target, RangesOf(target, tp).Outputs, source, RangesOf(source, sp).Inputs, link);
    ReplaceRange(target, RangesOf(target, tp).Inputs, source, RangesOf(source, sp).Outputs, link);
    constexpr std::uint8_t kModeFlags = 0xD0; // stagebox, 64 channels, 32-bit float
    if (target.size() > 4 && source.size() > 4) {
        std::uint8_t& mode = target[3 + static_cast<std::size_t>(tp == 0 ? 0 : 1)];
        mode = static_cast<std::uint8_t>((mode & ~kModeFlags) | (source[3 + static_cast<std::size_t>(sp == 0 ? 0 : 1)] & kModeFlags));
    }
    // A stored link of direction 2 mirrors the other way as well: the source port's inputs take
    // copies of the target port's outputs, with the source's slot and port.
    Record sourceAfter = source;
    if (link.Direction == 2) {
        model::TDeviceLink back = link;
        std::swap(back.SDev, back.TDev);
        std::swap(back.SSlot, back.TSlot);
        std::swap(back.SPort, back.TPort);
        ReplaceRange(sourceAfter, RangesOf(sourceAfter, sp).Inputs, target, RangesOf(target, tp).Outputs, back);
    }
    model::TDevice* dev = project.Device(link.TDev);
    const Record targetBefore = dev->GetSetupData(link.TSlot);
    if (dev->SetSetupData(link.TSlot, target) < 0)
        return false;
    if (link.Direction == 2 && project.Device(link.SDev)->SetSetupData(link.SSlot, sourceAfter) < 0) {
        dev->SetSetupData(link.TSlot, targetBefore);
        return false;
    }
    if (adaptUsers) {
        if (progress)
            progress->Start(EntriesOf(sourceAfter).Count + EntriesOf(target).Count);
        AdaptChangedStereo(project, sourceAfter, sourceWords, progress);
        AdaptChangedStereo(project, target, targetWords, progress);
        if (progress)
            progress->Finish();
    }
    return true;
}

bool AdaptChannels(model::TProject& project, model::TDeviceLink& link, int w, const Record& source, Record& target,
                   bool adaptUsers)
{
    const int s = FindEntry(source, link.SPort);
    int t = FindEntry(target, link.TPort);
    if (s < 0 || t < 0)
        return true;
    const Entries se = EntriesOf(source);
    const Entries te = EntriesOf(target);
    const int sw = Word(source, se, s);
    const bool changed = (sw & kStereo) != (Word(target, te, t) & kStereo);
    const int mask = link.Type == ltAnalog ? 0x5FFF : 0x5FFE;
    if ((w & mask) != (sw & 0x5FFF))
        return true;
    if ((w & kStereo) != 0) {
        CopyChannel(source, At(se, s), target, At(te, t), false);
        if (link.Type == ltDigital)
            target[At(te, t) + 18] = source[At(se, s) + 18] & ~0x08;
        if (const int joined = JoinStereoEntry(target, t); joined >= 0)
            t = joined;
        link.TPort = static_cast<std::uint16_t>((link.TPort & ~1) | kStereo);
        model::SetDeviceLink(project, link.ID, link);
    } else {
        CopyChannel(source, At(se, s), target, At(te, t), true);
        SplitStereoEntry(target, t);
        // The link keeps naming the even channel of the now mono pair, so later edits find it.
        if ((link.TPort & kStereo) != 0) {
            link.TPort = static_cast<std::uint16_t>(link.TPort & ~kStereo);
            model::SetDeviceLink(project, link.ID, link);
        }
    }
    model::TDevice* dev = project.Device(link.TDev);
    target.resize(static_cast<std::size_t>(std::max(0, model::CalcCardRecordSize(target))));
    if (dev->SetSetupData(link.TSlot, target) < 0)
        return false;
    if (adaptUsers && changed)
        model::CallAdaptStereoSources(*dev, (Word(target, te, t) & 0x5FFF) | (w & kStereo));
    return true;
}

Record SlotData(model::TProject& project, int device, int slot)
{
    const model::TDevice* dev = project.Device(device);
    if (!dev || slot < 0 || slot >= 30)
        return {};
    return dev->GetSetupData(static_cast<std::uint8_t>(slot));
}

} // namespace

MadiGroupEnds WalkMadiGroups(const Record& r)
{
    MadiGroupEnds counts{};
    const Entries e = EntriesOf(r);
    int state = 0;
    for (int i = 0; i < e.Count; ++i) {
        const bool out = (Word(r, e, i) & 0x80) != 0;
        if (i > 0) {
            const bool prevOut = (Word(r, e, i - 1) & 0x80) != 0;
            if (out && !prevOut && (state == 0 || state == 2))
                ++state;
            else if (!out && prevOut && state == 1)
                ++state;
        }
        ++counts[static_cast<std::size_t>(state)];
    }
    for (std::size_t g = 1; g < counts.size(); ++g)
        counts[g] += counts[g - 1];
    return counts;
}

int JoinStereoEntry(Record& r, int i)
{
    const Entries e = EntriesOf(r);
    if (i < 0 || i >= e.Count || (Word(r, e, i) & kStereo) != 0)
        return -1;
    if ((Word(r, e, i) & 1) != 0)
        --i;
    // Only the true partner: the odd word of the same pair, mono, inside the channel list.
    if (i < 0 || i + 1 >= e.Count)
        return -1;
    const int first = Word(r, e, i);
    const int second = Word(r, e, i + 1);
    if ((first & (kStereo | 1)) != 0 || second != (first | 1))
        return -1;
    r.erase(r.begin() + static_cast<std::ptrdiff_t>(At(e, i + 1)), r.begin() + static_cast<std::ptrdiff_t>(At(e, i + 2)));
    SetWord(r, e, i, first | kStereo);
    SetCount(r, e.Count - 1);
    return i;
}

bool SplitStereoEntry(Record& r, int i)
{
    const Entries e = EntriesOf(r);
    if (i < 0 || i >= e.Count)
        return false;
    const int w = Word(r, e, i);
    if ((w & kStereo) == 0) {
        // A 111 pair shares its option byte; the partner must be the pair's own odd channel.
        if (model::CardTypeOf(r) != 111 || i + 1 >= e.Count || Word(r, e, i + 1) != (w | 1) || (w & 1) != 0)
            return false;
        r[At(e, i + 1) + 18] = r[At(e, i) + 18];
        return true;
    }
    if (e.Count >= e.Limit)
        return false;
    SetWord(r, e, i, w & ~kStereo);
    const auto from = r.begin() + static_cast<std::ptrdiff_t>(At(e, i));
    Record copy(from, from + static_cast<std::ptrdiff_t>(kEntry));
    writeBE16(copy, 16, static_cast<std::uint16_t>((w & ~kStereo) + 1));
    r.insert(r.begin() + static_cast<std::ptrdiff_t>(At(e, i + 1)), copy.begin(), copy.end());
    SetCount(r, e.Count + 1);
    return true;
}

bool AdaptLink(model::TProject& Project, model::TDeviceLink& Link, int W, bool F, LinkProgress* Progress)
{
    const Record source = SlotData(Project, Link.SDev, Link.SSlot);
    Record target = SlotData(Project, Link.TDev, Link.TSlot);
    if (source.empty() || target.empty()) {
        model::ShowError("CX4AppForm", "AdaptLink", "Cordex4 found an empty card slot which is used as device link");
        return false;
    }
    switch (Link.Type) {
    case ltAnalog:
    case ltDigital:
        return AdaptChannels(Project, Link, W, source, target, F);
    case ltMadi:
        // A MADI link between anything but two MADI cards (a damaged file) has nothing to mirror.
        if (!IsDSPCard(source) || !IsDSPCard(target))
            return true;
        return AdaptMadi(Project, Link, source, target, F, Progress);
    default:
        return true;
    }
}

} // namespace kvr::app::frameio
