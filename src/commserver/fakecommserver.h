#pragma once
// An in-process ICommServer for unit tests of the client: scripted results, queued blocks and
// broadcasts, a responder standing in for the device, and a record of every call.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "commserver/icommserver.h"
#include "commserver/rpcframe.h"

namespace kvr::commserver {

class FakeCommServer : public ICommServer {
public:
    struct Call {
        RpcMethod method;
        std::int32_t handle = 0;
        std::vector<std::int32_t> numbers; // the integer arguments after the handle
        std::string text;                  // host or action/text joined by '\n'
        Bytes bytes;
    };

    // A server that does not respond answers every call with this negative code.
    void setResponding(bool responding) { responding_ = responding; }
    // The next calls of the method answer these results, in order, instead of their own.
    void scriptResults(RpcMethod method, std::vector<std::int32_t> results);
    void setVersion(std::int32_t version) { version_ = version; }
    void setPingTime(std::int32_t ms) { pingTime_ = ms; }

    // A block from the device of handle H, queued when it passes the handle's filter.
    void deliverBlock(std::int32_t H, const Bytes& block);
    void queueUDP(std::int32_t H, const Bytes& msg) { clients_[H].udp.push_back(msg); }
    void queueUDPV6(std::int32_t H, const Bytes& msg) { clients_[H].udpV6.push_back(msg); }
    void setBroadcasts(Bytes collection) { broadcasts_ = std::move(collection); }
    void setBroadcastsV6(Bytes collection) { broadcastsV6_ = std::move(collection); }
    // Called for every block a connected handle sends; may deliver answers.
    std::function<void(std::int32_t H, const Bytes& block)> onSendBlock;

    const std::vector<Call>& calls() const { return calls_; }
    std::vector<Bytes> sentBlocks(std::int32_t H) const;
    bool isConnected(std::int32_t H) const;
    std::size_t queuedBlocks(std::int32_t H) const;

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

private:
    struct Client {
        bool connected = false;
        std::uint32_t filter = 0;
        std::uint32_t mask = 0;
        std::deque<Bytes> blocks;
        std::deque<Bytes> udp;
        std::deque<Bytes> udpV6;
        std::vector<Bytes> sent;
    };

    // Records the call; false when the fake does not respond. Result gets a scripted value.
    bool begin(Call call, std::int32_t& Result, std::int32_t natural);
    HResult pop(std::deque<Bytes>& queue, Bytes& B, std::int32_t& Result, std::int32_t emptyResult);
    HResult openResult(std::int32_t H, std::int32_t& Result);

    bool responding_ = true;
    std::int32_t version_ = MinimumServerVersion;
    std::int32_t pingTime_ = 1;
    std::map<std::int32_t, Client> clients_;
    std::map<RpcMethod, std::deque<std::int32_t>> scripted_;
    std::vector<Call> calls_;
    Bytes broadcasts_{0, 177, 0, 0};
    Bytes broadcastsV6_;
};

} // namespace kvr::commserver
