// What the logic-source window's Assign writes for each target kind.

#include <string>

#include "editors/common/sourceassign.h"
#include "kvrdata/byteorder.h"
#include "model/faderaccess.h"
#include "model/faderchannels.h"
#include "model/gpoaccess.h"
#include "model/keyaccess.h"
#include "model/keyrecordview.h"
#include "model/logicaccess.h"
#include "model/outputfunctions.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/sourceids.h"
#include "model/summingbuses.h"
#include "model/superoutputs.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

inline constexpr int kMaxLogicFunctionSources = 20;

// The console editor's record with the word written, stored for its key and module slot.
bool WriteKeyWord(TDevice& dev, KeyEdit* key, std::size_t at, std::uint16_t value)
{
    if (key == nullptr || key->Record == nullptr || at + 2 > kKeyRecordSize)
        return false;
    TKeyRecord& record = *key->Record;
    KeyRecordView view(record);
    view.SetSource(at, value);
    SetKeyFunction(dev, view.Key(), record, key->Own ? 1 : 0, key->ModuleSlot);
    return true;
}

// Fields of a fader-channel record by kind.
std::uint16_t* FaderField(TFaderChannel& channel, int kind)
{
    switch (kind) {
    case ltFaderLamp: return &channel.LampSource;
    case ltFaderMute: return &channel.MuteCondition;
    case ltFaderReady: return &channel.ReadySignal;
    case ltFaderFF2Select: return &channel.LampSource2;
    case ltFaderTimer: return &channel.ChannelTimer;
    default: return nullptr;
    }
}

void WriteHeaderWord(TDevice& dev, std::size_t at, std::uint16_t value)
{
    auto header = dev.GetHeader();
    writeBE16(header, at, value);
    dev.SetHeader(header, true);
}

class LogicWriter {
public:
    LogicWriter(TDevice& dev, int kind, const PickedSource& source, SourceTarget& target)
        : FDev(dev), FKind(kind), FSource(source), FTarget(target),
          FID(static_cast<std::uint16_t>(source.Ref & LogicIDMask))
    {
    }

    AssignOutcome Run()
    {
        switch (FKind) {
        case ltConsoleKey: {
            const int row = FTarget.Selection(FKind).Element;
            return Done(row >= 0 && WriteKeyWord(FDev, FTarget.EditedKey(), kf::Param1 + 2 * static_cast<std::size_t>(row), FID));
        }
        case ltKeyLogicFunction: return Done(KeyLogicFunction());
        case ltLogicFunction: return LogicFunctionSource();
        case ltLogicDelay: {
            TLogicDelay delay;
            const int element = FTarget.Selection(FKind).Element;
            if (element < 0 || GetLogicDelay(FDev, element, delay) != 1)
                return {};
            delay.Source = FID;
            SetLogicDelay(FDev, element, delay);
            return Done(true);
        }
        case ltScript: {
            TScript script;
            const int element = FTarget.Selection(FKind).Element;
            if (element < 0 || GetScript(FDev, element, script) != 1)
                return {};
            script.Source = FID;
            SetScript(FDev, element, script);
            return Done(true);
        }
        case ltFaderLamp: case ltFaderMute: case ltFaderReady: case ltFaderFF2Select: case ltFaderTimer: {
            TFaderChannel channel;
            const int number = FTarget.Selection(FKind).Element;
            if (number < 0 || GetFaderChannel(FDev, number, channel) != 1)
                return {};
            *FaderField(channel, FKind) = FID;
            SetFaderChannel(FDev, number, channel);
            return Done(true);
        }
        case ltGPORouting: {
            const int gpo = FTarget.Selection(FKind).Element;
            if (gpo < 0)
                return {};
            SetGPORouting(FDev, gpo, FSource.Ref);
            return Done(true);
        }
        case ltOutFktCondition: {
            const TargetSelection sel = FTarget.Selection(FKind);
            TOutputFunction fkt;
            if (sel.Element < 0 || sel.Row < 0 || GetOutputFunction(FDev, sel.Element, fkt) != 1 ||
                sel.Row >= static_cast<int>(fkt.Cond.size()))
                return {};
            fkt.Cond[static_cast<std::size_t>(sel.Row)].ConditionID = FID;
            SetOutputFunction(FDev, sel.Element, fkt);
            return Done(true);
        }
        case ltTalkCondition1: case ltTalkCondition2: return Done(TalkCondition());
        case ltSlot10Logic: case ltSlot20Logic: case ltSlot30Logic:
            WriteHeaderWord(FDev, dh::DSPCardLogics + 2 * static_cast<std::size_t>(FKind - ltSlot10Logic), FID);
            return Done(true);
        case ltPinSource1: case ltPinSource2: {
            TUserGroups groups;
            GetUserGroups(FDev, groups);
            (FKind == ltPinSource1 ? groups.PinLogic1 : groups.PinLogic2) = FID;
            SetUserGroups(FDev, groups);
            return Done(true);
        }
        case ltSOFCondition: {
            PickedSource idOnly = FSource;
            idOnly.Ref = FID;
            FTarget.Take(FKind, idOnly, FTarget.Selection(FKind));
            return {true, {}};
        }
        case ltPreparationMode:
            WriteHeaderWord(FDev, dh::PreparationLogic, FID);
            return Done(true);
        default: return {};
        }
    }

    // Kind 20, which needs the device ID of the tree.
    static AssignOutcome Watch(int kind, const PickedSource& source, SourceTarget& target, std::int64_t treeDeviceID)
    {
        if ((source.Ref & LogicIDMask) == 0 || treeDeviceID < 0 || target.WatchedDeviceID() != treeDeviceID)
            return {};
        PickedSource idOnly = source;
        idOnly.Ref = static_cast<std::uint16_t>(source.Ref & LogicIDMask);
        target.Take(kind, idOnly, target.Selection(kind));
        return {true, {}};
    }

private:
    AssignOutcome Done(bool written)
    {
        if (!written)
            return {};
        PickedSource shown = FSource;
        if (FKind != ltLogicFunction && FKind != ltGPORouting)
            shown.Ref = FID;
        FTarget.Refresh(FKind, shown);
        return {true, {}};
    }

    bool KeyLogicFunction()
    {
        KeyEdit* key = FTarget.EditedKey();
        if (key == nullptr || key->Record == nullptr)
            return false;
        // The whole label field, so nothing of an older, longer label stays behind.
        KeyRecordView view(*key->Record);
        view.SetText(kKeepMarker);
        view.Colours() = 63;
        return WriteKeyWord(FDev, key, kf::Param1, FID);
    }

    AssignOutcome LogicFunctionSource()
    {
        const TargetSelection sel = FTarget.Selection(FKind);
        TLogicFunction fkt;
        if (sel.Element < 0 || GetLogicFunction(FDev, sel.Element, fkt) != 1)
            return {};
        const int count = fkt.SourceCount();
        if (count >= kMaxLogicFunctionSources)
            return {false, kTooManyLogicSourcesText};
        if (sel.Row >= 0 && sel.Row < count) {
            fkt.Source[static_cast<std::size_t>(sel.Row)] = FSource.Ref;
        } else {
            fkt.Source[static_cast<std::size_t>(count)] = FSource.Ref;
            fkt.Head = static_cast<std::uint8_t>((fkt.Head & 0xC0) | (count + 1));
        }
        SetLogicFunction(FDev, sel.Element, &fkt);
        return Done(true);
    }

    bool TalkCondition()
    {
        const TargetSelection sel = FTarget.Selection(FKind);
        if (sel.Element < 0)
            return false;
        TBusRecord record;
        const bool cleanFeed = sel.Extra >= 0;
        if ((cleanFeed ? GetCleanFeed(FDev, sel.Extra, record) : GetBus(FDev, sel.Element, record)) != 1)
            return false;
        (FKind == ltTalkCondition1 ? record.Logic1 : record.Logic2) = FID;
        if (cleanFeed)
            SetCleanFeed(FDev, sel.Extra, record);
        else
            SetBus(FDev, sel.Element, record);
        return true;
    }

    TDevice& FDev;
    int FKind;
    const PickedSource& FSource;
    SourceTarget& FTarget;
    std::uint16_t FID;
};

// A global logic has one sender in the whole project. It needs no current device (the project
// page assigns it), and a fixed-model device cannot send: the old sender then stays.
AssignOutcome AssignGlobalLogic(TProject& project, const PickedSource& source, SourceTarget& target)
{
    const int logic = target.Selection(ltGlobalLogic).Element;
    TDevice* sender = project.Device(source.DeviceIndex);
    if (logic < 0 || logic >= kGlobalLogicCount || (sender != nullptr && sender->IsDummy()))
        return {};
    PickedSource shown = source;
    shown.Ref = static_cast<std::uint16_t>(source.Ref & LogicIDMask);
    for (int d = 0; d < project.DeviceCount(); ++d)
        SetGLSource(*project.Device(d), logic, 0);
    if (sender != nullptr) {
        SetGLSource(*sender, logic, shown.Ref);
        if (GetGlobalLogicName(project, logic).rfind("GL ", 0) == 0)
            SetGlobalLogicName(project, logic, source.Text);
    }
    target.Refresh(ltGlobalLogic, shown);
    return {true, {}};
}

} // namespace

int ResolveLogicKind(int Kind, AssignSender Sender, bool OwnerIsMainWindow, const SourceTargets& Targets)
{
    if (Sender != AssignSender::Button || !OwnerIsMainWindow)
        return Kind;
    for (const int editor : {ltLogicFunction, ltLogicDelay, ltScript})
        if (SourceTarget* target = Targets.Get(editor); target != nullptr && target->EditorOpen(editor))
            Kind = editor;
    return Kind;
}

AssignOutcome AssignLogicSource(TProject& Project, int Device, int Kind, const PickedSource& Source,
                                const SourceTargets& Targets, std::int64_t TreeDeviceID)
{
    SourceTarget* target = Targets.Get(Kind);
    // The console key needs the key options showing with a selected row.
    if (Kind == ltConsoleKey && (target == nullptr || target->Selection(Kind).Element < 0))
        return {};
    if ((Source.Ref & LogicIDMask) == OffLogicID && Kind != ltFaderReady)
        return {false, kOffOnlyForReadyText};
    if (target == nullptr)
        return {};
    if (Kind == ltWatch)
        return LogicWriter::Watch(Kind, Source, *target, TreeDeviceID);
    if (Kind == ltGlobalLogic)
        return AssignGlobalLogic(Project, Source, *target);
    TDevice* dev = Project.Device(Device);
    // A fixed-model device is read-only.
    if (dev == nullptr || dev->IsDummy())
        return {};
    return LogicWriter(*dev, Kind, Source, *target).Run();
}

} // namespace kvr::editors
