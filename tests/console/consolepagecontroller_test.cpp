#include "console/consolehost.h"
#include "console/consolepagecontroller.h"
#include "console/moduleclipboard.h"
#include "console/moduletypes.h"
#include "consolefixture.h"
#include "gfx/recordingcanvas.h"
#include "platform/currentprompter.h"

using namespace kvr;
using namespace kvr::console;
using namespace kvr::console::test;

namespace {

class RecordingConsoleHost : public ConsoleHost {
public:
    explicit RecordingConsoleHost(model::TDevice* device) : device(device) {}
    model::TDevice* CurrentDevice() override { return device; }
    model::TProject* CurrentProject() override { return nullptr; }
    int CurrentDeviceIndex() override { return -1; }
    void UpdateResourceGauges() override { ++gauges; }
    void RebuildSourceWindows() override { ++sourceWindows; }
    void PrintModuleLayout(int slotID) override { printed.push_back(slotID); }
    void ShowModule() override { ++modulePanel; }
    void FollowAudioSources(const std::vector<AudioSourceStep>&) override {}
    TKVRLog* Log() override { return nullptr; }

    model::TDevice* device;
    int gauges = 0;
    int sourceWindows = 0;
    int modulePanel = 0;
    std::vector<int> printed;
};

class ConsolePage : public ConsoleTest {
protected:
    ConsolePage() : host(&device), page(state, clipboard, host)
    {
        auto script = std::make_unique<platform::ScriptedPrompter>();
        prompter = script.get();
        platform::setPrompter(std::move(script));
    }
    ~ConsolePage() override { platform::setPrompter(nullptr); }

    // Shows the page and draws it at 900 x 510: columns of 100, the upper row 125 high.
    void Open()
    {
        page.Show();
        page.Draw(canvas, 900, 510);
    }
    // A point in the middle of a slot position.
    static std::pair<int, int> At(int position)
    {
        return {(position % 10) * 100 + 50, position >= 10 ? 60 : 300};
    }
    bool Press(int position, bool left = true)
    {
        const auto [x, y] = At(position);
        page.PointerMove(x, y);
        bool drag = false;
        const bool taken = page.Press(x, y, left, drag);
        lastDragAllowed = drag;
        return taken;
    }
    std::vector<QString> Shown() const
    {
        std::vector<QString> texts;
        for (const auto& r : prompter->records())
            texts.push_back(r.text);
        return texts;
    }

    ConsoleEditorState state;
    ModuleClipboard clipboard;
    RecordingConsoleHost host;
    ConsolePageController page;
    gfx::RecordingCanvas canvas;
    platform::ScriptedPrompter* prompter = nullptr;
    bool lastDragAllowed = false;
};

TEST_F(ConsolePage, OpensOnConsoleWithoutModulesAndOnKeysWithOne)
{
    state.SelectedSlot = 4;
    state.SelectedConsole = 1;
    Open();
    EXPECT_EQ(pmConsole, state.PageMode);
    EXPECT_EQ(-1, state.SelectedSlot);
    EXPECT_EQ(0, state.SelectedConsole);
    EXPECT_EQ((std::vector<std::string>{"Console 1", "Console 2"}), page.Tabs());
    EXPECT_TRUE(page.AddConsoleEnabled());

    Add(1, 14, 13);
    Open();
    EXPECT_EQ(pmKeys, state.PageMode);

    const std::tuple<int, bool, bool, bool, bool, bool> groups[] = {
        {pmKeys, true, true, false, false, false},
        {pmConsole, false, false, true, true, false},
        {pmAuthorisation, false, true, false, false, true},
    };
    for (const auto& [mode, keys, module, other, palette, auth] : groups) {
        const PageGroups g = GroupsOf(mode);
        EXPECT_EQ((std::vector<bool>{keys, module, other, palette, auth}),
                  (std::vector<bool>{g.KeyOptions, g.SelectedModule, g.OtherOptions, g.Palette, g.Authorisation}));
    }
}

TEST_F(ConsolePage, PressSelectsModuleAndKeyByMode)
{
    Add(0, 0, 10);
    AddKeyRecords(0, 0, {0});
    Open();
    // Key 0 of the Main Module at (300, 360)-(500, 560): pixel (30..50, 125 + 36..56) at 0.0996.
    page.PointerMove(40, 125 + 45);
    EXPECT_EQ(0, state.PointerSlot);
    EXPECT_EQ(0, state.PointerKey);
    bool drag = true;
    EXPECT_TRUE(page.Press(40, 125 + 45, true, drag));
    EXPECT_FALSE(drag);
    EXPECT_EQ(0, state.SelectedSlot);
    EXPECT_EQ(0, state.SelectedKey);
    EXPECT_EQ('K', state.SelectedKeyRecord[1]);
    EXPECT_EQ(10, state.SelectedModuleType());
    EXPECT_EQ("Main Module", std::string(Description(state.SelectedModuleType())));
    const ModuleIdentity identity = page.Identity();
    EXPECT_EQ("1", identity.AccessGroup);
    EXPECT_EQ(" #C11", identity.ModuleID);
    EXPECT_EQ("KX730-010", identity.Model);
    page.SetAccessGroup(3);
    EXPECT_EQ(2, ModuleEntryAt(device, 0, 0)[3]);
    EXPECT_EQ("3", page.Identity().AccessGroup);

    // In "Console" a press never selects a key, and a left press may start a move.
    page.SetPageMode(pmConsole);
    page.PointerMove(40, 125 + 45);
    EXPECT_EQ(-1, state.PointerKey);
    EXPECT_TRUE(Press(0));
    EXPECT_EQ(-1, state.SelectedKey);
    EXPECT_TRUE(lastDragAllowed);
    EXPECT_TRUE(Press(0, false));
    EXPECT_FALSE(lastDragAllowed);
}

// The fault mended: drawing a fader module's keys made the missing shared key tables, so showing
// the page of a loaded project marked it modified. Showing, drawing, pointing, pressing and the
// module panel only read the device.
TEST_F(ConsolePage, ShowingThePageWritesNothing)
{
    Add(0, 0, 20);
    Add(0, 10, 28);
    Add(0, 1, 29);
    Add(0, 11, 23);
    Add(0, 2, 12);
    for (std::uint8_t table : {96, 97, 98, 99})
        device.SetSetupData(table, std::vector<std::uint8_t>{});
    device.SetChangedFlag(false);
    const auto before = device.GetAllData();

    Open();
    ASSERT_EQ(pmKeys, state.PageMode);
    for (int position : {0, 10, 1, 11, 2}) {
        const auto [x, y] = At(position);
        for (int dy : {-40, 0, 40}) {
            page.PointerMove(x, y + dy);
            bool drag = false;
            page.Press(x, y + dy, true, drag);
            page.Panel();
            page.Draw(canvas, 900, 510);
        }
    }
    page.SetPageMode(pmAuthorisation);
    page.Draw(canvas, 900, 510);
    EXPECT_EQ(before, device.GetAllData());
    EXPECT_FALSE(device.IsChanged());
}

TEST_F(ConsolePage, ColourWarningKeepsTheSelection)
{
    Add(0, 0, 12);
    auto entry = ModuleEntryAt(device, 0, 0);
    model::TKeyRecord labelled{};
    labelled[0] = 20;
    labelled[1] = 'L';
    entry.insert(entry.end(), labelled.begin(), labelled.end());
    entry[5] = 1;
    device.SetSetupData(100, entry);
    Open();
    state.PageMode = pmKeys;
    // Key 20 of the Central Module at (670, 3560): pixels 66-86 across, 125 + 354-374 down.
    page.PointerMove(75, 125 + 358);
    EXPECT_EQ(20, state.PointerKey);
    bool drag = false;
    page.Press(75, 125 + 358, true, drag);
    ASSERT_EQ(20, state.SelectedKey);
    ASSERT_EQ('L', state.SelectedKeyRecord[1]);

    // Another key is refused while the labelled key has no colour.
    state.PointerKey = 5;
    EXPECT_FALSE(page.Press(75, 125 + 200, true, drag));
    EXPECT_EQ(20, state.SelectedKey);
    EXPECT_EQ((std::vector<QString>{"Warning! For the selected button no color was selected!"}), Shown());
    // With a colour, or for a user-defined key, it goes through.
    state.SelectedKeyRecord[33] = 0x40;
    EXPECT_TRUE(page.PressModuleKey(5));
    EXPECT_EQ(5, state.SelectedKey);
    state.SelectedKeyRecord[1] = 'L';
    state.SelectedKeyRecord[33] = 0;
    state.SelectedKeyRecord[31] = 4;
    EXPECT_TRUE(page.PressModuleKey(6));
    EXPECT_EQ(1u, Shown().size());
}

TEST_F(ConsolePage, DragOverAcceptsByRow)
{
    Open();
    page.StartPaletteDrag();
    // (palette type, position, accepted)
    const std::tuple<int, int, bool> cases[] = {
        {10, 3, true},  {10, 13, false}, {13, 13, true}, {13, 3, false}, {11, 3, true}, {11, 13, true},
        {2, 13, true},  {2, 3, false},   {1, 3, true},   {28, 13, true}, {29, 13, false},
    };
    for (const auto& [type, position, accepted] : cases) {
        const auto [x, y] = At(position);
        EXPECT_EQ(accepted, page.DragOver(x, y, type)) << type << " at " << position;
    }
    // Right of the ninth column nothing is accepted.
    page.Draw(canvas, 905, 510);
    EXPECT_FALSE(page.DragOver(903, 300, 10));

    // A module dragged on the picture stays in its row.
    Add(0, 2, 10);
    Press(2);
    page.StartPictureDrag();
    EXPECT_TRUE(page.DragOver(At(5).first, At(5).second, -1));
    EXPECT_FALSE(page.DragOver(At(15).first, At(15).second, -1));

    // A Studio Panel console takes nothing.
    Add(1, 12, 11);
    page.ChangeConsole(1);
    page.StartPaletteDrag();
    EXPECT_FALSE(page.DragOver(At(3).first, At(3).second, 10));
}

TEST_F(ConsolePage, PaletteDropMoveAndDeleteOnThePalette)
{
    Open();
    page.StartPaletteDrag();
    EXPECT_TRUE(page.Drop(At(4).first, At(4).second, 20, -1));
    EXPECT_EQ(20, Type(0, 4));
    EXPECT_EQ(4, state.SelectedSlot);
    EXPECT_EQ(1, host.sourceWindows);
    EXPECT_TRUE(page.Drop(At(14).first, At(14).second, 23, -1));
    // A refused drop shows the message and changes nothing.
    const auto before = device.GetAllData();
    EXPECT_FALSE(page.Drop(At(15).first, At(15).second, 28, -1));
    EXPECT_EQ(before, device.GetAllData());
    EXPECT_EQ((std::vector<QString>{"Fader Overbridges can only be used in combination with Fader Modules!"}), Shown());

    // Moving the fader module carries its overbridge.
    page.SetPageMode(pmConsole);
    Press(4);
    page.StartPictureDrag();
    EXPECT_TRUE(page.Drop(At(7).first, At(7).second, -1, -1));
    EXPECT_EQ((std::vector<int>{20, 23, 0, 0}), (std::vector<int>{Type(0, 7), Type(0, 17), Type(0, 4), Type(0, 14)}));
    EXPECT_EQ(7, state.SelectedSlot);

    // A picture drag moves; one that entered the palette deleted its module (and the overbridge)
    // as it entered, however it ends.
    Press(7);
    page.StartPictureDrag();
    EXPECT_TRUE(page.Drop(At(3).first, At(3).second, -1, 12));
    EXPECT_EQ((std::vector<int>{20, 0}), (std::vector<int>{Type(0, 3), Type(0, 7)}));
    Press(3);
    page.StartPictureDrag();
    page.EndDrag(); // ended elsewhere
    page.DragOntoPalette();
    EXPECT_EQ(20, Type(0, 3));
    page.StartPictureDrag();
    page.DragOntoPalette();
    EXPECT_EQ(0, Type(0, 3));
    EXPECT_EQ(0, Type(0, 13));
    EXPECT_EQ(-1, state.DragSourceSlot);
    // Dropped back on the picture, in the row it was selected in, it adds the palette's selected
    // item there; without one it adds nothing.
    EXPECT_FALSE(page.DragOver(At(13).first, At(13).second, -1));
    EXPECT_TRUE(page.Drop(At(5).first, At(5).second, -1, -1));
    EXPECT_EQ(0, Type(0, 5));
    Press(3);
    page.StartPictureDrag();
    page.DragOntoPalette();
    EXPECT_TRUE(page.Drop(At(5).first, At(5).second, -1, 12));
    EXPECT_EQ(12, Type(0, 5));
    EXPECT_EQ(5, state.SelectedSlot);
}

TEST_F(ConsolePage, StudioPanelConsoleUsesPosition12)
{
    Open();
    page.ChangeConsole(1);
    page.StartPaletteDrag();
    EXPECT_TRUE(page.Drop(At(5).first, At(5).second, 11, -1));
    EXPECT_EQ(11, Type(1, 12));
    page.PointerMove(10, 400);
    EXPECT_EQ(12, state.PointerSlot);
    Press(0);
    EXPECT_EQ(12, state.SelectedSlot);
    EXPECT_FALSE(page.Drop(At(5).first, At(5).second, 10, -1));
}

TEST_F(ConsolePage, PopupStatesAndClipboardCommands)
{
    Add(0, 0, 26);
    Open();
    Press(3);
    PopupState popup = page.Popup();
    EXPECT_EQ((std::vector<bool>{false, false, false, false, true}),
              (std::vector<bool>{popup.Cut, popup.Copy, popup.Paste, popup.Delete, popup.Print}));
    Press(0);
    popup = page.Popup();
    EXPECT_EQ((std::vector<bool>{true, true, false, true, true}),
              (std::vector<bool>{popup.Cut, popup.Copy, popup.Paste, popup.Delete, popup.Print}));
    page.PrintModuleLayout();
    EXPECT_EQ((std::vector<int>{100}), host.printed);

    page.CutModule();
    EXPECT_EQ(0, Type(0, 0));
    Press(10);
    EXPECT_TRUE(page.Popup().Paste);
    page.PasteModule();
    EXPECT_EQ(26, Type(0, 10));
    // A refused paste shows an error dialog.
    Press(1);
    page.PasteModule();
    ASSERT_EQ(1u, prompter->records().size());
    EXPECT_EQ("An overbrigde can not be pasted here!", prompter->records()[0].text);
    EXPECT_EQ(platform::Icon::Error, prompter->records()[0].icon);

    // Cut again with an earlier cut pending: the question, answered No.
    page.CutModule(); // empty slot: nothing
    Press(10);
    page.CutModule();
    Add(0, 2, 1);
    Press(2);
    prompter->answer(platform::Answer::No);
    page.CutModule();
    EXPECT_EQ(1, Type(0, 2));
    EXPECT_EQ("The selected module was not cut because there is already data in the clipboard!",
              prompter->records().back().text);

    page.DeleteModule();
    EXPECT_EQ(0, Type(0, 2));
}

TEST_F(ConsolePage, ConsoleCommands)
{
    Open();
    for (int i = 0; i < 4; ++i)
        page.AddConsole();
    EXPECT_EQ(6u, page.Tabs().size());
    EXPECT_EQ("Console 6", page.Tabs().back());
    EXPECT_FALSE(page.AddConsoleEnabled());
    page.AddConsole();
    EXPECT_EQ(6, ConsoleCount(device));

    // The fault mended: Cancel stored the shown default text as the console's name.
    page.ChangeConsole(2);
    prompter->input(std::nullopt);
    const auto before = device.GetAllData();
    page.RenameConsole();
    EXPECT_EQ(before, device.GetAllData());
    prompter->input(QString("Studio desk with a long name"));
    page.RenameConsole();
    EXPECT_EQ("Studio desk with", page.Tabs()[2]);

    Add(2, 3, 10);
    page.ChangeConsole(1);
    prompter->answer(platform::Answer::Cancel);
    page.RemoveConsole();
    EXPECT_EQ(6u, page.Tabs().size());
    prompter->answer(platform::Answer::Ok);
    page.RemoveConsole();
    EXPECT_EQ(5u, page.Tabs().size());
    EXPECT_EQ("Studio desk with", page.Tabs()[1]);
    EXPECT_EQ(10, Type(1, 3));
    EXPECT_EQ(0, state.SelectedConsole);
    EXPECT_EQ(-1, state.SelectedSlot);
    EXPECT_TRUE(prompter->scriptUsedUp());
    EXPECT_EQ(0, prompter->unexpected);
}

} // namespace
