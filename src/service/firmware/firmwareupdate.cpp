#include "service/firmware/firmwareupdate.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "client/highrestimer.h"
#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/waitcursor.h"
#include "kvrdata/byteorder.h"
#include "service/maintenance/maintenanceframe.h"
#include "service/maintenance/mtnmessages.h"

namespace kvr::service {

namespace {
constexpr unsigned BurnFirstWaitMs = 60000;
constexpr unsigned BurnNextWaitMs = 20000;
constexpr unsigned BurnSettleMs = 1000;
constexpr unsigned DevicePauseMs = 20;
constexpr unsigned RestartPauseMs = 80;

void ClearFilter(TKVRCommunicationClient& C)
{
    C.SetFilterMask(0);
    C.SetFilter(0);
}
} // namespace

FirmwareUpdate::FirmwareUpdate(MaintenanceFrame& Frame) : F(Frame)
{
    ReadFile = [](const std::string& Path) -> std::optional<std::vector<std::uint8_t>> {
        std::ifstream in(Path, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad())
            return std::nullopt;
        return bytes;
    };
}

void FirmwareUpdate::Execute()
{
    TKVRFI fi("TMaintenanceFrame::UpdateActnExecute");
    TModuleNode* node = F.Focused();
    if (!node) {
        InfoFormatter->ShowMessage(mmSelectDevice, "");
        return;
    }
    MaintenanceFrame::BusyScope busy(F);
    if (!busy.Taken)
        return;
    TModuleNode* deviceNode = node->DeviceNode();
    F.SetFocus(deviceNode);
    const TDeviceInfo_cza* device = deviceNode->Rec.Device;
    const std::optional<std::string> path = ChooseFile ? ChooseFile() : std::nullopt;
    if (!path || !device)
        return;
    TKVRCommunicationClient& c = F.KVRCC();
    if (!F.Connected()) {
        InfoFormatter->ShowMessage(mmUpdateNoConnection, "");
        ClearFilter(c);
        return;
    }
    const auto entries = device->Status.Entries;

    std::vector<std::uint32_t> versions;
    for (const auto& e : entries) {
        KVRCANBlock request;
        request.ID = 0x06000000u | e.Value;
        KVRCANBlock reply = request;
        // A module that does not answer keeps the version of the one before it.
        if (F.RequestLoggedBlock(request, reply, request.ID, 0, 0))
            versions.push_back(kvr::readBE32(std::span<const std::uint8_t>(reply.Data.data(), 8), 4));
        else
            versions.push_back(versions.empty() ? 0 : versions.back());
    }
    const std::string versionText = ModuleVersionText(versions);
    const int deviceKind = entries.empty() ? ukUnknown : DeviceKindOfModuleType(entries.front().B1);

    TUpdateFile file;
    if (deviceKind == ukUnknown) {
        if (InfoFormatter->ShowMessage(mmChecksumSkipped, "OA") == mrAbort) {
            InfoFormatter->ShowMessage(mmUpdateCanceled, "");
            return;
        }
    } else {
        const auto bytes = ReadFile ? ReadFile(*path) : std::nullopt;
        auto parsed = bytes ? ParseUpdateFile(*bytes) : std::nullopt;
        if (!parsed) {
            InfoFormatter->ShowMessage(mmCorruptFile, "", path->c_str());
            return;
        }
        file = std::move(*parsed);
    }

    std::string question = UpdateInfoText(deviceKind, versionText, file.Kind, file.Version);
    if (deviceKind == file.Kind) {
        question += "Do you want to update the device " + device->Status.Name.substr(0, 10) + " with file " + *path + "?";
        if (InfoFormatter->ShowMessage(mmText, "YN", question.c_str()) != mrYes)
            return;
    } else {
        question += "Current device and selected update file are not compatible!";
        InfoFormatter->ShowMessage(mmText, "C", question.c_str());
        return;
    }

    // The records go out as the file holds them now.
    const auto bytes = ReadFile ? ReadFile(*path) : std::nullopt;
    if (!bytes) {
        InfoFormatter->ShowMessage(mmFileNotOpened, "");
        ClearFilter(c);
        return;
    }
    if (deviceKind == ukUnknown) {
        // Unchecked: every record as it stands.
        for (std::size_t at = 0; at + UpdateRecordSize <= bytes->size(); at += UpdateRecordSize) {
            KVRCANBlock cb;
            cb.ID = kvr::readLE32(*bytes, at) | UpdateBlockClass;
            cb.Len = (*bytes)[at + 4];
            std::copy_n(bytes->begin() + static_cast<std::ptrdiff_t>(at + 5), 8, cb.Data.begin());
            file.Blocks.push_back(cb);
        }
    }

    TWaitCursor cursor;
    if (EnableTree)
        EnableTree(false);
    MaintenanceFrame::RefreshHold hold(F);
    if (Progress.Show)
        Progress.Show(static_cast<int>(bytes->size() / UpdateRecordSize));
    ClearFilter(c);
    const unsigned savedTicksSend = c.TicksSend;
    c.TicksSend = SendInterval;
    const bool sent = Transfer(file, deviceKind);
    c.TicksSend = savedTicksSend;
    if (sent) {
        std::size_t ok = 0, failed = 0;
        if (Burn(ok, failed)) {
            if (InfoFormatter->ShowMessage(mmRestartSystem, "YN") == mrYes) {
                for (unsigned attempt = 0; attempt < c.Retries; ++attempt) {
                    KVRCANBlock reset;
                    reset.ID = 0x0103FFFF;
                    const bool done = F.SendLoggedBlock(reset);
                    F.Wait(RestartPauseMs);
                    if (done) {
                        // The device restarts: its connection is over until a click or a
                        // focus change opens it again.
                        F.CloseAfterRestart();
                        break;
                    }
                }
            }
        } else {
            InfoFormatter->ShowMessage(mmModuleUpdateFailed, "");
        }
    }
    CleanUp();
}

bool FirmwareUpdate::Transfer(const TUpdateFile& File, int DeviceKind)
{
    for (std::size_t r = 0; r < File.Blocks.size() && !BurnOnly; ++r) {
        F.Wait(0);
        if (Progress.Position)
            Progress.Position(static_cast<int>(r + 1));
        KVRCANBlock request = File.Blocks[r];
        KVRCANBlock ack;
        ack.ID = request.ID;
        if (!F.RequestLoggedBlock(request, ack, 0xFFFFFFFF, 0xFF, 0)) {
            InfoFormatter->ShowMessage(mmUpdateIncomplete, "");
            SendInterval *= 2;
            return false;
        }
        if (Progress.CancelRequested && Progress.CancelRequested()) {
            if (InfoFormatter->ShowMessage(mmCancelUpdate, "YN") == mrYes)
                return false;
            if (Progress.ClearCancel)
                Progress.ClearCancel();
        }
        if (DeviceKind == ukDevice)
            F.Wait(DevicePauseMs);
    }
    return true;
}

bool FirmwareUpdate::Burn(std::size_t& Successes, std::size_t& Failures)
{
    TKVRCommunicationClient& c = F.KVRCC();
    Reported.clear();
    Successes = Failures = 0;
    TModuleNode* node = F.Focused();
    const TDeviceInfo_cza* device = node ? node->DeviceNode()->Rec.Device : nullptr;
    const auto entries = device ? device->Status.Entries : std::vector<Kvrdata_ns::TUDPStatusEntry>{};
    F.Log().MemoLog("Update data transmitted.", c.GetConnectionType(), ldSent, F.CurrentDevice());
    c.SetFilterMask(0xFFFF0000);
    c.SetFilter(BurnReportClass);
    F.Wait(BurnSettleMs);
    F.Log().MemoLog("Burning flash.", c.GetConnectionType(), ldSent, F.CurrentDevice());
    {
        TDisableTimerTempl<THighResTimer> noPoll(c.GetTimer());
        KVRCANBlock burn;
        burn.ID = BurnCommandID;
        F.SendLoggedBlock(burn);
        const unsigned savedTicksRead = c.TicksRead;
        c.TicksRead = BurnFirstWaitMs;
        while (Successes + Failures < entries.size()) {
            KVRCANBlock report;
            report.ID = BurnReportClass;
            if (!c.ReadBlockFiltered(report, 0xFFFF0000, 0, 0, -1))
                break;
            c.TicksRead = BurnNextWaitMs;
            F.Wait(0);
            const std::uint16_t module = report.ID & 0xFFFF;
            // Only the device's own modules count, each by its first report.
            const bool listed = std::any_of(entries.begin(), entries.end(), [module](const auto& e) { return e.Value == module; });
            if (!listed || Reported.count(module))
                continue;
            const std::uint16_t code = static_cast<std::uint16_t>(report.Data[0] << 8 | report.Data[1]);
            if (code == BurnSucceeded)
                ++Successes;
            else if (code == BurnFailed)
                ++Failures;
            else
                continue;
            Reported[module] = true;
        }
        c.TicksRead = savedTicksRead;
    }
    return Failures == 0 && Successes == entries.size() && !entries.empty();
}

void FirmwareUpdate::CleanUp()
{
    if (Progress.Hide)
        Progress.Hide();
    ClearFilter(F.KVRCC());
    if (EnableTree)
        EnableTree(true);
    F.NotifyChanged();
}

} // namespace kvr::service
