#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/byteorder.h"
#include "model/atomicfile.h"
#include "model/entrylist.h"
#include "model/fileio.h"
#include "model/fileversion.h"
#include "model/keyaccess.h"
#include "model/keyrecords.h"
#include "model/modelhost.h"
#include "model/modelutil.h"
#include "model/project.h"
#include "model/repairchain.h"

#include <algorithm>
#include <vector>

namespace kvr::model {

namespace {

void loadError(const std::string& message) { ShowError("Project", "LoadFromDisk", message); }

void saveError(const std::string& message) { ShowError("Project", "SaveToDisk", message); }

// Fader modules of type 21 are stored as type 20, and each module's key table is cleaned by
// writing its key 0 back through the key-function rules. An empty key 0 is not written back:
// that would count as removing the key's function and clear every reference to its logic source.
void normaliseConsoleModules(TDevice& device)
{
    ForEachModuleSlot([&](std::uint8_t slotId) {
        std::vector<std::uint8_t> entry;
        if (!device.GetSetupData(slotId, entry))
            return;
        if (entry.size() >= 2 && readLE16(entry, kr::ModuleType) == 21) {
            writeLE16(entry, kr::ModuleType, 20);
            device.SetSetupData(slotId, entry);
        }
        TKeyRecord record{};
        const int own = GetKeyFunction(device, 0, record, slotId);
        if (!IsEmptyKeyRecord(record))
            SetKeyFunction(device, 0, record, own, slotId);
    });
}

} // namespace

int TProject::SaveToDisk(const std::string& fileName, bool prepare,
                         const std::function<bool(const std::string& completeFile)>& place)
{
    TKVRFI trace("TProject::SaveToDisk");
    if (prepare) {
        std::string user = Host().UserName();
        if (user.empty())
            user = "unknown";
        WriteFixedText(FBlock, ph::UserName, ph::UserNameWidth, user, ph::UserNameWidth);
        FixDuplicateDeviceIDs(0);
        FixGLSources(*this);
        writeBE64(FBlock, ph::Version, ProgramVersion);
    }

    AtomicFileWriter file(fileName);
    if (!file.Open()) {
        saveError("Unable to create file. Please check write protection! (" + fileName + ")");
        return 0;
    }

    writeBE32(FBlock, ph::Time, Host().CurrentTime());
    if (BlockSize() == 0)
        SetBlockSize(HeaderSize);
    SyncDeviceCount();
    if (!file.Write(Block())) {
        saveError("Unable to write file. Disk full? (" + fileName + ", " + std::to_string(BlockSize()) + " bytes)");
        return 0;
    }

    // Writing a device must not stamp it; the stamps stay off until the file is in place.
    struct NoStampGuard {
        std::vector<std::unique_ptr<TDevice>>& devices;
        ~NoStampGuard()
        {
            for (auto& device : devices)
                device->FNoStamp = 0;
        }
    } guard{FDevices};

    for (auto& device : FDevices) {
        FixFaderChannelSources(*device);
        device->FNoStamp = 1;
        if (prepare && !device->IsDummy())
            normaliseConsoleModules(*device);
        if (prepare) {
            auto header = device->GetHeader();
            std::copy_n(FBlock.begin() + ph::ProjectID, 4, header.begin() + dh::ProjectID);
            std::copy_n(FBlock.begin() + ph::Version, 8, header.begin() + dh::Version);
            device->SetHeader(header, false);
        }
        device->IsChanged();
        const std::vector<std::uint8_t> image = device->GetAllData();
        std::uint8_t length[2];
        writeBE16(length, 0, static_cast<std::uint16_t>(image.size()));
        if (!file.Write(length) || !file.Write(image)) {
            saveError("Unable to write file! Disk full? (" + fileName + ")");
            return 0;
        }
    }

    if (!file.Commit(place)) {
        saveError("Unable to write file! Disk full? (" + fileName + ")");
        return 0;
    }
    // Only a file that is completely in place clears the changed state.
    for (auto& device : FDevices)
        device->FChanged = false;
    FModified = false;
    return 1;
}

int TProject::LoadFromDisk(const std::string& fileName, bool quiet)
{
    TKVRFI trace("TProject::LoadFromDisk");
    // A damaged file must not cost the open project anything: load into a fresh one and take it
    // over only when the whole file was read.
    TProject loaded;
    loaded.FFitOptions = FFitOptions;
    if (!loaded.ReadFile(fileName, quiet))
        return 0;
    FBlock.swap(loaded.FBlock);
    FDevices.swap(loaded.FDevices);
    FModified = false;
    return 1;
}

bool TProject::ReadFile(const std::string& fileName, bool quiet)
{
    InputFile file(fileName);
    if (!file.IsOpen()) {
        ShowCannotOpen(fileName);
        return false;
    }

    std::array<std::uint8_t, HeaderSize> header{};
    const std::size_t headerRead = file.Read(header);
    if (!std::equal(ProjectMagic.begin(), ProjectMagic.end(), header.begin())) {
        loadError("No valid project file!");
        return false;
    }
    if (headerRead < HeaderSize) {
        loadError("Unable to read from file! Disk error?");
        return false;
    }
    std::fill(FBlock.begin(), FBlock.end(), 0);
    std::copy(header.begin(), header.end(), FBlock.begin());

    const TFileVersion version = TFileVersion::FromPacked(readBE64(FBlock, ph::Version)).Valid();
    const bool littleEndianLengths = version.Major == 0 && version.Minor == 0;
    std::size_t blockSize = 0;
    if (version.Compare({5, 1, 9, 0}) >= 0) {
        blockSize = readBE16(FBlock, ph::BlockSize);
    } else if (version.Is(5, 1, 8) || version.Is(5, 0, 8) || version.Is(5, 0, 0) || version.Is(0, 0, 1)) {
        blockSize = readBE16(FBlock, ph::OldBlockSize) + HeaderSize;
        // What these layouts kept in the time field is unknown.
        std::fill_n(FBlock.begin() + ph::Time, 4, 0);
    } else {
        Host().ShowMessage("Unknown file version... cannot read global data!", "");
    }

    const auto dropGlobalData = [&] {
        Host().ShowMessage("Project data has invalid size. Global Logic Names and Device Links removed!", "");
        blockSize = 0;
    };
    // Sizes below the header would make the read length negative.
    if (blockSize > BlockCapacity || (blockSize > 0 && blockSize < HeaderSize))
        dropGlobalData();
    if (blockSize == 0)
        blockSize = HeaderSize;
    SetBlockSize(blockSize);

    const std::span<std::uint8_t> entries(FBlock.data() + HeaderSize, blockSize - HeaderSize);
    if (file.Read(entries) < entries.size()) {
        loadError("Unable to read from file. Disk error?");
        return false;
    }
    if (!EntriesFill(FBlock, HeaderSize, blockSize, std::nullopt)) {
        dropGlobalData();
        std::fill(entries.begin(), entries.end(), 0);
        SetBlockSize(HeaderSize);
    }

    if (!quiet) {
        const TFileVersion program = TFileVersion::FromPacked(ProgramVersion);
        const bool allZero = version.Major == 0 && version.Minor == 0 && version.Release == 0 && version.Build == 0;
        if (version.Major == 0 && version.Minor == 0 && !allZero)
            Host().ShowMessage("Warning! This file was created with an older version of Cordex4.\nPlease check entire configuration carefully.", "");
        else if (version.Compare(program) > 0)
            Host().ShowMessage("Warning! This file was created with a newer Cordex4, version " + version.Text(), "");
    }

    // Every image is read and checked, and the file must end with the last of them, before any
    // device takes its image: a file that holds more than its header accounts for (a device
    // count of 0 before device data, bytes after the last device) is damaged, not a project.
    const int deviceCount = header[ph::DeviceCount];
    std::vector<std::vector<std::uint8_t>> images;
    for (int j = 0; j < deviceCount; ++j) {
        std::uint8_t lengthBytes[2];
        if (file.Read(lengthBytes) < 2) {
            loadError("Unable to read from file. Already opened?");
            return false;
        }
        const std::size_t length = littleEndianLengths ? readLE16(lengthBytes, 0) : readBE16(lengthBytes, 0);
        std::vector<std::uint8_t> image(length > TDevice::ImageSize ? 0 : length);
        if (length > TDevice::ImageSize || file.Read(image) < length) {
            loadError("Unable to read from file. Possible disk error?");
            return false;
        }
        if (const std::string reason = CheckDeviceImage(image); !reason.empty()) {
            loadError("Device " + std::to_string(j + 1) + " of the file is damaged: " + reason);
            return false;
        }
        images.push_back(std::move(image));
    }
    if (const long long extra = file.Remaining(); extra > 0) {
        loadError("Filesize does not match the project information: " + std::to_string(extra) + " bytes follow the " +
                  std::to_string(deviceCount) + " devices the header announces. File corrupted?");
        return false;
    }
    for (int j = 0; j < deviceCount; ++j) {
        FDevices.push_back(std::make_unique<TDevice>(j));
        FDevices.back()->FFitOptions = FFitOptions;
        FDevices.back()->SetAllData(images[static_cast<std::size_t>(j)]);
    }
    SyncDeviceCount();

    FixDuplicateDeviceIDs(0);
    FixLargeDeviceIDs();
    RepairLoadedProject(*this);
    FModified = false;
    return true;
}

} // namespace kvr::model
