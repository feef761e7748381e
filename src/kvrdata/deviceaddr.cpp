#include "kvrdata/deviceaddr.h"

#include "kvrdata/blockfilter.h"
#include "kvrdata/kvrstruct.h"
#include "kvrdata/udpmsgv6.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace Kvrdata_ns {

namespace {

constexpr unsigned SerialMask = 0x00FFFFFF;
constexpr unsigned MaxCOMPort = 255; // serial numbers below this name a COM port

// One "%d" of the dotted form: blanks, a sign, digits. The value saturates above 255 so that
// long digit runs cannot overflow; a negative number counts as too large.
bool readPart(const std::string& Text, std::size_t& Pos, unsigned& Value)
{
    while (Pos < Text.size() && std::isspace(static_cast<unsigned char>(Text[Pos])))
        ++Pos;
    bool negative = false;
    if (Pos < Text.size() && (Text[Pos] == '+' || Text[Pos] == '-'))
        negative = Text[Pos++] == '-';
    const std::size_t digits = Pos;
    Value = 0;
    while (Pos < Text.size() && std::isdigit(static_cast<unsigned char>(Text[Pos]))) {
        Value = std::min(Value * 10 + static_cast<unsigned>(Text[Pos] - '0'), 256u);
        ++Pos;
    }
    if (Pos == digits)
        return false;
    if (negative && Value != 0)
        Value = 256;
    return true;
}

} // namespace

TDeviceAddr::TDeviceAddr()
    : TBlockObject(nullptr, 0, false, false)
{
    Init();
    CK = dckNone;
    ConnectionType = dctUnknown;
    Client = "UKN";
}

TDeviceAddr::TDeviceAddr(TUDPMsgV6& Msg, const char* ClientName)
    : TBlockObject(nullptr, 0, false, false)
{
    Init();
    CK = dckNone;
    ConnectionType = dctUnknown;
    if (const TBCDevice* device = Msg.GetDevice()) {
        if (device->PID != 0 && device->DID != 0) {
            CK = dckBroadcast;
            PID = device->PID;
            DID = device->DID;
            MAC = device->MAC;
            IP = Msg.FromIP;
        } else if (Msg.FromIP != 0) {
            CK = dckFixedIP;
            IP = Msg.FromIP;
            MAC = device->MAC;
        } else if ((device->MAC & SerialMask) < MaxCOMPort) {
            CK = dckCOMPort;
            SetCOMPort(static_cast<std::uint8_t>(device->MAC & SerialMask));
        }
        FirmwareVersion = device->FirmwareVersion;
    }
    Client = ClientName ? ClientName : "";
}

void TDeviceAddr::Describe(TBlockFilter* Filter)
{
    Filter->Transfer("IP", &IP);
    Filter->Transfer("MAC", &MAC);
    Filter->Transfer("PID", &PID);
    Filter->Transfer("DID", &DID);
    Filter->Transfer("Name", &Name);
    int ck = CK; // a one-byte kind travels as an int
    Filter->Transfer("CK", &ck);
    CK = static_cast<TKVRConnectionKind>(ck & 0xFF);
    Filter->Transfer("COMPort", &COMPort);
    Filter->Transfer("Server", &Server);
    Filter->Transfer("Client", &Client);
    Filter->Transfer("FirmwareVersion", &FirmwareVersion);
}

std::string TDeviceAddr::GetDescription() const
{
    switch (CK) {
    case dckNone:
        return "None";
    case dckBroadcast: {
        std::string text = "Project: ";
        for (int shift = 24; shift >= 0; shift -= 8) {
            const char c = static_cast<char>((PID >> shift) & 0xFF);
            if (c == 0)
                break;
            text += c;
        }
        char device[32];
        std::snprintf(device, sizeof device, " Device: %08X", DID);
        return text + device;
    }
    case dckFixedIP: {
        std::string ip;
        IPToStr(IP, ip);
        return "Fixed IP Address: " + ip;
    }
    case dckCOMPort:
        return "COM Port " + std::to_string(COMPort);
    case dckUSB:
        return "USB";
    }
    return {};
}

TConnectionType TDeviceAddr::GetConnectionType() const
{
    switch (CK) {
    case dckBroadcast: {
        const unsigned serial = MAC & SerialMask;
        if (serial > 255)
            return dctTCP;
        return serial != 0 ? dctCOM : ConnectionType;
    }
    case dckFixedIP:
        return dctTCP;
    case dckCOMPort:
        return dctCOM;
    default:
        return dctUnknown;
    }
}

std::uint8_t TDeviceAddr::GetCOMPort() const
{
    const unsigned serial = MAC & SerialMask;
    return serial < MaxCOMPort ? static_cast<std::uint8_t>(serial) : COMPort;
}

void TDeviceAddr::SetCOMPort(std::uint8_t Port)
{
    COMPort = Port;
    if (Port != 255)
        MAC = Port;
}

std::string TDeviceAddr::GetAddressText() const
{
    switch (GetConnectionType()) {
    case dctCOM:
        return std::to_string(GetCOMPort());
    case dctTCP: {
        std::string ip;
        IPToStr(IP, ip);
        return ip;
    }
    case dctUSB:
        return "USB";
    default:
        return {};
    }
}

bool IPToStr(unsigned IP, std::string& Text)
{
    Text = FormatIP(IP);
    return true;
}

bool StrToIP(unsigned& IP, const std::string& Text)
{
    unsigned parts[4];
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (pos >= Text.size() || Text[pos] != '.')
                return false;
            ++pos;
        }
        if (!readPart(Text, pos, parts[i]) || parts[i] > 255)
            return false;
    }
    IP = parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3];
    return true;
}

std::string PIDToStr(unsigned PID)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((PID >> shift) & 0xFF);
        text += c == 0 ? ' ' : c;
    }
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace Kvrdata_ns
