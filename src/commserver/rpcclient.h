#pragma once
// The typed methods of ICommServer over one generic call: the proxy sends the call over a
// socket, the in-process adapter of the server hands it to the server core. Both share this.

#include <deque>
#include <map>
#include <optional>

#include "commserver/icommserver.h"
#include "commserver/rpcframe.h"

namespace kvr::commserver {

struct RpcReply {
    HResult hresult = HrServerUnavailable;
    RpcValues outputs; // checked against the method's output signature when hresult >= 0
};

class RpcClientBase : public ICommServer {
public:
    HResult CloseConnection(std::int32_t H, std::int32_t& Result) override;
    HResult GetUDPStatus(std::int32_t H, std::int32_t& Result) override;
    HResult GetVersion(std::int32_t& Version) override;
    HResult OpenSerialConnection(std::int32_t H, std::int32_t Port, std::int32_t& Result) override;
    HResult OpenTCPConnection(std::int32_t H, const std::string& Host, std::int32_t Port, std::int32_t& Result) override;
    HResult ReadBlock(std::int32_t H, Bytes& B, std::int32_t& Result) override;
    HResult ReadUDPBlock(std::int32_t H, Bytes& B, std::int32_t& Result) override;
    HResult SendBlock(std::int32_t H, const Bytes& B, std::int32_t& Result) override;
    HResult SendUDPBlock(std::int32_t H, const Bytes& B, std::int32_t& Result) override;
    HResult ReadBlockEx(std::int32_t H, std::int32_t TimeOut, Bytes& B, std::int32_t& Result) override;
    HResult SetFilter(std::int32_t H, std::int32_t Filter, std::int32_t FilterMask, std::int32_t& Result) override;
    HResult ReadUDPBroadCasts(std::int32_t H, Bytes& B, std::int32_t& Result) override;
    HResult OpenConnection(std::int32_t H, const Bytes& B, std::int32_t& Result) override;
    HResult Ping(const std::string& Host, std::int32_t TimeOut, std::int32_t& ResponseTime) override;
    HResult SetLogging(std::int32_t H, std::int32_t LogTypes, std::int32_t& Result) override;
    HResult LogText(std::int32_t H, const std::string& Action, const std::string& Text, std::int32_t LogType, std::int32_t& Result) override;
    HResult AddKnownDevice(std::int32_t H, const Bytes& B, std::int32_t& Result) override;
    HResult RemoveKnownDevice(std::int32_t H, const Bytes& B, std::int32_t& Result) override;
    HResult ReadBlock2(std::int32_t H, Bytes& B, std::int32_t& Result) override;
    HResult ReadBlockEx2(std::int32_t H, std::int32_t TimeOut, Bytes& B, std::int32_t& Result) override;
    HResult GetUDPStatusV6(std::int32_t H, std::int32_t& Result) override;
    HResult ReadUDPBlockV6(std::int32_t H, Bytes& B, std::int32_t& Result) override;
    HResult SendUDPBlockV6(std::int32_t H, const Bytes& B, std::int32_t& Result) override;
    HResult ReadUDPBroadCastsV6(std::int32_t H, Bytes& B, std::int32_t& Result) override;
    HResult ReadOSBroadCasts(std::int32_t H, Bytes& B, std::int32_t& Result) override;
    HResult SendOSBroadCast(std::int32_t H, const Bytes& B, std::int32_t& Result) override;
    HResult SendBlockThenRead(std::int32_t H, const Bytes& B, std::int32_t& SendResult, std::int32_t TimeOut,
                              Bytes& Answer, std::int32_t& ReadResult, HResult& ReadHr) override;

protected:
    // Performs one call. waitHintMs is how long the server may legitimately hold the reply
    // (the time-out of a waiting read), on top of the transport's own time-out.
    virtual RpcReply transact(RpcMethod method, RpcValues inputs, std::int32_t waitHintMs) = 0;
    // Performs a call and then a second one, the second only when the first succeeded (an
    // HRESULT and a first output of 0). A transport that carries both at once makes the second
    // in any case and answers both; see SendBlockThenRead for what becomes of its answer.
    virtual void transactBoth(RpcMethod first, RpcValues firstInputs, RpcMethod second, RpcValues secondInputs,
                              std::int32_t waitHintMs, RpcReply& firstReply, std::optional<RpcReply>& secondReply);

private:
    // A block that a read carried along with a failed send took from the server's queue: the
    // next read of the handle answers it, as the server would have.
    bool takeHeld(std::int32_t H, Bytes& B, std::int32_t& Result);
    std::map<std::int32_t, std::deque<Bytes>> held_;

    HResult resultOnly(RpcMethod method, RpcValues inputs, std::int32_t& Result);
    HResult bytesAndResult(RpcMethod method, RpcValues inputs, Bytes& B, std::int32_t& Result, std::int32_t waitHintMs = 0);
};

} // namespace kvr::commserver
