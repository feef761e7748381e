#include "model/logicaccess.h"
#include "model/recordtext.h"
#include "model/sourceids.h"
#include "recordfixture.h"

using namespace kvr::model;
using namespace kvr::model::test;

namespace {

class LogicAccess : public RecordTest {};

std::vector<std::string> Labels(TDevice& device)
{
    std::vector<std::string> out;
    TLogicFunction f;
    for (int i = 0; GetLogicFunction(device, i, f) == 1; ++i)
        out.push_back(LabelText(f.Label));
    return out;
}

} // namespace

TEST_F(LogicAccess, AddDeleteAndMoveCallTheAdaptationInOrder)
{
    for (int i = 0; i < 3; ++i)
        AddLogicFunction(device);
    EXPECT_TRUE(device.FLogicSourcesChanged);
    DeleteLogicFunction(device, 1);
    EXPECT_EQ(adapted, (std::vector<AdaptCall>{{932, 0, amDelete}}));
    AddLogicFunction(device);
    EXPECT_EQ(Labels(device), (std::vector<std::string>{"Logic 1", "Logic 3", "Logic 3"}));

    adapted.clear();
    MoveLogicFunction(device, 0, 2);
    EXPECT_EQ(Labels(device), (std::vector<std::string>{"Logic 3", "Logic 3", "Logic 1"}));
    EXPECT_EQ(adapted, (std::vector<AdaptCall>{{931, MovePlaceholderID, amSwap}, {931, 0, amRemoveForMove},
                                               {933, 0, amInsert}, {MovePlaceholderID, 933, amSwap}}));
    adapted.clear();
    MoveLogicFunction(device, 1, 1);
    MoveLogicFunction(device, 0, 3);
    DeleteLogicFunction(device, 3);
    EXPECT_TRUE(adapted.empty());
}

TEST_F(LogicAccess, SettersNeverAppend)
{
    AddLogicFunction(device);
    const auto before = device.GetAllData();
    TLogicFunction f;
    f.Head = 0xC3;
    SetLogicFunction(device, 1, &f);
    TLogicDelay d;
    SetLogicDelay(device, 0, d);
    TScript s;
    SetScript(device, 0, s);
    TLevelDetect l;
    SetLevelDetect(device, 0, l);
    EXPECT_EQ(device.GetAllData(), before);
    SetLogicFunction(device, 0, &f);
    ASSERT_EQ(GetLogicFunction(device, 0, f), 1);
    EXPECT_EQ(f.Head, 0xC3);
    EXPECT_EQ(device.GetData(stLogicFkt).size(), 18u);
}

TEST_F(LogicAccess, DelaysAndLevelDetects)
{
    AddLogicDelay(device);
    AddLogicDelay(device);
    DeleteLogicDelay(device, 0);
    EXPECT_EQ(adapted, (std::vector<AdaptCall>{{1381, 0, amDelete}}));
    TLogicDelay d;
    ASSERT_EQ(GetLogicDelay(device, 0, d), 1);
    EXPECT_EQ(LabelText(d.Label), "Delay 2");
    EXPECT_EQ(GetLogicDelay(device, 1, d), 0);

    adapted.clear();
    for (int i = 0; i < 4; ++i)
        AddLevelDetect(device);
    DeleteLevelDetect(device, 2);
    EXPECT_EQ(adapted, (std::vector<AdaptCall>{{1403, 0, amDelete}, {1368, 0, amDelete}}));
    TLevelDetect l;
    l.Source = 0x1234;
    EXPECT_EQ(GetLevelDetect(device, 3, l), 0);
    EXPECT_EQ(l.Source, 0); // the source is cleared for a missing index
    ASSERT_EQ(GetLevelDetect(device, 2, l), 1);
    EXPECT_EQ(LabelText(l.Label), "Level 4");
    l.Level = 50;
    l.Stereo = 1;
    SetLevelDetect(device, 2, l);
    const auto block = device.GetData(stLevelDetect);
    ASSERT_EQ(block.size(), 2u + 3 * 20);
    EXPECT_EQ(block[2 + 40 + 12], 50);
    EXPECT_EQ(block[2 + 40 + 13], 1);
}

TEST_F(LogicAccess, ScriptStepLimit)
{
    for (int i = 0; i < 5; ++i)
        AddScript(device);
    TScript s;
    auto setCounts = [&](std::array<int, 5> counts) {
        for (int i = 0; i < 5; ++i) {
            ASSERT_EQ(GetScript(device, i, s), 1);
            s.Count = static_cast<std::uint8_t>(counts[static_cast<std::size_t>(i)]);
            SetScript(device, i, s);
        }
    };
    setCounts({250, 250, 250, 250, 0});
    EXPECT_EQ(CheckScriptSteps(device), 1000);
    EXPECT_EQ(device.FLimitExceeded & kLimitScriptCommands, 0u);
    setCounts({250, 250, 250, 250, 1});
    EXPECT_EQ(CheckScriptSteps(device), 1001);
    EXPECT_EQ(device.FLimitExceeded & kLimitScriptCommands, kLimitScriptCommands);
    ASSERT_EQ(GetScript(device, 4, s), 1);
    EXPECT_EQ(LabelText(s.Label), "Script 5");
    DeleteScript(device, 0);
    EXPECT_EQ(CheckScriptSteps(device), 751);
    EXPECT_EQ(device.FLimitExceeded & kLimitScriptCommands, 0u);
}

TEST_F(LogicAccess, MuteLogicNames)
{
    EXPECT_EQ(GetMuteLogicName(device, 2), "MuteLogic 3");
    std::array<std::uint8_t, 16> name{'A'};
    SetMuteLogicName(device, 0, name);
    EXPECT_EQ(GetMuteLogicName(device, 0), "A");
    EXPECT_EQ(GetMuteLogicName(device, 4), "Mute Logic 5");
}

TEST_F(LogicAccess, FixLevelDetectsConvertsTypeNine)
{
    std::vector<std::uint8_t> old(32, 0x11);
    device.SetData(stOldLevelDetect, old);
    FixLevelDetects(device);
    EXPECT_TRUE(device.GetData(stOldLevelDetect).empty());
    const auto block = device.GetData(stLevelDetect);
    ASSERT_EQ(block.size(), 42u);
    EXPECT_EQ(block[0], 20);
    EXPECT_EQ(block[2 + 20 + 15], 0x11);
    EXPECT_EQ(block[2 + 20 + 16], 0);
    TLevelDetect l;
    EXPECT_EQ(GetLevelDetect(device, 1, l), 1);
}

TEST_F(LogicAccess, FixLevelDetectsWidensShortRecords)
{
    std::vector<std::uint8_t> block{17, 0};
    block.resize(2 + 2 * 17, 0x22);
    device.SetData(stLevelDetect, block);
    FixLevelDetects(device);
    const auto fixed = device.GetData(stLevelDetect);
    ASSERT_EQ(fixed.size(), 42u);
    TLevelDetect l;
    ASSERT_EQ(GetLevelDetect(device, 1, l), 1);
    EXPECT_EQ(l.Release, 20);
    EXPECT_EQ(l.Attack, 0);
    const auto before = device.GetAllData();
    FixLevelDetects(device); // nothing left to do
    EXPECT_EQ(device.GetAllData(), before);
}

TEST_F(LogicAccess, DummyDeviceIsReadOnly)
{
    AddLogicFunction(device);
    AddScript(device);
    MakeDummy(device);
    const auto before = device.GetAllData();
    TLogicFunction f;
    EXPECT_EQ(GetLogicFunction(device, 0, f), 9);
    TScript s;
    EXPECT_EQ(GetScript(device, 0, s), 0);
    AddLogicFunction(device);
    DeleteLogicFunction(device, 0);
    AddLevelDetect(device);
    AddLogicDelay(device);
    EXPECT_EQ(CheckScriptSteps(device), 0);
    EXPECT_EQ(device.GetAllData(), before);
    EXPECT_TRUE(adapted.empty());
}
