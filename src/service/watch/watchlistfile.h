#pragma once
// The watch-list file of one watched device: a little-endian 60-byte header and one record per watch.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvr::service {

struct WatchRecord {
    int32_t LogicID = 0;
    int32_t State = 0;
    int32_t SecondaryIndex = 0;
};

namespace WatchListFile {
// The file's bytes for these watches, in list order.
std::vector<uint8_t> Encode(const std::vector<WatchRecord>& watches);
// The watches a file's bytes hold, each with state 0 (the stored state is never shown). nullopt
// when the file is damaged (short header, record size of 0 or below, records past the end), so the
// caller keeps its list; a count of 0 or below gives an empty list. The magic is not checked.
std::optional<std::vector<WatchRecord>> Decode(const std::vector<uint8_t>& bytes);
// A device name made safe as a file name: it comes from the device, so path separators and
// control characters are replaced and a name of dots alone gets a leading "_".
std::string SafeName(const std::string& deviceName);
// The watch-list file of a device: its safe name with ".tdv" added, which stays in its folder.
std::string FileName(const std::string& deviceName);
}  // namespace WatchListFile

}  // namespace kvr::service
