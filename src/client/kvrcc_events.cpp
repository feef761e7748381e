// The receive poll and the events: dispatch of received blocks, the name assemblers, the error
// events and the progress counter.

#include <algorithm>

#include "client/kvrcommunicationclient.h"
#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/byteorder.h"

using namespace Kvrdata_ns;
using kvr::client::ClientModuleState;
using kvr::client::TClientModuleState;

namespace {
constexpr unsigned TraceLevelPoll = 0x8005;
} // namespace

void TKVRCommunicationClient::OnTimer(QObject* /*Sender*/)
{
    if (!UseInternalTimer)
        return;
    const bool Tracing = InfoFormatter->Passes(TraceLevelPoll);
    if (FStatus == dcsConnected || FStatus == dcsTryingReconnect) {
        KVRCANBlock R;
        bool Got = ReadBlock(R);
        if (Tracing)
            InfoFormatter->Trace(TraceLevelPoll, "CC->OnTimer:: initial ReadBlock returns %s", Got ? "true" : "false");
        while (Got) {
            if (Tracing)
                InfoFormatter->Trace(TraceLevelPoll, "CC->OnTimer:: Readblock was true, handle Block via ProcessBlock");
            ProcessBlock(R);
            Got = ReadBlock(R);
        }
        if (LastBlockTime > 0 && LastBlockTime + TicksNoCANReceived <= Now()) {
            DoNoCANBlockReceived();
            LastBlockTime = 0;
        }
        Timer->SetEnabled(true);
    }

    TUDPMsg M;
    while (PeriodicReadBroadcasts && DeviceGeneration == dgKX7300 && ReadUDPBlock(M)) {
        if (IsErrorReport(M)) {
            if (FStatus == dcsConnected && M.Address == FHostIP)
                continue;
            DoErrorMsgReceived(GetEmbeddedCANBlock(M), dctUDP, M.Address);
        } else if (OnBroadcastReceived) {
            OnBroadcastReceived(this, M);
        }
    }

    if (PeriodicReadBroadcasts && DeviceGeneration == dgKX7500) {
        TUDPMsgV6 V;
        while (PeriodicReadBroadcasts && DeviceGeneration == dgKX7500 && ReadUDPBlockV6(&V)) {
            if (static_cast<std::uint32_t>(V.GetMsgType()) == V6TypeErrorReport) {
                if (FStatus == dcsConnected && V.FromIP == FHostIP)
                    continue;
                if (KVRCANBlock* CB = V.GetCANBlock())
                    DoErrorMsgReceivedV6(*CB, dctUDP, V.FromIP);
            } else {
                if (Tracing)
                    InfoFormatter->Trace(TraceLevelPoll, "CC->OnTimer:: try to handle Block directly via DM->DispatchV6");
                if (OnUDPV6Received)
                    OnUDPV6Received(this, V);
            }
        }
    }
}

void TKVRCommunicationClient::ProcessBlock(const KVRCANBlock& CB)
{
    TKVRFI fi("TKVRCommunicationClient::ProcessBlock");
    LastBlockTime = Now();
    bool Taken = false;
    switch (CB.ID & 0xFFFF0000) {
    case 0x01F50000:
        if (OnRouteMsgReceived) {
            OnRouteMsgReceived(this, CB);
            Taken = true;
        }
        break;
    case 0x11140000:
        Taken = ProcessFaderChName(CB);
        break;
    case 0x112A0000:
        Taken = ProcessChSetupName(CB);
        break;
    case 0x112F0000:
        Taken = ProcessMxSetupName(CB);
        break;
    default:
        break;
    }
    if (!Taken)
        DoCANBlockReceived(CB);
}

void TKVRCommunicationClient::DoCANBlockReceived(const KVRCANBlock& CB)
{
    TKVRFI fi("TKVRCommunicationClient::DoCANBlockReceived");
    if (OnCANBlockReceived)
        OnCANBlockReceived(this, CB);
}

void TKVRCommunicationClient::DoNoCANBlockReceived()
{
    if (OnNoCANBlockReceived)
        OnNoCANBlockReceived(this);
}

void TKVRCommunicationClient::DoStatusChanged()
{
    if (OnStatusChanged)
        OnStatusChanged(this);
}

void TKVRCommunicationClient::RaiseErrorMsg(const TErrorMsgEvent& Event, const KVRCANBlock& CB, TConnectionType Type,
                                            unsigned UDP_IP)
{
    if (!Event)
        return;
    if (Type == dctUnknown)
        Type = GetConnectionType();
    TMessageSource MS;
    MS.ConnectionType = Type;
    switch (Type) {
    case dctCOM:
        MS.Name = "COM" + std::to_string(COMPort);
        break;
    case dctTCP:
        MS.Name = GetNameFromIP(FHostIP);
        break;
    case dctUDP:
        MS.Name = GetNameFromIP(UDP_IP);
        break;
    default:
        break;
    }
    Event(this, CB, MS, UDP_IP);
}

void TKVRCommunicationClient::DoErrorMsgReceived(const KVRCANBlock& CB, TConnectionType Type, unsigned UDP_IP)
{
    RaiseErrorMsg(OnErrorMsgReceived, CB, Type, UDP_IP);
}

void TKVRCommunicationClient::DoErrorMsgReceivedV6(const KVRCANBlock& CB, TConnectionType Type, unsigned UDP_IP)
{
    RaiseErrorMsg(OnErrorMsgReceivedV6, CB, Type, UDP_IP);
}

bool TKVRCommunicationClient::ProcessSetupName(const KVRCANBlock& CB, TClientModuleState::TSetupNameAssembler& A,
                                               const TNameEvent& Event)
{
    if (!Event)
        return false;
    const std::uint8_t Part = CB.Data[1];
    if (Part == 0) {
        A.Number = CB.Data[0];
        A.Text.clear();
    } else {
        // Device data decide the part: a bad one is dropped, not asserted.
        if (Part != 1) {
            InfoFormatter->Trace(0x4001, "TKVRCommunicationClient: setup name block %08X with part %u dropped", CB.ID,
                                 Part);
            return true;
        }
        // A part 1 belongs to the name that a part 0 started; a repeated one would append to
        // a finished name.
        if (CB.Data[0] != A.Number || A.LastPart != 0)
            return true;
    }
    A.LastPart = Part;
    A.Text.append(reinterpret_cast<const char*>(CB.Data.data() + 2), 6);
    if (A.LastPart == 1)
        Event(this, A.Number, kvr::client::TrimText(A.Text));
    return true;
}

bool TKVRCommunicationClient::ProcessChSetupName(const KVRCANBlock& CB)
{
    return ProcessSetupName(CB, ClientModuleState().ChSetupName, OnChSetupNameReceived);
}

bool TKVRCommunicationClient::ProcessMxSetupName(const KVRCANBlock& CB)
{
    return ProcessSetupName(CB, ClientModuleState().MxSetupName, OnMxSetupNameReceived);
}

bool TKVRCommunicationClient::ProcessFaderChName(const KVRCANBlock& CB)
{
    if (!OnFaderChNameReceived)
        return false;
    if (CB.Len < 8)
        return true;
    auto& A = ClientModuleState().FaderChName;
    const std::uint16_t Channel = kvr::readBE16(CB.Data, 0);
    const std::uint8_t Part = CB.Data[2];
    if (Part == 0) {
        A.Channel = Channel;
        A.Text.clear();
    } else if (Part != A.LastPart + 1 || Channel != A.Channel) {
        return true;
    }
    A.LastPart = Part;
    A.Text.append(reinterpret_cast<const char*>(CB.Data.data() + 4), 4);
    if (A.LastPart == 3)
        OnFaderChNameReceived(this, A.Channel, kvr::client::TrimText(A.Text));
    return true;
}

void TKVRCommunicationClient::SetProgress(int Bytes, int BytesTotal)
{
    auto& M = ClientModuleState();
    if (Bytes < M.LastProgressBytes)
        BytesSum += static_cast<unsigned>(Bytes);
    else
        BytesSum += static_cast<unsigned>(Bytes - M.LastProgressBytes);
    M.LastProgressBytes = Bytes;
    if (BytesTotal == 0)
        BytesTotal = 1;
    // 64 bits: bytes x 100 leaves 32 bits above about 21 MB.
    const auto Percent = static_cast<std::int64_t>(Bytes) * 100 / BytesTotal;
    if (Percent != LastPercent) {
        LastPercent = static_cast<std::uint8_t>(Percent);
        DoProgress(Bytes, static_cast<int>(BytesSum), BytesTotal);
    }
}

void TKVRCommunicationClient::DoProgress(int Bytes, int BytesSum, int BytesTotal)
{
    if (OnProgress)
        OnProgress(this, Bytes, BytesSum, BytesTotal);
}
