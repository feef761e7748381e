// What the audio-source window's Assign writes for each target kind.

#include "editors/common/outfktlevels.h"
#include "editors/common/sourceassign.h"
#include "kvrdata/byteorder.h"
#include "model/device.h"
#include "model/faderaccess.h"
#include "model/faderchannels.h"
#include "model/keyaccess.h"
#include "model/keyrecordview.h"
#include "model/logicaccess.h"
#include "model/outputfunctions.h"
#include "model/potaccess.h"
#include "model/project.h"
#include "model/sourceids.h"
#include "model/summingbuses.h"

namespace kvr::editors {

using namespace kvr::model;

namespace {

// A source word that keeps the stored word's global-pool mark (bit 15).
std::uint16_t KeepPoolMark(std::uint16_t stored, std::uint16_t ref)
{
    return static_cast<std::uint16_t>(ref | (stored & 0x8000));
}

class AudioWriter {
public:
    AudioWriter(TDevice& dev, int kind, const PickedSource& source, SourceTarget& target)
        : FDev(dev), FKind(kind), FSource(source), FTarget(target), FRef(source.Ref),
          FLevel(static_cast<std::uint8_t>(source.Level & 0xFF)), FPot(static_cast<std::uint8_t>(source.Pot & 0xFF))
    {
    }

    AssignOutcome Run()
    {
        const TargetSelection sel = FTarget.Selection(FKind);
        switch (FKind) {
        case atLevelDetect: {
            TLevelDetect detect;
            if (sel.Element < 0 || GetLevelDetect(FDev, sel.Element, detect) != 1)
                return {};
            // A stereo level detect takes the pair by its left (even) ID.
            detect.Source = detect.Stereo != 0 ? static_cast<std::uint16_t>(FRef & ~1u) : FRef;
            SetLevelDetect(FDev, sel.Element, detect);
            return Done();
        }
        case atOutFktSource1: case atOutFktSource2: {
            TOutputFunction fkt;
            if (sel.Element < 0 || sel.Row < 0 || GetOutputFunction(FDev, sel.Element, fkt) != 1 ||
                sel.Row >= static_cast<int>(fkt.Cond.size()))
                return {};
            TOutFktCondition& row = fkt.Cond[static_cast<std::size_t>(sel.Row)];
            const int n = FKind == atOutFktSource1 ? 1 : 2;
            (n == 1 ? row.Source1 : row.Source2) = FRef;
            SetLevelOf(row, n, {static_cast<std::int8_t>(FLevel), FPot});
            SetOutputFunction(FDev, sel.Element, fkt);
            return Done();
        }
        case atFixedProcessing: {
            TFixedProcessing proc;
            if (sel.Element < 0 || GetFixedProcessing(FDev, sel.Element, proc) != 1)
                return {};
            proc.Source = proc.IsStereo() ? static_cast<std::uint16_t>(FRef & ~1u) : FRef;
            SetFixedProcessing(FDev, sel.Element, proc);
            return Done();
        }
        case atMonitorL: case atMonitorR: {
            TFaderChannel channel;
            if (sel.Element < 0 || GetFaderChannel(FDev, sel.Element, channel) != 1)
                return {};
            (FKind == atMonitorL ? channel.MonitorL : channel.MonitorR) = FRef;
            SetFaderChannel(FDev, sel.Element, channel);
            return Done();
        }
        case atMonitorBus:
            if (sel.Element < 0 || sel.Element > 11)
                return {};
            SetMonitorBusSource(FDev, sel.Element, FRef);
            return Done();
        case atKeySource1: case atKeySource2: {
            KeyEdit* key = FTarget.EditedKey();
            if (key == nullptr || key->Record == nullptr)
                return {};
            TKeyRecord& record = *key->Record;
            KeyRecordView view(record);
            const std::size_t at = FKind == atKeySource1 ? kf::Param2 : kf::Param3;
            view.SetSource(at, KeepPoolMark(view.Source(at), FRef));
            SetKeyFunction(FDev, view.Key(), record, key->Own ? 1 : 0, key->ModuleSlot);
            return Done();
        }
        case atTalk1: case atTalk2: {
            auto header = FDev.GetHeader();
            writeBE16(header, FKind == atTalk1 ? dh::Talk1Source : dh::Talk2Source, FRef);
            FDev.SetHeader(header, true);
            return Done();
        }
        case atSourceListLeft: case atSourceListRight: {
            TSourceList list;
            if (sel.Element < 0 || sel.Row < 0)
                return {};
            GetSourceList(FDev, sel.Element, list);
            if (sel.Row >= list.Count || sel.Row >= static_cast<int>(kSourceListMaxEntries))
                return {};
            TSourceListEntry& entry = list.Entries[static_cast<std::size_t>(sel.Row)];
            std::uint16_t& word = FKind == atSourceListLeft ? entry.Left : entry.Right;
            word = KeepPoolMark(word, FRef);
            if (entry.Text[0] == '\0')
                for (std::size_t i = 0; i < entry.Text.size(); ++i)
                    entry.Text[i] = i < FSource.Text.size() ? FSource.Text[i] : '\0';
            SetSourceList(FDev, sel.Element, list);
            return Done();
        }
        case atFaderSource: case atPoolFaderSource:
            return Hand(FRef, sel);
        case atOutputRouting: case atSOFInput:
            return sel.Element >= 0 ? Hand(FRef, sel) : AssignOutcome{};
        case atFixedInsert: case atSwitchableInsert:
            // Inserts take the even ID of a pair, without stereo or phase flag.
            return sel.Element >= 0 ? Hand(static_cast<std::uint16_t>(FRef & AudioStereoPairMask), sel) : AssignOutcome{};
        default: return {};
        }
    }

private:
    AssignOutcome Done()
    {
        FTarget.Refresh(FKind, FSource);
        return {true, {}};
    }
    AssignOutcome Hand(std::uint16_t ref, const TargetSelection& sel)
    {
        PickedSource handed = FSource;
        handed.Ref = ref;
        FTarget.Take(FKind, handed, sel);
        return {true, {}};
    }

    TDevice& FDev;
    int FKind;
    const PickedSource& FSource;
    SourceTarget& FTarget;
    std::uint16_t FRef;
    std::uint8_t FLevel;
    std::uint8_t FPot;
};

} // namespace

AssignOutcome AssignAudioSource(TProject& Project, int Device, int Kind, const PickedSource& Source,
                                const SourceTargets& Targets)
{
    SourceTarget* target = Targets.Get(Kind);
    TDevice* dev = Project.Device(Device);
    if (target == nullptr || dev == nullptr || dev->IsDummy())
        return {};
    return AudioWriter(*dev, Kind, Source, *target).Run();
}

} // namespace kvr::editors
