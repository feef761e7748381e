#include "service/maintenance/mtnmessages.h"

#include "diagnostics/kvrinfoformat.h"

namespace kvr::service {

namespace {

const TInfoMessage MaintenanceMessages[] = {
    {mmCouldNotConnect, "Couldn't connect to device."},
    {mmNoInformation, "The device failed to respond. No information available."},
    {mmCollectingFailed, "Collecting module information failed - \ncould not establish connection to device."},
    {mmResetFailed, "Reset failed! \nCould not establish connection to device."},
    {mmLamptestFailed, "Lamptest failed! \nCould not establish connection to device."},
    {mmClearParamQuestion, "Clear current parameter setting?"},
    {mmClearParamFailed, "Clear parameter memory failed! \nCould not establish connection to device."},
    {mmResetHourMeterFailed, "Reset hour meter failed! \nCould not establish connection to device."},
    {mmSerialNumbersFailed, "Get serial numbers failed! \nCould not establish connection to device."},
    {mmModuleNoAnswer, "At least one Module failed to respond. Information is not complete."},
    {mmCardInfoFailed, "Get card info failed! Could not establish connection to device."},
    {mmIncompleteData, "The module failed to send all requested data. A possible cause is a \ntemporary network problem. Please try again."},
    {mmModuleInfoNoAnswer, "Get module information failed! \nDevice did not answer."},
    {mmModuleInfoFailed, "Get module information failed! \nCould not establish connection to device."},
    {mmSelectDevice, "Please select a device first!"},
    {mmUpdateNoConnection, "Update failed! Could not establish connection to device."},
    {mmChecksumSkipped, "Device type is monitor or unknown - checksum check skipped!\nMake shure you have selected the right file!"},
    {mmUpdateCanceled, "Update canceled"},
    {mmCorruptFile, "The file %s was corrupted or is not a firmware update file!\nUpdate aborted"},
    {mmText, "%s"},
    {mmFileNotOpened, "File could not be opened."},
    {mmUpdateIncomplete, "Update failed. Device did not receive all data. Please try again."},
    {mmCancelUpdate, "Cancel update?"},
    {mmRestartSystem, "All modules updated!\nRestart System?"},
    {mmModuleUpdateFailed, "At least one module failed to update. Please try again."},
    {mmCouldNotRemove, "Couldn't remove device."},
    {mmDHCPQuestion, "This will cause all devices in network to receive a new new IP \nvia DHCP.\nContinue?"},
    {mmSaveSetup0Question, "Save current parameter settings as default?"},
    {mmSaveSetupQuestion, "Save current parameter settings?"},
    {mmInternalCANSerial, "Internal CAN Protocol can not be opened via serial connection"},
    {mmMailNotSent, "An error occured. The email was not sent."},
    {mmDeleteMixerNamesQuestion, "Delete Mixer Setup Names 1-6?"},
    {mmDeleteChannelNamesQuestion, "Delete Channel Setup Names 1-250?"},
    {mmDeleteChannelSetupsQuestion, "Delete Channel Setups 1-250?"},
    {mmDeleteMixerNamesFailed, "Deleting Mixer Setup Names 1-6 failed!"},
    {mmDeleteChannelNamesFailed, "Deleting Channel Setup Names 1-250 failed!"},
    {mmDeleteChannelSetupsFailed, "Delete Channel Setups 1-250 failed!"},
    {mmInternetQuestion, "An Internet connection will be established now to\nretrieve required protocol files.\n\nAre you shure you want to do this?"},
};

} // namespace

void RegisterMaintenanceMessages()
{
    static const bool Registered =
        InfoFormatter->RegisterMessages(MaintenanceMessages, static_cast<int>(std::size(MaintenanceMessages)));
    (void)Registered;
}

} // namespace kvr::service
