// Bytes from a client or a server, as the RPC frame reader meets them.
#include <cstddef>
#include <cstdint>

#include "commserver/rpcframe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvr::commserver;
    // The first byte picks a chunk size, so frames split at every place are tried.
    if (size == 0)
        return 0;
    const std::size_t chunk = data[0] % 16 + 1;
    RpcFrameReader reader;
    for (std::size_t at = 1; at < size; at += chunk) {
        reader.append({data + at, std::min(chunk, size - at)});
        RpcFrame frame;
        RpcFrameReader::Status status;
        while ((status = reader.next(frame)) == RpcFrameReader::Status::Frame) {
            // A frame that parsed encodes back to the same bytes' meaning.
            RpcFrameReader again;
            again.append(encodeRpcFrame(frame));
            RpcFrame copy;
            if (again.next(copy) != RpcFrameReader::Status::Frame || copy.values != frame.values)
                __builtin_trap();
        }
        if (status == RpcFrameReader::Status::Failed)
            break;
    }
    return 0;
}
