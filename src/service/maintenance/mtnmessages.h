#pragma once
// The coded messages of the maintenance window and its dialogs, registered with the info
// formatter once. The top three bits of a code select the kind of box.

#include <cstdint>

namespace kvr::service {

enum TMtnMessage : std::uint32_t {
    mmCouldNotConnect = 0xA1070001,
    mmNoInformation = 0xA1070002,
    mmCollectingFailed = 0xA1070003,
    mmResetFailed = 0xA1070004,
    mmLamptestFailed = 0xA1070005,
    mmClearParamQuestion = 0x61070008,
    mmClearParamFailed = 0xA1070009,
    mmResetHourMeterFailed = 0xA107000A,
    mmSerialNumbersFailed = 0xA107000B,
    mmModuleNoAnswer = 0xA107000C,
    mmCardInfoFailed = 0xA107000D,
    mmIncompleteData = 0xA107000E,
    mmModuleInfoNoAnswer = 0xA107000F,
    mmModuleInfoFailed = 0xA1070010,
    mmSelectDevice = 0xA1070011,
    mmUpdateNoConnection = 0xA1070012,
    mmChecksumSkipped = 0xA1070013,
    mmUpdateCanceled = 0xA1070014,
    mmCorruptFile = 0xA1070015,
    mmText = 0x61070016,
    mmFileNotOpened = 0xA1070017,
    mmUpdateIncomplete = 0xA1070018,
    mmCancelUpdate = 0x61070019,
    mmRestartSystem = 0x6107001A,
    mmModuleUpdateFailed = 0xA107001B,
    mmCouldNotRemove = 0xA107001C,
    mmDHCPQuestion = 0x2107001E,
    mmSaveSetup0Question = 0x6107001E,
    mmSaveSetupQuestion = 0x6107001F,
    mmInternalCANSerial = 0xA1070020,
    mmMailNotSent = 0xA1070021,
    mmDeleteMixerNamesQuestion = 0x61070022,
    mmDeleteChannelNamesQuestion = 0x61070023,
    mmDeleteChannelSetupsQuestion = 0x61070024,
    mmDeleteMixerNamesFailed = 0xA1070025,
    mmDeleteChannelNamesFailed = 0xA1070026,
    mmDeleteChannelSetupsFailed = 0xA1070027,
    mmInternetQuestion = 0x21070028,
};

// Registers the table with the global info formatter; later calls do nothing.
void RegisterMaintenanceMessages();

} // namespace kvr::service
