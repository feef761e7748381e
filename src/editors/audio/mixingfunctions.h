#pragma once
// The "Mixing Functions" tab without its widgets: bus counts, the rows of the buses and clean
// feeds with their labels, stereo, limiter, talk conditions and a clean feed's output selector
// list, and the device-wide talk sources and talk attenuation.

#include <cstdint>
#include <string>
#include <vector>

#include "editors/common/sourcepicker.h"
#include "model/summingbuses.h"

namespace kvr::model {
class TProject;
class TDevice;
}

namespace kvr::editors {

struct MixingRow {
    std::string Caption;
    std::string Talk1;          // talk condition names
    std::string Talk2;
    std::string Source;         // "Program 1", "Aux 1", or a clean feed's fader channel source
    std::string OutputSelector; // clean feeds: the output selector list's label
    int CleanFeed = -1;         // clean-feed index, -1 for a bus row
    int FaderChannel = 0;       // clean feeds: the fader channel's number
};

struct MixingHeader {
    int ProgramBuses = 0;
    int AuxBuses = 0;
    int TalkAttenuation = 0;
    std::uint16_t Talk1Source = 0;
    std::uint16_t Talk2Source = 0;
    std::string Talk1Name;
    std::string Talk2Name;
};

// An item of the output selector list combo: "None" (0) or a source list's label (list + 1).
struct OutputSelectorItem {
    std::string Text;
    int Value = 0;
};

class MixingFunctionsTab {
public:
    MixingFunctionsTab(model::TProject& Project, int Device);

    MixingHeader Header() const;
    // Bus rows first (the row index is the bus index), then one row per clean feed.
    std::vector<MixingRow> Rows();
    int BusRecordCount();
    // "None", then the source lists 0-9 that no rotary selector takes from a global pool line.
    std::vector<OutputSelectorItem> OutputSelectorItems();
    // The combo item whose value is Value, -1 when the list is not offered.
    static int ItemOfValue(const std::vector<OutputSelectorItem>& Items, int Value);

    // The record of a row (bus or clean feed); false when the row does not exist.
    bool Record(int Row, model::TBusRecord& Out);
    bool IsCleanFeedRow(int Row);
    int CleanFeedOfRow(int Row);

    // Edits of a row; each reads the record, changes it and stores it. False when nothing was
    // stored.
    bool SetLabel(int Row, const std::string& Text);
    bool SetStereo(int Row, bool On);
    // Flag 0x40 only; the knobs then show the stored threshold and release.
    bool SetLimiter(int Row, bool On);
    bool SetThreshold(int Row, int Position);
    bool SetRelease(int Row, int Position);
    // Clean-feed rows only: byte 20 = Value.
    bool SetOutputSelector(int Row, int Value);
    // Clean-feed rows only; a bus row stores nothing.
    bool SetCFOutDisabled(int Row, bool On);

    void SetTalkAttenuation(int Position);

    // Deletes or adds buses of the kind until the header count reaches Count; adding stops
    // without summing capacity and whenever a step leaves the count unchanged.
    void SetProgramBuses(int Count);
    void SetAuxBuses(int Count);
    // Raising a bus count is refused while the summing-bus limit is exceeded.
    bool MayRaiseBusCount() const;

    // Deletes the clean feed of a clean-feed row and clears its channel's clean-feed flag.
    bool DeleteCleanFeed(int Row);

    // What the logic-source window writes for kinds 11 and 12 on a row.
    TargetSelection ConditionSelection(int Row);
    // Kind of a logic drop on a column: 11, 12, or 0 for the other columns.
    static int ConditionKindOfColumn(int Column);

    static std::string ThresholdText(int Position);   // "-30 dBint"
    static std::string ReleaseText(int Position);     // "6 dB/s"
    static std::string AttenuationText(int Position); // "Off", "-99 dB"

private:
    void SetBusCount(std::size_t HeaderByte, int Count);
    bool Store(int Row, const model::TBusRecord& Record);

    model::TProject& FProject;
    int FDeviceIndex;
    model::TDevice& FDev;
};

} // namespace kvr::editors
