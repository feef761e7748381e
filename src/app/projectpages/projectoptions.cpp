#include "app/projectpages/projectoptions.h"

#include <algorithm>

#include "model/device.h"
#include "model/potaccess.h"
#include "model/project.h"

namespace kvr::app {

ProjectOptionFields ProjectOptions::Fill()
{
    FFilling = true;
    const auto header = FProject.GetHeader();
    const auto* id = header.data() + model::ph::ProjectID;
    return ProjectOptionFields{FProject.GetName(), FProject.GetUserName(), FProject.GetFileDate(),
                               std::string(id, std::find(id, id + 4, std::uint8_t{0}))};
}

void ProjectOptions::SetName(std::string_view Text)
{
    if (FFilling)
        return;
    FProject.SetName(Text);
}

void ProjectOptions::SetProjectID(std::string_view Text)
{
    if (FFilling)
        return;
    std::array<std::uint8_t, 4> id{};
    for (std::size_t i = 0; i < id.size() && i < Text.size(); ++i)
        id[i] = static_cast<std::uint8_t>(Text[i]);
    auto header = FProject.GetHeader();
    std::copy(id.begin(), id.end(), header.begin() + model::ph::ProjectID);
    FProject.SetHeader(header);
    for (int d = 0; d < FProject.DeviceCount(); ++d) {
        model::TDevice& device = *FProject.Device(d);
        auto deviceHeader = device.GetHeader();
        std::copy(id.begin(), id.end(), deviceHeader.begin() + model::dh::ProjectID);
        device.SetHeader(deviceHeader, true);
    }
}

std::vector<std::string> ProjectOptions::PotNames()
{
    std::vector<std::string> names;
    for (int pot = 1; pot <= model::kGlobalPotCount; ++pot) {
        std::string name;
        model::GetGlobalPotName(FProject, pot, name);
        names.push_back(name);
    }
    return names;
}

void ProjectOptions::SetPotName(int Index, std::string_view Text)
{
    if (Index < 0 || Index >= model::kGlobalPotCount)
        return;
    model::SetGlobalPotName(FProject, Index + 1, Text.substr(0, GlobalPotNameMaxLength));
}

} // namespace kvr::app
