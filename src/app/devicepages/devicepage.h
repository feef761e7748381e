#pragma once
// The device page of a DSP frame: what its controls show and what each one writes into the
// selected device at once. The page caches nothing; every handler reads the device again.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kvr::model {
class TProject;
class TDevice;
} // namespace kvr::model
namespace kvr::platform {
class Prompter;
}

namespace kvr::app {

// Header bits behind the check boxes of the "Operation mode" tab.
enum class HeaderBit { TalkbackMatrix, CrossFade, SetupFader, SetupRoutingSelectors, SingleChannelMode };

// The five addresses of the network tab.
enum class NetAddress { IP, Mask, DNS, Gateway, MailServer };

// The fixed model a device becomes by "MkDummyDev".
inline constexpr std::uint8_t DummyDeviceModel = 27;

struct DevicePageValues {
    std::string Name;
    int FrameType = 0;
    std::string DeviceID;    // 8 upper-case hex digits
    std::string LastChanged; // asctime form of the local change time, no line feed
    int Supply5V = 0;
    int Supply24V = 0;
    int Supply24VMax = 0;
    int External = 0; // 0 none, else its number of 24-V supplies
    bool TalkbackMatrix = false, CrossFade = false, SetupFader = false, SetupRoutingSelectors = false,
         SingleChannelMode = false;
    std::string PrepMode;
    std::uint16_t PrepModeSource = 0;
    std::string ChipCardID;
    bool DHCP = false;
    std::string Addresses[5];
};

// "%d.%d.%d.%d" of an address, most significant first.
std::string FormatAddress(std::uint32_t Address);
// Four decimal numbers of 0-255 separated by points; blanks of a mask edit are ignored. Nothing
// for a partly typed address.
std::optional<std::uint32_t> ParseAddress(std::string_view Text);

class DevicePage {
public:
    DevicePage(model::TProject& Project, int Device) : FProject(Project), FDevice(Device) {}

    // FillDevicePage's values; the writers below do nothing until EndFill.
    DevicePageValues Fill();
    void EndFill() { FFilling = false; }
    bool Filling() const { return FFilling; }

    // Power supplies; each stamps the change time. The page is refilled afterwards.
    void Set5VSupplies(int Count);
    void Set24VSupplies(int Count);
    void SetExternalSupply(int Item); // 0 "None", 1 "KX730-081"
    void SetExternal24VSupplies(int Count);

    void SetHeaderBit(HeaderBit Bit, bool Checked);

    // Network; nothing is written for an address that does not parse.
    void SetDHCP(bool Checked);
    void SetAddress(NetAddress Which, std::string_view Text);
    void SetSender(std::string_view Text);

    void SetChipCardID(std::string_view Text);
    std::string ChipCardID() const;

    // Header byte 106 := 27 without a change stamp: from then on the device is a fixed model.
    void MakeDummy();

    // The device popup's service entries.
    void ShowDeviceID(platform::Prompter& Prompter) const;
    // Renumbers the device after the questions; true when a new ID was written.
    bool CreateDeviceID(platform::Prompter& Prompter, int ServiceLevel);

private:
    using Header = std::array<std::uint8_t, 200>;
    model::TDevice* Device() const;
    // Reads the header, lets Change edit it and writes it back with a change stamp.
    void EditHeader(const std::function<void(Header&)>& Change);
    model::TProject& FProject;
    int FDevice;
    bool FFilling = false;
};

} // namespace kvr::app
