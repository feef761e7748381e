#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editors/audio/outputrouting.h"
#include "kvrdata/byteorder.h"
#include "model/cardrecords.h"
#include "model/channelname.h"
#include "model/logicaccess.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"
#include "pagepickers.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

constexpr std::uint16_t kOut = 0x80;
constexpr std::uint16_t kStereo = 0x2000;

std::uint16_t Out(int slot, int channel, int flags = kOut) { return static_cast<std::uint16_t>(MakeChannelID(slot, channel, flags)); }

// Slot 0: digital I/O with a stereo output (rows 0, 1), the mono pair A/B (rows 2, 3), a mono
// output C whose pair channel is missing (row 4) and an input. Slot 1: an analogue card with one
// output (row 5). Source 0x6002 (a program bus) is routed to B with mute logics 1 and 3.
class RoutingTest : public ::testing::Test {
public:
    RoutingTest()
    {
        project.AddDevice();
        dev = project.Device(0);
        dev->SetSetupData(0, CardRec(111, {{"PGM", Out(0, 0, kOut | kStereo)}, {"A", Out(0, 2)}, {"B", Out(0, 3)},
                                           {"C", Out(0, 4)}, {"Mic", Out(0, 6, 0)}}));
        dev->SetSetupData(1, CardRec(122, {{"Phone", Out(1, 0)}}));
        SetChannelOption(*dev, {Out(0, 3), 0x6002, 0x05, 0});
        page.FillOutputRouting();
    }

    std::vector<std::uint8_t> Routing() const { return dev->GetData(stOutputRouting); }
    TChannelOption Entry(std::uint16_t channel) const
    {
        TChannelOption option;
        option.OutputID = channel;
        GetChannelOption(*dev, option);
        return option;
    }
    bool Stored(std::uint16_t channel) const
    {
        const auto payload = Routing();
        for (std::size_t at = 0; at + 6 <= payload.size(); at += 6)
            if (readBE16(payload, at) == channel)
                return true;
        return false;
    }
    std::uint8_t OptionByte(int slot, int entry) const { return dev->GetSetupData(static_cast<std::uint8_t>(slot))[4 + 24 * entry + 18]; }
    void AssignTo(int row, std::uint16_t ref)
    {
        page.Select(row);
        host.audioWindow.pick.Ref = ref;
        host.audioWindow.SetTargetKind(atOutputRouting);
        host.audioWindow.Assign();
    }

    RecordingHost modelHost;
    TProject project;
    TDevice* dev = nullptr;
    PagesHost host{project};
    OutputRoutingPage page{host};
};

TEST_F(RoutingTest, RowsFollowTheCardsOutputsWithTheirRouting)
{
    const auto& rows = page.Rows();
    ASSERT_EQ(rows.size(), 6u);
    // A stereo entry: two rows whose channels differ by one.
    EXPECT_EQ(rows[0].Name, "PGM L");
    EXPECT_EQ(rows[1].Name, "PGM R");
    EXPECT_EQ(rows[1].Channel, rows[0].Channel + 1);
    const std::string address = GetChannelName(Out(0, 0, kOut | kStereo), 111, false);
    EXPECT_EQ(rows[0].Address, address + " L");
    EXPECT_EQ(rows[1].Address, address + " R");
    EXPECT_EQ(rows[2].Name, "A"); // mono: the label alone
    EXPECT_EQ(rows[2].Address, GetChannelName(Out(0, 2), 111, false));
    EXPECT_EQ(rows[3].Ref, 0x6002);
    EXPECT_EQ(rows[3].Source, GetAudioSourceName(project, 0x6002, 0, false));
    EXPECT_EQ(rows[3].Mutes, "MuteLogic 1, MuteLogic 3");
    EXPECT_EQ(rows[5].Name, "Phone");
    EXPECT_EQ(rows[5].Slot, 1);
    EXPECT_EQ(page.MuteLogicCaptions()[4], "MuteLogic 5");
    EXPECT_FALSE(page.AssignEnabled());
}

TEST_F(RoutingTest, DSPCardsCountNineBitsAndSpareCardsAreLeftOut)
{
    // 257 channels: the output at entry 256 is only reached through the count's ninth bit.
    auto dspCard = [](std::uint8_t variant, int count) {
        TCardRecord card;
        card.CardType = kCardDSP;
        card.DSPBytes[1] = variant;
        for (int i = 0; i < count; ++i) {
            TChannelEntry entry;
            entry.ID = static_cast<std::uint16_t>(MakeChannelID(8, i & 0x3F, i == count - 1 ? kOut : 0));
            card.Channels.push_back(entry);
        }
        return EncodeCardRecord(card);
    };
    struct Case {
        std::uint8_t variant;
        int count;
        std::size_t rows;
    };
    for (const Case c : {Case{2, 257, 7}, Case{2, 256, 6}, Case{3, 256, 7}}) {
        dev->SetSetupData(8, dspCard(c.variant, c.count));
        page.FillOutputRouting();
        EXPECT_EQ(page.Rows().size(), c.rows) << int(c.variant) << " " << c.count;
    }
    // The Mute Logic group never shows for a DSP card's output, even when routed.
    dev->SetSetupData(8, dspCard(3, 1));
    page.FillOutputRouting();
    AssignTo(6, 0x6002);
    EXPECT_EQ(page.Rows()[6].Ref, 0x6002);
    EXPECT_FALSE(page.MuteLogicVisible());
    EXPECT_FALSE(page.CSRoutingVisible());
}

TEST_F(RoutingTest, AssignNoneClearAndClearAll)
{
    AssignTo(2, 0x6002);
    EXPECT_EQ(Entry(Out(0, 2)).Source, 0x6002);
    EXPECT_EQ(page.Rows()[2].Source, GetAudioSourceName(project, 0x6002, 0, false));
    EXPECT_TRUE(page.MuteLogicVisible());

    // Another source keeps the mute logics; "None" removes the entry and them.
    AssignTo(3, 0x6003);
    EXPECT_EQ(Entry(Out(0, 3)).MuteLogics, 0x05);
    AssignTo(3, 0);
    EXPECT_FALSE(Stored(Out(0, 3)));
    EXPECT_EQ(page.Rows()[3].MuteBits, 0);
    EXPECT_EQ(page.Rows()[3].Mutes, "");
    EXPECT_FALSE(page.MuteLogicVisible());

    page.Select(2);
    page.Clear();
    EXPECT_FALSE(Stored(Out(0, 2)));
    EXPECT_EQ(page.Rows()[2].Ref, 0);

    AssignTo(0, 0x6002);
    AssignTo(5, 0x6003);
    page.ClearAll();
    EXPECT_TRUE(Routing().empty());
    for (const RoutingRow& row : page.Rows())
        EXPECT_EQ(row.Ref, 0) << row.Name;
}

TEST_F(RoutingTest, MuteBoxesNeedASourceOrCSRouting)
{
    const auto before = Routing();
    page.Select(2); // no source, no CS-Routing
    EXPECT_FALSE(page.MuteLogicVisible());
    page.SetMuteLogic(1, true);
    EXPECT_EQ(Routing(), before);

    page.Select(3);
    EXPECT_TRUE(page.MuteLogicBox(0));
    page.SetMuteLogic(0, false);
    page.SetMuteLogic(4, true);
    EXPECT_EQ(Entry(Out(0, 3)).MuteLogics, 0x14);
    EXPECT_EQ(page.Rows()[3].Mutes, "MuteLogic 3, MuteLogic 5");

    // With CS-Routing and no source the entry stays for its mute logics.
    page.Select(2);
    page.SetCSRouting(true);
    page.SetMuteLogic(1, true);
    EXPECT_TRUE(Stored(Out(0, 2)));
    EXPECT_EQ(Entry(Out(0, 2)).MuteLogics, 0x02);
    EXPECT_EQ(Entry(Out(0, 2)).Source, 0);
}

TEST_F(RoutingTest, CSRoutingSwitchesBothChannelsOfThePairOnDigitalCardsOnly)
{
    // Mono pair A/B: both card entries and both rows.
    page.Select(2);
    EXPECT_TRUE(page.CSRoutingVisible());
    page.SetCSRouting(true);
    EXPECT_EQ(OptionByte(0, 1) & 0x08, 0x08);
    EXPECT_EQ(OptionByte(0, 2) & 0x08, 0x08);
    EXPECT_EQ(OptionByte(0, 0) & 0x08, 0);
    EXPECT_TRUE(page.Rows()[2].CS && page.Rows()[3].CS);
    EXPECT_EQ(page.Rows()[2].CSRouting, "Enabled");
    EXPECT_TRUE(Stored(Out(0, 2))); // kept without a source
    EXPECT_EQ(Entry(Out(0, 3)).Source, 0x6002);
    page.FillOutputRouting();
    EXPECT_TRUE(page.Rows()[3].CS);

    // Row 4 (C) is the last row of its card at an even index: its pair channel is missing, and
    // the next card's first row is no partner.
    page.Select(4);
    page.SetCSRouting(true);
    EXPECT_TRUE(page.Rows()[4].CS);
    EXPECT_FALSE(page.Rows()[5].CS);
    EXPECT_FALSE(Stored(Out(1, 0)));

    // Cleared: both rows lose it, and the entry without a source goes.
    page.Select(3);
    EXPECT_TRUE(page.CSRoutingBox());
    page.SetCSRouting(false);
    EXPECT_EQ(OptionByte(0, 1) & 0x08, 0);
    EXPECT_EQ(OptionByte(0, 2) & 0x08, 0);
    EXPECT_FALSE(Stored(Out(0, 2)));
    EXPECT_TRUE(Stored(Out(0, 3)));
    EXPECT_FALSE(page.Rows()[2].CS || page.Rows()[3].CS);

    // The analogue card has no CS-Routing: its record stays as it was.
    const auto analogue = dev->GetSetupData(1);
    page.Select(5);
    EXPECT_FALSE(page.CSRoutingVisible());
    page.SetCSRouting(true);
    EXPECT_EQ(dev->GetSetupData(1), analogue);
    page.FillOutputRouting();
    EXPECT_FALSE(page.Rows()[5].CS);
}

TEST_F(RoutingTest, AssignSelectsTheNextRowWhenAskedButNotPastTheLast)
{
    AssignTo(0, 0x6002);
    EXPECT_EQ(page.Selected(), 0);
    EXPECT_EQ(host.audioWindow.nextSiblings, 0);

    host.selectNext = true;
    AssignTo(1, 0x6003);
    EXPECT_EQ(page.Selected(), 2);
    EXPECT_EQ(host.audioWindow.nextSiblings, 1);
    AssignTo(5, 0x6002);
    EXPECT_EQ(page.Selected(), 5);
    EXPECT_EQ(host.audioWindow.nextSiblings, 1);

    // Without a row nothing is written.
    const auto before = Routing();
    page.DropOn(-1);
    host.audioWindow.Assign();
    EXPECT_EQ(Routing(), before);
}

TEST_F(RoutingTest, PickingAimsTheWindowAtTheRow)
{
    page.PickSource();
    EXPECT_FALSE(host.audioWindow.shown);
    page.Select(3);
    page.PickSource();
    EXPECT_TRUE(host.audioWindow.shown);
    EXPECT_EQ(host.audioWindow.kind, atOutputRouting);
    EXPECT_EQ(host.audioWindow.selected, 0x6002u);
    EXPECT_EQ(host.audioWindow.device, 0);
}

TEST_F(RoutingTest, LeavingTheUnchangedPageKeepsRoutingChangedFlagAndChangeTime)
{
    dev->SetChangedFlag(false);
    const auto header = dev->GetHeader();
    const auto before = Routing();
    modelHost.now = 1900000000;
    page.WriteBack();
    EXPECT_EQ(Routing(), before);
    EXPECT_FALSE(dev->IsChanged());
    EXPECT_EQ(readBE32(dev->GetHeader(), dh::ChangeTime), readBE32(header, dh::ChangeTime));
    // The whole routing is stored at once: the message queue never runs in between.
    EXPECT_EQ(host.pumps, 0);
}

TEST_F(RoutingTest, LeavingKeepsCSRoutingEntriesWithoutSourceAndDropsUnlistedOnes)
{
    page.Select(2);
    page.SetCSRouting(true);
    page.SetMuteLogic(3, true);
    // An entry for an output no card lists.
    SetChannelOption(*dev, {Out(5, 1), 0x6002, 0, 0});
    dev->SetChangedFlag(true);
    page.WriteBack();
    EXPECT_TRUE(Stored(Out(0, 2)));
    EXPECT_EQ(Entry(Out(0, 2)).MuteLogics, 0x08);
    EXPECT_TRUE(Stored(Out(0, 3))); // CS-Routing and a source
    EXPECT_FALSE(Stored(Out(5, 1)));
    EXPECT_TRUE(dev->IsChanged());
}

} // namespace
} // namespace kvr::editors::test
