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
constexpr int kStereo = 0x2000;
enum LinkType { ltAnalog = 0, ltDigital = 1, ltMadi = 2 };

bool IsDSPCard(const Record& r) { return model::CardRecordView(r).IsDSPCard(); }

// How many channel entries a record holds (bounded by the bytes stored).
struct Entries {
    int Count = 0;
    int Limit = 0; // largest count the head can carry
};

Entries EntriesOf(const Record& r)
{
    const model::CardRecordView card(r);
    if (card.IsDSPCard())
        return {card.StoredChannels(), 511};
    if (card.IsIOCard() && r.size() >= 4)
        return {card.StoredChannels(), 255};
    return {};
}

void SetCount(Record& r, int count) { model::CardRecordWriter(r).SetChannelCount(count); }

int Word(const Record& r, int i) { return model::CardRecordView(r).ChannelID(i); }
void SetWord(Record& r, int i, int w) { model::CardRecordWriter(r).SetChannelID(i, w); }
model::ChannelEntryView EntryOf(const Record& r, int i) { return *model::CardRecordView(r).Channel(i); }

int FindEntry(const Record& r, int word)
{
    const Entries e = EntriesOf(r);
    for (int i = 0; i < e.Count; ++i)
        if ((Word(r, i) & 0x5FFF) == (word & 0x5FFF))
            return i;
    return -1;
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
    const int kind = model::CardRecordView(r).DSPVariant();
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
    const int n = s.End - s.Begin;
    model::CardRecordWriter writer(target);
    writer.EraseChannels(d.Begin, d.End);
    writer.InsertChannels(d.Begin, std::vector<model::ChannelEntryBytes>(static_cast<std::size_t>(n)));
    // The count first, so the new entries are the record's own when they are written.
    SetCount(target, te.Count - (d.End - d.Begin) + n);
    const int flip = (link.SPort & 0xFF) != (link.TPort & 0xFF) ? 0x40 : 0;
    for (int k = 0; k < n; ++k) {
        const model::ChannelEntryView from = EntryOf(source, s.Begin + k);
        const int to = d.Begin + k;
        writer.CopyChannelSettings(to, from, true);
        writer.SetOption(to, from.Option());
        const int w = from.ID();
        writer.SetChannelID(to, (((w & 0x20FF) ^ 0x80) | ((link.TSlot + 1) << 8)) ^ flip);
    }
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
        m.Words.push_back(Word(r, i));
    m.Used.assign(m.Words.size(), false);
    return m;
}

void AdaptChangedStereo(model::TProject& project, const Record& now, Remembered& before, LinkProgress* progress)
{
    const Entries e = EntriesOf(now);
    model::TDevice* dev = project.Device(before.Device);
    for (int i = 0; i < e.Count; ++i) {
        const int w = Word(now, i);
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
        const int mode = model::CardRecordView(target).PortFlags(tp == 0 ? 0 : 1);
        const int from = model::CardRecordView(source).PortFlags(sp == 0 ? 0 : 1);
        model::CardRecordWriter(target).SetPortFlags(tp == 0 ? 0 : 1, (mode & ~kModeFlags) | (from & kModeFlags));
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
    const int sw = Word(source, s);
    const bool changed = (sw & kStereo) != (Word(target, t) & kStereo);
    const int mask = link.Type == ltAnalog ? 0x5FFF : 0x5FFE;
    if ((w & mask) != (sw & 0x5FFF))
        return true;
    if ((w & kStereo) != 0) {
        model::CardRecordWriter(target).CopyChannelSettings(t, EntryOf(source, s), link.Type == ltDigital);
        if (const int joined = JoinStereoEntry(target, t); joined >= 0)
            t = joined;
        link.TPort = static_cast<std::uint16_t>((link.TPort & ~1) | kStereo);
        model::SetDeviceLink(project, link.ID, link);
    } else {
        model::CardRecordWriter(target).CopyChannelSettings(t, EntryOf(source, s), true);
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
        model::CallAdaptStereoSources(*dev, (Word(target, t) & 0x5FFF) | (w & kStereo));
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
        const bool out = (Word(r, i) & 0x80) != 0;
        if (i > 0) {
            const bool prevOut = (Word(r, i - 1) & 0x80) != 0;
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
    if (i < 0 || i >= e.Count || (Word(r, i) & kStereo) != 0)
        return -1;
    if ((Word(r, i) & 1) != 0)
        --i;
    // Only the true partner: the odd word of the same pair, mono, inside the channel list.
    if (i < 0 || i + 1 >= e.Count)
        return -1;
    const int first = Word(r, i);
    const int second = Word(r, i + 1);
    if ((first & (kStereo | 1)) != 0 || second != (first | 1))
        return -1;
    model::CardRecordWriter(r).EraseChannels(i + 1, i + 2);
    SetWord(r, i, first | kStereo);
    SetCount(r, e.Count - 1);
    return i;
}

bool SplitStereoEntry(Record& r, int i)
{
    const Entries e = EntriesOf(r);
    if (i < 0 || i >= e.Count)
        return false;
    const int w = Word(r, i);
    if ((w & kStereo) == 0) {
        // A 111 pair shares its option byte; the partner must be the pair's own odd channel.
        if (model::CardTypeOf(r) != 111 || i + 1 >= e.Count || Word(r, i + 1) != (w | 1) || (w & 1) != 0)
            return false;
        model::CardRecordWriter(r).SetOption(i + 1, EntryOf(r, i).Option());
        return true;
    }
    if (e.Count >= e.Limit)
        return false;
    SetWord(r, i, w & ~kStereo);
    // The odd channel starts as a copy of the even one.
    model::ChannelEntryBytes copy{};
    const auto even = EntryOf(r, i).Bytes();
    std::copy(even.begin(), even.end(), copy.begin());
    model::CardRecordWriter(r).InsertChannels(i + 1, std::span(&copy, 1));
    SetCount(r, e.Count + 1);
    SetWord(r, i + 1, (w & ~kStereo) + 1);
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
