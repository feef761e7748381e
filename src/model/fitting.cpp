#include "model/device.h"
#include "model/dspfitdevice.h"

namespace kvr::model {

// The DSP fitting: recomputes the device's limits and flag words from its image.
void TDevice::CheckDSPResources(int options) { RunDSPFitting(*this, options); }

} // namespace kvr::model
