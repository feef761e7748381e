#include "model/faderchannels.h"

#include "kvrdata/byteorder.h"
#include "model/recordtext.h"

#include <algorithm>

namespace kvr::model {

TFaderChannel DecodeFaderChannel(std::span<const std::uint8_t> record)
{
    TFaderChannel c;
    ByteReader r(record);
    ReadLabel(c.ShortName, r.bytes(4));
    c.Source = r.be16();
    c.MonitorL = r.be16();
    c.MonitorR = r.be16();
    c.LampSource = r.be16();
    c.ReadySignal = r.be16();
    c.MuteCondition = r.be16();
    c.OutputMute = r.u8();
    c.Options = r.u8();
    c.PoolFlags = r.u8();
    c.FaderStartLevel = r.u8();
    c.Number = r.u8();
    c.GlobalResource = r.u8();
    c.LampSource2 = r.be16();
    c.PoolSource = r.be16();
    c.ChannelTimer = r.be16();
    return c;
}

std::vector<std::uint8_t> EncodeFaderChannel(const TFaderChannel& c)
{
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    for (char ch : c.ShortName)
        w.u8(static_cast<std::uint8_t>(ch));
    w.be16(c.Source);
    w.be16(c.MonitorL);
    w.be16(c.MonitorR);
    w.be16(c.LampSource);
    w.be16(c.ReadySignal);
    w.be16(c.MuteCondition);
    w.u8(c.OutputMute);
    w.u8(c.Options);
    w.u8(c.PoolFlags);
    w.u8(c.FaderStartLevel);
    w.u8(c.Number);
    w.u8(c.GlobalResource);
    w.be16(c.LampSource2);
    w.be16(c.PoolSource);
    w.be16(c.ChannelTimer);
    return out;
}

TFaderChannel NewFaderChannel(int number, bool poolNamesExist)
{
    TFaderChannel c;
    SetLabel(c.ShortName, "New");
    c.ReadySignal = 0x3FFF;
    c.Number = static_cast<std::uint8_t>(number);
    c.ChannelTimer = static_cast<std::uint16_t>(kFaderStartChannelBase + number);
    c.PoolFlags = poolNamesExist ? 1 : 0;
    return c;
}

std::optional<std::size_t> FindFaderChannel(std::span<const std::uint8_t> payload, int number)
{
    for (std::size_t i = 0; i < kFaderChannelList.count(payload.size()); ++i) {
        const std::size_t at = kFaderChannelList.offset(i);
        if (payload[at + 20] == number)
            return at;
    }
    return std::nullopt;
}

int FreeFaderChannelNumber(std::span<const std::uint8_t> payload)
{
    const std::size_t count = kFaderChannelList.count(payload.size());
    int c = 1;
    for (std::size_t i = 0; i < count; ++i) {
        const int number = payload[kFaderChannelList.offset(i) + 20];
        if (number >= c)
            c = number + 1;
    }
    if (c <= kMaxFaderChannelNumber)
        return c;
    std::array<bool, kMaxFaderChannelNumber + 1> used{};
    for (std::size_t i = 0; i < count; ++i) {
        const int number = payload[kFaderChannelList.offset(i) + 20];
        if (number <= kMaxFaderChannelNumber)
            used[static_cast<std::size_t>(number)] = true;
    }
    for (int n = 1; n <= kMaxFaderChannelNumber; ++n)
        if (!used[static_cast<std::size_t>(n)])
            return n;
    return kNoFaderChannelNumber;
}

std::vector<RecordSpan> FaderRecords(std::span<const std::uint8_t> payload)
{
    return WalkRecords(payload, 4, [](std::span<const std::uint8_t> p, std::size_t at) {
        return std::size_t{4} + p[at + 3];
    });
}

std::optional<TFader> FindFader(std::span<const std::uint8_t> payload, int fader)
{
    for (const auto& r : FaderRecords(payload)) {
        if (payload[r.offset + 2] != fader)
            continue;
        TFader f;
        f.FaderChannel = payload[r.offset] == 0xFF ? 0 : payload[r.offset];
        f.GlobalPot = payload[r.offset + 1];
        f.Fader = payload[r.offset + 2];
        f.Count = static_cast<std::uint8_t>(std::min<std::size_t>(payload[r.offset + 3], kMaxFaderChain));
        std::copy_n(payload.begin() + static_cast<std::ptrdiff_t>(r.offset + 4), f.Count, f.Chain.begin());
        return f;
    }
    return std::nullopt;
}

void PutFader(std::vector<std::uint8_t>& payload, int fader, const TFader& record)
{
    const std::size_t n = std::min<std::size_t>(record.Count, kMaxFaderChain);
    std::vector<std::uint8_t> bytes{record.FaderChannel, record.GlobalPot, static_cast<std::uint8_t>(fader),
                                    static_cast<std::uint8_t>(n)};
    bytes.insert(bytes.end(), record.Chain.begin(), record.Chain.begin() + static_cast<std::ptrdiff_t>(n));
    const auto records = FaderRecords(payload);
    for (const auto& r : records) {
        if (payload[r.offset + 2] == fader) {
            EraseBytes(payload, r.offset, r.length);
            InsertBytes(payload, r.offset, bytes);
            return;
        }
    }
    InsertBytes(payload, RecordsEnd(records), bytes);
}

bool MoveChainEntry(std::vector<std::uint8_t>& payload, int fader, int from, int to)
{
    for (const auto& r : FaderRecords(payload)) {
        if (payload[r.offset + 2] != fader)
            continue;
        const int n = payload[r.offset + 3];
        if (from < 0 || to < 0 || from >= n || to >= n || from == to)
            return false;
        auto chain = payload.begin() + static_cast<std::ptrdiff_t>(r.offset + 4);
        if (from < to)
            std::rotate(chain + from, chain + from + 1, chain + to + 1);
        else
            std::rotate(chain + to, chain + from, chain + from + 1);
        return true;
    }
    return false;
}

std::optional<std::size_t> FindPoolName(std::span<const std::uint8_t> payload, int pool)
{
    for (std::size_t i = 0; i < kPoolNameList.count(payload.size()); ++i)
        if (payload[kPoolNameList.offset(i)] == pool)
            return kPoolNameList.offset(i);
    return std::nullopt;
}

bool PutPoolName(std::vector<std::uint8_t>& payload, int pool, std::string_view name)
{
    const auto at = FindPoolName(payload, pool);
    if (!at) {
        std::vector<std::uint8_t> record(kPoolNameRecordSize, 0);
        record[0] = static_cast<std::uint8_t>(pool);
        SetFieldText(std::span(record).subspan(1, 10), name);
        InsertBytes(payload, kPoolNameList.end(payload.size()), record);
        return false;
    }
    if (name.empty()) {
        EraseBytes(payload, *at, kPoolNameRecordSize);
        payload.resize(kPoolNameList.end(payload.size()));
        return true;
    }
    SetFieldText(std::span(payload).subspan(*at + 1, 10), name);
    payload[*at + 8] = 0; // a renamed pool keeps 7 characters
    payload.resize(kPoolNameList.end(payload.size()));
    return false;
}

} // namespace kvr::model
