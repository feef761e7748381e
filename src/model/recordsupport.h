#pragma once
// Small helpers shared by the typed records of outputs, buses, resources and inserts.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/recordlist.h"

namespace kvr::model {

class TDevice;

// Writes one header byte (a count, clamped to 0-255) and stamps the header change; this reruns
// the fitting.
void SetHeaderCount(TDevice& dev, std::size_t offset, int value);
// A header byte as a number.
int HeaderByte(const TDevice& dev, std::size_t offset);

} // namespace kvr::model
