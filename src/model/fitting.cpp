#include "model/device.h"

namespace kvr::model {

// The DSP fitting: recomputes the device's limits and flag words from its image. Until the
// fitting rules are in place the limits and flag words keep their values.
void TDevice::CheckDSPResources(int) {}

} // namespace kvr::model
