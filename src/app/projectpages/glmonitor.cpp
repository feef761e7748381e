#include "app/projectpages/glmonitor.h"

#include <cstdio>

#include "diagnostics/kvrinfoformat.h"
#include "model/potaccess.h"
#include "model/project.h"

namespace kvr::app {

namespace {
std::string Dotted(std::uint32_t Address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (Address >> 24) & 0xFF, (Address >> 16) & 0xFF,
                  (Address >> 8) & 0xFF, Address & 0xFF);
    return text;
}
} // namespace

Kvrdata_ns::TUDPMsg MakeSetGlobalLogicMessage(std::uint32_t ProjectID, int Index, int State)
{
    return Kvrdata_ns::MakeGlobalLogicMsg(ProjectID, static_cast<std::uint16_t>(Index), State != 0);
}

void GlobalLogicMonitor::Open()
{
    FLamps.assign(GLLampCount, GLLamp{});
    for (int n = 0; n < GLLampCount; ++n) {
        const std::string name = FProject ? model::GetGlobalLogicName(*FProject, n) : "GL " + std::to_string(n + 1);
        FLamps[static_cast<std::size_t>(n)].Hint = name + " (GL: " + std::to_string(n + 1) + ")";
    }
    Reset();
}

void GlobalLogicMonitor::Close()
{
    FLamps.clear();
}

void GlobalLogicMonitor::Reset()
{
    FMemory.fill(GLMemoryEntry{});
    for (GLLamp& lamp : FLamps) {
        if (lamp.Color != GLLampColor::Black)
            lamp.Color = GLLampColor::Grey;
        lamp.YellowBorder = false;
    }
    FLog.clear();
    ++FLogVersion;
}

void GlobalLogicMonitor::AddLine(std::string Line)
{
    FLog.push_back(std::move(Line));
    if (FLog.size() > GLLogMaxLines)
        FLog.erase(FLog.begin(), FLog.end() - GLLogKeptLines);
    ++FLogVersion;
}

void GlobalLogicMonitor::ShowGlobalLogicState(int Index, int State, std::uint32_t Sender)
{
    if (Index < 0 || Index >= GLLampCount || !IsOpen())
        return;
    GLMemoryEntry& memory = FMemory[static_cast<std::size_t>(Index)];
    GLLamp& lamp = FLamps[static_cast<std::size_t>(Index)];
    if ((State == memory.State && Sender == memory.Sender) || lamp.Color == GLLampColor::Black)
        return;
    std::string line = (FClock ? FClock() : std::string()) + " " + lamp.Hint + " = " + std::to_string(State) +
                       " (by IP " + Dotted(Sender) + ")";
    if (memory.Sender != Sender && memory.Sender != 0xFFFFFFFF) {
        line += " Warning: Previously set from IP " + Dotted(memory.Sender);
        lamp.YellowBorder = true;
    }
    memory.Sender = Sender;
    memory.State = static_cast<std::uint8_t>(State);
    lamp.Color = State != 0 ? GLLampColor::Red : GLLampColor::Green;
    AddLine(std::move(line));
}

bool GlobalLogicMonitor::BroadcastReceived(const Kvrdata_ns::TUDPMsg& Msg, bool Visible)
{
    TKVRFI fi("TCX4AppForm::DCCBroadcastReceived");
    Kvrdata_ns::TUDPGlobalLogic logic;
    if (!FProject || !Kvrdata_ns::DecodeGlobalLogic(Msg, logic) ||
        logic.ProjectID != static_cast<std::uint32_t>(FProject->GetProjectID()) ||
        logic.ID != Kvrdata_ns::GlobalLogicBlockID || !Visible)
        return false;
    ShowGlobalLogicState(logic.Number, logic.State, Msg.Address);
    return true;
}

bool GlobalLogicMonitor::CANBlockReceived(const Kvrdata_ns::KVRCANBlock& Block, std::uint32_t HostIP, bool Visible)
{
    if (Block.ID != GlobalLogicCANBlockID || !Visible)
        return false;
    ShowGlobalLogicState(Block.Data[0] * 256 + Block.Data[1], Block.Data[2], HostIP);
    return true;
}

void GlobalLogicMonitor::LampMouseDown(int Index, GLMouseButton Button)
{
    if (Index < 0 || Index >= static_cast<int>(FLamps.size()))
        return;
    GLLamp& lamp = FLamps[static_cast<std::size_t>(Index)];
    if (Button != GLMouseButton::Left) {
        lamp.Color = lamp.Color == GLLampColor::Black ? GLLampColor::Grey : GLLampColor::Black;
        return;
    }
    const int state = lamp.Color == GLLampColor::Red ? 0 : 1;
    lamp.Color = state != 0 ? GLLampColor::Red : GLLampColor::Green;
    if (FSend) {
        const std::uint32_t project = FProject ? static_cast<std::uint32_t>(FProject->GetProjectID()) : 0;
        Kvrdata_ns::TUDPMsg msg = MakeSetGlobalLogicMessage(project, Index, state);
        FSend(msg);
    }
    AddLine("Set Gobal Logic " + lamp.Hint + " to " + std::to_string(state));
}

} // namespace kvr::app
