#pragma once
// TKVRCommunicationClient: the non-visual component through which a window talks to devices.
// Each instance is one client of the communication server, identified by its random
// ClientHandle. It keeps the connection state, paces and retries sends, waits for filtered
// answers, and turns what the server queued into events from its receive poll.
//
// All operations run in the GUI thread. Waits let messages through (Services.ProcessMessages)
// and clear UseInternalTimer meanwhile, so the instance's own poll takes no answer away.

#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/clientservices.h"
#include "client/highrestimer.h"
#include "kvrdata/deviceaddr.h"
#include "kvrdata/kvrstruct.h"
#include "kvrdata/messagesource.h"
#include "kvrdata/udpmsgv6.h"

using Kvrdata_ns::KVRCANBlock;
using Kvrdata_ns::TConnectionType;
using Kvrdata_ns::TDeviceAddr;
using Kvrdata_ns::TKVRConnectionKind;
using Kvrdata_ns::TMessageSource;
using Kvrdata_ns::TUDPMsg;
using Kvrdata_ns::TUDPMsgV6;

enum TKVRClientStatus : std::uint8_t {
    dcsServerInitFailed = 8,
    dcsNotConnected = 100,
    dcsConnected = 101,
    dcsTryingReconnect = 102,
    dcsServerNotResponding = 104,
};

enum TKVRDeviceGeneration : std::uint8_t { dgKX7300 = 0, dgKX7500 = 1 };

enum TKVRClientOption : std::uint8_t { dcoRemoteServerAllowed = 0 };
// A set of TKVRClientOption, one bit each.
using TKVRClientOptions = std::uint8_t;
inline constexpr TKVRClientOptions OptionSet(TKVRClientOption Option) { return static_cast<TKVRClientOptions>(1u << Option); }

namespace kvr::client {

class FileTransfer;
class ConfigTransfer;

// The match rule of filtered reads: R matches the pattern under the masks. DataMask's most
// significant byte applies to Data[0]; the pattern's Len limits the data compared to
// min(Len, 8) bytes.
bool BlockMatches(const KVRCANBlock& R, const KVRCANBlock& Pattern, unsigned IDMask, std::uint8_t LenMask,
                  std::uint64_t DataMask);

// Sets a flag for the length of a scope and restores its previous value.
struct TFlagScope {
    bool& Flag;
    bool Saved;
    TFlagScope(bool& F, bool Value) : Flag(F), Saved(F) { Flag = Value; }
    ~TFlagScope() { Flag = Saved; }
};

// Blanks and control characters (zero bytes included) removed from both ends.
std::string TrimText(const std::string& Text);
// Trailing blanks and control characters removed.
std::string TrimRightText(const std::string& Text);

// State shared by every client of the program: the server popup's throttle, the three name
// assemblers and the progress counter's last byte count.
struct TClientModuleState {
    std::uint32_t LastPopupTick = 0xFFFFFFFF;
    bool PopupShowing = false;

    struct TSetupNameAssembler {
        std::string Text;
        std::uint8_t Number = 0;
        std::uint8_t LastPart = 0;
    };
    TSetupNameAssembler ChSetupName;
    TSetupNameAssembler MxSetupName;
    struct TFaderNameAssembler {
        std::string Text;
        std::uint16_t Channel = 0;
        std::uint8_t LastPart = 0;
    } FaderChName;

    int LastProgressBytes = 0x40000000;
    std::uint32_t LastNameRefresh = 0;
};
TClientModuleState& ClientModuleState();

} // namespace kvr::client

class TKVRCommunicationClient : public QObject {
public:
    using TCANBlockEvent = std::function<void(TKVRCommunicationClient* Sender, KVRCANBlock CB)>;
    using TNotifyEvent = std::function<void(QObject* Sender)>;
    using TProgressEvent = std::function<void(TKVRCommunicationClient* Sender, int Bytes, int BytesSum, int BytesTotal)>;
    using TNameEvent = std::function<void(TKVRCommunicationClient* Sender, int ID, const std::string& String)>;
    using TErrorMsgEvent =
        std::function<void(TKVRCommunicationClient* Sender, KVRCANBlock CB, TMessageSource MS, unsigned UDP_IP)>;
    using TBroadcastEvent = std::function<void(TKVRCommunicationClient* Sender, TUDPMsg UDPMsg)>;
    using TUDPV6Event = std::function<void(TKVRCommunicationClient* Sender, TUDPMsgV6& UDPMsg)>;

    explicit TKVRCommunicationClient(QObject* Owner = nullptr,
                                     kvr::client::TClientServices Services = kvr::client::SystemServices());
    ~TKVRCommunicationClient() override;
    TKVRCommunicationClient(const TKVRCommunicationClient&) = delete;
    TKVRCommunicationClient& operator=(const TKVRCommunicationClient&) = delete;

    // Published properties ------------------------------------------------------------------
    int COMPort = 1;
    int UDPPort = 2009;
    int TCPPort = 2008;
    TKVRConnectionKind ConnectionKind = Kvrdata_ns::dckNone;
    unsigned Retries = 5;
    unsigned TicksSend = 10;
    unsigned TicksSendFailed = 200;
    unsigned TicksRead = 300;
    unsigned TicksNoCANReceived = 300;
    unsigned TicksPopupMessage = 60000;
    unsigned BytesSum = 0;
    std::string ShortClient;
    bool UseInternalTimer = true;
    TKVRDeviceGeneration DeviceGeneration = dgKX7300;
    bool PeriodicReadBroadcasts = true;
    int Tag = 0; // free for the owner (the maintenance window keeps its state here)

    unsigned GetSerialNr() const { return FSerialNr; }
    const std::string& GetHostname() const { return FHostname; }
    unsigned GetHostIP() const { return FHostIP; }
    const std::string& GetErrorMsg() const { return FErrorMsg; }
    TKVRClientStatus GetStatus() const { return FStatus; }
    std::string GetStatusText();
    unsigned GetFilter() const { return FFilter; }
    unsigned GetFilterMask() const { return FFilterMask; }
    TConnectionType GetConnectionType() const;
    unsigned GetTimerInterval() const { return FTimerInterval; }
    bool GetTransferActive() const { return FTransferActive; }
    const std::string& GetServerMachine() const { return FServerMachine; }
    TKVRClientOptions GetOptions() const { return FOptions; }
    std::int32_t GetClientHandle() const { return ClientHandle; }
    THighResTimer& GetTimer() { return *Timer; }
    bool HasServer() const { return Server != nullptr; }

    // Published events -----------------------------------------------------------------------
    TCANBlockEvent OnCANBlockReceived;
    TCANBlockEvent OnRouteMsgReceived;
    TNotifyEvent OnNoCANBlockReceived;
    TNotifyEvent OnStatusChanged;
    TProgressEvent OnProgress;
    TNameEvent OnChSetupNameReceived;
    TNameEvent OnMxSetupNameReceived;
    TNameEvent OnFaderChNameReceived;
    TErrorMsgEvent OnErrorMsgReceived;
    TErrorMsgEvent OnErrorMsgReceivedV6;
    TBroadcastEvent OnBroadcastReceived;
    TUDPV6Event OnUDPV6Received;

    // Status and settings ----------------------------------------------------------------------
    void SetStatus(TKVRClientStatus NewStatus);
    void SetTransferActive(bool Active);
    void SetOptions(TKVRClientOptions Value);
    void SetTimerInterval(unsigned Value);
    void ResetFixedTicks();

    // Connections and client settings -----------------------------------------------------------
    bool OpenConnection(TDeviceAddr& DA);
    bool OpenTCPConnection();
    bool OpenSerialConnection();
    bool CloseConnection();
    long Ping(const std::string& Host, long Timeout);
    bool AddKnownDevice(TDeviceAddr& DA);
    bool RemoveKnownDevice(TDeviceAddr& DA);
    bool SetLogging(long LogTypes);
    bool LogText(const std::string& Action, const std::string& Text, long LogType);
    bool GetDeviceInfos(std::string& PIDText, std::string& Name, unsigned& PID, unsigned& DID);
    std::string GetDeviceName(bool WithPID);
    void SetServerMachine(const std::string& Machine);
    std::string GetLocalComputerName();
    void SetHostIP(unsigned IP);
    void SetHostname(const std::string& Text);
    void SetFilter(unsigned Value);
    void SetFilterMask(unsigned Value);

    // Block and UDP exchange ---------------------------------------------------------------------
    bool SendBlock(KVRCANBlock& CB);
    bool ReadBlock(KVRCANBlock& CB);
    bool ReadBlockEx(unsigned long Timeout, KVRCANBlock& CB);
    bool ReadBlockFiltered(KVRCANBlock& CB, unsigned IDMask, unsigned char LenMask, std::uint64_t DataMask,
                           int Timeout);
    bool RequestBlockFiltered(KVRCANBlock& Request, KVRCANBlock& Expected, unsigned IDMask, unsigned char LenMask,
                              std::uint64_t DataMask, int Timeout);
    bool SendUDPBlock(TUDPMsg& Msg);
    bool ReadUDPBlock(TUDPMsg& Msg);
    bool SendUDPBlockV6(TUDPMsgV6* Msg);
    bool ReadUDPBlockV6(TUDPMsgV6* Msg);
    bool ReadUDPBroadCasts(Kvrdata_ns::TUDPMsgVector& Msgs);
    bool ReadUDPBroadCastsV6(Kvrdata_ns::TUDPMsgsV6& Msgs);
    int GetDA(unsigned PID, unsigned DID, short N, TDeviceAddr& DA);
    bool GetDAV6(unsigned PID, unsigned char DID, TDeviceAddr& DA);
    bool GetDAbyMAC(unsigned MAC, TDeviceAddr& DA);

    // Small services the connection and error paths use ------------------------------------------
    bool GetSerialVersion(unsigned& Serial, unsigned& Version);
    std::string GetNameFromIP(unsigned IP);

    // Receive poll and events ----------------------------------------------------------------------
    void OnTimer(QObject* Sender);
    void ProcessBlock(const KVRCANBlock& CB);
    void DoCANBlockReceived(const KVRCANBlock& CB);
    void DoNoCANBlockReceived();
    void DoStatusChanged();
    void DoErrorMsgReceived(const KVRCANBlock& CB, TConnectionType Type, unsigned UDP_IP);
    void DoErrorMsgReceivedV6(const KVRCANBlock& CB, TConnectionType Type, unsigned UDP_IP);
    bool ProcessChSetupName(const KVRCANBlock& CB);
    bool ProcessMxSetupName(const KVRCANBlock& CB);
    bool ProcessFaderChName(const KVRCANBlock& CB);
    void SetProgress(int Bytes, int BytesTotal);
    void DoProgress(int Bytes, int BytesSum, int BytesTotal);

    // Server installation and update ---------------------------------------------------------------
    void ConnectServer();
    bool CheckCOMAccess(long Result);
    bool InstallServer();
    bool UpdateServer();
    bool ServerRunning();
    int GetContainedServerVersion() const { return kvr::client::ContainedServerVersion; }

    std::string DialogCaption;
    TDeviceAddr LastDeviceAddr;

private:
    // The file transfers keep their text in ErrorMsg; the transfers time their answers.
    friend class kvr::client::FileTransfer;
    friend class kvr::client::ConfigTransfer;

    std::uint64_t Now() const { return Services.Now(); }
    std::uint32_t GetTickCount() const { return static_cast<std::uint32_t>(Services.Now()); }
    void ProcessMessages() { Services.ProcessMessages(); }
    bool ServerUsable() const { return FStatus != dcsServerInitFailed && Server != nullptr; }
    using TReadMethod = kvr::commserver::HResult (kvr::commserver::ICommServer::*)(std::int32_t, std::vector<std::uint8_t>&,
                                                                                  std::int32_t&);
    using TAddressMethod = kvr::commserver::HResult (kvr::commserver::ICommServer::*)(
        std::int32_t, const std::vector<std::uint8_t>&, std::int32_t&);
    // One read call of the server into V; a negative HRESULT means the server no longer answers.
    bool ServerRead(TReadMethod Method, std::int32_t H, std::vector<std::uint8_t>& V);
    // One call that hands the server an address (known devices).
    bool SendAddress(TAddressMethod Method, TDeviceAddr& DA);
    // One paced UDP send of either generation, with the pause after a failure.
    bool SendUDPVariant(const std::vector<std::uint8_t>& V, bool NewerGeneration);
    static bool Succeeded(kvr::commserver::HResult Hr, std::int32_t Result) { return Hr == 0 && Result == 0; }
    kvr::commserver::HResult CreateServerObject();
    bool ServerAttempt(const std::string& Path, const char* LineFormat);
    void DebugLine(const std::string& Line);
    void RaiseErrorMsg(const TErrorMsgEvent& Event, const KVRCANBlock& CB, TConnectionType Type, unsigned UDP_IP);
    bool ProcessSetupName(const KVRCANBlock& CB, kvr::client::TClientModuleState::TSetupNameAssembler& A,
                          const TNameEvent& Event);
    void ReadErrorReports(const KVRCANBlock& CB);
    void TraceBlock(const char* Prefix, const KVRCANBlock& CB);

    kvr::client::TClientServices Services;
    std::int32_t ClientHandle = 1;
    std::shared_ptr<kvr::commserver::ICommServer> Server;
    std::map<TKVRClientStatus, std::string> StatusTexts;
    std::map<unsigned, std::string> NameCache;
    THighResTimer* Timer = nullptr;
    std::uint64_t LastBlockTime = 0;
    std::uint64_t LastSendTime = 0;
    // The answer of the waiting read that went with the last successful send of a request, for
    // the read that follows; Start is when that read began.
    struct TReadAhead {
        kvr::commserver::HResult Hr = 0;
        std::int32_t Result = 0;
        std::vector<std::uint8_t> V;
        std::uint32_t Start = 0;
        bool HoldsBlock() const { return Hr == 0 && Result == 0; }
    };
    std::optional<TReadAhead> ReadAhead;
    // SendBlock; with ReadTimeout, the read of the answer travels with the send.
    bool SendBlockReading(KVRCANBlock& CB, std::optional<std::int32_t> ReadTimeout);
    std::uint8_t LastPercent = 0;

    unsigned FSerialNr = 0;
    std::string FHostname = "127.0.0.1";
    unsigned FHostIP = 0;
    std::string FErrorMsg;
    TKVRClientStatus FStatus = dcsNotConnected;
    unsigned FFilter = 0;
    unsigned FFilterMask = 0;
    unsigned FTimerInterval = 20;
    bool FTransferActive = false;
    std::string FServerMachine;
    TKVRClientOptions FOptions = 0;
};
