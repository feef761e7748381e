#pragma once
// Frames built through the data model for the frame I/O page's tests: card records of every
// kind with labelled channels, and a 30-slot frame holding one of each.

#include <cstdint>
#include <string>
#include <vector>

#include "kvrdata/byteorder.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/devicelinks.h"
#include "model/linkaccess.h"
#include "model/project.h"

namespace kvr::app::frameio::test {

using Bytes = std::vector<std::uint8_t>;

struct Channel {
    std::string Label;
    int ID = 0;
    int Option = 0;
    int Level = 0; // signed dB
};

inline Bytes Entry(const Channel& c)
{
    Bytes e(24, 0);
    for (std::size_t i = 0; i < c.Label.size() && i < 16; ++i)
        e[i] = static_cast<std::uint8_t>(c.Label[i]);
    writeBE16(e, 16, static_cast<std::uint16_t>(c.ID));
    e[18] = static_cast<std::uint8_t>(c.Option);
    e[19] = static_cast<std::uint8_t>(static_cast<std::int8_t>(c.Level));
    return e;
}

inline Bytes Label16(const std::string& text)
{
    Bytes l(16, 0);
    for (std::size_t i = 0; i < text.size() && i < 16; ++i)
        l[i] = static_cast<std::uint8_t>(text[i]);
    return l;
}

// An I/O card: inputs then outputs alternate by the flag list, labels "<prefix><n>".
inline Bytes IOCard(int type, int slot, int channels, int gpios, int level = -10, int option = 0)
{
    Bytes b{static_cast<std::uint8_t>(type >> 8), static_cast<std::uint8_t>(type & 0xFF),
            static_cast<std::uint8_t>(channels), static_cast<std::uint8_t>(gpios)};
    for (int i = 0; i < channels; ++i) {
        const int flags = i < channels / 2 ? 0 : 0x80;
        const Bytes e = Entry({"Ch" + std::to_string(i + 1), model::MakeChannelID(slot, i, flags), option, level});
        b.insert(b.end(), e.begin(), e.end());
    }
    for (int g = 0; g < gpios; ++g) {
        const Bytes l = Label16("G" + std::to_string(g + 1));
        b.insert(b.end(), l.begin(), l.end());
    }
    return b;
}

inline Bytes GPIOCard(int pullUps, int gpios = 16)
{
    Bytes b{0x01, 0x37, static_cast<std::uint8_t>(pullUps), static_cast<std::uint8_t>(gpios)};
    for (int g = 0; g < gpios; ++g) {
        const Bytes l = Label16("IO" + std::to_string(g + 1));
        b.insert(b.end(), l.begin(), l.end());
    }
    return b;
}

// A DSP card: the 9-bit count from the entries unless given.
inline Bytes DSPCard(int subType, int port1, int port2, const std::vector<Channel>& entries, int count = -1)
{
    const int n = count < 0 ? static_cast<int>(entries.size()) : count;
    Bytes b{0x03, 0x50, static_cast<std::uint8_t>(n & 0xFF), static_cast<std::uint8_t>(port1 | ((n >> 8) & 1)),
            static_cast<std::uint8_t>(port2), static_cast<std::uint8_t>(subType), 0, 0};
    for (const Channel& c : entries) {
        const Bytes e = Entry(c);
        b.insert(b.end(), e.begin(), e.end());
    }
    return b;
}

// MADI entries of slot: `inputs` inputs of port 1, then as many of port 2.
inline std::vector<Channel> MadiEntries(int slot, int perPort, int level1, int level2)
{
    std::vector<Channel> out;
    for (int i = 0; i < perPort; ++i)
        out.push_back({"M1-" + std::to_string(i + 1), model::MakeChannelID(slot, i, 0), 0, level1});
    for (int i = 0; i < perPort; ++i)
        out.push_back({"M2-" + std::to_string(i + 1), model::MakeChannelID(slot, i, 0x40), 0, level2});
    return out;
}

// `n` stereo channels 0, 2, ... of a slot, port and direction, labelled "<prefix><channel>".
inline std::vector<Channel> Stereo(int slot, int n, int flags, const std::string& prefix, int level = -3)
{
    std::vector<Channel> out;
    for (int c = 0; c < 2 * n; c += 2)
        out.push_back({prefix + std::to_string(c), model::MakeChannelID(slot, c, flags | 0x2000), 0, level});
    return out;
}
inline std::vector<Channel> operator+(std::vector<Channel> a, const std::vector<Channel>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline void SetFrameType(model::TDevice& dev, int type)
{
    auto h = dev.GetHeader();
    h[model::dh::FrameType] = static_cast<std::uint8_t>(type);
    dev.SetHeader(h, false);
}

// A project with one new device.
struct FrameProject {
    model::TProject Project;
    int Device = 0;
    FrameProject()
    {
        Project.InitProject();
        Device = Project.AddDevice();
    }
    model::TDevice& Dev() { return *Project.Device(Device); }
    void Put(int slot, const Bytes& record) { Dev().SetSetupData(static_cast<std::uint8_t>(slot), record); }
    // A link whose target is the channel or port word of this device.
    void LinkTo(int word, int type = 0)
    {
        model::TDeviceLink l;
        l.SDev = 5;
        l.SPort = 0x0101;
        l.TDev = static_cast<std::uint8_t>(Device);
        l.TSlot = static_cast<std::uint8_t>(((word >> 8) & 0x1F) - 1);
        l.TPort = static_cast<std::uint16_t>(word);
        l.Type = static_cast<std::uint8_t>(type);
        model::AddDeviceLink(Project, l);
    }
};

// The 30-slot frame: 111 (slot 1), 122, 223, 311, empty, unknown 999, ..., DSP + MADI in
// slot 10, DSP + 2x MADI in 20, DSP + delay in 30, an unknown card at the controller position 19.
inline void FillFullFrame(FrameProject& f)
{
    SetFrameType(f.Dev(), 1);
    f.Put(0, IOCard(111, 0, 8, 8));
    f.Put(1, IOCard(122, 1, 6, 8));
    f.Put(2, IOCard(223, 2, 4, 8));
    f.Put(3, GPIOCard(0x05));
    f.Put(5, Bytes{0x03, 0xE7, 0, 0});
    f.Put(9, DSPCard(2, 0x40, 0, MadiEntries(9, 2, -12, 0)));
    f.Put(18, Bytes{0x03, 0xE7, 0, 0});
    f.Put(19, DSPCard(3, 0x80, 0x10, MadiEntries(19, 2, -12, -6)));
    f.Put(29, DSPCard(4, 0x03, 0, {}));
}

} // namespace kvr::app::frameio::test
