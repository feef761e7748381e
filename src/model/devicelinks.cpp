#include "model/devicelinks.h"

#include "kvrdata/byteorder.h"
#include "model/recordlist.h"

#include <cstdio>

namespace kvr::model {

namespace {

constexpr FixedList kLinkList{0, kDeviceLinkSize};

TDeviceLink LinkAt(std::span<const std::uint8_t> payload, std::size_t index)
{
    return DecodeDeviceLink(payload.subspan(kLinkList.offset(index)).first<kDeviceLinkSize>());
}

} // namespace

TDeviceLink DecodeDeviceLink(std::span<const std::uint8_t, kDeviceLinkSize> record)
{
    TDeviceLink l;
    l.ID = record[0];
    l.SDev = record[1];
    l.SSlot = record[2];
    l.SPort = readBE16(record, 3);
    l.TDev = record[5];
    l.TSlot = record[6];
    l.TPort = readBE16(record, 7);
    l.Type = record[9];
    l.Direction = record[10];
    l.Opt = record[11];
    return l;
}

TDeviceLinkRecord EncodeDeviceLink(const TDeviceLink& link)
{
    TDeviceLinkRecord r{};
    r[0] = link.ID;
    r[1] = link.SDev;
    r[2] = link.SSlot;
    writeBE16(r, 3, link.SPort);
    r[5] = link.TDev;
    r[6] = link.TSlot;
    writeBE16(r, 7, link.TPort);
    r[9] = link.Type;
    r[10] = link.Direction;
    r[11] = link.Opt;
    return r;
}

std::string DeviceLinkToText(const TDeviceLink& link)
{
    char text[160];
    std::snprintf(text, sizeof text,
                  "ID:%02x|SDev:%02x|SSlot:%02x|SPort:%02x%02x|TDev:%02x|TSlot:%02x|TPort:%02x%02x|Type:%02x|"
                  "Direction:%02x|Opt:%02x",
                  link.ID, link.SDev, link.SSlot, link.SPort >> 8, link.SPort & 0xFF, link.TDev, link.TSlot,
                  link.TPort >> 8, link.TPort & 0xFF, link.Type, link.Direction, link.Opt);
    return text;
}

std::size_t DeviceLinkCount(std::span<const std::uint8_t> payload)
{
    return kLinkList.count(payload.size());
}

int FreeDeviceLinkID(std::span<const std::uint8_t> payload)
{
    std::array<bool, 256> used{};
    for (std::size_t i = 0; i < DeviceLinkCount(payload); ++i)
        used[payload[kLinkList.offset(i)]] = true;
    int id = 0;
    while (id < 256 && used[static_cast<std::size_t>(id)])
        ++id;
    return id < kMaxDeviceLinks ? id : -1;
}

std::optional<TDeviceLink> FindStoredLink(std::span<const std::uint8_t> payload, int id)
{
    for (std::size_t i = 0; i < DeviceLinkCount(payload); ++i)
        if (payload[kLinkList.offset(i)] == id)
            return LinkAt(payload, i);
    return std::nullopt;
}

int ScoreDeviceLinks(std::span<const std::uint8_t> payload, int channel, int device, int side, int* lastID)
{
    for (std::size_t i = 0; i < DeviceLinkCount(payload); ++i) {
        const TDeviceLink l = LinkAt(payload, i);
        if (lastID != nullptr)
            *lastID = l.ID;
        const int mask = l.Type == 1 ? 0x5FFE : 0x5FFF;
        const bool source = l.SDev == device && side != lkTargetSide && (l.SPort & mask) == (channel & mask);
        const bool target = l.TDev == device && side != lkSourceSide && (l.TPort & mask) == (channel & mask);
        int score = (source ? 2 : 0) + (target ? 1 : 0);
        if (l.Type == 2)
            score += (target ? 2 : 0) + (source ? 1 : 0);
        if (score != 0)
            return score;
    }
    return 0;
}

} // namespace kvr::model
