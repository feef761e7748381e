#include "commserver/fakecommserver.h"

#include "kvrdata/byteorder.h"

namespace kvr::commserver {

void FakeCommServer::scriptResults(RpcMethod method, std::vector<std::int32_t> results)
{
    auto& queue = scripted_[method];
    queue.insert(queue.end(), results.begin(), results.end());
}

void FakeCommServer::deliverBlock(std::int32_t H, const Bytes& block)
{
    Client& client = clients_[H];
    const std::uint32_t id = block.size() >= 6 ? readLE32(block, 2) : 0;
    if ((id & client.mask) == (client.filter & client.mask))
        client.blocks.push_back(block);
}

std::vector<Bytes> FakeCommServer::sentBlocks(std::int32_t H) const
{
    const auto it = clients_.find(H);
    return it == clients_.end() ? std::vector<Bytes>{} : it->second.sent;
}

bool FakeCommServer::isConnected(std::int32_t H) const
{
    const auto it = clients_.find(H);
    return it != clients_.end() && it->second.connected;
}

std::size_t FakeCommServer::queuedBlocks(std::int32_t H) const
{
    const auto it = clients_.find(H);
    return it == clients_.end() ? 0 : it->second.blocks.size();
}

bool FakeCommServer::begin(Call call, std::int32_t& Result, std::int32_t natural)
{
    const RpcMethod method = call.method;
    calls_.push_back(std::move(call));
    if (!responding_)
        return false;
    Result = natural;
    auto it = scripted_.find(method);
    if (it != scripted_.end() && !it->second.empty()) {
        Result = it->second.front();
        it->second.pop_front();
    }
    return true;
}

HResult FakeCommServer::pop(std::deque<Bytes>& queue, Bytes& B, std::int32_t& Result, std::int32_t emptyResult)
{
    if (Result != ResultOk)
        return HrOk;
    if (queue.empty()) {
        Result = emptyResult;
        return HrOk;
    }
    B = std::move(queue.front());
    queue.pop_front();
    return HrOk;
}

HResult FakeCommServer::openResult(std::int32_t H, std::int32_t& Result)
{
    clients_[H].connected = Result == ResultOk;
    return HrOk;
}

HResult FakeCommServer::CloseConnection(std::int32_t H, std::int32_t& Result)
{
    if (!begin({RpcMethod::CloseConnection, H, {}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    clients_[H].connected = false;
    return HrOk;
}

HResult FakeCommServer::GetUDPStatus(std::int32_t H, std::int32_t& Result)
{
    return begin({RpcMethod::GetUDPStatus, H, {}, {}, {}}, Result, ResultOk) ? HrOk : HrServerUnavailable;
}

HResult FakeCommServer::GetVersion(std::int32_t& Version)
{
    return begin({RpcMethod::GetVersion, 0, {}, {}, {}}, Version, version_) ? HrOk : HrServerUnavailable;
}

HResult FakeCommServer::OpenSerialConnection(std::int32_t H, std::int32_t Port, std::int32_t& Result)
{
    if (!begin({RpcMethod::OpenSerialConnection, H, {Port}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    return openResult(H, Result);
}

HResult FakeCommServer::OpenTCPConnection(std::int32_t H, const std::string& Host, std::int32_t Port, std::int32_t& Result)
{
    if (!begin({RpcMethod::OpenTCPConnection, H, {Port}, Host, {}}, Result, ResultOk))
        return HrServerUnavailable;
    return openResult(H, Result);
}

HResult FakeCommServer::OpenConnection(std::int32_t H, const Bytes& B, std::int32_t& Result)
{
    if (!begin({RpcMethod::OpenConnection, H, {}, {}, B}, Result, ResultOk))
        return HrServerUnavailable;
    return openResult(H, Result);
}

HResult FakeCommServer::ReadBlock(std::int32_t H, Bytes& B, std::int32_t& Result)
{
    if (!begin({RpcMethod::ReadBlock, H, {}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    return pop(clients_[H].blocks, B, Result, ResultNothingQueued);
}

HResult FakeCommServer::ReadBlock2(std::int32_t H, Bytes& B, std::int32_t& Result)
{
    if (!begin({RpcMethod::ReadBlock2, H, {}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    return pop(clients_[H].blocks, B, Result, ResultNothingQueued);
}

HResult FakeCommServer::ReadBlockEx(std::int32_t H, std::int32_t TimeOut, Bytes& B, std::int32_t& Result)
{
    if (!begin({RpcMethod::ReadBlockEx, H, {TimeOut}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    return pop(clients_[H].blocks, B, Result, ResultNothingQueued);
}

HResult FakeCommServer::ReadBlockEx2(std::int32_t H, std::int32_t TimeOut, Bytes& B, std::int32_t& Result)
{
    if (!begin({RpcMethod::ReadBlockEx2, H, {TimeOut}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    return pop(clients_[H].blocks, B, Result, ResultNothingQueued);
}

HResult FakeCommServer::ReadUDPBlock(std::int32_t H, Bytes& B, std::int32_t& Result)
{
    if (!begin({RpcMethod::ReadUDPBlock, H, {}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    return pop(clients_[H].udp, B, Result, ResultNothingQueued);
}

HResult FakeCommServer::ReadUDPBlockV6(std::int32_t H, Bytes& B, std::int32_t& Result)
{
    if (!begin({RpcMethod::ReadUDPBlockV6, H, {}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    return pop(clients_[H].udpV6, B, Result, ResultNothingQueued);
}

HResult FakeCommServer::SendBlock(std::int32_t H, const Bytes& B, std::int32_t& Result)
{
    Client& client = clients_[H];
    if (!begin({RpcMethod::SendBlock, H, {}, {}, B}, Result, client.connected ? ResultOk : ResultNotConnected))
        return HrServerUnavailable;
    if (Result != ResultOk)
        return HrOk;
    client.sent.push_back(B);
    if (onSendBlock)
        onSendBlock(H, B);
    return HrOk;
}

HResult FakeCommServer::SendUDPBlock(std::int32_t H, const Bytes& B, std::int32_t& Result)
{
    return begin({RpcMethod::SendUDPBlock, H, {}, {}, B}, Result, ResultOk) ? HrOk : HrServerUnavailable;
}

HResult FakeCommServer::SendUDPBlockV6(std::int32_t H, const Bytes& B, std::int32_t& Result)
{
    return begin({RpcMethod::SendUDPBlockV6, H, {}, {}, B}, Result, ResultOk) ? HrOk : HrServerUnavailable;
}

HResult FakeCommServer::SendOSBroadCast(std::int32_t H, const Bytes& B, std::int32_t& Result)
{
    return begin({RpcMethod::SendOSBroadCast, H, {}, {}, B}, Result, ResultOk) ? HrOk : HrServerUnavailable;
}

HResult FakeCommServer::SetFilter(std::int32_t H, std::int32_t Filter, std::int32_t FilterMask, std::int32_t& Result)
{
    if (!begin({RpcMethod::SetFilter, H, {Filter, FilterMask}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    clients_[H].filter = static_cast<std::uint32_t>(Filter);
    clients_[H].mask = static_cast<std::uint32_t>(FilterMask);
    return HrOk;
}

HResult FakeCommServer::ReadUDPBroadCasts(std::int32_t H, Bytes& B, std::int32_t& Result)
{
    if (!begin({RpcMethod::ReadUDPBroadCasts, H, {}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    B = broadcasts_;
    return HrOk;
}

HResult FakeCommServer::ReadUDPBroadCastsV6(std::int32_t H, Bytes& B, std::int32_t& Result)
{
    if (!begin({RpcMethod::ReadUDPBroadCastsV6, H, {}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    B = broadcastsV6_;
    return HrOk;
}

HResult FakeCommServer::ReadOSBroadCasts(std::int32_t H, Bytes& B, std::int32_t& Result)
{
    if (!begin({RpcMethod::ReadOSBroadCasts, H, {}, {}, {}}, Result, ResultOk))
        return HrServerUnavailable;
    B.clear();
    return HrOk;
}

HResult FakeCommServer::Ping(const std::string& Host, std::int32_t TimeOut, std::int32_t& ResponseTime)
{
    return begin({RpcMethod::Ping, 0, {TimeOut}, Host, {}}, ResponseTime, pingTime_) ? HrOk : HrServerUnavailable;
}

HResult FakeCommServer::SetLogging(std::int32_t H, std::int32_t LogTypes, std::int32_t& Result)
{
    return begin({RpcMethod::SetLogging, H, {LogTypes}, {}, {}}, Result, ResultOk) ? HrOk : HrServerUnavailable;
}

HResult FakeCommServer::LogText(std::int32_t H, const std::string& Action, const std::string& Text, std::int32_t LogType, std::int32_t& Result)
{
    return begin({RpcMethod::LogText, H, {LogType}, Action + "\n" + Text, {}}, Result, ResultOk) ? HrOk : HrServerUnavailable;
}

HResult FakeCommServer::AddKnownDevice(std::int32_t H, const Bytes& B, std::int32_t& Result)
{
    return begin({RpcMethod::AddKnownDevice, H, {}, {}, B}, Result, ResultOk) ? HrOk : HrServerUnavailable;
}

HResult FakeCommServer::RemoveKnownDevice(std::int32_t H, const Bytes& B, std::int32_t& Result)
{
    return begin({RpcMethod::RemoveKnownDevice, H, {}, {}, B}, Result, ResultOk) ? HrOk : HrServerUnavailable;
}

HResult FakeCommServer::GetUDPStatusV6(std::int32_t H, std::int32_t& Result)
{
    return begin({RpcMethod::GetUDPStatusV6, H, {}, {}, {}}, Result, ResultOk) ? HrOk : HrServerUnavailable;
}

} // namespace kvr::commserver
