// Devices as full as the limits allow, for the benchmarks that open and show a project: full
// record lists (fader channels 1-149, 150 logic functions, 100 scripts, 40 output functions,
// as many summing buses and clean feeds as the DSP cards carry, level detects, fixed
// processings) and the rest of the image below the 64000-byte limit in one filler structure.
#pragma once

#include <cstddef>

#include "model/device.h"

namespace kvr::bench {

// The record lists, leaving `Room` bytes of the image free for what the repairs add (the
// fader-channel labels, group logic, user groups, shared key tables): the scripts come last,
// as many as keep that room.
void FillRecordLists(model::TDevice& dev, std::size_t Room);
// The rest of the image, less `Room` bytes, in one filler structure.
void FillImage(model::TDevice& dev, std::size_t Room);

} // namespace kvr::bench
