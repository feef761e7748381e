#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/byteorder.h"
#include "model/atomicfile.h"
#include "model/device.h"
#include "model/fileio.h"
#include "model/fileversion.h"
#include "model/modelhost.h"
#include "model/repairchain.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kvr::model {

int TDevice::Save(const std::string& fileName)
{
    TKVRFI trace("TDevice::Save");
    if (IsDummy())
        return 0;
    FixFaderChannelSources(*this);
    CheckSize(0);
    const std::size_t length = readBE16(FImage, dh::TotalSize);
    writeBE64(FImage, dh::Version, ProgramVersion);

    AtomicFileWriter file(fileName);
    if (!file.Open()) {
        ShowError("Device", "Save", "Unable to create file! Please check write protection! (" + fileName + ")");
        return 0;
    }
    if (!file.Write({FImage.data(), length}) || !file.Commit()) {
        ShowError("Device", "Save", "Unable to write file! Disk full? (" + fileName + ")");
        return 0;
    }
    return 1;
}

int TDevice::Replace(const std::string& fileName)
{
    TKVRFI trace("TDevice::Replace");
    if (IsDummy())
        return 0;
    const auto error = [](const std::string& message) {
        ShowError("Device", "Replace", message);
        return 0;
    };

    InputFile file(fileName);
    if (!file.IsOpen()) {
        ShowCannotOpen(fileName);
        return 0;
    }
    const long long fileSize = file.Size();
    if (fileSize > static_cast<long long>(ImageSize))
        return error("The file " + fileName + " is too big!");

    std::vector<std::uint8_t> image(ImageSize, 0);
    if (fileSize < static_cast<long long>(HeaderSize) || file.Read({image.data(), HeaderSize}) < HeaderSize)
        return error("Error reading file header from " + fileName + "! File corrupted?");
    if (std::memcmp(image.data(), "MPJ2", 4) != 0 && std::memcmp(image.data(), "KV", 2) != 0)
        return error("No KVF file!");

    const TFileVersion version = TFileVersion::FromPacked(readBE64(image, dh::Version)).Valid();
    if (version.Compare(TFileVersion::FromPacked(ProgramVersion)) > 0)
        Host().ShowWarning("Warning! This file was created with a newer Cordex4, version " + version.Text());

    const std::size_t length = static_cast<std::size_t>(fileSize);
    if (readBE16(image, dh::TotalSize) != length)
        return error("Filesize does not match fileheader information! File corrupted?");
    if (file.Read({image.data() + HeaderSize, length - HeaderSize}) < length - HeaderSize)
        return error("Error while reading from file " + fileName + "! File corrupted?");

    const std::span<const std::uint8_t> bytes(image.data(), length);
    if (const std::string reason = CheckDeviceImage(bytes); !reason.empty())
        return error("The file " + fileName + " is damaged: " + reason);

    // The device keeps its place in the project whatever the file says.
    std::array<std::uint8_t, 4> projectId{};
    std::copy_n(FImage.begin() + dh::ProjectID, 4, projectId.begin());
    const std::uint32_t deviceId = GetDeviceID();
    if (!SetAllData(bytes))
        return 0;
    std::copy(projectId.begin(), projectId.end(), FImage.begin() + dh::ProjectID);
    WriteDeviceID(deviceId);
    return 1;
}

} // namespace kvr::model
