#include <gtest/gtest.h>

#include "editors/audio/synchronisation.h"
#include "kvrdata/byteorder.h"
#include "model/channelname.h"
#include "model/device.h"
#include "model/project.h"
#include "recordinghost.h"
#include "sourcebuilder.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

// The card of the tenth slot: its sub-type in byte 5, flags in byte 3.
Bytes SyncCard(int subType, std::uint8_t flags = 0)
{
    return Bytes{0x01, 0x2C, 0, flags, 0, static_cast<std::uint8_t>(subType), 0, 0};
}

class Sync : public ::testing::Test {
public:
    Sync()
    {
        project.AddDevice();
        dev = project.Device(0);
        dev->SetSetupData(9, {}); // a new device has a DSP card there
    }
    void Header(std::uint16_t source1, std::uint16_t source2, std::uint8_t options)
    {
        auto h = dev->GetHeader();
        writeBE16(h, dh::SyncSource1, source1);
        writeBE16(h, dh::SyncSource2, source2);
        h[dh::SyncOptions] = options;
        dev->SetHeader(h, false);
        dev->SetChangedFlag(false);
    }
    std::uint8_t Options() { return dev->Header()[dh::SyncOptions]; }
    std::vector<std::string> Texts(const SyncView& v)
    {
        std::vector<std::string> texts;
        for (const auto& item : v.Items)
            texts.push_back(item.Text);
        return texts;
    }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
};

TEST_F(Sync, NoCardInTheTenthSlotDisablesTheGroup)
{
    const SyncView v = Synchronisation(*dev).Show();
    EXPECT_FALSE(v.Enabled);
    EXPECT_EQ(Texts(v), (std::vector<std::string>{"Intern"}));
}

TEST_F(Sync, TheTenthSlotsCardDecidesWhatItOffers)
{
    struct Case {
        int subType;
        std::uint8_t flags;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {0, 0, {"Intern", "BNC"}},
        {1, 0, {"Intern", "BNC"}},
        {4, 0, {"Intern", "BNC"}},
        {2, 0, {"Intern", "BNC", "MultiChannel"}},
        {2, 0x20, {"Intern", "MultiChannel"}},
        {3, 0, {"Intern", "MultiChannel MADI 1", "MultiChannel MADI 2"}},
        {5, 0, {"Intern"}},
    };
    for (const Case& c : cases) {
        Bytes card = SyncCard(c.subType, c.flags);
        dev->SetSetupData(9, card);
        const SyncView v = Synchronisation(*dev).Show();
        EXPECT_TRUE(v.Enabled);
        EXPECT_EQ(Texts(v), c.items) << c.subType;
    }
}

TEST_F(Sync, WithoutBNCTheOutputIsClearedAndDisabledOnShowing)
{
    dev->SetSetupData(9, SyncCard(3));
    Header(0x0903, 0x0900, 0x40 | 0x10);
    const SyncView v = Synchronisation(*dev).Show();
    EXPECT_EQ(v.Items[static_cast<std::size_t>(v.Source1)].Text, "MultiChannel MADI 2");
    EXPECT_FALSE(v.BNCOut);
    EXPECT_FALSE(v.BNCOutEnabled);
    EXPECT_TRUE(v.VariSpeed);
    EXPECT_EQ(Options(), 0x10);
    EXPECT_TRUE(dev->IsChanged());

    // Showing a consistent device again writes nothing.
    dev->SetChangedFlag(false);
    Synchronisation(*dev).Show();
    EXPECT_FALSE(dev->IsChanged());
}

TEST_F(Sync, BNCAsSyncSourceRulesTheOutputOut)
{
    dev->SetSetupData(9, SyncCard(0));
    Header(0x0900, 0x0900, 0x40);
    Synchronisation s(*dev);
    SyncView v = s.Show();
    EXPECT_TRUE(v.BNCOut);
    EXPECT_TRUE(v.BNCOutEnabled);

    v = s.Choose(2, 1, v.Source1); // "BNC"
    EXPECT_EQ(readBE16(dev->Header(), dh::SyncSource2), 0x0901);
    EXPECT_FALSE(v.BNCOut);
    EXPECT_FALSE(v.BNCOutEnabled);
    EXPECT_EQ(Options() & 0x40, 0);

    v = s.Choose(2, 0, v.Source1); // "Intern" again: enabled, unticked
    EXPECT_EQ(readBE16(dev->Header(), dh::SyncSource2), 0x0900);
    EXPECT_TRUE(v.BNCOutEnabled);
    EXPECT_FALSE(v.BNCOut);

    // A stored BNC source clears the output when the tab is shown.
    Header(0x0901, 0x0900, 0x40);
    v = s.Show();
    EXPECT_FALSE(v.BNCOutEnabled);
    EXPECT_EQ(Options(), 0);
}

TEST_F(Sync, DigitalInputsOfTheFirstNineSlots)
{
    dev->SetSetupData(9, SyncCard(1));
    // Slot 2 (setup ID 1): an input pair at channels 0/1, one at 2/3, an output pair.
    dev->SetSetupData(1, CardRec(111, {{"AES 1   ", 0x0200}, {"AES 1 R", 0x0201}, {"AES 2", 0x0202},
                                       {"AES 2 R", 0x0203}, {"Out", 0x0280}}));
    // Slot 11 (setup ID 10) holds one as well; it is not scanned.
    dev->SetSetupData(10, CardRec(111, {{"Far", 0x0B00}}));
    const SyncView v = Synchronisation(*dev).Show();
    ASSERT_EQ(v.Items.size(), 4u);
    EXPECT_EQ(v.Items[1].Text, GetChannelName(0x0200, 111, false) + ": AES 1");
    EXPECT_EQ(v.Items[1].Code, 0x0104);
    EXPECT_EQ(v.Items[2].Code, 0x0105);
    EXPECT_EQ(v.Items[3].Text, "BNC");

    // Sync to a digital input.
    Synchronisation(*dev).Choose(1, 2, 0);
    EXPECT_EQ(readBE16(dev->Header(), dh::SyncSource1), 0x0105);
    EXPECT_EQ(Synchronisation(*dev).Show().Source1, 2);
}

TEST_F(Sync, AnUnknownStoredCodeShowsInternWithoutAWrite)
{
    dev->SetSetupData(9, SyncCard(0));
    Header(0x0507, 0x0900, 0);
    const SyncView v = Synchronisation(*dev).Show();
    EXPECT_EQ(v.Source1, 0);
    EXPECT_EQ(readBE16(dev->Header(), dh::SyncSource1), 0x0507);
    EXPECT_FALSE(dev->IsChanged());
}

TEST_F(Sync, RateAndSwitches)
{
    Synchronisation s(*dev);
    s.SetRate44k1(true);
    s.SetOption(Synchronisation::kVCXO, true);
    EXPECT_EQ(Options(), 0xA0);
    s.SetRate44k1(false);
    s.SetOption(Synchronisation::kVariSpeed, true);
    EXPECT_EQ(Options(), 0x30);
}

} // namespace
} // namespace kvr::editors::test
