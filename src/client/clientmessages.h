#pragma once
// The numbered messages of the communication client (module 1).

#include <cstdint>

#include "diagnostics/kvrinfoformat.h"

namespace kvr::client {

enum TClientMessage : std::uint32_t {
    msgAccessDenied = 0xA1010001,
    msgServerNotResponding = 0xA1010003,
    msgNoRemoteServer = 0xA1010002,
    msgServerUpdated = 0x81010004,
    msgInstallFailed = 0xA1010005,
    msgOldServerRunning = 0xA1010006,
    msgUpdateFailed = 0xA1010007,
    msgUpdateNoInterface = 0xA1010008,
    msgNoWriteAccess = 0xA1010009,
    msgCannotCreateFile = 0xA101000A,
    msgDeviceNoResponse = 0xA101000B,
    msgTransferInterrupted = 0xA101000C,
    msgFileEndNotReached = 0xA101000D,
    msgChecksumWrong = 0xA101000E,
    msgNoBurnStatus = 0xA101000F,
    msgServerUpdatedRestart = 0x21010010,
    msgUdpPortInUse = 0xA1010011,
};

inline constexpr int ClientMessageCount = 17;
extern const TInfoMessage ClientMessages[ClientMessageCount];

} // namespace kvr::client
