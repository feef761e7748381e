#include "model/superoutputs.h"

#include <algorithm>

#include "kvrdata/byteorder.h"
#include "model/device.h"

namespace kvr::model {

std::vector<RecordSpan> WalkSOFs(std::span<const std::uint8_t> payload)
{
    std::vector<RecordSpan> out;
    std::size_t at = 2;
    while (at < payload.size() && payload.size() - at >= 2) {
        const std::size_t length = readBE16(payload, at);
        if (length < 2 || length > payload.size() - at)
            break;
        out.push_back({at, length});
        at += length;
    }
    return out;
}

} // namespace kvr::model
