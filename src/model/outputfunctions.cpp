#include "model/outputfunctions.h"

#include <algorithm>

#include "kvrdata/byteorder.h"
#include "model/adaptationhooks.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/modelutil.h"

namespace kvr::model {

namespace {

constexpr std::size_t kOutFktHead = 12;
constexpr std::size_t kCondSize = 10;
constexpr std::size_t kProcHead = 14;

template <std::size_t N>
void CopyLabelIn(std::array<char, N>& label, std::span<const std::uint8_t> field)
{
    for (std::size_t i = 0; i < N; ++i)
        label[i] = static_cast<char>(field[i]);
}

template <std::size_t N>
void CopyLabelOut(ByteWriter& w, const std::array<char, N>& label)
{
    for (const char c : label)
        w.u8(static_cast<std::uint8_t>(c));
}

// Offsets of the function entries of one stored fixed-processing record (relative to it).
std::vector<RecordSpan> FunctionEntries(std::span<const std::uint8_t> record)
{
    std::vector<RecordSpan> out;
    if (record.size() < kProcHead)
        return out;
    const int m = record[13];
    std::size_t at = kProcHead;
    for (int f = 0; f < m; ++f) {
        if (record.size() - at < 2)
            break;
        const std::size_t length = 2 + 4 * static_cast<std::size_t>(record[at + 1]);
        if (length > record.size() - at)
            break;
        out.push_back({at, length});
        at += length;
    }
    return out;
}

} // namespace

std::vector<RecordSpan> WalkOutputFunctions(std::span<const std::uint8_t> payload)
{
    std::vector<RecordSpan> out;
    std::size_t at = 0;
    while (payload.size() - at >= kOutFktHead) {
        const std::size_t length = kOutFktHead + kCondSize * payload[at + 10];
        if (length > payload.size() - at)
            break;
        out.push_back({at, length});
        at += length;
    }
    return out;
}

std::vector<RecordSpan> WalkFixedProcessings(std::span<const std::uint8_t> payload, int maxCount)
{
    std::vector<RecordSpan> out;
    std::size_t at = 0;
    for (int i = 0; i < maxCount && payload.size() - at >= kProcHead; ++i) {
        const int m = payload[at + 13];
        std::size_t length = kProcHead;
        bool whole = true;
        for (int f = 0; f < m && whole; ++f) {
            if (payload.size() - at - length < 2) {
                whole = false;
                break;
            }
            length += 2 + 4 * static_cast<std::size_t>(payload[at + length + 1]);
            whole = length <= payload.size() - at;
        }
        if (!whole)
            break;
        out.push_back({at, length});
        at += length;
    }
    return out;
}

std::vector<std::uint8_t> FixedProcessingCodes(std::span<const std::uint8_t> record)
{
    std::vector<std::uint8_t> codes;
    for (const RecordSpan& f : FunctionEntries(record))
        codes.push_back(record[f.offset]);
    return codes;
}

std::size_t CalcFixedProcesSize(std::span<const std::uint8_t> payload, int count)
{
    const auto records = WalkFixedProcessings(payload, count);
    return records.empty() ? 0 : records.back().offset + records.back().length;
}

bool DecodeOutputFunction(std::span<const std::uint8_t> record, TOutputFunction& out)
{
    if (record.size() < kOutFktHead)
        return false;
    out = TOutputFunction{};
    CopyLabelIn(out.Label, record.first(10));
    const std::size_t n = std::min<std::size_t>(record[10], (record.size() - kOutFktHead) / kCondSize);
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t at = kOutFktHead + kCondSize * k;
        TOutFktCondition c;
        c.ConditionID = readBE16(record, at);
        c.Source1 = readBE16(record, at + 2);
        c.Source2 = readBE16(record, at + 4);
        std::copy_n(record.begin() + static_cast<std::ptrdiff_t>(at + 6), 4, c.Tail.begin());
        out.Cond.push_back(c);
    }
    return true;
}

std::vector<std::uint8_t> EncodeOutputFunction(const TOutputFunction& fkt)
{
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    CopyLabelOut(w, fkt.Label);
    const std::size_t n = std::min<std::size_t>(fkt.Cond.size(), 255);
    w.u8(static_cast<std::uint8_t>(n));
    w.u8(0);
    for (std::size_t k = 0; k < n; ++k) {
        const TOutFktCondition& c = fkt.Cond[k];
        w.be16(c.ConditionID);
        w.be16(c.Source1);
        w.be16(c.Source2);
        w.bytes(c.Tail);
    }
    return out;
}

bool DecodeFixedProcessing(std::span<const std::uint8_t> record, TFixedProcessing& out)
{
    if (record.size() < kProcHead)
        return false;
    out = TFixedProcessing{};
    CopyLabelIn(out.Label, record.first(10));
    out.Source = readBE16(record, 10);
    out.Flags = record[12];
    for (const RecordSpan& f : FunctionEntries(record)) {
        if (out.Functions.size() >= static_cast<std::size_t>(kMaxChainFunctions))
            break;
        TDSPFunctionEntry e;
        e.Code = record[f.offset];
        const int p = record[f.offset + 1];
        e.ParamCount = static_cast<std::uint8_t>(std::min(p, kMaxFunctionParams));
        for (int k = 0; k < e.ParamCount; ++k)
            e.Params[static_cast<std::size_t>(k)] = readBE32(record, f.offset + 2 + 4 * static_cast<std::size_t>(k));
        out.Functions.push_back(e);
    }
    return true;
}

std::vector<std::uint8_t> EncodeFixedProcessing(const TFixedProcessing& proc)
{
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    CopyLabelOut(w, proc.Label);
    w.be16(proc.Source);
    w.u8(proc.Flags);
    const std::size_t m = std::min<std::size_t>(proc.Functions.size(), kMaxChainFunctions);
    w.u8(static_cast<std::uint8_t>(m));
    for (std::size_t f = 0; f < m; ++f) {
        const TDSPFunctionEntry& e = proc.Functions[f];
        const int p = std::min<int>(e.ParamCount, kMaxFunctionParams);
        w.u8(e.Code);
        w.u8(static_cast<std::uint8_t>(p));
        for (int k = 0; k < p; ++k)
            w.be32(e.Params[static_cast<std::size_t>(k)]);
    }
    return out;
}

// Output functions.

void AddOutputFunction(TDevice& dev)
{
    if (dev.IsDummy())
        return;
    const int count = HeaderByte(dev, dh::OutFktCount);
    if (count >= 255)
        return;
    FittingAtEnd fitting(dev);
    std::vector<std::uint8_t> payload = dev.GetData(stOutFkt);
    const auto records = WalkOutputFunctions(payload);
    std::vector<std::uint8_t> record(kOutFktHead + kCondSize, 0);
    WriteFixedText(record, 0, 10, "OutFkt " + std::to_string(count + 1), 10);
    record[10] = 1;
    InsertBytes(payload, records.empty() ? 0 : records.back().offset + records.back().length, record);
    if (!dev.SetData(stOutFkt, payload))
        return;
    dev.FAudioSourcesChanged = true;
    SetHeaderCount(dev, dh::OutFktCount, count + 1);
}

int GetOutputFunction(const TDevice& dev, int index, TOutputFunction& out)
{
    if (dev.IsDummy() || index < 0)
        return 0;
    const std::vector<std::uint8_t> payload = dev.GetData(stOutFkt);
    const auto records = WalkOutputFunctions(payload);
    if (static_cast<std::size_t>(index) >= records.size())
        return 0;
    const RecordSpan r = records[static_cast<std::size_t>(index)];
    return DecodeOutputFunction(std::span(payload).subspan(r.offset, r.length), out) ? 1 : 0;
}

void SetOutputFunction(TDevice& dev, int index, const TOutputFunction& fkt)
{
    if (dev.IsDummy() || index < 0)
        return;
    std::vector<std::uint8_t> payload = dev.GetData(stOutFkt);
    const auto records = WalkOutputFunctions(payload);
    if (static_cast<std::size_t>(index) >= records.size())
        return;
    const RecordSpan r = records[static_cast<std::size_t>(index)];
    EraseBytes(payload, r.offset, r.length);
    InsertBytes(payload, r.offset, EncodeOutputFunction(fkt));
    if (!dev.SetData(stOutFkt, payload))
        return;
    dev.FAudioSourcesChanged = true;
    dev.CheckDSPResources(dev.FFitOptions);
}

void DeleteOutputFunction(TDevice& dev, int index)
{
    if (dev.IsDummy() || index < 0)
        return;
    FittingAtEnd fitting(dev);
    std::vector<std::uint8_t> payload = dev.GetData(stOutFkt);
    const auto records = WalkOutputFunctions(payload);
    if (static_cast<std::size_t>(index) >= records.size())
        return;
    const RecordSpan r = records[static_cast<std::size_t>(index)];
    EraseBytes(payload, r.offset, r.length);
    if (!dev.SetData(stOutFkt, payload))
        return;
    dev.FAudioSourcesChanged = true;
    SetHeaderCount(dev, dh::OutFktCount, HeaderByte(dev, dh::OutFktCount) - 1);
    CallAdaptAudioSources(dev, kOutFktSourceBase + index, 0);
}

void MoveOutputFunctionCondition(TDevice& dev, int index, int from, int to)
{
    TOutputFunction fkt;
    if (GetOutputFunction(dev, index, fkt) == 0)
        return;
    const int n = static_cast<int>(fkt.Cond.size());
    if (from < 0 || to < 0 || from >= n || to >= n || from == to)
        return;
    const TOutFktCondition moved = fkt.Cond[static_cast<std::size_t>(from)];
    fkt.Cond.erase(fkt.Cond.begin() + from);
    fkt.Cond.insert(fkt.Cond.begin() + to, moved);
    std::vector<std::uint8_t> payload = dev.GetData(stOutFkt);
    const RecordSpan r = WalkOutputFunctions(payload)[static_cast<std::size_t>(index)];
    // Same length: the conditions are rewritten in place, byte 11 keeps its stored value.
    const auto bytes = EncodeOutputFunction(fkt);
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(kOutFktHead), bytes.end(),
              payload.begin() + static_cast<std::ptrdiff_t>(r.offset + kOutFktHead));
    dev.SetData(stOutFkt, payload);
}

// Fixed processings.

namespace {

// An image that still carries the old layout loses it (its contents are not converted).
void DropOldProcessings(TDevice& dev)
{
    std::vector<std::uint8_t> old;
    if (!dev.GetData(stOldProc, old))
        return;
    dev.SetData(stOldProc, {});
    SetHeaderCount(dev, dh::FixedProcCount, 0);
}

} // namespace

int AddFixedProcessing(TDevice& dev)
{
    if (dev.IsDummy())
        return 0;
    const int count = HeaderByte(dev, dh::FixedProcCount);
    if (count >= 255)
        return count;
    FittingAtEnd fitting(dev);
    std::vector<std::uint8_t> payload = dev.GetData(stProc);
    std::vector<std::uint8_t> record(kProcHead, 0);
    WriteFixedText(record, 0, 10, "Proc " + std::to_string(count + 1), 10);
    record[12] = 0x80;
    InsertBytes(payload, CalcFixedProcesSize(payload, count), record);
    if (!dev.SetData(stProc, payload))
        return count;
    dev.FAudioSourcesChanged = true;
    SetHeaderCount(dev, dh::FixedProcCount, count + 1);
    return count + 1;
}

int GetFixedProcessing(TDevice& dev, int index, TFixedProcessing& out)
{
    if (dev.IsDummy() || index < 0)
        return 0;
    DropOldProcessings(dev);
    const std::vector<std::uint8_t> payload = dev.GetData(stProc);
    const auto records = WalkFixedProcessings(payload, HeaderByte(dev, dh::FixedProcCount));
    if (static_cast<std::size_t>(index) >= records.size())
        return 0;
    const RecordSpan r = records[static_cast<std::size_t>(index)];
    return DecodeFixedProcessing(std::span(payload).subspan(r.offset, r.length), out) ? 1 : 0;
}

void SetFixedProcessing(TDevice& dev, int index, const TFixedProcessing& proc)
{
    if (dev.IsDummy() || index < 0)
        return;
    DropOldProcessings(dev);
    const int count = HeaderByte(dev, dh::FixedProcCount);
    std::vector<std::uint8_t> payload = dev.GetData(stProc);
    const auto records = WalkFixedProcessings(payload, count);
    if (static_cast<std::size_t>(index) >= records.size())
        return;
    const RecordSpan r = records[static_cast<std::size_t>(index)];
    const bool wasStereo = (payload[r.offset + 12] & 0x80) != 0;
    EraseBytes(payload, r.offset, r.length);
    InsertBytes(payload, r.offset, EncodeFixedProcessing(proc));
    payload.resize(CalcFixedProcesSize(payload, count));
    if (!dev.SetData(stProc, payload))
        return;
    dev.FAudioSourcesChanged = true;
    dev.CheckDSPResources(dev.FFitOptions);
    if (wasStereo && !proc.IsStereo())
        CallAdaptStereoSources(dev, kFixedProcSourceBase + 2 * index);
}

void DeleteFixedProcessing(TDevice& dev, int index)
{
    if (dev.IsDummy() || index < 0)
        return;
    FittingAtEnd fitting(dev);
    const int count = HeaderByte(dev, dh::FixedProcCount);
    std::vector<std::uint8_t> payload = dev.GetData(stProc);
    const auto records = WalkFixedProcessings(payload, count);
    if (static_cast<std::size_t>(index) >= records.size())
        return;
    const RecordSpan r = records[static_cast<std::size_t>(index)];
    EraseBytes(payload, r.offset, r.length);
    if (!dev.SetData(stProc, payload))
        return;
    dev.FAudioSourcesChanged = true;
    SetHeaderCount(dev, dh::FixedProcCount, count - 1);
    CallAdaptAudioSources(dev, kFixedProcSourceBase + 2 * index, 0);
}

void MoveFixedProcessingFunction(TDevice& dev, int index, int from, int to)
{
    if (dev.IsDummy() || index < 0)
        return;
    std::vector<std::uint8_t> payload = dev.GetData(stProc);
    const auto records = WalkFixedProcessings(payload, HeaderByte(dev, dh::FixedProcCount));
    if (static_cast<std::size_t>(index) >= records.size())
        return;
    const RecordSpan r = records[static_cast<std::size_t>(index)];
    const auto entries = FunctionEntries(std::span(payload).subspan(r.offset, r.length));
    const int n = static_cast<int>(entries.size());
    if (from < 0 || to < 0 || from >= n || to >= n || from == to)
        return;
    std::vector<std::vector<std::uint8_t>> parts;
    for (const RecordSpan& e : entries)
        parts.emplace_back(payload.begin() + static_cast<std::ptrdiff_t>(r.offset + e.offset),
                           payload.begin() + static_cast<std::ptrdiff_t>(r.offset + e.offset + e.length));
    auto moved = std::move(parts[static_cast<std::size_t>(from)]);
    parts.erase(parts.begin() + from);
    parts.insert(parts.begin() + to, std::move(moved));
    std::size_t at = r.offset + entries.front().offset;
    for (const auto& part : parts) {
        std::copy(part.begin(), part.end(), payload.begin() + static_cast<std::ptrdiff_t>(at));
        at += part.size();
    }
    dev.SetData(stProc, payload);
}

} // namespace kvr::model
