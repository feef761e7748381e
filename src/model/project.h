#pragma once
// The open project: a project block of at most 8000 bytes (100-byte header and project-wide
// entries) and its devices, in project order.

#include "model/device.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::model {

// Byte offsets of the project header.
namespace ph {
inline constexpr std::size_t Magic = 0;
inline constexpr std::size_t Version = 4;
inline constexpr std::size_t Name = 12;
inline constexpr std::size_t NameWidth = 36;
inline constexpr std::size_t NameMaxChars = 35;
inline constexpr std::size_t UserName = 48;
inline constexpr std::size_t UserNameWidth = 30;
inline constexpr std::size_t DeviceCount = 78;
inline constexpr std::size_t LinkCount = 79;
inline constexpr std::size_t BlockSize = 80;
inline constexpr std::size_t OldBlockSize = 82;
inline constexpr std::size_t Time = 84;
inline constexpr std::size_t ProjectID = 88;
} // namespace ph

inline constexpr std::array<std::uint8_t, 4> ProjectMagic = {0x22, 0x10, 0x20, 0x01};

enum TProjStructType : std::uint8_t { pstGlobalLogics = 2, pstDeviceLinks = 3, pstProjectInfo = 4, pstGlobalPots = 12 };

// One device-status broadcast of the open project's network, as the main window hands it over.
struct TDeviceOnlineRecord {
    std::uint32_t Kind = 0;
    std::uint32_t Serial = 0;
    std::uint32_t DeviceID = 0;
    std::uint32_t ProjectID = 0;
    std::uint32_t Sender = 0;
    std::uint32_t Stamp = 0; // bit 31: the device reports none
};

class TProject {
public:
    static constexpr std::size_t BlockCapacity = 8000;
    static constexpr std::size_t HeaderSize = 100;
    static constexpr int MaxDevices = 20;

    TProject();
    ~TProject();
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    void InitProject();

    std::array<std::uint8_t, HeaderSize> GetHeader() const;
    // The device count (byte 78) and block size (80-81) stay the project's own.
    void SetHeader(std::span<const std::uint8_t, HeaderSize> header);

    std::vector<std::uint8_t> GetProjData(std::uint8_t type) const;
    bool GetProjData(std::uint8_t type, std::vector<std::uint8_t>& out) const;
    // Replaces the entry at the front of the block, also with an empty payload. Refused, with
    // the block unchanged, when the block would pass 8000 bytes.
    bool SetProjData(std::uint8_t type, std::span<const std::uint8_t> payload);

    std::string GetName() const;
    void SetName(std::string_view name);
    std::string GetUserName() const;
    std::string GetFileDate() const;
    std::int32_t GetProjectID() const;
    bool IsChanged();
    bool IsModified() const { return FModified; }

    // Devices: index 0 .. DeviceCount() - 1.
    int DeviceCount() const { return static_cast<int>(FDevices.size()); }
    TDevice* Device(int index) const;
    int AddDevice();
    int CopyDevice(int index);
    void DeleteDevice(unsigned index);
    int CountDevices() const;
    int IndexOfDevice(std::uint32_t deviceId) const;

    unsigned GetFreeDeviceID(unsigned start) const;
    void FixDuplicateDeviceIDs(int preferred);
    void FixLargeDeviceIDs();
    void ChangeDeviceID(std::uint32_t oldId, std::uint32_t newId);
    void SetFitOptions(int options);

    // Files.
    // The new file is written completely to a temporary file beside fileName, which then
    // replaces fileName in one step; place, when given, puts the complete file in place itself
    // (with the backups of the old one) and says whether it did.
    int SaveToDisk(const std::string& fileName, bool prepare,
                   const std::function<bool(const std::string& completeFile)>& place = {});
    int LoadFromDisk(const std::string& fileName, bool quiet);

    // Online state of the devices.
    int UpdateOnlineState(const TDeviceOnlineRecord& record);
    int CheckOnlineTimeouts();

    std::size_t BlockSize() const;
    std::span<const std::uint8_t> Block() const { return {FBlock.data(), BlockSize()}; }

private:
    std::span<std::uint8_t, HeaderSize> HeaderBytes() { return std::span<std::uint8_t, HeaderSize>(FBlock.data(), HeaderSize); }
    void SetBlockSize(std::size_t size);
    void SyncDeviceCount();
    void StampTime();
    // Loads the file into this fresh project; on failure the message has been shown.
    bool ReadFile(const std::string& fileName, bool quiet);

    bool FModified = false;
    int FFitOptions = 0;
    std::vector<std::uint8_t> FBlock;
    std::vector<std::unique_ptr<TDevice>> FDevices;
};

} // namespace kvr::model
