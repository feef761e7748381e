#pragma once
// The logic watch without widgets: the watches of one running device, their states as the device
// reports them, the protocol lines of every change, the samples of the graph and the device's
// watch-list file.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kvrdata/deviceaddr.h"
#include "kvrdata/kvrstruct.h"

class TKVRCommunicationClient;

namespace kvr::model {
class TProject;
}

namespace kvr::service {

// One watched logic source.
class TWatch {
public:
    std::vector<bool> History; // samples of the graph, oldest first
    int HistoryLength = 0;
    std::int32_t LogicID = 0;
    std::int32_t State = 0;           // 0 off, anything else on
    std::int32_t SecondaryIndex = -1; // global resource of a subscriber ID, else -1

    // Appends a sample and drops the oldest while Limit or more remain (Limit below 1 counts as
    // 1, so the loop always ends): at most Limit - 1 samples stay.
    void AppendHistory(bool Bit, unsigned Limit);
    void ClearHistory();
    bool GetHistoryBit(int Index) const;
};

// Whether a logic source's state can be followed: the 17 categories a device reports.
bool IsMonitorableLogic(std::int32_t LogicID);

inline constexpr std::uint32_t WatchStateRequestID = 0x110E0000;

struct TWatchServices {
    std::function<model::TProject*()> Project;          // the open project, asked each time
    std::function<std::string()> ProjectFileName;       // "" while the project has no file
    std::function<void(const std::string& Text)> ShowMessage;
    std::string Folder;                                  // of the watch-list files; "" = current
};

struct TWatchRow {
    std::string Name;
    std::string State = "0";
    std::int32_t LogicID = 0;
};

class WatchController {
public:
    WatchController(TKVRCommunicationClient& Client, TWatchServices Services);

    // After the connection dialog's OK: opens the connection, asks the device who it is, and
    // builds the list from the device's file.
    void Open(const Kvrdata_ns::TDeviceAddr& Addr);
    // The device's identity texts and numbers as the device reported them.
    void SetDevice(const std::string& ProjectIDText, const std::string& Name, unsigned DeviceID,
                   unsigned DeviceProjectID);
    void Reconnect();
    void CloseConnection();

    const std::string& DeviceName() const { return FDeviceName; }
    std::string Caption() const { return "Watching device " + FDeviceName; }
    // The log's file name; the device name is made safe for a file name first.
    std::string LogFileName() const;
    const Kvrdata_ns::TDeviceAddr& Address() const { return FAddress; }
    unsigned DeviceID() const { return FDeviceID; }

    const std::vector<TWatch>& Watches() const { return FWatches; }
    const std::vector<TWatchRow>& Rows() const { return FRows; }
    int Selected() const { return FSelected; }
    void Select(int Row) { FSelected = Row >= 0 && Row < static_cast<int>(FRows.size()) ? Row : -1; }

    void RefreshWatchList();
    void RequestStates();
    std::string GetWatchName(std::int32_t LogicID, unsigned DeviceID) const;
    // False with a message when the ID can't be watched or is watched already.
    bool AddWatch(std::int32_t LogicID, std::int32_t SecondaryIndex);
    // False when no row is selected.
    bool RemoveSelected();
    bool SaveWatchList() const;
    bool LoadWatchList();
    std::string WatchListPath() const;

    // A received control block; true when a state changed.
    bool BlockReceived(const Kvrdata_ns::KVRCANBlock& Block);
    bool UpdateStates(const Kvrdata_ns::KVRCANBlock& Block);
    // Reads every UDP message the client holds; the project's global logic states go through
    // BlockReceived. True when a watch's state changed.
    bool DrainUDP();

    // Graph sampling: the limit is the graph's width divided by 3, at least 1.
    bool ScrollPerEvent = true;
    int GraphWidth = 0;
    unsigned HistoryLimit() const;
    void Sample();
    void ClearHistories();

    std::function<void(const std::string& Line)> OnLogLine; // a change of state
    std::function<void()> OnGraphChanged;                   // samples were taken by an event

private:
    model::TProject* Project() const { return FServices.Project ? FServices.Project() : nullptr; }
    bool TakeState(std::size_t Index, std::int32_t NewState);

    TKVRCommunicationClient& FClient;
    TWatchServices FServices;
    std::vector<TWatch> FWatches;
    std::vector<TWatchRow> FRows;
    int FSelected = -1;
    std::string FDeviceName; // empty until a device was chosen
    unsigned FDeviceID = 0;
    unsigned FDeviceProjectID = 0;
    Kvrdata_ns::TDeviceAddr FAddress;
};

} // namespace kvr::service
