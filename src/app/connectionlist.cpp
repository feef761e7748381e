#include "app/connectionlist.h"

#include <algorithm>
#include <cstdio>

#include "commserver/serialports/serialportmap.h"

#include "kvrdata/byteorder.h"
#include "kvrdata/kvrstruct.h"
#include "kvrdata/udpmsgv6.h"

namespace kvr::app {

namespace {

using Kvrdata_ns::TUDPMsg;

// Offsets in the image of an older status broadcast (address 0-3, payload from 8).
constexpr std::size_t OffSerial = 12;
constexpr std::size_t OffDeviceID = 16;
constexpr std::size_t OffProjectID = 20;
constexpr std::size_t OffName = 28;
constexpr std::size_t NameChars = 10;
constexpr std::size_t OffEntryCount = 38;
// A serial value up to this is the number of the COM port the device hangs on.
constexpr unsigned HighestCOMPort = 254;
constexpr unsigned SerialMask = 0xFFFFFF;

std::uint32_t Value32(const TUDPMsg& M, std::size_t Offset)
{
    if (Offset == 0)
        return M.Address;
    return kvr::readLE32(M.Payload, Offset - Kvrdata_ns::UDPPayloadOffset);
}

std::string Hex(unsigned Value, int Digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", Digits, Value);
    return text;
}

std::string DottedIP(unsigned IP)
{
    std::string text;
    Kvrdata_ns::IPToStr(IP, text);
    return text;
}

std::string OlderName(const TUDPMsg& M)
{
    std::string name;
    for (std::size_t i = 0; i < NameChars; ++i) {
        const std::uint8_t c = M.Payload[OffName - Kvrdata_ns::UDPPayloadOffset + i];
        if (c == 0)
            break;
        name.push_back(static_cast<char>(c));
    }
    return name;
}

ConnectionRow OlderRow(const TUDPMsg& M)
{
    ConnectionRow row;
    const unsigned serial = Value32(M, OffSerial);
    const unsigned did = Value32(M, OffDeviceID);
    const unsigned pid = Value32(M, OffProjectID);
    const std::string name = OlderName(M);
    const bool network = serial > HighestCOMPort;
    row.Texts = {Kvrdata_ns::PIDToStr(pid), Hex(did, 8), name,
                 network ? DottedIP(Value32(M, 0)) : "COM" + std::to_string(serial),
                 network ? Hex(serial & SerialMask, 6) : std::string()};
    row.Key = serial;
    row.Addr.CK = Kvrdata_ns::dckBroadcast;
    row.Addr.PID = pid;
    row.Addr.DID = did;
    row.Addr.IP = Value32(M, 0);
    row.Addr.MAC = serial;
    row.Addr.Name = name;
    return row;
}

} // namespace

std::vector<std::string> ConnectionList::ColumnTitles() const
{
    if (Newer())
        return {"Project ID", "Device ID", "Hardware Name", "Device Name", "IP Addr", "Serial No"};
    return {"Project ID", "Device ID", "Device Name", "IP Addr/COM Port", "Serial No"};
}

std::vector<int> ConnectionList::ColumnWidths() const
{
    if (Newer())
        return {60, 60, 90, 90, 90, 60};
    return {70, 70, 85, 110, 80};
}

void ConnectionList::KeepSelection(unsigned Key, bool HadSelection)
{
    FSelected = -1;
    if (!HadSelection)
        return;
    // Every row with the key is selected in turn; the last one stays.
    for (std::size_t i = 0; i < FRows.size(); ++i)
        if (FRows[i].Key == Key)
            FSelected = static_cast<int>(i);
}

void ConnectionList::Refresh(const Kvrdata_ns::TUDPMsgVector& Msgs)
{
    const bool had = FSelected >= 0;
    const unsigned key = had ? FRows[static_cast<std::size_t>(FSelected)].Key : 0;
    FRows.clear();
    for (const TUDPMsg& M : Msgs)
        if (kvr::readLE16(M.Payload, OffEntryCount - Kvrdata_ns::UDPPayloadOffset) != 0)
            FRows.push_back(OlderRow(M));
    KeepSelection(key, had);
}

void ConnectionList::Refresh(Kvrdata_ns::TUDPMsgsV6& Msgs)
{
    const bool had = FSelected >= 0;
    const unsigned key = had ? FRows[static_cast<std::size_t>(FSelected)].Key : 0;
    FRows.clear();
    for (int i = 0; i < Msgs.Size(); ++i) {
        Kvrdata_ns::TUDPMsgV6* M = Msgs.Element(i);
        const Kvrdata_ns::TBCDevice* D = M ? M->GetDevice() : nullptr;
        if (!D)
            continue; // routing records and undecodable datagrams are no devices
        ConnectionRow row;
        row.Texts = {D->GetPIDStr(), std::to_string(D->DID), D->HardwareName.c_str(), D->DeviceName.c_str(),
                     DottedIP(M->FromIP), Hex(D->MAC & SerialMask, 6)};
        row.Key = D->MAC & SerialMask;
        row.Addr = TDeviceAddr(*M, "");
        FRows.push_back(std::move(row));
    }
    KeepSelection(key, had);
}

void ConnectionList::RefreshFrom(TKVRCommunicationClient& Client)
{
    if (Newer()) {
        Kvrdata_ns::TUDPMsgsV6 msgs;
        Client.ReadUDPBroadCastsV6(msgs);
        Refresh(msgs);
    } else {
        Kvrdata_ns::TUDPMsgVector msgs;
        Client.ReadUDPBroadCasts(msgs);
        Refresh(msgs);
    }
}

void ConnectionList::IPEditChange(const std::string& Text)
{
    IPText = Text;
    Choice = ConnectionChoice::FixedIP;
    FSelected = -1;
}

void ConnectionList::COMPortComboClick(int Index)
{
    if (!Newer()) {
        Choice = ConnectionChoice::COMPort;
        COMPortIndex = Index;
    }
    FSelected = -1;
}

void ConnectionList::FormShow()
{
    if (Choice != ConnectionChoice::Selection)
        FSelected = -1;
}

bool ConnectionList::SetAddress(const TDeviceAddr& Addr)
{
    switch (Addr.CK) {
    case Kvrdata_ns::dckBroadcast:
        Choice = ConnectionChoice::Selection;
        for (std::size_t i = 0; i < FRows.size(); ++i) {
            const TDeviceAddr& R = FRows[i].Addr;
            if (R.PID == Addr.PID && R.DID == Addr.DID &&
                (Addr.MAC == 0 || (Addr.MAC & SerialMask) == (FRows[i].Key & SerialMask))) {
                FSelected = static_cast<int>(i);
                return true;
            }
        }
        FSelected = -1;
        return false;
    case Kvrdata_ns::dckFixedIP:
        Choice = ConnectionChoice::FixedIP;
        IPText = DottedIP(Addr.IP);
        return true;
    case Kvrdata_ns::dckCOMPort: {
        if (Newer())
            return false;
        Choice = ConnectionChoice::COMPort;
        const auto port = std::find(COMPorts.begin(), COMPorts.end(), Addr.GetCOMPort());
        COMPortIndex = port == COMPorts.end() ? -1 : static_cast<int>(port - COMPorts.begin());
        return true;
    }
    default:
        return false;
    }
}

bool ConnectionList::GetAddress(TDeviceAddr& Addr) const
{
    switch (Choice) {
    case ConnectionChoice::Selection: {
        if (FSelected < 0 || FSelected >= static_cast<int>(FRows.size()))
            return false;
        const TDeviceAddr& R = FRows[static_cast<std::size_t>(FSelected)].Addr;
        if (Newer()) {
            Addr = R;
            return true;
        }
        Addr.CK = R.CK;
        Addr.PID = R.PID;
        Addr.DID = R.DID;
        Addr.IP = R.IP;
        Addr.MAC = R.MAC;
        Addr.Name = R.Name;
        return true;
    }
    case ConnectionChoice::FixedIP:
        Addr.CK = Kvrdata_ns::dckFixedIP;
        Kvrdata_ns::StrToIP(Addr.IP, IPText);
        return true;
    case ConnectionChoice::COMPort:
        if (Newer() || COMPortIndex < 0 || COMPortIndex >= static_cast<int>(COMPorts.size()))
            return false;
        Addr.CK = Kvrdata_ns::dckCOMPort;
        Addr.SetCOMPort(static_cast<std::uint8_t>(COMPorts[static_cast<std::size_t>(COMPortIndex)]));
        return true;
    default:
        return false;
    }
}

bool ConnectionList::CanConnect() const
{
    if (Choice == ConnectionChoice::FixedIP) {
        unsigned ip = 0;
        return Kvrdata_ns::StrToIP(ip, IPText) && ip != 0;
    }
    TDeviceAddr probe;
    return GetAddress(probe);
}

std::vector<int> ExistingCOMPorts()
{
    std::vector<int> ports;
    for (const auto& [number, path] : kvr::commserver::serialPortMap())
        if (kvr::commserver::serialDeviceExists(path))
            ports.push_back(number);
    return ports;
}

int ConnectionDialog(TKVRCommunicationClient& Client, TDeviceAddr& Addr, bool UseLast, const ShowConnectionDialogFn& Show)
{
    if (Client.GetStatus() == dcsServerInitFailed)
        return ConnectResultFailed;
    ConnectionList list(Client.DeviceGeneration);
    list.COMPorts = ExistingCOMPorts();
    list.RefreshFrom(Client);
    if (!list.SetAddress(Addr) && UseLast)
        list.SetAddress(Client.LastDeviceAddr);
    int result = Show(list);
    if (result == ConnectResultOK) {
        if (!list.GetAddress(Addr))
            return ConnectResultCancel;
        Client.LastDeviceAddr = Addr;
    }
    return result;
}

int ConnectionDialog(TKVRCommunicationClient& Client, bool UseLast, const ShowConnectionDialogFn& Show)
{
    if (Client.GetStatus() == dcsServerInitFailed)
        return ConnectResultFailed;
    TDeviceAddr addr;
    int result = ConnectionDialog(Client, addr, UseLast, Show);
    if (result == ConnectResultOK) {
        Client.CloseConnection();
        Client.LastDeviceAddr = addr;
        if (!Client.OpenConnection(addr))
            result = ConnectResultFailed;
    }
    return result;
}

bool ConnectRemoteServer(TKVRCommunicationClient& Client, const std::string& Machine)
{
    Client.SetServerMachine(Machine);
    return !Client.GetServerMachine().empty();
}

} // namespace kvr::app
