#include "console/usergroupboxes.h"

#include "console/keycaption.h"
#include "model/recordtext.h"
#include "model/superoutputs.h"

namespace kvr::console {

UserGroupBoxes ShowUserGroups(const model::TDevice& device, const model::TKeyRecord& record)
{
    UserGroupBoxes boxes;
    model::TUserGroups groups;
    model::GetUserGroups(device, groups);
    const bool restrictable = record[kf::Text] != 0 || record[kf::Colours] != 0;
    for (std::size_t n = 0; n < 8; ++n) {
        boxes.Captions[n] = model::LabelText(groups.Groups[n].Label);
        boxes.Visible[n] = restrictable && !boxes.Captions[n].empty();
        boxes.Ticked[n] = boxes.Visible[n] && ((record[kf::UserGroups] >> n) & 1);
    }
    return boxes;
}

} // namespace kvr::console
