#pragma once
// The rules of the maintenance window's small service dialogs: a hand-typed control block, the
// Set Device IP message, the key-contrast blocks, and the internal control-bus monitor that
// watches one device over a connection of its own into a log file.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/kvrcommunicationclient.h"
#include "diagnostics/highrestime.h"

namespace kvr::service {

// "%x , %d, %x, %x, ...": the ID in hexadecimal, Len in decimal, then up to eight data bytes in
// hexadecimal; reading stops at the first field that does not parse, the rest stays 0; Len and
// the bytes keep their low 8 bits.
KVRCANBlock ParseControlBlockText(const std::string& Text);

// Set Device IP: "AA-BB-CC" (hexadecimal) and two dotted addresses; each field keeps its low
// 8 bits. The IP and mask go out as typed also with DHCP on.
TUDPMsg SetDeviceIPMessage(const std::string& MAC, const std::string& IP, const std::string& Mask, bool DHCP);

// Adjust contrast: Increase and Decrease, to no module in particular.
KVRCANBlock ContrastBlock(bool Increase);

// The monitor refuses a device reached over a serial line.
bool MonitorRefused(const TDeviceAddr& Device);

// The log file name of a monitor: the description with ".log"; colons become blanks, and path
// separators and control characters too, so the file stays in its folder.
std::string MonitorLogFileName(const std::string& Description);

// An integer as the class library reads it: decimal, or hexadecimal after "$" or "0x"; anything
// else gives 0.
std::int64_t TextToIntDef0(const std::string& Text);

class InternalCANMonitor {
public:
    // Copies the device's address, opens the client's own connection to it and, when connected,
    // a log file in Folder.
    InternalCANMonitor(std::unique_ptr<TKVRCommunicationClient> Client, const TDeviceAddr& Device, std::string Folder = ".");
    ~InternalCANMonitor();

    std::string Caption() const { return "InternalCAN - " + FAddr.GetDescription(); }
    bool Connected() const { return FConnected; }
    bool HasLog() const { return FLog != nullptr; }
    const std::string& LogPath() const { return FLogPath; }
    TKVRCommunicationClient& Client() { return *FClient; }

    bool Activate = false;
    void MaskChange(const std::string& Text);
    void IDChange(const std::string& Text);
    // KVRCCCANBlockReceived: a line while Activate is checked, into the memo and the log.
    void BlockReceived(const KVRCANBlock& Block);

    std::vector<std::string> Lines; // ProtokollMemo
    std::function<void()> Changed;

private:
    std::unique_ptr<TKVRCommunicationClient> FClient;
    TDeviceAddr FAddr;
    bool FConnected = false;
    std::unique_ptr<TKVRLogFileStream> FLog;
    std::string FLogPath;
};

} // namespace kvr::service
