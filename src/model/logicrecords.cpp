#include "model/logicrecords.h"

#include "kvrdata/byteorder.h"
#include "model/recordtext.h"

#include <algorithm>
#include <cstdio>

namespace kvr::model {

namespace {

constexpr std::size_t kLogicFunctionHead = 12;
constexpr std::size_t kScriptHead = 14;
constexpr std::size_t kScriptStride = 16; // a command's 14 bytes plus its 2 filler bytes

std::array<char, 10> NumberedLabel(const char* format, std::size_t number)
{
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<int>(number));
    std::array<char, 10> label{};
    SetLabel(label, text);
    return label;
}

void PutLabel(ByteWriter& w, const std::array<char, 10>& label)
{
    for (char c : label)
        w.u8(static_cast<std::uint8_t>(c));
}

} // namespace

std::vector<RecordSpan> LogicFunctionRecords(std::span<const std::uint8_t> payload)
{
    return WalkRecords(payload, 1, [](std::span<const std::uint8_t> p, std::size_t at) {
        return kLogicFunctionHead + 2 * static_cast<std::size_t>(p[at] & 0x3F);
    });
}

std::vector<RecordSpan> ScriptRecords(std::span<const std::uint8_t> payload)
{
    return WalkRecords(payload, kScriptHead, [](std::span<const std::uint8_t> p, std::size_t at) {
        return kScriptHead + kScriptStride * static_cast<std::size_t>(p[at + 11]);
    });
}

FixedList LevelDetectList(std::span<const std::uint8_t> payload)
{
    return FixedList{2, payload.size() >= 2 ? payload[0] : std::size_t{0}};
}

TLogicFunction DecodeLogicFunction(std::span<const std::uint8_t> record)
{
    TLogicFunction f;
    ByteReader r(record);
    f.Head = r.u8();
    f.InterlockBus = r.u8();
    ReadLabel(f.Label, r.bytes(10));
    for (int j = 0; j < f.SourceCount() && r.ok(); ++j)
        f.Source[static_cast<std::size_t>(j)] = r.be16();
    return f;
}

std::vector<std::uint8_t> EncodeLogicFunction(const TLogicFunction& f)
{
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    w.u8(f.Head);
    w.u8(f.InterlockBus);
    PutLabel(w, f.Label);
    for (int j = 0; j < f.SourceCount(); ++j)
        w.be16(f.Source[static_cast<std::size_t>(j)]);
    return out;
}

TLogicDelay DecodeLogicDelay(std::span<const std::uint8_t> record)
{
    TLogicDelay d;
    ByteReader r(record);
    ReadLabel(d.Label, r.bytes(10));
    d.Delay = r.be16();
    d.ImpulseLength = r.be16();
    d.Source = r.be16();
    return d;
}

std::vector<std::uint8_t> EncodeLogicDelay(const TLogicDelay& d)
{
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    PutLabel(w, d.Label);
    w.be16(d.Delay);
    w.be16(d.ImpulseLength);
    w.be16(d.Source);
    return out;
}

TScript DecodeScript(std::span<const std::uint8_t> record)
{
    TScript s;
    ByteReader r(record);
    ReadLabel(s.Label, r.bytes(10));
    r.u8(); // spare, read back as 0
    s.Count = r.u8();
    s.Source = r.be16();
    for (std::size_t k = 0; k < s.Count && r.ok(); ++k) {
        TScriptCommand& c = s.Commands[k];
        c.Length = r.u8();
        r.u8();
        c.ID = r.le32();
        const auto data = r.bytes(8);
        std::copy(data.begin(), data.end(), c.Data.begin());
    }
    return s;
}

std::vector<std::uint8_t> EncodeScript(const TScript& s)
{
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    PutLabel(w, s.Label);
    w.u8(0);
    w.u8(s.Count);
    w.be16(s.Source);
    for (std::size_t k = 0; k < s.Count; ++k) {
        const TScriptCommand& c = s.Commands[k];
        w.u8(c.Length);
        w.u8(0);
        w.le32(c.ID);
        w.bytes(c.Data);
    }
    w.zeros(2 * static_cast<std::size_t>(s.Count));
    return out;
}

TLevelDetect DecodeLevelDetect(std::span<const std::uint8_t> record)
{
    // Missing bytes of a short (older) record read as 0.
    std::array<std::uint8_t, kLevelDetectSize> b{};
    std::copy_n(record.begin(), std::min(record.size(), b.size()), b.begin());
    TLevelDetect l;
    ReadLabel(l.Label, std::span<const std::uint8_t>(b).subspan(0, 10));
    l.Source = readBE16(b, 10);
    l.Level = b[12];
    l.Stereo = b[13];
    l.HoldTime = readBE16(b, 14);
    l.Correlation = static_cast<std::int8_t>(b[16]);
    l.Attack = b[17];
    l.Release = b[18];
    return l;
}

void EncodeLevelDetect(const TLevelDetect& l, std::span<std::uint8_t> record)
{
    std::array<std::uint8_t, kLevelDetectSize> b{};
    WriteLabel(std::span<std::uint8_t>(b).subspan(0, 10), l.Label);
    writeBE16(b, 10, l.Source);
    b[12] = l.Level;
    b[13] = l.Stereo;
    writeBE16(b, 14, l.HoldTime);
    b[16] = static_cast<std::uint8_t>(l.Correlation);
    b[17] = l.Attack;
    b[18] = l.Release;
    b[19] = 0;
    std::copy_n(b.begin(), std::min(record.size(), b.size()), record.begin());
}

void AppendLogicFunction(std::vector<std::uint8_t>& payload)
{
    const auto records = LogicFunctionRecords(payload);
    TLogicFunction f;
    f.Label = NumberedLabel("Logic %d", records.size() + 1);
    InsertBytes(payload, RecordsEnd(records), EncodeLogicFunction(f));
}

void ReplaceLogicFunction(std::vector<std::uint8_t>& payload, std::size_t index, const TLogicFunction* f)
{
    const auto records = LogicFunctionRecords(payload);
    if (index >= records.size())
        return;
    EraseBytes(payload, records[index].offset, records[index].length);
    if (f != nullptr)
        InsertBytes(payload, records[index].offset, EncodeLogicFunction(*f));
}

void AppendLogicDelay(std::vector<std::uint8_t>& payload)
{
    payload.resize(kLogicDelayList.end(payload.size())); // any remainder is cut on writing
    TLogicDelay d;
    d.Label = NumberedLabel("Delay %d", payload.size() / kLogicDelaySize + 1);
    d.Delay = 10;
    d.ImpulseLength = 10;
    InsertBytes(payload, payload.size(), EncodeLogicDelay(d));
}

void AppendScript(std::vector<std::uint8_t>& payload)
{
    const auto records = ScriptRecords(payload);
    TScript s;
    s.Label = NumberedLabel("Script %d", records.size() + 1);
    InsertBytes(payload, RecordsEnd(records), EncodeScript(s));
}

void ReplaceScript(std::vector<std::uint8_t>& payload, std::size_t index, const TScript& s)
{
    const auto records = ScriptRecords(payload);
    if (index >= records.size())
        return;
    EraseBytes(payload, records[index].offset, records[index].length);
    InsertBytes(payload, records[index].offset, EncodeScript(s));
}

void EraseRecord(std::vector<std::uint8_t>& payload, const std::vector<RecordSpan>& records, std::size_t index)
{
    if (index < records.size())
        EraseBytes(payload, records[index].offset, records[index].length);
}

bool AppendLevelDetect(std::vector<std::uint8_t>& payload)
{
    if (payload.empty())
        payload = {static_cast<std::uint8_t>(kLevelDetectSize), 0};
    const FixedList list = LevelDetectList(payload);
    if (list.stride == 0)
        return false;
    const std::size_t at = list.end(payload.size());
    TLevelDetect l;
    l.Label = NumberedLabel("Level %d", payload.size() / list.stride + 1);
    l.HoldTime = 10;
    l.Release = 20;
    std::vector<std::uint8_t> record(list.stride, 0);
    EncodeLevelDetect(l, record);
    InsertBytes(payload, at, record);
    return true;
}

int ScriptCommandTotal(std::span<const std::uint8_t> payload)
{
    int total = 0;
    for (const auto& r : ScriptRecords(payload))
        total += payload[r.offset + 11];
    return total;
}

std::string ReadMuteLogicName(std::span<const std::uint8_t> payload, int index)
{
    const std::size_t at = static_cast<std::size_t>(index) * 16;
    if (index >= 0 && index < 5 && at < payload.size())
        return FieldText(payload.subspan(at, std::min<std::size_t>(16, payload.size() - at)));
    char text[32];
    std::snprintf(text, sizeof text, "MuteLogic %d", index + 1);
    return text;
}

void PutMuteLogicName(std::vector<std::uint8_t>& payload, int index, std::span<const std::uint8_t, 16> name)
{
    if (index < 0 || index >= 5)
        return;
    if (payload.empty()) {
        payload.assign(kMuteLogicNamesSize, 0);
        for (int i = 0; i < 5; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, "Mute Logic %d", i + 1);
            SetFieldText(std::span<std::uint8_t>(payload).subspan(static_cast<std::size_t>(i) * 16, 16), text);
        }
    }
    payload.resize(std::max(payload.size(), kMuteLogicNamesSize), 0);
    std::copy(name.begin(), name.end(), payload.begin() + index * 16);
    payload.resize(kMuteLogicNamesSize);
}

std::vector<std::uint8_t> ConvertOldLevelDetects(std::span<const std::uint8_t> old)
{
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(kLevelDetectSize), 0};
    const FixedList list{0, kOldLevelDetectSize};
    for (std::size_t i = 0; i < list.count(old.size()); ++i) {
        const auto record = old.subspan(list.offset(i), kOldLevelDetectSize);
        out.insert(out.end(), record.begin(), record.end());
        out.insert(out.end(), kLevelDetectSize - kOldLevelDetectSize, 0);
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> WidenLevelDetects(std::span<const std::uint8_t> block)
{
    const FixedList list = LevelDetectList(block);
    if (list.stride == 0 || list.stride >= kLevelDetectSize)
        return std::nullopt;
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(kLevelDetectSize), 0};
    for (std::size_t i = 0; i < list.count(block.size()); ++i) {
        std::array<std::uint8_t, kLevelDetectSize> record{};
        const auto old = block.subspan(list.offset(i), list.stride);
        std::copy(old.begin(), old.end(), record.begin());
        record[17] = 0;
        record[18] = 20;
        record[19] = 0;
        out.insert(out.end(), record.begin(), record.end());
    }
    return out;
}

} // namespace kvr::model
