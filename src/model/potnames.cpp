#include "model/potnames.h"

#include "kvrdata/byteorder.h"
#include "model/recordlist.h"
#include "model/recordtext.h"

#include <algorithm>
#include <cstdio>

namespace kvr::model {

namespace {

constexpr std::size_t kSourceListHead = 18;
constexpr std::size_t kSourceListEntrySize = 12;
constexpr FixedList kGLList{2, 4};

std::vector<RecordSpan> SourceListRecords(std::span<const std::uint8_t> payload)
{
    return WalkRecords(payload, kSourceListHead, [](std::span<const std::uint8_t> p, std::size_t at) {
        return kSourceListHead + kSourceListEntrySize * p[at + 17];
    });
}

std::string Formatted(const char* format, int value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::size_t GLCount(std::span<const std::uint8_t> payload)
{
    return payload.empty() ? 0 : std::min<std::size_t>(payload[0], kGLList.count(payload.size()));
}

std::string Trimmed(std::string text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\0'; };
    while (!text.empty() && blank(text.back()))
        text.pop_back();
    std::size_t first = 0;
    while (first < text.size() && blank(text[first]))
        ++first;
    return text.substr(first);
}

} // namespace

int PotSlot(int potID)
{
    if (potID <= 121)
        return potID - 1;
    return potID == 122 ? 120 : 122;
}

int ReadPotName(std::span<const std::uint8_t> payload, int potID, std::string& out)
{
    const int slot = PotSlot(potID);
    const std::size_t at = static_cast<std::size_t>(slot) * kPotNameWidth;
    if (slot >= 0 && at + kPotNameWidth <= payload.size() && payload[at] != 0) {
        out = FieldText(payload.subspan(at, kPotNameWidth));
        return 1;
    }
    if (slot == 120)
        out = "Balance 1";
    else if (slot == 122)
        out = "Balance 2";
    else
        out = Formatted("Pot. %d", slot + 1);
    return 0;
}

void PutPotName(std::vector<std::uint8_t>& payload, int potID, std::span<const std::uint8_t, kPotNameWidth> name)
{
    if (payload.size() < kPotNamesSize)
        payload.resize(kPotNamesSize, 0);
    const std::size_t at = static_cast<std::size_t>(PotSlot(potID)) * kPotNameWidth;
    std::copy(name.begin(), name.end(), payload.begin() + static_cast<std::ptrdiff_t>(at));
}

int ReadGlobalPotName(std::span<const std::uint8_t> payload, int pot, std::string& out)
{
    const std::size_t at = static_cast<std::size_t>(pot - 1) * 16;
    if (pot >= 1 && pot <= kGlobalPotCount && payload.size() >= kGlobalPotNamesSize && payload[at] != 0) {
        out = FieldText(payload.subspan(at, 16));
        return 1;
    }
    out = Formatted("Global Pot. %d", pot);
    return 0;
}

void PutGlobalPotName(std::vector<std::uint8_t>& payload, int pot, std::string_view name)
{
    if (pot < 1 || pot > kGlobalPotCount)
        return;
    if (payload.size() < kGlobalPotNamesSize)
        payload.resize(kGlobalPotNamesSize, 0);
    SetFieldText(std::span(payload).subspan(static_cast<std::size_t>(pot - 1) * 16, 16), name);
}

std::optional<TSourceList> FindSourceList(std::span<const std::uint8_t> payload, int list)
{
    for (const auto& r : SourceListRecords(payload)) {
        if (payload[r.offset + 16] != list)
            continue;
        TSourceList s;
        ByteReader reader(payload.subspan(r.offset, r.length));
        ReadLabel(s.Label, reader.bytes(16));
        s.List = reader.u8();
        const std::uint8_t stored = reader.u8();
        s.Count = static_cast<std::uint8_t>(std::min<std::size_t>(stored, kSourceListMaxEntries));
        for (std::size_t k = 0; k < s.Count; ++k) {
            s.Entries[k].Left = reader.be16();
            s.Entries[k].Right = reader.be16();
            ReadLabel(s.Entries[k].Text, reader.bytes(8));
        }
        return s;
    }
    return std::nullopt;
}

TSourceList DefaultSourceList(int list)
{
    TSourceList s;
    SetLabel(s.Label, Formatted("Source List %d", list + 1));
    s.List = static_cast<std::uint8_t>(list);
    return s;
}

void PutSourceList(std::vector<std::uint8_t>& payload, int list, const TSourceList& record)
{
    const std::size_t count = std::min<std::size_t>(record.Count, kSourceListMaxEntries);
    std::vector<std::uint8_t> bytes;
    ByteWriter w(bytes);
    for (char c : record.Label)
        w.u8(static_cast<std::uint8_t>(c));
    w.u8(record.List);
    w.u8(static_cast<std::uint8_t>(count));
    for (std::size_t k = 0; k < count; ++k) {
        w.be16(record.Entries[k].Left);
        w.be16(record.Entries[k].Right);
        for (char c : record.Entries[k].Text)
            w.u8(static_cast<std::uint8_t>(c));
    }
    const auto records = SourceListRecords(payload);
    for (const auto& r : records) {
        if (payload[r.offset + 16] != list)
            continue;
        EraseBytes(payload, r.offset, r.length);
        if (count != 0 || record.Label[0] != 0)
            InsertBytes(payload, r.offset, bytes);
        return;
    }
    InsertBytes(payload, RecordsEnd(records), bytes);
}

void ReadNetworkSettings(std::span<const std::uint8_t> payload, TNetworkSettings& inout)
{
    if (payload.size() >= kNetworkSettingsSize) {
        ByteReader r(payload);
        inout.IP = r.be32();
        inout.Mask = r.be32();
        inout.DNS = r.be32();
        inout.Gateway = r.be32();
        inout.MailServer = r.be32();
        ReadLabel(inout.Sender, r.bytes(128));
        inout.Flags = r.be32();
    } else {
        inout.IP = 0;
        inout.Mask = 0xFFFFFF00u;
        inout.DNS = 0;
        inout.Gateway = 0;
        inout.MailServer = 0;
        SetLabel(inout.Sender, "Enter email account addres here");
    }
    if (inout.IP == 0)
        inout.Flags |= kNetworkDHCP;
}

std::vector<std::uint8_t> EncodeNetworkSettings(TNetworkSettings& settings)
{
    if (settings.IP == 0)
        settings.Flags |= kNetworkDHCP;
    settings.Flags &= kNetworkDHCP;
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    w.be32(settings.IP);
    w.be32(settings.Mask);
    w.be32(settings.DNS);
    w.be32(settings.Gateway);
    w.be32(settings.MailServer);
    for (char c : settings.Sender)
        w.u8(static_cast<std::uint8_t>(c));
    w.be32(settings.Flags);
    return out;
}

std::string ReadGlobalLogicName(std::span<const std::uint8_t> payload, int logic)
{
    if (logic < 0 || logic >= kGlobalLogicCount)
        return {};
    const std::size_t at = static_cast<std::size_t>(logic) * 8;
    std::string text;
    if (payload.size() >= kGlobalLogicNamesSize && payload[at] != 0)
        text.assign(reinterpret_cast<const char*>(payload.data() + at), 8);
    else
        text = Formatted("GL %d", logic + 1);
    return Trimmed(text);
}

void PutGlobalLogicName(std::vector<std::uint8_t>& payload, int logic, std::string_view name)
{
    if (logic < 0 || logic >= kGlobalLogicCount)
        return;
    if (payload.size() < kGlobalLogicNamesSize)
        payload.assign(kGlobalLogicNamesSize, 0);
    SetFieldText(std::span(payload).subspan(static_cast<std::size_t>(logic) * 8, 8), name);
}

std::uint16_t ReadGLSource(std::span<const std::uint8_t> payload, int logic)
{
    for (std::size_t i = 0; i < GLCount(payload); ++i) {
        const std::size_t at = kGLList.offset(i);
        if (payload[at] == logic)
            return readBE16(payload, at + 2);
    }
    return 0;
}

std::vector<std::uint8_t> RemoveGLSource(std::span<const std::uint8_t> payload, int logic)
{
    std::vector<std::uint8_t> out{0, 0};
    for (std::size_t i = 0; i < GLCount(payload); ++i) {
        const std::size_t at = kGLList.offset(i);
        if (payload[at] == logic)
            continue;
        out.insert(out.end(), payload.begin() + static_cast<std::ptrdiff_t>(at),
                   payload.begin() + static_cast<std::ptrdiff_t>(at + 4));
        ++out[0];
    }
    return out;
}

void AppendGLSource(std::vector<std::uint8_t>& payload, int logic, std::uint16_t source)
{
    if (payload.size() < 2)
        payload = {0, 0};
    if (payload[0] == 255)
        return; // the count byte is full
    const std::size_t count = GLCount(payload);
    payload.resize(kGLList.offset(count));
    payload.insert(payload.end(), {static_cast<std::uint8_t>(logic), 0, static_cast<std::uint8_t>(source >> 8),
                                   static_cast<std::uint8_t>(source & 0xFF)});
    payload[0] = static_cast<std::uint8_t>(count + 1);
    payload[1] = 0;
}

} // namespace kvr::model
