#include "console/keyfunctioncatalogue.h"
#include "console/keycaption.h"
#include "console/modulepanelcontroller.h"
#include "consolefixture.h"
#include "model/keyaccess.h"

using namespace kvr;
using namespace kvr::console;
using namespace kvr::console::test;

namespace {

class ModulePanel : public ConsoleTest {
protected:
    ModulePanelView Select(int console, int position, int key = -1, int pageMode = pmKeys)
    {
        state.SelectedConsole = console;
        state.SelectedSlot = position;
        state.SelectedModule = ModuleEntryAt(device, console, position);
        state.SelectedKey = key;
        state.PageMode = pageMode;
        return ShowModule(state, device);
    }
    std::string EncoderCaption(int item) { return std::string(EncoderFunctionList()[static_cast<std::size_t>(item)].Caption); }

    ConsoleEditorState state;
};

TEST_F(ModulePanel, EmptySlotsAndBlankModulesAskForASelection)
{
    Add(0, 1, 1);
    for (int position : {0, 1}) {
        const ModulePanelView v = Select(0, position);
        EXPECT_TRUE(v.PleaseSelect);
        EXPECT_TRUE(v.OtherOptions);
        EXPECT_FALSE(v.OtherOptionsEnabled);
        EXPECT_FALSE(v.KeyOptions || v.Special);
    }
    EXPECT_EQ("", Select(0, 1).ModuleIDText);
    EXPECT_EQ("Blind Module", Select(0, 1).ModelLabel);
    EXPECT_EQ("1", Select(0, 0).ModuleIDText);
}

TEST_F(ModulePanel, ModuleOptionsWithoutAKey)
{
    Add(0, 0, 20);
    Add(0, 1, 21);
    Add(0, 11, 23);
    auto fader = ModuleEntryAt(device, 0, 0);
    fader[2] = 0x80;
    device.SetSetupData(100, fader);
    ModulePanelView v = Select(0, 0);
    EXPECT_TRUE(v.FaderOptions);
    EXPECT_TRUE(v.ZeroDb);
    EXPECT_FALSE(v.InvertFader);
    EXPECT_FALSE(v.Encoders);
    InvertFaderClicked(state, device, true);
    ZeroDbClicked(state, device, false);
    EXPECT_EQ(0x40, ModuleEntryAt(device, 0, 0)[2]);
    state.Filling = 1;
    ZeroDbClicked(state, device, true); // filling: nothing written
    EXPECT_EQ(0x40, ModuleEntryAt(device, 0, 0)[2]);
    state.Filling = 0;

    // A type-23 overbridge: no access group, its fader number, encoders 1 and 2.
    v = Select(0, 11);
    EXPECT_FALSE(v.AccessGroupVisible);
    EXPECT_EQ(" #F2", v.ModuleIDText);
    EXPECT_TRUE(v.Encoders);
    EXPECT_EQ((std::array<bool, 5>{true, true, false, false, false}), v.EncoderVisible);
    EXPECT_EQ((std::array<int, 5>{}), v.EncoderItem);
}

TEST_F(ModulePanel, EncoderDefaultsAreSharedByTheTypeAndKeptAtNone)
{
    Add(0, 0, 20);
    Add(0, 10, 23);
    Add(1, 0, 29);
    Add(1, 10, 23);
    Select(0, 10);
    EncoderDefaultChanged(state, device, 1, 4); // "EQ2 Gain"
    EXPECT_EQ("EQ2 Gain", EncoderCaption(Select(1, 10).EncoderItem[0]));
    EncoderDefaultChanged(state, device, 1, 0); // back to "None"
    model::TKeyRecord record{};
    ASSERT_EQ(1, model::GetKeyFunction(device, 16, record, 99));
    EXPECT_EQ("DONOTDELETE", KeyRecordView(record).Text());
    EXPECT_EQ(0, record[36]);

    // A stored 46 shows the last row with that value.
    Select(1, 0);
    const int aux17 = EncoderItem(46);
    EncoderDefaultChanged(state, device, 3, aux17);
    const ModulePanelView v = Select(1, 0);
    EXPECT_EQ((std::array<bool, 5>{false, false, true, false, false}), v.EncoderVisible);
    EXPECT_EQ("AUX17 Gain", EncoderCaption(v.EncoderItem[2]));
    ASSERT_EQ(1, model::GetKeyFunction(device, 45, record, 97));
    EXPECT_EQ(46, record[36]);
}

TEST_F(ModulePanel, DisplayTextAndRotarySelectorDefaults)
{
    device.SetName("Studio A");
    Add(0, 0, 10);
    auto main = ModuleEntryAt(device, 0, 0);
    main[2] = 0xA3;
    device.SetSetupData(100, main);
    ModulePanelView v = Select(0, 0, 49);
    EXPECT_TRUE(v.Special && v.DisplayDefault);
    EXPECT_FALSE(v.OtherOptions || v.KeyOptions);
    ASSERT_EQ(14u, v.DisplayTexts.size());
    EXPECT_EQ("Device name (\"Studio A\")", v.DisplayTexts[1]);
    EXPECT_EQ("Timer 12", v.DisplayTexts[13]);
    EXPECT_EQ(3, v.DisplayTextItem);
    DisplayTextChanged(state, device, 5);
    EXPECT_EQ(5, ModuleEntryAt(device, 0, 0)[2]); // the upper bits cleared

    Add(0, 1, 12);
    v = Select(0, 1, 58);
    EXPECT_TRUE(v.RotarySelector);
    EXPECT_EQ(0, v.RotarySelectorItem);
    RotarySelectorDefaultChanged(state, device, 30);
    EXPECT_EQ(30, Select(0, 1, 58).RotarySelectorItem);
    model::TKeyRecord record{};
    ASSERT_EQ(1, model::GetKeyFunction(device, 57, record, 101));
    EXPECT_EQ(0x10, record[33]);
    record[36] = 31; // above the list
    model::SetKeyFunction(device, 57, record, 1, 101);
    EXPECT_EQ(0, Select(0, 1, 58).RotarySelectorItem);
}

TEST_F(ModulePanel, SelectedKeysByModeAndElement)
{
    Add(0, 10, 13);
    ModulePanelView v = Select(0, 10, 5);
    EXPECT_TRUE(v.KeyOptions && v.FillKeyFunctionList);
    v = Select(0, 10, 26);
    EXPECT_TRUE(v.Special && v.LampSource);
    EXPECT_EQ("ON AIR Lamp Source", v.LampSourceLabel);
    EXPECT_FALSE(v.KeyOptions);
    // In "Authorisation" keys show the user groups; a lamp element hides them.
    v = Select(0, 10, 5, pmAuthorisation);
    EXPECT_TRUE(v.AuthPanel && v.ShowUserGroups);
    v = Select(0, 10, 24, pmAuthorisation);
    EXPECT_FALSE(v.AuthPanel);
}

// "Other Options" holds the module's identity: it stays in view while "Authorisation" shows a
// key's user groups, and gives way to the key's own options elsewhere.
TEST_F(ModulePanel, OtherOptionsByModuleKeyAndMode)
{
    Add(0, 1, 1);
    Add(0, 10, 13);
    Add(0, 2, 10);
    Add(0, 3, 12);
    struct Case {
        int Position, Key, Mode;
        bool Shown, Enabled;
    };
    const Case cases[] = {
        {0, -1, pmKeys, true, false},           {1, -1, pmAuthorisation, true, false},
        {10, -1, pmKeys, true, true},           {10, -1, pmConsole, true, true},
        {10, -1, pmAuthorisation, true, true},  {10, 5, pmAuthorisation, true, true},
        {10, 24, pmAuthorisation, true, true},  {10, 5, pmKeys, false, true},
        {10, 26, pmKeys, false, true},          {2, 49, pmKeys, false, true},
        {3, 58, pmKeys, false, true},
    };
    for (const Case& c : cases) {
        const ModulePanelView v = Select(0, c.Position, c.Key, c.Mode);
        EXPECT_EQ(c.Shown, v.OtherOptions) << c.Position << " key " << c.Key << " mode " << c.Mode;
        if (c.Shown) {
            EXPECT_EQ(c.Enabled, v.OtherOptionsEnabled) << c.Position << " key " << c.Key << " mode " << c.Mode;
        }
    }
}

TEST_F(ModulePanel, IndependentKeyOnAndOff)
{
    Add(0, 0, 20);
    model::TKeyRecord shared{};
    shared[0] = 2;
    shared[1] = 'S';
    model::SetKeyFunction(device, 2, shared, 0, 100);
    Select(0, 0, 2);
    state.SelectedKeyRecord = shared;
    EXPECT_TRUE(ShowModule(state, device).IndependentKey);
    EXPECT_FALSE(ShowModule(state, device).IndependentKeyTicked);
    state.SelectedKeyRecord[1] = 'O';
    IndependentKeyClicked(state, device, true);
    EXPECT_TRUE(ShowModule(state, device).IndependentKeyTicked);
    EXPECT_EQ('O', state.SelectedKeyRecord[1]);
    IndependentKeyClicked(state, device, false);
    EXPECT_FALSE(ShowModule(state, device).IndependentKeyTicked);
    EXPECT_EQ('S', state.SelectedKeyRecord[1]); // the shared record again
    // Key modules never show the box.
    Add(0, 1, 10);
    EXPECT_FALSE(Select(0, 1, 2).IndependentKey);
}

} // namespace
