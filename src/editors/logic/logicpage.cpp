#include "editors/logic/logicpage.h"

#include "editors/common/editorhost.h"
#include "editors/sources/logicsourcetree.h"
#include "editors/common/sourceassign.h"
#include "model/device.h"
#include "model/logicaccess.h"
#include "model/modelutil.h"
#include "model/project.h"
#include "model/recordtext.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

// The page kind whose element a target kind writes.
int PageKindOf(int TargetKind, bool Audio)
{
    if (Audio)
        return TargetKind == atLevelDetect ? lkLevelDetection : 0;
    switch (TargetKind) {
    case ltLogicFunction: return lkLogicFunctions;
    case ltLogicDelay: return lkLogicDelay;
    case ltScript: return lkScripts;
    case ltGPORouting: return lkGPORouting;
    default: return 0;
    }
}

} // namespace

LogicPage::LogicPage(EditorHost& Host) : FHost(Host)
{
}

LogicPage::~LogicPage()
{
    Register(nullptr);
}

void LogicPage::Register(SourceTarget* Target)
{
    if (LogicSourcePicker* logic = FHost.LogicSources())
        for (const int kind : {ltLogicFunction, ltLogicDelay, ltScript, ltGPORouting})
            logic->SetTarget(kind, Target);
    if (AudioSourcePicker* audio = FHost.AudioSources())
        audio->SetTarget(atLevelDetect, Target);
}

TDevice* LogicPage::Device() const
{
    TProject* project = FHost.Project();
    TDevice* dev = project ? project->Device(FHost.CurrentDevice()) : nullptr;
    return dev != nullptr && !dev->IsDummy() ? dev : nullptr;
}

int LogicPage::DeviceIndex() const
{
    return FHost.CurrentDevice();
}

TProject* LogicPage::Project() const
{
    return FHost.Project();
}

void LogicPage::RebuildLogicSources()
{
    if (LogicSourcePicker* logic = FHost.LogicSources())
        logic->BuildSourceTree();
}

void LogicPage::Show(int Kind)
{
    const bool sameKind = FVisible && Kind == FKind;
    FKind = Kind;
    FVisible = true;
    Register(this);
    LogicSourcePicker* logic = FHost.LogicSources();
    AudioSourcePicker* audio = FHost.AudioSources();
    if (logic) {
        logic->SetGroupFilter(Kind == lkLogicFunctions ? lfPowerFail : 0);
        logic->SetTargetKind(0);
        logic->SetConditionVisible(Kind == lkLogicFunctions || Kind == lkGPORouting);
    }
    if (audio) {
        audio->SetTargetKind(0);
        if (Kind == lkLevelDetection) {
            audio->SetOptionPanelVisible(false);
            audio->SetGroupFilter(1);
            audio->SetDeviceIndex(FHost.CurrentDevice());
            audio->BuildSourceTree();
        }
    }
    // Another kind is another list: its selection means nothing here.
    if (!sameKind)
        FSelected = -1;
    FillLogicList();
    RebuildLogicSources();
}

void LogicPage::Hide()
{
    FVisible = false;
    FRows.clear();
    FSelected = -1;
    if (LogicSourcePicker* logic = FHost.LogicSources())
        logic->SetConditionVisible(false);
}

std::string LogicPage::Caption() const
{
    switch (FKind) {
    case lkLogicFunctions: return "Logic Functions";
    case lkLevelDetection: return "Level Detection";
    case lkLogicDelay: return "Logic Delay";
    case lkScripts: return "Scripts";
    default: return {};
    }
}

std::vector<std::string> LogicPage::Columns() const
{
    if (FKind == lkLogicFunctions)
        return {"Name", "IL Bus", "Conc."};
    return {"Name"};
}

int LogicPage::Limit() const
{
    switch (FKind) {
    case lkLogicFunctions: return kMaxLogicFunctions;
    case lkLevelDetection: {
        const TDevice* dev = Device();
        return dev != nullptr && dev->FDSPCardCount > 0 ? kMaxLevelDetects : 0;
    }
    case lkLogicDelay: return kMaxLogicDelays;
    case lkScripts: return kMaxScripts;
    default: return 0;
    }
}

namespace {

// The row of element n of the kind, nullopt-like false when it does not exist.
bool ReadRow(TDevice& dev, int kind, int n, LogicListRow& row)
{
    row = {};
    switch (kind) {
    case lkLogicFunctions: {
        TLogicFunction f;
        if (GetLogicFunction(dev, n, f) != 1)
            return false;
        row.Caption = ZeroPad(static_cast<long long>(n + 1), 2) + " | " + LabelText(f.Label);
        if (f.Head & 0x40)
            row.ILBus = std::to_string(f.InterlockBus);
        if (f.Head & 0x80)
            row.Conc = "&";
        return true;
    }
    case lkLevelDetection: {
        TLevelDetect l;
        if (GetLevelDetect(dev, n, l) != 1)
            return false;
        row.Caption = LabelText(l.Label);
        return true;
    }
    case lkLogicDelay: {
        TLogicDelay d;
        if (GetLogicDelay(dev, n, d) != 1)
            return false;
        row.Caption = LabelText(d.Label);
        return true;
    }
    case lkScripts: {
        TScript s;
        if (GetScript(dev, n, s) != 1)
            return false;
        row.Caption = LabelText(s.Label);
        if (row.Caption.empty())
            row.Caption = "Script " + std::to_string(n + 1);
        return true;
    }
    default: return false;
    }
}

} // namespace

void LogicPage::FillLogicList()
{
    FRows.clear();
    TDevice* dev = Device();
    if (dev == nullptr || !HasList()) {
        FSelected = -1;
        return;
    }
    LogicListRow row;
    while (ReadRow(*dev, FKind, static_cast<int>(FRows.size()), row))
        FRows.push_back(row);
    if (FSelected >= static_cast<int>(FRows.size()))
        FSelected = -1;
}

void LogicPage::RefreshRow(int Index)
{
    TDevice* dev = Device();
    LogicListRow row;
    if (dev != nullptr && Index >= 0 && Index < static_cast<int>(FRows.size()) && ReadRow(*dev, FKind, Index, row))
        FRows[static_cast<std::size_t>(Index)] = row;
}

bool LogicPage::Select(int Row)
{
    if (FEditGuard)
        return false;
    FSelected = Row >= 0 && Row < static_cast<int>(FRows.size()) ? Row : -1;
    FSourceRow = -1;
    return true;
}

void LogicPage::Add()
{
    TDevice* dev = Device();
    if (FEditGuard || dev == nullptr || !AddEnabled())
        return;
    switch (FKind) {
    case lkLogicFunctions: AddLogicFunction(*dev); break;
    case lkLevelDetection: AddLevelDetect(*dev); break;
    case lkLogicDelay: AddLogicDelay(*dev); break;
    case lkScripts: AddScript(*dev); break;
    default: return;
    }
    FillLogicList();
    FSelected = static_cast<int>(FRows.size()) - 1;
    FSourceRow = -1;
    RebuildLogicSources();
    FHost.UpdateResourceGauges();
}

void LogicPage::Remove()
{
    TDevice* dev = Device();
    if (FEditGuard || dev == nullptr || FSelected < 0)
        return;
    switch (FKind) {
    case lkLogicFunctions: DeleteLogicFunction(*dev, FSelected); break;
    case lkLevelDetection: DeleteLevelDetect(*dev, FSelected); break;
    case lkLogicDelay: DeleteLogicDelay(*dev, FSelected); break;
    case lkScripts: DeleteScript(*dev, FSelected); break;
    default: return;
    }
    FillLogicList();
    RebuildLogicSources();
    FHost.UpdateResourceGauges();
}

bool LogicPage::Move(int To)
{
    TDevice* dev = Device();
    if (FKind != lkLogicFunctions || FEditGuard || dev == nullptr || FSelected < 0 || To < 0 ||
        To >= static_cast<int>(FRows.size()))
        return false;
    MoveLogicFunction(*dev, FSelected, To);
    RebuildLogicSources();
    FillLogicList();
    FSelected = To;
    return true;
}

void LogicPage::RefreshLogicEditor(const std::function<void()>& Fill)
{
    if (FSelected < 0 || Device() == nullptr)
        return;
    FEditGuard = true;
    struct Clear {
        bool& guard;
        ~Clear() { guard = false; }
    } clear{FEditGuard};
    Fill();
}

TargetSelection LogicPage::Selection(int Kind)
{
    const bool audio = Kind == atLevelDetect;
    if (!FVisible || PageKindOf(Kind, audio) != FKind || Device() == nullptr)
        return {};
    if (FKind == lkGPORouting)
        return {FGPOID};
    if (FSelected < 0)
        return {};
    return {FSelected, FKind == lkLogicFunctions ? FSourceRow : -1};
}

bool LogicPage::EditorOpen(int Kind)
{
    return FVisible && FSelected >= 0 && PageKindOf(Kind, false) == FKind && FKind != lkGPORouting;
}

void LogicPage::Refresh(int Kind, const PickedSource&)
{
    if (Written)
        Written(Kind);
}

} // namespace kvr::editors
