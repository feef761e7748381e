#include "console/modulepanelcontroller.h"

#include "console/keyfunctioncatalogue.h"
#include "console/keycaption.h"
#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "model/device.h"
#include "model/keyaccess.h"

namespace kvr::console {

namespace {

constexpr int kSelectorElement = 58;
constexpr int kSelectorKey = 57;
constexpr int kSelectorPositions = 31;
// Record byte of each encoder default; encoders 1 and 3 share one (no type shows both).
constexpr std::array<std::size_t, 5> kEncoderByte{36, 37, 36, 38, 39};

// The encoders each type offers defaults for.
std::array<bool, 5> EncodersOf(int type)
{
    switch (type) {
    case 23: return {true, true, false, false, false};
    case 28: return {true, true, false, true, true};
    case 29: return {false, false, true, false, false};
    default: return {};
    }
}

std::vector<std::string> DisplayTexts(const model::TDevice& device)
{
    std::vector<std::string> texts{"KX7300D", "Device name (\"" + device.GetName() + "\")"};
    for (int timer = 1; timer <= 12; ++timer)
        texts.push_back("Timer " + std::to_string(timer));
    return texts;
}

int SlotOf(const ConsoleEditorState& state)
{
    return ModuleSlotID(state.SelectedConsole, state.SelectedSlot);
}

// The type's record of encoder defaults in its shared key table; false when there is none.
bool EncoderRecord(const model::TDevice& device, int type, model::TKeyRecord& record)
{
    const auto table = model::SharedKeyTableOf(type);
    record = {};
    record[kf::Key] = static_cast<std::uint8_t>(OptionsKey(type));
    if (!table)
        return false;
    const auto found = model::FindKeyRecord(device.GetSetupData(table->SetupID), OptionsKey(type));
    if (found)
        record = *found;
    return found.has_value();
}

// The selected module read afresh, changed and written back.
template <typename Change>
void ChangeModule(ConsoleEditorState& state, model::TDevice& device, Change change)
{
    if (state.Filling || !IsSlotPosition(state.SelectedSlot))
        return;
    auto entry = ModuleEntryAt(device, state.SelectedConsole, state.SelectedSlot);
    if (entry.size() < model::kModuleHead)
        return;
    auto options = static_cast<std::uint8_t>(model::ModuleEntryView(entry).Options());
    change(options);
    model::ModuleEntryWriter(entry).SetOptions(options);
    device.SetSetupData(static_cast<std::uint8_t>(SlotOf(state)), entry);
    state.SelectedModule = entry;
}

} // namespace

ModulePanelView ShowModule(const ConsoleEditorState& state, model::TDevice& device)
{
    ModulePanelView v;
    const auto& entry = state.SelectedModule;
    const int type = state.SelectedModuleType();
    v.ModelLabel = std::string(ModelNumber(type));
    const model::ModuleEntryView module(entry);
    v.AccessGroup = module.AccessGroup() + 1;
    v.ModuleIDText = std::string(ModuleNumberPrefix(type)) + std::to_string(module.ModuleNumber() + 1);
    v.IndependentKey = IsFaderFamilyType(type);
    if (v.IndependentKey && state.SelectedKey >= 0 && IsSlotPosition(state.SelectedSlot)) {
        model::TKeyRecord record{};
        v.IndependentKeyTicked = model::ReadKeyFunction(device, state.SelectedKey, record, SlotOf(state)) == 1;
    }

    if (type <= 2) {
        v.OtherOptions = true;
        v.OtherOptionsEnabled = false;
        v.PleaseSelect = true;
        if (type != 0)
            v.ModuleIDText.clear();
        return v;
    }
    v.AccessGroupVisible = !IsIn(FaderOverbridgeTypes, type);

    if (state.SelectedKey < 0) {
        v.OtherOptions = true;
        if (IsIn(FaderModuleTypes, type)) {
            v.FaderOptions = true;
            v.ZeroDb = module.ZeroDb();
            v.InvertFader = module.InvertFader();
        }
        if (type == 23 || type == 28 || type == 29) {
            v.Encoders = true;
            v.EncoderVisible = EncodersOf(type);
            model::TKeyRecord record{};
            if (EncoderRecord(device, type, record)) {
                for (std::size_t n = 0; n < 5; ++n)
                    v.EncoderItem[n] = EncoderItem(record[kEncoderByte[n]]);
            }
        }
        return v;
    }

    if (state.PageMode == pmAuthorisation) {
        // The module's identity stays beside the key's user groups.
        v.OtherOptions = true;
        v.AuthPanel = state.SelectedKey < KeyCount(type);
        v.ShowUserGroups = v.AuthPanel;
        return v;
    }
    if (type == kCentralModuleType && state.SelectedKey == kSelectorElement) {
        v.Special = true;
        v.RotarySelector = true;
        model::TKeyRecord record{};
        record[kf::Key] = kSelectorKey;
        model::ReadKeyFunction(device, kSelectorKey, record, SlotOf(state));
        v.RotarySelectorItem = record[kf::Param1] < kSelectorPositions ? record[kf::Param1] : 0;
        return v;
    }
    if (type >= 10 && type <= 13) {
        if (type == 13 && state.SelectedKey >= 24 && state.SelectedKey <= 28) {
            static constexpr const char* lamps[] = {"MIC ON Lamp Source", "PHONE 1 Lamp Source", "ON AIR Lamp Source",
                                                    "PHONE 2 Lamp Source", "Card Release Source"};
            v.Special = true;
            v.LampSource = true;
            v.LampSourceLabel = lamps[state.SelectedKey - 24];
            v.FillKeyFunctionList = true;
            return v;
        }
        if (state.SelectedKey == DisplayElement(type)) {
            v.Special = true;
            v.DisplayDefault = true;
            v.DisplayTexts = DisplayTexts(device);
            if (!state.Filling)
                v.DisplayTextItem = module.DisplayMode();
            return v;
        }
    }
    v.KeyOptions = true;
    v.FillKeyFunctionList = true;
    return v;
}

void DisplayTextChanged(ConsoleEditorState& state, model::TDevice& device, int item)
{
    ChangeModule(state, device, [&](std::uint8_t& options) { options = static_cast<std::uint8_t>(item & 0x0F); });
}

void ZeroDbClicked(ConsoleEditorState& state, model::TDevice& device, bool ticked)
{
    ChangeModule(state, device, [&](std::uint8_t& options) {
        options = static_cast<std::uint8_t>(ticked ? options | 0x80 : options & ~0x80);
    });
}

void InvertFaderClicked(ConsoleEditorState& state, model::TDevice& device, bool ticked)
{
    ChangeModule(state, device, [&](std::uint8_t& options) {
        options = static_cast<std::uint8_t>(ticked ? options | 0x40 : options & ~0x40);
    });
}

void EncoderDefaultChanged(ConsoleEditorState& state, model::TDevice& device, int encoder, int item)
{
    const int type = state.SelectedModuleType();
    const auto table = model::SharedKeyTableOf(type);
    const auto list = EncoderFunctionList();
    if (!table || OptionsKey(type) < 0 || encoder < 1 || encoder > 5 || item < 0 ||
        item >= static_cast<int>(list.size()))
        return;
    model::TKeyRecord record{};
    EncoderRecord(device, type, record);
    KeyRecordView view(record);
    view.Byte(kEncoderByte[static_cast<std::size_t>(encoder - 1)]) = list[static_cast<std::size_t>(item)].Value;
    view.SetText(kKeepMarker);
    // Written through the module into its type's table, which is made when it is missing.
    if (IsSlotPosition(state.SelectedSlot))
        model::SetKeyFunction(device, OptionsKey(type), record, 0, SlotOf(state));
}

void RotarySelectorDefaultChanged(ConsoleEditorState& state, model::TDevice& device, int item)
{
    if (!IsSlotPosition(state.SelectedSlot) || item < 0 || item >= kSelectorPositions)
        return;
    model::TKeyRecord record{};
    record[kf::Key] = kSelectorKey;
    model::GetKeyFunction(device, kSelectorKey, record, SlotOf(state));
    KeyRecordView view(record);
    view.Byte(kf::Param1) = static_cast<std::uint8_t>(item);
    view.Colours() = 0x10;
    view.SetText(kKeepMarker);
    model::SetKeyFunction(device, kSelectorKey, record, 0, SlotOf(state));
    state.SelectedModule = ModuleEntryAt(device, state.SelectedConsole, state.SelectedSlot);
}

void IndependentKeyClicked(ConsoleEditorState& state, model::TDevice& device, bool ticked)
{
    if (state.Filling || state.SelectedKey < 0 || !IsSlotPosition(state.SelectedSlot))
        return;
    model::TKeyRecord record = ticked ? state.SelectedKeyRecord : model::TKeyRecord{};
    record[kf::Key] = static_cast<std::uint8_t>(state.SelectedKey);
    model::SetKeyFunction(device, state.SelectedKey, record, 1, SlotOf(state));
    state.SelectedKeyRecord = {};
    KeyRecordView(state.SelectedKeyRecord).Key() = static_cast<std::uint8_t>(state.SelectedKey);
    model::GetKeyFunction(device, state.SelectedKey, state.SelectedKeyRecord, SlotOf(state));
    state.SelectedModule = ModuleEntryAt(device, state.SelectedConsole, state.SelectedSlot);
}

} // namespace kvr::console
