#include <gtest/gtest.h>

#include <cstring>

#include "../../model/recordinghost.h"
#include "app/frameio/channelsettings.h"
#include "app/frameio/frameeditor.h"
#include "app/frameio/linkadapt.h"
#include "framefixture.h"
#include "model/adaptationhooks.h"
#include "model/cardrecords.h"
#include "model/modelhost.h"
#include "platform/prompter.h"

namespace kvr::app::frameio::test {
namespace {

using namespace model;
using model::test::RecordingHost;

std::size_t Base(const Bytes& r) { return CardTypeOf(r) == kCardDSP ? 8 : 4; }
std::size_t At(const Bytes& r, int i) { return Base(r) + 24 * static_cast<std::size_t>(i); }
int ID(const Bytes& r, int i) { return readBE16(r, At(r, i) + 16); }
int Opt(const Bytes& r, int i) { return r[At(r, i) + 18]; }
int Lvl(const Bytes& r, int i) { return static_cast<std::int8_t>(r[At(r, i) + 19]); }
std::string Name(const Bytes& r, int i)
{
    const auto* p = reinterpret_cast<const char*>(r.data() + At(r, i));
    return std::string(p, strnlen(p, 16));
}
int Count(const Bytes& r) { return CardTypeOf(r) == kCardDSP ? DSPChannelCount(r) : r[2]; }
std::vector<int> IDs(const Bytes& r)
{
    std::vector<int> out;
    for (int i = 0; i < Count(r); ++i)
        out.push_back(ID(r, i));
    return out;
}

struct Adapted {
    int link, word, flag;
    friend bool operator==(const Adapted&, const Adapted&) = default;
};

// One device with the settings over it; link follow-ups are recorded.
struct Settings : FrameProject {
    RecordingHost Host;
    platform::ScriptedPrompter Prompts;
    FrameEditor Editor{Project, Device, Prompts};
    ChannelSettings Set{Project, Device, Editor};
    std::vector<Adapted> Adaptations;
    Settings()
    {
        Editor.AdaptLink = [this](const TDeviceLink& l, int word, int flag) { Adaptations.push_back({l.ID, word, flag}); };
    }
    Bytes Slot(int s) { return Dev().GetSetupData(static_cast<std::uint8_t>(s)); }
    static SettingCell Cell(int slot, int row, int port = 0, bool whole = true) { return {slot, row, port, whole}; }
    // A link from another device (5) into this device's word, or from this device's word out.
    int LinkFrom(int word, int type)
    {
        TDeviceLink l;
        l.SDev = static_cast<std::uint8_t>(Device);
        l.SSlot = static_cast<std::uint8_t>(((word >> 8) & 0x1F) - 1);
        l.SPort = static_cast<std::uint16_t>(word);
        l.TDev = 5;
        l.TSlot = 2;
        l.TPort = 0x0300;
        l.Type = static_cast<std::uint8_t>(type);
        return AddDeviceLink(Project, l);
    }
};

// ---- MADI channel modes ------------------------------------------------------------------

// A two-port MADI card in slot 9: per port `pairs` stereo inputs then as many outputs.
Bytes TwoPortCard(int mode1, int pairs1, int mode2, int pairs2)
{
    return DSPCard(3, mode1, mode2,
                   Stereo(9, pairs1, 0, "i", -4) + Stereo(9, pairs1, 0x80, "o", -4) + Stereo(9, pairs2, 0x40, "I", -4) +
                       Stereo(9, pairs2, 0xC0, "O", -4));
}

// The entries of one port (0x40 clear or set), bytes as stored.
Bytes PortBytes(const Bytes& r, int port)
{
    Bytes out;
    for (int i = 0; i < Count(r); ++i)
        if (((ID(r, i) & 0x40) != 0) == (port == 1))
            out.insert(out.end(), r.begin() + static_cast<std::ptrdiff_t>(At(r, i)), r.begin() + static_cast<std::ptrdiff_t>(At(r, i) + 24));
    return out;
}

TEST(MadiChannelModes, EveryDirectionOnEitherPort)
{
    enum { k56 = 0, k64 = 1, kStagebox = 2 };
    const struct {
        const char* what;
        int mode, pairs, item;
        int wantMode, wantPairs;
    } cases[] = {
        {"64 to 56 removes pairs 56-62", 0x40, 32, k56, 0x00, 28},
        {"56 to 64 adds pairs 56-62", 0x00, 28, k64, 0x40, 32},
        {"56 to stagebox changes the mode byte only", 0x00, 28, kStagebox, 0x10, 28},
        {"stagebox to 64 adds 8 channels", 0x10, 28, k64, 0x40, 32},
        {"64 to stagebox removes 8 channels", 0x40, 32, kStagebox, 0x10, 28},
        {"stagebox to 56 changes the mode byte only", 0x10, 28, k56, 0x00, 28},
        {"64 again changes nothing", 0x40, 32, k64, 0x40, 32},
        {"56 again changes nothing", 0x00, 28, k56, 0x00, 28},
        {"stagebox again changes nothing", 0x10, 28, kStagebox, 0x10, 28},
    };
    for (const int port : {0, 1}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (port ? " on port 2" : " on port 1"));
            Settings f;
            auto header = f.Dev().GetHeader();
            header[dh::DigitalDefaultLevel] = 30 - 7;
            f.Dev().SetHeader(header, false);
            // The other port has 64 channels.
            const Bytes before = port == 0 ? TwoPortCard(c.mode, c.pairs, 0x40, 32) : TwoPortCard(0x40, 32, c.mode, c.pairs);
            f.Put(9, before);
            ASSERT_TRUE(f.Set.MADIChannelsChange(Settings::Cell(9, 0, port), c.item));
            const Bytes after = f.Slot(9);

            const int other = 1 - port;
            EXPECT_EQ(after[4 - port] & 0xFE, before[4 - port] & 0xFE) << "the other port's mode byte";
            EXPECT_EQ(PortBytes(after, other), PortBytes(before, other));
            EXPECT_EQ(after[3 + port] & 0xFE, c.wantMode);
            EXPECT_EQ(Count(after), 64 + 2 * c.wantPairs);
            EXPECT_EQ(after.size(), 8 + 24u * static_cast<std::size_t>(Count(after)));
            EXPECT_TRUE(f.Host.shown.empty());

            const Bytes mine = PortBytes(after, port);
            const int flags = port ? 0x40 : 0;
            for (const int dir : {0, 0x80}) {
                const int first = dir ? c.wantPairs : 0;
                for (int k = 0; k < c.wantPairs; ++k) {
                    const std::size_t at = 24 * static_cast<std::size_t>(first + k);
                    const int id = readBE16(mine, at + 16);
                    ASSERT_EQ(id, MakeChannelID(9, 2 * k, 0x2000 | dir | flags)) << k;
                    if (k < c.pairs)
                        continue;
                    // An added pair: its name, the default digital level, no options.
                    const auto* p = reinterpret_cast<const char*>(mine.data() + at);
                    EXPECT_EQ(std::string(p, strnlen(p, 16)), GetChannelName(id, 848, false).substr(0, 16));
                    EXPECT_EQ(static_cast<std::int8_t>(mine[at + 19]), -7);
                    EXPECT_EQ(mine[at + 18], 0);
                }
            }
        }
    }
}

TEST(MadiChannelModes, RemovalAndAddingStayInsideTheirGroup)
{
    const auto mono = [](int from, int n, int flags) {
        std::vector<Channel> out;
        for (int ch = from; ch < from + n; ++ch)
            out.push_back({"m" + std::to_string(ch), MakeChannelID(9, ch, flags), 0, -4});
        return out;
    };
    enum { k56 = 0, k64 = 1, kStagebox = 2 };
    const struct {
        const char* what;
        int subType, mode1, mode2;
        std::vector<Channel> entries;
        int port, item;
        std::vector<Channel> want;
    } cases[] = {
        {"a mono tail leaves two entries a step", 2, 0x40, 0, Stereo(9, 28, 0, "i") + mono(56, 8, 0) + Stereo(9, 32, 0x80, "o"),
         0, k56, Stereo(9, 28, 0, "i") + Stereo(9, 28, 0x80, "o")},
        {"a lone mono entry goes without the previous group's last", 3, 0x40, 0x40,
         Stereo(9, 2, 0, "i") + Stereo(9, 2, 0x80, "o") + mono(0, 1, 0x40) + Stereo(9, 1, 0xC0, "O"), 1, k56,
         Stereo(9, 2, 0, "i") + Stereo(9, 2, 0x80, "o")},
        {"a short group stops at its first entry", 3, 0x40, 0x40,
         Stereo(9, 2, 0, "i") + Stereo(9, 2, 0x80, "o") + Stereo(9, 2, 0x40, "I") + mono(0, 3, 0xC0), 1, kStagebox,
         Stereo(9, 2, 0, "i") + Stereo(9, 2, 0x80, "o")},
        {"a port without outputs gets no outputs", 2, 0x00, 0, Stereo(9, 28, 0, "i"), 0, k64, Stereo(9, 32, 0, "i")},
        {"no channel past 63", 3, 0x50, 0x40, Stereo(9, 32, 0, "i") + Stereo(9, 32, 0x80, "o"), 0, k64,
         Stereo(9, 32, 0, "i") + Stereo(9, 32, 0x80, "o")},
        {"more than 255 entries: the 9-bit count", 3, 0x40, 0x40,
         mono(0, 64, 0) + mono(0, 64, 0x80) + mono(0, 64, 0x40) + mono(0, 64, 0xC0), 1, k56,
         mono(0, 64, 0) + mono(0, 64, 0x80) + mono(0, 56, 0x40) + mono(0, 56, 0xC0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Settings f;
        f.Put(9, DSPCard(c.subType, c.mode1, c.mode2, c.entries));
        ASSERT_TRUE(f.Set.MADIChannelsChange(Settings::Cell(9, 0, c.port), c.item));
        const Bytes after = f.Slot(9);
        std::vector<int> want;
        for (const Channel& e : c.want)
            want.push_back(e.ID);
        EXPECT_EQ(IDs(after), want);
        EXPECT_EQ(after[3] & 1, static_cast<int>(want.size()) >> 8);
        EXPECT_EQ(after.size(), 8 + 24 * want.size());
    }
}

TEST(MadiChannelModes, AnUnbalancedCardIsReportedAndStillChanged)
{
    Settings f;
    f.Put(9, DSPCard(2, 0x40, 0, Stereo(9, 32, 0, "i") + Stereo(9, 28, 0x80, "o")));
    ASSERT_TRUE(f.Set.MADIChannelsChange(Settings::Cell(9, 0, 0), 0));
    EXPECT_EQ(f.Host.Texts(), std::vector<std::string>{
                                  "Error: CX4AppForm->MADIChannelsChange: There is a problem in configuration data. Maybe "
                                  "this is the result of using a confguration file\nwhich has been created with an older "
                                  "Cordex4.\n\nYou should reinsert this card! (64 vs. 56 channels!"});
    EXPECT_EQ(Count(f.Slot(9)), 28 + 24);
    // Cards the box does not belong to are left alone.
    f.Put(19, DSPCard(4, 4, 0, {}));
    f.Put(29, DSPCard(2, 0x40, 0, Stereo(29, 4, 0, "i") + Stereo(29, 4, 0x80, "o")));
    const Bytes delay = f.Slot(19);
    EXPECT_FALSE(f.Set.MADIChannelsChange(Settings::Cell(19, 0, 0), 0));
    EXPECT_FALSE(f.Set.MADIChannelsChange(Settings::Cell(29, 0, 1), 0)) << "a one-port card has no port 2";
    EXPECT_EQ(f.Slot(19), delay);
}

// ---- delay channels, pull-ups, the slot check -------------------------------------------------

TEST(DelayChannels, EveryItemStoresItsCode)
{
    for (int item = 0; item < 6; ++item) {
        Settings f;
        f.Put(9, DSPCard(4, 4, 0, {}));
        ASSERT_TRUE(f.Set.DelayAnzBoxChange(Settings::Cell(9, 0), item));
        const Bytes r = f.Slot(9);
        EXPECT_EQ(r[3], item + 1) << item;
        EXPECT_EQ(r.size(), 8u);
    }
    Settings f;
    f.Put(9, DSPCard(2, 0x40, 0, Stereo(9, 1, 0, "i")));
    const Bytes madi = f.Slot(9);
    EXPECT_FALSE(f.Set.DelayAnzBoxChange(Settings::Cell(9, 0), 5));
    EXPECT_FALSE(f.Set.DelayAnzBoxChange(Settings::Cell(19, 0), 5));
    EXPECT_EQ(f.Slot(9), madi);
}

TEST(GPIPullUps, OneGPIAndSetAll)
{
    Settings f;
    SetFrameType(f.Dev(), 1);
    f.Put(3, GPIOCard(0));
    f.Put(14, GPIOCard(0x30));
    f.Put(0, IOCard(111, 0, 8, 8));
    const Bytes io = f.Slot(0);
    const struct {
        int row, item, want;
    } steps[] = {{8, 1, 0x04}, {0, 1, 0x05}, {12, 1, 0x0D}, {4, 1, 0x0F}, {8, 0, 0x0B}, {0, 0, 0x0A}};
    for (const auto& s : steps) {
        ASSERT_TRUE(f.Set.PullUpBoxChange(Settings::Cell(3, s.row), s.item)) << s.row;
        EXPECT_EQ(f.Slot(3)[2], s.want) << s.row;
        EXPECT_EQ(f.Slot(3).size(), 260u);
    }
    EXPECT_FALSE(f.Set.PullUpBoxChange(Settings::Cell(3, 5), 1)) << "a GPO row";
    EXPECT_FALSE(f.Set.PullUpBoxChange(Settings::Cell(0, 0), 1)) << "no GPIO card";
    EXPECT_EQ(f.Slot(3)[2], 0x0A);

    ASSERT_TRUE(f.Set.PullUpBoxChange(Settings::Cell(-2, kRowSetAllLower), 1));
    EXPECT_EQ(f.Slot(3)[2], 0x0F);
    EXPECT_EQ(f.Slot(14)[2], 0x3F);
    ASSERT_TRUE(f.Set.PullUpBoxChange(Settings::Cell(-2, kRowSetAllLower), 0));
    EXPECT_EQ(f.Slot(3)[2], 0x00);
    EXPECT_EQ(f.Slot(14)[2], 0x30);
    EXPECT_EQ(f.Slot(14).size(), 260u);
    EXPECT_EQ(f.Slot(0), io);
}

TEST(SlotCheck, OneLinePerIOSlotAndTheSizeProblem)
{
    Settings f;
    SetFrameType(f.Dev(), 1);
    f.Put(0, IOCard(111, 0, 8, 8));
    f.Put(3, GPIOCard(0x0F));
    f.Put(9, DSPCard(2, 0x40, 0, Stereo(9, 1, 0, "i")));
    f.Put(12, IOCard(222, 12, 4, 0));
    // A record whose stored length is not what its counts give reaches the device only in a
    // loaded image: one GPIO entry fewer announced than stored.
    Bytes image = f.Dev().GetAllData();
    const Bytes card = f.Slot(12);
    const auto at = std::search(image.begin() + 200, image.end(), card.begin(), card.end());
    ASSERT_NE(at, image.end());
    at[2] = 3;
    ASSERT_TRUE(f.Dev().SetAllData(image));

    std::vector<std::string> lines;
    TraceCallback = [&](std::string line) { lines.push_back(std::move(line)); };
    CheckSlotChannels(f.Dev());
    TraceCallback = nullptr;
    EXPECT_EQ(lines, (std::vector<std::string>{"Slot: 1, Type= 111, ChAnz= 8", "Slot: 4, Type= 311, ChAnz= 15",
                                               "Slot: 13, Type= 222, ChAnz= 3", "Invalid size information!"}));
    CheckSlotChannels(f.Dev()); // without a receiver nothing happens
}

// ---- mono/stereo --------------------------------------------------------------------------

TEST(StereoBox, JoinsAndSplitsWithTheReferencesMoved)
{
    const int in2 = MakeChannelID(0, 2, 0);
    const struct {
        const char* what;
        int row, item;
        bool joinFirst;   // entries 2 and 3 are one stereo entry before
        bool changed;
        std::vector<int> want; // IDs of entries 1-3 afterwards
        int talk;              // the talk source that referred to channel 3
    } cases[] = {
        {"stereo from the even entry", 2, 1, false, true, {in2 - 1, in2 | 0x2000, MakeChannelID(0, 4, 0x80)}, in2 | 0x2000},
        {"stereo from the odd entry", 3, 1, false, true, {in2 - 1, in2 | 0x2000, MakeChannelID(0, 4, 0x80)}, in2 | 0x2000},
        {"mono from a stereo entry", 2, 0, true, true, {in2 - 1, in2, in2 + 1}, in2},
        {"stereo on a stereo entry", 2, 1, true, false, {in2 - 1, in2 | 0x2000, MakeChannelID(0, 4, 0x80)}, in2 | 0x2000},
        {"mono on a mono entry", 3, 0, false, false, {in2 - 1, in2, in2 + 1}, in2 + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Settings f;
        Bytes card = IOCard(111, 0, 8, 8);
        if (c.joinFirst)
            JoinStereoEntry(card, 2);
        f.Put(0, card);
        auto header = f.Dev().GetHeader();
        writeBE16(header, dh::Talk1Source, static_cast<std::uint16_t>(c.joinFirst ? in2 | 0x2000 : in2 + 1));
        f.Dev().SetHeader(header, false);
        const Bytes before = f.Slot(0);

        EXPECT_EQ(f.Set.StereoBoxChange(Settings::Cell(0, c.row), c.item), c.changed);
        const Bytes after = f.Slot(0);
        if (!c.changed) {
            EXPECT_EQ(after, before);
            EXPECT_TRUE(f.Adaptations.empty());
            continue;
        }
        EXPECT_EQ((std::vector<int>{ID(after, 1), ID(after, 2), ID(after, 3)}), c.want);
        EXPECT_EQ(Name(after, 2), "Ch3");
        EXPECT_EQ(Name(after, 3), c.item == 0 ? "Ch3" : "Ch5");
        EXPECT_EQ(after.size(), static_cast<std::size_t>(CalcCardRecordSize(after)));
        EXPECT_EQ(readBE16(f.Dev().Header(), dh::Talk1Source), c.talk);
    }
}

TEST(StereoBox, MadiEntriesAndLinkedChannels)
{
    Settings f;
    f.Put(9, DSPCard(3, 0x40, 0x40, Stereo(9, 8, 0, "i") + Stereo(9, 8, 0x80, "o") + Stereo(9, 8, 0x40, "I")));
    // Channel 10 of port 1's inputs into a mono pair: channels 10 and 11, one label.
    ASSERT_TRUE(f.Set.StereoBoxChange(Settings::Cell(9, 5, 0, false), 0));
    Bytes r = f.Slot(9);
    EXPECT_EQ(Count(r), 25);
    EXPECT_EQ(ID(r, 5), MakeChannelID(9, 10, 0));
    EXPECT_EQ(ID(r, 6), MakeChannelID(9, 11, 0));
    EXPECT_EQ(Name(r, 6), "i10");
    EXPECT_TRUE(f.Adaptations.empty()) << "no link on the port";

    // Port 2 is fed by a link: its inputs keep their layout, port 1 follows its links by word.
    f.LinkTo(0x0A01, 2);
    const int out = f.LinkFrom(0x0A00, 2);
    const Bytes before = f.Slot(9);
    EXPECT_FALSE(f.Set.StereoBoxChange(Settings::Cell(9, 17, 1, false), 0));
    EXPECT_EQ(f.Slot(9), before);
    ASSERT_TRUE(f.Set.StereoBoxChange(Settings::Cell(9, 6, 0, false), 1));
    EXPECT_EQ(ID(f.Slot(9), 5), MakeChannelID(9, 10, 0x2000));
    EXPECT_EQ(f.Adaptations, (std::vector<Adapted>{{out, 0, 1}}));

    // An I/O channel fed through a link, either of its pair.
    Settings g;
    g.Put(0, IOCard(111, 0, 8, 8));
    g.LinkTo(MakeChannelID(0, 3, 0), 0);
    const Bytes io = g.Slot(0);
    EXPECT_FALSE(g.Set.StereoBoxChange(Settings::Cell(0, 2), 1));
    EXPECT_EQ(g.Slot(0), io);
    const int link = g.LinkFrom(MakeChannelID(0, 4, 0x80), 1);
    ASSERT_TRUE(g.Set.StereoBoxChange(Settings::Cell(0, 5), 1));
    EXPECT_EQ(g.Adaptations, (std::vector<Adapted>{{link, MakeChannelID(0, 4, 0x2080), 1}}));
}

// ---- options of 111 channels ------------------------------------------------------------------

// A 111 card: inputs 0-3 mono, outputs 4-5 mono and 6 stereo; 8 GPIO labels behind them.
Bytes Digital(int option4 = 0x11, int option5 = 0x02)
{
    Bytes r = IOCard(111, 0, 8, 8, -10, 0x08);
    JoinStereoEntry(r, 6);
    r[4 + 24 * 4 + 18] = static_cast<std::uint8_t>(option4);
    r[4 + 24 * 5 + 18] = static_cast<std::uint8_t>(option5);
    return r;
}

TEST(ChannelOptions, OneChannelOrBothEntriesOfAMonoPair)
{
    using Handler = bool (ChannelSettings::*)(const SettingCell&, int);
    const struct {
        const char* what;
        Handler handler;
        int row, item;
        std::vector<int> want; // option bytes of entries 0-6 afterwards; empty: nothing changes
    } cases[] = {
        {"dither on the odd output", &ChannelSettings::DitherBoxChange, 5, 3, {8, 8, 8, 8, 0x13, 0x13, 8}},
        {"dither on the even output", &ChannelSettings::DitherBoxChange, 4, 2, {8, 8, 8, 8, 0x12, 0x12, 8}},
        {"dither on a stereo output", &ChannelSettings::DitherBoxChange, 6, 1, {8, 8, 8, 8, 0x11, 0x02, 9}},
        {"dither on an input", &ChannelSettings::DitherBoxChange, 1, 1, {}},
        {"consumer status", &ChannelSettings::ChModeBoxChange, 5, 1, {8, 8, 8, 8, 0x11, 0x11, 8}},
        {"pro status", &ChannelSettings::ChModeBoxChange, 4, 0, {8, 8, 8, 8, 0x01, 0x01, 8}},
        {"SP/DIF output", &ChannelSettings::DigiModeBoxChange, 4, 1, {8, 8, 8, 8, 0x91, 0x91, 8}},
        {"SP/DIF input clears bit 3", &ChannelSettings::DigiModeBoxChange, 1, 1, {0x04, 0x04, 8, 8, 0x11, 0x02, 8}},
        {"AES3/EBU input", &ChannelSettings::DigiModeBoxChange, 2, 0, {8, 8, 8, 8, 0x11, 0x02, 8}},
        {"SRC off", &ChannelSettings::SRCBoxChange, 3, 1, {8, 8, 0x28, 0x28, 0x11, 0x02, 8}},
        {"SRC on an output", &ChannelSettings::SRCBoxChange, 4, 1, {}},
        {"an item past the list", &ChannelSettings::DitherBoxChange, 4, 4, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Settings f;
        f.Put(0, Digital());
        const Bytes before = f.Slot(0);
        EXPECT_EQ((f.Set.*c.handler)(Settings::Cell(0, c.row), c.item), !c.want.empty());
        const Bytes after = f.Slot(0);
        if (c.want.empty()) {
            EXPECT_EQ(after, before);
            continue;
        }
        std::vector<int> options;
        for (int i = 0; i < 7; ++i)
            options.push_back(Opt(after, i));
        EXPECT_EQ(options, c.want);
    }
}

TEST(ChannelOptions, TheLastMonoEntryHasNoPartnerToWrite)
{
    // Seven channels: the last one is an even mono output whose partner is missing; the bytes
    // behind it are the first GPIO label.
    Settings f;
    Bytes r = IOCard(111, 0, 7, 2);
    writeBE16(r, 4 + 24 * 6 + 16, static_cast<std::uint16_t>(MakeChannelID(0, 6, 0x80)));
    f.Put(0, r);
    const Bytes before = f.Slot(0);
    ASSERT_TRUE(f.Set.DitherBoxChange(Settings::Cell(0, 6), 3));
    ASSERT_TRUE(f.Set.HeadRoomBoxChange(Settings::Cell(0, 6), 10));
    const Bytes after = f.Slot(0);
    EXPECT_EQ(Opt(after, 6), 3);
    EXPECT_EQ(Lvl(after, 6), -20);
    EXPECT_TRUE(std::equal(after.begin() + 4 + 24 * 7, after.end(), before.begin() + 4 + 24 * 7)) << "GPIO labels";
}

TEST(ChannelOptions, LinksOfTheClickedChannelAndLinkedTargets)
{
    Settings f;
    f.Put(0, Digital());
    const int link = f.LinkFrom(MakeChannelID(0, 5, 0x80), 1);
    ASSERT_TRUE(f.Set.DitherBoxChange(Settings::Cell(0, 5), 1));
    EXPECT_EQ(f.Adaptations, (std::vector<Adapted>{{link, MakeChannelID(0, 5, 0x80), 0}}));
    f.LinkTo(MakeChannelID(0, 1, 0), 1);
    const Bytes before = f.Slot(0);
    EXPECT_FALSE(f.Set.DigiModeBoxChange(Settings::Cell(0, 0), 1)) << "the pair of a linked input";
    EXPECT_FALSE(f.Set.HeadRoomBoxChange(Settings::Cell(0, 1), 5));
    EXPECT_EQ(f.Slot(0), before);

    // A read-only device keeps its records: no change is reported and no link follows.
    auto header = f.Dev().GetHeader();
    header[dh::DummyDevModel] = 1;
    f.Dev().SetHeader(header, false);
    f.Adaptations.clear();
    EXPECT_FALSE(f.Set.DitherBoxChange(Settings::Cell(0, 5), 3));
    EXPECT_FALSE(f.Set.DitherBoxChange(Settings::Cell(-2, kRowSetAllLower), 3));
    EXPECT_EQ(f.Slot(0), before);
    EXPECT_TRUE(f.Adaptations.empty());
}

TEST(ChannelOptions, SetAllTouchesItsDirectionsOn111CardsOnly)
{
    using Handler = bool (ChannelSettings::*)(const SettingCell&, int);
    const struct {
        const char* what;
        Handler handler;
        int item;
        int input, output; // option bytes of an input and an output afterwards (all start at 0x08)
    } cases[] = {
        {"dither", &ChannelSettings::DitherBoxChange, 2, 0x08, 0x0A},
        {"channel status", &ChannelSettings::ChModeBoxChange, 1, 0x08, 0x18},
        {"digital format", &ChannelSettings::DigiModeBoxChange, 1, 0x04, 0x88},
        {"SRC", &ChannelSettings::SRCBoxChange, 1, 0x28, 0x08},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Settings f;
        SetFrameType(f.Dev(), 1);
        f.Put(0, IOCard(111, 0, 8, 8, -10, 0x08));
        f.Put(13, IOCard(111, 13, 4, 0, -10, 0x08));
        f.Put(1, IOCard(222, 1, 4, 0, -10, 0x08));
        const Bytes analog = f.Slot(1);
        const int link = f.LinkFrom(MakeChannelID(13, 2, 0x80), 1);
        ASSERT_TRUE((f.Set.*c.handler)(Settings::Cell(-2, kRowSetAllLower), c.item));
        for (const int slot : {0, 13}) {
            const Bytes r = f.Slot(slot);
            for (int i = 0; i < Count(r); ++i)
                EXPECT_EQ(Opt(r, i), (ID(r, i) & 0x80) ? c.output : c.input) << slot << " " << i;
        }
        EXPECT_EQ(f.Slot(1), analog);
        // The linked output follows when outputs changed.
        EXPECT_EQ(std::count(f.Adaptations.begin(), f.Adaptations.end(), Adapted{link, MakeChannelID(13, 2, 0x80), 0}),
                  c.output != 0x08 ? 1 : 0);
    }
}

// ---- levels -----------------------------------------------------------------------------------

TEST(Levels, SetAllAnalogLevelByCardFamily)
{
    const struct {
        int item;
        int level122, level223;
    } cases[] = {{18, -12, -18}, {0, -30, -30}, {5, -25, -30}, {6, -24, -30}, {7, -23, -29}, {30, 0, -6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        Settings f;
        SetFrameType(f.Dev(), 1);
        f.Put(0, IOCard(111, 0, 4, 0, -10));
        f.Put(1, IOCard(122, 1, 4, 0, -10));
        f.Put(2, IOCard(223, 2, 4, 0, -10));
        f.Put(11, IOCard(123, 11, 4, 0, -10));
        f.Put(12, IOCard(222, 12, 4, 0, -10));
        f.LinkTo(MakeChannelID(12, 3, 0x80), 0);
        const Bytes digital = f.Slot(0);
        ASSERT_TRUE(f.Set.HeadRoomBoxChange(Settings::Cell(-2, kRowSetAllLower), c.item));
        EXPECT_EQ(f.Slot(0), digital);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(Lvl(f.Slot(1), i), c.level122);
            EXPECT_EQ(Lvl(f.Slot(11), i), c.level122);
            EXPECT_EQ(Lvl(f.Slot(2), i), c.level223);
            EXPECT_EQ(Lvl(f.Slot(12), i), i == 3 ? -10 : c.level122) << "a linked target keeps its level";
        }
    }
}

TEST(Levels, SetAllDigitalLevelFindsEachCardsPorts)
{
    const auto mono = [](int slot, int n, int flags) {
        std::vector<Channel> out;
        for (int ch = 0; ch < n; ++ch)
            out.push_back({"m", MakeChannelID(slot, ch, flags), 0, -1});
        return out;
    };
    Settings f;
    SetFrameType(f.Dev(), 1);
    f.Put(0, IOCard(111, 0, 4, 0, -1));
    f.Put(1, IOCard(122, 1, 4, 0, -1));
    // Slot 10: port 1 in mono entries, port 2 in 32-bit float. Slot 20: both ports plain, port 2 fed by a link.
    f.Put(9, DSPCard(3, 0x40, 0x80, mono(9, 6, 0) + mono(9, 6, 0x80) + Stereo(9, 2, 0x40, "I", -1) + Stereo(9, 2, 0xC0, "O", -1)));
    f.Put(19, DSPCard(3, 0x40, 0x40, Stereo(19, 3, 0, "i", -1) + Stereo(19, 3, 0x80, "o", -1) + Stereo(19, 2, 0x40, "I", -1) +
                                          Stereo(19, 2, 0xC0, "O", -1)));
    f.LinkTo(0x1401, 2);
    f.LinkTo(MakeChannelID(0, 1, 0), 1);
    const int fed = f.LinkFrom(0x0A00, 2);
    const int fed2 = f.LinkFrom(0x1400, 2);
    ASSERT_TRUE(f.Set.HeadRoomBoxChange(Settings::Cell(-2, kRowSetAllUpper), 30 - 12));

    const auto levels = [&](int slot) {
        std::vector<int> out;
        const Bytes r = f.Slot(slot);
        for (int i = 0; i < Count(r); ++i)
            out.push_back(Lvl(r, i));
        return out;
    };
    EXPECT_EQ(levels(0), (std::vector<int>{-1, -1, -12, -12})) << "a linked target pair keeps its level";
    EXPECT_EQ(levels(1), (std::vector<int>{-1, -1, -1, -1}));
    EXPECT_EQ(levels(9), (std::vector<int>{-12, -12, -12, -12, -12, -12, -12, -12, -12, -12, -12, -12, -1, -1, -1, -1}));
    EXPECT_EQ(levels(19), (std::vector<int>{-12, -12, -12, -12, -12, -12, -1, -1, -1, -1}));
    // Each changed port follows its links once, by its port word.
    EXPECT_EQ(f.Adaptations, (std::vector<Adapted>{{fed, 0, 0}, {fed2, 0, 0}}));
}

TEST(Levels, OneChannelOrAPortLine)
{
    Settings f;
    SetFrameType(f.Dev(), 1);
    f.Put(0, Digital());
    f.Put(1, IOCard(122, 1, 4, 0, -10));
    f.Put(9, DSPCard(3, 0x40, 0x40, Stereo(9, 2, 0, "i", -1) + Stereo(9, 2, 0x80, "o", -1) + Stereo(9, 2, 0x40, "I", -1) +
                                         Stereo(9, 2, 0xC0, "O", -1)));
    f.Put(19, DSPCard(2, 0xC0, 0, Stereo(19, 2, 0, "i", -1)));

    ASSERT_TRUE(f.Set.HeadRoomBoxChange(Settings::Cell(0, 5), 25));
    EXPECT_EQ((std::vector<int>{Lvl(f.Slot(0), 4), Lvl(f.Slot(0), 5), Lvl(f.Slot(0), 6)}), (std::vector<int>{-5, -5, -10}));
    EXPECT_EQ(Opt(f.Slot(0), 5), 0x02) << "the option bytes are not copied";
    ASSERT_TRUE(f.Set.HeadRoomBoxChange(Settings::Cell(1, 2), 0));
    EXPECT_EQ((std::vector<int>{Lvl(f.Slot(1), 1), Lvl(f.Slot(1), 2), Lvl(f.Slot(1), 3)}), (std::vector<int>{-10, -30, -10}));

    // The port line of port 2 in the whole frame: every channel of port 2, nothing else.
    ASSERT_TRUE(f.Set.HeadRoomBoxChange(Settings::Cell(9, 2, 1, true), 20));
    std::vector<int> levels;
    for (int i = 0; i < 8; ++i)
        levels.push_back(Lvl(f.Slot(9), i));
    EXPECT_EQ(levels, (std::vector<int>{-1, -1, -1, -1, -10, -10, -10, -10}));
    // One MADI channel in the single-slot view.
    ASSERT_TRUE(f.Set.HeadRoomBoxChange(Settings::Cell(9, 1, 0, false), 30));
    EXPECT_EQ(Lvl(f.Slot(9), 1), 0);
    EXPECT_EQ(Lvl(f.Slot(9), 0), -1);
    // A port in 32-bit float keeps its levels.
    EXPECT_FALSE(f.Set.HeadRoomBoxChange(Settings::Cell(19, 0, 0, true), 20));
    EXPECT_EQ(Lvl(f.Slot(19), 0), -1);
}

TEST(NumberFormat, FloatBitOfThePortFollowsToTheFedPort)
{
    Settings f;
    f.Put(9, DSPCard(3, 0x40, 0x40, Stereo(9, 2, 0, "i") + Stereo(9, 2, 0x80, "o") + Stereo(9, 2, 0x40, "I")));
    f.LinkTo(0x0A01, 2); // port 2 is fed too: that link is left alone
    const int fed = f.LinkFrom(0x0A01, 2);
    ASSERT_TRUE(f.Set.FloatBoxChange(Settings::Cell(9, 2, 1), 1));
    EXPECT_EQ(f.Slot(9)[4], 0xC0);
    EXPECT_EQ(f.Slot(9)[3] & 0xFE, 0x40);
    ASSERT_TRUE(f.Set.FloatBoxChange(Settings::Cell(9, 2, 1), 0));
    EXPECT_EQ(f.Slot(9)[4], 0x40);
    EXPECT_EQ(f.Adaptations, (std::vector<Adapted>{{fed, 1, 0}, {fed, 1, 0}})) << "only the link the port feeds";
}

// ---- two linked frames ---------------------------------------------------------------------------

// Source device: a 111 in slot 0 and a one-port MADI card in slot 9; target device: a 111 in
// slot 2 and a MADI card in slot 9. A digital link out 4/5 -> in 0/1 and a MADI link port 1 -> port 1.
struct TwoFrames {
    RecordingHost Host;
    platform::ScriptedPrompter Prompts;
    TProject Project;
    int Src = 0, Dst = 0;
    std::unique_ptr<FrameEditor> Editor;
    std::unique_ptr<ChannelSettings> Set;
    std::vector<Adapted> Adaptations;
    TDeviceLink Digital, Madi;
    TwoFrames()
    {
        Project.InitProject();
        Src = Project.AddDevice();
        Dst = Project.AddDevice();
        Dev(Src).SetSetupData(0, IOCard(111, 0, 8, 8, -10));
        Dev(Dst).SetSetupData(2, IOCard(111, 2, 8, 8, -20));
        Dev(Src).SetSetupData(9, DSPCard(2, 0x40, 0, Stereo(9, 32, 0, "si", -3) + Stereo(9, 32, 0x80, "so", -3)));
        Dev(Dst).SetSetupData(9, DSPCard(2, 0x40, 0, Stereo(9, 32, 0, "ti", -9) + Stereo(9, 32, 0x80, "to", -9)));
        Digital = Link(1, 0, MakeChannelID(0, 4, 0x80), 2, MakeChannelID(2, 0, 0));
        Madi = Link(2, 9, 0x0A00, 9, 0x0A00);
        Editor = std::make_unique<FrameEditor>(Project, Src, Prompts);
        Set = std::make_unique<ChannelSettings>(Project, Src, *Editor);
        Editor->AdaptLink = [this](const TDeviceLink& l, int word, int flag) {
            Adaptations.push_back({l.ID, word, flag});
            TDeviceLink link = l;
            AdaptLink(Project, link, word, flag != 0);
        };
    }
    TDevice& Dev(int d) { return *Project.Device(d); }
    Bytes Slot(int d, int s) { return Dev(d).GetSetupData(static_cast<std::uint8_t>(s)); }
    TDeviceLink Link(int type, int sslot, int sport, int tslot, int tport)
    {
        TDeviceLink l;
        l.SDev = static_cast<std::uint8_t>(Src);
        l.SSlot = static_cast<std::uint8_t>(sslot);
        l.SPort = static_cast<std::uint16_t>(sport);
        l.TDev = static_cast<std::uint8_t>(Dst);
        l.TSlot = static_cast<std::uint8_t>(tslot);
        l.TPort = static_cast<std::uint16_t>(tport);
        l.Type = static_cast<std::uint8_t>(type);
        l.ID = static_cast<std::uint8_t>(AddDeviceLink(Project, l));
        return l;
    }
};

TEST(LinkedFrames, TheTargetFollowsEachKindOfChange)
{
    TwoFrames f;
    const int out4 = MakeChannelID(0, 4, 0x80);

    ASSERT_TRUE(f.Set->DitherBoxChange(Settings::Cell(0, 4), 2));
    EXPECT_EQ(Opt(f.Slot(f.Dst, 2), 0), 2);
    ASSERT_TRUE(f.Set->HeadRoomBoxChange(Settings::Cell(0, 4), 25));
    EXPECT_EQ(Lvl(f.Slot(f.Dst, 2), 0), -5);
    ASSERT_TRUE(f.Set->StereoBoxChange(Settings::Cell(0, 5), 1));
    EXPECT_EQ(ID(f.Slot(f.Dst, 2), 0), MakeChannelID(2, 0, 0x2000)) << "the target pair became stereo";
    EXPECT_EQ(Count(f.Slot(f.Dst, 2)), 7);
    ASSERT_TRUE(f.Set->DigiModeBoxChange(Settings::Cell(-2, kRowSetAllLower), 1));
    EXPECT_EQ(Opt(f.Slot(f.Dst, 2), 0), 0x82);
    EXPECT_EQ(f.Adaptations, (std::vector<Adapted>{{f.Digital.ID, out4, 0},
                                                   {f.Digital.ID, out4, 0},
                                                   {f.Digital.ID, out4 | 0x2000, 1},
                                                   {f.Digital.ID, out4 | 0x2000, 0}}));

    f.Adaptations.clear();
    ASSERT_TRUE(f.Set->MADIChannelsChange(Settings::Cell(9, 0, 0), 0));
    Bytes t = f.Slot(f.Dst, 9);
    EXPECT_EQ(Count(t), 28 + 32) << "56 inputs mirrored, the target's outputs untouched";
    EXPECT_EQ(Name(t, 27), "so54");
    EXPECT_EQ(t[3] & 0xFE, 0x00);
    ASSERT_TRUE(f.Set->FloatBoxChange(Settings::Cell(9, 0, 0), 1));
    EXPECT_EQ(f.Slot(f.Dst, 9)[3] & 0x80, 0x80);
    ASSERT_TRUE(f.Set->FloatBoxChange(Settings::Cell(9, 0, 0), 0));
    ASSERT_TRUE(f.Set->HeadRoomBoxChange(Settings::Cell(-2, kRowSetAllUpper), 30 - 14));
    t = f.Slot(f.Dst, 9);
    EXPECT_EQ(Lvl(t, 0), -14);
    EXPECT_EQ(Lvl(t, 27), -14);
    EXPECT_EQ(Lvl(t, 28), -9);
    EXPECT_EQ(f.Adaptations, (std::vector<Adapted>{{f.Madi.ID, 0, 0}, {f.Madi.ID, 0, 0}, {f.Madi.ID, 0, 0},
                                                   {f.Digital.ID, out4 | 0x2000, 0}, {f.Madi.ID, 0, 0}}));
}

} // namespace
} // namespace kvr::app::frameio::test
