#pragma once
// The frame I/O export: a device's card slots with every channel, its buses and clean feeds,
// its internal audio sources, its physical inputs and outputs and its fader channels as
// semicolon-separated lines for a spreadsheet.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::model {
class TProject;
}

namespace kvr::reports {

// The line as written: trimmed of blanks and control characters at both ends, then ";" added
// until it holds at least 11.
std::string CSVLine(std::string_view Text);
int CountSemicolons(std::string_view Text);

// Every line of the export of the device, each already made by the line rule.
std::vector<std::string> FrameIOCSVLines(model::TProject& Project, int Device);

inline constexpr const char* CSVCreateErrorText = "Unable to create file!";
// Writes the export through a temporary file; false when it cannot be written completely, and
// an existing file is then left as it was.
bool WriteFrameIOCSV(model::TProject& Project, int Device, const std::string& FileName);

} // namespace kvr::reports
