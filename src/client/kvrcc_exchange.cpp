// Block and UDP exchange: pacing, send attempts, filtered waits, broadcast collections and the
// address lookups among them.

#include <algorithm>
#include <climits>

#include "client/kvrcommunicationclient.h"
#include "diagnostics/kvrassert.h"
#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/byteorder.h"

using namespace Kvrdata_ns;
using kvr::commserver::HResult;
using kvr::commserver::ICommServer;
using kvr::commserver::ResultConnectionLost;
using kvr::commserver::ResultNoConnection;
using kvr::commserver::ResultNotConnected;
using kvr::commserver::ResultNothingQueued;
using kvr::commserver::ResultReconnecting;
using kvr::client::TFlagScope;

namespace {

// A server that answers "reconnecting" for ever must not hold the GUI thread for ever: after
// this many such answers in one send the send gives up (with the default pause, 10 s).
constexpr unsigned MaxReconnectWaits = 50;

constexpr unsigned TraceLevelFiltered = 0x8006;

std::uint64_t FirstEightLE(const KVRCANBlock& CB)
{
    return kvr::readLE64(CB.Data, 0);
}

// A 32-bit value at an offset of the record's image (address 0-3, carried 4-7, payload from 8),
// stored in host order.
std::uint32_t RecordValue(const TUDPMsg& M, std::size_t ImageOffset)
{
    return kvr::readLE32(M.Payload, ImageOffset - UDPPayloadOffset);
}

} // namespace

namespace kvr::client {

bool BlockMatches(const KVRCANBlock& R, const KVRCANBlock& Pattern, unsigned IDMask, std::uint8_t LenMask,
                  std::uint64_t DataMask)
{
    if ((R.ID & IDMask) != (Pattern.ID & IDMask))
        return false;
    if ((R.Len & LenMask) != (Pattern.Len & LenMask))
        return false;
    const unsigned N = std::min<unsigned>(Pattern.Len, 8);
    for (unsigned k = 0; k < 8; ++k) {
        const auto MaskByte = k < N ? static_cast<std::uint8_t>(DataMask >> (56 - 8 * k)) : std::uint8_t{0};
        if ((R.Data[k] & MaskByte) != (Pattern.Data[k] & MaskByte))
            return false;
    }
    return true;
}

} // namespace kvr::client

void TKVRCommunicationClient::TraceBlock(const char* Prefix, const KVRCANBlock& CB)
{
    InfoFormatter->Trace(TraceLevelFiltered, "%s%8X %3d %16llX", Prefix, CB.ID, CB.Len,
                         static_cast<unsigned long long>(FirstEightLE(CB)));
}

bool TKVRCommunicationClient::SendBlock(KVRCANBlock& CB) { return SendBlockReading(CB, std::nullopt); }

bool TKVRCommunicationClient::SendBlockReading(KVRCANBlock& CB, std::optional<std::int32_t> ReadTimeout)
{
    ReadAhead.reset();
    if (!ServerUsable())
        return false;
    std::vector<std::uint8_t> V;
    if (!CANBlockToVariant(CB, V))
        return false;

    // Pacing: at least TicksSend ms since the last send.
    const std::int64_t Wait = static_cast<std::int64_t>(LastSendTime + TicksSend) - static_cast<std::int64_t>(Now());
    if (Wait > 0) {
        const std::int64_t Target = static_cast<std::int64_t>(Now()) + Wait;
        while (static_cast<std::int64_t>(Now()) < Target) {
            ProcessMessages();
            if (Target - static_cast<std::int64_t>(Now()) > Wait)
                break; // the clock went back
        }
    }

    unsigned Attempts = 0;
    unsigned ReconnectWaits = 0;
    bool Sent = false;
    // While the server reconnects the attempts go on; the first success ends that state.
    while (Attempts < Retries && !Sent && (FStatus == dcsConnected || FStatus == dcsTryingReconnect)) {
        std::int32_t Result = -1;
        HResult Hr = 0;
        if (ReadTimeout) {
            TReadAhead Read;
            Read.Start = GetTickCount();
            Hr = Server->SendBlockThenRead(ClientHandle, V, Result, *ReadTimeout, Read.V, Read.Result, Read.Hr);
            if (Succeeded(Hr, Result))
                ReadAhead = std::move(Read);
        } else {
            Hr = Server->SendBlock(ClientHandle, V, Result);
        }
        Sent = Succeeded(Hr, Result);
        if (Sent) {
            if (FStatus == dcsTryingReconnect)
                SetStatus(dcsConnected);
            break;
        }
        if (Hr >= 0 && Result == ResultReconnecting) {
            SetStatus(dcsTryingReconnect);
            if (++ReconnectWaits > MaxReconnectWaits)
                break;
        } else if (Hr >= 0 && (Result == ResultNotConnected || Result == ResultNoConnection)) {
            SetStatus(dcsNotConnected);
            break;
        } else {
            ++Attempts;
        }
        ProcessMessages();
        Services.Sleep(TicksSendFailed);
    }
    LastSendTime = Now();
    return Sent;
}

void TKVRCommunicationClient::ReadErrorReports(const KVRCANBlock& CB)
{
    // A serial link reports as such; everything else came over the network connection.
    const TConnectionType Type = GetConnectionType() == dctCOM ? dctCOM : dctTCP;
    if ((CB.ID & 0xFFFF0000) == 0x0F100000)
        DoErrorMsgReceived(CB, Type, 0);
    if (CB.ID == 0x9A000002)
        DoErrorMsgReceivedV6(CB, Type, 0);
}

bool TKVRCommunicationClient::ReadBlock(KVRCANBlock& CB)
{
    if (!ServerUsable())
        return false;
    std::vector<std::uint8_t> V;
    std::int32_t Result = -1;
    HResult Hr = 0;
    if (ReadAhead && ReadAhead->HoldsBlock()) {
        Hr = ReadAhead->Hr;
        Result = ReadAhead->Result;
        V = std::move(ReadAhead->V);
        ReadAhead.reset();
    } else {
        ReadAhead.reset();
        Hr = Server->ReadBlock2(ClientHandle, V, Result);
    }
    if (Hr < 0)
        SetStatus(dcsServerNotResponding);
    if (Hr >= 0 && Result == ResultConnectionLost)
        CloseConnection();
    if (!Succeeded(Hr, Result))
        return false;
    CB = KVRCANBlock{};
    if (!VariantToCANBlock(V, CB))
        return false;
    if (FStatus == dcsTryingReconnect)
        SetStatus(dcsConnected);
    ReadErrorReports(CB);
    return true;
}

bool TKVRCommunicationClient::ReadBlockEx(unsigned long Timeout, KVRCANBlock& CB)
{
    if (!ServerUsable())
        return false;
    std::vector<std::uint8_t> V;
    std::int32_t Result = -1;
    HResult Hr = 0;
    {
        TFlagScope NoPoll(UseInternalTimer, false);
        // A read that went with the request's send began the wait already.
        const std::uint32_t Start = ReadAhead ? ReadAhead->Start : GetTickCount();
        const std::int64_t Total = static_cast<std::int64_t>(std::min<unsigned long>(Timeout, INT32_MAX));
        std::int64_t Left = Total;
        do {
            V.clear();
            if (ReadAhead) {
                Hr = ReadAhead->Hr;
                Result = ReadAhead->Result;
                V = std::move(ReadAhead->V);
                ReadAhead.reset();
            } else {
                Hr = Server->ReadBlockEx2(ClientHandle, static_cast<std::int32_t>(Left), V, Result);
            }
            // Signed: a late answer gives a negative time left and ends the wait.
            Left = Total - static_cast<std::int64_t>(static_cast<std::uint32_t>(GetTickCount() - Start));
        } while (Left > 0 && Hr >= 0 && Result == ResultNothingQueued);
    }
    if (Hr < 0)
        SetStatus(dcsServerNotResponding);
    if (!Succeeded(Hr, Result))
        return false;
    CB = KVRCANBlock{};
    if (!VariantToCANBlock(V, CB))
        return false;
    if (FStatus == dcsTryingReconnect)
        SetStatus(dcsConnected);
    ReadErrorReports(CB);
    return true;
}

bool TKVRCommunicationClient::ReadBlockFiltered(KVRCANBlock& CB, unsigned IDMask, unsigned char LenMask,
                                                std::uint64_t DataMask, int Timeout)
{
    if (!ServerUsable())
        return false;
    if (Timeout < 0)
        Timeout = static_cast<int>(TicksRead);
    const std::int64_t Deadline = static_cast<std::int64_t>(Now()) + Timeout;
    KVRCANBlock R;
    const bool Tracing = InfoFormatter->Passes(TraceLevelFiltered);
    if (Tracing) {
        TraceBlock("KVRCC ReadBlockFiltered: waiting for: ", CB);
        InfoFormatter->Trace(TraceLevelFiltered, "                         with mask:   %8X %3d %16llX", IDMask,
                             LenMask, static_cast<unsigned long long>(DataMask));
    }
    bool Got = ReadBlockEx(static_cast<unsigned long>(Timeout), R);
    while (Got) {
        if (kvr::client::BlockMatches(R, CB, IDMask, LenMask, DataMask)) {
            CB = R;
            if (Tracing)
                TraceBlock("                         **MATCH**:   ", R);
            return true;
        }
        if (Tracing)
            TraceBlock("                         no match:    ", R);
        ProcessBlock(R);
        Got = false;
        const std::int64_t Left = Deadline - static_cast<std::int64_t>(Now());
        if (Tracing)
            InfoFormatter->Trace(TraceLevelFiltered, "                         wait time left: %lld",
                                 static_cast<long long>(Left));
        if (Left > 0)
            Got = ReadBlockEx(static_cast<unsigned long>(Left), R);
        TFlagScope NoPoll(UseInternalTimer, false);
        ProcessMessages();
    }
    if (Tracing)
        InfoFormatter->Trace(TraceLevelFiltered, "                         no matching block received");
    return false;
}

bool TKVRCommunicationClient::RequestBlockFiltered(KVRCANBlock& Request, KVRCANBlock& Expected, unsigned IDMask,
                                                   unsigned char LenMask, std::uint64_t DataMask, int Timeout)
{
    TKVRFI fi("TKVRCommunicationClient::RequestBlockFiltered");
    if (!ServerUsable())
        return false;
    TFlagScope NoPoll(UseInternalTimer, false);
    bool Matched = false;
    // The read of the answer goes with the send, as the first read ReadBlockFiltered makes.
    const std::int32_t ReadTimeout = Timeout < 0 ? static_cast<std::int32_t>(TicksRead) : Timeout;
    for (unsigned Pass = 0; Pass < Retries && !Matched; ++Pass) {
        if (!SendBlockReading(Request, ReadTimeout))
            break;
        Matched = ReadBlockFiltered(Expected, IDMask, LenMask, DataMask, Timeout);
        // Only a block is worth keeping for a later read; a wait that found nothing is over.
        if (ReadAhead && !ReadAhead->HoldsBlock())
            ReadAhead.reset();
    }
    return Matched;
}

bool TKVRCommunicationClient::SendUDPVariant(const std::vector<std::uint8_t>& V, bool NewerGeneration)
{
    const std::int64_t Wait = static_cast<std::int64_t>(LastSendTime + TicksSend) - static_cast<std::int64_t>(Now());
    if (Wait > 0) {
        ProcessMessages();
        Services.Sleep(static_cast<unsigned>(Wait));
    }
    std::int32_t Result = -1;
    const HResult Hr = NewerGeneration ? Server->SendUDPBlockV6(ClientHandle, V, Result)
                                       : Server->SendUDPBlock(ClientHandle, V, Result);
    const bool Ok = Succeeded(Hr, Result);
    if (!Ok) {
        ProcessMessages();
        Services.Sleep(TicksSendFailed);
    }
    LastSendTime = Now();
    return Ok;
}

bool TKVRCommunicationClient::SendUDPBlock(TUDPMsg& Msg)
{
    if (!ServerUsable())
        return false;
    std::vector<std::uint8_t> V;
    return UDPMsgToVariant(Msg, V) && SendUDPVariant(V, false);
}

bool TKVRCommunicationClient::SendUDPBlockV6(TUDPMsgV6* Msg)
{
    if (!Msg) {
        AssertionFailed(__FILE__, "TKVRCommunicationClient::SendUDPBlockV6", __LINE__, "UDP");
        return false; // a debugger let the program go on
    }
    if (!ServerUsable())
        return false;
    std::vector<std::uint8_t> V;
    return Msg->ToVariant(V) && SendUDPVariant(V, true);
}

bool TKVRCommunicationClient::ServerRead(TReadMethod Method, std::int32_t H, std::vector<std::uint8_t>& V)
{
    std::int32_t Result = -1;
    const HResult Hr = (*Server.*Method)(H, V, Result);
    if (Hr < 0)
        SetStatus(dcsServerNotResponding);
    return Succeeded(Hr, Result);
}

bool TKVRCommunicationClient::ReadUDPBlock(TUDPMsg& Msg)
{
    if (!ServerUsable())
        return false;
    std::vector<std::uint8_t> V;
    return ServerRead(&ICommServer::ReadUDPBlock, ClientHandle, V) && VariantToUDPMsg(V, Msg);
}

bool TKVRCommunicationClient::ReadUDPBlockV6(TUDPMsgV6* Msg)
{
    if (!Msg) {
        AssertionFailed(__FILE__, "TKVRCommunicationClient::ReadUDPBlockV6", __LINE__, "UDP");
        return false; // a debugger let the program go on
    }
    if (!ServerUsable())
        return false;
    std::vector<std::uint8_t> V;
    return ServerRead(&ICommServer::ReadUDPBlockV6, ClientHandle, V) && Msg->FromVariant(V);
}

bool TKVRCommunicationClient::ReadUDPBroadCasts(TUDPMsgVector& Msgs)
{
    if (!ServerUsable())
        return false;
    std::vector<std::uint8_t> V;
    return ServerRead(&ICommServer::ReadUDPBroadCasts, 0, V) && VariantToUDPMsgs(V, Msgs);
}

bool TKVRCommunicationClient::ReadUDPBroadCastsV6(TUDPMsgsV6& Msgs)
{
    if (!ServerUsable())
        return false;
    std::vector<std::uint8_t> V;
    return ServerRead(&ICommServer::ReadUDPBroadCastsV6, 0, V) && Msgs.FromVariant(V);
}

int TKVRCommunicationClient::GetDA(unsigned PID, unsigned DID, short N, TDeviceAddr& DA)
{
    TKVRFI fi("TKVRCommunicationClient::GetDA");
    if (FStatus == dcsServerInitFailed)
        return 0;
    TUDPMsgVector Msgs;
    if (!ReadUDPBroadCasts(Msgs))
        Msgs.clear();
    int Count = 0;
    for (const TUDPMsg& M : Msgs) {
        if (RecordValue(M, 20) != PID || RecordValue(M, 16) != DID)
            continue;
        ++Count;
        if (Count == N) {
            DA.IP = M.Address;
            DA.MAC = RecordValue(M, 12) & 0xFFFFFF;
            DA.PID = PID;
            DA.DID = DID;
            DA.CK = dckBroadcast;
            break;
        }
    }
    return Count;
}

namespace {
void FillFromDevice(TDeviceAddr& DA, const TUDPMsgV6& Msg, const TBCDevice& Dev)
{
    DA.IP = Msg.FromIP;
    DA.MAC = Dev.MAC & 0xFFFFFF;
    DA.PID = Dev.PID;
    DA.DID = Dev.DID;
    DA.CK = dckBroadcast;
    DA.FirmwareVersion = Dev.FirmwareVersion;
    DA.Name = std::string(Dev.DeviceName.c_str());
}
} // namespace

bool TKVRCommunicationClient::GetDAV6(unsigned PID, unsigned char DID, TDeviceAddr& DA)
{
    TKVRFI fi("TKVRCommunicationClient::GetDAV6");
    if (FStatus == dcsServerInitFailed)
        return false;
    TUDPMsgsV6 Msgs;
    if (!ReadUDPBroadCastsV6(Msgs))
        return false;
    for (int i = 0; i < Msgs.Size(); ++i) {
        TUDPMsgV6* Msg = Msgs.Element(i);
        TBCDevice* Dev = Msg ? Msg->GetDevice() : nullptr;
        if (!Dev || Dev->PID != PID || Dev->DID != DID)
            continue;
        FillFromDevice(DA, *Msg, *Dev);
        return true;
    }
    return false;
}

bool TKVRCommunicationClient::GetDAbyMAC(unsigned MAC, TDeviceAddr& DA)
{
    TKVRFI fi("TKVRCommunicationClient::GetDAbyMAC");
    if (FStatus == dcsServerInitFailed)
        return false;
    TUDPMsgVector Msgs;
    if (ReadUDPBroadCasts(Msgs)) {
        for (const TUDPMsg& M : Msgs) {
            if ((RecordValue(M, 12) & 0xFFFFFF) != MAC)
                continue;
            DA.IP = M.Address;
            DA.MAC = MAC;
            DA.PID = RecordValue(M, 20);
            DA.DID = RecordValue(M, 16);
            DA.CK = dckBroadcast;
            return true;
        }
    }
    TUDPMsgsV6 MsgsV6;
    if (ReadUDPBroadCastsV6(MsgsV6)) {
        for (int i = 0; i < MsgsV6.Size(); ++i) {
            TUDPMsgV6* Msg = MsgsV6.Element(i);
            TBCDevice* Dev = Msg ? Msg->GetDevice() : nullptr;
            if (!Dev || (Dev->MAC & 0xFFFFFF) != MAC)
                continue;
            FillFromDevice(DA, *Msg, *Dev);
            return true;
        }
    }
    return false;
}
