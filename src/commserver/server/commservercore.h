#pragma once
// The server's own work behind the RPC layer: per client handle its device link, receive filter,
// bounded queues and logging; the known devices; answers to every method of the contract.
// Calls complete through a callback, at once or (opening, waiting reads, Ping) later from the
// event loop; every call completes, each wait being bounded. Everything held for others stays
// within the configuration's memory bound.

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
    // Who makes a call: the RPC connection it came on. A handle belongs to the connection that
    // opened it; another connection's use of it is refused as if there were no such handle.
    using Owner = std::uint64_t;
    static constexpr Owner InProcess = 0;

    explicit CommServerCore(ServerConfig config, QObject* parent = nullptr);
    ~CommServerCore() override;

    // Binds the UDP socket; false with a reason when that fails.
    bool start(std::string* error);
    std::uint16_t udpPort() const;

    // inputs are checked against the method's signature by the caller.
    void call(RpcMethod method, const RpcValues& inputs, Done done) { call(InProcess, method, inputs, std::move(done)); }
    void call(Owner owner, RpcMethod method, const RpcValues& inputs, Done done);
    // The connection is gone: its handles and their links go with it.
    void releaseOwner(Owner owner);
    std::size_t handlesOf(Owner owner) const;

    const ServerConfig& config() const { return config_; }
    std::size_t clientCount() const { return clients_.size(); }
    // Bytes held in the queues of all handles together (what the memory bound counts).
    std::size_t queuedBytes() const { return queuedBytes_; }
    // Where every datagram of the UDP socket arrives; the fuzzers feed it without a socket.
    void udpReceived(std::uint32_t fromIp, std::uint16_t fromPort, const Bytes& datagram);

private:
    struct Waiter;
    struct Queue;
    struct Client;
    struct Collected {
        std::chrono::steady_clock::time_point at;
        Bytes record; // older: the 177-byte record; newer: the raw datagram
        std::uint32_t fromIp = 0;
        std::uint16_t fromPort = 0;
    };
    // The newest record of each sender, bounded by count and bytes; a new sender that finds it
    // full takes the place of the sender heard from longest ago.
    class NewestRecords {
    public:
        void store(std::uint32_t key, Collected entry, std::size_t maxCount, std::size_t maxBytes);
        void forgetOlderThan(std::chrono::steady_clock::time_point limit);
        const std::map<std::uint32_t, Collected>& entries() const { return byKey_; }

    private:
        void erase(std::map<std::uint32_t, Collected>::iterator it);
        std::map<std::uint32_t, Collected> byKey_;
        std::set<std::pair<std::chrono::steady_clock::time_point, std::uint32_t>> byAge_;
        std::size_t bytes_ = 0;
    };

    // The handle's state; created on request, within the table's limits, for owner.
    Client* client(std::int32_t H, bool create, Owner owner = InProcess);
    bool foreign(std::int32_t H, Owner owner) const;
    void closeClient(std::int32_t H);
    void openLink(std::int32_t H, Owner owner, std::unique_ptr<DeviceLink> link, Done done);
    LinkTimings linkTimings() const;
    void frameFromDevice(std::int32_t H, const DeviceFrame& frame);
    void readBlock(std::int32_t H, std::int32_t timeoutMs, Done done);
    void finishWaiter(std::uint64_t id);
    void armWaitTimer(std::chrono::steady_clock::time_point deadline);
    void expireWaiters();
    void sendBlock(std::int32_t H, const Bytes& block, Done done);
    void ping(const std::string& host, std::int32_t timeoutMs, Done done);
    void log(std::int32_t H, const std::string& line);
    void popQueue(std::int32_t H, Owner owner, bool older, Done done);
    // Queues an entry within the queue's own limits and the bound of all queues together.
    void push(Client& c, Queue& queue, std::shared_ptr<const Bytes> entry, std::size_t countLimit, std::size_t byteLimit);
    void dropOldest(Queue& queue);
    void clearQueue(Queue& queue);
    // Hands memory freed by closed handles back to the system (soon, once for many).
    void giveBackMemory();

    ServerConfig config_;
    std::map<std::int32_t, std::unique_ptr<Client>> clients_;
    std::size_t queuedBytes_ = 0;
    bool giveBackDue_ = false;
    std::map<std::uint64_t, std::unique_ptr<Waiter>> waiters_;
    std::uint64_t nextWaiter_ = 1;
    QTimer* waitTimer_ = nullptr;
    std::chrono::steady_clock::time_point waitTimerDue_;
    std::vector<Bytes> knownDevices_;
    NewestRecords statusRecords_; // newest status record per sender
    NewestRecords deviceRecords_; // newest newer-generation device record per sender
    void purgeCollections();
    Bytes broadcastCollection();
    Bytes broadcastCollectionV6();
    void openByAddress(std::int32_t H, Owner owner, const Bytes& address, Done done);
    void openSerial(std::int32_t H, Owner owner, int port, Done done);
    void openTcp(std::int32_t H, Owner owner, std::uint32_t ip, Done done);
    std::unique_ptr<UdpHub> udp_;
};

} // namespace kvr::commserver
