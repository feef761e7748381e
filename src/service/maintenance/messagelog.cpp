#include "service/maintenance/messagelog.h"

#include <algorithm>
#include <cstdio>

#include "diagnostics/errmessages.h"
#include "diagnostics/highrestime.h"
#include "diagnostics/kvrinfoformat.h"

namespace kvr::service {

namespace {
const char* const DirectionNames[] = {"SNT", "RCV"};
const char* const KindNames[] = {"Ukn", "COM", "TCP", "UDP", "USB"};
constexpr std::size_t NameWidth = 15;
} // namespace

std::string CANBlockToText(const Kvrdata_ns::KVRCANBlock& Block)
{
    char head[32];
    std::snprintf(head, sizeof head, "0x%08X %3d ", Block.ID, Block.Len);
    std::string text = head;
    const std::size_t shown = std::min<std::size_t>(Block.Len, 8);
    for (std::size_t i = 0; i < shown; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", Block.Data[i]);
        text += hex;
    }
    text.append(3 * (8 - shown), ' ');
    text += '{';
    for (std::size_t i = 0; i < Block.Len; ++i) {
        const std::uint8_t c = Block.Data[i];
        text += c < 0x20 ? '.' : c > 0x7F ? '*' : static_cast<char>(c);
    }
    text += '}';
    return text;
}

std::size_t MemoTrimCount(std::size_t Length)
{
    return Length > MemoLimit ? static_cast<std::size_t>(static_cast<double>(Length) * 0.8) : 0;
}

std::string ErrorBlockText(const Kvrdata_ns::KVRCANBlock& Block)
{
    return ErrorMessages::Instance().CB2ErrorString(Block);
}

MessageLog::MessageLog(std::function<std::string()> S) : Stamp(S ? std::move(S) : [] { return HighResTimeStamp(); }) {}

void MessageLog::MemoLog(const std::string& Text, Kvrdata_ns::TConnectionType Kind, int Direction, const std::string& Name)
{
    TKVRFI fi("TMaintenanceFrame::MemoLog");
    std::string name = Name.substr(0, NameWidth);
    name.resize(NameWidth, ' ');
    const char* dir = DirectionNames[Direction == ldReceived ? 1 : 0];
    const char* kind = static_cast<std::size_t>(Kind) < std::size(KindNames) ? KindNames[Kind] : KindNames[0];
    FPending.push_back(Stamp() + " " + dir + " " + kind + " " + name + " " + Text);
}

std::vector<std::string> MessageLog::TakePending()
{
    std::vector<std::string> out;
    out.swap(FPending);
    return out;
}

void MessageLog::BlockReceived(const Kvrdata_ns::KVRCANBlock& Block, Kvrdata_ns::TConnectionType Kind, const std::string& Device)
{
    TKVRFI fi("TMaintenanceFrame::StandardCANBlockReceived");
    if (Protocol)
        MemoLog(CANBlockToText(Block), Kind, ldReceived, Device);
    if (Block.ID == UpdateStartedID)
        MemoLog(" Update started", Kind, ldSent, Device);
}

void MessageLog::ErrorReceived(const Kvrdata_ns::KVRCANBlock& Block, const Kvrdata_ns::TMessageSource& Source,
                               std::uint32_t SenderIP, std::uint32_t HostIP)
{
    TKVRFI fi("TMaintenanceFrame::KVRCCErrorMsgReceived");
    if (FilterForeignUDP && Source.ConnectionType == Kvrdata_ns::dctUDP && SenderIP != HostIP)
        return;
    MemoLog(ErrorBlockText(Block), Source.ConnectionType, ldReceived, Source.Name);
}

void MessageLog::Logged(const Kvrdata_ns::KVRCANBlock& Block, Kvrdata_ns::TConnectionType Kind, int Direction,
                        const std::string& Device)
{
    if (Protocol)
        MemoLog(CANBlockToText(Block), Kind, Direction, Device);
}

} // namespace kvr::service
