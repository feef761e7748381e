#include "consolefixture.h"
#include "console/moduleclipboard.h"

#include <functional>

#include "model/adaptation.h"
#include "model/logicaccess.h"
#include "model/smallrecordaccess.h"

using namespace kvr;
using namespace kvr::console;
using namespace kvr::console::test;

namespace {

class Placement : public ConsoleTest {
protected:
    // Refused: the message, and the image exactly as before.
    void ExpectRefused(int console, int position, int type, const std::string& message)
    {
        const auto before = device.GetAllData();
        const auto placed = AddConsoleModule(device, console, position, type);
        EXPECT_EQ(-1, placed.Position) << type;
        EXPECT_EQ(message, placed.Refusal) << type;
        EXPECT_EQ(before, device.GetAllData()) << type;
    }
};

TEST_F(Placement, ModuleIDsHighestPairForTwoIDTypesLowestFreeOtherwise)
{
    // (console, position, type, ID)
    const std::tuple<int, int, int, int> sequence[] = {
        {0, 0, 10, 10}, {0, 1, 10, 8}, {0, 10, 26, 0}, {0, 11, 13, 1}, {0, 2, 12, 6},
        {0, 3, 20, 0},  {0, 13, 23, 0}, {0, 4, 1, 0},  {0, 14, 2, 0},  {0, 12, 25, 4},
    };
    for (const auto& [console, position, type, id] : sequence) {
        EXPECT_EQ(position, Add(console, position, type));
        EXPECT_EQ(type, Type(console, position));
        EXPECT_EQ(id, ModuleID(console, position)) << "type " << type;
        EXPECT_EQ(6u, ModuleEntryAt(device, console, position).size());
    }
    // The pots of each key module are named from its type's level names.
    EXPECT_EQ("Monitor", Pot(101));
    EXPECT_EQ("Headphone", Pot(102));
    EXPECT_EQ("Monitor", Pot(81));
    EXPECT_EQ("Level 1", Pot(1));
    EXPECT_EQ("Level 8", Pot(8));
    EXPECT_EQ("Level A", Pot(11));
    EXPECT_EQ("Level 2", Pot(64));
    EXPECT_EQ("", Pot(103));
    // The IDs left: 2-3 are the only free pair, 3 the last single after it.
    EXPECT_EQ(2, FindFreeModuleID(device, 12));
    EXPECT_EQ(2, FindFreeModuleID(device, 11));
    EXPECT_EQ(0, FindFreeModuleID(device, 29));
    EXPECT_EQ(-1, FindFreeModuleID(device, 28));
    EXPECT_EQ(-1, FindFreeModuleID(device, 2));
}

TEST_F(Placement, TwelveIDsTakenRefusesKeyModulesOnly)
{
    for (int position = 0; position < 6; ++position)
        Add(0, position, 10);
    ExpectRefused(0, 6, 12, "Cannot add this module!");
    ExpectRefused(0, 10, 13, "Cannot add this module!");
    ExpectRefused(1, 12, 11, "Cannot add this module!");
    Add(0, 6, 20);
    Add(0, 7, 1);
    Add(0, 16, 23);
}

TEST_F(Placement, EleventhFaderModuleIsRefused)
{
    for (int i = 0; i < 10; ++i)
        Add(i / 9, i % 9, i % 2 ? 29 : 20);
    EXPECT_EQ(40, device.Header()[model::dh::FaderCount]);
    // Overbridges and blank modules do not count.
    Add(0, 10, 28);
    Add(1, 5, 1);
    ExpectRefused(1, 2, 21, "Cannot add this fader module! Maximum number is 10.");
}

TEST_F(Placement, OverbridgesAndTheStudioPanel)
{
    Add(0, 0, 20);
    Add(0, 2, 10);
    // A Central Overbridge sits above anything, also an empty slot; fader overbridges need a
    // fader module and inherit its option byte.
    Add(0, 14, 13);
    ExpectRefused(0, 12, 23, "Fader Overbridges can only be used in combination with Fader Modules!");
    ExpectRefused(0, 15, 28, "Fader Overbridges can only be used in combination with Fader Modules!");
    auto fader = ModuleEntryAt(device, 0, 0);
    fader[2] = 0xC0;
    device.SetSetupData(100, fader);
    Add(0, 10, 28);
    EXPECT_EQ(0xC0, ModuleEntryAt(device, 0, 10)[2]);

    // The Studio Panel goes to position 12 of an empty console, wherever it was dropped.
    EXPECT_EQ(12, Add(1, 3, 11));
    EXPECT_EQ(11, Type(1, 12));
    ExpectRefused(0, 5, 11, "The Studio Panel requires its own console!");
    SetConsoles(device, 6);
    ExpectRefused(0, 5, 11, "Cannot add a console for the Studio Panel!");
}

// The fault mended: a module dropped on an occupied slot replaced it without clean-up, leaving
// its key references and pot names behind.
TEST_F(Placement, DropOnAnOccupiedSlotRemovesTheOccupantFirst)
{
    Add(0, 3, 26); // ID 0, pots 1-8
    AddKeyRecords(0, 3, {2, 7});
    Add(0, 2, 20);
    Add(0, 12, 23);
    Add(0, 13, 13); // ID 1
    Add(0, 13, 13); // replaces itself: ID 1 still taken when searched, so the new one gets 2
    EXPECT_EQ(2, ModuleID(0, 13));
    EXPECT_EQ("", Pot(11));
    EXPECT_EQ("Level A", Pot(21));

    deletedLogics.clear();
    Add(0, 3, 10);
    EXPECT_EQ(10, Type(0, 3));
    EXPECT_EQ((std::vector<int>{1 + 2, 1 + 7}), deletedLogics);
    EXPECT_EQ("", Pot(1));
    // A fader module dropped on a fader module takes the old one's overbridge with it.
    Add(0, 2, 29);
    EXPECT_EQ(29, Type(0, 2));
    EXPECT_EQ(0, Type(0, 12));
}

// A module dropped on an occupied slot: the occupant's keys leave no logic reference behind
// (nothing could name or reach them again, and a module placed later with the freed ID would
// inherit them), and a replaced fader module leaves no fader overbridge above a module that
// is none.
TEST_F(Placement, ReplacedModuleLeavesNoDanglingReferences)
{
    // The references themselves are adapted here, not only recorded.
    model::Hooks().AdaptLogics = [record = model::Hooks().AdaptLogics](model::TDevice& d, int a, int b, int mode) {
        record(d, a, b, mode);
        model::AdaptLogicReferences(d, a, b, mode);
    };
    Add(0, 3, 10); // IDs 10-11
    AddKeyRecords(0, 3, {5});
    const std::uint16_t key5 = 1 + 32 * 10 + 5;
    model::AddLogicFunction(device);
    model::TLogicFunction function;
    ASSERT_EQ(1, model::GetLogicFunction(device, 0, function));
    function.Head = 1;
    function.Source[0] = key5;
    model::SetLogicFunction(device, 0, &function);

    Add(0, 3, 12); // IDs 8-9
    ASSERT_EQ(1, model::GetLogicFunction(device, 0, function));
    for (int k = 0; k < function.SourceCount(); ++k)
        EXPECT_NE(key5, function.Source[static_cast<std::size_t>(k)] & 0x3FFF);
    EXPECT_EQ("", Pot(101));

    Add(0, 1, 20);
    Add(0, 11, 28);
    Add(0, 1, 10);
    EXPECT_EQ(10, Type(0, 1));
    EXPECT_EQ(0, Type(0, 11));
}

TEST_F(Placement, RemovalReleasesWhatTheModuleHeld)
{
    Add(0, 0, 20);
    Add(0, 10, 23);
    Add(0, 1, 21);
    Add(0, 11, 28);
    Add(0, 5, 10); // IDs 10-11
    AddKeyRecords(0, 5, {0, 48});

    RemoveConsoleModule(device, 0, 11); // the overbridge alone
    EXPECT_EQ(21, Type(0, 1));
    RemoveConsoleModule(device, 0, 0); // the fader module with its overbridge
    EXPECT_EQ(0, Type(0, 0));
    EXPECT_EQ(0, Type(0, 10));
    EXPECT_EQ(0, ModuleID(0, 1)); // renumbered
    EXPECT_EQ(4, device.Header()[model::dh::FaderCount]);

    RemoveConsoleModule(device, 0, 5);
    EXPECT_EQ((std::vector<int>{1 + 32 * 10, 1 + 32 * 10 + 48}), deletedLogics);
    EXPECT_EQ("", Pot(101));
    EXPECT_TRUE(ModuleEntryAt(device, 0, 5).empty());
    const auto before = device.GetAllData();
    RemoveConsoleModule(device, 0, 5); // empty: nothing
    EXPECT_EQ(before, device.GetAllData());
}

TEST_F(Placement, SwapsCarryTheLinkedRowOnlyForTheFaderFamily)
{
    Add(0, 0, 10);
    Add(0, 1, 10);
    Add(0, 10, 13);
    Add(0, 3, 20);
    Add(0, 13, 28);
    SwapConsoleModules(device, 0, 0, 1);
    EXPECT_EQ(8, ModuleID(0, 0));
    EXPECT_EQ(10, ModuleID(0, 1));
    EXPECT_EQ(13, Type(0, 10)); // the overbridge above stays
    EXPECT_EQ(0, Type(0, 11));

    SwapConsoleModules(device, 0, 3, 6); // fader module to an empty slot, overbridge along
    EXPECT_EQ((std::vector<int>{20, 28, 0, 0}), (std::vector<int>{Type(0, 6), Type(0, 16), Type(0, 3), Type(0, 13)}));
    SwapConsoleModules(device, 0, 16, 12); // the overbridge carries its fader module
    EXPECT_EQ((std::vector<int>{20, 28, 0, 0}), (std::vector<int>{Type(0, 2), Type(0, 12), Type(0, 6), Type(0, 16)}));
}

TEST_F(Placement, RemovingAConsoleMovesTheFollowingOnesWithTheirNames)
{
    SetConsoles(device, 4);
    for (int console = 0; console < 4; ++console) {
        if (console < 3)
            Add(console, 4, 1);
        RenameConsole(device, console, "Desk " + std::to_string(console + 1));
    }
    Add(2, 0, 20);
    Add(3, 12, 11);
    RemoveConsole(device, 1);
    EXPECT_EQ(3, ConsoleCount(device));
    EXPECT_EQ(20, Type(1, 0));
    EXPECT_EQ(11, Type(2, 12));
    EXPECT_EQ(1, Type(1, 4));
    EXPECT_EQ(0, Type(2, 4));
    EXPECT_EQ(0, Type(3, 12));
    EXPECT_EQ((std::vector<std::string>{"Desk 1", "Desk 3", "Desk 4"}), ConsoleTabs(device));
    // The last name place is empty now.
    const auto names = device.GetData(model::stConsoleNames);
    ASSERT_GE(names.size(), 4 * kConsoleNameWidth);
    EXPECT_EQ(0, names[3 * kConsoleNameWidth]);
}

TEST_F(Placement, ConsoleTabsAndNames)
{
    SetConsoles(device, 1);
    RemoveConsole(device, 0);
    EXPECT_EQ(0, ConsoleCount(device));
    // The fault mended: the tabs of a device without a console stored a count of one, so
    // showing its page marked the project modified. The console shown is stored once it is
    // given something.
    device.SetChangedFlag(false);
    EXPECT_EQ((std::vector<std::string>{"Console 1"}), ConsoleTabs(device));
    EXPECT_EQ(0, ConsoleCount(device));
    EXPECT_FALSE(device.IsChanged());
    const std::pair<const char*, std::function<void(model::TDevice&)>> edits[] = {
        {"module", [](model::TDevice& d) { AddConsoleModule(d, 0, 3, 10); }},
        {"name", [](model::TDevice& d) { RenameConsole(d, 0, "Desk"); }},
        {"second console", [](model::TDevice& d) { EXPECT_TRUE(AddConsole(d)); }},
        {"pasted module", [](model::TDevice& d) {
             model::TDevice source;
             SetConsoles(source, 1);
             AddConsoleModule(source, 0, 2, 12);
             ModuleClipboard clipboard;
             EXPECT_FALSE(clipboard.Copy(source, 0, 2, [](const std::string&) { return true; }));
             EXPECT_FALSE(clipboard.Paste(d, 0, 3));
         }},
    };
    for (const auto& [what, edit] : edits) {
        model::TDevice fresh;
        SetConsoles(fresh, 0);
        edit(fresh);
        EXPECT_EQ(std::string(what) == "second console" ? 2 : 1, ConsoleCount(fresh)) << what;
        EXPECT_EQ(static_cast<std::size_t>(ConsoleCount(fresh)), ConsoleTabs(fresh).size()) << what;
    }

    for (int count = 2; count <= 6; ++count)
        EXPECT_TRUE(AddConsole(device));
    EXPECT_FALSE(AddConsole(device));
    RenameConsole(device, 2, "A name of twenty ch");
    EXPECT_EQ("A name of twenty", ConsoleName(device, 2));
    EXPECT_EQ("Console 4", ConsoleName(device, 3));
}

// The fault mended: a header claiming more than six consoles gave slot IDs past the console
// slots; names moved only within the stored block.
TEST_F(Placement, AtMostSixConsoles)
{
    SetConsoles(device, 9);
    EXPECT_EQ(6, ConsoleCount(device));
    EXPECT_EQ(6u, ConsoleTabs(device).size());
    device.SetData(model::stConsoleNames, std::vector<std::uint8_t>(20, 'x'));
    Add(5, 0, 1);
    RemoveConsole(device, 0);
    EXPECT_EQ(5, device.Header()[model::dh::ConsoleCount]);
    EXPECT_EQ(1, Type(4, 0));
    const auto names = device.GetData(model::stConsoleNames);
    EXPECT_EQ((std::vector<std::uint8_t>(16, 0)), std::vector<std::uint8_t>(names.begin(), names.begin() + 16));
    EXPECT_EQ(20u, names.size());
    EXPECT_EQ('x', names[19]);
    EXPECT_TRUE(ModuleEntryAt(device, 6, 0).empty());
    EXPECT_EQ(-1, AddConsoleModule(device, 6, 0, 1).Position);
}

} // namespace
