#pragma once
// The rows of the global logic table and of a device's output routing list, taken from the
// project as the ruled table prints them.

#include <vector>

#include "reports/ruledtable.h"

namespace kvr::model {
class TProject;
}

namespace kvr::reports {

// One row per global logic 0-199: number, name, sending device, sent logic source. Fixed-model
// devices send none; where two devices send the same logic, the later device is listed.
std::vector<TRow> GlobalLogicRows(model::TProject& Project);

// One row per output channel of the device's audio and DSP cards: output name, address, routed
// source, mute logics. A stereo output gives an " L" and an " R" row.
std::vector<TRow> OutputRoutingRows(model::TProject& Project, int Device);

} // namespace kvr::reports
