#include "service/watch/watchcontroller.h"

#include <QFile>

#include <algorithm>
#include <array>

#include "client/kvrcommunicationclient.h"
#include "kvrdata/byteorder.h"
#include "model/atomicfile.h"
#include "model/globalresources.h"
#include "model/project.h"
#include "model/sourceids.h"
#include "model/sourcenames.h"
#include "service/watch/watchlistfile.h"

namespace kvr::service {

using Kvrdata_ns::KVRCANBlock;

void TWatch::AppendHistory(bool Bit, unsigned Limit)
{
    Limit = std::max(Limit, 1u);
    History.push_back(Bit);
    // One erase instead of one per dropped sample.
    if (History.size() >= Limit)
        History.erase(History.begin(), History.begin() + static_cast<std::ptrdiff_t>(History.size() - Limit + 1));
    HistoryLength = static_cast<int>(History.size());
}

void TWatch::ClearHistory()
{
    History.clear();
    HistoryLength = 0;
}

bool TWatch::GetHistoryBit(int Index) const
{
    return Index >= 0 && Index < HistoryLength && History[static_cast<std::size_t>(Index)];
}

bool IsMonitorableLogic(std::int32_t LogicID)
{
    using namespace model;
    static constexpr std::array<int, 17> Categories = {lsKey,
                                                       lsGPI,
                                                       lsFaderStartChannel,
                                                       lsFaderFunctionChannel,
                                                       lsLogicFunction,
                                                       lsGlobalLogic,
                                                       lsSystem,
                                                       lsCorrelationDetect,
                                                       lsLogicDelay,
                                                       lsLevelDetect,
                                                       lsRotarySelect,
                                                       lsFaderStartFader,
                                                       lsTalkbackTS,
                                                       lsTalkbackTD,
                                                       lsGlobalResource,
                                                       lsFaderFunction2Channel,
                                                       lsFaderFunctionFader};
    const auto id = static_cast<std::uint32_t>(LogicID);
    return std::any_of(Categories.begin(), Categories.end(), [id](int c) {
        return static_cast<std::uint32_t>(LogicSourceRanges[static_cast<std::size_t>(c)]) <= id &&
               id < static_cast<std::uint32_t>(LogicSourceRanges[static_cast<std::size_t>(c) + 1]);
    });
}

WatchController::WatchController(TKVRCommunicationClient& Client, TWatchServices Services)
    : FClient(Client), FServices(std::move(Services))
{
    // The window drains the UDP messages itself (DrainUDP); the client's own poll would take
    // them first and drop the global logic states.
    FClient.PeriodicReadBroadcasts = false;
}

void WatchController::Open(const Kvrdata_ns::TDeviceAddr& Addr)
{
    FAddress = Addr;
    FClient.OpenConnection(FAddress);
    std::string pidText, name;
    unsigned pid = 0, did = 0;
    FClient.GetDeviceInfos(pidText, name, pid, did);
    SetDevice(pidText, name, did, pid);
    RefreshWatchList();
}

void WatchController::SetDevice(const std::string& ProjectIDText, const std::string& Name, unsigned DeviceID,
                                unsigned DeviceProjectID)
{
    const auto trimmed = [](std::string s) {
        s.erase(s.find_last_not_of(" \t\r\n") + 1);
        s.erase(0, s.find_first_not_of(" \t\r\n"));
        return s;
    };
    const std::string pid = trimmed(ProjectIDText.substr(0, 4));
    FDeviceName = pid.empty() && Name.empty() ? "default" : pid + "-" + Name;
    FDeviceID = DeviceID;
    FDeviceProjectID = DeviceProjectID;
}

void WatchController::Reconnect()
{
    FClient.CloseConnection();
    FClient.OpenConnection(FAddress);
}

void WatchController::CloseConnection() { FClient.CloseConnection(); }

std::string WatchController::LogFileName() const
{
    return "Watch-" + WatchListFile::SafeName(FDeviceName);
}

std::string WatchController::WatchListPath() const
{
    const std::string name = WatchListFile::FileName(FDeviceName);
    return FServices.Folder.empty() ? name : FServices.Folder + "/" + name;
}

std::string WatchController::GetWatchName(std::int32_t LogicID, unsigned DeviceID) const
{
    const model::TProject* project = Project();
    if (project == nullptr)
        return "unknown";
    const std::string prefix =
        static_cast<std::uint32_t>(project->GetProjectID()) != FDeviceProjectID ? "(wrong project) " : "";
    const int index = project->IndexOfDevice(DeviceID);
    if (index < 0)
        return prefix + "unknown";
    return prefix + model::GetLogicSourceName(*project, LogicID, index);
}

void WatchController::RefreshWatchList()
{
    int selected = std::max(FSelected, 0);
    LoadWatchList();
    FRows.clear();
    FRows.reserve(FWatches.size());
    for (const TWatch& w : FWatches)
        FRows.push_back({GetWatchName(w.LogicID, FDeviceID), "0", w.LogicID});
    while (selected >= static_cast<int>(FRows.size()))
        --selected;
    FSelected = selected;
    RequestStates();
}

void WatchController::RequestStates()
{
    KVRCANBlock block;
    block.ID = WatchStateRequestID;
    block.Len = 2;
    for (const TWatch& w : FWatches) {
        block.Data[0] = static_cast<std::uint8_t>(w.LogicID >> 8);
        block.Data[1] = static_cast<std::uint8_t>(w.LogicID);
        FClient.SendBlock(block);
    }
}

bool WatchController::AddWatch(std::int32_t LogicID, std::int32_t SecondaryIndex)
{
    const auto show = [this](const char* text) {
        if (FServices.ShowMessage)
            FServices.ShowMessage(text);
        return false;
    };
    if (!IsMonitorableLogic(LogicID))
        return show("This logic can not be monitored");
    if (std::any_of(FWatches.begin(), FWatches.end(), [LogicID](const TWatch& w) { return w.LogicID == LogicID; }))
        return show("This logic is already monitored!");
    TWatch w;
    w.LogicID = LogicID;
    w.SecondaryIndex = SecondaryIndex;
    FWatches.push_back(std::move(w));
    SaveWatchList();
    RefreshWatchList();
    ClearHistories();
    return true;
}

bool WatchController::RemoveSelected()
{
    if (FSelected < 0 || FSelected >= static_cast<int>(FWatches.size()))
        return false;
    FWatches.erase(FWatches.begin() + FSelected);
    SaveWatchList();
    RefreshWatchList();
    ClearHistories();
    return true;
}

bool WatchController::SaveWatchList() const
{
    if (FDeviceName.empty() || !FServices.ProjectFileName || FServices.ProjectFileName().empty())
        return false;
    std::vector<WatchRecord> records;
    records.reserve(FWatches.size());
    for (const TWatch& w : FWatches)
        records.push_back({w.LogicID, w.State, w.SecondaryIndex});
    const std::vector<std::uint8_t> bytes = WatchListFile::Encode(records);
    model::AtomicFileWriter writer(WatchListPath());
    return writer.Open() && writer.Write(bytes) && writer.Commit();
}

bool WatchController::LoadWatchList()
{
    if (FDeviceName.empty())
        return false;
    QFile file(QString::fromStdString(WatchListPath()));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A watch-list file is a few hundred bytes; anything far larger is not one.
    constexpr qint64 MaxFileSize = 1 << 20;
    if (file.size() > MaxFileSize)
        return false;
    const QByteArray data = file.readAll();
    const auto records = WatchListFile::Decode(std::vector<std::uint8_t>(data.begin(), data.end()));
    if (!records)
        return false;
    FWatches.clear();
    for (const WatchRecord& r : *records) {
        TWatch w;
        w.LogicID = r.LogicID;
        w.SecondaryIndex = r.SecondaryIndex;
        FWatches.push_back(std::move(w));
    }
    return true;
}

bool WatchController::BlockReceived(const KVRCANBlock& Block)
{
    switch (Block.ID >> 16) {
    case 0x110E:
    case 0x1150:
    case 0x01F3:
    case 0x1190: return UpdateStates(Block);
    default: return false;
    }
}

bool WatchController::TakeState(std::size_t Index, std::int32_t NewState)
{
    TWatch& w = FWatches[Index];
    if (w.State == NewState)
        return false;
    w.State = NewState;
    if (Index < FRows.size()) {
        FRows[Index].State = NewState != 0 ? "1" : "0";
        if (OnLogLine)
            OnLogLine(FRows[Index].Name + " -> " + FRows[Index].State);
    }
    return true;
}

bool WatchController::UpdateStates(const KVRCANBlock& Block)
{
    bool changed = false;
    if (Block.ID >> 16 == 0x1190) {
        // The owner of a global resource: every subscriber watch of it follows.
        const std::uint32_t owner = kvr::readBE32(Block.Data, 0);
        const int resource = Block.Data[4];
        model::TGlobalResource record;
        const model::TProject* project = Project();
        if (project == nullptr || model::GetGlobalResource(*project, resource, record) == 0)
            return false;
        std::int32_t subscriberLogic = 0;
        for (std::size_t i = 0; i < std::min<std::size_t>(record.Count, record.Subscribers.size()); ++i)
            if (record.Subscribers[i].DeviceID == owner)
                subscriberLogic = record.Subscribers[i].LogicID;
        for (std::size_t i = 0; i < FWatches.size(); ++i)
            if (FWatches[i].SecondaryIndex == resource)
                changed |= TakeState(i, FWatches[i].LogicID == subscriberLogic && owner != 0 ? 1 : 0);
    } else {
        std::int32_t id = Block.Data[0] * 256 + Block.Data[1];
        // The global logic blocks carry the global logic's number.
        if (Block.ID == 0x11500000 || Block.ID == 0x01F3FFFF)
            id += model::LogicSourceRanges[model::lsGlobalLogic];
        const auto it =
            std::find_if(FWatches.begin(), FWatches.end(), [id](const TWatch& w) { return w.LogicID == id; });
        if (it != FWatches.end())
            changed = TakeState(static_cast<std::size_t>(it - FWatches.begin()), Block.Data[2]);
    }
    if (changed && ScrollPerEvent) {
        Sample();
        if (OnGraphChanged)
            OnGraphChanged();
    }
    return changed;
}

bool WatchController::DrainUDP()
{
    bool changed = false;
    Kvrdata_ns::TUDPMsg msg;
    while (FClient.ReadUDPBlock(msg)) {
        Kvrdata_ns::TUDPGlobalLogic logic;
        const model::TProject* project = Project();
        if (project == nullptr || !Kvrdata_ns::DecodeGlobalLogic(msg, logic) ||
            logic.ProjectID != static_cast<std::uint32_t>(project->GetProjectID()) ||
            logic.ID != Kvrdata_ns::GlobalLogicBlockID)
            continue;
        KVRCANBlock block = Kvrdata_ns::GetEmbeddedCANBlock(msg);
        block.ID = Kvrdata_ns::GlobalLogicBlockID;
        changed |= BlockReceived(block);
    }
    return changed;
}

unsigned WatchController::HistoryLimit() const { return static_cast<unsigned>(std::max(GraphWidth / 3, 1)); }

void WatchController::Sample()
{
    const unsigned limit = HistoryLimit();
    for (TWatch& w : FWatches)
        w.AppendHistory(w.State != 0, limit);
}

void WatchController::ClearHistories()
{
    for (TWatch& w : FWatches)
        w.ClearHistory();
}

} // namespace kvr::service
