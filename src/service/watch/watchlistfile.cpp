#include "watchlistfile.h"

#include <algorithm>
#include <cstring>

namespace kvr::service::WatchListFile {
namespace {
constexpr size_t HeaderSize = 60;
constexpr size_t RecordSize = 12;

void Put(std::vector<uint8_t>& out, size_t at, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (size_t i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t Get(const uint8_t* p) {
    uint32_t u = 0;
    for (size_t i = 0; i < 4; ++i) u |= static_cast<uint32_t>(p[i]) << (8 * i);
    return static_cast<int32_t>(u);
}
}  // namespace

std::vector<uint8_t> Encode(const std::vector<WatchRecord>& watches) {
    std::vector<uint8_t> out(HeaderSize + RecordSize * watches.size(), 0);
    std::memcpy(out.data(), "TDV1", 4);
    Put(out, 4, static_cast<int32_t>(watches.size()));
    Put(out, 8, static_cast<int32_t>(RecordSize));
    size_t at = HeaderSize;
    for (const WatchRecord& w : watches) {
        Put(out, at, w.LogicID);
        Put(out, at + 4, w.State);
        Put(out, at + 8, w.SecondaryIndex);
        at += RecordSize;
    }
    return out;
}

std::optional<std::vector<WatchRecord>> Decode(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < HeaderSize) return std::nullopt;
    const int32_t count = Get(bytes.data() + 4);
    const int32_t size = Get(bytes.data() + 8);
    std::vector<WatchRecord> list;
    if (count <= 0) return list;
    if (size <= 0) return std::nullopt;
    // Checked in 64 bits so a huge count or size can't wrap past the end of the file.
    if (static_cast<uint64_t>(count) * static_cast<uint64_t>(size) > bytes.size() - HeaderSize)
        return std::nullopt;
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* rec = bytes.data() + HeaderSize + static_cast<size_t>(size) * static_cast<size_t>(i);
        int32_t fields[3] = {0, 0, 0};
        const size_t take = std::min<size_t>(static_cast<size_t>(size), RecordSize);
        for (size_t f = 0; f * 4 + 4 <= take; ++f) fields[f] = Get(rec + f * 4);
        // A record shorter than a field's end leaves that field 0; the stored state is not used.
        list.push_back({fields[0], 0, fields[2]});
    }
    return list;
}

std::string FileName(const std::string& deviceName) { return SafeName(deviceName) + ".tdv"; }

std::string SafeName(const std::string& deviceName) {
    std::string name = deviceName;
    for (char& ch : name) {
        const auto u = static_cast<unsigned char>(ch);
        if (ch == '/' || ch == '\\' || u < 0x20 || u == 0x7F) ch = '_';
    }
    // A name of dots alone would still point at a folder.
    if (name.find_first_not_of('.') == std::string::npos) name.insert(0, "_");
    return name;
}

}  // namespace kvr::service::WatchListFile
