#include "editors/audio/outfktpage.h"

#include <algorithm>
#include <cstdio>

#include "editors/common/editorhost.h"
#include "editors/common/outfktlevels.h"
#include "editors/common/sourceassign.h"
#include "model/device.h"
#include "model/dspfit.h"
#include "model/dspfitdevice.h"
#include "model/outputfunctions.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/sourcenames.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

constexpr std::uint16_t kPhaseReverse = 0x8000;
constexpr std::size_t kLabelWidth = 10;

std::string PotSuffix(int Pot)
{
    if (Pot == 121 || Pot == 123)
        return " L";
    if (Pot == 122 || Pot == 124)
        return " R";
    return {};
}

std::string Line(int Index, const std::string& Label)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d", Index + 1);
    return std::string(number) + " | " + Label;
}

std::string LabelOf(const TOutputFunction& Fkt)
{
    return std::string(Fkt.Label.begin(), std::find(Fkt.Label.begin(), Fkt.Label.end(), '\0'));
}

} // namespace

std::string LevelText(int Level, int Pot, int N, const std::string& PotName)
{
    const bool off = Level <= kLevelOff;
    if (Pot == 0)
        return off ? "Off" : std::to_string(Level) + " dB";
    // The blanks around "Pot." differ between the two levels.
    const char* join = off ? (N == 1 ? "Off + Pot. " : "Off + Pot.") : (N == 1 ? " dB + Pot." : " dB + Pot. ");
    return (off ? std::string() : std::to_string(Level)) + join + PotName + PotSuffix(Pot);
}

std::string OutFktPotName(TProject& Project, TDevice& Dev, int Pot)
{
    std::string name;
    if (Pot < kFirstGlobalPotOfRow)
        GetPotName(Dev, Pot, name);
    else
        GetGlobalPotName(Project, Pot - (kFirstGlobalPotOfRow - 1), name);
    return name;
}

OutputFunctionsPage::OutputFunctionsPage(EditorHost& Host) : FHost(Host)
{
    Register(this);
}

OutputFunctionsPage::~OutputFunctionsPage()
{
    Register(nullptr);
}

void OutputFunctionsPage::Register(SourceTarget* Target)
{
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetTarget(atOutFktSource1, Target);
        audio->SetTarget(atOutFktSource2, Target);
    }
    if (LogicSourcePicker* logic = FHost.LogicSources())
        logic->SetTarget(ltOutFktCondition, Target);
}

TDevice* OutputFunctionsPage::Device() const
{
    TProject* project = FHost.Project();
    TDevice* dev = project ? project->Device(FHost.CurrentDevice()) : nullptr;
    return dev != nullptr && !dev->IsDummy() ? dev : nullptr;
}

void OutputFunctionsPage::Notify() const
{
    if (Changed)
        Changed();
}

bool OutputFunctionsPage::ReadSelected(TOutputFunction& Out) const
{
    TDevice* dev = Device();
    return dev != nullptr && FSelected >= 0 && GetOutputFunction(*dev, FSelected, Out) == 1;
}

void OutputFunctionsPage::Store(const TOutputFunction& Record)
{
    if (TDevice* dev = Device())
        SetOutputFunction(*dev, FSelected, Record);
}

void OutputFunctionsPage::FillOutputFunctions()
{
    // The source windows may have come after the page.
    Register(this);
    TDevice* dev = Device();
    FLines.clear();
    if (dev != nullptr) {
        TOutputFunction fkt;
        for (int i = 0; GetOutputFunction(*dev, i, fkt) == 1; ++i)
            FLines.push_back(Line(i, LabelOf(fkt)));
    }
    FHost.UpdateResourceGauges();
    FAddEnabled = dev != nullptr && IsLimitReached(*dev, kLimitOutFkt) == 0;
    if (!FLines.empty()) {
        FEditorVisible = true;
        if (FSelected >= 0) {
            FRemoveEnabled = FSelected < static_cast<int>(FLines.size());
            if (!FRemoveEnabled)
                FSelected = -1;
            Notify();
            return;
        }
    } else {
        FSelected = -1;
        FRemoveEnabled = false;
        FEditorVisible = false;
    }
    RefreshOutputFunctionEditor();
}

void OutputFunctionsPage::SelectFunction(int Index)
{
    FSelected = Index >= 0 && Index < static_cast<int>(FLines.size()) ? Index : -1;
    RefreshOutputFunctionEditor();
}

void OutputFunctionsPage::Add()
{
    TDevice* dev = Device();
    // Refused while the fitting reports the output functions at their limit.
    if (dev == nullptr || IsLimitReached(*dev, kLimitOutFkt) != 0)
        return;
    AddOutputFunction(*dev);
    FillOutputFunctions();
    FSelected = static_cast<int>(FLines.size()) - 1;
    RefreshOutputFunctionEditor();
}

void OutputFunctionsPage::Remove()
{
    TDevice* dev = Device();
    if (dev == nullptr || FSelected < 0)
        return;
    DeleteOutputFunction(*dev, FSelected);
    FillOutputFunctions();
    RefreshOutputFunctionEditor();
}

void OutputFunctionsPage::RefreshOutputFunctionEditor()
{
    FRemoveSourceEnabled = false;
    TOutputFunction fkt;
    TDevice* dev = Device();
    if (FSelected < 0 || !ReadSelected(fkt)) {
        FEditorVisible = false;
        FRows.clear();
        SelectRow(-1);
        return;
    }
    FEditorVisible = true;
    FRemoveEnabled = true;
    const int remembered = FRow;
    TProject& project = *FHost.Project();
    const int device = FHost.CurrentDevice();
    FRows.clear();
    for (std::size_t i = 0; i < fkt.Cond.size(); ++i) {
        const TOutFktCondition& cond = fkt.Cond[i];
        OutFktRowView row;
        row.ConditionID = cond.ConditionID;
        row.Condition = i == 0 ? "Default" : GetLogicSourceName(project, cond.ConditionID, device);
        row.Ref1 = cond.Source1;
        row.Ref2 = cond.Source2;
        row.Source1 = GetAudioSourceName(project, cond.Source1, device, false);
        row.Source2 = GetAudioSourceName(project, cond.Source2, device, false);
        const OutFktLevel one = LevelOf(cond, 1);
        const OutFktLevel two = LevelOf(cond, 2);
        row.Level1dB = one.Level;
        row.Pot1 = one.Pot;
        row.Level2dB = two.Level;
        row.Pot2 = two.Pot;
        row.Level1 = LevelText(one.Level, one.Pot, 1, OutFktPotName(project, *dev, one.Pot));
        row.Level2 = LevelText(two.Level, two.Pot, 2, OutFktPotName(project, *dev, two.Pot));
        FRows.push_back(std::move(row));
    }
    FLabel = LabelOf(fkt);
    FInsertEnabled = fkt.Cond.size() < static_cast<std::size_t>(kMaxOutFktRows);
    SelectRow(remembered);
}

void OutputFunctionsPage::SelectRow(int Row)
{
    FRow = Row >= 0 && Row < static_cast<int>(FRows.size()) ? Row : -1;
    if (FRow < 0) {
        FRowTexts.clear();
        FPhase1.clear();
        FPhase2.clear();
        FConditionEnabled = FSourcesEnabled = FRemoveSourceEnabled = false;
        Notify();
        return;
    }
    const OutFktRowView& row = FRows[static_cast<std::size_t>(FRow)];
    FRowTexts = {row.Condition, row.Source1, row.Level1, row.Source2, row.Level2};
    FPhase1 = (row.Ref1 & kPhaseReverse) != 0 ? "(Phase reversed)" : "";
    FPhase2 = (row.Ref2 & kPhaseReverse) != 0 ? "(Phase reversed)" : "";
    FSourcesEnabled = true;
    // "Default" has no condition and stays.
    FConditionEnabled = FRemoveSourceEnabled = FRow != 0;
    Notify();
}

void OutputFunctionsPage::SetLabel(const std::string& Text)
{
    TOutputFunction fkt;
    if (!ReadSelected(fkt))
        return;
    const std::string label = Text.substr(0, kLabelWidth);
    fkt.Label.fill('\0');
    std::copy(label.begin(), label.end(), fkt.Label.begin());
    Store(fkt);
    FLabel = label;
    FLines[static_cast<std::size_t>(FSelected)] = Line(FSelected, label);
    if (AudioSourcePicker* audio = FHost.AudioSources()) {
        audio->SetDeviceIndex(FHost.CurrentDevice());
        audio->BuildSourceTree();
    }
    Notify();
}

void OutputFunctionsPage::InsertSource()
{
    TOutputFunction fkt;
    if (!ReadSelected(fkt) || fkt.Cond.size() >= static_cast<std::size_t>(kMaxOutFktRows))
        return;
    fkt.Cond.emplace_back();
    Store(fkt);
    RefreshOutputFunctionEditor();
    SelectRow(static_cast<int>(fkt.Cond.size()) - 1);
}

void OutputFunctionsPage::RemoveSource()
{
    TOutputFunction fkt;
    if (FRow <= 0 || !ReadSelected(fkt) || FRow >= static_cast<int>(fkt.Cond.size()))
        return;
    fkt.Cond.erase(fkt.Cond.begin() + FRow);
    Store(fkt);
    RefreshOutputFunctionEditor();
}

void OutputFunctionsPage::PickCondition()
{
    LogicSourcePicker* picker = FHost.LogicSources();
    if (picker == nullptr || FSelected < 0 || FRow <= 0)
        return;
    picker->SelectLogicSource(FRows[static_cast<std::size_t>(FRow)].ConditionID);
    picker->SetTargetKind(ltOutFktCondition);
    picker->ShowPicker();
}

void OutputFunctionsPage::PickSource(int N)
{
    AudioSourcePicker* picker = FHost.AudioSources();
    if (picker == nullptr || FSelected < 0 || FRow < 0)
        return;
    const OutFktRowView& row = FRows[static_cast<std::size_t>(FRow)];
    picker->SetDeviceIndex(FHost.CurrentDevice());
    picker->BuildSourceTree();
    picker->SetTargetKind(N == 1 ? atOutFktSource1 : atOutFktSource2);
    picker->SetDeviceIndex(FHost.CurrentDevice());
    picker->ShowPicker();
    picker->SelectAudioSource(N == 1 ? row.Ref1 : row.Ref2);
    picker->SetLevel(N == 1 ? row.Level1dB : row.Level2dB);
    picker->SelectPot(N == 1 ? row.Pot1 : row.Pot2);
}

void OutputFunctionsPage::ToggleLevel(int N)
{
    TOutputFunction fkt;
    if (FRow < 0 || !ReadSelected(fkt) || FRow >= static_cast<int>(fkt.Cond.size()))
        return;
    TOutFktCondition& cond = fkt.Cond[static_cast<std::size_t>(FRow)];
    OutFktLevel level = LevelOf(cond, N);
    level.Level = level.Level != 0 ? 0 : kLevelOff;
    SetLevelOf(cond, N, level);
    Store(fkt);
    RefreshOutputFunctionEditor();
}

std::string OutputFunctionsPage::LevelCaption(int N) const
{
    if (FRow < 0)
        return {};
    const OutFktRowView& row = FRows[static_cast<std::size_t>(FRow)];
    const int level = N == 1 ? row.Level1dB : row.Level2dB;
    const std::string name = "Set Level " + std::to_string(N);
    return level != 0 ? name + " to 0 dB" : name + " to \"Off\"";
}

void OutputFunctionsPage::DoubleClick(int Column)
{
    if (FRow < 0)
        return;
    switch (Column) {
    case ocCondition:
        if (FRow != 0) {
            FHost.PumpMessages();
            PickCondition();
        }
        break;
    case ocSource1: case ocLevel1: PickSource(1); break;
    case ocSource2: case ocLevel2: PickSource(2); break;
    default: break;
    }
}

bool OutputFunctionsPage::AcceptsLogic(int Row, int Column) const
{
    return FSelected >= 0 && Row >= 0 && Row < static_cast<int>(FRows.size()) && Column == ocCondition;
}

bool OutputFunctionsPage::AcceptsAudio(int Row, int Column) const
{
    return FSelected >= 0 && Row >= 0 && Row < static_cast<int>(FRows.size()) && Column > ocCondition &&
           Column <= ocLevel2;
}

bool OutputFunctionsPage::AcceptsRowMove(int Row) const
{
    return FSelected >= 0 && FRow > 0 && Row > 0 && Row < static_cast<int>(FRows.size());
}

void OutputFunctionsPage::DropLogic(int Row, int Column)
{
    if (!AcceptsLogic(Row, Column))
        return;
    SelectRow(Row);
    LogicSourcePicker* picker = FHost.LogicSources();
    if (Row == 0 || picker == nullptr)
        return;
    picker->SetTargetKind(ltOutFktCondition);
    picker->Assign(AssignSender::Page);
}

void OutputFunctionsPage::DropAudio(int Row, int Column)
{
    if (!AcceptsAudio(Row, Column))
        return;
    SelectRow(Row);
    if (AudioSourcePicker* picker = FHost.AudioSources()) {
        picker->SetTargetKind(Column <= ocLevel1 ? atOutFktSource1 : atOutFktSource2);
        picker->Assign();
    }
}

void OutputFunctionsPage::MoveRow(int To)
{
    TDevice* dev = Device();
    if (dev == nullptr || !AcceptsRowMove(To))
        return;
    MoveOutputFunctionCondition(*dev, FSelected, FRow, To);
    RefreshOutputFunctionEditor();
}

TargetSelection OutputFunctionsPage::Selection(int Kind)
{
    TargetSelection sel;
    // "Default" takes no condition, whatever the logic window's kind still says.
    if (FSelected < 0 || FRow < 0 || (Kind == ltOutFktCondition && FRow == 0))
        return sel;
    sel.Element = FSelected;
    sel.Row = FRow;
    return sel;
}

void OutputFunctionsPage::Refresh(int /*Kind*/, const PickedSource& /*Source*/)
{
    RefreshOutputFunctionEditor();
}

} // namespace kvr::editors
