#pragma once
// "Device Firmware...": the module versions, the file check, the question, the records sent one
// by one with an acknowledgement each, the flash burn with one report per module, and the
// restart. The progress window, the file choice and the file reading are injected.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "service/firmware/updatefile.h"

namespace kvr::service {

class MaintenanceFrame;

inline constexpr std::uint32_t BurnCommandID = 0x19FFFFFC;
inline constexpr std::uint32_t BurnReportClass = 0x0F100000;
inline constexpr std::uint16_t BurnSucceeded = 0x0301;
inline constexpr std::uint16_t BurnFailed = 0x0300;

// The progress window as the update drives it.
struct TUpdateProgress {
    std::function<void(int Maximum)> Show;
    std::function<void(int Position)> Position;
    std::function<bool()> CancelRequested;
    std::function<void()> ClearCancel;
    std::function<void()> Hide;
};

class FirmwareUpdate {
public:
    explicit FirmwareUpdate(MaintenanceFrame& Frame);

    std::function<std::optional<std::string>()> ChooseFile;                          // the open dialog
    std::function<std::optional<std::vector<std::uint8_t>>(const std::string&)> ReadFile; // the whole file
    std::function<void(bool Enabled)> EnableTree;
    TUpdateProgress Progress;
    bool BurnOnly = false;                  // the hidden "Burn Only" entry
    unsigned SendInterval = 20;             // ms between records; doubles after a failed transfer

    void Execute(); // UpdateActnExecute

    // The burn after a transfer: true when every listed module reported success, each counted
    // once by its first report.
    bool Burn(std::size_t& Successes, std::size_t& Failures);

private:
    bool Transfer(const TUpdateFile& File, int DeviceKind);
    void CleanUp();

    MaintenanceFrame& F;
    std::map<std::uint16_t, bool> Reported;
};

} // namespace kvr::service
