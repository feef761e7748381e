#include <gtest/gtest.h>

#include <deque>

#include "../../model/recordinghost.h"
#include "app/frameio/linkadapt.h"
#include "app/frameio/linkpage.h"
#include "framefixture.h"
#include "linkstudio.h"
#include "platform/prompter.h"

namespace kvr::app::frameio::test {
namespace {

using namespace model;

using Lines = std::vector<std::string>;

TEST(LinkTree, NodesByModeClassAndLinks)
{
    Studio s;
    EXPECT_EQ(s.Texts(lsSource, -1, -1),
              (Lines{"A", "  Slot 1 (KX730-122)", "    M Ch5", "    M Ch6", "    S Ch7 L", "    S Ch7 R", "  Slot 2 (KX730-111)",
                     "    M Ch3/Ch4", "  Slot 10 (KX730-848)", "    MADI out", "B", "  Slot 1 (KX730-122)", "    M Ch5",
                     "    M Ch6", "    S Ch7 L", "    S Ch7 R", "  Slot 2 (KX730-111)", "    M Ch3/Ch4", "  Slot 10 (KX730-848)",
                     "  Slot 20 (KX730-848)", "    MADI 1 out", "    MADI 2 out"}));
    // Destination for an analog source of A: A and other classes left out.
    EXPECT_EQ(s.Texts(lsDestination, s.A, 0), (Lines{"B", "  Slot 1 (KX730-122)", "    M Ch1", "    M Ch2", "    M Ch3", "    M Ch4"}));
    // A new device's own DSP card in slot 10 has no MADI port to offer.
    EXPECT_EQ(s.Texts(lsDestination, s.A, 2),
              (Lines{"B", "  Slot 10 (KX730-848)", "  Slot 20 (KX730-848)", "    MADI 1 in", "    MADI 2 in"}));

    // The R node gives the same word as the L node; a linked MADI port and channel leave the tree.
    const auto nodes = BuildLinkTree(s.Project, lsSource, s.B, 0);
    ASSERT_GE(nodes.size(), 6u);
    EXPECT_EQ(nodes[4].Word, nodes[5].Word);
    EXPECT_EQ(nodes[4].Word, MakeChannelID(0, 6, 0x2080));
    EXPECT_EQ(nodes[4].Device, s.A);
    TDeviceLink madi;
    madi.SDev = static_cast<std::uint8_t>(s.A);
    madi.SSlot = 9;
    madi.SPort = 0x0A00;
    madi.TDev = static_cast<std::uint8_t>(s.B);
    madi.TSlot = 19;
    madi.TPort = 0x1401;
    madi.Type = 2;
    AddDeviceLink(s.Project, madi);
    EXPECT_EQ(s.Texts(lsDestination, s.A, 2), (Lines{"B", "  Slot 10 (KX730-848)", "  Slot 20 (KX730-848)", "    MADI 1 in"}));
    EXPECT_EQ(s.Texts(lsSource, s.B, 2), (Lines{"A", "  Slot 10 (KX730-848)"}));
}

TEST(LinkTree, TakingANodeChecksTheDirection)
{
    Studio s;
    const LinkTreeNode port{2, "MADI 1 in", 0x1400, s.B, 2};
    LinkChoice c;
    EXPECT_EQ(TakeLinkNode(s.Project, lsDestination, port, -1, c), "No type of link selected!");
    EXPECT_EQ(TakeLinkNode(s.Project, lsDestination, port, 1, c), "");
    EXPECT_EQ(c.SlotIndex, 19);
    EXPECT_EQ(c.DeviceIndex, s.B);
    EXPECT_EQ(c.LinkType, 2);
    TDeviceLink l;
    l.SDev = static_cast<std::uint8_t>(s.A);
    l.SSlot = 9;
    l.SPort = 0x0A00;
    l.TDev = static_cast<std::uint8_t>(s.B);
    l.TSlot = 19;
    l.TPort = 0x1400;
    l.Type = 2;
    AddDeviceLink(s.Project, l);
    EXPECT_EQ(TakeLinkNode(s.Project, lsDestination, port, 1, c),
              "Cannot create bidirectional link because In or Out of one of the cards is already linked!");
}

TEST(LinkRows, ConnectorTextsByType)
{
    const struct {
        int type, word;
        const char* text;
    } cases[] = {
        {0, MakeChannelID(0, 0, 0), "1"},   {0, MakeChannelID(0, 1, 0), "1"},    {0, MakeChannelID(0, 0, 0x80), "2"},
        {0, MakeChannelID(0, 7, 0x80), "8"}, {1, MakeChannelID(0, 0, 0x80), "1"}, {1, MakeChannelID(0, 7, 0), "4"},
        {2, 0x0A00, "MADI 1"},               {2, 0x1401, "MADI 2"},               {5, 0x0101, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LinkConnectorText(c.type, c.word), c.text) << c.type << " " << c.word;
}

struct Adding : Studio {
    platform::ScriptedPrompter Prompts;
    ScriptedDialog Dialog;
    LinkChoice Analog(int device, int channel, int flags, int slot = 0) const
    {
        return {device, slot, MakeChannelID(slot, channel, flags), slot == 0 ? 0 : 1, 0};
    }
    bool Add() { return AddLinkFlow(Project, Dialog, Prompts, nullptr); }
    Lines Messages()
    {
        Lines out;
        for (const auto& r : Prompts.records())
            out.push_back(r.text.toStdString());
        return out;
    }
    std::vector<LinkRow> Rows() { return LinkRows(Project); }
};

TEST(AddLink, WrongDestinationsAreRefusedAndChosenAgain)
{
    Adding f;
    f.Dialog.Choices = {f.Analog(f.A, 4, 0x80), f.Analog(f.A, 0, 0), f.Analog(f.B, 0, 0, 1), f.Analog(f.B, 0, 0)};
    EXPECT_TRUE(f.Add());
    EXPECT_EQ(f.Messages(), (Lines{"Error: Source device and Target device are the same! Please select another device.",
                                   "Error: You are trying to create a link between Analog and Digital cards !"}));
    EXPECT_EQ(f.Dialog.Presets.back().DeviceIndex, f.A) << "the destination pass leaves the source device out";
    const auto rows = f.Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].SourceDevice, "A");
    EXPECT_EQ(rows[0].SourceConnector, "6");
    EXPECT_EQ(rows[0].TargetDevice, "B");
    EXPECT_EQ(rows[0].TargetSlot, "1");
    EXPECT_EQ(rows[0].TargetConnector, "1");
    EXPECT_EQ(f.Project.Device(f.B)->GetSetupData(0)[4 + 0], 'C');
    EXPECT_EQ(f.Project.Device(f.B)->GetSetupData(0)[4 + 2], '5') << "the target took the source's label";
}

TEST(AddLink, MonoStereoQuestions)
{
    const int stereoOut = MakeChannelID(0, 6, 0x2080);
    const struct {
        const char* what;
        int sourceWord, targetChannel;
        platform::Answer answer;
        const char* partnerLinked; // a link on the pair's other channel, or none
        std::size_t rows;
        Lines messages;
    } cases[] = {
        {"mono onto stereo, OK", MakeChannelID(0, 4, 0x80), -1, platform::Answer::Ok, nullptr, 1,
         {"You are trying to connect a mono to a stereo channel.\nDo you want to change the destination to Mono?"}},
        {"mono onto stereo, Cancel", MakeChannelID(0, 4, 0x80), -1, platform::Answer::Cancel, nullptr, 0,
         {"You are trying to connect a mono to a stereo channel.\nDo you want to change the destination to Mono?"}},
        {"stereo onto mono, OK", stereoOut, 1, platform::Answer::Ok, nullptr, 1,
         {"You are trying to connect a stereo to a mono channel.\nDo you want to change the destination to Stereo?"}},
        {"stereo onto odd mono, first linked", stereoOut, 1, platform::Answer::Ok, "first", 1,
         {"You are trying to connect a stereo to a mono channel.\nDo you want to change the destination to Stereo?",
          "The destination could not changed to stereo because the first\n channel of the selected mono pair is used in another link"}},
        {"stereo onto even mono, second linked", stereoOut, 0, platform::Answer::Ok, "second", 1,
         {"You are trying to connect a stereo to a mono channel.\nDo you want to change the destination to Stereo?",
          "The destination could not changed to stereo because the second\n channel of the selected mono pair is used in another link"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Adding f;
        // Device B's inputs 0/1 are made a stereo pair for the mono-source cases.
        Bytes b = IOCard(122, 0, 8, 0);
        if (c.targetChannel < 0)
            JoinStereoEntry(b, 0);
        f.Project.Device(f.B)->SetSetupData(0, b);
        if (c.partnerLinked) {
            TDeviceLink other;
            other.SDev = static_cast<std::uint8_t>(f.A);
            other.SPort = static_cast<std::uint16_t>(MakeChannelID(0, 5, 0x80));
            other.TDev = static_cast<std::uint8_t>(f.B);
            other.TPort = static_cast<std::uint16_t>(MakeChannelID(0, c.targetChannel ^ 1, 0));
            AddDeviceLink(f.Project, other);
        }
        const int targetWord = c.targetChannel < 0 ? MakeChannelID(0, 0, 0x2000) : MakeChannelID(0, c.targetChannel, 0);
        f.Dialog.Choices = {{f.A, 0, c.sourceWord, 0, 0}, {f.B, 0, targetWord, 0, 0}};
        f.Prompts.answer(c.answer);
        f.Add();
        EXPECT_EQ(f.Messages(), c.messages);
        EXPECT_EQ(f.Rows().size(), c.rows);
        const Bytes after = f.Project.Device(f.B)->GetSetupData(0);
        if (c.rows == 1 && !c.partnerLinked) {
            const bool stereo = (c.sourceWord & 0x2000) != 0;
            EXPECT_EQ(after[2], stereo ? 7 : 8) << "the target took the source's layout";
            TDeviceLink stored;
            ASSERT_EQ(GetDeviceLink(f.Project, 0, stored), 1);
            EXPECT_EQ(stored.TPort, stereo ? MakeChannelID(0, 0, 0x2000) : MakeChannelID(0, 0, 0));
        }
    }
}

TEST(AddLink, TwoWayMadiStoresForwardAndReverse)
{
    Adding f;
    f.Dialog.Choices = {{f.A, 9, 0x0A00, 2, 0}, {f.B, 19, 0x1401, 2, 1}};
    ASSERT_TRUE(f.Add());
    const auto rows = f.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].SourceDevice + rows[0].SourceConnector + rows[0].TargetDevice + rows[0].TargetConnector, "AMADI 1BMADI 2");
    EXPECT_EQ(rows[1].SourceDevice + rows[1].SourceConnector + rows[1].TargetDevice + rows[1].TargetConnector, "BMADI 2AMADI 1");
    DeleteDeviceLink(f.Project, rows[0].ID);
    EXPECT_EQ(f.Rows().size(), 1u) << "the reverse record stays";
}

TEST(AddLink, FullLinkListChangesNothing)
{
    for (int direction : {0, 1}) {
        Adding f;
        const int existing = direction == 0 ? kMaxDeviceLinks : kMaxDeviceLinks - 1;
        for (int i = 0; i < existing; ++i) {
            TDeviceLink l;
            l.SDev = 7;
            l.TDev = 8;
            l.SPort = static_cast<std::uint16_t>(i);
            ASSERT_GE(AddDeviceLink(f.Project, l), 0);
        }
        const Bytes target = f.Project.Device(f.B)->GetSetupData(19);
        const auto links = f.Project.GetProjData(pstDeviceLinks);
        f.Dialog.Choices = {{f.A, 9, 0x0A00, 2, 0}, {f.B, 19, 0x1401, 2, direction}};
        EXPECT_FALSE(f.Add());
        EXPECT_EQ(f.Messages(), Lines{kLinkListFull});
        EXPECT_EQ(f.Project.Device(f.B)->GetSetupData(19), target);
        EXPECT_EQ(f.Project.GetProjData(pstDeviceLinks), links);
    }
}

TEST(AddLink, CancelInEitherPassStoresNothing)
{
    for (std::size_t passes : {0u, 1u}) {
        Adding f;
        f.Dialog.Choices = {f.Analog(f.A, 4, 0x80)};
        f.Dialog.Choices.resize(passes);
        EXPECT_FALSE(f.Add());
        EXPECT_TRUE(f.Rows().empty());
    }
}

} // namespace
} // namespace kvr::app::frameio::test
