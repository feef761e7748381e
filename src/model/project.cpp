#include "model/project.h"

#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/byteorder.h"
#include "model/entrylist.h"
#include "model/globalresources.h"
#include "model/inserts.h"
#include "model/keyrecords.h"
#include "model/linkaccess.h"
#include "model/modelhost.h"
#include "model/modelutil.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <new>
#include <random>
#include <set>

namespace kvr::model {

TProject::TProject()
{
    try {
        FBlock.assign(BlockCapacity, 0);
    } catch (const std::bad_alloc&) {
        // The program ends on this; the library only reports it.
        ShowError("TProject", "TProject", "Not enough memory!");
        throw;
    }
    InitProject();
}

TProject::~TProject() = default;

void TProject::InitProject()
{
    std::fill(FBlock.begin(), FBlock.end(), 0);
    FFitOptions = 0;
    std::copy(ProjectMagic.begin(), ProjectMagic.end(), FBlock.begin());
    writeBE64(FBlock, ph::Version, ProgramVersion);
    const std::uint32_t now = Host().CurrentTime();
    writeBE32(FBlock, ph::Time, now);
    WriteFixedText(FBlock, ph::Name, ph::NameWidth, "Project 1", ph::NameMaxChars);
    FBlock[ph::UserName] = 0;
    std::minstd_rand random(now);
    for (std::size_t i = 0; i < 4; ++i)
        FBlock[ph::ProjectID + i] = static_cast<std::uint8_t>('A' + random() % 26);
    SetBlockSize(HeaderSize);
    SyncDeviceCount();
    FModified = false;
}

std::size_t TProject::BlockSize() const { return readBE16(FBlock, ph::BlockSize); }

void TProject::SetBlockSize(std::size_t size) { writeBE16(FBlock, ph::BlockSize, static_cast<std::uint16_t>(size)); }

void TProject::SyncDeviceCount() { FBlock[ph::DeviceCount] = static_cast<std::uint8_t>(FDevices.size()); }

void TProject::StampTime() { writeBE32(FBlock, ph::Time, Host().CurrentTime()); }

std::array<std::uint8_t, TProject::HeaderSize> TProject::GetHeader() const
{
    std::array<std::uint8_t, HeaderSize> header{};
    std::copy_n(FBlock.begin(), HeaderSize, header.begin());
    return header;
}

void TProject::SetHeader(std::span<const std::uint8_t, HeaderSize> header)
{
    // The device count and the block size describe what the project holds; a stale copy of the
    // header must not change them.
    const std::size_t blockSize = BlockSize();
    std::copy(header.begin(), header.end(), FBlock.begin());
    SetBlockSize(blockSize);
    SyncDeviceCount();
    FModified = true;
    StampTime();
}

bool TProject::GetProjData(std::uint8_t type, std::vector<std::uint8_t>& out) const
{
    out.clear();
    const auto entry = FindEntry(FBlock, HeaderSize, BlockSize(), BlockCapacity, type);
    if (!entry)
        return false;
    const auto begin = FBlock.begin() + static_cast<std::ptrdiff_t>(entry->offset + EntryHeadSize);
    out.assign(begin, begin + static_cast<std::ptrdiff_t>(entry->length));
    return true;
}

std::vector<std::uint8_t> TProject::GetProjData(std::uint8_t type) const
{
    std::vector<std::uint8_t> out;
    GetProjData(type, out);
    return out;
}

bool TProject::SetProjData(std::uint8_t type, std::span<const std::uint8_t> payload)
{
    std::size_t freed = 0;
    {
        EntryWalker walker(FBlock, HeaderSize, BlockSize(), BlockCapacity);
        EntryRef entry;
        std::uint8_t key = 0;
        while (walker.Next(entry, key)) {
            if (key == type)
                freed += entry.length + EntryHeadSize;
        }
    }
    if (BlockSize() - freed + payload.size() + EntryHeadSize > BlockCapacity) {
        ShowError("Project", "SetProjData", "Project data would exceed 8000 bytes! Unable to apply changes");
        return false;
    }

    std::size_t size = BlockSize();
    for (std::size_t pos = HeaderSize; pos + EntryHeadSize <= size;) {
        const std::size_t n = readBE16(FBlock, pos + 2) + EntryHeadSize;
        if (n > size - pos)
            break;
        if (FBlock[pos] == type) {
            std::memmove(FBlock.data() + pos, FBlock.data() + pos + n, size - pos - n);
            std::fill_n(FBlock.begin() + static_cast<std::ptrdiff_t>(size - n), n, 0);
            size -= n;
        } else {
            pos += n;
        }
    }

    const std::size_t n = payload.size() + EntryHeadSize;
    std::memmove(FBlock.data() + HeaderSize + n, FBlock.data() + HeaderSize, size - HeaderSize);
    WriteEntry(FBlock, HeaderSize, type, payload);
    SetBlockSize(size + n);
    StampTime();
    return true;
}

std::string TProject::GetName() const { return ReadFixedText(FBlock, ph::Name, ph::NameWidth); }

void TProject::SetName(std::string_view name)
{
    auto header = GetHeader();
    WriteFixedText(header, ph::Name, ph::NameWidth, name, ph::NameMaxChars);
    SetHeader(header);
    FModified = true;
}

std::string TProject::GetUserName() const { return ReadFixedText(FBlock, ph::UserName, ph::UserNameWidth); }

std::string TProject::GetFileDate() const
{
    const std::time_t time = readBE32(FBlock, ph::Time);
    std::tm local{};
    char text[64];
    if (localtime_r(&time, &local) == nullptr || asctime_r(&local, text) == nullptr)
        return "unknown file date";
    std::string result(text);
    if (!result.empty() && result.back() == '\n')
        result.pop_back();
    return result;
}

std::int32_t TProject::GetProjectID() const { return static_cast<std::int32_t>(readBE32(FBlock, ph::ProjectID)); }

bool TProject::IsChanged()
{
    bool changed = FModified;
    for (const auto& device : FDevices)
        changed = device->IsChanged() || changed;
    return changed;
}

TDevice* TProject::Device(int index) const
{
    if (index < 0 || index >= DeviceCount())
        return nullptr;
    return FDevices[static_cast<std::size_t>(index)].get();
}

int TProject::AddDevice()
{
    TKVRFI trace("TProject::AddDevice");
    auto device = std::make_unique<TDevice>(DeviceCount());

    // New devices go before the dummy devices, which gather at the end.
    std::size_t place = 0;
    while (place < FDevices.size() && !FDevices[place]->IsDummy())
        ++place;
    if (place >= static_cast<std::size_t>(MaxDevices)) {
        Host().ShowMessage("Maximum number of devices within a project exceeded!", "Error");
        return -1;
    }
    TDevice* added = device.get();
    FDevices.insert(FDevices.begin() + static_cast<std::ptrdiff_t>(place), std::move(device));
    SyncDeviceCount();

    const unsigned id = GetFreeDeviceID(1);
    const std::string name = "Device " + std::to_string(id);
    auto header = added->GetHeader();
    writeBE32(header, dh::DeviceID, id);
    WriteFixedText(header, dh::Name, dh::NameWidth, name, dh::NameMaxChars);
    std::copy_n(FBlock.begin() + ph::ProjectID, 4, header.begin() + dh::ProjectID);
    added->SetHeader(header, true);
    added->SetName(name);
    added->SetChipCardID(name);

    added->FFitOptions = FFitOptions;
    FModified = true;
    return static_cast<int>(place);
}

int TProject::CopyDevice(int index)
{
    TKVRFI trace("TProject::CopyDevice");
    // Hold the source itself: adding may move dummy devices up one place.
    TDevice* source = Device(index);
    if (source == nullptr)
        return -1;
    const int added = AddDevice();
    if (added < 0)
        return -1;

    std::vector<std::uint8_t> copy = source->GetAllData();
    const std::string name = "copy from \"" + ReadFixedText(copy, dh::Name, dh::NameWidth) + "\"";
    WriteFixedText(copy, dh::Name, dh::NameWidth, name, dh::NameMaxChars);
    writeBE32(copy, dh::DeviceID, GetFreeDeviceID(1));

    TDevice* device = Device(added);
    device->SetAllData(copy);
    // The copy sends no global logics.
    device->SetData(stGLAssign, {});
    FModified = true;
    return added;
}

void TProject::DeleteDevice(unsigned index)
{
    TKVRFI trace("TProject::DeleteDevice");
    if (index >= FDevices.size())
        return;
    const std::uint32_t deleted = FDevices[index]->GetDeviceID();

    // Links name devices by index: those touching the device go, later indexes move down.
    for (int id = 0; id < kMaxDeviceLinks; ++id) {
        TDeviceLink link;
        if (GetDeviceLink(*this, id, link) == 0)
            continue;
        if (link.SDev == index || link.TDev == index) {
            DeleteDeviceLink(*this, id);
            continue;
        }
        if (link.SDev > index)
            --link.SDev;
        if (link.TDev > index)
            --link.TDev;
        link.Opt = 0;
        SetDeviceLink(*this, id, link);
    }

    // Global resources: the device neither owns one nor subscribes to one any more.
    if (TDevice* first = Device(0)) {
        for (const std::uint8_t id : GetGlobalResourceIDs(*first)) {
            TGlobalResource resource;
            if (GetGlobalResource(*this, id, resource) == 0)
                continue;
            if (resource.Master == deleted || resource.DefaultOwner == deleted) {
                if (resource.Master == deleted)
                    resource.Master = 0;
                if (resource.DefaultOwner == deleted)
                    resource.DefaultOwner = 0;
                SetGlobalResource(*this, resource);
            }
            for (int k = 0; k < resource.Count; ++k) {
                if (resource.Subscribers[static_cast<std::size_t>(k)].DeviceID == deleted) {
                    RemoveGlobalResourceSubscriber(*this, id, k);
                    break;
                }
            }
        }
    }

    FDevices.erase(FDevices.begin() + static_cast<std::ptrdiff_t>(index));
    SyncDeviceCount();

    // Global resource keys that sent to the deleted device send nowhere now.
    int slotsDone = 0;
    Host().SetProgress(0);
    for (const auto& device : FDevices) {
        if (device->IsDummy())
            continue;
        ForEachModuleSlot([&](std::uint8_t slotId) {
            UpdateOwnKeyRecords(*device, slotId, [&](std::span<std::uint8_t> record) {
                if (record[kr::Kind] != kr::KindGlobalResource || readBE32(record, kr::DeviceID) != deleted)
                    return false;
                std::fill_n(record.begin() + kr::DeviceID, 6, 0);
                return true;
            });
            Host().SetProgress(++slotsDone);
        });
    }
    // Global pools fed by the deleted device are removed.
    for (const auto& device : FDevices) {
        TGlobalPoolRecord pool;
        if (GetGlobalPoolLines(*device, pool) != 0 && pool.SourceDevice == deleted) {
            pool.SourceDevice = 0;
            SetGlobalPoolLines(*device, pool);
        }
    }
    FModified = true;
}

int TProject::CountDevices() const
{
    return static_cast<int>(std::count_if(FDevices.begin(), FDevices.end(), [](const auto& d) { return !d->IsDummy(); }));
}

int TProject::IndexOfDevice(std::uint32_t deviceId) const
{
    for (std::size_t i = 0; i < FDevices.size(); ++i) {
        if (FDevices[i]->GetDeviceID() == deviceId)
            return static_cast<int>(i);
    }
    return -1;
}

unsigned TProject::GetFreeDeviceID(unsigned start) const
{
    std::set<std::uint64_t> used;
    for (const auto& device : FDevices) {
        if (!device->IsDummy())
            used.insert(device->GetDeviceID());
    }
    std::uint64_t r = start;
    if (!used.empty() && *used.rbegin() >= r)
        r = *used.rbegin() + 1;
    if (r > static_cast<std::uint64_t>(start) + 63) {
        r = 1;
        while (used.count(r) != 0)
            ++r;
    }
    return static_cast<unsigned>(r);
}

void TProject::FixDuplicateDeviceIDs(int preferred)
{
    const int count = DeviceCount();
    for (int s = 0; s < count; ++s) {
        for (int t = s + 1; t < count; ++t) {
            TDevice& a = *FDevices[static_cast<std::size_t>(s)];
            TDevice& b = *FDevices[static_cast<std::size_t>(t)];
            if (a.IsDummy() || b.IsDummy() || a.GetDeviceID() != b.GetDeviceID())
                continue;
            TDevice& renamed = (preferred == s || preferred == t) ? *FDevices[static_cast<std::size_t>(preferred)] : a;
            renamed.WriteDeviceID(GetFreeDeviceID(1));
        }
    }
}

void TProject::FixLargeDeviceIDs()
{
    for (const auto& device : FDevices) {
        if (!device->IsDummy() && device->GetDeviceID() > 0x10000)
            ChangeDeviceID(device->GetDeviceID(), GetFreeDeviceID(0));
    }
}

void TProject::SetFitOptions(int options)
{
    FFitOptions = options;
    for (const auto& device : FDevices)
        device->FFitOptions = options;
}

} // namespace kvr::model
