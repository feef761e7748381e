// Arbitrary bytes as one structure of a device image (output functions, processings, buses,
// routing, resources, SOFs, inserts, pool, fader chains, level detects) with arbitrary header
// counts, then every reader of these records, the repairs, a few edits and the fitting.

#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/globalresources.h"
#include "model/inserts.h"
#include "model/outputfunctions.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

using namespace kvr::model;

namespace {

constexpr std::uint8_t kTypes[] = {stOutFkt, stOldProc, stOutputRouting, stMonitorBus, stBus, stCleanFeed, stProc,
                                   stGroupLogic, stUserGroups, stGlobalRes, stSOF, stFixedInsert, stGlobalPool,
                                   stInsert, stChannelAssign, stLevelDetect, stFCH};

void ReadAll(TDevice& dev)
{
    for (int i = 0; i < 12; ++i) {
        TOutputFunction f;
        TFixedProcessing p;
        TBusRecord b;
        TChannelOption o;
        TSOFRecord s;
        TGlobalResource r;
        TFixedInsert fi;
        TSwitchableInsert si;
        GetOutputFunction(dev, i, f);
        GetFixedProcessing(dev, i, p);
        GetBus(dev, i, b);
        GetCleanFeed(dev, i, b);
        GetChannelOptionByIndex(dev, i, o);
        GetMonitorBusSource(dev, i);
        GetSOF(dev, i, s);
        GetGlobalResource(dev, i, r);
        GetFixedInsert(dev, i, fi);
        GetSwitchableInsert(dev, i, si);
    }
    TUserGroups groups;
    GetUserGroups(dev, groups);
    GetGroupLogic(dev);
    GetGlobalResourceIDs(dev);
    TGlobalPoolRecord pool;
    GetGlobalPoolLines(dev, pool);
    IsSourceListOnGlobalPool(dev, 1);
    GetConfigViolations(dev, 100);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 6)
        return 0;
    TDevice dev;
    auto header = dev.GetHeader();
    header[dh::FaderCount] = data[1];
    header[dh::FixedProcCount] = data[2];
    header[dh::ProgramBusCount] = data[3];
    header[dh::AuxBusCount] = data[4];
    header[dh::CleanFeedCount] = data[5];
    dev.SetHeader(header, false);
    const std::uint8_t type = kTypes[data[0] % std::size(kTypes)];
    dev.SetData(type, std::span<const std::uint8_t>(data + 6, size - 6));

    ReadAll(dev);
    RunDSPFitting(dev, kFitNoDSPAssign);
    RunDSPFitting(dev, 0);

    // Edits over the damaged structure, then the load repairs.
    TFixedProcessing proc;
    if (GetFixedProcessing(dev, 0, proc) != 0)
        SetFixedProcessing(dev, 0, proc);
    MoveOutputFunctionCondition(dev, 0, 0, 1);
    MoveFixedProcessingFunction(dev, 0, 1, 0);
    TFixedInsert fi{1, 0, 0x0101};
    SetFixedInsert(dev, 1, fi);
    TSwitchableInsert si{2, 0, 10, 0x0101, {'A'}};
    SetSwitchableInsert(dev, 2, si);
    TrimFixedInsertPoints(dev);
    DeleteSOF(dev, 0);
    FixGroupLogic(dev);
    FixUserGroups(dev);
    FixGlobalResources(dev);
    FixSOF(dev);
    FixGlobalPoolLines(dev);
    FixCleanFeed(dev);
    ReadAll(dev);
    return 0;
}
