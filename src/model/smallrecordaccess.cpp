#include "model/smallrecordaccess.h"

#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/potaccess.h"

namespace kvr::model {

void SetPotiAssign(TDevice& device, int pot, int slot, int input)
{
    if (device.IsDummy())
        return;
    auto payload = device.GetData(stPotiAssign);
    PutPotiAssign(payload, pot, slot, input);
    device.SetData(stPotiAssign, payload);
    device.FAudioSourcesChanged = true;
}

int GetPotiAssign(TDevice& device, int pot, int& slot, int& input)
{
    if (device.IsDummy())
        return 0;
    return FindPotiAssign(device.GetData(stPotiAssign), pot, slot, input) ? 1 : 0;
}

void SetRotSelSourceList(TDevice& device, int selector, int list)
{
    if (device.IsDummy())
        return;
    auto payload = device.GetData(stRotSelSourceList);
    const auto before = payload;
    PutRotSelSourceList(payload, selector, list);
    if (payload != before)
        device.SetData(stRotSelSourceList, payload);
}

int GetRotSelSourceList(TDevice& device, int selector)
{
    if (device.IsDummy())
        return -1;
    return FindRotSelSourceList(device.GetData(stRotSelSourceList), selector);
}

int GetConsoleName(TDevice& device, int console, std::string& out)
{
    if (console < 0 || console > 5)
        return 0;
    if (device.IsDummy()) {
        ReadConsoleName({}, console, out);
        return 0;
    }
    return ReadConsoleName(device.GetData(stConsoleNames), console, out);
}

void SetConsoleName(TDevice& device, int console, std::span<const std::uint8_t, 16> name)
{
    if (device.IsDummy() || console < 0 || console > 5)
        return;
    auto payload = device.GetData(stConsoleNames);
    PutConsoleName(payload, console, name);
    device.SetData(stConsoleNames, payload);
}

int GetFaderChannelLabel(TDevice& device, int number, TFaderChannelLabel& out)
{
    if (device.IsDummy())
        return 0;
    return FindFaderChannelLabel(device.GetData(stFCHLabels), number, out) ? 1 : 0;
}

int SetFaderChannelLabel(TDevice& device, int number, const TFaderChannelLabel& record)
{
    if (device.IsDummy())
        return 0;
    auto payload = device.GetData(stFCHLabels);
    const int result = PutFaderChannelLabel(payload, number, record);
    if (result < 0)
        return 0; // damaged structure: left as it is
    device.SetData(stFCHLabels, payload);
    return result;
}

bool GetCardRecord(TDevice& device, int slot, TCardRecord& out)
{
    if (slot < 0 || slot >= device.GetSlotCount())
        return false;
    return DecodeCardRecord(device.GetSetupData(static_cast<std::uint8_t>(slot)), out);
}

int GetCardType(TDevice& device, int slot)
{
    if (slot < 0 || slot > 255)
        return 0;
    return CardTypeOf(device.GetSetupData(static_cast<std::uint8_t>(slot)));
}

Kvrdata_ns::TDeviceAddr GetDeviceAddr(TDevice& device)
{
    if (device.IsDummy())
        return device.FAddr;
    TNetworkSettings net;
    GetNetworkSettings(device, net);
    Kvrdata_ns::TDeviceAddr& addr = device.FAddr;
    addr.IP = (net.Flags & kNetworkDHCP) != 0 ? 0 : net.IP;
    addr.PID = readBE32(device.Header(), dh::ProjectID);
    addr.DID = device.GetDeviceID();
    addr.CK = Kvrdata_ns::dckBroadcast;
    addr.Name = device.GetName();
    return addr;
}

void CheckCards(TDevice&) {}

} // namespace kvr::model
