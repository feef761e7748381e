#include "console/moduleclipboard.h"
#include "consolefixture.h"

using namespace kvr;
using namespace kvr::console;
using namespace kvr::console::test;

namespace {

class Clipboard : public ConsoleTest {
protected:
    // Answers the earlier-cut question and counts it.
    ModuleClipboard::ConfirmDiscard Answer(bool yes)
    {
        return [this, yes](const std::string& question) {
            questions.push_back(question);
            return yes;
        };
    }
    void ExpectPasteRefused(int console, int position, const std::string& text, bool errorDialog)
    {
        const auto before = device.GetAllData();
        const auto held = clipboard.Held();
        const auto refused = clipboard.Paste(device, console, position);
        ASSERT_TRUE(refused.has_value()) << text;
        EXPECT_EQ(text, refused->Text);
        EXPECT_EQ(errorDialog, refused->ErrorDialog) << text;
        EXPECT_EQ(before, device.GetAllData()) << text;
        EXPECT_EQ(held, clipboard.Held());
    }

    ModuleClipboard clipboard;
    std::vector<std::string> questions;
};

TEST_F(Clipboard, CopiedKeyModulePastesWithNewIDsAndPotNames)
{
    EXPECT_FALSE(clipboard.HoldsModule());
    EXPECT_FALSE(clipboard.Paste(device, 0, 0).has_value()); // nothing held: nothing happens
    Add(0, 10, 26); // ID 0
    AddKeyRecords(0, 10, {3, 31});
    EXPECT_FALSE(clipboard.Copy(device, 0, 10, Answer(true)).has_value());
    EXPECT_TRUE(clipboard.HoldsModule());
    EXPECT_EQ(26, Type(0, 10)); // a copy leaves the console alone
    for (int position : {11, 12}) {
        EXPECT_FALSE(clipboard.Paste(device, 0, position).has_value());
        const auto entry = ModuleEntryAt(device, 0, position);
        EXPECT_EQ(position - 10, entry[4]);
        EXPECT_EQ(2, entry[5]);
        EXPECT_EQ(ModuleEntryAt(device, 0, 10).size(), entry.size());
    }
    EXPECT_EQ("Level 1", Pot(11));
    EXPECT_EQ("Level 8", Pot(28));
    EXPECT_TRUE(questions.empty());
}

TEST_F(Clipboard, CutKeyModuleKeepsItsIDAndPotNames)
{
    Add(0, 0, 10); // IDs 10-11
    Add(0, 1, 12); // IDs 8-9
    clipboard.Cut(device, 0, 0, Answer(true));
    EXPECT_TRUE(ModuleEntryAt(device, 0, 0).empty());
    EXPECT_TRUE(clipboard.IsCutPending());
    EXPECT_EQ("Monitor", Pot(101)); // no clean-up on a cut
    EXPECT_FALSE(clipboard.Paste(device, 0, 5).has_value());
    EXPECT_EQ(10, ModuleID(0, 5));
    EXPECT_FALSE(clipboard.IsCutPending());
    // Pasted once, the next paste is a copy with a new ID.
    EXPECT_FALSE(clipboard.Paste(device, 0, 6).has_value());
    EXPECT_EQ(6, ModuleID(0, 6));
    EXPECT_EQ("Monitor", Pot(61));
}

// The fault mended: a pending cut kept its ID although another module took it meanwhile.
TEST_F(Clipboard, PendingCutWhoseIDWasTakenGetsANewOne)
{
    Add(0, 0, 13); // ID 0
    clipboard.Cut(device, 0, 0, Answer(true));
    Add(0, 1, 26); // takes ID 0
    EXPECT_EQ(0, ModuleID(0, 1));
    EXPECT_FALSE(clipboard.Paste(device, 0, 12).has_value());
    EXPECT_EQ(1, ModuleID(0, 12));
    EXPECT_EQ("Level A", Pot(11));
}

TEST_F(Clipboard, FaderModuleTravelsWithItsFaderOverbridge)
{
    Add(0, 0, 20);
    Add(0, 10, 28);
    Add(0, 1, 29);
    Add(0, 11, 13); // a Central Overbridge stays where it is
    clipboard.Cut(device, 0, 0, Answer(true));
    EXPECT_EQ(0, Type(0, 0));
    EXPECT_EQ(0, Type(0, 10));
    EXPECT_EQ(4, device.Header()[model::dh::FaderCount]);
    for (int position : {3, 5}) {
        EXPECT_FALSE(clipboard.Paste(device, 1, position).has_value());
        EXPECT_EQ(20, Type(1, position));
        EXPECT_EQ(28, Type(1, position + 10));
    }
    EXPECT_EQ(12, device.Header()[model::dh::FaderCount]);
    EXPECT_EQ(2, ModuleID(1, 5)); // renumbered across consoles
    EXPECT_EQ(2, ModuleID(1, 15));

    clipboard.Copy(device, 0, 1, Answer(true));
    EXPECT_FALSE(clipboard.HeldOverbridge().has_value());
    EXPECT_EQ(13, Type(0, 11));
    EXPECT_FALSE(clipboard.Paste(device, 0, 7).has_value());
    EXPECT_EQ(0, Type(0, 17));
}

// A fader module pasted with its overbridge below an occupied upper slot replaces the module
// there, but only after a question that names the slot: the module and its work would be lost.
TEST_F(Clipboard, FaderModuleBelowAnOccupiedSlotReplacesItAfterAQuestion)
{
    Add(0, 0, 20);
    Add(0, 10, 23);
    Add(0, 12, 13); // ID 0: pots 1 and 2
    AddKeyRecords(0, 12, {4});
    clipboard.Cut(device, 0, 0, Answer(true));
    const std::string question = "The upper slot 3 of \"Console 1\" holds KX730-013 Central Overbridge.\n"
                                 "Do you want to replace it with the fader overbridge KX730-023?";

    const auto before = device.GetAllData();
    EXPECT_FALSE(clipboard.Paste(device, 0, 2, Answer(false)).has_value());
    EXPECT_EQ(before, device.GetAllData());
    EXPECT_EQ(std::vector<std::string>{question}, questions);
    EXPECT_TRUE(clipboard.IsCutPending());

    deletedLogics.clear();
    EXPECT_FALSE(clipboard.Paste(device, 0, 2, Answer(true)).has_value());
    EXPECT_EQ((std::vector<std::string>{question, question}), questions);
    EXPECT_EQ(20, Type(0, 2));
    EXPECT_EQ(23, Type(0, 12));
    // The replaced module goes as Delete Module takes it.
    EXPECT_EQ(std::vector<int>{1 + 4}, deletedLogics);
    EXPECT_EQ("", Pot(1));

    // An empty slot above asks nothing.
    EXPECT_FALSE(clipboard.Paste(device, 0, 5, Answer(false)).has_value());
    EXPECT_EQ(23, Type(0, 15));
    EXPECT_EQ(2u, questions.size());
}

TEST_F(Clipboard, PasteRefusals)
{
    Add(0, 0, 20);
    Add(0, 10, 23);
    Add(0, 1, 10);
    Add(0, 2, 1);
    clipboard.Copy(device, 0, 10, Answer(true)); // the fader overbridge alone
    ExpectPasteRefused(0, 3, "An overbrigde can not be pasted here!", true);
    ExpectPasteRefused(0, 11, "Can not paste KX730-023 without KX730-020 or KX730-029!", true);
    ExpectPasteRefused(0, 12, "Can not paste KX730-023 without KX730-020 or KX730-029!", true);
    ExpectPasteRefused(0, 10, "Can not paste to module slots which are not empty!", true);
    clipboard.Copy(device, 0, 1, Answer(true)); // a Main Module
    ExpectPasteRefused(0, 14, "Only overbrigdes can be pasted here!", true);
    ExpectPasteRefused(0, 2, "Can not paste to module slots which are not empty!", true);
    for (int position = 3; position < 8; ++position)
        clipboard.Paste(device, 0, position);
    ExpectPasteRefused(0, 8, "No module id available. Cannot add this module!", false);

    // A blank module needs no ID.
    clipboard.Copy(device, 0, 2, Answer(true));
    EXPECT_FALSE(clipboard.Paste(device, 0, 8).has_value());
    EXPECT_EQ(1, Type(0, 8));

    // The fader limit renumbers, which changes nothing on a consistent console.
    model::TDevice faders;
    SetConsoles(faders, 2);
    for (int i = 0; i < 10; ++i)
        Add(i / 9, i % 9, 20, &faders);
    clipboard.Copy(faders, 0, 0, Answer(true));
    const auto before = faders.GetAllData();
    const auto refused = clipboard.Paste(faders, 1, 5);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ("Cannot add this fader module! Maximum number is 10.", refused->Text);
    EXPECT_FALSE(refused->ErrorDialog);
    EXPECT_EQ(before, faders.GetAllData());
}

TEST_F(Clipboard, EarlierCutQuestion)
{
    Add(0, 0, 10);
    AddKeyRecords(0, 0, {4});
    Add(0, 1, 12);
    clipboard.Cut(device, 0, 0, Answer(true));
    EXPECT_TRUE(questions.empty());

    // No: the second module stays, nothing changes.
    const auto before = device.GetAllData();
    const auto refused = clipboard.Cut(device, 0, 1, Answer(false));
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ("The selected module was not cut because there is already data in the clipboard!", refused->Text);
    EXPECT_TRUE(refused->ErrorDialog);
    EXPECT_EQ(before, device.GetAllData());
    EXPECT_EQ((std::vector<std::string>{
                  "You cut a module but you did not paste it anywhere.\nDo you want to delete the previous cut module?"}),
              questions);
    EXPECT_TRUE(clipboard.Copy(device, 0, 1, Answer(false)).has_value());

    // Yes: the first module is gone for good, with its key references and pot names (the
    // fault mended: they stayed behind); the second is held.
    deletedLogics.clear();
    EXPECT_FALSE(clipboard.Cut(device, 0, 1, Answer(true)).has_value());
    EXPECT_EQ((std::vector<int>{1 + 32 * 10 + 4}), deletedLogics);
    EXPECT_EQ("", Pot(101));
    EXPECT_EQ(12, model::ModuleType(*clipboard.Held()));
    EXPECT_EQ(0, Type(0, 1));
}

TEST_F(Clipboard, DiscardedCutReleasesNothingWhereItsIDIsTakenOrItsDeviceIsGone)
{
    Add(0, 0, 13); // ID 0
    clipboard.Cut(device, 0, 0, Answer(true));
    Add(0, 1, 13); // takes ID 0 and names its pots
    Add(0, 2, 1);
    deletedLogics.clear();
    clipboard.Copy(device, 0, 2, Answer(true));
    EXPECT_TRUE(deletedLogics.empty());
    EXPECT_EQ("Level A", Pot(1));

    Add(0, 3, 26); // ID 1
    clipboard.Cut(device, 0, 3, Answer(true));
    clipboard.ForgetDevice(&device);
    clipboard.Copy(device, 0, 2, Answer(true));
    EXPECT_EQ("Level 1", Pot(11));
}

TEST_F(Clipboard, StudioPanelIsNeverPastedAndModulesMoveBetweenDevices)
{
    Add(1, 12, 11);
    clipboard.Cut(device, 1, 12, Answer(true));
    const auto before = device.GetAllData();
    EXPECT_FALSE(clipboard.Paste(device, 1, 12).has_value());
    EXPECT_FALSE(clipboard.Paste(device, 0, 3).has_value());
    EXPECT_EQ(before, device.GetAllData());

    model::TDevice other;
    SetConsoles(other, 1);
    Add(0, 0, 12); // IDs 10-11 here
    clipboard.Cut(device, 0, 0, Answer(true));
    EXPECT_FALSE(clipboard.Paste(other, 0, 4).has_value());
    EXPECT_EQ(12, Type(0, 4, &other));
    EXPECT_EQ(10, ModuleID(0, 4, &other));
    // Its pot names come with it: the other device never had them.
    EXPECT_EQ("Monitor", Pot(101, &other));
}

} // namespace
