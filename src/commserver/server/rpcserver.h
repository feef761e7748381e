#pragma once
// Serves the RPC framing of docs/rpc.md on the per-user local socket and, when configured, on a
// TCP port for other machines. One call at a time per connection; a garbled frame or a peer of
// another user closes that connection only.

#include <QObject>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "commserver/server/commservercore.h"

class QLocalServer;
class QTcpServer;
class QTimer;

namespace kvr::commserver {

class RpcServer : public QObject {
public:
    RpcServer(CommServerCore& core, QObject* parent = nullptr);
    ~RpcServer() override;

    // Listens on localSocketPath (an existing file there is replaced: the caller holds the lock)
    // and on the remote listener of the configuration.
    bool listen(const std::string& localSocketPath, std::string* error);
    std::uint16_t remotePort() const;
    std::size_t connectionCount() const;
    std::size_t refusedPeers() const { return refused_; }
    // Calls idle once no client has been connected for ms (from now, or from when the last one
    // goes); a client connecting meanwhile stops the count. 0 never calls it.
    void setIdleExit(int ms, std::function<void()> idle);

private:
    class Connection;
    void adopt(int descriptor);
    void connectionGone();
    // Closes the connections idle past their idle time (longer for those holding handles).
    void closeIdle();
    // On a full server: closes the connection that may best give its place; false when none may.
    bool makeRoom();
    std::size_t openConnections() const;

    CommServerCore& core_;
    QLocalServer* local_ = nullptr;
    QTcpServer* remote_ = nullptr;
    std::size_t refused_ = 0;
    std::size_t connections_ = 0;
    QTimer* idleTimer_ = nullptr;
    QTimer* sweepTimer_ = nullptr;
    CommServerCore::Owner nextConnection_ = 1; // 0 stands for the in-process caller
};

// The user id of the process at the other end of a local socket; false when unknown.
bool localPeerUid(qintptr socketDescriptor, std::uint32_t& uid);

} // namespace kvr::commserver
