// Bytes from a device over TCP, over a serial line and as UDP datagrams, and control blocks and
// UDP records from a client.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "commserver/deviceframe.h"
#include "commserver/server/udphub.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvr::commserver;
    const std::span<const std::uint8_t> bytes(data, size);

    DeviceFrameReader reader;
    reader.append(bytes);
    DeviceFrame frame;
    while (reader.next(frame) == DeviceFrameReader::Status::Frame) {
        if (!decodeDeviceFrame(encodeDeviceFrame(frame)))
            __builtin_trap();
    }

    SlipDecoder slip;
    std::vector<Bytes> packets;
    slip.append(bytes, packets);
    for (const Bytes& packet : packets) {
        if (packet.size() > DeviceFrameMaxSize)
            __builtin_trap();
        if (const auto f = decodeDeviceFrame(packet)) {
            std::vector<Bytes> again;
            SlipDecoder round;
            round.append(slipEncode(encodeDeviceFrame(*f)), again);
            if (again.size() != 1 || again[0] != packet)
                __builtin_trap();
        }
    }

    if (const auto f = frameFromClientBlock(bytes)) {
        if (!frameFromClientBlock(clientBlockFromFrame(*f)))
            __builtin_trap();
    }

    const Bytes record = olderUdpRecord(0x7F000001, bytes);
    if (record.size() != OlderUdpRecordSize)
        __builtin_trap();
    outgoingFromOlderRecord(record);
    outgoingFromOlderRecord(bytes);
    return 0;
}
