#include "editors/audio/fixedprocessing.h"

#include <algorithm>
#include <cstring>

#include "model/dspfunctioncatalogue.h"
#include "model/outputfunctions.h"
#include "model/project.h"
#include "model/sourcenames.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

constexpr std::uint32_t kLimitsRefusingFunctions = 0x04 | 0x10;
constexpr int kStandardTypes[] = {12, 30, 14, 16, 10, 31, 19, 11, 17, 18, 39, 21, 13};
constexpr int kEnhancedTypes[] = {32, 34, 35, 36, 37, 40};

std::string Text(const char* chars, std::size_t size)
{
    return std::string(chars, strnlen(chars, size));
}

ProcessingFunction Describe(int type)
{
    TDSPFunctionInfo info;
    GetDSPFunctionInfo(type, info);
    return {type, Text(info.Name.data(), info.Name.size()), info.Cycles, info.Icon, info.MaxInChain};
}

std::vector<ProcessingFunction> Offers(const int* types, std::size_t count)
{
    std::vector<ProcessingFunction> out;
    TDSPFunctionInfo info;
    for (std::size_t i = 0; i < count; ++i)
        if (GetDSPFunctionInfo(types[i], info) == 1)
            out.push_back(Describe(types[i]));
    return out;
}

} // namespace

FixedProcessingPage::FixedProcessingPage(TProject& Project, int Device)
    : FProject(Project), FDeviceIndex(Device), FDev(*Project.Device(Device))
{
}

std::vector<std::string> FixedProcessingPage::Labels()
{
    std::vector<std::string> labels;
    TFixedProcessing proc;
    for (int i = 0; GetFixedProcessing(FDev, i, proc) == 1; ++i)
        labels.push_back(Text(proc.Label.data(), proc.Label.size()));
    return labels;
}

std::vector<ProcessingFunction> FixedProcessingPage::StandardFunctions()
{
    return Offers(kStandardTypes, std::size(kStandardTypes));
}

std::vector<ProcessingFunction> FixedProcessingPage::EnhancedFunctions()
{
    return Offers(kEnhancedTypes, std::size(kEnhancedTypes));
}

bool FixedProcessingPage::CanAddProcessing()
{
    return static_cast<int>(Labels().size()) < kMaxFixedProcessings;
}

int FixedProcessingPage::AddProcessing()
{
    if (!CanAddProcessing())
        return -1;
    const int before = static_cast<int>(Labels().size());
    const int count = AddFixedProcessing(FDev);
    return count > before ? count - 1 : -1;
}

void FixedProcessingPage::RemoveProcessing(int Index)
{
    DeleteFixedProcessing(FDev, Index);
}

bool FixedProcessingPage::View(int Index, ProcessingView& Out)
{
    TFixedProcessing proc;
    if (GetFixedProcessing(FDev, Index, proc) != 1)
        return false;
    Out = {};
    Out.Label = Text(proc.Label.data(), proc.Label.size());
    Out.Source = proc.Source;
    Out.Stereo = proc.IsStereo();
    Out.SourceText = GetAudioSourceName(FProject, proc.Source, FDeviceIndex, false);
    if (Out.Stereo)
        Out.SourceText += " + " + GetAudioSourceName(FProject, proc.Source + 1, FDeviceIndex, false);
    for (const TDSPFunctionEntry& entry : proc.Functions)
        Out.Functions.push_back(Describe(entry.Code));
    return true;
}

void FixedProcessingPage::SetLabel(int Index, const std::string& Text)
{
    TFixedProcessing proc;
    if (GetFixedProcessing(FDev, Index, proc) != 1)
        return;
    proc.Label.fill(0);
    std::copy_n(Text.begin(), std::min(Text.size(), proc.Label.size()), proc.Label.begin());
    SetFixedProcessing(FDev, Index, proc);
}

void FixedProcessingPage::SetStereo(int Index, bool Stereo)
{
    TFixedProcessing proc;
    if (GetFixedProcessing(FDev, Index, proc) != 1)
        return;
    if (Stereo) {
        proc.Flags |= 0x80;
        proc.Source = static_cast<std::uint16_t>(proc.Source & ~1u);
    } else {
        proc.Flags &= 0x7F;
    }
    SetFixedProcessing(FDev, Index, proc);
}

bool FixedProcessingPage::CanAddFunction()
{
    return (FDev.FLimitExceeded & kLimitsRefusingFunctions) == 0;
}

std::string FixedProcessingPage::AddFunction(int Index, const ProcessingFunction& Offer, int Row)
{
    TFixedProcessing proc;
    if (!CanAddFunction() || GetFixedProcessing(FDev, Index, proc) != 1)
        return {};
    const auto used = std::count_if(proc.Functions.begin(), proc.Functions.end(),
                                    [&](const TDSPFunctionEntry& e) { return e.Code == Offer.Type; });
    if (used >= Offer.Maximum)
        return "Max. " + std::to_string(Offer.Maximum) + " functions of this type allowed!";
    if (proc.Functions.size() >= static_cast<std::size_t>(kMaxProcessingFunctions))
        return "Max. " + std::to_string(kMaxProcessingFunctions) + " functions allowed!";
    TDSPFunctionInfo info;
    GetDSPFunctionInfo(Offer.Type, info);
    TDSPFunctionEntry entry;
    entry.Code = static_cast<std::uint8_t>(Offer.Type);
    const int count = std::clamp(info.ParamCount, 0, kMaxFunctionParams);
    entry.ParamCount = static_cast<std::uint8_t>(count);
    std::copy_n(info.DefaultParams.begin(), count, entry.Params.begin());
    const auto size = static_cast<int>(proc.Functions.size());
    const int at = Row >= 0 && Row < size ? Row : size;
    proc.Functions.insert(proc.Functions.begin() + at, entry);
    SetFixedProcessing(FDev, Index, proc);
    return {};
}

void FixedProcessingPage::RemoveFunction(int Index, int Row)
{
    TFixedProcessing proc;
    if (GetFixedProcessing(FDev, Index, proc) != 1 || Row < 0 || Row >= static_cast<int>(proc.Functions.size()))
        return;
    proc.Functions.erase(proc.Functions.begin() + Row);
    SetFixedProcessing(FDev, Index, proc);
}

void FixedProcessingPage::MoveFunction(int Index, int From, int To)
{
    MoveFixedProcessingFunction(FDev, Index, From, To);
}

bool FixedProcessingPage::EditFunction(int Index, int Row, DspParamEditor& Editor)
{
    TFixedProcessing proc;
    if (GetFixedProcessing(FDev, Index, proc) != 1 || Row < 0 || Row >= static_cast<int>(proc.Functions.size()))
        return false;
    TDSPFunctionEntry& entry = proc.Functions[static_cast<std::size_t>(Row)];
    DspWords words{};
    std::copy(entry.Params.begin(), entry.Params.end(), words.begin());
    if (!Editor.Edit(entry.Code, words))
        return false;
    std::copy(words.begin(), words.end(), entry.Params.begin());
    SetFixedProcessing(FDev, Index, proc);
    return true;
}

} // namespace kvr::editors
