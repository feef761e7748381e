#pragma once
// The "Global Resources" tab: the project's resources in a list, and an editor for the selected
// one (name, master, default owner, take-over mode, subscribers). Every edit reads the stored
// record again, changes one field, stores it and shows the record as stored.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/projectpages/logicsourcepicker.h"

namespace kvr::model {
class TProject;
struct TGlobalResource;
}

namespace kvr::app {

inline constexpr int GlobalResourceNameMaxLength = 16;
inline constexpr const char* NoMoreSubscribersText = "Can not add more subscribers. No more Logic IDs available!";

struct GlobalResourceSubscriberRow {
    std::string Caption; // the device's name, "Unknown"
    int ImageIndex = -1; // the device index, -1 when no device has the ID
    bool operator==(const GlobalResourceSubscriberRow&) const = default;
};

// What the editor shows of the selected resource.
struct GlobalResourceEditor {
    bool Enabled = false;
    std::string Name;
    std::vector<std::string> Masters;
    int Master = 0;
    std::vector<std::string> DefaultOwners; // "No device", then the subscribing devices
    std::vector<std::uint32_t> DefaultOwnerIDs;
    int DefaultOwner = 0;
    int Mode = 0; // 0 Request/Confirm, 1 Take Over, 2 Delayed Take Over
    std::vector<GlobalResourceSubscriberRow> Subscribers;
    std::vector<std::string> Available;
    std::vector<int> AvailableDevices;
};

// The master and default owner words of a resource record.
std::uint32_t ResourceMaster(model::TGlobalResource Resource);
std::uint32_t ResourceDefaultOwner(model::TGlobalResource Resource);

class GlobalResources {
public:
    GlobalResources(model::TProject& Project, const LogicSourcePicker& Picker,
                    std::function<void(const std::string&)> ShowMessage)
        : FProject(Project), FPicker(Picker), FShowMessage(std::move(ShowMessage))
    {
    }

    // TabSheet16Show.
    void Show() { FillList(); }

    const std::vector<std::string>& Names() const { return FNames; }
    int Selected() const { return FSelected; }
    bool AddEnabled() const { return FAddEnabled; }
    const GlobalResourceEditor& Editor() const { return FEditor; }
    bool Filling() const { return FFilling; }

    // A click in the list (-1 for none).
    void Click(int Index);
    void Add();
    void Remove();
    void SetName(std::string_view Text);
    // Item indexes of the two boxes.
    void ChooseMaster(int Item);
    void ChooseDefaultOwner(int Item);
    void ChooseMode(int Mode);
    // Item of "Available" / row of "Subscribers assigned".
    void AddSubscriber(int Item);
    void RemoveSubscriber(int Row);

private:
    void FillList();
    void Refresh(int ResourceID);
    void Disable();
    // The selected resource's ID when an edit may go ahead, else 0.
    int EditableID() const;
    // Reads the selected resource, lets Change edit it, stores it and shows it again.
    void Edit(const std::function<void(model::TGlobalResource&)>& Change);

    model::TProject& FProject;
    const LogicSourcePicker& FPicker;
    std::function<void(const std::string&)> FShowMessage;
    std::vector<std::string> FNames;
    int FSelected = -1;
    bool FAddEnabled = true;
    bool FFilling = false;
    GlobalResourceEditor FEditor;
};

} // namespace kvr::app
