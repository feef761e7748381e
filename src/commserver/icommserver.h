#pragma once
// The contract between the communication client and the communication server. The methods are
// those of the server object in their original order; each returns an HRESULT-like code and
// (unless noted) fills a Result. A call succeeded only when both are 0.

#include <cstdint>
#include <string>
#include <vector>

namespace kvr::commserver {

using Bytes = std::vector<std::uint8_t>;
using HResult = std::int32_t;

// HRESULT-like codes. A negative code means the server did not respond.
inline constexpr HResult HrOk = 0;
inline constexpr HResult HrFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult HrInvalidArg = static_cast<HResult>(0x80070057u);
// The server is gone or answered garbage.
inline constexpr HResult HrServerUnavailable = static_cast<HResult>(0x800706BAu);
// The server took longer than the call's time-out.
inline constexpr HResult HrServerTimeout = static_cast<HResult>(0x800705B4u);
// Not an answer of the server: a read that was not made because the send before it failed.
inline constexpr HResult HrReadNotMade = 1;

// Result codes the client relies on.
enum ResultCode : std::int32_t {
    ResultOk = 0,
    ResultNoConnection = 3,  // send: the link is gone for good
    ResultNothingQueued = 7, // read: the queue is empty
    ResultNotConnected = 9,  // send: this handle has no connection
    ResultReconnecting = 10, // the link is lost and being retried
    ResultConnectionLost = 11, // read: the link is lost for good
    ResultLinkBusy = 12,     // send: the link holds as much unsent as it may; nothing was sent
    ResultInvalidArgument = 20, // a byte array or argument the server cannot use
};

// The lowest version a client accepts; GetVersion answers at least this.
inline constexpr std::int32_t MinimumServerVersion = 0x015A0D00;

class ICommServer {
public:
    virtual ~ICommServer() = default;

    virtual HResult CloseConnection(std::int32_t H, std::int32_t& Result) = 0;
    virtual HResult GetUDPStatus(std::int32_t H, std::int32_t& Result) = 0;
    virtual HResult GetVersion(std::int32_t& Version) = 0;
    virtual HResult OpenSerialConnection(std::int32_t H, std::int32_t Port, std::int32_t& Result) = 0;
    virtual HResult OpenTCPConnection(std::int32_t H, const std::string& Host, std::int32_t Port, std::int32_t& Result) = 0;
    virtual HResult ReadBlock(std::int32_t H, Bytes& B, std::int32_t& Result) = 0;
    virtual HResult ReadUDPBlock(std::int32_t H, Bytes& B, std::int32_t& Result) = 0;
    virtual HResult SendBlock(std::int32_t H, const Bytes& B, std::int32_t& Result) = 0;
    virtual HResult SendUDPBlock(std::int32_t H, const Bytes& B, std::int32_t& Result) = 0;
    virtual HResult ReadBlockEx(std::int32_t H, std::int32_t TimeOut, Bytes& B, std::int32_t& Result) = 0;
    virtual HResult SetFilter(std::int32_t H, std::int32_t Filter, std::int32_t FilterMask, std::int32_t& Result) = 0;
    virtual HResult ReadUDPBroadCasts(std::int32_t H, Bytes& B, std::int32_t& Result) = 0;
    virtual HResult OpenConnection(std::int32_t H, const Bytes& B, std::int32_t& Result) = 0;
    virtual HResult Ping(const std::string& Host, std::int32_t TimeOut, std::int32_t& ResponseTime) = 0;
    virtual HResult SetLogging(std::int32_t H, std::int32_t LogTypes, std::int32_t& Result) = 0;
    virtual HResult LogText(std::int32_t H, const std::string& Action, const std::string& Text, std::int32_t LogType, std::int32_t& Result) = 0;
    virtual HResult AddKnownDevice(std::int32_t H, const Bytes& B, std::int32_t& Result) = 0;
    virtual HResult RemoveKnownDevice(std::int32_t H, const Bytes& B, std::int32_t& Result) = 0;
    virtual HResult ReadBlock2(std::int32_t H, Bytes& B, std::int32_t& Result) = 0;
    virtual HResult ReadBlockEx2(std::int32_t H, std::int32_t TimeOut, Bytes& B, std::int32_t& Result) = 0;
    virtual HResult GetUDPStatusV6(std::int32_t H, std::int32_t& Result) = 0;
    virtual HResult ReadUDPBlockV6(std::int32_t H, Bytes& B, std::int32_t& Result) = 0;
    virtual HResult SendUDPBlockV6(std::int32_t H, const Bytes& B, std::int32_t& Result) = 0;
    virtual HResult ReadUDPBroadCastsV6(std::int32_t H, Bytes& B, std::int32_t& Result) = 0;
    virtual HResult ReadOSBroadCasts(std::int32_t H, Bytes& B, std::int32_t& Result) = 0;
    virtual HResult SendOSBroadCast(std::int32_t H, const Bytes& B, std::int32_t& Result) = 0;

    // A request that expects an answer: SendBlock, then, once the send has succeeded,
    // ReadBlockEx2 with TimeOut. Returns the send's HRESULT; ReadHr is the read's, HrReadNotMade
    // (with ReadResult ResultNothingQueued) when the send failed. A server reached over a
    // connection carries both calls at once; what each call does and answers stays that of the
    // two calls made one after the other.
    virtual HResult SendBlockThenRead(std::int32_t H, const Bytes& B, std::int32_t& SendResult, std::int32_t TimeOut,
                                      Bytes& Answer, std::int32_t& ReadResult, HResult& ReadHr)
    {
        const HResult Hr = SendBlock(H, B, SendResult);
        if (Hr != HrOk || SendResult != ResultOk) {
            ReadHr = HrReadNotMade;
            ReadResult = ResultNothingQueued;
            return Hr;
        }
        ReadHr = ReadBlockEx2(H, TimeOut, Answer, ReadResult);
        return Hr;
    }
};

} // namespace kvr::commserver
