#include "service/summary/projectsummary.h"

#include <algorithm>

#include "diagnostics/kvrinfoformat.h"
#include "diagnostics/waitcursor.h"
#include "model/device.h"
#include "model/project.h"
#include "platform/currentprompter.h"
#include "platform/prompter.h"

namespace kvr::service {

namespace {

constexpr unsigned TraceLevelSummary = 2048;
constexpr std::uint32_t IdScan = 0x0600FFFF;
constexpr std::uint32_t ScanMask = 0x06000000;
constexpr std::uint32_t ClassCardPage = 0x01100000;

} // namespace

ProjectSummary::ProjectSummary(std::unique_ptr<TKVRCommunicationClient> Client, const model::TProject& Project,
                               TSummaryServices Services)
    : FClient(std::move(Client)), FProject(Project), S(std::move(Services))
{
    // A wait for the connection ends as soon as the status changes.
    FClient->OnStatusChanged = [this](QObject*) { FWait.Wake(); };
}

ProjectSummary::~ProjectSummary() { FClient->OnStatusChanged = nullptr; }

platform::Prompter& ProjectSummary::Ask() { return S.Ask ? *S.Ask : platform::prompter(); }

std::string ProjectSummary::ProjectName() const { return FProject.GetName(); }

void ProjectSummary::Show()
{
    const auto pid = static_cast<std::uint32_t>(FProject.GetProjectID());
    FPID.clear();
    for (int shift = 24; shift >= 0; shift -= 8)
        FPID += static_cast<char>((pid >> shift) & 0xFF);
    CreateList();
    FProjectText = FProject.GetName() + " (" + FPID + ")";
}

void ProjectSummary::CreateList()
{
    FEntries.clear();
    const auto pid = static_cast<unsigned>(FProject.GetProjectID());
    for (int i = 0; i < FProject.DeviceCount(); ++i) {
        const model::TDevice* device = FProject.Device(i);
        if (!device)
            continue;
        TDeviceDesc d;
        const auto header = device->GetHeader();
        std::copy_n(header.begin(), std::min(header.size(), d.Header.size()), d.Header.begin());
        d.Addr.PID = pid;
        d.Addr.DID = static_cast<unsigned>(d.Header[78]) << 24 | static_cast<unsigned>(d.Header[79]) << 16 |
                     static_cast<unsigned>(d.Header[80]) << 8 | d.Header[81];
        FEntries.push_back(std::move(d));
    }
    InfoFormatter->Trace(TraceLevelSummary, "Devices found in project: %d", static_cast<int>(FEntries.size()));
}

std::vector<TSummaryRow> ProjectSummary::ShowList()
{
    InfoFormatter->Trace(TraceLevelSummary, "Number of devices for project summary: %d", static_cast<int>(FEntries.size()));
    std::vector<TSummaryRow> rows;
    for (TDeviceDesc& d : FEntries) {
        d.Online = FClient->GetDA(d.Addr.PID, d.Addr.DID, 1, d.Addr) ? 1 : 0;
        rows.push_back(SummaryRow(d));
    }
    return rows;
}

TSerialEdits ProjectSummary::Select(int Row) const
{
    TSerialEdits e;
    if (Row < 0 || Row >= static_cast<int>(FEntries.size()))
        return e;
    const TDeviceDesc& d = FEntries[static_cast<std::size_t>(Row)];
    if (!d.IsFrame())
        return e;
    e.FrameEnabled = true;
    e.FrameText = d.FrameSN;
    e.PowerEnabled = d.HasPowerFrame();
    e.PowerText = e.PowerEnabled ? d.PowerSN : "not used";
    return e;
}

void ProjectSummary::FrameSNChanged(int Row, const std::string& Text)
{
    if (Select(Row).FrameEnabled)
        FEntries[static_cast<std::size_t>(Row)].FrameSN = Text;
}

void ProjectSummary::PowerSNChanged(int Row, const std::string& Text)
{
    if (Select(Row).PowerEnabled)
        FEntries[static_cast<std::size_t>(Row)].PowerSN = Text;
}

void ProjectSummary::SetProgress(int Value)
{
    Progress = Value;
    if (Changed)
        Changed();
}

void ProjectSummary::SetProgressText(std::string Text)
{
    ProgressText = std::move(Text);
    if (Changed)
        Changed();
}

void ProjectSummary::Wait(const std::function<bool()>& Done, unsigned Ms)
{
    if (S.Wait)
        S.Wait(Done, Ms);
    else
        FWait.Until(Done, Ms);
}

void ProjectSummary::Stop()
{
    if (!FRunning)
        return;
    FStop = true;
    FWait.Wake();
}

bool ProjectSummary::Generate(const std::string& Order, const std::string& Customer)
{
    if (FRunning)
        return false;
    if (std::any_of(FEntries.begin(), FEntries.end(), [](const TDeviceDesc& d) { return !d.Online; }) &&
        Ask().messageBox("Not all devices are available.\nDo you want to ignore devices that are not present?", "",
                         platform::Buttons::YesCancel, platform::Icon::Exclamation) != platform::Answer::Yes)
        return false;

    FRunning = true;
    FStop = false;
    TWaitCursor hourglass;
    ProgressMax = static_cast<int>(SummaryModulesMax * FEntries.size());
    SetProgress(0);
    const std::size_t count = FEntries.size();
    for (std::size_t k = 0; k < count && k < FEntries.size() && !FStop; ++k) {
        SetProgressText("Device " + std::to_string(k + 1) + " of " + std::to_string(count) + ": " + FEntries[k].Name());
        // The entry may change meanwhile (the rows are refreshed while the scan waits): the scan
        // works on a copy and only its results go back.
        TDeviceDesc copy = FEntries[k];
        if (ScanDevice(copy) && k < FEntries.size()) {
            FEntries[k].ModuleCount = copy.ModuleCount;
            FEntries[k].Modules = copy.Modules;
            FEntries[k].CardPages = copy.CardPages;
        }
        if (!FStop)
            SetProgress(static_cast<int>(SummaryModulesMax * (k + 1)));
    }
    LastRun = SummaryText({FProjectText, Order, Customer}, FEntries);
    Output.insert(Output.end(), LastRun.begin(), LastRun.end());
    const bool stopped = FStop;
    FRunning = false;
    FStop = false;
    if (stopped) {
        SetProgressText("Stopped.");
        return true;
    }
    SetProgress(ProgressMax);
    SetProgressText({});
    Ask().messageBox("Done.", "", platform::Buttons::Ok, platform::Icon::Information);
    return true;
}

bool ProjectSummary::ScanDevice(TDeviceDesc& Entry)
{
    const int base = Progress;
    TDeviceAddr addr = Entry.Addr;
    FClient->OpenConnection(addr);
    Wait([this] { return FClient->GetStatus() == dcsConnected || FStop; }, ConnectWaitMs);
    if (FClient->GetStatus() != dcsConnected || FStop) {
        FClient->CloseConnection();
        return false; // the entry keeps what an earlier run found
    }
    Entry.ClearScan();

    KVRCANBlock scan;
    scan.ID = IdScan;
    scan.Len = 0;
    FClient->SendBlock(scan);
    const std::uint64_t sent = S.Now();
    KVRCANBlock pattern = scan;
    while (FClient->ReadBlockFiltered(pattern, ScanMask, 0, 0, -1)) {
        if (S.Now() - sent >= SummaryWaitMs)
            break; // too late: not kept
        if (Entry.ModuleCount < static_cast<std::int32_t>(SummaryModulesMax)) {
            TScannedModule& m = Entry.Modules[static_cast<std::size_t>(Entry.ModuleCount++)];
            m.Address = static_cast<std::int32_t>(pattern.ID & 0xFFFF);
            m.Position = pattern.Data[1];
            m.Version = {pattern.Data[4], pattern.Data[5], pattern.Data[6], pattern.Data[7]};
            m.Kind = pattern.Data[0];
        }
    }
    SortModules(Entry);
    for (std::size_t i = 0; i < static_cast<std::size_t>(Entry.ModuleCount) && !FStop; ++i) {
        ReadCards(Entry, i);
        SetProgress(base + static_cast<int>(i));
    }
    FClient->CloseConnection();
    return true;
}

void ProjectSummary::ReadCards(TDeviceDesc& Entry, std::size_t Index)
{
    const TScannedModule& m = Entry.Modules[Index];
    if (m.Kind != 4 || m.Position < 0 || m.Position >= static_cast<std::int32_t>(SummaryCarriersMax))
        return;
    auto& page = Entry.CardPages[static_cast<std::size_t>(m.Position)];
    for (std::size_t slot = 0; slot < SummarySlots; ++slot) {
        // A slot without a card costs the client's retries: the user may stop in between.
        if (S.ProcessMessages)
            S.ProcessMessages();
        if (FStop)
            return;
        page[slot] = {};
        KVRCANBlock request;
        request.ID = static_cast<std::uint32_t>(m.Address) | ClassCardPage;
        request.Len = 2;
        request.Data[0] = static_cast<std::uint8_t>(16 * slot);
        request.Data[1] = 0;
        KVRCANBlock answer;
        answer.ID = request.ID;
        if (!FClient->RequestBlockFiltered(request, answer, request.ID, 0, 0, -1))
            continue;
        TScannedCard& c = page[slot];
        c.CardType = answer.Data[0];
        c.Revision = answer.Data[1];
        c.FA = answer.Data[2] << 8 | answer.Data[3];
        if (answer.Data[0] != 0xFF)
            c.SerialNumber = static_cast<std::int32_t>(static_cast<std::uint32_t>(answer.Data[4]) << 24 |
                                                       static_cast<std::uint32_t>(answer.Data[5]) << 16 |
                                                       static_cast<std::uint32_t>(answer.Data[6]) << 8 | answer.Data[7]);
    }
}

} // namespace kvr::service
