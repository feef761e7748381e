#include "console/keyoptions.h"

#include "console/keycaption.h"
#include "console/keyeditor.h"
#include "console/keyfunctioncatalogue.h"
#include "console/moduleplacement.h"
#include "console/moduletypes.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/globalresources.h"
#include "model/inserts.h"
#include "model/keyaccess.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"

#include <algorithm>

namespace kvr::console {

namespace {

constexpr std::size_t kShownLabel = 29;
constexpr int kFaderChannelIndices = 149;
constexpr int kTalkChannelLimit = 40;
constexpr int kNamedPots = 120;
constexpr std::uint8_t kTalkMatrixFlag = 0x80;

std::string Trimmed(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    while (!text.empty() && text.front() == ' ')
        text.erase(text.begin());
    return text;
}

class Builder {
public:
    Builder(ConsoleEditorState& state, model::TProject& project, int deviceIndex, model::TDevice& device)
        : state_(state), project_(project), deviceIndex_(deviceIndex), device_(device), record_(state.SelectedKeyRecord),
          view_(record_), type_(state.SelectedModuleType()), fader_(IsFaderFamilyType(type_)),
          catalogue_(KeyFunctionsOf(type_))
    {
    }

    KeyOptionsView Build(KeyEditorMemory& memory);

private:
    void FillFunctions();
    void ShowKeyFunction(const TKeyFunctionDef& row, bool subRow);
    void Potentiometers();
    void Resources();
    void Talkback();
    void Inserts();
    void EncoderSet();
    void FaderChannels(int selected);
    void Clamp();
    void EnableRules();
    void Sources();
    void Store();

    ConsoleEditorState& state_;
    model::TProject& project_;
    int deviceIndex_;
    model::TDevice& device_;
    model::TKeyRecord& record_;
    KeyRecordView view_;
    int type_;
    bool fader_;
    std::span<const TKeyFunctionDef> catalogue_;
    KeyOptionsView v;
};

void Builder::Store()
{
    StoreKeyRecord(state_, device_, state_.SelectedKey);
}

void Builder::Potentiometers()
{
    v.Subfunctions.clear();
    v.PotIDs.clear();
    std::string name;
    for (int id = 1; id <= kNamedPots; ++id) {
        if (model::GetPotName(device_, id, name) == 1) {
            v.Subfunctions.push_back(name + " (Dev. ID " + std::to_string((id - 1) / 10 + 1) + ")");
            v.PotIDs.push_back(id);
        }
    }
    for (int id : {121, 123}) {
        model::GetPotName(device_, id, name);
        v.Subfunctions.push_back(name);
        v.PotIDs.push_back(id);
    }
    v.SubItem = 0;
    const auto found = std::find(v.PotIDs.begin(), v.PotIDs.end(), record_[kf::SubFunction]);
    if (found != v.PotIDs.end())
        v.SubItem = static_cast<int>(found - v.PotIDs.begin());
    v.SubCaption = "Potentiometer";
    v.SubVisible = true;
}

void Builder::Resources()
{
    v.Subfunctions = {"None"};
    v.SubfunctionCodes = {0};
    v.SubItem = 0;
    const std::uint32_t self = device_.GetDeviceID();
    int listed = 0;
    std::vector<std::uint8_t> ids = model::GetGlobalResourceIDs(project_);
    model::FilterGlobalResources(project_, ids, self);
    for (std::uint8_t id : ids) {
        model::TGlobalResource resource;
        model::GetGlobalResource(project_, id, resource);
        ++listed;
        v.Subfunctions.push_back(Trimmed(model::LabelText(resource.Label)));
        v.SubfunctionCodes.push_back(id);
        if (id == record_[kf::SubFunction])
            v.SubItem = static_cast<int>(v.Subfunctions.size()) - 1;
    }
    v.SubCaption = "Resource";
    v.SubVisible = true;
    v.SubEnabled = true;
    v.ResourceDestItems = {"Self (default)"};
    v.ResourceDestObjects = {0};
    v.ResourceDestItem = 0;
    v.ResourceDestEnabled = true;
    model::TGlobalResource chosen;
    if (model::GetGlobalResource(project_, record_[kf::SubFunction], chosen)) {
        // Every device of the project, fixed-model devices and all behind them included.
        for (int d = 0; d < project_.DeviceCount(); ++d) {
            const model::TDevice* device = project_.Device(d);
            if (!device || !model::IsGlobalResourceSubscriber(chosen, device->GetDeviceID()))
                continue;
            v.ResourceDestItems.push_back(device->GetName());
            v.ResourceDestObjects.push_back(device->GetDeviceID());
            if (device->GetDeviceID() == view_.DestinationDevice())
                v.ResourceDestItem = static_cast<int>(v.ResourceDestItems.size()) - 1;
        }
    }
    if (listed == 0) {
        v.SubEnabled = false;
        v.Subfunctions.push_back("No resource available");
        v.SubfunctionCodes.push_back(0);
        v.SubItem = static_cast<int>(v.Subfunctions.size()) - 1;
        v.ResourceDestEnabled = false;
    }
}

void Builder::FaderChannels(int selected)
{
    v.FaderChannels.clear();
    v.FaderChannelItem = -1;
    for (int index = 0; index < kFaderChannelIndices; ++index) {
        model::TFaderChannel channel;
        if (model::GetFaderChannelByIndex(device_, index, channel) == 0)
            continue;
        v.FaderChannels.push_back("CH" + std::to_string(channel.Number) + " " +
                                  model::GetFaderChannelName(device_, channel.Number));
        if (channel.Number == selected)
            v.FaderChannelItem = static_cast<int>(v.FaderChannels.size()) - 1;
    }
    v.FaderChannelPanel = true;
}

void Builder::Talkback()
{
    v.TalkSources.clear();
    v.TalkChannels.clear();
    v.TalkDestinations.clear();
    // The frame carrying the talk matrix: every device that exists is asked, in device order.
    model::TDevice* matrix = nullptr;
    for (int d = 0; d < project_.DeviceCount() && !matrix; ++d) {
        model::TDevice* device = project_.Device(d);
        if (device && device->Header()[model::dh::DummyDevModel] == 0 &&
            (device->Header()[model::dh::TalkOptions] & kTalkMatrixFlag))
            matrix = device;
    }
    v.TalkBoxes = true;
    if (!matrix) {
        v.TalkSources = {"No Talk Matrix available"};
        v.TalkDestinations = {"No Talk Matrix available"};
        return;
    }
    for (int index = 0; index < kFaderChannelIndices; ++index) {
        model::TFaderChannel channel;
        if (model::GetFaderChannelByIndex(*matrix, index, channel) == 0 || channel.Number > kTalkChannelLimit)
            continue;
        v.TalkSources.push_back(model::GetFaderChannelName(*matrix, channel.Number));
        v.TalkChannels.push_back(channel.Number);
    }
    const int first = matrix->Header()[model::dh::ProgramBusCount];
    const int count = matrix->Header()[model::dh::AuxBusCount];
    for (int bus = first; bus < first + count; ++bus) {
        model::TBusRecord record;
        model::GetBus(*matrix, bus, record);
        v.TalkDestinations.push_back(model::LabelText(record.Label));
    }
}

void Builder::Inserts()
{
    v.ResourceDestItems.clear();
    v.ResourceDestObjects.clear();
    for (int n = 0; n < 4; ++n) {
        model::TSwitchableInsert insert;
        std::string name = model::GetSwitchableInsert(device_, n, insert) ? Trimmed(model::LabelText(insert.Label)) : "";
        if (name.empty())
            name = "Insert " + std::to_string(n + 1);
        v.ResourceDestItems.push_back(name);
        v.ResourceDestObjects.push_back(static_cast<std::uint32_t>(n));
    }
    v.ResourceDestItem = record_[kf::Param1] < 4 ? record_[kf::Param1] : -1;
    v.ResourceDestination = true;
    v.SpinLabelVisible = true;
    v.SpinCaption = "Select Insert:";
}

void Builder::EncoderSet()
{
    const auto fader = KeyFunctionsOf(20);
    std::size_t first = 0;
    while (first < fader.size() && fader[first].Identifier != 99)
        ++first;
    const auto rows = fader.subspan(first);
    std::vector<int> values;
    v.EncoderCaptions.clear();
    for (const auto& row : rows) {
        if (row.IsEndRow())
            break;
        v.EncoderCaptions.emplace_back(row.Caption);
        values.push_back(row.Value);
    }
    v.SubfunctionCodes = values;
    for (std::size_t k = 0; k < 5; ++k) {
        v.EncoderItems[k] = -1;
        // Every matching item is selected in turn: the later of two equal values stays.
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i] == record_[kf::Param1 + k])
                v.EncoderItems[k] = static_cast<int>(i);
        }
    }
    v.EncoderSet = true;
}

void Builder::ShowKeyFunction(const TKeyFunctionDef& row, bool subRow)
{
    v.SubCaption = "Subfunction";
    v.AccessGroupPanel = false;
    if (!subRow) {
        if (row.Value == 6 && !fader_) {
            Potentiometers();
        } else if (row.Value == 14) {
            if (fader_)
                v.SubVisible = false;
            else
                Resources();
        } else {
            v.SubVisible = false;
        }
    } else {
        if (row.Identifier >= 100 && row.Identifier <= 161 && !fader_) {
            v.AccessGroupPanel = true;
            v.AccessGroupItem = view_.Index(kf::Param2);
        }
        v.SubVisible = true;
    }
    const int function = record_[kf::Function];
    if ((function == 31 && fader_) || (function == 15 && record_[kf::SubFunction] == 31 && !fader_))
        FaderChannels(record_[kf::Param1]);
    else
        v.FaderChannelPanel = false;

    for (std::size_t n = 0; n < 5; ++n) {
        v.OptionCaptions[n] = Trimmed(std::string(row.Options[n]));
        v.OptionVisible[n] = !v.OptionCaptions[n].empty();
        v.OptionEnabled[n] = true;
    }
    if (!fader_ && function == 1) {
        const bool pool = (view_.Source(kf::Param2) & 0x8000) && (view_.Source(kf::Param3) & 0x8000);
        model::TGlobalPoolRecord poolRecord;
        model::GetGlobalPoolLines(device_, poolRecord);
        const bool empty = view_.Source(kf::Param2) == 0 && view_.Source(kf::Param3) == 0;
        v.OptionEnabled[0] = pool || (empty && model::GlobalPoolUsesBus(poolRecord, record_[kf::Param1] - 1));
    } else if (!fader_ && function == 2) {
        v.OptionEnabled[0] = view_.SpinValue() != 1;
    }

    v.SpinVisible = !row.SpinCaption.empty();
    v.SpinLabelVisible = v.SpinVisible;
    if (v.SpinVisible) {
        v.SpinMin = row.SpinMin;
        v.SpinMax = row.SpinMax;
        v.SpinCaption = std::string(row.SpinCaption);
        v.SpinEnabled = true;
    }
    if (row.Extra == eeResourceDestination)
        v.SpinVisible = false; // the destination box takes the spin's place

    const bool noGreen = type_ == 13 || type_ == 25 || type_ == 26 || (type_ == kCentralModuleType && state_.SelectedKey > 23);
    v.GreenOffered = !noGreen;
    if (noGreen && (record_[kf::Colours] >> 4) == 2)
        record_[kf::Colours] = static_cast<std::uint8_t>(record_[kf::Colours] & ~0x30);
    v.LampSourceList = row.LampSources;
    v.PairKind = row.ExclusivePair;

    v.TalkBoxes = false;
    if (row.Extra == eeTalkback)
        Talkback();
    v.ResourceDestination = false;
    if (row.Extra == eeResourceDestination) {
        v.ResourceDestination = true;
        v.SpinLabelVisible = true;
        v.SpinCaption = "Reserve for:";
    } else if (row.Extra == eeInsertSelection) {
        Inserts();
    }
    v.EncoderSet = false;
    if (row.Extra == eeEncoderSet)
        EncoderSet();

    v.LeftSourceButton = row.LeftSource;
    v.ConditionButton = row.ConditionSource;
    v.RightSourceButton = v.RightPanel = row.RightSource;
    v.LeftPanel = row.LeftSource || row.ConditionSource;
}

void Builder::FillFunctions()
{
    const auto functions = FunctionList(catalogue_);
    for (const auto& row : functions) {
        v.Functions.emplace_back(row.Caption);
        v.FunctionCodes.push_back(row.Value);
    }
    v.FunctionItem = FunctionItem(catalogue_, record_[kf::Function]);
    const TKeyFunctionDef& row = functions[static_cast<std::size_t>(v.FunctionItem)];
    const auto sub = SubFunctionList(catalogue_, row);
    if (sub.empty()) {
        ShowKeyFunction(row, false);
        return;
    }
    v.Subfunctions.clear();
    v.SubfunctionCodes.clear();
    for (const auto& subRow : sub) {
        v.Subfunctions.emplace_back(subRow.Caption);
        v.SubfunctionCodes.push_back(subRow.Value);
    }
    v.SubVisible = true;
    v.SubEnabled = true;
    v.SubItem = SubFunctionItem(sub, record_[kf::SubFunction]);
    ShowKeyFunction(sub[static_cast<std::size_t>(v.SubItem)], true);
}

void Builder::Clamp()
{
    if (v.SpinVisible) {
        const int value = view_.SpinValue();
        const int clamped = std::clamp(value, v.SpinMin, v.SpinMax);
        if (clamped != value) {
            view_.SetSpinValue(static_cast<std::uint16_t>(clamped));
            Store();
        }
        v.SpinValue = clamped;
        return;
    }
    if (!v.TalkBoxes)
        return;
    v.TalkSourceItem = 0;
    const auto found = std::find(v.TalkChannels.begin(), v.TalkChannels.end(), view_.Index(kf::Param1) + 1);
    if (found != v.TalkChannels.end()) {
        v.TalkSourceItem = static_cast<int>(found - v.TalkChannels.begin());
    } else {
        view_.SetIndex(kf::Param1, 0);
        Store();
    }
    const int destination = view_.Index(kf::Param2);
    if (destination < static_cast<int>(v.TalkDestinations.size())) {
        v.TalkDestinationItem = destination;
    } else {
        v.TalkDestinationItem = 0;
        view_.SetIndex(kf::Param2, 0);
        Store();
    }
}

void Builder::EnableRules()
{
    const auto pair = [&](std::size_t a, std::size_t b) {
        if (v.OptionTicked[a]) {
            v.OptionTicked[b] = false;
            v.OptionEnabled[b] = false;
            v.OptionEnabled[a] = true;
        } else if (v.OptionTicked[b]) {
            v.OptionTicked[a] = false;
            v.OptionEnabled[a] = false;
            v.OptionEnabled[b] = true;
        } else {
            v.OptionEnabled[a] = v.OptionEnabled[b] = true;
        }
    };
    if (v.PairKind == 1) {
        pair(0, 1);
    } else if (!(record_[kf::Function] == 2 && !fader_)) {
        v.OptionEnabled[0] = v.OptionEnabled[1] = true;
    }
    if (v.PairKind == 2)
        pair(3, 4);
    else
        v.OptionEnabled[3] = v.OptionEnabled[4] = true;
}

void Builder::Sources()
{
    const bool userDefined = record_[kf::Function] == 4 && !fader_;
    if (userDefined) {
        for (std::size_t r = 0; r < 3; ++r) {
            v.LampSourceIDs[r] = view_.Source(kf::Param1 + 2 * r);
            v.LampSources[r] = model::GetLogicSourceName(project_, v.LampSourceIDs[r], deviceIndex_);
            v.LampColours[r] = (record_[kf::Colours] >> (2 * r)) & 0x03;
        }
        return;
    }
    const int function = record_[kf::Function];
    if (!fader_ && function == 1) {
        model::TGlobalPoolRecord pool;
        model::GetGlobalPoolLines(device_, pool);
        int source = project_.IndexOfDevice(pool.SourceDevice);
        if (source < 0 || !GlobalPoolUsesBus(pool, view_.SpinValue() - 1)) {
            source = deviceIndex_;
            v.OptionEnabled[0] = false;
            v.OptionCaptions[0] = "Global Pool (Monitor Bus without pool line!)";
        }
        if (v.OptionTicked[0])
            v.SpinEnabled = false;
        else
            source = deviceIndex_;
        v.LeftSourceName = model::GetAudioSourceName(project_, view_.Source(kf::Param2), source, false);
        v.RightSourceName = model::GetAudioSourceName(project_, view_.Source(kf::Param3), source, false);
    } else if (!fader_ && function == 11 && record_[kf::SubFunction] == 0) {
        v.LeftSourceName = model::GetAudioSourceName(project_, view_.Source(kf::Param2), deviceIndex_, false);
        v.RightSourceName = model::GetAudioSourceName(project_, view_.Source(kf::Param3), deviceIndex_, false);
    } else {
        v.LeftSourceName = model::GetLogicSourceName(project_, view_.Source(kf::Param1), deviceIndex_);
    }
}

KeyOptionsView Builder::Build(KeyEditorMemory& memory)
{
    const int key = record_[kf::Key];
    if (key == model::kNoKey || state_.SelectedKey < 0)
        return v;
    if (key >= KeyCount(type_) + (type_ == 13 ? 5 : 0))
        return v;
    ++state_.Filling;
    v.Shown = true;
    const std::string text = KeyCaptionText(record_);
    v.Label = text.substr(0, std::min(text.size(), kShownLabel));
    const int id = model::ModuleEntryView(state_.SelectedModule).ModuleNumber();
    const std::string keyName = std::to_string(id + 1) + ".KEY" + std::to_string(key + 1);
    v.Number = (fader_ ? "#F" : "#C") + keyName;
    v.LampSourceCaption = "Set Lamp Source = #C" + keyName;
    v.OwnLogicSource = static_cast<std::uint16_t>(1 + 32 * id + key);
    FillFunctions();
    Clamp();
    for (std::size_t n = 0; n < 5; ++n)
        v.OptionTicked[n] = (record_[kf::Options] >> n) & 1;
    EnableRules();
    --state_.Filling;

    const std::uint8_t colours = record_[kf::Colours];
    const bool userDefined = record_[kf::Function] == 4 && !fader_;
    if (!userDefined && (colours >> 6) != 0 && (colours >> 6) == ((colours >> 4) & 0x03) && !memory.ColourWarningShown) {
        v.Warning = "Warning! Active and inactive function state is using the same color!";
        memory.ColourWarningShown = true;
    }
    v.ModuleType = type_;
    v.Record = record_;
    v.Preview = key < KeyCount(type_);
    static constexpr std::uint32_t kInactive[] = {0xFFFFFF, 0x00FFFF, 0x0000FF, 0x00FF00};
    v.InactiveColour = userDefined ? 0xC0C0C0 : kInactive[(colours >> 4) & 0x03];
    if (state_.PageMode == pmAuthorisation)
        return v;
    Sources();
    return v;
}

} // namespace

KeyOptionsView FillKeyFunctionList(ConsoleEditorState& state, model::TProject& project, int deviceIndex,
                                   KeyEditorMemory& memory)
{
    model::TDevice* device = project.Device(deviceIndex);
    if (!device || !IsSlotPosition(state.SelectedSlot))
        return {};
    return Builder(state, project, deviceIndex, *device).Build(memory);
}

} // namespace kvr::console
