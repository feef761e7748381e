#pragma once
// "Restrict key access to user groups": one box per named user group of the device, ticked by
// the selected key's restriction bits. Filling the boxes stores nothing; a click does
// (KeyEditor::UserGroupClicked).

#include "model/keyfunctions.h"

#include <array>
#include <string>

namespace kvr::model {
class TDevice;
}

namespace kvr::console {

struct UserGroupBoxes {
    std::array<std::string, 8> Captions{}; // the group labels, groups 1-8
    std::array<bool, 8> Visible{};
    std::array<bool, 8> Ticked{};
};

// Boxes show only for named groups, and only while the key has a label or colours.
UserGroupBoxes ShowUserGroups(const model::TDevice& device, const model::TKeyRecord& record);

} // namespace kvr::console
