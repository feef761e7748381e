#include "commserver/rpcclient.h"

namespace kvr::commserver {

HResult RpcClientBase::resultOnly(RpcMethod method, RpcValues inputs, std::int32_t& Result)
{
    RpcReply reply = transact(method, std::move(inputs), 0);
    if (reply.hresult < 0)
        return reply.hresult;
    Result = rpcInt(reply.outputs, 0);
    return reply.hresult;
}

HResult RpcClientBase::bytesAndResult(RpcMethod method, RpcValues inputs, Bytes& B, std::int32_t& Result, std::int32_t waitHintMs)
{
    RpcReply reply = transact(method, std::move(inputs), waitHintMs);
    if (reply.hresult < 0)
        return reply.hresult;
    B = std::move(std::get<Bytes>(reply.outputs.at(0)));
    Result = rpcInt(reply.outputs, 1);
    return reply.hresult;
}

HResult RpcClientBase::CloseConnection(std::int32_t H, std::int32_t& Result)
{
    held_.erase(H);
    return resultOnly(RpcMethod::CloseConnection, {H}, Result);
}
HResult RpcClientBase::GetUDPStatus(std::int32_t H, std::int32_t& Result) { return resultOnly(RpcMethod::GetUDPStatus, {H}, Result); }
HResult RpcClientBase::GetVersion(std::int32_t& Version) { return resultOnly(RpcMethod::GetVersion, {}, Version); }
HResult RpcClientBase::OpenSerialConnection(std::int32_t H, std::int32_t Port, std::int32_t& Result)
{
    held_.erase(H);
    return resultOnly(RpcMethod::OpenSerialConnection, {H, Port}, Result);
}
HResult RpcClientBase::OpenTCPConnection(std::int32_t H, const std::string& Host, std::int32_t Port, std::int32_t& Result)
{
    held_.erase(H);
    return resultOnly(RpcMethod::OpenTCPConnection, {H, Host, Port}, Result);
}
HResult RpcClientBase::ReadBlock(std::int32_t H, Bytes& B, std::int32_t& Result)
{
    return takeHeld(H, B, Result) ? HrOk : bytesAndResult(RpcMethod::ReadBlock, {H}, B, Result);
}
HResult RpcClientBase::ReadUDPBlock(std::int32_t H, Bytes& B, std::int32_t& Result) { return bytesAndResult(RpcMethod::ReadUDPBlock, {H}, B, Result); }
HResult RpcClientBase::SendBlock(std::int32_t H, const Bytes& B, std::int32_t& Result) { return resultOnly(RpcMethod::SendBlock, {H, B}, Result); }
HResult RpcClientBase::SendUDPBlock(std::int32_t H, const Bytes& B, std::int32_t& Result) { return resultOnly(RpcMethod::SendUDPBlock, {H, B}, Result); }
HResult RpcClientBase::ReadBlockEx(std::int32_t H, std::int32_t TimeOut, Bytes& B, std::int32_t& Result)
{
    return takeHeld(H, B, Result) ? HrOk : bytesAndResult(RpcMethod::ReadBlockEx, {H, TimeOut}, B, Result, TimeOut);
}
HResult RpcClientBase::SetFilter(std::int32_t H, std::int32_t Filter, std::int32_t FilterMask, std::int32_t& Result) { return resultOnly(RpcMethod::SetFilter, {H, Filter, FilterMask}, Result); }
HResult RpcClientBase::ReadUDPBroadCasts(std::int32_t H, Bytes& B, std::int32_t& Result) { return bytesAndResult(RpcMethod::ReadUDPBroadCasts, {H}, B, Result); }
HResult RpcClientBase::OpenConnection(std::int32_t H, const Bytes& B, std::int32_t& Result)
{
    held_.erase(H);
    return resultOnly(RpcMethod::OpenConnection, {H, B}, Result);
}
HResult RpcClientBase::Ping(const std::string& Host, std::int32_t TimeOut, std::int32_t& ResponseTime)
{
    RpcReply reply = transact(RpcMethod::Ping, {Host, TimeOut}, TimeOut);
    if (reply.hresult < 0)
        return reply.hresult;
    ResponseTime = rpcInt(reply.outputs, 0);
    return reply.hresult;
}
HResult RpcClientBase::SetLogging(std::int32_t H, std::int32_t LogTypes, std::int32_t& Result) { return resultOnly(RpcMethod::SetLogging, {H, LogTypes}, Result); }
HResult RpcClientBase::LogText(std::int32_t H, const std::string& Action, const std::string& Text, std::int32_t LogType, std::int32_t& Result) { return resultOnly(RpcMethod::LogText, {H, Action, Text, LogType}, Result); }
HResult RpcClientBase::AddKnownDevice(std::int32_t H, const Bytes& B, std::int32_t& Result) { return resultOnly(RpcMethod::AddKnownDevice, {H, B}, Result); }
HResult RpcClientBase::RemoveKnownDevice(std::int32_t H, const Bytes& B, std::int32_t& Result) { return resultOnly(RpcMethod::RemoveKnownDevice, {H, B}, Result); }
HResult RpcClientBase::ReadBlock2(std::int32_t H, Bytes& B, std::int32_t& Result)
{
    return takeHeld(H, B, Result) ? HrOk : bytesAndResult(RpcMethod::ReadBlock2, {H}, B, Result);
}
HResult RpcClientBase::ReadBlockEx2(std::int32_t H, std::int32_t TimeOut, Bytes& B, std::int32_t& Result)
{
    return takeHeld(H, B, Result) ? HrOk : bytesAndResult(RpcMethod::ReadBlockEx2, {H, TimeOut}, B, Result, TimeOut);
}
HResult RpcClientBase::GetUDPStatusV6(std::int32_t H, std::int32_t& Result) { return resultOnly(RpcMethod::GetUDPStatusV6, {H}, Result); }
HResult RpcClientBase::ReadUDPBlockV6(std::int32_t H, Bytes& B, std::int32_t& Result) { return bytesAndResult(RpcMethod::ReadUDPBlockV6, {H}, B, Result); }
HResult RpcClientBase::SendUDPBlockV6(std::int32_t H, const Bytes& B, std::int32_t& Result) { return resultOnly(RpcMethod::SendUDPBlockV6, {H, B}, Result); }
HResult RpcClientBase::ReadUDPBroadCastsV6(std::int32_t H, Bytes& B, std::int32_t& Result) { return bytesAndResult(RpcMethod::ReadUDPBroadCastsV6, {H}, B, Result); }
HResult RpcClientBase::ReadOSBroadCasts(std::int32_t H, Bytes& B, std::int32_t& Result) { return bytesAndResult(RpcMethod::ReadOSBroadCasts, {H}, B, Result); }
HResult RpcClientBase::SendOSBroadCast(std::int32_t H, const Bytes& B, std::int32_t& Result) { return resultOnly(RpcMethod::SendOSBroadCast, {H, B}, Result); }

bool RpcClientBase::takeHeld(std::int32_t H, Bytes& B, std::int32_t& Result)
{
    const auto it = held_.find(H);
    if (it == held_.end())
        return false;
    B = std::move(it->second.front());
    it->second.pop_front();
    if (it->second.empty())
        held_.erase(it);
    Result = ResultOk;
    return true;
}

void RpcClientBase::transactBoth(RpcMethod first, RpcValues firstInputs, RpcMethod second, RpcValues secondInputs,
                                 std::int32_t waitHintMs, RpcReply& firstReply, std::optional<RpcReply>& secondReply)
{
    firstReply = transact(first, std::move(firstInputs), 0);
    secondReply.reset();
    if (firstReply.hresult == HrOk && rpcInt(firstReply.outputs, 0) == 0)
        secondReply = transact(second, std::move(secondInputs), waitHintMs);
}

HResult RpcClientBase::SendBlockThenRead(std::int32_t H, const Bytes& B, std::int32_t& SendResult, std::int32_t TimeOut,
                                         Bytes& Answer, std::int32_t& ReadResult, HResult& ReadHr)
{
    RpcReply sent;
    std::optional<RpcReply> read;
    transactBoth(RpcMethod::SendBlock, {H, B}, RpcMethod::ReadBlockEx2, {H, TimeOut}, TimeOut, sent, read);
    ReadHr = HrReadNotMade;
    ReadResult = ResultNothingQueued;
    if (sent.hresult < 0)
        return sent.hresult;
    SendResult = rpcInt(sent.outputs, 0);
    const bool readAnswered = read && read->hresult >= 0;
    if (sent.hresult != HrOk || SendResult != ResultOk) {
        // The read travelled with the send; a block it took waits for the next read.
        if (readAnswered && read->hresult == HrOk && rpcInt(read->outputs, 1) == ResultOk)
            held_[H].push_back(std::move(std::get<Bytes>(read->outputs.at(0))));
        return sent.hresult;
    }
    if (!read)
        return sent.hresult;
    ReadHr = read->hresult;
    if (readAnswered) {
        Answer = std::move(std::get<Bytes>(read->outputs.at(0)));
        ReadResult = rpcInt(read->outputs, 1);
    }
    return sent.hresult;
}

} // namespace kvr::commserver
