#pragma once
// The caption of a key as every key drawing shows it: record bytes 1-30, ending at the first
// zero byte, a backslash starting a new line. Text stays 8-bit as stored.

#include "model/keyfunctions.h"

#include <string>
#include <vector>

namespace kvr::console {

inline constexpr std::size_t kKeyCaptionLength = 30;

// The caption with its backslashes, as the text height is measured on it.
std::string KeyCaptionText(const model::TKeyRecord& record);
// The caption split at each backslash; an empty caption is one empty line.
std::vector<std::string> KeyCaptionLines(const model::TKeyRecord& record);

} // namespace kvr::console
