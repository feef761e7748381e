#pragma once
// The global logic monitor's logic: 200 lamps with the states the devices report, a memory of
// the last state and sender of each global logic, a running log, and the set-global-logic
// message a left click sends. The window draws the lamps and the log from here.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kvrdata/kvrstruct.h"

namespace kvr::model {
class TProject;
}

namespace kvr::app {

inline constexpr int GLLampCount = 200;
inline constexpr std::uint32_t GlobalLogicCANBlockID = 0x01F30000;
inline constexpr std::size_t GLLogMaxLines = 100;
inline constexpr std::size_t GLLogKeptLines = 40;

// The lamp's colour is its state: the handlers decide by it.
enum class GLLampColor { Grey, Red, Green, Black };

struct GLLamp {
    GLLampColor Color = GLLampColor::Grey;
    bool YellowBorder = false; // set from two senders, kept until the memory is reset
    std::string Hint;
};

struct GLMemoryEntry {
    std::uint32_t Sender = 0xFFFFFFFF; // none yet
    std::uint8_t State = 255;          // none yet
};

enum class GLMouseButton { Left, Right, Middle };

class GlobalLogicMonitor {
public:
    // Clock gives the current local date and time as the log shows it.
    explicit GlobalLogicMonitor(std::function<std::string()> Clock) : FClock(std::move(Clock)) {}

    // Set each time the window is opened from the menu. Without a send function nothing is sent.
    void SetProject(model::TProject* Project) { FProject = Project; }
    void SetSend(std::function<void(Kvrdata_ns::TUDPMsg&)> Send) { FSend = std::move(Send); }
    model::TProject* Project() const { return FProject; }

    // FormShow: the lamps come into being, then the memory is reset. FormClose: they go.
    void Open();
    void Close();
    bool IsOpen() const { return !FLamps.empty(); }

    // "Reset memory": states and senders forgotten, the log emptied; black lamps stay black.
    void Reset();
    void ShowGlobalLogicState(int Index, int State, std::uint32_t Sender);
    // The two receive paths; Visible tells whether the window is shown. True when taken.
    bool BroadcastReceived(const Kvrdata_ns::TUDPMsg& Msg, bool Visible);
    bool CANBlockReceived(const Kvrdata_ns::KVRCANBlock& Block, std::uint32_t HostIP, bool Visible);
    void LampMouseDown(int Index, GLMouseButton Button);

    const std::vector<GLLamp>& Lamps() const { return FLamps; }
    const std::array<GLMemoryEntry, GLLampCount>& Memory() const { return FMemory; }
    const std::vector<std::string>& Log() const { return FLog; }
    // Counts every change of the log, so a view redraws only when it moved on.
    std::uint64_t LogVersion() const { return FLogVersion; }

private:
    void AddLine(std::string Line);

    std::function<std::string()> FClock;
    std::function<void(Kvrdata_ns::TUDPMsg&)> FSend;
    model::TProject* FProject = nullptr;
    std::vector<GLLamp> FLamps;
    std::array<GLMemoryEntry, GLLampCount> FMemory{};
    std::vector<std::string> FLog;
    std::uint64_t FLogVersion = 0;
};

// The set-global-logic message for the project's ID (its four letters, first letter in the top
// byte), a global logic index and a state.
Kvrdata_ns::TUDPMsg MakeSetGlobalLogicMessage(std::uint32_t ProjectID, int Index, int State);

} // namespace kvr::app
