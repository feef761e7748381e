#include <gtest/gtest.h>

#include <functional>

#include "editors/audio/faderchanneleditor.h"
#include "fakehost.h"
#include "fakepickers.h"
#include "model/faderaccess.h"
#include "model/globalresources.h"
#include "model/inserts.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"
#include "sourcefixture.h"

namespace kvr::editors::test {
namespace {

constexpr std::uint16_t kMicL = 0x2300, kLine = 0x0304;
constexpr std::uint16_t kMIDI3 = 0x4602, kMasterMain = 0x4700, kVCA1 = 0x4780;

// Device 0 "Studio A" with channels 5 "Mic" and 41 "Far"; device 1 "Remote" feeds its global pool.
class FaderChannels : public SourceProject {
public:
    FaderChannels()
    {
        project.AddDevice();
        remote = project.Device(1);
        FillStudio(*remote, "Remote");
        remote->SetSetupData(2, CardRec(111, {{"Far", 0x2300}, {"Xtra", 0x2304}}));
        TGlobalPoolRecord pool;
        InitGlobalPoolLine(pool);
        pool.SourceDevice = remote->GetDeviceID();
        SetGlobalPoolLines(*dev, pool);
        audio.project = logic.project = &project;
        editorHost.project = &project;
        editorHost.audio = &audio;
        editorHost.logic = &logic;
    }

    FaderChannelEditor& Editor()
    {
        if (!editor) {
            editor = std::make_unique<FaderChannelEditor>(editorHost, project, 0);
            editor->OnScheduleRefresh = [this] { ++scheduled; };
        }
        return *editor;
    }
    // Selects a channel's row and lets the timer fire.
    FaderChannelView Show(int number)
    {
        Editor().Select(Editor().RowOfChannel(number));
        return Tick();
    }
    FaderChannelView Tick()
    {
        FaderChannelView shown;
        shown.Number = -1;
        Editor().Tick([&](const FaderChannelView* v) {
            if (v)
                shown = *v;
        });
        return shown;
    }
    TFaderChannel Channel(int number)
    {
        TFaderChannel c;
        GetFaderChannel(*dev, number, c);
        return c;
    }
    // The audio window's Assign with a picked reference, as a drop on the source panel does.
    void Pick(std::uint16_t ref)
    {
        audio.picked.Ref = ref;
        Editor().DropSource();
    }
    std::string Name(int ref, int device) { return GetAudioSourceName(project, ref, device, false); }
    std::vector<std::string> Captions()
    {
        std::vector<std::string> out;
        for (const auto& row : Editor().Rows())
            out.push_back(row.Caption);
        return out;
    }

    TDevice* remote = nullptr;
    RecordingAudioPicker audio;
    RecordingLogicPicker logic;
    FakeHost editorHost;
    std::unique_ptr<FaderChannelEditor> editor;
    int scheduled = 0;
};

TEST_F(FaderChannels, ListRowsAndTheSelectedChannelShownThroughTheTimer)
{
    SetPoolName(*dev, 2, "Studio");
    TFaderChannel far = Channel(41);
    far.PoolFlags = 3;
    SetFaderChannel(*dev, 41, far);
    auto& e = Editor();
    ASSERT_EQ(e.Rows().size(), 2u);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"CH5 Mic", "CH41 Far"}));
    EXPECT_EQ(e.Rows()[1].Pool, "Studio");
    EXPECT_EQ(e.Rows()[0].Pool, "");
    // Naming pool 3 gives the pools below it their default names.
    EXPECT_EQ(e.PoolNames(), (std::vector<std::string>{"None", "Pool 1", "Studio"}));

    // Selecting only schedules; the tick shows.
    scheduled = 0;
    e.Select(1);
    EXPECT_EQ(scheduled, 1);
    const FaderChannelView v = Tick();
    EXPECT_EQ(v.Number, 41);
    EXPECT_EQ(v.PoolItem, 2);
    EXPECT_EQ(v.MuteLogicCaptions[4], "MuteLogic 5");
    EXPECT_TRUE(v.GlobalPoolEnabled);

    // Without a selected row the tick shows nothing.
    e.Select(-1);
    EXPECT_EQ(Tick().Number, -1);
}

TEST_F(FaderChannels, AddGivesANewChannelAndAsksForItsSource)
{
    auto& e = Editor();
    e.Add();
    const int number = e.SelectedChannel();
    ASSERT_GT(number, 0);
    EXPECT_EQ(e.Selected(), 2);
    const TFaderChannel c = Channel(number);
    EXPECT_EQ(GetFaderChannelName(*dev, number), "New");
    EXPECT_EQ(c.ReadySignal, 0x3FFF);
    EXPECT_EQ(c.ChannelTimer, 481 + number);
    EXPECT_EQ(logic.builds, 1);
    EXPECT_EQ(audio.device, 0);
    EXPECT_EQ(audio.kind, atFaderSource);
    EXPECT_EQ(audio.shows, 1);
    const FaderChannelView v = Tick();
    EXPECT_EQ(v.RowCaption, "CH" + std::to_string(number) + " New");
    EXPECT_EQ(v.LogicTexts[3], "OFF");
}

struct SourceCase {
    std::uint16_t ref;
    std::string name;     // empty: the source's own name
    bool dropLast;        // a stereo name loses its last character
    bool stereo;
    std::uint16_t monitorL, monitorR;
};

TEST_F(FaderChannels, FirstSourceNamesTheNewChannel)
{
    const SourceCase cases[] = {
        {kLine, "", false, false, kLine, kLine},
        {kMicL | 0x2000, "", true, true, kMicL & 0xDFFE, kMicL | 0x2001},
        {kMIDI3, "MID3", false, false, kMIDI3, kMIDI3},
        {kMasterMain, "", false, false, kMasterMain, kMasterMain},
    };
    for (const SourceCase& c : cases) {
        auto& e = Editor();
        e.Add();
        const int n = e.SelectedChannel();
        Pick(c.ref);
        std::string name = c.name.empty() ? Name(c.ref, 0) : c.name;
        if (c.dropLast)
            name.pop_back();
        while (name.back() == ' ')
            name.pop_back();
        const TFaderChannel got = Channel(n);
        EXPECT_EQ(GetFaderChannelName(*dev, n), name.substr(0, 16)) << c.ref;
        EXPECT_EQ(got.Source, c.ref);
        EXPECT_EQ((got.PoolFlags & 0x20) != 0, c.stereo) << c.ref;
        EXPECT_EQ(got.MonitorL, c.monitorL) << c.ref;
        EXPECT_EQ(got.MonitorR, c.monitorR) << c.ref;
        EXPECT_EQ(got.LampSource, 631 + n);
        EXPECT_EQ(got.LampSource2, 1986 + n);
        EXPECT_EQ(e.Rows()[static_cast<std::size_t>(e.Selected())].Source, e.SourceText(got));
    }
}

TEST_F(FaderChannels, ANamedChannelKeepsItsNameAndLamps)
{
    TFaderChannel mic = Channel(5);
    mic.LampSource = 7;
    mic.PoolFlags = 0x20; // stereo checked: monitor R takes the odd ID
    SetFaderChannel(*dev, 5, mic);
    Show(5);
    Pick(kLine);
    const TFaderChannel got = Channel(5);
    EXPECT_EQ(GetFaderChannelName(*dev, 5), "Mic");
    EXPECT_EQ(got.LampSource, 7);
    EXPECT_EQ(got.MonitorR, kLine | 1);
    EXPECT_EQ(got.PoolFlags & 0x20, 0); // the source has no stereo bit
}

TEST_F(FaderChannels, ChannelFedFromTheGlobalPool)
{
    auto& e = Editor();
    Show(5);
    e.SetGlobalPool(true);
    EXPECT_EQ(Channel(5).Source, 0x4900 + 5);
    FaderChannelView v = Tick();
    EXPECT_TRUE(v.GlobalPool);
    EXPECT_EQ(v.SourceTag, 0x4900);
    // The window shows the pool's source device; picks go into the pool source.
    EXPECT_EQ(audio.device, 1);
    e.SelectSource();
    EXPECT_EQ(audio.kind, atPoolFaderSource);
    audio.picked.Ref = 0x2304;
    audio.Assign();
    TFaderChannel c = Channel(5);
    EXPECT_EQ(c.Source, 0x4900 + 5);
    EXPECT_EQ(c.PoolSource, 0x2304);
    v = Tick();
    // A stereo pair of the pool device, named there.
    EXPECT_EQ(v.Source, Name(0x2304, 1) + " + " + Name(0x2305, 1));
    EXPECT_EQ(v.Source, "Xtra L + Xtra R");
    EXPECT_EQ(v.PoolSourceTag, 0x2304);
    EXPECT_EQ(e.Rows()[0].Source, v.Source);

    // A new channel fed from the pool is named from the pool's device.
    e.Add();
    const int n = e.SelectedChannel();
    e.SetGlobalPool(true);
    Pick(0x2304);
    EXPECT_EQ(GetFaderChannelName(*dev, n), "Xtra");

    Show(5);
    e.SetGlobalPool(false);
    c = Channel(5);
    EXPECT_EQ(c.Source, 0);
    EXPECT_EQ(c.PoolSource, 0);
    EXPECT_EQ(Tick().SourceTag, 0);
    EXPECT_EQ(audio.device, 0);
}

TEST_F(FaderChannels, GlobalPoolDisabledWithoutItsSourceDeviceInTheProject)
{
    TGlobalPoolRecord pool;
    InitGlobalPoolLine(pool);
    pool.SourceDevice = 0x7777;
    SetGlobalPoolLines(*dev, pool);
    EXPECT_EQ(Editor().PoolDeviceIndex(), -1);
    EXPECT_FALSE(Show(5).GlobalPoolEnabled);
}

struct GroupCase {
    std::uint16_t source;
    bool faderstart, logic, stereo;
};

TEST_F(FaderChannels, SourceKindDecidesTheGroups)
{
    // MIDI hides three groups; masters and VCA faders two.
    const GroupCase cases[] = {
        {kLine, true, true, true},
        {kMIDI3, false, false, false},
        {kMasterMain, false, true, false},
        {kVCA1, false, true, false},
    };
    for (const GroupCase& c : cases) {
        TFaderChannel mic = Channel(5);
        mic.Source = c.source;
        mic.MonitorL = kLine;
        SetFaderChannel(*dev, 5, mic);
        const FaderChannelView v = Show(5);
        EXPECT_EQ(v.FaderstartVisible, c.faderstart) << c.source;
        EXPECT_EQ(v.OutputMuteVisible, c.faderstart) << c.source;
        EXPECT_EQ(v.LogicFunctionsVisible, c.logic) << c.source;
        EXPECT_EQ(v.StereoEnabled, c.stereo) << c.source;
        EXPECT_EQ(v.CleanFeedEnabled, c.stereo) << c.source;
        EXPECT_EQ(v.MonitorSelectEnabled, c.stereo) << c.source;
        EXPECT_EQ(v.MonitorL.empty(), !c.stereo) << c.source;

        // The logic window writes only while "Logic Functions" shows; the audio window always.
        logic.picked.Ref = 931;
        Editor().DropLogic(FaderLogic::MuteCondition);
        EXPECT_EQ(Channel(5).MuteCondition, c.logic ? 931 : 0) << c.source;
        mic = Channel(5);
        mic.MuteCondition = 0;
        SetFaderChannel(*dev, 5, mic);
        audio.picked.Ref = kLine;
        Editor().DropMonitor(true);
        EXPECT_EQ(Channel(5).MonitorR, kLine) << c.source;
    }
}

TEST_F(FaderChannels, LogicPickersWriteTheirFields)
{
    struct Case {
        FaderLogic logic;
        int kind;
        std::uint16_t TFaderChannel::*field;
    };
    const Case cases[] = {
        {FaderLogic::Lamp, ltFaderLamp, &TFaderChannel::LampSource},
        {FaderLogic::MuteCondition, ltFaderMute, &TFaderChannel::MuteCondition},
        {FaderLogic::Ready, ltFaderReady, &TFaderChannel::ReadySignal},
        {FaderLogic::Lamp2, ltFaderFF2Select, &TFaderChannel::LampSource2},
        {FaderLogic::ChannelTimer, ltFaderTimer, &TFaderChannel::ChannelTimer},
    };
    Show(41);
    std::uint16_t id = 900;
    for (const Case& c : cases) {
        TFaderChannel far = Channel(41);
        far.*c.field = 12;
        SetFaderChannel(*dev, 41, far);
        Editor().SelectLogic(c.logic);
        EXPECT_EQ(logic.kind, c.kind);
        EXPECT_EQ(logic.selected, 12u);
        scheduled = 0;
        logic.picked.Ref = static_cast<std::uint16_t>(++id | 0xC000);
        logic.Assign(AssignSender::Button);
        EXPECT_EQ(Channel(41).*c.field, id);
        EXPECT_EQ(scheduled, 1);
    }
    // "OFF" only for the ready signalisation.
    logic.picked.Ref = 0x3FFF;
    Editor().DropLogic(FaderLogic::Lamp);
    EXPECT_EQ(logic.outcome.Message, kOffOnlyForReadyText);
    Editor().DropLogic(FaderLogic::Ready);
    EXPECT_EQ(Channel(41).ReadySignal, 0x3FFF);
    EXPECT_EQ(Tick().LogicTexts[3], "OFF");
}

TEST_F(FaderChannels, CheckBoxesSetTheirBits)
{
    struct Case {
        std::function<void(FaderChannelEditor&, bool)> set;
        std::uint8_t TFaderChannel::*byte;
        std::uint8_t bit;
        std::function<bool(const FaderChannelView&)> shown;
    };
    const Case cases[] = {
        {[](auto& e, bool on) { e.SetStereo(on); }, &TFaderChannel::PoolFlags, 0x20, [](auto& v) { return v.Stereo; }},
        {[](auto& e, bool on) { e.SetOnStart(on); }, &TFaderChannel::PoolFlags, 0x40, [](auto& v) { return v.OnStart; }},
        {[](auto& e, bool on) { e.SetAutoOff(on); }, &TFaderChannel::PoolFlags, 0x80, [](auto& v) { return v.AutoOff; }},
        {[](auto& e, bool on) { e.SetMuteLogic(0, on); }, &TFaderChannel::OutputMute, 0x01, [](auto& v) { return v.MuteLogic[0]; }},
        {[](auto& e, bool on) { e.SetMuteLogic(4, on); }, &TFaderChannel::OutputMute, 0x10, [](auto& v) { return v.MuteLogic[4]; }},
        {[](auto& e, bool on) { e.SetLogicOption(foTimerReset, on); }, &TFaderChannel::Options, 0x01, [](auto& v) { return v.TimerReset; }},
        {[](auto& e, bool on) { e.SetLogicOption(foVoice, on); }, &TFaderChannel::Options, 0x02, [](auto& v) { return v.Voice; }},
        {[](auto& e, bool on) { e.SetLogicOption(foPGM1Logic, on); }, &TFaderChannel::Options, 0x04, [](auto& v) { return v.PGM1Logic; }},
        {[](auto& e, bool on) { e.SetLogicOption(foSoloEffectReturn, on); }, &TFaderChannel::Options, 0x08, [](auto& v) { return v.SoloEffectReturn; }},
    };
    for (const Case& c : cases) {
        TFaderChannel mic = Channel(5);
        mic.PoolFlags = 0x0F; // the pool bits stay
        mic.OutputMute = mic.Options = 0;
        SetFaderChannel(*dev, 5, mic);
        Show(5);
        c.set(Editor(), true);
        EXPECT_EQ(Channel(5).*c.byte, static_cast<std::uint8_t>((c.byte == &TFaderChannel::PoolFlags ? 0x0F : 0) | c.bit));
        EXPECT_TRUE(c.shown(Tick()));
        c.set(Editor(), false);
        EXPECT_EQ(Channel(5).*c.byte & c.bit, 0);
        EXPECT_FALSE(c.shown(Tick()));
    }

    // While the editor is being filled nothing is written back.
    Show(5);
    Editor().Tick([&](const FaderChannelView*) {
        Editor().SetOnStart(true);
        Editor().SetFaderStart(3);
    });
    EXPECT_EQ(Channel(5).PoolFlags & 0x40, 0);
    EXPECT_EQ(Channel(5).FaderStartLevel, 0);
}

TEST_F(FaderChannels, FaderStartKnob)
{
    const std::pair<int, std::string> texts[] = {{0, "-oo dB"}, {1, "-60 dB"}, {6, "-10 dB"}};
    for (const auto& [position, text] : texts)
        EXPECT_EQ(FaderStartText(position), text);
    Show(5);
    EXPECT_EQ(Editor().SetFaderStart(4), "-30 dB");
    EXPECT_EQ(Channel(5).FaderStartLevel, 4);
    const FaderChannelView v = Tick();
    EXPECT_EQ(v.FaderStart, 4);
    EXPECT_EQ(v.FaderStartText, "-30 dB");
}

TEST_F(FaderChannels, GlobalResourcesOfThisDeviceOnly)
{
    TGlobalResource a, b;
    ASSERT_EQ(AddGlobalResource(project, a), 1);
    ASSERT_EQ(AddGlobalResource(project, b), 1);
    ASSERT_EQ(AddGlobalResourceSubscriber(project, b.ID, 0), 1);
    ASSERT_EQ(AddGlobalResourceSubscriber(project, a.ID, 1), 1);
    FaderChannelView v = Show(5);
    EXPECT_EQ(v.Resources, (std::vector<std::string>{"None", "Global Res. 2"}));
    EXPECT_EQ(v.ResourceItem, 0);
    Editor().SetGlobalResource(1);
    EXPECT_EQ(Channel(5).GlobalResource, b.ID);
    EXPECT_EQ(Tick().ResourceItem, 1);
    Editor().SetGlobalResource(0);
    EXPECT_EQ(Channel(5).GlobalResource, 0);
}

TEST_F(FaderChannels, LabelRenamesTheRowAndTheLogicSources)
{
    Show(5);
    Editor().SetLabel("Presenter Microphone 1");
    EXPECT_EQ(Captions()[0], "CH5 Presenter Microp");
    EXPECT_EQ(GetFaderChannelName(*dev, 5).substr(0, 4), "Pres");
    EXPECT_EQ(logic.builds, 1);
}

TEST_F(FaderChannels, PoolChangeCopiesOrEmptiesChains)
{
    SetHeaderBytes(*dev, {{dh::FaderCount, 4}});
    SetPoolName(*dev, 0, "Band");
    SetPoolName(*dev, 2, "Studio");
    const int added = AddFaderChannel(*dev);
    TFaderChannel one = Channel(added);
    one.PoolFlags = 3; // pool "Studio"
    SetFaderChannel(*dev, added, one);
    const auto put = [&](int fader, int channel, std::vector<std::uint8_t> chain) {
        TFader f;
        f.FaderChannel = static_cast<std::uint8_t>(channel);
        f.Count = static_cast<std::uint8_t>(chain.size());
        std::copy(chain.begin(), chain.end(), f.Chain.begin());
        SetFader(*dev, fader, f);
    };
    put(0, 5, {12});
    put(1, added, {10, 11});
    put(2, 41, {13});
    put(3, 5, {14});
    const auto chain = [&](int fader) {
        TFader f;
        GetFader(*dev, fader, f);
        return std::vector<std::uint8_t>(f.Chain.begin(), f.Chain.begin() + f.Count);
    };

    auto& e = Editor();
    ASSERT_EQ(e.PoolNames(), (std::vector<std::string>{"None", "Band", "Studio"}));
    Show(5);
    e.SetPool(2);
    EXPECT_EQ(Channel(5).PoolFlags & 0x0F, 3);
    EXPECT_EQ(chain(0), (std::vector<std::uint8_t>{10, 11}));
    EXPECT_EQ(chain(3), (std::vector<std::uint8_t>{10, 11}));
    EXPECT_EQ(chain(2), (std::vector<std::uint8_t>{13}));
    EXPECT_EQ(e.Rows()[static_cast<std::size_t>(e.Selected())].Pool, "Studio");

    // A pool no fader carries yet: the chains stay.
    e.SetPool(1);
    EXPECT_EQ(chain(0), (std::vector<std::uint8_t>{10, 11}));
    e.SetPool(0);
    EXPECT_TRUE(chain(0).empty());
    EXPECT_TRUE(chain(3).empty());
    EXPECT_EQ(chain(1), (std::vector<std::uint8_t>{10, 11}));
    EXPECT_EQ(Channel(5).PoolFlags & 0x0F, 0);
    EXPECT_EQ(e.Rows()[static_cast<std::size_t>(e.Selected())].Pool, "");
}

TEST_F(FaderChannels, CleanFeeds)
{
    dev->SetData(stCleanFeed, {});
    SetHeaderBytes(*dev, {{dh::CleanFeedCount, 0}});
    auto& e = Editor();
    Show(5);
    e.SetCleanFeed(true);
    TBusRecord cf;
    ASSERT_EQ(GetCleanFeed(*dev, 0, cf), 1);
    EXPECT_EQ(cf.FaderChannel, 5);
    EXPECT_TRUE(Tick().CleanFeed);
    EXPECT_EQ(audio.builds, 1);
    EXPECT_EQ(logic.builds, 1);

    // Channel 41 takes clean feed 2 and listens to it; removing channel 5's feed moves 41's
    // reference down with it, and unticking must not write the old one back.
    Show(41);
    e.SetCleanFeed(true);
    TFaderChannel far = Channel(41);
    far.MonitorL = kCleanFeedSourceBase + 2 * 1;
    SetFaderChannel(*dev, 41, far);
    Show(5);
    e.SetCleanFeed(false);
    EXPECT_EQ(dev->Header()[dh::CleanFeedCount], 1);
    EXPECT_EQ(Channel(41).MonitorL, kCleanFeedSourceBase);
    far = Channel(41);
    far.MonitorL = 0;
    far.MuteCondition = static_cast<std::uint16_t>(kCFTalkLogicBase);
    SetFaderChannel(*dev, 41, far);
    Show(41);
    e.SetCleanFeed(false);
    EXPECT_EQ(Channel(41).PoolFlags & 0x10, 0);
    EXPECT_EQ(Channel(41).MuteCondition, 0); // its own feed's logic went with the feed
    EXPECT_FALSE(Tick().CleanFeed);

    // The 31st clean feed is refused and the box unchecks at the next tick.
    SetHeaderBytes(*dev, {{dh::CleanFeedCount, 30}});
    scheduled = 0;
    e.SetCleanFeed(true);
    EXPECT_EQ(host.Texts().back(), "Too many Clean Feed channels!");
    EXPECT_EQ(Channel(41).PoolFlags & 0x10, 0);
    EXPECT_EQ(scheduled, 1);
    EXPECT_FALSE(Tick().CleanFeed);
}

TEST_F(FaderChannels, ListActions)
{
    auto& e = Editor();
    // Insert before the selected row; the selection stays at its index, now the new channel.
    e.Select(1);
    e.Insert();
    ASSERT_EQ(e.Rows().size(), 3u);
    EXPECT_EQ(e.Rows()[2].Number, 41);
    EXPECT_EQ(GetFaderChannelName(*dev, e.SelectedChannel()), "New");

    // Dragging row 0 onto row 2 moves it there; a drop beside the rows does nothing.
    e.Move(0, 2);
    EXPECT_EQ(e.Rows()[2].Number, 5);
    e.Move(0, -1);
    EXPECT_EQ(e.Rows()[2].Number, 5);

    // Removing the last row leaves no selection; the tick hides the editor.
    e.Select(2);
    e.Remove();
    EXPECT_EQ(Channel(5).Number, 0);
    EXPECT_EQ(e.Selected(), -1);
    EXPECT_EQ(Tick().Number, -1);
    e.Select(0);
    e.Remove();
    e.Remove();
    EXPECT_FALSE(e.RemoveEnabled());
    e.Remove();
    EXPECT_TRUE(e.Rows().empty());
}

TEST_F(FaderChannels, AddIsDisabledAt149Channels)
{
    Bytes all;
    for (int n = 1; n <= 148; ++n) {
        const Bytes rec = FaderRec(n, "C" + std::to_string(n));
        all.insert(all.end(), rec.begin(), rec.end());
    }
    dev->SetData(stFCH, all);
    auto& e = Editor();
    EXPECT_TRUE(e.AddEnabled());
    e.Select(0);
    e.Insert();
    EXPECT_EQ(e.Rows().size(), 149u);
    EXPECT_FALSE(e.AddEnabled());
    EXPECT_EQ(e.Rows()[0].Number, 149);
    // Nothing more is added, and no row is selected.
    e.Add();
    EXPECT_EQ(e.Rows().size(), 149u);
    EXPECT_EQ(e.Selected(), -1);
    EXPECT_EQ(audio.shows, 0);
}

TEST_F(FaderChannels, MonitorPanelsRefuseMIDIAndBusMasters)
{
    const std::pair<int, bool> cases[] = {{kLine, true},        {kMIDI3, false}, {kMasterMain, false},
                                          {0x4740, false},      {kVCA1, true},   {kMIDI3 | 0x2000, false},
                                          {0x4800, true}};
    for (const auto& [ref, accepted] : cases)
        EXPECT_EQ(FaderChannelEditor::MonitorAccepts(ref), accepted) << ref;
}

TEST_F(FaderChannels, TargetsGoWithTheEditor)
{
    Editor();
    EXPECT_NE(audio.targets.Get(atFaderSource), nullptr);
    EXPECT_NE(logic.targets.Get(ltFaderTimer), nullptr);
    editor.reset();
    EXPECT_EQ(audio.targets.Get(atFaderSource), nullptr);
    EXPECT_EQ(audio.targets.Get(atPoolFaderSource), nullptr);
    EXPECT_EQ(logic.targets.Get(ltFaderTimer), nullptr);
    // Without a selected channel nothing is written.
    Editor();
    audio.picked.Ref = kLine;
    Editor().DropMonitor(false);
    EXPECT_EQ(Channel(5).MonitorL, 0);
}

} // namespace
} // namespace kvr::editors::test
