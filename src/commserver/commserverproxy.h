#pragma once
// Client-side proxy of the communication server: each ICommServer call becomes one framed call
// over the per-user local socket, or over TCP to a server on a named machine. Calls block with
// bounded waits; a server that is gone, silent or garbled gives a negative HRESULT and the
// connection is dropped, to be made anew by the next call.

#include <chrono>
#include <string>

#include "commserver/rpcclient.h"

namespace kvr::commserver {

struct ProxyEndpoint {
    std::string localSocket; // path of the server's local socket; used when host is empty
    std::string host;        // named machine
    std::uint16_t port = 0;  // its TCP port
};

struct ProxyTimeouts {
    int connectMs = 2000;
    int callMs = 5000; // a call's own wait, on top of the time-out a waiting read asks for
    int longestWaitMs = RpcLongestWaitMs; // the most of that time-out worth waiting for
};

class CommServerProxy : public RpcClientBase {
public:
    explicit CommServerProxy(ProxyEndpoint endpoint, ProxyTimeouts timeouts = {});
    ~CommServerProxy() override;

    CommServerProxy(const CommServerProxy&) = delete;
    CommServerProxy& operator=(const CommServerProxy&) = delete;

    // Connects now (the calls connect on demand as well); true when the server accepted us.
    bool connectToServer();
    bool isConnected() const;
    void disconnectFromServer();

protected:
    RpcReply transact(RpcMethod method, RpcValues inputs, std::int32_t waitHintMs) override;
    void transactBoth(RpcMethod first, RpcValues firstInputs, RpcMethod second, RpcValues secondInputs,
                      std::int32_t waitHintMs, RpcReply& firstReply, std::optional<RpcReply>& secondReply) override;

private:
    using Clock = std::chrono::steady_clock;
    RpcFrame makeCall(RpcMethod method, RpcValues inputs);
    // The reply to call, read from the socket; reader keeps what came behind it when more
    // replies are to come.
    RpcReply awaitReply(const RpcFrame& call, Clock::time_point deadline, RpcFrameReader& reader, bool moreToCome);
    Clock::time_point replyDeadline(Clock::time_point start, std::int32_t waitHintMs) const;
    RpcReply failAndDrop(HResult hresult);
    int connectSocket() const;
    // Makes the socket's receive time-out no longer than ms (and not much shorter than its last).
    bool receiveTimeoutAtMost(int ms);

    ProxyEndpoint endpoint_;
    ProxyTimeouts timeouts_;
    // A plain blocking socket with bounded waits: a call costs one write and the reads of its
    // reply, with no event loop in between.
    int fd_ = -1;
    int receiveTimeoutMs_ = 0; // as set on fd_; 0 before the first receive
    std::uint32_t nextCall_ = 1;
};

// The local socket of the server of the current user: <folder>/rurez.sock, where the folder is
// KVR_RUREZ_DIR, else $XDG_RUNTIME_DIR/kvr, else $TMPDIR/kvr-<uid> (/tmp without TMPDIR).
// Anyone may create that last name first; when it is not a folder of this user, the folder is $HOME/.cache/kvr-rurez instead, which nobody else can take.
std::string defaultServerFolder();
// Why the folder is not the usual one: a line for the user, empty when it is.
std::string serverFolderNotice();
std::string serverSocketPath(const std::string& folder);
std::string serverLockPath(const std::string& folder);

} // namespace kvr::commserver
