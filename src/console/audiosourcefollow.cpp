#include "console/audiosourcefollow.h"

#include "console/keyfunctioncatalogue.h"
#include "console/keycaption.h"
#include "console/moduletypes.h"
#include "model/device.h"
#include "model/inserts.h"
#include "model/project.h"

#include <algorithm>

namespace kvr::console {

namespace {

constexpr std::uint8_t kMonitorBus = 1;
constexpr std::uint8_t kUserDefined = 4;
constexpr std::uint8_t kRouting = 11;
constexpr std::uint8_t kRoutingInput = 0;

// The catalogue row the view was laid out for: the function row, or its selected subfunction.
const TKeyFunctionDef* ShownRow(const KeyOptionsView& shown, int moduleType)
{
    const auto catalogue = KeyFunctionsOf(moduleType);
    const auto functions = FunctionList(catalogue);
    if (shown.FunctionItem < 0 || shown.FunctionItem >= static_cast<int>(functions.size()))
        return nullptr;
    const TKeyFunctionDef& row = functions[static_cast<std::size_t>(shown.FunctionItem)];
    const auto sub = SubFunctionList(catalogue, row);
    if (sub.empty())
        return &row;
    if (shown.SubItem < 0 || shown.SubItem >= static_cast<int>(sub.size()))
        return nullptr;
    return &sub[static_cast<std::size_t>(shown.SubItem)];
}

// A monitor-bus key with "Global Pool" ticked takes its sources from the pool's source device,
// when the pool has a line for the bus; every other key from the current device.
int MonitorBusSourceDevice(const KeyOptionsView& shown, model::TProject& project, int deviceIndex)
{
    const model::TDevice* device = project.Device(deviceIndex);
    if (!device || !shown.OptionTicked[0])
        return deviceIndex;
    model::TGlobalPoolRecord pool;
    model::GetGlobalPoolLines(*device, pool);
    const int source = project.IndexOfDevice(pool.SourceDevice);
    return source >= 0 && model::GlobalPoolUsesBus(pool, shown.SpinValue - 1) ? source : deviceIndex;
}

} // namespace

std::vector<AudioSourceStep> AudioSourceSteps(const KeyOptionsView& shown, const ConsoleEditorState& state,
                                              model::TProject& project, int deviceIndex)
{
    if (!shown.Shown)
        return {};
    const int type = state.SelectedModuleType();
    const bool fader = IsFaderFamilyType(type);
    std::vector<AudioSourceStep> steps;
    // The rows that may pick a rotary monitor selector have them offered; every other row not.
    const TKeyFunctionDef* row = ShownRow(shown, type);
    if (row && row->Extra == eeAudioSourceFilter)
        steps = {{AudioSourceStep::SetFilter, kAudioFilterRotarySelect | kAudioFilterInputs}, {AudioSourceStep::Rebuild}};
    else
        steps = {{AudioSourceStep::ClearFilterBits, kAudioFilterRotarySelect}};
    if (state.PageMode == pmAuthorisation)
        return steps;

    const auto& record = state.SelectedKeyRecord;
    const std::uint8_t function = record[kf::Function];
    if (function == kUserDefined && !fader)
        return steps; // its sources are logic sources only
    if (function == kMonitorBus && !fader) {
        steps.push_back({AudioSourceStep::SetDevice, MonitorBusSourceDevice(shown, project, deviceIndex)});
    } else if (function == kRouting && record[kf::SubFunction] == kRoutingInput && !fader) {
        steps.push_back({AudioSourceStep::SetFilter, kAudioFilterInputs});
        steps.push_back({AudioSourceStep::SetDevice, deviceIndex});
        steps.push_back({AudioSourceStep::Rebuild});
    } else {
        steps.push_back({AudioSourceStep::SetDevice, deviceIndex});
    }
    return steps;
}

} // namespace kvr::console
