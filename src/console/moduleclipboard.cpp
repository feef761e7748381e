#include "console/moduleclipboard.h"

#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/keyfunctions.h"

namespace kvr::console {

namespace {

constexpr const char* kNotEmpty = "Can not paste to module slots which are not empty!";

bool IsKeyModule(int type)
{
    return !IsFaderFamilyType(type) && !IsIn(BlankModuleTypes, type);
}

ClipboardRefusal Error(const char* text)
{
    return {text, true};
}

ClipboardRefusal Plain(const char* text)
{
    return {text, false};
}

// A module named as the user meets it: its model number and what it is.
std::string ModuleName(int type)
{
    std::string name(ModelNumber(type));
    if (!Description(type).empty())
        name += " " + std::string(Description(type));
    return name;
}

std::string ReplaceAboveQuestion(model::TDevice& device, int console, int upper, int occupant, int overbridge)
{
    return "The upper slot " + std::to_string(upper - 10 + 1) + " of \"" + ConsoleName(device, console) + "\" holds " +
           ModuleName(occupant) + ".\nDo you want to replace it with the fader overbridge " +
           std::string(ModelNumber(overbridge)) + "?";
}

} // namespace

std::optional<ClipboardRefusal> ModuleClipboard::DiscardEarlierCut(const ConfirmDiscard& confirm)
{
    if (!(Module || LinkedOverbridge) || !CutPending)
        return std::nullopt;
    if (!confirm("You cut a module but you did not paste it anywhere.\nDo you want to delete the previous cut module?"))
        return Error("The selected module was not cut because there is already data in the clipboard!");
    // The cut module is gone for good: what it held in its device goes as Delete Module takes
    // it, unless a placed module has taken its ID meanwhile.
    if (CutDevice && Module && Module->size() > 4) {
        const int type = model::ModuleType(*Module);
        if (IsKeyModule(type) && ModuleIDsFree(*CutDevice, type, (*Module)[4]))
            ReleaseKeyModule(*CutDevice, *Module);
    }
    Module.reset();
    LinkedOverbridge.reset();
    CutDevice = nullptr;
    return std::nullopt;
}

void ModuleClipboard::Take(model::TDevice& device, int console, int position, bool cut)
{
    Module = ModuleEntryAt(device, console, position);
    LinkedOverbridge.reset();
    if (!IsUpperRow(position) && IsIn(FaderModuleTypes, model::ModuleType(*Module))) {
        auto above = ModuleEntryAt(device, console, position + 10);
        if (IsIn(FaderOverbridgeTypes, model::ModuleType(above))) {
            LinkedOverbridge = std::move(above);
            if (cut)
                device.SetSetupData(static_cast<std::uint8_t>(ModuleSlotID(console, position + 10)), {});
        }
    }
    if (cut)
        device.SetSetupData(static_cast<std::uint8_t>(ModuleSlotID(console, position)), {});
    model::RenumberFaderModules(device);
    CutPending = cut;
    CutDevice = cut ? &device : nullptr;
}

std::optional<ClipboardRefusal> ModuleClipboard::Cut(model::TDevice& device, int console, int position,
                                                     const ConfirmDiscard& confirm)
{
    if (ModuleEntryAt(device, console, position).empty())
        return std::nullopt;
    if (auto refused = DiscardEarlierCut(confirm))
        return refused;
    Take(device, console, position, true);
    return std::nullopt;
}

std::optional<ClipboardRefusal> ModuleClipboard::Copy(model::TDevice& device, int console, int position,
                                                      const ConfirmDiscard& confirm)
{
    if (ModuleEntryAt(device, console, position).empty())
        return std::nullopt;
    if (auto refused = DiscardEarlierCut(confirm))
        return refused;
    Take(device, console, position, false);
    return std::nullopt;
}

std::optional<ClipboardRefusal> ModuleClipboard::Paste(model::TDevice& device, int console, int position,
                                                       const ConfirmDiscard& confirm)
{
    if (!HoldsModule() || console < 0 || console >= kMaxConsoles || !IsSlotPosition(position))
        return std::nullopt;
    std::vector<std::uint8_t>& held = *Module;
    const int type = model::ModuleType(held);
    if (type == kStudioPanelType)
        return std::nullopt;
    const bool upper = IsUpperRow(position);
    if (upper && !IsIn(ShortFaceTypes, type))
        return Error("Only overbrigdes can be pasted here!");
    if (!upper && IsIn(ShortFaceTypes, type))
        return Error("An overbrigde can not be pasted here!");
    if (IsIn(FaderOverbridgeTypes, type) && !IsIn(FaderModuleTypes, model::ModuleType(ModuleEntryAt(device, console, position - 10))))
        return Error("Can not paste KX730-023 without KX730-020 or KX730-029!");
    if (!ModuleEntryAt(device, console, position).empty())
        return Error(kNotEmpty);
    const bool withOverbridge = IsIn(FaderModuleTypes, type) && LinkedOverbridge && !LinkedOverbridge->empty();
    bool replaceAbove = false;
    if (IsIn(FaderModuleTypes, type)) {
        if (device.Header()[model::dh::FaderCount] >= kMaxFaderStrips) {
            model::RenumberFaderModules(device);
            return Plain("Cannot add this fader module! Maximum number is 10.");
        }
        // The overbridge goes above the module, into the place of whatever is there: that module
        // and its keys would be lost, so the user decides.
        const int occupant = withOverbridge ? model::ModuleType(ModuleEntryAt(device, console, position + 10)) : 0;
        if (occupant != 0) {
            const std::string question =
                ReplaceAboveQuestion(device, console, position + 10, occupant, model::ModuleType(*LinkedOverbridge));
            if (!confirm || !confirm(question))
                return std::nullopt;
            replaceAbove = true;
        }
    }
    if (IsKeyModule(type) && held.size() > 4) {
        // A pending cut keeps its ID only while no other module has taken it in this device.
        const bool keepsID = CutPending && ModuleIDsFree(device, type, held[4]);
        if (!keepsID) {
            const int id = FindFreeModuleID(device, type);
            if (id < 0)
                return Plain("No module id available. Cannot add this module!");
            held[4] = static_cast<std::uint8_t>(id);
        }
        // Its pot names are still in place only in the device it was cut from.
        if (!keepsID || CutDevice != &device)
            NameModulePots(device, type, held[4]);
    }
    KeepOneConsole(device);
    // The replaced module goes as Delete Module takes it: nothing of it lingers.
    if (replaceAbove)
        RemoveConsoleModule(device, console, position + 10);
    if (withOverbridge)
        device.SetSetupData(static_cast<std::uint8_t>(ModuleSlotID(console, position + 10)), *LinkedOverbridge);
    device.SetSetupData(static_cast<std::uint8_t>(ModuleSlotID(console, position)), held);
    model::RenumberFaderModules(device);
    CutPending = false;
    CutDevice = nullptr;
    return std::nullopt;
}

void ModuleClipboard::ForgetDevice(const model::TDevice* device)
{
    if (!device || CutDevice == device)
        CutDevice = nullptr;
}

} // namespace kvr::console
