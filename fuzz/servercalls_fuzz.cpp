// The server's answers to any sequence of calls and datagrams, as its RPC layer hands them over:
// inputs already fit the method's signature. Every call completes at most once, a successful
// answer fits the method's output signature, and every collection stays within what one RPC
// frame carries. Calls that would reach out to the network are left out or kept on loopback.
#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "commserver/rpcframe.h"
#include "commserver/server/commservercore.h"
#include "fuzzapp.h"
#include "fuzzinput.h"
#include "kvrdata/deviceaddr.h"

namespace {

using namespace kvr::commserver;

// Keeps a call off the network: addresses are made loopback ones, lookups of names left out.
bool KeepLocal(RpcMethod Method, RpcValues& Values)
{
    switch (Method) {
    case RpcMethod::Ping:
    case RpcMethod::SendUDPBlock:
    case RpcMethod::SendUDPBlockV6:
        return false; // no UDP socket is bound, and a ping would look a name up
    case RpcMethod::OpenTCPConnection:
        Values[1] = std::string("127.0.0.1");
        return true;
    case RpcMethod::OpenConnection: {
        Kvrdata_ns::TDeviceAddr Address;
        Bytes Copy = rpcBytes(Values, 1);
        return !Address.FromVariant(Copy) || Address.CK != Kvrdata_ns::dckFixedIP || (Address.IP >> 24) == 127;
    }
    default:
        return true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzApp();
    FuzzScript In{data, size};
    std::size_t Calls = 0;
    std::size_t Completions = 0;
    {
        ServerConfig Config;
        Config.devicePort = 9; // nothing listens there on loopback
        Config.collectionLimit = 16;
        CommServerCore Core(Config);
        while (!In.Done()) {
            const std::uint8_t Pick = In.Next();
            if (Pick >= 0xE0) {
                // A datagram from a loopback sender.
                const std::uint32_t From = 0x7F000000u | In.Next();
                Core.udpReceived(From, 2009, In.Piece());
                continue;
            }
            const auto Method = static_cast<RpcMethod>(Pick % RpcMethodCount + 1);
            const RpcMethodInfo* Info = rpcMethodInfo(static_cast<std::uint8_t>(Method));
            auto Values = decodeRpcValues(In.Piece(), Info->inputs);
            if (!Values || !KeepLocal(Method, *Values))
                continue;
            ++Calls;
            auto Once = std::make_shared<bool>(false);
            Core.call(Method, *Values, [&, Once, Info](RpcReply Reply) {
                if (std::exchange(*Once, true))
                    __builtin_trap(); // answered twice
                ++Completions;
                if (Reply.hresult >= 0 && !valuesMatch(Reply.outputs, Info->outputs))
                    __builtin_trap(); // a success the client cannot read
                for (const auto& V : Reply.outputs)
                    if (const Bytes* B = std::get_if<Bytes>(&V); B && B->size() > RpcMaxPayload)
                        __builtin_trap(); // more than one frame carries
            });
            if (In.Next() & 1)
                QCoreApplication::processEvents();
        }
    }
    if (Completions > Calls)
        __builtin_trap();
    return 0;
}
