#include <gtest/gtest.h>

#include "editors/audio/sofeditor.h"
#include "editors/common/sourceassign.h"
#include "faketarget.h"
#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/project.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"
#include "recordinghost.h"

namespace kvr::editors::test {
namespace {

using namespace kvr::model;
using namespace kvr::model::test;

// A device with one SOF whose input 2 has three sources.
class SOF : public ::testing::Test {
public:
    SOF()
    {
        project.AddDevice();
        dev = project.Device(0);
        RunDSPFitting(*dev, 0);
        EXPECT_EQ(editor().Add(), 0);
        TSOFRecord record;
        GetSOF(*dev, 0, record);
        TSOFInput& input = record.Inputs[2];
        input.Count = 3;
        input.Sources[0] = {0x0200, {0, 0}, 0};
        input.Sources[1] = {0x0202, {0xFA, 0}, 0x03E9};
        input.Sources[2] = {0x8204, {156, 121}, 0x03EA};
        SetSOF(*dev, 0, record);
    }
    SOFEditor editor() { return SOFEditor(project, 0); }
    std::vector<std::uint16_t> audio(int input)
    {
        std::vector<std::uint16_t> out;
        for (const auto& row : editor().Input(0, input))
            out.push_back(row.Audio);
        return out;
    }

    RecordingHost host;
    TProject project;
    TDevice* dev = nullptr;
};

TEST_F(SOF, AddIsBoundedByTheLimitAndTheFittingBit)
{
    auto e = editor();
    EXPECT_EQ(e.Labels(), std::vector<std::string>{"SOF 1"});
    EXPECT_TRUE(e.MayAdd());
    while (e.MayAdd())
        ASSERT_GE(e.Add(), 0);
    EXPECT_EQ(static_cast<int>(e.Labels().size()), GetSOFLimit(*dev));
    EXPECT_EQ(e.Add(), -1);
    ASSERT_TRUE(e.Remove(1));
    EXPECT_TRUE(e.MayAdd());
    dev->FLimitReached |= SOFEditor::kSOFLimitReached;
    EXPECT_FALSE(e.MayAdd());
}

TEST_F(SOF, RowsShowConditionSourceLevelAndPot)
{
    const auto rows = editor().Input(0, 2);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Level, "0 dB");
    EXPECT_EQ(rows[1].Level, "-6 dB");
    EXPECT_EQ(rows[1].Condition, GetLogicSourceName(project, 0x03E9, 0));
    EXPECT_EQ(rows[1].Source, GetAudioSourceName(project, 0x0202, 0, false));
    EXPECT_TRUE(rows[2].Off);
    EXPECT_TRUE(rows[2].Phase);
    EXPECT_EQ(rows[2].Level.substr(0, 11), " Off + Pot.");
    EXPECT_EQ(rows[2].Level.substr(rows[2].Level.size() - 2), " L");
    auto e = editor();
    ASSERT_TRUE(e.SetSource(0, 2, 2, 122, -3, 0x0204));
    EXPECT_EQ(e.Input(0, 2)[2].Level.substr(0, 10), "-3 dB + Po");
    EXPECT_EQ(e.Input(0, 2)[2].Level.substr(e.Input(0, 2)[2].Level.size() - 2), " R");
    EXPECT_EQ(e.Input(0, 3)[0].Level, "0 dB");
}

TEST_F(SOF, InputsKeepOneToFiveSources)
{
    auto e = editor();
    // Row 0 and the last source stay.
    EXPECT_FALSE(e.RemoveSource(0, 2, 0));
    EXPECT_FALSE(e.RemoveSource(0, 0, 0));
    EXPECT_FALSE(e.RemoveSource(0, 2, 3));
    ASSERT_TRUE(e.RemoveSource(0, 2, 1));
    EXPECT_EQ(audio(2), (std::vector<std::uint16_t>{0x0200, 0x8204}));
    ASSERT_TRUE(e.RemoveSource(0, 2, 1));
    EXPECT_FALSE(e.RemoveSource(0, 2, 1));
    EXPECT_EQ(audio(2), std::vector<std::uint16_t>{0x0200});

    for (int row = 1; row < kSOFMaxSources; ++row)
        EXPECT_EQ(e.InsertSource(0, 2), row);
    EXPECT_EQ(e.InsertSource(0, 2), -1);
    EXPECT_EQ(e.Input(0, 2).size(), 5u);
    EXPECT_EQ(e.Input(0, 2)[4].Level, "0 dB");
}

TEST_F(SOF, ConditionsLevelsAndBounds)
{
    auto e = editor();
    ASSERT_TRUE(e.SetCondition(0, 2, 0, 0x03E9));
    EXPECT_EQ(e.Input(0, 2)[0].Logic, 0);
    ASSERT_TRUE(e.SetCondition(0, 2, 2, 0x03EB));
    EXPECT_EQ(e.Input(0, 2)[2].Logic, 0x03EB);

    // -6 dB -> Off -> 0 dB, the caption following.
    ASSERT_TRUE(e.ToggleLevelOff(0, 2, 1));
    EXPECT_TRUE(e.Input(0, 2)[1].Off);
    EXPECT_EQ(SOFEditor::LevelActionCaption(e.Input(0, 2)[1].Off), "Set Level 0dB");
    ASSERT_TRUE(e.ToggleLevelOff(0, 2, 1));
    EXPECT_EQ(e.Input(0, 2)[1].LevelDb, 0);
    EXPECT_EQ(SOFEditor::LevelActionCaption(false), "Set Level Off");

    // Input 16 and rows past the count are refused; nothing else changes.
    const auto before = dev->GetData(stSOF);
    EXPECT_FALSE(e.SetSource(0, 16, 0, 0, 0, 0x0300));
    EXPECT_FALSE(e.SetSource(0, 2, 3, 0, 0, 0x0300));
    EXPECT_FALSE(e.SetCondition(0, 2, 3, 0x03E9));
    EXPECT_FALSE(e.SetSource(1, 0, 0, 0, 0, 0x0300));
    EXPECT_EQ(dev->GetData(stSOF), before);
}

TEST_F(SOF, MovingSourcesKeepsRowZero)
{
    auto e = editor();
    e.InsertSource(0, 2);
    e.SetSource(0, 2, 3, 0, 0, 0x0206);
    struct Case {
        int to, from;
        bool moved;
        std::vector<std::uint16_t> after;
    };
    const Case cases[] = {
        {3, 1, true, {0x0200, 0x8204, 0x0206, 0x0202}},
        {1, 3, true, {0x0200, 0x0202, 0x8204, 0x0206}},
        {0, 2, false, {0x0200, 0x0202, 0x8204, 0x0206}},
        {2, 0, false, {0x0200, 0x0202, 0x8204, 0x0206}},
        {4, 1, false, {0x0200, 0x0202, 0x8204, 0x0206}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(e.MoveSource(0, 2, c.to, c.from), c.moved) << c.from << "->" << c.to;
        EXPECT_EQ(audio(2), c.after) << c.from << "->" << c.to;
    }
    // Conditions move with their source; other inputs keep theirs.
    EXPECT_EQ(e.Input(0, 2)[1].Logic, 0x03E9);
    EXPECT_EQ(audio(3), std::vector<std::uint16_t>{0});
}

} // namespace
} // namespace kvr::editors::test
