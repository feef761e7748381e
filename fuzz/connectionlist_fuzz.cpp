// Broadcast collections from the server as the connection dialog's device list and the online
// state take them: both generations, then the choices made from the rows.
#include "app/connectionlist.h"
#include "app/onlinestate.h"
#include "kvrdata/kvrstruct.h"
#include "kvrdata/udpmsgv6.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace Kvrdata_ns;

namespace {
void Choose(kvr::app::ConnectionList& List)
{
    for (std::size_t i = 0; i < List.Rows().size(); ++i) {
        List.Select(static_cast<int>(i));
        TDeviceAddr addr;
        List.GetAddress(addr);
        List.SetAddress(addr);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> input(data, data + size);

    std::vector<std::uint8_t> v = input;
    TUDPMsgVector msgs;
    VariantToUDPMsgs(v, msgs);
    kvr::app::ConnectionList older(dgKX7300);
    older.Refresh(msgs);
    Choose(older);
    for (const TUDPMsg& msg : msgs) {
        kvr::model::TDeviceOnlineRecord record;
        kvr::app::DeviceStatusRecord(msg, record);
    }

    v = input;
    TUDPMsgsV6 msgsV6;
    msgsV6.FromVariant(v);
    kvr::app::ConnectionList newer(dgKX7500);
    newer.Refresh(msgsV6);
    Choose(newer);
    return 0;
}
