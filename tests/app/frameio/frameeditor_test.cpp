#include <gtest/gtest.h>

#include "app/frameio/frameeditor.h"
#include "app/frameio/linkadapt.h"
#include "app/frameio/sourcewindows.h"
#include "framefixture.h"
#include "platform/prompter.h"

namespace kvr::app::frameio::test {
namespace {

using namespace model;
using E = CellEditor;

struct FakeSources : SourceWindows {
    std::vector<std::string> Calls;
    void SelectLogicSource(int r) override { Calls.push_back("select " + std::to_string(r)); }
    void SetLogicTargetKind(int k) override { Calls.push_back("target " + std::to_string(k)); }
    void ShowLogicWindow() override { Calls.push_back("show"); }
    void BuildLogicSourceTree() override { Calls.push_back("logic tree"); }
    void SetAudioDeviceIndex(int d) override { Calls.push_back("audio device " + std::to_string(d)); }
    void BuildAudioSourceTree() override { Calls.push_back("audio tree"); }
};

struct Adapted {
    int link, word, flag;
    friend bool operator==(const Adapted&, const Adapted&) = default;
};

// The full frame with an editor over it.
struct Editing : FrameProject {
    platform::ScriptedPrompter Prompts;
    FakeSources Sources;
    FrameEditor Editor{Project, Device, Prompts};
    FrameIOView View;
    std::vector<Adapted> Adaptations;
    explicit Editing(bool full = true)
    {
        if (full)
            FillFullFrame(*this);
        Editor.Sources = &Sources;
        Editor.AdaptLink = [this](const TDeviceLink& l, int word, int flag) { Adaptations.push_back({l.ID, word, flag}); };
        Load(255, true);
    }
    void Load(int curSlot, bool gpios)
    {
        View.Load(Dev(), curSlot, gpios);
        View.PlaceAllSlots();
    }
    CellEdit ClickAt(int x, int y, int h = 0, int v = 0)
    {
        View.PointerMove(x, y);
        return Editor.Click(View, h, v);
    }
    int Top(int slot) const { return View.SlotTop(slot); }
    std::vector<std::string> Messages()
    {
        std::vector<std::string> out;
        for (const auto& r : Prompts.records())
            out.push_back(r.text.toStdString());
        return out;
    }
    std::string Label(int slot, std::size_t at)
    {
        const Bytes r = Dev().GetSetupData(static_cast<std::uint8_t>(slot));
        return std::string(reinterpret_cast<const char*>(r.data() + at), 16);
    }
};

struct ClickCase {
    const char* what;
    int slot; // -1: y is absolute
    int x, dy;
    CellEditor editor;
    std::optional<int> item;
    std::optional<EditorRect> rect; // with scroll offsets (5, 100)
};

TEST(ClickMap, WholeFrameCells)
{
    Editing f;
    const std::vector<ClickCase> cases = {
        {"111 type", 0, 100, 8, E::SlotTypeSelector, 1, EditorRect{16, -49, 120, 14}},
        {"111 stereo", 0, 300, 8, E::StereoBox, 0, EditorRect{276, -49, 50, 14}},
        {"111 input level", 0, 500, 8, E::HeadRoomBox, 20, EditorRect{446, -50, 135, 60}},
        {"111 SRC", 0, 600, 8, E::SRCBox, 0, EditorRect{581, -49, 50, 14}},
        {"111 input mode", 0, 650, 8, E::DigiModeBox, 0, {}},
        {"111 input has no output mode", 0, 720, 8, E::None, {}, {}},
        {"111 output dither", 0, 790, 72, E::DitherBox, 0, EditorRect{776, 15, 50, 14}},
        {"111 output mode", 0, 720, 72, E::ChModeBox, 0, {}},
        {"111 output has no SRC", 0, 600, 72, E::None, {}, {}},
        {"111 type cell only on row 0", 0, 100, 72, E::None, {}, {}},
        {"GPIO row label", 0, 400, 136, E::LabelEdit, {}, EditorRect{326, 80, 118, 14}},
        {"GPIO row has no level", 0, 500, 136, E::None, {}, {}},
        {"row boundary", 0, 400, 16, E::None, {}, {}},
        {"311 GPI pull-up on", 3, 850, 8, E::PullUpBox, 1, {}},
        {"311 GPI pull-up off", 3, 850, 72, E::PullUpBox, 0, {}},
        {"311 GPO has no pull-up", 3, 850, 24, E::None, {}, {}},
        {"311 has no level", 3, 500, 8, E::None, {}, {}},
        {"empty slot", 4, 100, 8, E::SlotTypeSelector, 0, {}},
        {"unknown card keeps the item", 5, 100, 8, E::SlotTypeSelector, std::nullopt, {}},
        {"controller slot", 8, 100, 8, E::None, {}, {}},
        {"DSP title", 9, 100, 4, E::DSPTypeSelector, 3, {}},
        {"DSP second title row", 9, 100, 20, E::DSPTypeSelector, 3, {}},
        {"MADI channel format", 9, 200, 40, E::MADIChannels, 1, {}},
        {"MADI digital format", 9, 400, 40, E::FloatBox, 0, {}},
        {"MADI port level: its first entry", 9, 500, 40, E::HeadRoomBox, 18, {}},
        {"float port has no level", 19, 500, 40, E::None, {}, {}},
        {"second port's level", 19, 500, 72, E::HeadRoomBox, 24, {}},
        {"stagebox port", 19, 200, 72, E::MADIChannels, 2, {}},
        {"delay channels, code 3", 29, 200, 40, E::DelayAnzBox, 2, {}},
        {"delay card has no float box", 29, 400, 40, E::None, {}, {}},
        {"Set All analogue level", -1, 500, 40, E::HeadRoomBox, 0, EditorRect{446, -69, 135, 14}},
        {"Set All digital level", -1, 500, 25, E::HeadRoomBox, 0, EditorRect{446, -79, 135, 14}},
        {"Set All dither keeps its item", -1, 790, 40, E::DitherBox, std::nullopt, {}},
        {"Set All pull-up", -1, 850, 40, E::PullUpBox, 0, {}},
        {"upper band has only the level", -1, 600, 25, E::None, {}, {}},
    };
    for (const auto& c : cases) {
        const int y = c.slot < 0 ? c.dy : f.Top(c.slot) + c.dy;
        const CellEdit e = f.ClickAt(c.x, y, 5, 100);
        EXPECT_EQ(e.Editor, c.editor) << c.what;
        if (c.editor == E::None)
            continue;
        EXPECT_EQ(e.Item, c.item) << c.what;
        if (c.rect) {
            EXPECT_EQ(e.Rect, *c.rect) << c.what << ": " << e.Rect.Left << "," << e.Rect.Top << " " << e.Rect.Width << "x"
                                       << e.Rect.Height;
        }
        if (e.Editor != E::HeadRoomBox && e.Editor != E::LabelEdit) {
            EXPECT_EQ(e.Items, EditorItems(e.Editor)) << c.what;
        }
    }
    EXPECT_TRUE(f.Prompts.records().empty());
    // Port lines open their editors on the line: 30 pixels apart from the block's top + 37.
    EXPECT_EQ(f.ClickAt(200, f.Top(19) + 72).Rect, (EditorRect{141, f.Top(19) + 67, 140, 14}));
}

// The header above the Set All band and the slots is no row: a pointer that moved there from a
// band or a slot row opens nothing where it now is.
TEST(ClickMap, APointerThatLeftTheSetAllBandOrASlotIsOverNoRow)
{
    Editing f;
    const struct {
        const char* from;
        int x, y;
    } cases[] = {
        {"upper Set All band", 500, 25},
        {"lower Set All band", 500, 40},
        {"a channel row", 500, 50 + 8},
    };
    for (const auto& c : cases) {
        f.View.PointerMove(c.x, c.y);
        EXPECT_NE(f.Editor.Click(f.View, 0, 0).Editor, E::None) << c.from;
        EXPECT_EQ(f.ClickAt(c.x, 10).Editor, E::None) << c.from;
        EXPECT_EQ(f.View.FPointerRow, kRowNone) << c.from;
    }
}

TEST(ClickMap, LevelItemsByCardAndDirection)
{
    Editing f;
    const struct {
        int slot, row;
        std::string first, last;
    } cases[] = {
        {0, 0, "-30dBFS=0dBint", "0dBFS=0dBint"},
        {0, 4, "0dBint=-30dBFS", "0dBint=0dBFS"},
        {1, 0, "-12dBu=-30dBFS=0dBint", "18dBu=0dBFS=0dBint"},
        {1, 3, "0dBint = -30dBFS=-12dBu", "0dBint = 0dBFS=18dBu"},
        {2, 0, "-6dBu=-30dBFS= 0dBint", "24dBu=0dBFS= 0dBint"},
        {2, 2, "0dBint = -30dBFS=-6dBu", "0dBint = 0dBFS=24dBu"},
    };
    for (const auto& c : cases) {
        const CellEdit e = f.ClickAt(500, f.Top(c.slot) + 16 * c.row + 8);
        ASSERT_EQ(e.Items.size(), 31u);
        EXPECT_EQ(e.Items.front(), c.first) << c.slot << "/" << c.row;
        EXPECT_EQ(e.Items.back(), c.last) << c.slot << "/" << c.row;
    }
    const CellEdit lower = f.ClickAt(500, 40);
    EXPECT_EQ(lower.Items.front(), "-12dBu=0dBint");
    EXPECT_EQ(lower.Items.back(), "18dBu=0dBint");
}

TEST(ClickMap, LinkedChannelsAndPortsAreRefused)
{
    const std::string lock = kLinkedChannelMessage;
    {
        Editing f;
        f.LinkTo(MakeChannelID(1, 0, 0) | 1); // the pair of the 122's first channel
        EXPECT_EQ(f.ClickAt(150, f.Top(1) + 8).Editor, E::None);
        EXPECT_TRUE(f.Prompts.records().empty());
        EXPECT_EQ(f.ClickAt(300, f.Top(1) + 8).Editor, E::None);
        EXPECT_EQ(f.ClickAt(400, f.Top(1) + 24).Editor, E::None);
        EXPECT_EQ(f.Messages(), (std::vector<std::string>{lock, lock}));
        EXPECT_EQ(f.ClickAt(100, f.Top(1) + 8).Editor, E::SlotTypeSelector);
        EXPECT_EQ(f.ClickAt(400, f.Top(1) + 40).Editor, E::LabelEdit);
    }
    {
        // Whole frame: each port line tests its own port.
        Editing f;
        f.LinkTo(20 * 256 + 1, 3);
        EXPECT_EQ(f.ClickAt(200, f.Top(19) + 40).Editor, E::MADIChannels);
        EXPECT_EQ(f.ClickAt(200, f.Top(19) + 72).Editor, E::None);
        EXPECT_EQ(f.Messages(), std::vector<std::string>{lock});
    }
    {
        // Single-slot view: the channel's port; the redundant card is exempt.
        Editing f;
        f.LinkTo(10 * 256, 3);
        f.Load(9, true);
        EXPECT_EQ(f.ClickAt(400, 58).Editor, E::None);
        EXPECT_EQ(f.ClickAt(400, 90).Editor, E::LabelEdit);
        EXPECT_EQ(f.Messages(), std::vector<std::string>{lock});
        Bytes r = f.Dev().GetSetupData(9);
        r[3] |= 0x20;
        f.Put(9, r);
        f.Load(9, true);
        EXPECT_EQ(f.ClickAt(400, 58).Editor, E::LabelEdit);
    }
    {
        Editing f(false);
        Bytes card = IOCard(222, 0, 4, 8);
        writeBE16(card, 4 + 24 + 16, static_cast<std::uint16_t>(0x2000 | MakeChannelID(0, 1, 0)));
        f.Put(0, card);
        f.Load(255, true);
        for (const int x : {300, 400, 500})
            EXPECT_EQ(f.ClickAt(x, 74).Editor, E::None) << x; // the odd channel of a pair
    }
}

TEST(ClickMap, RedundantCardConditionOpensTheLogicSourceWindow)
{
    Editing f(false);
    f.Put(19, DSPCard(2, 0x20, 0, MadiEntries(19, 2, 0, 0)));
    f.Put(9, DSPCard(1, 0, 0, {}));
    auto h = f.Dev().GetHeader();
    writeBE16(h, 100, 0x0123);
    f.Dev().SetHeader(h, false);
    f.Load(255, true);
    EXPECT_EQ(f.ClickAt(650, f.Top(19) + 40).Editor, E::LogicSourceWindow);
    EXPECT_EQ(f.Sources.Calls, (std::vector<std::string>{"select 291", "target 15", "show"}));
    EXPECT_EQ(f.ClickAt(100, f.Top(19) + 4).Item, 5);
}

TEST(LabelEditor, EnterWalksDownEscapeKeepsAndLinksFollow)
{
    for (const bool gpios : {true, false}) {
        Editing f;
        f.Load(255, gpios);
        const CellEdit open = f.ClickAt(400, 50 + 16 * 7 + 8);
        ASSERT_EQ(open.Editor, E::LabelEdit);
        EXPECT_EQ(open.Text, "Ch8");
        const CellEdit next = f.Editor.LabelEditEnter(f.View, "Last", 0, 0);
        EXPECT_EQ(f.Label(0, 4 + 24 * 7).substr(0, 5), std::string("Last\0", 5));
        EXPECT_EQ(next.Editor, gpios ? E::LabelEdit : E::None) << gpios;
        if (gpios) {
            EXPECT_EQ(next.Text, "G1");
            EXPECT_EQ(next.Rect.Top, 50 + 16 * 8 + 2);
            EXPECT_EQ(f.Editor.FLabelRow, 8);
        } else {
            EXPECT_FALSE(f.Editor.LabelOpen());
        }
    }
    {
        Editing f;
        f.ClickAt(400, 50 + 8);
        EXPECT_TRUE(f.Editor.LabelEditEscape(f.View));
        EXPECT_EQ(f.Label(0, 4).substr(0, 4), std::string("Ch1\0", 4));
        f.ClickAt(400, 50 + 8);
        EXPECT_TRUE(f.Editor.LabelEditExit(f.View, "ABCDEFGHIJKLMNOPQ"));
        const Bytes r = f.Dev().GetSetupData(0);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.data() + 4), 16), "ABCDEFGHIJKLMNOP");
        EXPECT_EQ(readBE16(r, 4 + 16), MakeChannelID(0, 0, 0)); // the ID behind the label is untouched
        EXPECT_EQ(f.Sources.Calls, (std::vector<std::string>{"audio device 0", "audio tree", "logic tree", "audio device 0",
                                                             "audio tree", "logic tree"}));
    }
    {
        // The follow-up finds the channel's links as source, then as target.
        Editing f;
        const int id = MakeChannelID(0, 0, 0);
        TDeviceLink out;
        out.SDev = 0;
        out.SSlot = 0;
        out.SPort = static_cast<std::uint16_t>(id);
        out.TDev = 3;
        out.TPort = 0x0505;
        AddDeviceLink(f.Project, out);
        f.ClickAt(400, 58);
        f.Editor.LabelEditExit(f.View, "Fed");
        EXPECT_EQ(f.Adaptations, (std::vector<Adapted>{{0, id, 0}}));
        // A channel fed through a link keeps its label.
        f.LinkTo(MakeChannelID(0, 1, 0));
        f.Load(255, true);
        f.ClickAt(400, 74);
        EXPECT_EQ(f.Editor.FLabelRow, -9);
        EXPECT_FALSE(f.Editor.LabelEditExit(f.View, "Refused"));
        EXPECT_EQ(f.Label(0, 4 + 24).substr(0, 3), "Ch2");
    }
    {
        // A MADI label: the link its port feeds gets the port.
        Editing f;
        TDeviceLink out;
        out.SSlot = 9;
        out.SPort = 10 * 256 + 1;
        out.TDev = 3;
        out.TPort = 0x0501;
        out.Type = 3;
        AddDeviceLink(f.Project, out);
        f.Load(9, true);
        f.ClickAt(400, 90);
        ASSERT_TRUE(f.Editor.LabelOpen());
        EXPECT_TRUE(f.Editor.LabelEditExit(f.View, "Port2"));
        EXPECT_EQ(f.Adaptations, (std::vector<Adapted>{{0, 1, 0}}));
        EXPECT_EQ(f.Label(9, 8 + 24 * 2).substr(0, 5), "Port2");
        // Enter walks the MADI channels in the single-slot view.
        f.ClickAt(400, 58);
        EXPECT_EQ(f.Editor.LabelEditEnter(f.View, "x", 0, 0).Text, "M1-2");
    }
}

TEST(LabelEditor, LinkedTargetTakesTheNewLabel)
{
    // The editor's follow-up runs the real link adaptation: the other frame's input follows.
    Editing f;
    const int target = f.Project.AddDevice();
    f.Project.Device(target)->SetSetupData(1, IOCard(122, 1, 6, 0));
    TDeviceLink link;
    link.SDev = static_cast<std::uint8_t>(f.Device);
    link.SPort = static_cast<std::uint16_t>(MakeChannelID(0, 0, 0));
    link.TDev = static_cast<std::uint8_t>(target);
    link.TSlot = 1;
    link.TPort = static_cast<std::uint16_t>(MakeChannelID(1, 2, 0));
    AddDeviceLink(f.Project, link);
    f.Editor.AdaptLink = [&f](const TDeviceLink& l, int word, int flag) {
        TDeviceLink copy = l;
        EXPECT_TRUE(AdaptLink(f.Project, copy, word, flag != 0));
    };
    f.ClickAt(400, 58);
    ASSERT_TRUE(f.Editor.LabelEditExit(f.View, "Fed"));
    const Bytes after = f.Project.Device(target)->GetSetupData(1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(after.data() + 4 + 24 * 2), 3), "Fed");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(after.data() + 4 + 24 * 3), 3), "Ch4");
}

} // namespace
} // namespace kvr::app::frameio::test
