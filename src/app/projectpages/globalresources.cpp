#include "app/projectpages/globalresources.h"

#include <algorithm>

#include "model/device.h"
#include "model/globalresources.h"
#include "model/project.h"
#include "model/recordtext.h"

namespace kvr::app {

namespace {
std::string Label(const model::TGlobalResource& Resource) { return model::LabelText(Resource.Label); }
} // namespace

// The record's first device-ID word (bytes 8-11) is the default owner, the one a removed
// subscriber clears; the second (12-15) is the master, device 0's for a new resource. The data
// model's field names have the two the other way round.
namespace {
std::uint32_t& MasterWord(model::TGlobalResource& Resource) { return Resource.DefaultOwner; }
std::uint32_t& DefaultOwnerWord(model::TGlobalResource& Resource) { return Resource.Master; }
} // namespace

std::uint32_t ResourceMaster(model::TGlobalResource Resource) { return MasterWord(Resource); }
std::uint32_t ResourceDefaultOwner(model::TGlobalResource Resource) { return DefaultOwnerWord(Resource); }

void GlobalResources::FillList()
{
    const std::vector<std::uint8_t> ids = model::GetGlobalResourceIDs(FProject);
    int index = FSelected;
    FNames.clear();
    FSelected = -1;
    for (const std::uint8_t id : ids) {
        model::TGlobalResource resource;
        model::GetGlobalResource(FProject, id, resource);
        FNames.push_back(Label(resource));
    }
    if (!FNames.empty() && index >= 0) {
        FEditor.Enabled = true;
        index = std::min(index, static_cast<int>(FNames.size()) - 1);
        Click(index);
        FAddEnabled = FNames.size() < static_cast<std::size_t>(model::kMaxGlobalResources);
    } else {
        Disable();
    }
}

void GlobalResources::Disable()
{
    FEditor.Enabled = false;
    FEditor.Subscribers.clear();
    FEditor.Available.clear();
    FEditor.AvailableDevices.clear();
}

void GlobalResources::Click(int Index)
{
    const std::vector<std::uint8_t> ids = model::GetGlobalResourceIDs(FProject);
    if (Index < 0 || Index >= static_cast<int>(ids.size())) {
        FSelected = -1;
        FEditor.Enabled = false;
        return;
    }
    FSelected = Index;
    FEditor.Enabled = true;
    Refresh(ids[static_cast<std::size_t>(Index)]);
}

void GlobalResources::Refresh(int ResourceID)
{
    model::TGlobalResource r;
    if (!model::GetGlobalResource(FProject, ResourceID, r))
        return;
    FFilling = true;
    GlobalResourceEditor& e = FEditor;
    e.Name = Label(r);
    e.Masters.clear();
    e.DefaultOwners = {"No device"};
    e.DefaultOwnerIDs = {0};
    const int devices = std::min(FProject.DeviceCount(), model::TProject::MaxDevices);
    for (int d = 0; d < devices; ++d) {
        const model::TDevice& device = *FProject.Device(d);
        e.Masters.push_back(device.GetName());
        if (model::IsGlobalResourceSubscriber(r, device.GetDeviceID())) {
            e.DefaultOwners.push_back(device.GetName());
            e.DefaultOwnerIDs.push_back(device.GetDeviceID());
        }
    }
    e.Master = 0;
    for (int d = 0; d < devices; ++d)
        if (FProject.Device(d)->GetDeviceID() == MasterWord(r))
            e.Master = d;
    const auto owner = std::find(e.DefaultOwnerIDs.begin(), e.DefaultOwnerIDs.end(), DefaultOwnerWord(r));
    e.DefaultOwner = owner == e.DefaultOwnerIDs.end() ? 0 : static_cast<int>(owner - e.DefaultOwnerIDs.begin());

    e.Subscribers.clear();
    for (int k = 0; k < std::min<int>(r.Count, model::kMaxSubscribers); ++k) {
        const int index = FProject.IndexOfDevice(r.Subscribers[static_cast<std::size_t>(k)].DeviceID);
        e.Subscribers.push_back({index >= 0 ? FProject.Device(index)->GetName() : "Unknown", index});
    }
    e.Available.clear();
    e.AvailableDevices.clear();
    for (int d = 0; d < FProject.DeviceCount(); ++d) {
        const bool subscribed = std::any_of(e.Subscribers.begin(), e.Subscribers.end(),
                                            [d](const GlobalResourceSubscriberRow& row) { return row.ImageIndex == d; });
        if (!subscribed) {
            e.Available.push_back(FProject.Device(d)->GetName());
            e.AvailableDevices.push_back(d);
        }
    }
    e.Mode = r.Mode == 1 || r.Mode == 2 ? r.Mode : 0;
    FFilling = false;
}

void GlobalResources::Add()
{
    model::TGlobalResource added;
    model::AddGlobalResource(FProject, added); // a refusal says nothing
    FillList();
    if (!FNames.empty())
        // Shown at once, so that the next edit goes to the new resource.
        Click(static_cast<int>(FNames.size()) - 1);
    FPicker.RebuildWith(SourceFilterGlobalResources);
}

void GlobalResources::Remove()
{
    const std::vector<std::uint8_t> ids = model::GetGlobalResourceIDs(FProject);
    if (FSelected < 0 || FSelected >= static_cast<int>(ids.size()))
        return;
    model::DeleteGlobalResource(FProject, ids[static_cast<std::size_t>(FSelected)]);
    FillList();
    FPicker.RebuildWith(SourceFilterGlobalResources);
}

int GlobalResources::EditableID() const
{
    if (FFilling)
        return 0;
    const std::vector<std::uint8_t> ids = model::GetGlobalResourceIDs(FProject);
    if (ids.empty() || FSelected < 0 || FSelected >= static_cast<int>(ids.size()))
        return 0;
    return ids[static_cast<std::size_t>(FSelected)];
}

void GlobalResources::Edit(const std::function<void(model::TGlobalResource&)>& Change)
{
    const int id = EditableID();
    model::TGlobalResource r;
    if (id == 0 || !model::GetGlobalResource(FProject, id, r))
        return;
    Change(r);
    model::SetGlobalResource(FProject, r);
    Refresh(id);
}

void GlobalResources::SetName(std::string_view Text)
{
    Edit([&](model::TGlobalResource& r) {
        r.Label.fill(0);
        std::copy_n(Text.begin(), std::min(Text.size(), r.Label.size()), r.Label.begin());
        FNames[static_cast<std::size_t>(FSelected)] = Label(r);
    });
}

void GlobalResources::ChooseMaster(int Item)
{
    if (Item < 0 || Item >= FProject.DeviceCount())
        return;
    Edit([&](model::TGlobalResource& r) { MasterWord(r) = FProject.Device(Item)->GetDeviceID(); });
}

void GlobalResources::ChooseDefaultOwner(int Item)
{
    if (Item < 0 || Item >= static_cast<int>(FEditor.DefaultOwnerIDs.size()))
        return;
    const std::uint32_t id = FEditor.DefaultOwnerIDs[static_cast<std::size_t>(Item)];
    Edit([&](model::TGlobalResource& r) { DefaultOwnerWord(r) = id; });
}

void GlobalResources::ChooseMode(int Mode)
{
    if (Mode < 0 || Mode > 2)
        return;
    Edit([&](model::TGlobalResource& r) { r.Mode = static_cast<std::uint8_t>(Mode); });
}

void GlobalResources::AddSubscriber(int Item)
{
    const int id = EditableID();
    if (id == 0 || Item < 0 || Item >= static_cast<int>(FEditor.AvailableDevices.size()))
        return;
    if (!model::AddGlobalResourceSubscriber(FProject, id, FEditor.AvailableDevices[static_cast<std::size_t>(Item)])) {
        if (FShowMessage)
            FShowMessage(NoMoreSubscribersText);
        return;
    }
    Refresh(id);
    FPicker.RebuildWith(SourceFilterGlobalResources);
}

void GlobalResources::RemoveSubscriber(int Row)
{
    const int id = EditableID();
    if (id == 0 || Row < 0 || Row >= static_cast<int>(FEditor.Subscribers.size()))
        return;
    model::RemoveGlobalResourceSubscriber(FProject, id, Row);
    Refresh(id);
    FPicker.RebuildWith(SourceFilterGlobalResources);
}

} // namespace kvr::app
