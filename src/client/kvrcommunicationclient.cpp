// The component itself: construction, status and its popup, connections and client settings.

#include "client/kvrcommunicationclient.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <random>

#include "client/clientmessages.h"
#include "client/serverhost.h"
#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/byteorder.h"

using namespace Kvrdata_ns;
using kvr::commserver::HResult;

namespace kvr::client {

TClientModuleState& ClientModuleState()
{
    static TClientModuleState State;
    return State;
}

namespace {
bool IsTrimmed(char C)
{
    return static_cast<unsigned char>(C) <= ' ';
}
} // namespace

std::string TrimText(const std::string& Text)
{
    std::size_t first = 0;
    std::size_t last = Text.size();
    while (first < last && IsTrimmed(Text[first]))
        ++first;
    while (last > first && IsTrimmed(Text[last - 1]))
        --last;
    return Text.substr(first, last - first);
}

std::string TrimRightText(const std::string& Text)
{
    std::size_t last = Text.size();
    while (last > 0 && IsTrimmed(Text[last - 1]))
        --last;
    return Text.substr(0, last);
}

TClientServices SystemServices()
{
    TClientServices S;
    S.Now = [] {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    };
    S.ProcessMessages = [] {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    };
    S.Sleep = [](unsigned Ms) { QThread::msleep(Ms); };
    S.Host = std::make_shared<TLocalServerHost>();
    return S;
}

} // namespace kvr::client

using kvr::client::TFlagScope;

TKVRCommunicationClient::TKVRCommunicationClient(QObject* Owner, kvr::client::TClientServices S)
    : QObject(Owner)
    , Services(std::move(S))
{
    TKVRFI fi("TKVRCommunicationClient::TKVRCommunicationClient");
    InfoFormatter->RegisterMessages(kvr::client::ClientMessages, kvr::client::ClientMessageCount);

    StatusTexts[dcsServerInitFailed] = "KVR Communication Server init failed";
    StatusTexts[dcsNotConnected] = "Not connected";
    StatusTexts[dcsConnected] = "Connected";
    StatusTexts[dcsTryingReconnect] = "Trying Reconnect";
    StatusTexts[dcsServerNotResponding] = "KVR Communication Server not responding. Restart the software.";

    std::random_device Seed;
    std::mt19937 Generator(Seed() ^ static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    ClientHandle = std::uniform_int_distribution<std::int32_t>(1, 0x7FFFFFFF)(Generator);

    LastBlockTime = 0;
    LastSendTime = 0;
    Timer = new THighResTimer(this, false, Services.Designing);

    if (!Services.Designing) {
        ConnectServer();
        Timer->SetEnabled(true);
        Timer->SetInterval(FTimerInterval);
        Timer->OnTimer = [this](QObject* Sender) { OnTimer(Sender); };
    }
}

TKVRCommunicationClient::~TKVRCommunicationClient()
{
    Timer->SetEnabled(false);
    Timer->OnTimer = nullptr;
    if (Server) {
        std::int32_t Result = 0;
        Server->CloseConnection(ClientHandle, Result);
    }
    Server.reset();
}

std::string TKVRCommunicationClient::GetStatusText()
{
    return StatusTexts[FStatus];
}

void TKVRCommunicationClient::SetStatus(TKVRClientStatus NewStatus)
{
    TKVRFI fi("TKVRCommunicationClient::SetStatus");
    auto& M = kvr::client::ClientModuleState();
    if (FStatus == dcsServerNotResponding && TicksPopupMessage != 0 &&
        static_cast<std::uint32_t>(GetTickCount() - M.LastPopupTick) > TicksPopupMessage) {
        if (!M.PopupShowing) {
            TFlagScope Showing(M.PopupShowing, true);
            InfoFormatter->ShowMessage(kvr::client::msgServerNotResponding, "");
        }
        M.LastPopupTick = GetTickCount();
    }
    if (NewStatus != FStatus) {
        FStatus = NewStatus;
        DoStatusChanged();
    }
}

void TKVRCommunicationClient::SetTransferActive(bool Active)
{
    TKVRFI fi("TKVRCommunicationClient::SetTransferActive");
    if (Active == FTransferActive)
        return;
    FTransferActive = Active;
    DoStatusChanged();
}

TConnectionType TKVRCommunicationClient::GetConnectionType() const
{
    switch (ConnectionKind) {
    case dckBroadcast:
        return FSerialNr <= 255 ? dctCOM : dctTCP;
    case dckFixedIP:
        return dctTCP;
    case dckCOMPort:
        return dctCOM;
    default:
        return dctUnknown;
    }
}

void TKVRCommunicationClient::SetOptions(TKVRClientOptions Value)
{
    TKVRFI fi("TKVRCommunicationClient::SetOptions");
    const auto Remote = OptionSet(dcoRemoteServerAllowed);
    if ((Value & Remote) != (FOptions & Remote))
        FOptions = Value;
}

void TKVRCommunicationClient::SetTimerInterval(unsigned Value)
{
    TKVRFI fi("TKVRCommunicationClient::SetTimerInterval");
    FTimerInterval = Value;
    Timer->SetInterval(Value);
}

void TKVRCommunicationClient::ResetFixedTicks()
{
    LastBlockTime = 0;
    LastSendTime = 0;
}

// Connections ---------------------------------------------------------------------------------

bool TKVRCommunicationClient::OpenConnection(TDeviceAddr& DA)
{
    TKVRFI fi("TKVRCommunicationClient::OpenConnection");
    if (!ServerUsable())
        return false;
    DA.Client = ShortClient;
    std::vector<std::uint8_t> V;
    if (!DA.ToVariant(V)) {
        SetStatus(dcsNotConnected);
        return false;
    }
    std::int32_t Result = -1;
    const HResult Hr = Server->OpenConnection(ClientHandle, V, Result);
    V.clear();
    const bool Ok = Succeeded(Hr, Result);
    if (Ok) {
        SetHostIP(DA.IP);
        COMPort = DA.GetCOMPort();
        ConnectionKind = DA.CK;
        FSerialNr = DA.MAC & 0xFFFFFF;
    }
    SetStatus(Ok ? dcsConnected : dcsNotConnected);
    Timer->SetEnabled(Hr >= 0);
    return Ok;
}

bool TKVRCommunicationClient::OpenTCPConnection()
{
    TKVRFI fi("TKVRCommunicationClient::OpenTCPConnection");
    if (!ServerUsable() || FHostname.empty() || TCPPort == 0)
        return false;
    std::int32_t Result = -1;
    const HResult Hr = Server->OpenTCPConnection(ClientHandle, FHostname, TCPPort, Result);
    const bool Ok = Succeeded(Hr, Result);
    SetStatus(Ok ? dcsConnected : dcsNotConnected);
    Timer->SetEnabled(Hr >= 0);
    FSerialNr = 0;
    return Ok;
}

bool TKVRCommunicationClient::OpenSerialConnection()
{
    TKVRFI fi("TKVRCommunicationClient::OpenSerialConnection");
    if (!ServerUsable() || COMPort == 0)
        return false;
    std::int32_t Result = -1;
    const HResult Hr = Server->OpenSerialConnection(ClientHandle, COMPort, Result);
    const bool Ok = Succeeded(Hr, Result);
    SetStatus(Ok ? dcsConnected : dcsNotConnected);
    Timer->SetEnabled(Hr >= 0);
    if (Ok) {
        ConnectionKind = dckCOMPort;
        FSerialNr = static_cast<unsigned>(COMPort);
    }
    return Ok;
}

bool TKVRCommunicationClient::CloseConnection()
{
    TKVRFI fi("TKVRCommunicationClient::CloseConnection");
    if (!ServerUsable())
        return false;
    std::int32_t Result = -1;
    const HResult Hr = Server->CloseConnection(ClientHandle, Result);
    SetStatus(dcsNotConnected);
    Timer->SetEnabled(Hr >= 0);
    return Succeeded(Hr, Result);
}

long TKVRCommunicationClient::Ping(const std::string& Host, long Timeout)
{
    TKVRFI fi("TKVRCommunicationClient::Ping");
    if (!ServerUsable())
        return -1;
    std::int32_t ResponseTime = -1;
    const HResult Hr = Server->Ping(Host, static_cast<std::int32_t>(Timeout), ResponseTime);
    return Hr != 0 ? -1 : ResponseTime;
}

bool TKVRCommunicationClient::SendAddress(TAddressMethod Method, TDeviceAddr& DA)
{
    if (!ServerUsable())
        return false;
    std::vector<std::uint8_t> V;
    if (!DA.ToVariant(V))
        return false;
    std::int32_t Result = -1;
    const HResult Hr = (*Server.*Method)(ClientHandle, V, Result);
    return Succeeded(Hr, Result);
}

bool TKVRCommunicationClient::AddKnownDevice(TDeviceAddr& DA)
{
    TKVRFI fi("TKVRCommunicationClient::AddKnownDevice");
    return SendAddress(&kvr::commserver::ICommServer::AddKnownDevice, DA);
}

bool TKVRCommunicationClient::RemoveKnownDevice(TDeviceAddr& DA)
{
    TKVRFI fi("TKVRCommunicationClient::RemoveKnownDevice");
    return SendAddress(&kvr::commserver::ICommServer::RemoveKnownDevice, DA);
}

bool TKVRCommunicationClient::SetLogging(long LogTypes)
{
    TKVRFI fi("TKVRCommunicationClient::SetLogging");
    if (!ServerUsable())
        return false;
    std::int32_t Result = -1;
    const HResult Hr = Server->SetLogging(ClientHandle, static_cast<std::int32_t>(LogTypes), Result);
    return Succeeded(Hr, Result);
}

bool TKVRCommunicationClient::LogText(const std::string& Action, const std::string& Text, long LogType)
{
    TKVRFI fi("TKVRCommunicationClient::LogText");
    if (!ServerUsable())
        return false;
    std::int32_t Result = -1;
    const HResult Hr = Server->LogText(ClientHandle, Action, Text, static_cast<std::int32_t>(LogType), Result);
    return Succeeded(Hr, Result);
}

namespace {
// Text of bytes up to the first zero byte.
std::string TextUpToZero(const std::uint8_t* Bytes, std::size_t Count)
{
    std::string Text;
    for (std::size_t i = 0; i < Count && Bytes[i] != 0; ++i)
        Text.push_back(static_cast<char>(Bytes[i]));
    return Text;
}
} // namespace

bool TKVRCommunicationClient::GetDeviceInfos(std::string& PIDText, std::string& Name, unsigned& PID, unsigned& DID)
{
    TKVRFI fi("TKVRCommunicationClient::GetDeviceInfos");
    PIDText.clear();
    Name.clear();
    PID = 0;
    DID = 0;
    unsigned Serial = 0;
    unsigned Version = 0;
    if (!GetSerialVersion(Serial, Version))
        return false;

    auto Request = [this](std::uint32_t ID, KVRCANBlock& Answer) {
        KVRCANBlock Req;
        Req.ID = ID;
        Answer = KVRCANBlock{};
        Answer.ID = ID;
        return RequestBlockFiltered(Req, Answer, 0xFFFFFFFF, 0, 0, -1);
    };

    if (Version >= 0x05000000 && Version <= 0x0513FFFF) {
        // Image bytes 8 to 31 and 72 to 87; block 0x1A000000 | n carries bytes (n - 1) * 8 on.
        std::array<std::uint8_t, 24> Head{};
        for (unsigned n = 2; n <= 4; ++n) {
            KVRCANBlock Answer;
            if (!Request(0x1A000000 | n, Answer))
                return false;
            std::copy_n(Answer.Data.begin(), 8, Head.begin() + (n - 2) * 8);
            if (n == 2)
                PID = kvr::readBE32(Head, 4);
            if (n == 4)
                Name = TextUpToZero(Head.data() + 8, 10);
        }
        std::array<std::uint8_t, 16> Tail{};
        for (unsigned n = 0x0A; n <= 0x0B; ++n) {
            KVRCANBlock Answer;
            if (!Request(0x1A000000 | n, Answer))
                return false;
            std::copy_n(Answer.Data.begin(), 8, Tail.begin() + (n - 0x0A) * 8);
        }
        DID = kvr::readBE32(Tail, 6);
    } else {
        std::array<std::uint8_t, 32> I{};
        for (unsigned Page = 1; Page <= 4; ++Page) {
            KVRCANBlock Answer;
            if (!Request(0x1E210000 | Page, Answer))
                return false;
            std::copy_n(Answer.Data.begin(), 8, I.begin() + (Page - 1) * 8);
        }
        DID = static_cast<unsigned>(static_cast<std::int32_t>(static_cast<std::int8_t>(I[4])));
        Name = TextUpToZero(I.data() + 12, 16);
        PID = kvr::readBE32(I, 28);
    }
    std::string Chars;
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Chars.push_back(static_cast<char>((PID >> Shift) & 0xFF));
    PIDText = kvr::client::TrimText(Chars);
    return true;
}

std::string TKVRCommunicationClient::GetDeviceName(bool WithPID)
{
    TKVRFI fi("TKVRCommunicationClient::GetDeviceName");
    std::string PIDText;
    std::string Name;
    unsigned PID = 0;
    unsigned DID = 0;
    GetDeviceInfos(PIDText, Name, PID, DID);
    return WithPID ? PIDText + " - " + Name : Name;
}

void TKVRCommunicationClient::SetServerMachine(const std::string& Machine)
{
    TKVRFI fi("TKVRCommunicationClient::SetServerMachine");
    if (Machine == FServerMachine)
        return;
    FServerMachine = Machine;
    Server.reset();
    if (Machine.empty() || !(FOptions & OptionSet(dcoRemoteServerAllowed))) {
        if (Services.Host->CreateLocal(Server) != 0 || !Server) {
            Server.reset();
            SetStatus(dcsServerInitFailed);
        }
        return;
    }
    if (Services.Host->CreateRemote(Machine, Server) != 0 || !Server) {
        Server.reset();
        SetStatus(dcsServerInitFailed);
        SetServerMachine("");
    }
}

std::string TKVRCommunicationClient::GetLocalComputerName()
{
    TKVRFI fi("TKVRCommunicationClient::GetLocalComputerName");
    // The empty name stands for the local machine throughout.
    return {};
}

void TKVRCommunicationClient::SetHostIP(unsigned IP)
{
    TKVRFI fi("TKVRCommunicationClient::SetHostIP");
    FHostIP = IP;
    FHostname = FormatIP(IP);
}

void TKVRCommunicationClient::SetHostname(const std::string& Text)
{
    TKVRFI fi("TKVRCommunicationClient::SetHostname");
    FHostname = Text;
    unsigned IP = 0;
    if (StrToIP(IP, Text))
        FHostIP = IP;
}

void TKVRCommunicationClient::SetFilter(unsigned Value)
{
    TKVRFI fi("TKVRCommunicationClient::SetFilter");
    FFilter = Value;
    if (ServerUsable()) {
        std::int32_t Result = 0;
        Server->SetFilter(ClientHandle, static_cast<std::int32_t>(FFilter), static_cast<std::int32_t>(FFilterMask), Result);
    }
}

void TKVRCommunicationClient::SetFilterMask(unsigned Value)
{
    TKVRFI fi("TKVRCommunicationClient::SetFilterMask");
    FFilterMask = Value;
    if (ServerUsable()) {
        std::int32_t Result = 0;
        Server->SetFilter(ClientHandle, static_cast<std::int32_t>(FFilter), static_cast<std::int32_t>(FFilterMask), Result);
    }
}
