#include "app/devicepages/devicepage.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/potaccess.h"
#include "model/potnames.h"
#include "model/project.h"
#include "model/sourcenames.h"
#include "platform/prompter.h"

namespace kvr::app {

namespace {

constexpr std::uint8_t Bit7 = 0x80, Bit6 = 0x40, Bit5 = 0x20;
constexpr std::uint32_t DHCPFlag = 0x80000000u;

struct BitPlace {
    std::size_t Offset;
    std::uint8_t Mask;
    bool Inverted;
};

BitPlace PlaceOf(HeaderBit Bit)
{
    switch (Bit) {
    case HeaderBit::TalkbackMatrix: return {model::dh::TalkOptions, Bit7, false};
    case HeaderBit::CrossFade: return {model::dh::SetupOptions, Bit7, false};
    case HeaderBit::SetupFader: return {model::dh::SetupOptions, Bit6, false};
    case HeaderBit::SetupRoutingSelectors: return {model::dh::SetupOptions, Bit5, true};
    case HeaderBit::SingleChannelMode: return {model::dh::ChannelMode, Bit7, false};
    }
    return {model::dh::TalkOptions, 0, false};
}

bool Checked(const std::array<std::uint8_t, model::TDevice::HeaderSize>& Header, HeaderBit Bit)
{
    const BitPlace place = PlaceOf(Bit);
    return ((Header[place.Offset] & place.Mask) != 0) != place.Inverted;
}

std::string Hex8(std::uint32_t Value)
{
    char text[12];
    std::snprintf(text, sizeof text, "%08X", Value);
    return text;
}

std::string LocalAsctime(std::uint32_t Seconds)
{
    const std::time_t time = Seconds;
    std::tm local{};
    if (!localtime_r(&time, &local))
        return {};
    char text[64];
    if (!asctime_r(&local, text))
        return {};
    std::string result(text);
    if (!result.empty() && result.back() == '\n')
        result.pop_back();
    return result;
}

std::uint32_t& AddressField(model::TNetworkSettings& Settings, NetAddress Which)
{
    switch (Which) {
    case NetAddress::IP: return Settings.IP;
    case NetAddress::Mask: return Settings.Mask;
    case NetAddress::DNS: return Settings.DNS;
    case NetAddress::Gateway: return Settings.Gateway;
    case NetAddress::MailServer: break;
    }
    return Settings.MailServer;
}

} // namespace

std::string FormatAddress(std::uint32_t Address)
{
    char text[20];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", int(Address >> 24), int((Address >> 16) & 0xFF),
                  int((Address >> 8) & 0xFF), int(Address & 0xFF));
    return text;
}

std::optional<std::uint32_t> ParseAddress(std::string_view Text)
{
    std::uint32_t address = 0;
    int parts = 0;
    std::size_t pos = 0;
    bool more = true;
    while (more && parts < 5) {
        const std::size_t end = std::min(Text.find('.', pos), Text.size());
        int value = 0, digits = 0;
        for (std::size_t i = pos; i < end; ++i) {
            const char c = Text[i];
            if (c == ' ' || c == '_')
                continue;
            if (c < '0' || c > '9' || ++digits > 3)
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        address = (address << 8) | static_cast<std::uint32_t>(value);
        ++parts;
        more = end < Text.size();
        pos = end + 1;
    }
    if (parts != 4)
        return std::nullopt;
    return address;
}

model::TDevice* DevicePage::Device() const
{
    if (FDevice < 0 || FDevice >= FProject.DeviceCount())
        return nullptr;
    return FProject.Device(FDevice);
}

void DevicePage::EditHeader(const std::function<void(Header&)>& Change)
{
    model::TDevice* device = Device();
    if (FFilling || !device)
        return;
    auto header = device->GetHeader();
    Change(header);
    device->SetHeader(header, true);
}

DevicePageValues DevicePage::Fill()
{
    DevicePageValues values;
    model::TDevice* device = Device();
    if (!device)
        return values;
    FFilling = true;
    const auto header = device->GetHeader();
    values.Name = device->GetName();
    values.FrameType = header[model::dh::FrameType];
    values.DeviceID = Hex8(device->GetDeviceID());
    values.Supply5V = header[model::dh::PowerSupplies] >> 4;
    values.Supply24V = header[model::dh::PowerSupplies] & 0x0F;
    values.LastChanged = LocalAsctime(device->GetChangeTime());
    values.TalkbackMatrix = Checked(header, HeaderBit::TalkbackMatrix);
    values.CrossFade = Checked(header, HeaderBit::CrossFade);
    values.SetupFader = Checked(header, HeaderBit::SetupFader);
    values.SetupRoutingSelectors = Checked(header, HeaderBit::SetupRoutingSelectors);
    values.SingleChannelMode = Checked(header, HeaderBit::SingleChannelMode);
    values.PrepModeSource = readBE16(header, model::dh::PreparationLogic);
    values.PrepMode = model::GetLogicSourceName(FProject, values.PrepModeSource, FDevice);
    values.Supply24VMax = std::max(0, 4 - values.Supply5V);
    values.External = header[model::dh::Units081];
    values.ChipCardID = device->GetChipCardID();
    model::TNetworkSettings settings;
    model::GetNetworkSettings(*device, settings);
    values.DHCP = (settings.Flags & DHCPFlag) != 0;
    values.Addresses[0] = FormatAddress(settings.IP);
    values.Addresses[1] = FormatAddress(settings.Mask);
    values.Addresses[2] = FormatAddress(settings.DNS);
    values.Addresses[3] = FormatAddress(settings.Gateway);
    values.Addresses[4] = FormatAddress(settings.MailServer);
    return values;
}

void DevicePage::Set5VSupplies(int Count)
{
    EditHeader([&](Header& header) {
        const int supply5 = std::clamp(Count, 1, 4);
        const int supply24 = std::min(header[model::dh::PowerSupplies] & 0x0F, 4 - supply5);
        header[model::dh::PowerSupplies] = static_cast<std::uint8_t>(supply5 << 4 | supply24);
    });
}

void DevicePage::Set24VSupplies(int Count)
{
    EditHeader([&](Header& header) {
        const int supply5 = header[model::dh::PowerSupplies] >> 4;
        const int supply24 = std::clamp(Count, 0, std::max(0, 4 - supply5));
        header[model::dh::PowerSupplies] = static_cast<std::uint8_t>(supply5 << 4 | supply24);
    });
}

void DevicePage::SetExternalSupply(int Item)
{
    EditHeader([&](Header& header) {
        if (Item == 0)
            header[model::dh::Units081] = 0;
        else if (header[model::dh::Units081] == 0)
            header[model::dh::Units081] = 1;
    });
}

void DevicePage::SetExternal24VSupplies(int Count)
{
    EditHeader([&](Header& header) {
        header[model::dh::Units081] = static_cast<std::uint8_t>(std::clamp(Count, 1, 4));
    });
}

void DevicePage::SetHeaderBit(HeaderBit Bit, bool IsChecked)
{
    EditHeader([&](Header& header) {
        const BitPlace place = PlaceOf(Bit);
        if (IsChecked != place.Inverted)
            header[place.Offset] |= place.Mask;
        else
            header[place.Offset] &= static_cast<std::uint8_t>(~place.Mask);
    });
}

void DevicePage::SetDHCP(bool IsChecked)
{
    model::TDevice* device = Device();
    if (FFilling || !device)
        return;
    model::TNetworkSettings settings;
    model::GetNetworkSettings(*device, settings);
    settings.Flags = IsChecked ? settings.Flags | DHCPFlag : settings.Flags & ~DHCPFlag;
    model::SetNetworkSettings(*device, settings);
}

void DevicePage::SetAddress(NetAddress Which, std::string_view Text)
{
    model::TDevice* device = Device();
    if (FFilling || !device)
        return;
    const auto address = ParseAddress(Text);
    if (!address)
        return;
    model::TNetworkSettings settings;
    model::GetNetworkSettings(*device, settings);
    AddressField(settings, Which) = *address;
    if (Which == NetAddress::IP)
        settings.Flags &= ~DHCPFlag;
    model::SetNetworkSettings(*device, settings);
}

void DevicePage::SetSender(std::string_view Text)
{
    model::TDevice* device = Device();
    if (FFilling || !device)
        return;
    model::TNetworkSettings settings;
    model::GetNetworkSettings(*device, settings);
    settings.Sender.fill(0);
    std::copy_n(Text.begin(), std::min(Text.size(), settings.Sender.size()), settings.Sender.begin());
    model::SetNetworkSettings(*device, settings);
}

void DevicePage::SetChipCardID(std::string_view Text)
{
    if (model::TDevice* device = Device(); device && !FFilling)
        device->SetChipCardID(Text);
}

std::string DevicePage::ChipCardID() const
{
    const model::TDevice* device = Device();
    return device ? device->GetChipCardID() : std::string();
}

void DevicePage::MakeDummy()
{
    model::TDevice* device = Device();
    if (!device)
        return;
    auto header = device->GetHeader();
    header[model::dh::DummyDevModel] = DummyDeviceModel;
    device->SetHeader(header, false);
    device->SetChangedFlag(true);
}

void DevicePage::ShowDeviceID(platform::Prompter& Prompter) const
{
    if (const model::TDevice* device = Device())
        Prompter.showMessage(QString::fromStdString("DevID:  " + Hex8(device->GetDeviceID())));
}

bool DevicePage::CreateDeviceID(platform::Prompter& Prompter, int ServiceLevel)
{
    model::TDevice* device = Device();
    if (!device)
        return false;
    unsigned start = 1;
    if (device->IsDummy()) {
        start = 64;
        if (ServiceLevel < 2) {
            Prompter.showMessage("Can only change device id of KX7300 devices!");
            return false;
        }
        if (Prompter.messageBox("Changing the DID of other devices than KX7300 frames is very dangerous!\nContinue?", "",
                                platform::Buttons::OkCancel, platform::Icon::Exclamation) != platform::Answer::Ok)
            return false;
    }
    if (Prompter.messageBox("Global Resources are not updated with the new DeviceID! Continue?", "Warning",
                            platform::Buttons::YesNo, platform::Icon::None) != platform::Answer::Yes)
        return false;
    const std::uint32_t newID = FProject.GetFreeDeviceID(start);
    Prompter.showMessage(QString::fromStdString("OLD:  " + Hex8(device->GetDeviceID())));
    auto header = device->GetHeader();
    writeBE32(header, model::dh::DeviceID, newID);
    device->SetHeader(header, true);
    Prompter.showMessage(QString::fromStdString("NEW:  " + Hex8(newID)));
    return true;
}

} // namespace kvr::app
