#pragma once
// Which devices of the open project are live: status broadcasts drained from the main window's
// client set a device online, each online-timer tick counts it down, and the same tick runs the
// timed autosave. Plain logic; the main window's timers call it.

#include <string>

#include "kvrdata/kvrstruct.h"
#include "model/project.h"

namespace kvr::app {

// The record the project takes from one device status broadcast; false for other kinds.
bool DeviceStatusRecord(const Kvrdata_ns::TUDPMsg& Msg, model::TDeviceOnlineRecord& Record);

// HandleDeviceStatusBroadcast: hands a status broadcast to the project. Returns the project's
// count of changed online marks (0 when nothing was handed on).
int HandleDeviceStatusBroadcast(model::TProject* Project, bool Terminating, const Kvrdata_ns::TUDPMsg& Msg);

struct AutoSaveSettings {
    bool On = false;
    int IntervalMinutes = 0; // 0-255
};

struct OnlineTickResult {
    bool Ran = false;         // false: no project, or a long operation runs
    bool RebuildTree = false; // a device went offline
    bool Save = false;        // save the project now (with its backup rotation)
};

// One OnlineTimerTimer tick. AutoSaveSeconds is the main window's counter; every save of the
// project sets it to 0 again.
OnlineTickResult OnlineTick(model::TProject* Project, bool Processing, const std::string& FileName,
                            const AutoSaveSettings& Settings, int& AutoSaveSeconds);

} // namespace kvr::app
