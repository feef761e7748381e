#pragma once
// One device of a project: its configuration held as one flat byte image of at most 64000 bytes
// (200-byte header, setup entries, structures), and the flags the editing pages and the fitting
// keep beside it. Every reader and writer of the image goes through this class.

#include "kvrdata/deviceaddr.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::model {

// Byte offsets of the device header.
namespace dh {
inline constexpr std::size_t Magic = 0;
inline constexpr std::size_t Version = 4;
inline constexpr std::size_t ProjectID = 12;
inline constexpr std::size_t Name = 16;
inline constexpr std::size_t NameWidth = 36;
inline constexpr std::size_t NameMaxChars = 35;
inline constexpr std::size_t FrameType = 52;
inline constexpr std::size_t SetupCount = 53;
inline constexpr std::size_t SetupSize = 54;
inline constexpr std::size_t StructSize = 56;
inline constexpr std::size_t TotalSize = 58;
inline constexpr std::size_t StructCount = 60;
inline constexpr std::size_t BusCapacity = 61;
inline constexpr std::size_t ChangeTime = 62;
inline constexpr std::size_t ConsoleCount = 66;
inline constexpr std::size_t FaderCount = 67;
inline constexpr std::size_t FaderChannelCount = 68;
inline constexpr std::size_t AuxBusCount = 69;
inline constexpr std::size_t MuteOptions = 70;
inline constexpr std::size_t ProgramBusCount = 71;
inline constexpr std::size_t TalkAttenuation = 72;
inline constexpr std::size_t AnalogDefaultLevel = 73;
inline constexpr std::size_t FixedProcCount = 74;
inline constexpr std::size_t OutFktCount = 75;
inline constexpr std::size_t ChangedCopy = 76;
inline constexpr std::size_t DigitalDefaultLevel = 77;
inline constexpr std::size_t DeviceID = 78;
inline constexpr std::size_t CleanFeedCount = 82;
inline constexpr std::size_t SyncOptions = 83;
inline constexpr std::size_t Talk1Source = 84;
inline constexpr std::size_t Talk2Source = 86;
inline constexpr std::size_t SyncSource1 = 92;
inline constexpr std::size_t SyncSource2 = 94;
inline constexpr std::size_t PowerSupplies = 96;
inline constexpr std::size_t Units081 = 97;
inline constexpr std::size_t DSPCardLogics = 98;
inline constexpr std::size_t TalkOptions = 104;
inline constexpr std::size_t SetupOptions = 105;
inline constexpr std::size_t DummyDevModel = 106;
inline constexpr std::size_t ChannelMode = 107;
inline constexpr std::size_t PreparationLogic = 108;
inline constexpr std::size_t ChipCardID = 110;
inline constexpr std::size_t ChipCardIDWidth = 10;
inline constexpr std::size_t RepairMarks = 120;
} // namespace dh

// Structure types of area B.
enum TStructType : std::uint8_t {
    stLogicFkt = 1, stLogicDelay = 2, stScript = 3, stFCH = 4, stOldPoolNames = 5, stChannelAssign = 6,
    stGPORouting = 8, stOldLevelDetect = 9, stOutFkt = 10, stOldProc = 11, stOutputRouting = 13,
    stMonitorBus = 15, stPots = 16, stMuteLogic = 17, stDSPAssign = 18, stBus = 19, stCleanFeed = 20,
    stSourceList = 21, stNetwork = 22, stGLAssign = 23, stPoolNames = 24, stProc = 25, stPotiAssign = 26,
    stRotSelSourceList = 27, stConsoleNames = 28, stFCHLabels = 29, stGroupLogic = 30, stUserGroups = 31,
    stGlobalRes = 32, stSOF = 33, stLevelDetect = 34, stFixedInsert = 35, stGlobalPool = 36, stInsert = 37
};

struct TFrameTypeInfo {
    const char* Model;
    int SlotCount;
};
// Indexed by FrameType (0 or 1).
extern const std::array<TFrameTypeInfo, 2> FrameTypeTable;

// Empty when the bytes frame a device image this program can take: header present, the entry
// lists exactly filling their areas, a known frame type, inside the size limit. Else the reason.
std::string CheckDeviceImage(std::span<const std::uint8_t> image);

// Record length of the I/O card record in payload: 4 + 24 x channels + 16 x GPIOs.
int CalcCardRecordSize(std::span<const std::uint8_t> record);

class TDevice {
public:
    static constexpr std::size_t ImageSize = 64000;
    static constexpr std::size_t HeaderSize = 200;

    explicit TDevice(int unused = 0);
    ~TDevice();
    TDevice(const TDevice&) = delete;
    TDevice& operator=(const TDevice&) = delete;

    void InitDevice();

    std::array<std::uint8_t, HeaderSize> GetHeader() const;
    // Works on dummy devices too. The area sizes (bytes 53-60) stay the image's own.
    void SetHeader(std::span<const std::uint8_t, HeaderSize> header, bool markChanged);
    // Read-only view of the header.
    std::span<const std::uint8_t, HeaderSize> Header() const;

    // Payload of the first entry with that key; empty when there is none.
    std::vector<std::uint8_t> GetSetupData(std::uint8_t id) const;
    bool GetSetupData(std::uint8_t id, std::vector<std::uint8_t>& out) const;
    std::vector<std::uint8_t> GetData(std::uint8_t type) const;
    bool GetData(std::uint8_t type, std::vector<std::uint8_t>& out) const;

    // Replaces the entry at the front of its area; an empty payload removes it. Returns the size
    // stored (for I/O card slots the record's own length), 0 when removed, -1 when not applied.
    int SetSetupData(std::uint8_t id, std::span<const std::uint8_t> payload);
    // Replaces every structure of the type by one at the front of area B; empty removes them.
    // False when refused (dummy device or size limit).
    bool SetData(std::uint8_t type, std::span<const std::uint8_t> payload);

    // 1 when the image plus extra bytes stays below 64000 (TotalSize is then refreshed), else the
    // message and 0.
    int CheckSize(int extra);
    void SetChanged(int code);
    bool IsChanged();
    void SetChangedFlag(bool flag) { FChanged = flag; }

    // The image of TotalSize bytes.
    std::vector<std::uint8_t> GetAllData();
    // Takes a whole image after checking its framing; false (with the message) when it is damaged,
    // and for a dummy device. Bytes behind the new image are zero.
    bool SetAllData(std::span<const std::uint8_t> image);

    std::string GetName() const;
    void SetName(std::string_view name);
    std::uint32_t GetDeviceID() const;
    // Writes the device ID straight into the header, without a change stamp.
    void WriteDeviceID(std::uint32_t id);
    // Sets bits of the repair marks (header byte 120) directly: no stamp, no fitting.
    void SetRepairMarks(std::uint8_t bits);
    // Writes one count byte of the header (such as 67 and 68) and stamps the change; unlike
    // SetHeader it does not rerun the fitting. Nothing for a dummy device or an area-size byte.
    void WriteHeaderCount(std::size_t offset, std::uint8_t value);
    int GetDummyDevModel() const;
    bool IsDummy() const { return GetDummyDevModel() != 0; }
    int GetFrameType() const;
    int GetSlotCount() const;
    std::uint32_t GetChangeTime() const;

    std::string GetChipCardID() const;
    void SetChipCardID(std::string_view text);

    // Device file.
    int Save(const std::string& fileName);
    int Replace(const std::string& fileName);

    // Online state.
    int CheckOnlineTimeout();
    void PrepareLoadToDevice();

    // The DSP fitting; recomputes the limits and flag words.
    void CheckDSPResources(int options);

    // Flag words and counters of the fitting and the limit checks.
    std::uint32_t FLimitExceeded = 0;
    std::uint32_t FLimitReached = 0;
    int FBusLimit = 0;
    int FBusCount = 0;
    int FOutFktLimit = 0;
    int FOutFktCount = 0;
    int FDSPCycles = 0;
    int FDSPCyclesUsed = 0;
    int FSOFLimit = 0;
    int FSOFCount = 0;
    int FFitOptions = 0;
    int FDSPCardCount = 0;

    // The device's node in the project tree; set and used by the main window.
    void* FTreeNode = nullptr;
    // The device's connection address, refreshed from the image for the communication client.
    Kvrdata_ns::TDeviceAddr FAddr;
    // Tell the source windows to rebuild their trees.
    bool FLogicSourcesChanged = false;
    bool FAudioSourcesChanged = false;

    // Online state, kept from the devices' status broadcasts.
    std::uint32_t FOnline = 0;
    std::uint32_t FOnlineTicks = 0;
    std::uint32_t FOnlineSender = 0;
    std::uint32_t FOnlineSerial = 0;
    std::uint32_t FOnlineModified = 0;

private:
    friend class TProject;

    std::span<std::uint8_t, HeaderSize> HeaderBytes() { return std::span<std::uint8_t, HeaderSize>(FImage.data(), HeaderSize); }
    std::size_t SetupCount() const;
    std::size_t SetupSize() const;
    std::size_t StructCount() const;
    std::size_t StructSize() const;
    std::size_t AreaBStart() const { return HeaderSize + SetupSize(); }
    std::size_t UsedSize() const { return HeaderSize + SetupSize() + StructSize(); }
    void SetAreaA(std::size_t count, std::size_t size);
    void SetAreaB(std::size_t count, std::size_t size);
    // Removes n bytes at pos from the used part of the image; the freed tail becomes zero.
    void RemoveBytes(std::size_t pos, std::size_t n);
    // Opens n bytes at pos; the caller has checked the size.
    void InsertBytes(std::size_t pos, std::size_t n);
    void ClearCache() const;
    void ShowTooLarge() const;

    std::vector<std::uint8_t> FImage;
    bool FChanged = false;
    // While non-zero SetChanged does nothing: the project save writes the device, or the repairs
    // of an image being read run (the device keeps the stamp it was saved or sent with).
    int FNoStamp = 0;
    // One-entry read cache of area B: type (-1 empty), payload offset and length.
    mutable int FCacheType = -1;
    mutable std::size_t FCacheOffset = 0;
    mutable std::size_t FCacheSize = 0;
};

} // namespace kvr::model
