#include "commserver/server/localcommserver.h"

#include <QEventLoop>

#include <memory>

namespace kvr::commserver {

RpcReply LocalCommServer::transact(RpcMethod method, RpcValues inputs, std::int32_t /*waitHintMs*/)
{
    struct State {
        bool done = false;
        RpcReply reply;
        QEventLoop loop;
    };
    auto state = std::make_shared<State>();
    core_.call(method, inputs, [state](RpcReply reply) {
        state->reply = std::move(reply);
        state->done = true;
        state->loop.quit();
    });
    if (!state->done)
        state->loop.exec();
    const RpcMethodInfo* info = rpcMethodInfo(static_cast<std::uint8_t>(method));
    if (state->reply.hresult >= 0 && !valuesMatch(state->reply.outputs, info->outputs))
        return RpcReply{HrFail, {}};
    return std::move(state->reply);
}

} // namespace kvr::commserver
