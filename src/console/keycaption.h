#pragma once
// The caption of a key as every key drawing shows it: the record's label, a backslash starting a
// new line. Text stays 8-bit as stored.

#include "model/keyrecordview.h"

#include <string>
#include <vector>

namespace kvr::console {

// The key record's fields and view, under the names the console's key windows use.
namespace kf = model::kf;
using model::KeyRecordView;
using model::kKeepMarker;


// The caption with its backslashes, as the text height is measured on it.
std::string KeyCaptionText(const model::TKeyRecord& record);
// The caption split at each backslash; an empty caption is one empty line.
std::vector<std::string> KeyCaptionLines(const model::TKeyRecord& record);

} // namespace kvr::console
