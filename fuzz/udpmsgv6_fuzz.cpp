// Newer-generation broadcasts: the raw datagram decoder, and messages, device records,
// routing records and device addresses read from the server's block-format arrays.
#include "kvrdata/blockstream.h"
#include "kvrdata/deviceaddr.h"
#include "kvrdata/udpmsgv6.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace Kvrdata_ns;

namespace {

void decodeAll(TUDPMsgV6& Msg)
{
    Msg.GetMsgType();
    Msg.GetDevice();
    Msg.GetRouting();
    Msg.GetCANBlock();
    TDeviceAddr addr(Msg, "");
    std::vector<std::uint8_t> out;
    Msg.ToVariant(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> input(data, data + size);

    // The input as the datagram itself.
    TUDPMsgV6 raw;
    raw.GetData()->GetStream()->Write(input.data(), static_cast<int>(input.size()));
    decodeAll(raw);

    // The input as the server's array of one message, of a vector of them, and of the records.
    std::vector<std::uint8_t> v = input;
    TUDPMsgV6 single;
    if (single.FromVariant(v))
        decodeAll(single);

    v = input;
    TUDPMsgsV6 msgs;
    if (msgs.FromVariant(v))
        for (int i = 0; i < msgs.Size(); ++i)
            if (TUDPMsgV6* m = msgs.Element(i))
                decodeAll(*m);

    TBCRouting routing;
    routing.FromBuffer(input.data(), static_cast<int>(input.size()));
    routing.ToVariant(v);

    TBCDevice device;
    device.FromBuffer(input.data(), static_cast<int>(input.size()));

    v = input;
    TDeviceAddr addr;
    addr.FromVariant(v);
    addr.GetDescription();
    addr.GetAddressText();
    return 0;
}
