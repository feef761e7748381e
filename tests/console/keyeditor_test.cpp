#include "console/keyeditor.h"
#include "keyfixture.h"
#include "console/keycaption.h"
#include "console/moduleplacement.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/globalresources.h"
#include "model/keyaccess.h"
#include "model/modelhost.h"
#include "model/project.h"
#include "model/quiethost.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using namespace kvr;
using namespace kvr::console;

namespace {

class KeyEditing : public kvr::console::test::KeyFixture {
protected:
    // Stores the record (as the module's own when own is 1), selects its key and shows it.
    KeyOptionsView Select(int position, const model::TKeyRecord& record, int own = 1)
    {
        return Show(position, record[0], record, own);
    }
    model::TKeyRecord Stored(int position, int key)
    {
        model::TKeyRecord r{};
        r[0] = static_cast<std::uint8_t>(key);
        model::GetKeyFunction(*device, key, r, ModuleSlotID(0, position));
        return r;
    }
    KeyEditor Editor() { return KeyEditor(state, project, 0, memory); }
};

using kvr::console::test::Record;

int ItemOf(const std::vector<std::string>& items, const std::string& caption)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == caption)
            return static_cast<int>(i);
    }
    ADD_FAILURE() << "no item " << caption;
    return -1;
}

using Action = std::function<void(KeyEditor&, const KeyOptionsView&)>;
using Bytes = std::vector<std::pair<std::size_t, int>>;

struct HandlerCase {
    const char* name;
    int type;
    model::TKeyRecord record;
    Action action;
    Bytes expected; // record bytes as stored afterwards
};

model::TKeyRecord With(model::TKeyRecord r, Bytes bytes)
{
    for (const auto& [at, value] : bytes)
        r[at] = static_cast<std::uint8_t>(value);
    return r;
}

TEST_F(KeyEditing, HandlersWriteTheSelectedKeyAtOnce)
{
    const HandlerCase cases[] = {
        {"User Defined on a key module: three lamp colours", 10, Record(3, 9, 0, 0x40),
         [](KeyEditor& e, const KeyOptionsView& v) { e.FunctionChanged(v, ItemOf(v.Functions, "User Defined")); },
         {{31, 4}, {32, 0}, {33, 0x24}}},
        {"User Defined on a 40 Pushbutton: no green, the third lamp turns yellow", 25, Record(3, 0, 0, 0x40),
         [](KeyEditor& e, const KeyOptionsView& v) { e.FunctionChanged(v, ItemOf(v.Functions, "User Defined")); },
         {{31, 4}, {33, 0x04}}},
        {"a new function clears options, groups and parameters", 10,
         With(Record(3, 12), {{34, 0x03}, {35, 0x05}, {36, 9}, {41, 7}}),
         [](KeyEditor& e, const KeyOptionsView& v) { e.FunctionChanged(v, ItemOf(v.Functions, "Timer Function")); },
         {{31, 9}, {32, 0}, {33, 0x40}, {34, 0}, {35, 0}, {36, 1}, {41, 0}}}, // the timer spin starts at 1
        {"the first label character of a colourless key lights it yellow", 10, Record(2, 0, 0, 0x00, ""),
         [](KeyEditor& e, const KeyOptionsView&) { e.TextChanged("M"); }, {{1, 'M'}, {2, 0}, {33, 0x40}}},
        {"a label keeps the colours it has", 10, Record(2, 0, 0, 0x90, "OLD LABEL"),
         [](KeyEditor& e, const KeyOptionsView&) { e.TextChanged("NEW"); }, {{1, 'N'}, {4, 0}, {9, 0}, {33, 0x90}}},
        {"an Encoder Function subfunction keeps encoder and access group", 10,
         With(Record(4, 7, 3), {{34, 1}, {35, 4}, {36, 2}, {38, 3}}),
         [](KeyEditor& e, const KeyOptionsView& v) { e.SubfunctionChanged(v, ItemOf(v.Subfunctions, "Gain")); },
         {{32, 1}, {34, 0}, {35, 0}, {36, 2}, {38, 3}}},
        {"any other subfunction clears the parameters", 10, With(Record(4, 8, 36), {{35, 2}, {36, 2}, {40, 0x12}}),
         [](KeyEditor& e, const KeyOptionsView& v) { e.SubfunctionChanged(v, ItemOf(v.Subfunctions, "Phase")); },
         {{32, 1}, {35, 0}, {36, 0}, {40, 0}}},
        {"a potentiometer is stored by its ID", 10, Record(4, 6, 0),
         [](KeyEditor& e, const KeyOptionsView& v) { e.SubfunctionChanged(v, ItemOf(v.Subfunctions, "Balance 2")); },
         {{32, 123}}},
        {"dragging Lowest onto Highest exchanges source and colour", 10,
         With(Record(5, 4, 0, 0xE4), {{36, 0x01}, {37, 0x11}, {38, 0x02}, {39, 0x22}, {40, 0x03}, {41, 0x33}}),
         [](KeyEditor& e, const KeyOptionsView&) { e.LampRowDropped(2, 0); },
         {{33, 0x06}, {36, 0x03}, {37, 0x33}, {38, 0x02}, {39, 0x22}, {40, 0x01}, {41, 0x11}}},
        {"a row's colour from the popup", 10, Record(5, 4, 0, 0x24),
         [](KeyEditor& e, const KeyOptionsView&) { e.LampColourChosen(1, 2); }, {{33, 0x28}}},
        {"the popup without a selected row changes nothing", 10, Record(5, 4, 0, 0x24),
         [](KeyEditor& e, const KeyOptionsView&) { e.LampColourChosen(-1, 2); }, {{33, 0x24}}},
        {"Set Lamp Source = the key itself", 10, Record(5, 4, 0, 0x24),
         [](KeyEditor& e, const KeyOptionsView& v) { e.LampSourceSelf(v, 2); },
         {{40, (1 + 32 * 10 + 5) >> 8}, {41, (1 + 32 * 10 + 5) & 0xFF}}},
        {"the white field clears both colours", 10, Record(1, 3, 0, 0xE5),
         [](KeyEditor& e, const KeyOptionsView&) { e.ColourClicked(ColourField::Shape4); }, {{1, 'K'}, {33, 0x05}}},
        {"the ON picture clears the active colour", 10, Record(1, 3, 0, 0xE0),
         [](KeyEditor& e, const KeyOptionsView&) { e.ColourClicked(ColourField::Image2); }, {{33, 0x20}}},
        {"the OFF picture clears the inactive colour", 10, Record(1, 3, 0, 0xE0),
         [](KeyEditor& e, const KeyOptionsView&) { e.ColourClicked(ColourField::Image3); }, {{33, 0xC0}}},
        {"red OFF", 10, Record(1, 3, 0, 0x70),
         [](KeyEditor& e, const KeyOptionsView&) { e.ColourClicked(ColourField::Shape6); }, {{33, 0x60}}},
        {"green ON", 10, Record(1, 3, 0, 0x50),
         [](KeyEditor& e, const KeyOptionsView&) { e.ColourClicked(ColourField::Shape3); }, {{33, 0xD0}}},
        {"Global Pool on writes the pool mark into both sources", 10,
         With(Record(6, 1), {{38, 0x01}, {39, 0x02}, {40, 0x03}, {41, 0x04}}),
         [](KeyEditor& e, const KeyOptionsView& v) { e.OptionClicked(v, 0, {true, false, false, false, false}); },
         {{34, 0x01}, {38, 0x80}, {39, 0}, {40, 0x80}, {41, 0}}},
        {"Global Pool off clears both sources", 10,
         With(Record(6, 1), {{34, 0x01}, {38, 0x80}, {39, 0}, {40, 0x80}, {41, 0}}),
         [](KeyEditor& e, const KeyOptionsView& v) { e.OptionClicked(v, 0, {false, false, false, false, false}); },
         {{34, 0}, {38, 0}, {39, 0}, {40, 0}, {41, 0}}},
        {"exclusive options: the first one ticked wins", 10, Record(6, 4, 0, 0x24),
         [](KeyEditor& e, const KeyOptionsView& v) { e.OptionClicked(v, 1, {true, true, true, false, false}); },
         {{34, 0x05}}},
        {"a typed value outside the range is clamped", 10, Record(7, 12),
         [](KeyEditor& e, const KeyOptionsView& v) { e.SpinTyped(v, "99"); }, {{36, 40}, {37, 0}}},
        {"a typed text that is no number is raised to the minimum", 10, Record(7, 12),
         [](KeyEditor& e, const KeyOptionsView& v) { e.SpinTyped(v, "abc"); }, {{36, 1}, {37, 0}}},
        {"Monitor Bus Shift on bus 1 drops the shift colour", 10, With(Record(7, 2), {{34, 0x01}, {36, 3}}),
         [](KeyEditor& e, const KeyOptionsView& v) { e.SpinChanged(v, 1); }, {{34, 0}, {36, 1}}},
        {"the insert box writes the insert", 10, Record(8, 8, 36),
         [](KeyEditor& e, const KeyOptionsView& v) { e.DestinationChanged(v, 2); }, {{36, 2}}},
        {"the access group is little-endian", 10, Record(8, 7, 3),
         [](KeyEditor& e, const KeyOptionsView&) { e.AccessGroupChanged(3); }, {{38, 3}, {39, 0}}},
        {"a talk destination is the AUX index", 10, With(Record(8, 13), {{39, 5}}),
         [](KeyEditor& e, const KeyOptionsView&) { e.TalkDestinationChanged(2); }, {{38, 2}, {39, 0}}},
        {"user group 3 is bit 2", 10, With(Record(9, 3, 0), {{35, 0x01}}),
         [](KeyEditor& e, const KeyOptionsView&) { e.UserGroupClicked(3, true); }, {{35, 0x05}}},
        {"unticking a user group clears its bit only", 10, With(Record(9, 3, 0), {{35, 0x85}}),
         [](KeyEditor& e, const KeyOptionsView&) { e.UserGroupClicked(8, false); }, {{35, 0x05}}},
    };
    for (const HandlerCase& c : cases) {
        SCOPED_TRACE(c.name);
        device->SetSetupData(static_cast<std::uint8_t>(ModuleSlotID(0, 0)), {});
        Place(0, c.type);
        const KeyOptionsView shown = Select(0, c.record);
        KeyEditor editor = Editor();
        c.action(editor, shown);
        const model::TKeyRecord stored = Stored(0, c.record[0]);
        for (const auto& [at, value] : c.expected)
            EXPECT_EQ(value, stored[at]) << "byte " << at;
        EXPECT_EQ(state.SelectedKeyRecord, stored) << "the editor's record is the stored one";
    }
}

TEST_F(KeyEditing, GuardedHandlersIgnoreTheFill)
{
    Place(0, 10);
    const KeyOptionsView shown = Select(0, Record(1, 12));
    const auto before = Stored(0, 1);
    state.Filling = 1;
    KeyEditor editor = Editor();
    editor.FunctionChanged(shown, 2);
    editor.SubfunctionChanged(shown, 0);
    editor.TextChanged("X");
    editor.SpinChanged(shown, 3);
    editor.OptionClicked(shown, 0, {true, true, true, true, true});
    editor.AccessGroupChanged(2);
    state.Filling = 0;
    EXPECT_EQ(before, Stored(0, 1));
    EXPECT_EQ(before, state.SelectedKeyRecord);
}

TEST_F(KeyEditing, AFunctionWithoutLabelOrColourIsDropped)
{
    Place(0, 10);
    const KeyOptionsView shown = Select(0, Record(1, 3, 0, 0x00, ""));
    KeyEditor editor = Editor();
    editor.FunctionChanged(shown, ItemOf(shown.Functions, "MIDI"));
    EXPECT_EQ(12, state.SelectedKeyRecord[31]);
    EXPECT_EQ(0, Stored(0, 1)[31]);
}

TEST_F(KeyEditing, FaderKeysFollowTheIndependentKeyState)
{
    Place(0, 20);
    const int slot = ModuleSlotID(0, 0);
    // Without a record of its own the key is written to its type's shared table.
    KeyOptionsView shown = Select(0, Record(7, 0), 0);
    KeyEditor editor = Editor();
    editor.FunctionChanged(shown, ItemOf(shown.Functions, "Channel ON/OFF"));
    const auto table = model::SharedKeyTableOf(20);
    ASSERT_TRUE(table);
    auto shared = model::FindKeyRecord(device->GetSetupData(table->SetupID), model::FoldKey(*table, 7));
    ASSERT_TRUE(shared);
    EXPECT_EQ(5, (*shared)[31]);
    EXPECT_FALSE(model::FindKeyRecord(device->GetSetupData(static_cast<std::uint8_t>(slot)), 7));

    // With one, the module keeps it and the table stays as it was.
    shown = Select(0, Record(8, 0), 1);
    Editor().FunctionChanged(shown, ItemOf(shown.Functions, "Solo"));
    const auto own = model::FindKeyRecord(device->GetSetupData(static_cast<std::uint8_t>(slot)), 8);
    ASSERT_TRUE(own);
    EXPECT_EQ(22, (*own)[31]);
    shared = model::FindKeyRecord(device->GetSetupData(table->SetupID), model::FoldKey(*table, 8));
    EXPECT_TRUE(!shared || (*shared)[31] != 22);

    // The encoder boxes of "Encoder Function Set".
    shown = Select(0, Record(9, 29), 1);
    ASSERT_TRUE(shown.EncoderSet);
    Editor().EncoderChanged(shown, 2, ItemOf(shown.EncoderCaptions, "Gain"));
    Editor().EncoderChanged(shown, 4, ItemOf(shown.EncoderCaptions, "Do Not Change"));
    const auto set = Stored(0, 9);
    EXPECT_EQ(1, set[38]);
    EXPECT_EQ(254, set[40]);
}

TEST_F(KeyEditing, FaderChannelBoxWritesTheChannelNumber)
{
    Place(0, 10);
    for (int n = 0; n < 3; ++n)
        model::AddFaderChannel(*device);
    model::TFaderChannel third;
    ASSERT_EQ(1, model::GetFaderChannelByIndex(*device, 2, third));
    KeyOptionsView shown = Select(0, Record(2, 15, 31));
    ASSERT_TRUE(shown.FaderChannelPanel);
    ASSERT_EQ(3u, shown.FaderChannels.size());
    Editor().FaderChannelChanged(2);
    EXPECT_EQ(third.Number, Stored(0, 2)[36]);
    // Another subfunction of "Fader Key Function" has no channel to write.
    shown = Select(0, With(Record(3, 15, 30), {{36, 4}}));
    Editor().FaderChannelChanged(0);
    EXPECT_EQ(4, Stored(0, 3)[36]);
}

TEST_F(KeyEditing, ResourceRequestAndItsDestination)
{
    Place(0, 10);
    model::TGlobalResource resource;
    ASSERT_EQ(1, model::AddGlobalResource(project, resource));
    const int id = resource.ID;
    ASSERT_EQ(1, model::AddGlobalResourceSubscriber(project, id, 0));
    ASSERT_EQ(1, model::AddGlobalResourceSubscriber(project, id, 1));
    KeyOptionsView shown = Select(0, With(Record(4, 14), {{34, 0x01}, {35, 0x0F}}));
    ASSERT_EQ(2u, shown.SubfunctionCodes.size());
    Editor().SubfunctionChanged(shown, 1);
    EXPECT_EQ(id, Stored(0, 4)[32]);

    // The destination clears options and user groups and is the device ID, big-endian.
    state.SelectedKeyRecord[34] = 0x01;
    state.SelectedKeyRecord[35] = 0x0F;
    shown = FillKeyFunctionList(state, project, 0, memory);
    ASSERT_EQ(3u, shown.ResourceDestObjects.size());
    Editor().DestinationChanged(shown, 2);
    const auto stored = Stored(0, 4);
    EXPECT_EQ(0, stored[34]);
    EXPECT_EQ(0, stored[35]);
    EXPECT_EQ(project.Device(1)->GetDeviceID(), KeyRecordView(const_cast<model::TKeyRecord&>(stored)).DestinationDevice());
    EXPECT_NE(0u, project.Device(1)->GetDeviceID());
}

TEST(KeyLampRows, ExchangeAndColoursByte)
{
    model::TKeyRecord r{};
    r[33] = 0xE4; // rows yellow, red, green; bits 6-7 set
    r[36] = 0x00;
    r[37] = 0x0A;
    r[39] = 0x0B;
    r[41] = 0x0C;
    EXPECT_EQ((std::array<LampRow, 3>{LampRow{0x0A, 0}, LampRow{0x0B, 1}, LampRow{0x0C, 2}}), LampRows(r));
    ExchangeLampRows(r, 0, 1);
    EXPECT_EQ((std::array<LampRow, 3>{LampRow{0x0B, 1}, LampRow{0x0A, 0}, LampRow{0x0C, 2}}), LampRows(r));
    EXPECT_EQ(0x21, r[33]);
    const auto before = r;
    ExchangeLampRows(r, 0, 3); // no such row
    EXPECT_EQ(before, r);
}

} // namespace
