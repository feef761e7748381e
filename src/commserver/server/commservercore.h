#pragma once
// The server's own work behind the RPC layer: per client handle its device link, receive filter,
// bounded queues and logging; the known devices; answers to every method of the contract.
// Calls complete through a callback, at once or (opening, waiting reads, Ping) later from the
// event loop; every call completes, each wait being bounded.

#include <QObject>

class QTimer;

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "commserver/rpcclient.h"
#include "commserver/server/serverconfig.h"

namespace kvr::commserver {

class UdpHub;

class CommServerCore : public QObject {
public:
    using Done = std::function<void(RpcReply)>;

    explicit CommServerCore(ServerConfig config, QObject* parent = nullptr);
    ~CommServerCore() override;

    // Binds the UDP socket; false with a reason when that fails.
    bool start(std::string* error);
    std::uint16_t udpPort() const;

    // inputs are checked against the method's signature by the caller.
    void call(RpcMethod method, const RpcValues& inputs, Done done);
    // The RPC connection that used these handles is gone.
    void releaseHandles(const std::set<std::int32_t>& handles);

    const ServerConfig& config() const { return config_; }
    std::size_t clientCount() const { return clients_.size(); }
    // Where every datagram of the UDP socket arrives; the fuzzers feed it without a socket.
    void udpReceived(std::uint32_t fromIp, std::uint16_t fromPort, const Bytes& datagram);

private:
    struct Waiter;
    struct Client;

    Client* client(std::int32_t H, bool create);
    void closeClient(std::int32_t H);
    void openLink(std::int32_t H, std::unique_ptr<DeviceLink> link, Done done);
    void frameFromDevice(std::int32_t H, const DeviceFrame& frame);
    void readBlock(std::int32_t H, std::int32_t timeoutMs, Done done);
    void finishWaiter(std::uint64_t id);
    void armWaitTimer(std::chrono::steady_clock::time_point deadline);
    void expireWaiters();
    void sendBlock(std::int32_t H, const Bytes& block, Done done);
    void ping(const std::string& host, std::int32_t timeoutMs, Done done);
    void log(std::int32_t H, const std::string& line);
    void popQueue(std::int32_t H, bool older, Done done);

    ServerConfig config_;
    std::map<std::int32_t, std::unique_ptr<Client>> clients_;
    std::map<std::uint64_t, std::unique_ptr<Waiter>> waiters_;
    std::uint64_t nextWaiter_ = 1;
    QTimer* waitTimer_ = nullptr;
    std::chrono::steady_clock::time_point waitTimerDue_;
    std::vector<Bytes> knownDevices_;
    struct Collected {
        std::chrono::steady_clock::time_point at;
        Bytes record; // older: the 177-byte record; newer: the raw datagram
        std::uint32_t fromIp = 0;
        std::uint16_t fromPort = 0;
    };
    std::map<std::uint32_t, Collected> statusRecords_; // newest status record per sender
    std::map<std::uint32_t, Collected> deviceRecords_; // newest newer-generation device record per sender
    void purgeCollections();
    Bytes broadcastCollection();
    Bytes broadcastCollectionV6();
    void openByAddress(std::int32_t H, const Bytes& address, Done done);
    void openSerial(std::int32_t H, int port, Done done);
    void openTcp(std::int32_t H, std::uint32_t ip, Done done);
    std::unique_ptr<UdpHub> udp_;
};

} // namespace kvr::commserver
