#pragma once
// The super output functions of a device without widgets: the SOF list with its capacity, and
// the sources of one input of one SOF (one to five, each with a level, an optional pot and, after
// the first, a logic condition).

#include <cstdint>
#include <string>
#include <vector>

#include "model/superoutputs.h"

namespace kvr::model {
class TProject;
class TDevice;
}

namespace kvr::editors {

struct SOFSourceRow {
    std::string Condition;
    std::string Source;
    std::string Level; // "-6 dB", " Off", with " + Pot." and the pot's name
    std::uint16_t Audio = 0;
    std::uint16_t Logic = 0;
    int Pot = 0;
    int LevelDb = 0;
    bool Off = false;
    bool Phase = false; // bit 0x8000
};

class SOFEditor {
public:
    static constexpr std::uint8_t kLevelOff = 156; // -100 dB
    static constexpr std::uint32_t kSOFLimitReached = 0x40;

    SOFEditor(model::TProject& Project, int Device);

    std::vector<std::string> Labels();
    // Below the device's SOF limit and without the fitting's SOF limit bit.
    bool MayAdd();
    // The new SOF's index, -1 when the device refuses.
    int Add();
    bool Remove(int SOF);
    bool SetLabel(int SOF, const std::string& Text);

    std::vector<SOFSourceRow> Input(int SOF, int Input);
    // Appends an empty source; its row, or -1 at five sources.
    int InsertSource(int SOF, int Input);
    // Row 0 and the last remaining source stay.
    bool RemoveSource(int SOF, int Input, int Row);
    // Off becomes 0 dB, any other level Off.
    bool ToggleLevelOff(int SOF, int Input, int Row);
    static std::string LevelActionCaption(bool Off); // "Set Level 0dB" / "Set Level Off"
    // The audio-source window's kind 16: reference, level (dB) and pot code of the row.
    bool SetSource(int SOF, int Input, int Row, int Pot, int Level, std::uint16_t Audio);
    // The logic-source window's kind 19; row 0 keeps no condition.
    bool SetCondition(int SOF, int Input, int Row, std::uint16_t Logic);
    // Takes the source at From out and puts it at To; row 0 never moves.
    bool MoveSource(int SOF, int Input, int To, int From);

private:
    bool Read(int SOF, int Input, model::TSOFRecord& Out);
    std::string LevelText(const model::TSOFSource& Source);

    model::TProject& FProject;
    int FDeviceIndex;
    model::TDevice& FDev;
};

} // namespace kvr::editors
