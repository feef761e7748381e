#include "console/moduleplacement.h"

#include "console/moduletypes.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/keyfunctions.h"
#include "model/keyrecords.h"
#include "model/potaccess.h"
#include "model/recordhooks.h"
#include "model/smallrecordaccess.h"

#include <algorithm>
#include <bitset>
#include <functional>

namespace kvr::console {

namespace {

constexpr int kLogicKeyBase = 1;
constexpr int kKeysPerModuleID = 32;
constexpr int kPotsPerModuleID = 10;
constexpr int kNamedPots = 8;

void Write(model::TDevice& device, int console, int position, const std::vector<std::uint8_t>& entry)
{
    if (!entry.empty())
        KeepOneConsole(device);
    device.SetSetupData(static_cast<std::uint8_t>(ModuleSlotID(console, position)), entry);
}

void SetPot(model::TDevice& device, int potID, std::string_view name)
{
    std::array<std::uint8_t, model::kPotNameWidth> bytes{};
    std::copy_n(name.begin(), std::min(name.size(), bytes.size()), bytes.begin());
    model::SetPotName(device, potID, bytes);
}

void ForEachLevelName(int type, int moduleID, const std::function<void(int, std::string_view)>& visit)
{
    for (int k = 1; k <= kNamedPots; ++k) {
        const std::string_view name = LevelName(type, k - 1);
        if (!name.empty())
            visit(kPotsPerModuleID * moduleID + k, name);
    }
}

int CountOccupied(const model::TDevice& device, int console)
{
    int count = 0;
    for (int position = 0; position <= 18; ++position)
        count += IsSlotPosition(position) && !ModuleEntryAt(device, console, position).empty();
    return count;
}

} // namespace

std::vector<std::uint8_t> ModuleEntryAt(const model::TDevice& device, int console, int position)
{
    if (console < 0 || console >= kMaxConsoles || !IsSlotPosition(position))
        return {};
    return device.GetSetupData(static_cast<std::uint8_t>(ModuleSlotID(console, position)));
}

int ConsoleCount(const model::TDevice& device)
{
    return std::min<int>(device.Header()[model::dh::ConsoleCount], kMaxConsoles);
}

bool HasStudioPanel(const model::TDevice& device, int console)
{
    return model::ModuleType(ModuleEntryAt(device, console, kStudioPanelPosition)) == kStudioPanelType;
}

namespace {

// IDs held by the key modules placed on the consoles.
std::bitset<kModuleIDCount> UsedModuleIDs(const model::TDevice& device)
{
    std::bitset<kModuleIDCount> used;
    model::ForEachModuleSlot([&](std::uint8_t slot) {
        const auto entry = device.GetSetupData(slot);
        if (entry.size() <= 4)
            return;
        const int placed = model::ModuleType(entry);
        const int id = model::ModuleEntryView(entry).ModuleNumber();
        if (IsIn(TwoIDModuleTypes, placed) || IsIn(OneIDModuleTypes, placed)) {
            if (id < kModuleIDCount)
                used.set(static_cast<std::size_t>(id));
            if (IsIn(TwoIDModuleTypes, placed) && id + 1 < kModuleIDCount)
                used.set(static_cast<std::size_t>(id + 1));
        }
    });
    return used;
}

} // namespace

bool ModuleIDsFree(const model::TDevice& device, int type, int moduleID)
{
    const int count = IsIn(TwoIDModuleTypes, type) ? 2 : IsIn(OneIDModuleTypes, type) ? 1 : 0;
    if (count == 0 || moduleID < 0 || moduleID + count > kModuleIDCount)
        return false;
    const auto used = UsedModuleIDs(device);
    for (int k = moduleID; k < moduleID + count; ++k) {
        if (used[static_cast<std::size_t>(k)])
            return false;
    }
    return true;
}

int FindFreeModuleID(const model::TDevice& device, int type)
{
    const auto used = UsedModuleIDs(device);
    if (IsIn(TwoIDModuleTypes, type)) {
        for (int k = kModuleIDCount - 1; k >= 1; --k) {
            if (!used[static_cast<std::size_t>(k)] && !used[static_cast<std::size_t>(k - 1)])
                return k - 1;
        }
        return -1;
    }
    if (IsIn(OneIDModuleTypes, type)) {
        for (int k = 0; k < kModuleIDCount; ++k) {
            if (!used[static_cast<std::size_t>(k)])
                return k;
        }
        return -1;
    }
    return IsIn(FaderModuleTypes, type) ? 0 : -1;
}

void NameModulePots(model::TDevice& device, int type, int moduleID)
{
    ForEachLevelName(type, moduleID, [&](int pot, std::string_view name) { SetPot(device, pot, name); });
}

void ClearModulePots(model::TDevice& device, int type, int moduleID)
{
    ForEachLevelName(type, moduleID, [&](int pot, std::string_view) { SetPot(device, pot, {}); });
}

void ReleaseKeyModule(model::TDevice& device, const std::vector<std::uint8_t>& entry)
{
    if (entry.size() < model::kModuleHead)
        return;
    const model::ModuleEntryView module(entry);
    const int moduleID = module.ModuleNumber();
    for (std::size_t i = 0; i < module.KeyRecords(); ++i) {
        const int key = module.KeyRecord(i)[model::kr::Key];
        model::AdaptLogics(device, kLogicKeyBase + kKeysPerModuleID * moduleID + key, 0, model::amDelete);
    }
    ClearModulePots(device, model::ModuleType(entry), moduleID);
}

Placement AddConsoleModule(model::TDevice& device, int console, int position, int type)
{
    if (console < 0 || console >= kMaxConsoles)
        return {-1, "Cannot add this module!"};
    std::vector<std::uint8_t> entry(model::kModuleHead, 0);
    if (type == kStudioPanelType) {
        position = kStudioPanelPosition;
        if (CountOccupied(device, console) > 0) {
            const std::string description(Description(kStudioPanelType));
            if (device.Header()[model::dh::ConsoleCount] >= kMaxConsoles)
                return {-1, "Cannot add a console for the " + description + "!"};
            return {-1, "The " + description + " requires its own console!"};
        }
    }
    if (!IsSlotPosition(position))
        return {-1, "Cannot add this module!"};
    if (IsIn(FaderOverbridgeTypes, type)) {
        const auto below = IsUpperRow(position) ? ModuleEntryAt(device, console, position - 10) : std::vector<std::uint8_t>{};
        if (!IsIn(FaderModuleTypes, model::ModuleType(below)))
            return {-1, "Fader Overbridges can only be used in combination with Fader Modules!"};
        // The overbridge takes the fader module's option byte.
        std::copy_n(below.begin(), std::min(below.size(), entry.size()), entry.begin());
    }
    model::ModuleEntryWriter head(entry);
    head.SetType(type);
    head.SetAccessGroup(0);
    head.SetModuleNumber(0);
    head.SetRecordCount(0);
    int moduleID = -1;
    if (!IsFaderFamilyType(type) && !IsIn(BlankModuleTypes, type)) {
        moduleID = FindFreeModuleID(device, type);
        if (moduleID < 0)
            return {-1, "Cannot add this module!"};
        head.SetModuleNumber(moduleID);
    }
    if (IsIn(FaderModuleTypes, type) && device.Header()[model::dh::FaderCount] >= kMaxFaderStrips)
        return {-1, "Cannot add this fader module! Maximum number is 10."};

    // Every check passed: an occupant goes as Delete Module takes it, so nothing of it lingers.
    RemoveConsoleModule(device, console, position);
    if (moduleID >= 0)
        NameModulePots(device, type, moduleID);
    Write(device, console, position, entry);
    device.FLogicSourcesChanged = true;
    device.FAudioSourcesChanged = true;
    model::RenumberFaderModules(device);
    return {position, {}};
}

void RemoveConsoleModule(model::TDevice& device, int console, int position)
{
    const auto entry = ModuleEntryAt(device, console, position);
    if (entry.empty())
        return;
    const int type = model::ModuleType(entry);
    if (IsFaderFamilyType(type)) {
        model::RemoveFaderModule(device, ModuleSlotID(console, position));
        model::RenumberFaderModules(device);
    } else {
        if (!IsIn(BlankModuleTypes, type))
            ReleaseKeyModule(device, entry);
        Write(device, console, position, {});
    }
    device.FLogicSourcesChanged = true;
}

void SwapConsoleModules(model::TDevice& device, int console, int from, int to)
{
    if (!IsSlotPosition(from) || !IsSlotPosition(to) || IsUpperRow(from) != IsUpperRow(to) || from == to)
        return;
    const auto exchange = [&](int a, int b) {
        const auto first = ModuleEntryAt(device, console, a);
        const auto second = ModuleEntryAt(device, console, b);
        Write(device, console, a, second);
        Write(device, console, b, first);
    };
    const bool linked = IsFaderFamilyType(model::ModuleType(ModuleEntryAt(device, console, from))) ||
                        IsFaderFamilyType(model::ModuleType(ModuleEntryAt(device, console, to)));
    exchange(from, to);
    if (linked) {
        const int other = IsUpperRow(from) ? -10 : 10;
        exchange(from + other, to + other);
    }
    model::RenumberFaderModules(device);
}

void MoveConsoleModules(model::TDevice& device, int from, int to)
{
    for (int position = 0; position < 20; ++position) {
        const auto entry = ModuleEntryAt(device, from, position);
        if (entry.empty())
            continue;
        Write(device, to, position, entry);
        Write(device, from, position, {});
    }
}

void RemoveConsole(model::TDevice& device, int console)
{
    if (console < 0 || console >= kMaxConsoles)
        return;
    for (int position = 0; position < 20; ++position)
        RemoveConsoleModule(device, console, position);
    for (int k = console + 1; k < kMaxConsoles; ++k)
        MoveConsoleModules(device, k, k - 1);
    const int count = device.Header()[model::dh::ConsoleCount];
    if (count > 0)
        device.WriteHeaderCount(model::dh::ConsoleCount, static_cast<std::uint8_t>(std::min(count, kMaxConsoles) - 1));
    DropConsoleName(device, console);
}

void DropConsoleName(model::TDevice& device, int console)
{
    std::vector<std::uint8_t> names;
    if (console < 0 || !device.GetData(model::stConsoleNames, names))
        return;
    // Only whole name places inside the stored block move; its length stays.
    const std::size_t places = std::min<std::size_t>(names.size() / kConsoleNameWidth, kMaxConsoles);
    for (std::size_t place = static_cast<std::size_t>(console); place < places; ++place) {
        const auto at = names.begin() + static_cast<std::ptrdiff_t>(place * kConsoleNameWidth);
        if (place + 1 < places)
            std::copy_n(at + static_cast<std::ptrdiff_t>(kConsoleNameWidth), kConsoleNameWidth, at);
        else
            std::fill_n(at, kConsoleNameWidth, 0);
    }
    device.SetData(model::stConsoleNames, names);
}

void KeepOneConsole(model::TDevice& device)
{
    if (ConsoleCount(device) == 0)
        device.WriteHeaderCount(model::dh::ConsoleCount, 1);
}

std::vector<std::string> ConsoleTabs(model::TDevice& device)
{
    std::vector<std::string> tabs;
    for (int console = 0; console < std::max(1, ConsoleCount(device)); ++console)
        tabs.push_back(ConsoleName(device, console));
    return tabs;
}

bool AddConsole(model::TDevice& device)
{
    // The console a device without one shows counts: the new one is the second.
    const int count = std::max(1, ConsoleCount(device));
    if (count >= kMaxConsoles)
        return false;
    device.WriteHeaderCount(model::dh::ConsoleCount, static_cast<std::uint8_t>(count + 1));
    return true;
}

std::string ConsoleName(model::TDevice& device, int console)
{
    std::string name = "Console " + std::to_string(console + 1);
    model::GetConsoleName(device, console, name);
    return name;
}

void RenameConsole(model::TDevice& device, int console, const std::string& name)
{
    std::array<std::uint8_t, kConsoleNameWidth> bytes{};
    std::copy_n(name.begin(), std::min(name.size(), bytes.size()), bytes.begin());
    KeepOneConsole(device);
    model::SetConsoleName(device, console, bytes);
}

} // namespace kvr::console
