#include "model/devicelinks.h"

#include <gtest/gtest.h>

using namespace kvr::model;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Links(std::initializer_list<TDeviceLink> links)
{
    Bytes p;
    for (auto l : links) {
        l.Opt = 0;
        const auto r = EncodeDeviceLink(l);
        p.insert(p.end(), r.begin(), r.end());
    }
    return p;
}

TDeviceLink Link(int id, int sdev, int sport, int tdev, int tport, int type)
{
    TDeviceLink l;
    l.ID = static_cast<std::uint8_t>(id);
    l.SDev = static_cast<std::uint8_t>(sdev);
    l.SPort = static_cast<std::uint16_t>(sport);
    l.TDev = static_cast<std::uint8_t>(tdev);
    l.TPort = static_cast<std::uint16_t>(tport);
    l.Type = static_cast<std::uint8_t>(type);
    return l;
}

} // namespace

TEST(DeviceLinks, TextForm)
{
    TDeviceLink l = Link(5, 1, 0x0102, 2, 0x2A0B, 1);
    l.SSlot = 3;
    l.TSlot = 0x1D;
    l.Direction = 1;
    l.Opt = 0x80;
    EXPECT_EQ(DeviceLinkToText(l),
              "ID:05|SDev:01|SSlot:03|SPort:0102|TDev:02|TSlot:1d|TPort:2a0b|Type:01|Direction:01|Opt:80");
    const auto r = EncodeDeviceLink(l);
    EXPECT_EQ(r[3], 0x01);
    EXPECT_EQ(r[4], 0x02);
    EXPECT_EQ(DecodeDeviceLink(r).TPort, 0x2A0B);
}

TEST(DeviceLinks, FreeIDs)
{
    EXPECT_EQ(FreeDeviceLinkID(Links({Link(0, 0, 0, 0, 0, 0), Link(3, 0, 0, 0, 0, 0), Link(1, 0, 0, 0, 0, 0)})), 2);
    Bytes full;
    for (int i = 0; i < 64; ++i) {
        const auto r = EncodeDeviceLink(Link(i, 0, 0, 0, 0, 0));
        full.insert(full.end(), r.begin(), r.end());
    }
    EXPECT_EQ(FreeDeviceLinkID(full), -1);
    Bytes hostile;
    for (int i = 0; i < 256; ++i) {
        const auto r = EncodeDeviceLink(Link(i, 0, 0, 0, 0, 0));
        hostile.insert(hostile.end(), r.begin(), r.end());
    }
    EXPECT_EQ(FreeDeviceLinkID(hostile), -1);
}

TEST(DeviceLinks, FindScores)
{
    const Bytes p = Links({Link(4, 1, 0x0102, 2, 0x0305, 1), Link(6, 0, 0x0A00, 3, 0x0B00, 2),
                           Link(7, 2, 0x0400, 1, 0x8102, 0)});
    struct Case {
        int channel, device, side, score, id;
    };
    const Case cases[] = {
        {0x0102, 1, 0, 2, 4}, {0x0103, 1, 0, 2, 4}, {0x0104, 1, 0, 0, 7},
        {0x0A00, 0, 0, 3, 6}, {0x0B00, 3, 0, 3, 6},
        {0x0305, 2, 0, 1, 4}, {0x0305, 2, lkSourceSide, 0, 7}, {0x0102, 1, lkTargetSide, 1, 7},
        {0x2102, 1, lkTargetSide, 1, 7}, // phase and stereo flags ignored under 0x5FFF
    };
    for (const auto& c : cases) {
        int id = -1;
        EXPECT_EQ(ScoreDeviceLinks(p, c.channel, c.device, c.side, &id), c.score) << std::hex << c.channel;
        EXPECT_EQ(id, c.id) << std::hex << c.channel;
    }
    int untouched = 99;
    EXPECT_EQ(ScoreDeviceLinks({}, 1, 0, 0, &untouched), 0);
    EXPECT_EQ(untouched, 99);
}
