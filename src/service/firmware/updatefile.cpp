#include "service/firmware/updatefile.h"

#include <algorithm>
#include <cstdio>

#include "kvrdata/byteorder.h"

namespace kvr::service {

namespace {
constexpr std::size_t DataAt = 5;
constexpr std::size_t DataRoom = 11; // bytes 5-15 of a record
} // namespace

const char* UpdateKindName(int Kind)
{
    static const char* const Names[] = {"unknown device", "KVR KX7300 device", "KVR Panel"};
    return Kind >= 0 && Kind <= 2 ? Names[Kind] : Names[0];
}

std::optional<TUpdateFile> ParseUpdateFile(std::span<const std::uint8_t> Bytes)
{
    // A last record cut short would be read past the end of the file.
    if (Bytes.size() < UpdateRecordSize || Bytes.size() % UpdateRecordSize != 0)
        return std::nullopt;
    TUpdateFile file;
    const std::size_t records = Bytes.size() / UpdateRecordSize;
    for (std::size_t r = 0; r < records; ++r) {
        const auto rec = Bytes.subspan(r * UpdateRecordSize, UpdateRecordSize);
        Kvrdata_ns::KVRCANBlock cb;
        cb.ID = kvr::readLE32(rec, 0) | UpdateBlockClass;
        cb.Len = rec[4];
        std::copy_n(rec.begin() + DataAt, 8, cb.Data.begin());
        file.Blocks.push_back(cb);
        if (r + 1 < records)
            for (std::size_t i = 0; i < std::min<std::size_t>(cb.Len, DataRoom); ++i)
                file.Sum += rec[DataAt + i];
    }
    const auto trailer = Bytes.subspan((records - 1) * UpdateRecordSize, UpdateRecordSize);
    if (trailer[4] >= 4)
        file.Checksum = kvr::readBE32(trailer, 5);
    if (trailer[4] == 8)
        file.Version = kvr::readBE32(trailer, 9);
    if (trailer[4] >= 4 && file.Sum == file.Checksum)
        file.Kind = ukDevice;
    else if (trailer[4] >= 4 && file.Sum + PanelChecksumOffset == file.Checksum)
        file.Kind = ukPanel;
    else
        return std::nullopt;
    return file;
}

int DeviceKindOfModuleType(int Type)
{
    if (Type == 0 || Type == 1 || Type == 5)
        return ukUnknown;
    return Type < 30 ? ukDevice : ukPanel;
}

std::string ModuleVersionText(const std::vector<std::uint32_t>& Versions)
{
    if (Versions.empty())
        return "unknown";
    const std::uint32_t first = Versions.front();
    if (std::any_of(Versions.begin(), Versions.end(), [first](std::uint32_t v) { return v != first; }))
        return "different versions";
    if (first == 0 || first == 0xFFFFFFFF)
        return "unknown";
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%02d.%02d", static_cast<int>(first >> 24), static_cast<int>(first >> 16 & 0xFF),
                  static_cast<int>(first >> 8 & 0xFF), static_cast<int>(first & 0xFF));
    return text;
}

std::string UpdateInfoText(int DeviceKind, const std::string& VersionText, int FileKind, std::uint32_t FileVersion)
{
    char text[512];
    if (FileVersion == 0)
        std::snprintf(text, sizeof text,
                      "Current device type:\t %s\nCurrent firmware version:\t %s\n\nUpdate file device type:\t %s\nUpdate file "
                      "firmware version:\t could not be detected\n\n",
                      UpdateKindName(DeviceKind), VersionText.c_str(), UpdateKindName(FileKind));
    else
        std::snprintf(text, sizeof text,
                      "Current device type:\t %s\nCurrent firmware version:\t %s\n\nUpdate file device type:\t %s\nUpdate file "
                      "firmware version:\t %02d.%02d.%02d.%02d\n\n",
                      UpdateKindName(DeviceKind), VersionText.c_str(), UpdateKindName(FileKind),
                      static_cast<int>(FileVersion >> 24), static_cast<int>(FileVersion >> 16 & 0xFF),
                      static_cast<int>(FileVersion >> 8 & 0xFF), static_cast<int>(FileVersion & 0xFF));
    return text;
}

} // namespace kvr::service
