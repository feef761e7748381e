#include "service/maintenance/mtnactions.h"

namespace kvr::service {

namespace {

TMtnMenuEntry Act(const char* Action) { return {"", Action, {}}; }
TMtnMenuEntry Own(const char* Name, const char* Action) { return {Name, Action, {}}; }
TMtnMenuEntry Sep() { return {"", "-", {}}; }

const char* const MainIDNames[] = {"ID1", "ID2", "ID3", "ID4", "ID5", "ID6", "ID7", "ID8", "ID9", "ID10", "ID11", "ID12"};
const char* const PopupIDNames[] = {"ID_1", "ID_2", "ID_3", "ID_4",  "ID_5",  "ID_6",
                                    "ID_7", "ID_8", "ID_9", "ID_10", "ID_11", "ID_12"};
const char* const IDCaptions[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};

std::vector<TMtnMenuEntry> IDItems(const char* const (&Names)[12])
{
    std::vector<TMtnMenuEntry> items;
    for (const char* name : Names)
        items.push_back({name, name, {}});
    return items;
}

} // namespace

const std::vector<TMtnActionSpec>& MaintenanceActions()
{
    static const std::vector<TMtnActionSpec> Actions = [] {
        std::vector<TMtnActionSpec> a = {
            {"CloseFormActn", "Close", "", false},
            {"AddDeviceActn", "Add Device", "", false},
            {"CloseDeviceActn", "Close Device", "", false},
            {"RefreshAllDevicesActn", "Refresh all devices", "Ctrl+F9", false},
            {"RefreshDeviceActn", "Refresh Device", "F9", false},
            {"ModuleInfoActn", "Information", "F11", false},
            {"AllModuleInfoActn", "Get information from all modules", "Ctrl+F11", false},
            {"ResetDeviceActn", "Reset", "F12", false},
            {"SaveSetup0Actn", "Save Setup 0", "", false},
            {"SaveSetup1_6Actn", "Save Setup 1..6", "", false},
            {"ClearParamMemActn", "Clear Parameter Memory", "", false},
            {"SerialNumbersActn", "Get serial numbers", "F3", false},
            {"FactoryTestActn", "Factory test protocols", "", false},
            {"ResetHourMeterActn", "Reset Hour Meter", "", false},
            {"XMLModuleList", "XML Modules", "", false},
            {"ResetModuleActn", "Reset", "", false},
            {"SetModuleIDActn", "Set Module ID", "", false},
            {"GetCardsActn", "Get Cards", "", false},
            {"LampTestActn", "Testmode", "", true},
            {"LampTestOn", "On", "", false},
            {"LampTestOff", "Off", "", false},
            {"AdjustContrastActn", "Adjust contrast ...", "", false},
            {"ShowProtocolMM", "Enable CAN Protocol", "F4", true},
            {"FilterUDPErrors", "Filter Foreign UDP Blocks", "", true},
            {"SendCANBlockActn", "Send CAN Block ...", "", false},
            {"ClearMemoMM", "Clear message Window", "F8", false},
            {"ShowFileAct", "Open in editor ...", "Ctrl+E", false},
            {"UpdateFirmwareActn", "Device Firmware...", "", false},
            {"BurnOnly", "Burn Only", "", true},
            {"SetDHCPActn", "Set DHCP", "", false},
            {"SetDeviceIPActn", "Set Device IP", "", false},
            {"ShowInternalCANActn", "Show Internal CAN Protocol", "", false},
            {"SwitchMLCard", "Set to KX730-848L", "", false},
            {"DeleteMixerSetupNamesActn", "Delete Mixer Setup Names 1-6", "", false},
            {"DeleteChannelSetupNames", "Delete Channel Setup Names 1-250", "", false},
            {"DeleteChannelSetups", "Delete Channel Setups 1-250", "", false},
        };
        for (int i = 0; i < 12; ++i) {
            a.push_back({MainIDNames[i], IDCaptions[i], "", false});
            a.push_back({PopupIDNames[i], IDCaptions[i], "", false});
        }
        return a;
    }();
    return Actions;
}

const TMtnActionSpec* FindMaintenanceAction(const std::string& Name)
{
    for (const TMtnActionSpec& a : MaintenanceActions())
        if (Name == a.Name)
            return &a;
    return nullptr;
}

const std::vector<TMtnMenuSpec>& MaintenanceMainMenu()
{
    static const std::vector<TMtnMenuSpec> Menu = {
        {"FileMnu", "File", {Act("CloseFormActn")}},
        {"DeviceMnu", "Devices",
         {Act("AddDeviceActn"), Act("CloseDeviceActn"), Sep(), Act("RefreshAllDevicesActn"), Sep(), Act("ModuleInfoActn"),
          Act("AllModuleInfoActn"), Sep(), Act("ResetDeviceActn"), Sep(), Act("SaveSetup0Actn"), Act("SaveSetup1_6Actn"), Sep(),
          Act("ClearParamMemActn"), Sep(), Act("SerialNumbersActn"), Act("FactoryTestActn"), Act("ResetHourMeterActn"),
          Act("XMLModuleList")}},
        {"ModulesMnu", "Modules",
         {Act("ModuleInfoActn"), Act("ResetModuleActn"), {"SetModuleIDMnu", "Set Module ID", IDItems(MainIDNames)}, Act("GetCardsActn"),
          {"TestmodeMnu", "Testmode", {Act("LampTestOn"), Act("LampTestOff")}}, Own("AdjustContrastMnu", "AdjustContrastActn")}},
        {"ProtocolMnu", "Protocol",
         {Act("ShowProtocolMM"), Act("FilterUDPErrors"), Sep(), Act("SendCANBlockActn"), Sep(), Act("ClearMemoMM"), Sep(),
          Own("Showlogfile1", "ShowFileAct")}},
        {"UpdateMnu", "Update", {Act("UpdateFirmwareActn"), Act("BurnOnly")}},
        {"OptionsMnu", "Options",
         {Act("SetDHCPActn"), Act("SetDeviceIPActn"), Act("ShowInternalCANActn"), Act("SwitchMLCard"), Sep(),
          Act("DeleteMixerSetupNamesActn"), Act("DeleteChannelSetupNames"), Act("DeleteChannelSetups")}},
    };
    return Menu;
}

const std::vector<TMtnMenuEntry>& MaintenancePopupMenu()
{
    static const std::vector<TMtnMenuEntry> Popup = {
        Own("InformationPopUp", "ModuleInfoActn"),
        Own("ModuleResetPopUp", "ResetModuleActn"),
        {"TestmodePopUp", "Testmode", {Act("LampTestOn"), Act("LampTestOff")}},
        {"SetModuleID1", "Set Module ID", IDItems(PopupIDNames)},
        Own("AdjustContrastPopUp", "AdjustContrastActn"),
        Sep(),
        Own("SwitchMLPopUp", "SwitchMLCard"),
    };
    return Popup;
}

} // namespace kvr::service
