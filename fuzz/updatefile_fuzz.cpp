// Firmware update files as the user picks them: any bytes.
#include <cstddef>
#include <cstdint>

#include "service/firmware/updatefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto file = kvr::service::ParseUpdateFile({data, size});
    if (file && (file->Blocks.size() * kvr::service::UpdateRecordSize != size || file->Kind == kvr::service::ukUnknown))
        __builtin_trap();
    return 0;
}
