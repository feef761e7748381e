#pragma once
// The Output Routing page without its widgets: one row per physical output of the device's
// cards (two for a stereo entry) with its source, mute logics and, on digital I/O cards, the
// CS-Routing switch. Sources come from the audio-source window (target kind 8). Every change
// goes to the device at once; leaving the page writes the whole routing once more from the rows.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editors/common/sourcepicker.h"

namespace kvr::model {
class TDevice;
class TProject;
}

namespace kvr::editors {

class EditorHost;

inline constexpr int kRoutingMuteLogics = 5;

struct RoutingRow {
    std::string Name;      // "Output name"
    std::string Address;   // "Output address"
    std::string Source;    // "Source"
    std::string Mutes;     // "Mute logics"
    std::string CSRouting; // "CS-Routing": "Enabled" or empty
    std::uint16_t CardType = 0;
    std::uint16_t Channel = 0; // output channel word
    int Slot = 0;
    std::uint16_t Ref = 0;     // routed source reference
    bool CS = false;           // CS-Routing enabled
    std::uint8_t MuteBits = 0; // bit n = mute logic n + 1
    bool operator==(const RoutingRow&) const = default;
};

class OutputRoutingPage : public SourceTarget {
public:
    explicit OutputRoutingPage(EditorHost& Host);
    ~OutputRoutingPage() override;
    OutputRoutingPage(const OutputRoutingPage&) = delete;
    OutputRoutingPage& operator=(const OutputRoutingPage&) = delete;

    // The current device, null without one (or for a fixed-model device).
    model::TDevice* Device() const;

    // Refills the rows from the device; rows are reused by position, a selection stays while valid.
    void FillOutputRouting();
    const std::vector<RoutingRow>& Rows() const { return FRows; }
    // Captions of the five mute-logic boxes.
    const std::array<std::string, kRoutingMuteLogics>& MuteLogicCaptions() const { return FMuteCaptions; }

    int Selected() const { return FSelected; }
    // The row selection (-1 none) and what the page then shows and enables.
    void Select(int Row);
    bool AssignEnabled() const { return FSelected >= 0; }
    bool CSRoutingVisible() const { return FCSVisible; }
    bool MuteLogicVisible() const { return FMuteVisible; }
    bool CSRoutingBox() const { return FCSBox; }
    bool MuteLogicBox(int Box) const; // 0-4

    // "Assign": the audio-source window, aimed at the selected row.
    void PickSource();
    // A drag of the audio-source tree dropped on a row (-1 below the last row).
    void DropOn(int Row);
    // Pop-up "Clear": the selected row loses its entry.
    void Clear();
    // "Clear All": the whole routing goes, without asking.
    void ClearAll();
    // A mute-logic box (0-4) ticked or cleared.
    void SetMuteLogic(int Box, bool On);
    // The "Enable" box of "CS-Routing" ticked or cleared.
    void SetCSRouting(bool On);

    // Leaving the page: structure 13 is rebuilt from the rows in one store; the device's changed
    // flag and change time stay as they were.
    void WriteBack();

    // SourceTarget: audio kind 8, the selected row's channel.
    TargetSelection Selection(int Kind) override;
    void Take(int Kind, const PickedSource& Source, const TargetSelection& Selection) override;

    // Called after a change the widgets show (rows, selection, boxes).
    std::function<void()> Changed;

private:
    void Register(SourceTarget* Target);
    void ShowMutes(RoutingRow& Row) const;
    void ApplyCSRouting(bool On);
    int RowOfChannel(int Slot, std::uint16_t Channel) const;
    void Notify() const;

    EditorHost& FHost;
    std::vector<RoutingRow> FRows;
    std::array<std::string, kRoutingMuteLogics> FMuteCaptions;
    int FSelected = -1;
    bool FWritingBack = false;
    bool FCSVisible = false;
    bool FMuteVisible = false;
    bool FCSBox = false;
};

} // namespace kvr::editors
