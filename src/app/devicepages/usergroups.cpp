#include "app/devicepages/usergroups.h"

#include <algorithm>
#include <cstdio>

#include "model/device.h"
#include "model/project.h"
#include "model/sourcenames.h"
#include "model/superoutputs.h"

namespace kvr::app {

std::string LockTimeText(int Index)
{
    if (Index <= 0 || Index >= static_cast<int>(LockTimes.size()))
        return "Off";
    return std::to_string(LockTimes[static_cast<std::size_t>(Index)]) + " min";
}

std::uint16_t PINFromText(std::string_view Text)
{
    std::uint16_t pin = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = i < Text.size() ? Text[i] : '0';
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        pin = static_cast<std::uint16_t>(pin << 4 | digit);
    }
    return pin;
}

model::TDevice* UserGroups::Device() const
{
    if (FDevice < 0 || FDevice >= FProject.DeviceCount())
        return nullptr;
    return FProject.Device(FDevice);
}

UserGroupValues UserGroups::Values() const
{
    UserGroupValues values;
    const model::TDevice* device = Device();
    if (!device)
        return values;
    model::TUserGroups groups;
    model::GetUserGroups(*device, groups);
    values.ChipCard = (groups.Options & 0x80) != 0;
    values.Source1 = groups.PinLogic1;
    values.Source2 = groups.PinLogic2;
    values.Source1Name = model::GetLogicSourceName(FProject, groups.PinLogic1, FDevice);
    values.Source2Name = model::GetLogicSourceName(FProject, groups.PinLogic2, FDevice);
    for (int i = 0; i < UserGroupCount; ++i) {
        const model::TUserGroup& group = groups.Groups[static_cast<std::size_t>(i)];
        UserGroupRow& row = values.Rows[static_cast<std::size_t>(i)];
        row.Label.assign(group.Label.data(), std::find(group.Label.begin(), group.Label.end(), '\0'));
        char pin[8];
        std::snprintf(pin, sizeof pin, "%04X", group.PIN);
        row.PIN = pin;
        row.Autolock = group.Autolock;
        row.Display = (group.Display & 0x80) != 0;
    }
    return values;
}

template <typename Change> void UserGroups::Write(int Group, Change&& change)
{
    model::TDevice* device = Device();
    if (!device || Group < 0 || Group >= UserGroupCount)
        return;
    model::TUserGroups groups;
    model::GetUserGroups(*device, groups);
    change(groups.Groups[static_cast<std::size_t>(Group)]);
    model::SetUserGroups(*device, groups);
}

void UserGroups::SetLabel(int Group, std::string_view Text)
{
    Write(Group, [Text](model::TUserGroup& group) {
        group.Label.fill('\0');
        std::copy_n(Text.begin(), std::min<std::size_t>(Text.size(), UserGroupLabelMaxLength), group.Label.begin());
    });
}

void UserGroups::SetPIN(int Group, std::string_view Text)
{
    Write(Group, [Text](model::TUserGroup& group) { group.PIN = PINFromText(Text); });
}

void UserGroups::SetAutolock(int Group, int Index)
{
    if (Index < 0 || Index >= static_cast<int>(LockTimes.size()))
        return;
    Write(Group, [Index](model::TUserGroup& group) { group.Autolock = static_cast<std::uint8_t>(Index); });
}

void UserGroups::SetDisplay(int Group, bool Checked)
{
    Write(Group, [Checked](model::TUserGroup& group) {
        group.Display = static_cast<std::uint8_t>(Checked ? group.Display | 0x80 : group.Display & 0x7F);
    });
}

void UserGroups::SetChipCard(bool Checked)
{
    model::TDevice* device = Device();
    if (!device)
        return;
    model::TUserGroups groups;
    model::GetUserGroups(*device, groups);
    groups.Options = static_cast<std::uint8_t>(Checked ? groups.Options | 0x80 : groups.Options & 0x7F);
    model::SetUserGroups(*device, groups);
}

} // namespace kvr::app
