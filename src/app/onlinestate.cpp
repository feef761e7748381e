#include "app/onlinestate.h"

#include "kvrdata/byteorder.h"

namespace kvr::app {

namespace {
// Offsets in the image of a status broadcast (address 0-3, payload from 8).
constexpr std::size_t OffSerial = 12;
constexpr std::size_t OffDeviceID = 16;
constexpr std::size_t OffProjectID = 20;
constexpr std::size_t OffStamp = 24;

std::uint32_t PayloadValue(const Kvrdata_ns::TUDPMsg& Msg, std::size_t Offset)
{
    return kvr::readLE32(Msg.Payload, Offset - Kvrdata_ns::UDPPayloadOffset);
}

bool EndsWith(const std::string& Text, const std::string& End)
{
    return Text.size() >= End.size() && Text.compare(Text.size() - End.size(), End.size(), End) == 0;
}
} // namespace

bool DeviceStatusRecord(const Kvrdata_ns::TUDPMsg& Msg, model::TDeviceOnlineRecord& Record)
{
    if (Kvrdata_ns::GetUDPMagic(Msg) != Kvrdata_ns::UDPMagicDeviceStatus)
        return false;
    Record.Kind = Kvrdata_ns::UDPMagicDeviceStatus;
    Record.Serial = PayloadValue(Msg, OffSerial);
    Record.DeviceID = PayloadValue(Msg, OffDeviceID);
    Record.ProjectID = PayloadValue(Msg, OffProjectID);
    Record.Sender = Msg.Address;
    Record.Stamp = PayloadValue(Msg, OffStamp);
    return true;
}

int HandleDeviceStatusBroadcast(model::TProject* Project, bool Terminating, const Kvrdata_ns::TUDPMsg& Msg)
{
    model::TDeviceOnlineRecord record;
    if (!DeviceStatusRecord(Msg, record) || !Project || Terminating)
        return 0;
    return Project->UpdateOnlineState(record);
}

OnlineTickResult OnlineTick(model::TProject* Project, bool Processing, const std::string& FileName,
                            const AutoSaveSettings& Settings, int& AutoSaveSeconds)
{
    OnlineTickResult result;
    if (!Project || Processing)
        return result;
    result.Ran = true;
    result.RebuildTree = Project->CheckOnlineTimeouts() > 0;
    if (FileName.empty())
        return result;
    if (Settings.On && Settings.IntervalMinutes != 0)
        ++AutoSaveSeconds;
    if (Settings.On && AutoSaveSeconds > Settings.IntervalMinutes * 60) {
        AutoSaveSeconds = 0;
        // Backups (".kv1" to ".kv9") and other names are never written behind the user's back.
        result.Save = EndsWith(FileName, ".kvp");
    }
    return result;
}

} // namespace kvr::app
