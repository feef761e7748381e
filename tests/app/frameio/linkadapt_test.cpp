#include <gtest/gtest.h>

#include "../../model/recordinghost.h"
#include "app/frameio/linkadapt.h"
#include "framefixture.h"
#include "model/adaptationhooks.h"
#include "model/cardrecords.h"

namespace kvr::app::frameio::test {
namespace {

using namespace model;
using model::test::RecordingHost;

int ID(const Bytes& r, int i, std::size_t base = 4) { return readBE16(r, base + 24 * static_cast<std::size_t>(i) + 16); }
std::string Name(const Bytes& r, int i, std::size_t base = 4)
{
    const auto* p = reinterpret_cast<const char*>(r.data() + base + 24 * static_cast<std::size_t>(i));
    return std::string(p, strnlen(p, 16));
}

// 111 card in slot 0: 8 mono channels (inputs 0-3, outputs 4-7) and 8 GPIO labels.
Bytes Card111() { return IOCard(111, 0, 8, 8); }

Bytes Madi(int kind, int mode1, const std::vector<Channel>& entries) { return DSPCard(kind, mode1, 0, entries); }

TEST(MadiGroupWalk, GroupEndsByDirectionChanges)
{
    const struct {
        const char* what;
        std::vector<Channel> entries;
        MadiGroupEnds ends;
    } cases[] = {
        {"two ports", Stereo(9, 2, 0, "a") + Stereo(9, 3, 0x80, "b") + Stereo(9, 1, 0x40, "c") + Stereo(9, 2, 0xC0, "d"), {2, 5, 6, 8}},
        {"inputs only", Stereo(9, 3, 0, "a"), {3, 3, 3, 3}},
        {"outputs only", Stereo(9, 2, 0x80, "a"), {2, 2, 2, 2}},
        {"no entries", {}, {0, 0, 0, 0}},
        {"port 2 without outputs", Stereo(9, 1, 0, "a") + Stereo(9, 1, 0x80, "b") + Stereo(9, 2, 0x40, "c"), {1, 2, 4, 4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WalkMadiGroups(Madi(3, 0, c.entries)), c.ends) << c.what;
}

TEST(StereoEntries, JoinMergesOnlyTheTruePartner)
{
    Bytes joined = Card111();
    ASSERT_EQ(JoinStereoEntry(joined, 5), 4);
    EXPECT_EQ(joined[2], 7);
    EXPECT_EQ(ID(joined, 4), MakeChannelID(0, 4, 0x2080));
    EXPECT_EQ(Name(joined, 4), "Ch5");
    EXPECT_EQ(Name(joined, 5), "Ch7");
    EXPECT_EQ(Name(joined, 7), "G1") << "GPIO labels follow the channel entries directly";
    EXPECT_EQ(joined.size(), static_cast<std::size_t>(CalcCardRecordSize(joined)));
    Bytes fromEven = Card111();
    EXPECT_EQ(JoinStereoEntry(fromEven, 4), 4);
    EXPECT_EQ(fromEven, joined);

    // Entries with no partner inside the channel list stay as they are.
    Bytes threeMono = IOCard(111, 0, 3, 2);
    Bytes oddFirst = IOCard(111, 0, 2, 2);
    writeBE16(oddFirst, 4 + 16, static_cast<std::uint16_t>(MakeChannelID(0, 1, 0)));
    Bytes stereo = Card111();
    JoinStereoEntry(stereo, 0);
    const struct {
        const char* what;
        Bytes* record;
        int index;
    } cases[] = {
        {"last channel of an odd list", &threeMono, 2},
        {"odd channel first", &oddFirst, 0},
        {"already stereo", &stereo, 0},
        {"before the list", &threeMono, -1},
        {"past the list", &threeMono, 3},
    };
    for (const auto& c : cases) {
        const Bytes before = *c.record;
        EXPECT_EQ(JoinStereoEntry(*c.record, c.index), -1) << c.what;
        EXPECT_EQ(*c.record, before) << c.what;
    }
}

TEST(StereoEntries, SplitGivesTheOddChannelACopy)
{
    Bytes madi = Madi(2, 0, Stereo(9, 6, 0, "In"));
    ASSERT_TRUE(SplitStereoEntry(madi, 5));
    EXPECT_EQ(DSPChannelCount(madi), 7);
    EXPECT_EQ(ID(madi, 5, 8), MakeChannelID(9, 10, 0));
    EXPECT_EQ(ID(madi, 6, 8), MakeChannelID(9, 11, 0));
    EXPECT_EQ(Name(madi, 5, 8), "In10");
    EXPECT_EQ(Name(madi, 6, 8), "In10");
    EXPECT_EQ(madi.size(), 8u + 24 * 7);

    Bytes io = Card111();
    const int merged = JoinStereoEntry(io, 2);
    ASSERT_TRUE(SplitStereoEntry(io, merged));
    Bytes expected = Card111();
    expected[4 + 24 * 3 + 2] = '3'; // the odd channel carries the pair's label
    EXPECT_EQ(io, expected) << "join then split gives the pair back";
}

TEST(StereoEntries, SplitOfAMono111EntrySharesTheOptionWithItsPartnerOnly)
{
    Bytes io = Card111();
    io[4 + 24 * 2 + 18] = 0x05;
    ASSERT_TRUE(SplitStereoEntry(io, 2));
    EXPECT_EQ(io[4 + 24 * 3 + 18], 0x05);

    // The last channel of an odd list: the bytes after it are a GPIO label.
    Bytes last = IOCard(111, 0, 3, 2);
    last[4 + 24 * 2 + 18] = 0x05;
    const Bytes before = last;
    EXPECT_FALSE(SplitStereoEntry(last, 2));
    EXPECT_FALSE(SplitStereoEntry(last, 1)) << "an odd channel is the second of its pair";
    EXPECT_EQ(last, before);
    Bytes other = IOCard(122, 0, 4, 0);
    EXPECT_FALSE(SplitStereoEntry(other, 0));
}

// Two frames: an analog or digital card in slot 0 of the source and slot 2 of the target.
struct Linked {
    RecordingHost Host;
    TProject Project;
    int Src = 0, Dst = 0;
    std::vector<std::pair<int, int>> StereoUsers; // device, word
    Linked()
    {
        Project.InitProject();
        Src = Project.AddDevice();
        Dst = Project.AddDevice();
        Adaptation().AdaptStereoSources = [this](TDevice& d, int w) {
            StereoUsers.push_back({&d == Project.Device(Src) ? Src : Dst, w});
        };
    }
    ~Linked() { Adaptation().AdaptStereoSources = nullptr; }
    TDevice& Dev(int d) { return *Project.Device(d); }
    Bytes Slot(int d, int s) { return Dev(d).GetSetupData(static_cast<std::uint8_t>(s)); }
    TDeviceLink Link(int type, int sport, int tport, int tslot = 2, int sslot = 0)
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

TEST(AdaptLink, ChannelLinksCopyNamesOptionsAndLayout)
{
    const int out4 = MakeChannelID(0, 4, 0x80);
    const int in0 = MakeChannelID(2, 0, 0);
    const struct {
        const char* what;
        int type;
        bool sourceStereo, targetStereo;
        int targetEntries; // channel entries of the target afterwards
        int targetOption;  // entry 0's option byte afterwards (source 0x0D, target 0x02)
        bool users;        // stereo users of the target adapted
    } cases[] = {
        {"analog mono onto mono", 0, false, false, 8, 0x05, false},
        {"digital mono onto mono", 1, false, false, 8, 0x05, false},
        {"analog stereo onto mono pair", 0, true, false, 7, 0x02, true},
        {"digital stereo onto mono pair", 1, true, false, 7, 0x05, true},
        {"analog mono onto stereo", 0, false, true, 8, 0x05, true},
        {"analog stereo onto stereo", 0, true, true, 7, 0x02, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Linked f;
        const int card = c.type == 0 ? 122 : 222;
        Bytes src = IOCard(card, 0, 8, 0, -7, 0x0D);
        Bytes dst = IOCard(card, 2, 8, 0, -20, 0x02);
        if (c.sourceStereo)
            JoinStereoEntry(src, 4);
        if (c.targetStereo)
            JoinStereoEntry(dst, 0);
        f.Dev(f.Src).SetSetupData(0, src);
        f.Dev(f.Dst).SetSetupData(2, dst);
        const int sport = out4 | (c.sourceStereo ? 0x2000 : 0);
        const int tport = in0 | (c.targetStereo ? 0x2000 : 0);
        TDeviceLink link = f.Link(c.type, sport, tport);

        ASSERT_TRUE(AdaptLink(f.Project, link, sport, true));
        const Bytes after = f.Slot(f.Dst, 2);
        EXPECT_EQ(after[2], c.targetEntries);
        EXPECT_EQ(ID(after, 0), in0 | (c.sourceStereo ? 0x2000 : 0));
        EXPECT_EQ(Name(after, 0), "Ch5");
        EXPECT_EQ(static_cast<std::int8_t>(after[4 + 19]), -7);
        EXPECT_EQ(after[4 + 18], c.targetOption);
        if (!c.sourceStereo) {
            EXPECT_EQ(Name(after, 1), c.targetStereo ? "Ch5" : "Ch2");
            EXPECT_EQ(ID(after, 1), in0 | 1);
        }
        TDeviceLink stored;
        ASSERT_EQ(GetDeviceLink(f.Project, link.ID, stored), 1);
        EXPECT_EQ(stored.TPort, in0 | (c.sourceStereo ? 0x2000 : 0)) << "the link names the target channel as it is now";
        using Users = std::vector<std::pair<int, int>>;
        const Users expected = c.users ? Users{{f.Dst, in0 | (sport & 0x2000)}} : Users{};
        EXPECT_EQ(f.StereoUsers, expected);
        EXPECT_TRUE(f.Host.shown.empty());
    }
}

TEST(AdaptLink, ChannelLinkFollowsOnlyItsOwnSourceChannel)
{
    Linked f;
    f.Dev(f.Src).SetSetupData(0, IOCard(122, 0, 8, 0));
    const Bytes dst = IOCard(122, 2, 8, 0);
    f.Dev(f.Dst).SetSetupData(2, dst);
    TDeviceLink link = f.Link(0, MakeChannelID(0, 4, 0x80), MakeChannelID(2, 0, 0));
    EXPECT_TRUE(AdaptLink(f.Project, link, MakeChannelID(0, 5, 0x80), true));
    TDeviceLink unknown = f.Link(0, MakeChannelID(0, 30, 0x80), MakeChannelID(2, 0, 0));
    EXPECT_TRUE(AdaptLink(f.Project, unknown, MakeChannelID(0, 30, 0x80), true));
    EXPECT_EQ(f.Slot(f.Dst, 2), dst);
}

TEST(AdaptLink, MissingCardOrDeviceIsAnErrorAndChangesNothing)
{
    const struct {
        const char* what;
        int tdev, tslot;
    } cases[] = {
        {"empty target slot", 1, 3},
        {"device past the list", 9, 2},
        {"slot past the frame", 1, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Linked f;
        f.Dev(f.Src).SetSetupData(0, IOCard(122, 0, 8, 0));
        f.Dev(f.Dst).SetSetupData(2, IOCard(122, 2, 8, 0));
        TDeviceLink link = f.Link(0, MakeChannelID(0, 4, 0x80), MakeChannelID(2, 0, 0));
        link.TDev = static_cast<std::uint8_t>(c.tdev);
        link.TSlot = static_cast<std::uint8_t>(c.tslot);
        EXPECT_FALSE(AdaptLink(f.Project, link, MakeChannelID(0, 4, 0x80), true));
        EXPECT_EQ(f.Host.Texts(), std::vector<std::string>{
                                      "Error: CX4AppForm->AdaptLink: Cordex4 found an empty card slot which is used as device link!"});
        EXPECT_EQ(f.Slot(f.Dst, 2), IOCard(122, 2, 8, 0));
    }
}

// Fills a device image so that one more channel entry does not fit.
void FillImage(TDevice& d)
{
    std::size_t lo = 0, hi = TDevice::ImageSize;
    while (lo + 1 < hi) {
        const std::size_t mid = (lo + hi) / 2;
        (d.SetData(250, Bytes(mid, 0x11)) ? lo : hi) = mid;
    }
    ASSERT_TRUE(d.SetData(250, Bytes(lo, 0x11)));
}

TEST(AdaptLink, TargetThatCannotBeStoredAnswersFalse)
{
    Linked f;
    f.Dev(f.Src).SetSetupData(0, IOCard(122, 0, 8, 0));
    Bytes dst = IOCard(122, 2, 8, 0);
    JoinStereoEntry(dst, 0);
    f.Dev(f.Dst).SetSetupData(2, dst);
    FillImage(f.Dev(f.Dst));
    f.Host.shown.clear();
    TDeviceLink link = f.Link(0, MakeChannelID(0, 4, 0x80), MakeChannelID(2, 0, 0x2000));
    EXPECT_FALSE(AdaptLink(f.Project, link, MakeChannelID(0, 4, 0x80), true)) << "the split needs 24 more bytes";
    EXPECT_EQ(f.Slot(f.Dst, 2), dst);
}

struct Progress : LinkProgress {
    std::vector<std::string> Calls;
    void Start(int m) override { Calls.push_back("start " + std::to_string(m)); }
    void Step() override { Calls.push_back("step"); }
    void Finish() override { Calls.push_back("finish"); }
};

TEST(AdaptLink, MadiPortMirrorsTheSourcePort)
{
    // Source in slot 10: one port (kind 2), 2 stereo inputs, 28 stereo outputs (56 channels).
    const auto srcEntries = Stereo(9, 2, 0, "SI") + Stereo(9, 28, 0x80, "SO");
    // Target: two ports (kind 3), port 2 with 64 inputs and 2 outputs, port 1 with one pair each.
    const auto dstEntries = Stereo(19, 1, 0, "P1I") + Stereo(19, 1, 0x80, "P1O") + Stereo(19, 32, 0x40, "TI") +
                            Stereo(19, 1, 0xC0, "TO");
    const struct {
        const char* what;
        int direction;
        int inputs, outputs; // of target port 2 afterwards
        const char* firstOutput;
    } cases[] = {
        {"one way", 0, 28, 1, "TO0"},
        {"both ways", 1, 28, 2, "SI0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Linked f;
        f.Dev(f.Src).SetSetupData(9, DSPCard(2, 0x00, 0, srcEntries));
        f.Dev(f.Dst).SetSetupData(19, DSPCard(3, 0x00, 0x40, dstEntries));
        TDeviceLink link = f.Link(2, 0x0A00, 0x1401, 19, 9);
        link.Direction = static_cast<std::uint8_t>(c.direction);
        Progress bar;
        ASSERT_TRUE(AdaptLink(f.Project, link, 0, true, &bar));
        const Bytes after = f.Slot(f.Dst, 19);
        const int n = DSPChannelCount(after);
        ASSERT_EQ(n, 2 + c.inputs + c.outputs);
        EXPECT_EQ(after.size(), 8u + 24 * static_cast<std::size_t>(n));
        EXPECT_EQ(WalkMadiGroups(after), (MadiGroupEnds{1, 2, 2 + c.inputs, n}));
        EXPECT_EQ(Name(after, 0, 8), "P1I0") << "port 1 untouched";
        EXPECT_EQ(Name(after, 1, 8), "P1O0");
        EXPECT_EQ(Name(after, 2, 8), "SO0");
        EXPECT_EQ(ID(after, 2, 8), MakeChannelID(19, 0, 0x2040)) << "an input of target port 2";
        EXPECT_EQ(Name(after, 2 + 27, 8), "SO54");
        EXPECT_EQ(Name(after, 2 + c.inputs, 8), c.firstOutput);
        EXPECT_EQ(ID(after, 2 + c.inputs, 8), MakeChannelID(19, 0, 0x20C0));
        EXPECT_EQ(after[4], 0x00) << "port 2 takes the source port's 56-channel mode";
        EXPECT_EQ(after[3], 0x00);
        EXPECT_EQ(bar.Calls, (std::vector<std::string>{"start " + std::to_string(30 + n), "finish"}))
            << "no channel changed between mono and stereo";
        EXPECT_EQ(f.Slot(f.Src, 9), DSPCard(2, 0x00, 0, srcEntries));
    }
}

TEST(AdaptLink, MadiLinkOfDirectionTwoAlsoMirrorsTheTargetIntoTheSource)
{
    // Source in slot 10, one port: 2 stereo inputs, 3 outputs. Target in slot 20, port 2 of two:
    // 4 inputs and 3 outputs.
    const auto srcEntries = Stereo(9, 2, 0, "SI") + Stereo(9, 3, 0x80, "SO");
    const auto dstEntries = Stereo(19, 1, 0, "P1I") + Stereo(19, 1, 0x80, "P1O") + Stereo(19, 4, 0x40, "TI") +
                            Stereo(19, 3, 0xC0, "TO");
    Linked f;
    f.Dev(f.Src).SetSetupData(9, DSPCard(2, 0x40, 0, srcEntries));
    f.Dev(f.Dst).SetSetupData(19, DSPCard(3, 0x00, 0x00, dstEntries));
    TDeviceLink link = f.Link(2, 0x0A00, 0x1401, 19, 9);
    link.Direction = 2;
    Progress bar;
    ASSERT_TRUE(AdaptLink(f.Project, link, 0, true, &bar));
    const Bytes target = f.Slot(f.Dst, 19);
    EXPECT_EQ(WalkMadiGroups(target), (MadiGroupEnds{1, 2, 5, 8})) << "port 2 takes the source's 3 outputs";
    EXPECT_EQ(Name(target, 2, 8), "SO0");
    EXPECT_EQ(Name(target, 5, 8), "TO0") << "the target's outputs stay";
    EXPECT_EQ(target[4], 0x40);
    const Bytes source = f.Slot(f.Src, 9);
    EXPECT_EQ(WalkMadiGroups(source), (MadiGroupEnds{3, 6, 6, 6})) << "the source's inputs take the target's 3 outputs";
    EXPECT_EQ(source.size(), 8u + 24 * 6);
    EXPECT_EQ(Name(source, 0, 8), "TO0");
    EXPECT_EQ(Name(source, 2, 8), "TO4");
    EXPECT_EQ(ID(source, 0, 8), MakeChannelID(9, 0, 0x2000)) << "an input of the source's slot and port";
    EXPECT_EQ(ID(source, 2, 8), MakeChannelID(9, 4, 0x2000));
    EXPECT_EQ(Name(source, 3, 8), "SO0") << "the source's outputs stay";
    EXPECT_EQ(bar.Calls, (std::vector<std::string>{"start 14", "finish"}));

    // When the source device cannot take its grown record, neither card changes.
    Linked full;
    full.Dev(full.Src).SetSetupData(9, DSPCard(2, 0x40, 0, srcEntries));
    full.Dev(full.Dst).SetSetupData(19, DSPCard(3, 0x00, 0x00, dstEntries));
    FillImage(full.Dev(full.Src));
    TDeviceLink refused = full.Link(2, 0x0A00, 0x1401, 19, 9);
    refused.Direction = 2;
    EXPECT_FALSE(AdaptLink(full.Project, refused, 0, true));
    EXPECT_EQ(full.Slot(full.Src, 9), DSPCard(2, 0x40, 0, srcEntries));
    EXPECT_EQ(full.Slot(full.Dst, 19), DSPCard(3, 0x00, 0x00, dstEntries));
}

TEST(AdaptLink, MadiStereoUsersFollowChannelsThatChangedLayout)
{
    Linked f;
    Bytes srcCard = DSPCard(2, 0x40, 0, Stereo(9, 1, 0, "SI") + Stereo(9, 2, 0x80, "SO"));
    ASSERT_TRUE(SplitStereoEntry(srcCard, 1)); // output channels 0 and 1 now mono
    f.Dev(f.Src).SetSetupData(9, srcCard);
    f.Dev(f.Dst).SetSetupData(19, DSPCard(2, 0x00, 0, Stereo(19, 2, 0, "TI") + Stereo(19, 1, 0x80, "TO")));
    TDeviceLink link = f.Link(2, 0x0A00, 0x1400, 19, 9);
    Progress bar;
    ASSERT_TRUE(AdaptLink(f.Project, link, 0, true, &bar));
    EXPECT_EQ(bar.Calls, (std::vector<std::string>{"start 8", "step", "finish"}));
    EXPECT_EQ(f.StereoUsers, (std::vector<std::pair<int, int>>{{f.Dst, MakeChannelID(19, 0, 0)}}));
    EXPECT_EQ(f.Slot(f.Dst, 19)[3], 0x40);

    Linked quiet;
    quiet.Dev(quiet.Src).SetSetupData(9, srcCard);
    quiet.Dev(quiet.Dst).SetSetupData(19, DSPCard(2, 0x00, 0, Stereo(19, 2, 0, "TI")));
    TDeviceLink noUsers = quiet.Link(2, 0x0A00, 0x1400, 19, 9);
    ASSERT_TRUE(AdaptLink(quiet.Project, noUsers, 0, false, &bar));
    EXPECT_TRUE(quiet.StereoUsers.empty());
}

} // namespace
} // namespace kvr::app::frameio::test
