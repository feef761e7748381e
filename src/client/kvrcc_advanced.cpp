// The small services that the connection and error paths rely on: the device's serial number
// and firmware version, and the name of a device by its address.

#include "client/kvrcommunicationclient.h"
#include "diagnostics/kvrinfoformat.h"
#include "kvrdata/byteorder.h"

using namespace Kvrdata_ns;

bool TKVRCommunicationClient::GetSerialVersion(unsigned& Serial, unsigned& Version)
{
    TKVRFI fi("TKVRCommunicationClient::GetSerialVersion");
    TDisableTimerTempl<THighResTimer> NoPoll(*Timer);
    KVRCANBlock Request;
    Request.ID = 0x112E0000;
    KVRCANBlock Answer;
    Answer.ID = 0x112E0000;
    Answer.Len = 8;
    if (RequestBlockFiltered(Request, Answer, 0xFFFF0000, 0xFF, 0, static_cast<int>(TicksRead))) {
        Serial = kvr::readBE32(Answer.Data, 0);
        Version = kvr::readBE32(Answer.Data, 4);
        return true;
    }
    // Older firmware answers only the module identification.
    Request = KVRCANBlock{};
    Request.ID = 0x06000000;
    Answer = KVRCANBlock{};
    Answer.ID = 0x06000000;
    if (!RequestBlockFiltered(Request, Answer, 0xFFFF0000, 0, 0, static_cast<int>(TicksRead)))
        return false;
    Serial = 0;
    if (Answer.Len == 8) {
        Version = kvr::readBE32(Answer.Data, 4);
        return true;
    }
    Version = 0;
    return false;
}

std::string TKVRCommunicationClient::GetNameFromIP(unsigned IP)
{
    TKVRFI fi("TKVRCommunicationClient::GetNameFromIP");
    auto& M = kvr::client::ClientModuleState();
    const std::uint32_t Tick = GetTickCount();
    if (Tick - M.LastNameRefresh > 1000 || Tick < M.LastNameRefresh) {
        TUDPMsgVector Msgs;
        if (ReadUDPBroadCasts(Msgs)) {
            for (const TUDPMsg& Msg : Msgs) {
                // The name: 10 characters at offset 28 of the record (payload byte 20).
                const char* Chars = reinterpret_cast<const char*>(Msg.Payload.data() + 28 - UDPPayloadOffset);
                NameCache[Msg.Address] = kvr::client::TrimRightText(std::string(Chars, 10));
            }
        }
        TUDPMsgsV6 MsgsV6;
        if (ReadUDPBroadCastsV6(MsgsV6)) {
            for (int i = 0; i < MsgsV6.Size(); ++i) {
                TUDPMsgV6* Msg = MsgsV6.Element(i);
                if (TBCDevice* Dev = Msg ? Msg->GetDevice() : nullptr)
                    NameCache[Msg->FromIP] = Dev->HardwareName.c_str();
            }
        }
        M.LastNameRefresh = Tick;
    }
    const auto It = NameCache.find(IP);
    return It != NameCache.end() ? It->second : std::string(FormatIP(IP));
}
