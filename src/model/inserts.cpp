#include "model/inserts.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "kvrdata/byteorder.h"
#include "model/adaptationhooks.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/faderaccess.h"
#include "model/faderchannels.h"
#include "model/keyrecords.h"
#include "model/linkaccess.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/recordhooks.h"
#include "model/recordsupport.h"
#include "model/smallrecordaccess.h"

namespace kvr::model {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kFixedHead = 2;
constexpr std::uint8_t kFixedEntry = 4;
constexpr std::uint8_t kSwitchHead = 2;
constexpr std::uint8_t kSwitchEntry = 22;
constexpr std::uint8_t kPoolHead = 8;
constexpr std::uint8_t kPoolLine = 6;
constexpr std::uint16_t kDSPCard = 848;

// A stored block of [head size][entry size] entries, or a fresh one when the stored sizes
// cannot hold an entry of the current layout.
Bytes EntryBlock(const TDevice& dev, std::uint8_t type, std::uint8_t head, std::uint8_t entry, bool& present)
{
    Bytes payload;
    present = dev.GetData(type, payload);
    if (payload.size() < 2 || payload[0] < 2 || payload[0] > payload.size() || payload[1] < entry)
        payload = {head, entry};
    return payload;
}

void StoreEntryBlock(TDevice& dev, std::uint8_t type, const Bytes& payload, bool present)
{
    if (payload.size() > payload[0])
        dev.SetData(type, payload);
    else if (present)
        dev.SetData(type, {});
}

// Channel IDs of the card in a slot: I/O cards count in byte 2 with entries from byte 4, the DSP
// card a 9-bit little-endian count with entries from byte 8; entries of 24 bytes, ID at 16.
std::vector<std::uint16_t> SlotChannels(std::span<const std::uint8_t> card, bool dsp)
{
    std::vector<std::uint16_t> ids;
    if (card.size() < 4)
        return ids;
    const std::size_t count = dsp ? (readLE16(card, 2) & 0x1FF) : card[2];
    const std::size_t first = dsp ? 8 : 4;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t at = first + 24 * k;
        if (at + 24 > card.size())
            break;
        ids.push_back(readBE16(card, at + 16));
    }
    return ids;
}

// Fader channels (1-149) fed from the pool whose pool source matches get source and pool source 0.
void ReleasePoolFedChannels(TDevice& dev, const std::function<bool(std::uint16_t)>& matches)
{
    const Bytes channels = dev.GetData(stFCH);
    std::vector<int> numbers;
    for (std::size_t i = 0; i < kFaderChannelList.count(channels.size()); ++i) {
        const std::size_t at = kFaderChannelList.offset(i);
        const int number = channels[at + 20];
        if (readBE16(channels, at + 4) == kPoolFedSource + number && matches(readBE16(channels, at + 24)))
            numbers.push_back(number);
    }
    for (const int number : numbers) {
        TFaderChannel channel;
        if (GetFaderChannel(dev, number, channel) != 0) {
            channel.Source = 0;
            channel.PoolSource = 0;
            SetFaderChannel(dev, number, channel);
        }
    }
}

Bytes PackPool(const TGlobalPoolRecord& pool, std::size_t head, std::size_t line)
{
    Bytes out;
    ByteWriter w(out);
    w.u8(static_cast<std::uint8_t>(head));
    w.u8(static_cast<std::uint8_t>(line));
    w.u8(pool.Count);
    w.u8(pool.Spare);
    w.be32(pool.SourceDevice);
    w.zeros(head - kPoolHead);
    for (std::size_t i = 0; i < pool.Count; ++i) {
        const TGlobalPoolLine& l = pool.Lines[i];
        w.be16(l.LocalInput);
        w.be16(l.RemoteOutput);
        w.u8(l.Flags);
        w.u8(l.Reserve);
        w.zeros(line - kPoolLine);
    }
    return out;
}

TGlobalPoolRecord ReadPool(std::span<const std::uint8_t> payload)
{
    TGlobalPoolRecord pool;
    std::array<std::uint8_t, kPoolHead> head{};
    std::copy_n(payload.begin(), std::min<std::size_t>(payload.size(), kPoolHead), head.begin());
    pool.Spare = head[3];
    pool.SourceDevice = readBE32(head, 4);
    const std::size_t headSize = head[0];
    const std::size_t lineSize = head[1];
    const std::size_t count = std::min<std::size_t>(head[2], kMaxPoolLines);
    std::size_t i = 0;
    for (; i < count; ++i) {
        const std::size_t at = headSize + lineSize * i;
        if (at + kPoolLine > payload.size())
            break;
        pool.Lines[i] = {readBE16(payload, at), readBE16(payload, at + 2), payload[at + 4], payload[at + 5]};
    }
    pool.Count = static_cast<std::uint8_t>(i);
    return pool;
}

const bool hooksInstalled = [] {
    Hooks().TrimFixedInserts = TrimFixedInsertPoints;
    Hooks().RemovePoolLinesOfLink = RemovePoolLinesOfDeviceLink;
    return true;
}();

} // namespace

// Fixed insert points.

void SetFixedInsert(TDevice& dev, int fader, TFixedInsert& record)
{
    if (dev.IsDummy() || fader < 0)
        return;
    if (record.Source == kPreFaderSourceBase + 2 * fader)
        record.Source = 0;
    bool present = false;
    Bytes payload = EntryBlock(dev, stFixedInsert, kFixedHead, kFixedEntry, present);
    const std::size_t entry = payload[1];
    bool found = false;
    for (std::size_t at = payload[0]; payload.size() - at >= entry;) {
        if (payload[at] != fader) {
            at += entry;
            continue;
        }
        found = true;
        if (record.Source != 0) {
            payload[at + 1] = record.Option;
            writeBE16(payload, at + 2, record.Source);
            break;
        }
        EraseBytes(payload, at, entry);
    }
    if (!found && record.Source != 0) {
        Bytes bytes(entry, 0);
        bytes[0] = static_cast<std::uint8_t>(fader);
        bytes[1] = record.Option;
        writeBE16(bytes, 2, record.Source);
        const std::size_t end = payload[0] + entry * ((payload.size() - payload[0]) / entry);
        InsertBytes(payload, end, bytes);
    }
    StoreEntryBlock(dev, stFixedInsert, payload, present);
}

bool GetFixedInsert(const TDevice& dev, int fader, TFixedInsert& out)
{
    if (!dev.IsDummy() && fader >= 0) {
        bool present = false;
        const Bytes payload = EntryBlock(dev, stFixedInsert, kFixedHead, kFixedEntry, present);
        for (std::size_t at = payload[0]; payload.size() - at >= payload[1]; at += payload[1]) {
            if (payload[at] == fader) {
                out.Option = payload[at + 1];
                out.Source = readBE16(payload, at + 2);
                return true;
            }
        }
    }
    out.Fader = static_cast<std::uint8_t>(fader);
    out.Option = 0;
    out.Source = static_cast<TAudioRef>(kPreFaderSourceBase + 2 * fader);
    return false;
}

void TrimFixedInsertPoints(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    bool present = false;
    Bytes payload = EntryBlock(dev, stFixedInsert, kFixedHead, kFixedEntry, present);
    const int faders = HeaderByte(dev, dh::FaderCount);
    const std::size_t entry = payload[1];
    for (std::size_t at = payload[0]; payload.size() - at >= entry;) {
        if (payload[at] >= faders)
            EraseBytes(payload, at, entry);
        else
            at += entry;
    }
    dev.SetData(stFixedInsert, payload);
}

// Switchable insert points.

void SetSwitchableInsert(TDevice& dev, int number, TSwitchableInsert& record)
{
    if (dev.IsDummy() || number < 0)
        return;
    record.Routing = std::min(record.Routing, kMaxRoutingValue);
    const bool empty = record.Source == 0 && record.Label[0] == '\0';
    bool present = false;
    Bytes payload = EntryBlock(dev, stInsert, kSwitchHead, kSwitchEntry, present);
    const std::size_t entry = payload[1];
    bool found = false;
    const auto write = [&](std::span<std::uint8_t> e) {
        e[1] = record.Option;
        writeBE16(e, 2, record.Routing);
        writeBE16(e, 4, record.Source);
        for (std::size_t i = 0; i < 16; ++i)
            e[6 + i] = static_cast<std::uint8_t>(record.Label[i]);
    };
    for (std::size_t at = payload[0]; payload.size() - at >= entry;) {
        if (payload[at] != number) {
            at += entry;
            continue;
        }
        found = true;
        if (!empty) {
            write(std::span(payload).subspan(at, entry));
            break;
        }
        EraseBytes(payload, at, entry);
    }
    if (!found && !empty) {
        Bytes bytes(entry, 0);
        bytes[0] = static_cast<std::uint8_t>(number);
        write(bytes);
        const std::size_t end = payload[0] + entry * ((payload.size() - payload[0]) / entry);
        InsertBytes(payload, end, bytes);
    }
    StoreEntryBlock(dev, stInsert, payload, present);
}

bool GetSwitchableInsert(const TDevice& dev, int number, TSwitchableInsert& out)
{
    if (!dev.IsDummy() && number >= 0) {
        bool present = false;
        const Bytes payload = EntryBlock(dev, stInsert, kSwitchHead, kSwitchEntry, present);
        for (std::size_t at = payload[0]; payload.size() - at >= payload[1]; at += payload[1]) {
            if (payload[at] == number) {
                out.Option = payload[at + 1];
                out.Routing = readBE16(payload, at + 2);
                out.Source = readBE16(payload, at + 4);
                for (std::size_t i = 0; i < 16; ++i)
                    out.Label[i] = static_cast<char>(payload[at + 6 + i]);
                return true;
            }
        }
    }
    out = TSwitchableInsert{};
    out.Number = static_cast<std::uint8_t>(number);
    const std::string label = "Insert " + std::to_string(number + 1);
    std::copy_n(label.begin(), std::min(label.size(), out.Label.size()), out.Label.begin());
    return false;
}

// Global pool.

TGlobalPoolRecord& InitGlobalPoolLine(TGlobalPoolRecord& record)
{
    record = TGlobalPoolRecord{};
    return record;
}

int GetGlobalPoolLines(const TDevice& dev, TGlobalPoolRecord& out)
{
    if (dev.IsDummy())
        return 0;
    Bytes payload;
    if (!dev.GetData(stGlobalPool, payload))
        return 0;
    out = ReadPool(payload);
    return 1;
}

void SetGlobalPoolLines(TDevice& dev, TGlobalPoolRecord& pool)
{
    if (dev.IsDummy())
        return;
    Bytes payload;
    const bool present = dev.GetData(stGlobalPool, payload);
    const std::uint32_t oldSource = present ? ReadPool(payload).SourceDevice : 0;
    if (pool.SourceDevice != oldSource)
        ClearPoolSourceRefs(dev);
    if (pool.SourceDevice == 0) {
        if (present)
            dev.SetData(stGlobalPool, {});
        return;
    }
    pool.Count = std::min<std::uint8_t>(pool.Count, kMaxPoolLines);
    std::size_t head = kPoolHead;
    std::size_t line = kPoolLine;
    if (payload.size() >= 2 && payload[0] >= kPoolHead && payload[1] >= kPoolLine) {
        head = payload[0];
        line = payload[1];
    }
    dev.SetData(stGlobalPool, PackPool(pool, head, line));
}

bool FixGlobalPoolLines(TDevice& dev)
{
    Bytes payload;
    if (!dev.GetData(stGlobalPool, payload) || (payload.size() >= 2 && payload[0] == kPoolHead && payload[1] == kPoolLine))
        return false;
    TGlobalPoolRecord pool = ReadPool(payload);
    for (TGlobalPoolLine& line : pool.Lines) {
        line.Flags = 0;
        line.Reserve = 0;
    }
    dev.SetData(stGlobalPool, PackPool(pool, kPoolHead, kPoolLine));
    return true;
}

void DeletePoolLine(TGlobalPoolRecord& pool, int index)
{
    const int count = std::min<int>(pool.Count, kMaxPoolLines);
    if (index < 0 || index >= count)
        return;
    std::copy(pool.Lines.begin() + index + 1, pool.Lines.begin() + count, pool.Lines.begin() + index);
    pool.Lines[static_cast<std::size_t>(count - 1)] = {};
    pool.Count = static_cast<std::uint8_t>(count - 1);
}

void AddPoolLine(TGlobalPoolRecord& pool)
{
    const int count = std::min<int>(pool.Count, kMaxPoolLines);
    if (count >= kMaxPoolLines)
        return;
    pool.Lines[static_cast<std::size_t>(count)] = {};
    pool.Count = static_cast<std::uint8_t>(count + 1);
}

bool PoolUsesLocalInput(const TGlobalPoolRecord& pool, std::uint16_t input)
{
    const int count = std::min<int>(pool.Count, kMaxPoolLines);
    return std::any_of(pool.Lines.begin(), pool.Lines.begin() + count,
                       [input](const TGlobalPoolLine& l) { return l.LocalInput == input; });
}

bool PoolUsesRemoteOutput(const TGlobalPoolRecord& pool, std::uint16_t output)
{
    const int count = std::min<int>(pool.Count, kMaxPoolLines);
    return std::any_of(pool.Lines.begin(), pool.Lines.begin() + count,
                       [output](const TGlobalPoolLine& l) { return l.RemoteOutput == output; });
}

bool DeletePoolLineOfInput(TGlobalPoolRecord& pool, std::uint16_t input)
{
    const int count = std::min<int>(pool.Count, kMaxPoolLines);
    for (int i = 0; i < count; ++i) {
        if (pool.Lines[static_cast<std::size_t>(i)].LocalInput == input) {
            DeletePoolLine(pool, i);
            return true;
        }
    }
    return false;
}

void RemovePoolLinesOfDeviceLink(TDevice& dev, const TDeviceLinkRecord& record)
{
    const TDeviceLink link = DecodeDeviceLink(record);
    std::vector<std::uint16_t> inputs;
    if (link.Type == 1)
        inputs.push_back(link.TPort);
    else if (link.Type == 2)
        inputs = SlotChannels(dev.GetSetupData(link.TSlot), true);
    for (const std::uint16_t input : inputs) {
        TGlobalPoolRecord pool;
        Bytes payload;
        if (!dev.GetData(stGlobalPool, payload))
            return;
        pool = ReadPool(payload);
        if (DeletePoolLineOfInput(pool, input))
            SetGlobalPoolLines(dev, pool);
    }
}

void ClearPoolSourceRefs(TDevice& dev)
{
    ReleasePoolFedChannels(dev, [](std::uint16_t) { return true; });
    for (int l = 0; l < 10; ++l) {
        TSourceList list;
        if (GetSourceList(dev, l, list) == 0)
            continue;
        bool changed = false;
        for (std::size_t k = 0; k < std::min<std::size_t>(list.Count, list.Entries.size()); ++k) {
            TSourceListEntry& e = list.Entries[k];
            if (((e.Left | e.Right) & 0x8000) != 0) {
                e.Left = 0;
                e.Right = 0;
                changed = true;
            }
        }
        if (changed)
            SetSourceList(dev, l, list);
    }
    ForEachModuleSlot([&dev](std::uint8_t slot) {
        UpdateUnsharedKeyRecords(dev, slot, [](std::span<std::uint8_t> key) {
            if (key[1] == 0 || key[kr::Kind] != 1 || ((readBE16(key, 38) | readBE16(key, 40)) & 0x8000) == 0)
                return false;
            writeBE16(key, 38, 0);
            writeBE16(key, 40, 0);
            key[34] &= 0xFE;
            return true;
        });
    });
}

bool IsRotarySelectorOnGlobalPool(const TGlobalPoolRecord& pool, int position)
{
    const int count = std::min<int>(pool.Count, kMaxPoolLines);
    return std::any_of(pool.Lines.begin(), pool.Lines.begin() + count, [position](const TGlobalPoolLine& l) {
        return (l.Flags & 0x02) != 0 && (l.Reserve >> 4) == position + 1;
    });
}

bool GlobalPoolUsesBus(const TGlobalPoolRecord& pool, int bus)
{
    const int count = std::min<int>(pool.Count, kMaxPoolLines);
    return std::any_of(pool.Lines.begin(), pool.Lines.begin() + count, [bus](const TGlobalPoolLine& l) {
        return (l.Flags & 0x01) != 0 && (l.Reserve & 0x0F) == bus + 1;
    });
}

int IsSourceListOnGlobalPool(TDevice& dev, int list)
{
    Bytes payload;
    if (!dev.GetData(stGlobalPool, payload))
        return 0;
    const TGlobalPoolRecord pool = ReadPool(payload);
    for (int position = 0; position < 30; ++position)
        if (GetRotSelSourceList(dev, position) == list && IsRotarySelectorOnGlobalPool(pool, position))
            return 1;
    return 0;
}

int GetCardTypeOfChannel(const TDevice& dev, std::uint16_t channel)
{
    const int slot = ((channel >> 8) & 0x1F) - 1;
    if (slot < 0)
        return 0;
    const Bytes card = dev.GetSetupData(static_cast<std::uint8_t>(slot));
    return card.size() >= 2 ? readBE16(card, 0) : 0;
}

void ClearSlotReferences(TProject& project, std::uint32_t deviceId, int slot, int mask, int value)
{
    const int index = project.IndexOfDevice(deviceId);
    if (index < 0 || slot < 0 || slot > 255)
        return;
    TDevice& dev = *project.Device(index);
    DeferredFitting deferred(dev);
    const Bytes card = dev.GetSetupData(static_cast<std::uint8_t>(slot));
    const int type = card.size() >= 2 ? readBE16(card, 0) : 0;
    std::vector<std::uint16_t> channels;
    switch (type) {
    case 111: case 122: case 123: case 222: case 223: {
        const Bytes links = project.GetProjData(pstDeviceLinks);
        std::vector<int> ids;
        for (std::size_t at = 0; at + kDeviceLinkSize <= links.size(); at += kDeviceLinkSize) {
            const TDeviceLink l = DecodeDeviceLink(std::span<const std::uint8_t, kDeviceLinkSize>(links.data() + at, kDeviceLinkSize));
            if ((l.SDev == index && l.SSlot == slot) || (l.TDev == index && l.TSlot == slot))
                ids.push_back(l.ID);
        }
        for (const int id : ids)
            DeleteDeviceLink(project, id);
        channels = SlotChannels(card, false);
        break;
    }
    case kDSPCard:
        channels = SlotChannels(card, true);
        break;
    default:
        return;
    }
    for (const std::uint16_t c : channels) {
        if ((c & mask) == (value & mask))
            CallAdaptAudioSources(dev, c, 0);
        for (int i = 0; i < project.DeviceCount(); ++i) {
            TDevice& other = *project.Device(i);
            TGlobalPoolRecord pool;
            if (GetGlobalPoolLines(other, pool) != 0 && pool.SourceDevice == deviceId)
                ReleasePoolFedChannels(other, [c](std::uint16_t poolSource) { return poolSource == c; });
        }
    }
}

} // namespace kvr::model
