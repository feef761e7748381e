#include "console/keyoptions.h"
#include "keyfixture.h"
#include "console/keycaption.h"
#include "console/moduleplacement.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/keyaccess.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "model/quiethost.h"

#include <gtest/gtest.h>

using namespace kvr;
using namespace kvr::console;

namespace {

using KeyOptions = kvr::console::test::KeyFixture;
using kvr::console::test::Record;

TEST_F(KeyOptions, KeyNamesAndFunctionBoxes)
{
    Place(0, 26); // ID 0
    Place(1, 10); // IDs 10-11
    KeyOptionsView v = Show(1, 11, Record(11, 3, 7));
    ASSERT_TRUE(v.Shown);
    EXPECT_EQ("#C11.KEY12", v.Number);
    EXPECT_EQ("Set Lamp Source = #C11.KEY12", v.LampSourceCaption);
    EXPECT_EQ(1 + 32 * 10 + 11, v.OwnLogicSource);
    EXPECT_EQ(16u, v.Functions.size());
    EXPECT_EQ(1, v.FunctionItem); // "System Function"
    EXPECT_EQ("Program", v.Subfunctions[static_cast<std::size_t>(v.SubItem)]);
    EXPECT_TRUE(v.SpinVisible);
    EXPECT_EQ("Program Bus", v.SpinCaption);

    // An unknown stored function shows "no function" and keeps its bytes.
    v = Show(1, 3, Record(3, 99));
    EXPECT_EQ(0, v.FunctionItem);
    EXPECT_EQ(99, state.SelectedKeyRecord[31]);

    Place(2, 20);
    v = Show(2, 4, Record(4, 23, 46), 0); // fader "Encoder Function", EQ1 Qual
    EXPECT_EQ("#F1.KEY5", v.Number);
    EXPECT_EQ(32u, v.Functions.size());
    EXPECT_EQ("EQ1 Qual", v.Subfunctions[static_cast<std::size_t>(v.SubItem)]);
    EXPECT_FALSE(v.AccessGroupPanel);
    // The encoder set boxes keep the later of two equal values.
    auto set = Record(5, 29);
    set[36] = 46;
    set[40] = 254;
    v = Show(2, 5, set, 0);
    ASSERT_TRUE(v.EncoderSet);
    EXPECT_EQ("AUX17 Gain", v.EncoderCaptions[static_cast<std::size_t>(v.EncoderItems[0])]);
    EXPECT_EQ("Do Not Change", v.EncoderCaptions[static_cast<std::size_t>(v.EncoderItems[4])]);
    EXPECT_EQ("None", v.EncoderCaptions[static_cast<std::size_t>(v.EncoderItems[1])]);

    // Key-module encoder functions show the access group.
    auto encoder = Record(2, 7, 3);
    KeyRecordView(encoder).SetIndex(kf::Param2, 2);
    v = Show(0, 2, encoder);
    EXPECT_TRUE(v.AccessGroupPanel);
    EXPECT_EQ(2, v.AccessGroupItem);
}

TEST_F(KeyOptions, PotentiometersAndResources)
{
    Place(0, 25); // no level names: no pot named
    KeyOptionsView v = Show(0, 0, Record(0, 6, 0));
    EXPECT_EQ((std::vector<std::string>{"Balance 1", "Balance 2"}), v.Subfunctions);
    EXPECT_EQ((std::vector<int>{121, 123}), v.PotIDs);
    EXPECT_EQ(0, v.SubItem);
    EXPECT_EQ("Potentiometer", v.SubCaption);
    // A 32 Pushbutton names its pots when placed; the stored pot is selected.
    Place(1, 26);
    v = Show(0, 0, Record(0, 6, 3));
    EXPECT_EQ("Level 1 (Dev. ID 1)", v.Subfunctions[0]);
    EXPECT_EQ(10u, v.Subfunctions.size());
    EXPECT_EQ(2, v.SubItem);

    // No resource this device subscribes to.
    v = Show(0, 1, Record(1, 14, 0));
    EXPECT_EQ((std::vector<std::string>{"None", "No resource available"}), v.Subfunctions);
    EXPECT_EQ(1, v.SubItem);
    EXPECT_FALSE(v.SubEnabled);
    EXPECT_FALSE(v.ResourceDestEnabled);
    EXPECT_TRUE(v.ResourceDestination);
    EXPECT_FALSE(v.SpinVisible);
    EXPECT_EQ("Reserve for:", v.SpinCaption);
}

TEST_F(KeyOptions, TalkbackFromTheFrameWithTheMatrix)
{
    Place(0, 10);
    // The second device carries the matrix; the first is a fixed-model device with the flag,
    // which does not count, and the matrix is found behind it.
    auto header = device->GetHeader();
    header[model::dh::TalkOptions] = 0x80;
    header[model::dh::DummyDevModel] = 0;
    model::TDevice* matrix = project.Device(1);
    auto matrixHeader = matrix->GetHeader();
    matrixHeader[model::dh::TalkOptions] = 0x80;
    matrixHeader[model::dh::DummyDevModel] = 27;
    matrix->SetHeader(matrixHeader, false);
    KeyOptionsView v = Show(0, 0, Record(0, 13));
    EXPECT_TRUE(v.TalkBoxes);
    EXPECT_EQ((std::vector<std::string>{"No Talk Matrix available"}), v.TalkSources);

    matrixHeader[model::dh::DummyDevModel] = 0;
    matrix->SetHeader(matrixHeader, false);
    while (model::AddFaderChannel(*matrix) < 41) {
    }
    auto talk = Record(0, 13);
    KeyRecordView(talk).SetIndex(kf::Param1, 99);
    KeyRecordView(talk).SetIndex(kf::Param2, 5);
    v = Show(0, 0, talk);
    EXPECT_EQ(40u, v.TalkSources.size()); // channels above 40 are not listed
    EXPECT_EQ(40, v.TalkChannels.back());
    // A talk source and destination no longer listed are reset and stored.
    EXPECT_EQ(0, v.TalkSourceItem);
    EXPECT_EQ(0, v.TalkDestinationItem);
    model::TKeyRecord stored{};
    model::GetKeyFunction(*device, 0, stored, 100);
    EXPECT_EQ(0, KeyRecordView(stored).Index(kf::Param1));
    EXPECT_EQ(0, KeyRecordView(stored).Index(kf::Param2));
}

TEST_F(KeyOptions, SpinClampIsStoredAndOptionsFollowTheRow)
{
    Place(0, 10);
    auto midi = Record(4, 12);
    KeyRecordView(midi).SetSpinValue(77);
    KeyOptionsView v = Show(0, 4, midi);
    EXPECT_EQ(40, v.SpinValue);
    model::TKeyRecord stored{};
    model::GetKeyFunction(*device, 4, stored, 100);
    EXPECT_EQ(40, KeyRecordView(stored).SpinValue());

    // "User Defined": two exclusive options, the lamp-source list; a ticked option 1 disables 2.
    auto user = Record(5, 4);
    user[34] = 0x03;
    v = Show(0, 5, user);
    EXPECT_TRUE(v.LampSourceList);
    EXPECT_EQ("Timed Toogle", v.OptionCaptions[1]);
    EXPECT_TRUE(v.OptionTicked[0]);
    EXPECT_FALSE(v.OptionTicked[1]);
    EXPECT_FALSE(v.OptionEnabled[1]);
    EXPECT_EQ(1, v.PairKind);

    // "Monitor Bus" without a pool line cannot use the global pool.
    v = Show(0, 6, Record(6, 1));
    EXPECT_FALSE(v.OptionEnabled[0]);
    EXPECT_EQ("Global Pool (Monitor Bus without pool line!)", v.OptionCaptions[0]);
    EXPECT_TRUE(v.LeftSourceButton && v.RightSourceButton && v.LeftPanel && v.RightPanel);
}

TEST_F(KeyOptions, CentralOverbridgeLampsColourWarningAndStops)
{
    Place(10, 13);
    EXPECT_TRUE(Show(10, 26, Record(26, 0)).Shown);
    EXPECT_FALSE(Show(10, 29, Record(29, 0)).Shown);
    EXPECT_FALSE(Show(10, 3, Record(3, 0)).GreenOffered);

    // Equal active and inactive colours warn once per run.
    auto same = Record(1, 3, 0);
    same[33] = 0x50; // yellow on, yellow off
    EXPECT_EQ("Warning! Active and inactive function state is using the same color!", Show(10, 1, same).Warning);
    same[0] = 2;
    EXPECT_EQ("", Show(10, 2, same).Warning);
    state.SelectedKey = -1;
    EXPECT_FALSE(FillKeyFunctionList(state, project, 0, memory).Shown);
}

// Showing every key of a module writes nothing but the stores the display makes.
TEST_F(KeyOptions, ShowingKeysWritesNothingElse)
{
    Place(0, 12);
    Place(1, 20);
    // Every function with a spin value inside its range; no talkback (its reset would store).
    for (int key = 0; key < 20; ++key) {
        auto r = Record(key, static_cast<std::uint8_t>(key % 16 == 13 ? 0 : key % 16), 1);
        KeyRecordView(r).SetSpinValue(1);
        model::SetKeyFunction(*device, key, r, 1, 100);
    }
    model::TKeyRecord probe{};
    model::GetKeyFunction(*device, 0, probe, 101); // the fader type's table exists from here on
    const auto before = device->GetAllData();
    for (const auto& [position, keys] : {std::pair{0, 57}, std::pair{1, 20}}) {
        for (int key = 0; key < keys; ++key)
            ShowStored(position, key);
    }
    const auto after = device->GetAllData();
    EXPECT_EQ(before, after);
}

} // namespace
