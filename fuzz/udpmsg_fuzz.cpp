// Older-generation control blocks, UDP messages and broadcast collections from the server.
#include "kvrdata/kvrstruct.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace Kvrdata_ns;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> input(data, data + size);

    std::vector<std::uint8_t> v = input;
    KVRCANBlock cb;
    VariantToCANBlock(v, cb);
    CANBlockToVariant(cb, v);

    v = input;
    TUDPMsgVector msgs(1);
    VariantToUDPMsgs(v, msgs);

    v = input;
    TUDPMsg single;
    VariantToUDPMsg(v, single);
    msgs.push_back(single);

    for (const TUDPMsg& msg : msgs) {
        TUDPDeviceStatus status;
        DecodeDeviceStatus(msg, status);
        TUDPGlobalLogic logic;
        DecodeGlobalLogic(msg, logic);
        if (IsErrorReport(msg))
            GetEmbeddedCANBlock(msg);
        UDPMsgToVariant(msg, v);
    }
    return 0;
}
