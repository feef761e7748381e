#pragma once
// The "Authorisation" tab: the eight user groups of a DSP frame and the two logic sources that
// enable PIN input. Every change rewrites the whole user-group record of the device.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvr::model {
class TProject;
class TDevice;
} // namespace kvr::model

namespace kvr::app {

inline constexpr int UserGroupCount = 8;
inline constexpr int UserGroupLabelMaxLength = 16;
// Minutes of the autolock index 0-6; index 0 is "Off".
inline constexpr std::array<int, 7> LockTimes = {0, 2, 5, 10, 15, 20, 30};
std::string LockTimeText(int Index);

struct UserGroupRow {
    std::string Label;
    std::string PIN; // four hexadecimal digits: the digits as typed
    int Autolock = 0;
    bool Display = false;
};

struct UserGroupValues {
    bool ChipCard = false;
    std::uint16_t Source1 = 0, Source2 = 0;
    std::string Source1Name, Source2Name;
    std::array<UserGroupRow, UserGroupCount> Rows;
};

// Each typed digit fills one hexadecimal digit, the first the most significant; a blank (or a
// missing character) counts as 0 in its own place.
std::uint16_t PINFromText(std::string_view Text);

class UserGroups {
public:
    UserGroups(model::TProject& Project, int Device) : FProject(Project), FDevice(Device) {}

    UserGroupValues Values() const;

    // Group 0-7; another index changes nothing.
    void SetLabel(int Group, std::string_view Text);
    void SetPIN(int Group, std::string_view Text);
    void SetAutolock(int Group, int Index);
    void SetDisplay(int Group, bool Checked);
    void SetChipCard(bool Checked);

private:
    model::TDevice* Device() const;
    template <typename Change> void Write(int Group, Change&& change);
    model::TProject& FProject;
    int FDevice;
};

} // namespace kvr::app
