#pragma once
// The server core as an in-process ICommServer: each call runs the event loop until the core
// has answered (every call is answered within its own bounded wait).

#include "commserver/rpcclient.h"
#include "commserver/server/commservercore.h"

namespace kvr::commserver {

class LocalCommServer : public RpcClientBase {
public:
    explicit LocalCommServer(CommServerCore& core) : core_(core) {}

protected:
    RpcReply transact(RpcMethod method, RpcValues inputs, std::int32_t waitHintMs) override;

private:
    CommServerCore& core_;
};

} // namespace kvr::commserver
