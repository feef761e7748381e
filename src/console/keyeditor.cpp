#include "console/keyeditor.h"

#include "console/keycaption.h"
#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/keyaccess.h"
#include "model/project.h"

#include <algorithm>
#include <charconv>

namespace kvr::console {

namespace {

constexpr std::size_t kShownLabel = 29;
constexpr std::uint16_t kPoolMark = 0x8000;
constexpr int kUserDefined = 4;

void ClearBytes(model::TKeyRecord& record, std::size_t first, std::size_t last)
{
    std::fill(record.begin() + static_cast<std::ptrdiff_t>(first), record.begin() + static_cast<std::ptrdiff_t>(last) + 1, 0);
}

template <typename T>
bool InRange(const std::vector<T>& items, int item)
{
    return item >= 0 && item < static_cast<int>(items.size());
}

} // namespace

bool IndependentKeyTicked(const ConsoleEditorState& state, model::TDevice& device)
{
    if (!IsFaderFamilyType(state.SelectedModuleType()))
        return true;
    model::TKeyRecord probe{};
    return model::GetKeyFunction(device, state.SelectedKey, probe, ModuleSlotID(state.SelectedConsole, state.SelectedSlot)) == 1;
}

void StoreKeyRecord(const ConsoleEditorState& state, model::TDevice& device, int key)
{
    if (!IsSlotPosition(state.SelectedSlot) || key < 0)
        return;
    const int own = IndependentKeyTicked(state, device) ? 1 : 0;
    model::SetKeyFunction(device, key, state.SelectedKeyRecord, own, ModuleSlotID(state.SelectedConsole, state.SelectedSlot));
}

std::uint8_t ApplyColourField(std::uint8_t colours, ColourField field)
{
    const auto on = [&](int colour) { return static_cast<std::uint8_t>((colours & 0x3F) | (colour << 6)); };
    const auto off = [&](int colour) { return static_cast<std::uint8_t>((colours & ~0x30) | (colour << 4)); };
    switch (field) {
    case ColourField::Shape1: return on(1);
    case ColourField::Shape2: return on(2);
    case ColourField::Shape3: return on(3);
    case ColourField::Shape4: return static_cast<std::uint8_t>(colours & 0x0F);
    case ColourField::Image2: return on(0);
    case ColourField::Shape5: return off(1);
    case ColourField::Shape6: return off(2);
    case ColourField::Shape7: return off(3);
    case ColourField::Image3: return off(0);
    }
    return colours;
}

std::array<LampRow, 3> LampRows(const model::TKeyRecord& record)
{
    model::TKeyRecord copy = record;
    const KeyRecordView view(copy);
    std::array<LampRow, 3> rows{};
    for (std::size_t r = 0; r < 3; ++r)
        rows[r] = {view.Source(kf::Param1 + 2 * r), static_cast<std::uint8_t>((record[kf::Colours] >> (2 * r)) & 0x03)};
    return rows;
}

std::uint8_t LampColoursByte(const std::array<LampRow, 3>& rows)
{
    int colours = 0;
    for (std::size_t r = 0; r < 3; ++r)
        colours |= (rows[r].Colour & 0x03) << (2 * r);
    return static_cast<std::uint8_t>(colours);
}

void ExchangeLampRows(model::TKeyRecord& record, int from, int to)
{
    if (from < 0 || from > 2 || to < 0 || to > 2)
        return;
    auto rows = LampRows(record);
    std::swap(rows[static_cast<std::size_t>(from)], rows[static_cast<std::size_t>(to)]);
    KeyRecordView view(record);
    for (std::size_t r = 0; r < 3; ++r)
        view.SetSource(kf::Param1 + 2 * r, rows[r].Source);
    view.Colours() = LampColoursByte(rows);
}

KeyEditor::KeyEditor(ConsoleEditorState& state, model::TProject& project, int deviceIndex, KeyEditorMemory& memory)
    : state_(state), project_(project), deviceIndex_(deviceIndex), device_(*project.Device(deviceIndex)), memory_(memory)
{
}

bool KeyEditor::KeyModule() const
{
    return !IsFaderFamilyType(state_.SelectedModuleType());
}

void KeyEditor::Store(int key)
{
    StoreKeyRecord(state_, device_, key);
}

void KeyEditor::StoreSelected()
{
    if (state_.SelectedKey >= 0)
        Store(state_.SelectedKey);
}

// The lamp-source list and the source windows store under the record's own key number.
void KeyEditor::StoreOwnKey()
{
    Store(state_.SelectedKeyRecord[kf::Key]);
}

void KeyEditor::Refresh()
{
    const KeyOptionsView view = FillKeyFunctionList(state_, project_, deviceIndex_, memory_);
    if (!view.Warning.empty())
        warning_ = view.Warning;
}

void KeyEditor::FunctionChanged(const KeyOptionsView& shown, int item)
{
    if (Guarded() || !InRange(shown.FunctionCodes, item))
        return;
    auto& r = state_.SelectedKeyRecord;
    const int function = shown.FunctionCodes[static_cast<std::size_t>(item)];
    r[kf::Function] = static_cast<std::uint8_t>(function);
    r[kf::SubFunction] = 0;
    ClearBytes(r, kf::Options, kf::Param3 + 1);
    // A user-defined key's three lamp sources start yellow, red, green.
    if (KeyModule() && function == kUserDefined)
        r[kf::Colours] = 0x24;
    Refresh();
    StoreSelected();
}

void KeyEditor::SubfunctionChanged(const KeyOptionsView& shown, int item)
{
    if (Guarded())
        return;
    auto& r = state_.SelectedKeyRecord;
    const int function = r[kf::Function];
    int code = 0;
    if (KeyModule() && function == 6) {
        if (!InRange(shown.PotIDs, item))
            return;
        code = shown.PotIDs[static_cast<std::size_t>(item)];
    } else {
        // Resource requests list "None" and then the resources, each with its ID as its code.
        if (!InRange(shown.SubfunctionCodes, item))
            return;
        code = shown.SubfunctionCodes[static_cast<std::size_t>(item)];
    }
    r[kf::SubFunction] = static_cast<std::uint8_t>(code);
    // An encoder function keeps its encoder and access group.
    const int encoderFunction = KeyModule() ? 7 : 23;
    if (function != encoderFunction)
        ClearBytes(r, kf::Param1, kf::Param3 + 1);
    r[kf::Options] = 0;
    r[kf::UserGroups] = 0;
    Refresh();
    StoreSelected();
}

void KeyEditor::TextChanged(std::string_view text)
{
    if (Guarded())
        return;
    KeyRecordView view(state_.SelectedKeyRecord);
    view.SetText(text.substr(0, std::min(text.size(), kShownLabel)));
    // A labelled key lights yellow until the user picks its colours.
    if (view.Colours() == 0)
        view.Colours() = 0x40;
    StoreSelected();
}

void KeyEditor::SpinTyped(const KeyOptionsView& shown, std::string_view text)
{
    if (Guarded())
        return;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    int value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc{})
        value = 0;
    SpinChanged(shown, value);
}

void KeyEditor::SpinChanged(const KeyOptionsView& shown, int position)
{
    if (Guarded() || state_.SelectedKey < 0)
        return;
    KeyRecordView view(state_.SelectedKeyRecord);
    const int value = std::clamp(position, shown.SpinMin, std::max(shown.SpinMin, shown.SpinMax));
    view.SetSpinValue(static_cast<std::uint16_t>(value));
    // "Monitor Bus Shift" on bus 1 cannot use the shift colour.
    if (KeyModule() && view.Function() == 2 && value == 1)
        view.Options() = static_cast<std::uint8_t>(view.Options() & ~0x01);
    StoreSelected();
    Refresh();
}

void KeyEditor::OptionClicked(const KeyOptionsView& shown, int box, std::array<bool, 5> ticked)
{
    KeyRecordView view(state_.SelectedKeyRecord);
    const int function = view.Function();
    if (function != 1 || Guarded()) {
        const auto pair = [&](std::size_t a, std::size_t b) {
            if (ticked[a])
                ticked[b] = false;
            else if (ticked[b])
                ticked[a] = false;
        };
        if (shown.PairKind == 1)
            pair(0, 1);
        if (shown.PairKind == 2)
            pair(3, 4);
    }
    if (function == 1 && !Guarded() && KeyModule() && box == 0) {
        const std::uint16_t source = ticked[0] ? kPoolMark : 0;
        view.SetSource(kf::Param2, source);
        view.SetSource(kf::Param3, source);
    }
    if (Guarded())
        return;
    int options = view.Options() & 0xE0;
    for (std::size_t n = 0; n < 5; ++n)
        options |= ticked[n] ? 1 << n : 0;
    view.Options() = static_cast<std::uint8_t>(options);
    StoreSelected();
    Refresh();
}

void KeyEditor::TalkSourceChanged(const KeyOptionsView& shown, int item)
{
    if (Guarded() || !InRange(shown.TalkChannels, item))
        return;
    KeyRecordView(state_.SelectedKeyRecord)
        .SetIndex(kf::Param1, static_cast<std::uint16_t>(shown.TalkChannels[static_cast<std::size_t>(item)] - 1));
    StoreSelected();
}

void KeyEditor::TalkDestinationChanged(int item)
{
    if (Guarded() || item < 0 || item > 255)
        return;
    auto& r = state_.SelectedKeyRecord;
    r[kf::Param2] = static_cast<std::uint8_t>(item);
    r[kf::Param2 + 1] = 0;
    StoreSelected();
}

void KeyEditor::DestinationChanged(const KeyOptionsView& shown, int item)
{
    if (item < 0)
        return;
    auto& r = state_.SelectedKeyRecord;
    const int function = r[kf::Function];
    if (KeyModule() && function == 14) {
        if (!InRange(shown.ResourceDestObjects, item))
            return;
        ClearBytes(r, kf::Options, kf::Param3 + 1);
        KeyRecordView(r).SetDestinationDevice(shown.ResourceDestObjects[static_cast<std::size_t>(item)]);
    } else if (((KeyModule() && function == 8) || (!KeyModule() && function == 20)) && r[kf::SubFunction] == 36) {
        if (item > 3)
            return;
        r[kf::Param1] = static_cast<std::uint8_t>(item);
    }
    Refresh();
    StoreSelected();
}

void KeyEditor::EncoderChanged(const KeyOptionsView& shown, int box, int item)
{
    if (box < 0 || box > 4 || !InRange(shown.SubfunctionCodes, item))
        return;
    state_.SelectedKeyRecord[kf::Param1 + static_cast<std::size_t>(box)] =
        static_cast<std::uint8_t>(shown.SubfunctionCodes[static_cast<std::size_t>(item)]);
    Refresh();
    StoreSelected();
}

void KeyEditor::AccessGroupChanged(int item)
{
    if (Guarded() || item < 0 || item > 3)
        return;
    KeyRecordView(state_.SelectedKeyRecord).SetIndex(kf::Param2, static_cast<std::uint16_t>(item));
    StoreSelected();
}

void KeyEditor::FaderChannelChanged(int item)
{
    auto& r = state_.SelectedKeyRecord;
    const int function = r[kf::Function];
    const bool direct = KeyModule() ? function == 15 && r[kf::SubFunction] == 31 : function == 31;
    if (!direct || item < 0)
        return;
    // Item n is the device's fader channel at index n; an index without one leaves the byte.
    model::TFaderChannel channel;
    if (model::GetFaderChannelByIndex(device_, item, channel) != 0)
        r[kf::Param1] = static_cast<std::uint8_t>(channel.Number);
    StoreSelected();
}

void KeyEditor::ColourClicked(ColourField field)
{
    auto& colours = state_.SelectedKeyRecord[kf::Colours];
    colours = ApplyColourField(colours, field);
    StoreSelected();
}

void KeyEditor::LampColourChosen(int row, int colour)
{
    if (row < 0 || row > 2 || colour < 0 || colour > 2)
        return;
    auto& colours = state_.SelectedKeyRecord[kf::Colours];
    const int shift = 2 * row;
    colours = static_cast<std::uint8_t>((colours & ~(0x03 << shift)) | (colour << shift));
    StoreOwnKey();
}

void KeyEditor::LampSourceSelf(const KeyOptionsView& shown, int row)
{
    if (row < 0 || row > 2)
        return;
    KeyRecordView(state_.SelectedKeyRecord).SetSource(kf::Param1 + 2 * static_cast<std::size_t>(row), shown.OwnLogicSource);
    StoreOwnKey();
}

void KeyEditor::LampRowDropped(int from, int to)
{
    if (from < 0 || from > 2 || to < 0 || to > 2)
        return;
    ExchangeLampRows(state_.SelectedKeyRecord, from, to);
    StoreOwnKey();
    Refresh();
}

void KeyEditor::UserGroupClicked(int group, bool ticked)
{
    if (group < 1 || group > 8)
        return;
    auto& groups = state_.SelectedKeyRecord[kf::UserGroups];
    const int bit = 1 << (group - 1);
    groups = static_cast<std::uint8_t>(ticked ? groups | bit : groups & ~bit);
    StoreSelected();
}

} // namespace kvr::console
