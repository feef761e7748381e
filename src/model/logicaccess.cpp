#include "model/logicaccess.h"

#include "model/device.h"
#include "model/recordhooks.h"
#include "model/sourceids.h"

namespace kvr::model {

namespace {

void RerunFitting(TDevice& device)
{
    device.CheckDSPResources(device.FFitOptions);
}

} // namespace

int AddLogicFunction(TDevice& device)
{
    if (device.IsDummy())
        return 0;
    auto payload = device.GetData(stLogicFkt);
    AppendLogicFunction(payload);
    device.SetData(stLogicFkt, payload);
    device.FLogicSourcesChanged = true;
    return 0;
}

int GetLogicFunction(TDevice& device, int index, TLogicFunction& out)
{
    if (device.IsDummy())
        return 9;
    const auto payload = device.GetData(stLogicFkt);
    const auto records = LogicFunctionRecords(payload);
    if (index < 0 || static_cast<std::size_t>(index) >= records.size())
        return 0;
    const auto& r = records[static_cast<std::size_t>(index)];
    out = DecodeLogicFunction(std::span(payload).subspan(r.offset, r.length));
    return 1;
}

void SetLogicFunction(TDevice& device, int index, const TLogicFunction* record)
{
    if (device.IsDummy() || index < 0)
        return;
    auto payload = device.GetData(stLogicFkt);
    if (static_cast<std::size_t>(index) >= LogicFunctionRecords(payload).size())
        return;
    ReplaceLogicFunction(payload, static_cast<std::size_t>(index), record);
    device.SetData(stLogicFkt, payload);
    device.FLogicSourcesChanged = true;
}

void DeleteLogicFunction(TDevice& device, int index)
{
    if (device.IsDummy() || index < 0)
        return;
    auto payload = device.GetData(stLogicFkt);
    const auto records = LogicFunctionRecords(payload);
    if (static_cast<std::size_t>(index) >= records.size())
        return;
    EraseRecord(payload, records, static_cast<std::size_t>(index));
    device.SetData(stLogicFkt, payload);
    device.FLogicSourcesChanged = true;
    AdaptLogics(device, kLogicFunctionFirstID + index, 0, amDelete);
}

void MoveLogicFunction(TDevice& device, int from, int to)
{
    if (device.IsDummy() || from == to || from < 0 || to < 0)
        return;
    auto payload = device.GetData(stLogicFkt);
    const auto records = LogicFunctionRecords(payload);
    if (static_cast<std::size_t>(from) >= records.size() || static_cast<std::size_t>(to) >= records.size())
        return;
    MoveRecord(payload, records, static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    device.SetData(stLogicFkt, payload);
    // Parking the references with a swap first keeps their conditions; the removal then only
    // renumbers the functions behind the old place.
    AdaptLogics(device, kLogicFunctionFirstID + from, MovePlaceholderID, amSwap);
    AdaptLogics(device, kLogicFunctionFirstID + from, 0, amRemoveForMove);
    AdaptLogics(device, kLogicFunctionFirstID + to, 0, amInsert);
    AdaptLogics(device, MovePlaceholderID, kLogicFunctionFirstID + to, amSwap);
}

void AddLogicDelay(TDevice& device)
{
    if (device.IsDummy())
        return;
    auto payload = device.GetData(stLogicDelay);
    AppendLogicDelay(payload);
    device.SetData(stLogicDelay, payload);
    device.FLogicSourcesChanged = true;
}

int GetLogicDelay(TDevice& device, int index, TLogicDelay& out)
{
    if (device.IsDummy() || index < 0)
        return 0;
    const auto payload = device.GetData(stLogicDelay);
    if (static_cast<std::size_t>(index) >= kLogicDelayList.count(payload.size()))
        return 0;
    out = DecodeLogicDelay(std::span(payload).subspan(kLogicDelayList.offset(static_cast<std::size_t>(index)),
                                                      kLogicDelaySize));
    return 1;
}

void SetLogicDelay(TDevice& device, int index, const TLogicDelay& record)
{
    if (device.IsDummy() || index < 0)
        return;
    auto payload = device.GetData(stLogicDelay);
    if (static_cast<std::size_t>(index) >= kLogicDelayList.count(payload.size()))
        return;
    const auto bytes = EncodeLogicDelay(record);
    std::copy(bytes.begin(), bytes.end(),
              payload.begin() + static_cast<std::ptrdiff_t>(kLogicDelayList.offset(static_cast<std::size_t>(index))));
    payload.resize(kLogicDelayList.end(payload.size()));
    device.SetData(stLogicDelay, payload);
    device.FLogicSourcesChanged = true;
}

void DeleteLogicDelay(TDevice& device, int index)
{
    if (device.IsDummy() || index < 0)
        return;
    auto payload = device.GetData(stLogicDelay);
    if (static_cast<std::size_t>(index) >= kLogicDelayList.count(payload.size()))
        return;
    EraseBytes(payload, kLogicDelayList.offset(static_cast<std::size_t>(index)), kLogicDelaySize);
    payload.resize(kLogicDelayList.end(payload.size()));
    device.SetData(stLogicDelay, payload);
    device.FLogicSourcesChanged = true;
    AdaptLogics(device, kLogicDelayFirstID + index, 0, amDelete);
}

void AddScript(TDevice& device)
{
    if (device.IsDummy())
        return;
    auto payload = device.GetData(stScript);
    AppendScript(payload);
    device.SetData(stScript, payload);
}

int GetScript(TDevice& device, int index, TScript& out)
{
    if (device.IsDummy() || index < 0)
        return 0;
    const auto payload = device.GetData(stScript);
    const auto records = ScriptRecords(payload);
    if (static_cast<std::size_t>(index) >= records.size())
        return 0;
    const auto& r = records[static_cast<std::size_t>(index)];
    out = DecodeScript(std::span(payload).subspan(r.offset, r.length));
    return 1;
}

void SetScript(TDevice& device, int index, const TScript& record)
{
    if (device.IsDummy() || index < 0)
        return;
    auto payload = device.GetData(stScript);
    if (static_cast<std::size_t>(index) >= ScriptRecords(payload).size())
        return;
    ReplaceScript(payload, static_cast<std::size_t>(index), record);
    device.SetData(stScript, payload);
    device.FLogicSourcesChanged = true;
}

void DeleteScript(TDevice& device, int index)
{
    if (device.IsDummy() || index < 0)
        return;
    auto payload = device.GetData(stScript);
    const auto records = ScriptRecords(payload);
    if (static_cast<std::size_t>(index) >= records.size())
        return;
    EraseRecord(payload, records, static_cast<std::size_t>(index));
    device.SetData(stScript, payload);
}

int CheckScriptSteps(TDevice& device)
{
    if (device.IsDummy())
        return 0;
    const int total = ScriptCommandTotal(device.GetData(stScript));
    if (total > kMaxScriptCommandTotal)
        device.FLimitExceeded |= kLimitScriptCommands;
    else
        device.FLimitExceeded &= ~kLimitScriptCommands;
    return total;
}

void SetMuteLogicName(TDevice& device, int index, std::span<const std::uint8_t, 16> name)
{
    if (device.IsDummy() || index < 0 || index >= 5)
        return;
    auto payload = device.GetData(stMuteLogic);
    PutMuteLogicName(payload, index, name);
    device.SetData(stMuteLogic, payload);
}

std::string GetMuteLogicName(TDevice& device, int index)
{
    if (device.IsDummy())
        return {};
    return ReadMuteLogicName(device.GetData(stMuteLogic), index);
}

void AddLevelDetect(TDevice& device)
{
    if (device.IsDummy())
        return;
    auto payload = device.GetData(stLevelDetect);
    if (!AppendLevelDetect(payload))
        return;
    device.SetData(stLevelDetect, payload);
    device.FLogicSourcesChanged = true;
    RerunFitting(device);
}

int GetLevelDetect(TDevice& device, int index, TLevelDetect& out)
{
    if (device.IsDummy())
        return 0;
    const auto payload = device.GetData(stLevelDetect);
    const FixedList list = LevelDetectList(payload);
    if (index < 0 || static_cast<std::size_t>(index) >= list.count(payload.size())) {
        out.Source = 0;
        return 0;
    }
    out = DecodeLevelDetect(std::span(payload).subspan(list.offset(static_cast<std::size_t>(index)), list.stride));
    return 1;
}

void SetLevelDetect(TDevice& device, int index, const TLevelDetect& record)
{
    if (device.IsDummy() || index < 0)
        return;
    auto payload = device.GetData(stLevelDetect);
    const FixedList list = LevelDetectList(payload);
    if (static_cast<std::size_t>(index) >= list.count(payload.size()))
        return;
    // In place and never past the record's own size, so a short record's neighbour stays intact.
    EncodeLevelDetect(record, std::span(payload).subspan(list.offset(static_cast<std::size_t>(index)), list.stride));
    device.SetData(stLevelDetect, payload);
    device.FLogicSourcesChanged = true;
    RerunFitting(device);
}

void DeleteLevelDetect(TDevice& device, int index)
{
    if (device.IsDummy() || index < 0)
        return;
    auto payload = device.GetData(stLevelDetect);
    const FixedList list = LevelDetectList(payload);
    if (static_cast<std::size_t>(index) >= list.count(payload.size()))
        return;
    EraseBytes(payload, list.offset(static_cast<std::size_t>(index)), list.stride);
    payload.resize(list.end(payload.size()));
    device.SetData(stLevelDetect, payload);
    AdaptLogics(device, kLevelDetectFirstID + index, 0, amDelete);
    AdaptLogics(device, kCorrelationDetectFirstID + index, 0, amDelete);
    RerunFitting(device);
}

void FixLevelDetects(TDevice& device)
{
    if (device.IsDummy())
        return;
    std::vector<std::uint8_t> old;
    if (device.GetData(stOldLevelDetect, old)) {
        device.SetData(stLevelDetect, ConvertOldLevelDetects(old));
        device.SetData(stOldLevelDetect, {});
        return;
    }
    const auto block = device.GetData(stLevelDetect);
    if (auto widened = WidenLevelDetects(block))
        device.SetData(stLevelDetect, *widened);
}

} // namespace kvr::model
