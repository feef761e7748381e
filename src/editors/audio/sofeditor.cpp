// Super output functions: the SOF list and the sources of one input.

#include "editors/audio/sofeditor.h"

#include <algorithm>

#include "model/device.h"
#include "model/dspfitdevice.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/recordtext.h"
#include "model/sourcenames.h"
#include "model/summingbuses.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {
constexpr int kGlobalPotBase = 154;

bool IsOff(std::uint8_t level)
{
    return static_cast<std::int8_t>(level) < -99;
}
} // namespace

SOFEditor::SOFEditor(TProject& Project, int Device) : FProject(Project), FDeviceIndex(Device), FDev(*Project.Device(Device))
{
}

std::vector<std::string> SOFEditor::Labels()
{
    std::vector<std::string> labels;
    TSOFRecord record;
    for (int i = 0; GetSOF(FDev, i, record) == 1; ++i)
        labels.push_back(LabelText(record.Label));
    return labels;
}

bool SOFEditor::MayAdd()
{
    return IsLimitReached(FDev, kSOFLimitReached) == 0 && static_cast<int>(Labels().size()) < GetSOFLimit(FDev);
}

int SOFEditor::Add()
{
    int index = -1;
    TSOFRecord record;
    return AddSOF(FDev, index, record) == 1 ? index : -1;
}

bool SOFEditor::Remove(int SOF)
{
    return DeleteSOF(FDev, SOF) == 1;
}

bool SOFEditor::Read(int SOF, int Input, TSOFRecord& Out)
{
    return Input >= 0 && Input < kSOFInputs && GetSOF(FDev, SOF, Out) == 1;
}

bool SOFEditor::SetLabel(int SOF, const std::string& Text)
{
    TSOFRecord record;
    if (!Read(SOF, 0, record))
        return false;
    model::SetLabel(record.Label, Text.substr(0, record.Label.size()));
    return SetSOF(FDev, SOF, record) == 1;
}

std::string SOFEditor::LevelText(const TSOFSource& Source)
{
    const std::uint8_t level = Source.Options[0];
    std::string text = IsOff(level) ? " Off" : std::to_string(static_cast<std::int8_t>(level)) + " dB";
    const int pot = Source.Options[1];
    if (pot == 0)
        return text;
    std::string name;
    if (pot <= kGlobalPotBase)
        GetPotName(FDev, pot, name);
    else
        GetGlobalPotName(FProject, pot - kGlobalPotBase, name);
    text += " + Pot." + name;
    if (pot >= 121 && pot <= 124)
        text += pot % 2 == 1 ? " L" : " R";
    return text;
}

std::vector<SOFSourceRow> SOFEditor::Input(int SOF, int Input)
{
    std::vector<SOFSourceRow> rows;
    TSOFRecord record;
    if (!Read(SOF, Input, record))
        return rows;
    const TSOFInput& input = record.Inputs[static_cast<std::size_t>(Input)];
    for (int k = 0; k < input.Count && k < kSOFMaxSources; ++k) {
        const TSOFSource& s = input.Sources[static_cast<std::size_t>(k)];
        SOFSourceRow row;
        row.Audio = s.Audio;
        row.Logic = s.Logic;
        row.Condition = GetLogicSourceName(FProject, s.Logic, FDeviceIndex);
        row.Source = GetAudioSourceName(FProject, s.Audio, FDeviceIndex, false);
        row.Level = LevelText(s);
        row.Pot = s.Options[1];
        row.LevelDb = static_cast<std::int8_t>(s.Options[0]);
        row.Off = IsOff(s.Options[0]);
        row.Phase = (s.Audio & 0x8000) != 0;
        rows.push_back(row);
    }
    return rows;
}

int SOFEditor::InsertSource(int SOF, int Input)
{
    TSOFRecord record;
    if (!Read(SOF, Input, record))
        return -1;
    TSOFInput& input = record.Inputs[static_cast<std::size_t>(Input)];
    if (input.Count >= kSOFMaxSources)
        return -1;
    input.Sources[input.Count] = TSOFSource{};
    ++input.Count;
    return SetSOF(FDev, SOF, record) == 1 ? input.Count - 1 : -1;
}

bool SOFEditor::RemoveSource(int SOF, int Input, int Row)
{
    TSOFRecord record;
    if (!Read(SOF, Input, record))
        return false;
    TSOFInput& input = record.Inputs[static_cast<std::size_t>(Input)];
    if (input.Count < 2 || Row < 1 || Row >= input.Count)
        return false;
    for (int k = Row; k + 1 < input.Count; ++k)
        input.Sources[static_cast<std::size_t>(k)] = input.Sources[static_cast<std::size_t>(k + 1)];
    --input.Count;
    input.Sources[input.Count] = TSOFSource{};
    return SetSOF(FDev, SOF, record) == 1;
}

bool SOFEditor::ToggleLevelOff(int SOF, int Input, int Row)
{
    TSOFRecord record;
    if (!Read(SOF, Input, record))
        return false;
    TSOFInput& input = record.Inputs[static_cast<std::size_t>(Input)];
    if (Row < 0 || Row >= input.Count)
        return false;
    std::uint8_t& level = input.Sources[static_cast<std::size_t>(Row)].Options[0];
    level = level == kLevelOff ? 0 : kLevelOff;
    return SetSOF(FDev, SOF, record) == 1;
}

std::string SOFEditor::LevelActionCaption(bool Off)
{
    return Off ? "Set Level 0dB" : "Set Level Off";
}

bool SOFEditor::SetSource(int SOF, int Input, int Row, int Pot, int Level, std::uint16_t Audio)
{
    TSOFRecord record;
    if (!Read(SOF, Input, record))
        return false;
    TSOFInput& input = record.Inputs[static_cast<std::size_t>(Input)];
    if (Row < 0 || Row >= input.Count)
        return false;
    TSOFSource& source = input.Sources[static_cast<std::size_t>(Row)];
    source.Audio = Audio;
    source.Options[0] = static_cast<std::uint8_t>(static_cast<std::int8_t>(std::clamp(Level, -100, 127)));
    source.Options[1] = static_cast<std::uint8_t>(std::clamp(Pot, 0, 255));
    return SetSOF(FDev, SOF, record) == 1;
}

bool SOFEditor::SetCondition(int SOF, int Input, int Row, std::uint16_t Logic)
{
    TSOFRecord record;
    if (!Read(SOF, Input, record))
        return false;
    TSOFInput& input = record.Inputs[static_cast<std::size_t>(Input)];
    if (Row < 0 || Row >= input.Count)
        return false;
    input.Sources[static_cast<std::size_t>(Row)].Logic = Row == 0 ? 0 : Logic;
    return SetSOF(FDev, SOF, record) == 1;
}

bool SOFEditor::MoveSource(int SOF, int Input, int To, int From)
{
    TSOFRecord record;
    if (!Read(SOF, Input, record))
        return false;
    TSOFInput& input = record.Inputs[static_cast<std::size_t>(Input)];
    if (From < 1 || To < 1 || From >= input.Count || To >= input.Count || From == To)
        return false;
    const TSOFSource moved = input.Sources[static_cast<std::size_t>(From)];
    if (From < To)
        for (int k = From; k < To; ++k)
            input.Sources[static_cast<std::size_t>(k)] = input.Sources[static_cast<std::size_t>(k + 1)];
    else
        for (int k = From; k > To; --k)
            input.Sources[static_cast<std::size_t>(k)] = input.Sources[static_cast<std::size_t>(k - 1)];
    input.Sources[static_cast<std::size_t>(To)] = moved;
    return SetSOF(FDev, SOF, record) == 1;
}

} // namespace kvr::editors
