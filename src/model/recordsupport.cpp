#include "model/recordsupport.h"

#include <algorithm>

#include "model/device.h"

namespace kvr::model {

void SetHeaderCount(TDevice& dev, std::size_t offset, int value)
{
    auto header = dev.GetHeader();
    const auto byte = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    if (header[offset] == byte)
        return;
    header[offset] = byte;
    dev.SetHeader(header, true);
}

int HeaderByte(const TDevice& dev, std::size_t offset) { return dev.Header()[offset]; }

void EraseRange(std::vector<std::uint8_t>& payload, std::size_t at, std::size_t count)
{
    if (at >= payload.size())
        return;
    count = std::min(count, payload.size() - at);
    payload.erase(payload.begin() + static_cast<std::ptrdiff_t>(at),
                  payload.begin() + static_cast<std::ptrdiff_t>(at + count));
}

void InsertRange(std::vector<std::uint8_t>& payload, std::size_t at, std::span<const std::uint8_t> bytes)
{
    at = std::min(at, payload.size());
    payload.insert(payload.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin(), bytes.end());
}

} // namespace kvr::model

#include "model/adaptationhooks.h"

namespace kvr::model {

AdaptationHooks& Adaptation()
{
    static AdaptationHooks hooks;
    return hooks;
}

} // namespace kvr::model
