#include "kvrdata/byteorder.h"
#include "model/modelhost.h"
#include "model/modelutil.h"
#include "model/project.h"
#include "model/repairchain.h"
#include "model/superoutputs.h"

namespace kvr::model {

namespace {
constexpr std::uint32_t OnlineTicks = 5;
constexpr std::uint32_t NoStamp = 0x80000000u;
} // namespace

int TProject::UpdateOnlineState(const TDeviceOnlineRecord& record)
{
    if (record.ProjectID != static_cast<std::uint32_t>(GetProjectID()))
        return 0;
    int changes = 0;
    for (const auto& device : FDevices) {
        if (device->IsDummy() || device->GetDeviceID() != record.DeviceID)
            continue;
        device->FOnlineTicks = OnlineTicks;
        device->FOnlineSender = record.Sender;
        device->FOnlineSerial = record.Serial;
        if (device->FOnline == 0) {
            device->FOnline = 1;
            ++changes;
        }
        if ((record.Stamp & NoStamp) != 0 || record.Stamp == device->GetChangeTime()) {
            if (device->FOnlineModified != 0) {
                device->FOnlineModified = 0;
                ++changes;
            }
        } else {
            device->FOnlineModified = 1;
            ++changes;
        }
        if (device->FTreeNode != nullptr) {
            std::string text = ReadFixedText(device->Header(), dh::Name, dh::NameWidth);
            if (device->FOnline != 0)
                text += ", Online";
            if (device->FOnlineModified != 0)
                text += ", Modified";
            Host().SetTreeNodeText(device->FTreeNode, text);
        }
    }
    return changes;
}

int TProject::CheckOnlineTimeouts()
{
    int offline = 0;
    for (const auto& device : FDevices)
        offline += device->CheckOnlineTimeout();
    return offline;
}

int TDevice::CheckOnlineTimeout()
{
    if (FOnlineTicks == 0)
        return 0;
    --FOnlineTicks;
    if (FOnlineTicks == 0 && FOnline != 0) {
        FOnline = 0;
        return 1;
    }
    return 0;
}

void TDevice::PrepareLoadToDevice()
{
    FixFaderChannelSources(*this);
    CheckSize(0);
    FixGroupLogic(*this);
    // The image sent carries a fresh stamp, which the device's broadcasts then repeat.
    SetChanged(202);
}

} // namespace kvr::model
