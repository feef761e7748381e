#include "service/factorytest/factorytestrun.h"

#include <algorithm>
#include <cstdio>

#include "diagnostics/kvrinfoformat.h"
#include "service/maintenance/maintenanceframe.h"
#include "service/maintenance/mtnmessages.h"
#include "service/moduleinfo/moduletexts.h"

namespace kvr::service {

namespace {

constexpr std::uint32_t CmdModuleInfo = 0x06000000;
constexpr std::uint32_t CmdCardRead = 0x01100000;

std::string Trim(std::string S)
{
    const auto first = S.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return S.substr(first, S.find_last_not_of(' ') - first + 1);
}

} // namespace

FactoryTestRun::FactoryTestRun(MaintenanceFrame& Frame, const TDeviceInfo_cza& Device, HttpFetcher& Http, std::string BaseUrl)
    : F(Frame), FHttp(Http), FBase(std::move(BaseUrl))
{
    for (const auto& e : Device.Status.Entries)
        FModules.push_back(e.Value);
    ProgressMax = 2 * static_cast<int>(FModules.size()) + 60;
    for (int shift = 24; shift >= 0; shift -= 8)
        FProject += static_cast<char>(Device.Status.ProjectID >> shift & 0xFF);
    FName = Trim(Device.Status.Name.substr(0, 10));
}

void FactoryTestRun::SetStatus(std::string Text)
{
    Status = std::move(Text);
    if (Changed)
        Changed();
}

void FactoryTestRun::Advance()
{
    Progress = std::min(Progress + 1, ProgressMax);
}

bool FactoryTestRun::Run()
{
    Memo.clear();
    Progress = 0;
    bool ok = CollectHardware();
    if (ok) {
        Progress = ProgressMax / 2;
        ok = FetchProtocols();
    }
    Progress = ProgressMax;
    if (Changed)
        Changed();
    return ok;
}

bool FactoryTestRun::Request(std::uint32_t ID, std::uint8_t Len, std::uint8_t D0, std::uint8_t D1, std::uint8_t* Out)
{
    KVRCANBlock request;
    request.ID = ID;
    request.Len = Len;
    request.Data[0] = D0;
    request.Data[1] = D1;
    KVRCANBlock reply = request;
    if (!F.RequestLoggedBlock(request, reply, 0xFFFFFFFF, 0, 0))
        return false;
    std::copy_n(reply.Data.begin(), 8, Out);
    return true;
}

bool FactoryTestRun::CollectHardware()
{
    Entries.clear();
    if (!F.Connected()) {
        InfoFormatter->ShowMessage(mmSerialNumbersFailed, "");
        return false;
    }
    for (std::uint16_t m : FModules)
        CollectModule(m);
    return true;
}

void FactoryTestRun::CollectModule(std::uint16_t M)
{
    std::uint8_t d[8] = {};
    if (!Request(CmdModuleInfo | M, 0, 0, 0, d)) {
        InfoFormatter->ShowMessage(mmModuleNoAnswer, "");
        return;
    }
    TFactoryTest mod;
    mod.Number = mod.Module = M;
    mod.Kind = d[0];
    mod.Position = d[1];
    for (int i = 0; i < 4; ++i)
        mod.Version[i] = d[4 + i];
    Entries.push_back(mod);
    Advance();
    SetStatus("Collecting hardware information: " + GetEntryName(mod));
    if (mod.Kind != 4)
        return;
    for (int slot = 0; slot < 10; ++slot) {
        Advance();
        if (!Request(CmdCardRead | M, 2, static_cast<std::uint8_t>(16 * slot), 0, d) || d[0] == 0 || d[0] == 0xFF)
            continue;
        TFactoryTest card;
        card.Carrier = M;
        card.Kind = d[0];
        card.Revision = d[1];
        card.Slot = slot;
        card.Number = static_cast<std::int32_t>(std::uint32_t{d[4]} << 24 | std::uint32_t{d[5]} << 16 | std::uint32_t{d[6]} << 8 | d[7]);
        Entries.push_back(card);
        SetStatus("Collecting hardware information: " + GetEntryName(card));
    }
}

std::string FactoryTestRun::GetCorrectionValues(std::uint16_t Carrier, int Slot)
{
    std::vector<std::uint8_t> page(CardPageSize, 0);
    for (std::size_t offset = 0; offset < CardPageSize; offset += 8) {
        if (!Request(CmdCardRead | Carrier, 2, static_cast<std::uint8_t>(16 * Slot), static_cast<std::uint8_t>(offset), &page[offset])) {
            InfoFormatter->ShowMessage(mmIncompleteData, "");
            return {};
        }
    }
    return CorrectionValuesText(page, Slot);
}

bool FactoryTestRun::FetchProtocols()
{
    const std::string stars(54, '*');
    for (TFactoryTest& e : Entries) {
        const std::string name = GetEntryName(e);
        const auto summary = [&](std::int32_t Serial) {
            char buf[64];
            e.AddText("Module:        " + name);
            std::snprintf(buf, sizeof buf, "Serial No.:    %d", Serial);
            e.AddText(buf);
            e.AddText("Factory test:  PASSED OK");
        };
        if (!e.IsCard()) {
            summary(e.Module);
            Advance();
            continue;
        }
        SetStatus("Retrieving factory test protocol for : " + name);
        const std::string url = FBase + ProtocolPath(e.Number);
        FHttp.Get(url);
        FHttp.Wait(HttpDeadlineMs);
        int state = FHttp.State();
        if (state == 0) {
            FHttp.Abort();
            state = 3;
        }
        bool stop = false;
        switch (state) {
        case 1:
            summary(e.Number);
            e.AddText("\n");
            e.AddText("\n");
            e.AddText("Detailed protocol: \n\n");
            e.AddText(FHttp.Body());
            e.AddText(GetCorrectionValues(static_cast<std::uint16_t>(e.Carrier), e.Slot));
            Advance();
            break;
        case 2:
            summary(e.Number);
            break;
        case 3:
            SetStatus("HTTP Time out" + url);
            stop = true;
            break;
        default:
            SetStatus("Could not connect to KVR factory test protocol server");
            stop = true;
            break;
        }
        Memo.insert(Memo.end(), e.Lines.begin(), e.Lines.end());
        Memo.insert(Memo.end(), {"", stars, ""});
        if (stop)
            return false;
    }
    return true;
}

} // namespace kvr::service
