#include "model/recordsupport.h"

#include <algorithm>

#include "model/device.h"
#include "model/recordhooks.h"

namespace kvr::model {

void SetHeaderCount(TDevice& dev, std::size_t offset, int value)
{
    SetHeaderByte(dev, offset, static_cast<std::uint8_t>(std::clamp(value, 0, 255)));
}

int HeaderByte(const TDevice& dev, std::size_t offset) { return dev.Header()[offset]; }

} // namespace kvr::model

#include "model/adaptationhooks.h"

namespace kvr::model {

AdaptationHooks& Adaptation()
{
    static AdaptationHooks hooks;
    return hooks;
}

} // namespace kvr::model
