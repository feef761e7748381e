#include "model/potaccess.h"

#include "model/device.h"
#include "model/keyfunctions.h"
#include "model/keyrecords.h"
#include "model/project.h"
#include "model/recordhooks.h"
#include "model/recordtext.h"
#include "model/smallrecordaccess.h"
#include "model/summingbuses.h"

namespace kvr::model {

namespace {

bool HasPots(int moduleType)
{
    switch (moduleType) {
    case 10: case 11: case 12: case 13: case 26:
        return true;
    default:
        return false;
    }
}

} // namespace

void SetPotName(TDevice& device, int potID, std::span<const std::uint8_t, kPotNameWidth> name)
{
    if (device.IsDummy() || potID < 1 || potID > kMaxPotID)
        return;
    auto payload = device.GetData(stPots);
    PutPotName(payload, potID, name);
    device.SetData(stPots, payload);
    device.FAudioSourcesChanged = true;
    if (name[0] == 0)
        SetPotiAssign(device, potID, 0, 0);
}

int GetPotName(TDevice& device, int potID, std::string& out)
{
    if (device.IsDummy() || potID == 0)
        return 0;
    if (potID >= kFirstCleanFeedPotID && potID <= kLastCleanFeedPotID) {
        TBusRecord feed;
        if (GetCleanFeed(device, potID - kFirstCleanFeedPotID, feed) == 0)
            return 0;
        out = LabelText(feed.Label);
        return 1;
    }
    return ReadPotName(device.GetData(stPots), potID, out);
}

int FindPotModule(TDevice& device, int block, std::vector<std::uint8_t>& entry)
{
    if (device.IsDummy())
        return 0;
    bool found = false;
    ForEachModuleSlot([&](std::uint8_t slot) {
        std::vector<std::uint8_t> e;
        if (found || !device.GetSetupData(slot, e) || e.size() <= 4)
            return;
        if (e[4] == block && HasPots(ModuleType(e))) {
            entry = std::move(e);
            found = true;
        }
    });
    return found ? 1 : 0;
}

int GetSourceList(TDevice& device, int list, TSourceList& out)
{
    if (device.IsDummy() || list < 0 || list >= kSourceListCount)
        return 0;
    if (const auto found = FindSourceList(device.GetData(stSourceList), list)) {
        out = *found;
        return 1;
    }
    out = DefaultSourceList(list);
    return 0;
}

void SetSourceList(TDevice& device, int list, const TSourceList& record)
{
    if (device.IsDummy() || list < 0 || list >= kSourceListCount)
        return;
    device.FAudioSourcesChanged = true;
    auto payload = device.GetData(stSourceList);
    PutSourceList(payload, list, record);
    device.SetData(stSourceList, payload);
}

void GetNetworkSettings(TDevice& device, TNetworkSettings& out)
{
    if (device.IsDummy())
        return;
    ReadNetworkSettings(device.GetData(stNetwork), out);
}

void SetNetworkSettings(TDevice& device, TNetworkSettings& settings)
{
    if (device.IsDummy())
        return;
    device.SetData(stNetwork, EncodeNetworkSettings(settings));
}

std::uint16_t GetGLSource(TDevice& device, int logic)
{
    if (device.IsDummy())
        return 0;
    return ReadGLSource(device.GetData(stGLAssign), logic);
}

void SetGLSource(TDevice& device, int logic, std::uint16_t source)
{
    if (device.IsDummy())
        return;
    auto list = RemoveGLSource(device.GetData(stGLAssign), logic);
    device.SetData(stGLAssign, list);
    if (source == 0)
        return;
    AppendGLSource(list, logic, source);
    device.SetData(stGLAssign, list);
}

int GetGlobalPotName(TProject& project, int pot, std::string& out)
{
    if (pot == 0)
        return 0;
    return ReadGlobalPotName(project.GetProjData(pstGlobalPots), pot, out);
}

void SetGlobalPotName(TProject& project, int pot, std::string_view name)
{
    if (pot < 1 || pot > kGlobalPotCount)
        return;
    auto payload = project.GetProjData(pstGlobalPots);
    PutGlobalPotName(payload, pot, name);
    if (project.SetProjData(pstGlobalPots, payload))
        MarkProjectModified(project);
}

std::string GetGlobalLogicName(TProject& project, int logic)
{
    return ReadGlobalLogicName(project.GetProjData(pstGlobalLogics), logic);
}

void SetGlobalLogicName(TProject& project, int logic, std::string_view name)
{
    if (logic < 0 || logic >= kGlobalLogicCount)
        return;
    auto payload = project.GetProjData(pstGlobalLogics);
    PutGlobalLogicName(payload, logic, name);
    if (project.SetProjData(pstGlobalLogics, payload))
        MarkProjectModified(project);
}

} // namespace kvr::model
