#pragma once
// The fader channel frame without its widgets: the "Defined Channels" list, what the editor of
// the selected channel shows and enables, and every change a user makes to a channel. Every
// change is written to the device at once; the editor keeps no record between events but the
// device's global pool and the input-pool entries, read once when it is built.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editors/common/sourcepicker.h"
#include "model/faderchannels.h"
#include "model/inserts.h"

namespace kvr::model {
class TDevice;
class TProject;
} // namespace kvr::model

namespace kvr::editors {

class EditorHost;

struct FaderChannelRow {
    int Number = 0;       // the row's image index
    std::string Caption;  // "CH" + number + " " + name
    std::string Source;
    std::string Pool;
};

// What the editor shows for one channel.
struct FaderChannelView {
    int Number = 0;
    std::string RowCaption;
    std::string Label;
    std::array<std::string, 5> MuteLogicCaptions;
    // Groups: "General" always; the other three by the source.
    bool FaderstartVisible = true;
    bool OutputMuteVisible = true;
    bool LogicFunctionsVisible = true;
    bool StereoEnabled = true;
    bool CleanFeedEnabled = true;
    bool MonitorSelectEnabled = true;
    bool GlobalPoolEnabled = false;
    bool GlobalPool = false;
    std::string Source;
    std::uint16_t SourceTag = 0;     // the source, or 0x4900 for a channel fed from the global pool
    std::uint16_t PoolSourceTag = 0; // the global pool source
    std::string MonitorL, MonitorR;
    std::uint16_t MonitorLTag = 0, MonitorRTag = 0;
    bool Stereo = false, OnStart = false, AutoOff = false, CleanFeed = false;
    int PoolItem = 0; // index into PoolNames()
    std::vector<std::string> Resources;
    int ResourceItem = 0;
    int FaderStart = 0;
    std::string FaderStartText;
    std::array<bool, 5> MuteLogic{};
    bool TimerReset = false, Voice = false, PGM1Logic = false, SoloEffectReturn = false;
    // Lamp source 2, lamp source, mute condition, ready signal, channel timer.
    std::array<std::string, 5> LogicTexts;
    std::array<std::uint16_t, 5> LogicTags{};
};

// The five logic pickers of "Logic Functions", in the order of FaderChannelView::LogicTexts.
enum class FaderLogic { Lamp2, Lamp, MuteCondition, Ready, ChannelTimer };

// Logic options of byte 17.
enum FaderLogicOption : std::uint8_t { foTimerReset = 0x01, foVoice = 0x02, foPGM1Logic = 0x04, foSoloEffectReturn = 0x08 };

inline constexpr std::uint16_t kGlobalPoolSourceMarker = 0x4900;

// "-oo dB" for 0, else 10 x position - 70 dB.
std::string FaderStartText(int Position);

class FaderChannelEditor {
public:
    FaderChannelEditor(EditorHost& Host, model::TProject& Project, int DeviceIndex);
    ~FaderChannelEditor();
    FaderChannelEditor(const FaderChannelEditor&) = delete;
    FaderChannelEditor& operator=(const FaderChannelEditor&) = delete;

    // Restarts the frame's 50 ms timer; every show goes through it.
    std::function<void()> OnScheduleRefresh;

    const std::vector<std::string>& PoolNames() const { return FPoolNames; }
    int PoolDeviceIndex() const { return FPoolDeviceIndex; }

    // The list.
    void RefreshFaderChannelList();
    const std::vector<FaderChannelRow>& Rows() const { return FRows; }
    int Selected() const { return FSelected; }
    // Any row, -1 for none; schedules the refresh.
    void Select(int Row);
    // Channel number of the selected row, -1 for none.
    int SelectedChannel() const;
    int RowOfChannel(int Number) const;
    bool AddEnabled() const { return FRows.size() < static_cast<std::size_t>(model::kMaxFaderChannelNumber); }
    bool RemoveEnabled() const { return !FRows.empty(); }
    bool Updating() const { return FUpdating; }

    // The timer tick: Fill gets the selected channel's view, or null with no row selected (the
    // groups hide, "Remove" and "Insert" are disabled). Change handlers do nothing meanwhile.
    void Tick(const std::function<void(const FaderChannelView*)>& Fill);
    // What the editor shows for a channel.
    FaderChannelView ShowChannel(int Number);
    std::string SourceText(const model::TFaderChannel& Channel);

    // Change handlers of the selected channel.
    void SetSource(std::uint16_t Ref);
    void SetStereo(bool Checked);
    void SetOnStart(bool Checked);
    void SetAutoOff(bool Checked);
    void SetMuteLogic(int Index, bool Checked);
    void SetLogicOption(FaderLogicOption Option, bool Checked);
    // Gives the knob's text.
    std::string SetFaderStart(int Position);
    void SetGlobalResource(int Item);
    void SetGlobalPool(bool Checked);
    void SetCleanFeed(bool Checked);
    void SetLabel(const std::string& Text);
    void SetPool(int Item);

    // List actions.
    void Add();
    void Insert();
    void Remove();
    // List positions; -1 for a drop beside the rows.
    void Move(int From, int To);

    // Pickers: "Select ..." and drops on the panels.
    void SelectSource();
    void SelectMonitor(bool Right);
    void SelectLogic(FaderLogic Logic);
    void DropSource();
    // A monitor panel takes no MIDI source nor program or AUX bus master.
    static bool MonitorAccepts(int SelectedRef);
    void DropMonitor(bool Right);
    void DropLogic(FaderLogic Logic);

    // What the source windows' Assign asks of the frame, one target per window (their kinds
    // overlap). Registered while the editor lives.
    TargetSelection Selection(bool Logic, int Kind);
    void Take(int Kind, const PickedSource& Source);
    void Refresh() { ScheduleRefresh(); }

private:
    class WindowTarget : public SourceTarget {
    public:
        WindowTarget(FaderChannelEditor& Editor, bool Logic) : FEditor(Editor), FLogic(Logic) {}
        TargetSelection Selection(int Kind) override { return FEditor.Selection(FLogic, Kind); }
        void Take(int Kind, const PickedSource& Source, const TargetSelection&) override { FEditor.Take(Kind, Source); }
        void Refresh(int, const PickedSource&) override { FEditor.Refresh(); }

    private:
        FaderChannelEditor& FEditor;
        bool FLogic;
    };

    model::TDevice* Dev() const;
    bool Editable() const { return !FUpdating && SelectedChannel() >= 0 && Dev() != nullptr; }
    bool FedFromPool(const model::TFaderChannel& Channel) const;
    void ScheduleRefresh();
    // Reads, changes and writes the selected channel.
    void Change(const std::function<void(model::TFaderChannel&)>& Edit);
    std::vector<std::uint8_t> ResourceIDs();
    bool LogicFunctionsVisible(int Number);
    void RegisterTargets(bool On);
    void RebuildLogicSources();

    EditorHost& FHost;
    model::TProject& FProject;
    int FDeviceIndex;
    std::vector<std::string> FPoolNames;
    std::vector<int> FPoolNumbers;
    model::TGlobalPoolRecord FGlobalPool;
    int FPoolDeviceIndex = -1;
    std::vector<FaderChannelRow> FRows;
    int FSelected = -1;
    bool FUpdating = false;
    WindowTarget FAudioTarget{*this, false};
    WindowTarget FLogicTarget{*this, true};
};

} // namespace kvr::editors
