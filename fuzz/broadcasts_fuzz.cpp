// The server's broadcast collections under any datagrams from any senders: both lists stay
// within their sender limit, fit one RPC frame, and the newer list always decodes as the
// client reads it.
#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

#include "commserver/rpcframe.h"
#include "commserver/server/commservercore.h"
#include "commserver/server/udphub.h"
#include "fuzzapp.h"
#include "fuzzinput.h"
#include "kvrdata/udpmsgv6.h"

namespace {

using namespace kvr::commserver;

Bytes Collection(CommServerCore& Core, RpcMethod Method)
{
    Bytes Out;
    Core.call(Method, RpcValues{std::int32_t{1}}, [&](RpcReply Reply) {
        if (Reply.hresult < 0 || Reply.outputs.size() != 2)
            __builtin_trap();
        Out = std::get<Bytes>(Reply.outputs[0]);
    });
    return Out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzApp();
    FuzzScript In{data, size};
    ServerConfig Config;
    Config.collectionLimit = 1 + In.Next() % 8;
    CommServerCore Core(Config);
    while (!In.Done()) {
        const std::uint8_t Sender = In.Next();
        // Sender 0 stands for a device on a serial line, which has no address.
        const std::uint32_t From = Sender == 0 ? 0 : 0x0A000000u | Sender;
        Core.udpReceived(From, static_cast<std::uint16_t>(2000 + In.Next()), In.Piece());
    }

    const Bytes Older = Collection(Core, RpcMethod::ReadUDPBroadCasts);
    if (Older.size() < 4 || (Older.size() - 4) % OlderUdpRecordSize != 0
        || (Older.size() - 4) / OlderUdpRecordSize > Config.collectionLimit || Older.size() > RpcMaxPayload)
        __builtin_trap();

    Bytes Newer = Collection(Core, RpcMethod::ReadUDPBroadCastsV6);
    if (Newer.size() > RpcMaxPayload)
        __builtin_trap();
    Kvrdata_ns::TUDPMsgsV6 Read;
    if (!Read.FromVariant(Newer) || static_cast<std::size_t>(Read.Size()) > Config.collectionLimit)
        __builtin_trap();
    return 0;
}
