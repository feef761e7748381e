#include "model/device.h"
#include "model/repairchain.h"

#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/byteorder.h"
#include "model/cardrecords.h"
#include "model/dspfitdevice.h"
#include "model/entrylist.h"
#include "model/modelhost.h"
#include "model/modelutil.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace kvr::model {

const std::array<TFrameTypeInfo, 2> FrameTypeTable = {{{"KX730-061", 10}, {"KX730-063", 30}}};

namespace {

constexpr std::size_t MaxEntriesPerArea = 255; // the counts are single header bytes

std::vector<std::uint8_t> defaultBusRecords(int count)
{
    std::vector<std::uint8_t> records(static_cast<std::size_t>(count) * 32, 0);
    for (int b = 0; b < count; ++b) {
        const std::span<std::uint8_t> record(records.data() + b * 32, 32);
        WriteFixedText(record, 0, 16, "Program Bus " + std::to_string(b + 1), 16);
        record[16] = 0x80; // stereo
        record[17] = 39;   // limiter threshold
        record[18] = 6;    // limiter release
    }
    return records;
}

} // namespace

int CalcCardRecordSize(std::span<const std::uint8_t> record)
{
    const int channels = record.size() > 2 ? record[2] : 0;
    const int gpios = record.size() > 3 ? record[3] : 0;
    return 4 + 24 * channels + 16 * gpios;
}

std::string CheckDeviceImage(std::span<const std::uint8_t> image)
{
    if (image.size() < TDevice::HeaderSize)
        return "the image is shorter than its header";
    if (image.size() > TDevice::ImageSize)
        return "the image is larger than 64000 bytes";
    if (image[dh::FrameType] >= FrameTypeTable.size())
        return "unknown frame type " + std::to_string(image[dh::FrameType]);
    const std::size_t setupSize = readBE16(image, dh::SetupSize);
    const std::size_t structSize = readBE16(image, dh::StructSize);
    const std::size_t total = TDevice::HeaderSize + setupSize + structSize;
    if (total > image.size())
        return "its header announces more bytes than it holds";
    if (total >= TDevice::ImageSize)
        return "it reaches the size limit of 64000 bytes";
    if (!EntriesFill(image, TDevice::HeaderSize, TDevice::HeaderSize + setupSize, image[dh::SetupCount]))
        return "the setup entries do not fill their area";
    if (!EntriesFill(image, TDevice::HeaderSize + setupSize, total, image[dh::StructCount]))
        return "the structures do not fill their area";
    return {};
}

TDevice::TDevice(int)
{
    try {
        FImage.assign(ImageSize, 0);
    } catch (const std::bad_alloc&) {
        // The program ends on this; the library only reports it.
        ShowError("TDevice", "TDevice", "Not enough memory!");
        throw;
    }
    InitDevice();
}

TDevice::~TDevice() = default;

std::size_t TDevice::SetupCount() const { return FImage[dh::SetupCount]; }
std::size_t TDevice::SetupSize() const { return readBE16(FImage, dh::SetupSize); }
std::size_t TDevice::StructCount() const { return FImage[dh::StructCount]; }
std::size_t TDevice::StructSize() const { return readBE16(FImage, dh::StructSize); }

void TDevice::SetAreaA(std::size_t count, std::size_t size)
{
    FImage[dh::SetupCount] = static_cast<std::uint8_t>(count);
    writeBE16(FImage, dh::SetupSize, static_cast<std::uint16_t>(size));
    writeBE16(FImage, dh::TotalSize, static_cast<std::uint16_t>(UsedSize()));
}

void TDevice::SetAreaB(std::size_t count, std::size_t size)
{
    FImage[dh::StructCount] = static_cast<std::uint8_t>(count);
    writeBE16(FImage, dh::StructSize, static_cast<std::uint16_t>(size));
    writeBE16(FImage, dh::TotalSize, static_cast<std::uint16_t>(UsedSize()));
}

void TDevice::RemoveBytes(std::size_t pos, std::size_t n)
{
    const std::size_t used = UsedSize();
    std::memmove(FImage.data() + pos, FImage.data() + pos + n, used - pos - n);
    std::fill(FImage.begin() + static_cast<std::ptrdiff_t>(used - n), FImage.begin() + static_cast<std::ptrdiff_t>(used), 0);
}

void TDevice::InsertBytes(std::size_t pos, std::size_t n)
{
    const std::size_t used = UsedSize();
    std::memmove(FImage.data() + pos + n, FImage.data() + pos, used - pos);
}

void TDevice::ClearCache() const
{
    FCacheType = -1;
    FCacheOffset = 0;
    FCacheSize = 0;
}

void TDevice::ShowTooLarge() const
{
    ShowError("Device", "CheckSize", "Configuration is too large! Unable to apply changes!");
}

void TDevice::InitDevice()
{
    FFitOptions = 0;
    FNoStamp = 0;
    std::fill(FImage.begin(), FImage.end(), 0);
    ClearCache();

    std::memcpy(FImage.data() + dh::Magic, "MPJ2", 4);
    writeBE64(FImage, dh::Version, ProgramVersion);
    SetName("New Device");
    SetChipCardID("New Device");
    FImage[dh::FrameType] = 1;
    FChanged = false;

    // The DSP card of the first group of ten slots.
    const std::uint8_t dspCard[8] = {0x03, 0x50, 0, 0xFE, 0, 0, 0, 0};
    SetSetupData(9, dspCard);

    // Two program buses.
    FImage[dh::ProgramBusCount] = 2;
    SetData(stBus, defaultBusRecords(2));
    FAudioSourcesChanged = true;

    // Monitor buses 1-6 default to the same left and right sources.
    std::vector<std::uint8_t> monitor(24);
    for (std::size_t i = 0; i < 12; ++i)
        writeBE16(monitor, 2 * i, (i % 2 == 0) ? 0x6002 : 0x6003);
    SetData(stMonitorBus, monitor);

    FImage[dh::AnalogDefaultLevel] = 18;
    FImage[dh::DigitalDefaultLevel] = 21;
    FImage[dh::PowerSupplies] = 0x10;

    FOnline = FOnlineTicks = FOnlineSender = FOnlineSerial = FOnlineModified = 0;
    FLimitExceeded = FLimitReached = 0;

    // Pool 0 named "Pool 1".
    SetData(stOldPoolNames, {});
    std::vector<std::uint8_t> pool(11, 0);
    WriteFixedText(pool, 1, 10, "Pool 1", 10);
    SetData(stPoolNames, pool);

    FChanged = false;
}

std::array<std::uint8_t, TDevice::HeaderSize> TDevice::GetHeader() const
{
    std::array<std::uint8_t, HeaderSize> header{};
    std::copy_n(FImage.begin(), HeaderSize, header.begin());
    return header;
}

std::span<const std::uint8_t, TDevice::HeaderSize> TDevice::Header() const
{
    return std::span<const std::uint8_t, HeaderSize>(FImage.data(), HeaderSize);
}

void TDevice::SetHeader(std::span<const std::uint8_t, HeaderSize> header, bool markChanged)
{
    // The area counts and sizes describe the entries behind the header; a stale copy of the
    // header must not overwrite them, nor make the frame type unknown.
    std::array<std::uint8_t, 8> areas{};
    std::copy_n(FImage.begin() + dh::SetupCount, areas.size(), areas.begin());
    const std::uint8_t frameType = FImage[dh::FrameType];
    std::copy(header.begin(), header.end(), FImage.begin());
    std::copy(areas.begin(), areas.end(), FImage.begin() + dh::SetupCount);
    if (FImage[dh::FrameType] >= FrameTypeTable.size())
        FImage[dh::FrameType] = frameType;

    CheckDSPResources(FFitOptions);
    FChanged = true;
    if (markChanged)
        SetChanged(201);
}

bool TDevice::GetSetupData(std::uint8_t id, std::vector<std::uint8_t>& out) const
{
    out.clear();
    const auto entry = FindEntry(FImage, HeaderSize, AreaBStart(), SetupCount(), id);
    if (!entry)
        return false;
    const auto begin = FImage.begin() + static_cast<std::ptrdiff_t>(entry->offset + EntryHeadSize);
    out.assign(begin, begin + static_cast<std::ptrdiff_t>(entry->length));
    return true;
}

std::vector<std::uint8_t> TDevice::GetSetupData(std::uint8_t id) const
{
    std::vector<std::uint8_t> out;
    GetSetupData(id, out);
    return out;
}

bool TDevice::GetData(std::uint8_t type, std::vector<std::uint8_t>& out) const
{
    out.clear();
    if (FCacheType != type) {
        const auto entry = FindEntry(FImage, AreaBStart(), UsedSize(), StructCount(), type);
        if (!entry)
            return false;
        FCacheType = type;
        FCacheOffset = entry->offset + EntryHeadSize;
        FCacheSize = entry->length;
    }
    const auto begin = FImage.begin() + static_cast<std::ptrdiff_t>(FCacheOffset);
    out.assign(begin, begin + static_cast<std::ptrdiff_t>(FCacheSize));
    return true;
}

std::vector<std::uint8_t> TDevice::GetData(std::uint8_t type) const
{
    std::vector<std::uint8_t> out;
    GetData(type, out);
    return out;
}

int TDevice::SetSetupData(std::uint8_t id, std::span<const std::uint8_t> payload)
{
    if (IsDummy())
        return -1;
    ClearCache();

    std::vector<std::uint8_t> cardRecord;
    if (id < 30) {
        FLogicSourcesChanged = true;
        FAudioSourcesChanged = true;
        // I/O card records are always stored with the length their counts give. A GPIO card's
        // byte 2 holds its GPI pull-ups, not a channel count: its length comes from byte 3 alone.
        if (id % 10 < 8 && !payload.empty()) {
            const bool gpio = CardTypeOf(payload) == kCardGPIO;
            const std::size_t gpios = payload.size() > 3 ? payload[3] : 0;
            cardRecord.assign(gpio ? 4 + 16 * gpios : static_cast<std::size_t>(CalcCardRecordSize(payload)), 0);
            std::copy_n(payload.begin(), std::min(payload.size(), cardRecord.size()), cardRecord.begin());
            payload = cardRecord;
        }
    }

    const auto old = FindEntry(FImage, HeaderSize, AreaBStart(), SetupCount(), id);
    const std::size_t freed = old ? old->length + EntryHeadSize : 0;
    if (!payload.empty()) {
        const std::size_t countAfterRemoval = SetupCount() - (old ? 1 : 0);
        if (UsedSize() - freed + payload.size() + EntryHeadSize >= ImageSize || countAfterRemoval >= MaxEntriesPerArea) {
            ShowTooLarge();
            return -1;
        }
    }

    if (old) {
        RemoveBytes(old->offset, freed);
        SetAreaA(SetupCount() - 1, SetupSize() - freed);
        SetChanged(-static_cast<int>(id));
    }
    if (payload.empty())
        return 0;

    const std::size_t n = payload.size() + EntryHeadSize;
    InsertBytes(HeaderSize, n);
    WriteEntry(FImage, HeaderSize, id, payload);
    SetAreaA(SetupCount() + 1, SetupSize() + n);
    FChanged = true;
    SetChanged(-static_cast<int>(id));
    return static_cast<int>(payload.size());
}

bool TDevice::SetData(std::uint8_t type, std::span<const std::uint8_t> payload)
{
    if (IsDummy())
        return false;
    TKVRFI trace("TDevice::SetData");
    InfoFormatter->Trace(0x2000, "%s : Type = %d, Size = %d", "TDevice::SetData", type, static_cast<int>(payload.size()));
    ClearCache();

    // What removing every entry of the type frees.
    std::size_t freed = 0;
    std::size_t removed = 0;
    {
        EntryWalker walker(FImage, AreaBStart(), UsedSize(), StructCount());
        EntryRef entry;
        std::uint8_t key = 0;
        while (walker.Next(entry, key)) {
            if (key == type) {
                freed += entry.length + EntryHeadSize;
                ++removed;
            }
        }
    }
    if (!payload.empty() &&
        (UsedSize() - freed + payload.size() + EntryHeadSize >= ImageSize || StructCount() - removed >= MaxEntriesPerArea)) {
        ShowTooLarge();
        return false;
    }

    if (removed > 0) {
        std::size_t pos = AreaBStart();
        std::size_t count = StructCount();
        for (std::size_t i = StructCount(); i > 0 && pos + EntryHeadSize <= UsedSize(); --i) {
            const std::size_t n = readBE16(FImage, pos + 2) + EntryHeadSize;
            if (n > UsedSize() - pos)
                break;
            if (FImage[pos] == type) {
                RemoveBytes(pos, n);
                SetAreaB(--count, StructSize() - n);
            } else {
                pos += n;
            }
        }
    }

    SetChanged(type);
    if (payload.empty())
        return true;

    const std::size_t n = payload.size() + EntryHeadSize;
    const std::size_t at = AreaBStart();
    InsertBytes(at, n);
    WriteEntry(FImage, at, type, payload);
    SetAreaB(StructCount() + 1, StructSize() + n);
    return true;
}

int TDevice::CheckSize(int extra)
{
    const long long total = static_cast<long long>(UsedSize());
    if (total + extra < static_cast<long long>(ImageSize)) {
        writeBE16(FImage, dh::TotalSize, static_cast<std::uint16_t>(total));
        return 1;
    }
    ShowTooLarge();
    return 0;
}

void TDevice::SetChanged(int code)
{
    // The DSP assignment is rewritten by every fitting run and the old pool names are emptied on
    // every load: neither is a change of the user's.
    if (code == stDSPAssign || code == stOldPoolNames || FNoStamp != 0)
        return;
    FChanged = true;
    writeBE32(FImage, dh::ChangeTime, Host().CurrentTime());
}

bool TDevice::IsChanged()
{
    FImage[dh::ChangedCopy] = FChanged ? 1 : 0;
    return FChanged;
}

std::vector<std::uint8_t> TDevice::GetAllData()
{
    CheckSize(0);
    const std::size_t total = readBE16(FImage, dh::TotalSize);
    return std::vector<std::uint8_t>(FImage.begin(), FImage.begin() + static_cast<std::ptrdiff_t>(total));
}

bool TDevice::SetAllData(std::span<const std::uint8_t> image)
{
    if (IsDummy())
        return false;
    TKVRFI trace("TDevice::SetAllData");
    if (const std::string reason = CheckDeviceImage(image); !reason.empty()) {
        ShowError("Device", "SetAllData", "The device image is damaged: " + reason);
        return false;
    }
    const std::size_t total = HeaderSize + readBE16(image, dh::SetupSize) + readBE16(image, dh::StructSize);
    // Repairs of an image being read are no edit: the image keeps the change time it was saved or
    // sent with, so a device running it is not shown modified after every open.
    struct NoStampScope {
        int& count;
        explicit NoStampScope(int& c) : count(c) { ++count; }
        ~NoStampScope() { --count; }
    } noStamp(FNoStamp);
    std::copy_n(image.begin(), total, FImage.begin());
    std::fill(FImage.begin() + static_cast<std::ptrdiff_t>(total), FImage.end(), 0);
    ClearCache();
    FLogicSourcesChanged = true;
    FAudioSourcesChanged = true;

    // One fitting at the end, without the DSP assignment, also for the header write below.
    DeferredFitting deferred(*this);
    RunRepairPasses(*this);
    if (GetChipCardID().empty())
        SetChipCardID(ReadFixedText(FImage, dh::Name, dh::NameWidth));
    CheckLoadedImage(*this);
    CheckDSPResources(2);
    CheckSize(0);
    return true;
}

std::string TDevice::GetName() const
{
    std::string name = ReadFixedText(FImage, dh::Name, dh::NameWidth);
    if (IsDummy())
        name += " (KX730-" + ZeroPad(GetDummyDevModel(), 3) + ")";
    return name;
}

void TDevice::SetName(std::string_view name)
{
    if (IsDummy())
        return;
    const std::string oldName = ReadFixedText(FImage, dh::Name, dh::NameWidth);
    const std::string oldChipCard = GetChipCardID();
    WriteFixedText(FImage, dh::Name, dh::NameWidth, name, dh::NameMaxChars);
    SetChanged(0);
    // A chip card ID that followed the name keeps following it.
    const std::size_t n = std::min({oldName.size(), oldChipCard.size(), dh::ChipCardIDWidth});
    if (oldName.compare(0, n, oldChipCard, 0, n) == 0)
        SetChipCardID(ReadFixedText(FImage, dh::Name, dh::NameWidth));
}

std::uint32_t TDevice::GetDeviceID() const { return readBE32(FImage, dh::DeviceID); }

void TDevice::WriteDeviceID(std::uint32_t id) { writeBE32(FImage, dh::DeviceID, id); }

void TDevice::SetRepairMarks(std::uint8_t bits) { FImage[dh::RepairMarks] |= bits; }

void TDevice::WriteHeaderCount(std::size_t offset, std::uint8_t value)
{
    if (IsDummy() || offset >= HeaderSize || (offset >= dh::SetupCount && offset <= dh::StructCount) ||
        FImage[offset] == value)
        return;
    FImage[offset] = value;
    FChanged = true;
    SetChanged(201);
}

int TDevice::GetDummyDevModel() const { return FImage[dh::DummyDevModel]; }

int TDevice::GetFrameType() const { return FImage[dh::FrameType]; }

int TDevice::GetSlotCount() const
{
    const std::size_t frameType = FImage[dh::FrameType];
    return frameType < FrameTypeTable.size() ? FrameTypeTable[frameType].SlotCount : FrameTypeTable[0].SlotCount;
}

std::uint32_t TDevice::GetChangeTime() const { return readBE32(FImage, dh::ChangeTime); }

std::string TDevice::GetChipCardID() const { return ReadFixedText(FImage, dh::ChipCardID, dh::ChipCardIDWidth); }

void TDevice::SetChipCardID(std::string_view text)
{
    if (IsDummy())
        return;
    auto header = GetHeader();
    WriteFixedText(header, dh::ChipCardID, dh::ChipCardIDWidth, text, dh::ChipCardIDWidth);
    SetHeader(header, true);
}

} // namespace kvr::model
